#include "clips/clip_pages.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "clips/clip_collection.h"
#include "clips/summary_dialog.h"
#include "media/video_bitmap.h"
#include "model/message_box.h"
#include "model/scratch_str.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "model/ui_strings.h"
#include "platform/codecs/vfw.h"
#include "platform/core/files.h"
#include "resources/settings_dialog_ids.h"
#include "ui/file_name_control.h"
#include "ui/numeric_edits.h"
#include "ui/time_code_edit.h"
#include "ui/value_sliders.h"

namespace {

constexpr const char* kNoInfo = "---";
// The AVI reader's sources; the others are films of the sibling product.
constexpr int32_t kAviSource = 2;

void SetText(HWND page, int id, const std::string& text) {
  ::SetDlgItemText(page, id, text.c_str());
}

std::string ByteSize(DWORD n) {
  char text[kByteTextSize];
  FormatByteSize(text, n);
  return text;
}

// size bytes over length ms, per second; nothing to say for no length.
std::string ByteRate(DWORD size, int32_t length) {
  if (length <= 0) return kNoInfo;
  char text[kByteTextSize];
  FormatByteRate(text, MulDivRound(size, 1000, static_cast<DWORD>(length)));
  return text;
}

std::string TimeText(int32_t ms, bool withUnit) {
  return MsToTimeCodeText(ms, withUnit ? TRUE : FALSE);
}

const char* UnitText() {
  return GetString(ProjectTimeFormat() == kTimeFormatMs ? ui_string::kMsUnit : ui_string::kFrameUnit);
}

// The frame rate as the page compares it: thousandths, rounded.
int64_t Thousandths(float rate) {
  return static_cast<int64_t>(static_cast<double>(rate) * 1000.0 + 0.499);
}

std::string Narrow(const wchar_t* text) {
  std::string s;
  for (; *text != 0; ++text) s += *text < 0x80 ? static_cast<char>(*text) : '?';
  return s;
}

}  // namespace

// ---- General ----

// clang-format off
DEFINE_RESPONSE_TABLE1(GeneralClipDialog, TEPropertyPage)
  EV_EN_CHANGE(kClipNameEdit, Changed),
  EV_EN_CHANGE(kClipIn, InChanged),
  EV_EN_CHANGE(kClipOut, OutChanged),
END_RESPONSE_TABLE;
// clang-format on

GeneralClipDialog::GeneralClipDialog(TPropertySheet* sheet, int* pageIndexVariable, ClipData& clip_)
    : TEPropertyPage(sheet, kGeneralClipDialog, pageIndexVariable),
      clip(clip_),
      inTime(clip_.inTime),
      outTime(clip_.outTime) {
  ReadSource();
  nameEdit = new TEdit(this, kClipNameEdit, kClipNameSize);
  fileName = new FileNameControl(this, kClipFileName, clip.path);
  inEdit = new TimeCodeEdit(this, kClipIn, inTime, 0, kDayMs);
  outEdit = new TimeCodeEdit(this, kClipOut, outTime, 0, kDayMs);
}

void GeneralClipDialog::ReadSource() {
  if (clip.video != nullptr) {
    frameRate = clip.video->GetFrameRate();
    sourceLength = FramesToMs(clip.video->GetFrameCount(), frameRate);
  } else {
    frameRate = ProjectFrameRate();
    sourceLength = clip.audio != nullptr ? clip.audio->GetLength() : clip.midi != nullptr ? clip.midi->GetLength() : 0;
  }
}

int32_t GeneralClipDialog::StepBefore(int32_t t) const {
  if (ProjectTimeFormat() == kTimeFormatMs) return t - 1;
  return FramesToMs(MsToFrames(t, frameRate) - 1, frameRate);
}

int32_t GeneralClipDialog::StepAfter(int32_t t) const {
  if (ProjectTimeFormat() == kTimeFormatMs) return t + 1;
  return FramesToMs(MsToFrames(t, frameRate) + 1, frameRate);
}

void GeneralClipDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  showing = true;
  nameEdit->SetText(clip.name);
  SetText(HWindow, kClipSource, TimeText(sourceLength, false));
  // The file may be gone: what it says then is "---".
  std::string size = kNoInfo, created = kNoInfo, modified = kNoInfo;
  HANDLE file = clip.path != nullptr ? CreateFile(clip.path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_EXISTING, 0, nullptr)
                                     : INVALID_HANDLE_VALUE;
  if (file != INVALID_HANDLE_VALUE) {
    LARGE_INTEGER bytes{};
    size = GetFileSizeEx(file, &bytes) ? ByteSize(static_cast<DWORD>(std::min<LONGLONG>(bytes.QuadPart, 0xFFFFFFFF)))
                                       : "Invalid file size";
    FILETIME creation{}, access{}, write{};
    created.clear();
    modified.clear();
    if (GetFileTime(file, &creation, &access, &write)) {
      char text[64] = {};
      if (FileTimeToText(text, creation)) created = text;
      if (FileTimeToText(text, write)) modified = text;
    }
    CloseHandle(file);
  }
  SetText(HWindow, kClipFileSize, size);
  SetText(HWindow, kClipCreated, created);
  SetText(HWindow, kClipModified, modified);
  ShowTimes();
  for (int id : {kClipInUnit, kClipOutUnit, kClipDurationUnit, kClipSourceUnit}) SetText(HWindow, id, UnitText());
  showing = false;
}

void GeneralClipDialog::ShowTimes() {
  inEdit->SetRange(0, std::max(StepBefore(outTime), 0), false);
  outEdit->SetRange(std::min(StepAfter(inTime), sourceLength), sourceLength, false);
  inEdit->SetValue(inTime, false);
  outEdit->SetValue(outTime, false);
  SetText(HWindow, kClipDuration, TimeText(outTime - inTime, false));
}

void GeneralClipDialog::Changed() {
  if (!showing) PageChanged();
}

void GeneralClipDialog::InChanged() {
  if (showing) return;
  inTime = inEdit->GetValue(true);
  SetText(HWindow, kClipDuration, TimeText(outTime - inTime, false));
  outEdit->SetRange(std::min(StepAfter(inTime), sourceLength), sourceLength, false);
  PageChanged();
}

void GeneralClipDialog::OutChanged() {
  if (showing) return;
  outTime = outEdit->GetValue(true);
  SetText(HWindow, kClipDuration, TimeText(outTime - inTime, false));
  inEdit->SetRange(0, std::max(StepBefore(outTime), 0), false);
  PageChanged();
}

int GeneralClipDialog::SetActive(PSHNOTIFY& notify) {
  // The Video page may have changed the rate, and with it the clip's times.
  if (clip.video != nullptr && clip.video->GetFrameRate() != frameRate) {
    inTime = clip.inTime;
    outTime = clip.outTime;
    ReadSource();
    showing = true;
    SetText(HWindow, kClipSource, TimeText(sourceLength, false));
    ShowTimes();
    showing = false;
  }
  return TEPropertyPage::SetActive(notify);
}

int GeneralClipDialog::Apply(PSHNOTIFY& notify) {
  clip.inTime = inTime;
  clip.outTime = outTime;
  clip.duration = outTime - inTime;
  char text[kClipNameSize] = {};
  ::GetDlgItemText(HWindow, kClipNameEdit, text, sizeof text);
  std::snprintf(clip.name, sizeof clip.name, "%s", text);
  return TEPropertyPage::Apply(notify);
}

// ---- Video ----

// clang-format off
DEFINE_RESPONSE_TABLE1(VideoClipDialog, TEPropertyPage)
  EV_BN_CLICKED(kClipUseVideo, Changed),
END_RESPONSE_TABLE;
// clang-format on

VideoClipDialog::VideoClipDialog(TPropertySheet* sheet, int* pageIndexVariable, ClipData& clip_, HWND collection_)
    : TEPropertyPage(sheet, kVideoClipDialog, pageIndexVariable),
      clip(clip_),
      collection(collection_),
      rateEdit(new TFloatEdit(this, kClipFrameRate, 0.001f, 1000.0f, 1.0f)) {}

void VideoClipDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  VideoData* v = clip.video;
  ::CheckDlgButton(HWindow, kClipUseVideo, (clip.kind & kClipVideo) ? BST_CHECKED : BST_UNCHECKED);
  if (v == nullptr) return;
  rateEdit->SetValue(v->GetFrameRate(), true);
  // A rate can be set only on a source whose file is closed.
  ::EnableWindow(rateEdit->GetHandle(), !v->IsOpen());
  int32_t width = 0, height = 0;
  v->GetSize(&width, &height);
  SetText(HWindow, kClipWidth, FormatText("%d", width));
  SetText(HWindow, kClipHeight, FormatText("%d", height));
  if (auto* avi = dynamic_cast<AVIVideoData*>(v); avi != nullptr && v->sourceKind == kAviSource) {
    const FOURCC code = avi->streamHeader.fccHandler;
    if (code == 0) {
      SetText(HWindow, kClipCodecName, GetString(ui_string::kUncompressed));
    } else if (HIC ic = ICOpen(ICTYPE_VIDEO, code, ICMODE_QUERY)) {
      ICINFO info;
      info.dwSize = sizeof info;
      ICGetInfo(ic, &info, sizeof info);
      SetText(HWindow, kClipCodecShort, Narrow(info.szName));
      SetText(HWindow, kClipCodecName, Narrow(info.szDescription));
      ICClose(ic);
    } else {
      std::string chars;
      for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((code >> (8 * i)) & 0xFF);
        chars += c >= 0x20 && c <= 0x7E ? c : ' ';
      }
      SetText(HWindow, kClipCodecName, FormatText(GetString(ui_string::kUnknownCodec), chars.c_str()));
    }
  } else {
    SetText(HWindow, kClipCodecName, "MORVANE");
  }
  SetText(HWindow, kClipFileSize, ByteSize(v->GetDataSize()));
  ShowRate();
}

void VideoClipDialog::ShowRate() {
  VideoData* v = clip.video;
  const int32_t length = FramesToMs(v->GetFrameCount(), v->GetFrameRate());
  SetText(HWindow, kClipDataRate, ByteRate(v->GetDataSize(), length));
  SetText(HWindow, kClipDuration, TimeText(length, true));
}

void VideoClipDialog::Changed() {
  PageChanged();
}

int VideoClipDialog::Apply(PSHNOTIFY& notify) {
  if (::IsDlgButtonChecked(HWindow, kClipUseVideo) == BST_CHECKED) {
    clip.kind |= kClipVideo;
  } else {
    clip.kind &= ~kClipVideo;
  }
  VideoData* v = clip.video;
  const float rate = rateEdit->GetValue();
  if (v != nullptr && Thousandths(rate) != Thousandths(v->GetFrameRate())) {
    const float former = v->GetFrameRate();
    if (!v->SetFrameRate(rate)) {
      ShowMessage(HWindow, GetString(ui_string::kApplyVideo), MB_OK | MB_ICONEXCLAMATION,
                  GetString(ui_string::kOtherFrameRate), v->GetFileName());
    } else {
      if (auto* owner = dynamic_cast<ClipCollection*>(TWindow::GetWindowPtr(collection))) {
        owner->VideoRateChanged(v, former);
      }
      ShowRate();
    }
  }
  return TEPropertyPage::Apply(notify);
}

// ---- Audio ----

// clang-format off
DEFINE_RESPONSE_TABLE1(AudioClipDialog, TEPropertyPage)
  EV_BN_CLICKED(kClipUseAudio, Changed),
END_RESPONSE_TABLE;
// clang-format on

AudioClipDialog::AudioClipDialog(TPropertySheet* sheet, int* pageIndexVariable, ClipData& clip_)
    : TEPropertyPage(sheet, kAudioClipDialog, pageIndexVariable), clip(clip_) {}

void AudioClipDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  ::CheckDlgButton(HWindow, kClipUseAudio, (clip.kind & kClipAudio) ? BST_CHECKED : BST_UNCHECKED);
  AudioData* a = clip.audio;
  if (a == nullptr || a->format == nullptr) return;
  const WAVEFORMATEX& f = *a->format;
  SetText(HWindow, kClipSampleRate, FormatText("%d", static_cast<int>(f.nSamplesPerSec)));
  SetText(HWindow, kClipBits, SampleTypeName(a->GetSampleType()));
  SetText(HWindow, kClipChannels, GetString(f.nChannels == 1 ? ui_string::kMono : ui_string::kStereo));
  const DWORD size = static_cast<DWORD>(std::min<uint64_t>(uint64_t{a->LengthInSamples()} * f.nBlockAlign, 0xFFFFFFFF));
  SetText(HWindow, kClipFileSize, ByteSize(size));
  SetText(HWindow, kClipDataRate, ByteRate(size, a->GetLength()));
  SetText(HWindow, kClipDuration, TimeText(a->GetLength(), true));
}

void AudioClipDialog::Changed() {
  PageChanged();
}

int AudioClipDialog::Apply(PSHNOTIFY& notify) {
  if (::IsDlgButtonChecked(HWindow, kClipUseAudio) == BST_CHECKED) {
    clip.kind |= kClipAudio;
  } else {
    clip.kind &= ~kClipAudio;
  }
  return TEPropertyPage::Apply(notify);
}

// ---- MIDI ----

MidiClipDialog::MidiClipDialog(TPropertySheet* sheet, int* pageIndexVariable, ClipData& clip_)
    : TEPropertyPage(sheet, kMidiClipDialog, pageIndexVariable), clip(clip_) {}

void MidiClipDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  if (clip.midi != nullptr) SetText(HWindow, kClipDuration, TimeText(clip.midi->GetLength(), true));
}

// ---- The face ----

FaceControl::FaceControl(TWindow* parent, int resourceId, ClipData& clip_, int32_t frame_)
    : TControl(parent, resourceId), clip(clip_), frame(frame_) {
  std::copy(clip.pixels, clip.pixels + kThumbnailBytes, pixels);
}

FaceControl::~FaceControl() {
  if (thumbnail != nullptr) thumbnail->Release();
}

const char* FaceControl::GetClassName() {
  return "FaceControl";
}

void FaceControl::GetWindowClass(WNDCLASS& wc) {
  TControl::GetWindowClass(wc);
  wc.hbrBackground = nullptr;
}

void FaceControl::SetupWindow() {
  TControl::SetupWindow();
  // The client area is the picture's size, centred where the template put it.
  RECT window{}, client{};
  ::GetWindowRect(HWindow, &window);
  ::GetClientRect(HWindow, &client);
  const int w = (window.right - window.left) - client.right + kThumbnailWidth;
  const int h = (window.bottom - window.top) - client.bottom + kThumbnailHeight;
  POINT at{window.left, window.top};
  ::ScreenToClient(Parent->GetHandle(), &at);
  at.x += ((window.right - window.left) - w) / 2;
  at.y += ((window.bottom - window.top) - h) / 2;
  ::SetWindowPos(HWindow, nullptr, at.x, at.y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FaceControl::Render() {
  outOfDate = false;
  if (clip.video != nullptr) clip.video->GetThumbnail(pixels, FramesToMs(frame, clip.video->GetFrameRate()));
  if (thumbnail != nullptr) {
    thumbnail->Release();
    thumbnail = nullptr;
  }
}

void FaceControl::Paint(TDC& dc, bool, TRect&) {
  if (outOfDate) Render();
  if (thumbnail == nullptr && clip.video != nullptr) {
    const LONG at = FramesToMs(frame, clip.video->GetFrameRate());
    thumbnail = TEVideoBitmap::Get(dc, 0, clip.video, at, at, pixels);
  }
  if (thumbnail != nullptr) {
    thumbnail->Draw(dc, 0, 0);
  } else {
    const TRect r = GetClientRect();
    dc.Rectangle(r);
  }
}

void FaceControl::SetFrame(int32_t value) {
  frame = value;
  outOfDate = true;
  if (HWindow != nullptr) Invalidate(false);
}

void FaceControl::WriteBack() {
  const float rate = clip.video != nullptr ? clip.video->GetFrameRate() : ProjectFrameRate();
  if (frame != MsToFrames(clip.faceTime, rate)) clip.faceTime = FramesToMs(frame, rate);
  if (outOfDate) Render();
  std::copy(pixels, pixels + kThumbnailBytes, clip.pixels);
  clip.ReleaseThumbnail();
  if (thumbnail != nullptr) {
    thumbnail->Release();
    thumbnail = nullptr;
  }
}

// clang-format off
DEFINE_RESPONSE_TABLE1(FaceClipDialog, TEPropertyPage)
  EV_COMMAND(kClipFrameBar, BarMoved),
END_RESPONSE_TABLE;
// clang-format on

FaceClipDialog::FaceClipDialog(TPropertySheet* sheet, int* pageIndexVariable, ClipData& clip_)
    : TEPropertyPage(sheet, kFaceClipDialog, pageIndexVariable), clip(clip_) {
  const float rate = clip.video != nullptr ? clip.video->GetFrameRate() : ProjectFrameRate();
  const int32_t frames =
      clip.video != nullptr ? MsToFrames(FramesToMs(clip.video->GetFrameCount(), rate), rate) : 0;
  const int32_t current = MsToFrames(clip.faceTime, rate);
  // A video without frames still gives the bar a range: 0 to 0.
  bar = new TEBar(this, kClipFrameBar, kClipFrameText, std::clamp(current, 0, std::max(frames - 1, 0)), 0,
                  std::max(frames - 1, 0));
  face = new FaceControl(this, kClipFace, clip, current);
}

void FaceClipDialog::BarMoved() {
  face->SetFrame(bar->GetValue());
  PageChanged();
}

int FaceClipDialog::Apply(PSHNOTIFY& notify) {
  face->WriteBack();
  return TEPropertyPage::Apply(notify);
}

// ---- The sheet ----

bool ClipPropertyPages::Run(HWND parent, const char* caption, ClipData& clip, const std::vector<ClipPage>& pages,
                            const SummaryInfo& summary) {
  TWindow* owner = TWindow::GetWindowPtr(parent);
  TEPropertySheet sheet(owner, caption);
  SummaryInfo shown(summary);
  int counter = 0;
  for (ClipPage page : pages) {
    switch (page) {
      case ClipPage::kGeneral:
        new GeneralClipDialog(&sheet, &counter, clip);
        break;
      case ClipPage::kVideo:
        if (clip.video != nullptr) new VideoClipDialog(&sheet, &counter, clip, parent);
        break;
      case ClipPage::kAudio:
        if (clip.audio != nullptr) new AudioClipDialog(&sheet, &counter, clip);
        break;
      case ClipPage::kMidi:
        if (clip.midi != nullptr) new MidiClipDialog(&sheet, &counter, clip);
        break;
      case ClipPage::kFace:
        if (clip.video != nullptr) new FaceClipDialog(&sheet, &counter, clip);
        break;
      case ClipPage::kSummary:
        new SummaryDialog(&sheet, &counter, &shown, false);
        break;
    }
  }
  return sheet.Execute() == IDOK;
}
