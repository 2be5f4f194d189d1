// The Audio meter page of the settings: the colour thresholds of the level
// meters, their span, and their scale's labels.
#pragma once

#include <array>
#include <string>

#include "ui/te_property_sheet.h"

class TFloatEdit;
class TListBox;

constexpr int kMeterLabelCount = 10;

struct MeterLabel {
  float level = -96.0f;  // dB
  char name[8] = {};     // up to 7 characters
};

// The order the labels list in: the named ones by falling level (of equal
// levels the lower index first), then the unnamed ones by index.
std::array<int, kMeterLabelCount> SortMeterLabels(const std::array<MeterLabel, kMeterLabelCount>& labels);
// A label's line in the list: its level, blanks and its quoted name; ""
// for an unnamed one.
std::string MeterLabelText(const MeterLabel& label);

class AudioMeterDialog : public TEPropertyPage {
 public:
  AudioMeterDialog(TPropertySheet* sheet, int* pageIndexVariable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();
  void CmAuto();
  void CmSet();
  void CmClear();
  void EvLabelSelected();
  LRESULT EvNumberChanged(WPARAM id, LPARAM);

 private:
  void SortLabels();
  void EnableLabels();

  float levels[4];  // blue, green, yellow, red
  std::array<MeterLabel, kMeterLabelCount> labels;
  std::array<int, kMeterLabelCount> order;
  bool onTop = true;
  TFloatEdit* thresholds[4];
  TFloatEdit* sizeEdit;
  TFloatEdit* zeroEdit;
  TFloatEdit* levelEdit;
  TListBox* labelList;

  DECLARE_RESPONSE_TABLE(AudioMeterDialog);
};
