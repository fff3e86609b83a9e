#!/usr/bin/env bash
# Screenshots of the web panel's pages for docs/ (web-<page>.png, and the
# phonebook at a phone's width), taken with headless Chromium from rcpweb.exe
# under Wine on a fresh emulated machine.
#
#   tools/web-screenshots.sh [folder]      (default: docs)
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
tree="${RCP_TREE:-build/win64}"
out="$(mkdir -p "${1:-docs}" && cd "${1:-docs}" && pwd)"
source tools/setup.sh
rcp_fetch_web_deps
rcp_windows_tree "$tree" "$RCP_ROOT/$tree/dist/demo/rcpweb.exe" rcp_demo
RCPWEB_SHOTS="$out" bash tests/web/run_web_tests.sh "$RCP_ROOT/$tree/dist/demo" "$RCP_ROOT/$tree/web-screenshots" \
  Screenshots
ls "$out"/web-*.png
