# The audio lines' tests share the time-line window's fixture and the lines'
# one; their effect commands create our effect components through the
# registry. Their screenshot on the sdl back-end runs in a real X server
# under xvfb-run, skipped (77) where xvfb-run is not installed.
target_sources(test_timeline_lines_audio PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../../window/timeline_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../line_fixture.cpp)
add_dependencies(test_timeline_lines_audio kxgain)
target_compile_definitions(test_timeline_lines_audio PRIVATE
  KOBRIX_EFFECTS_REGISTRY="${CMAKE_BINARY_DIR}/effects_registry.txt"
  KOBRIX_EFFECT_MODULE_DIR="${CMAKE_BINARY_DIR}"
  KOBRIX_FAKE_EFFECTS_MODULE="$<TARGET_FILE:kxfakefx>")
add_test(NAME timeline_audio_lines_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_timeline_lines_audio> --gtest_filter=Screenshot*)
set_tests_properties(timeline_audio_lines_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
