# The board tests load the simulated board library (and its variants) by
# path, and share the video tests' fixtures.
if(TARGET test_video_board)
  target_sources(test_video_board PRIVATE
    ${CMAKE_SOURCE_DIR}/tests/media/video_test_util.cpp
    ${CMAKE_SOURCE_DIR}/tests/video/player_fixture.cpp)
  target_include_directories(test_video_board PRIVATE ${CMAKE_SOURCE_DIR}/tests/media ${CMAKE_SOURCE_DIR}/tests/video)
  target_compile_definitions(test_video_board PRIVATE
    KOBRIX_BOARD_LIBRARY="$<TARGET_FILE:vlminter>"
    KOBRIX_BOARD_STATUS0="$<TARGET_FILE:vlminter_status0>"
    KOBRIX_BOARD_PARTIAL="$<TARGET_FILE:vlminter_partial>")
  add_dependencies(test_video_board vlminter vlminter_status0 vlminter_partial)
endif()

# The board's monitor window in a real X server under xvfb-run; skipped (77)
# where xvfb-run is not installed. The picture goes to the build folder
# (board_monitor_sdl.png).
add_test(NAME video_board_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_video_board> --gtest_filter=BoardScreenshot.*)
set_tests_properties(video_board_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  # xvfb-run -a picks a free display racily: one X server test at a time.
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_AUDIO=virtual;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")

# The keyboard wait before play in a real X server (wait_keyboard_sdl.png).
add_test(NAME video_wait_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1280x1024x24 ""
                 $<TARGET_FILE:test_video_board> --gtest_filter=WaitScreenshot.*)
set_tests_properties(video_wait_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_AUDIO=virtual;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
