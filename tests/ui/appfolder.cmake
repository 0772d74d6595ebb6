# The choice and first-use fill of the application folder.
add_executable(test_ui_appfolder "${CMAKE_CURRENT_LIST_DIR}/AppFolderTest.cpp")
target_link_libraries(test_ui_appfolder PRIVATE tarnwick_ui tarnwick_test_coremain)
gtest_discover_tests(test_ui_appfolder DISCOVERY_TIMEOUT 60 PROPERTIES LABELS nosanitize)
