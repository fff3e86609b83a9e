# The Settings and Advanced pages: their portable decisions natively, the
# pages themselves in the main window under Wine.
if(NOT RCP_WINDOWS)
  rcp_add_gtest(settings_values_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_values_test.cpp
                LIBS rcp_settings_values)
  return()
endif()

rcp_add_window_gtest(settings_page_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_page_test.cpp ${CMAKE_CURRENT_LIST_DIR}/advanced_page_test.cpp
  LIBS rcp_phonebook_test_support rcp_app rcp_gui_test_support rcp_resources comctl32)
