# The Range menu's tests share the time-line window's fixture.
target_sources(test_timeline_range PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../window/timeline_fixture.cpp)
