# The transport tests run the time-line window in the commands' frame, whose
# fixture they share with the window tests.
if(TARGET test_timeline_transport)
  target_sources(test_timeline_transport PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/../window/timeline_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../commands/commands_fixture.cpp)
endif()

# The time-line playing with its video lines hidden, on the sdl back-end in a
# real X server under xvfb-run; skipped (77) where xvfb-run is not installed.
# The picture goes to the build folder (timeline_playing_sdl.png).
add_test(NAME timeline_transport_sdl_xvfb
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                 $<TARGET_FILE:test_timeline_transport> --gtest_filter=TransportScreenshot*)
set_tests_properties(timeline_transport_sdl_xvfb PROPERTIES
  SKIP_RETURN_CODE 77
  # xvfb-run -a picks a free display racily: one X server test at a time.
  RESOURCE_LOCK xvfb
  TIMEOUT 300
  ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
