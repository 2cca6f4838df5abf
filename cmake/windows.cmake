# The desktop builds: the product, the simulator and the Windows tests
# (mingw-w64 with its C run-time; run under wine64 here).
set(PRODUCT_FLAGS -Os -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections -Wall -Wextra -Werror)
set(PRODUCT_LINK_FLAGS -static -s -mwindows -Wl,--gc-sections)

foreach(lib tp_neutral tp_windows tp_sim)
  target_compile_options(${lib} PRIVATE ${PRODUCT_FLAGS})
endforeach()
target_link_libraries(tp_windows PUBLIC comctl32)

function(touchpanel_executable name)
  add_executable(${name} WIN32 ${PROGRAM_SOURCES} ${ARGN})
  target_compile_options(${name} PRIVATE ${PRODUCT_FLAGS})
  target_link_options(${name} PRIVATE ${PRODUCT_LINK_FLAGS})
  add_custom_command(TARGET ${name} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${name}> -P ${CMAKE_SOURCE_DIR}/cmake/print-size.cmake
      VERBATIM)
endfunction()

touchpanel_executable(touchpanel platform/port_win32.cpp)
target_link_libraries(touchpanel PRIVATE tp_windows)

touchpanel_executable(touchpanel-sim sim/sim_startup_win32.cpp)
target_link_libraries(touchpanel-sim PRIVATE tp_windows tp_sim)

if(TOUCHPANEL_TESTS AND CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  include(cmake/wine-tests.cmake)
  add_shared_wine_fixture()
  include(cmake/googletest.cmake)
  include(GoogleTest)

  file(GLOB GUI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/gui/*.cpp)
  add_executable(touchpanel_gui_tests ${GUI_TEST_SOURCES} res/touchpanel.rc)
  target_compile_options(touchpanel_gui_tests PRIVATE -Wall -Wextra -Werror)
  target_link_libraries(touchpanel_gui_tests PRIVATE tp_windows tp_sim gtest gmock)
  target_link_options(touchpanel_gui_tests PRIVATE -static)
  string(REPLACE "/" "\\\\" exe_dir "Z:${CMAKE_BINARY_DIR}")
  target_compile_definitions(touchpanel_gui_tests PRIVATE "TOUCHPANEL_EXE_DIR=L\"${exe_dir}\"")
  add_dependencies(touchpanel_gui_tests touchpanel touchpanel-sim)

  # The outside-in acceptance test: the simulator as its own process, driven
  # with xdotool and read with the probe.
  add_wine_test(acceptance 300 ${CMAKE_SOURCE_DIR}/tests/acceptance/acceptance.sh
                $<TARGET_FILE:touchpanel-sim> $<TARGET_FILE:touchpanel-probe> ${CMAKE_BINARY_DIR})

  # Each test is a CTest entry of its own, but each suite runs in one Wine
  # process (tests/gui/suite_runner.sh); a CTest run starts from no results.
  set_property(TARGET touchpanel_gui_tests PROPERTY CROSSCOMPILING_EMULATOR
               ${CMAKE_SOURCE_DIR}/tests/gui/suite_runner.sh)
  add_test(NAME gui_results_reset COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/gui-results)
  set_tests_properties(gui_results_reset PROPERTIES FIXTURES_SETUP wine)
  gtest_discover_tests(touchpanel_gui_tests
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES RESOURCE_LOCK gui FIXTURES_REQUIRED wine TIMEOUT 330)

  # The full-screen window's suite and a 9-point calibration on the other
  # screens of such panels, portrait too, each on a display of that size.
  foreach(screen 800x600 1024x768 480x640 480x272)
    add_wine_test(gui_at_${screen} 300 ${CMAKE_SOURCE_DIR}/tools/wine-env run $<TARGET_FILE:touchpanel_gui_tests>
                  --gtest_filter=FreeDrawTest.*:CalibrationTest.NinePointRunUploadsTheSamplesAndMapsWithinOnePercent:CalibrationTest.AMisplaced*)
    set_property(TEST gui_at_${screen} APPEND PROPERTY ENVIRONMENT TOUCHPANEL_SCREEN=${screen} WINEDEBUG=-all,err+all)
    set_property(TEST gui_at_${screen} PROPERTY RESOURCE_LOCK gui)
  endforeach()
endif()
