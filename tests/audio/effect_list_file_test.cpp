// The list body and the effect-list file.
#include "audio/effect_list_file.h"

#include <gtest/gtest.h>

#include <time.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "audio/effect_list.h"
#include "audio/installed_components.h"
#include "media/sample_block.h"
#include "model/message_box.h"
#include "platform/components/component_test_support.h"
#include "platform/components/effects/effect_classes.h"
#include "platform/core/files.h"
#include "support/sparse_files.h"

namespace {

using Bytes = std::vector<BYTE>;

void PutU32(Bytes* b, DWORD v) {
  for (int i = 0; i < 4; ++i) b->push_back(static_cast<BYTE>(v >> (8 * i)));
}
Bytes Block(DWORD id, const Bytes& data) {
  Bytes b;
  PutU32(&b, id);
  PutU32(&b, static_cast<DWORD>(data.size()));
  b.insert(b.end(), data.begin(), data.end());
  return b;
}
Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}
Bytes Text(const std::string& s, bool nul = true) {
  Bytes b(s.begin(), s.end());
  if (nul) b.push_back(0);
  return b;
}
Bytes ClassBytes(REFCLSID clsid) {
  Bytes b(16);
  GuidToBytes(clsid, b.data());
  return b;
}
Bytes U32(DWORD v) {
  Bytes b;
  PutU32(&b, v);
  return b;
}
const Bytes kHeader = Text("Audio Effect List (c) Firm Tarnlex");

struct Box {
  std::string text, caption;
};
class RecordedBoxes : public MessageBoxPresenter {
 public:
  int Show(HWND, const std::string& text, const std::string& caption, UINT) override {
    boxes.push_back({text, caption});
    return IDOK;
  }
  void Beep(UINT) override {}
  std::vector<Box> boxes;
};

class ScriptedQuestion : public EffectListFileQuestion {
 public:
  bool AskFileName(HWND, const char* title, bool save, const char* filter, const char* extension,
                   std::string* path) override {
    asked.push_back(std::string(save ? "save " : "open ") + title + " " + filter + " " + extension);
    if (answer.empty()) return false;
    *path = answer;
    return true;
  }
  std::string answer;
  std::vector<std::string> asked;
};

class EffectListFileTest : public ComponentTest {
 protected:
  void SetUp() override {
    ComponentTest::SetUp();
    WriteRegistry(BuildRegistryText());
    ForgetInstalledComponents();
    previousBoxes_ = SetMessageBoxPresenter(&boxes_);
    previousQuestion_ = SetEffectListFileQuestion(&question_);
  }
  void TearDown() override {
    SetEffectListFileQuestion(previousQuestion_);
    SetMessageBoxPresenter(previousBoxes_);
    EffectList::FreeAll();
    ForgetInstalledComponents();
    ComponentTest::TearDown();
  }

  std::string Path(const char* name = "list.fxl") const { return folder_ + "/" + name; }
  Bytes FileBytes(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  void WriteBytes(const std::string& path, const Bytes& bytes) const {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  // ReadFile on bytes; the list comes back through list.
  int ReadFileBytes(const Bytes& bytes, EffectList** list, ComObjectEntry** missing = nullptr) const {
    WriteBytes(Path("in.fxl"), bytes);
    HMMIO file = mmioOpen(Path("in.fxl").c_str(), nullptr, MMIO_READ);
    EXPECT_NE(file, nullptr);
    int error = EffectList::ReadFile(file, list, missing);
    mmioClose(file, 0);
    return error;
  }
  // EffectList::Read on a body.
  EffectList* ReadBody(const Bytes& body, int* error) const {
    WriteBytes(Path("body.bin"), body);
    HMMIO file = mmioOpen(Path("body.bin").c_str(), nullptr, MMIO_READ);
    EXPECT_NE(file, nullptr);
    EffectList* list = EffectList::Read(file, static_cast<LONG>(body.size()), error);
    mmioClose(file, 0);
    return list;
  }
  Bytes WrittenBody(EffectList* list) const {
    HMMIO file = mmioOpen(Path("body.bin").c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
    EXPECT_NE(file, nullptr);
    EXPECT_TRUE(list->Write(file));
    mmioClose(file, 0);
    return FileBytes(Path("body.bin"));
  }
  static Effect* WithState(REFCLSID clsid, const char* name, const Bytes& state) {
    Effect* e = Effect::Create(clsid, name);
    EXPECT_NE(e, nullptr);
    EXPECT_NE(e->component->LoadState(state.data(), static_cast<LONG>(state.size())), 0);
    return e;
  }
  static Bytes StateOf(const GainSettings& s) {
    Bytes b(GainSettings::kStateSize);
    effect_state::Encode(s, b.data());
    return b;
  }
  static Bytes StateOf(const EqualizerSettings& s) {
    Bytes b(EqualizerSettings::kStateSize);
    effect_state::Encode(s, b.data());
    return b;
  }
  // The installed list as a 621 record (ours, in the registry's order).
  static Bytes InstalledRecord() {
    Bytes body;
    for (auto [clsid, progId] :
         {std::pair{CLSID_KobrixGain, kGainProgId}, std::pair{CLSID_KobrixEqualizer, kEqualizerProgId},
          std::pair{CLSID_KobrixEcho, kEchoProgId}})
      body = Concat({body, Block(622, Concat({ClassBytes(clsid), Text(progId)}))});
    return Block(621, body);
  }

  RecordedBoxes boxes_;
  ScriptedQuestion question_;
  MessageBoxPresenter* previousBoxes_ = nullptr;
  EffectListFileQuestion* previousQuestion_ = nullptr;
};

// A live gain and a closed equaliser with a saved state, bypassed.
TEST_F(EffectListFileTest, FileRoundTripsAndHasTheFormatsBytes) {
  EffectList* list = EffectList::New();
  list->Insert(WithState(CLSID_KobrixGain, "Half gain", StateOf(GainSettings{0.5f})), nullptr);
  Effect* eq = WithState(CLSID_KobrixEqualizer, "EQ", StateOf(EqualizerSettings{1000.0f, 6.0f, 1.0f}));
  eq->Close();
  list->Insert(eq, nullptr);
  list->bypass = 1;

  HMMIO file = mmioOpen(Path().c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(list->WriteFile(file));
  mmioClose(file, 0);

  const Bytes gain =
      Block(601, Concat({Block(611, ClassBytes(CLSID_KobrixGain)), Block(612, StateOf(GainSettings{0.5f})),
                         Block(613, Text("Half gain"))}));
  const Bytes equalizer = Block(
      601, Concat({Block(611, ClassBytes(CLSID_KobrixEqualizer)),
                   Block(612, StateOf(EqualizerSettings{1000.0f, 6.0f, 1.0f})), Block(613, Text("EQ"))}));
  const Bytes expected =
      Concat({kHeader, Block(600, Concat({gain, equalizer, Block(603, U32(0))})), InstalledRecord()});
  EXPECT_EQ(FileBytes(Path()), expected);

  EffectList* back = nullptr;
  ComObjectEntry* installed = nullptr;
  ASSERT_EQ(ReadFileBytes(expected, &back, &installed), 0);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->bypass, 1);
  EXPECT_EQ(back->openCount, 0);
  const Effect* a = back->first;
  ASSERT_NE(a, nullptr);
  const Effect* b = a->next;
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->next, nullptr);
  EXPECT_EQ(a->clsid, CLSID_KobrixGain);
  EXPECT_STREQ(a->name, "Half gain");
  EXPECT_EQ(Bytes(a->state.get(), a->state.get() + a->stateSize), StateOf(GainSettings{0.5f}));
  EXPECT_EQ(b->clsid, CLSID_KobrixEqualizer);
  EXPECT_STREQ(b->name, "EQ");
  EXPECT_EQ(Bytes(b->state.get(), b->state.get() + b->stateSize),
            StateOf(EqualizerSettings{1000.0f, 6.0f, 1.0f}));
  std::vector<std::string> ids;
  for (const ComObjectEntry* e = installed; e != nullptr; e = e->next) ids.push_back(e->progId);
  EXPECT_EQ(ids, (std::vector<std::string>{kGainProgId, kEqualizerProgId, kEchoProgId}));
  FreeComponentList(installed);

  // What was read opens and sounds as what was written.
  ASSERT_TRUE(list->Open(nullptr, nullptr));
  ASSERT_TRUE(back->Open(nullptr, nullptr));
  std::vector<float> written(64, 8000.0f), read(64, 8000.0f);
  for (auto [l, samples] : {std::pair{list, &written}, std::pair{back, &read}}) {
    l->SetEnabled(true);
    SampleBlock block;
    block.data = samples->data();
    block.requested = block.held = block.capacity = 64;
    block.format = {1, 1, 48000, 192000, 4, 32};
    l->Process(&block);
  }
  EXPECT_EQ(written, read);
  EXPECT_NE(written[10], 8000.0f);
  back->Close();
  back->Release();
  list->Release();
}

TEST_F(EffectListFileTest, EmptyListAndEnabledFlag) {
  EffectList* empty = EffectList::New();
  const Bytes body = WrittenBody(empty);
  EXPECT_EQ(body, Block(603, U32(1)));
  int error = -1;
  EXPECT_EQ(ReadBody(body, &error), nullptr);  // a list without effects is dropped
  EXPECT_EQ(error, 0);
  empty->Release();

  const Bytes effect = Block(601, Block(611, ClassBytes(CLSID_KobrixGain)));
  struct Case {
    Bytes enabled;
    int error;
    BYTE bypass;
  };
  const Case cases[] = {
      {Block(603, U32(0)), 0, 1}, {Block(603, U32(1)), 0, 0}, {Block(603, Bytes{1, 0, 0, 0, 0}), 6, 0}};
  for (const Case& c : cases) {
    EffectList* list = ReadBody(Concat({effect, c.enabled}), &error);
    EXPECT_EQ(error, c.error);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->bypass, c.bypass);
    list->Release();
  }
}

TEST_F(EffectListFileTest, EffectBlocks) {
  const Bytes id = Block(611, ClassBytes(CLSID_KobrixEcho));
  const std::string name127(127, 'n');
  struct Case {
    const char* what;
    Bytes effect;
    int error;
    std::string name;
    LONG stateSize;
  };
  const Case cases[] = {
      {"no state block, no state", Concat({id, Block(613, Text("Echo"))}), 0, "Echo", 0},
      {"a 200-byte name is skipped", Concat({id, Block(613, Bytes(200, 'x'))}), 0, "", 0},
      {"a 128-byte name without its NUL", Concat({id, Block(613, Text(name127 + "Z", false))}), 0, name127,
       0},
      {"unknown blocks are skipped", Concat({Block(699, {9, 9}), id, Block(612, {1, 2, 3})}), 0, "", 3},
      {"no class id", Block(613, Text("Echo")), 6, "", 0},
      {"a class id of 15 bytes", Block(611, Bytes(15)), 6, "", 0},
      {"a block past the effect", Concat({id, Bytes{0x63, 2, 0, 0, 50, 0, 0, 0}}), 6, "", 0},
  };
  for (const Case& c : cases) {
    int error = -1;
    EffectList* list = ReadBody(Concat({Block(601, c.effect), Block(603, U32(1))}), &error);
    EXPECT_EQ(error, c.error) << c.what;
    if (c.error != 0) {
      EXPECT_EQ(list, nullptr) << c.what;
      continue;
    }
    ASSERT_NE(list, nullptr) << c.what;
    EXPECT_EQ(std::string(list->first->name), c.name) << c.what;
    EXPECT_EQ(list->first->stateSize, c.stateSize) << c.what;
    list->Release();
  }

  // A closed effect without a saved state writes no 612.
  EffectList* list = EffectList::New();
  Effect* e = Effect::Create(CLSID_KobrixEcho, "Echo");
  e->DiscardComponent();
  list->Insert(e, nullptr);
  EXPECT_EQ(WrittenBody(list),
            Concat({Block(601, Concat({id, Block(613, Text("Echo"))})), Block(603, U32(1))}));
  list->Release();
}

TEST_F(EffectListFileTest, HeaderAndShortFiles) {
  EffectList* list = nullptr;
  EXPECT_EQ(ReadFileBytes(Bytes(kHeader.begin(), kHeader.end() - 1), &list), 19);
  EXPECT_EQ(ReadFileBytes({}, &list), 19);
  for (size_t at = 0; at < kHeader.size(); ++at) {
    Bytes changed = kHeader;
    changed[at] ^= 0x20;
    EXPECT_EQ(ReadFileBytes(changed, &list), 6) << at;
    EXPECT_EQ(list, nullptr);
  }
  // A file with only its header holds no list and no error.
  EXPECT_EQ(ReadFileBytes(kHeader, &list), 0);
  EXPECT_EQ(list, nullptr);
  // A body that claims more than the file holds is a cut file: no allocation.
  const Bytes huge = Concat({kHeader, U32(600), U32(0x7FFFFFF0)});
  EXPECT_EQ(ReadFileBytes(huge, &list), 19);
  const Bytes hugeState =
      Concat({kHeader, Block(600, Block(601, Concat({Block(611, ClassBytes(CLSID_KobrixGain)), U32(612),
                                                     U32(0x7FFFFFF0)})))});
  EXPECT_EQ(ReadFileBytes(hugeState, &list), 6);
  EXPECT_EQ(list, nullptr);
}

// Every cut and every changed byte of a good file: an error code or a list,
// never a crash or a read out of bounds.
TEST_F(EffectListFileTest, DamagedFiles) {
  const Bytes body =
      Concat({Block(601, Concat({Block(611, ClassBytes(CLSID_KobrixGain)),
                                 Block(612, StateOf(GainSettings{0.5f})), Block(613, Text("G"))})),
              Block(603, U32(1))});
  const Bytes good = Concat({kHeader, Block(600, body), InstalledRecord()});
  const size_t componentsAt = kHeader.size() + 8 + body.size();
  for (size_t cut = 0; cut < good.size(); ++cut) {
    EffectList* list = nullptr;
    ComObjectEntry* installed = nullptr;
    const int error = ReadFileBytes(Bytes(good.begin(), good.begin() + cut), &list, &installed);
    if (cut == componentsAt || cut == kHeader.size())
      EXPECT_EQ(error, 0) << cut;  // a file may end between its blocks
    else
      EXPECT_TRUE(error == 19 || error == 6) << cut << " gave " << error;
    if (cut < componentsAt) {
      EXPECT_EQ(list, nullptr) << cut;
    }
    if (list != nullptr) list->Release();
    FreeComponentList(installed);
  }
  for (size_t at = 0; at < good.size(); ++at) {
    for (BYTE value : {BYTE{0x00}, BYTE{0x7F}, BYTE{0x80}, BYTE{0xFF}}) {
      Bytes changed = good;
      changed[at] = value;
      EffectList* list = nullptr;
      ComObjectEntry* installed = nullptr;
      ReadFileBytes(changed, &list, &installed);
      if (list != nullptr) list->Release();
      FreeComponentList(installed);
    }
  }
}

// Each effect is appended without a walk from the list's head.
TEST_F(EffectListFileTest, ALongListLoadsQuicklyInItsOrder) {
  constexpr int kEffects = 40000;
  Bytes body;
  for (int i = 0; i < kEffects; ++i) {
    const Bytes effect =
        Block(601, Concat({Block(611, ClassBytes(CLSID_KobrixGain)), Block(613, Text("E" + std::to_string(i)))}));
    body.insert(body.end(), effect.begin(), effect.end());
  }
  WriteBytes(Path("in.fxl"), Concat({kHeader, Block(600, body)}));
  // The processor time of this thread, which the read runs on: a busy
  // machine stretches the wall clock, not this.
  const auto cpuNow = [] {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
  };
  const auto begin = cpuNow();
  HMMIO file = mmioOpen(Path("in.fxl").c_str(), nullptr, MMIO_READ);
  ASSERT_NE(file, nullptr);
  EffectList* list = nullptr;
  EXPECT_EQ(EffectList::ReadFile(file, &list, nullptr), 0);
  mmioClose(file, 0);
  // A walk from the head per effect took over a second here; the sanitizers
  // slow everything down by about ten times.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  constexpr auto kLimit = std::chrono::seconds(10);
#else
  constexpr auto kLimit = std::chrono::seconds(1);
#endif
  EXPECT_LT(cpuNow() - begin, kLimit);
  ASSERT_NE(list, nullptr);
  int i = 0;
  for (Effect* e = list->first; e != nullptr; e = e->next, ++i) {
    if (e->name != "E" + std::to_string(i)) {
      ADD_FAILURE() << "effect " << i << " is " << e->name;
      break;
    }
  }
  EXPECT_EQ(i, kEffects);
  list->Release();
}

// A body said to run past the end of its file is refused before anything
// is made for it.
TEST_F(EffectListFileTest, ABodyLongerThanItsFileIsACutFile) {
  const Bytes body = Block(601, Block(611, ClassBytes(CLSID_KobrixGain)));
  WriteBytes(Path("body.bin"), body);
  HMMIO file = mmioOpen(Path("body.bin").c_str(), nullptr, MMIO_READ);
  ASSERT_NE(file, nullptr);
  int error = 0;
  EffectList* list = EffectList::Read(file, static_cast<LONG>(body.size()) + 1, &error);
  mmioClose(file, 0);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(error, 19);
}

// Zeros where blocks should be end the read at once: a blanked or sparse
// file of 64 GB is not read eight bytes a step for as long as it is.
TEST_F(EffectListFileTest, ZerosWhereBlocksShouldBeEndTheReadAtOnce) {
  const Bytes body = Concat({U32(600), U32(0x7FFFFFF0)});
  const struct {
    const char* what;
    Bytes head;
  } cases[] = {
      {"after the header", kHeader},
      {"in the list", Concat({kHeader, body})},
      {"in an effect", Concat({kHeader, body, U32(601), U32(0x70000000)})},
      {"in the component list", Concat({kHeader, U32(621), U32(0x7FFFFFF0)})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = Path("zeros.fxl");
    if (!WriteSparseFile(path, c.head)) GTEST_SKIP() << "no sparse file of 64 GB here";
    // A second of processor time; walking the zeros takes minutes of it.
    EXPECT_TRUE(EndsWithin(std::chrono::milliseconds(1000), [&] {
      HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_READ);
      EffectList* list = nullptr;
      ComObjectEntry* installed = nullptr;
      return file != nullptr && EffectList::ReadFile(file, &list, &installed) == 6;
    }));
  }
}

TEST_F(EffectListFileTest, SaveAndLoadThroughTheFileQuestion) {
  EffectList* list = EffectList::New();
  list->Insert(WithState(CLSID_KobrixGain, "Quarter", StateOf(GainSettings{0.25f})), nullptr);

  // Cancelled: nothing is written, nothing is read.
  list->SaveFile(nullptr, "Save Effects List");
  ComObjectEntry* installed = nullptr;
  EXPECT_EQ(EffectList::LoadFile(nullptr, "Load Effects List", &installed), nullptr);
  ASSERT_EQ(question_.asked.size(), 2u);
  EXPECT_EQ(question_.asked[0],
            "save Save Effects List Effects List Files (*.fxl)|*.fxl|All files (*.*)|*.*| fxl");
  EXPECT_EQ(question_.asked[1].substr(0, 23), "open Load Effects List ");
  EXPECT_TRUE(boxes_.boxes.empty());

  question_.answer = Path("saved.fxl");
  list->SaveFile(nullptr, "Save Effects List");
  EXPECT_TRUE(boxes_.boxes.empty());
  EffectList* loaded = EffectList::LoadFile(nullptr, "Load Effects List", &installed);
  ASSERT_NE(loaded, nullptr);
  EXPECT_STREQ(loaded->first->name, "Quarter");
  ASSERT_NE(installed, nullptr);
  EXPECT_STREQ(installed->progId, kGainProgId);
  FreeComponentList(installed);
  installed = nullptr;
  loaded->Release();

  question_.answer = Path("missing/none.fxl");
  EXPECT_EQ(EffectList::LoadFile(nullptr, "Load Effects List", &installed), nullptr);
  list->SaveFile(nullptr, "Save Effects List");
  ASSERT_EQ(boxes_.boxes.size(), 2u);
  EXPECT_EQ(boxes_.boxes[0].text, "Can not open file '" + Path("missing/none.fxl") + "'");
  EXPECT_EQ(boxes_.boxes[0].caption, "Load Effects List");
  EXPECT_EQ(boxes_.boxes[1].caption, "Save Effects List");

  // A damaged file: its error is shown and no list comes back.
  WriteBytes(Path("bad.fxl"), Concat({kHeader, Block(600, Block(601, Block(613, Text("x"))))}));
  question_.answer = Path("bad.fxl");
  EXPECT_EQ(EffectList::LoadFile(nullptr, "Load Effects List", &installed), nullptr);
  ASSERT_EQ(boxes_.boxes.size(), 3u);
  EXPECT_EQ(boxes_.boxes[2].text, "File '" + Path("bad.fxl") + "' has invalid format");
  list->Release();
}

}  // namespace
