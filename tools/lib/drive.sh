# shellcheck shell=bash
# Driving the simulator build from outside, as a person would: xdotool for the
# mouse and keys, the probe (ce/run/probe.cpp) to read windows and controls,
# the trace file for what reached the emulated driver and controller.
#
# Source it after setting: wenv (tools/wine-env) and probe_exe, or a probe()
# of your own (the device run answers the probe's verbs inside its launcher);
# trace and shots when used; app, the program's process, ended on a failure;
# slow, a factor for every wait (default 1). Every wait fails at once when
# the program has ended. It defines no function its caller already has.

drive_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
slow=${slow:-1}

wine_probe() { "$wenv" run "$probe_exe" "$@" | tr -d '\r'; }
declare -F probe >/dev/null || probe() { wine_probe "$@"; }

resource_id() { # NAME: a control's or a dialog's id, as res/resource.h defines it
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
  probe windows >&2 2>/dev/null || true
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null
  exit 1
}
heading() { echo "-- $*"; }
app_running() { [ -z "${app:-}" ] || kill -0 "$app" 2>/dev/null; }
until_true() { # SECONDS COMMAND...: waits up to SECONDS * $slow for COMMAND to succeed
  local limit=$(( $1 * slow * 10 ))
  shift
  for _ in $(seq "$limit"); do
    "$@" && return 0
    ${app_alive:-app_running} || fail "the program ended (while waiting for: $*)"
    sleep 0.1
  done
  return 1
}
settle() { sleep "$(awk -v t="$1" -v s="$slow" 'BEGIN { print t * s / 10 }')"; }  # TENTHS of a second, times $slow

count() { grep -c -- "$1" "$trace" 2>/dev/null || true; }
has_count() { [ "$(count "$1")" -ge "$2" ]; }
wait_count() { # PATTERN AT_LEAST [SECONDS]
  until_true "${3:-10}" has_count "$1" "$2" || fail "trace has fewer than $2 lines matching '$1'"
}
shown() { probe wait "$1" 0 >/dev/null 2>&1; }
not_shown() { probe gone "$1" 0 >/dev/null 2>&1; }
wait_shown() { until_true "${2:-10}" shown "$1" || fail "no '$1' window"; }
wait_gone() { until_true "${2:-10}" not_shown "$1" || fail "'$1' did not close"; }

click() { xdotool mousemove "$1" "$2" click 1; settle 3; }
click_control() { # PAGE NAME: a click on the control that res/resource.h names
  local control at
  control=$(resource_id "$2") || exit 1
  at=$(probe centre "$1" "$control") || fail "no control $2 on page $1"
  click $at
}
tab_is() { [ "$(probe tab)" = "$1" ]; }
goto_tab() { # N: a click on its tab
  local at
  tab_is "$1" && return 0
  at=$(probe tabcentre "$1") || fail "no tab $1"
  click $at
  until_true 5 tab_is "$1" || fail "a click on tab $1 did not select it"
}
read_message() { # CAPTION: prints the text and presses OK
  local out
  wait_shown "$1"
  out=$(probe msgbox "$1") || fail "no '$1' message box"
  echo "$out" | head -1
  click $(echo "$out" | sed -n 2p)
  wait_gone "$1"
}
pixel() { # X Y: the colour on the screen, as "r,g,b"
  import -window root "$shots/pixel.png"
  convert "$shots/pixel.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
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

target() { # POSITION: its pixel on the 640x480 screen
  local fx=(2048 3968 3968 2048 128 128 128 2048 3968) fy=(2048 2048 128 128 128 2048 3968 3968 3968)
  echo $(( (640 * fx[$1]) >> 12 )) $(( (480 * fy[$1]) >> 12 ))
}
# A calibration with mouse presses at the targets: each press is held until
# the program has taken its sample (it then polls for the point to complete),
# however slowly it runs.
calibrate() { # BUTTON POSITIONS...
  local button=$1 n=0 touches selects
  shift
  touches=$(count " TOUCH ")
  selects=$(count "REQ 19 ")
  goto_tab 4
  click_control 4 "$button"
  wait_shown FreeDraw
  for p in "$@"; do
    n=$((n + 1))
    xdotool mousemove $(target "$p") mousedown 1
    wait_count " TOUCH " $((touches + n)) 10
    wait_count "REQ 20 " $(( $(count "REQ 20 ") + 1 )) 20
    xdotool mouseup 1
    if [ "$n" -lt $# ]; then wait_count "REQ 19 " $((selects + n + 1)) 20; fi
  done
}
# The last calibration was refused for the misplaced touch of TARGET: the
# trace names it, and nothing of the table was written between the run's CR
# and the refusal.
refused_run() { # TARGET
  grep -q "NOTE calibration refused: target $1 " "$trace" || fail "the misplaced touch of target $1 was not refused"
  awk '/ TX CR$/ { table = 0 } / TX SP(1[0-9A-F]|2[01])[0-9A-F]+$/ || / TX PL$/ { table++ }
       /NOTE calibration refused/ { exit table > 0 }' "$trace" || fail "the refused run wrote into the controller"
  echo "   $(grep 'NOTE calibration refused' "$trace" | tail -1 | cut -d' ' -f3-)"
}
