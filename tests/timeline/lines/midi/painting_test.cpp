// The MIDI clips as they are drawn: the bars and beats of their tempo map,
// each entry's label and line by zoom step, the grid left for the idle
// redraw while a line drags, and tempo maps that would stall the paint.
#include "timeline/lines/other_lines_fixture.h"

namespace linestest {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kDivision = 96;

// Two entries: 4/4 at 120 bpm for two bars (4000 ms), then 3/4 at 60 bpm
// for two bars (6000 ms).
MidiFileBytes TwoEntryMap() {
  MidiFileBytes file;
  file.division = kDivision;
  TrackBytes t;
  t.Tempo(0, 500000).Meter(0, 4, 2).NoteOn(0, 0, 60, 100).NoteOff(8 * kDivision, 0, 60);
  t.Tempo(0, 1000000).Meter(0, 3, 2).End(6 * kDivision);
  file.tracks.push_back(t);
  return file;
}

// One 4/4 entry at us per quarter, lasting ticks (in as many events as the
// length needs).
MidiFileBytes OneEntryMap(uint32_t us, uint64_t ticks) {
  MidiFileBytes file;
  file.division = kDivision;
  TrackBytes t;
  t.Tempo(0, us).Meter(0, 4, 2);
  for (; ticks > 0x0FFFFFFF; ticks -= 0x0FFFFFFF) t.Event(0x0FFFFFFF, {0xFF, 0x01, 0});
  t.End(static_cast<uint32_t>(ticks));
  file.tracks.push_back(t);
  return file;
}

class MidiPainting : public OtherLinesTest {
 protected:
  void Colors() {
    TimeLineColors[kColorMidiTrack] = RGB(230, 250, 230);
    DistinctColors();
  }
  void Redraw() {
    Midi().Invalidate(false);
    GuiPumpMessages();
  }
  // The columns of [x0, x1) whose pixel at client y is black.
  std::vector<int> BlackAt(int y, int x0, int x1) {
    std::vector<int> xs;
    for (int x = x0; x < x1; ++x) {
      if (PixelOf(Midi(), x, y) == kBlack) xs.push_back(x);
    }
    return xs;
  }
  // The pixels of rect as they show text in the clip font and colour,
  // bottom-aligned, over back: drawn the same way in a window of its own.
  std::vector<COLORREF> Reference(const std::string& text, const TRect& rect, COLORREF color, COLORREF back) {
    HWND w = CreateWindowEx(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, rect.right + 8, rect.bottom + 8,
                            nullptr, nullptr, nullptr, nullptr);
    HDC dc = GetDC(w);
    HBRUSH brush = CreateSolidBrush(back);
    RECT all{0, 0, rect.right + 8, rect.bottom + 8};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, tl_->ClipFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    RECT r = rect;
    DrawText(dc, text.c_str(), -1, &r, DT_SINGLELINE | DT_BOTTOM | DT_LEFT | DT_NOPREFIX);
    ReleaseDC(w, dc);
    std::vector<COLORREF> pixels;
    for (int y = rect.top; y < rect.bottom; ++y) {
      for (int x = rect.left; x < rect.right; ++x) pixels.push_back(GuiReadPixel(w, x, y));
    }
    DestroyWindow(w);
    return pixels;
  }
  std::vector<COLORREF> Shown(const TRect& rect) {
    std::vector<COLORREF> pixels;
    for (int y = rect.top; y < rect.bottom; ++y) {
      for (int x = rect.left; x < rect.right; ++x) pixels.push_back(PixelOf(Midi(), x, y));
    }
    return pixels;
  }
  // Shows the two-entry clip from 0 at 20 ms a pixel (x 0..500), the cursor
  // out of the way.
  Film* TwoEntryClip() {
    MidiData* m = MidiFile(TwoEntryMap());
    EXPECT_EQ(m->GetLength(), 10000);
    Zoom(20);
    Engine().SetPlayCursor(500000, false);
    Film* f = MidiClip(m, 0, 0, 10000);
    Redraw();
    return f;
  }
};

TEST_F(MidiPainting, TicksFallOnTheBarsAndBeatsOfEachEntry) {
  OpenLines(1, 1);
  Colors();
  TwoEntryClip();
  const int b = MidiBottom();
  // Beats of 500 ms then of 1000 ms; bars at 2000 and 7000 ms; the second
  // entry's line at 4000 ms; the clip's borders at 0 and 499.
  EXPECT_EQ(BlackAt(b - 1, 0, 520),
            (std::vector<int>{0, 25, 50, 75, 100, 125, 150, 175, 200, 250, 300, 350, 400, 450, 499}));
  EXPECT_EQ(BlackAt(b - 3, 0, 520), (std::vector<int>{0, 100, 200, 350, 499}));
  EXPECT_EQ(BlackAt(b - 5, 0, 520), (std::vector<int>{0, 100, 200, 350, 499}));
  EXPECT_EQ(BlackAt(b - 6, 0, 520), (std::vector<int>{0, 200, 499}));
  EXPECT_EQ(BlackAt(b - 24, 0, 520), (std::vector<int>{0, 200, 499}));
  EXPECT_EQ(BlackAt(b - 25, 0, 520), (std::vector<int>{0, 499}));
  EXPECT_EQ(PixelOf(Midi(), 520, b - 1), RGB(230, 250, 230));

  // A clip that starts inside the first bar keeps the file's bars.
  ClearProject();
  Zoom(20);
  MidiClip(midis_[0], 200, 700, 5000);  // x 10..225, source 700 at x 10
  Redraw();
  EXPECT_EQ(BlackAt(b - 1, 5, 240), (std::vector<int>{10, 25, 50, 75, 100, 125, 150, 175, 224}));
  EXPECT_EQ(BlackAt(b - 5, 5, 240), (std::vector<int>{10, 75, 175, 224}));
}

TEST_F(MidiPainting, EachEntryIsLabelledWithItsMeterAndTempoAsWrittenAndAtTheClipsSpeed) {
  OpenLines(1, 1);
  Colors();
  Film* f = TwoEntryClip();
  const int b = MidiBottom();
  const TRect label(1, b - 25, 198, b - 5);
  const COLORREF name = TimeLineColors[kColorNonSelectedName];
  const COLORREF clip = TimeLineColors[kColorNonSelectedClip];
  const std::vector<COLORREF> asWritten = Reference("4/4,120[120]", label, name, clip);
  const std::vector<COLORREF> halfSpeed = Reference("4/4,120[60]", label, name, clip);
  ASSERT_NE(asWritten, halfSpeed);
  EXPECT_EQ(Shown(label), asWritten);
  // The second entry's label starts at its line, which is drawn over it.
  const TRect second(200, b - 25, 380, b - 5);
  std::vector<COLORREF> shown = Shown(second), expected = Reference("3/4,60[60]", second, name, clip);
  for (int row = 0; row < second.Height(); ++row)
    shown[row * second.Width()] = expected[row * second.Width()];
  EXPECT_EQ(shown, expected);

  f->tempo = 2000;
  Redraw();
  EXPECT_EQ(Shown(label), halfSpeed);
}

TEST_F(MidiPainting, ZoomStepTwoDrawsShortEntryLinesWithoutLabelsAndStepThreeNoGrid) {
  const struct {
    int32_t zoom;
    std::vector<int> lineRows;  // black at x 200, counted from the bottom
    bool ticks, names;
  } cases[] = {
      {2, {1, 2, 5, 12}, true, true},
      {3, {}, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.zoom);
    OpenLines(1, c.zoom);
    Colors();
    TwoEntryClip();
    const int b = MidiBottom();
    ASSERT_EQ(b, 96 >> c.zoom);
    for (int up : c.lineRows) EXPECT_EQ(PixelOf(Midi(), 200, b - up), kBlack) << up;
    if (c.zoom == 2) EXPECT_NE(PixelOf(Midi(), 200, b - 13), kBlack);
    EXPECT_EQ(BlackAt(b - 1, 0, 520).size(), c.ticks ? 15u : 2u);
    // No label anywhere; the clip's own name only at its start.
    const std::vector<int> text = ColumnsWith(TimeLineColors[kColorNonSelectedName], 0, 520, 0, b);
    (void)text;
    int named = 0;
    for (int x = 40; x < 520; ++x) {
      for (int y = 0; y < b; ++y) named += PixelOf(Midi(), x, y) == TimeLineColors[kColorNonSelectedName];
    }
    EXPECT_EQ(named, 0);
    int nameAtStart = 0;
    for (int x = 0; x < 40; ++x) {
      for (int y = 0; y < b; ++y)
        nameAtStart += PixelOf(Midi(), x, y) == TimeLineColors[kColorNonSelectedName];
    }
    EXPECT_EQ(nameAtStart > 0, c.names);
    Close();
    FilmList.Clear();
  }
}

TEST_F(MidiPainting, DrawnWhileAnotherLineDragsAClipWaitsForTheIdleRedraw) {
  OpenLines(1, 1);
  Colors();
  Film* m = TwoEntryClip();
  Film* v = VideoClip(0, 12000, 14000, "v");  // x 600..700 on the video rows
  GuiPumpMessages();
  const int b = MidiBottom();
  PressOn(Line(), 650, Middle(0));
  ASSERT_TRUE(Line().IsDragging());
  Redraw();
  EXPECT_EQ(m->midiState, kMidiDrawFull);
  EXPECT_EQ(BlackAt(b - 1, 0, 520), (std::vector<int>{0, 499}));
  ReleaseOn(Line(), 650, Middle(0));
  // Still waiting until the idle step draws it whole.
  EXPECT_EQ(m->midiState, kMidiDrawFull);
  // The time-line's idle step, one clip a call.
  for (int i = 0; i < 3 && m->midiState != 0; ++i) EXPECT_TRUE(tl_->DrawPendingClip());
  EXPECT_EQ(m->midiState, 0);
  EXPECT_EQ(BlackAt(b - 1, 0, 520).size(), 15u);

  // Out of view it is only let off.
  m->midiState = kMidiDrawFull;
  Engine().origin = 30000;
  Engine().UpdateScrollRange();
  EXPECT_TRUE(tl_->DrawPendingClip());
  EXPECT_EQ(m->midiState, 0);
  (void)v;
}

TEST_F(MidiPainting, TempoMapsThatWouldStallThePaintDrawAndReturn) {
  OpenLines(1, 1);
  Colors();
  const int b = MidiBottom();
  struct Case {
    const char* what;
    uint32_t us;
    uint64_t ticks;
    int32_t speed;
    int32_t msPerPixel;
    bool everyColumn;  // a bar tick in every column inside the clip
  };
  const Case cases[] = {
      {"a bar of no time", 1, 96 * 4000, 1000, 1, false},
      {"a clip speed of 0", 500000, 96 * 40, 0, 20, false},
      {"a negative clip speed", 500000, 96 * 40, -5, 20, false},
      {"an hour of 1 ms bars seen whole", 250, uint64_t{96} * 4 * 3600000, 1000, 4000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MidiData* m = MidiFile(OneEntryMap(c.us, c.ticks));
    ASSERT_NE(m, nullptr);
    Engine().SetLength(4000000);
    Zoom(c.msPerPixel);
    Engine().SetPlayCursor(3999000, false);
    Film* f = MidiClip(m, 0, 0, m->GetLength());
    f->tempo = c.speed;
    Redraw();
    const int right = std::min<int>(Engine().PosToPixel(f->end), 900);
    const std::vector<int> bars = BlackAt(b - 3, 1, right - 1);
    if (c.everyColumn) {
      EXPECT_EQ(bars.size(), static_cast<size_t>(right - 2));
    } else {
      EXPECT_TRUE(bars.empty());
    }
    ClearProject();
  }
}

}  // namespace
}  // namespace linestest
