// The audio effects of a clip from the popup menu, over our gain component:
// the effect-list dialog on a working copy (answered by script), paste, add,
// delete and use, each one undo step; and the lists changing hands under
// the audio engine's mixing lock.
#include <atomic>
#include <chrono>
#include <thread>

#include "audio/audio_player.h"
#include "audio/effect_list.h"
#include "audio/installed_components.h"
#include "audio_lines_fixture.h"
#include "media/sample_block.h"
#include "platform/components/component_test_support.h"
#include "platform/components/effects/effect_classes.h"

namespace audiolinetest {
namespace {

class Effects : public AudioLineTest {
 protected:
  void SetUp() override {
    AudioLineTest::SetUp();
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    WriteFileText(RegistryFilePath(), BuildEffectsRegistryText());
    ForgetInstalledComponents();
  }
  void TearDown() override {
    AudioLineTest::TearDown();
    EffectList::SetDefault(nullptr);
    ForgetInstalledComponents();
    CoUninitialize();
  }

  static Effect* Gain(float gain) {
    Effect* e = Effect::Create(CLSID_KobrixGain, "Gain");
    if (e == nullptr) return nullptr;
    BYTE state[GainSettings::kStateSize];
    effect_state::Encode(GainSettings{gain}, state);
    EXPECT_NE(e->component->LoadState(state, sizeof state), 0);
    return e;
  }
  // An open list of gains, as a clip holds it.
  static EffectList* Gains(std::initializer_list<float> gains) {
    EffectList* list = EffectList::New();
    for (float g : gains) list->Insert(Gain(g), nullptr);
    list->Open(static_cast<AudioSource*>(nullptr));
    return list;
  }
  // What the list makes of a sample of 10.
  static float Through(EffectChain* chain) {
    auto* list = dynamic_cast<EffectList*>(chain);
    if (list == nullptr) return -1;
    float value = 10.0f;
    SampleBlock block;
    block.data = &value;
    block.requested = block.held = block.capacity = 1;
    block.format = {1, 1, 44100, 44100 * 4, 4, 32};
    list->Process(&block);
    return value;
  }
  static int Count(EffectChain* chain) {
    auto* list = dynamic_cast<EffectList*>(chain);
    int n = 0;
    for (Effect* e = list != nullptr ? list->first : nullptr; e; e = e->next) ++n;
    return n;
  }
  Film* SetUpClip(EffectList* effects) {
    OpenLines({0});
    Film* f = Clip(Audio("a.wav", 1000), 0, 100, 0, 800, "speech");
    f->effects = effects;
    GuiPumpMessages();
    ForgetChanges();
    return f;
  }
  void ExpectWidened() {
    EXPECT_LE(LineChangedRange[0].start, 100);
    EXPECT_GE(LineChangedRange[0].end, 900);
  }
  // The one undo step gives back the list from before.
  void ExpectUndoGives(EffectChain* before) {
    ASSERT_TRUE(Engine().CmUndo());
    EXPECT_FALSE(UndoScript::CanUndo());
    EXPECT_EQ(FilmList.First()->effects, before);
  }

  ScriptedDialogs dialogs;
};

TEST_F(Effects, CancellingTheDialogLeavesTheClipsListAsItWas) {
  EffectList* old = Gains({0.5f});
  Film* f = SetUpClip(old);
  dialogs.ok = false;
  dialogs.effects = [&](EffectList* working, Film* film) {
    EXPECT_EQ(film, f);
    // The clip plays through the copy being edited meanwhile.
    EXPECT_EQ(film->effects, working);
    EXPECT_NE(working, old);
    EXPECT_EQ(Count(working), 1);
    working->Insert(Gain(0.1f), nullptr);
  };
  RightClick(450, Middle(0), kCmEditEffects);
  EXPECT_EQ(dialogs.captions, std::vector<std::string>{"effects"});
  EXPECT_EQ(f->effects, old);
  EXPECT_EQ(Count(old), 1);
  EXPECT_FLOAT_EQ(Through(old), 5.0f);
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_FALSE(Engine().IsModified());
}

TEST_F(Effects, OkKeepsTheEditedListOrNoneWhenItIsEmpty) {
  const struct {
    bool hadList;
    int added;  // effects the dialog adds; -1: it removes all
    int after;  // effects on the clip afterwards, -1: no list
  } cases[] = {{true, 1, 2}, {true, -1, -1}, {false, 1, 1}, {false, 0, -1}};
  for (const auto& c : cases) {
    if (tl_ != nullptr) {
      ClearProject();
      Close();
    }
    EffectList* old = c.hadList ? Gains({0.5f}) : nullptr;
    Film* f = SetUpClip(old);
    dialogs.effects = [&](EffectList* working, Film*) {
      if (c.added < 0) {
        while (Effect* e = working->first) {
          working->Unlink(e);
          delete e;
        }
      }
      for (int i = 0; i < c.added; ++i) working->Insert(Gain(0.5f), nullptr);
    };
    RightClick(450, Middle(0), kCmEditEffects);
    if (c.after < 0) {
      EXPECT_EQ(f->effects, nullptr) << c.hadList << " " << c.added;
    } else {
      ASSERT_NE(f->effects, nullptr);
      EXPECT_NE(f->effects, old);
      EXPECT_EQ(Count(f->effects), c.after);
      // Open for the clip's sound: its effects work.
      EXPECT_TRUE(f->effects->IsOpen());
      EXPECT_FLOAT_EQ(Through(f->effects), c.after == 2 ? 2.5f : 5.0f);
    }
    EXPECT_TRUE(Engine().IsModified());
    ExpectWidened();
    ExpectUndoGives(old);
  }
}

TEST_F(Effects, WithoutAListOfItsOwnTheDialogCannotOpen) {
  Film* f = SetUpClip(nullptr);
  f->effects = AudioLineTest::Effects();  // a chain the dialog cannot copy
  RightClick(450, Middle(0), kCmEditEffects);
  EXPECT_TRUE(dialogs.captions.empty());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Can not create list of audio effects!");
  EXPECT_EQ(boxes.boxes[0].caption, "Add/Edit Audio Effects");
  EXPECT_TRUE(boxes.boxes[0].flags & MB_ICONEXCLAMATION);
}

TEST_F(Effects, TheListsChangeHandsOnlyUnderTheMixingLock) {
  AudioPlayer engine;
  TheAudioPlayer = &engine;
  CRITICAL_SECTION& lock = engine.MixingLock();
  EffectList* old = Gains({0.5f});
  Film* f = SetUpClip(old);
  auto lockIsFree = [&] {
    bool free = false;
    std::thread([&] {
      free = TryEnterCriticalSection(&lock) != 0;
      if (free) LeaveCriticalSection(&lock);
    }).join();
    return free;
  };
  // The mixer holds the lock as the command starts: the clip keeps its
  // list until it lets go.
  std::atomic<bool> held{false};
  EffectChain* seen = nullptr;
  std::thread mixer([&] {
    EnterCriticalSection(&lock);
    held = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    seen = f->effects;
    LeaveCriticalSection(&lock);
  });
  while (!held) std::this_thread::yield();
  bool freeDuringDialog = false;
  dialogs.effects = [&](EffectList* working, Film* film) {
    freeDuringDialog = lockIsFree();
    EXPECT_EQ(film->effects, working);
    working->Insert(Gain(0.5f), nullptr);
  };
  RightClick(450, Middle(0), kCmEditEffects);
  mixer.join();
  EXPECT_EQ(seen, old);
  EXPECT_TRUE(freeDuringDialog);
  EXPECT_EQ(Count(f->effects), 2);
  EXPECT_TRUE(lockIsFree());
  TheAudioPlayer = nullptr;
}

TEST_F(Effects, PasteAsksOnlyOverEffectsAndPutsAnEnabledCopy) {
  EffectList* clipboard = Gains({0.25f});
  clipboard->SetEnabled(false);
  EffectList::SetDefault(clipboard);
  clipboard->Release();
  Film* f = SetUpClip(nullptr);
  RightClick(450, Middle(0), kCmPasteEffects);
  EXPECT_TRUE(boxes.boxes.empty());
  ASSERT_NE(f->effects, nullptr);
  EXPECT_EQ(dynamic_cast<EffectList*>(f->effects)->bypass, 0);
  EXPECT_FLOAT_EQ(Through(f->effects), 2.5f);
  ExpectWidened();
  ExpectUndoGives(nullptr);

  f = FilmList.First();
  EffectList* old = Gains({0.5f});
  f->effects = old;
  boxes.answers = {IDNO, IDYES};
  RightClick(450, Middle(0), kCmPasteEffects);
  EXPECT_EQ(f->effects, old);
  RightClick(450, Middle(0), kCmPasteEffects);
  EXPECT_NE(f->effects, old);
  EXPECT_FLOAT_EQ(Through(f->effects), 2.5f);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].text, "Clip has audio effect(s)!\nReplace?");
  EXPECT_EQ(boxes.boxes[0].caption, "Paste Audio Effect(s)");
  ExpectUndoGives(old);
  EXPECT_FLOAT_EQ(Through(old), 5.0f);
}

TEST_F(Effects, AddAppendsTheClipboardAndUndoFindsTheOldListAsItWas) {
  EffectList* clipboard = Gains({0.25f});
  EffectList::SetDefault(clipboard);
  clipboard->Release();
  EffectList* old = Gains({0.5f});
  Film* f = SetUpClip(old);
  RightClick(450, Middle(0), kCmAddEffects);
  EXPECT_EQ(Count(f->effects), 2);
  EXPECT_FLOAT_EQ(Through(f->effects), 1.25f);
  EXPECT_TRUE(boxes.boxes.empty());
  ExpectWidened();
  ExpectUndoGives(old);
  EXPECT_EQ(Count(old), 1);
  EXPECT_FLOAT_EQ(Through(old), 5.0f);
  // Onto a clip without effects the copy becomes its list.
  f = FilmList.First();
  EffectChain* held = f->effects;
  f->effects = nullptr;
  RightClick(450, Middle(0), kCmAddEffects);
  EXPECT_EQ(Count(f->effects), 1);
  f->effects->Close();
  f->effects->Release();
  f->effects = held;
}

TEST_F(Effects, UseSwitchesTheBypassAndDeleteAsksFirst) {
  EffectList* old = Gains({0.5f});
  Film* f = SetUpClip(old);
  RightClick(450, Middle(0), kCmUseEffects);
  EXPECT_EQ(dynamic_cast<EffectList*>(f->effects)->bypass, 1);
  EXPECT_FLOAT_EQ(Through(f->effects), 10.0f);
  RightClick(450, Middle(0), kCmUseEffects);
  EXPECT_EQ(dynamic_cast<EffectList*>(f->effects)->bypass, 0);
  EXPECT_FLOAT_EQ(Through(f->effects), 5.0f);
  ExpectWidened();
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(dynamic_cast<EffectList*>(FilmList.First()->effects)->bypass, 1);
  ExpectUndoGives(old);
  EXPECT_EQ(old->bypass, 0);

  f = FilmList.First();
  boxes.answers = {IDNO, IDYES};
  RightClick(450, Middle(0), kCmDeleteEffects);
  EXPECT_EQ(f->effects, old);
  RightClick(450, Middle(0), kCmDeleteEffects);
  EXPECT_EQ(f->effects, nullptr);
  EXPECT_EQ(boxes.boxes[1].text, "Do you want to delete audio effects?");
  EXPECT_EQ(boxes.boxes[1].caption, "Delete Audio Effect(s)");
  ExpectUndoGives(old);
}

}  // namespace
}  // namespace audiolinetest
