// The Video page of the settings: the project's frame rate and how the
// video player shows the video (mode, zoom, on top, synchronised to the
// audio, dropped-frame reports, whether it keeps its codec).
#pragma once

#include <cstdint>

#include "ui/te_property_sheet.h"

class TComboBox;
class TCheckBox;
class TFloatEdit;

// The preview zoom in sixteenths: entry k of the zoom list is 2 to the k,
// from "/16" (1) to "x16" (256).
constexpr int kZoomEntries = 9;
// The entry shown for a stored zoom: the last whose value does not exceed
// it, the first for anything below 1.
int ZoomEntry(int32_t zoom);
// "/16" ... "x1" ... "x16".
std::string ZoomText(int entry);

class VideoParamDialog : public TEPropertyPage {
 public:
  VideoParamDialog(TPropertySheet* sheet, int* pageIndexVariable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();
  void ModeChanged();

 private:
  float frameRate = 25.0f;
  bool showTimeouts = true;
  int32_t zoom = 16;
  bool onTop = true;
  bool synchronize = true;
  int32_t drawType = 1;
  bool edges = true;
  bool neverYield = false;

  TFloatEdit* rateEdit;
  TComboBox* modeList;
  TComboBox* zoomList;

  // The note that a codec-drawn mode falls back to drawing by hand, shown
  // while such a mode is chosen.
  void ShowModeNote();

  DECLARE_RESPONSE_TABLE(VideoParamDialog);
};
