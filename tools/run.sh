#!/bin/bash
# make run: one whole installation on the built-in local defaults. Starts the
# package server (serving the demo package as the built-in address) and the
# analytics collector on 127.0.0.1, runs the pipeline under Wine into a fresh
# folder with a progress display, says where the product went, and stops
# everything it started.
set -uo pipefail
BUILD=$(cd "${1:-build}" && pwd)
SOURCE=$(cd "$(dirname "$0")/.." && pwd)
export VELQUOR_BUILD=$BUILD
. "$SOURCE/tests/wine/env.sh"

setting() { sed -n "s/^$1:[A-Z]*=//p" "$BUILD/CMakeCache.txt"; }
PACKAGE_HOST=$(setting VELQUOR_PACKAGE_HOST)
ANALYTICS_HOST=$(setting VELQUOR_ANALYTICS_HOST)
RUN="$BUILD/run"
mkdir -p "$RUN/packages"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  "$SOURCE/tests/wine/stop.sh" "$BUILD"
}
trap cleanup EXIT

"$SOURCE/tests/wine/start.sh" "$BUILD"

# The collector speaks HTTPS, as the real one does; a certificate made here.
if [ ! -f "$RUN/collector.pem" ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=127.0.0.1" \
    -keyout "$RUN/collector.key" -out "$RUN/collector.pem" >/dev/null 2>&1
fi
python3 "$SOURCE/tools/collector/collector.py" --port "${ANALYTICS_HOST##*:}" --tls-cert "$RUN/collector.pem" \
  --tls-key "$RUN/collector.key" --lifetime 600 >"$RUN/collector.log" 2>&1 &
pids+=($!)

cp "$BUILD/bin/demo_package.exe" "$RUN/packages/VelquorDemoSetup.exe"
python3 "$SOURCE/tools/package-server/package_server.py" --root "$RUN/packages" --port "${PACKAGE_HOST##*:}" \
  --port-file "$RUN/package-server.port" --log "$RUN/package-requests.log" --lifetime 600 \
  --package 251=VelquorDemoSetup.exe >"$RUN/package-server.out" 2>&1 &
pids+=($!)
rm -f "$RUN/package-server.port"
for _ in $(seq 1 100); do [ -s "$RUN/package-server.port" ] && break; sleep 0.1; done
if [ ! -s "$RUN/package-server.port" ]; then
  echo "the package server could not listen on $PACKAGE_HOST:"; cat "$RUN/package-server.out"; exit 1
fi

folder="C:\\VelquorDemo\\$(date +%Y%m%d-%H%M%S)"
echo "Velquor online installer: installing from http://$PACKAGE_HOST/software/251 into $folder"
wine "$BUILD/bin/velquor-pipeline.exe" "-installdir=$folder" 2>/dev/null </dev/null \
  | python3 "$SOURCE/tools/progress_display.py" "$(sed -n 's/^DownloadScale=//p' "$BUILD/bin/TandryInstallerConfig.ini" 2>/dev/null || true)"
code=${PIPESTATUS[1]}
unix_folder="$WINEPREFIX/drive_c/${folder#C:\\}"
unix_folder=${unix_folder//\\//}
sleep 0.5
records=$(grep -v '^collector listening' "$RUN/collector.log" || true)
if [ -n "$records" ]; then
  echo "Analytics records received by the collector on https://$ANALYTICS_HOST:"
  echo "$records" | sed 's/^/  /'
else
  echo "The collector on https://$ANALYTICS_HOST received no analytics records (the headless run reports none)."
fi
if [ "$code" -eq 0 ]; then
  echo "Velquor was installed into $folder (on this machine: $unix_folder):"
  ls -1 "$unix_folder" | sed 's/^/  /'
else
  echo "The installation did not complete."
fi
exit "$code"
