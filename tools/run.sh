#!/usr/bin/env bash
# Builds the Windows program and starts it under Wine against the emulated
# Quillmark K40 (the stand-in driver DLLs in build/win64/dist/demo).
#
#   tools/run.sh              the machine on USB (the stand-in DLLs' pipes)
#   tools/run.sh --parallel   the machine on the parallel port: "\\.\QordEcp1"
#                             (and "LPT1" for a program told it runs on
#                             Windows 98), served by k40-pty-bridge
#   tools/run.sh --web        the web panel, rcpweb.exe, on 127.0.0.1:8640
#                             ($RCP_WEB_LISTEN changes it); it prints the
#                             address and serves until Ctrl+C. Without a
#                             display it saves a screenshot of the phonebook
#                             page (headless Chromium) and stops.
#
# With a DISPLAY the panel's window opens there and the script waits for it to
# be closed. Without one the panel runs in a private Xvfb: the script waits for
# the main window, saves a screenshot, prints its path and closes the panel.
# The panel's debugger lines go to build/win64/rcpanel-debug.log.
set -euo pipefail
road=usb
[ "${1:-}" = "--parallel" ] && road=parallel
web=0
[ "${1:-}" = "--web" ] && web=1
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
source tools/setup.sh
if [ "$web" = 1 ]; then
  rcp_install_missing web
  rcp_fetch_web_deps
else
  rcp_install_missing run
fi

tree="${RCP_TREE:-build/win64}"  # another tree for trying the script
echo "== building $tree"
# The tests' sources come with the test command's packages; until then the tree has none.
testing=OFF
[ -d /usr/src/googletest ] && testing=ON
rcp_configure "$tree" -DCMAKE_TOOLCHAIN_FILE="$RCP_ROOT/cmake/toolchain-mingw64.cmake" -DBUILD_TESTING=$testing
targets=(rcp_demo)
[ "$road" = parallel ] && targets+=(k40_pty_bridge)
cmake --build "$tree" --target "${targets[@]}" -j "$(nproc)"

demo="$RCP_ROOT/$tree/dist/demo"
log="$RCP_ROOT/$tree/rcpanel-debug.log"
had_display="${DISPLAY:-}"
source tools/wine-env.sh
rcp_wine_setup "$demo/rcpanel.exe"

if [ "$web" = 1 ]; then
  exec bash "$RCP_ROOT/tools/run-web.sh" "$demo" "${RCP_WEB_LISTEN:-127.0.0.1:8640}" "$had_display"
fi

bridge=""
cleanup() {
  [ -n "${panel:-}" ] && kill "$panel" 2>/dev/null || true
  if [ -n "$bridge" ]; then
    kill "$bridge" 2>/dev/null || true
    wait "$bridge" 2>/dev/null || true
  fi
}
trap cleanup EXIT
if [ "$road" = parallel ]; then
  # The USB libraries stay, but without pipes: the panel turns to the parallel port.
  export K40_MACHINE="usb=off"
  "$RCP_ROOT/$tree/host/k40-pty-bridge" --demo "$demo" \
    "$WINEPREFIX/dosdevices/lpt1" "$WINEPREFIX/dosdevices/qordecp1" >"$RCP_ROOT/$tree/bridge.out" 2>&1 &
  bridge=$!
  for _ in $(seq 1 50); do grep -q '^ready' "$RCP_ROOT/$tree/bridge.out" && break; sleep 0.1; done
  echo "== machine on the parallel port: $(cat "$RCP_ROOT/$tree/bridge.out")"
fi

cd "$demo"
if [ -n "$had_display" ]; then
  echo "== starting the panel on $DISPLAY (debugger lines: $log)"
  wine rcpanel.exe >"$log" 2>&1 </dev/null || true
  exit 0
fi

echo "== no display: running the panel in Xvfb on $DISPLAY"
wine rcpanel.exe >"$log" 2>&1 </dev/null &
panel=$!

# The main window: "Dalvenor" and larger than a message box of the same caption.
main=""
for _ in $(seq 1 300); do
  for w in $(xdotool search --onlyvisible --name '^Dalvenor$' 2>/dev/null || true); do
    width="$(xdotool getwindowgeometry "$w" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')"
    if [ "${width:-0}" -ge 500 ]; then main="$w"; break; fi
  done
  [ -n "$main" ] && break
  kill -0 "$panel" 2>/dev/null || break
  sleep 0.2
done
if [ -z "$main" ]; then
  echo "the main window did not appear; see $log" >&2
  exit 1
fi
sleep 1  # let the first page finish drawing

shots="$RCP_ROOT/$tree/screenshots"
mkdir -p "$shots"
import -window "$main" "$shots/main-window.png"
echo "screenshot: $shots/main-window.png"

# Esc ends the main dialog (Cancel); the panel then gives the port back.
xdotool windowfocus --sync "$main" key Escape 2>/dev/null || true
for _ in $(seq 1 50); do
  kill -0 "$panel" 2>/dev/null || break
  sleep 0.2
done
if kill -0 "$panel" 2>/dev/null; then
  kill "$panel" 2>/dev/null || true
fi
wait "$panel" 2>/dev/null || true
panel=""
echo "== panel closed"
