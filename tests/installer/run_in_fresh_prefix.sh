#!/usr/bin/env bash
# Runs a Windows test program under Wine in a prefix made for this run alone,
# so that an installer meets a system that never saw the product:
#
#   run_in_fresh_prefix.sh <prefix folder> <program.exe> [arguments...]
#
# The prefix and its Wine server go at the end; a failed run keeps the prefix
# for a look inside.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
prefix="$1"; shift

# setup.exe and its uninstaller are 32-bit programs.
source "$here/../../tools/wine-env.sh"
rcp_wine_loader
if [ "$RCP_WINE32" = 0 ]; then
  echo "skipped: $RCP_WINE32_WHY (setup.exe is a 32-bit program)"
  exit 77
fi

end_prefix() {
  [ -d "$prefix" ] || return 0
  # Only this prefix's server and the processes it serves.
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
}
end_prefix
rm -rf "$prefix" "$prefix.setup-lock"

RCP_WINEPREFIX="$prefix" "$here/../../tools/wine-run" "$@"
rc=$?
end_prefix
if [ "$rc" -eq 0 ]; then
  rm -rf "$prefix" "$prefix.setup-lock"
else
  echo "exit code $rc; the prefix is kept in $prefix" >&2
fi
exit $rc
