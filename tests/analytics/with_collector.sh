#!/bin/bash
# Runs one Windows test program beside its own collector on a free port of
# 127.0.0.1. The port reaches the program as VELQUOR_COLLECTOR_PORT; with
# --tls the collector serves HTTPS with a certificate made here, and the
# program gets VELQUOR_COLLECTOR_TLS=1.
set -uo pipefail
: "${VELQUOR_BUILD:?}" "${VELQUOR_SOURCE:?}"
tls=0
if [ "${1:-}" = "--tls" ]; then tls=1; shift; fi
program=${1:?program}
shift

work=$(mktemp -d "${TMPDIR:-/tmp}/velquor-collector.XXXXXX")
collector_args=(--port 0 --port-file "$work/port" --lifetime 280 --quiet)
if [ $tls = 1 ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=127.0.0.1" \
    -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 || { echo "openssl req failed"; exit 1; }
  collector_args+=(--tls-cert "$work/cert.pem" --tls-key "$work/key.pem")
fi
python3 "$VELQUOR_SOURCE/tools/collector/collector.py" "${collector_args[@]}" >"$work/collector.log" 2>&1 &
collector=$!
cleanup() {
  kill "$collector" 2>/dev/null
  wait "$collector" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 1 100); do
  [ -s "$work/port" ] && break
  sleep 0.05
done
if [ ! -s "$work/port" ]; then
  echo "the collector did not start:"; cat "$work/collector.log"; exit 1
fi
export VELQUOR_COLLECTOR_PORT=$(cat "$work/port")
# libcurl honours proxy variables; the collector is on loopback.
export NO_PROXY=127.0.0.1,localhost no_proxy=127.0.0.1,localhost
export VELQUOR_COLLECTOR_TLS=$tls
"$VELQUOR_SOURCE/tests/wine/run.sh" "$program" "$@"
code=$?
if [ $code != 0 ] && [ -s "$work/collector.log" ]; then
  echo "--- collector output"; cat "$work/collector.log"
fi
exit $code
