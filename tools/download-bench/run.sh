#!/bin/bash
# Download benchmark under Wine on loopback (not a test):
#   tools/download-bench/run.sh [build folder] [MiB] [rate per connection, bytes/s]
# 1. a package of MiB (200 by default) from an unlimited package server: plain
#    libcurl (default and 512 KiB buffer), the HTTP client alone, the
#    single-stream and the multi-part downloaders, and the MD5 pass they include;
# 2. the same package from a server that limits every connection to the rate
#    (20 MB/s by default): single-stream against multi-part.
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
MIB=${2:-200}
RATE=${3:-20000000}
SOURCE=$(cd "$(dirname "$0")/../.." && pwd)
export VELQUOR_BUILD=$BUILD
# Wine's helper processes keep whatever they inherit open: nothing of theirs
# may hold this script's output, so everything they could inherit goes to files.
"$SOURCE/tests/wine/start.sh" "$BUILD" >/dev/null 2>&1 </dev/null
. "$SOURCE/tests/wine/env.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/velquor-bench.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  "$SOURCE/tests/wine/stop.sh" "$BUILD" >/dev/null 2>&1 </dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/files" "$work/out"
head -c $((MIB * 1048576)) /dev/urandom > "$work/files/bench.bin"
md5=$(md5sum "$work/files/bench.bin" | cut -d' ' -f1)

serve() { # name, extra options
  python3 "$SOURCE/tools/package-server/package_server.py" --root "$work/files" \
    --port-file "$work/$1.port" --lifetime 900 "${@:2}" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 1 100); do [ -s "$work/$1.port" ] && break; sleep 0.1; done
}
serve plain
serve limited --fault "rate=$RATE"
plain=$(cat "$work/plain.port")
limited=$(cat "$work/limited.port")
out="Z:${work//\//\\}\\out"

bench() { # port, rounds, ways
  wine "$BUILD/bin/download_bench.exe" "http://127.0.0.1:$1/software/bench.bin" \
    "http://127.0.0.1:$1/$md5/bench.bin" "$out" "$2" "$3" >"$work/bench.txt" 2>&1 </dev/null || true
  cat "$work/bench.txt"
}
echo "== $MIB MiB, unlimited server"
bench "$plain" 3 dbcsm5
echo "== $MIB MiB, every connection limited to $RATE bytes/s"
bench "$limited" 1 sm
