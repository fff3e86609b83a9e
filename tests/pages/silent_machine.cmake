# Every page's actions against a machine gone silent, under Wine.
if(RCP_WINDOWS)
  rcp_add_gtest(silent_machine_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/silent_machine_test.cpp ${rcp_gui_watchdog}
    LIBS rcp_phonebook_test_support rcp_resources comctl32)
  if(TEST silent_machine_tests)
    set_tests_properties(silent_machine_tests PROPERTIES RESOURCE_LOCK rcp_display)
  endif()
endif()
