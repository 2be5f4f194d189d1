# The MIDI player's tests load tool libraries from the test program's
# folder: a recording fake and a library without the tool entry.
if(TARGET test_audio)
  foreach(_lib kxfaketool kxnoentry)
    if(_lib STREQUAL kxfaketool)
      add_library(${_lib} SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_tool/fake_tool.cpp)
    else()
      add_library(${_lib} SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_tool/no_entry.cpp)
    endif()
    target_include_directories(${_lib} PRIVATE ${CMAKE_SOURCE_DIR})
    set_target_properties(${_lib} PROPERTIES
      CXX_VISIBILITY_PRESET hidden
      LIBRARY_OUTPUT_DIRECTORY $<TARGET_FILE_DIR:test_audio>)
    add_dependencies(test_audio ${_lib})
  endforeach()
endif()
