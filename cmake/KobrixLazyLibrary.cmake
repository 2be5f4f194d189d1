# kobrix_lazy_library(<target> <prefix> <pkg-config module>)
#
# Gives target the headers of a library it calls through forwarders that load
# the library on first use (platform/core/lazy_library.h), without linking
# it, and the library's file name for the loader as <PREFIX>_SONAME
# ("libavcodec.so.59": the one the headers belong to).
function(kobrix_lazy_library target prefix module)
  pkg_check_modules(${prefix} REQUIRED ${module})
  target_include_directories(${target} PUBLIC ${${prefix}_INCLUDE_DIRS})
  target_compile_options(${target} PUBLIC ${${prefix}_CFLAGS_OTHER})
  set(_file "")
  foreach(_lib IN LISTS ${prefix}_LINK_LIBRARIES)
    if(_lib MATCHES "\\.so")
      set(_file "${_lib}")
      break()
    endif()
  endforeach()
  if(NOT _file)
    message(FATAL_ERROR "${module}: no shared library found")
  endif()
  execute_process(COMMAND ${CMAKE_OBJDUMP} -p "${_file}" OUTPUT_VARIABLE _headers RESULT_VARIABLE _failed)
  if(_failed OR NOT _headers MATCHES "SONAME +([^ \n]+)")
    message(FATAL_ERROR "${module}: no SONAME in ${_file}")
  endif()
  target_compile_definitions(${target} PRIVATE ${prefix}_SONAME="${CMAKE_MATCH_1}")
endfunction()
