#!/usr/bin/env bash
# Runs rcpweb's tests against rcpweb.exe under Wine with the driver-package
# stand-ins and the emulated machine: tests/web/web_test.py drives the server
# with plain HTTP and with Debian's headless Chromium.
#
#   run_web_tests.sh <demo folder> <work folder> [unittest names...]
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
demo="$1"; work="$2"; shift 2
source "$here/../../tools/wine-env.sh"
rcp_wine_setup "$demo/rcpweb.exe" || exit 1
mkdir -p "$work"
export RCPWEB_DEMO="$demo" RCPWEB_WORK="$work"
# Debian's own Python: its python3-selenium drives Debian's chromium-driver.
exec /usr/bin/python3 "$here/web_test.py" "$@"
