// The time-line window and the players as the engine tests see them, and a
// fixture with the engine installed as the Film model's host over the fake
// media of film_fakes.h.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "film_fakes.h"
#include "model/changed_ranges.h"
#include "model/timeline_engine.h"
#include "model/undo_history.h"

namespace enginetest {

using namespace filmtest;

struct Strip {
  int32_t kind, line, x0, x1;
  bool operator==(const Strip&) const = default;
};

class FakeView : public TimeLineView {
 public:
  HWND Handle() override { return nullptr; }
  void InvalidateStrip(int32_t kind, int32_t line, int32_t x0, int32_t x1) override {
    strips.push_back({kind, line, x0, x1});
  }
  void InvalidateLine(int32_t kind, int32_t line) override { lines.push_back({kind, line, 0, 0}); }
  void InvalidateCursorStrip(int32_t x0, int32_t x1, bool onLines) override {
    cursorStrips.push_back({onLines ? 1 : 0, 0, x0, x1});
  }
  void InvalidateTimeDisplay() override { ++timeDisplay; }
  void InvalidateLines() override { ++allLines; }
  void InvalidateAll() override { ++all; }
  void InvalidateHeaders(int32_t kinds) override { headers.push_back(kinds); }
  void InvalidateRuler() override { ++ruler; }
  void UpdateLines() override { ++updates; }
  void SelectionRangeChanged() override { ++selectionChanges; }
  void ShowSelectionTexts(int32_t start, int32_t size, bool active) override {
    selStart = start;
    selSize = size;
    selActive = active;
  }
  void SetScrollBar(bool enabled, int32_t max, int32_t page, int32_t position) override {
    scrollEnabled = enabled;
    scrollMax = max;
    scrollPage = page;
    scrollPos = position;
  }
  void FillScaleList() override { ++fills; }
  void SetScaleRange(int32_t minimum, int32_t maximum) override {
    scaleMin = minimum;
    scaleMax = maximum;
  }
  // The millisecond ladder of the zoom list, nearest by the geometric mean.
  int32_t SelectScale(int32_t value) override {
    static const int32_t ladder[] = {
        1,       2,       3,       5,        7,        10,       20,       30,       50,      70,
        100,     200,     300,     500,      700,      1000,     2000,     3000,     5000,    7000,
        10000,   20000,   30000,   60000,    120000,   180000,   300000,   420000,   600000,  1200000,
        1800000, 3600000, 7200000, 10800000, 18000000, 25200000, 36000000, 54000000, 86400000};
    const int n = sizeof(ladder) / sizeof(ladder[0]);
    if (value <= ladder[0]) return ladder[0];
    if (value >= ladder[n - 1]) return ladder[n - 1];
    int i = 1;
    while (value >= ladder[i]) ++i;
    const int64_t mean = (int64_t{ladder[i - 1]} * ladder[i] + value / 2) / value;
    return mean >= value ? ladder[i - 1] : ladder[i];
  }
  void LayoutHeaders() override { ++layouts; }
  void UpdateFrameLayout(int32_t extra) override { frameGrowth.push_back(extra); }
  void ScrollAudioLinesTo(int32_t line) override { scrolledTo.push_back(line); }
  int32_t AudioAreaExtent() override { return audioExtent; }
  void ShowModified(bool modified) override { modifiedShown.push_back(modified); }
  void ShowStatusText(const char* text) override { status = text; }
  bool AskTimeRange(const char* caption, int32_t lo, int32_t hi, int32_t& start, int32_t& end) override {
    askCaption = caption;
    askLo = lo;
    askHi = hi;
    askStart = start;
    askEnd = end;
    if (!answerOk) return false;
    start = answerStart;
    end = answerEnd;
    return true;
  }

  void ClearRequests() {
    strips.clear();
    lines.clear();
    cursorStrips.clear();
    timeDisplay = allLines = all = 0;
  }

  std::vector<Strip> strips, lines, cursorStrips;
  int timeDisplay = 0, allLines = 0, all = 0, ruler = 0, updates = 0, selectionChanges = 0, fills = 0,
      layouts = 0;
  std::vector<int32_t> headers, frameGrowth, scrolledTo;
  std::vector<bool> modifiedShown;
  int32_t selStart = -1, selSize = -1;
  bool selActive = false;
  bool scrollEnabled = false;
  int32_t scrollMax = -1, scrollPage = -1, scrollPos = -1;
  int32_t scaleMin = 0, scaleMax = 0;
  int32_t audioExtent = 300;
  std::string status;
  std::string askCaption;
  int32_t askLo = 0, askHi = 0, askStart = 0, askEnd = 0;
  bool answerOk = true;
  int32_t answerStart = 0, answerEnd = 0;
};

struct Notice {
  int32_t code, arg;
  bool operator==(const Notice&) const = default;
};

struct TrackValue {
  int32_t track, gain, pan;
  bool operator==(const TrackValue&) const = default;
};

class FakePlayers : public TimeLinePlayers {
 public:
  bool VideoUsable() override { return video; }
  bool AudioUsable() override { return audio; }
  bool MidiUsable() override { return midi; }
  void SetTrackVolumePan(int32_t track, int32_t gain, int32_t pan) override {
    trackValues.push_back({track, gain, pan});
  }
  void NotifyMixer(int32_t code, int32_t arg) override { mixer.push_back({code, arg}); }
  void NotifyEffectDialogs(int32_t code, int32_t arg) override { dialogs.push_back({code, arg}); }

  bool video = true, audio = true, midi = true;
  std::vector<TrackValue> trackValues;
  std::vector<Notice> mixer, dialogs;
};

// Every test starts with an empty history of depth 100, nothing pending,
// cleared ranges, no project marks, and the engine as the Film model's host
// with a view and players attached; the history is emptied behind it.
class EngineTest : public FilmTest {
 protected:
  void SetUp() override {
    FilmTest::SetUp();
    UndoScript::ClearAll();
    UndoScript::SetPending(0);
    UndoScript::SetDepth(kUndoMaxDepth);
    PlayFileRange = TimeRange{};
    for (int32_t i = 0; i < kAudioLineCount; ++i) {
      LineChangedRange[i].Clear();
      LineFileRange[i].Clear();
    }
    ProjectMarks.Clear();
    AutosaveEditCount = 0;
    AutosaveDirty = false;
    beforeHost_ = SetFilmHost(&engine);
    engine.AttachView(&view);
    engine.SetPlayers(&players);
  }
  void TearDown() override {
    UndoScript::ClearAll();
    UndoScript::SetPending(0);
    ProjectMarks.Clear();
    SetFilmHost(beforeHost_);
    FilmTest::TearDown();
  }

  // Films placed on the time-line, holding one use of each source.
  Film* AudioFilm(int32_t line, int32_t start, int32_t length) {
    FakeAudio* a = Audio("a" + std::to_string(serial_++) + ".wav", 600000);
    FakeClip clip(nullptr, a, nullptr, 0, length, length);
    Film* f = new Film(clip, start, kKindAudio, line, 0);
    a->Release();  // the film holds it now
    return Place(f);
  }
  Film* VideoFilm(int32_t row, int32_t start, int32_t length) {
    FakeVideo* v = Video("v" + std::to_string(serial_++) + ".avi", 15000);
    FakeClip clip(v, nullptr, nullptr, 0, length, length);
    Film* f = new Film(clip, start, kKindVideo, 0, row);
    v->Release();
    return Place(f);
  }
  Film* MidiFilm(int32_t start, int32_t length) {
    FakeMidi* m = Midi("m" + std::to_string(serial_++) + ".mid", 600000);
    FakeClip clip(nullptr, nullptr, m, 0, length, length);
    Film* f = new Film(clip, start, kKindMidi, 0, 0);
    m->Release();
    return Place(f);
  }
  Film* Place(Film* f) {
    Film::Link(f, FilmList);
    if (f->video) f->video->BeginRead();
    if (f->audio) f->audio->BeginRead();
    if (f->midi) f->midi->Open();
    return f;
  }
  // The number of older states Undo can return to.
  static int32_t UndoSteps() {
    int32_t n = 0;
    for (int32_t i = UndoScript::Current() + 1; i < kUndoSlotCount && UndoScript::Slot(i); ++i) ++n;
    return n;
  }

  TimeLineEngine engine;
  FakeView view;
  FakePlayers players;

 private:
  FilmHost* beforeHost_ = nullptr;
  int serial_ = 0;
};

}  // namespace enginetest
