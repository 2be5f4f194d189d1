#include "clips/summary_info.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/ini.h"
#include "model/message_box.h"
#include "platform/core/profile.h"
#include "support/file_bytes.h"
#include "support/test_env.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Le32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A RIFF chunk with its pad byte.
Bytes Chunk(const std::string& id, const Bytes& data) {
  Bytes out = Cat({Text(id), Le32(static_cast<uint32_t>(data.size())), data});
  if (data.size() % 2) out.push_back(0);
  return out;
}

Bytes Entry(const std::string& id, const std::string& text) {
  return Cat({Text(id), Le32(static_cast<uint32_t>(text.size() + 1)), Text(text), Bytes{0}});
}

std::string Today() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
  return buffer;
}

class SummaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok());
    folder_ = home_.path();
    SummaryDontSave = false;
  }
  void TearDown() override { SummaryDontSave = false; }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  void Write(const std::string& name, const Bytes& bytes) const { WriteFileBytes(Path(name), bytes); }
  Bytes Read(const std::string& name) const { return ReadFileBytes(Path(name)); }
  // Reads a record body with ReadRecord from a file holding body then a
  // following record, and says where the reader stopped.
  int ReadBody(SummaryInfo& info, const Bytes& body, LONG size, LONG* stoppedAt = nullptr) {
    Write("body.bin", Cat({body, Text("NEXTRECORD")}));
    HMMIO file = mmioOpen(Path("body.bin").c_str(), nullptr, MMIO_READ);
    EXPECT_NE(file, nullptr);
    int result = info.ReadRecord(file, size);
    if (stoppedAt) *stoppedAt = mmioSeek(file, 0, SEEK_CUR);
    mmioClose(file, 0);
    return result;
  }

  ScopedSettingsHome home_;
  std::string folder_;
};

TEST_F(SummaryTest, FieldsOutsideTheTableAreEmptyAndCannotBeSet) {
  SummaryInfo info;
  EXPECT_STREQ(info.GetField(0), "");
  EXPECT_STREQ(info.GetField(24), "");
  EXPECT_FALSE(info.SetField(24, "x"));
  EXPECT_FALSE(info.SetField(0, "x"));
  EXPECT_STREQ(info.GetField(15), "");
  EXPECT_TRUE(info.SetField(15, "Title"));
  EXPECT_STREQ(info.GetField(15), "Title");
  EXPECT_TRUE(info.SetField(15, ""));
  EXPECT_STREQ(info.GetField(15), "");
  EXPECT_TRUE(info.SetField(15, "again"));
  EXPECT_TRUE(info.SetField(15, nullptr));
  EXPECT_STREQ(info.GetField(15), "");

  EXPECT_STREQ(GetInfoFieldLabel(1), "Archival Location");
  EXPECT_STREQ(GetInfoFieldLabel(10), "Engineer/Author");
  EXPECT_STREQ(GetInfoFieldLabel(23), "Technician");
  EXPECT_STREQ(GetInfoFieldLabel(0), "");
  EXPECT_STREQ(GetInfoFieldLabel(24), "");
  EXPECT_EQ(GetInfoFieldId(5), mmioFOURCC('I', 'C', 'O', 'P'));
}

TEST_F(SummaryTest, ClearResetAndCopiesKeepTheGeneratedFieldsAsSaid) {
  SummaryInfo info;
  for (int i = 1; i <= kSummaryFieldCount; ++i) info.SetField(i, ("text " + std::to_string(i)).c_str());
  SummaryInfo copy(info);
  info.Clear(false);
  for (int i = 1; i <= kSummaryFieldCount; ++i) {
    const bool kept = i == kSummaryCreationDate || i == kSummarySoftware;
    EXPECT_EQ(std::string(info.GetField(i)), kept ? "text " + std::to_string(i) : "") << i;
    EXPECT_EQ(std::string(copy.GetField(i)), "text " + std::to_string(i)) << i;  // deep copy
  }
  info.Reset();
  EXPECT_STREQ(info.GetField(kSummaryCopyright), "Copyright (C) 1998");
  EXPECT_STREQ(info.GetField(kSummaryCreationDate), "text 6");
  EXPECT_STREQ(info.GetField(4), "");
  info.Clear(true);
  EXPECT_STREQ(info.GetField(kSummarySoftware), "");
  info.Assign(copy);
  EXPECT_STREQ(info.GetField(23), "text 23");
}

TEST_F(SummaryTest, DefaultsComeFromTheSummarySectionWithTodayAndTheProgram) {
  IniSetSection("SUMMARY");
  IniWriteString("Author", "The Engineer");
  IniWriteString("Artist", "The Artist");
  IniWriteString("Title", "A title");
  IniWriteString("Copyright", "Mine");
  IniFlush();

  SummaryInfo info;
  info.SetField(7, "gone");
  info.LoadDefaults();
  EXPECT_STREQ(info.GetField(10), "The Engineer");
  EXPECT_STREQ(info.GetField(2), "The Artist");
  EXPECT_STREQ(info.GetField(15), "A title");
  EXPECT_STREQ(info.GetField(kSummaryCopyright), "Mine");
  EXPECT_STREQ(info.GetField(7), "");
  EXPECT_EQ(info.GetField(kSummaryCreationDate), Today());
  EXPECT_STREQ(info.GetField(kSummarySoftware), "Kobrix for Velmora 3.00");
  // Reset ignores what the INI file holds for the copyright.
  info.Reset();
  EXPECT_STREQ(info.GetField(kSummaryCopyright), "Copyright (C) 1998");
}

TEST_F(SummaryTest, CopyrightDefaultsToItsStandardTextAndSaveWritesTheKeyedFieldsOnly) {
  SummaryInfo info;
  info.LoadDefaults();
  EXPECT_STREQ(info.GetField(kSummaryCopyright), "Copyright (C) 1998");

  info.SetField(21, "Tape 3");
  info.SetField(10, "Someone");
  info.SaveDefaults();
  std::ifstream in(Path("KOBRIX30.INI"));
  std::stringstream s;
  s << in.rdbuf();
  const std::string ini = s.str();
  EXPECT_NE(ini.find("[SUMMARY]"), std::string::npos);
  EXPECT_NE(ini.find("Source=Tape 3"), std::string::npos);
  EXPECT_NE(ini.find("Author=Someone"), std::string::npos);
  EXPECT_NE(ini.find("Technician="), std::string::npos);
  EXPECT_EQ(ini.find(Today()), std::string::npos);
  EXPECT_EQ(ini.find("Velmora"), std::string::npos);

  SummaryInfo again;
  again.LoadDefaults();
  EXPECT_STREQ(again.GetField(21), "Tape 3");
  EXPECT_STREQ(again.GetField(10), "Someone");
}

TEST_F(SummaryTest, RecordBodyIsOneEntryPerFieldInTableOrderAndReadsBack) {
  SummaryInfo info;
  info.SetField(15, "Name");
  info.SetField(1, "Archive");
  info.SetField(kSummaryCreationDate, "1998-07-04");
  HMMIO file = mmioOpen(Path("record.bin").c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(info.WriteRecord(file));
  mmioClose(file, 0);
  const Bytes body = Read("record.bin");
  EXPECT_EQ(body, Cat({Entry("IARL", "Archive"), Entry("ICRD", "1998-07-04"), Entry("INAM", "Name")}));

  SummaryInfo back;
  back.SetField(4, "stale");
  LONG stopped = 0;
  EXPECT_EQ(ReadBody(back, body, static_cast<LONG>(body.size()), &stopped), 0);
  EXPECT_EQ(stopped, static_cast<LONG>(body.size()));
  for (int i = 1; i <= kSummaryFieldCount; ++i) EXPECT_STREQ(back.GetField(i), info.GetField(i)) << i;

  // An empty summary writes an empty body.
  SummaryInfo empty;
  file = mmioOpen(Path("empty.bin").c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
  ASSERT_TRUE(empty.WriteRecord(file));
  mmioClose(file, 0);
  EXPECT_TRUE(Read("empty.bin").empty());
}

TEST_F(SummaryTest, RecordEntriesAreCheckedAgainstTheRecord) {
  const std::string longText(300, 'x');
  struct Case {
    const char* what;
    Bytes body;
    LONG size;  // -1: the body's size
    int result;
    const char* title;  // INAM afterwards
  };
  const Case cases[] = {
      {"size 0 empties everything", Entry("INAM", "x"), 0, 0, ""},
      {"a later entry replaces an earlier one", Cat({Entry("INAM", "one"), Entry("INAM", "two")}), -1, 0,
       "two"},
      {"unknown ids are skipped", Cat({Entry("ABCD", "zz"), Entry("INAM", "t")}), -1, 0, "t"},
      {"entries over 256 bytes are skipped", Cat({Entry("INAM", longText), Entry("ICMT", "c")}), -1, 0, ""},
      {"an entry past the record's end", Cat({Text("INAM"), Le32(40), Text("abc")}), 11, 6, ""},
      {"a negative length", Cat({Text("INAM"), Le32(0xFFFFFFF0u)}), 8, 6, ""},
      {"a header cut by the record's end", Cat({Entry("INAM", "t"), Text("ICM")}), 13, 6, "t"},
      {"a text without its NUL", Cat({Text("INAM"), Le32(3), Text("abc")}), -1, 0, "abc"},
      {"zeros where an entry should be", Cat({Entry("INAM", "t"), Bytes(64, 0)}), -1, 6, "t"},
  };
  for (const Case& c : cases) {
    SummaryInfo info;
    info.SetField(kSummarySoftware, "before");
    const LONG size = c.size < 0 ? static_cast<LONG>(c.body.size()) : c.size;
    EXPECT_EQ(ReadBody(info, c.body, size), c.result) << c.what;
    EXPECT_STREQ(info.GetField(15), c.title) << c.what;
    EXPECT_STREQ(info.GetField(kSummarySoftware), "") << c.what;
  }

  // A file that ends inside the record.
  SummaryInfo info;
  Write("cut.bin", Cat({Text("INAM"), Le32(10), Text("abc")}));
  HMMIO file = mmioOpen(Path("cut.bin").c_str(), nullptr, MMIO_READ);
  EXPECT_EQ(info.ReadRecord(file, 18), 19);
  mmioClose(file, 0);
}

// Writes a WAVE file whose INFO list the summary writes after the data.
bool WriteWaveWithInfo(const std::string& path, const SummaryInfo& info) {
  HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
  if (!file) return false;
  MMCKINFO riff;
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  mmioCreateChunk(file, &riff, MMIO_CREATERIFF);
  MMCKINFO fmt;
  fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
  mmioCreateChunk(file, &fmt, 0);
  const Bytes body = Cat({Bytes{1, 0, 1, 0}, Le32(8000), Le32(8000), Bytes{1, 0, 8, 0}});
  mmioWrite(file, body.data(), static_cast<LONG>(body.size()));
  mmioAscend(file, &fmt, 0);
  MMCKINFO data;
  data.ckid = mmioFOURCC('d', 'a', 't', 'a');
  mmioCreateChunk(file, &data, 0);
  const uint8_t samples[3] = {128, 128, 128};
  mmioWrite(file, samples, 3);
  mmioAscend(file, &data, 0);
  bool ok = info.WriteRiffInfo(file);
  mmioAscend(file, &riff, 0);
  mmioClose(file, 0);
  return ok;
}

TEST_F(SummaryTest, InfoChunkHoldsDateProgramAndTheFieldsPadded) {
  SummaryInfo info;
  info.SetField(kSummaryCreationDate, "1999-01-01");  // not used: the date is the date of writing
  info.SetField(kSummarySoftware, "not used");
  info.SetField(15, "Odd");  // 3 + 1 bytes: no pad
  info.SetField(4, "Even");  // 4 + 1 bytes: one pad byte
  info.SetField(2, "An artist");
  ASSERT_TRUE(WriteWaveWithInfo(Path("info.wav"), info));
  const Bytes file = Read("info.wav");
  const std::string date = Today();
  const std::string software = "Kobrix Free V3.00 Multitrack Audio and Video Editor";
  const Bytes expected = Chunk(
      "LIST",
      Cat({Text("INFO"), Chunk("ICRD", Cat({Text(date), Bytes{0}})),
           Chunk("ISFT", Cat({Text(software), Bytes{0}})), Chunk("IART", Cat({Text("An artist"), Bytes{0}})),
           Chunk("ICMT", Cat({Text("Even"), Bytes{0}})), Chunk("INAM", Cat({Text("Odd"), Bytes{0}}))}));
  // RIFF header 12, fmt 8 + 16, data 8 + 3 + pad.
  const size_t at = 12 + 24 + 12;
  ASSERT_GE(file.size(), at + expected.size());
  EXPECT_EQ(Bytes(file.begin() + at, file.begin() + at + expected.size()), expected);
  EXPECT_EQ(file.size(), at + expected.size());
  // "1998-07-04" has 10 characters: size 11 and one pad byte.
  EXPECT_EQ(file[at + 12 + 4], 11);
  EXPECT_EQ(file[at + 12 + 8 + 11], 0);

  SummaryInfo back;
  EXPECT_TRUE(back.ReadRiffInfo(Path("info.wav").c_str()));
  EXPECT_EQ(back.GetField(kSummaryCreationDate), date);
  EXPECT_EQ(back.GetField(kSummarySoftware), software);
  EXPECT_STREQ(back.GetField(2), "An artist");
  EXPECT_STREQ(back.GetField(4), "Even");
  EXPECT_STREQ(back.GetField(15), "Odd");
}

TEST_F(SummaryTest, EmptySummaryStillWritesDateAndProgramAndDontSaveWritesNothing) {
  SummaryInfo empty;
  ASSERT_TRUE(WriteWaveWithInfo(Path("empty.wav"), empty));
  SummaryInfo back;
  EXPECT_TRUE(back.ReadRiffInfo(Path("empty.wav").c_str()));
  EXPECT_EQ(back.GetField(kSummaryCreationDate), Today());
  for (int i = 1; i <= kSummaryFieldCount; ++i) {
    if (i != kSummaryCreationDate && i != kSummarySoftware) {
      EXPECT_STREQ(back.GetField(i), "") << i;
    }
  }

  SummaryDontSave = true;
  SummaryInfo full;
  full.SetField(15, "Title");
  ASSERT_TRUE(WriteWaveWithInfo(Path("none.wav"), full));
  const Bytes bytes = Read("none.wav");
  EXPECT_EQ(bytes.size(), 12u + 24u + 12u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()).find("LIST"), std::string::npos);
}

TEST_F(SummaryTest, FailingWritesAreReported) {
  SummaryInfo info;
  info.SetField(15, "Title");
  // Every write to /dev/full fails.
  HMMIO full = mmioOpen("/dev/full", nullptr, MMIO_WRITE);
  if (full == nullptr) GTEST_SKIP() << "no /dev/full";
  EXPECT_FALSE(info.WriteRiffInfo(full));
  EXPECT_FALSE(info.WriteRecord(full));
  mmioClose(full, 0);
}

TEST_F(SummaryTest, ReadingRefusesOtherFormsUnknownIdsAndEmptyKnownChunks) {
  const Bytes fmt = Chunk("fmt ", Cat({Bytes{1, 0, 1, 0}, Le32(8000), Le32(8000), Bytes{1, 0, 8, 0}}));
  auto riff = [&](const char* form, const Bytes& list) {
    const Bytes body = Cat({Text(form), fmt, list});
    return Cat({Text("RIFF"), Le32(static_cast<uint32_t>(body.size())), body});
  };
  auto info = [](const Bytes& chunks) { return Chunk("LIST", Cat({Text("INFO"), chunks})); };
  const std::string longText(300, 'L');
  struct Case {
    const char* what;
    Bytes file;
    bool result;
    const char* title;
  };
  const Case cases[] = {
      {"another form", riff("AIFF", info(Chunk("INAM", Text("T\0")))), false, ""},
      {"only unknown ids", riff("WAVE", info(Chunk("ABCD", Text("x")))), false, ""},
      {"no INFO list", riff("WAVE", Chunk("LIST", Cat({Text("adtl"), Chunk("INAM", Text("x"))}))), false, ""},
      {"an AVI file", riff("AVI ", info(Chunk("INAM", Cat({Text("Clip"), Bytes{0}})))), true, "Clip"},
      {"a known chunk of size 0 after a good one",
       riff("WAVE", info(Cat({Chunk("INAM", Cat({Text("T"), Bytes{0}})), Chunk("ICMT", {})}))), false, "T"},
      {"a text without its NUL", riff("WAVE", info(Chunk("INAM", Text("abc")))), true, "abc"},
      {"a long text is cut to 255", riff("WAVE", info(Chunk("INAM", Cat({Text(longText), Bytes{0}})))), true,
       nullptr},
  };
  for (const Case& c : cases) {
    Write("case.wav", c.file);
    SummaryInfo s;
    EXPECT_EQ(s.ReadRiffInfo(Path("case.wav").c_str()), c.result) << c.what;
    if (c.title) {
      EXPECT_STREQ(s.GetField(15), c.title) << c.what;
    } else {
      EXPECT_EQ(s.GetField(15), std::string(255, 'L')) << c.what;
    }
  }
  SummaryInfo s;
  EXPECT_FALSE(s.ReadRiffInfo(Path("missing.wav").c_str()));
}

bool Have(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// sox writes WAVE files without an INFO list, whatever its comment options
// say; ffmpeg turns its metadata into one.
TEST_F(SummaryTest, ReadsTheInfoListsOfOutsideTools) {
  if (!Have("sox")) GTEST_SKIP() << "sox is not installed";
  const std::string soxFile = Path("sox.wav");
  ASSERT_EQ(
      std::system(("sox -n -r 8000 -b 16 -c 1 --comment 'From sox' '" + soxFile + "' trim 0 0.01").c_str()),
      0);
  SummaryInfo fromSox;
  const Bytes soxBytes = Read("sox.wav");
  const bool soxHasInfo = std::string(soxBytes.begin(), soxBytes.end()).find("INFO") != std::string::npos;
  EXPECT_EQ(fromSox.ReadRiffInfo(soxFile.c_str()), soxHasInfo);
  if (soxHasInfo) {
    EXPECT_STREQ(fromSox.GetField(4), "From sox");
  }

  if (!Have("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string ffFile = Path("ff.wav");
  ASSERT_EQ(
      std::system(("ffmpeg -loglevel error -f lavfi -i anullsrc=r=8000:cl=mono -t 0.01 "
                   "-metadata comment='Hello there' -metadata title='A title' -metadata artist=Someone -y '" +
                   ffFile + "'")
                      .c_str()),
      0);
  SummaryInfo fromFf;
  EXPECT_TRUE(fromFf.ReadRiffInfo(ffFile.c_str()));
  EXPECT_STREQ(fromFf.GetField(4), "Hello there");
  EXPECT_STREQ(fromFf.GetField(15), "A title");
  EXPECT_STREQ(fromFf.GetField(2), "Someone");
  EXPECT_NE(std::string(fromFf.GetField(kSummarySoftware)), "");
}

}  // namespace
