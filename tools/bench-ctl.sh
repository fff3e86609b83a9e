#!/usr/bin/env bash
# rcpctl against the panel under Wine, on the emulated machine: for each run,
# the wall-clock time of "rcpctl info --json" from start to exit (port
# borrowed, machine found, system information read, port given back) next to
# the panel's start to its main window (which appears once its first page has
# read the machine). Both include the protocol's own waits. Prints one line per
# run, the medians and their ratio.
#
#   tools/bench-ctl.sh [runs]      (tree: build/win64, or $RCP_TREE)
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
runs="${1:-5}"
tree="${RCP_TREE:-build/win64}"
demo="$RCP_ROOT/$tree/dist/demo"

unset DISPLAY
source tools/setup.sh
rcp_windows_tree "$tree" "$demo/rcpanel.exe" rcp_demo
export WINEDEBUG=-all
state="$(mktemp -d)"
trap 'rm -rf "$state"' EXIT
export K40_MACHINE="state=Z:$state/k40-state.dat"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

main_window() {
  local w width
  for w in $(xdotool search --onlyvisible --name '^Dalvenor$' 2>/dev/null || true); do
    width="$(xdotool getwindowgeometry "$w" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')"
    if [ "${width:-0}" -ge 500 ]; then echo "$w"; return 0; fi
  done
  return 1
}

cd "$demo"
printf '%-5s %14s %14s\n' run rcpctl-ms panel-ms
ctl=(); panel=()
for run in $(seq 1 "$runs"); do
  t0="$(now_ms)"
  timeout 60 wine rcpctl.exe info --json >"$state/out.json" 2>/dev/null </dev/null || { echo "run $run: rcpctl failed" >&2; continue; }
  t1="$(now_ms)"
  grep -q '"model"' "$state/out.json" || { echo "run $run: no JSON" >&2; continue; }

  t2="$(now_ms)"
  wine rcpanel.exe >/dev/null 2>&1 </dev/null &
  pid=$!
  win=""
  while [ "$(now_ms)" -lt $((t2 + 60000)) ]; do
    if win="$(main_window)"; then break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.02
  done
  t3="$(now_ms)"
  [ -n "$win" ] && xdotool windowfocus --sync "$win" key Escape 2>/dev/null || true
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -n "$win" ] || { echo "run $run: no main window" >&2; continue; }

  ctl+=($((t1 - t0))); panel+=($((t3 - t2)))
  printf '%-5s %14d %14d\n' "$run" $((t1 - t0)) $((t3 - t2))
done

[ "${#ctl[@]}" -gt 0 ] || { echo "no complete run" >&2; exit 1; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
mc="$(median "${ctl[@]}")"; mp="$(median "${panel[@]}")"
awk -v c="$mc" -v p="$mp" -v n="${#ctl[@]}" 'BEGIN {
  printf "rcpctl info --json, start to exit: median %d ms\n", c;
  printf "panel, start to main window:      median %d ms\n", p;
  printf "ratio rcpctl / panel: %.2f (%d runs)\n", c / p, n }'
