# The settings file: its keys and value forms natively; the file through the
# profile functions and the load and save commands under Wine.
if(NOT RCP_WINDOWS)
  rcp_add_gtest(settings_profile_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_profile_test.cpp LIBS rcp_settings_profile)
  return()
endif()

rcp_add_window_gtest(settings_file_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_file_test.cpp
  LIBS rcp_phonebook_test_support rcp_app rcp_gui_test_support rcp_resources comctl32 comdlg32)
