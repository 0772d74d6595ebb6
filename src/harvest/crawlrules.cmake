# The crawl rules: addresses, requests, links, fax numbers, robots.txt, gzip bodies and the per-host
# schedule as Qt-free pure functions, kept apart from the engine so they build fast and test without
# an event loop. zlib stays behind the gzip decoder.
find_package(ZLIB REQUIRED)
add_library(tarnwick_crawlrules STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Address.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Address.h
    ${CMAKE_CURRENT_LIST_DIR}/FaxNumbers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FaxNumbers.h
    ${CMAKE_CURRENT_LIST_DIR}/GzipBody.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GzipBody.h
    ${CMAKE_CURRENT_LIST_DIR}/HostCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HostCheck.h
    ${CMAKE_CURRENT_LIST_DIR}/HostSchedule.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HostSchedule.h
    ${CMAKE_CURRENT_LIST_DIR}/Links.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Links.h
    ${CMAKE_CURRENT_LIST_DIR}/RobotsTxt.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RobotsTxt.h
    ${CMAKE_CURRENT_LIST_DIR}/TextPasses.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextPasses.h
    ${CMAKE_CURRENT_LIST_DIR}/WebAddress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WebAddress.h
    ${CMAKE_CURRENT_LIST_DIR}/WebLinks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WebLinks.h)
set_target_properties(tarnwick_crawlrules PROPERTIES AUTOMOC OFF)
target_include_directories(tarnwick_crawlrules PUBLIC "${CMAKE_SOURCE_DIR}/src")
target_link_libraries(tarnwick_crawlrules PUBLIC tarnwick_options tarnwick_text PRIVATE ZLIB::ZLIB)
