#!/usr/bin/env bash
# Takes the installer's pictures for docs/ and the user's guide: the welcome
# and finish pages of setup.exe, the product in Wine's list of installed
# programs, and the uninstaller's confirmation page. Runs setup.exe (made by
# installer/build.sh) in a Wine prefix of its own, in the private Xvfb, with
# real key presses, and Wine in Brazilian Portuguese, so that its list of
# installed programs reads as on a Portuguese Windows.
#
#   installer/screenshots.sh [setup.exe]       (default: build/installer/setup.exe)
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
setup="$(realpath "${1:-build/installer/setup.exe}")"
[ -f "$setup" ] || { echo "missing: $setup (run installer/build.sh first)" >&2; exit 1; }

work="$RCP_ROOT/build/installer/screenshots"
export RCP_WINEPREFIX="$work/prefix"
if [ -d "$RCP_WINEPREFIX" ]; then WINEPREFIX="$RCP_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true; fi
rm -rf "$work"
mkdir -p "$work" docs
unset DISPLAY
source tools/setup.sh
rcp_locale pt_BR.UTF-8
export RCP_WINE_LANG=pt_BR.UTF-8
source tools/wine-env.sh
rcp_wine_setup "$work/x"

started=()
finish() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k >/dev/null 2>&1 || true
}
trap finish EXIT

# window <title pattern>: the newest visible window with that title.
window() {
  local id=""
  for _ in $(seq 1 150); do
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  echo "no window \"$1\"" >&2
  return 1
}
# shot <window> <name>: the window alone, once it has painted.
shot() {
  for _ in 1 2 3 4 5; do
    sleep 1.5
    import -window "$1" "docs/$2.png" 2>/dev/null && { echo "docs/$2.png"; return 0; }
  done
  echo "cannot take docs/$2.png" >&2
  return 1
}
# press <window> <key>: a real key press; the window may be gone by its release.
press() {
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool key "$2" 2>/dev/null || true
}

wine "$setup" >"$work/setup.log" 2>&1 </dev/null &
started+=($!)
w="$(window 'Veltra Quillmark K40 Series')"
shot "$w" installer-welcome
press "$w" Return              # Próximo: the components
sleep 1
press "$w" Return              # Instalar
sleep 4
shot "$w" installer-finish
press "$w" Return              # Terminar
wait "${started[0]}" || true

wine uninstaller >"$work/list.log" 2>&1 </dev/null &
started+=($!)
w="$(window 'Adicionar/Remover Programas')"
sleep 1
xdotool mousemove --window "$w" 120 222 click 1   # the product's row, selected
shot "$w" installed-programs
press "$w" Escape
wait "${started[1]}" || true

wine "C:\\Program Files\\Veltra Quillmark K40 Series\\desinstalar.exe" >"$work/uninstall.log" 2>&1 </dev/null &
started+=($!)
w="$(window 'Veltra Quillmark K40 Series')"
shot "$w" uninstall-confirm
press "$w" Return              # Desinstalar
sleep 4
w="$(window 'Veltra Quillmark K40 Series')"
press "$w" Return              # Fechar
sleep 3   # the uninstaller's copy of itself ends
