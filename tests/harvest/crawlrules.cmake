# Tests of the crawl rules: plain GoogleTest, no event loop needed.
add_executable(crawlrules_tests
    ${CMAKE_CURRENT_LIST_DIR}/crawlrules_address_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/crawlrules_fax_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/crawlrules_gzip_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/crawlrules_hostcheck_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/crawlrules_hostschedule_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/crawlrules_links_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/crawlrules_politerequest_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/crawlrules_robots_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/crawlrules_textpasses_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/crawlrules_weblinks_test.cpp)
set_target_properties(crawlrules_tests PROPERTIES AUTOMOC OFF)
# zlib builds the gzip samples the decoder is tested on.
find_package(ZLIB REQUIRED)
target_link_libraries(crawlrules_tests PRIVATE tarnwick_options tarnwick_crawlrules ZLIB::ZLIB GTest::gtest_main)
gtest_discover_tests(crawlrules_tests DISCOVERY_TIMEOUT 60)
