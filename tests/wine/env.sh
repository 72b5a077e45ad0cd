# Sourced by the test scripts: the one Wine prefix and virtual display of a test run.
: "${VELQUOR_BUILD:?}"
export WINEPREFIX="$VELQUOR_BUILD/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko installers: nothing here needs them, and they would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
# One display per build folder, so that test runs of two build folders never share one.
if [ -z "${VELQUOR_DISPLAY_NUMBER:-}" ]; then
  VELQUOR_DISPLAY_NUMBER=$((100 + $(printf '%s' "$VELQUOR_BUILD" | cksum | cut -d' ' -f1) % 400))
fi
export VELQUOR_DISPLAY_NUMBER
export DISPLAY=":$VELQUOR_DISPLAY_NUMBER"
# Every server of the tests and of make run is on loopback; a proxy must not be asked.
export NO_PROXY=127.0.0.1,localhost no_proxy=127.0.0.1,localhost
