#!/bin/bash
# velquor-pipeline.exe end to end: the demo package from our package server
# into a fresh folder, a missing package, and bad usage.
set -u
: "${VELQUOR_BUILD:?}" "${VELQUOR_SOURCE:?}"
. "$VELQUOR_SOURCE/tests/wine/env.sh"
root=$(mktemp -d "${TMPDIR:-/tmp}/velquor-cli.XXXXXX")
trap 'kill $server 2>/dev/null; rm -rf "$root"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cp "$VELQUOR_BUILD/bin/demo_package.exe" "$root/VelquorDemoSetup.exe"
python3 "$VELQUOR_SOURCE/tools/package-server/package_server.py" --root "$root" --port 0 \
  --port-file "$root/port" --log "$root/requests.log" --lifetime 300 --package 251=VelquorDemoSetup.exe \
  >"$root/server.out" 2>&1 &
server=$!
for _ in $(seq 1 100); do [ -s "$root/port" ] && break; sleep 0.1; done
[ -s "$root/port" ] || fail "package server did not start"
url="http://127.0.0.1:$(cat "$root/port")/software/251"

install_dir='C:\velquor cli test'
rm -rf "$WINEPREFIX/drive_c/velquor cli test"
"$VELQUOR_SOURCE/tests/wine/run.sh" "$VELQUOR_BUILD/bin/velquor-pipeline.exe" "-installdir=$install_dir" \
  "-downloadurl=$url" -isenableappanalytics=false -downloadtype=3 >"$root/out.txt"
code=$?
cat "$root/out.txt"
[ $code -eq 0 ] || fail "exit code $code after a good run"
head -1 "$root/out.txt" | grep -qP '^1001\t1\t$' || fail "the first status is not 1001"
grep -qP '^1003\t0\tLibCurl$' "$root/out.txt" || fail "no 1003"
grep -qP '^3000\t0\tC:\\velquor cli test$' "$root/out.txt" || fail "no InstPath fact"
grep -qP '^3005\t2\t$' "$root/out.txt" || fail "no start-up style"
tail -1 "$root/out.txt" | grep -qP '^2003\t0\t$' || fail "the last status is not 2003"
[ -f "$WINEPREFIX/drive_c/velquor cli test/Velquor.exe" ] || fail "the product was not installed"
[ ! -e "$WINEPREFIX/drive_c/velquor cli test/__Package_Velquor.exe" ] || fail "the package was left behind"

"$VELQUOR_SOURCE/tests/wine/run.sh" "$VELQUOR_BUILD/bin/velquor-pipeline.exe" '-installdir=C:\velquor cli missing' \
  "-downloadurl=${url%/251}/999" -isenableappanalytics=false >"$root/out2.txt"
code=$?
cat "$root/out2.txt"
[ $code -eq 1 ] || fail "exit code $code after a missing package"
tail -1 "$root/out2.txt" | grep -qP '^1004\t' || fail "a missing package does not end with 1004"

"$VELQUOR_SOURCE/tests/wine/run.sh" "$VELQUOR_BUILD/bin/velquor-pipeline.exe" >/dev/null 2>&1
code=$?
[ $code -eq 2 ] || fail "exit code $code without -installdir"
