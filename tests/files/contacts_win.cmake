# Contacts commands under Wine: the name folding, the import preview and the
# export, through the main window's menu against the emulated machine.
if(RCP_WINDOWS)
  rcp_add_gtest(contacts_command_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/contacts_commands_test.cpp ${rcp_gui_watchdog}
    LIBS rcp_phonebook_test_support rcp_resources comctl32)
  if(TEST contacts_command_tests)
    set_tests_properties(contacts_command_tests PROPERTIES RESOURCE_LOCK rcp_display)
  endif()
endif()
if(RCP_WINDOWS)
  rcp_add_gtest(safeguard_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/safeguards_test.cpp ${rcp_gui_watchdog}
    LIBS rcp_phonebook_test_support rcp_resources comctl32)
  if(TEST safeguard_tests)
    set_tests_properties(safeguard_tests PROPERTIES RESOURCE_LOCK rcp_display)
  endif()
endif()
