# The fixture web: an in-process HTTP server on loopback for the engine's tests and benchmark.
find_package(Qt6 REQUIRED COMPONENTS Core Network)
add_library(tarnwick_fixtureweb STATIC
    ${CMAKE_CURRENT_LIST_DIR}/FixtureWeb.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FixtureWeb.h
    ${CMAKE_CURRENT_LIST_DIR}/tls/TestCertificates.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tls/TestCertificates.h)
target_include_directories(tarnwick_fixtureweb PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/tls)
target_link_libraries(tarnwick_fixtureweb PUBLIC tarnwick_options Qt6::Core Qt6::Network)
