// Writing the project's files: AVI or MPEG pictures with their sound, or
// the sound alone as WAVE or AIFF.
#include "timeline/window/main_timeline_window.h"

bool MainTimeLineWindow::WriteAvi(int32_t, const char*) {
  return false;
}

bool MainTimeLineWindow::WriteAudio(int32_t, const char*) {
  return false;
}
