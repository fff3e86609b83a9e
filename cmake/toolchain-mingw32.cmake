# Cross-compiling for 32-bit Windows (the only kind the Windows 95 road ever runs in).
# Built, not run: this machine's Wine runs 64-bit programs only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(RCP_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${RCP_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RCP_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${RCP_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${RCP_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(RCP_NO_TEST_RUN ON)
