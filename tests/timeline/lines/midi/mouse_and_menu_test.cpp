// The MIDI line under the mouse and the keys: trims and moves in
// milliseconds, nudges, one undo step per drag, clips dragged from the
// collection, and the clip's menu with its marks, speed and volume.
#include "platform/gui/modal.h"
#include "timeline/lines/other_lines_fixture.h"
#include "timeline/lines/popup_menu_driver.h"

namespace linestest {
namespace {

constexpr int kDivision = 96;

// 4/4 at 120 bpm for 10 s.
MidiFileBytes Tune() {
  MidiFileBytes file;
  file.division = kDivision;
  TrackBytes t;
  t.Tempo(0, 500000).Meter(0, 4, 2).NoteOn(0, 0, 60, 100).NoteOff(20 * kDivision, 0, 60).End();
  file.tracks.push_back(t);
  return file;
}

class MidiMouse : public OtherLinesTest {
 protected:
  void TearDown() override {
    SetModalHook(nullptr);
    OtherLinesTest::TearDown();
  }
  // The line at 20 ms a pixel, no gravity, with clips of one tune.
  MidiData* Open() {
    OpenLines(1, 1);
    Zoom(20);
    Engine().gravityAlign = 0;
    Engine().SetPlayCursor(500000, false);
    MidiData* m = MidiFile(Tune());
    EXPECT_EQ(m->GetLength(), 10000);
    return m;
  }
  int Mid() { return MidiBottom() / 2; }

  // A right click at (x, y) of the MIDI line: what its menu showed, after
  // choosing command there (0: nothing).
  std::vector<std::string> RightClick(int x, int y, UINT command = 0) {
    std::vector<std::string> items;
    SetModalHook([&](HWND popup) {
      HMENU menu = reinterpret_cast<HMENU>(SendMessage(popup, MN_GETHMENU, 0, 0));
      popupmenu::Read(menu, "", items);
      if (command != 0) {
        EXPECT_TRUE(popupmenu::Choose(popup, menu, command)) << command;
      }
    });
    SetFocus(Midi().GetHandle());
    const POINT p = ScreenOf(Midi(), x, y);
    GuiMouseMove(p.x, p.y);
    GuiMouseButton(1, true, p.x, p.y);
    GuiPumpMessages();
    GuiMouseButton(1, false, p.x, p.y);
    GuiPumpMessages();
    SetModalHook(nullptr);
    Later();
    return items;
  }
};

struct TrimCase {
  const char* what;
  Point from, to;
  int32_t start, end, in, out;
};

// a [1000, 2500) from source 500, b [3000, 5000) from 2000, c [6000, 8000)
// from 0; x = ms / 20.
TEST_F(MidiMouse, TrimsStopAtTheSourceTheNeighboursAndTheProjectEnd) {
  MidiData* m = Open();
  const TrimCase cases[] = {
      {"b's start left onto a's end", {151, 0}, {20, 0}, 2500, 5000, 1500, 4000},
      {"a's start left to its source's start", {51, 0}, {5, 0}, 500, 2500, 0, 2000},
      {"b's start right to a millisecond before its end", {151, 0}, {400, 0}, 4999, 5000, 3999, 4000},
      {"b's end right onto c's start", {249, 0}, {400, 0}, 3000, 6000, 2000, 5000},
      {"b's end left to a millisecond after its start", {249, 0}, {100, 0}, 3000, 3001, 2000, 2001},
      {"c's end right to its source's end", {399, 0}, {820, 0}, 6000, 16000, 0, 10000},
  };
  for (const TrimCase& c : cases) {
    SCOPED_TRACE(c.what);
    Engine().SetLength(20000);
    Zoom(20);
    MidiClip(m, 1000, 500, 2000, "a");
    MidiClip(m, 3000, 2000, 4000, "b");
    MidiClip(m, 6000, 0, 2000, "c");
    GuiPumpMessages();
    DragOn(Midi(), {c.from.x, Mid()}, {{c.from.x + 3, Mid()}, {c.to.x, Mid()}});
    const Film* f = Film::FindByLine(c.start, kKindMidi, 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->start, c.start);
    EXPECT_EQ(f->end, c.end);
    EXPECT_EQ(f->in, c.in);
    EXPECT_EQ(f->out, c.out);
    // The whole drag is one step back.
    EXPECT_EQ(UndoSteps(), 1);
    ClearProject();
    Zoom(20);
  }
  // Without a clip after it, an end stops at the project's end.
  Engine().SetLength(7000);
  Zoom(20);
  Film* b = MidiClip(m, 3000, 2000, 4000, "b");
  GuiPumpMessages();
  DragOn(Midi(), {249, Mid()}, {{252, Mid()}, {600, Mid()}});
  EXPECT_EQ(b->end, 7000);
}

TEST_F(MidiMouse, AStartTrimLandsOnThePixelGrid) {
  MidiData* m = Open();
  Film* b = MidiClip(m, 3010, 2000, 4000, "b");
  GuiPumpMessages();
  const int x = Engine().PosToPixel(3010);
  DragOn(Midi(), {x + 1, Mid()}, {{x + 3, Mid()}, {x + 6, Mid()}});
  EXPECT_EQ(b->start % 20, 0);
  EXPECT_NEAR(b->start, 3110, 10);
  EXPECT_EQ(b->in - 2000, b->start - 3010);
}

TEST_F(MidiMouse, RightNudgesAMillisecondAndWithCtrlAHundredInOneUndoStep) {
  MidiData* m = Open();
  Film* b = MidiClip(m, 3000, 2000, 4000, "b");
  GuiPumpMessages();
  PressOn(Midi(), 200, Mid());
  ASSERT_EQ(Midi().hitZone, kZoneMoveClips);
  const struct {
    bool shift, ctrl;
    int vk;
    int32_t start;
  } steps[] = {
      {false, false, VK_RIGHT, 3001}, {false, true, VK_RIGHT, 3101}, {true, false, VK_RIGHT, 3111},
      {true, true, VK_LEFT, 3011},    {false, false, VK_UP, 3011},
  };
  for (const auto& s : steps) {
    if (s.shift) Key(VK_SHIFT, true);
    if (s.ctrl) Key(VK_CONTROL, true);
    // The keys reach the drag the way the time-line passes them on.
    MSG msg{};
    msg.hwnd = Midi().GetHandle();
    msg.message = WM_KEYDOWN;
    msg.wParam = static_cast<WPARAM>(s.vk);
    EXPECT_TRUE(tl_->PreProcessMsg(msg));
    if (s.shift) Key(VK_SHIFT, false);
    if (s.ctrl) Key(VK_CONTROL, false);
    EXPECT_EQ(b->start, s.start) << s.vk << " shift " << s.shift << " ctrl " << s.ctrl;
  }
  // The next move keeps the nudges.
  MoveOn(Midi(), 201, Mid());
  EXPECT_EQ(b->start, 3031);
  ReleaseOn(Midi(), 201, Mid());
  EXPECT_EQ(UndoSteps(), 1);
  EXPECT_TRUE(Engine().CmUndo());
  EXPECT_EQ(FilmList.First()->start, 3000);
}

TEST_F(MidiMouse, AMarkIsAddedWhereTheMenuWasAlsoBetweenFrames) {
  MidiData* m = Open();
  Zoom(30);
  Film* b = MidiClip(m, 3000, 1000, 4000, "b");  // source origin 2000 at x 67
  GuiPumpMessages();
  RightClick(185, Mid(), kCmAddMark);
  ASSERT_EQ(b->marks.Count(), 1);
  // 118 pixels of 30 ms past the origin: 3540, half-way between two frames.
  EXPECT_EQ(b->marks[0].time, Engine().PixelsToTime(185 - Engine().PosToPixelUnclamped(b->origin)));
  EXPECT_NE(b->marks[0].time % 40, 0);
  EXPECT_EQ(UndoSteps(), 1);
  EXPECT_TRUE(Engine().IsModified());
}

TEST_F(MidiMouse, TheClipsMenuAddsVolumeAndTempoAndItsEditorIsTheMidiOne) {
  MidiData* m = Open();
  MidiClip(m, 3000, 2000, 4000, "b");
  std::snprintf(tl_->Settings().midiEditor, MAX_PATH, "%s", "/opt/sequencer/Seq.sh");
  GuiPumpMessages();
  EXPECT_EQ(RightClick(200, Mid()),
            (std::vector<std::string>{
                "Edit>", "Edit>Delete clip=313", "Edit>Cut clip=314", "Edit>Copy clip=315",
                "Edit>Paste=318 grey", "Edit>Insert=320 grey", "Edit>-", "Edit>Midi editor (Seq)=713",
                "Edit>-", "Edit>Clip properties...=321", "Split clip=326", "Repeat clip...=108",
                "Add mark=102", "Play clip=101", "Clip volume...=113", "Tempo...=109"}));
  RightClick(200, Mid(), kCmMidiEditor);
  ASSERT_EQ(tl_->calls.size(), 1u);
  EXPECT_EQ(tl_->calls[0], "tool " + std::string(m->GetFileName()));
  EXPECT_EQ(tl_->args[0].x, kCmMidiEditor);
  // Over empty space the video rows' menu, adding a MIDI file.
  EXPECT_EQ(RightClick(400, Mid(), kCmAddSourceFile).front(), "Add source file...=213");
  EXPECT_EQ(tl_->calls.back(), "add source");
  EXPECT_EQ(tl_->args.back().x, kKindMidi);
}

struct TempoCase {
  const char* what;
  int32_t chosen;
  bool ok;
  int32_t speed, in, out, end, mark, length;
  int steps;
};

// b [3000, 5000) from source 1000 with a mark at 1500; the project ends at
// 6000. The tune's one entry: 120 bpm.
TEST_F(MidiMouse, TheTempoRescalesTheClipAndLengthensTheProject) {
  MidiData* m = Open();
  const TempoCase cases[] = {
      {"60 bpm", 60, true, 2000, 2000, 6000, 7000, 3000, 8000, 1},
      {"240 bpm", 240, true, 500, 500, 1500, 4000, 750, 6000, 1},
      {"the current speed", 120, true, 1000, 1000, 3000, 5000, 1500, 6000, 0},
      {"cancelled", 60, false, 1000, 1000, 3000, 5000, 1500, 6000, 0},
  };
  for (const TempoCase& c : cases) {
    SCOPED_TRACE(c.what);
    Engine().SetLength(6000);
    Zoom(20);
    Film* b = MidiClip(m, 3000, 1000, 3000, "b");
    ASSERT_TRUE(b->marks.AddMark(1500));
    GuiPumpMessages();
    OtherLineDialogs dialogs;
    dialogs.ok = c.ok;
    dialogs.chosenBpm = c.chosen;
    RightClick(200, Mid(), kCmTempo);
    ASSERT_EQ(dialogs.tempos, (std::vector<TempoAsked>{{120, 120, 24, 240}}));
    EXPECT_EQ(b->tempo, c.speed);
    EXPECT_EQ(b->in, c.in);
    EXPECT_EQ(b->out, c.out);
    EXPECT_EQ(b->end, c.end);
    EXPECT_EQ(b->end - b->start, b->out - b->in);
    EXPECT_EQ(b->sourceLength, 10000 * c.speed / 1000);
    ASSERT_EQ(b->marks.Count(), 1);
    EXPECT_EQ(b->marks[0].time, c.mark);
    EXPECT_EQ(Engine().length, c.length);
    EXPECT_EQ(UndoSteps(), c.steps);
    ClearProject();
    Zoom(20);
  }
}

TEST_F(MidiMouse, TheSlowestTempoOfferedKeepsTheClipClearOfTheNextMidiClip) {
  MidiData* m = Open();
  const struct {
    const char* what;
    int32_t nextStart;  // -1: none
    bool nextFirst;     // the next one is made first
    int32_t lowest;
  } cases[] = {
      {"no next clip", -1, false, 24},
      {"the next clip 1000 ms after the end", 6000, false, 80},
      {"the next clip 1 ms after the end", 5001, false, 120},
      // 80 bpm would end it at 6000: one more.
      {"the next clip 999 ms after the end", 5999, false, 81},
      {"the next clip starting with it", 3000, true, 24},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Engine().SetLength(20000);
    if (c.nextFirst) MidiClip(m, c.nextStart, 0, 4000, "next");
    MidiClip(m, 3000, 1000, 3000, "b");
    if (c.nextStart >= 0 && !c.nextFirst) MidiClip(m, c.nextStart, 0, 2000, "next");
    GuiPumpMessages();
    OtherLineDialogs dialogs;
    dialogs.ok = false;
    RightClick(200, Mid(), kCmTempo);
    ASSERT_EQ(dialogs.tempos.size(), 1u);
    EXPECT_EQ(dialogs.tempos[0].lo, c.lowest);
    ClearProject();
    Zoom(20);
  }
  // At the lowest offered the clip ends where the next one starts.
  MidiClip(m, 3000, 1000, 3000, "b");
  Film* next = MidiClip(m, 6000, 0, 2000, "next");
  GuiPumpMessages();
  OtherLineDialogs dialogs;
  dialogs.chosenBpm = 80;
  RightClick(200, Mid(), kCmTempo);
  EXPECT_EQ(FilmList.First()->end, next->start);
}

TEST_F(MidiMouse, TheTempoLeavesClipsWithPictureOrNoSpeedAlone) {
  MidiData* m = Open();
  filmtest::FakeVideo* v = Video("pictures.avi", 1000);
  filmtest::FakeClip both(v, nullptr, m, 0, 2000, 2000, "both");
  Film* withVideo = Place(new Film(both, 3000, kKindVideo | kKindMidi, 0, 0));
  Film* still = MidiClip(m, 6000, 0, 2000, "still");
  still->tempo = 0;
  GuiPumpMessages();
  OtherLineDialogs dialogs;
  dialogs.chosenBpm = 60;
  RightClick(Engine().PosToPixel(4000), Mid(), kCmTempo);
  RightClick(Engine().PosToPixel(7000), Mid(), kCmTempo);
  EXPECT_TRUE(dialogs.tempos.empty());
  EXPECT_EQ(withVideo->tempo, 1000);
  EXPECT_EQ(still->tempo, 0);
  EXPECT_EQ(UndoSteps(), 0);
}

TEST_F(MidiMouse, ClipVolumeTakesAStepAndModifiesEvenWhenCancelled) {
  MidiData* m = Open();
  Film* b = MidiClip(m, 3000, 1000, 3000, "b");
  GuiPumpMessages();
  OtherLineDialogs dialogs;
  dialogs.level = 300;
  RightClick(200, Mid(), kCmClipVolume);
  ASSERT_EQ(dialogs.levels.size(), 1u);
  const LevelAsked& asked = dialogs.levels[0];
  EXPECT_EQ(asked.caption, "Clip");
  EXPECT_EQ(asked.gain, 512);
  EXPECT_EQ(asked.rect.left, 149);
  EXPECT_EQ(asked.rect.right, 251);
  EXPECT_EQ(asked.rect.top, 0);
  EXPECT_EQ(asked.rect.bottom, MidiBottom());
  EXPECT_EQ((Point{asked.x, asked.y}), (Point{200, Mid()}));
  EXPECT_EQ(b->volume, 300);
  EXPECT_EQ(UndoSteps(), 1);
  EXPECT_TRUE(Engine().IsModified());

  Engine().SetModified(false);
  dialogs.ok = false;
  dialogs.level = 100;
  RightClick(200, Mid(), kCmClipVolume);
  EXPECT_EQ(b->volume, 300);
  EXPECT_EQ(UndoSteps(), 2);
  EXPECT_TRUE(Engine().IsModified());
}

TEST_F(MidiMouse, AClipOfAnotherMidiFileGetsNoPlaceToLand) {
  MidiData* m = Open();
  MidiData* other = MidiFile(Tune());
  MidiClip(m, 3000, 0, 2000, "b");
  GuiPumpMessages();
  filmtest::FakeClip same(nullptr, nullptr, m, 0, 1000, 1000, "same");
  filmtest::FakeClip foreign(nullptr, nullptr, other, 0, 1000, 1000, "foreign");
  const struct {
    const char* what;
    const ClipItem* clip;
    int32_t time;
    bool fits;
    int32_t start;
    int cursor;
  } cases[] = {
      {"the same file in a gap", &same, 1000, true, 1000, kCursorDropFits},
      {"the same file just inside b: after it", &same, 5000 - 100, true, 5000, kCursorDropFits},
      {"the same file into a short gap", &same, 2500, true, 2000, kCursorDropFits},
      {"another file", &foreign, 1000, false, 1000, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    POINT screen = ScreenOf(Midi(), Engine().PosToPixel(c.time), Mid());
    int32_t time = c.time;
    int cursor = 0;
    EXPECT_EQ(Midi().ShowDropFeedback(c.clip, screen, time, true, cursor), c.fits);
    EXPECT_EQ(Midi().Drop().shown, c.fits);
    EXPECT_EQ(time, c.start);
    EXPECT_EQ(cursor, c.cursor);
  }
}

}  // namespace
}  // namespace linestest
