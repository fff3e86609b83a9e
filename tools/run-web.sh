#!/usr/bin/env bash
# The web panel's part of tools/run.sh --web (Wine already set up):
#
#   tools/run-web.sh <demo folder> <address:port> [display the user had]
#
# Starts rcpweb.exe against the emulated machine and prints its address.
# With a display it serves until Ctrl+C; without one it reads the machine
# once, saves a screenshot of the phonebook page taken with headless Chromium
# next to the panel's screenshots, prints its path and stops.
set -euo pipefail
demo="$1"; listen="$2"; had_display="${3:-}"
url="http://$listen"
tree="$(cd "$demo/../.." && pwd)"
log="$tree/rcpweb-debug.log"

cd "$demo"
wine rcpweb.exe --listen "$listen" >"$log" 2>&1 </dev/null &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT
for _ in $(seq 1 150); do
  curl -s -o /dev/null -m 2 "$url/api/session" && break
  kill -0 "$server" 2>/dev/null || { echo "rcpweb.exe did not start; see $log" >&2; exit 1; }
  sleep 0.2
done
echo "== the web panel: $url/ (the machine's debugger lines: $log)"
if [ -n "$had_display" ]; then
  echo "== Ctrl+C stops it"
  wait "$server"
  exit 0
fi

# The records read once through the API, as the page's "Ler da máquina" does,
# so that the screenshot shows them.
jar="$(mktemp)"
token="$(curl -s -c "$jar" "$url/api/session" | sed -n 's/.*"token":"\([0-9a-f]*\)".*/\1/p')"
curl -s -o /dev/null -b "$jar" -X POST -H "Origin: $url" -H "X-CSRF-Token: $token" \
  -H "Content-Type: application/json" -d '{}' "$url/api/machine/read"
rm -f "$jar"
shots="$tree/screenshots"
mkdir -p "$shots"
profile="$(mktemp -d)"
timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync --user-data-dir="$profile" \
  --lang=pt-BR --hide-scrollbars --window-size=1000,1100 --virtual-time-budget=5000 \
  --screenshot="$shots/web-phonebook.png" "$url/#/diretorio" >/dev/null 2>&1 || true
rm -rf "$profile"
[ -s "$shots/web-phonebook.png" ] || { echo "no screenshot was taken" >&2; exit 1; }
echo "screenshot: $shots/web-phonebook.png"
