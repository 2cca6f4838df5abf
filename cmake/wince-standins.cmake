# The device flavour run here (x86_64, under Wine): the same executable in two
# directories, each with stand-ins for the device's two libraries.
#   product/  COREDLL.dll forwards every function to the desktop library that
#             has it, so "FPD1:" cannot be opened: the program says so and ends.
#   sim/      COREDLL.dll answers "FPD1:" with the emulated driver and
#             controller, and forwards the rest.
set(PRODUCT_DIR ${CMAKE_BINARY_DIR}/product)
set(SIM_DIR ${CMAKE_BINARY_DIR}/sim)
set_target_properties(touchpanel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PRODUCT_DIR})
file(WRITE ${CMAKE_BINARY_DIR}/empty.c "")
# The desktop has no keyboard status: the product's stand-in reports a full keyboard.
file(WRITE ${CMAKE_BINARY_DIR}/keyboard.c "unsigned StandInGetKeyboardStatus(void) { return 0xF; }\n")

# A library made of forwarders and what SOURCES add: no entry point.
function(forwarding_library target name def)
  add_library(${target} SHARED ${CMAKE_BINARY_DIR}/empty.c ${ARGN} ${def})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name} PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${PRODUCT_DIR}
                        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${target})
  target_link_options(${target} PRIVATE -nostdlib -Wl,-e,0)
endfunction()

write_def(${CMAKE_BINARY_DIR}/standin-coredll.def COREDLL.dll "${COREDLL_FUNCTIONS};${COREDLL_LOOKUPS}" FORWARD)
write_def(${CMAKE_BINARY_DIR}/standin-commctrl.def COMMCTRL.dll "${COMMCTRL_FUNCTIONS}" FORWARD)
forwarding_library(coredll_standin COREDLL ${CMAKE_BINARY_DIR}/standin-coredll.def ${CMAKE_BINARY_DIR}/keyboard.c
                   ${CMAKE_SOURCE_DIR}/ce/get_proc_address.c)
target_link_libraries(coredll_standin PRIVATE kernel32)
forwarding_library(commctrl_standin COMMCTRL ${CMAKE_BINARY_DIR}/standin-commctrl.def)

# The simulator's core library: the emulator behind CreateFileW and
# DeviceIoControl, the debug output in its trace, built with the desktop's
# run-time like any simulator code.
write_def(${CMAKE_BINARY_DIR}/sim-coredll.def COREDLL.dll "${COREDLL_FUNCTIONS};${COREDLL_LOOKUPS}" FORWARD
          EXCEPT CreateFileW DeviceIoControl OutputDebugStringW)
add_library(coredll_sim SHARED sim/coredll_standin.cpp sim/sim_startup_win32.cpp ce/get_proc_address.c
            ${CMAKE_BINARY_DIR}/sim-coredll.def)
set_target_properties(coredll_sim PROPERTIES OUTPUT_NAME COREDLL PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${SIM_DIR}
                      ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/coredll_sim)
target_compile_options(coredll_sim PRIVATE -Os -Wall -Wextra -Werror "$<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions;-fno-rtti>")
target_compile_options(tp_sim PRIVATE -Os -fno-exceptions -fno-rtti -Wall -Wextra -Werror)
target_link_options(coredll_sim PRIVATE -static -s)
target_link_libraries(coredll_sim PRIVATE tp_sim kernel32 user32 gdi32)

# The same executable and common controls beside the simulator's library.
add_custom_target(device_flavour_sim ALL
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:touchpanel> $<TARGET_FILE:commctrl_standin> ${SIM_DIR}
    DEPENDS touchpanel commctrl_standin coredll_sim coredll_standin VERBATIM)

if(TOUCHPANEL_TESTS)
  include(cmake/wine-tests.cmake)
  add_wine_test(device_flavour 300 ${CMAKE_SOURCE_DIR}/tests/device/device_flavour.sh
                ${PRODUCT_DIR}/touchpanel.exe ${SIM_DIR}/touchpanel.exe $<TARGET_FILE:touchpanel-probe> ${CMAKE_BINARY_DIR})
endif()
