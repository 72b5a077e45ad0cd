#!/bin/bash
# make run: runs the installer once under Wine and tells how it ended.
set -uo pipefail
BUILD=$(cd "${1:-build}" && pwd)
export VELQUOR_BUILD=$BUILD
"$(dirname "$0")/../tests/wine/start.sh" "$BUILD"
. "$(dirname "$0")/../tests/wine/env.sh"
wine "$BUILD/bin/VelquorSetup.exe" "${@:2}"
code=$?
echo "VelquorSetup.exe exited with $code"
"$(dirname "$0")/../tests/wine/stop.sh" "$BUILD"
