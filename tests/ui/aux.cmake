# Tests of the skin layer and of the splash, help, about and browser windows.
add_executable(test_ui_aux
    "${CMAKE_CURRENT_LIST_DIR}/aux_skin_test.cpp"
    "${CMAKE_CURRENT_LIST_DIR}/aux_windows_test.cpp")
target_link_libraries(test_ui_aux PRIVATE tarnwick_ui tarnwick_test_guimain Qt6::Test)
target_compile_definitions(test_ui_aux PRIVATE TARNWICK_HELP_FILE="${CMAKE_SOURCE_DIR}/data/Help.rtf")
gtest_discover_tests(test_ui_aux DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS nosanitize ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
