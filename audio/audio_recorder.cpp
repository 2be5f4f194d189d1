#include "audio/audio_recorder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/export_io.h"
#include "model/film.h"
#include "model/ini.h"
#include "model/message_box.h"
#include "platform/core/message_queue.h"
#include "platform/core/threads.h"
#include "resources/audio_tool_ids.h"
#include "ui/file_dialogs.h"

TAudioRecorder* TheAudioRecorder = nullptr;

namespace {

constexpr const char* kSection = "Recorder";
constexpr SIZE_T kThreadStack = 4096;
constexpr UINT kThreadQuit = WM_USER + 300;
constexpr int kMaxListed = 20;
constexpr int kMaxDelay = 1000;
constexpr const char* kCaption = "Audio Recorder";
RecorderInfoWriter g_infoWriter = nullptr;

// The bits and block align of each sample code.
struct CodeLayout {
  WORD tag;
  WORD bits;
  WORD bytes;
};
constexpr CodeLayout kLayouts[] = {
    {WAVE_FORMAT_PCM, 8, 1},         {WAVE_FORMAT_PCM, 16, 2}, {WAVE_FORMAT_PCM, 20, 3},
    {WAVE_FORMAT_PCM, 24, 3},        {WAVE_FORMAT_PCM, 24, 4}, {WAVE_FORMAT_PCM, 32, 4},
    {WAVE_FORMAT_IEEE_FLOAT, 32, 4},
};

}  // namespace

bool BuildRecordFormat(DWORD rate, int channels, int code, WAVEFORMATEX& format) {
  if (channels < 1 || channels > 2 || rate < 5000 || rate >= 2415919104u || code < 1 || code > 7)
    return false;
  const CodeLayout& l = kLayouts[code - 1];
  WAVEFORMATEX f;
  f.wFormatTag = l.tag;
  f.nChannels = static_cast<WORD>(channels);
  f.nSamplesPerSec = rate;
  f.wBitsPerSample = l.bits;
  f.nBlockAlign = static_cast<WORD>(l.bytes * channels);
  f.nAvgBytesPerSec = f.nBlockAlign * rate;
  f.cbSize = 0;
  format = f;
  return true;
}

// ---------------------------------------------------------------- TAudioRecorder

TAudioRecorder::TAudioRecorder() {
  InitializeCriticalSection(&dialogLock_);
  IniSetSection(kSection);
  WaveInId = IniReadInt("WaveInId", 0);
  DevicePresent = ReadCaps();
  thread_ = CreateThread(nullptr, kThreadStack, &TAudioRecorder::ThreadProc, this, 0, &threadId_);
  if (thread_ == nullptr) threadId_ = 0;
  IniSetSection(kSection);
  EnableDelay = IniReadInt("EnableDelay", 0) != 0;
  const unsigned delay = static_cast<unsigned>(IniReadInt("Delay", 50));
  Delay = delay > static_cast<unsigned>(kMaxDelay) ? kMaxDelay : static_cast<int>(delay);
}

TAudioRecorder::~TAudioRecorder() {
  CloseDialog();
  if (thread_ != nullptr) {
    PostThreadMessage(threadId_, kThreadQuit, 0, 0);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  IniSetSection(kSection);
  IniWriteInt("WaveInId", WaveInId);
  IniWriteInt("EnableDelay", EnableDelay ? 1 : 0);
  IniWriteInt("Delay", Delay);
  IniFlush();
  DeleteCriticalSection(&dialogLock_);
}

void TAudioRecorder::SetInfoWriter(RecorderInfoWriter writer) {
  g_infoWriter = writer;
}

RecorderInfoWriter TAudioRecorder::InfoWriter() {
  return g_infoWriter;
}

bool TAudioRecorder::ReadCaps() {
  WAVEINCAPS caps;
  return waveInGetDevCaps(static_cast<UINT>(WaveInId), &caps, sizeof caps) == MMSYSERR_NOERROR;
}

DWORD TAudioRecorder::ThreadProc(void* parameter) {
  auto* recorder = static_cast<TAudioRecorder*>(parameter);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  MSG message;
  while (GetMessage(&message, nullptr, 0, 0) > 0) {
    if (message.message == kThreadQuit) break;
    recorder->DispatchWaveIn(message);
  }
  return 0;
}

void TAudioRecorder::DispatchWaveIn(const MSG& message) {
  EnterCriticalSection(&dialogLock_);
  if (dialog_ != nullptr) dialog_->OnWaveInMessage(message);
  LeaveCriticalSection(&dialogLock_);
}

void TAudioRecorder::Execute(HWND owner) {
  if (!DevicePresent) {
    ShowMessage(owner, kCaption, MB_OK | MB_ICONSTOP,
                "Audio recording device is not present in the system or is not selected.");
    return;
  }
  if (dialog_ == nullptr) {
    FileData& data = MediaFileData(kWaveFiles);
    if (!AskSaveFile(data, owner, "File for recording")) return;
    char name[MAX_PATH] = {};
    std::snprintf(name, sizeof name, "%s", data.FileName);
    if (!Film::RemoveClipEverywhere(name, owner)) return;
    SetFileDialogsDirectory(name, 1);
    std::memcpy(fileName_, name, MAX_PATH);
    owner_ = owner;
    HMMIO file = CurrentExportIo().Open(fileName_, MMIO_CREATE | MMIO_WRITE);
    if (file == nullptr) {
      ShowMessage(owner, kCaption, MB_OK | MB_ICONSTOP, "Can`t open file:\n%s", fileName_);
      return;
    }
    auto* made = new TAudioRecorderDialog(nullptr, fileName_, file, owner_, OutputFormat, WaveInId,
                                          EnableDelay, Delay);
    EnterCriticalSection(&dialogLock_);
    dialog_ = made;
    LeaveCriticalSection(&dialogLock_);
  }
  if (dialog_->GetHandle() == nullptr) {
    dialog_->Create();
  } else {
    ::ShowWindow(dialog_->GetHandle(), SW_RESTORE);
    ::SetWindowPos(dialog_->GetHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
}

void TAudioRecorder::CloseDialog() {
  TAudioRecorderDialog* dialog = dialog_;
  if (dialog == nullptr) return;
  // The device is stopped while the recorder thread can still hand the
  // dialog its returned buffers; only then is the dialog unlisted.
  dialog->ShutDown();
  if (dialog->GetHandle() != nullptr && ::IsWindow(dialog->GetHandle())) dialog->Destroy(IDCANCEL);
  EnterCriticalSection(&dialogLock_);
  dialog_ = nullptr;
  LeaveCriticalSection(&dialogLock_);
  delete dialog;
}

void TAudioRecorder::FillDeviceList(DeviceListControl& list) {
  deviceCount_ = 0;
  WAVEINCAPS caps;
  if (waveInGetDevCaps(WAVE_MAPPER, &caps, sizeof caps) == MMSYSERR_NOERROR) {
    list.AddString(caps.szPname);
    deviceTable_[deviceCount_++] = -1;
  }
  const UINT count = waveInGetNumDevs();
  for (UINT i = 0; i < count && deviceCount_ < kMaxListed; ++i) {
    if (waveInGetDevCaps(i, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
    list.AddString(caps.szPname);
    deviceTable_[deviceCount_++] = static_cast<signed char>(i);
  }
  for (int i = 0; i < deviceCount_; ++i) {
    if (deviceTable_[i] == WaveInId) {
      list.SetSelIndex(i);
      break;
    }
  }
}

void TAudioRecorder::SelectDevice(int index) {
  if (deviceCount_ < 0 || index < 0 || index >= deviceCount_) return;
  WaveInId = deviceTable_[index];
  DevicePresent = ReadCaps();
  if (dialog_ != nullptr && dialog_->GetHandle() != nullptr)
    ::SendMessage(dialog_->GetHandle(), kRecNotice, 2, WaveInId);
}

void TAudioRecorder::NotifyMeters() {
  if (dialog_ != nullptr && dialog_->GetHandle() != nullptr)
    ::SendMessage(dialog_->GetHandle(), kRecNotice, 1, 0);
}
