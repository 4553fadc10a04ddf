#!/usr/bin/env bash
# The main window's place under a real window manager (Openbox on Xvfb), with the real program.
#
#   window_place_wm.sh PROGRAM TRANSCODER_DIR
#
# 1. A 1024x768 screen: the program starts five times from a folder of its own. Each time the
#    frame must stand where the previous run left it; the frame is then moved elsewhere and the
#    program ended, by File > Quit or by the close button in turn. Run as root, the program runs as
#    an unprivileged user from a folder that user may not write, with a settings file that user
#    may write (a shared install): the place must come back all the same.
# 2. A 1024x600 screen, first start without a settings file: once the tool-path dialog is closed,
#    the whole window, its frame and its status bar, is on the screen.
#
# Exits 77 (skipped) only when Xvfb or the window manager cannot be started.
set -uo pipefail

PROGRAM=$1
TRANSCODER_DIR=$2
SKIP=77
UNPRIVILEGED=65534

for tool in Xvfb openbox xdotool wmctrl xprop xwininfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
    exit $SKIP
  fi
done

WORK=$(mktemp -d)
XVFB_PID=
WM_PID=
APP_PID=
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  chmod -R u+w "$WORK" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  local tenths=$1
  shift
  for ((i = 0; i < tenths; i++)); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

# Starts Xvfb on a free display with the given screen and Openbox on it.
start_desktop() {
  local screen=$1
  stop_desktop
  for ((n = 90; n < 160; n++)); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    # Another server that took the display first would answer too: ours must still run.
    if wait_for 50 xprop -root && kill -0 "$XVFB_PID" 2>/dev/null; then break; fi
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
  done
  if [ -z "$XVFB_PID" ]; then
    echo "SKIP: Xvfb could not be started"
    exit $SKIP
  fi
  openbox --sm-disable >"$WORK/wm.log" 2>&1 &
  WM_PID=$!
  if ! wait_for 50 wmctrl -m; then
    echo "SKIP: the window manager could not be started"
    exit $SKIP
  fi
}

stop_desktop() {
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null && wait "$WM_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  WM_PID=
  XVFB_PID=
}

# The program in a folder of its own (the settings file lies beside the executable).
FOLDER="$WORK/install"
mkdir -p "$FOLDER" "$WORK/home"
cp "$PROGRAM" "$FOLDER/zolvane"
RUN_AS=()
if [ "$(id -u)" -eq 0 ]; then
  RUN_AS=(setpriv "--reuid=$UNPRIVILEGED" "--regid=$UNPRIVILEGED" --clear-groups)
  chmod 755 "$WORK"
  chown "$UNPRIVILEGED:$UNPRIVILEGED" "$WORK/home"
fi

START_DIR="$WORK/home"
start_program() {
  (cd "$START_DIR" && HOME="$WORK/home" XDG_RUNTIME_DIR= QT_QPA_PLATFORM=xcb \
    exec "${RUN_AS[@]}" "$FOLDER/zolvane" >"$WORK/program.log" 2>&1) &
  APP_PID=$!
}

# The main window: the program's largest top-level window named "Zolvane".
main_window() {
  wmctrl -lG | awk '$8 == "Zolvane" && $5 > 600 { print $1; exit }'
}

# "X Y W H": the frame's place and the size of the window within it.
frame_of() {
  local id=$1
  local info extents ax ay w h l t
  info=$(xwininfo -id "$id")
  ax=$(awk '/Absolute upper-left X/ { print $4 }' <<<"$info")
  ay=$(awk '/Absolute upper-left Y/ { print $4 }' <<<"$info")
  w=$(awk '/^  Width/ { print $2 }' <<<"$info")
  h=$(awk '/^  Height/ { print $2 }' <<<"$info")
  extents=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
  l=${extents%%,*}
  t=$(cut -d, -f3 <<<"$extents")
  echo "$((ax - ${l:-0})) $((ay - ${t:-0})) $w $h"
}

# Waits until the main window is shown and framed and has stood still for a second (the program
# places it once the frame is there, later on a busy machine); prints its id.
settled_window() {
  local id= last= now= still=0
  for ((i = 0; i < 150; i++)); do
    id=$(main_window)
    if [ -n "$id" ] && xprop -id "$id" _NET_FRAME_EXTENTS | grep -q '='; then
      now=$(frame_of "$id")
      if [ "$now" = "$last" ]; then
        still=$((still + 1))
        if [ "$still" -ge 5 ]; then
          echo "$id"
          return 0
        fi
      else
        still=0
      fi
      last=$now
    fi
    sleep 0.2
  done
  return 1
}

wait_for_exit() {
  for ((i = 0; i < 100; i++)); do
    kill -0 "$APP_PID" 2>/dev/null || { wait "$APP_PID" 2>/dev/null; APP_PID=; return 0; }
    sleep 0.1
  done
  return 1
}

quit_by_menu() {
  local id=$1
  timeout 5 xdotool windowactivate --sync "$id" >/dev/null 2>&1 || timeout 5 xdotool windowfocus --sync "$id"
  xdotool key --clearmodifiers alt+f
  sleep 0.3
  # "Quit" is the last item of the File menu.
  xdotool key Up Return
}

stored() {
  tr -d '\r' <"$FOLDER/Zolvane.ini" | awk -F= -v k="$1" '$1 == k { print $2; exit }'
}

# ---- 1. Five restarts ---------------------------------------------------------------------------
start_desktop 1024x768x24
printf '[Zolvane]\r\nKandrum_path=%s/Kandrum.exe\r\nLeft=60\r\nTop=40\r\nWidth=900\r\nHeight=600\r\n' \
  "$TRANSCODER_DIR" >"$FOLDER/Zolvane.ini"
if [ ${#RUN_AS[@]} -gt 0 ]; then
  # A shared install: the folder is not the user's, the settings file may be written by all.
  chmod 666 "$FOLDER/Zolvane.ini"
  chmod 755 "$FOLDER"
  if setpriv "--reuid=$UNPRIVILEGED" "--regid=$UNPRIVILEGED" --clear-groups touch "$FOLDER/probe" 2>/dev/null; then
    fail "the program's folder takes a new file from the unprivileged user"
  fi
fi

expected="60 40"
for run in 1 2 3 4 5; do
  start_program
  if ! id=$(settled_window); then
    fail "run $run: no main window came up"
    cat "$WORK/program.log"
    break
  fi
  read -r fx fy fw fh <<<"$(frame_of "$id")"
  [ "$fx $fy" = "$expected" ] || fail "run $run: the frame stands at $fx,$fy, left at $expected"
  # No language folder lies beside the copied program: the notice that says so stands above the
  # window, not hidden under it.
  notice=
  for ((i = 0; i < 30; i++)); do
    while read -r wid w title; do
      [ "$title" = "Zolvane" ] && [ $((wid)) -ne $((id)) ] && [ "$w" -lt 600 ] && notice=$wid
    done < <(wmctrl -lG | awk '{ print $1, $5, $8 }')
    [ -n "$notice" ] && break
    sleep 0.1
  done
  if [ -z "$notice" ]; then
    fail "run $run: no notice of the missing language file came up"
  else
    # _NET_CLIENT_LIST_STACKING lists the windows from the bottom up.
    at=0 notice_at=0 main_at=0
    for wid in $(xprop -root _NET_CLIENT_LIST_STACKING | sed -n 's/.*# *//p' | tr ',' ' '); do
      at=$((at + 1))
      [ $((wid)) -eq $((notice)) ] && notice_at=$at
      [ $((wid)) -eq $((id)) ] && main_at=$at
    done
    [ "$notice_at" -gt "$main_at" ] || fail "run $run: the language file's notice is hidden under the main window"
  fi
  [ "$fw $fh" = "900 600" ] || fail "run $run: the window is ${fw}x$fh, left at 900x600"
  # The user moves the frame elsewhere.
  nx=$((30 + 23 * run))
  ny=$((20 + 17 * run))
  wmctrl -i -r "$id" -e "1,$nx,$ny,-1,-1"
  for ((i = 0; i < 30; i++)); do
    read -r mx my _ <<<"$(frame_of "$id")"
    [ "$mx $my" = "$nx $ny" ] && break
    sleep 0.1
  done
  if [ $((run % 2)) -eq 1 ]; then
    how="File > Quit"
    quit_by_menu "$id"
  else
    how="the close button"
    wmctrl -i -c "$id"
  fi
  if ! wait_for_exit; then
    fail "run $run: the program did not end by $how"
    kill "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
    APP_PID=
  fi
  [ "$(stored Left) $(stored Top)" = "$nx $ny" ] ||
    fail "run $run: $how stored Left=$(stored Left) Top=$(stored Top), the frame was at $nx,$ny"
  echo "run $run: frame found at $fx,$fy, moved to $nx,$ny, ended by $how, stored $(stored Left),$(stored Top)"
  expected="$nx $ny"
done
extra=$(ls -A "$FOLDER" | grep -v -x -e zolvane -e Zolvane.ini)
[ -z "$extra" ] || fail "files left in the program's folder: $extra"

# ---- 2. First start on a low screen -------------------------------------------------------------
start_desktop 1024x600x24
rm -f "$FOLDER/Zolvane.ini"
chmod 777 "$FOLDER"
# Started in the transcoder's folder, the tool-path dialog finds the transcoder there: its Ok
# button (the default one) closes it.
START_DIR=$TRANSCODER_DIR
start_program
if wait_for 100 bash -c 'wmctrl -l | grep -q "Executable Settings"'; then
  dialog=$(wmctrl -l | awk '/Executable Settings/ { print $1; exit }')
  timeout 5 xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || timeout 5 xdotool windowfocus --sync "$dialog"
  xdotool key Return
else
  fail "first start: the tool-path dialog did not come up"
fi
if id=$(settled_window); then
  read -r fx fy fw fh <<<"$(frame_of "$id")"
  info=$(xwininfo -id "$id")
  ax=$(awk '/Absolute upper-left X/ { print $4 }' <<<"$info")
  ay=$(awk '/Absolute upper-left Y/ { print $4 }' <<<"$info")
  [ "$fx" -ge 0 ] && [ "$fy" -ge 0 ] || fail "first start: the frame begins at $fx,$fy, off the screen"
  # The window's bottom edge (the status bar) and the frame's lower border within 600 pixels.
  bottom_border=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ' | cut -d, -f4)
  [ $((ay + fh + ${bottom_border:-0})) -le 600 ] ||
    fail "first start: the window ends at $((ay + fh)) (+${bottom_border:-0} of frame), below the screen's 600"
  [ $((ax + fw)) -le 1024 ] || fail "first start: the window ends at $((ax + fw)), right of the screen"
  echo "first start on 1024x600: frame at $fx,$fy, window ${fw}x$fh at $ax,$ay"
  wmctrl -i -c "$id"
  wait_for_exit || fail "first start: the program did not end by the close button"
else
  fail "first start: no main window came up"
  cat "$WORK/program.log"
fi

if [ "$failures" -eq 0 ]; then
  echo "window place: 1 passed, 0 failed"
  exit 0
fi
echo "window place: 0 passed, 1 failed"
exit 1
