#!/usr/bin/env bash
# The device flavour, run here: the executable built the device's way (its own
# entry point, no C run-time, imports from COREDLL.dll and COMMCTRL.dll only),
# beside stand-ins for those two libraries that forward to the desktop ones.
#   - With the forwarding stand-ins, "FPD1:" does not exist: the program shows
#     the ERROR box and ends with exit code 0.
#   - With the simulator's stand-in, the sheet opens with its six tabs and a
#     9-point calibration made with mouse presses reaches the controller.
#
#   device_flavour.sh PRODUCT_EXE SIM_EXE PROBE_EXE WORK_DIR
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
product=$1
sim=$2
probe_exe=$3
work=$4
wenv="$here/tools/wine-env"
trace="$work/device-flavour-trace.txt"
shots="$work/device-flavour"
mkdir -p "$shots"
rm -f "$trace"
. "$here/tools/lib/drive.sh"
drive_start
app=

heading "the device flavour without its driver"
"$wenv" run "$product" &
app=$!
probe wait ERROR 20000 || fail "no ERROR message box"
probe windows | grep -q "|Quillon Inc.|" && fail "the sheet is shown although the driver is missing"
[ "$(read_message ERROR)" = "Error to open front panel driver" ] || fail "the ERROR box says something else"
expect_exit_zero "after the ERROR box"

heading "the device flavour with the simulator's core library"
TOUCHPANEL_SIM_TRACE="Z:$trace" "$wenv" run "$sim" &
app=$!
probe wait "Quillon Inc." 20000 || fail "the sheet does not appear"
tabs=$(probe tabs | paste -sd,)
[ "$tabs" = "General,Settings,Parameters,Tools,Device,Advance" ] || fail "the tabs read: $tabs"
[ "$(probe tab)" = 4 ] || fail "the sheet does not open on the Device page"

heading "Calibration9 with mouse presses at the targets"
calibrate IDC_DEVICE_CALIBRATE_9 0 1 2 3 4 5 6 7 8
wait_gone FreeDraw
wait_count " CAL " 1
[ "$(count ' TX SP')" = 18 ] || fail "the upload is not eighteen SP frames"
echo "   $(grep ' CAL ' "$trace")"

heading "Exit"
exit_program
echo "device flavour: 1 passed, 0 failed"
