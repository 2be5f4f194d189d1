// The Audio page of the settings: the project's audio format, the playback
// buffer, the devices, the waveform drawing and the mixers.
#pragma once

#include <cstdint>
#include <string>

#include "ui/te_property_sheet.h"

class TComboBox;
class TFloatEdit;

// The output format entries: 11025, 22050 and 44100 Hz, 16 bit stereo,
// then the project's own format when it is none of them. The entry shown
// for a format (rate, channels, the engine's sample code), and its text.
int AudioFormatEntry(uint32_t rate, int channels, int code);
std::string AudioFormatText(uint32_t rate, int channels, int code);

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
  int channels = 2;
  int code = 2;
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
