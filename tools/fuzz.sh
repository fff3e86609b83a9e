#!/usr/bin/env bash
# Runs every fuzz target for a while and prints, per target, the executions
# and the crashes found (inputs that crashed are kept in build/fuzz/crashes/).
#
#   bash tools/fuzz.sh [seconds per target] [executions per target]
#
# Seconds default to 60; with an execution count a target stops at whichever
# comes first. RCP_FUZZ_TARGETS="fuzz_pbf fuzz_settings" picks targets, so
# that two runs can share the cores.
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
source tools/setup.sh
rcp_install_missing
seconds="${1:-60}"
runs_flag=()
[ -n "${2:-}" ] && runs_flag=(-runs="$2")

CC=clang-14 CXX=clang++-14 rcp_configure build/fuzz -DRCP_FUZZ=ON
cmake --build build/fuzz -j "$(nproc)" >/dev/null
work="$RCP_ROOT/build/fuzz/tests/fuzz/work"
python3 tools/make_fuzz_seeds.py "$work"
mkdir -p build/fuzz/crashes

printf '%-24s %14s %8s\n' target executions crashes
total_crashes=0
targets="${RCP_FUZZ_TARGETS:-$(cd build/fuzz/tests/fuzz && ls -d fuzz_* | grep -v '\.' || true)}"
for name in $targets; do
  exe="build/fuzz/tests/fuzz/$name"
  [ -x "$exe" ] || continue
  read -r -a flags <"$work/$name.flags"
  log="build/fuzz/$name.log"
  # A crash ends that target's run; the input is kept under crashes/
  UBSAN_OPTIONS=halt_on_error=1 "$exe" -max_total_time="$seconds" "${runs_flag[@]}" "${flags[@]}" -print_final_stats=1 \
    -artifact_prefix="build/fuzz/crashes/$name-" "$work/$name/corpus" "$work/$name/seeds" \
    >"$log" 2>&1 || true
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  # Slow units are kept too but are no failure.
  crashes="$(ls build/fuzz/crashes/ 2>/dev/null | grep "^$name-" | grep -vc -- "-slow-unit-" || true)"
  total_crashes=$((total_crashes + crashes))
  printf '%-24s %14s %8s\n' "$name" "${runs:-?}" "$crashes"
done
[ "$total_crashes" -eq 0 ]
