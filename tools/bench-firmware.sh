#!/usr/bin/env bash
# Builds the firmware-transfer benchmark natively (optimised) and runs it: a
# 1 MiB image sent on each road to the emulated machine, the time our own
# code takes (the update's pauses run on a virtual clock and cost nothing) as
# MB/s next to the rate of the link itself.
# Usage: tools/bench-firmware.sh [rounds]
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tree="$RCP_ROOT/build/bench-native"
if [ ! -f "$tree/build.ninja" ]; then
  cmake -S "$RCP_ROOT" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$tree" --target bench_firmware >/dev/null
"$tree/tests/firmware/bench_firmware" "$@"
