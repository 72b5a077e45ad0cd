#!/bin/bash
# Runs the analytics benchmark beside its own collector and prints its figures.
#   tests/analytics/run_bench.sh [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export VELQUOR_BUILD=$(cd "${1:-$here/../../build}" && pwd)
export VELQUOR_SOURCE=$(cd "$here/../.." && pwd)
"$VELQUOR_SOURCE/tests/wine/start.sh" "$VELQUOR_BUILD"
"$here/with_collector.sh" "$VELQUOR_BUILD/bin/analytics_bench.exe"
