# Tests that run Windows programs under wine64 on an Xvfb display of their
# own: the display, the prefix and the wineserver come up once before them
# and go down after them.
add_test(NAME wine_up COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-env up)
set_tests_properties(wine_up PROPERTIES FIXTURES_SETUP wine)
add_test(NAME wine_down COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-env down)
set_tests_properties(wine_down PROPERTIES FIXTURES_CLEANUP wine)

# A test that drives whole programs on the shared display: one at a time.
function(add_wine_test name timeout)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES RESOURCE_LOCK gui FIXTURES_REQUIRED wine TIMEOUT ${timeout})
endfunction()
