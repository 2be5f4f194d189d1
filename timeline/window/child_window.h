// The time-line's child windows are made at a place their parent gives and
// moved by its layout; all but the controls paint their whole area.
#pragma once

#include "model/te_window.h"

class MainTimeLineWindow;

class TimeLineChild : public TEWindow {
 public:
  TimeLineChild(MainTimeLineWindow* timeline, const char* title, int x, int y, int w, int h);

 protected:
  MainTimeLineWindow& timeline_;
};
