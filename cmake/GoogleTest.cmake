# GoogleTest: the system package on Linux, Debian's source tree cross-built for Windows.
if(NOT BUILD_TESTING)
  return()
endif()
if(RCP_WINDOWS AND CMAKE_CROSSCOMPILING AND EXISTS /usr/src/googletest)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Debian's 1.12 source makes these aliases itself; older trees do not.
  foreach(lib gtest gtest_main gmock)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# rcp_add_gtest(<name> SOURCES <files...> LIBS <targets...>)
# Native trees register every test case with ctest; Windows trees register one
# ctest test per program, since each Wine start costs a fraction of a second.
function(rcp_add_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  if(RCP_NO_TEST_RUN)
    return()
  endif()
  if(RCP_WINDOWS)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  endif()
endfunction()

# rcp_add_window_gtest(<name> SOURCES <files...> LIBS <targets...>): a test of
# windows under Wine, with the watchdog that ends a run stuck in a window, and
# holding the shared display while it runs (other window tests look for
# windows on it too).
function(rcp_add_window_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  rcp_add_gtest(${name} SOURCES ${ARG_SOURCES} ${rcp_gui_watchdog} LIBS ${ARG_LIBS})
  if(TEST ${name})
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK rcp_display)
  endif()
endfunction()
