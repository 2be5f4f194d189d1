# The transport tests run the time-line window in the commands' frame, whose
# fixture they share with the window tests.
if(TARGET test_timeline_transport)
  target_sources(test_timeline_transport PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/../window/timeline_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../commands/commands_fixture.cpp)
endif()
