// Fixtures of the video player tests: two installable test codecs that log
// what they are asked (a key/delta decompressor, and the same codec drawing
// by itself with a number of buffers), AVI files in their format, a
// scripted audio engine for the play clock, recording player hooks, a plain
// window standing in for the time-line, and a test case that sets all of it
// up with its own settings file and a fresh TheVideoPlayer.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "media/video_data.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/players.h"
#include "platform/codecs/vfw.h"
#include "platform/core/time.h"
#include "support/recording_boxes.h"
#include "support/test_env.h"
#include "video/player.h"
#include "video/player_hooks.h"
#include "video/sub_player.h"
#include "video_test_util.h"

namespace playertest {

// Frames of the test codecs hold {kind, value, frame low, frame high}: a key
// frame ('K') paints every byte of its 24-bit picture with value, a delta
// frame ('D') adds value to every byte, so a picture's grey tells whether it
// was decoded from the right chain.
constexpr FOURCC kKeyDelta = mmioFOURCC('K', 'D', 'L', 'T');
// The same pictures from a codec that draws them itself.
constexpr FOURCC kDrawing = mmioFOURCC('K', 'D', 'R', 'W');

// What the test codecs were asked, in order, from any thread.
class CodecLog {
 public:
  void Add(const std::string& line);
  std::vector<std::string> Lines();
  void Clear();
  // Lines that start with prefix.
  std::vector<std::string> Starting(const std::string& prefix);
  int Count(const std::string& prefix) { return static_cast<int>(Starting(prefix).size()); }

 private:
  std::mutex lock_;
  std::vector<std::string> lines_;
};

// How the test codecs behave; tests change it between steps.
struct CodecScript {
  std::atomic<bool> failDecompress{false};
  // Buffers the drawing codec wants; negative: it cannot tell.
  std::atomic<int> buffersWanted{0};
};

CodecLog& TheCodecLog();
CodecScript& TheCodecScript();
// Installs the key/delta decompressor (and the drawing codec) until the
// object goes; tests start with a fresh log and script.
class InstalledCodecs {
 public:
  explicit InstalledCodecs(bool withDrawing);
  ~InstalledCodecs();

 private:
  bool drawing_;
};

// The picture a frame shows: key frames every keyEvery frames.
struct KeyDeltaFrame {
  bool key;
  int value;
};
// Frame i of a file with a key frame every keyEvery frames shows grey i % 256.
std::vector<KeyDeltaFrame> Chain(int frames, int keyEvery);
// Writes a key/delta AVI of width × height at 25 fps.
void WriteKeyDeltaAvi(const std::string& path, const std::vector<KeyDeltaFrame>& frames, int width = 32,
                      int height = 24);
// A stream descriptor of the key/delta format.
struct StreamFormat {
  video_test::Format format;
  SubPlayerInfo Info() const {
    SubPlayerInfo info;
    info.kind = kVideoKindAvi;
    info.format = format.bi();
    info.formatSize = static_cast<int32_t>(sizeof(BITMAPINFOHEADER));
    return info;
  }
};
StreamFormat KeyDeltaStream(int width, int height);

// An audio engine whose output position and state the test sets.
class ScriptedAudio : public AudioEngine {
 public:
  bool PrepareRange(Film*, const MixSetup&, int32_t, int32_t, HWND, bool, bool) override { return false; }
  bool PrepareWaveForPlay(Film*, const MixSetup&, int32_t, int32_t) override { return false; }
  bool Resume() override { return false; }
  void Stop() override {}
  int32_t GetPosition() override { return position; }
  int32_t GetState() override { return state; }
  uint32_t SampleRate() override { return 44100; }
  uint32_t AvgBytesPerSec() override { return 176400; }
  uint32_t BlockAlign() override { return 4; }
  AudioSource* OpenSoundFile() override { return nullptr; }

  std::atomic<int32_t> position{-1};
  std::atomic<int32_t> state{1};
};

class RecordingPlayerHooks : public VideoPlayerHooks {
 public:
  RecordingPlayerHooks() { before_ = SetVideoPlayerHooks(this); }
  ~RecordingPlayerHooks() override { SetVideoPlayerHooks(before_); }
  void RedrawClips() override { ++tileRedraws; }
  void TimeLineZoomChanged() override { ++zoomChanges; }
  void ShowStatusText(const char* text) override { status.push_back(text); }
  int32_t SetFrameRate(float rate) override {
    rates.push_back(rate);
    return 77;
  }
  AudioEngine* Audio() override { return audio; }
  void RunTimeoutsDialog(HWND owner, const char* caption, int32_t count, bool* show) override {
    timeouts.push_back(count);
    timeoutCaptions.push_back(caption);
    if (show != nullptr) *show = keepShowing;
  }

  int tileRedraws = 0;
  int zoomChanges = 0;
  std::vector<std::string> status;
  std::vector<float> rates;
  std::vector<int32_t> timeouts;
  std::vector<std::string> timeoutCaptions;
  bool keepShowing = true;
  AudioEngine* audio = nullptr;

 private:
  VideoPlayerHooks* before_;
};

// A plain top-level window in place of the time-line: it keeps the
// commands and requests posted to it.
class NotifyWindow {
 public:
  NotifyWindow();
  ~NotifyWindow();
  HWND hwnd() const { return hwnd_; }
  struct Posted {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Posted>& posted();

 private:
  HWND hwnd_;
};

// Threads of this process now.
int ThreadCount();
// Waits (a short real time at most) until the process has count threads:
// an ended thread leaves the process a moment after it was joined.
int SettledThreadCount(int count);

// Polls (a short real time at most) until done says so: for what a thread
// does at once once the clock has moved.
bool WaitUntil(const std::function<bool()>& done);

// Films over [start, end) ms of a source from source time in, linked in a
// list that owns them.
void AddSegment(FilmListHead& list, VideoSource* source, int32_t in, int32_t start, int32_t end);

// A test with its own settings file, message boxes that answer OK and are
// kept, recording player hooks, the video sources reaching TheVideoPlayer,
// DrawDib and codec drawing on the window system, and a fresh
// TheVideoPlayer (deleted at the end, which writes its settings).
class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Opens a file as the program does and takes it into use (the player
  // gets its stream); released at the end.
  AVIVideoData* Use(const std::string& path);
  void EndUse(AVIVideoData* source);
  HWND Notify() const { return notify_->hwnd(); }
  SubVideoPlayer* Sub() const { return TheVideoPlayer->CurrentSubPlayer(); }
  AviSubPlayer* Avi() const { return dynamic_cast<AviSubPlayer*>(Sub()); }
  // Deletes the player (it writes its settings) and makes a new one.
  void RestartPlayer();

  ScopedSettingsHome home_;
  video_test::TempFolder folder_;
  RecordingBoxes boxes_;
  RecordingPlayerHooks hooks_;
  std::unique_ptr<NotifyWindow> notify_;
  std::vector<AVIVideoData*> used_;
  VideoSourceHooks* sourceHooksBefore_ = nullptr;
  PlayerVideoSourceHooks sourceHooks_;
  int threadsBefore_ = 0;
};

// The grey of a 24-bit picture's first pixel as the presenter got it: the
// pictures the window system was handed, in order.
std::vector<int> PresentedGreys();
void ClearPresented();

}  // namespace playertest
