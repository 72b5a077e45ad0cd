#!/bin/bash
# Runs a download test program under Wine against a package server of its own.
# Usage: with_server.sh <test exe> <gtest filter> [package server options...]
# The program finds the server through VELQUOR_PACKAGE_PORT, its served folder
# and request log through VELQUOR_PACKAGE_ROOT (a host path).
set -u
exe=${1:?test program}
filter=${2:?gtest filter}
shift 2
. "$VELQUOR_SOURCE/tests/wine/env.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/velquor-packages.XXXXXX")
mkdir -p "$work/files"
python3 "$VELQUOR_SOURCE/tools/package-server/package_server.py" --root "$work/files" \
  --port-file "$work/port" --log "$work/requests.log" --lifetime 290 "$@" >"$work/server.out" 2>&1 &
server=$!
cleanup() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

for _ in $(seq 1 100); do
  [ -s "$work/port" ] && break
  sleep 0.1
done
if [ ! -s "$work/port" ]; then
  echo "package server did not start:"; cat "$work/server.out"; exit 1
fi
export VELQUOR_PACKAGE_PORT=$(cat "$work/port")
export VELQUOR_PACKAGE_ROOT=$work
"$VELQUOR_SOURCE/tests/wine/run.sh" "$exe" --gtest_filter="$filter"
code=$?
if [ $code -ne 0 ] && [ -s "$work/server.out" ]; then
  echo "--- package server output"; cat "$work/server.out"
fi
exit $code
