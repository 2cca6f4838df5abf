#!/usr/bin/env bash
# The whole program as a person uses it: touchpanel-sim.exe runs as its own
# process under Wine on Xvfb; xdotool presses keys and the mouse; the probe
# reads windows and control texts; the trace file tells what reached the
# emulated driver and controller.
#
#   acceptance.sh SIM_EXE PROBE_EXE WORK_DIR
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
sim=$1
probe=$2
work=$3
wenv="$here/tools/wine-env"
trace="$work/acceptance-trace.txt"
shots="$work/acceptance"
mkdir -p "$shots"
rm -f "$trace"

probe_exe=$probe
. "$here/tools/lib/drive.sh"
drive_start
app=

heading "start"
TOUCHPANEL_SIM_TRACE="Z:$trace" "$wenv" run "$sim" &
app=$!
probe wait "Quillon Inc." 20000 || fail "the sheet does not appear"
[ "$(probe tab)" = 4 ] || fail "the sheet does not open on the Device page"
[ "$(probe text 4 $(resource_id IDC_DEVICE_NAME))" = USB_DEVICE0 ] || fail "no device name"

heading "every tab"
for t in 5 0 1 2 3 4; do goto_tab "$t"; done

heading "Settings: rotation 270"
goto_tab 1
click_control 1 IDC_SETTINGS_ROTATE_270
wait_count "REQ 3 in=03 " 1
goto_tab 2
goto_tab 1
[ "$(probe checked 1 $(resource_id IDC_SETTINGS_ROTATE_270))" = 1 ] || fail "270 not shown on the next activation"

heading "Parameters: right-click time"
goto_tab 2
click_control 2 IDC_PARAMETERS_TIME_SLIDER
xdotool key Right
sleep 0.3
pos=$(probe pos 2 $(resource_id IDC_PARAMETERS_TIME_SLIDER))
[ "$(probe text 2 $(resource_id IDC_PARAMETERS_TIME_EDIT))" = "$pos" ] || fail "the edit box does not echo the trackbar ($pos)"
click_control 2 IDC_PARAMETERS_CONFIRM
wait_count "TX SP9A$(printf '%02X' $((pos / 5)))" 1
goto_tab 3
goto_tab 2
[ "$(probe text 2 $(resource_id IDC_PARAMETERS_TIME_EDIT))" = "$((pos / 5 * 5))" ] || fail "the new time is not shown on the next activation"

heading "Advance: Meas. Delay"
goto_tab 5
click_control 5 IDC_ADVANCE_DELAY_SLIDER
delay=$(probe pos 5 $(resource_id IDC_ADVANCE_DELAY_SLIDER))
[ "$delay" != 100 ] || fail "the Meas. Delay trackbar did not move"
click_control 5 IDC_ADVANCE_CONFIRM
wait_count "TX SP9D00$(printf '%02X' "$delay")" 1
goto_tab 4
goto_tab 5
[ "$(probe text 5 $(resource_id IDC_ADVANCE_DELAY_EDIT))" = "$delay" ] || fail "the new delay is not shown on the next activation"

heading "Tools: Reset and Defaults"
goto_tab 3
click_control 3 IDC_TOOLS_RESET
[ "$(read_message Message)" = "Rest ok!" ] || fail "Reset did not say Rest ok!"
click_control 3 IDC_TOOLS_DEFAULTS
[ "$(read_message Message)" = "Rest default ok!" ] || fail "Defaults did not say Rest default ok!"

heading "Tools: Draw, grid, clear, close"
resets=$(count "TX R$")
click_control 3 IDC_TOOLS_DRAW
probe wait FreeDraw 5000 || fail "no drawing window"
xdotool mousemove 100 300 mousedown 1 mousemove 150 320 mousemove 200 340 mouseup 1
sleep 0.3
[ "$(pixel 150 320)" = "255,0,0" ] || fail "no red stroke at (150, 320)"
xdotool key g
sleep 0.3
[ "$(pixel 170 60)" = "255,255,255" ] || fail "no grid line at x=170"
import -window root "$shots/free-drawing.png"
xdotool key Escape
sleep 0.3
[ "$(pixel 150 320)" = "128,128,128" ] || fail "Escape did not clear the stroke"
xdotool key Escape
probe gone FreeDraw 5000 || fail "the second Escape did not close the window"
wait_count "TX R$" $((resets + 1))

# The last upload in the trace as "address value" lines, and the raw touches.
last_upload() { grep -E " TX SP(1[0-9A-F]|2[01])" "$trace" | tail -18 | awk '{print substr($3,3,2), substr($3,5,4)}'; }
touches() { grep " TOUCH " "$trace" | tail -"$1" | awk '{print $5, $6}'; }
# The upload that the points x[0..8], y[0..8] make, as last_upload prints it.
expected_upload() {
  for k in 0 1 2 3 4 5 6 7 8; do
    printf '%02X %04X\n%02X %04X\n' $((0x10 + 2 * k)) "${x[$k]}" $((0x11 + 2 * k)) "${y[$k]}"
  done
}
declare -A x y

heading "Calibration9 with mouse presses at the targets"
calibrate IDC_DEVICE_CALIBRATE_9 0 1 2 3 4 5 6 7 8
wait_gone FreeDraw
wait_count " CAL " 1
mapfile -t raw < <(touches 9)
for k in 0 1 2 3 4 5 6 7 8; do set -- ${raw[$k]}; x[$k]=$1; y[$k]=$2; done
[ "$(last_upload)" = "$(expected_upload)" ] || fail "the 9-point upload does not match the touches"
grep -q " TX PL$" "$trace" || fail "no PL"
cal=$(grep " CAL " "$trace" | tail -1)
echo "   $cal"
err9=$(echo "$cal" | sed 's/.*err9=\([0-9.]*\).*/\1/')
awk -v e="$err9" 'BEGIN { exit !(e <= 1.0) }' || fail "9-point error $err9 % is above 1 %"

heading "Calibration 5 with mouse presses at the targets"
calibrate IDC_DEVICE_CALIBRATE_5 0 2 4 6 8
wait_gone FreeDraw
wait_count " CAL " 2
mapfile -t raw < <(touches 5)
i=0
for p in 0 2 4 6 8; do set -- ${raw[$i]}; x[$p]=$1; y[$p]=$2; i=$((i + 1)); done
for pair in "3 2 4" "5 4 6" "7 6 8" "1 8 2"; do
  set -- $pair
  x[$1]=$(( (x[$2] + x[$3]) / 2 )); y[$1]=$(( (y[$2] + y[$3]) / 2 ))
done
[ "$(last_upload)" = "$(expected_upload)" ] || fail "the 5-point upload does not match the touches and their midpoints"
echo "   $(grep " CAL " "$trace" | tail -1)"

heading "Calibration 5 with the top-left corner touched at the top-right one's place: refused, started again"
calibrate IDC_DEVICE_CALIBRATE_5 0 2 2 0 2 4 6 8
wait_gone FreeDraw
wait_count " CAL " 3
refused_run 4

heading "Exit"
exit_program
echo "acceptance: 1 passed, 0 failed"
