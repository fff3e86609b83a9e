# Checks rcpclean.dll's export table: it names itself "rcpclean.dll" and exports
# exactly UninstInitialize and UninstUnInitialize, undecorated.
#
#   cmake -DOBJDUMP=<objdump> -DDLL=<rcpclean.dll> -P check_exports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${DLL}
  OUTPUT_VARIABLE dump ERROR_VARIABLE errors RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed (${rc}): ${errors}")
endif()

if(NOT dump MATCHES "\nName[ \t]+[0-9a-fA-F]+ ([^\n]*)\n")
  message(FATAL_ERROR "no export table in ${DLL}")
endif()
set(table_name "${CMAKE_MATCH_1}")
if(NOT table_name STREQUAL "rcpclean.dll")
  message(FATAL_ERROR "export table names \"${table_name}\", expected \"rcpclean.dll\"")
endif()

string(FIND "${dump}" "[Ordinal/Name Pointer] Table\n" start)
if(start EQUAL -1)
  message(FATAL_ERROR "no export names in ${DLL}")
endif()
string(SUBSTRING "${dump}" ${start} -1 rest)
string(FIND "${rest}" "\n\n" end)
string(SUBSTRING "${rest}" 0 ${end} block)
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]*" rows "${block}")
set(names "")
foreach(row IN LISTS rows)
  string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${row}")
  list(APPEND names "${name}")
endforeach()
list(SORT names)
if(NOT names STREQUAL "UninstInitialize;UninstUnInitialize")
  message(FATAL_ERROR "exports are [${names}], expected [UninstInitialize;UninstUnInitialize]")
endif()
message(STATUS "${DLL}: \"${table_name}\" exports ${names}")
