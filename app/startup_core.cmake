# The portable part of start-up (port borrowing, host and port detection, the
# identification loop). Included by app/ in Windows trees and by the native
# tests, which build it without the rest of the program.
if(NOT TARGET rcp_startup)
  add_library(rcp_startup STATIC
    ${CMAKE_CURRENT_LIST_DIR}/port_search.cpp
    ${CMAKE_CURRENT_LIST_DIR}/shared_port.cpp
    ${CMAKE_CURRENT_LIST_DIR}/startup.cpp
  )
  target_include_directories(rcp_startup PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(rcp_startup PUBLIC rcp_commands rcp_link)
endif()
