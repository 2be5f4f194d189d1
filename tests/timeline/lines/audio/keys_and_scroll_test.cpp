// Scrolling while a drag has the pointer outside the lines, across time and
// up and down; the keys that take a drag to another line when the lines
// must scroll for it; and the double-click.
#include "audio/effect_list.h"
#include "audio_lines_fixture.h"

namespace audiolinetest {
namespace {

class KeysAndScroll : public AudioLineTest {
 protected:
  // Four lines at full height in a window that shows two of them.
  Film* SetUpClip(int32_t line) {
    OpenLines({0, 0, 0, 0}, nullptr, 500);
    EXPECT_EQ(Lines().GetClientRect().Height(), 2 * 96 + 1);
    Film* f = Clip(Audio("a.wav", 1000), line, 300, 0, 500);
    GuiPumpMessages();
    return f;
  }
  int32_t FirstShown() { return Engine().audioPanel.firstShown; }
  int Height() { return Lines().GetClientRect().Height(); }
};

TEST_F(KeysAndScroll, WithoutAutoScrollAStepScrollsALineAndThePointerMovesWithTheContent) {
  Film* f = SetUpClip(0);
  tl_->Settings().autoScroll = false;
  Press(400, 60);
  Move(400, Height() + 20);
  EXPECT_FALSE(Lines().ScrollTimerRunning());
  EXPECT_EQ(tl_->vscrolls, std::vector<UINT>{SB_LINEDOWN});
  EXPECT_EQ(FirstShown(), 1);
  POINT at{};
  GetCursorPos(&at);
  EXPECT_EQ(at.y, Screen(0, Height() + 20).y - 96);
  GuiPumpMessages();
  EXPECT_EQ(f->audioLine, 2);
  Release(400, at.y - Screen(0, 0).y);
  EXPECT_EQ(f->audioLine, 2);
}

TEST_F(KeysAndScroll, WithAutoScrollTheTimerScrollsDownAndADropOnTheCollectionTakesItAllBack) {
  Film* f = SetUpClip(0);
  FakeCollection collection;
  Engine().SetClipCollection(&collection);
  Press(400, 60);
  Move(400, Height() + 20);
  EXPECT_TRUE(Lines().ScrollTimerRunning());
  for (int i = 0; i < 3; ++i) {
    clock_.Advance(100);
    GuiPumpMessages();
  }
  EXPECT_EQ(FirstShown(), 2);
  EXPECT_EQ(f->audioLine, 3);
  // Back inside the timer stops.
  Move(400, 60);
  clock_.Advance(100);
  GuiPumpMessages();
  EXPECT_FALSE(Lines().ScrollTimerRunning());
  // Dropped on the collection: the clip goes there and the time-line is
  // as before the press, its lines scrolled back.
  RECT box;
  GetWindowRect(collection.window, &box);
  GuiMouseMove(box.left + 50, box.top + 50);
  GuiPumpMessages();
  EXPECT_EQ(Lines().hitZone, kZoneMoveToCollection);
  GuiMouseButton(0, false, box.left + 50, box.top + 50);
  GuiPumpMessages();
  EXPECT_EQ(collection.pasted, std::vector<std::string>{"clip"});
  EXPECT_EQ(FilmList.First()->audioLine, 0);
  EXPECT_EQ(FirstShown(), 0);
  EXPECT_EQ(tl_->VertScrollBar()->GetPosition(), 0);
  Engine().SetClipCollection(nullptr);
}

TEST_F(KeysAndScroll, UpAndDownScrollTheLinesWhenTheNextOneIsOutOfSight) {
  Film* f = SetUpClip(1);
  Press(400, 97 + 60);
  ASSERT_EQ(Lines().PointerLine(), 1);
  Lines().OnDragKey(VK_DOWN);
  GuiPumpMessages();
  EXPECT_EQ(FirstShown(), 1);
  EXPECT_EQ(f->audioLine, 2);
  Lines().OnDragKey(VK_UP);
  GuiPumpMessages();
  EXPECT_EQ(f->audioLine, 1);
  EXPECT_EQ(FirstShown(), 1);
  Lines().OnDragKey(VK_UP);
  GuiPumpMessages();
  EXPECT_EQ(FirstShown(), 0);
  EXPECT_EQ(f->audioLine, 0);
  POINT at{};
  GetCursorPos(&at);
  Release(400, at.y - Screen(0, 0).y);
  EXPECT_EQ(f->start, 300);
}

TEST_F(KeysAndScroll, TheTimeLineHandsADragItsArrowKeysAndTheLinesTheirIdleRedraws) {
  OpenLines();
  Film* f = Clip(Audio("a.wav", 1000), 0, 300, 0, 500);
  ASSERT_TRUE(f->marks.AddMark(100));  // x 400
  GuiPumpMessages();
  Press(400, MarkY(0));
  ASSERT_EQ(Lines().hitZone, kZoneMark);
  MSG key{};
  key.hwnd = Lines().GetHandle();
  key.message = WM_KEYDOWN;
  key.wParam = VK_RIGHT;
  EXPECT_TRUE(tl_->PreProcessMsg(key));
  EXPECT_EQ(f->marks[0].time, 101);
  Release(400, MarkY(0));
  // Without a drag the key is not the mark's.
  key.wParam = VK_LEFT;
  tl_->PreProcessMsg(key);
  EXPECT_EQ(f->marks[0].time, 101);
  // An exact waveform asked for is drawn at the next idle moment.
  f->audioState = 2;
  EXPECT_TRUE(tl_->DrawPendingClip());
  EXPECT_EQ(f->audioState, 0);
  EXPECT_FALSE(tl_->DrawPendingClip());
}

TEST_F(KeysAndScroll, ADoubleClickPlaysOnceFromThePointerOrOpensTheClipsEffects) {
  OpenLines();
  ScriptedDialogs dialogs;
  dialogs.ok = false;
  filmtest::FakeAudio* a = Audio("a.wav", 10000);
  Clip(a, 0, 100, 0, 300);
  Film* far = Clip(a, 1, 200, 0, 600);
  far->effects = EffectList::New();
  GuiPumpMessages();
  DoubleClick(150, Middle(0));
  DoubleClick(50, Middle(0));
  far->end = 5000;
  const int width = Lines().GetClientRect().Width();
  DoubleClick(250, Middle(1));
  std::vector<Point> plays;
  for (std::size_t i = 0; i < tl_->calls.size(); ++i) {
    if (tl_->calls[i] == "play once") plays.push_back(tl_->args[i]);
  }
  EXPECT_EQ(plays, (std::vector<Point>{{150, 800}, {100, 800}, {250, width}}));
  EXPECT_TRUE(dialogs.captions.empty());
  DoubleClick(202, Row(1).bottom - 2);
  EXPECT_EQ(dialogs.captions, std::vector<std::string>{"effects"});
  EXPECT_EQ(plays.size(), 3u);
}

TEST_F(KeysAndScroll, AShiftDoubleClickTogglesTheLaterClipsOfTheLineInOneUndoStep) {
  OpenLines();
  filmtest::FakeAudio* a = Audio("a.wav", 10000);
  for (bool multiselect : {false, true}) {
    ClearProject();
    Film* p = Clip(a, 0, 100, 0, 30, "p");
    Film* q = Clip(a, 0, 140, 0, 30, "q");
    Film* r = Clip(a, 0, 180, 0, 20, "r");
    Film* s = Clip(a, 1, 150, 0, 100, "s");
    q->group = SelectionGroup;
    GuiPumpMessages();
    tl_->multiselectMode = multiselect;
    if (!multiselect) Key(VK_SHIFT, true);
    DoubleClick(120, Middle(0));
    if (!multiselect) Key(VK_SHIFT, false);
    tl_->multiselectMode = false;
    EXPECT_TRUE(p->IsSelected());
    EXPECT_FALSE(q->IsSelected());
    EXPECT_TRUE(r->IsSelected());
    EXPECT_FALSE(s->IsSelected());
    ASSERT_TRUE(Engine().CmUndo());
    std::string selected;
    for (Film* f = FilmList.First(); f; f = f->next) {
      if (f->IsSelected()) selected += f->name;
    }
    EXPECT_EQ(selected, "q");
    EXPECT_FALSE(UndoScript::CanUndo());
  }
}

}  // namespace
}  // namespace audiolinetest
