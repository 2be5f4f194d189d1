# The commands' tests use the time-line window's fixture, start the converter
# programs from beside themselves, as the program does from beside itself,
# and build effect lists of the program's own effect modules. They live in a
# folder of their own, so that the other test programs find no converters
# beside them.
if(TARGET test_timeline_commands)
  set(_beside ${CMAKE_CURRENT_BINARY_DIR}/timeline_commands)
  set_target_properties(test_timeline_commands PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${_beside})
  target_sources(test_timeline_commands PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../window/timeline_fixture.cpp)
  # Copies of the program's converters, not a second build of them.
  add_custom_command(OUTPUT ${_beside}/qovtool1 ${_beside}/qovtool2
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_beside}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:qovtool1> $<TARGET_FILE:qovtool2> ${_beside}/
    DEPENDS qovtool1 qovtool2)
  add_custom_target(qovtools_for_tests DEPENDS ${_beside}/qovtool1 ${_beside}/qovtool2)
  add_dependencies(test_timeline_commands qovtools_for_tests)
  add_dependencies(test_timeline_commands kxgain)
  target_compile_definitions(test_timeline_commands PRIVATE
    KOBRIX_EFFECTS_REGISTRY="${CMAKE_BINARY_DIR}/effects_registry.txt"
    KOBRIX_EFFECT_MODULE_DIR="${CMAKE_BINARY_DIR}")
endif()
