# Tests of the RTF reader; the help document itself is read from the source tree.
add_executable(rtf_tests "${CMAKE_CURRENT_LIST_DIR}/rtf_reader_test.cpp")
target_link_libraries(rtf_tests PRIVATE tarnwick_rtf GTest::gtest_main)
target_compile_definitions(rtf_tests PRIVATE TARNWICK_DATA_DIR="${CMAKE_SOURCE_DIR}/data"
                                             TARNWICK_TEST_DATA_DIR="${CMAKE_CURRENT_LIST_DIR}/data")
gtest_discover_tests(rtf_tests DISCOVERY_TIMEOUT 60)
