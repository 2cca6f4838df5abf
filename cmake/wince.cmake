# The device flavour: the same sources built as a Windows CE 4.x program. It
# imports by name from COREDLL.dll and COMMCTRL.dll only, through import
# libraries made from the module definitions in platform/wince; it has its own
# entry point and no C run-time. On i686 (the device) every Windows function
# and every procedure the system calls back is __cdecl, as CE on x86 requires.
# On x86_64 the same flavour runs here under Wine, against stand-in libraries
# that forward to the desktop ones.
set(WINCE_DIR ${CMAKE_SOURCE_DIR}/platform/wince)
find_program(DLLTOOL ${TOOLCHAIN_PREFIX}-dlltool REQUIRED)

# Nothing of the desktop's default libraries may reach the link.
set(CMAKE_C_STANDARD_LIBRARIES "")
set(CMAKE_CXX_STANDARD_LIBRARIES "")

# No C run-time: nor may the compiler turn a loop into a call to one (strlen,
# memset), since a device image may lack its component.
set(DEVICE_FLAGS -Os -fno-exceptions -fno-rtti -fno-threadsafe-statics -fno-stack-protector
                 -fno-tree-loop-distribute-patterns -ffunction-sections -fdata-sections -Wall -Wextra -Werror)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  # The device's processor may be a 486 (no CMOV, no multi-byte NOP, no FPU);
  # the compiler's default, the Pentium Pro, is not. This also tunes for the
  # 486, the slowest of them; other tunings change the file by no whole page.
  list(APPEND DEVICE_FLAGS -march=i486)
  # WINAPI, CALLBACK and APIENTRY all come down to __stdcall in the headers.
  list(APPEND DEVICE_FLAGS -fno-asynchronous-unwind-tables -U__stdcall "-D__stdcall=__attribute__((__cdecl__))")
  set(DEVICE_ENTRY _WinMainCRTStartup)
  set(DEVICE_ENTRY_SOURCE platform/wince/entry.cpp)
  set(DEVICE_IMAGE_BASE -Wl,--image-base,0x10000)
else()
  set(DEVICE_ENTRY WinMainCRTStartup)
  set(DEVICE_ENTRY_SOURCE platform/wince/entry_x64.cpp)
  set(DEVICE_IMAGE_BASE)
endif()
foreach(lib tp_neutral tp_windows)
  target_compile_options(${lib} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${DEVICE_FLAGS}>")
endforeach()
# The functions of components an image may lack are looked up at run time.
target_compile_definitions(tp_windows PRIVATE TOUCHPANEL_DEVICE)

# The functions a module definition names, as "Name|desktop-library" (its
# lines read "Name ; desktop-library"; a semicolon would split a CMake list).
function(read_def_functions def out)
  file(READ ${def} text)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  string(REPLACE ";" "|" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(functions)
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]+([A-Za-z_0-9]+)[ \t]*\\|[ \t]*([A-Za-z_0-9]+)")
      list(APPEND functions "${CMAKE_MATCH_1}|${CMAKE_MATCH_2}")
    endif()
  endforeach()
  set(${out} ${functions} PARENT_SCOPE)
endfunction()

# Writes a module definition for `library` from such functions; with FORWARD,
# each one is forwarded to its desktop library, but those in EXCEPT and those
# no desktop library has ("none"), which the library implements itself as
# StandIn<Name>.
function(write_def path library functions)
  cmake_parse_arguments(W "FORWARD" "" "EXCEPT" ${ARGN})
  set(text "LIBRARY ${library}\nEXPORTS\n")
  foreach(function IN LISTS functions)
    string(REPLACE "|" ";" parts "${function}")
    list(GET parts 0 name)
    list(GET parts 1 desktop)
    if(W_FORWARD AND (name IN_LIST W_EXCEPT OR desktop STREQUAL "none"))
      string(APPEND text "    ${name}=StandIn${name}\n")
    elseif(W_FORWARD)
      string(APPEND text "    ${name}=${desktop}.${name}\n")
    else()
      string(APPEND text "    ${name}\n")
    endif()
  endforeach()
  file(CONFIGURE OUTPUT ${path} CONTENT "${text}")
endfunction()

read_def_functions(${WINCE_DIR}/coredll.def COREDLL_FUNCTIONS)
read_def_functions(${WINCE_DIR}/commctrl.def COMMCTRL_FUNCTIONS)
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  read_def_functions(${WINCE_DIR}/x64-only.def X64_FUNCTIONS)
  list(APPEND COREDLL_FUNCTIONS ${X64_FUNCTIONS})
endif()
write_def(${CMAKE_BINARY_DIR}/coredll.def COREDLL.dll "${COREDLL_FUNCTIONS}")
# What the device's core library has besides: the functions the program looks
# up at run time, which the stand-ins export too.
read_def_functions(${WINCE_DIR}/coredll-lookups.def COREDLL_LOOKUPS)

# Import libraries, by name, of the two libraries the device has.
function(import_library name def)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/lib${name}.a
      COMMAND ${DLLTOOL} -d ${def} -l ${CMAKE_BINARY_DIR}/lib${name}.a
      DEPENDS ${def} VERBATIM)
  add_custom_target(${name}_imports DEPENDS ${CMAKE_BINARY_DIR}/lib${name}.a)
endfunction()
import_library(coredll ${CMAKE_BINARY_DIR}/coredll.def)
import_library(commctrl ${WINCE_DIR}/commctrl.def)

# A program of the device flavour: no start files, no default libraries.
# Its header as Microsoft's own CE binaries have it: no DllCharacteristics
# (the linker's default marks it relocatable at random and NX compatible,
# which a later CE's loader acts on) and a stack reserve of 64 KiB, which the
# deepest stack measured in the device run (docs/device-run.md) leaves room in.
function(device_link target)
  target_link_options(${target} PRIVATE -nostdlib -nostartfiles -Wl,-e,${DEVICE_ENTRY} -Wl,--subsystem,wince:4.0
                      ${DEVICE_IMAGE_BASE} -Wl,--disable-dynamicbase,--disable-nxcompat -Wl,--stack,0x10000
                      -Wl,--gc-sections -s)
  # The compiler's own helpers (64-bit division, stack probes) come last.
  target_link_libraries(${target} PRIVATE ${ARGN} gcc)
  add_dependencies(${target} coredll_imports commctrl_imports)
endfunction()

add_executable(touchpanel ${PROGRAM_SOURCES} platform/port_win32.cpp platform/wince/dialog_buttons.cpp
               ${DEVICE_ENTRY_SOURCE})
target_compile_options(touchpanel PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${DEVICE_FLAGS}>")
target_compile_definitions(touchpanel PRIVATE TOUCHPANEL_DEVICE)
device_link(touchpanel tp_windows tp_neutral ${CMAKE_BINARY_DIR}/libcoredll.a ${CMAKE_BINARY_DIR}/libcommctrl.a)
add_custom_command(TARGET touchpanel POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:touchpanel> -P ${CMAKE_SOURCE_DIR}/cmake/print-size.cmake
    VERBATIM)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  include(cmake/wince-check.cmake)
  include(cmake/wince-cab.cmake)
else()
  include(cmake/wince-standins.cmake)
endif()
