#!/usr/bin/env bash
# Sets everything up on Debian 12 and runs every test: the portable core
# natively, then the Windows programs, widgets, cleanup library and end-to-end
# tests under Wine. Ends with one summary line.
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
source tools/setup.sh
rcp_install_missing
rcp_fetch_web_deps
source tools/wine-env.sh
rcp_wine_loader

jobs="$(nproc)"
echo "== configuring"
rcp_configure build/native
rcp_configure build/sanitize -DRCP_SANITIZE=ON
CC=clang-14 CXX=clang++-14 rcp_configure build/fuzz -DRCP_FUZZ=ON
rcp_configure build/win64 -DCMAKE_TOOLCHAIN_FILE="$RCP_ROOT/cmake/toolchain-mingw64.cmake" -DBUILD_TESTING=ON
rcp_configure build/win32 -DCMAKE_TOOLCHAIN_FILE="$RCP_ROOT/cmake/toolchain-mingw32.cmake" \
  -DBUILD_TESTING=OFF

echo "== building"
cmake --build build/native -j "$jobs"
cmake --build build/sanitize -j "$jobs"
cmake --build build/fuzz -j "$jobs"
cmake --build build/win64 -j "$jobs"
cmake --build build/win32 -j "$jobs"
echo "== making setup.exe"
bash installer/build.sh build/win64 build/win32 build/installer
# The installer tests run 32-bit programs (setup.exe, its uninstaller) beside 64-bit ones.
rcp_check_wow64 "$RCP_ROOT/build/win64"

passed=0; failed=0; skipped=0; status=0
run_ctest() {
  local tree="$1" log
  log="$(mktemp)"
  echo "== testing $tree"
  ( cd "$tree" && ctest --output-on-failure -j "$jobs" ) 2>&1 | tee "$log" || status=1
  local total fails
  total="$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)"
  fails="$(sed -n 's/.* \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -1)"
  [ -n "$total" ] || { status=1; total=0; fails=0; }
  local skips
  skips="$(grep -c -- '\*\*\*Skipped' "$log" || true)"
  passed=$((passed + total - fails - skips)); failed=$((failed + fails)); skipped=$((skipped + skips))
  rm -f "$log"
}
run_ctest build/native
# A sanitizer report ends the test with a failure.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 run_ctest build/sanitize
# Each fuzz target for a few seconds (tools/fuzz.sh runs them longer).
run_ctest build/fuzz
run_ctest build/win64
[ "$failed" -eq 0 ] || status=1
rcp_summary "$passed" "$failed" "$skipped"
exit $status
