# Compiler flags kept in one place, so the sources themselves stay free of
# compiler-specific switches.
if(MSVC)
  add_compile_options(/W4 /source-charset:utf-8 /execution-charset:windows-1252)
  add_compile_definitions(_CRT_SECURE_NO_WARNINGS)
else()
  add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
endif()

if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
  if(NOT MSVC)
    # Static runtime: the program, the library and the tests need no extra DLLs.
    add_link_options(-static -static-libgcc -static-libstdc++)
    # Sources are UTF-8; literals handed to the ...A functions must be Windows-1252.
    add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=CP1252>)
  endif()
endif()

# The sanitizer tree (native only): every out-of-bounds access, use after
# free, leak and undefined operation ends the test that caused it.
option(RCP_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(RCP_SANITIZE AND NOT WIN32 AND NOT MSVC)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# The fuzz tree (clang, native only): the whole core instrumented for
# libFuzzer's coverage, with the same sanitizers.
option(RCP_FUZZ "Build the fuzz targets" OFF)
if(RCP_FUZZ AND NOT WIN32 AND NOT MSVC)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -gline-tables-only)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
