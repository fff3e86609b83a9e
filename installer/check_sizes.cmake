# Prints the sizes of the program and the cleanup library and fails when the
# program is larger than LIMIT bytes.
#   cmake -DLIMIT=<bytes> -DPROGRAM=<rcpanel.exe> -DLIBRARY=<rcpclean.dll> -P check_sizes.cmake
foreach(file PROGRAM LIBRARY)
  if(NOT EXISTS "${${file}}")
    message(FATAL_ERROR "missing: ${${file}}")
  endif()
  file(SIZE "${${file}}" size_${file})
  math(EXPR kb_${file} "(${size_${file}} + 1023) / 1024")
  get_filename_component(name_${file} "${${file}}" NAME)
  message(STATUS "size: ${name_${file}} ${size_${file}} bytes (${kb_${file}} KB)")
endforeach()
math(EXPR limit_kb "${LIMIT} / 1024")
if(size_PROGRAM GREATER LIMIT)
  message(FATAL_ERROR "${name_PROGRAM} is ${size_PROGRAM} bytes, over its limit of ${LIMIT} (${limit_kb} KB)")
endif()
