// A new frame rate or audio format, and the master bus: volume and balance,
// the master effect list (over real gain components) and its bypass.
#include "audio/effect_list.h"
#include "model/changed_ranges.h"
#include "platform/components/com.h"
#include "platform/components/effects/effect_classes.h"
#include "platform/core/registry.h"
#include "project_fixture.h"
#include "resources/value_dialog_ids.h"
#include "support/file_bytes.h"
#include "ui/dialog_script.h"
#include "ui/level_popups.h"

namespace projectcmdtest {
namespace {

class ParametersTest : public ProjectCommandsTest {
 protected:
  void SetUp() override {
    ProjectCommandsTest::SetUp();
    OpenProjectWindow();
    filmtest::FakeVideo* v = Video("/media/v.avi", 250);
    both_ = VideoFilm(v, 0, 0, 0, 2000);
    filmtest::FakeAudio* sound = Sound("/media/s.wav", 10000);
    both_->audio = sound->AddRef();
    both_->audioLine = 0;
    sound->BeginRead();
    picture_ = VideoFilm(v, 1, 3000, 0, 2000);
    sound_ = AudioFilm(sound, 1, 0, 5000);
    Engine().MarkUndo(kUndoEdit);
  }
  Film* both_ = nullptr;
  Film* picture_ = nullptr;
  Film* sound_ = nullptr;
};

TEST_F(ParametersTest, ANewFrameRateTakesTheClipsWithVideoAfterAQuestion) {
  bool cleared = true;
  boxes.answers = {IDNO};
  EXPECT_FALSE(window_->ChangeVideoParameters(cleared));
  EXPECT_FALSE(cleared);
  EXPECT_EQ(Count(), 3);
  EXPECT_TRUE(UndoScript::CanUndo());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Change Video Parameters");
  EXPECT_EQ(boxes.boxes[0].text, "Clear video tracks?");

  boxes.answers = {IDYES};
  EXPECT_TRUE(window_->ChangeVideoParameters(cleared));
  EXPECT_TRUE(cleared);
  EXPECT_EQ(Films(), (std::vector<Film*>{sound_}));
  EXPECT_EQ(media.videos[0]->openCount, 0);
  EXPECT_EQ(media.audios[0]->openCount, 1) << "the sound of the clip with video went too";
  EXPECT_TRUE(Engine().IsModified());
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_EQ(players_.video.calls, (std::vector<std::string>{"acquire", "release"}));

  // Without video nothing is asked, and the history still goes.
  Engine().MarkUndo(kUndoEdit);
  boxes.boxes.clear();
  EXPECT_TRUE(window_->ChangeVideoParameters(cleared));
  EXPECT_FALSE(cleared);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(Count(), 1);
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(ParametersTest, ANewAudioFormatAsksOnlyWhenTheRateChanges) {
  bool cleared = true;
  Engine().SetModified(false);
  window_->Settings().profileMode = kProfileBalance;
  EXPECT_TRUE(window_->ChangeAudioParameters(true, true, cleared));
  EXPECT_FALSE(cleared);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(Count(), 3);
  EXPECT_FALSE(Engine().IsModified());
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_EQ(window_->ProfileMode(), kProfileVolumeOnly);

  boxes.answers = {IDNO};
  EXPECT_FALSE(window_->ChangeAudioParameters(false, false, cleared));
  EXPECT_EQ(Count(), 3);
  EXPECT_EQ(window_->ProfileMode(), kProfileVolumeOnly);

  boxes.answers = {IDYES};
  EXPECT_TRUE(window_->ChangeAudioParameters(false, false, cleared));
  EXPECT_TRUE(cleared);
  EXPECT_EQ(Films(), (std::vector<Film*>{picture_}));
  EXPECT_EQ(BoxTexts().back(), "Change Sound Parameters: Clear audio tracks?");
  EXPECT_EQ(window_->ProfileMode(), kProfileVolume);
  EXPECT_TRUE(Engine().IsModified());
}

TEST_F(ParametersTest, NeitherChangesWhilePlaying) {
  bool cleared = true;
  Engine().playing = true;
  EXPECT_FALSE(window_->ChangeVideoParameters(cleared));
  EXPECT_FALSE(window_->ChangeAudioParameters(false, false, cleared));
  Engine().playing = false;
  EXPECT_FALSE(cleared);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Change Video Parameters", "Change Sound Parameters"}));
  EXPECT_EQ(Count(), 3);
  EXPECT_TRUE(UndoScript::CanUndo());
}

class MasterTest : public ProjectCommandsTest {
 protected:
  void SetUp() override {
    ProjectCommandsTest::SetUp();
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    comReady_ = true;
    std::string registry = ReadFileText(KOBRIX_EFFECTS_REGISTRY);
    const std::string prefix = std::string("@=\"") + KOBRIX_EFFECT_MODULE_DIR + "/";
    for (std::size_t at = 0; (at = registry.find("@=\"KX", at)) != std::string::npos; at += prefix.size())
      registry.replace(at, 3, prefix);
    WriteFileText(RegistryFilePath(), registry);
    ForgetInstalledComponents();
    OpenProjectWindow();
  }
  void TearDown() override {
    ProjectCommandsTest::TearDown();
    UndoScript::ClearAll();
    EffectList::FreeAll();
    ForgetInstalledComponents();
    if (comReady_) CoUninitialize();
  }

  // An open list of gain effects, each saved at its gain.
  static EffectList* GainList(std::initializer_list<float> gains) {
    EffectList* list = EffectList::New();
    for (float g : gains) {
      Effect* e = Effect::Create(CLSID_KobrixGain, "Gain");
      EXPECT_NE(e, nullptr);
      if (e == nullptr) continue;
      SetLive(e, g);
      e->SaveState();
      list->Insert(e, nullptr);
    }
    list->Open(static_cast<AudioSource*>(nullptr));
    return list;
  }
  static void SetLive(Effect* e, float gain) {
    BYTE state[GainSettings::kStateSize];
    effect_state::Encode(GainSettings{gain}, state);
    ASSERT_NE(e->component->LoadState(state, sizeof state), 0);
  }
  static float LiveGain(const Effect* e) {
    BYTE state[GainSettings::kStateSize];
    GainSettings s;
    if (e == nullptr || e->component == nullptr || !e->component->SaveState(state, sizeof state)) return -1.0f;
    return effect_state::Decode(state, sizeof state, &s) ? s.gain : -1.0f;
  }
  EffectList* Master() { return dynamic_cast<EffectList*>(Engine().masterEffects); }
  std::vector<int32_t> NoticeCodes() const {
    std::vector<int32_t> codes;
    for (const auto& n : players_.notices) codes.push_back(n.code);
    return codes;
  }

  bool comReady_ = false;
};

TEST_F(MasterTest, VolumeOkIsOneUndoStepAndReachesAPlayingEngine) {
  for (int32_t i = 0; i < 4; ++i) LineChangedRange[i].Clear();
  Engine().playing = true;
  Engine().play.realtimeMute = true;
  dialogtest::ModalScript script({[](HWND d) {
    EXPECT_EQ(dialogtest::Text(d), "Project");
    dialogtest::TypeOver(d, kLevelPercent, "150");
    dialogtest::TypeOver(d, kBalancePercent, "-50");
    dialogtest::Click(d, IDOK);
  }});
  Command(kCmMasterVolume);
  Engine().playing = false;

  const int32_t gain = PercentToGain(150);
  EXPECT_EQ(script.shown, 1);
  EXPECT_EQ(Engine().masterGain, gain);
  EXPECT_EQ(Engine().masterPan, -128);
  EXPECT_TRUE(Engine().IsModified());
  EXPECT_EQ(LineChangedRange[0].end, kDayMs);
  ASSERT_FALSE(players_.volumes.empty());
  EXPECT_EQ(players_.volumes.back().track, -1);
  EXPECT_EQ(players_.volumes.back().gain, gain);

  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(Engine().masterGain, 512);
  EXPECT_EQ(Engine().masterPan, 0);
}

TEST_F(MasterTest, VolumeCancelOrTheMixerChangeNothing) {
  dialogtest::ModalScript script({[](HWND d) {
    dialogtest::TypeOver(d, kLevelPercent, "150");
    dialogtest::Click(d, IDCANCEL);
  }});
  Command(kCmMasterVolume);
  EXPECT_EQ(Engine().masterGain, 512);
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_FALSE(Engine().IsModified());

  players_.mixerShown = true;
  Command(kCmMasterVolume);
  EXPECT_EQ(script.shown, 1) << "the mixer takes the request, no dialog comes up";
  EXPECT_EQ(players_.notices.back(), (ProjectPlayers::Notice{5, 0}));
}

TEST_F(MasterTest, EffectsCancelPutsBackTheListAndTheSoundBeforeIt) {
  EffectList* previous = GainList({2.0f});
  Engine().masterEffects = previous;
  // Live and not saved: what is heard when the editor opens.
  SetLive(previous->first, 3.0f);
  EffectList* edited = nullptr;
  dialogs_.edit = [&](EffectList* list) {
    edited = list;
    EXPECT_EQ(Master(), list) << "the project is heard through the list being edited";
    EXPECT_EQ(mixer_.handed[0], list);
    // The dialog shows the effect live and changes it.
    EXPECT_NE(list->first->component, nullptr);
    SetLive(list->first, 5.0f);
    list->Insert(Effect::Create(CLSID_KobrixGain, "Gain"), nullptr);
    return false;
  };
  Command(kCmMasterEffects);

  ASSERT_NE(edited, nullptr);
  EXPECT_EQ(dialogs_.edited, (std::vector<int32_t>{-1}));
  EXPECT_EQ(Master(), previous);
  EXPECT_EQ(mixer_.handed[0], previous);
  EXPECT_EQ(mixer_.calls, (std::vector<std::string>{"lock", "master:list", "unlock", "lock", "master:list", "unlock"}));
  EXPECT_FLOAT_EQ(LiveGain(previous->first), 3.0f);
  EXPECT_EQ(previous->referenceCount, 1);
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_FALSE(Engine().IsModified());
  EXPECT_EQ(NoticeCodes(), (std::vector<int32_t>{15, 17}));
}

TEST_F(MasterTest, EffectsOkIsOneUndoStepTakenOutsideTheLock) {
  EffectList* previous = GainList({2.0f});
  Engine().masterEffects = previous;
  EffectList* edited = nullptr;
  dialogs_.edit = [&](EffectList* list) {
    edited = list;
    list->Open(static_cast<AudioSource*>(nullptr));
    SetLive(list->first, 4.0f);
    list->first->SaveState();
    return true;
  };
  for (int32_t i = 0; i < 4; ++i) LineChangedRange[i].Clear();
  Command(kCmMasterEffects);

  EXPECT_EQ(Master(), edited);
  EXPECT_EQ(mixer_.handed[0], edited);
  EXPECT_TRUE(UndoScript::CanUndo());
  EXPECT_TRUE(Engine().IsModified());
  EXPECT_EQ(LineChangedRange[3].end, kDayMs);
  EXPECT_EQ(MenuState(kCommandMenuPosition, kCmUseMasterEffects) & (MF_GRAYED | MF_CHECKED), UINT(MF_CHECKED));

  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(Master(), previous);
  EXPECT_FLOAT_EQ(LiveGain(previous->first), 2.0f);
}

TEST_F(MasterTest, EffectsOkWithEveryEffectGoneLeavesNoList) {
  EffectList* previous = GainList({2.0f});
  Engine().masterEffects = previous;
  dialogs_.edit = [](EffectList* list) {
    while (Effect* e = list->first) {
      list->Unlink(e);
      delete e;
    }
    return true;
  };
  Command(kCmMasterEffects);

  EXPECT_EQ(Engine().masterEffects, nullptr);
  EXPECT_EQ(mixer_.handed[0], nullptr);
  EXPECT_EQ(MenuState(kCommandMenuPosition, kCmUseMasterEffects) & MF_GRAYED, UINT(MF_GRAYED));
  EXPECT_FALSE(Enabled(kCmUseMasterEffects));
  // The undo step keeps the old list.
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(Master(), previous);
}

TEST_F(MasterTest, EffectsWhenTheEditorIsOpenOrCommandsAreOffDoNothing) {
  dialogs_.editorOpen = true;
  Command(kCmMasterEffects);
  EXPECT_EQ(dialogs_.activated, (std::vector<int32_t>{-1}));
  dialogs_.editorOpen = false;
  Engine().commandsEnabled = false;
  Command(kCmMasterEffects);
  Engine().commandsEnabled = true;
  // While playing only with real-time mute and without the play file.
  Engine().playing = true;
  Engine().play.realtimeMute = false;
  Command(kCmMasterEffects);
  Engine().playing = false;
  EXPECT_TRUE(dialogs_.edited.empty());
  EXPECT_TRUE(mixer_.calls.empty());
  EXPECT_EQ(Engine().masterEffects, nullptr);
}

TEST_F(MasterTest, UseMasterEffectsSwitchesTheBypass) {
  Command(kCmUseMasterEffects);
  EXPECT_EQ(MenuState(kCommandMenuPosition, kCmUseMasterEffects) & MF_GRAYED, UINT(MF_GRAYED));

  EffectList* master = GainList({2.0f});
  Engine().masterEffects = master;
  EXPECT_TRUE(Enabled(kCmUseMasterEffects));
  Command(kCmUseMasterEffects);
  EXPECT_EQ(master->bypass, 1);
  EXPECT_EQ(MenuState(kCommandMenuPosition, kCmUseMasterEffects) & (MF_GRAYED | MF_CHECKED), 0u);
  Command(kCmUseMasterEffects);
  EXPECT_EQ(master->bypass, 0);
  EXPECT_EQ(MenuState(kCommandMenuPosition, kCmUseMasterEffects) & MF_CHECKED, UINT(MF_CHECKED));
  EXPECT_EQ(NoticeCodes(), (std::vector<int32_t>{13, 13, 13}));
}

}  // namespace
}  // namespace projectcmdtest
