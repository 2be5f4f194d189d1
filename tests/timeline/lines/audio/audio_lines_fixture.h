// The audio lines in the time-line window, driven with the mouse and the
// keys as a user drives them: fake sources where only lengths count, sine
// WAVE files made by sox where the sound is drawn, and recorded what the
// lines ask of the time-line's other parts.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "media/audio_data.h"
#include "model/changed_ranges.h"
#include "model/players.h"
#include "platform/core/time.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/line_fixture.h"
#include "timeline/window/timeline_colors.h"
#include "timeline/window/timeline_fixture.h"

namespace audiolinetest {

using namespace timelinetest;
using namespace linetest;

// The audio engine as far as the lines use it: the ranges it is asked to
// prepare are kept.
class RecordingAudio : public AudioEngine {
 public:
  bool PrepareRange(Film*, const MixSetup&, int32_t start, int32_t end, HWND, bool, bool) override {
    prepared.push_back({start, end});
    return true;
  }
  bool PrepareWaveForPlay(Film*, const MixSetup&, int32_t, int32_t) override { return false; }
  bool Resume() override { return true; }
  void Stop() override {}
  int32_t GetPosition() override { return -1; }
  int32_t GetState() override { return 0; }
  uint32_t SampleRate() override { return 44100; }
  uint32_t AvgBytesPerSec() override { return 44100 * 4; }
  uint32_t BlockAlign() override { return 4; }
  AudioSource* OpenSoundFile() override { return nullptr; }
  std::vector<Point> prepared;
};

class SoundPlayers : public TimeLinePlayers {
 public:
  bool AudioUsable() override { return true; }
  AudioEngine* Audio() override { return &audio; }
  RecordingAudio audio;
};

class AudioLineTest : public TimeLineTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  MainTimeLineWindow* MakeWindow(TimeLinePlayers* players) override {
    return new RecordingTimeLine(nullptr, players != nullptr ? players : &sound_);
  }

  // The window with lines at the zoom steps given (the rest at step 1),
  // one ms a pixel from time 0 unless zoomed again, in a frame height high.
  // players: the program's players (null: none).
  RecordingTimeLine& OpenLines(std::vector<int32_t> zooms = {}, TimeLinePlayers* players = nullptr,
                               int height = 700);
  // ms per pixel from time 0.
  void Zoom(int32_t msPerPixel);
  // Every colour the lines draw with differs from the others.
  void DistinctColors();
  COLORREF Pixel(int x, int y) { return GuiReadPixel(Lines().GetHandle(), x, y); }
  // The columns in [x0, x1) with colour c somewhere in rows [y0, y1).
  std::vector<int> ColumnsWith(COLORREF c, int x0, int x1, int y0, int y1);
  // The rows in [y0, y1) of column x with colour c.
  std::vector<int> RowsWith(COLORREF c, int x, int y0, int y1);
  TAudioLines& Lines() { return *tl_->AudioLines(); }
  TimeLineEngine& Engine() { return tl_->Engine(); }
  const TrackRecord& Row(int32_t line) { return Engine().audioPanel[line]; }

  // A sine WAVE file of frequency made by sox (once a run) at rate with
  // channels, its peaks at full scale, length seconds long (sox's words); a
  // second channel is at half the amplitude and twice the frequency. Opened
  // as a shared source; fails the test without sox.
  AudioData* Sine(int rate, int channels, const std::string& length = "1", int frequency = 100);
  // A clip on line from start (ms) showing [in, out) of audio.
  Film* Clip(AudioSource* audio, int32_t line, int32_t start, int32_t in, int32_t out,
             const char* name = "clip");
  // No clips, no undo steps, not modified, one ms a pixel.
  void ClearProject();
  // The clip's line changed over nothing yet.
  void ForgetChanges();

  // The mouse on the audio lines' client area.
  POINT Screen(int x, int y);
  void Move(int x, int y);
  void Press(int x, int y);
  void Release(int x, int y);
  void Click(int x, int y, int button = 0);
  void DoubleClick(int x, int y);
  // The next click stands alone (no double-click).
  void Later() { clock_.Advance(1000); }
  void Key(int vk, bool down);
  // A right click at client (x, y): what the menu showed, after choosing
  // command there.
  std::vector<std::string> RightClick(int x, int y, UINT command = 0);
  // Client y of a line's middle, of its marks, and of a volume point's
  // fader position (a gain index) at unity gains.
  int Middle(int32_t line) { return Row(line).middle; }
  int MarkY(int32_t line) { return Row(line).bottom - 3; }
  int VolumeY(int32_t line, int32_t gain);
  HCURSOR ZoneCursor(int32_t zone) { return tl_->Cursor(ZoneCursorId(zone)); }

  TestClock clock_;
  std::array<COLORREF, kTimeLineColorCount> savedColors_{};
  SoundPlayers sound_;
  RecordingTimeLine* tl_ = nullptr;
  std::vector<AudioData*> sources_;
};

}  // namespace audiolinetest
