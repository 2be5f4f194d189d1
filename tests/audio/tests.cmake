# The MIDI player's tests load tool libraries from the test program's
# folder: a recording fake and a library without the tool entry.
if(TARGET test_audio)
  foreach(_lib kxfaketool kxnoentry)
    if(_lib STREQUAL kxfaketool)
      add_library(${_lib} SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_tool/fake_tool.cpp)
    else()
      add_library(${_lib} SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_tool/no_entry.cpp)
    endif()
    target_include_directories(${_lib} PRIVATE ${CMAKE_SOURCE_DIR})
    set_target_properties(${_lib} PROPERTIES
      CXX_VISIBILITY_PRESET hidden
      LIBRARY_OUTPUT_DIRECTORY $<TARGET_FILE_DIR:test_audio>)
    add_dependencies(test_audio ${_lib})
  endforeach()
endif()

# The recorder monitoring a tone, the mixer during playback, the effect-list
# dialog, the analyser and the equaliser's settings window, on the sdl
# back-end in a real X server under xvfb-run (audio_recorder_sdl.png,
# audio_mixer_sdl.png, audio_effect_list_sdl.png, audio_response_sdl.png and
# audio_equalizer_settings_sdl.png in the build folder); skipped where
# xvfb-run is missing.
if(TARGET test_audio)
  add_test(NAME audio_tools_sdl_xvfb
           COMMAND sh ${CMAKE_SOURCE_DIR}/tests/xvfb_entry.sh 1920x1080x24 ""
                   $<TARGET_FILE:test_audio> --gtest_filter=RecorderShots*:MixerShots*:EffectDialogShots*)
  set_tests_properties(audio_tools_sdl_xvfb PROPERTIES
    SKIP_RETURN_CODE 77
    RESOURCE_LOCK xvfb
    TIMEOUT 300
    ENVIRONMENT "KOBRIX_GUI=sdl;KOBRIX_AUDIO=virtual;KOBRIX_SCREENSHOT_DIR=${CMAKE_BINARY_DIR};LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan.supp")
endif()
