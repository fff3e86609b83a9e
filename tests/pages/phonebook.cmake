# The phonebook page and the entry editor: their decisions natively, their
# windows in-process under Wine against the emulated machine.
if(NOT RCP_WINDOWS)
  rcp_add_gtest(phonebook_rules_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/phonebook_rules_test.cpp
                LIBS rcp_phonebook_rules)
else()
  add_library(rcp_phonebook_test_support STATIC
    ${CMAKE_CURRENT_LIST_DIR}/phonebook_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/beep_recorder.cpp)
  target_link_libraries(rcp_phonebook_test_support PUBLIC rcp_app rcp_gui_test_support GTest::gtest)
  rcp_add_window_gtest(phonebook_page_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/phonebook_page_test.cpp ${CMAKE_CURRENT_LIST_DIR}/edit_entry_test.cpp
    LIBS rcp_phonebook_test_support rcp_resources comctl32)
endif()
