# The whole program over projects with effects: the test program shares the
# program fixture of tests/app, starts the kobrix program beside the tests
# and makes our effect components through the registry, as the program does.
if(TARGET test_app_effects)
  target_sources(test_app_effects PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../program_fixture.cpp)
  target_include_directories(test_app_effects PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
  add_dependencies(test_app_effects kobrix kxgain kxecho kxparaeq kxfakefx)
  target_compile_definitions(test_app_effects PRIVATE
    KOBRIX_PROGRAM="$<TARGET_FILE:kobrix>"
    KOBRIX_FAKE_EFFECTS_MODULE="$<TARGET_FILE:kxfakefx>"
    KOBRIX_EFFECTS_REGISTRY="${CMAKE_BINARY_DIR}/effects_registry.txt"
    KOBRIX_EFFECT_MODULE_DIR="${CMAKE_BINARY_DIR}")
endif()

# The same tests on the sdl back-end in a real X server under xvfb-run, the
# program itself quit from its window with xdotool; skipped (77) without
# xvfb-run, failed without xdotool or sox.
add_test(NAME app_effects_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 xdotool,sox
                 $<TARGET_FILE:test_app_effects>)
set_tests_properties(app_effects_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_AUDIO=virtual;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
