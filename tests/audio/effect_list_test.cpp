// Effect lists over real components (ours and the tests' fake module).
#include "audio/effect_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/installed_components.h"
#include "media/audio_data.h"
#include "media/sample_block.h"
#include "model/ini.h"
#include "platform/components/component_test_support.h"
#include "platform/components/effects/effect_classes.h"
#include "platform/core/files.h"

namespace {

class EffectListTest : public ComponentTest {
 protected:
  void SetUp() override {
    ComponentTest::SetUp();
    WriteRegistry(BuildRegistryText() + FakeRegistryText());
    ForgetInstalledComponents();
  }
  void TearDown() override {
    EffectList::FreeAll();
    ForgetInstalledComponents();
    SetEffectOutputFormatQuery(nullptr);
    ComponentTest::TearDown();
  }

  static int CountLists() {
    int n = 0;
    for (EffectList* l = EffectList::FirstList(); l != nullptr; l = l->next) ++n;
    return n;
  }
  static Effect* Gain(float gain, const char* name = "Gain") {
    Effect* e = Effect::Create(CLSID_KobrixGain, name);
    if (e == nullptr) return nullptr;
    BYTE state[GainSettings::kStateSize];
    effect_state::Encode(GainSettings{gain}, state);
    EXPECT_NE(e->component->LoadState(state, sizeof state), 0);
    return e;
  }
  static Effect* Offset(float offset, const char* name = "Offset") {
    Effect* e = Effect::Create(kOffsetClass, name);
    if (e == nullptr) return nullptr;
    EXPECT_NE(e->component->LoadState(&offset, 4), 0);
    return e;
  }
  static float SavedOffset(const Effect* e) {
    float v = 0;
    if (e->stateSize == 4) std::memcpy(&v, e->state.get(), 4);
    return v;
  }
  // One mono float frame of value through the list; the processed value.
  static float Through(EffectList* list, float value, bool* holds = nullptr) {
    SampleBlock block;
    block.data = &value;
    block.requested = block.held = block.capacity = 1;
    block.format = {1, 1, 44100, 44100 * 4, 4, 32};
    bool result = list->Process(&block);
    if (holds != nullptr) *holds = result;
    return value;
  }
  static std::vector<std::string> Names(const EffectList* list) {
    std::vector<std::string> names;
    for (const Effect* e = list->first; e != nullptr; e = e->next) {
      names.push_back(e->name);
      if (e->next != nullptr) {
        EXPECT_EQ(e->next->prev, e);
      }
    }
    if (list->first != nullptr) {
      EXPECT_EQ(list->first->prev, nullptr);
    }
    return names;
  }
};

TEST_F(EffectListTest, OpeningTwiceCreatesOnceAndClosingTwiceSavesOnce) {
  EffectList* list = EffectList::New();
  Effect* offset = Offset(2.0f);
  ASSERT_NE(offset, nullptr);
  offset->Close();  // a closed effect with its state saved
  ASSERT_EQ(offset->component, nullptr);
  ASSERT_EQ(SavedOffset(offset), 2.0f);
  list->Insert(offset, nullptr);
  const long created = FakeEffectsProbe<long>("FakeEffectsCreated");
  const long alive = FakeEffectsProbe<long>("FakeEffectsAlive");

  ASSERT_TRUE(list->Open(nullptr, nullptr));
  ASSERT_NE(offset->component, nullptr);
  IAudioEffect* component = offset->component;
  EXPECT_EQ(Through(list, 10.0f), 12.0f);  // the saved state was loaded
  ASSERT_TRUE(list->Open(nullptr, nullptr));
  EXPECT_EQ(offset->component, component);
  EXPECT_EQ(FakeEffectsProbe<long>("FakeEffectsCreated"), created + 1);

  const float edited = 5.0f;
  ASSERT_NE(component->LoadState(&edited, 4), 0);
  list->Close();
  EXPECT_EQ(offset->component, component);
  EXPECT_EQ(SavedOffset(offset), 2.0f);
  list->Close();
  EXPECT_EQ(offset->component, nullptr);
  EXPECT_EQ(SavedOffset(offset), 5.0f);
  EXPECT_EQ(FakeEffectsProbe<long>("FakeEffectsAlive"), alive);
  list->Close();
  EXPECT_EQ(list->openCount, 0);
  list->Release();
}

TEST_F(EffectListTest, ChainOrderShowsAndBypassLeavesTheBlock) {
  EffectList* gainFirst = EffectList::New();
  gainFirst->Insert(Gain(0.5f), nullptr);
  gainFirst->Insert(Offset(1.0f), nullptr);
  EffectList* offsetFirst = EffectList::New();
  offsetFirst->Insert(Gain(0.5f), nullptr);
  offsetFirst->InsertBefore(Offset(1.0f), offsetFirst->first);
  EXPECT_EQ(Through(gainFirst, 10.0f), 6.0f);
  EXPECT_EQ(Through(offsetFirst, 10.0f), 5.5f);

  gainFirst->SetEnabled(false);
  EXPECT_EQ(gainFirst->bypass, 1);
  bool holds = false;
  EXPECT_EQ(Through(gainFirst, 10.0f, &holds), 10.0f);
  EXPECT_TRUE(holds);
  SampleBlock empty;
  EXPECT_FALSE(gainFirst->Process(&empty));
  gainFirst->Release();
  offsetFirst->Release();
}

TEST_F(EffectListTest, EnablingResetsTheComponents) {
  EffectList* list = EffectList::New();
  list->Insert(Offset(0.0f), nullptr);
  IAudioEffect* c = list->first->component;
  c->SetId(0xFFFFFFFFu);  // the fake answers GetId with its reset count
  list->SetEnabled(false);
  EXPECT_EQ(c->GetId(), 0u);
  list->SetEnabled(true);
  EXPECT_EQ(list->bypass, 0);
  EXPECT_EQ(c->GetId(), 1u);

  c->SetId(0xFFFFFFFEu);  // now with the quality
  list->SetQuality(2);
  EXPECT_EQ(c->GetId(), 2u);
  list->Configure(48000, 2);
  EXPECT_EQ(FakeEffectsProbe<DWORD>("FakeEffectsLastRate"), 48000u);
  EXPECT_EQ(FakeEffectsProbe<DWORD>("FakeEffectsLastChannels"), 2u);
  list->Release();
}

TEST_F(EffectListTest, OpeningWithoutSourceTakesTheOutputFormat) {
  SetEffectOutputFormatQuery([](DWORD* rate, DWORD* channels) {
    *rate = 32000;
    *channels = 2;
  });
  Effect* e = Offset(1.0f);
  ASSERT_TRUE(e->Open(nullptr, nullptr));
  EXPECT_EQ(FakeEffectsProbe<DWORD>("FakeEffectsLastRate"), 32000u);
  EXPECT_EQ(FakeEffectsProbe<DWORD>("FakeEffectsLastChannels"), 2u);
  delete e;
}

// A clip's source gives its own rate and channels.
TEST_F(EffectListTest, OpeningWithASourceTakesItsFormat) {
  // A WAVE file of 0.1 s of silent 16-bit stereo frames at 48000 Hz.
  const std::string path = folder_ + "/clip.wav";
  std::vector<BYTE> wav;
  auto u32 = [&](DWORD v) {
    for (int i = 0; i < 4; ++i) wav.push_back(static_cast<BYTE>(v >> (8 * i)));
  };
  auto u16 = [&](WORD v) {
    wav.push_back(static_cast<BYTE>(v));
    wav.push_back(static_cast<BYTE>(v >> 8));
  };
  auto tag = [&](const char* t) { wav.insert(wav.end(), t, t + 4); };
  tag("RIFF");
  u32(4 + 8 + 16 + 8 + 19200);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);
  u16(2);
  u32(48000);
  u32(48000 * 4);
  u16(4);
  u16(16);
  tag("data");
  u32(19200);
  wav.resize(wav.size() + 19200, 0);
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(wav.data(), 1, wav.size(), f);
  std::fclose(f);
  AudioData* source = AudioData::OpenShared(path.c_str());
  ASSERT_NE(source, nullptr);

  EffectList* list = EffectList::New();
  list->Insert(Offset(1.0f), nullptr);
  ASSERT_TRUE(list->Open(source, nullptr));
  EXPECT_EQ(FakeEffectsProbe<DWORD>("FakeEffectsLastRate"), 48000u);
  EXPECT_EQ(FakeEffectsProbe<DWORD>("FakeEffectsLastChannels"), 2u);
  list->Close();
  list->Release();
  source->Release();
}

TEST_F(EffectListTest, CloneWithAnUnregisteredClassLeavesNoList) {
  EffectList* list = EffectList::New();
  list->Insert(Gain(0.5f), nullptr);
  list->Insert(Offset(1.0f), nullptr);
  const long alive = FakeEffectsProbe<long>("FakeEffectsAlive");
  const int lists = CountLists();
  WriteRegistry(BuildRegistryText());  // the fake classes are gone
  EXPECT_EQ(list->Clone(static_cast<AudioData*>(nullptr)), nullptr);
  EXPECT_EQ(list->CloneClosed(), nullptr);
  EXPECT_EQ(CountLists(), lists);
  EXPECT_EQ(FakeEffectsProbe<long>("FakeEffectsAlive"), alive);
  list->Release();
}

TEST_F(EffectListTest, MissingComponentsAreFlaggedInTheCallersList) {
  EffectList* list = EffectList::New();
  list->Insert(Gain(0.5f), nullptr);
  list->Insert(Offset(1.0f), nullptr);
  list->openCount = 1;
  list->Close();
  ASSERT_EQ(list->first->next->component, nullptr);
  WriteRegistry(BuildRegistryText());

  ComObjectEntry echo, offset, gain;
  echo.clsid = CLSID_KobrixEcho;
  offset.clsid = kOffsetClass;
  gain.clsid = CLSID_KobrixGain;
  echo.next = &offset;
  offset.next = &gain;
  EXPECT_FALSE(list->Open(nullptr, &echo));
  EXPECT_NE(list->first->component, nullptr);  // the others open all the same
  EXPECT_EQ(list->first->next->component, nullptr);
  EXPECT_EQ(echo.missing, 0);
  EXPECT_EQ(offset.missing, 1);
  EXPECT_EQ(gain.missing, 0);
  EXPECT_EQ(Through(list, 8.0f), 4.0f);
  list->Close();
  list->Release();

  EXPECT_EQ(Effect::Create(kFailInitClass, "x"), nullptr);
  EXPECT_EQ(Effect::Create(kOffsetClass, "x"), nullptr);
}

TEST_F(EffectListTest, SharedCopiesUndoAnEdit) {
  EffectList* list = EffectList::New();
  list->Insert(Offset(2.0f), nullptr);
  list->openCount = 1;
  const long alive = FakeEffectsProbe<long>("FakeEffectsAlive");

  EffectList* edit = list->CloneShared();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->openCount, 1);
  EXPECT_EQ(edit->first->component, list->first->component);
  EXPECT_EQ(SavedOffset(list->first), 2.0f);
  const float edited = 9.0f;
  edit->first->component->LoadState(&edited, 4);
  EXPECT_EQ(Through(list, 0.0f), 9.0f);
  list->RestoreStates();  // cancel: the state saved before the edit returns
  EXPECT_EQ(Through(list, 0.0f), 2.0f);
  edit->CloseDiscard();
  EXPECT_EQ(edit->first->component, nullptr);
  EXPECT_NE(list->first->component, nullptr);
  EXPECT_EQ(Through(list, 0.0f), 2.0f);
  edit->Release();
  EXPECT_EQ(FakeEffectsProbe<long>("FakeEffectsAlive"), alive);
  list->Release();
}

// A closed effect keeps its settings in its saved block; copies take them
// from there.
TEST_F(EffectListTest, CopiesOfClosedEffectsKeepTheirState) {
  EffectList* list = EffectList::New();
  list->Insert(Offset(3.0f), nullptr);
  list->bypass = 1;
  list->openCount = 1;
  list->Close();
  EffectList* clone = list->Clone(static_cast<AudioData*>(nullptr));
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->openCount, 1);
  EXPECT_EQ(clone->bypass, 1);
  clone->SetEnabled(true);
  EXPECT_EQ(Through(clone, 0.0f), 3.0f);

  EffectList* closed = clone->CloneClosed();
  ASSERT_NE(closed, nullptr);
  EXPECT_EQ(closed->openCount, 0);
  EXPECT_EQ(closed->first->component, nullptr);
  EXPECT_EQ(SavedOffset(closed->first), 3.0f);

  // A component that will not give its state makes no copy.
  EffectList* refusing = EffectList::New();
  refusing->Insert(Effect::Create(kRefuseStateClass, "Refuse"), nullptr);
  EXPECT_EQ(refusing->Clone(static_cast<AudioData*>(nullptr)), nullptr);
  EXPECT_EQ(refusing->CloneShared(), nullptr);
  // ... and keeps nothing but its last good state when closed.
  refusing->openCount = 1;
  refusing->Close();
  EXPECT_EQ(refusing->first->stateSize, 0);
  for (EffectList* l : {list, clone, closed, refusing}) l->Release();
}

TEST_F(EffectListTest, DefaultList) {
  Effect* gain = Gain(0.25f);
  EffectList::SetDefaultEffect(gain);
  EffectList* def = EffectList::DefaultList();
  ASSERT_NE(def, nullptr);
  EXPECT_EQ(def->openCount, 1);
  ASSERT_NE(def->first, nullptr);
  EXPECT_NE(def->first->component, gain->component);
  EffectList* pasted = EffectList::CloneDefault(nullptr);
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(Through(pasted, 8.0f), 2.0f);
  pasted->Release();

  // Setting the default from its own list is safe.
  EffectList::SetDefault(EffectList::DefaultList());
  ASSERT_NE(EffectList::DefaultList(), nullptr);
  EXPECT_EQ(Through(EffectList::DefaultList(), 8.0f), 2.0f);
  EffectList::SetDefaultEffect(EffectList::DefaultList()->first);
  ASSERT_NE(EffectList::DefaultList(), nullptr);

  Effect* offset = Offset(1.0f);
  WriteRegistry(BuildRegistryText());
  EffectList::SetDefaultEffect(offset);
  EXPECT_EQ(EffectList::DefaultList(), nullptr);
  EXPECT_EQ(EffectList::CloneDefault(nullptr), nullptr);
  delete offset;
  delete gain;
}

// The Film model splits and repeats clips through its own interface; the
// new part must get a list of its own, not share the original's.
TEST_F(EffectListTest, AFilmModelCloneIsAListOfItsOwn) {
  EffectList* list = EffectList::New();
  list->Insert(Gain(0.5f, "Half"), nullptr);
  EffectChain* chain = list;
  auto* own = dynamic_cast<EffectList*>(chain->Clone(static_cast<AudioSource*>(nullptr)));
  ASSERT_NE(own, nullptr);
  EXPECT_NE(own, list);
  EXPECT_EQ(Names(own), Names(list));
  EXPECT_EQ(own->openCount, 1);
  EXPECT_EQ(Through(own, 8.0f), 4.0f);
  own->Release();
  list->Release();
}

TEST_F(EffectListTest, LinkingEffects) {
  EffectList* list = EffectList::New();
  Effect* a = Gain(1, "A");
  Effect* b = Gain(1, "B");
  Effect* c = Gain(1, "C");
  Effect* d = Gain(1, "D");
  list->InsertBefore(b, nullptr);  // empty chain: first
  list->Insert(d, nullptr);        // at the end
  list->Insert(c, b);              // after b
  list->InsertBefore(a, nullptr);  // at the head
  EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "B", "C", "D"}));
  list->Unlink(a);
  EXPECT_EQ(a->next, nullptr);
  list->Unlink(d);
  list->Unlink(c);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"B"}));
  list->InsertBefore(c, b);
  list->Insert(a, c);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C", "A", "B"}));
  delete d;
  list->Release();
}

TEST_F(EffectListTest, DescribeGivesThePhrases) {
  EffectList* empty = EffectList::New();
  EffectList* one = EffectList::New();
  one->Insert(Gain(1, "Alpha"), nullptr);
  EffectList* three = EffectList::New();
  three->Insert(Gain(1, "Alpha"), nullptr);
  three->Insert(Gain(1, "Beta"), nullptr);
  three->Insert(Gain(1, "Gamma"), nullptr);
  struct Case {
    const EffectList* list;
    int size;
    const char* text;
  };
  const Case cases[] = {
      {nullptr, 100, " has not audio effects"},
      {empty, 100, " has not audio effects"},
      {one, 100, " has audio effect Alpha"},
      {three, 100, " has 3 audio effects: Alpha, Beta, Gamma"},
      {three, 41, " has 3 audio effects: Alpha, Beta, Gamma"},
      {three, 40, " has 3 audio effects: Alpha, Beta, ..."},
      {three, 33, " has 3 audio effects: Alpha, ..."},
      {three, 32, " has 3 audio effects: ..."},
      {three, 24, " has 3 audio effects: "},
      {one, 5, " has"},
  };
  for (const Case& c : cases) {
    char text[128];
    std::memset(text, '#', sizeof text);
    EffectList::Describe(c.list, text, c.size);
    EXPECT_STREQ(text, c.text) << c.size;
    EXPECT_LE(static_cast<int>(std::strlen(text)), c.size - 1);
  }
  for (EffectList* l : {empty, one, three}) l->Release();
}

class TempFile final : public ITempFile {
 public:
  explicit TempFile(std::string path) : path_(std::move(path)) {}
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  LPCSTR GetFileName() override { return path_.c_str(); }
  ULONG refs = 1;

 private:
  std::string path_;
};

TEST_F(EffectListTest, RenderedFile) {
  const std::string path = folder_ + "/rendered.avi";
  std::fclose(std::fopen(path.c_str(), "wb"));
  TempFile file(path);
  EffectList* list = EffectList::New();
  list->Insert(Offset(1.0f), nullptr);
  list->openCount = 1;
  list->Close();
  list->tempFile = &file;
  EXPECT_TRUE(list->Open(nullptr, nullptr));  // the file plays: no components
  EXPECT_EQ(list->first->component, nullptr);
  list->Close();
  list->DeleteTempFile();
  EXPECT_EQ(list->tempFile, nullptr);
  EXPECT_EQ(file.refs, 0u);
  EXPECT_EQ(GetFileAttributes(path.c_str()), INVALID_FILE_ATTRIBUTES);
  list->Release();
}

TEST_F(EffectListTest, NamesFromTheInstalledComponents) {
  Effect* gain = Gain(1, "My gain");
  gain->LookupName();
  EXPECT_STREQ(gain->name, kGainProgId);
  Effect* offset = Offset(1, "Mine");
  WriteRegistry(BuildRegistryText());
  ForgetInstalledComponents();
  offset->LookupName();
  EXPECT_STREQ(offset->name, "Mine");
  delete gain;
  delete offset;
}

TEST_F(EffectListTest, SettingsSection) {
  EffectList::ReadSettings();
  EXPECT_STREQ(EffectList::settings.directory, "");
  EXPECT_EQ(EffectList::settings.realTimeQuality, 0);
  EXPECT_EQ(EffectList::settings.finalQuality, 2);
  EXPECT_EQ(EffectList::settings.fResponseQuality, 1);
  EXPECT_EQ(EffectList::settings.miscQuality, 1);
  std::strcpy(EffectList::settings.directory, "/opt/effects");
  EffectList::settings.realTimeQuality = 1;
  EffectList::settings.finalQuality = 3;
  EffectList::WriteSettings();
  IniFlush();
  EffectList::settings = EffectSettings{};
  EffectList::ReadSettings();
  EXPECT_STREQ(EffectList::settings.directory, "/opt/effects");
  EXPECT_EQ(EffectList::settings.realTimeQuality, 1);
  EXPECT_EQ(EffectList::settings.finalQuality, 3);
  EffectList::settings = EffectSettings{};
}

}  // namespace
