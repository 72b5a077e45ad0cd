#!/bin/bash
# Starts the test run's virtual display and Wine prefix (made on first use).
set -euo pipefail
VELQUOR_BUILD=${1:?build folder}
. "$(dirname "$0")/env.sh"

if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
  rm -f "/tmp/.X$VELQUOR_DISPLAY_NUMBER-lock" "/tmp/.X11-unix/X$VELQUOR_DISPLAY_NUMBER"
  setsid Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 < /dev/null &
  echo $! > "$VELQUOR_BUILD/xvfb.pid"
  for _ in $(seq 1 50); do
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break
    sleep 0.1
  done
fi

if [ ! -f "$WINEPREFIX/.velquor-ready" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  # The skins name 微软雅黑, which Wine lacks; WenQuanYi Micro Hei draws the same glyphs.
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v '微软雅黑' /t REG_SZ /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v 'Microsoft YaHei' /t REG_SZ /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.velquor-ready"
fi
# Keep one server for the whole run instead of one per test.
wineserver -p >/dev/null 2>&1 || true
