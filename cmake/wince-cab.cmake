# The install cabinet, next to the executable: ship/ce_cab.cpp writes the
# installation data from ship/install-table.txt and has gcab put it and the
# files it names into touchpanel.cab. The tests read the cabinet back with
# cabextract and a reader of the installation data of their own.
find_program(GCAB gcab REQUIRED)
set(CE_CAB ${CMAKE_BINARY_DIR}/ce_cab)
set(CAB_TABLE ${CMAKE_SOURCE_DIR}/ship/install-table.txt)
set(CAB ${CMAKE_BINARY_DIR}/touchpanel.cab)
host_tool(ce_cab ship/ce_cab.cpp)
add_custom_command(OUTPUT ${CAB}
    COMMAND ${CE_CAB} ${CAB_TABLE} --from $<TARGET_FILE_DIR:touchpanel> --gcab ${GCAB} ${CAB}
    DEPENDS ${CE_CAB} ${CAB_TABLE} touchpanel VERBATIM)
add_custom_target(touchpanel_cab ALL DEPENDS ${CAB})

if(TOUCHPANEL_TESTS)
  find_program(CABEXTRACT cabextract REQUIRED)
  host_tool(read_000 tests/cab/read_000.cpp)
  foreach(case extracts decodes refuses_a_missing_file refuses_two_files_with_one_number)
    add_test(NAME cab_${case}
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/cab/cabinet.sh ${case} ${CAB} $<TARGET_FILE:touchpanel>
                     ${CAB_TABLE} ${CE_CAB} ${GCAB} ${CMAKE_BINARY_DIR}/read_000 ${CMAKE_BINARY_DIR}/cab-test/${case})
  endforeach()
endif()
