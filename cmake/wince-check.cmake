# The check of the device's executable (ce/check), built for this
# machine and run by the test command, and its own tests: it must refuse a
# desktop build, a stdcall object and a function the device does not have.
# The toolchain's objdump disassembles the code for it.
find_program(HOST_CXX NAMES g++ c++ REQUIRED)
find_program(DEVICE_OBJDUMP ${TOOLCHAIN_PREFIX}-objdump REQUIRED)

# host_tool(NAME SOURCE): a one-file program for this machine, built as
# ${CMAKE_BINARY_DIR}/NAME by the target NAME_tool.
function(host_tool name source)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${name}
      COMMAND ${HOST_CXX} -std=c++17 -O2 -Wall -Wextra -Werror -o ${CMAKE_BINARY_DIR}/${name} ${CMAKE_SOURCE_DIR}/${source}
      DEPENDS ${CMAKE_SOURCE_DIR}/${source} VERBATIM)
  add_custom_target(${name}_tool ALL DEPENDS ${CMAKE_BINARY_DIR}/${name})
endfunction()

set(DEVICE_CHECK ${CMAKE_BINARY_DIR}/device_check)
host_tool(device_check ce/check/device_check.cpp)

set(DEVICE_CHECK_ARGS --objdump ${DEVICE_OBJDUMP}
                      --exports COREDLL.dll=${WINCE_DIR}/coredll-exports.txt
                      --exports COMMCTRL.dll=${WINCE_DIR}/commctrl-exports.txt
                      --components ${WINCE_DIR}/coredll-components.txt)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/device-objects.txt
     CONTENT "$<JOIN:$<TARGET_OBJECTS:touchpanel>;$<TARGET_OBJECTS:tp_windows>;$<TARGET_OBJECTS:tp_neutral>,\n>\n")

if(TOUCHPANEL_TESTS)
  add_test(NAME device_check
           COMMAND ${DEVICE_CHECK} $<TARGET_FILE:touchpanel> ${DEVICE_CHECK_ARGS}
                   --objects ${CMAKE_BINARY_DIR}/device-objects.txt --budget 106496)

  set(SAMPLE ${CMAKE_SOURCE_DIR}/ce/check/samples/sample.cpp)
  # The desktop way: Subsystem 2, desktop libraries, the C run-time, stdcall.
  add_executable(desktop_sample EXCLUDE_FROM_ALL ${SAMPLE})
  target_link_options(desktop_sample PRIVATE -mwindows)
  target_link_libraries(desktop_sample PRIVATE user32 kernel32)
  # The device way, but calling a function the device does not have, or one
  # of the keyboard UI, which an image may lack, as an import.
  import_library(sample_imports ${CMAKE_SOURCE_DIR}/ce/check/samples/imports.def)
  foreach(sample desktop_only keyboard)
    add_executable(${sample}_sample EXCLUDE_FROM_ALL ${SAMPLE})
    string(TOUPPER "CALL_A_${sample}_FUNCTION" call)
    target_compile_definitions(${sample}_sample PRIVATE ${call})
    target_compile_options(${sample}_sample PRIVATE ${DEVICE_FLAGS})
    device_link(${sample}_sample ${CMAKE_BINARY_DIR}/libsample_imports.a)
    add_dependencies(${sample}_sample sample_imports_imports)
  endforeach()
  # The device way, but for the i686 (CMOV) and with a frame over a page.
  add_executable(i686_sample EXCLUDE_FROM_ALL ${SAMPLE})
  target_compile_definitions(i686_sample PRIVATE FOR_THE_I686_WITH_A_LARGE_FRAME)
  target_compile_options(i686_sample PRIVATE ${DEVICE_FLAGS} -march=i686)
  device_link(i686_sample ${CMAKE_BINARY_DIR}/libcoredll.a)
  add_custom_target(device_check_samples ALL DEPENDS desktop_sample desktop_only_sample keyboard_sample i686_sample)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/desktop-sample-objects.txt
       CONTENT "$<JOIN:$<TARGET_OBJECTS:desktop_sample>,\n>\n")
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/i686-sample-objects.txt CONTENT "$<TARGET_OBJECTS:i686_sample>\n")

  # expect_refusal(NAME EXE ARGS... EXPECT messages...)
  function(expect_refusal name exe)
    cmake_parse_arguments(R "" "" "ARGS;EXPECT" ${ARGN})
    add_test(NAME ${name}
             COMMAND ${CMAKE_COMMAND} -DCHECK=${DEVICE_CHECK} -DEXE=${exe} "-DARGS=${DEVICE_CHECK_ARGS};${R_ARGS}"
                     "-DEXPECT=${R_EXPECT}" -P ${CMAKE_SOURCE_DIR}/cmake/expect-refusal.cmake)
  endfunction()
  expect_refusal(device_check_refuses_a_desktop_build $<TARGET_FILE:desktop_sample>
                 ARGS --objects ${CMAKE_BINARY_DIR}/desktop-sample-objects.txt
                 EXPECT "subsystem 2, not 9" "imports from KERNEL32.dll" "has a stdcall decoration"
                        "image base 0x400000" "DllCharacteristics 0x" "a stack reserve of 0x200000")
  expect_refusal(device_check_refuses_a_function_the_device_lacks $<TARGET_FILE:desktop_only_sample>
                 EXPECT "COREDLL.dll: GetModuleHandleA is not in the project's export list")
  expect_refusal(device_check_refuses_a_static_import_an_image_may_lack $<TARGET_FILE:keyboard_sample>
                 EXPECT "COREDLL.dll: GetKeyboardStatus is imported, but it lies in GWES_KBDUI, which an image may lack")
  expect_refusal(device_check_refuses_what_a_486_cannot_run $<TARGET_FILE:i686_sample>
                 ARGS --objects ${CMAKE_BINARY_DIR}/i686-sample-objects.txt
                 EXPECT "): cmov" ", over a page" ": a stack probe at" "refers to ___chkstk_ms, a stack probe")
endif()
