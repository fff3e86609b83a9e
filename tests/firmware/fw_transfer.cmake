# The firmware update natively on the fake OS's virtual clock, against the
# emulated machine on every road, and the machine's side of it.
if(NOT RCP_WINDOWS)
  rcp_add_gtest(firmware_transfer_tests
    SOURCES fw_transfer_test.cpp fw_machine_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/core/machine_devices.cpp
            ${PROJECT_SOURCE_DIR}/emulator/standins/standin_config.cpp
    LIBS rcp_firmware rcp_emulator rcp_test_support)

  # A plain program, not a test: tools/bench-firmware.sh builds and runs it.
  add_executable(bench_firmware EXCLUDE_FROM_ALL bench_firmware.cpp
                 ${PROJECT_SOURCE_DIR}/tests/core/machine_devices.cpp)
  target_link_libraries(bench_firmware PRIVATE rcp_firmware rcp_emulator rcp_test_support)
  target_include_directories(bench_firmware PRIVATE ${PROJECT_SOURCE_DIR})
endif()
