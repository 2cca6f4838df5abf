# Runs the device check on CHECK's arguments and passes only when it fails,
# saying each of the messages in EXPECT.
execute_process(COMMAND ${CHECK} ${EXE} ${ARGS} OUTPUT_VARIABLE out RESULT_VARIABLE code)
message("${out}")
if(code EQUAL 0)
  message(FATAL_ERROR "the device check accepted ${EXE}")
endif()
foreach(expected IN LISTS EXPECT)
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the device check did not say: ${expected}")
  endif()
endforeach()
