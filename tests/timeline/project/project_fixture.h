// The time-line window in a frame with the program's View and Command menus
// (popups 3 and 4), the players, the transition service and the audio
// engine's mixing lock recorded, the effect-list editor and the missing
// components' list scripted, and project files written and opened through
// the fake media of the model's tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "audio/audio_player.h"
#include "audio/installed_components.h"
#include "model/players.h"
#include "model/project_fakes.h"
#include "model/project_file.h"
#include "timeline/commands/commands_fixture.h"
#include "timeline/header/track_effects_engine.h"
#include "timeline/window/timeline_dialogs.h"

namespace projectcmdtest {

using namespace timelinetest;

// An effect list whose components this machine does not have.
class StubbornEffects : public filmtest::FakeEffects {
 public:
  bool Open(AudioSource*) override {
    ++openCount;
    return false;
  }
};

// The video player as the project commands use it.
class RecordingVideo : public VideoEngine {
 public:
  SubVideoPlayer* CurrentSubPlayer() override { return nullptr; }
  int32_t BaseFrame() override { return 0; }
  bool* ShowTimeoutsOption() override { return &showTimeouts; }
  bool Play(Film*, int32_t, int32_t, FilmListHead&, HWND) override { return false; }
  void ShowOnBoard(VideoSource*, int32_t, HWND) override {}
  int32_t FindKeyFrame(VideoSource*, int32_t frame) override { return frame; }
  void AcquireSubPlayer(const SubPlayerInfo&) override { calls.push_back("acquire"); }
  void ReleaseSubPlayer() override { calls.push_back("release"); }
  void Attach() override { calls.push_back("attach"); }
  std::vector<std::string> calls;
  bool showTimeouts = false;
};

class RecordingTransitions : public VFX {
 public:
  VFXEntry* Schedule() override {
    ++schedules;
    return nullptr;
  }
  int schedules = 0;
};

class ProjectPlayers : public TimeLinePlayers {
 public:
  VideoEngine* Video() override { return &video; }
  VFX* Transitions() override { return &transitions; }
  void NotifyMixer(int32_t code, int32_t arg) override { notices.push_back({code, arg}); }
  bool MixerShown() override { return mixerShown; }
  void SetTrackVolumePan(int32_t track, int32_t gain, int32_t pan) override {
    volumes.push_back({track, gain, pan});
  }
  struct Notice {
    int32_t code, arg;
    bool operator==(const Notice&) const = default;
  };
  struct Volume {
    int32_t track, gain, pan;
  };
  RecordingVideo video;
  RecordingTransitions transitions;
  std::vector<Notice> notices;
  std::vector<Volume> volumes;
  bool mixerShown = false;
};

// The audio engine's mixing lock and the lists handed to it, in order
// ("lock", "master:<list>", "line2:<list>", "unlock"); an undo step or a box
// while the lock is held is a fault.
class RecordingMixer : public TrackEffectsEngine {
 public:
  explicit RecordingMixer(const std::vector<filmtest::Box>& boxes) : boxes_(boxes) {
    before_ = SetTrackEffectsEngine(this);
  }
  ~RecordingMixer() override { SetTrackEffectsEngine(before_); }
  void LockMixing() override {
    EXPECT_FALSE(locked) << "the lock is taken twice";
    locked = true;
    boxesAtLock_ = boxes_.size();
    snapshotAtLock_ = UndoScript::Slot(UndoScript::Current() + 1);
    calls.push_back("lock");
  }
  void UnlockMixing() override {
    EXPECT_EQ(boxes_.size(), boxesAtLock_) << "a box came up inside the mixing lock";
    EXPECT_EQ(UndoScript::Slot(UndoScript::Current() + 1), snapshotAtLock_) << "an undo step inside the lock";
    locked = false;
    calls.push_back("unlock");
  }
  void SetTrackEffects(int32_t line, EffectList* list) override {
    EXPECT_TRUE(locked) << "a list handed over outside the mixing lock";
    calls.push_back((line < 0 ? std::string("master:") : "line" + std::to_string(line) + ":") +
                    (list != nullptr ? "list" : "none"));
    handed[line + 1] = list;
  }
  std::vector<std::string> calls;
  EffectList* handed[5] = {};
  bool locked = false;

 private:
  const std::vector<filmtest::Box>& boxes_;
  std::size_t boxesAtLock_ = 0;
  UndoScript* snapshotAtLock_ = nullptr;
  TrackEffectsEngine* before_;
};

// The effect-list editor and "Open Audio Effects", answered by the test.
class ScriptedDialogs : public TimeLineDialogs {
 public:
  ScriptedDialogs() { before_ = SetTimeLineDialogs(this); }
  ~ScriptedDialogs() override { SetTimeLineDialogs(before_); }
  bool ActivateLineEffects(int32_t row) override {
    activated.push_back(row);
    return editorOpen;
  }
  bool EditLineEffects(HWND, EffectList* list, int32_t row) override {
    edited.push_back(row);
    return edit ? edit(list) : false;
  }
  void ShowMissingEffects(HWND parent, ComObjectEntry* components) override {
    if (realMissingDialog) TimeLineDialogs::ShowMissingEffects(parent, components);
    std::vector<std::string> names;
    for (ComObjectEntry* e = components; e; e = e->next) {
      if (e->missing) names.push_back(e->progId);
    }
    missingShown.push_back(names);
  }
  std::vector<int32_t> activated;
  std::vector<int32_t> edited;
  std::function<bool(EffectList*)> edit;
  bool editorOpen = false;
  // The program's own "Open Audio Effects" comes up too.
  bool realMissingDialog = false;
  std::vector<std::vector<std::string>> missingShown;

 private:
  TimeLineDialogs* before_;
};

// The frame with menus laid out as the program's: File, Edit, View,
// Command, Range.
class ProjectFrame : public CommandFrame {
 public:
  explicit ProjectFrame(TWindow* client) : CommandFrame(client) {}
  void SetupWindow() override;
  HMENU Popup(int position) const { return ::GetSubMenu(::GetMenu(GetHandle()), position); }
};

class ProjectCommandsTest : public CommandsTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The window in its menu frame with the recorded players.
  CommandTimeLine& OpenProjectWindow();
  TimeLineEngine& Engine() { return window_->Engine(); }
  ProjectFrame& Menus() { return *static_cast<ProjectFrame*>(frame_); }
  // The state of a menu item of a popup of the frame (MF_CHECKED, MF_GRAYED).
  UINT MenuState(int position, int id) { return ::GetMenuState(Menus().Popup(position), id, MF_BYCOMMAND); }

  // A project file written from films (made by build into a list of their
  // own) and the engine's settings as build leaves them.
  std::string WriteProjectFile(const std::string& name,
                               const std::function<void(FilmListHead&, TimeLineEngine&)>& build);
  // OpenProject on a file, with the file's folder searched.
  int OpenFile(const std::string& path);
  // Films of fake sources in a list of their own, as a file will hold them.
  Film* SoundIn(FilmListHead& list, filmtest::FakeAudio* a, int32_t line, int32_t start, int32_t length);
  Film* PictureIn(FilmListHead& list, filmtest::FakeVideo* v, int32_t row, int32_t start, int32_t frames);

  std::vector<std::string> Captions() const;
  int UndoDepth() const;

  // The effect lists the project reader makes: ones that open, or (while
  // listsOpen is false) ones whose components are missing.
  filmtest::FakeEffects* MakeEffects();
  bool listsOpen_ = true;
  std::vector<std::unique_ptr<filmtest::FakeEffects>> stubborn_;

  ProjectPlayers players_;
  projecttest::FakeProjectMedia projectMedia_{media, [this] { return MakeEffects(); }};
  projecttest::ScriptedLocator locator_;
  RecordingMixer mixer_{boxes.boxes};
  ScriptedDialogs dialogs_;

 private:
  uint32_t savedRate_ = 0;
};

}  // namespace projectcmdtest
