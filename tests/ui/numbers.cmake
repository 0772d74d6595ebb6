# The numbers window and its table model, over a real store in a temporary folder.
add_executable(test_ui_numbers
    "${CMAKE_CURRENT_LIST_DIR}/NumbersModelTest.cpp"
    "${CMAKE_CURRENT_LIST_DIR}/NumbersWindowTest.cpp"
    "${CMAKE_CURRENT_LIST_DIR}/UiTestSupport.cpp" "${CMAKE_CURRENT_LIST_DIR}/UiTestSupport.h")
target_link_libraries(test_ui_numbers PRIVATE tarnwick_ui tarnwick_test_guimain Qt6::Test SQLite::SQLite3)
target_compile_definitions(test_ui_numbers PRIVATE TARNWICK_APP_DIR="${TARNWICK_APP_DIR}")
gtest_discover_tests(test_ui_numbers DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS nosanitize ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
