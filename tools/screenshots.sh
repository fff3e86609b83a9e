#!/usr/bin/env bash
# Regenerates the screenshots in docs/: the main window with each of its five
# pages selected, the firmware page alone (after "Ignore" with a silent
# machine), the start-up error boxes "Não responde" and "Porta está
# ocupada", and a firmware update (image chosen, under way, completed, and
# one that the machine did not apply). The
# panel runs under Wine in a private Xvfb against the emulated machine;
# tests/e2e/panel_shots.cpp poses it, this script takes the pictures, each
# cropped to its window (or to the windows a pose names).
#
#   tools/screenshots.sh            (tree: build/win64, or $RCP_TREE)
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
tree="${RCP_TREE:-build/win64}"
# Always the private Xvfb: the same screen size and no other windows.
unset DISPLAY
source tools/setup.sh
rcp_windows_tree "$tree" "$RCP_ROOT/$tree/dist/demo/rcpanel.exe" rcp_demo panel_shots

work="$RCP_ROOT/$tree/screenshots"
mkdir -p "$work" docs
request="$work/pose.request"
rm -f "$request"

RCP_WINE_TIMEOUT=500 tools/wine-run "$tree/tests/e2e/panel_shots.exe" "Z:$request" >"$work/panel_shots.log" 2>&1 &
poser=$!
trap 'kill "$poser" 2>/dev/null || true' EXIT

taken=()
while kill -0 "$poser" 2>/dev/null; do
  if [ -s "$request" ]; then
    read -r name xid crop <"$request"
    if [ -z "$xid" ] || [ "$xid" = 0 ]; then
      xid="$(xdotool search --onlyvisible --name . 2>/dev/null | tail -1)"
    fi
    if [ -n "${crop:-}" ]; then
      # Several windows at once: the screen, cropped to them.
      import -window "$xid" -crop "$crop" +repage "docs/$name.png"
    else
      import -window "$xid" "docs/$name.png"
    fi
    taken+=("docs/$name.png")
    rm -f "$request"
  fi
  sleep 0.1
done
status=0
wait "$poser" || status=$?
trap - EXIT

for f in "${taken[@]}"; do echo "$f"; done
if [ "$status" -ne 0 ]; then
  echo "posing failed (exit $status); see $work/panel_shots.log" >&2
  exit 1
fi
