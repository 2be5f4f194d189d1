# The program's own tests start the kobrix program beside the tests.
target_compile_definitions(test_app PRIVATE KOBRIX_PROGRAM="$<TARGET_FILE:kobrix>")
add_dependencies(test_app kobrix)
# The MPEG export from the menu runs through the build's encoder component.
if(TARGET kxmpeg)
  add_dependencies(test_app kxmpeg)
  target_compile_definitions(test_app PRIVATE
    KOBRIX_MPEG_REGISTRY="${CMAKE_BINARY_DIR}/mpeg_encoder_registry.txt"
    KOBRIX_MPEG_MODULE_DIR="${CMAKE_BINARY_DIR}")
endif()

# The whole program on a real X server under xvfb-run, driven with xdotool,
# once bare and once under openbox; skipped (77) where xvfb-run is not
# installed, failed where a tool the script drives is missing. A picture of
# each step goes to the build folder (bare-01-started.png,
# openbox-05-export-wave.png ...).
add_test(NAME app_end_to_end_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1280x1024x24 xdotool,xprop,xwininfo,xdpyinfo,ffmpeg,sox,openbox
                 $<TARGET_FILE:test_app> --gtest_filter=EndToEnd*:FormatChooser.Screenshot)
set_tests_properties(app_end_to_end_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_AUDIO=virtual;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
# The program's start the same way, on a 1000-pixel-high screen, bare and
# under openbox: a box at start-up closes with Return, a project's
# collection shows its tile at once, the windows lie inside the work area
# (bare-start-1-started.png, openbox-start-2-collection.png ...); then,
# under openbox, the volume control and the dialogs the menus open each
# inside the work area and below the frame's menu bar (owned-set-size.png,
# owned-volume-control.png ...); each kind of top-level window destroyed
# from outside three times while the program goes on (destroyed-video.png,
# destroyed-frame.png ...); and, bare, help with the desktop's opener stood
# in for: one that fails is reported, one that stays holds nothing up
# (help-cannot-launch.png).
add_test(NAME app_start_up_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1280x1000x24 xdotool,xprop,xwininfo,xdpyinfo,ffmpeg,openbox
                 $<TARGET_FILE:test_app> --gtest_filter=StartUp.*:OwnedWindows.*:HelpOnDisplay.*)
set_tests_properties(app_start_up_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  RESOURCE_LOCK xvfb
  TIMEOUT 600
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_AUDIO=virtual;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
# The settings pages on the sdl back-end, in a real X server under xvfb-run;
# skipped (77) where xvfb-run is not installed. The pictures go to the build
# folder (settings_colors_sdl.png and the others).
add_test(NAME app_settings_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_app> --gtest_filter=SettingsShots*)
set_tests_properties(app_settings_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")

# The clip property pages the same way (clip_General_sdl.png,
# clip_Thumbnail_sdl.png).
add_test(NAME clips_pages_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_clips> --gtest_filter=ClipPagesTest.ShotsOfThePages)
set_tests_properties(clips_pages_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
