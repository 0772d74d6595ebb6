# The help window reads its guide with the RTF reader; the guide ships beside the program.
if(NOT TARGET tarnwick_rtf)
    include("${CMAKE_SOURCE_DIR}/src/text/rtf.cmake")
endif()
target_link_libraries(tarnwick_ui PUBLIC tarnwick_rtf)

add_custom_command(
    OUTPUT "${TARNWICK_APP_DIR}/Help.rtf"
    COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${CMAKE_SOURCE_DIR}/data/Help.rtf" "${TARNWICK_APP_DIR}/Help.rtf"
    DEPENDS "${CMAKE_SOURCE_DIR}/data/Help.rtf"
    COMMENT "Copying Help.rtf")
add_custom_target(tarnwick_help ALL DEPENDS "${TARNWICK_APP_DIR}/Help.rtf")
