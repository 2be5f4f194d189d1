// The "Audio Recorder" window: its controls and settings, the format it
// records in, and the capture state machine over the wave-in device.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "audio/audio_recorder.h"
#include "audio/export_io.h"
#include "audio/peak_meters.h"
#include "media/sample_routines.h"
#include "model/error_codes.h"
#include "model/ini.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "platform/core/threads.h"
#include "platform/core/time.h"
#include "resources/audio_tool_ids.h"
#include "ui/audio_format_dialogs.h"
#include "ui/label_control.h"
#include "ui/numeric_edits.h"
#include "ui/te_file_dialogs.h"

namespace {

constexpr const char* kSection = "Recorder";
constexpr UINT kTimeTimer = 1;
constexpr UINT kCountTimer = 2;
constexpr UINT kTimeTick = 100;
constexpr UINT kCountTick = 1000;
constexpr DWORD kMinBlockSize = 16384;
constexpr DWORD kMaxBlockSize = 262144;
constexpr DWORD kMonitorBytes = 8192;
constexpr DWORD kMinBlocks = 4;
constexpr DWORD kMaxBlocks = 64;
// How long the main thread waits for the recorder thread to take back the
// device's buffers after a reset: generous, it only runs out on a device
// that keeps its buffers.
constexpr DWORD kCloseWaitMs = 5000;
constexpr int kScreenMargin = 10;

// Notices the recorder thread posts to the window.
constexpr WPARAM kNoticeClosed = 100;
constexpr WPARAM kNoticeWriteError = 101;
constexpr WPARAM kNoticeAddError = 102;
constexpr WPARAM kNoticeTooLarge = 103;

// A RIFF file's sizes are 32 bits: the data stops short of 4 GB, with room
// left for the INFO list that follows it.
constexpr ULONGLONG kDefaultDataLimit = 0xFFFFFFFFull - 65536;
std::atomic<ULONGLONG> g_dataLimit{kDefaultDataLimit};

constexpr const char* kRates[] = {"11025", "16000", "22050", "32000", "44100", "48000", "96000"};

void WaveInErrorBox(HWND owner, MMRESULT error, const char* caption) {
  char text[MAXERRORLENGTH] = {};
  waveInGetErrorText(error, text, sizeof text);
  ShowMessage(owner, caption, MB_OK | MB_ICONSTOP, "%s", text);
}

void FileErrorBox(HWND owner, const char* caption, const char* fileName) {
  ShowMessage(owner, caption, MB_OK | MB_ICONSTOP, "Error writing file:\n%s", fileName);
}

void PutLe16(BYTE* p, WORD v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
}
void PutLe32(BYTE* p, DWORD v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

}  // namespace

void TAudioRecorderDialog::SetDataLimit(ULONGLONG bytes) {
  g_dataLimit = bytes != 0 ? bytes : kDefaultDataLimit;
}

// clang-format off
DEFINE_RESPONSE_TABLE1(TAudioRecorderDialog, TEDialog)
  EV_COMMAND(kRecPrepare, CmPrepare),
  EV_COMMAND(kRecStop, CmStop),
  EV_COMMAND(kRecWindStart, CmWindStart),
  EV_COMMAND(kRecWindEnd, CmWindEnd),
  EV_COMMAND(IDOK, CmFinish),
  EV_COMMAND(IDCANCEL, CmAbandon),
  EV_COMMAND(kRecAdvanced, CmAdvanced),
  EV_COMMAND(kMeterSwitch, CmMeter),
  EV_COMMAND(kRecSynchronize, CmSynchronize),
  EV_COMMAND(kRecOnTop, CmOnTop),
  EV_COMMAND(kRecVolumeControl, CmVolumeControl),
  EV_WM_TIMER,
  EV_MESSAGE(kRecNotice, EvNotice),
  EV_MESSAGE(WM_MOVE, EvMove),
END_RESPONSE_TABLE;
// clang-format on

TAudioRecorderDialog::TAudioRecorderDialog(TWindow* parent, const char* fileName_, HMMIO file_, HWND owner_,
                                           const WAVEFORMATEX& format, int device_, bool enableDelay_,
                                           int delay_)
    : TEDialog(parent, kRecorderDialog),
      file(file_),
      owner(owner_),
      recordFormat(format),
      monitorFormat(format),
      enableDelay(enableDelay_),
      delay(delay_) {
  if (fileName_ != nullptr) std::strncpy(fileName, fileName_, MAX_PATH - 1);
  InitializeCriticalSection(&lock);
  closed = CreateEvent(nullptr, TRUE, TRUE, nullptr);
  layoutCode = TheAudioPlayer != nullptr ? TheAudioPlayer->GetProjectCode() : 2;
  device = device_;
  SetDevice(device_);

  IniSetSection(kSection);
  blocks = static_cast<DWORD>(
      std::clamp(IniReadInt("Blocks", 16), static_cast<int>(kMinBlocks), static_cast<int>(kMaxBlocks)));
  DWORD size = static_cast<DWORD>(IniReadInt("BlockSize", 32));
  if (size < kMinBlockSize) size *= 1024;
  blockSize = std::clamp(size, kMinBlockSize, kMaxBlockSize);
  wait = std::clamp(IniReadInt("Wait", 3), 0, 10);
  synchronize = IniReadInt("Synchronize", 1) != 0;
  meterShown = IniReadInt("HideAudioMeter", 0) == 0;
  onTop = IniReadInt("OnTop", 0) != 0;
  volumeControl = IniReadInt("VolumeControl", 0) != 0;

  buffers.resize(blocks);
  for (Buffer& b : buffers) {
    b.data = std::make_unique<BYTE[]>(blockSize);
    std::memset(b.data.get(), 0, blockSize);
    b.header = WAVEHDR{};
    b.header.lpData = reinterpret_cast<LPSTR>(b.data.get());
    b.header.dwBufferLength = blockSize;
  }

  rateList = new TComboBox(this, kRecRate);
  bitsList = new TComboBox(this, kRecBits);
  waitEdit = new TIntEdit(this, kRecWait, 0, 10);
  meter.left = new TLevelControl(this, &meter, kMeterLeft, true);
  meter.right = new TLevelControl(this, &meter, kMeterRight, true);
  meter.label = new TLabelControl(this, kMeterScale, meter.right, true);
  meter.off = !meterShown;
}

TAudioRecorderDialog::~TAudioRecorderDialog() {
  ShutDown();
  if (closed != nullptr) CloseHandle(closed);
  DeleteCriticalSection(&lock);
}

void TAudioRecorderDialog::ShutDown() {
  StopMonitor();
  if (waveIn != nullptr) ResetDevice();
  VolumeStop();
  CloseAndDeleteFile();
}

void TAudioRecorderDialog::ResetDevice() {
  EnterCriticalSection(&lock);
  if (waveIn != nullptr) {
    state_ = kRecError;
    waveInReset(waveIn);
  }
  LeaveCriticalSection(&lock);
  // The close notice normally closes the device; close it here if none came.
  if (!WaitClosed()) {
    EnterCriticalSection(&lock);
    CloseDevice();
    LeaveCriticalSection(&lock);
  }
}

// ---------------------------------------------------------------- the window

void TAudioRecorderDialog::SetupWindow() {
  TEDialog::SetupWindow();
  if (HMENU system = ::GetSystemMenu(HWindow, FALSE))
    ::EnableMenuItem(system, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  WAVEINCAPS caps;
  if (waveInGetDevCaps(static_cast<UINT>(device), &caps, sizeof caps) == MMSYSERR_NOERROR)
    ::SetWindowText(HWindow, (std::string("Record Audio: ") + caps.szPname).c_str());

  rateList->ClearList();
  rateList->AddString(std::to_string(recordFormat.nSamplesPerSec).c_str());
  for (const char* r : kRates) rateList->AddString(r);
  rateList->SetSelIndex(0);
  FillBitsList();
  ::CheckDlgButton(HWindow, kRecStereo, recordFormat.nChannels > 1 ? BST_CHECKED : BST_UNCHECKED);

  RECT own{};
  ::GetWindowRect(HWindow, &own);
  // With no place kept, the recorder opens where the window system puts a
  // dialog of its owner's: at the corner of the owner's client area, below
  // its caption and menu bar.
  HWND ownerRoot = owner != nullptr ? ::GetAncestor(owner, GA_ROOT) : nullptr;
  if (ownerRoot != nullptr && ::IsWindowVisible(ownerRoot) && !::IsIconic(ownerRoot)) {
    POINT corner{0, 0};
    ::ClientToScreen(ownerRoot, &corner);
    own.left = corner.x;
    own.top = corner.y;
  }
  IniSetSection(kSection);
  int x = IniReadInt("XPos", own.left), y = IniReadInt("YPos", own.top);
  x = std::clamp(x, 0, std::max(0, GetSystemMetrics(SM_CXSCREEN) - kScreenMargin));
  y = std::clamp(y, 0, std::max(0, GetSystemMetrics(SM_CYSCREEN) - kScreenMargin));
  if (onTop) ::SetWindowLong(HWindow, GWL_EXSTYLE, ::GetWindowLong(HWindow, GWL_EXSTYLE) | WS_EX_TOPMOST);
  ::SetWindowPos(HWindow, onTop ? HWND_TOPMOST : nullptr, x, y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | (onTop ? 0 : SWP_NOZORDER));

  SetStatus("Stopped");
  waitEdit->SetValue(wait, true);
  ::CheckDlgButton(HWindow, kRecSynchronize, synchronize ? BST_CHECKED : BST_UNCHECKED);
  ::CheckDlgButton(HWindow, kMeterSwitch, meterShown ? BST_CHECKED : BST_UNCHECKED);
  ::CheckDlgButton(HWindow, kRecOnTop, onTop ? BST_CHECKED : BST_UNCHECKED);
  ::CheckDlgButton(HWindow, kRecVolumeControl, volumeControl ? BST_CHECKED : BST_UNCHECKED);
  ShowVolumeWindow();

  ShowTime(0);
  // A recording takes the project's format: only the wide layout is chosen.
  ::EnableWindow(GetDlgItem(kRecRate), FALSE);
  ::EnableWindow(GetDlgItem(kRecBits), FALSE);
  ::EnableWindow(GetDlgItem(kRecStereo), FALSE);
  LockControls(false);
  ::SetDlgItemText(HWindow, kRecPrepare, "Prepare/&Rec");
  ::ShowWindow(HWindow, SW_SHOW);
  ::PostMessage(HWindow, kRecNotice, 0, 0);
}

void TAudioRecorderDialog::CleanupWindow() {
  ::KillTimer(HWindow, kTimeTimer);
  ::KillTimer(HWindow, kCountTimer);
  RECT own{};
  ::GetWindowRect(HWindow, &own);
  IniSetSection(kSection);
  IniWriteInt("XPos", own.left);
  IniWriteInt("YPos", own.top);
  IniWriteInt("Blocks", static_cast<int>(blocks));
  IniWriteInt("BlockSize", static_cast<int>(blockSize / 1024));
  IniWriteInt("Wait", wait);
  IniWriteInt("Synchronize", synchronize ? 1 : 0);
  IniWriteInt("HideAudioMeter", meterShown ? 0 : 1);
  IniWriteInt("OnTop", onTop ? 1 : 0);
  IniWriteInt("VolumeControl", volumeControl ? 1 : 0);
  IniFlush();
  if (volumeControl && TheMixerServer != nullptr) TheMixerServer->Hide();
  TEDialog::CleanupWindow();
}

void TAudioRecorderDialog::FillBitsList() {
  bitsList->ClearList();
  bitsList->AddString("8");
  bitsList->AddString("16");
  ::EnableWindow(GetDlgItem(kRecAdvanced), FALSE);
  if (!Limit16) {
    bitsList->AddString("20");
    bitsList->AddString("24");
    if (layoutCode < 4) {
      bitsList->SetSelIndex(layoutCode - 1);
    } else {
      bitsList->SetSelIndex(3);
      ::EnableWindow(GetDlgItem(kRecAdvanced), TRUE);
    }
  } else {
    bitsList->SetSelIndex(recordFormat.wBitsPerSample > 8 ? 1 : 0);
  }
}

void TAudioRecorderDialog::ShowFormat() {
  if (HWindow == nullptr) return;
  if (layoutCode < 4) {
    bitsList->SetSelIndex(layoutCode - 1);
    ::EnableWindow(GetDlgItem(kRecAdvanced), FALSE);
  } else {
    bitsList->SetSelIndex(bitsList->GetCount() > 3 ? 3 : 1);
    ::EnableWindow(GetDlgItem(kRecAdvanced), TRUE);
  }
  ::CheckDlgButton(HWindow, kRecStereo, recordFormat.nChannels > 1 ? BST_CHECKED : BST_UNCHECKED);
  rateList->SetText(std::to_string(recordFormat.nSamplesPerSec).c_str());
}

void TAudioRecorderDialog::ApplyFormat() {
  if (HWindow == nullptr) return;
  const DWORD rate = static_cast<DWORD>(std::strtoul(rateList->GetText().c_str(), nullptr, 10));
  const int channels = ::IsDlgButtonChecked(HWindow, kRecStereo) == BST_CHECKED ? 2 : 1;
  const int index = bitsList->GetSelIndex();
  const int code = index >= 0 && index < 3 ? index + 1 : AdvancedAudioType();
  WAVEFORMATEX built{};
  const bool valid = BuildRecordFormat(rate, channels, code, built);
  if (valid &&
      waveInOpen(nullptr, static_cast<UINT>(device), &built, 0, 0, WAVE_FORMAT_QUERY) == MMSYSERR_NOERROR) {
    recordFormat = built;
    layoutCode = code;
    accepted = true;
    return;
  }
  CurrentMessageBoxPresenter().Beep(MB_ICONHAND);
  if (accepted) {
    WAVEFORMATEX again{};
    if (BuildRecordFormat(recordFormat.nSamplesPerSec, recordFormat.nChannels, layoutCode, again))
      recordFormat = again;
  } else if (valid) {
    layoutCode = code;
    recordFormat = built;
  }
  // A format that cannot be built leaves the one before.
  ShowFormat();
}

void TAudioRecorderDialog::ReapplyFormat() {
  ApplyFormat();
  StopMonitor();
  CmMeter();
}

void TAudioRecorderDialog::SetDevice(int number) {
  WAVEINCAPS caps;
  if (waveInGetDevCaps(static_cast<UINT>(number), &caps, sizeof caps) != MMSYSERR_NOERROR) return;
  if (HWindow != nullptr) ::SetWindowText(HWindow, (std::string("Record Audio: ") + caps.szPname).c_str());
  device = number < 0 ? -1 : (number & 0xFFFF);
  ShowVolumeWindow();
}

void TAudioRecorderDialog::CmAdvanced() {
  if (RunSelect24AudioDialog(HWindow)) ReapplyFormat();
}

void TAudioRecorderDialog::CmMeter() {
  const bool shown = ::IsDlgButtonChecked(HWindow, kMeterSwitch) == BST_CHECKED;
  // The recorder thread reads the switch with each buffer it takes back.
  EnterCriticalSection(&lock);
  meterShown = shown;
  meter.off = !shown;
  LeaveCriticalSection(&lock);
  ClearMeters();
  if (shown) {
    StartMonitor();
  } else {
    StopMonitor();
    if (meter.left != nullptr) meter.left->ClearPeak();
    if (meter.right != nullptr) meter.right->ClearPeak();
  }
}

void TAudioRecorderDialog::CmSynchronize() {
  synchronize = ::IsDlgButtonChecked(HWindow, kRecSynchronize) == BST_CHECKED;
}

void TAudioRecorderDialog::CmOnTop() {
  onTop = ::IsDlgButtonChecked(HWindow, kRecOnTop) == BST_CHECKED;
  const LONG ex = ::GetWindowLong(HWindow, GWL_EXSTYLE);
  ::SetWindowLong(HWindow, GWL_EXSTYLE,
                  onTop ? (ex | WS_EX_TOPMOST) : (ex & ~static_cast<LONG>(WS_EX_TOPMOST)));
  ::SetWindowPos(HWindow, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TAudioRecorderDialog::CmVolumeControl() {
  volumeControl = ::IsDlgButtonChecked(HWindow, kRecVolumeControl) == BST_CHECKED;
  if (TheMixerServer == nullptr) return;
  if (volumeControl) {
    ShowVolumeWindow();
  } else {
    TheMixerServer->Hide();
  }
}

void TAudioRecorderDialog::ShowVolumeWindow() {
  if (!volumeControl || TheMixerServer == nullptr || HWindow == nullptr) return;
  TheMixerServer->ShowForDevice(device, 1);
  MoveVolumeWindow();
}

void TAudioRecorderDialog::MoveVolumeWindow() {
  if (!volumeControl || TheMixerServer == nullptr || HWindow == nullptr) return;
  RECT r{};
  ::GetWindowRect(HWindow, &r);
  TheMixerServer->Move(r.right, r.top);
}

LRESULT TAudioRecorderDialog::EvMove(WPARAM, LPARAM) {
  const LRESULT result = DefaultProcessing();
  MoveVolumeWindow();
  return result;
}

LRESULT TAudioRecorderDialog::EvNotice(WPARAM code, LPARAM arg) {
  switch (code) {
    case 0:
      ::CheckDlgButton(HWindow, kMeterSwitch, meterShown ? BST_CHECKED : BST_UNCHECKED);
      if (meterShown) StartMonitor();
      return 1;
    case 1:
    case 18:
      for (TWindow* w : {static_cast<TWindow*>(meter.left), static_cast<TWindow*>(meter.right),
                         static_cast<TWindow*>(meter.label)})
        if (w != nullptr && w->GetHandle() != nullptr) ::InvalidateRect(w->GetHandle(), nullptr, FALSE);
      return 1;
    case 2:
      SetDevice(static_cast<int>(arg));
      ReapplyFormat();
      return 1;
    case kNoticeClosed:
      ::KillTimer(HWindow, kTimeTimer);
      ClearMeters();
      if (state_ == kRecIdle && waveIn == nullptr) {
        VolumeStop();
        if (restartMonitor) {
          restartMonitor = false;
          StartMonitor();
        }
      }
      return 1;
    case kNoticeWriteError:
      FileErrorBox(HWindow, "Write 'data' chunk", fileName);
      EndForcedTake();
      return 1;
    case kNoticeAddError:
      WaveInErrorBox(HWindow, static_cast<MMRESULT>(arg), "WaveInAddBuffer");
      return 1;
    case kNoticeTooLarge:
      ShowMessage(HWindow, "Audio Recorder", MB_OK | MB_ICONSTOP,
                  "File '%s' would be larger than 4 GB, more than a WAVE file can hold.", fileName);
      EndForcedTake();
      return 1;
    default:
      return 0;
  }
}

void TAudioRecorderDialog::SetStatus(const char* text) {
  if (HWindow != nullptr) ::SetDlgItemText(HWindow, kRecStatus, text);
}

void TAudioRecorderDialog::ShowTime(ULONGLONG samples) {
  if (HWindow == nullptr) return;
  const ULONGLONG rate = std::max<DWORD>(recordFormat.nSamplesPerSec, 1);
  const ULONGLONG ms = (samples * 1000 + rate / 2) / rate;
  char text[kTimeCodeSize] = {};
  FormatTimeCode(static_cast<LONG>(std::min<ULONGLONG>(ms, 0x7FFFFFFF)), text, FALSE);
  ::SetDlgItemText(HWindow, kRecTime, text);
}

void TAudioRecorderDialog::LockControls(bool locked) {
  if (HWindow == nullptr) return;
  EnableItem(kRecWindStart, !locked);
  EnableItem(kRecWindEnd, !locked);
  EnableItem(kRecStop, locked);
  EnableItem(kRecPrepare, !locked || state_ != kRecRecording);
}

void TAudioRecorderDialog::ClearMeters() {
  ClearPeakMeters(&meter);
}

int TAudioRecorderDialog::ReadWait() {
  if (HWindow != nullptr && waitEdit->GetHandle() != nullptr) wait = std::clamp(waitEdit->GetValue(), 0, 10);
  return wait;
}

LRESULT TAudioRecorderDialog::AskOwner(UINT msg, WPARAM wp, LPARAM lp) {
  return owner != nullptr ? ::SendMessage(owner, msg, wp, lp) : 0;
}

void TAudioRecorderDialog::VolumeStart() {
  VolumeServer* server = AudioPlayer::GetVolumeServer();
  if (server != nullptr && !volumeHeld) volumeHeld = server->Start(0) == 0;
}

void TAudioRecorderDialog::VolumeStop() {
  if (!volumeHeld) return;
  volumeHeld = false;
  if (VolumeServer* server = AudioPlayer::GetVolumeServer()) server->Stop();
}

LONG TAudioRecorderDialog::FilePosition() {
  return file != nullptr ? static_cast<LONG>(CurrentExportIo().Seek(file, 0, SEEK_CUR)) : -1;
}

// ---------------------------------------------------------------- device and buffers

DWORD TAudioRecorderDialog::BufferLength(DWORD bytes, const WAVEFORMATEX& format) const {
  DWORD length = bytes;
  if (format.nAvgBytesPerSec < 44100)
    length = bytes / 4;
  else if (format.nAvgBytesPerSec < 88200)
    length = bytes / 2;
  // Whole frames, so that every buffer starts on a frame.
  const DWORD align = std::max<WORD>(format.nBlockAlign, 1);
  return std::max(length / align * align, align);
}

void TAudioRecorderDialog::StartMonitor() {
  if (!meterShown || state_ != kRecIdle || waveIn != nullptr) return;
  monitorFormat = recordFormat;
  const UINT id = static_cast<UINT>(device);
  if (waveInOpen(nullptr, id, &monitorFormat, 0, 0, WAVE_FORMAT_QUERY) != MMSYSERR_NOERROR) return;
  EnterCriticalSection(&lock);
  ResetEvent(closed);
  HWAVEIN handle = nullptr;
  const DWORD thread = TheAudioRecorder != nullptr ? TheAudioRecorder->ThreadId() : 0;
  if (waveInOpen(&handle, id, &monitorFormat, thread, 0, CALLBACK_THREAD) != MMSYSERR_NOERROR) {
    waveIn = nullptr;
    SetEvent(closed);
    LeaveCriticalSection(&lock);
    return;
  }
  waveIn = handle;
  if (!QueueMonitorBuffers()) {
    state_ = kRecMonitoring;
    LeaveCriticalSection(&lock);
    StopMonitor();
    return;
  }
  state_ = kRecMonitoring;
  LeaveCriticalSection(&lock);
  VolumeStart();
  waveInStart(handle);
}

bool TAudioRecorderDialog::QueueMonitorBuffers() {
  const DWORD length = BufferLength(std::min(blockSize, kMonitorBytes), monitorFormat);
  inUse = 0;
  queued = 0;
  for (DWORD i = 0; i < 2 && i < buffers.size(); ++i) {
    WAVEHDR& h = buffers[i].header;
    h.dwBufferLength = length;
    h.dwBytesRecorded = 0;
    h.dwFlags = 0;
    if (waveInPrepareHeader(waveIn, &h, sizeof h) != MMSYSERR_NOERROR) return false;
    ++inUse;
    if (waveInAddBuffer(waveIn, &h, sizeof h) != MMSYSERR_NOERROR) return false;
    buffers[i].held = true;
    ++queued;
  }
  nextBuffer = 0;
  return true;
}

void TAudioRecorderDialog::StopMonitor() {
  if (state_ != kRecMonitoring && state_ != kRecStoppingMonitor) return;
  if (waveIn == nullptr) return;
  ClearMeters();
  EnterCriticalSection(&lock);
  if (state_ == kRecMonitoring) {
    state_ = kRecStoppingMonitor;
    waveInReset(waveIn);
  }
  for (DWORD i = 0; i < inUse; ++i) waveInUnprepareHeader(waveIn, &buffers[i].header, sizeof(WAVEHDR));
  waveInClose(waveIn);
  waveIn = nullptr;
  ForgetBuffers();
  state_ = kRecIdle;
  SetEvent(closed);
  LeaveCriticalSection(&lock);
  VolumeStop();
}

bool TAudioRecorderDialog::OpenForRecording() {
  ApplyFormat();
  HWAVEIN handle = nullptr;
  const DWORD thread = TheAudioRecorder != nullptr ? TheAudioRecorder->ThreadId() : 0;
  EnterCriticalSection(&lock);
  ResetEvent(closed);
  const MMRESULT opened =
      waveInOpen(&handle, static_cast<UINT>(device), &recordFormat, thread, 0, CALLBACK_THREAD);
  if (opened != MMSYSERR_NOERROR) {
    SetEvent(closed);
    LeaveCriticalSection(&lock);
    WaveInErrorBox(HWindow, opened, "WaveInOpen");
    return false;
  }
  waveIn = handle;
  const bool queuedAll = QueueCaptureBuffers();
  LeaveCriticalSection(&lock);
  if (!queuedAll) return false;
  VolumeStart();
  return true;
}

// Caller holds the lock.
bool TAudioRecorderDialog::QueueCaptureBuffers() {
  const DWORD length = BufferLength(blockSize, recordFormat);
  inUse = 0;
  queued = 0;
  for (Buffer& b : buffers) {
    WAVEHDR& h = b.header;
    h.dwBufferLength = length;
    h.dwBytesRecorded = 0;
    h.dwFlags = 0;
    const MMRESULT prepared = waveInPrepareHeader(waveIn, &h, sizeof h);
    if (prepared != MMSYSERR_NOERROR) {
      for (DWORD i = 0; i < inUse; ++i) waveInUnprepareHeader(waveIn, &buffers[i].header, sizeof(WAVEHDR));
      waveInClose(waveIn);
      waveIn = nullptr;
      ForgetBuffers();
      SetEvent(closed);
      WaveInErrorBox(HWindow, prepared, "WaveInPrepareHeader");
      return false;
    }
    ++inUse;
  }
  for (Buffer& b : buffers) {
    if (waveInAddBuffer(waveIn, &b.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) break;
    b.held = true;
    ++queued;
  }
  if (queued == 0) {
    CloseDevice();
    return false;
  }
  if (queued < buffers.size()) {
    state_ = kRecError;
    waveInReset(waveIn);
    return false;
  }
  nextBuffer = 0;
  return true;
}

// Caller holds the lock.
void TAudioRecorderDialog::CloseDevice() {
  if (waveIn == nullptr) return;
  for (DWORD i = 0; i < inUse; ++i) waveInUnprepareHeader(waveIn, &buffers[i].header, sizeof(WAVEHDR));
  waveInClose(waveIn);
  waveIn = nullptr;
  ForgetBuffers();
  state_ = kRecIdle;
  SetEvent(closed);
  // Timers, meters and the monitor belong to the main thread.
  if (HWindow != nullptr) ::PostMessage(HWindow, kRecNotice, kNoticeClosed, 0);
}

// Caller holds the lock; the device is closed, so it holds none of them.
void TAudioRecorderDialog::ForgetBuffers() {
  for (Buffer& b : buffers) b.held = false;
  inUse = queued = 0;
}

bool TAudioRecorderDialog::WaitClosed() {
  if (waveIn == nullptr) return true;
  return WaitForSingleObject(closed, kCloseWaitMs) == WAIT_OBJECT_0;
}

void TAudioRecorderDialog::RestartMonitor() {
  // The monitor opens the device again once the recorder thread has taken
  // back every buffer and closed it.
  WaitClosed();
  if (state_ == kRecIdle && waveIn == nullptr) {
    restartMonitor = false;
    StartMonitor();
  } else {
    restartMonitor = true;
  }
}

void TAudioRecorderDialog::RequestStop() {
  EnterCriticalSection(&lock);
  if (waveIn != nullptr) {
    state_ = kRecStopRequested;
    waveInReset(waveIn);
  }
  LeaveCriticalSection(&lock);
  VolumeStop();
}

// ---------------------------------------------------------------- the file

bool TAudioRecorderDialog::WriteHeaders() {
  if (file == nullptr) return false;
  riffChunk = MMCKINFO{};
  riffChunk.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  if (CurrentExportIo().CreateChunk(file, &riffChunk, MMIO_CREATERIFF) != 0) {
    FileErrorBox(HWindow, "Create 'RIFF' chunk", fileName);
    return false;
  }
  auto createChunk = [this](FOURCC id, const char* what) {
    chunk = MMCKINFO{};
    chunk.ckid = id;
    if (CurrentExportIo().CreateChunk(file, &chunk, 0) == 0) return true;
    FileErrorBox(HWindow, what, fileName);
    return false;
  };
  if (!createChunk(mmioFOURCC('f', 'm', 't', ' '), "Create 'fmt ' chunk")) return false;
  BYTE fmt[16];
  PutLe16(fmt, recordFormat.wFormatTag);
  PutLe16(fmt + 2, recordFormat.nChannels);
  PutLe32(fmt + 4, recordFormat.nSamplesPerSec);
  PutLe32(fmt + 8, recordFormat.nAvgBytesPerSec);
  PutLe16(fmt + 12, recordFormat.nBlockAlign);
  PutLe16(fmt + 14, recordFormat.wBitsPerSample);
  if (CurrentExportIo().Write(file, fmt, sizeof fmt) != static_cast<LONG>(sizeof fmt)) {
    FileErrorBox(HWindow, "Write Wave", fileName);
    return false;
  }
  if (CurrentExportIo().Ascend(file, &chunk, 0) != 0) {
    FileErrorBox(HWindow, "Write 'fmt ' chunk", fileName);
    return false;
  }
  if (!createChunk(mmioFOURCC('d', 'a', 't', 'a'), "Create 'data' chunk")) return false;
  const LONG at = FilePosition();
  dataStart = at > 0 ? static_cast<DWORD>(at) : 0;
  endOffset = dataStart;
  headersWritten = true;
  return true;
}

// Recorder thread, under the lock.
bool TAudioRecorderDialog::WriteBlock(const WAVEHDR& header) {
  if (!headersWritten || header.dwBytesRecorded == 0 || file == nullptr) return false;
  DWORD bytes = header.dwBytesRecorded;
  const ULONGLONG limit = g_dataLimit.load();
  bool tooLarge = false;
  if (endOffset + bytes > limit) {
    const DWORD align = std::max<WORD>(recordFormat.nBlockAlign, 1);
    const ULONGLONG room = limit > endOffset ? limit - endOffset : 0;
    bytes = static_cast<DWORD>(room / align * align);
    tooLarge = true;
  }
  if (bytes > 0) {
    if (CurrentExportIo().Write(file, header.lpData, static_cast<LONG>(bytes)) != static_cast<LONG>(bytes)) {
      writeFailed = true;
      if (HWindow != nullptr) ::PostMessage(HWindow, kRecNotice, kNoticeWriteError, 0);
      return false;
    }
    endOffset += bytes;
  }
  if (tooLarge) {
    // Nothing more goes in: the take stops with what fitted.
    state_ = kRecError;
    waveInReset(waveIn);
    if (HWindow != nullptr) ::PostMessage(HWindow, kRecNotice, kNoticeTooLarge, 0);
  }
  return true;
}

void TAudioRecorderDialog::OnWaveInMessage(const MSG& message) {
  if (message.message != MM_WIM_DATA) return;
  EnterCriticalSection(&lock);
  auto* header = reinterpret_cast<WAVEHDR*>(message.lParam);
  // The notice alone says what came back: a header of this open that the
  // recorder gave the device and has not had back yet. Notices of an earlier
  // open carry another handle and are dropped. The header's fields are read
  // only from here on, after the device let go of it.
  DWORD index = 0;
  while (index < inUse && &buffers[index].header != header) ++index;
  if (waveIn == nullptr || reinterpret_cast<HWAVEIN>(message.wParam) != waveIn || index >= inUse ||
      !buffers[index].held || queued == 0) {
    LeaveCriticalSection(&lock);
    return;
  }
  buffers[index].held = false;
  nextBuffer = (index + 1) % std::max<DWORD>(inUse, 1);
  switch (state_.load()) {
    case kRecRecording: {
      if (header->dwBytesRecorded != 0 && !WriteBlock(*header)) {
        // The file takes no more: the rest of the buffers are dropped.
        --queued;
        state_ = kRecError;
        waveInReset(waveIn);
        break;
      }
      if (state_ != kRecRecording) {
        // Stopped short of 4 GB: this buffer is done with.
        if (--queued == 0) CloseDevice();
        break;
      }
      if (meterShown)
        UpdatePeakMeters(&meter, header->lpData, header->dwBytesRecorded, SampleTypeOfFormat(recordFormat),
                         recordFormat.nChannels);
      header->dwBytesRecorded = 0;
      const MMRESULT added = waveInAddBuffer(waveIn, header, sizeof(WAVEHDR));
      if (added == MMSYSERR_NOERROR) buffers[index].held = true;
      if (added != MMSYSERR_NOERROR) {
        if (HWindow != nullptr)
          ::PostMessage(HWindow, kRecNotice, kNoticeAddError, static_cast<LPARAM>(added));
        --queued;
        state_ = kRecStopRequested;
        waveInReset(waveIn);
      }
      break;
    }
    case kRecStopRequested:
      if (header->dwBytesRecorded != 0 && !WriteBlock(*header) && state_ == kRecStopRequested) {
        state_ = kRecError;
        waveInReset(waveIn);
      }
      if (--queued == 0) CloseDevice();
      break;
    case kRecError:
      if (--queued == 0) CloseDevice();
      break;
    case kRecMonitoring:
      if (meterShown)
        UpdatePeakMeters(&meter, header->lpData, header->dwBytesRecorded, SampleTypeOfFormat(monitorFormat),
                         monitorFormat.nChannels);
      header->dwBytesRecorded = 0;
      if (waveInAddBuffer(waveIn, header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR) buffers[index].held = true;
      break;
    default:
      break;
  }
  LeaveCriticalSection(&lock);
}

bool TAudioRecorderDialog::FinishFile() {
  if (!headersWritten || file == nullptr) return false;
  if (CurrentExportIo().Ascend(file, &chunk, 0) != 0) {
    FileErrorBox(HWindow, "Write 'data' chunk", fileName);
    return false;
  }
  const LONG afterData = FilePosition();
  RecorderInfoWriter writer = TAudioRecorder::InfoWriter();
  const bool info = writer != nullptr ? writer(file) : AudioPlayer::WriteInfoList(file);
  if (!info) {
    // The take is whole without its INFO list: the file ends after the data.
    FileErrorBox(HWindow, "Create data chunk", fileName);
    CurrentExportIo().Seek(file, afterData, SEEK_SET);
  }
  if (CurrentExportIo().Ascend(file, &riffChunk, 0) != 0) {
    FileErrorBox(HWindow, "Write 'RIFF' chunk", fileName);
    return false;
  }
  const LONG end = FilePosition();
  endOffset = end > 0 ? static_cast<ULONGLONG>(end) : endOffset;
  return true;
}

void TAudioRecorderDialog::CloseAndDeleteFile() {
  if (file == nullptr) return;
  CurrentExportIo().Close(file);
  file = nullptr;
  std::error_code error;
  if (!std::filesystem::remove(fileName, error) && std::filesystem::exists(fileName, error))
    ShowMessage(HWindow, "Delete file", MB_OK | MB_ICONSTOP, "File has not been deleted!");
}

// ---------------------------------------------------------------- the buttons

void TAudioRecorderDialog::PrepareOrRecord() {
  const int state = state_;
  if (state == kRecIdle || state == kRecMonitoring) {
    StopMonitor();
    if (!OpenForRecording()) {
      RestartMonitor();
      return;
    }
    if (!headersWritten && !WriteHeaders()) {
      RequestStop();
      RestartMonitor();
      return;
    }
    if (synchronize && owner != nullptr) {
      if (AskOwner(kRecAskPrepared, 0, 0) == 0) {
        RequestStop();
        RestartMonitor();
        return;
      }
      if (startCursor == -1) startCursor = static_cast<LONG>(AskOwner(kRecAskCursor, 0, 0));
    }
    state_ = kRecPrepared;
    ClearMeters();
    SetStatus("Prepared");
    ::SetDlgItemText(HWindow, kRecPrepare, "&Record");
    LockControls(true);
    return;
  }
  if (state != kRecPrepared) return;
  if (ReadWait() == 0) {
    StartTake();
  } else {
    ::SetTimer(HWindow, kCountTimer, kCountTick, nullptr);
    EnableItem(kRecStop, true);
    ::SetFocus(GetDlgItem(kRecStop));
    SetStatus("");
  }
  ::SetTimer(HWindow, kTimeTimer, kTimeTick, nullptr);
  state_ = kRecRecording;
  takeRunning = true;
  LockControls(true);
}

void TAudioRecorderDialog::StartTake() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  // The take goes on where the file stands: at the data start after a
  // wind, else after the takes before.
  const LONG at = FilePosition();
  EnterCriticalSection(&lock);
  endOffset = at > 0 ? static_cast<ULONGLONG>(at) : dataStart;
  LeaveCriticalSection(&lock);
  if (waveIn != nullptr) waveInStart(waveIn);
  if (enableDelay) {
    const DWORD start = timeGetTime();
    while (timeGetTime() - start < static_cast<DWORD>(delay)) {
    }
  }
  if (synchronize && owner != nullptr) AskOwner(kRecAskPlay, 0, 0);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  SetStatus("Recording");
}

void TAudioRecorderDialog::EvTimer(UINT id) {
  if (id == kCountTimer) {
    const int taken = wait--;
    if (taken > 0) {
      CurrentMessageBoxPresenter().Beep(MB_OK);
      SetStatus(std::to_string(taken).c_str());
      return;
    }
    ::KillTimer(HWindow, kCountTimer);
    StartTake();
    EnableItem(kRecStop, true);
    ::SetFocus(GetDlgItem(kRecStop));
    SetStatus("Recording");
    return;
  }
  if (id == kTimeTimer) {
    ULONGLONG position = 0;
    if (waveIn != nullptr) {
      MMTIME t{};
      t.wType = TIME_SAMPLES;
      if (waveInGetPosition(waveIn, &t, sizeof t) == MMSYSERR_NOERROR) {
        if (t.wType == TIME_SAMPLES)
          position = t.u.sample;
        else if (t.wType == TIME_MS)
          position = (static_cast<ULONGLONG>(t.u.ms) * recordFormat.nSamplesPerSec + 500) / 1000;
        else if (t.wType == TIME_BYTES)
          position = t.u.cb / std::max<WORD>(recordFormat.nBlockAlign, 1);
      }
    }
    ShowTime(samplesBefore + position);
  }
}

void TAudioRecorderDialog::StopTake() {
  SetStatus("Stopped");
  takeRunning = false;
  const int state = state_;
  if (state == kRecRecording) {
    ::KillTimer(HWindow, kCountTimer);
    if (waveIn != nullptr) {
      MMTIME t{};
      t.wType = TIME_SAMPLES;
      if (waveInGetPosition(waveIn, &t, sizeof t) == MMSYSERR_NOERROR && t.wType == TIME_SAMPLES)
        samplesBefore += t.u.sample;
    }
    RequestStop();
    if (synchronize && owner != nullptr) {
      AskOwner(kRecAskStop, 0, 0);
      endCursor = static_cast<LONG>(AskOwner(kRecAskCursor, 0, 0));
    }
    WaitClosed();
    RestartMonitor();
    const LONG at = FilePosition();
    if (at >= 0 && static_cast<DWORD>(at) != dataStart) endOffset = static_cast<ULONGLONG>(at);
  } else if (state == kRecPrepared) {
    RequestStop();
    if (synchronize && owner != nullptr) AskOwner(kRecAskStop, 0, 0);
    WaitClosed();
    RestartMonitor();
  } else if (state == kRecError || state == kRecStopRequested) {
    EndForcedTake();
    return;
  }
  ::SetDlgItemText(HWindow, kRecPrepare, "Prepare/&Rec");
  LockControls(false);
  ::SetFocus(GetDlgItem(kRecPrepare));
}

// A take the recorder thread ended (write error, the size limit): the
// window follows once the device is back.
void TAudioRecorderDialog::EndForcedTake() {
  if (!takeRunning) return;
  ::KillTimer(HWindow, kCountTimer);
  if (synchronize && owner != nullptr) {
    AskOwner(kRecAskStop, 0, 0);
    endCursor = static_cast<LONG>(AskOwner(kRecAskCursor, 0, 0));
  }
  RestartMonitor();
  const LONG at = FilePosition();
  if (at >= 0 && static_cast<DWORD>(at) != dataStart) endOffset = static_cast<ULONGLONG>(at);
  samplesBefore = (endOffset - dataStart) / std::max<WORD>(recordFormat.nBlockAlign, 1);
  ShowTime(samplesBefore);
  SetStatus("Stopped");
  ::SetDlgItemText(HWindow, kRecPrepare, "Prepare/&Rec");
  LockControls(false);
  ::SetFocus(GetDlgItem(kRecPrepare));
  takeRunning = false;
}

void TAudioRecorderDialog::WindToStart() {
  if (synchronize && owner != nullptr) {
    const LONG cursor = static_cast<LONG>(AskOwner(kRecAskCursor, 0, 0));
    if (cursor != startCursor) endCursor = cursor;
    if (startCursor != -1) AskOwner(kRecAskMoveCursor, 0, startCursor);
  }
  if (headersWritten && file != nullptr) {
    const LONG at = FilePosition();
    if (at >= 0 && static_cast<DWORD>(at) != dataStart) endOffset = static_cast<ULONGLONG>(at);
    CurrentExportIo().Seek(file, static_cast<LONG>(dataStart), SEEK_SET);
  }
  samplesBefore = 0;
  ShowTime(0);
}

void TAudioRecorderDialog::WindToEnd() {
  if (headersWritten && file != nullptr) {
    CurrentExportIo().Seek(file, static_cast<LONG>(endOffset), SEEK_SET);
    samplesBefore = (endOffset - dataStart) / std::max<WORD>(recordFormat.nBlockAlign, 1);
  } else {
    samplesBefore = 0;
  }
  ShowTime(samplesBefore);
  if (synchronize && owner != nullptr) {
    const LONG cursor = static_cast<LONG>(AskOwner(kRecAskCursor, 0, 0));
    if (cursor != endCursor) startCursor = cursor;
    if (endCursor != -1) AskOwner(kRecAskMoveCursor, 0, endCursor);
  }
}

void TAudioRecorderDialog::Finish() {
  StopMonitor();
  if (synchronize && owner != nullptr) AskOwner(kRecAskStop, 0, 0);
  ReadWait();
  ::KillTimer(HWindow, kCountTimer);
  ::KillTimer(HWindow, kTimeTimer);
  RequestStop();
  // Every buffer the device gives back is written before the file closes.
  if (!WaitClosed()) {
    EnterCriticalSection(&lock);
    if (waveIn != nullptr) waveInReset(waveIn);
    CloseDevice();
    LeaveCriticalSection(&lock);
  }
  // Wound back with no new take since: the takes in the file stay whole.
  LONG at = FilePosition();
  if (headersWritten && at >= 0 && static_cast<DWORD>(at) == dataStart && endOffset > dataStart) {
    CurrentExportIo().Seek(file, static_cast<LONGLONG>(endOffset), SEEK_SET);
    at = FilePosition();
  }
  // A file with no sample in it is no take: it goes as with Cancel.
  if (!headersWritten || at < 0 || static_cast<DWORD>(at) == dataStart || !FinishFile()) {
    Abandon();
    return;
  }
  CurrentExportIo().Close(file);
  file = nullptr;
  // An earlier, longer take overwritten from the start leaves its tail
  // behind the new end: cut it off.
  std::error_code error;
  std::filesystem::resize_file(fileName, (endOffset + 1) & ~1ull, error);
  static char announced[MAX_PATH];
  std::memcpy(announced, fileName, MAX_PATH);
  if (owner != nullptr)
    ::PostMessage(owner, kRecDone, static_cast<WPARAM>(startCursor), reinterpret_cast<LPARAM>(announced));
  Destroy(IDOK);
}

void TAudioRecorderDialog::Abandon() {
  StopMonitor();
  if (synchronize && owner != nullptr) AskOwner(kRecAskStop, 0, 0);
  ReadWait();
  ::KillTimer(HWindow, kCountTimer);
  ::KillTimer(HWindow, kTimeTimer);
  if (waveIn != nullptr) {
    ResetDevice();
    VolumeStop();
  }
  CloseAndDeleteFile();
  if (owner != nullptr) ::PostMessage(owner, kRecAbandoned, 2, 0);
  Destroy(IDCANCEL);
}
