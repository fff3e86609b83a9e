#!/usr/bin/env bash
# Builds the register-road benchmark natively (optimised) and runs it: a whole
# phonebook reply read from the emulated machine, with the register accesses
# per byte next to the handshake's minimum and the bytes per second.
# Usage: tools/bench-parallel.sh [rounds]
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tree="$RCP_ROOT/build/bench-native"
if [ ! -f "$tree/build.ninja" ]; then
  cmake -S "$RCP_ROOT" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$tree" --target bench_direct_port >/dev/null
"$tree/tests/direct_port/bench_direct_port" "$@"
