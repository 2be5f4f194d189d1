// The header panels in the time-line window, with recording players, the
// dialogs scripted, the audio engine's mixing lock recorded, the stock
// bitmaps loaded and our effect components registered.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/effect_list.h"
#include "audio/installed_components.h"
#include "media/video_bitmap.h"
#include "model/engine_fakes.h"
#include "model/message_box.h"
#include "model/undo_history.h"
#include "platform/components/com.h"
#include "platform/components/effects/effect_classes.h"
#include "platform/core/registry.h"
#include "platform/core/time.h"
#include "platform/gui/menu.h"
#include "platform/gui/modal.h"
#include "resources/track_header_ids.h"
#include "timeline/header/av_buttons.h"
#include "timeline/header/header_dialogs.h"
#include "timeline/header/track_effects_engine.h"
#include "timeline/window/timeline_dialogs.h"
#include "timeline/window/timeline_fixture.h"

namespace paneltest {

using enginetest::FakePlayers;
using enginetest::Notice;
using enginetest::TrackValue;

// The engine's side of a line's list: what it was told, and the order of
// the lock, the swaps and the undo steps.
class RecordingEffectsEngine : public TrackEffectsEngine {
 public:
  RecordingEffectsEngine() { before_ = SetTrackEffectsEngine(this); }
  ~RecordingEffectsEngine() override { SetTrackEffectsEngine(before_); }
  void LockMixing() override {
    ++depth;
    snapshotsAtLock_ = CountSnapshots();
    events.push_back("lock");
  }
  void UnlockMixing() override {
    --depth;
    if (CountSnapshots() != snapshotsAtLock_) ++snapshotsInside;
    events.push_back("unlock");
  }
  static int CountSnapshots() {
    int n = 0;
    for (int32_t i = 0; i < kUndoSlotCount; ++i) n += UndoScript::Slot(i) != nullptr;
    return n;
  }
  void SetTrackEffects(int32_t line, EffectList* list) override {
    if (depth <= 0) ++outsideLock;
    told.push_back({line, list});
    events.push_back("set " + std::to_string(line));
  }
  struct Told {
    int32_t line;
    EffectList* list;
  };
  int depth = 0;
  int outsideLock = 0;
  int snapshotsInside = 0;
  std::vector<Told> told;
  std::vector<std::string> events;

 private:
  TrackEffectsEngine* before_;
  int snapshotsAtLock_ = 0;
};

// The test's message boxes, noting any shown while the mixing lock is held.
class LockWatchingBoxes : public MessageBoxPresenter {
 public:
  LockWatchingBoxes(MessageBoxPresenter& next, const RecordingEffectsEngine& engine)
      : next_(next), engine_(engine) {
    before_ = SetMessageBoxPresenter(this);
  }
  ~LockWatchingBoxes() override { SetMessageBoxPresenter(before_); }
  int Show(HWND owner, const std::string& text, const std::string& caption, UINT flags) override {
    if (engine_.depth > 0) ++insideLock;
    return next_.Show(owner, text, caption, flags);
  }
  void Beep(UINT type) override { next_.Beep(type); }
  int insideLock = 0;

 private:
  MessageBoxPresenter& next_;
  const RecordingEffectsEngine& engine_;
  MessageBoxPresenter* before_;
};

class ScriptedDialogs : public TimeLineDialogs, public HeaderDialogs {
 public:
  ScriptedDialogs() {
    before_ = SetTimeLineDialogs(this);
    headerBefore_ = SetHeaderDialogs(this);
  }
  ~ScriptedDialogs() override {
    SetTimeLineDialogs(before_);
    SetHeaderDialogs(headerBefore_);
  }
  bool AskName(HWND, const char* title, char* name, int size) override {
    titles.push_back(title);
    if (!nameAnswer) return false;
    snprintf(name, static_cast<size_t>(size), "%s", nameAnswer->c_str());
    return true;
  }
  bool ActivateLineEffects(int32_t row) override { return openEditorRow == row; }
  bool EditLineEffects(HWND, EffectList* list, int32_t row) override {
    editedRows.push_back(row);
    return editor ? editor(list) : false;
  }
  bool AskProjectSize(HWND, ProjectSizeRequest& values) override {
    asked.push_back(values);
    if (!sizeAnswer) return false;
    values = *sizeAnswer;
    return true;
  }

  std::unique_ptr<std::string> nameAnswer;
  std::vector<std::string> titles;
  int32_t openEditorRow = -1;
  // What the user does in the effect-list editor; true for OK.
  std::function<bool(EffectList*)> editor;
  std::vector<int32_t> editedRows;
  std::unique_ptr<ProjectSizeRequest> sizeAnswer;
  std::vector<ProjectSizeRequest> asked;

 private:
  TimeLineDialogs* before_;
  HeaderDialogs* headerBefore_;
};

class PanelTest : public timelinetest::TimeLineTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The window with the panels; audio lines of the given zoom steps.
  MainTimeLineWindow& OpenPanels(std::vector<int> audioZooms = {1, 1, 1, 1});
  TAVButtons& AudioPanel() { return *window_->AudioHeader(); }
  TAVButtons& VideoPanel() { return *window_->VideoHeader(); }
  TimeLineEngine& Engine() { return window_->Engine(); }
  TrackRecord& AudioRow(int32_t row) { return Engine().audioPanel[row]; }

  // Points of a row of a panel, in its client coordinates.
  int Right(TAVButtons& panel) { return panel.GetClientRect().right; }
  POINT SoloButton(TAVButtons& panel, int32_t row);
  POINT MuteButton(TAVButtons& panel, int32_t row);
  POINT NameArea(TAVButtons& panel, int32_t row);
  POINT Triangle(TAVButtons& panel, int32_t row);
  void Click(TAVButtons& panel, POINT p);
  void DoubleClick(TAVButtons& panel, POINT p);
  // A right click on row: the menu's items ("text=id", " grey", " checked",
  // "-", "text>" before a submenu's items "text>item..."), after choosing
  // command there (0: nothing).
  std::vector<std::string> RightClick(TAVButtons& panel, int32_t row, UINT command = 0);
  // A menu command on row as if chosen there.
  void Choose(TAVButtons& panel, int32_t row, UINT command);

  std::vector<bool> Solo();
  std::vector<bool> Mute();
  static int Snapshots() { return RecordingEffectsEngine::CountSnapshots(); }

  // A list of gain effects (our component) at the given gains.
  EffectList* GainList(std::vector<float> gains);
  static float LiveGain(const Effect* e);
  static float SavedGain(const Effect* e);
  static int CountLists();

  // Each click and right click comes after the double-click time.
  TestClock clock_;
  FakePlayers players_;
  RecordingEffectsEngine lock_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<TEBitmapInit> bitmaps_;
  bool comReady_ = false;
};

}  // namespace paneltest
