// A line's effect list: the editor heard live on the line, Cancel and OK,
// the effect clipboard, deleting and switching the effects.
#include "model/changed_ranges.h"
#include "model/time_code.h"
#include "panel_fixture.h"

namespace paneltest {
namespace {

class Effects : public PanelTest {
 protected:
  // Sets the live gain of an effect without saving it.
  static void SetLive(Effect* e, float gain) {
    BYTE state[GainSettings::kStateSize];
    effect_state::Encode(GainSettings{gain}, state);
    ASSERT_NE(e->component->LoadState(state, sizeof state), 0);
  }
  // Double-clicks the effect triangle of an audio row.
  void OpenEditor(int32_t row) { DoubleClick(AudioPanel(), Triangle(AudioPanel(), row)); }

  LockWatchingBoxes watch_{boxes, lock_};
};

TEST_F(Effects, CancelPutsBackTheListAndItsStatesInTheRowAndTheEngine) {
  OpenPanels();
  EffectList* previous = GainList({2.0f});
  AudioRow(1).effects = previous;
  // The live setting has drifted from the saved one: it is what is heard.
  SetLive(previous->first, 3.0f);
  const int lists = CountLists();
  EffectList* edited = nullptr;
  dialogs_.editor = [&](EffectList* list) {
    edited = list;
    // The line plays the list being edited.
    EXPECT_EQ(AudioRow(1).effects, list);
    EXPECT_EQ(lock_.told.back().list, list);
    EXPECT_NE(list, previous);
    // Its effect is live, so the dialog can show it and open its settings.
    EXPECT_NE(list->first->component, nullptr);
    EXPECT_FLOAT_EQ(LiveGain(list->first), 3.0f);
    SetLive(list->first, 5.0f);
    list->Insert(Effect::Create(CLSID_KobrixGain, "Gain"), nullptr);
    return false;
  };
  OpenEditor(1);
  ASSERT_NE(edited, nullptr);
  EXPECT_EQ(dialogs_.editedRows, (std::vector<int32_t>{1}));
  EXPECT_EQ(AudioRow(1).effects, previous);
  ASSERT_EQ(lock_.told.size(), 2u);
  EXPECT_EQ(lock_.told.back().line, 1);
  EXPECT_EQ(lock_.told.back().list, previous);
  EXPECT_FLOAT_EQ(LiveGain(previous->first), 3.0f);
  EXPECT_EQ(CountLists(), lists);
  EXPECT_EQ(previous->referenceCount, 1);
  EXPECT_EQ(previous->openCount, 1);
  EXPECT_EQ(lock_.outsideLock, 0);
  EXPECT_EQ(Snapshots(), 0);
  EXPECT_FALSE(Engine().IsModified());
  EXPECT_EQ(players_.mixer, (std::vector<Notice>{{kPanelRequestEffects, 1}, {16, 1}}));
}

TEST_F(Effects, OkKeepsTheEditedListInOneUndoStepTakenOutsideTheLock) {
  OpenPanels();
  EffectList* previous = GainList({2.0f});
  AudioRow(2).effects = previous;
  AudioFilm(Audio("l2.wav", 5000), 2, 1500, 2000);
  AudioFilm(Audio("l2b.wav", 5000), 2, 6000, 1000);
  for (int32_t i = 0; i < 4; ++i) LineChangedRange[i].Clear();
  EffectList* edited = nullptr;
  dialogs_.editor = [&](EffectList* list) {
    edited = list;
    EXPECT_NE(list->first->component, nullptr);
    SetLive(list->first, 4.0f);
    return true;
  };
  OpenEditor(2);
  ASSERT_NE(edited, nullptr);
  EXPECT_EQ(AudioRow(2).effects, edited);
  EXPECT_EQ(lock_.told.back().list, edited);
  EXPECT_FLOAT_EQ(LiveGain(edited->first), 4.0f);
  EXPECT_EQ(Snapshots(), 1);
  EXPECT_EQ(lock_.snapshotsInside, 0);
  EXPECT_EQ(lock_.outsideLock, 0);
  EXPECT_TRUE(Engine().IsModified());
  // The line's clips are mixed again, not the whole day.
  EXPECT_EQ(LineChangedRange[2].start, 1500);
  EXPECT_EQ(LineChangedRange[2].end, 7000);
  EXPECT_TRUE(LineChangedRange[1].Empty());

  // The step remembers the line as it was, and redo the change.
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(AudioRow(2).effects, previous);
  EXPECT_FLOAT_EQ(LiveGain(previous->first), 2.0f);
  ASSERT_TRUE(Engine().CmRedo());
  EXPECT_EQ(AudioRow(2).effects, edited);
  EXPECT_FLOAT_EQ(LiveGain(edited->first), 4.0f);
  ASSERT_TRUE(Engine().CmUndo());
  UndoScript::ClearAll();
  EXPECT_EQ(CountLists(), 1);
  EXPECT_EQ(previous->referenceCount, 1);
}

TEST_F(Effects, OkWithAnEmptiedListLeavesTheLineWithout) {
  OpenPanels();
  // A new list for a line without one.
  dialogs_.editor = [](EffectList*) { return true; };
  OpenEditor(0);
  EXPECT_TRUE(dialogs_.editedRows.empty());  // no triangle without a list
  AudioPanel().EditEffects(0);
  EXPECT_EQ(dialogs_.editedRows, (std::vector<int32_t>{0}));
  EXPECT_EQ(AudioRow(0).effects, nullptr);
  EXPECT_EQ(lock_.told.back().list, nullptr);
  EXPECT_EQ(CountLists(), 0);

  // Every effect removed from a list.
  EffectList* previous = GainList({2.0f, 3.0f});
  AudioRow(0).effects = previous;
  dialogs_.editor = [](EffectList* list) {
    while (Effect* e = list->first) {
      list->Unlink(e);
      delete e;
    }
    return true;
  };
  OpenEditor(0);
  EXPECT_EQ(AudioRow(0).effects, nullptr);
  EXPECT_EQ(lock_.told.back().list, nullptr);
  UndoScript::ClearAll();
  EXPECT_EQ(CountLists(), 0);
  EXPECT_EQ(lock_.outsideLock, 0);
}

TEST_F(Effects, TheEditorOpensOnlyWhenItMay) {
  OpenPanels();
  TimeLineEngine& e = Engine();
  dialogs_.editor = [](EffectList*) { return false; };
  // Already open for the row: brought forward.
  dialogs_.openEditorRow = 3;
  AudioPanel().EditEffects(3);
  dialogs_.openEditorRow = -1;
  e.commandsEnabled = false;
  AudioPanel().EditEffects(3);
  e.commandsEnabled = true;
  e.playing = true;
  e.play.realtimeMute = false;
  AudioPanel().EditEffects(3);
  EXPECT_TRUE(dialogs_.editedRows.empty());
  EXPECT_TRUE(lock_.told.empty());
  e.play.realtimeMute = true;
  AudioPanel().EditEffects(3);
  e.playing = false;
  EXPECT_EQ(dialogs_.editedRows, (std::vector<int32_t>{3}));
}

TEST_F(Effects, TheEffectClipboardIsPastedAddedAndTheLinesEffectsDeleted) {
  OpenPanels();
  EffectList* clipboard = GainList({0.5f});
  EffectList::SetDefault(clipboard);

  Choose(AudioPanel(), 0, kCmTrackPasteEffects);
  EffectList* pasted = LineEffects(AudioRow(0));
  ASSERT_NE(pasted, nullptr);
  EXPECT_NE(pasted, clipboard);
  EXPECT_EQ(pasted->bypass, 0);
  EXPECT_FLOAT_EQ(LiveGain(pasted->first), 0.5f);
  EXPECT_EQ(Snapshots(), 1);
  EXPECT_EQ(players_.mixer.back(), (Notice{16, 0}));

  // Replacing is asked first; No keeps the line's list.
  const int lists = CountLists();
  boxes.answers = {IDNO};
  Choose(AudioPanel(), 0, kCmTrackPasteEffects);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Track # 1 has audio effect(s)!\nReplace?");
  EXPECT_EQ(boxes.boxes[0].caption, "Paste Audio Effect(s)");
  EXPECT_EQ(AudioRow(0).effects, pasted);
  EXPECT_EQ(CountLists(), lists);

  // Added: a list of its own, so that the undo step keeps the one before.
  Choose(AudioPanel(), 0, kCmTrackAddEffects);
  EffectList* added = LineEffects(AudioRow(0));
  ASSERT_NE(added, nullptr);
  EXPECT_NE(added, pasted);
  EXPECT_EQ(lock_.told.back().list, added);
  ASSERT_NE(added->first->next, nullptr);
  EXPECT_FLOAT_EQ(LiveGain(added->first), 0.5f);
  EXPECT_FLOAT_EQ(LiveGain(added->first->next), 0.5f);
  EXPECT_EQ(pasted->first->next, nullptr);
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(AudioRow(0).effects, pasted);
  EXPECT_EQ(pasted->first->next, nullptr);
  ASSERT_TRUE(Engine().CmRedo());
  pasted = LineEffects(AudioRow(0));
  ASSERT_NE(pasted, nullptr);
  ASSERT_NE(pasted->first->next, nullptr);
  EXPECT_FLOAT_EQ(LiveGain(pasted->first->next), 0.5f);

  Choose(AudioPanel(), 0, kCmTrackUseEffects);
  EXPECT_EQ(pasted->bypass, 1);
  EXPECT_EQ(players_.mixer.back(), (Notice{kPanelRequestEffectUse, 0}));

  boxes.answers = {IDNO};
  Choose(AudioPanel(), 0, kCmTrackDeleteEffects);
  EXPECT_EQ(AudioRow(0).effects, pasted);
  boxes.answers = {IDYES};
  Choose(AudioPanel(), 0, kCmTrackDeleteEffects);
  EXPECT_EQ(AudioRow(0).effects, nullptr);
  EXPECT_EQ(lock_.told.back().list, nullptr);
  EXPECT_EQ(Snapshots(), 3);
  EXPECT_EQ(boxes.boxes.back().text, "Do you want to delete audio effects?");

  EXPECT_EQ(lock_.outsideLock, 0);
  EXPECT_EQ(lock_.snapshotsInside, 0);
  EXPECT_EQ(watch_.insideLock, 0);
}

}  // namespace
}  // namespace paneltest
