add_executable(serial_dialog_tests ${CMAKE_CURRENT_LIST_DIR}/SerialDialogsTest.cpp ${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp)
target_link_libraries(serial_dialog_tests PRIVATE travek_serial_dialogs travek_testsupport Qt6::Test GTest::gmock GTest::gtest)
target_include_directories(serial_dialog_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
gtest_discover_tests(serial_dialog_tests DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
