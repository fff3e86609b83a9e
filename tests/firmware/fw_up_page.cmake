# The firmware page under Wine, in the main window against the emulated
# machine: states, file dialog, update, and a window that stays painted.
if(RCP_WINDOWS)
  rcp_add_window_gtest(firmware_page_tests
    SOURCES fw_up_page_test.cpp
    LIBS rcp_app rcp_gui_test_support rcp_resources comctl32)
endif()
