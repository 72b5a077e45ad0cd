#!/bin/bash
# Runs a Windows test program while our package server serves a package.
#   with_package_server.sh PACKAGE_SOURCE TEST_EXE [ARGS...]
# The package served as /software/251 is PACKAGE_SOURCE padded to 1.5 MiB (the
# client refuses packages under 1 MiB). The program finds the server in
# VELQUOR_PACKAGE_URL and its request log in VELQUOR_PACKAGE_LOG (a Windows path).
set -u
: "${VELQUOR_BUILD:?}" "${VELQUOR_SOURCE:?}"
. "$VELQUOR_SOURCE/tests/wine/env.sh"
source_package=$1
shift
root=$(mktemp -d "${TMPDIR:-/tmp}/velquor-pkgsrv.XXXXXX")
cp "$source_package" "$root/VelquorPackage.exe"
truncate -s 1572864 "$root/VelquorPackage.exe"
python3 "$VELQUOR_SOURCE/tools/package-server/package_server.py" --root "$root" --port 0 \
  --port-file "$root/port" --log "$root/requests.log" --lifetime 900 --package 251=VelquorPackage.exe \
  >"$root/server.out" 2>&1 &
server=$!
for _ in $(seq 1 100); do [ -s "$root/port" ] && break; sleep 0.1; done
if [ ! -s "$root/port" ]; then
  echo "package server did not start"; cat "$root/server.out"; kill $server 2>/dev/null; exit 1
fi
export VELQUOR_PACKAGE_URL="http://127.0.0.1:$(cat "$root/port")"
export VELQUOR_PACKAGE_LOG="Z:$(echo "$root/requests.log" | tr / '\\')"
"$VELQUOR_SOURCE/tests/wine/run.sh" "$@"
code=$?
kill $server 2>/dev/null
wait $server 2>/dev/null
rm -rf "$root"
exit $code
