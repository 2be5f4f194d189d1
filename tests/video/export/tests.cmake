# The export tests write their sources with the media tests' fixtures and
# mix sound with the engine tests' ones. The MPEG export runs through the
# real encoder component, found by the build's registry entries, and through
# a recording fake of its own.
if(TARGET test_video_export)
  target_sources(test_video_export PRIVATE ${CMAKE_SOURCE_DIR}/tests/media/video_test_util.cpp)
  target_include_directories(test_video_export PRIVATE ${CMAKE_SOURCE_DIR}/tests/media
                                                       ${CMAKE_SOURCE_DIR}/tests/audio)
  add_library(kxfakempeg SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_mpeg/fake_mpeg_encoder.cpp)
  target_include_directories(kxfakempeg PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(kxfakempeg PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/fake_mpeg)
  add_dependencies(test_video_export kxmpeg kxfakempeg)
  target_compile_definitions(test_video_export PRIVATE
    KOBRIX_MPEG_REGISTRY="${CMAKE_BINARY_DIR}/mpeg_encoder_registry.txt"
    KOBRIX_MPEG_MODULE_DIR="${CMAKE_BINARY_DIR}"
    KOBRIX_FAKE_MPEG_MODULE="$<TARGET_FILE:kxfakempeg>")

  # The settings dialog on the sdl back-end, in a real X server under
  # xvfb-run; skipped (77) where xvfb-run is not installed. The picture goes
  # to the build folder (mpeg_settings_sdl.png).
  add_test(NAME video_export_sdl_xvfb
           COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                   $<TARGET_FILE:test_video_export> --gtest_filter=MpegDialogShot.*)
  set_tests_properties(video_export_sdl_xvfb PROPERTIES
    SKIP_RETURN_CODE 77
    # xvfb-run -a picks a free display racily: one X server test at a time.
    RESOURCE_LOCK xvfb
    TIMEOUT 300
    ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
endif()
