#!/usr/bin/env bash
# rcpweb.exe under Wine on the emulated machine: the server's time per
# request answered from the last records read, our own time per machine
# operation beyond the protocol's pauses (the server's Server-Timing header),
# 100 readers of the cached records at once, the idle memory and the
# program's size. Prints one line per figure.
#
#   tools/bench-web.sh [requests]      (tree: build/win64, or $RCP_TREE)
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
tree="${RCP_TREE:-build/win64}"
demo="$RCP_ROOT/$tree/dist/demo"
source tools/setup.sh
rcp_fetch_web_deps
rcp_windows_tree "$tree" "$demo/rcpweb.exe" rcp_demo
export WINEDEBUG=-all
state="$(mktemp -d)"
trap 'rm -rf "$state"' EXIT
export K40_MACHINE="state=Z:$state/k40-state.dat"
/usr/bin/python3 tools/bench_web.py "$demo" "${1:-200}"
