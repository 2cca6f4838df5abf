#!/usr/bin/env bash
# Builds the device run's i686 pieces into WORK/bin: the stand-in COREDLL.dll
# (with the simulator) and COMMCTRL.dll, from the project's module
# definitions, and the launcher; and into WORK/bin/nokbd the same for an
# image without the keyboard UI, whose COREDLL.dll exports none of its
# functions (by the component table).
#   build.sh REPO WORK
set -euo pipefail
repo=$1
work=$2
cxx=i686-w64-mingw32-g++-posix
here=$repo/ce/run
wince=$repo/platform/wince
gen=$work/gen
mkdir -p "$gen" "$work/bin/nokbd"
flags=(-std=c++17 -Os -Wall -Wextra -Werror -fno-exceptions -fno-rtti -I"$repo" -I"$gen")
# "Name ; desktop-library" lines as EXPORT(Name, "desktop-library"); "none",
# which no desktop library has, is the stand-in's own.
exports() {
  sed -n 's/^[ \t]\+\([A-Za-z_0-9]\+\)[ \t]*;[ \t]*\([A-Za-z_0-9]\+\).*/EXPORT(\1, "\2")/; s/"none")$/"stand-in")/; /^EXPORT(/p' "$@"
}
keyboard_ui=$(awk '$1 == "COREDLL.dll" && $3 ~ /GWES_KBDUI/ { print $2 }' "$wince/coredll-components.txt")
[ -n "$keyboard_ui" ] || { echo "no keyboard UI functions in the component table" >&2; exit 1; }

# stand_in LIB DEFS OUT [EXCEPT]: the export list and module definition of
# one library, but for the names in EXCEPT.
stand_in() {
  local lib=$1 defs=$2 out=$3 except=${4:-}
  exports $defs | grep -v -F -f <(printf 'EXPORT(%s,\n' $except) >"$gen/$out-exports.inc" || true
  {
    echo "LIBRARY $(echo "$lib" | tr a-z A-Z).dll"
    echo "EXPORTS"
    sed 's/^EXPORT(\([A-Za-z_0-9]*\),.*/    \1=StandIn_\1/' "$gen/$out-exports.inc"
    printf '    %s\n' DeviceRunSelfTest DeviceRunExport DeviceRunCounts DeviceRunRules DeviceRunStackLow
    if [ "$lib" = coredll ]; then printf "    %s\n" DeviceRunSetKeyboard DeviceRunSetDriver DeviceRunArm DeviceRunFaults DeviceRunSim; fi
  } >"$gen/$out.def"
}
stand_in coredll "$wince/coredll.def $wince/coredll-lookups.def" coredll
stand_in coredll "$wince/coredll.def $wince/coredll-lookups.def" coredll-nokbd "$keyboard_ui"
stand_in commctrl "$wince/commctrl.def" commctrl

sim=(sim/coredll_standin.cpp sim/sim_startup_win32.cpp sim/sim_config.cpp sim/trace.cpp sim/panel_model.cpp
     sim/emulator.cpp sim/port_sim.cpp link/driver.cpp link/exchange.cpp link/records.cpp
     surface/overlay_geometry.cpp surface/calibration_capture.cpp)
coredll() { # OUT NAME
  "$cxx" "${flags[@]}" -DSTANDIN_COREDLL -DEXPORT_LIST="\"$2-exports.inc\"" -shared -o "$1" \
    "$here/standin.cpp" "$here/calls.S" "$here/call_checked.S" "$repo/ce/get_proc_address.c" "${sim[@]/#/$repo/}" \
    "$gen/$2.def" -static -lcomctl32 -lgdi32 -luser32 -s
}
coredll "$work/bin/COREDLL.dll" coredll &
coredll "$work/bin/nokbd/COREDLL.dll" coredll-nokbd &
"$cxx" "${flags[@]}" -DSTANDIN_COMMCTRL -DEXPORT_LIST='"commctrl-exports.inc"' -shared -o "$work/bin/COMMCTRL.dll" \
  "$here/standin.cpp" "$here/calls.S" "$here/call_checked.S" "$gen/commctrl.def" -static -lcomctl32 -s
"$cxx" "${flags[@]}" -municode -o "$work/bin/launcher.exe" "$here/launcher.cpp" "$here/call_checked.S" \
  -static -lcomctl32 -luser32 -s
for job in $(jobs -p); do wait "$job"; done
cp "$work/bin/COMMCTRL.dll" "$work/bin/launcher.exe" "$work/bin/nokbd/"
