# The video tests build AVI files with the media tests' helpers.
if(TARGET test_video)
  target_sources(test_video PRIVATE ${CMAKE_SOURCE_DIR}/tests/media/video_test_util.cpp)
  target_include_directories(test_video PRIVATE ${CMAKE_SOURCE_DIR}/tests/media)
endif()

# The screenshot test once more on the sdl back-end, in a real X server
# under xvfb-run; skipped (77) where xvfb-run is not installed, failed
# without ffmpeg, which makes the clip it compares with. The screenshot of
# the playing preview goes to the build folder (video_preview_sdl.png).
add_test(NAME video_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ffmpeg
                 $<TARGET_FILE:test_video> --gtest_filter=VideoScreenshot.*)
set_tests_properties(video_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  # xvfb-run -a picks a free display racily: one X server test at a time.
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
