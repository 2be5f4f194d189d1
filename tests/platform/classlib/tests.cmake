# The class library tests once more on the sdl back-end, in a real X server
# under xvfb-run; skipped (77) where xvfb-run is not installed. The
# screenshots of the frame, its menu and the dialog go to the build folder
# (classlib_frame_sdl.png, classlib_menu_sdl.png, classlib_dialog_sdl.png).
add_test(NAME platform_classlib_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_platform_classlib>)
set_tests_properties(platform_classlib_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  # xvfb-run -a picks a free display racily: one X server test at a time.
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/../gui/lsan.supp")
