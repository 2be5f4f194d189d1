# The time-line window's screenshot on the sdl back-end, in a real X server
# under xvfb-run; skipped (77) where xvfb-run is not installed. The picture
# goes to the build folder (timeline_window_sdl.png).
add_test(NAME timeline_window_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_timeline_window> --gtest_filter=Screenshot*)
set_tests_properties(timeline_window_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  # xvfb-run -a picks a free display racily: one X server test at a time.
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
