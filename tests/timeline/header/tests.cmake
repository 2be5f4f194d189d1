# The strip's master-effects tests make gain effects through the registry,
# as the program does: they need the effect modules built and know where
# the build put them and its registry entries.
if(TARGET test_timeline_header)
  add_dependencies(test_timeline_header kxgain)
  target_compile_definitions(test_timeline_header PRIVATE
    KOBRIX_EFFECTS_REGISTRY="${CMAKE_BINARY_DIR}/effects_registry.txt"
    KOBRIX_EFFECT_MODULE_DIR="${CMAKE_BINARY_DIR}")
endif()

# The header strip's screenshot on the sdl back-end, in a real X server
# under xvfb-run; skipped (77) where xvfb-run is not installed. The picture
# goes to the build folder (timeline_strip_sdl.png).
add_test(NAME timeline_strip_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_timeline_header> --gtest_filter=StripScreenshot*)
set_tests_properties(timeline_strip_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  # xvfb-run -a picks a free display racily: one X server test at a time.
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
