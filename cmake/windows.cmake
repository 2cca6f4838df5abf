# The product, the simulator and the Windows tests (mingw-w64 cross build).
enable_language(RC ASM)

set(PRODUCT_FLAGS -Os -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections -Wall -Wextra)
set(PRODUCT_LINK_FLAGS -static -s -mwindows -Wl,--gc-sections)

add_library(tp_neutral STATIC ${NEUTRAL_SOURCES})
add_library(tp_app STATIC
    app/sheet.cpp
    pages/page_rules.cpp
    pages/settings_page.cpp
    pages/parameters_page.cpp
    pages/tools_page.cpp
    pages/device_page.cpp
    pages/advance_page.cpp
    surface/overlays.cpp
    surface/fullscreen.cpp
    surface/calibration_run.cpp)
# The fault guard is frame-based structured exception handling, which differs per processor.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  target_sources(tp_app PRIVATE platform/fault_guard_x64.cpp platform/fault_guard_x64.S)
else()
  target_sources(tp_app PRIVATE platform/fault_guard_x86.cpp)
endif()
add_library(tp_sim STATIC ${SIM_SOURCES})
foreach(lib tp_neutral tp_app tp_sim)
  target_compile_options(${lib} PRIVATE ${PRODUCT_FLAGS})
endforeach()
target_link_libraries(tp_app PUBLIC tp_neutral comctl32)

set(RESOURCE_FILE ${CMAKE_SOURCE_DIR}/res/touchpanel.rc)
set_source_files_properties(${RESOURCE_FILE} PROPERTIES
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/banner.bmp;${CMAKE_SOURCE_DIR}/res/touchpanel.ico;${CMAKE_SOURCE_DIR}/res/resource.h")

function(touchpanel_executable name)
  add_executable(${name} WIN32 app/main.cpp ${RESOURCE_FILE} ${ARGN})
  target_compile_options(${name} PRIVATE ${PRODUCT_FLAGS})
  target_link_options(${name} PRIVATE ${PRODUCT_LINK_FLAGS})
  add_custom_command(TARGET ${name} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${name}> -P ${CMAKE_SOURCE_DIR}/cmake/print-size.cmake
      VERBATIM)
endfunction()

touchpanel_executable(touchpanel platform/port_win32.cpp)
target_link_libraries(touchpanel PRIVATE tp_app)

touchpanel_executable(touchpanel-sim sim/sim_startup_win32.cpp)
target_link_libraries(touchpanel-sim PRIVATE tp_app tp_sim)

if(TOUCHPANEL_TESTS)
  include(cmake/googletest.cmake)
  include(GoogleTest)
  add_test(NAME wine_up COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-env up)
  set_tests_properties(wine_up PROPERTIES FIXTURES_SETUP wine)
  add_test(NAME wine_down COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-env down)
  set_tests_properties(wine_down PROPERTIES FIXTURES_CLEANUP wine)

  file(GLOB GUI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/gui/*.cpp)
  add_executable(touchpanel_gui_tests ${GUI_TEST_SOURCES} ${RESOURCE_FILE})
  target_link_libraries(touchpanel_gui_tests PRIVATE tp_app tp_sim gtest gmock)
  target_link_options(touchpanel_gui_tests PRIVATE -static)
  string(REPLACE "/" "\\\\" exe_dir "Z:${CMAKE_BINARY_DIR}")
  target_compile_definitions(touchpanel_gui_tests PRIVATE "TOUCHPANEL_EXE_DIR=L\"${exe_dir}\"")
  add_dependencies(touchpanel_gui_tests touchpanel touchpanel-sim)
  # The outside-in acceptance test: the simulator as its own process, driven
  # with xdotool and read with the probe.
  add_executable(touchpanel-probe tests/acceptance/probe.cpp)
  target_compile_options(touchpanel-probe PRIVATE -municode)
  target_link_options(touchpanel-probe PRIVATE -municode -static)
  target_link_libraries(touchpanel-probe PRIVATE comctl32)
  add_test(NAME acceptance
           COMMAND ${CMAKE_SOURCE_DIR}/tests/acceptance/acceptance.sh
                   $<TARGET_FILE:touchpanel-sim> $<TARGET_FILE:touchpanel-probe> ${CMAKE_BINARY_DIR})
  set_tests_properties(acceptance PROPERTIES RESOURCE_LOCK gui FIXTURES_REQUIRED wine TIMEOUT 300)

  gtest_discover_tests(touchpanel_gui_tests
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES RESOURCE_LOCK gui FIXTURES_REQUIRED wine TIMEOUT 60)
endif()
