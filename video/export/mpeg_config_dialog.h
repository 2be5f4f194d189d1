// The settings of an MPEG export: stream type, frame-rate format, video and
// audio bit rates and the picture size, remembered in the INI section
// DVMPEG. The caller's variables are written only on OK, in the codes the
// MPEG encoder takes (platform/components/mpeg_encoder.h).
#pragma once

#include <cstdint>

#include "platform/classlib/controls.h"
#include "ui/te_dialog.h"

class TIntEdit;

// What an export holds: the flags of content.
constexpr uint32_t kMpegContentVideo = 1;
constexpr uint32_t kMpegContentAudio = 2;

// The audio bit rates offered, per channel in kbit/s.
inline constexpr int32_t kMpegAudioRates[] = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192};

class TMPEGConfigDialog : public TEDialog {
 public:
  // channels: of the sound to be encoded. On OK: width and height of the
  // pictures (0 without video), the stream type, the format code (1 to 5),
  // the video bit rate in bit/s and the audio bit rate in kbit/s of all
  // channels (0 for a part not written).
  TMPEGConfigDialog(TWindow* parent, uint32_t content, int32_t channels, int32_t* width, int32_t* height,
                    int32_t* streamType, int32_t* formatCode, int32_t* videoBitRate, int32_t* audioBitRate);
  void SetupWindow() override;
  bool CanClose() override;

 protected:
  void EvTypeChange();

 private:
  bool Both() const { return content == (kMpegContentVideo | kMpegContentAudio); }
  bool VideoCdChosen();
  // A Video CD has its rates and format fixed.
  void ApplyType();

  uint32_t content;
  int32_t channels;
  int32_t* width;
  int32_t* height;
  int32_t* streamType;
  int32_t* formatCode;
  int32_t* videoBitRate;
  int32_t* audioBitRate;
  bool offersVideoCd = false;
  TComboBox* typeList;
  TComboBox* formatList;
  TIntEdit* videoRateEdit;
  TComboBox* audioRateList;
  TIntEdit* widthEdit;
  TIntEdit* heightEdit;

  DECLARE_RESPONSE_TABLE(TMPEGConfigDialog);
};

// Makes, runs and deletes the dialog over parent (any window, or null);
// true on OK.
bool RunMpegConfigDialog(HWND parent, uint32_t content, int32_t channels, int32_t* width, int32_t* height,
                         int32_t* streamType, int32_t* formatCode, int32_t* videoBitRate,
                         int32_t* audioBitRate);
