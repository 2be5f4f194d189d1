// The scan of the installed effect components and records 621 and 622.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/installed_components.h"
#include "platform/components/component_test_support.h"

namespace {

using Bytes = std::vector<BYTE>;

void PutU32(Bytes* b, DWORD v) {
  for (int i = 0; i < 4; ++i) b->push_back(static_cast<BYTE>(v >> (8 * i)));
}
void PutText(Bytes* b, const std::string& s) {
  b->insert(b->end(), s.begin(), s.end());
}
Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}
// Record 622 as files hold it: the class id's fields little-endian.
// size: the size written, or the format's own when kOwnSize.
constexpr LONG kOwnSize = INT32_MIN;
Bytes Record622(const std::string& clsidText, const std::string& progId, LONG size = kOwnSize) {
  CLSID clsid;
  EXPECT_TRUE(GuidFromText(clsidText.c_str(), &clsid));
  Bytes b;
  PutU32(&b, 622);
  PutU32(&b, static_cast<DWORD>(size != kOwnSize ? size : 16 + static_cast<LONG>(progId.size()) + 1));
  BYTE id[16];
  GuidToBytes(clsid, id);
  b.insert(b.end(), id, id + 16);
  PutText(&b, progId);
  b.push_back(0);
  return b;
}
Bytes Record(DWORD tag, const Bytes& body) {
  Bytes b;
  PutU32(&b, tag);
  PutU32(&b, static_cast<DWORD>(body.size()));
  return Concat({b, body});
}

std::string Key(const std::string& name, const std::string& progId) {
  std::string text = "[HKEY_CLASSES_ROOT\\CLSID\\" + name + "]\n";
  if (!progId.empty()) text += "[HKEY_CLASSES_ROOT\\CLSID\\" + name + "\\ProgID]\n@=\"" + progId + "\"\n";
  return text;
}

const std::string kId1 = "{A0000000-0000-0000-0000-000000000001}";
const std::string kId5 = "{E0000000-0000-0000-0000-000000000005}";
const std::string kId6 = "{F0000000-0000-0000-0000-000000000006}";
const std::string kProgId80 = "KOBRIX." + std::string(73, 'x');

class InstalledComponentsTest : public ComponentTest {
 protected:
  void SetUp() override {
    ComponentTest::SetUp();
    ForgetInstalledComponents();
  }
  void TearDown() override {
    ForgetInstalledComponents();
    ComponentTest::TearDown();
  }
  void WriteMixedRegistry() {
    WriteRegistry(Key(std::string(100, 'A'), "KOBRIX.Long") + Key("NotAGuid", "KOBRIX.Bad") +
                  Key(kId1, "KOBRIX.Zeta") + Key("{B0000000-0000-0000-0000-000000000002}", "kobrix.lower") +
                  Key("{C0000000-0000-0000-0000-000000000003}", "") +
                  Key("{D0000000-0000-0000-0000-000000000004}", "OTHER.Thing") + Key(kId5, "KOBRIX.Alpha") +
                  Key(kId6, kProgId80) +
                  Key("{F1000000-0000-0000-0000-000000000007}", "KOBRIX." + std::string(74, 'y')));
  }
  std::string FilePath() const { return folder_ + "/records.bin"; }
  Bytes FileBytes() const {
    std::ifstream in(FilePath(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  void WriteFileBytes(const Bytes& bytes) const {
    std::ofstream out(FilePath(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  // ReadList over bytes (a 621 body), with the file cut at its end.
  int ReadBody(const Bytes& body, ComObjectEntry** head, LONG size = -1) const {
    WriteFileBytes(body);
    HMMIO file = mmioOpen(FilePath().c_str(), nullptr, MMIO_READ);
    EXPECT_NE(file, nullptr);
    int error = CComObjectInfo::ReadList(file, size >= 0 ? size : static_cast<LONG>(body.size()), head);
    mmioClose(file, 0);
    return error;
  }
  static std::vector<std::string> ProgIds(const ComObjectEntry* head) {
    std::vector<std::string> ids;
    for (; head != nullptr; head = head->next) ids.push_back(head->progId);
    return ids;
  }
};

TEST_F(InstalledComponentsTest, EnumeratorGivesEveryKeyWithItsProgramId) {
  WriteMixedRegistry();
  CComObjectInfo info;
  std::vector<std::string> seen;
  while (info.Next()) seen.push_back(std::string(info.keyName) + "=" + info.progId);
  EXPECT_TRUE(info.done);
  // The over-long name does not end the scan; a key without a readable
  // program id (none, or longer than 80 characters) is "***Unknown***".
  EXPECT_EQ(seen, (std::vector<std::string>{"=***Unknown***", "NotAGuid=KOBRIX.Bad", kId1 + "=KOBRIX.Zeta",
                                            "{B0000000-0000-0000-0000-000000000002}=kobrix.lower",
                                            "{C0000000-0000-0000-0000-000000000003}=***Unknown***",
                                            "{D0000000-0000-0000-0000-000000000004}=OTHER.Thing",
                                            kId5 + "=KOBRIX.Alpha", kId6 + "=" + kProgId80,
                                            "{F1000000-0000-0000-0000-000000000007}=***Unknown***"}));
  EXPECT_FALSE(info.Next());
}

TEST_F(InstalledComponentsTest, ScanListsOurComponentsInEnumerationOrder) {
  WriteMixedRegistry();
  const ComObjectEntry* head = InstalledComponents();
  EXPECT_EQ(ProgIds(head), (std::vector<std::string>{"KOBRIX.Zeta", "KOBRIX.Alpha", kProgId80}));
  CLSID id1;
  GuidFromText(kId1.c_str(), &id1);
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->clsid, id1);
  EXPECT_EQ(head->missing, 0);
  EXPECT_EQ(FindInstalledComponent(id1), head);
  // Scanned once per run: a changed registry is not seen.
  WriteRegistry("");
  EXPECT_EQ(InstalledComponents(), head);
}

TEST_F(InstalledComponentsTest, NoClassesKeyGivesAnEmptyList) {
  WriteRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n");
  EXPECT_EQ(InstalledComponents(), nullptr);
  EXPECT_EQ(FindInstalledComponent(GUID_NULL), nullptr);
}

// WriteList at an offset: the header patched, the file left at the record's
// end, the bytes those built here by hand; ReadList gives the list back.
TEST_F(InstalledComponentsTest, RecordsRoundTripByteForByte) {
  const std::string id13 = "{01020304-0506-0708-090A-0B0C0D0E0F10}";
  struct Case {
    const char* what;
    std::string registry;
    Bytes body;
    std::vector<std::string> ids;
  };
  const Case cases[] = {
      {"no component", "", {}, {}},
      {"a 13-character program id",
       Key(id13, "KOBRIX.Reverb"),
       Record622(id13, "KOBRIX.Reverb"),
       {"KOBRIX.Reverb"}},
      {"an 80-character program id", Key(kId6, kProgId80), Record622(kId6, kProgId80), {kProgId80}},
      {"several",
       Key(kId1, "KOBRIX.Zeta") + Key(kId5, "KOBRIX.Alpha"),
       Concat({Record622(kId1, "KOBRIX.Zeta"), Record622(kId5, "KOBRIX.Alpha")}),
       {"KOBRIX.Zeta", "KOBRIX.Alpha"}},
  };
  for (const Case& c : cases) {
    WriteRegistry(c.registry);
    ForgetInstalledComponents();
    HMMIO file = mmioOpen(FilePath().c_str(), nullptr, MMIO_CREATE | MMIO_READWRITE);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(mmioWrite(file, "head", 4), 4);
    ASSERT_TRUE(CComObjectInfo::WriteList(file)) << c.what;
    EXPECT_EQ(mmioSeek(file, 0, SEEK_CUR), static_cast<LONG>(4 + 8 + c.body.size())) << c.what;
    mmioClose(file, 0);
    const Bytes expected = Concat({Bytes{'h', 'e', 'a', 'd'}, Record(621, c.body)});
    EXPECT_EQ(FileBytes(), expected) << c.what;

    ComObjectEntry* head = nullptr;
    EXPECT_EQ(ReadBody(c.body, &head), 0) << c.what;
    EXPECT_EQ(ProgIds(head), c.ids) << c.what;
    const ComObjectEntry* installed = InstalledComponents();
    for (const ComObjectEntry* e = head; e != nullptr; e = e->next, installed = installed->next) {
      ASSERT_NE(installed, nullptr);
      EXPECT_EQ(e->clsid, installed->clsid) << c.what;
    }
    FreeComponentList(head);
  }
  // The sizes of the 13-character case, as the format counts them.
  EXPECT_EQ(Record622(id13, "KOBRIX.Reverb").size(), 8u + 30u);
}

TEST_F(InstalledComponentsTest, ReadingRecords) {
  const Bytes good = Record622(kId1, "KOBRIX.Zeta");
  const std::string id90 = "KOBRIX." + std::string(83, 'z');
  struct Case {
    const char* what;
    Bytes body;
    LONG size;  // of the 621 body given to ReadList; -1: the bytes' size
    int error;
    std::vector<std::string> ids;
  };
  const Case cases[] = {
      {"an unknown record is skipped", Concat({Record(700, {1, 2, 3}), good}), -1, 0, {"KOBRIX.Zeta"}},
      {"a 90-character id keeps 80", Record622(kId1, id90), -1, 0, {id90.substr(0, 80)}},
      {"a record too small for its class id", Record622(kId1, "", 15), -1, 6, {}},
      {"a negative size", Concat({good, Record622(kId1, "x", -5)}), -1, 6, {"KOBRIX.Zeta"}},
      {"a record past its body", good, static_cast<LONG>(good.size()) - 1, 6, {}},
      {"a body with a cut head", Concat({good, Bytes{1, 2, 3}}), -1, 6, {"KOBRIX.Zeta"}},
      {"a cut file", Bytes(good.begin(), good.end() - 4), static_cast<LONG>(good.size()), 19, {}},
      {"a cut file inside a long id", Bytes(good.begin(), good.begin() + 30), 200, 19, {}},
  };
  for (const Case& c : cases) {
    ComObjectEntry* head = nullptr;
    EXPECT_EQ(ReadBody(c.body, &head, c.size), c.error) << c.what;
    EXPECT_EQ(ProgIds(head), c.ids) << c.what;
    FreeComponentList(head);
  }
  // Nothing to read leaves the head as it was.
  ComObjectEntry* head = nullptr;
  EXPECT_EQ(ReadBody({}, &head, 0), 0);
  EXPECT_EQ(head, nullptr);
}

TEST_F(InstalledComponentsTest, ProgramLifetimeObject) {
  LONG state = -2;
  std::thread([&] {
    CComBase base;
    state = base.state;
  }).join();
  EXPECT_EQ(state, 0);
  {
    CComBase again;  // this thread is initialised already
    EXPECT_EQ(again.state, 1);
  }
  // The object gives back only an initialisation of its own; the nested one
  // it took is given back here, so that the thread leaves the test as it came
  // and the next test's initialisation is a first one again.
  CoUninitialize();
}

}  // namespace
