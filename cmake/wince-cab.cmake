# The install cabinet, next to the executable: tools/ce-cab writes the
# installation data from cab/install-table.txt and has gcab put it and the
# files it names into touchpanel.cab.
find_program(GCAB gcab REQUIRED)
set(CE_CAB ${CMAKE_BINARY_DIR}/ce_cab)
set(CAB_TABLE ${CMAKE_SOURCE_DIR}/cab/install-table.txt)
set(CAB ${CMAKE_BINARY_DIR}/touchpanel.cab)
host_tool(ce_cab tools/ce-cab/ce_cab.cpp)
add_custom_command(OUTPUT ${CAB}
    COMMAND ${CE_CAB} ${CAB_TABLE} --from $<TARGET_FILE_DIR:touchpanel> --gcab ${GCAB} ${CAB}
    DEPENDS ${CE_CAB} ${CAB_TABLE} touchpanel VERBATIM)
add_custom_target(touchpanel_cab ALL DEPENDS ${CAB})

