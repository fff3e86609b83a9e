# Installs what the build, the tests and the panel need on Debian 12 (sourced).
#
#   rcp_install_missing run   what running the panel needs (tools/run.sh)
#   rcp_install_missing web   that and the web panel's (tools/run.sh --web)
#   rcp_install_missing       everything the tests need too
#
# Package mirrors lag behind each other: an index that fails to download is
# retried, then reported, and set-up goes on with the others. A package set
# apt cannot resolve is tried again with the main suite's versions preferred;
# when 32-bit Wine still cannot be installed, everything else is, and the
# tests that need it are skipped with the reason.

# Running the panel: the compilers, CMake/Ninja, 64-bit Wine, Xvfb and the
# tools that find and photograph its window.
rcp_run_packages=(
  cmake ninja-build g++ g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 xvfb x11-utils xdotool imagemagick procps
)
# The web panel: its JSON library, the HTTP library's source package (dpkg-dev
# for apt-get source) and a browser for its screenshot.
rcp_web_packages=(dpkg-dev nlohmann-json3-dev chromium curl)
rcp_test_packages=(
  libgtest-dev libgmock-dev googletest g++-mingw-w64-i686-posix
  clang-14 libfuzzer-14-dev libclang-rt-14-dev
  # The installer: NSIS builds a 32-bit setup.exe, whose uninstaller loads the
  # i686 rcpclean.dll; both run only with Debian's 32-bit Wine beside wine64.
  nsis wine32:i386
  # The user's guide, Markdown rendered to HTML at build time.
  python3 python3-markdown
  # rcpweb: its JSON library, and the browser and plain-HTTP clients of its tests.
  dpkg-dev nlohmann-json3-dev chromium chromium-driver python3-selenium netcat-openbsd curl
)
# Where set-up leaves what the tests must know of this machine (why 32-bit
# Wine is missing).
RCP_SETUP_STATE="${RCP_SETUP_STATE:-/var/lib/rcp-setup}"
RCP_APT_PAUSE="${RCP_APT_PAUSE:-5}"

rcp_fail() { echo "set-up: $*" >&2; return 1; }

# apt-get update, retried while some index fails. Fatal only when nothing at
# all could be fetched: then there is no network to install from either.
rcp_apt_update() {
  local log attempt rc
  log="$(mktemp)"
  for attempt in 1 2 3; do
    rc=0
    apt-get update -q >"$log" 2>&1 || rc=$?
    if [ "$rc" = 0 ] && ! grep -q '^\(E\|W\): .*\(Failed to fetch\|Some index files\)' "$log"; then
      rm -f "$log"; return 0
    fi
    [ "$attempt" = 3 ] || sleep $((RCP_APT_PAUSE * attempt))
  done
  if ! grep -q '^\(Hit\|Get\|Ign\):' "$log"; then
    sed -n 's/^\(E\|Err\): */  /p' "$log" | head -3 >&2
    rm -f "$log"
    rcp_fail "cannot reach the Debian package mirrors (apt-get update fetched nothing); check the network"
    return 1
  fi
  local n first
  n="$(grep -c '^Err:' "$log" || true)"
  first="$(sed -n 's/^E: Failed to fetch \([^ ]*\) *\(.*\)/\1: \2/p' "$log" | head -1)"
  echo "== apt-get update: ${n:-some} index(es) could not be fetched after 3 tries (${first:-see apt-get update}); going on with the others"
  rm -f "$log"
}

# rcp_apt_install <packages...>: exits 0 when all are installed. A set apt
# cannot resolve is tried again with the main suite's versions preferred.
rcp_apt_install() {
  local log rc=0 suite
  log="$(mktemp)"
  apt-get install -y -q --no-install-recommends "$@" >"$log" 2>&1 || rc=$?
  if [ "$rc" != 0 ] && grep -q 'broken packages\|Unable to correct problems\|unmet dependencies' "$log"; then
    suite="$(. /etc/os-release 2>/dev/null; echo "${VERSION_CODENAME:-bookworm}")"
    echo "== apt cannot resolve the package set; trying again with $suite's own versions"
    rc=0
    apt-get install -y -q --no-install-recommends -t "$suite" "$@" >"$log" 2>&1 || rc=$?
    # A 32-bit library must have the same version as its installed 64-bit
    # twin; when only the twin has the newer version, both take the suite's.
    local twins=() lib tries=0
    while [ "$rc" != 0 ] && [ $((tries += 1)) -le 5 ]; do
      lib="$(sed -n 's/.*Depends: \([^ :]*\):i386 .*but it is not going to be installed.*/\1/p' "$log" | head -1)"
      [ -n "$lib" ] && dpkg-query -W "$lib:amd64" >/dev/null 2>&1 || break
      [[ " ${twins[*]} " != *" $lib:amd64/$suite "* ]] || break
      twins+=("$lib:amd64/$suite")
      echo "== $lib:i386 needs its 64-bit twin at $suite's version: taking that"
      rc=0
      apt-get install -y -q --no-install-recommends --allow-downgrades -t "$suite" "$@" "${twins[@]}" >"$log" 2>&1 || rc=$?
    done
  fi
  RCP_APT_ERROR="$(grep '^E: ' "$log" | tail -1 | sed 's/^E: //')"
  rm -f "$log"
  return "$rc"
}

rcp_install_missing() {
  local which="${1:-all}" missing=() p
  local wanted=("${rcp_run_packages[@]}")
  [ "$which" = web ] && wanted+=("${rcp_web_packages[@]}")
  [ "$which" = run ] || [ "$which" = web ] || wanted+=("${rcp_test_packages[@]}")
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || { rm -f "$RCP_SETUP_STATE/wine32-missing"; return 0; }
  if ! command -v apt-get >/dev/null 2>&1 || ! [ -f /etc/debian_version ]; then
    rcp_fail "this needs Debian 12 with apt-get; missing here: ${missing[*]}"
    return 1
  fi
  echo "== installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # wine32 comes from the i386 architecture.
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  rcp_apt_update || return 1
  mkdir -p "$RCP_SETUP_STATE"
  if rcp_apt_install "${missing[@]}"; then
    rm -f "$RCP_SETUP_STATE/wine32-missing"
    return 0
  fi
  if [[ " ${missing[*]} " != *" wine32:i386 "* ]]; then
    rcp_fail "apt-get could not install ${missing[*]}: ${RCP_APT_ERROR:-see the output of apt-get}"
    return 1
  fi
  local why="$RCP_APT_ERROR" rest=()
  for p in "${missing[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
  if [ ${#rest[@]} -gt 0 ] && ! rcp_apt_install "${rest[@]}"; then
    rcp_fail "apt-get could not install ${rest[*]}: ${RCP_APT_ERROR:-see the output of apt-get}"
    return 1
  fi
  echo "32-bit Wine (wine32:i386) could not be installed (apt: ${why:-unknown})" >"$RCP_SETUP_STATE/wine32-missing"
  echo "== 32-bit Wine (wine32:i386) cannot be installed here (apt: ${why:-unknown}); everything else is, and the installer tests will be skipped"
}

# rcp_fetch_web_deps: the complete header-only HTTP library for rcpweb. The
# binary package splits it for a Linux shared library, which cannot serve a
# Windows build; the source package of the same version has the whole header.
# Fetched once into $RCP_SETUP_STATE/web, never into the repository.
RCP_WEB_DEPS="${RCP_WEB_DEPS:-$RCP_SETUP_STATE/web}"
rcp_fetch_web_deps() {
  [ -f "$RCP_WEB_DEPS/httplib/httplib.h" ] && return 0
  local suite list=/etc/apt/sources.list.d/rcp-deb-src.sources tmp
  suite="$(. /etc/os-release 2>/dev/null; echo "${VERSION_CODENAME:-bookworm}")"
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src ' /etc/apt/sources.list; then
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$suite" >"$list"
    rcp_apt_update || return 1
  fi
  tmp="$(mktemp -d)"
  if ! (cd "$tmp" && apt-get source -q cpp-httplib >source.log 2>&1); then
    tail -3 "$tmp/source.log" >&2
    rm -rf "$tmp"
    rcp_fail "apt-get source cpp-httplib failed (is there a deb-src entry for $suite main?)"
    return 1
  fi
  local header
  header="$(find "$tmp" -maxdepth 2 -name httplib.h -path '*cpp-httplib-*' | head -1)"
  [ -n "$header" ] || { rm -rf "$tmp"; rcp_fail "the cpp-httplib source has no httplib.h"; return 1; }
  mkdir -p "$RCP_WEB_DEPS/httplib"
  cp "$header" "$RCP_WEB_DEPS/httplib/httplib.h"
  cp "$(dirname "$header")/LICENSE" "$RCP_WEB_DEPS/httplib/" 2>/dev/null || true
  rm -rf "$tmp"
  echo "== cpp-httplib's header in $RCP_WEB_DEPS/httplib"
}

# rcp_configure <tree> [cmake args...]
# A tree is configured again only when it is asked for with other arguments.
rcp_configure() {
  local tree="$1"; shift
  local args="$*"
  if [ ! -f "$tree/build.ninja" ] || [ "$(cat "$tree/.rcp-configured" 2>/dev/null)" != "$args" ]; then
    cmake -S "$RCP_ROOT" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    echo "$args" >"$tree/.rcp-configured"
  fi
}

# rcp_windows_tree <tree> <program run under Wine> <target>...
# A 64-bit Windows tree ready for a script that runs its programs: packages
# installed, the tree configured, the targets built, the Wine prefix made.
rcp_windows_tree() {
  local tree="$1" program="$2"; shift 2
  rcp_install_missing
  rcp_configure "$tree" -DCMAKE_TOOLCHAIN_FILE="$RCP_ROOT/cmake/toolchain-mingw64.cmake" -DBUILD_TESTING=ON
  cmake --build "$tree" --target "$@" -j "$(nproc)" >/dev/null
  source "$RCP_ROOT/tools/wine-env.sh"
  rcp_wine_setup "$program"
}

# rcp_check_wow64 <build tree>
# The tree's Wine prefix must run 32-bit programs (the installer and its
# uninstaller) beside the 64-bit ones. A prefix made before wine32 was
# installed has an empty 32-bit system folder: it is made anew, once.
# Where 32-bit programs cannot run (no 32-bit Wine, or a kernel without 32-bit
# support) there is nothing to make: the tests that need them are skipped,
# with the reason.
rcp_check_wow64() {
  local tree="$1" probe=/usr/lib/i386-linux-gnu/wine/i386-windows/hostname.exe
  (
    source "$RCP_ROOT/tools/wine-env.sh"
    rcp_wine_loader
    if [ "$RCP_WINE32" = 0 ]; then
      echo "== WoW64: $RCP_WINE32_WHY; the installer tests will be skipped"
      return 0
    fi
    rcp_wine_setup "$tree/CMakeCache.txt"
    if [ -z "$(ls -A "$WINEPREFIX/drive_c/windows/syswow64" 2>/dev/null)" ]; then
      echo "== making $WINEPREFIX anew with 32-bit Windows beside 64-bit"
      wineserver -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
      rcp_wine_setup "$tree/CMakeCache.txt"
    fi
    # hostname.exe is a 32-bit program: it prints the host's name.
    local out
    out="$(mktemp)"
    timeout 120 wine "$probe" >"$out" 2>/dev/null </dev/null || true
    if [ -s "$out" ]; then
      echo "== WoW64: $WINEPREFIX runs 32-bit programs"
    else
      echo "== WoW64: $WINEPREFIX does not run 32-bit programs" >&2
    fi
    [ -s "$out" ]; local ok=$?
    rm -f "$out"
    return $ok
  )
}

# rcp_summary <passed> <failed> <skipped>: the test command's last line. The
# only tests ever skipped are the installer tests, and the line says why.
rcp_summary() {
  local line="$1 passed, $2 failed"
  if [ "$3" -gt 0 ]; then
    if [ "${RCP_WINE32:-1}" = 0 ]; then
      line+=", $3 skipped (the installer tests: ${RCP_WINE32_WHY})"
    else
      line+=", $3 skipped (see \"Skipped\" above)"
    fi
  fi
  echo "$line"
}

# rcp_locale <locale>, e.g. pt_BR.UTF-8: that Unix locale made when missing,
# so that Wine can run in its language (the screenshots do).
rcp_locale() {
  local language="${1%%.*}"
  locale -a 2>/dev/null | grep -qix "$language\.utf-\?8" && return 0
  if [ ! -f "/usr/share/i18n/locales/$language" ]; then
    echo "== installing: locales"
    export DEBIAN_FRONTEND=noninteractive
    rcp_apt_install locales || { rcp_apt_update && rcp_apt_install locales; } ||
      { rcp_fail "apt-get could not install locales: ${RCP_APT_ERROR:-see the output of apt-get}"; return 1; }
  fi
  echo "== making the locale $1"
  localedef -i "$language" -f UTF-8 "$1"
}
