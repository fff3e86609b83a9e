# Every page's actions against a machine gone silent, under Wine.
if(RCP_WINDOWS)
  rcp_add_window_gtest(silent_machine_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/silent_machine_test.cpp
    LIBS rcp_phonebook_test_support rcp_resources comctl32)
endif()
