# The project commands' tests share the time-line window's fixture and the
# clip commands' one, and make effect lists of our components through the
# registry (the modules built, their registry entries known).
target_sources(test_timeline_project PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../window/timeline_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../commands/commands_fixture.cpp)
add_dependencies(test_timeline_project kxgain)
target_compile_definitions(test_timeline_project PRIVATE
  KOBRIX_EFFECTS_REGISTRY="${CMAKE_BINARY_DIR}/effects_registry.txt"
  KOBRIX_EFFECT_MODULE_DIR="${CMAKE_BINARY_DIR}")
