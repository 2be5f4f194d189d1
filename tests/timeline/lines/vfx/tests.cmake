# The VFX line's tests share the time-line window's fixture and the video
# rows' fixture (with the video tests' AVI files).
target_sources(test_timeline_lines_vfx PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../other_lines_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../line_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../video/video_line_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../../window/timeline_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../../../media/video_test_util.cpp)
