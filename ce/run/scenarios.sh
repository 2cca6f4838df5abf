# The device run's scenarios, driven from outside with xdotool as a person
# would, on whichever build is running: the device's own i686 code under
# 32-bit Wine (probe answered inside the launcher's process) or the x86_64
# simulator under wine64 (the probe as its own process).
# Source after tools/lib/drive.sh, with $trace and $shots set, and, where
# the program is not $app, $app_alive (a command that says whether it still
# runs).

# Every key a scenario presses goes through here: on a panel without a
# keyboard ($keyboard=none) there is no key to press, and trying fails.
key() {
  [ "${keyboard:-full}" = full ] || fail "a key pressed on a panel without a keyboard: $*"
  xdotool key "$@"
}

taskbar_grey="64,64,64"  # the simulator's stand-in taskbar, painted only on WM_PAINT
taskbar_pixel() { pixel 320 $(( $(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[2] }') - 13 )); }
taskbar_painted() { [ "$(taskbar_pixel)" = "$taskbar_grey" ]; }
# The full-screen window is gone and the taskbar painted again: CE repaints
# nothing that MoveWindow brings back. Judged at the end of the scenario, so
# that it goes on to Exit either way.
closed() { # WHAT [SECONDS]
  wait_gone FreeDraw "${2:-10}"
  until_true 3 taskbar_painted || taskbar_blank+="${taskbar_blank:+; }after $1: $(taskbar_pixel)"
}
taskbar_judged() {
  [ -z "${taskbar_blank:-}" ] || fail "the taskbar was not painted again (not $taskbar_grey) $taskbar_blank"
  echo "   the taskbar was painted again after every close"
}

scenario_no_driver() {
  heading "(a) without a driver: the ERROR box, then exit 0"
  wait_shown ERROR 60
  shown "Quillon Inc." && fail "the sheet is shown although the driver is missing"
  local text
  text=$(read_message ERROR)
  [ "$text" = "Error to open front panel driver" ] || fail "the ERROR box says: $text"
  echo "   ERROR: $text"
}

scenario_simulator() {
  heading "(b) the simulator: every page"
  wait_shown "Quillon Inc." 60
  local tabs
  tabs=$(probe tabs | paste -sd,)
  [ "$tabs" = "General,Settings,Parameters,Tools,Device,Advance" ] || fail "the tabs read: $tabs"
  [ "$(probe tab)" = 4 ] || fail "the sheet does not open on the Device page"
  [ "$(probe hotkeys)" = "taken taken" ] || fail "the program does not hold Ctrl+5 and Ctrl+9: $(probe hotkeys)"
  for t in 5 0 1 2 3 4; do goto_tab "$t"; done

  heading "(b) Settings: a click"
  goto_tab 1
  click_control 1 IDC_SETTINGS_ROTATE_270
  wait_count "REQ 3 in=03 " 1

  heading "(b) Parameters: Confirm"
  goto_tab 2
  click_control 2 IDC_PARAMETERS_TIME_SLIDER
  key Right  # a value that differs, or Confirm writes nothing
  settle 3
  click_control 2 IDC_PARAMETERS_CONFIRM
  wait_count "TX SP9A" 1

  heading "(b) Advance: Confirm"
  goto_tab 5
  click_control 5 IDC_ADVANCE_DELAY_SLIDER
  click_control 5 IDC_ADVANCE_CONFIRM
  wait_count "TX SP9D" 1

  heading "(b) Tools: Information, Reset, Defaults"
  goto_tab 3
  click_control 3 IDC_TOOLS_INFORMATION
  echo "   Information: $(read_message Information)"
  click_control 3 IDC_TOOLS_RESET
  [ "$(read_message Message)" = "Rest ok!" ] || fail "Reset did not say Rest ok!"
  click_control 3 IDC_TOOLS_DEFAULTS
  [ "$(read_message Message)" = "Rest default ok!" ] || fail "Defaults did not say Rest default ok!"

  heading "(b) Tools: Draw, a stroke, G, two Escapes; the taskbar painted again"
  local resets
  resets=$(count "TX R$")
  click_control 3 IDC_TOOLS_DRAW
  wait_shown FreeDraw
  xdotool mousemove 100 300 mousedown 1 mousemove 150 320 mousemove 200 340 mouseup 1
  settle 3
  key g
  settle 3
  key Escape
  settle 3
  key Escape
  closed Draw
  wait_count "TX R$" $((resets + 1))

  heading "(b) Calibration 5 and Calibration9 with mouse presses"
  calibrate IDC_DEVICE_CALIBRATE_5 0 2 4 6 8
  closed "Calibration 5" 30
  wait_count " CAL " 1
  calibrate IDC_DEVICE_CALIBRATE_9 0 1 2 3 4 5 6 7 8
  closed Calibration9 30
  wait_count " CAL " 2
  echo "   $(grep ' CAL ' "$trace" | tail -1 | cut -d' ' -f2-)"

  heading "(b) Calibration9 with target 3 touched at target 2's place: refused, nothing written, started again"
  calibrate IDC_DEVICE_CALIBRATE_9 0 1 2 2 0 1 2 3 4 5 6 7 8
  closed "Calibration9, started again" 30
  wait_count " CAL " 3
  refused_run 3

  heading "(b) Exit"
  goto_tab 0
  click_control 0 IDC_GENERAL_EXIT
  taskbar_judged
}

# The frames of a trace, without their times: what the controller received
# and what it answered.
frames() { awk '$2 == "TX" || $2 == "RX" { $1 = ""; print substr($0, 2) }' "$@"; }

# A fault of KIND (write: a write to address 0; raise: RaiseException) at
# PLACE (1 the open step, 2 WM_CREATE, 3 the first WM_PAINT).
fault_open() { # KIND PLACE
  local before
  before=$(probe faults | cut -d' ' -f1)
  probe arm "$1" "$2" >/dev/null
  if [ "$2" = 2 ]; then
    # Only a calibration's window does something in WM_CREATE (its timer).
    goto_tab 4
    click_control 4 IDC_DEVICE_CALIBRATE_5
  else
    goto_tab 3
    click_control 3 IDC_TOOLS_DRAW
  fi
  until_true 20 fault_raised "$before" || fail "the armed fault was never reached"
  settle 5
  [ "$(probe windowsof FreeDraw)" = 0 ] || fail "a full-screen window is open after the fault"
  # The program goes on: a later window opens and closes.
  goto_tab 3
  click_control 3 IDC_TOOLS_DRAW
  wait_shown FreeDraw
  key Escape
  closed "the window after a fault"
}
fault_raised() { [ "$(probe faults | cut -d' ' -f1)" -gt "$1" ]; }

scenario_faults() {
  heading "(c) faults in the open steps"
  wait_shown "Quillon Inc." 60
  local kind place
  for kind in write raise; do
    for place in 1 2 3; do
      echo "   $kind in $(echo "open step|WM_CREATE|first WM_PAINT" | cut -d'|' -f"$place")"
      fault_open "$kind" "$place"
    done
  done

  heading "(c) Draw pressed while the full-screen window is open: that window comes to the front"
  goto_tab 3
  click_control 3 IDC_TOOLS_DRAW
  wait_shown FreeDraw
  probe press 3 "$(resource_id IDC_TOOLS_DRAW)" >/dev/null || fail "Draw could not be pressed under the window"
  settle 5
  [ "$(probe windowsof FreeDraw)" = 1 ] || fail "a second full-screen window opened"
  key Escape  # reaches the window only if it is in front again
  closed "Draw pressed twice"

  heading "(c) a calibration whose upload fails: its message over a window that takes no input"
  probe sim garbage=1 >/dev/null || fail "the emulator did not take garbage=1"
  calibrate IDC_DEVICE_CALIBRATE_5 0 2 4 6 8
  local said
  said=$(read_message Message)
  probe sim garbage=0 >/dev/null
  [ "$said" = "Do calibration fail!" ] || fail "the failed upload said: $said"
  closed "the failed calibration"

  heading "(c) Exit"
  goto_tab 0
  click_control 0 IDC_GENERAL_EXIT
  taskbar_judged
}

# (d) A panel without a keyboard: GetKeyboardStatus answers 0, so the
# full-screen window's touch controls are the only Escape and G there are.
# Their centres on the 640x480 screen (surface/touch_controls.cpp).
close_control="$(( (640 * 3456) >> 12 )) $(( (480 * 256) >> 12 ))"
grid_control="$(( (640 * 1536) >> 12 )) $(( (480 * 256) >> 12 ))"
grey="128,128,128"  # the window's background
colour_is() { [ "$(pixel "$2" "$3")" = "$1" ]; }  # COLOUR X Y
wait_colour() { # COLOUR X Y WHAT
  until_true 5 colour_is "$1" "$2" "$3" || fail "$4: ($2,$3) is $(pixel "$2" "$3"), not $1"
}
# A point inside a control's black square, off its outline and its sign.
inside() { set -- $1; echo $(($1 + 12)) "$2"; }

# Draw worked by touch alone (scenario LETTER): the close and grid controls
# shown, a stroke wiped by the close control, the grid laid by the grid
# control, and the window closed by the close control.
draw_by_touch() {
  local stroke=(100 300) grid_line=(170 200) resets
  heading "($1) Draw shows the close and the grid control"
  resets=$(count "TX R$")
  goto_tab 3
  click_control 3 IDC_TOOLS_DRAW
  wait_shown FreeDraw
  wait_colour 0,0,0 $(inside "$close_control") "no close control"
  wait_colour 0,0,0 $(inside "$grid_control") "no grid control"

  heading "($1) a stroke, wiped by the close control"
  xdotool mousemove "${stroke[@]}" mousedown 1 mousemove 150 320 mousemove 200 340 mouseup 1
  wait_colour 255,0,0 "${stroke[@]}" "the stroke is not drawn"
  click $close_control
  wait_colour "$grey" "${stroke[@]}" "the close control did not wipe the stroke"
  shown FreeDraw || fail "the close control closed the window instead of wiping it"

  heading "($1) the grid control lays the grid; the close control closes"
  colour_is "$grey" "${grid_line[@]}" || fail "a grid line before the grid control: $(pixel "${grid_line[@]}")"
  click $grid_control
  wait_colour 255,255,255 "${grid_line[@]}" "the grid control laid no grid"
  click $close_control
  closed "Draw, by the close control"
  wait_count "TX R$" $((resets + 1))
}

scenario_keyboardless() {
  keyboard=none
  local from selects resets
  wait_shown "Quillon Inc." 60
  draw_by_touch d

  heading "(d) Calibration 5: two targets, then the close control ends the run without an upload"
  from=$(wc -l <"$trace")
  selects=$(count "REQ 19 ")
  resets=$(count "TX R$")
  calibrate IDC_DEVICE_CALIBRATE_5 0 2
  wait_count "REQ 19 " $((selects + 3)) 20  # the third target is up
  click $close_control
  closed "Calibration 5, by the close control" 30
  wait_count "TX R$" $((resets + 1))
  ! tail -n +$((from + 1)) "$trace" | grep -E " TX (PL|SP(1.|2[01]))" || fail "the run ended by the close control uploaded"

  heading "(d) Exit"
  goto_tab 0
  click_control 0 IDC_GENERAL_EXIT
  taskbar_judged
}

# (e) An image without the keyboard UI: its core library exports neither
# GetKeyboardStatus nor the hot keys, and finds none of them at run time.
# The program loads all the same (it imports none of them), holds no hot key,
# takes the panel for one without a keyboard, and works by touch alone.
scenario_no_keyboard_ui() {
  keyboard=none
  heading "(e) an image without the keyboard UI: the sheet opens, no hot key is held"
  wait_shown "Quillon Inc." 60
  [ "$(probe hotkeys)" = "free free" ] || fail "a hot key is held although the image has none: $(probe hotkeys)"
  draw_by_touch e

  heading "(e) Calibration 5 by touch, to its upload"
  calibrate IDC_DEVICE_CALIBRATE_5 0 2 4 6 8
  closed "Calibration 5" 30
  wait_count " TX PL$" 1
  [ "$(grep -cE ' TX SP(1[0-9A-F]|2[01])' "$trace")" = 18 ] || fail "the upload is not eighteen SP frames"

  heading "(e) Exit"
  goto_tab 0
  click_control 0 IDC_GENERAL_EXIT
  taskbar_judged
}
