#!/usr/bin/env bash
# Page-action benchmark: every action that talks to the machine, on the real
# pages under Wine with the protocol's waits on the virtual clock (so the real
# time printed is our own code's; the virtual column is what the waits and the
# link cost the user), the phonebook file's own work, and then the firmware
# transfer's per-chunk work natively (tools/bench-firmware.sh).
#
#   tools/bench-pages.sh [rounds, 15]      (tree: build/win64, or $RCP_TREE)
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
rounds="${1:-15}"
tree="${RCP_TREE:-build/win64}"

unset DISPLAY
source tools/setup.sh
rcp_windows_tree "$tree" "$RCP_ROOT/$tree/tests/bench/bench_pages.exe" bench_pages
export WINEDEBUG=-all
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
# The program's output is in the Windows code page; wine's helpers keep the
# pipe open after it ends, so it goes through a file.
(cd "$RCP_ROOT/$tree/tests/bench" && wine bench_pages.exe "$rounds" >"$out" 2>/dev/null </dev/null)
echo "page actions (medians of $rounds): real time beyond the machine's waits, which run on a virtual"
echo "clock; all of it is ours but in first displays, where the last table takes off what Wine"
echo "needs for the same windows made bare. Target: 20 ms of ours per action."
iconv -f cp1252 -t utf-8 "$out"
echo
echo "firmware transfer, per-chunk work natively on the virtual clock:"
bash tools/bench-firmware.sh
