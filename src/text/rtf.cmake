# The RTF reader behind the help window: pure C++, no Qt, so the sanitizer build covers it too.
add_library(tarnwick_rtf STATIC "${CMAKE_CURRENT_LIST_DIR}/Rtf.cpp" "${CMAKE_CURRENT_LIST_DIR}/Rtf.h")
target_include_directories(tarnwick_rtf PUBLIC "${CMAKE_SOURCE_DIR}/src")
target_link_libraries(tarnwick_rtf PUBLIC tarnwick_options)
