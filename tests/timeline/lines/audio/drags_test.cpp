// Drags on the audio lines: trims of a clip's start and end on the pixel
// grid (onto key frames for a clip with video), marks moved, clips carried
// across lines, profile points, flat segments and slopes edited; and what a
// gesture leaves for undo and for the play file.
#include "audio_lines_fixture.h"

namespace audiolinetest {
namespace {

class Drags : public AudioLineTest {
 protected:
  // Press at from, move through the points, release at the last one.
  void Drag(Point from, const std::vector<Point>& path) {
    Press(from.x, from.y);
    for (const Point& p : path) Move(p.x, p.y);
    const Point end = path.empty() ? from : path.back();
    Release(end.x, end.y);
  }
  // A y of line 0 clear of its unity profile and of its marks.
  int Clear() {
    const int y = VolumeY(0, 512) + 12;
    EXPECT_LT(y, MarkY(0) - 8);
    return y;
  }
  // The one undo step of a gesture took the project back to before it.
  void ExpectOneStepBack() {
    EXPECT_EQ(UndoScript::Pending(), 0u);
    ASSERT_TRUE(Engine().CmUndo());
    EXPECT_FALSE(UndoScript::CanUndo());
  }
};

TEST_F(Drags, TheStartStopsAtTheSourcesStartTheClipBeforeAndOneMsBeforeTheEnd) {
  OpenLines();
  filmtest::FakeAudio* a = Audio("a.wav", 1000);
  // The clip shows source 50 .. 250 from start, ending at start + 200.
  const struct {
    int32_t msPerPixel;
    int32_t start;   // before
    int32_t before;  // end of a clip before it on line 0, 0 for none
    int32_t to;      // ms the pointer goes to
    int32_t after;   // the start afterwards
  } cases[] = {
      {1, 300, 0, 100, 250},   {1, 300, 280, 100, 280}, {1, 300, 0, 320, 320}, {1, 300, 0, 900, 499},
      {3, 300, 0, 330, 330},   {3, 300, 270, 100, 270},
      // On the pixel grid: from 301 (x 100) ten pixels on is 330 (x 110).
      {3, 301, 0, 331, 330},
  };
  for (const auto& c : cases) {
    ClearProject();
    Zoom(c.msPerPixel);
    if (c.before > 0) Clip(a, 0, c.before - 10, 0, 10, "before");
    Film* f = Clip(a, 0, c.start, 50, 250, "clip");
    f->effects = Effects();
    GuiPumpMessages();
    ForgetChanges();
    const int x = c.start / c.msPerPixel;
    Drag({x + 1, Clear()}, {{c.to / c.msPerPixel + 1, Clear()}});
    const std::string what = "to " + std::to_string(c.to) + " at " + std::to_string(c.msPerPixel) + " ms";
    EXPECT_EQ(f->start, c.after) << what;
    EXPECT_EQ(f->in, 50 + c.after - c.start) << what;
    EXPECT_EQ(f->end, c.start + 200) << what;
    // A trim makes what the effects rendered of the clip stale.
    EXPECT_EQ(static_cast<filmtest::FakeEffects*>(f->effects)->tempFileDrops, 1) << what;
    EXPECT_LE(LineChangedRange[0].start, std::min(c.start, c.after)) << what;
    EXPECT_GE(LineChangedRange[0].end, c.start + 200) << what;
    ExpectOneStepBack();
    EXPECT_EQ(Film::FindByLine(c.start + 100, kKindAudio, 0)->start, c.start) << what;
  }
}

TEST_F(Drags, WithVideoTheStartLandsOnTheKeyFrameNearestThePointer) {
  OpenLines();
  Zoom(4);  // ten pixels a frame
  filmtest::FakeVideo* v = Video("v.avi", 100);
  v->keyFrames = {0, 10, 20};
  filmtest::FakeAudio* a = Audio("v.avi", 4000);
  const struct {
    int toFrame;  // source frame the pointer goes to
    int32_t in;   // frame
  } cases[] = {{11, 10}, {17, 20}, {13, 12}, {-5, 0}};
  for (const auto& c : cases) {
    ClearProject();
    Zoom(4);
    // Source frame 12 at time-line frame 112 (x 1120 .. at ten a frame).
    filmtest::FakeClip clip(v, a, nullptr, FramesToMs(12, 25.0f), FramesToMs(30, 25.0f),
                            FramesToMs(18, 25.0f), "clip");
    Film* f = Place(new Film(clip, FramesToMs(112, 25.0f), kKindVideo | kKindAudio, 0, 0));
    Engine().origin = FramesToMs(80, 25.0f);
    Engine().UpdateScrollRange();
    Engine().RecalcClipOrigins();
    tl_->InvalidateAll();
    GuiPumpMessages();
    // Frame n of the time-line at x 10 (n - 80).
    Drag({321, Clear()}, {{10 * (100 + c.toFrame - 80) + 1, Clear()}});
    EXPECT_EQ(MsToFrames(f->in, 25.0f), c.in) << "to " << c.toFrame;
    EXPECT_EQ(MsToFrames(f->start, 25.0f), 100 + c.in) << "to " << c.toFrame;
  }
}

TEST_F(Drags, TheEndStopsAtTheSourceTheNextClipAndTheProjectAndKeepsOneMs) {
  OpenLines();
  filmtest::FakeAudio* a = Audio("a.wav", 1000);
  // The clip shows source 50 .. 250 from time-line 300, ending at 500.
  const struct {
    int32_t next;       // start of a clip after it on line 0, 0 for none
    int32_t otherLine;  // start of a clip on line 1, 0 for none
    int32_t length;     // project length, 0 for the usual
    int32_t to;
    int32_t end;
  } cases[] = {
      {0, 0, 0, 1500, 1250}, {700, 0, 0, 1500, 700}, {0, 600, 0, 1500, 1250},
      {0, 0, 900, 1500, 900}, {0, 0, 0, 100, 301},   {0, 0, 0, 450, 450},
  };
  for (const auto& c : cases) {
    ClearProject();
    Engine().SetLength(c.length > 0 ? c.length : 600000);
    Zoom(1);
    Film* f = Clip(a, 0, 300, 50, 250, "clip");
    if (c.next > 0) Clip(a, 0, c.next, 0, 10, "next");
    if (c.otherLine > 0) Clip(a, 1, c.otherLine, 0, 10, "other");
    f->effects = Effects();
    GuiPumpMessages();
    Drag({498, Clear()}, {{c.to - 2, Clear()}});
    EXPECT_EQ(f->end, c.end) << "to " << c.to;
    EXPECT_EQ(f->out, c.end - 250) << "to " << c.to;
    EXPECT_EQ(f->start, 300);
    EXPECT_EQ(static_cast<filmtest::FakeEffects*>(f->effects)->tempFileDrops, 1);
  }
}

TEST_F(Drags, AMarkNudgesByOneTenOrAHundredMsAndStaysAfterTheNextMove) {
  OpenLines();
  Film* f = Clip(Audio("a.wav", 1000), 0, 300, 50, 550);
  ASSERT_TRUE(f->marks.AddMark(150));  // x 400
  GuiPumpMessages();
  Press(400, MarkY(0));
  ASSERT_EQ(Lines().hitZone, kZoneMark);
  const struct {
    bool shift, ctrl;
    int vk;
    int32_t time;
  } steps[] = {
      {false, false, VK_RIGHT, 151}, {true, false, VK_RIGHT, 161}, {false, true, VK_RIGHT, 261},
      {true, true, VK_RIGHT, 361},   {false, false, VK_LEFT, 360}, {false, false, 'A', 360},
  };
  for (const auto& s : steps) {
    if (s.shift) Key(VK_SHIFT, true);
    if (s.ctrl) Key(VK_CONTROL, true);
    Lines().OnDragKey(s.vk);
    if (s.shift) Key(VK_SHIFT, false);
    if (s.ctrl) Key(VK_CONTROL, false);
    EXPECT_EQ(f->marks[0].time, s.time) << s.vk << " shift " << s.shift << " ctrl " << s.ctrl;
  }
  Move(401, MarkY(0));
  EXPECT_EQ(f->marks[0].time, 361);
  Release(401, MarkY(0));
  ExpectOneStepBack();
  EXPECT_EQ(FilmList.First()->marks[0].time, 150);
}

TEST_F(Drags, UpAndDownCarryTheClipsAcrossTheLines) {
  OpenLines();
  Film* f = Clip(Audio("a.wav", 1000), 0, 300, 0, 500);
  GuiPumpMessages();
  Press(400, Clear());
  ASSERT_EQ(Lines().hitZone, kZoneMoveClips);
  const struct {
    int vk;
    int32_t line;
  } steps[] = {{VK_UP, 0}, {VK_DOWN, 1}, {VK_DOWN, 2}, {VK_DOWN, 3}, {VK_DOWN, 3}, {VK_UP, 2}};
  for (const auto& s : steps) {
    Lines().OnDragKey(s.vk);
    GuiPumpMessages();
    EXPECT_EQ(f->audioLine, s.line) << s.vk;
  }
  POINT at;
  GetCursorPos(&at);
  GuiMouseButton(0, false, at.x, at.y);
  GuiPumpMessages();
  EXPECT_EQ(f->start, 300);
  ExpectOneStepBack();
  EXPECT_EQ(Film::FindByLine(400, kKindAudio, 0)->start, 300);
}

TEST_F(Drags, ClipsMoveInTimeAndAcrossLinesAsTheMouseGoes) {
  OpenLines();
  Film* f = Clip(Audio("a.wav", 1000), 0, 300, 0, 200);
  GuiPumpMessages();
  ForgetChanges();
  Press(400, Clear());
  Move(450, Clear());
  EXPECT_EQ(f->start, 350);
  Move(450, Middle(1));
  EXPECT_EQ(f->audioLine, 1);
  EXPECT_EQ(Lines().PointerLine(), 1);
  Release(470, Middle(1));
  EXPECT_EQ(f->start, 370);
  EXPECT_FALSE(LineChangedRange[0].Empty());
  EXPECT_FALSE(LineChangedRange[1].Empty());
  ExpectOneStepBack();
  EXPECT_EQ(FilmList.First()->audioLine, 0);
}

class ProfileDrags : public AudioLineTest {
 protected:
  // Line 0 at full height, a ms a pixel: a clip at x 100 .. 900 of a
  // source of 800 ms with volume points at 0, 200, 400, 600 and 799.
  Film* SetUpClip() {
    OpenLines({0});
    Film* f = Clip(Audio("a.wav", 800), 0, 100, 0, 800);
    Profile& p = f->volumePoints;
    p.Last().time = 799;
    for (int32_t t : {200, 400, 600}) p.Insert(t, 512);
    GuiPumpMessages();
    ForgetChanges();
    return f;
  }
  struct Pt {
    int32_t time, value;
    bool operator==(const Pt&) const = default;
  };
  static std::vector<Pt> Points(const Film& f) {
    std::vector<Pt> out;
    for (int32_t i = 0; i < f.volumePoints.Count(); ++i)
      out.push_back({f.volumePoints[i].time, f.volumePoints[i].value});
    return out;
  }
  void Drag(Point from, Point to) {
    Press(from.x, from.y);
    Move(to.x, to.y);
    Release(to.x, to.y);
  }
  // After the gesture: the line's changed range holds the clip, one undo
  // step gives back the profile from before.
  void ExpectOneStep(const std::vector<Pt>& before) {
    EXPECT_LE(LineChangedRange[0].start, 100);
    EXPECT_GE(LineChangedRange[0].end, 900);
    ASSERT_TRUE(Engine().CmUndo());
    EXPECT_FALSE(UndoScript::CanUndo());
    EXPECT_EQ(Points(*FilmList.First()), before);
  }
};

TEST_F(ProfileDrags, EndPointsKeepTheirTimesInnerPointsStayBetweenTheirNeighbours) {
  const struct {
    int32_t index;
    int32_t to;    // the source time the pointer goes to
    int32_t time;  // the point's afterwards
  } cases[] = {{0, 50, 0}, {4, 600, 799}, {2, 440, 440}, {2, 150, 200}, {2, 700, 600}};
  for (const auto& c : cases) {
    if (tl_ != nullptr) {
      ClearProject();
      Close();
    }
    Film* f = SetUpClip();
    const std::vector<Pt> before = Points(*f);
    const int y = VolumeY(0, 512), up = VolumeY(0, 1024);
    Press(100 + f->volumePoints[c.index].time, y);
    ASSERT_EQ(Lines().hitZone, kZoneKeyPoint) << c.index;
    ASSERT_EQ(Lines().PointIndex(), c.index);
    Move(100 + c.to, up);
    Release(100 + c.to, up);
    EXPECT_EQ(f->volumePoints[c.index].time, c.time) << c.index << " to " << c.to;
    EXPECT_EQ(f->volumePoints[c.index].value, Lines().YToVolume(up)) << c.index;
    EXPECT_GT(f->volumePoints[c.index].value, 900);
    ExpectOneStep(before);
  }
}

TEST_F(ProfileDrags, AFlatSegmentMovesBothPointsUpAndASlopeBothPointsAcross) {
  Film* f = SetUpClip();
  std::vector<Pt> before = Points(*f);
  const int y = VolumeY(0, 512), up = VolumeY(0, 1024);
  Drag({400, y}, {400, up});  // the middle of the segment 200 .. 400
  ASSERT_EQ(f->volumePoints[1].value, f->volumePoints[2].value);
  EXPECT_GT(f->volumePoints[1].value, 900);
  ExpectOneStep(before);

  // Slopes: the segment 200 .. 400 once its second point is raised.
  f = FilmList.First();
  f->volumePoints[2].value = 2047;
  before = Points(*f);
  const int mid = (VolumeY(0, 512) + VolumeY(0, 2047)) / 2;
  Press(400, mid);  // half way up, at source 300
  ASSERT_EQ(Lines().hitZone, kZoneSlopedSegment);
  ASSERT_EQ(Lines().PointIndex(), 1);
  Move(450, mid);
  EXPECT_EQ(Points(*f), (std::vector<Pt>{{0, 512}, {250, 512}, {450, 2047}, {600, 512}, {799, 512}}));
  Move(750, mid);  // the second point stops at the next one
  Release(750, mid);
  EXPECT_EQ(Points(*f), (std::vector<Pt>{{0, 512}, {400, 512}, {600, 2047}, {600, 512}, {799, 512}}));
  ExpectOneStep(before);

  // The first segment is not a slope to move.
  f = FilmList.First();
  f->volumePoints[1].value = 2047;
  before = Points(*f);
  Drag({200, mid}, {260, mid});
  EXPECT_EQ(Points(*f), before);
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(ProfileDrags, CtrlClickAddsAPointAndDragsItOrRemovesOneInOneUndoStep) {
  Film* f = SetUpClip();
  const std::vector<Pt> before = Points(*f);
  const int y = VolumeY(0, 512), up = VolumeY(0, 1024);
  Key(VK_CONTROL, true);
  Press(400, up);  // source 300, above the profile
  Key(VK_CONTROL, false);
  ASSERT_EQ(f->volumePoints.Count(), 6);
  EXPECT_EQ(f->volumePoints[2].time, 300);
  EXPECT_EQ(Lines().hitZone, kZoneKeyPoint);
  EXPECT_EQ(tl_->status.rfind("Profile point at", 0), 0u);
  EXPECT_NE(tl_->status.find("inserted"), std::string::npos);
  Move(420, up);
  Release(420, up);
  EXPECT_EQ(f->volumePoints[2].time, 320);
  EXPECT_EQ(f->volumePoints[2].value, Lines().YToVolume(up));
  ExpectOneStep(before);

  f = FilmList.First();
  Key(VK_CONTROL, true);
  Click(500, y);  // on the point at 400
  Key(VK_CONTROL, false);
  EXPECT_EQ(f->volumePoints.Count(), 4);
  EXPECT_FALSE(Lines().IsDragging());
  EXPECT_EQ(tl_->status.rfind("Profile point at", 0), 0u);
  EXPECT_NE(tl_->status.find("removed"), std::string::npos);
  ExpectOneStep(before);

  // The ends stay: the profile spans its source.
  f = FilmList.First();
  Key(VK_CONTROL, true);
  Click(101, y);
  Key(VK_CONTROL, false);
  EXPECT_EQ(Points(*f), before);
  EXPECT_EQ(tl_->status, "Can not remove first profile point");
  EXPECT_FALSE(UndoScript::CanUndo());
}

}  // namespace
}  // namespace audiolinetest
