# Windows programs run here under wine64 on an Xvfb display, in a Wine prefix
# with a persistent wineserver (tools/wine-env). Each environment is named by
# its state folder.

# The in-process GUI tests share the checkout's environment: it comes up once
# before them and goes down after them.
function(add_shared_wine_fixture)
  add_test(NAME wine_up COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-env up)
  set_tests_properties(wine_up PROPERTIES FIXTURES_SETUP wine)
  add_test(NAME wine_down COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-env down)
  set_tests_properties(wine_down PROPERTIES FIXTURES_CLEANUP wine)
endfunction()

# A test that drives whole programs from outside, with the real mouse, gets an
# environment of its own, so it runs beside the in-process tests without
# sharing their display or their pointer.
function(add_wine_test name timeout)
  set(own TOUCHPANEL_WINE_STATE=${CMAKE_BINARY_DIR}/wine-${name})
  add_test(NAME ${name} COMMAND ${ARGN})
  add_test(NAME ${name}_down COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-env down)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT ${own} FIXTURES_REQUIRED ${name}_wine TIMEOUT ${timeout})
  set_tests_properties(${name}_down PROPERTIES ENVIRONMENT ${own} FIXTURES_CLEANUP ${name}_wine)
endfunction()
