# The collection's commands run beside the time-line window and start the
# converter programs from beside themselves, as the program does; recording
# scripts of those names stand in for them. The program lives in a folder of
# its own, so that no other test program finds the scripts beside it.
if(TARGET test_clips_commands)
  set(_beside ${CMAKE_CURRENT_BINARY_DIR}/clips_commands)
  set_target_properties(test_clips_commands PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${_beside})
  target_sources(test_clips_commands PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../collection_fixture.cpp)
  file(COPY ${CMAKE_CURRENT_LIST_DIR}/converters/qovtool1 ${CMAKE_CURRENT_LIST_DIR}/converters/qovtool2
       DESTINATION ${_beside}
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

  # The tile menu on the sdl back-end, in a real X server under xvfb-run;
  # skipped (77) where xvfb-run is not installed. The picture goes to the
  # build folder (clip_collection_tile_menu_sdl.png).
  add_test(NAME clips_commands_sdl_xvfb
           COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                   $<TARGET_FILE:test_clips_commands> --gtest_filter=Screenshot*)
  set_tests_properties(clips_commands_sdl_xvfb PROPERTIES
    SKIP_RETURN_CODE 77
    RESOURCE_LOCK xvfb
    TIMEOUT 300
    ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
endif()
