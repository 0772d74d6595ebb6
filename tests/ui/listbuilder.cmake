# The List builder window on the real web engine, offscreen, against a loopback server. It has
# its own main: the web engine must be prepared before the application object exists.
add_executable(test_webengine_listbuilder ${CMAKE_CURRENT_LIST_DIR}/WebEngineListBuilderTest.cpp)
target_link_libraries(test_webengine_listbuilder PRIVATE tarnwick_ui tarnwick_listbuilder tarnwick_harvest
                                                         tarnwick_store Qt6::Network GTest::gtest)
gtest_discover_tests(test_webengine_listbuilder DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS nosanitize ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 180)
