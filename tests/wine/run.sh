#!/bin/bash
# Runs one Windows program of the build under the test run's Wine prefix.
# Its output goes through a file: Wine's helper processes (explorer, services)
# started meanwhile keep whatever they inherit open, which would keep CTest
# waiting for the end of a pipe long after the program has ended.
VELQUOR_BUILD=${VELQUOR_BUILD:?}
. "$(dirname "$0")/env.sh"
log=$(mktemp "${TMPDIR:-/tmp}/velquor-wine.XXXXXX")
wine "$@" >"$log" 2>&1 </dev/null
code=$?
cat "$log"
rm -f "$log"
exit $code
