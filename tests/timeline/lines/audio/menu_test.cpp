// The popup menu of the audio lines and its commands on a clip's marks,
// volume, profiles and declick ramps, chosen as the user chooses them, with
// the dialogs answered by script; and the commands it passes on.
#include "audio/effect_list.h"
#include "audio_lines_fixture.h"
#include "model/levels.h"
#include "resources/value_dialog_ids.h"
#include "ui/dialog_script.h"

namespace audiolinetest {
namespace {

class Menus : public AudioLineTest {
 protected:
  // Line 0 at full height, a ms a pixel: a clip at x 100 .. 900 of a
  // source of 1000 ms with volume points at 0, 200, 400 (raised to 1024),
  // 600 and 999.
  Film* SetUpClip() {
    OpenLines({0});
    Film* f = Clip(Audio("a.wav", 1000), 0, 100, 0, 800, "speech");
    Profile& p = f->volumePoints;
    p.Last().time = 999;
    for (int32_t t : {200, 400, 600}) p.Insert(t, 512);
    p[2].value = 1024;
    GuiPumpMessages();
    return f;
  }
  struct Pt {
    int32_t time, value;
    bool operator==(const Pt&) const = default;
  };
  static std::vector<Pt> Points(const Profile& p) {
    std::vector<Pt> out;
    for (int32_t i = 0; i < p.Count(); ++i) out.push_back({p[i].time, p[i].value});
    return out;
  }
  // A y on line 0 clear of the profile and the marks.
  int Clear() { return VolumeY(0, 512) + 20; }
};

TEST_F(Menus, OverEmptySpaceTheSelectionAndTheClipboardDecide) {
  Film* f = SetUpClip();
  EXPECT_EQ(RightClick(50, Clear()),
            (std::vector<std::string>{"Add source file...=213", "-", "Delete selected clip(s)=122 grey",
                                      "Cut selected clip(s)=123 grey", "Copy selected clip(s)=124 grey",
                                      "Paste=318 grey", "Insert=320 grey"}));
  f->group = SelectionGroup;
  Film::Link(new Film(*f, kKindAudio), ClipClipboard);
  EXPECT_EQ(RightClick(50, Clear()),
            (std::vector<std::string>{"Add source file...=213", "-", "Delete selected clip(s)=122",
                                      "Cut selected clip(s)=123", "Copy selected clip(s)=124", "Paste=318",
                                      "Insert=320"}));
}

TEST_F(Menus, OverAClipItsEditItsMarkItsProfileItsDeclickAndItsEffects) {
  Film* f = SetUpClip();
  f->volumePoints[2].value = 512;  // the profile as a new clip has it, in five points
  std::vector<std::string> items = {"Edit>",
                                    "Edit>Delete clip=313",
                                    "Edit>Cut clip=314",
                                    "Edit>Copy clip=315",
                                    "Edit>Paste=318 grey",
                                    "Edit>Insert=320 grey",
                                    "Edit>-",
                                    "Edit>Audio editor=712 grey",
                                    "Edit>-",
                                    "Edit>Clip properties...=321",
                                    "Split clip=326",
                                    "Repeat clip...=108",
                                    "Add mark=102",
                                    "Play clip=101",
                                    "Clip volume...=113",
                                    "Profile>",
                                    "Profile>Set profile value...=114",
                                    "Profile>Add profile point=115",
                                    "Profile>Remove profile point=116 grey",
                                    "Profile>Delete profile=117",
                                    "Profile>-",
                                    "Profile>FadeIn=111 grey",
                                    "Profile>FadeOut=112 grey",
                                    "Declick>",
                                    "Declick>fadeIn=118",
                                    "Declick>fadeOut=119",
                                    "Declick>-",
                                    "Declick>Set both=120",
                                    "Declick>Clear both=121 grey",
                                    "Audio effects>",
                                    "Audio effects>Add new...=518",
                                    "Audio effects>Paste=341 grey",
                                    "Audio effects>Add=342 grey",
                                    "Audio effects>Delete=343 grey",
                                    "Audio effects>-",
                                    "Audio effects>Use=125 grey"};
  // Five points of one value are more than a fresh profile has.
  EXPECT_EQ(RightClick(450, Clear()), items);

  // The editor set; on the clip's edge; the ramp in set.
  std::snprintf(tl_->Settings().audioEditor, MAX_PATH, "%s", "/opt/tools/sweep.sh");
  f->declickIn = true;
  std::vector<std::string> edge = items;
  edge[7] = "Edit>Audio editor (sweep)=712";
  edge[17] = "Profile>Add profile point=115 grey";
  edge[24] = "Declick>fadeIn=118 checked";
  edge[28] = "Declick>Clear both=121";
  EXPECT_EQ(RightClick(103, Clear()), edge);

  // A fresh profile; both ramps; an effect list in use and one in the
  // clipboard; over a mark and on an inner key point.
  ASSERT_TRUE(f->marks.AddMark(500));
  const ProfilePoint fresh[2] = {{0, 512}, {999, 512}};
  f->volumePoints.Assign(fresh, 2);
  f->volumePoints.Insert(300, 512);
  f->declickOut = true;
  f->effects = EffectList::New();
  EffectList* clipboard = EffectList::New();
  EffectList::SetDefault(clipboard);
  clipboard->Release();
  std::vector<std::string> full = edge;
  full[17] = "Profile>Add profile point=115";
  full[18] = "Profile>Remove profile point=116";
  full[25] = "Declick>fadeOut=119 checked";
  full[27] = "Declick>Set both=120 grey";
  full[30] = "Audio effects>Edit...=518";
  full[31] = "Audio effects>Paste=341";
  full[32] = "Audio effects>Add=342";
  full[33] = "Audio effects>Delete=343";
  full[35] = "Audio effects>Use=125 checked";
  EXPECT_EQ(RightClick(400, VolumeY(0, 512)), full);
  std::vector<std::string> mark = full;
  mark[18] = "Profile>Remove profile point=116 grey";
  mark[12] = "Mark>";
  mark.insert(mark.begin() + 13,
              {"Mark>Set mark position...=105", "Mark>Mark name...=104", "Mark>Remove mark=103"});
  dynamic_cast<EffectList*>(f->effects)->SetEnabled(false);
  mark.back() = "Audio effects>Use=125";
  EXPECT_EQ(RightClick(600, MarkY(0)), mark);
  EffectList::SetDefault(nullptr);
}

TEST_F(Menus, WhilePlayingTheRightButtonStopsAndWhileDraggingItDoesNothing) {
  Film* f = SetUpClip();
  Engine().playing = true;
  EXPECT_TRUE(RightClick(450, Clear()).empty());
  EXPECT_FALSE(Engine().playing);
  Press(450, Clear());
  EXPECT_TRUE(RightClick(460, Clear()).empty());
  Release(470, Clear());
  EXPECT_EQ(f->start, 120);
}

TEST_F(Menus, AMarkGoesWhereTheMenuOpenedItsNameAndPlaceThroughTheDialogs) {
  Film* f = SetUpClip();
  ScriptedDialogs dialogs;
  tl_->snapTarget = 355;  // gravity takes the menu's point onto a mark there
  Engine().gravityDistanceMs = 10;
  RightClick(350, Clear(), kCmAddMark);
  ASSERT_EQ(f->marks.Count(), 1);
  EXPECT_EQ(f->marks[0].time, 255);
  EXPECT_EQ(tl_->snapFilters, std::vector<int32_t>{0});
  tl_->snapTarget = -1;
  RightClick(600, Clear(), kCmAddMark);
  ASSERT_EQ(f->marks.Count(), 2);
  EXPECT_EQ(f->marks[1].time, 500);
  dialogs.name = "cue";
  RightClick(355, MarkY(0), kCmMarkName);
  EXPECT_STREQ(f->marks[0].name, "cue");
  dialogs.time = 300;
  RightClick(355, MarkY(0), kCmMarkPosition);
  EXPECT_EQ(f->marks[0].time, 300);
  EXPECT_EQ(dialogs.limits.back(), (Point{0, 799}));
  RightClick(600, MarkY(0), kCmRemoveMark);
  ASSERT_EQ(f->marks.Count(), 1);
  EXPECT_EQ(dialogs.captions, (std::vector<std::string>{"Mark Name", "Mark Position"}));
  // Two marks added, renamed, placed, removed: five undo steps.
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(Engine().CmUndo()) << i;
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_EQ(FilmList.First()->marks.Count(), 0);
}

TEST_F(Menus, TheClipVolumeChangesLiveAndStaysOnlyOnOk) {
  Film* f = SetUpClip();
  ScriptedDialogs dialogs;
  dialogs.level = 300;
  dialogs.balance = -40;
  std::vector<std::pair<int32_t, int32_t>> seen;
  dialogs.whileOpen = [&] { seen.push_back({f->volume, f->balance}); };
  ForgetChanges();
  dialogs.ok = false;
  RightClick(450, Clear(), kCmClipVolume);
  EXPECT_EQ(f->volume, 512);
  EXPECT_EQ(f->balance, 0);
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_FALSE(Engine().IsModified());
  dialogs.ok = true;
  RightClick(450, Clear(), kCmClipVolume);
  EXPECT_EQ(f->volume, 300);
  EXPECT_EQ(f->balance, -40);
  EXPECT_EQ(seen, (std::vector<std::pair<int32_t, int32_t>>{{300, -40}, {300, -40}}));
  EXPECT_EQ(dialogs.captions, (std::vector<std::string>{"Clip", "Clip"}));
  EXPECT_EQ(dialogs.places.back(), (Point{450, Clear()}));
  EXPECT_EQ(dialogs.rects.back().left, 100);
  EXPECT_EQ(dialogs.rects.back().right, 900);
  EXPECT_TRUE(Engine().IsModified());
  EXPECT_LE(LineChangedRange[0].start, 100);
  EXPECT_GE(LineChangedRange[0].end, 900);
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(FilmList.First()->volume, 512);
  EXPECT_EQ(FilmList.First()->balance, 0);
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(Menus, WithoutAScriptTheProgramsOwnPopupSetsTheClipVolume) {
  Film* f = SetUpClip();
  RightClick(450, Clear());
  std::string caption;
  dialogtest::ModalScript script({[&](HWND popup) {
    caption = dialogtest::Text(popup);
    dialogtest::TypeOver(popup, kLevelPercent, "50");
    dialogtest::Click(popup, IDOK);
  }});
  Lines().SendMessage(WM_COMMAND, kCmClipVolume, 0);
  GuiPumpMessages();
  EXPECT_EQ(caption, "Clip");
  EXPECT_EQ(f->volume, 256);
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(FilmList.First()->volume, 512);
}

TEST_F(Menus, SetProfileValueEditsAPointAFlatSegmentOrAPointInsertedIntoASlope) {
  ScriptedDialogs dialogs;
  dialogs.level = 700;
  const struct {
    int x, y;
    std::vector<int> answers;  // to the question, when it is asked
    std::vector<Pt> after;
  } cases[] = {
      // On the point at 200.
      {300, 0, {}, {{0, 512}, {200, 700}, {400, 1024}, {600, 512}, {999, 512}}},
      // The flat segment 600 .. 999, both points.
      {750, 0, {}, {{0, 512}, {200, 512}, {400, 1024}, {600, 700}, {999, 700}}},
      // The slope 200 .. 400: a point inserted at 250, then set.
      {350, 1, {IDYES}, {{0, 512}, {200, 512}, {250, 700}, {400, 1024}, {600, 512}, {999, 512}}},
      {350, 1, {IDNO}, {{0, 512}, {200, 512}, {400, 1024}, {600, 512}, {999, 512}}},
      // Far from the profile, near the point at 600 in time.
      {703, 2, {}, {{0, 512}, {200, 512}, {400, 1024}, {600, 700}, {999, 512}}},
  };
  for (const auto& c : cases) {
    if (tl_ != nullptr) {
      ClearProject();
      Close();
    }
    Film* f = SetUpClip();
    const std::vector<Pt> before = Points(f->volumePoints);
    boxes.boxes.clear();
    boxes.answers = c.answers;
    const int unity = VolumeY(0, 512);
    const int y = c.y == 0 ? unity : c.y == 1 ? (unity + VolumeY(0, 1024)) / 2 : unity + 30;
    RightClick(c.x, y, kCmSetProfileValue);
    EXPECT_EQ(Points(f->volumePoints), c.after) << c.x;
    EXPECT_EQ(boxes.boxes.size(), c.answers.size()) << c.x;
    if (!c.answers.empty()) {
      EXPECT_EQ(boxes.boxes[0].text, "Insert new point into volume profile?");
      EXPECT_EQ(boxes.boxes[0].caption, "Set profile value");
    }
    if (c.answers == std::vector<int>{IDNO}) {
      EXPECT_FALSE(UndoScript::CanUndo());
      continue;
    }
    EXPECT_EQ(dialogs.captions.back(), "Profile");
    // Undo takes the value back, then the insertion.
    ASSERT_TRUE(Engine().CmUndo());
    if (c.answers == std::vector<int>{IDYES}) {
      EXPECT_EQ(FilmList.First()->volumePoints.Count(), 6);
      ASSERT_TRUE(Engine().CmUndo());
    }
    EXPECT_EQ(Points(FilmList.First()->volumePoints), before) << c.x;
    EXPECT_FALSE(UndoScript::CanUndo());
  }
  // Cancelled: nothing changes.
  ClearProject();
  Close();
  Film* f = SetUpClip();
  const std::vector<Pt> before = Points(f->volumePoints);
  dialogs.ok = false;
  RightClick(300, VolumeY(0, 512), kCmSetProfileValue);
  EXPECT_EQ(Points(f->volumePoints), before);
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(Menus, ABalanceValueGoesThroughTheBalancePopup) {
  Film* f = SetUpClip();
  ScriptedDialogs dialogs;
  dialogs.balance = -100;
  tl_->Settings().profileMode = kProfileBalance;
  RightClick(450, Middle(0), kCmSetProfileValue);
  EXPECT_EQ(Points(f->balancePoints), (std::vector<Pt>{{0, -100}, {1000, -100}}));
  EXPECT_EQ(dialogs.opened, std::vector<int32_t>{0});
}

TEST_F(Menus, RemovingAPointRefusesTheEndsWithATextAndABeep) {
  Film* f = SetUpClip();
  // A clip that shows its whole source, to its last point.
  Film* whole = Clip(Audio("b.wav", 300), 1, 100, 0, 300, "whole");
  GuiPumpMessages();
  const int unity = VolumeY(0, 512);
  TakeBeeps();
  const struct {
    int x, y;
    const char* says;
    Film* film;
    int32_t count;  // its points afterwards
  } cases[] = {
      {101, unity, "Can not remove first profile point", f, 5},
      {399, VolumeY(1, 512), "Can not remove last profile point", whole, 2},
      {850, unity + 30, "Profile point at 0:750ms(0:850ms) could not be found", f, 5},
      {300, unity, "Profile point at 0:200ms(0:300ms) removed", f, 4},
  };
  for (const auto& c : cases) {
    // Grey in the menu but for an inner point, and refused when run anyway.
    RightClick(c.x, c.y);
    Lines().SendMessage(WM_COMMAND, kCmRemoveProfilePoint, 0);
    EXPECT_EQ(tl_->status, c.says);
    EXPECT_EQ(c.film->volumePoints.Count(), c.count) << c.x;
    EXPECT_EQ(TakeBeeps(), c.count == 4 ? std::vector<UINT>{} : std::vector<UINT>{MB_ICONINFORMATION}) << c.x;
  }
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_EQ(Film::FindByLine(150, kKindAudio, 0)->volumePoints.Count(), 5);
}

TEST_F(Menus, AddProfilePointTakesTheProfilesOwnValueThere) {
  Film* f = SetUpClip();
  RightClick(400, Clear(), kCmAddProfilePoint);  // source 300, half way up the slope
  ASSERT_EQ(f->volumePoints.Count(), 6);
  EXPECT_EQ(f->volumePoints[2].time, 300);
  const int32_t v = f->volumePoints[2].value;
  EXPECT_GT(v, 600);
  EXPECT_LT(v, 900);
  RightClick(400, VolumeY(0, v), kCmAddProfilePoint);
  EXPECT_EQ(f->volumePoints.Count(), 6);
  EXPECT_NE(tl_->status.find("already exists"), std::string::npos);
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(Menus, DeleteProfileAsksAndLeavesTwoPointsAtUnity) {
  Film* f = SetUpClip();
  boxes.answers = {IDNO, IDYES};
  RightClick(450, Clear(), kCmDeleteClipProfile);
  EXPECT_EQ(f->volumePoints.Count(), 5);
  RightClick(450, Clear(), kCmDeleteClipProfile);
  EXPECT_EQ(Points(f->volumePoints), (std::vector<Pt>{{0, 512}, {999, 512}}));
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].text, "Delete profile?");
  EXPECT_EQ(boxes.boxes[1].caption, "Delete profile");
  // Now it is as a fresh clip has it: nothing to delete, no question.
  Lines().SendMessage(WM_COMMAND, kCmDeleteClipProfile, 0);
  EXPECT_EQ(boxes.boxes.size(), 2u);
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_EQ(FilmList.First()->volumePoints.Count(), 5);
}

TEST_F(Menus, DeclickTogglesSetsAndClearsInAStepEachButNotForNothing) {
  Film* f = SetUpClip();
  const struct {
    UINT command;
    bool in, out;
    bool step;
  } cases[] = {
      {kCmDeclickIn, true, false, true},  {kCmDeclickBoth, true, true, true}, {kCmDeclickBoth, true, true, false},
      {kCmDeclickOut, true, false, true}, {kCmDeclickNone, false, false, true},
      {kCmDeclickNone, false, false, false},
  };
  int steps = 0;
  for (const auto& c : cases) {
    RightClick(450, Clear());
    Lines().SendMessage(WM_COMMAND, c.command, 0);
    EXPECT_EQ(f->declickIn, c.in) << c.command;
    EXPECT_EQ(f->declickOut, c.out) << c.command;
    steps += c.step;
  }
  for (int i = 0; i < steps; ++i) EXPECT_TRUE(Engine().CmUndo()) << i;
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(Menus, TheOtherCommandsGoToTheTimeLineAndTheEngine) {
  Film* f = SetUpClip();
  std::snprintf(tl_->Settings().audioEditor, MAX_PATH, "%s", "/opt/tools/sweep.sh");
  for (UINT command : {kCmAudioEditor, kCmCutClip, kCmCopyClip}) RightClick(450, Clear(), command);
  for (UINT command : {kCmAddSourceFile, kCmDeleteSelected, kCmCutSelected, kCmCopySelected}) {
    f->group = command == kCmAddSourceFile ? 0 : SelectionGroup;
    RightClick(50, Clear(), command);
  }
  EXPECT_EQ(tl_->calls, (std::vector<std::string>{"tool a.wav", "cut clip speech", "copy clip speech",
                                                  "add source", "delete selected", "cut selected",
                                                  "copy selected"}));
  EXPECT_EQ(tl_->args[0], (Point{kCmAudioEditor, 0}));
  EXPECT_EQ(tl_->args[3], (Point{kKindAudio, 0}));
  // Split at the menu's time, play a part alone, paste onto the line under
  // the menu, and delete.
  RightClick(450, Clear(), kCmSplitClip);
  ASSERT_EQ(FilmList.Count(), 2);
  EXPECT_EQ(FilmList.First()->end, 450);
  RightClick(500, Clear(), kCmPlayClip);
  EXPECT_EQ(sound_.audio.prepared, (std::vector<Point>{{450, 900}}));
  Engine().CmStop();
  Film::Link(new Film(*FilmList.First(), kKindAudio), ClipClipboard);
  RightClick(40, Middle(1), kCmPasteClips);
  ASSERT_EQ(FilmList.Count(), 3);
  EXPECT_EQ(FilmList.First()->start, 40);
  EXPECT_EQ(FilmList.First()->audioLine, 1);
  RightClick(45, Middle(1), kCmDeleteClip);
  EXPECT_EQ(FilmList.Count(), 2);
}

}  // namespace
}  // namespace audiolinetest
