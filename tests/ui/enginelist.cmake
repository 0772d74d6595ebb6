# The main window's engine list with and without the secure-web option.
add_executable(test_ui_enginelist ${CMAKE_CURRENT_LIST_DIR}/EngineListTest.cpp ${CMAKE_CURRENT_LIST_DIR}/UiTestSupport.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/UiTestSupport.h)
target_link_libraries(test_ui_enginelist PRIVATE tarnwick_ui tarnwick_test_guimain Qt6::Test)
target_compile_definitions(test_ui_enginelist PRIVATE TARNWICK_APP_DIR="${TARNWICK_APP_DIR}")
gtest_discover_tests(test_ui_enginelist DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS nosanitize ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
