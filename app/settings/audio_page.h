// The Audio page of the settings: the project's audio format, the playback
// buffer, the devices, the waveform drawing and the mixers.
#pragma once

#include <cstdint>

#include "app/settings/te_property_sheet.h"

class TComboBox;
class TFloatEdit;

// The output format entries: 11025, 22050 and 44100 Hz, 16 bit stereo.
// The entry shown for a sample rate.
int AudioFormatEntry(uint32_t rate);

class SoundParamDialog : public TEPropertyPage {
 public:
  SoundParamDialog(TPropertySheet* sheet, int* pageIndexVariable);
  ~SoundParamDialog() override;

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();
  void CmAdvanced();
  void CmConfigureMixer();

 private:
  uint32_t rate = 44100;
  float buffer = 1.0f;
  bool limit16 = false;
  bool throughFile = false;
  int waveform = 0;
  bool boardMixer = false;
  bool mixerShown = false;

  TComboBox* formatList;
  TFloatEdit* bufferEdit;
  TComboBox* waveformList;
  TComboBox* outputList;
  TComboBox* inputList;
  TComboBox* midiList;

  DECLARE_RESPONSE_TABLE(SoundParamDialog);
};
