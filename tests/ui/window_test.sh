#!/bin/bash
# A skinned window from the test skin, driven under Xvfb as a user would:
# size and rounded corners on a screenshot, dragging by the caption band,
# a check box click, Escape ignored, keys reaching the window, the close
# button ending the modal loop with 1, a skin that fails to build showing
# the error box and exiting with 1, and skin-preview showing the same skin
# from the archive file and from a folder.
set -uo pipefail
. "$VELQUOR_SOURCE/tests/wine/env.sh"
APP="$VELQUOR_BUILD/bin/ui_window_app.exe"
PREVIEW="$VELQUOR_BUILD/bin/skin-preview.exe"
OUT="$VELQUOR_BUILD/ui-window-test"
rm -rf "$OUT"
mkdir -p "$OUT"
failures=0
app_pid=""

cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null; fi
}
trap cleanup EXIT

check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

start() {  # start PROGRAM ARGS...: runs it in the background, at most 90 s
  timeout 40 wine "$@" >/dev/null 2>&1 &
  app_pid=$!
}

finish() {  # finish: waits for the started program; its exit code goes to $code
  wait "$app_pid"
  code=$?
  app_pid=""
}

wait_window() {  # wait_window TITLE: prints the visible window's id
  local id
  for _ in $(seq 1 150); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

pixel() {  # pixel SHOT X Y: prints srgb(r,g,b)
  convert "$1" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null | sed 's/srgba\?(\([0-9]*,[0-9]*,[0-9]*\).*/\1/'
}

dismiss() {  # dismiss WINDOW: presses the message box's OK button
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT - 23)) click 1
  sleep 0.5
  if xdotool search --onlyvisible --name '^SkinUI$' >/dev/null 2>&1; then
    xdotool windowfocus "$1" key Return
  fi
}

log_has() { grep -qx "$1" "$OUT/log.txt"; }

win_log=$(winepath -w "$OUT/log.txt")

# ---- the test skin's window ----
start "$APP" TestWnd.xml "$win_log"
wid=$(wait_window "SkinUI Test") || { echo "FAILED: no window"; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$wid")"
check "window has the skin's size 400x300 (got ${WIDTH}x${HEIGHT})" test "$WIDTH" = 400 -a "$HEIGHT" = 300
import -window root "$OUT/window.png"
caption=$(pixel "$OUT/window.png" $((X + 300)) $((Y + 2)))
body=$(pixel "$OUT/window.png" $((X + 2)) $((Y + 150)))
check "caption band painted from the skin image ($caption)" test "$caption" = "20,60,140"
check "body painted from the skin image ($body)" test "$body" = "40,140,180"
for corner in "$X $Y" "$((X + 399)) $Y" "$X $((Y + 299))" "$((X + 399)) $((Y + 299))"; do
  c=$(pixel "$OUT/window.png" $corner)
  check "rounded region leaves corner ($corner) unpainted ($c)" test "$c" != "$caption" -a "$c" != "$body" \
    -a "$c" != "40,189,180"
done
inside=$(pixel "$OUT/window.png" $((X + 8)) $((Y + 8)))
check "just inside the rounding the skin shows ($inside)" test "$inside" = "$caption"

# Drag the title label (caption band): the window follows the pointer.
xdotool mousemove --sync $((X + 60)) $((Y + 20))
xdotool mousedown 1
for i in $(seq 1 10); do
  xdotool mousemove $((X + 60 + i * 10)) $((Y + 20 + i * 6))
  sleep 0.05
done
xdotool mouseup 1
sleep 0.5
oldX=$X oldY=$Y
eval "$(xdotool getwindowgeometry --shell "$wid")"
check "dragging the title moved the window by 100,60 (moved $((X - oldX)),$((Y - oldY)))" \
  test $((X - oldX)) = 100 -a $((Y - oldY)) = 60

# Click the check box (selected in the skin): click, then selectchanged.
xdotool mousemove --sync $((X + 30)) $((Y + 100)) click 1
sleep 0.5
check "check box click reported click then selectchanged" \
  bash -c "grep -E '^(click|selectchanged) ' '$OUT/log.txt' | tr '\n' ' ' | grep -q '^click testCb selectchanged testCb $'"
import -window root "$OUT/window-unchecked.png"

# Escape does nothing; Tab shows that keys do reach the window.
xdotool key Escape
sleep 0.5
check "Escape left the window open" bash -c "xdotool search --onlyvisible --name '^SkinUI Test$' >/dev/null"
check "Escape clicked nothing" bash -c "! grep -q '^click closebtn' '$OUT/log.txt'"
xdotool key Tab
sleep 0.5
check "Tab moved the focus to the edit field" log_has "setfocus testEdit"
check "opening the edit field reported no text change" bash -c "! grep -q '^textchanged' '$OUT/log.txt'"
xdotool type --delay 50 "ab"
sleep 0.5
check "typing in the edit field reported text changes" log_has "textchanged testEdit"
import -window root "$OUT/window-typed.png"

# The close button in the caption band ends ShowModal with 1.
xdotool mousemove --sync $((X + 380)) $((Y + 20)) click 1
finish
check "closebtn ended the modal loop with 1 (exit $code)" test "$code" = 1
check "modal result logged" log_has "modal=1"

# ---- a skin that does not build ----
rm -f "$OUT/log.txt"
start "$APP" BrokenWnd.xml "$win_log"
box=$(wait_window "SkinUI") || box=""
check "the error box appeared" test -n "$box"
if [ -n "$box" ]; then
  import -window root "$OUT/error-box.png"
  dismiss "$box"
fi
finish
check "the failed skin exited with 1 (exit $code)" test "$code" = 1
check "no window was built" test ! -s "$OUT/log.txt"

# ---- skin-preview, from the archive file and from a folder ----
for source in "$VELQUOR_TEST_SKIN" "$VELQUOR_TEST_SKIN_DIR"; do
  start "$PREVIEW" "$(winepath -w "$source")" TestWnd.xml
  pid=$(wait_window "Skin preview - TestWnd.xml") || pid=""
  check "skin-preview opened TestWnd.xml from $(basename "$source")" test -n "$pid"
  if [ -n "$pid" ]; then
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$pid")"
    import -window root "$OUT/preview-$(basename "$source").png"
    shown=$(pixel "$OUT/preview-$(basename "$source").png" $((X + 300)) $((Y + 2)))
    check "skin-preview painted the skin ($shown)" test "$shown" = "20,60,140"
    xdotool mousemove --sync $((X + 380)) $((Y + 20)) click 1
  fi
  finish
  check "skin-preview ended with the close button's 1 (exit $code)" test "$code" = 1
done
start "$PREVIEW" "$(winepath -w "$OUT")" Missing.xml
box=$(wait_window "SkinUI") || box=""
check "skin-preview shows the error box for a missing skin" test -n "$box"
[ -n "$box" ] && dismiss "$box"
finish
check "skin-preview exited with 1 for a missing skin (exit $code)" test "$code" = 1

echo "screenshots in $OUT"
echo "$((failures == 0 ? 1 : 0)) passed, $failures failed"
[ "$failures" = 0 ]
