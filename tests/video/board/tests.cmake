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
