// What the engine's tests share: a settings and temporary folder of their
// own, the SOUND section reset to its defaults, the virtual sound devices, and message
// boxes that are recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/audio_player.h"
#include "model/ini.h"
#include "model/message_box.h"
#include "platform/audio/virtual_audio.h"
#include "support/test_env.h"

struct RecordedBox {
  std::string text;
  std::string caption;
  UINT flags;
};

class RecordingPresenter : public MessageBoxPresenter {
 public:
  int Show(HWND, const std::string& text, const std::string& caption, UINT flags) override {
    boxes.push_back({text, caption, flags});
    return IDOK;
  }
  void Beep(UINT) override {}
  std::vector<RecordedBox> boxes;
};

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok());
    previous_ = SetMessageBoxPresenter(&boxes_);
    VirtualAudio::Reset();
    // Every key of the section back to its default.
    IniSetSection("SOUND");
    IniWriteString("Delay", "1.0");
    IniWriteString("PreviewLength", "0.1");
    IniWriteString("MaxPreviewLength", "1.0");
    IniWriteInt("Limit16", 1);
    IniWriteInt("DeclickType", 1);
    IniWriteString("InOutLength", "1.0");
    IniWriteInt("MaxBlockTrack", 4);
    IniWriteInt("MaxBlockRead", 16);
    IniWriteInt("MaxHdr", 4);
    IniWriteInt("Bits", 2);
    IniWriteInt("Channel_Count", 1);
    IniWriteInt("Ratio", 22050);
    IniWriteString("Sound_File", "C:\\KOBRIX.TMP");
    IniWriteInt("WaveOutId", 0);
    IniWriteString("KaiserBeta", "8.96");
    IniFlush();
  }
  void TearDown() override {
    TDataPipe::abort = 0;
    SetMessageBoxPresenter(previous_);
  }

  ScopedSettingsHome home_;
  ScopedEnv temp_{"TMPDIR", home_.path()};  // the sound file lands in the test's folder too
  RecordingPresenter boxes_;

 private:
  MessageBoxPresenter* previous_ = nullptr;
};
