#!/bin/bash
# Ends the test run's Wine server and the virtual display it started.
VELQUOR_BUILD=${1:?build folder}
. "$(dirname "$0")/env.sh"
wineserver -k >/dev/null 2>&1 || true
if [ -f "$VELQUOR_BUILD/xvfb.pid" ]; then
  kill "$(cat "$VELQUOR_BUILD/xvfb.pid")" 2>/dev/null || true
  rm -f "$VELQUOR_BUILD/xvfb.pid"
fi
exit 0
