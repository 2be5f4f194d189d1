// The master effects from the cursor-time display's menu, over real gain
// components: each edit is one undo step, and the audio engine gets the new
// list inside its mixing lock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_player.h"
#include "audio/effect_list.h"
#include "platform/audio/virtual_audio.h"
#include "platform/components/com.h"
#include "platform/components/effects/effect_classes.h"
#include "platform/core/registry.h"
#include "strip_fixture.h"
#include "support/effects_registry.h"
#include "support/file_bytes.h"
#include "timeline/header/cur_time_text.h"

namespace striptest {
namespace {

std::vector<std::string> Names(const EffectList* list) {
  std::vector<std::string> names;
  for (const Effect* e = list != nullptr ? list->first : nullptr; e != nullptr; e = e->next)
    names.push_back(e->name);
  return names;
}

// Answers every box with one button and tells when one came up.
class AnsweringBoxes : public MessageBoxPresenter {
 public:
  explicit AnsweringBoxes(int answer) : answer_(answer) { before_ = SetMessageBoxPresenter(this); }
  ~AnsweringBoxes() override { SetMessageBoxPresenter(before_); }
  int Show(HWND, const std::string& text, const std::string& caption, UINT flags) override {
    shown.push_back({text, caption, flags});
    asked = true;
    return answer_;
  }
  void Beep(UINT) override {}
  struct Box {
    std::string text, caption;
    UINT flags;
  };
  std::vector<Box> shown;
  std::atomic<bool> asked{false};

 private:
  int answer_;
  MessageBoxPresenter* before_ = nullptr;
};

class MasterEffectsTest : public StripTest {
 protected:
  void SetUp() override {
    StripTest::SetUp();
    WriteFileText(RegistryFilePath(), BuildEffectsRegistryText());
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    OpenStrip();
    display_ = window_->CurTimeText();
    VirtualAudio::Reset();  // the test's clock, not the wall clock
    audio_ = std::make_unique<AudioPlayer>();
    TheAudioPlayer = audio_.get();
  }
  void TearDown() override {
    StripTest::TearDown();
    TheAudioPlayer = nullptr;
    audio_.reset();
    EffectList::FreeAll();
    CoUninitialize();
  }

  static EffectList* ListOf(std::initializer_list<const char*> names) {
    EffectList* list = EffectList::New();
    for (const char* name : names) {
      Effect* effect = Effect::Create(CLSID_KobrixGain, name);
      EXPECT_NE(effect, nullptr) << name;
      list->Insert(effect, nullptr);
    }
    return list;
  }
  // The default list (the effect clipboard) holds a copy of names.
  static void SetDefault(std::initializer_list<const char*> names) {
    EffectList* list = ListOf(names);
    EffectList::SetDefault(list);
    list->Release();
  }
  // The project's master list, open and handed to the engine.
  EffectList* GiveMaster(std::initializer_list<const char*> names) {
    EffectList* list = ListOf(names);
    list->Open(nullptr, nullptr);
    Engine().masterEffects = list;
    audio_->SetTrackEffects(-1, list);
    return list;
  }
  EffectList* Master() { return dynamic_cast<EffectList*>(Engine().masterEffects); }
  void Command(int id) {
    display_->SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0);
    GuiPumpMessages();
  }

  TCurTimeText* display_ = nullptr;
  std::unique_ptr<AudioPlayer> audio_;
};

TEST_F(MasterEffectsTest, TheMenuFollowsTheListsThatExist) {
  int x = 30;
  auto read = [&] {
    std::vector<MenuItem> items;
    x += 5;  // never a double click
    RightClick(display_, x, 3, [&](HMENU m) { items = ReadMenu(m); });
    return items;
  };
  auto state = [](const std::vector<MenuItem>& items, UINT id) {
    for (const MenuItem& item : items)
      if (item.id == id) return item.state;
    ADD_FAILURE() << "no item " << id;
    return 0u;
  };
  std::vector<MenuItem> items = read();
  ASSERT_EQ(items.size(), 8u);
  EXPECT_EQ(items[0].id, 101u);
  EXPECT_EQ(items[2].text, "Add new audio effect(s)...");
  for (UINT id : {341u, 342u, 343u, 519u}) EXPECT_TRUE(state(items, id) & MF_GRAYED) << id;

  SetDefault({"B"});
  EffectList* master = GiveMaster({"A"});
  items = read();
  EXPECT_EQ(items[2].text, "Edit audio effect(s)...");
  for (UINT id : {341u, 342u, 343u, 519u}) EXPECT_FALSE(state(items, id) & MF_GRAYED) << id;
  EXPECT_TRUE(state(items, 519) & MF_CHECKED);
  master->bypass = 1;
  EXPECT_FALSE(state(read(), 519) & MF_CHECKED);

  Engine().playing = true;
  bool opened = false;
  SetModalHook([&](HWND) { opened = true; });
  Press(display_, 40, 3, 1);
  Release(display_, 40, 3, 1);
  SetModalHook(nullptr);
  Engine().playing = false;
  EXPECT_FALSE(opened);
}

TEST_F(MasterEffectsTest, EditAndUseGoToTheTimeLine) {
  RightClick(display_, 30, 3, nullptr, 518);
  EXPECT_EQ(strip_->masterEffectsAsked, 1);
  GiveMaster({"A"});
  RightClick(display_, 50, 3, nullptr, 519);
  EXPECT_EQ(strip_->useMasterEffectsAsked, 1);
}

// Answering No leaves the list, the engine and the undo history alone.
TEST_F(MasterEffectsTest, PasteAnsweredNoChangesNothing) {
  SetDefault({"B"});
  EffectList* master = GiveMaster({"A"});
  Engine().SetModified(false);
  AnsweringBoxes boxes(IDNO);
  Command(341);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Paste Audio Effect(s)");
  EXPECT_EQ(boxes.shown[0].text, "Project has master audio effect(s)!\nReplace?");
  EXPECT_EQ(Master(), master);
  EXPECT_EQ(Names(master), std::vector<std::string>{"A"});
  EXPECT_EQ(audio_->GetMasterEffects(), master);
  EXPECT_EQ(UndoSteps(), 0);
  EXPECT_FALSE(Engine().IsModified());
}

TEST_F(MasterEffectsTest, PasteReplacesTheListInUseAndCanBeUndone) {
  SetDefault({"B", "C"});
  EffectList::DefaultList()->bypass = 1;
  GiveMaster({"A"});
  AnsweringBoxes boxes(IDYES);
  Command(341);
  EffectList* master = Master();
  ASSERT_NE(master, nullptr);
  EXPECT_EQ(Names(master), (std::vector<std::string>{"B", "C"}));
  EXPECT_EQ(master->bypass, 0);
  EXPECT_EQ(audio_->GetMasterEffects(), master);
  EXPECT_EQ(UndoSteps(), 1);
  EXPECT_TRUE(Engine().IsModified());
  ASSERT_EQ(players_.mixerNotices.size(), 1u);
  EXPECT_EQ(players_.mixerNotices[0], std::make_pair(17, 0));

  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(Names(Master()), std::vector<std::string>{"A"});
}

TEST_F(MasterEffectsTest, AddAppendsTheDefaultEffectsToTheMasterListAndCanBeUndone) {
  SetDefault({"B"});
  EffectList* master = GiveMaster({"A"});
  Command(342);
  // A list of its own: the undo step still holds the former one.
  EffectList* added = Master();
  EXPECT_NE(added, master);
  EXPECT_EQ(Names(added), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(audio_->GetMasterEffects(), added);
  EXPECT_EQ(UndoSteps(), 1);
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(Names(Master()), std::vector<std::string>{"A"});
  ASSERT_TRUE(Engine().CmRedo());
  EXPECT_EQ(Names(Master()), (std::vector<std::string>{"A", "B"}));

  // Without a master list the copy becomes it.
  ReleaseChain(Engine().masterEffects);
  audio_->SetTrackEffects(-1, nullptr);
  Command(342);
  ASSERT_NE(Master(), nullptr);
  EXPECT_EQ(Names(Master()), std::vector<std::string>{"B"});
  EXPECT_EQ(audio_->GetMasterEffects(), Master());
}

// The engine is told inside its mixing lock: while another thread holds the
// lock, the engine still has the old list.
TEST_F(MasterEffectsTest, DeleteWithYesLeavesNoListAndTellsTheEngineInsideTheLock) {
  EffectList* master = GiveMaster({"A"});
  AnsweringBoxes boxes(IDYES);
  std::atomic<bool> holding{false};
  EffectChain* heldSaw = nullptr;
  std::thread holder([&] {
    EnterCriticalSection(&audio_->MixingLock());
    holding = true;
    while (!boxes.asked) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    heldSaw = audio_->GetMasterEffects();
    LeaveCriticalSection(&audio_->MixingLock());
  });
  while (!holding) std::this_thread::yield();
  Command(343);
  holder.join();
  EXPECT_EQ(heldSaw, master);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Delete Audio Effect(s)");
  EXPECT_EQ(boxes.shown[0].text, "Do you want to delete audio effects?");
  EXPECT_EQ(Engine().masterEffects, nullptr);
  EXPECT_EQ(audio_->GetMasterEffects(), nullptr);
  EXPECT_EQ(UndoSteps(), 1);
}

TEST_F(MasterEffectsTest, NothingChangesWhilePlayingOrAnsweredNo) {
  SetDefault({"B"});
  EffectList* master = GiveMaster({"A"});
  {
    AnsweringBoxes boxes(IDNO);
    Command(343);
    EXPECT_EQ(Master(), master);
  }
  Engine().playing = true;
  AnsweringBoxes boxes(IDYES);
  for (int id : {341, 342, 343}) Command(id);
  Engine().playing = false;
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(Names(Master()), std::vector<std::string>{"A"});
  EXPECT_EQ(UndoSteps(), 0);
}

}  // namespace
}  // namespace striptest
