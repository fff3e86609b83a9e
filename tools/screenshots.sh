#!/usr/bin/env bash
# Regenerates the screenshots in docs/: the main window with each of its five
# pages selected, the firmware page alone (after "Ignore" with a silent
# machine), the start-up error boxes "Não responde" and "Porta está
# ocupada", a firmware update (image chosen, under way, completed, and one
# after which the machine reports the version it had), the contacts import
# preview, the backup list and the usage history, also at 144 DPI. The
# panel runs under Wine in a private Xvfb against the emulated machine;
# tests/e2e/panel_shots.cpp poses it, this script takes the pictures, each
# cropped to its window (or to the windows a pose names). Wine runs in
# Brazilian Portuguese, in a fresh prefix of its own, so that its own texts
# (a message box's buttons, the backup list's dates) read as on a Portuguese
# Windows and the user's folders hold nothing from earlier runs.
#
#   tools/screenshots.sh            (tree: build/win64, or $RCP_TREE)
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
tree="${RCP_TREE:-build/win64}"
work="$RCP_ROOT/$tree/screenshots"
# Always the private Xvfb: the same screen size and no other windows.
unset DISPLAY
source tools/setup.sh
rcp_locale pt_BR.UTF-8
# The prefix's user is named as an office user would be, not after the
# build machine's account: the pictures show paths under it.
export RCP_WINE_LANG=pt_BR.UTF-8 RCP_WINEPREFIX="$work/prefix" USER=ana LOGNAME=ana
if [ -d "$RCP_WINEPREFIX" ]; then WINEPREFIX="$RCP_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true; fi
rm -rf "$RCP_WINEPREFIX"
rcp_windows_tree "$tree" "$RCP_ROOT/$tree/dist/demo/rcpanel.exe" rcp_demo rcp_fw_images panel_shots
# Wine links the user's Documents and the like to the host's home: here they
# are the prefix's own folders (a firmware image is chosen from Documents).
for folder in "$RCP_WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$folder" ]; then rm "$folder" && mkdir "$folder"; fi
done

mkdir -p "$work" docs
request="$work/pose.request"
rm -f "$request"

taken=()
# pose_run <arguments of panel_shots after the request file>: the poser
# runs, and each picture it asks for is taken.
pose_run() {
  RCP_WINE_TIMEOUT=500 tools/wine-run "$tree/tests/e2e/panel_shots.exe" "Z:$request" "$@" >>"$work/panel_shots.log" 2>&1 &
  local poser=$!
  trap 'kill "$poser" 2>/dev/null || true' EXIT
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
  local status=0
  wait "$poser" || status=$?
  trap - EXIT
  return "$status"
}

rm -f "$work/panel_shots.log"
status=0
pose_run || status=$?
# The usage history again at 144 DPI (150 %): Wine takes the resolution from
# the user's desktop settings when a program starts.
if [ "$status" -eq 0 ]; then
  source tools/wine-env.sh
  timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  pose_run usage-history-144dpi || status=$?
  timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
fi
wineserver -k >/dev/null 2>&1 || true

for f in "${taken[@]}"; do echo "$f"; done
if [ "$status" -ne 0 ]; then
  echo "posing failed (exit $status); see $work/panel_shots.log" >&2
  exit 1
fi
