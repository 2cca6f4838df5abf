# Driving the simulator build from outside, as a person would: xdotool for the
# mouse and keys, the probe (tests/acceptance/probe.cpp) to read windows and
# controls, the trace file for what reached the emulated driver and controller.
# Source it after setting: wenv (tools/wine-env), probe_exe, and trace and
# shots (when used); $app is the program's process, ended on a failure.

drive_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

id() { # NAME: a control's or a dialog's id, as res/resource.h defines it
  local value
  value=$(awk -v name="$1" '$1 == "#define" && $2 == name { print $3 }' "$drive_root/res/resource.h")
  [ -n "$value" ] || fail "no $1 in res/resource.h"
  echo "$value"
}
drive_start() { # bring up Wine and Xvfb, and point DISPLAY at it
  "$wenv" up
  DISPLAY=$("$wenv" display)
  export DISPLAY
}
fail() { # WHY: says so, leaves a picture of the screen (when $shots names a folder) and the list of windows
  echo "FAIL: $*" >&2
  if [ -n "${shots:-}" ] && import -window root "$shots/failure.png" 2>/dev/null; then
    echo "screen at failure: $shots/failure.png" >&2
  fi
  "$wenv" run "$probe_exe" windows 2>/dev/null | tr -d '\r' >&2
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null
  exit 1
}
step() { echo "-- $*"; }
probe() { "$wenv" run "$probe_exe" "$@" | tr -d '\r'; }
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.3; }
click_control() { # PAGE NAME: a click on the control that res/resource.h names
  local control at
  control=$(id "$2") || exit 1
  at=$(probe centre "$1" "$control") || fail "no control $2 on page $1"
  click $at
}
goto_tab() { # N: a click on its tab
  local at
  [ "$(probe tab)" = "$1" ] && return 0
  at=$(probe tabcentre "$1") || fail "no tab $1"
  click $at
  [ "$(probe tab)" = "$1" ] || fail "a click on tab $1 did not select it"
}
read_message() { # CAPTION: prints the text and presses OK
  local out
  for _ in $(seq 50); do out=$(probe msgbox "$1") && break; sleep 0.1; done
  [ -n "${out:-}" ] || fail "no '$1' message box"
  echo "$out" | head -1
  click $(echo "$out" | sed -n 2p)
  probe gone "$1" 5000 || fail "'$1' message box does not close"
}
expect_exit_zero() { # WHAT: waits for the program ($app) to end, and fails unless its exit code is 0
  wait "$app"
  local code=$?
  app=
  [ "$code" = 0 ] || fail "exit code $code $1"
}
exit_program() { # Exit on the General page, which must end the program with exit code 0
  goto_tab 0
  click_control 0 IDC_GENERAL_EXIT
  expect_exit_zero "after Exit"
}
count() { grep -c -- "$1" "$trace" 2>/dev/null || true; }
wait_count() { # PATTERN AT_LEAST [SECONDS]
  local limit=$(( ${3:-10} * 10 ))
  for _ in $(seq "$limit"); do
    [ "$(count "$1")" -ge "$2" ] && return 0
    sleep 0.1
  done
  fail "trace has fewer than $2 lines matching '$1'"
}
target() { # POSITION: its pixel on the 640x480 screen
  local fx=(2048 3968 3968 2048 128 128 128 2048 3968) fy=(2048 2048 128 128 128 2048 3968 3968 3968)
  echo $(( (640 * fx[$1]) >> 12 )) $(( (480 * fy[$1]) >> 12 ))
}
calibrate() { # BUTTON POSITIONS...: a run with mouse presses at the targets
  local button=$1
  shift
  local touches_before selects_before n=0
  touches_before=$(count " TOUCH ")
  selects_before=$(count "REQ 19 ")
  goto_tab 4
  click_control 4 "$button"
  probe wait FreeDraw 5000 || fail "no calibration window"
  for p in "$@"; do
    n=$((n + 1))
    xdotool mousemove $(target "$p") mousedown 1
    wait_count " TOUCH " $((touches_before + n)) 5
    sleep 0.7  # a tick takes the sample
    xdotool mouseup 1
    if [ "$n" -lt $# ]; then wait_count "REQ 19 " $((selects_before + n + 1)) 5; fi
  done
  probe gone FreeDraw 10000 || fail "the calibration window did not close"
}
