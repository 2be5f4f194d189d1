# The whole program over projects with effects: the test program shares the
# program fixture of tests/app, starts the kobrix program beside the tests
# and makes our effect components through the registry, as the program does.
if(TARGET test_app_effects)
  target_sources(test_app_effects PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../program_fixture.cpp)
  target_include_directories(test_app_effects PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
  add_dependencies(test_app_effects kobrix kxgain kxecho kxparaeq)
  target_compile_definitions(test_app_effects PRIVATE
    KOBRIX_PROGRAM="$<TARGET_FILE:kobrix>"
    KOBRIX_EFFECTS_REGISTRY="${CMAKE_BINARY_DIR}/effects_registry.txt"
    KOBRIX_EFFECT_MODULE_DIR="${CMAKE_BINARY_DIR}")
endif()
