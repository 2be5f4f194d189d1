# The transition tests write and read their files with the media tests' fixtures.
target_sources(test_video_transitions PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../../media/video_test_util.cpp)
