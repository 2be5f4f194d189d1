# The header panels' tests share the time-line window's fixture, and make
# effect lists of our components through the registry (the modules built,
# their registry entries known). Their screenshot on the sdl back-end runs
# in a real X server under xvfb-run, skipped (77) where it is not installed.
target_sources(test_timeline_track_header PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../window/timeline_fixture.cpp)
add_dependencies(test_timeline_track_header kxgain)
target_compile_definitions(test_timeline_track_header PRIVATE
  KOBRIX_EFFECTS_REGISTRY="${CMAKE_BINARY_DIR}/effects_registry.txt"
  KOBRIX_EFFECT_MODULE_DIR="${CMAKE_BINARY_DIR}")
add_test(NAME timeline_track_header_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_timeline_track_header> --gtest_filter=Screenshot*)
set_tests_properties(timeline_track_header_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
