#!/bin/bash
# Runs a download test program under Wine against a package server of its own.
# Usage: with_server.sh [--collector] <test exe> <gtest filter> [package server options...]
# The program finds the server through VELQUOR_PACKAGE_PORT, its served folder
# and request log through VELQUOR_PACKAGE_ROOT (a host path). With --collector
# an analytics collector (tools/collector) runs too, at VELQUOR_COLLECTOR_PORT.
set -u
collector=0
if [ "${1:-}" = "--collector" ]; then collector=1; shift; fi
exe=${1:?test program}
filter=${2:?gtest filter}
shift 2
. "$VELQUOR_SOURCE/tests/wine/env.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/velquor-packages.XXXXXX")
mkdir -p "$work/files"
python3 "$VELQUOR_SOURCE/tools/package-server/package_server.py" --root "$work/files" \
  --port-file "$work/port" --log "$work/requests.log" --lifetime 290 "$@" >"$work/server.out" 2>&1 &
server=$!
collector_pid=
if [ $collector = 1 ]; then
  python3 "$VELQUOR_SOURCE/tools/collector/collector.py" --port 0 --port-file "$work/collector.port" \
    --lifetime 290 --quiet >"$work/collector.out" 2>&1 &
  collector_pid=$!
fi
cleanup() {
  kill "$server" $collector_pid 2>/dev/null
  wait "$server" $collector_pid 2>/dev/null
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
if [ $collector = 1 ]; then
  for _ in $(seq 1 100); do
    [ -s "$work/collector.port" ] && break
    sleep 0.1
  done
  [ -s "$work/collector.port" ] || { echo "collector did not start:"; cat "$work/collector.out"; exit 1; }
  export VELQUOR_COLLECTOR_PORT=$(cat "$work/collector.port")
  export VELQUOR_COLLECTOR_TLS=0
  # libcurl honours proxy variables; both servers are on loopback.
  export NO_PROXY=127.0.0.1,localhost no_proxy=127.0.0.1,localhost
fi
export VELQUOR_PACKAGE_ROOT=$work
"$VELQUOR_SOURCE/tests/wine/run.sh" "$exe" --gtest_filter="$filter"
code=$?
if [ $code -ne 0 ] && [ -s "$work/server.out" ]; then
  echo "--- package server output"; cat "$work/server.out"
fi
exit $code
