# libFuzzer targets (clang): reply checks, record decoders and write frames,
# the judge of a calibration's samples,
# and the exchange against a driver that answers arbitrary counts and bytes.
set(FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -g -Wall -Wextra -Werror)
set(FUZZ_SECONDS 10 CACHE STRING "How long the test command runs each fuzz target (side by side)")

target_compile_options(tp_neutral PRIVATE -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                                          -Wall -Wextra -Werror)

foreach(target reply_checks records exchange sample_check)
  add_executable(fuzz_${target} tests/fuzz/fuzz_${target}.cpp)
  if(target STREQUAL "reply_checks")
    target_sources(fuzz_${target} PRIVATE tests/fuzz/no_driver_port.cpp)
  endif()
  target_compile_options(fuzz_${target} PRIVATE ${FUZZ_FLAGS})
  target_link_options(fuzz_${target} PRIVATE ${FUZZ_FLAGS})
  target_link_libraries(fuzz_${target} PRIVATE tp_neutral)
  if(TOUCHPANEL_TESTS)
    add_test(NAME fuzz_${target}
             COMMAND fuzz_${target} -max_total_time=${FUZZ_SECONDS} -print_final_stats=1)
  endif()
endforeach()
