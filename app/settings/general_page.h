// The General page of the settings: the project's length and audio lines,
// the undo depth, how often and how playback starts, and the cursor and
// solo/mute behaviour while it plays. The values are the time-line's.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/te_property_sheet.h"

class TComboBox;
class TCheckBox;
class TIntEdit;
class TimeCodeEdit;

class GeneralDialog : public TEPropertyPage {
 public:
  GeneralDialog(TPropertySheet* sheet, int* pageIndexVariable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();

 private:
  // The snapshot taken when the page was made.
  int32_t length = 60000;
  int32_t audioLines = 4;
  int32_t undoDepth = 100;
  int32_t loopCount = 1;
  int32_t startCondition = 0;
  bool startFromCursor = false;
  bool hideCursor = false;
  bool realtimeMute = false;

  TimeCodeEdit* sizeEdit;
  TIntEdit* linesEdit;
  TIntEdit* undoEdit;
  TIntEdit* repeatEdit;
  TComboBox* startList;
  TCheckBox* fromCursorCheck;
  TCheckBox* hideCursorCheck;
  TCheckBox* realtimeMuteCheck;

  DECLARE_RESPONSE_TABLE(GeneralDialog);
};
