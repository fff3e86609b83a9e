# Contacts files: the readers, the plan and the writers natively, on samples
# that tools/make_contact_samples.py writes at build time.
if(NOT RCP_WINDOWS)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(rcp_contact_samples ${CMAKE_CURRENT_BINARY_DIR}/contact_samples)
  add_custom_command(OUTPUT ${rcp_contact_samples}/stamp
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/make_contact_samples.py ${rcp_contact_samples}
    COMMAND ${CMAKE_COMMAND} -E touch ${rcp_contact_samples}/stamp
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_contact_samples.py)
  add_custom_target(rcp_contact_samples DEPENDS ${rcp_contact_samples}/stamp)
  rcp_add_gtest(contacts_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/contacts_test.cpp LIBS rcp_contacts)
  add_dependencies(contacts_tests rcp_contact_samples)
  target_compile_definitions(contacts_tests PRIVATE RCP_CONTACT_SAMPLES="${rcp_contact_samples}")
endif()
