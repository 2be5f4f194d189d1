# The video tests build AVI files with the media tests' helpers.
if(TARGET test_video)
  target_sources(test_video PRIVATE ${CMAKE_SOURCE_DIR}/tests/media/video_test_util.cpp)
  target_include_directories(test_video PRIVATE ${CMAKE_SOURCE_DIR}/tests/media)
endif()
