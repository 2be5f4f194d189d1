#include "ui/clip_open_dialog.h"

#include <strings.h>

#include <cstring>

#include "media/audio_readers.h"
#include "media/video_data.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "resources/clip_dialog_ids.h"
#include "ui/shell_services.h"

namespace {

constexpr DWORD kFilmWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr WORD kPcmTag = 1;

WORD Le16(const BYTE* p) {
  return static_cast<WORD>(p[0] | (p[1] << 8));
}

DWORD Le32(const BYTE* p) {
  return DWORD{p[0]} | (DWORD{p[1]} << 8) | (DWORD{p[2]} << 16) | (DWORD{p[3]} << 24);
}

// "Audio : ..." of a format.
std::string AudioText(WORD tag, DWORD rate, WORD bits, WORD channels) {
  return FormatText(GetString(ui_string::kAudioInfo),
                    GetString(tag == kPcmTag ? ui_string::kUncompressedAudio : ui_string::kCompressedAudio),
                    static_cast<int32_t>(rate), static_cast<int32_t>(bits),
                    GetString(channels == 1 ? ui_string::kMono : ui_string::kStereo));
}

// Hours, minutes and seconds of ms, then the last field and its unit.
std::string LengthText(DWORD ms, DWORD last, const char* unit) {
  return FormatText("%02d:%02d:%02d:%03d%s", static_cast<int32_t>(ms / 3600000),
                    static_cast<int32_t>(ms / 60000 % 60), static_cast<int32_t>(ms / 1000 % 60),
                    static_cast<int32_t>(last), unit);
}

std::string WaveText(const char* path) {
  WaveInfo wave;
  if (!ReadWaveInfo(path, &wave)) return "";
  const WAVEFORMATEX& f = wave.format;
  std::string text = "\n\n\n" + AudioText(f.wFormatTag, f.nSamplesPerSec, f.wBitsPerSample, f.nChannels);
  if (f.wFormatTag == kPcmTag && wave.length >= 0) {
    const DWORD ms = static_cast<DWORD>(wave.length);
    text += LengthText(ms, ms % 1000, GetString(ui_string::kMsWord));
  }
  return text;
}

std::string AviText(const char* path) {
  AviFileInfo avi;
  const int32_t found = DescribeAviFile(path, &avi);
  if (found == 0) return "";
  const DWORD usPerFrame = avi.microSecPerFrame;
  std::string text;
  if (found & 1) {
    if (usPerFrame != 0) {
      text = FormatText(GetString(ui_string::kVideoInfo), avi.codecName, 1000000.0 / usPerFrame,
                        static_cast<int32_t>(avi.width), static_cast<int32_t>(avi.height));
    } else {
      // A header without a frame time gives no rate to show.
      std::string format = GetString(ui_string::kVideoInfo);
      const size_t rate = format.find("%.3f fps, ");
      if (rate != std::string::npos) format.erase(rate, std::strlen("%.3f fps, "));
      text = FormatText(format.c_str(), avi.codecName, static_cast<int32_t>(avi.width),
                        static_cast<int32_t>(avi.height));
    }
  } else {
    text = GetString(ui_string::kNoVideoInfo);
  }
  if (found & 2) {
    const BYTE* w = avi.waveFormat;
    text += AudioText(Le16(w), Le32(w + 4), Le16(w + 14), Le16(w + 2));
  } else {
    text += GetString(ui_string::kNoAudioInfo);
  }
  if (usPerFrame != 0) {
    const DWORD ms = MulDivRound(usPerFrame, avi.totalFrames, 1000);
    const DWORD frame = MulDivRound(ms % 1000, 1000, usPerFrame);
    text += LengthText(ms, frame, GetString(ui_string::kFramesWord));
  }
  return text;
}

void ShowStatus(const std::string& text) {
  CurrentShellServices().ShowStatusText(text.c_str());
}

}  // namespace

bool& AutoPreview() {
  static bool on = false;
  return on;
}

int ClipKind(const char* path) {
  if (path == nullptr) return -1;
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\' || *p == ':') name = p + 1;
  }
  const char* dot = std::strrchr(name, '.');
  if (dot == nullptr) return -1;
  char ext[5] = {};
  std::strncpy(ext, dot, 4);
  struct Entry {
    const char* ext;
    int kind;
  };
  static const Entry kKinds[] = {{".wav", 2}, {".aif", 2}, {".afc", 2}, {".mid", 4},
                                 {".avi", 1}, {".mov", 1}, {".mrv", 0}};
  for (const Entry& e : kKinds) {
    if (strcasecmp(ext, e.ext) == 0) return e.kind;
  }
  return -1;
}

std::string ClipInfoText(const char* path) {
  switch (ClipKind(path)) {
    case 2:
      return WaveText(path);
    case 1:
      return AviText(path);
  }
  return "";
}

// ---- MCIPlay ----

MCIPlay::MCIPlay(HWND window_) : window(window_) {}

MCIPlay::~MCIPlay() {
  Close();
}

bool MCIPlay::Play(const char* path, int kind) {
  Close();
  MCI_ANIM_OPEN_PARMS open;
  open.dwCallback = reinterpret_cast<DWORD_PTR>(window);
  open.lpstrElementName = path;
  DWORD flags = MCI_OPEN_ELEMENT | MCI_WAIT;
  const bool film = (kind & 1) != 0;
  if (film) {
    flags |= MCI_ANIM_OPEN_WS | MCI_ANIM_OPEN_PARENT;
    open.dwStyle = kFilmWindowStyle;
    open.hWndParent = window;
  }
  if (mciSendCommand(0, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&open)) != 0) return false;
  device = open.wDeviceID;
  MCI_PLAY_PARMS play;
  play.dwCallback = reinterpret_cast<DWORD_PTR>(window);
  if (mciSendCommand(device, MCI_PLAY, MCI_NOTIFY | (film ? MCI_MCIAVI_PLAY_WINDOW : 0),
                     reinterpret_cast<DWORD_PTR>(&play)) == 0)
    return true;
  mciSendCommand(device, MCI_CLOSE, MCI_WAIT, 0);
  device = kNoDevice;
  return false;
}

void MCIPlay::Close() {
  if (device == kNoDevice) return;
  mciSendCommand(device, MCI_STOP, MCI_WAIT, 0);
  mciSendCommand(device, MCI_CLOSE, MCI_WAIT, 0);
  device = kNoDevice;
}

bool MCIPlay::Notify(WPARAM flags, LPARAM from) {
  // Only the play now open is ended by a notice: a late one from a device
  // closed before (aborted by that close, or superseded) would otherwise
  // leave this play running with no one to close it.
  if (device == kNoDevice || static_cast<MCIDEVICEID>(from) != device) return false;
  if (flags & (MCI_NOTIFY_SUCCESSFUL | MCI_NOTIFY_FAILURE | MCI_NOTIFY_ABORTED)) {
    mciSendCommand(device, MCI_CLOSE, MCI_WAIT, 0);
    device = kNoDevice;
    return true;
  }
  return false;
}

// ---- TClipOpenDialog ----

// clang-format off
DEFINE_RESPONSE_TABLE1(TClipOpenDialog, TEFileOpenDialog)
  EV_COMMAND(kClipAdd, CmAdd),
  EV_COMMAND(kClipPreview, CmPreview),
  EV_MESSAGE(MM_MCINOTIFY, EvMciNotify),
END_RESPONSE_TABLE;
// clang-format on

TClipOpenDialog::TClipOpenDialog(TWindow* parent, FileData& data, HWND addTarget_)
    : TEFileOpenDialog(parent, data, GetString(ui_string::kOpenClip), kClipOpenPanel),
      addTarget(addTarget_),
      autoPreview(new TCheckBox(this, kClipAutoPreview)),
      preview(new TButton(this, kClipPreview)),
      add(new TButton(this, kClipAdd)),
      info(new TStatic(this, kClipInfo, 256)) {}

TClipOpenDialog::~TClipOpenDialog() {
  StopPreview();
}

void TClipOpenDialog::SetupWindow() {
  TEFileOpenDialog::SetupWindow();
  const WPARAM font = static_cast<WPARAM>(SendMessage(WM_GETFONT));
  for (TWindow* item : {static_cast<TWindow*>(autoPreview), static_cast<TWindow*>(preview),
                        static_cast<TWindow*>(info), static_cast<TWindow*>(add)}) {
    ::SendMessage(item->GetHandle(), WM_SETFONT, font, 0);
  }
  if (addTarget == nullptr) ::ShowWindow(add->GetHandle(), SW_HIDE);
  player = std::make_unique<MCIPlay>(HWindow);
  autoPreview->SetCheck(AutoPreview() ? TCheckBox::Checked : TCheckBox::Unchecked);
  info->SetText("");
}

void TClipOpenDialog::CleanupWindow() {
  // The preview goes before the panel that gets its notices.
  StopPreview();
  TEFileOpenDialog::CleanupWindow();
}

void TClipOpenDialog::StopPreview() {
  if (previewIdle) return;
  previewIdle = true;
  if (player) player->Close();
  CurrentShellServices().ClearStatusText();
}

bool TClipOpenDialog::DialogFunction(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY && lParam != 0) {
    const auto* notice = reinterpret_cast<const OFNOTIFY*>(lParam);
    if (notice->hdr.code == CDN_FILEOK) {
      AutoPreview() = autoPreview->GetCheck() == TCheckBox::Checked;
    } else if (notice->hdr.code == CDN_SELCHANGE) {
      char current[MAX_PATH] = {};
      const int size = GetFilePath(current, sizeof current);
      if (size > 0 && size <= static_cast<int>(sizeof current) && std::strcmp(current, path) != 0) {
        std::memcpy(path, current, sizeof path);
        ShowClipInfo(autoPreview->GetCheck() == TCheckBox::Checked);
      }
    }
  }
  return TEFileOpenDialog::DialogFunction(msg, wParam, lParam);
}

bool TClipOpenDialog::TakeCurrentPath() {
  // A path cut to the buffer would name another file: none then.
  const int size = GetFilePath(path, sizeof path);
  if (size <= 0 || size > static_cast<int>(sizeof path)) path[0] = '\0';
  return path[0] != '\0';
}

void TClipOpenDialog::CmPreview() {
  TakeCurrentPath();
  ShowClipInfo(true);
}

void TClipOpenDialog::CmAdd() {
  if (TakeCurrentPath() && addTarget != nullptr) {
    ::SendMessage(addTarget, kAddFileRequest, 0, reinterpret_cast<LPARAM>(path));
  }
}

LRESULT TClipOpenDialog::EvMciNotify(WPARAM flags, LPARAM device) {
  if (player && player->Notify(flags, device)) {
    previewIdle = true;
    CurrentShellServices().ClearStatusText();
  }
  return 0;
}

void TClipOpenDialog::ShowClipInfo(bool play) {
  StopPreview();
  info->SetText(ClipInfoText(path).c_str());
  ShellServices& shell = CurrentShellServices();
  if (!play) {
    ShowStatus(FormatText(GetString(ui_string::kClipSelected), path));
  } else if (player && player->Play(path, ClipKind(path))) {
    previewIdle = false;
    ShowStatus(FormatText(GetString(ui_string::kPreviewingClip), path));
  } else {
    ShowStatus(FormatText(GetString(ui_string::kCannotPreviewClip), path));
  }
  shell.UpdateStatusBar();
}
