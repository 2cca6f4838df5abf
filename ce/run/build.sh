#!/usr/bin/env bash
# Builds the device run's i686 pieces into WORK/bin: the stand-in COREDLL.dll
# (with the simulator) and COMMCTRL.dll, from the project's module
# definitions, and the launcher.
#   build.sh REPO WORK
set -euo pipefail
repo=$1
work=$2
cxx=i686-w64-mingw32-g++-posix
here=$repo/ce/run
gen=$work/gen
mkdir -p "$gen" "$work/bin"
flags=(-std=c++17 -Os -Wall -Wextra -Werror -fno-exceptions -fno-rtti -I"$repo" -I"$gen")
names() { sed -n 's/^[ \t]\+\([A-Za-z_0-9]\+\)[ \t]*;.*/\1/p' "$1"; }
# "Name ; desktop-library" lines as EXPORT(Name, "desktop-library"); "none",
# which no desktop library has, is the stand-in's own.
exports() {
  sed -n 's/^[ \t]\+\([A-Za-z_0-9]\+\)[ \t]*;[ \t]*\([A-Za-z_0-9]\+\).*/EXPORT(\1, "\2")/; s/"none")$/"stand-in")/; /^EXPORT(/p' "$1"
}

for lib in coredll commctrl; do
  upper=$(echo "$lib" | tr a-z A-Z)
  exports "$repo/platform/wince/$lib.def" >"$gen/$lib-exports.inc"
  {
    echo "LIBRARY $upper.dll"
    echo "EXPORTS"
    names "$repo/platform/wince/$lib.def" | sed 's/.*/    &=StandIn_&/'
    printf '    %s\n' DeviceRunSelfTest DeviceRunExport DeviceRunCounts DeviceRunRules
    [ "$lib" = coredll ] && printf '    %s\n' DeviceRunSetKeyboard DeviceRunSetDriver DeviceRunArm DeviceRunFaults DeviceRunSim
  } >"$gen/$lib.def"
done

sim=(sim/coredll_standin.cpp sim/sim_startup_win32.cpp sim/sim_config.cpp sim/trace.cpp sim/panel_model.cpp
     sim/emulator.cpp sim/port_sim.cpp link/driver.cpp link/exchange.cpp link/records.cpp
     surface/overlay_geometry.cpp surface/calibration_capture.cpp)
"$cxx" "${flags[@]}" -DSTANDIN_COREDLL -DEXPORT_LIST='"coredll-exports.inc"' -shared -o "$work/bin/COREDLL.dll" \
  "$here/standin.cpp" "$here/calls.S" "$here/call_checked.S" "${sim[@]/#/$repo/}" "$gen/coredll.def" \
  -static -lcomctl32 -lgdi32 -luser32 -s &
"$cxx" "${flags[@]}" -DSTANDIN_COMMCTRL -DEXPORT_LIST='"commctrl-exports.inc"' -shared -o "$work/bin/COMMCTRL.dll" \
  "$here/standin.cpp" "$here/calls.S" "$here/call_checked.S" "$gen/commctrl.def" -static -lcomctl32 -s
"$cxx" "${flags[@]}" -municode -o "$work/bin/launcher.exe" "$here/launcher.cpp" "$here/call_checked.S" \
  -static -lcomctl32 -luser32 -s
wait $!
