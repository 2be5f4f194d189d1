// The popup menu of the video rows and its commands, chosen as the user
// chooses them.
#include "platform/gui/modal.h"
#include "video_line_fixture.h"

namespace videolinetest {
namespace {

class Menus : public VideoLineTest {
 protected:
  void TearDown() override {
    SetModalHook(nullptr);
    VideoLineTest::TearDown();
  }

  // A right click at (x, y) of the video line: what its menu showed, after
  // choosing command there (0: nothing).
  std::vector<std::string> RightClick(int x, int y, UINT command = 0) {
    std::vector<std::string> items = RightClickMenu(Line().GetHandle(), Screen(x, y), command);
    Later();
    return items;
  }

  static int32_t Frame(int32_t ms) { return MsToFrames(ms, 25.0f); }
  static int32_t Ms(int32_t frames) { return FramesToMs(frames, 25.0f); }
};

TEST_F(Menus, OverEmptySpaceTheSelectionAndTheClipboardDecide) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(40, {});
  Film* a = Clip(v, 0, 100, 0, 30, "a");
  GuiPumpMessages();
  EXPECT_EQ(RightClick(300, Middle(0)),
            (std::vector<std::string>{"Add source file...=213", "-", "Delete selected clip(s)=122 grey",
                                      "Cut selected clip(s)=123 grey", "Copy selected clip(s)=124 grey",
                                      "Paste=318 grey", "Insert=320 grey"}));
  a->group = SelectionGroup;
  Film::Link(new Film(*a, kKindVideo), ClipClipboard);
  EXPECT_EQ(RightClick(300, Middle(0)),
            (std::vector<std::string>{"Add source file...=213", "-", "Delete selected clip(s)=122",
                                      "Cut selected clip(s)=123", "Copy selected clip(s)=124", "Paste=318",
                                      "Insert=320"}));
}

TEST_F(Menus, OverAClipItsEditorItsMarkAndItsKeyFrames) {
  OpenRows(1, 1);
  // Frame 11 is empty: it shows key frame 10.
  VideoData* v = KeyedAvi(40, {0, 10, 20}, {11});
  Film* f = Clip(v, 0, 112, 12, 30, "clip");
  ASSERT_TRUE(f->marks.AddMark(Ms(15)));
  std::snprintf(tl_->Settings().videoEditor, MAX_PATH, "%s", "/opt/vedit.sh");
  GuiPumpMessages();
  EXPECT_EQ(Line().NextKeyFrameOffset(f), 8);
  EXPECT_EQ(Line().PrevKeyFrameOffset(f), 1);
  const std::vector<std::string> edit = {"Edit>",
                                         "Edit>Delete clip=313",
                                         "Edit>Cut clip=314",
                                         "Edit>Copy clip=315",
                                         "Edit>Paste=318 grey",
                                         "Edit>Insert=320 grey",
                                         "Edit>-",
                                         "Edit>Video editor (vedit)=714",
                                         "Edit>-",
                                         "Edit>Clip properties...=321",
                                         "Split clip=326",
                                         "Repeat clip...=108"};
  std::vector<std::string> clip = edit;
  for (const char* item : {"Add mark=102", "Play clip=101", "-", "Clip In is NOT a key frame=0 grey",
                           "Clip In to next key frame=106", "Clip In to preceding key frame=107"}) {
    clip.push_back(item);
  }
  EXPECT_EQ(RightClick(125, Middle(0)), clip);
  // Over the mark; the editor unset; the in point on a key frame with none
  // before it in reach.
  tl_->Settings().videoEditor[0] = '\0';
  f->in = Ms(10);
  f->start = Ms(110);
  Clip(v, 0, 105, 0, 5, "before");
  EXPECT_EQ(Line().PrevKeyFrameOffset(f), 0);
  std::vector<std::string> mark = edit;
  mark[7] = "Edit>Video editor=714 grey";
  for (const char* item :
       {"Mark>", "Mark>Set mark position...=105", "Mark>Mark name...=104", "Mark>Remove mark=103",
        "Play clip=101", "-", "Clip In is a key frame=0 grey checked", "Clip In to next key frame=106",
        "Clip In to preceding key frame=107 grey"}) {
    mark.push_back(item);
  }
  EXPECT_EQ(RightClick(115, MarkY(0)), mark);
}

TEST_F(Menus, WhilePlayingTheRightButtonStopsAndWhileDraggingItDoesNothing) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(40, {});
  Film* f = Clip(v, 0, 100, 0, 30, "clip");
  GuiPumpMessages();
  Engine().playing = true;
  EXPECT_TRUE(RightClick(115, Middle(0)).empty());
  EXPECT_FALSE(Engine().playing);
  Press(115, Middle(0));
  EXPECT_TRUE(RightClick(120, Middle(0)).empty());
  Move(125, Middle(0));
  Release(125, Middle(0));
  EXPECT_EQ(Frame(f->start), 110);
}

TEST_F(Menus, AddMarkPutsAFrameRoundedMarkOnlyInsideTheClip) {
  OpenRows(1, 1);
  Zoom(4);  // ten pixels a frame
  VideoData* v = KeyedAvi(40, {});
  Film* f = Clip(v, 0, 10, 2, 30, "clip");  // x 100 .. 380, source frame 2 at x 100
  GuiPumpMessages();
  RightClick(155, Middle(0), kCmAddMark);  // source frame 7.5
  ASSERT_EQ(f->marks.Count(), 1);
  EXPECT_EQ(f->marks[0].time, Ms(7));
  EXPECT_TRUE(Engine().IsModified());
  EXPECT_TRUE(UndoScript::CanUndo());
  // On the clip's first frame: not strictly inside.
  RightClick(102, Middle(0), kCmAddMark);
  EXPECT_EQ(f->marks.Count(), 1);
  // A second mark where one is: refused, and no undo step for it.
  RightClick(155, Middle(0), kCmAddMark);
  EXPECT_EQ(f->marks.Count(), 1);
  EXPECT_TRUE(Engine().CmUndo());
  f = FilmList.First();
  EXPECT_EQ(f->marks.Count(), 0);
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(Menus, TheMarksCommandsRemoveRenameAndPlaceThroughTheDialogs) {
  OpenRows(1, 1);
  ScriptedDialogs dialogs;
  VideoData* v = KeyedAvi(40, {});
  Film* f = Clip(v, 0, 100, 0, 30, "clip");
  ASSERT_TRUE(f->marks.AddMark(Ms(15)));
  ASSERT_TRUE(f->marks.AddMark(Ms(25)));
  f->marks.SetName(0, "old");
  GuiPumpMessages();
  dialogs.name = "intro";
  RightClick(115, MarkY(0), kCmMarkName);
  EXPECT_STREQ(f->marks[0].name, "intro");
  dialogs.ok = false;
  dialogs.name = "lost";
  RightClick(115, MarkY(0), kCmMarkName);
  EXPECT_STREQ(f->marks[0].name, "intro");
  EXPECT_EQ(dialogs.asked, (std::vector<std::string>{"old", "intro"}));
  dialogs.ok = true;
  dialogs.time = Ms(25);  // where the other mark is: nothing moves
  RightClick(115, MarkY(0), kCmMarkPosition);
  EXPECT_EQ(f->marks[0].time, Ms(15));
  dialogs.time = Ms(20);
  RightClick(115, MarkY(0), kCmMarkPosition);
  EXPECT_EQ(f->marks[0].time, Ms(20));
  EXPECT_EQ(dialogs.limits.back(), (Point{0, Ms(30) - 1}));
  RightClick(125, MarkY(0), kCmRemoveMark);
  ASSERT_EQ(f->marks.Count(), 1);
  EXPECT_EQ(f->marks[0].time, Ms(20));
  EXPECT_EQ(dialogs.captions,
            (std::vector<std::string>{"Mark Name", "Mark Name", "Mark Position", "Mark Position"}));
  // Rename, place and remove: three undo steps.
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Engine().CmUndo()) << i;
  EXPECT_FALSE(UndoScript::CanUndo());
  f = FilmList.First();
  ASSERT_EQ(f->marks.Count(), 2);
  EXPECT_STREQ(f->marks[0].name, "old");
}

TEST_F(Menus, TheInPointMovesToTheNextOrPrecedingKeyFrameInOneUndoStep) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(40, {0, 10, 20}, {11});
  const struct {
    UINT command;
    int32_t in;
  } cases[] = {{kCmInToNextKeyFrame, 20}, {kCmInToPrevKeyFrame, 11}};
  for (const auto& c : cases) {
    ClearProject();
    Film* f = Clip(v, 0, 112, 12, 30, "clip");
    GuiPumpMessages();
    RightClick(125, Middle(0), c.command);
    EXPECT_EQ(Frame(f->in), c.in);
    EXPECT_EQ(Frame(f->start), 100 + c.in);
    EXPECT_EQ(Frame(f->end), 130);
    // The first picture is made again for the new in point.
    auto* picture = dynamic_cast<TEVideoBitmap*>(f->inPicture);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->a, f->in);
    EXPECT_EQ(players.video.stills.back(), (Still{v, Ms(c.in), true}));
    ASSERT_TRUE(Engine().CmUndo());
    EXPECT_EQ(Frame(FilmList.First()->in), 12);
    EXPECT_FALSE(UndoScript::CanUndo());
  }
}

TEST_F(Menus, WithoutAKeyFrameToGoToTheInPointStaysWithAWarning) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(40, {0});
  const struct {
    UINT command;
    int32_t in;
    const char* caption;  // none: no warning, the in point is a key frame
  } cases[] = {
      {kCmInToNextKeyFrame, 12, "ClipIn to next key frame"},
      {kCmInToPrevKeyFrame, 12, "ClipIn to preceding key frame"},
      {kCmInToNextKeyFrame, 0, nullptr},
  };
  for (const auto& c : cases) {
    ClearProject();
    boxes.boxes.clear();
    Clip(v, 0, 100, 0, 5, "before");  // the preceding key frame is out of reach
    Film* f = Clip(v, 0, 112, c.in, 30, "clip");
    GuiPumpMessages();
    Film* menuFilm = f;
    // The commands act on the clip of the last right click even with the menu closed.
    RightClick(125, Middle(0));
    Line().SendMessage(WM_COMMAND, c.command, 0);
    EXPECT_EQ(menuFilm->in, Ms(c.in));
    EXPECT_EQ(menuFilm->start, Ms(112));
    EXPECT_FALSE(UndoScript::CanUndo());
    EXPECT_FALSE(Engine().IsModified());
    if (c.caption == nullptr) {
      EXPECT_TRUE(boxes.boxes.empty());
      continue;
    }
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, c.caption);
    EXPECT_NE(boxes.boxes[0].text.find("WARNING: Fragment is starting from NOT a key frame!"),
              std::string::npos);
    EXPECT_TRUE(boxes.boxes[0].flags & MB_ICONEXCLAMATION);
  }
}

TEST_F(Menus, TheOtherCommandsGoToTheTimeLineAndTheEngine) {
  OpenRows(1, 1);
  VideoData* v = KeyedAvi(40, {});
  Film* f = Clip(v, 0, 100, 0, 30, "clip");
  std::snprintf(tl_->Settings().videoEditor, MAX_PATH, "%s", "/opt/vedit.sh");
  GuiPumpMessages();
  for (UINT command : {kCmVideoEditor, kCmCutClip, kCmCopyClip}) RightClick(115, Middle(0), command);
  for (UINT command : {kCmAddSourceFile, kCmDeleteSelected, kCmCutSelected, kCmCopySelected}) {
    f->group = command == kCmAddSourceFile ? 0 : SelectionGroup;
    RightClick(300, Middle(0), command);
  }
  const std::string file = std::string("tool ") + v->GetFileName();
  EXPECT_EQ(tl_->calls, (std::vector<std::string>{file, "cut clip clip", "copy clip clip", "add source",
                                                  "delete selected", "cut selected", "copy selected"}));
  EXPECT_EQ(tl_->args[0], (Point{kCmVideoEditor, 0}));
  EXPECT_EQ(tl_->args[3], (Point{kKindVideo, 0}));
  // Split at the frame of the menu's point, then play, paste and delete.
  RightClick(115, Middle(0), kCmSplitClip);
  ASSERT_EQ(FilmList.Count(), 2);
  EXPECT_EQ(Frame(FilmList.First()->end), 115);
  RightClick(120, Middle(0), kCmPlayClip);
  EXPECT_EQ(players.video.plays, 1);
  Film::Link(new Film(*FilmList.First(), kKindVideo), ClipClipboard);
  RightClick(300, Middle(1), kCmPasteClips);
  ASSERT_EQ(FilmList.Count(), 3);
  EXPECT_EQ(Frame(FilmList.Last()->start), 300);
  EXPECT_EQ(FilmList.Last()->videoRow, 1);
  RightClick(305, Middle(1), kCmDeleteClip);
  EXPECT_EQ(FilmList.Count(), 2);
}

}  // namespace
}  // namespace videolinetest
