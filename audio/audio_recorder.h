// The audio recorder: captures a wave-in device into a new RIFF WAVE file
// while the level meters show the input, optionally with the time-line
// playing from its cursor in step, so that the take lines up with the
// project.
//
// TAudioRecorder is made once at start-up (TheAudioRecorder): it keeps the
// chosen device, the recorder thread (the wave-in callback target for the
// program's life) and the one recorder window. TAudioRecorderDialog is the
// modeless "Audio Recorder" window: the device handle, the capture
// buffers, the file and the capture state machine.
//
// Threads: the recorder thread writes returned buffers to the file and
// feeds the meters, under the dialog's lock; everything else (timers,
// control states, meter clearing, message boxes) happens on the main
// thread, to which the recorder thread posts.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "audio/audio_player.h"
#include "platform/audio/wave.h"
#include "platform/core/sync.h"
#include "platform/riff/riff.h"
#include "ui/level_control.h"
#include "ui/te_dialog.h"

class TComboBox;
class TIntEdit;
class TLabelControl;
class TAudioRecorderDialog;

// Requests to the owner (the time-line window).
constexpr UINT kRecAskMoveCursor = WM_USER + 85;  // (0, ms)
constexpr UINT kRecAskCursor = WM_USER + 86;      // -> ms
constexpr UINT kRecAskStop = WM_USER + 88;
constexpr UINT kRecAskPlay = WM_USER + 89;
constexpr UINT kRecAskPrepared = WM_USER + 90;  // -> non-zero when prepared
constexpr UINT kRecDone = WM_USER + 95;         // posted (start cursor, file name)
constexpr UINT kRecAbandoned = WM_USER + 96;    // posted (2, 0)
constexpr UINT kRecNotice = WM_USER + 99;

// Capture states.
enum RecorderState : int {
  kRecIdle = 1,
  kRecRecording = 2,
  kRecPrepared = 3,
  kRecStopRequested = 7,
  kRecError = 8,
  kRecMonitoring = 9,
  kRecStoppingMonitor = 10,
};

// A record format for (rate, channels, sample code 1..7); false, with
// format untouched, for more than two channels, a rate below 5000 Hz or
// from 2,415,919,104 Hz, or a code outside 1..7.
bool BuildRecordFormat(DWORD rate, int channels, int code, WAVEFORMATEX& format);

// What writes the LIST INFO chunk of a finished recording at the file's
// position (the program installs the project's summary); without one the
// engine's date and software texts are written.
using RecorderInfoWriter = bool (*)(HMMIO file);

class TAudioRecorder {
 public:
  TAudioRecorder();
  ~TAudioRecorder();
  TAudioRecorder(const TAudioRecorder&) = delete;
  TAudioRecorder& operator=(const TAudioRecorder&) = delete;

  // Opens the recorder window for owner, asking for the file first; raises
  // a window already open.
  void Execute(HWND owner);
  // Closes and deletes the window; the owner calls it on WM_USER+95/+96.
  void CloseDialog();
  void FillDeviceList(DeviceListControl& list);
  void SelectDevice(int index);
  // Repaints the open window's meters (WM_USER+99 code 1).
  void NotifyMeters();

  TAudioRecorderDialog* Dialog() const { return dialog_; }
  DWORD ThreadId() const { return threadId_; }
  // The recorder thread passes each message here.
  void DispatchWaveIn(const MSG& message);

  static void SetInfoWriter(RecorderInfoWriter writer);
  static RecorderInfoWriter InfoWriter();

  int WaveInId = 0;
  bool DevicePresent = false;
  bool EnableDelay = false;
  int Delay = 50;

 private:
  static DWORD ThreadProc(void* recorder);
  bool ReadCaps();

  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  CRITICAL_SECTION dialogLock_;
  TAudioRecorderDialog* dialog_ = nullptr;
  char fileName_[MAX_PATH] = {};
  HWND owner_ = nullptr;
  signed char deviceTable_[20] = {};
  int deviceCount_ = -1;
};

extern TAudioRecorder* TheAudioRecorder;

class TAudioRecorderDialog : public TEDialog {
 public:
  TAudioRecorderDialog(TWindow* parent, const char* fileName, HMMIO file, HWND owner,
                       const WAVEFORMATEX& format, int device, bool enableDelay, int delay);
  ~TAudioRecorderDialog() override;

  void SetupWindow() override;
  void CleanupWindow() override;

  // Capture operations (the buttons).
  void PrepareOrRecord();
  void StopTake();
  void WindToStart();
  void WindToEnd();
  void Finish();
  void Abandon();
  void StartMonitor();
  void StopMonitor();
  // Stops the device and removes an unfinished file (the program ending).
  void ShutDown();

  // Recorder thread.
  void OnWaveInMessage(const MSG& message);

  int State() const { return state_.load(); }
  const WAVEFORMATEX& RecordFormat() const { return recordFormat; }
  DWORD BlockSize() const { return blockSize; }
  DWORD Blocks() const { return blocks; }
  TAudioMeter& Meter() { return meter; }
  int DeviceNumber() const { return device; }
  bool MeterShown() const { return meterShown; }

  // The most data bytes a take may hold; tests lower it.
  static void SetDataLimit(ULONGLONG bytes);

 protected:
  void CmPrepare() { PrepareOrRecord(); }
  void CmStop() { StopTake(); }
  void CmWindStart() { WindToStart(); }
  void CmWindEnd() { WindToEnd(); }
  void CmFinish() { Finish(); }
  void CmAbandon() { Abandon(); }
  void CmAdvanced();
  void CmMeter();
  void CmSynchronize();
  void CmOnTop();
  void CmVolumeControl();
  void EvTimer(UINT id);
  LRESULT EvNotice(WPARAM code, LPARAM arg);
  LRESULT EvMove(WPARAM, LPARAM);

 private:
  struct Buffer {
    WAVEHDR header;
    std::unique_ptr<BYTE[]> data;
    // Added to the open device and not yet named by its notice. The header's
    // own flags are the device's to write while it holds it, so the
    // recorder goes by this note (under the lock) instead.
    bool held = false;
  };

  void SetDevice(int number);
  void ApplyFormat();
  void ReapplyFormat();
  void ShowFormat();
  void FillBitsList();
  bool OpenForRecording();
  bool QueueCaptureBuffers();
  bool QueueMonitorBuffers();
  DWORD BufferLength(DWORD bytes, const WAVEFORMATEX& format) const;
  bool WriteHeaders();
  bool WriteBlock(const WAVEHDR& header);
  bool FinishFile();
  void RequestStop();
  void CloseDevice();    // caller holds lock
  void ForgetBuffers();  // caller holds lock
  bool WaitClosed();
  // Stops the capture at once and waits for the device to close.
  void ResetDevice();
  void RestartMonitor();
  void EndForcedTake();
  void StartTake();
  void LockControls(bool locked);
  void SetStatus(const char* text);
  void ShowTime(ULONGLONG samples);
  LRESULT AskOwner(UINT msg, WPARAM wp, LPARAM lp);
  void VolumeStart();
  void VolumeStop();
  void ShowVolumeWindow();
  void MoveVolumeWindow();
  void ClearMeters();
  int ReadWait();
  LONG FilePosition();
  void CloseAndDeleteFile();

  char fileName[MAX_PATH] = {};
  HMMIO file = nullptr;
  HWND owner = nullptr;
  int device = 0;
  std::atomic<HWAVEIN> waveIn{nullptr};
  std::atomic<int> state_{kRecIdle};
  WAVEFORMATEX recordFormat{};
  WAVEFORMATEX monitorFormat{};
  int layoutCode = 2;
  bool accepted = false;
  DWORD blockSize = 32768;
  DWORD blocks = 16;
  std::vector<Buffer> buffers;
  DWORD nextBuffer = 0;
  DWORD queued = 0;
  DWORD inUse = 0;  // buffers of the current open
  MMCKINFO riffChunk{};
  MMCKINFO chunk{};
  bool headersWritten = false;
  DWORD dataStart = 0;
  ULONGLONG endOffset = 0;
  ULONGLONG samplesBefore = 0;
  LONG startCursor = -1;
  LONG endCursor = -1;
  int wait = 3;
  bool synchronize = true;
  std::atomic<bool> meterShown{true};
  bool onTop = false;
  bool volumeControl = false;
  bool enableDelay = false;
  int delay = 50;
  bool volumeHeld = false;
  bool restartMonitor = false;
  bool writeFailed = false;
  bool takeRunning = false;
  TAudioMeter meter;
  CRITICAL_SECTION lock;
  HANDLE closed = nullptr;

  TComboBox* rateList = nullptr;
  TComboBox* bitsList = nullptr;
  TIntEdit* waitEdit = nullptr;

  DECLARE_RESPONSE_TABLE(TAudioRecorderDialog);
};
