// Profiles, effects and declick of the selected sound clips, with effect
// lists of the program's own gain effect.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "audio/effect_list.h"
#include "audio/installed_components.h"
#include "commands_fixture.h"
#include "model/changed_ranges.h"
#include "platform/components/com.h"
#include "platform/components/effects/effect_classes.h"
#include "platform/core/registry.h"
#include "support/file_bytes.h"

namespace timelinetest {
namespace {

class AudioClipTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    // Our effect modules where the build put them.
    std::string registry = ReadFileText(KOBRIX_EFFECTS_REGISTRY);
    const std::string prefix = std::string("@=\"") + KOBRIX_EFFECT_MODULE_DIR + "/";
    for (std::size_t at = 0; (at = registry.find("@=\"KX", at)) != std::string::npos; at += prefix.size())
      registry.replace(at, 3, prefix);
    WriteFileText(RegistryFilePath(), registry);
    ForgetInstalledComponents();
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    for (TimeRange& r : LineChangedRange) r.Clear();
  }
  void TearDown() override {
    CommandsTest::TearDown();
    EffectList::SetDefault(nullptr);
    EffectList::FreeAll();
    ForgetInstalledComponents();
    CoUninitialize();
  }

  static EffectList* ListOf(std::initializer_list<const char*> names) {
    EffectList* list = EffectList::New();
    for (const char* name : names) list->Insert(Effect::Create(CLSID_KobrixGain, name), nullptr);
    return list;
  }
  // The clipboard of the effect dialogs.
  static void CopyEffects(std::initializer_list<const char*> names) {
    EffectList* list = ListOf(names);
    EffectList::SetDefault(list);
    list->Release();
  }
  // The clip takes the list and opens it, as a clip on the time-line does.
  static void Give(Film* f, EffectChain* list) {
    f->effects = list;
    list->Open(f->audio);
  }
  static std::string Names(const EffectChain* chain) {
    auto* list = dynamic_cast<const EffectList*>(chain);
    if (!list) return chain ? "?" : "none";
    std::string names;
    for (const Effect* e = list->first; e; e = e->next) names += e->name;
    return names;
  }
};

bool Covers(const TimeRange& r, const Film* f) {
  return r.start <= f->start && r.end >= f->end;
}

TEST_F(AudioClipTest, DeleteProfileResetsOnlyTheProfilesOfTheModeAfterOneQuestion) {
  MainTimeLineWindow& w = OpenCommands();
  w.Settings().profileMode = kProfileBalance;
  filmtest::FakeAudio* a = Sound("a.wav", 8000);
  Film* panned = SelectedSound(a, 0, 0, 2000);
  panned->balancePoints.Insert(4000, -100);
  Film* loud = SelectedSound(a, 1, 0, 2000);
  loud->volumePoints.Insert(4000, 900);
  Film* unselected = AudioFilm(a, 2, 0, 2000);
  unselected->balancePoints.Insert(4000, 50);

  boxes.answers = {IDNO};
  Command(kCmDeleteProfile);
  EXPECT_EQ(panned->balancePoints.Count(), 3);
  EXPECT_FALSE(UndoScript::CanUndo());

  EXPECT_TRUE(Enabled(kCmDeleteProfile));
  Command(kCmDeleteProfile);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].caption, "Delete profile");
  EXPECT_EQ(boxes.boxes[1].text, "Delete profile?");
  ASSERT_EQ(panned->balancePoints.Count(), 2);
  EXPECT_EQ(panned->balancePoints[1].time, 7999);
  EXPECT_EQ(panned->balancePoints[1].value, 0);
  EXPECT_EQ(loud->volumePoints.Count(), 3);
  EXPECT_EQ(unselected->balancePoints.Count(), 3);
  EXPECT_TRUE(Covers(LineChangedRange[0], panned));
  EXPECT_TRUE(LineChangedRange[1].Empty());
  EXPECT_TRUE(UndoScript::CanUndo());
  EXPECT_FALSE(Enabled(kCmDeleteProfile));

  w.Settings().profileMode = kProfileVolume;
  EXPECT_TRUE(Enabled(kCmDeleteProfile));
}

TEST_F(AudioClipTest, DeleteProfileReadsOnlyThePointsThereAreAndSetsNoneBeforeZero) {
  MainTimeLineWindow& w = OpenCommands();
  w.Settings().profileMode = kProfileVolume;
  filmtest::FakeAudio* empty = Sound("empty.wav", 0);
  const struct {
    int32_t value;
    bool reset;
  } cases[] = {{kGainUnity, false}, {300, true}};
  for (const auto& c : cases) {
    Film* f = SelectedSound(empty, 0, 0, 1000);
    const ProfilePoint one{0, c.value};
    f->volumePoints.Assign(&one, 1);
    boxes.boxes.clear();
    Command(kCmDeleteProfile);
    EXPECT_EQ(boxes.boxes.size(), c.reset ? 1u : 0u) << c.value;
    ASSERT_EQ(f->volumePoints.Count(), c.reset ? 2 : 1);
    for (int32_t i = 0; i < f->volumePoints.Count(); ++i) {
      EXPECT_EQ(f->volumePoints[i].time, 0);
      EXPECT_EQ(f->volumePoints[i].value, c.reset ? kGainUnity : c.value);
    }
    f->group = 0;
  }
}

TEST_F(AudioClipTest, AddAppendsTheCopiedEffectsToAListOfTheClipsOwn) {
  OpenCommands();
  filmtest::FakeAudio* a = Sound("a.wav");
  Film* withA = SelectedSound(a, 0, 0, 1000);
  Film* bare = SelectedSound(a, 1, 0, 1000);
  Film* sharing = AudioFilm(a, 2, 0, 1000);
  EffectList* listA = ListOf({"A"});
  Give(withA, listA);
  listA->AddRef();
  Give(sharing, listA);
  CopyEffects({"B", "C"});

  EXPECT_TRUE(Enabled(kCmAddEffects));
  Command(kCmAddEffects);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(Names(withA->effects), "ABC");
  EXPECT_EQ(Names(bare->effects), "BC");
  EXPECT_EQ(static_cast<EffectList*>(withA->effects)->openCount, 1);
  // The list the other clip and the history share is left as it was.
  EXPECT_EQ(Names(sharing->effects), "A");
  EXPECT_EQ(sharing->effects, listA);
  EXPECT_TRUE(Covers(LineChangedRange[0], withA));
  EXPECT_TRUE(Covers(LineChangedRange[1], bare));
  EXPECT_TRUE(LineChangedRange[2].Empty());

  Command(kCmUndo);
  Film* restored = FilmList.First();
  while (restored && restored->audioLine != 0) restored = restored->next;
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(Names(restored->effects), "A");
}

TEST_F(AudioClipTest, PasteReplacesTheEffectsAfterItsQuestion) {
  OpenCommands();
  filmtest::FakeAudio* a = Sound("a.wav");
  Film* bare = SelectedSound(a, 0, 0, 1000);
  CopyEffects({"B", "C"});
  Command(kCmPasteEffects);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(Names(bare->effects), "BC");

  Give(SelectedSound(a, 1, 0, 1000), ListOf({"A"}));
  for (int answer : {IDNO, IDYES}) {
    boxes.boxes.clear();
    boxes.answers = {answer};
    CopyEffects({answer == IDNO ? "X" : "Y"});
    Command(kCmPasteEffects);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Paste Audio Effect(s)");
    EXPECT_EQ(boxes.boxes[0].text, "Some selected clips have audio effect(s)!\nReplace?");
  }
  std::string lines;
  for (Film* f : Films()) lines += Names(f->effects) + " ";
  EXPECT_EQ(lines, "Y Y ");
}

TEST_F(AudioClipTest, DeleteEffectsAlsoClearsAClipWithoutSound) {
  OpenCommands();
  filmtest::FakeAudio* a = Sound("a.wav");
  Film* sound = SelectedSound(a, 3, 0, 1000);
  Give(sound, ListOf({"A"}));
  Film* picture = VideoFilm(Video("v.avi", 100), 0, 0, 0, 1000);
  picture->group = SelectionGroup;
  filmtest::FakeEffects* fx = Effects();
  fx->AddRef();
  picture->effects = fx;

  EXPECT_TRUE(Enabled(kCmDeleteEffects));
  boxes.answers = {IDNO};
  Command(kCmDeleteEffects);
  EXPECT_NE(sound->effects, nullptr);
  Command(kCmDeleteEffects);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].caption, "Delete Audio Effect(s)");
  EXPECT_EQ(boxes.boxes[1].text, "Do you want to delete audio effects from all selected clips?");
  EXPECT_EQ(sound->effects, nullptr);
  EXPECT_EQ(picture->effects, nullptr);
  EXPECT_EQ(fx->refs, 1);
  EXPECT_TRUE(Covers(LineChangedRange[3], sound));
  EXPECT_FALSE(Enabled(kCmDeleteEffects));
}

TEST_F(AudioClipTest, DeclickCommandsChangeOnlyTheClipsThatNeedIt) {
  const struct {
    int command;
    bool in, out;
    bool wantIn, wantOut;
  } cases[] = {
      {kCmSetDeclickBoth, true, false, true, true},  {kCmClearDeclickBoth, true, false, false, false},
      {kCmSetDeclickBoth, true, true, true, true},   {kCmSetDeclickIn, false, true, true, true},
      {kCmClearDeclickOut, true, true, true, false}, {kCmClearDeclickIn, false, false, false, false},
      {kCmSetDeclickOut, false, false, false, true},
  };
  for (const auto& c : cases) {
    OpenCommands();
    for (TimeRange& r : LineChangedRange) r.Clear();
    Film* f = SelectedSound(Sound("a.wav"), 1, 500, 1000);
    f->declickIn = c.in;
    f->declickOut = c.out;
    const bool changes = c.in != c.wantIn || c.out != c.wantOut;
    EXPECT_EQ(Enabled(c.command), changes) << c.command << c.in << c.out;
    Command(c.command);
    EXPECT_EQ(f->declickIn, c.wantIn) << c.command << c.in << c.out;
    EXPECT_EQ(f->declickOut, c.wantOut) << c.command << c.in << c.out;
    EXPECT_EQ(UndoScript::CanUndo(), changes);
    EXPECT_EQ(Covers(LineChangedRange[1], f), changes);
    Close();
  }
}

TEST_F(AudioClipTest, ThePopupsAreEnabledForTheSelectionTheyCanChange) {
  CommandTimeLine& w = OpenCommands();
  filmtest::FakeAudio* a = Sound("a.wav");
  Film* sound = SelectedSound(a, 0, 0, 1000);
  Film* picture = VideoFilm(Video("v.avi", 100), 0, 0, 0, 1000);
  EffectList* list = ListOf({"A"});

  const struct {
    bool playing, soundSelected, soundHasList, clipboard, pictureSelectedWithList;
    bool effects, addPaste, remove, declick;
  } cases[] = {
      {false, true, true, false, false, true, false, true, true},
      {false, true, false, true, false, true, true, false, true},
      {false, true, false, false, false, false, false, false, true},
      {false, false, false, true, true, false, false, true, false},
      {true, true, true, true, false, false, false, false, false},
  };
  for (const auto& c : cases) {
    w.Engine().playing = c.playing;
    sound->group = c.soundSelected ? SelectionGroup : 0;
    sound->effects = c.soundHasList ? list : nullptr;
    picture->group = c.pictureSelectedWithList ? SelectionGroup : 0;
    picture->effects = c.pictureSelectedWithList ? list : nullptr;
    if (c.clipboard) {
      CopyEffects({"B"});
    } else {
      EffectList::SetDefault(nullptr);
    }
    EXPECT_EQ(Enabled(kCeAudioEffects), c.effects);
    EXPECT_EQ(Enabled(kCmPasteEffects), c.addPaste);
    EXPECT_EQ(Enabled(kCmAddEffects), c.addPaste);
    EXPECT_EQ(Enabled(kCmDeleteEffects), c.remove);
    EXPECT_EQ(Enabled(kCeDeclick), c.declick);
    EXPECT_EQ(Enabled(kCmSetDeclickBoth), c.declick);
  }
  w.Engine().playing = false;
  sound->effects = picture->effects = nullptr;
  list->Release();
}

}  // namespace
}  // namespace timelinetest
