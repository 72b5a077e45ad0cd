#!/bin/bash
# Makes a test skin archive: generated images and documents plus the
# hand-written documents of a folder, packed like the installer's skin.
set -euo pipefail
kind=$1 source=$2 work=$3 archive=$4
rm -rf "$work" "$archive"
python3 "$(dirname "$0")/make_skin_assets.py" "$kind" "$work"
cp "$source"/*.xml "$work"/
cd "$work"
7zz a -t7z -m0=lzma2 -ms=on "$archive" -- * >/dev/null
