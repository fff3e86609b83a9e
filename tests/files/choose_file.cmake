# The shared file chooser, driven under Wine.
if(RCP_WINDOWS)
  rcp_add_window_gtest(choose_file_tests
    SOURCES choose_file_test.cpp
    LIBS rcp_files rcp_gui_test_support rcp_resources comdlg32)
endif()
