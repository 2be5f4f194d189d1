// What the recorder's tests share: settings and files of their own, the
// virtual capture device with a signal the test knows, a file chooser that
// answers with the test's file, an owner window that notes the recorder's
// requests and answers them, and message boxes and beeps that are recorded.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_player.h"
#include "audio/audio_recorder.h"
#include "model/ini.h"
#include "model/message_box.h"
#include "platform/audio/virtual_audio.h"
#include "platform/classlib/classlib.h"
#include "support/test_env.h"
#include "ui/dialog_script.h"
#include "ui/fake_shell.h"
#include "ui/file_chooser_script.h"
#include "ui/level_control.h"

namespace rectest {

// The byte the virtual input produces at each offset.
inline BYTE SignalByte(ULONGLONG offset) {
  return static_cast<BYTE>((offset * 13 + (offset >> 9) * 7 + 1) & 0xFF);
}
inline std::vector<BYTE> SignalBytes(std::size_t n) {
  std::vector<BYTE> out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = SignalByte(i);
  return out;
}

class BoxesAndBeeps : public MessageBoxPresenter {
 public:
  BoxesAndBeeps() { previous_ = SetMessageBoxPresenter(this); }
  ~BoxesAndBeeps() override { SetMessageBoxPresenter(previous_); }
  int Show(HWND, const std::string& text, const std::string& caption, UINT) override {
    captions.push_back(caption);
    texts.push_back(text);
    return IDOK;
  }
  void Beep(UINT type) override { beeps.push_back(type); }
  std::vector<std::string> captions, texts;
  std::vector<UINT> beeps;

 private:
  MessageBoxPresenter* previous_;
};

// The time-line as the recorder sees it.
class OwnerStandIn : public TWindow {
 public:
  OwnerStandIn() : TWindow(nullptr, "Time-line") { Attr.Style = WS_OVERLAPPEDWINDOW; }
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_USER + 85:
        calls.push_back("move " + std::to_string(lp));
        cursor = static_cast<LONG>(lp);
        return 0;
      case WM_USER + 86:
        calls.push_back("cursor");
        return cursor;
      case WM_USER + 88:
        calls.push_back("stop");
        return 0;
      case WM_USER + 89:
        calls.push_back("play");
        return 0;
      case WM_USER + 90:
        calls.push_back("prepared?");
        return prepared;
      case WM_USER + 95:
        calls.push_back("done " + std::to_string(static_cast<LONG>(wp)) + " " +
                        (lp != 0 ? reinterpret_cast<const char*>(lp) : ""));
        if (TheAudioRecorder != nullptr) TheAudioRecorder->CloseDialog();
        return 0;
      case WM_USER + 96:
        calls.push_back("abandoned " + std::to_string(wp) + " " + std::to_string(lp));
        if (TheAudioRecorder != nullptr) TheAudioRecorder->CloseDialog();
        return 0;
      default:
        return TWindow::WindowProc(msg, wp, lp);
    }
  }
  std::vector<std::string> calls;
  LONG cursor = 1000;
  LRESULT prepared = 1;
};

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok());
    savedFormat_ = OutputFormat;
    savedLimit_ = Limit16;
    ASSERT_TRUE(BuildRecordFormat(22050, 2, 2, OutputFormat));
    Limit16 = TRUE;
    IniSetSection("Recorder");
    IniWriteInt("Wait", 0);
    IniWriteInt("Synchronize", 0);
    IniFlush();
    ResetDevices({VirtualDeviceSpec{}});
    owner_ = std::make_unique<OwnerStandIn>();
    ASSERT_TRUE(owner_->Create());
  }
  void TearDown() override {
    if (TheAudioRecorder != nullptr) {
      delete TheAudioRecorder;
      TheAudioRecorder = nullptr;
    }
    owner_.reset();
    GuiPumpMessages();
    OutputFormat = savedFormat_;
    Limit16 = savedLimit_;
  }

  void ResetDevices(std::vector<VirtualDeviceSpec> inputs) {
    VirtualAudio::Reset({VirtualDeviceSpec{}}, std::move(inputs));
    VirtualAudio::SetSignal(0, [](BYTE* d, std::size_t n, ULONGLONG offset) {
      for (std::size_t i = 0; i < n; ++i) d[i] = SignalByte(offset + i);
    });
  }

  // Makes the recorder and opens its window on the test's file.
  HWND Open() {
    if (TheAudioRecorder == nullptr) TheAudioRecorder = new TAudioRecorder;
    chooser_.answers.push_back({ChooserResult::kOk, file_, 1});
    TheAudioRecorder->Execute(owner_->GetHandle());
    Pump();
    TAudioRecorderDialog* d = TheAudioRecorder->Dialog();
    return d != nullptr ? d->GetHandle() : nullptr;
  }
  TAudioRecorderDialog* Dialog() {
    return TheAudioRecorder != nullptr ? TheAudioRecorder->Dialog() : nullptr;
  }
  void Pump() {
    TAudioRecorderDialog* d = Dialog();
    dialogtest::Pump(d != nullptr ? d->GetHandle() : nullptr);
  }
  void Press(int id) {
    HWND d = Dialog()->GetHandle();
    ::SendMessage(d, WM_COMMAND, static_cast<WPARAM>(id), 0);
    Pump();
  }
  // Prepare, record, capture ms of the signal, stop.
  void Take(DWORD ms) {
    Press(1484);
    Press(1484);
    VirtualAudio::Advance(ms);
    Press(1486);
  }
  std::vector<BYTE> FileBytes() const {
    std::ifstream in(file_, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Waits (real time) until the recorder thread has given the device back
  // after ending a take by itself.
  bool WaitDeviceBack() {
    for (int i = 0; i < 5000; ++i) {
      const int state = Dialog() != nullptr ? Dialog()->State() : 0;
      if (state == kRecIdle || state == kRecMonitoring) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }

  ScopedSettingsHome home_;
  ScopedEnv temp_{"TMPDIR", home_.path()};
  BoxesAndBeeps boxes_;
  FakeShell shell_;
  filetest::ScriptedChooser chooser_;
  std::unique_ptr<OwnerStandIn> owner_;
  std::string file_ = home_.File("take.wav");
  WAVEFORMATEX savedFormat_{};
  BOOL savedLimit_ = TRUE;
};

}  // namespace rectest
