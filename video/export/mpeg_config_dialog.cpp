#include "video/export/mpeg_config_dialog.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "model/ini.h"
#include "model/time_code.h"
#include "platform/components/mpeg_encoder.h"
#include "platform/gui/gui.h"
#include "resources/mpeg_dialog_ids.h"
#include "ui/numeric_edits.h"
#include "ui/owner_window.h"

namespace {

constexpr char kSection[] = "DVMPEG";
constexpr char kStreamKey[] = "MPEG_STREAM";
constexpr char kFormatKey[] = "MPEG_FORMAT";
constexpr char kVideoRateKey[] = "MPEG_VBITRATE";
constexpr char kAudioRateKey[] = "MPEG_ABITRATE";

// Rows of the Type list when both video and audio are written.
constexpr int kSystemRow = 0;
constexpr int kProgramRow = 1;
constexpr int kVideoCdRow = 2;

// A Video CD plays at fixed rates: NTSC 29.97, 1125 × 1024 bit/s of video
// and 224 kbit/s of stereo sound.
constexpr int kVideoCdFormatRow = 3;
constexpr int32_t kVideoCdVideoRate = 1125;
constexpr int kVideoCdAudioRow = 6;

constexpr int kDefaultStream = 0;
constexpr int kDefaultFormat = 3;
constexpr int32_t kDefaultVideoRate = 1125;
constexpr int kDefaultAudioRow = 6;

constexpr int32_t kMaxVideoRate = 20000;  // in 1024 bit/s
constexpr int32_t kMinSize = 16;
constexpr int32_t kMaxSize = 1024;
// Program streams of up to this many lines carry MPEG-1 video.
constexpr int32_t kSifLines = 240;

const char* const kFormats[] = {"FILM 23.976", "FILM 24", "PAL 25", "NTSC 29.97", "NTSC 30"};

// The format row of the project's frame rate; NTSC 29.97 for a rate that
// has none.
int ProjectFormatRow() {
  static constexpr float kRates[] = {23.976f, 24.0f, 25.0f, 29.97f, 30.0f};
  const float fps = ProjectFrameRate();
  for (int row = 0; row < 5; ++row) {
    if (std::fabs(fps - kRates[row]) < 0.01f) return row;
  }
  return kDefaultFormat;
}

bool Reject(TWindow* control) {
  ::SetFocus(control->GetHandle());
  MessageBeep(MB_ICONASTERISK);
  return false;
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(TMPEGConfigDialog, TEDialog)
  EV_CBN_SELCHANGE(kMpegType, EvTypeChange),
END_RESPONSE_TABLE;
// clang-format on

TMPEGConfigDialog::TMPEGConfigDialog(TWindow* parent, uint32_t content_, int32_t channels_, int32_t* width_,
                                     int32_t* height_, int32_t* streamType_, int32_t* formatCode_,
                                     int32_t* videoBitRate_, int32_t* audioBitRate_)
    : TEDialog(parent, kMpegConfigDialog),
      content(content_ & (kMpegContentVideo | kMpegContentAudio)),
      channels(std::max<int32_t>(channels_, 1)),
      width(width_),
      height(height_),
      streamType(streamType_),
      formatCode(formatCode_),
      videoBitRate(videoBitRate_),
      audioBitRate(audioBitRate_),
      typeList(new TComboBox(this, kMpegType)),
      formatList(new TComboBox(this, kMpegFormat)),
      videoRateEdit(new TIntEdit(this, kMpegVideoBitRate, 0, kMaxVideoRate)),
      audioRateList(new TComboBox(this, kMpegAudioBitRate)),
      widthEdit(new TIntEdit(this, kMpegWidth, kMinSize, kMaxSize)),
      heightEdit(new TIntEdit(this, kMpegHeight, kMinSize, kMaxSize)) {}

void TMPEGConfigDialog::SetupWindow() {
  TEDialog::SetupWindow();
  IniSetSection(kSection);
  const bool video = (content & kMpegContentVideo) != 0;
  const bool audio = (content & kMpegContentAudio) != 0;

  if (Both()) {
    typeList->AddString("System stream");
    typeList->AddString("Program stream");
    offersVideoCd = channels >= 2;
    if (offersVideoCd) typeList->AddString("Video CD");
    int row = std::clamp(IniReadInt(kStreamKey, kDefaultStream), 0, 2);
    if (row == kVideoCdRow && !offersVideoCd) row = kSystemRow;
    typeList->SetSelIndex(row);
  } else {
    typeList->AddString(video ? "Video only" : "Audio only");
    typeList->SetSelIndex(0);
  }

  for (const char* f : kFormats) formatList->AddString(f);
  // Until the user chose one, the format is the project's own.
  formatList->SetSelIndex(std::clamp(IniReadInt(kFormatKey, ProjectFormatRow()), 0, 4));
  videoRateEdit->SetValue(video ? IniReadInt(kVideoRateKey, kDefaultVideoRate) : 0, true);

  if (audio) {
    for (int32_t rate : kMpegAudioRates)
      audioRateList->AddString((std::to_string(rate * channels) + " 000 bps").c_str());
    audioRateList->SetSelIndex(std::clamp(IniReadInt(kAudioRateKey, kDefaultAudioRow), 0, 9));
  } else {
    audioRateList->AddString("0");
    audioRateList->SetSelIndex(0);
  }
  widthEdit->SetValue(width != nullptr ? *width : kMinSize, true);
  heightEdit->SetValue(height != nullptr ? *height : kMinSize, true);

  if (!video) {
    for (int id : {kMpegType, kMpegFormat, kMpegVideoBitRate, kMpegWidth, kMpegHeight}) EnableItem(id, false);
  } else if (!audio) {
    EnableItem(kMpegType, false);
    EnableItem(kMpegAudioBitRate, false);
  } else {
    ApplyType();
  }
}

bool TMPEGConfigDialog::VideoCdChosen() {
  return Both() && offersVideoCd && typeList->GetSelIndex() == kVideoCdRow;
}

void TMPEGConfigDialog::ApplyType() {
  const bool videoCd = VideoCdChosen();
  if (videoCd) {
    formatList->SetSelIndex(kVideoCdFormatRow);
    videoRateEdit->SetValue(kVideoCdVideoRate, true);
    audioRateList->SetSelIndex(kVideoCdAudioRow);
  }
  for (int id : {kMpegFormat, kMpegVideoBitRate, kMpegAudioBitRate}) EnableItem(id, !videoCd);
}

void TMPEGConfigDialog::EvTypeChange() {
  if (Both()) ApplyType();
}

bool TMPEGConfigDialog::CanClose() {
  const bool video = (content & kMpegContentVideo) != 0;
  const bool audio = (content & kMpegContentAudio) != 0;
  if (video) {
    for (TIntEdit* e : {videoRateEdit, widthEdit, heightEdit})
      if (!e->IsValid()) return Reject(e);
  }
  const int formatRow = std::clamp(formatList->GetSelIndex(), 0, 4);
  const int audioRow = std::clamp(audioRateList->GetSelIndex(), 0, 9);
  const int32_t w = video ? widthEdit->GetValue() : 0;
  const int32_t h = video ? heightEdit->GetValue() : 0;
  int32_t type = kMpegAudioOnly;
  if (Both()) {
    const int row = typeList->GetSelIndex();
    type = row == kVideoCdRow && offersVideoCd ? kMpegVideoCd
           : row == kProgramRow                ? (h <= kSifLines ? kMpegProgramSif : kMpegProgram)
                                               : kMpegSystem;
  } else if (video) {
    type = kMpegVideoOnly;
  }

  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
  if (streamType != nullptr) *streamType = type;
  if (formatCode != nullptr) *formatCode = video ? formatRow + 1 : 0;
  if (videoBitRate != nullptr) *videoBitRate = video ? videoRateEdit->GetValue() * 1024 : 0;
  if (audioBitRate != nullptr) *audioBitRate = audio ? kMpegAudioRates[audioRow] * channels : 0;

  IniSetSection(kSection);
  if (Both()) IniWriteInt(kStreamKey, std::clamp(typeList->GetSelIndex(), 0, 2));
  if (video) {
    IniWriteInt(kFormatKey, formatRow);
    IniWriteInt(kVideoRateKey, videoRateEdit->GetValue());
  }
  if (audio) IniWriteInt(kAudioRateKey, audioRow);
  IniFlush();
  return true;
}

bool RunMpegConfigDialog(HWND parent, uint32_t content, int32_t channels, int32_t* width, int32_t* height,
                         int32_t* streamType, int32_t* formatCode, int32_t* videoBitRate,
                         int32_t* audioBitRate) {
  OwnerWindow owner(parent);
  TMPEGConfigDialog dialog(owner.Get(), content, channels, width, height, streamType, formatCode,
                           videoBitRate, audioBitRate);
  return dialog.Execute() == IDOK;
}
