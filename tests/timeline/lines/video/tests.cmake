# The video line's tests share the time-line window's fixture, the lines'
# one and the video tests' AVI files; its screenshot on the sdl back-end
# runs in a real X server under xvfb-run, skipped (77) where xvfb-run is
# not installed.
target_sources(test_timeline_lines_video PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../../window/timeline_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../line_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../../../media/video_test_util.cpp)
add_test(NAME timeline_video_line_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_timeline_lines_video> --gtest_filter=Screenshot*)
set_tests_properties(timeline_video_line_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
