# The collection's screenshots on the sdl back-end, in a real X server under
# xvfb-run; skipped (77) where xvfb-run is not installed. The pictures go to
# the build folder (clip_collection_full_info_sdl.png,
# clip_collection_large_icons_sdl.png).
add_test(NAME clips_collection_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_clips> --gtest_filter=Screenshot*)
set_tests_properties(clips_collection_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  # xvfb-run -a picks a free display racily: one X server test at a time.
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
