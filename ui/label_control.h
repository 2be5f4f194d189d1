// TLabelControl: the dB scale beside a pair of level meters (window class
// "TLabel"). It lines its marks up with the meter it labels, so it reads
// that meter's length and place on screen: numbers every few dB around the
// level the settings call "0", spaced so that they do not crowd, or the
// named marks of the settings.
#pragma once

#include <string>
#include <vector>

#include "platform/classlib/controls.h"
#include "ui/level_control.h"

class TLabelControl : public TControl {
 public:
  // An item of the parent dialog's template; meter is the meter whose scale
  // it shows, vertical as that meter.
  TLabelControl(TWindow* parent, int resourceId, TLevelControl* meter, bool vertical);

  const char* GetClassName() override;
  void GetWindowClass(WNDCLASS& wc) override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

 private:
  TLevelControl* meter;
  bool vertical;
};

// One mark of the scale: its place in dB below full scale, its text, and
// whether a tick marks it.
struct ScaleMark {
  float db = 0;
  std::string text;
  bool tick = false;
};

// The dB between two numbers: enough that numbers extent pixels long (along
// the meter) stay apart on a meter len pixels long showing maxPickDb;
// always at least 1.
int ScaleStep(int extent, float maxPickDb, int len);
// The marks the scale shows; numbers use ScaleStep. None for a meter
// shorter than one pixel.
std::vector<ScaleMark> ScaleMarks(const AudioMeterSettings& settings, int extent, int len);
