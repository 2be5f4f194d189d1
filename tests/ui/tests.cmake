# The custom controls' gallery on the sdl back-end, in a real X server under
# xvfb-run; skipped (77) where xvfb-run is not installed. The picture goes to
# the build folder (ui_controls_sdl.png).
add_test(NAME ui_controls_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_ui> --gtest_filter=Gallery*)
set_tests_properties(ui_controls_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  # xvfb-run -a picks a free display racily: one X server test at a time.
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")

# The value, level and setup dialogs the same way (ui_volume_balance_sdl.png,
# ui_about_sdl.png and the others).
add_test(NAME ui_dialogs_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_ui> --gtest_filter=DialogShots*)
set_tests_properties(ui_dialogs_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")

# The clip properties and clip open dialogs the same way (ui_clip_properties_sdl.png,
# ui_clip_open_sdl.png).
add_test(NAME ui_clip_dialogs_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_ui> --gtest_filter=ClipDialogShots*)
set_tests_properties(ui_clip_dialogs_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
