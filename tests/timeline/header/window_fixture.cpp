// The time-line window tests' fixture frame, shared with this folder's tests.
#include "timeline/window/timeline_fixture.cpp"
