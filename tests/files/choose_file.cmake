# The shared file chooser, driven under Wine.
if(RCP_WINDOWS)
  rcp_add_gtest(choose_file_tests
    SOURCES choose_file_test.cpp ${rcp_gui_watchdog}
    LIBS rcp_files rcp_gui_test_support rcp_resources comdlg32)
  if(TEST choose_file_tests)
    set_tests_properties(choose_file_tests PROPERTIES RESOURCE_LOCK rcp_display)
  endif()
endif()
