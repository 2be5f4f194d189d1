# The commands' tests use the time-line window's fixture, start the converter
# programs from beside themselves, as the program does from beside itself,
# and build effect lists of the program's own effect modules. They live in a
# folder of their own, so that the other test programs find no converters
# beside them.
if(TARGET test_timeline_commands)
  set(_beside ${CMAKE_CURRENT_BINARY_DIR}/timeline_commands)
  set_target_properties(test_timeline_commands PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${_beside})
  target_sources(test_timeline_commands PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../window/timeline_fixture.cpp)
  foreach(_tool qovtool1 qovtool2)
    add_executable(${_tool}_for_tests ${CMAKE_SOURCE_DIR}/app/${_tool}.cpp)
    target_include_directories(${_tool}_for_tests PRIVATE ${CMAKE_SOURCE_DIR})
    if(_tool STREQUAL qovtool2)
      target_link_libraries(${_tool}_for_tests PRIVATE kobrix_system)
    endif()
    set_target_properties(${_tool}_for_tests PROPERTIES
      OUTPUT_NAME ${_tool}
      RUNTIME_OUTPUT_DIRECTORY ${_beside})
    add_dependencies(test_timeline_commands ${_tool}_for_tests)
  endforeach()
  add_dependencies(test_timeline_commands kxgain)
  target_compile_definitions(test_timeline_commands PRIVATE
    KOBRIX_EFFECTS_REGISTRY="${CMAKE_BINARY_DIR}/effects_registry.txt"
    KOBRIX_EFFECT_MODULE_DIR="${CMAKE_BINARY_DIR}")
endif()
