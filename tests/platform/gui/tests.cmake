# The window tests once more on the sdl back-end, in a real X server under
# xvfb-run; skipped (77) where xvfb-run is not installed, failed without
# xdotool (a window closed from outside). The screenshots go to the build
# folder (gui_window_sdl.png, gui_message_box_sdl.png).
add_test(NAME platform_gui_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 xdotool
                 $<TARGET_FILE:test_platform_gui>
                 # Under a real X server focus changes arrive from the server whenever
                 # it gets to them, so the exact activation order is checked headless only.
                 --gtest_filter=-WindowTest.ActivationMessagesAndTheApplication)
set_tests_properties(platform_gui_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  # xvfb-run -a picks a free display racily: one X server test at a time.
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp")
