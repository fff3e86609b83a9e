# Contacts commands under Wine: the name folding, the import preview and the
# export, through the main window's menu against the emulated machine.
if(RCP_WINDOWS)
  rcp_add_window_gtest(contacts_command_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/contacts_commands_test.cpp
    LIBS rcp_phonebook_test_support rcp_resources comctl32)
  rcp_add_window_gtest(safeguard_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/safeguards_test.cpp
    LIBS rcp_phonebook_test_support rcp_resources comctl32)
endif()
