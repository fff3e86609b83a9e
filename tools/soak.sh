#!/usr/bin/env bash
# Long run of the real panel under Wine against the emulated machine: page
# refreshes and phonebook and settings round trips, with the process's
# figures at the start, after the refreshes, halfway through the round trips
# and at the end (not a test; about an hour by default). Windows-side
# figures come from the Win32 queries (Wine answers some with zeros);
# host-side ones from /proc of the panel's Wine process: resident and
# anonymous (private) memory, threads and open files.
#
#   tools/soak.sh [refreshes] [round trips]      (default 500 50)
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
tree="${RCP_TREE:-build/win64}"
source tools/setup.sh
rcp_windows_tree "$tree" "$RCP_ROOT/$tree/dist/demo/rcpanel.exe" rcp_demo panel_soak

log="$RCP_ROOT/$tree/soak.log"
request="$RCP_ROOT/$tree/soak.request"
rm -f "$request" "$log.host"
WINEDEBUG=-all RCP_WINE_TIMEOUT=14400 tools/wine-run "$tree/tests/e2e/panel_soak.exe" "Z:$request" \
  "${1:-500}" "${2:-50}" >"$log" 2>"$log.err" &
driver=$!
trap 'kill "$driver" 2>/dev/null || true' EXIT
while kill -0 "$driver" 2>/dev/null; do
  if [ -s "$request" ]; then
    read -r when _ <"$request"
    pid="$(pgrep -n -f 'rcpanel.exe' || true)"
    if [ -n "$pid" ]; then
      rss="$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")"
      anon="$(awk '/^RssAnon/ {print $2}' "/proc/$pid/status")"
      threads="$(awk '/^Threads/ {print $2}' "/proc/$pid/status")"
      files="$(ls "/proc/$pid/fd" | wc -l)"
      printf '%-9s host: resident %6s KiB  private (anonymous) %6s KiB  threads %3s  open files %3s\n' \
        "$when" "$rss" "$anon" "$threads" "$files" >>"$log.host"
    fi
    rm -f "$request"
  fi
  sleep 0.2
done
status=0
wait "$driver" || status=$?
trap - EXIT
cat "$log" "$log.host" 2>/dev/null
if [ "$status" -ne 0 ]; then
  echo "the soak run failed (exit $status); see $log.err" >&2
  exit 1
fi
