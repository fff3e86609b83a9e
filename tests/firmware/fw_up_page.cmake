# The firmware page under Wine, in the main window against the emulated
# machine: states, file dialog, update, and a window that stays painted.
if(RCP_WINDOWS)
  rcp_add_gtest(firmware_page_tests
    SOURCES fw_up_page_test.cpp ${rcp_gui_watchdog}
    LIBS rcp_app rcp_gui_test_support rcp_resources comctl32)
  if(TEST firmware_page_tests)
    set_tests_properties(firmware_page_tests PROPERTIES RESOURCE_LOCK rcp_display)
  endif()
endif()
