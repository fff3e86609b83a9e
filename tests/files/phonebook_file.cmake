# Phonebook files: their bytes natively; saving, loading and the menu
# commands with their file dialogs and messages under Wine.
if(NOT RCP_WINDOWS)
  rcp_add_gtest(pbf_format_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/pbf_format_test.cpp LIBS rcp_pbf_format)
else()
  rcp_add_window_gtest(phonebook_file_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/phonebook_file_test.cpp
    LIBS rcp_phonebook_test_support rcp_resources comctl32)
endif()
