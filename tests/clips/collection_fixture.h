// The clip collection in a frame of the test's own, with settings in a
// folder of their own, media files the tests write (WAVE, AVI and MIDI by
// hand, others by sox and ffmpeg when they are installed), a recording
// frame and scripted boxes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "clips/clip_collection.h"
#include "clips/collection_shell.h"
#include "media/audio_source_hooks.h"
#include "media/video_data.h"
#include "model/media_interfaces.h"
#include "platform/audioconv/acm.h"
#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"
#include "support/recording_boxes.h"
#include "support/test_env.h"

namespace cliptest {

using Bytes = std::vector<unsigned char>;

// ---- Media files.

// PCM (tag 1) of ms milliseconds; the samples a slow ramp.
void WriteWave(const std::string& path, int rate, int channels, int bits, int ms);
// 24-bit frames of width x height, each one colour (frame n: blue n, green
// 2n, red 255 - n); with sound, 16-bit stereo 44100 Hz for the first
// soundFrames frames (all when negative).
void WriteAvi(const std::string& path, int width, int height, double fps, int frames, bool sound,
              int soundFrames = -1);
// One track of two quarter notes at 120 beats a minute: 1000 ms.
void WriteMidi(const std::string& path);

// Whether window shows the part (sx, sy, sw, sh) of the stock bitmap id at
// (x, y) of its client area.
bool ShowsStockBitmap(HWND window, int id, int x, int y, const TRect& part);

bool HaveTool(const char* tool);
bool RunCommand(const std::string& command, Bytes* output = nullptr);

// ---- What the collection asks of its frame, recorded.
class RecordingShell : public CollectionShell {
 public:
  RecordingShell() { before_ = SetCollectionShell(this); }
  ~RecordingShell() override { SetCollectionShell(before_); }
  void ShowModified(bool modified) override { captions.push_back(modified); }
  void ShowViewMode(int mode) override { viewModes.push_back(mode); }
  void ShowSkipMode(int mode) override { skipModes.push_back(mode); }
  void ShowClipStatus(const char* in, const char* out, const char* duration, const char* path) override {
    status = {in, out, duration, path};
  }
  bool SavePostage() override { return postage; }
  bool SaveWaveform() override { return waveform; }
  // The project takes the rate or format, as the application does when the
  // time-line agrees.
  void SetFrameRateFromVideo(VideoData* video) override;
  void SetAudioFormat(int rate, int channels, int sampleType) override;

  std::vector<bool> captions;
  std::vector<int> viewModes;
  std::vector<int> skipModes;
  std::vector<std::string> status{"?", "?", "?", "?"};
  bool postage = true;
  bool waveform = true;
  struct Format {
    int rate, channels, sampleType;
    bool operator==(const Format&) const = default;
  };
  std::vector<VideoData*> frameRatesFrom;
  std::vector<Format> formats;
  // Where a taken format goes (null: nowhere).
  WAVEFORMATEX* output = nullptr;

 private:
  CollectionShell* before_;
};

// The engine's output format: 16-bit stereo 44100 Hz, so that such files
// play directly.
class OutputHooks : public AudioSourceHooks {
 public:
  OutputHooks() { before_ = SetAudioSourceHooks(this); }
  WAVEFORMATEX format = StereoCd();
  static WAVEFORMATEX StereoCd();
  ~OutputHooks() override { SetAudioSourceHooks(before_); }
  WAVEFORMATEX OutputFormat() override;
  std::string SoundFileName() override { return ""; }
  void RedrawClipsOfAudio(AudioData*) override {}
  bool RefreshChangedSources(HWND, bool, bool, AudioData*) override { return false; }

 private:
  AudioSourceHooks* before_;
};

// Picks the first PCM format of 16 bits in the converter's list.
class PcmChooser : public AcmFormatChooserUi {
 public:
  PcmChooser() { before_ = SetAcmFormatChooserUi(this); }
  ~PcmChooser() override { SetAcmFormatChooserUi(before_); }
  int Choose(HWND, LPCSTR, const std::vector<AcmFormatChoice>& choices, int) override {
    ++calls;
    for (size_t i = 0; i < choices.size(); ++i)
      if (choices[i].format.wFormatTag == WAVE_FORMAT_PCM && choices[i].format.wBitsPerSample == 16)
        return static_cast<int>(i);
    return -1;
  }
  int calls = 0;

 private:
  AcmFormatChooserUi* before_;
};

// The media layer's look-ups by file name.
class SourcesByName : public MediaServices {
 public:
  SourcesByName() { before_ = SetMediaServices(this); }
  ~SourcesByName() override { SetMediaServices(before_); }
  VideoSource* FindVideoByName(const char* name) override { return AVIVideoData::FindByName(name); }
  AudioSource* FindAudioByName(const char* name) override { return AudioData::FindByName(name); }
  MidiSource* FindMidiByName(const char* name) override { return MidiData::Find(name); }

 private:
  MediaServices* before_;
};

class CollectionTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A value in the test's settings file, before the collection reads it.
  void Ini(const char* key, const char* value);
  std::string IniValue(const char* key);

  // The collection in a frame, its scroll window's client area (without
  // bars) width x height.
  ClipCollection& Open(int width = 600, int height = 400, int orientation = 1);
  // The same with a collection the test made.
  ClipCollection& OpenWith(ClipCollection* collection, int width = 600, int height = 400);
  // The frame Open makes: where, how large, and its key table (0: none).
  TRect frameRect_{20, 20, 1220, 920};
  int accelerators_ = 0;
  // Closes the frame with the collection in it.
  void Close();
  // Sizes the scroll window's client area, as the frame does when the user
  // sizes it.
  void SizeView(int width, int height);
  TEScrollWindow* Scroll() const;

  std::string Media(const std::string& name) const { return media_.File(name); }
  // A written file (WAVE for ".wav", MIDI for ".mid", AVI otherwise).
  std::string Wave(const std::string& name, int ms = 1000, int rate = 44100, int channels = 2);
  std::string Avi(const std::string& name, int frames = 25, double fps = 25.0, bool sound = true);

  // A tile's place in the collection's client area.
  TRect PlaceOf(ClipWindow* tile) const;

  ScopedEnv quickTemp_{"TMPDIR", QuickTempFolder()};
  ScopedSettingsHome home_;
  TestFolder media_{"kobrix-clips"};
  OutputHooks output_;
  RecordingShell shell_;
  TFrameWindow* frame_ = nullptr;
  ClipCollection* collection_ = nullptr;
};

}  // namespace cliptest
