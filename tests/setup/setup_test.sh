#!/usr/bin/env bash
# Set-up against stand-in apt-get and dpkg: a mirror with a stale index, and a
# package set apt cannot resolve until 32-bit Wine is left out. Set-up must go
# on, retry as it says, report in one line each, and the test command's
# summary must carry the installer tests' skip with its reason.
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tmp="$(mktemp -d)"; trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/bin"
cat >"$tmp/bin/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get $*" >>"$RCP_STUB_LOG"
case "$*" in
  *update*)
    [ -n "${RCP_STUB_OFFLINE:-}" ] || echo "Hit:1 http://deb.debian.org/debian bookworm InRelease"
    echo "Err:2 http://deb.debian.org/debian-security bookworm-security/main i386 Packages"
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    exit 100 ;;
  *wine32:i386*) echo "E: Unable to correct problems, you have held broken packages."; exit 100 ;;
esac
STUB
printf '#!/bin/sh\necho "dpkg $*" >>"$RCP_STUB_LOG"\n' >"$tmp/bin/dpkg"
printf '#!/bin/sh\nexit 1\n' >"$tmp/bin/dpkg-query"
chmod +x "$tmp/bin/"*
export PATH="$tmp/bin:$PATH" RCP_STUB_LOG="$tmp/calls" RCP_APT_PAUSE=0 RCP_SETUP_STATE="$tmp/state"
unset RCP_WINE32 RCP_WINE32_WHY  # the test command has already decided its own
export RCP_WINE32_LOADER="$tmp/no-wine32" RCP_ROOT="$root"
fail=0
expect() { grep -qF -- "$2" "$1" || { echo "FAIL: no \"$2\" in $1:"; cat "$1"; fail=1; }; }

( source "$root/tools/setup.sh"; rcp_install_missing ) >"$tmp/out" 2>&1
echo "exit $?" >>"$tmp/out"
expect "$tmp/out" "exit 0"
expect "$tmp/out" "== apt-get update: 1 index(es) could not be fetched after 3 tries (http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz: File has unexpected size"
expect "$tmp/out" "== 32-bit Wine (wine32:i386) cannot be installed here (apt: Unable to correct problems, you have held broken packages.); everything else is"
[ "$(grep -c 'apt-get update' "$tmp/calls")" = 3 ] || { echo "FAIL: update not tried 3 times"; fail=1; }
grep 'apt-get install' "$tmp/calls" | sed 's/ \(--no-install-recommends -t bookworm\|--no-install-recommends\) cmake.*wine64/ ... wine64/' >"$tmp/installs"
expect "$tmp/calls" "dpkg --add-architecture i386"
sed -n 1p "$tmp/installs" | grep -q 'install -y -q ... wine64 .*wine32:i386' || { echo "FAIL: first install"; cat "$tmp/installs"; fail=1; }
sed -n 2p "$tmp/installs" | grep -q 'install -y -q ... wine64 .*wine32:i386' || { echo "FAIL: second install"; cat "$tmp/installs"; fail=1; }
sed -n 3p "$tmp/installs" | grep -v 'wine32' | grep -q 'nsis' || { echo "FAIL: last install"; cat "$tmp/installs"; fail=1; }

( source "$root/tools/setup.sh"; source "$root/tools/wine-env.sh"; rcp_wine_loader; rcp_summary 10 0 3 ) >"$tmp/summary"
expect "$tmp/summary" "10 passed, 0 failed, 3 skipped (the installer tests: 32-bit Wine (wine32:i386) could not be installed (apt: Unable to correct problems, you have held broken packages.))"

# No mirror reachable at all: a clear failure, nothing installed.
: >"$tmp/calls"
( export RCP_STUB_OFFLINE=1; source "$root/tools/setup.sh"; rcp_install_missing run ) >"$tmp/out" 2>&1
echo "exit $?" >>"$tmp/out"
expect "$tmp/out" "exit 1"
expect "$tmp/out" "set-up: cannot reach the Debian package mirrors"
! grep -q 'apt-get install' "$tmp/calls" || { echo "FAIL: installed while offline"; fail=1; }
exit $fail
