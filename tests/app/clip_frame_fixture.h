// The clip frame as the application makes it, with an application that
// records what the frame asks of it, settings and media in folders of the
// test's own, scripted boxes and file dialogs.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/clip_frame.h"
#include "clips/clip_collection.h"
#include "media/audio_source_hooks.h"
#include "platform/classlib/command_enabler.h"
#include "platform/gui/gui_driver.h"
#include "support/recording_boxes.h"
#include "support/test_env.h"
#include "ui/fake_shell.h"
#include "ui/file_chooser_script.h"

namespace clipframetest {

class RecordingApp : public ClipFrameHost {
 public:
  void ShowProject() override { ++projectShown; }
  void SetMessengerCollection(HWND collection) override { messenger.push_back(collection); }
  void ClipFrameDestroyed(TClipFrame* frame) override { destroyed = frame; }
  void ReapplyTimeSettings() override { ++reapplied; }

  int projectShown = 0;
  int reapplied = 0;
  std::vector<HWND> messenger;
  TClipFrame* destroyed = nullptr;
};

// The engine plays 16-bit stereo at 44100 Hz, so such files need no question.
class CdOutput : public AudioSourceHooks {
 public:
  CdOutput() { before_ = SetAudioSourceHooks(this); }
  ~CdOutput() override { SetAudioSourceHooks(before_); }
  WAVEFORMATEX OutputFormat() override;
  std::string SoundFileName() override { return ""; }
  void RedrawClipsOfAudio(AudioData*) override {}
  bool RefreshChangedSources(HWND, bool, bool, AudioData*) override { return false; }

 private:
  AudioSourceHooks* before_;
};

// 16-bit stereo 44100 Hz PCM of ms milliseconds.
void WriteWave(const std::string& path, int ms);

class ClipFrameTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The frame as the application shows it first (load: read the current
  // collection).
  TClipFrame& Show(bool load = false, bool commandLine = false);
  // The user closes it.
  void CloseFrame();
  ClipCollection& Collection() { return *frame_->Collection(); }

  std::string Media(const std::string& name) const { return media_.File(name); }
  std::string Wave(const std::string& name, int ms = 500);
  // A file as a tile at the end.
  void Add(const std::string& path);
  void Command(int id) { frame_->SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }
  bool Enabled(int id);
  std::string Caption() const;
  std::vector<std::string> Names() const;
  // The texts of the File menu's items.
  std::vector<std::string> FileMenu() const;
  void Ini(const char* key, const char* value);
  std::string IniValue(const char* key);

  ScopedEnv quickTemp_{"TMPDIR", QuickTempFolder()};
  ScopedSettingsHome home_;
  TestFolder media_{"Kobrix-Clips"};
  CdOutput output_;
  FakeShell shell_;
  filetest::ScriptedChooser chooser_;
  RecordingBoxes boxes_{IDNO};
  RecordingApp app_;
  ClipFrameShell frameShell_;
  CollectionShell* savedShell_ = nullptr;
  TClipFrame* frame_ = nullptr;
};

}  // namespace clipframetest
