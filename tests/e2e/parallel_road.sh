#!/usr/bin/env bash
# Runs the parallel-port end-to-end tests: starts the bridge that puts the
# emulated machine behind the Wine prefix's "LPT1" and "\\.\QordEcp1", runs
# the ParallelRoad suite of panel_e2e_test.exe, then ends the bridge.
#
#   parallel_road.sh <bridge> <panel_e2e_test.exe> <demo dir> <work dir>
set -u
bridge="$1"; test_exe="$2"; demo="$3"; work="$4"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
source "$root/tools/wine-env.sh"
rcp_wine_setup "$test_exe" || exit 125

links=("$WINEPREFIX/dosdevices/lpt1" "$WINEPREFIX/dosdevices/qordecp1")
rm -f "$work/bridge-state.dat"
ready="$work/bridge.out"
: >"$ready"
K40_MACHINE="state=$work/bridge-state.dat" "$bridge" --demo "$demo" "${links[@]}" >"$ready" 2>"$work/bridge.err" &
bridge_pid=$!
stop_bridge() {
  kill "$bridge_pid" 2>/dev/null
  wait "$bridge_pid" 2>/dev/null
  rm -f "${links[@]}"
}
trap stop_bridge EXIT
for _ in $(seq 1 50); do
  grep -q '^ready ' "$ready" && break
  sleep 0.1
done
if ! grep -q '^ready ' "$ready"; then
  echo "the bridge did not start:" >&2
  cat "$work/bridge.err" >&2
  exit 1
fi

RCP_PTY_BRIDGE=1 "$root/tools/wine-run" "$test_exe" --gtest_filter='ParallelRoad.*'
