// The time-line window in a frame like the project frame: the time-line's
// keys, a menu bar whose third popup is View and sixth is Tools, and a tool
// bar around Stop that takes the frame-step buttons. The players are the
// playback tests' fakes writing one log; the program's side of the commands
// (autosave, recorder, the video writers) is recorded.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/play_fakes.h"
#include "platform/classlib/gadgets.h"
#include "platform/core/time.h"
#include "timeline/commands/command_host.h"
#include "timeline/commands/commands_fixture.h"

namespace transporttest {

using timelinetest::CommandFrame;

// The players, with a video player that holds a stream, and a sound recorder
// nobody has opened.
class Players : public playtest::PlayPlayers {
 public:
  Players() { videoPlayer.useCount = 1; }
  bool tapeThere = true;
  TapeControl* Tape() override { return tapeThere ? &vtr : nullptr; }
};

// Menu ids of the test frame's own that stand for the items around ours.
constexpr int kOtherItem = 9000;

class TransportFrame : public CommandFrame, public FrameStepButtons {
 public:
  explicit TransportFrame(TWindow* client);
  ~TransportFrame() override;
  void SetupWindow() override;

  TGadgetWindow* ToolBar() override { return bar; }
  TGadget& PreviousFrameButton() override { return *previous; }
  TGadget& NextFrameButton() override { return *next; }
  bool FrameStepShown() override { return stepsShown; }
  void SetFrameStepShown(bool shown) override { stepsShown = shown; }
  LRESULT EvRequest(WPARAM code, LPARAM) {
    requests.push_back(static_cast<int>(code));
    return 0;
  }

  // The ids of the tool bar's gadgets in order.
  std::vector<int> Gadgets() const;
  HMENU Popup(int position) const { return GetSubMenu(::GetMenu(GetHandle()), position); }

  TControlBar* bar = nullptr;
  TGadget* previous = nullptr;
  TGadget* next = nullptr;
  bool stepsShown = false;
  // The requests the frame got (WM_USER + 99), in order.
  std::vector<int> requests;
  DECLARE_RESPONSE_TABLE(TransportFrame);
};

// What the commands asked of the program.
class RecordingCommandHost : public CommandHost {
 public:
  RecordingCommandHost() { before_ = SetCommandHost(this); }
  ~RecordingCommandHost() override { SetCommandHost(before_); }

  void ForceAutoSave() override { ++autosaves; }
  void RecordAudio(HWND) override {
    ++recordings;
    recording = true;
  }
  bool IsRecording() override { return recording; }
  void CloseRecorder() override {
    ++recorderCloses;
    recording = false;
  }

  struct Written {
    bool mpeg;
    std::vector<playtest::Seg> segments;
    int32_t parts, start, end;
    std::string path;
    MixSetup mix;
    int64_t soundBytes;  // of the engine's mix stream, -1 when none was begun
  };
  bool Recompress(HWND, Film* segments, int32_t parts, int32_t start, int32_t end, const char* path) override;
  bool ExportMpeg(HWND, Film* segments, Film*, int32_t parts, const MixSetup& mix, int32_t start, int32_t end,
                  const char* path) override;

  int autosaves = 0, recordings = 0, recorderCloses = 0;
  bool recording = false;
  std::vector<Written> written;
  // The writers put a file at the path, then succeed or not.
  bool writersSucceed = true;

 private:
  bool Write(Written w);
  CommandHost* before_;
};

class TransportTest : public timelinetest::CommandsTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The window in its frame with the fake players, or with players.
  MainTimeLineWindow& OpenTransport(int w = 1000, int h = 700, TimeLinePlayers* players = nullptr);
  TransportFrame& Frame() { return *static_cast<TransportFrame*>(frame_); }
  TimeLineEngine& Engine() { return window_->Engine(); }

  // Hands out what was posted: the replay, the messages to the window and
  // the frame's requests.
  void Pump() { GuiPumpMessages(); }
  // One tick of the play timer, and what it posts.
  void Tick() {
    window_->SendMessage(WM_TIMER, 1, 0);
    Pump();
  }
  // The log's entries that start with prefix.
  std::vector<std::string> LogOf(const std::string& prefix) const;

  // A video clip of its own source on row at [start, end).
  Film* VideoClip(int32_t row, int32_t start, int32_t end);
  // A sound clip of its own source on line at [start, end).
  Film* SoundClip(int32_t line, int32_t start, int32_t end);
  // A MIDI clip at [start, end).
  Film* MidiClip(int32_t start, int32_t end);
  // A path of exactly length characters in the test's folder, ending in
  // leaf, its folders made.
  std::string PathOfLength(std::size_t length, const std::string& leaf);

  Players players_;
  RecordingCommandHost host_;

 private:
  int serial_ = 0;
};

}  // namespace transporttest
