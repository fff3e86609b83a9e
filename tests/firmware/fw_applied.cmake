# The check after a firmware update, natively: a machine that applies the
# image, one that keeps its old version, one that is silent after restarting.
if(NOT RCP_WINDOWS)
  rcp_add_gtest(firmware_applied_tests
    SOURCES fw_applied_test.cpp ${PROJECT_SOURCE_DIR}/tests/core/machine_devices.cpp
    LIBS rcp_firmware rcp_emulator rcp_test_support)
endif()
