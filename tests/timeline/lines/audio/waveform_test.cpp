// A clip's sound on the audio lines: the overview's peaks where they belong
// for mono and stereo sources at each height, the waveform setting, and the
// exact waveform that idle time draws once the overview is too coarse.
#include <algorithm>
#include <memory>

#include "audio_lines_fixture.h"
#include "media/progress_hooks.h"
#include "media/wave_overview.h"

namespace audiolinetest {
namespace {

class Waveform : public AudioLineTest {
 protected:
  std::vector<int> WaveRows(int x, int32_t line) {
    return RowsWith(TimeLineColors[kColorWaveform], x, Row(line).top, Row(line).bottom + 1);
  }
  // Sixteen pixels a millisecond: two a sample at 8 kHz.
  void CloseUp() {
    Engine().scale = 1000;
    Engine().factor = 16000;
    Engine().origin = 0;
    Engine().UpdateScrollRange();
    Engine().RecalcClipOrigins();
    tl_->InvalidateAll();
    GuiPumpMessages();
  }
  // Whether the waveform runs through each point.
  int Hits(const std::vector<POINT>& points) {
    int n = 0;
    for (const POINT& p : points) n += Pixel(p.x, p.y) == TimeLineColors[kColorWaveform];
    return n;
  }
};

TEST_F(Waveform, PeaksSitWhereTheirLineAndChannelPutThem) {
  const struct {
    int channels;
    int32_t zoom;
    std::vector<std::pair<int, int>> spans;  // rows of the line drawn, inclusive
  } cases[] = {
      {1, 0, {{0, 95}}},
      {1, 1, {{0, 47}}},
      {1, 2, {{0, 23}}},
      // Left above the middle at half height (here at half amplitude too),
      // right above the bottom: full scale is 47 pixels at height 96.
      {2, 0, {{47 - 191 * 96 / 512, 47 - 64 * 96 / 512}, {95 - 47, 95}}},
      {2, 1, {{23 - 191 * 48 / 512, 23 - 64 * 48 / 512}, {47 - 23, 47}}},
  };
  for (const auto& c : cases) {
    if (tl_ != nullptr) {
      ClearProject();
      Close();
    }
    OpenLines({c.zoom});
    DistinctColors();
    tl_->Settings().profileMode = kProfileVolumeOnly;
    Engine().audioPanel[0].gain = 0;  // the profile at the bottom, out of the way
    Zoom(10);                          // a period of the sine in each column
    AudioData* sine = Sine(8000, c.channels);
    ASSERT_NE(sine, nullptr);
    Clip(sine, 0, 100, 0, 1000);  // x 10 .. 110
    GuiPumpMessages();
    std::vector<int> expected;
    for (const auto& [from, to] : c.spans) {
      for (int y = from; y <= to; ++y) expected.push_back(y);
    }
    for (int x : {60, 95}) {
      std::vector<int> rows = WaveRows(x, 0);
      // The volume profile lies on the bottom row.
      rows.erase(std::remove(rows.begin(), rows.end(), Row(0).bottom), rows.end());
      expected.erase(std::remove(expected.begin(), expected.end(), Row(0).bottom), expected.end());
      EXPECT_EQ(rows, expected) << c.channels << " channels at step " << c.zoom << ", x " << x;
    }
  }
}

TEST_F(Waveform, TheSettingHidesAsksForOrNeverAsksForTheExactWaveform) {
  OpenLines({0});
  DistinctColors();
  AudioData* sine = Sine(8000, 1);
  ASSERT_NE(sine, nullptr);
  Clip(sine, 0, 0, 0, 1000);
  Clip(Audio("other.wav", 10000), 1, 0, 0, 50);
  CloseUp();  // two pixels an overview entry
  const struct {
    int32_t quality;
    bool drawn, asked;
  } cases[] = {{-1, false, false}, {0, true, false}, {1, true, true}};
  for (const auto& c : cases) {
    tl_->Settings().waveformQuality = c.quality;
    // While a clip is dragged the lines draw from the overview.
    Press(300, Middle(1));
    Move(340, Middle(1));
    ASSERT_TRUE(Lines().IsDragging());
    tl_->InvalidateAll();
    GuiPumpMessages();
    EXPECT_EQ(!ColumnsWith(TimeLineColors[kColorWaveform], 100, 900, 0, Row(0).bottom).empty(), c.drawn)
        << c.quality;
    Film* f = Film::FindByLine(10, kKindAudio, 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->audioState, c.asked ? 2 : 0) << c.quality;
    Release(340, Middle(1));
    EXPECT_TRUE(Engine().CmUndo());
  }
}

TEST_F(Waveform, IdleTimeDrawsTheAskedForClipFromItsSamples) {
  OpenLines({0});
  DistinctColors();
  tl_->Settings().profileMode = kProfileVolumeOnly;
  Engine().audioPanel[0].gain = 0;
  // Long enough for an overview entry to stand for two samples; fast enough
  // for neighbouring samples to differ.
  AudioData* sine = Sine(8000, 1, "5", 1000);
  ASSERT_NE(sine, nullptr);
  Film* f = Clip(sine, 0, 0, 0, 5000);
  Clip(Audio("other.wav", 10000), 1, 0, 0, 50);
  tl_->Settings().waveformQuality = 1;
  CloseUp();
  // The samples' points, two pixels apart, from their 8-bit values; not
  // those on the bottom row, where the profile lies.
  const int first = 50, count = 100;
  std::vector<BYTE> peaks(count);
  ScanPeaks(sine, peaks.data(), first, count);
  std::vector<POINT> exact;
  for (int k = 0; k < count; ++k) {
    const int y = 95 - peaks[k] * 96 / 256;
    if (y != 95) exact.push_back({2 * (first + k), y});
  }
  const int n = static_cast<int>(exact.size());
  // Not drawn so from the overview while something is dragged.
  Press(300, Middle(1));
  Move(340, Middle(1));
  tl_->InvalidateAll();
  GuiPumpMessages();
  ASSERT_EQ(f->audioState, 2);
  EXPECT_LT(Hits(exact), n * 3 / 4);
  EXPECT_TRUE(Lines().DrawPendingClip(f));
  EXPECT_EQ(f->audioState, 0);
  EXPECT_EQ(Hits(exact), n);
  Release(340, Middle(1));
  // Out of sight, the asked-for redraw is dropped and nothing is drawn.
  Engine().origin = 6000;
  Engine().UpdateScrollRange();
  f->audioState = 2;
  EXPECT_TRUE(Lines().DrawPendingClip(f));
  EXPECT_EQ(f->audioState, 0);
}

// Idle time may come while a paint runs (a long overview is built behind
// a progress dialog, which passes on messages): the redraw waits.
class IdleDuringPaint : public ProgressHooks, public ProgressDialog {
 public:
  explicit IdleDuringPaint(std::function<bool()> idle) : idle_(std::move(idle)) { before_ = SetProgressHooks(this); }
  ~IdleDuringPaint() override { SetProgressHooks(before_); }
  ProgressDialog* OpenTermometer(const char*, const char*, LONG, bool, HWND) override { return this; }
  void CloseTermometer(ProgressDialog** holder) override { *holder = nullptr; }
  bool SetProgress(LONG) override {
    answers.push_back(idle_());
    return true;
  }
  std::vector<bool> answers;

 private:
  std::function<bool()> idle_;
  ProgressHooks* before_;
};

TEST_F(Waveform, TheIdleRedrawWaitsWhileAPaintRuns) {
  OpenLines({0});
  FakeCollection collection;
  Engine().SetClipCollection(&collection);
  AudioData* sine = Sine(8000, 1, "11");  // long enough for a progress dialog
  ASSERT_NE(sine, nullptr);
  Film* pending = Clip(Audio("a.wav", 10000), 1, 0, 0, 100);
  pending->audioState = 2;
  IdleDuringPaint idle([&] { return Lines().DrawPendingClip(pending); });
  Clip(sine, 0, 0, 0, 11000);
  tl_->InvalidateAll();
  GuiPumpMessages();
  ASSERT_FALSE(idle.answers.empty());
  EXPECT_EQ(std::count(idle.answers.begin(), idle.answers.end(), true), 0);
  EXPECT_GE(sine->peakByteCount, 2);
  // A freshly built overview is only a cache: nothing asks to be saved.
  EXPECT_FALSE(collection.clipsModified);
  EXPECT_TRUE(Lines().DrawPendingClip(pending));
  Engine().SetClipCollection(nullptr);
}

// A source of length ms whose overview holds entries peaks.
class ShortSource : public AudioData {
 public:
  ShortSource(LONG ms, LONG entries) : AudioData("/memory/short.wav") {
    referenceCount = 1;
    error = 0;
    AllocateFormat(18);
    format->wFormatTag = 1;
    format->nChannels = 1;
    format->nSamplesPerSec = 8000;
    format->wBitsPerSample = 16;
    format->nBlockAlign = 2;
    format->nAvgBytesPerSec = 16000;
    SetFormat();
    length = ms;
    peakByteCount = entries;
    peakBlock1.reset(new BYTE[2]{0, 255});
  }
};

TEST_F(Waveform, ASourceTooShortForItsOverviewDrawsNoSound) {
  OpenLines({0});
  DistinctColors();
  const struct {
    LONG ms, entries;
  } cases[] = {{0, 2}, {-5, 2}, {1, 1}};
  for (const auto& c : cases) {
    auto* source = new ShortSource(c.ms, c.entries);
    sources_.push_back(source);
    Film* f = Clip(source, 0, 100, 0, 0);
    f->end = 400;  // a clip longer than what the source tells
    f->out = 300;
    for (int32_t quality : {0, 1}) {
      tl_->Settings().waveformQuality = quality;
      tl_->InvalidateAll();
      GuiPumpMessages();
      EXPECT_TRUE(ColumnsWith(TimeLineColors[kColorWaveform], 100, 400, 0, Row(0).bottom + 1).empty())
          << c.ms << " ms, " << c.entries << " entries";
      EXPECT_FALSE(ColumnsWith(TimeLineColors[kColorNonSelectedClip], 100, 400, 0, Row(0).bottom + 1).empty());
    }
    ClearProject();
  }
}

}  // namespace
}  // namespace audiolinetest
