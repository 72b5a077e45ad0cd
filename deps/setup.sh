#!/bin/bash
# Idempotent set-up of everything the build and the tests need on Debian 12.
# Debian packages come from apt; libcurl, the 7z reader and GoogleTest are
# cross-built from Debian's own sources into a cache outside the work tree.
set -euo pipefail

PREFIX=${VELQUOR_DEPS:-/opt/velquor-deps}
STAMP_VERSION=3
CURL_VERSION=7.88.1
SEVENZIP_VERSION=22.01+really26.01
GTEST_VERSION=1.12.1
HOST=i686-w64-mingw32

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

PACKAGES=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev
  wine wine32:i386 cmake ninja-build 7zip xvfb xdotool imagemagick
  fonts-wqy-microhei libstb-dev libz-mingw-w64-dev googletest
  dpkg-dev python3 openssl file x11-utils)

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi
SRC_LIST=/etc/apt/sources.list.d/velquor-deb-src.sources
if [ ! -f "$SRC_LIST" ]; then
  cat <<'SRC' | $SUDO tee "$SRC_LIST" >/dev/null
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi
if [ -n "$(missing_packages)" ]; then
  need_update=1
fi
if [ "$need_update" = 1 ]; then
  log=$(mktemp)
  echo "setup: installing Debian packages (log: $log)"
  $SUDO apt-get update -qq >"$log" 2>&1 || { cat "$log"; exit 1; }
  m=$(missing_packages)
  if [ -n "$m" ]; then
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $m >>"$log" 2>&1 \
      || { tail -50 "$log"; exit 1; }
  fi
fi

$SUDO mkdir -p "$PREFIX/src"
$SUDO chown "$(id -u):$(id -g)" "$PREFIX" "$PREFIX/src"

fetch_source() { # package upstream-version -> directory of the unpacked source
  local pkg=$1 ver=$2
  local dir
  dir=$(ls -d "$PREFIX/src/$pkg-$ver"*/ 2>/dev/null | head -1 || true)
  if [ -z "$dir" ]; then
    (cd "$PREFIX/src" && apt-get source -qq --download-only "$pkg" >/dev/null 2>&1)
    (cd "$PREFIX/src" && dpkg-source -x --no-check ./"${pkg}"_"$ver"*.dsc >/dev/null) || {
      echo "setup: Debian's $pkg source is not version $ver" >&2; exit 1; }
    dir=$(ls -d "$PREFIX/src/$pkg-$ver"*/ | head -1)
  fi
  echo "${dir%/}"
}

TOOLCHAIN="$(cd "$(dirname "$0")/.." && pwd)/cmake/mingw-i686.cmake"

# libcurl, static, Schannel TLS.
if [ ! -f "$PREFIX/curl.stamp" ] || [ "$(cat "$PREFIX/curl.stamp")" != "$CURL_VERSION-$STAMP_VERSION" ]; then
  echo "setup: building libcurl $CURL_VERSION"
  src=$(fetch_source curl "$CURL_VERSION")
  rm -rf "$PREFIX/build-curl"
  cmake -S "$src" -B "$PREFIX/build-curl" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX/curl" \
    -DCURL_USE_SCHANNEL=ON -DHTTP_ONLY=ON -DBUILD_CURL_EXE=OFF -DBUILD_SHARED_LIBS=OFF \
    -DCURL_ZLIB=ON -DBUILD_TESTING=OFF -DCURL_USE_LIBPSL=OFF -DCURL_USE_LIBSSH2=OFF \
    -DUSE_LIBIDN2=OFF -DENABLE_UNICODE=OFF -DCURL_DISABLE_LDAP=ON -DENABLE_MANUAL=OFF \
    -DZLIB_LIBRARY=/usr/$HOST/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$HOST/include >/dev/null
  cmake --build "$PREFIX/build-curl" -j2 >/dev/null
  cmake --install "$PREFIX/build-curl" >/dev/null
  echo "$CURL_VERSION-$STAMP_VERSION" > "$PREFIX/curl.stamp"
fi

# The LZMA SDK's C 7z reader, from the 7zip source package.
if [ ! -f "$PREFIX/lzma.stamp" ] || [ "$(cat "$PREFIX/lzma.stamp")" != "$SEVENZIP_VERSION-$STAMP_VERSION" ]; then
  echo "setup: building the 7z reader from 7zip $SEVENZIP_VERSION"
  src=$(fetch_source 7zip "$SEVENZIP_VERSION")
  rm -rf "$PREFIX/lzma" && mkdir -p "$PREFIX/lzma/include" "$PREFIX/lzma/lib" "$PREFIX/build-lzma"
  objs=()
  for f in 7zArcIn 7zDec 7zStream 7zBuf 7zCrc 7zCrcOpt 7zAlloc Lzma2Dec LzmaDec Bra Bra86 BraIA64 Bcj2 Delta CpuArch; do
    $HOST-gcc-posix -O2 -c "$src/C/$f.c" -o "$PREFIX/build-lzma/$f.o"
    objs+=("$PREFIX/build-lzma/$f.o")
  done
  $HOST-ar rcs "$PREFIX/lzma/lib/liblzma7z.a" "${objs[@]}"
  cp "$src"/C/*.h "$PREFIX/lzma/include/"
  echo "$SEVENZIP_VERSION-$STAMP_VERSION" > "$PREFIX/lzma.stamp"
fi

# GoogleTest for the target, from Debian's googletest sources.
if [ ! -f "$PREFIX/gtest.stamp" ] || [ "$(cat "$PREFIX/gtest.stamp")" != "$GTEST_VERSION-$STAMP_VERSION" ]; then
  rm -rf "$PREFIX/build-gtest"
  cmake -S /usr/src/googletest -B "$PREFIX/build-gtest" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX/gtest" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$PREFIX/build-gtest" -j2 >/dev/null
  cmake --install "$PREFIX/build-gtest" >/dev/null
  echo "$GTEST_VERSION-$STAMP_VERSION" > "$PREFIX/gtest.stamp"
fi
