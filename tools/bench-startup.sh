#!/usr/bin/env bash
# Start-up benchmark of the panel under Wine against the emulated machine:
# for each run, the time from starting the process to its main window being
# shown, less the inquiry's own 1,500 ms spin, and the process's peak resident
# memory (VmHWM of the Wine process running rcpanel.exe). Prints one line per
# run and a summary. The main window appears only after its first page (the
# Settings page) has read the machine, so its 1,000 + 500 ms of spins are part
# of the figure.
#
#   tools/bench-startup.sh [runs]      (tree: build/win64, or $RCP_TREE)
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
runs="${1:-5}"
tree="${RCP_TREE:-build/win64}"
demo="$RCP_ROOT/$tree/dist/demo"
inquiry_spin_ms=1500

source tools/setup.sh
rcp_install_missing
rcp_configure "$tree" -DCMAKE_TOOLCHAIN_FILE="$RCP_ROOT/cmake/toolchain-mingw64.cmake"
cmake --build "$tree" --target rcp_demo -j "$(nproc)" >/dev/null

unset DISPLAY
source tools/wine-env.sh
rcp_wine_setup "$demo/rcpanel.exe"
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

hwm_kb() { sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$1/status" 2>/dev/null || true; }

cd "$demo"
printf '%-5s %12s %12s\n' run start-ms peak-MiB
times=(); peaks=()
for run in $(seq 1 "$runs"); do
  t0="$(now_ms)"
  wine rcpanel.exe >/dev/null 2>&1 </dev/null &
  pid=$!
  win=""; peak=0
  deadline=$((t0 + 60000))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    kb="$(hwm_kb "$pid")"; [ -n "$kb" ] && [ "$kb" -gt "$peak" ] && peak="$kb"
    if win="$(main_window)"; then break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.02
  done
  t1="$(now_ms)"
  if [ -z "$win" ]; then
    echo "run $run: no main window" >&2
    kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true
    continue
  fi
  # Let the first page finish, then close; the peak covers the whole run.
  sleep 1
  kb="$(hwm_kb "$pid")"; [ -n "$kb" ] && [ "$kb" -gt "$peak" ] && peak="$kb"
  xdotool windowfocus --sync "$win" key Escape 2>/dev/null || true
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true

  ms=$((t1 - t0 - inquiry_spin_ms))
  times+=("$ms"); peaks+=("$peak")
  awk -v r="$run" -v ms="$ms" -v kb="$peak" 'BEGIN { printf "%-5s %12d %12.1f\n", r, ms, kb / 1024 }'
done

[ "${#times[@]}" -gt 0 ] || { echo "no run reached the main window" >&2; exit 1; }
printf '%s\n' "${times[@]}" | sort -n | awk -v peaks="${peaks[*]}" '
  { t[NR] = $1; sum += $1 }
  END {
    n = split(peaks, p, " "); pmax = 0; for (i = 1; i <= n; i++) if (p[i] > pmax) pmax = p[i];
    printf "start-up to main window, less the %d ms inquiry spin: min %d ms, median %d ms, max %d ms (%d runs)\n",
      1500, t[1], t[int((NR + 1) / 2)], t[NR], NR;
    printf "peak resident memory (VmHWM): %.1f MiB\n", pmax / 1024 }'
