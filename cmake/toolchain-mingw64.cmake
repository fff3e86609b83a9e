# Cross-compiling for 64-bit Windows with mingw-w64 from Debian.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(RCP_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${RCP_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RCP_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${RCP_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${RCP_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows test programs run under Wine, each in the tree's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
