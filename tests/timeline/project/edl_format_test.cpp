// The edit decision list's reading rules: lines and pieces of lines, the
// numbers in them, blocks passed over, and the file section.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "model/error_codes.h"
#include "timeline/edl_format.h"

namespace {

// A text held in a file of its own for the reader.
class TextFile {
 public:
  explicit TextFile(const std::string& text) : file_(std::tmpfile()) {
    std::fwrite(text.data(), 1, text.size(), file_);
    std::rewind(file_);
  }
  ~TextFile() { std::fclose(file_); }
  std::FILE* get() const { return file_; }

 private:
  std::FILE* file_;
};

std::vector<std::string> Lines(const std::string& text) {
  TextFile file(text);
  EdlLineReader reader(file.get());
  std::vector<std::string> lines;
  while (reader.Next()) lines.push_back(reader.Line());
  return lines;
}

TEST(EdlLines, LinesEndInCrLfOrLfAndLongOnesComeInPieces) {
  EXPECT_EQ(Lines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Lines("a\rb\r\n\r\n"), (std::vector<std::string>{"a\rb", ""}));
  const std::vector<std::string> pieces = Lines(std::string(600, 'x') + "\r\nend\r\n");
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0].size(), static_cast<size_t>(kEdlLineBuffer - 1));
  EXPECT_EQ(pieces[1].size(), 600u - (kEdlLineBuffer - 1));
  EXPECT_EQ(pieces[2], "end");
}

TEST(EdlLines, KeywordsAreLookedForAfterBlanksControlsAndHighBytes) {
  TextFile file("\t \x01\xAA\xFF[Clips,\r\n  Clips\r\n");
  EdlLineReader reader(file.get());
  ASSERT_TRUE(reader.Next());
  EXPECT_STREQ(reader.Text(), "[Clips,");
  EXPECT_TRUE(reader.Begins("[Clips,"));
  EXPECT_TRUE(reader.Begins("[Clip"));
  ASSERT_TRUE(reader.Next());
  EXPECT_FALSE(reader.Begins("[Clips,"));
}

TEST(EdlNumbers, NumbersAreReadAsTheLinesLayThemOut) {
  const struct {
    const char* text;
    const char* pattern;
    int count;
    std::vector<int32_t> values;
  } cases[] = {
      {"[ClipID #7,FileID=201,In=0,Out=50],", "[ClipID #%d,FileID=%d,In=%d,Out=%d", 4, {7, 201, 0, 50}},
      {"[Track_Record #0,ClipID=5,   Start=-3, End=+9", "[Track_Record #%d, ClipID=%d, Start=%d, End=%d", 4,
       {0, 5, -3, 9}},
      {"[ClipID # 7,FileID=x", "[ClipID #%d,FileID=%d", 1, {7}},
      {"[ClipID 7", "[ClipID #%d", 0, {}},
      {"[FileID #-2147483648", "[FileID #%d", 1, {INT32_MIN}},
      {"[FileID #2147483647", "[FileID #%d", 1, {INT32_MAX}},
      {"[FileID #2147483648", "[FileID #%d", -1, {}},
      {"[FileID #-99999999999999999999", "[FileID #%d", -1, {}},
  };
  for (const auto& c : cases) {
    int32_t values[4] = {};
    EXPECT_EQ(ScanEdlNumbers(c.text, c.pattern, values, 4), c.count) << c.text;
    for (size_t i = 0; i < c.values.size(); ++i) EXPECT_EQ(values[i], c.values[i]) << c.text << " #" << i;
  }
}

TEST(EdlBlocks, ABlockIsPassedOverByItsBrackets) {
  TextFile file(
      "\t\t\t[Audio,\r\n"
      "\t\t\t\t[Mapping=00000011],\r\n"
      "\t\t\t],\r\n"
      "\t\t\t[Track_Record #0, ClipID=3, Start=0, End=5],\r\n"
      "[Video],\r\n"
      "after\r\n"
      "[Open, [deeper,\r\n"
      "]],[\r\n"
      "]\r\n"
      "last\r\n"
      "[never closed\r\n");
  EdlLineReader reader(file.get());
  ASSERT_TRUE(reader.Next());
  SkipEdlBlock(reader);
  ASSERT_TRUE(reader.Next());
  EXPECT_TRUE(reader.Begins("[Track_Record"));
  ASSERT_TRUE(reader.Next());
  SkipEdlBlock(reader);  // a block that closes on its own line
  ASSERT_TRUE(reader.Next());
  EXPECT_STREQ(reader.Text(), "after");
  ASSERT_TRUE(reader.Next());
  SkipEdlBlock(reader);  // still open at the end of "]],[": one more line
  ASSERT_TRUE(reader.Next());
  EXPECT_STREQ(reader.Text(), "last");
  ASSERT_TRUE(reader.Next());
  SkipEdlBlock(reader);  // the end of the file ends it
  EXPECT_FALSE(reader.Next());
}

const char kFiles[] =
    "[Clips,\r\n"
    "]\r\n"
    "\t[Files,\r\n"
    "\t\t[FileID #201,\r\n"
    "\t\t\t[DOS_File='/media/take one.avi'],\r\n"
    "\t\t\t[Num_Frames=50],\r\n"
    "\t\t\t[Video,Width=32,Height=24,Depth=24],\r\n"
    "\t\t\t[Audio,Rate=44100],\r\n"
    "\t\t],\r\n"
    "\t\tnoise\r\n"
    "\t\t[FileID #205,\n"
    "\t\t\t[DOS_File='/media/tone.wav'],\n"
    "\t\t\t[Audio,Rate=44100],\n"
    "\t\t],\n"
    "\t],\n"
    "\t\t[FileID #207,\n";

TEST(EdlFiles, TheFileSectionGivesEachFileWithItsKinds) {
  TextFile file(kFiles);
  std::vector<EdlFileEntry> entries;
  ASSERT_EQ(ReadEdlFileSection(file.get(), entries), 0);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].id, 201);
  EXPECT_EQ(entries[0].name, "/media/take one.avi");
  EXPECT_TRUE(entries[0].video);
  EXPECT_TRUE(entries[0].audio);
  EXPECT_EQ(entries[1].id, 205);
  EXPECT_EQ(entries[1].name, "/media/tone.wav");
  EXPECT_FALSE(entries[1].video);
  EXPECT_TRUE(entries[1].audio);
}

TEST(EdlFiles, AFileSectionThatCannotBeTrustedIsAnInvalidFormat) {
  const std::string longest(kEdlMaxFileName, 'n');
  const struct {
    const char* what;
    std::string text;
    int result;
  } cases[] = {
      {"no section", "[Clips,\r\n]\r\n", kErrInvalidFormat},
      {"no number", "[Files,\r\n[FileID #x,\r\n[DOS_File='a'],\r\n],\r\n]\r\n", kErrInvalidFormat},
      {"a number past 32 bits", "[Files,\r\n[FileID #4294967497,\r\n[DOS_File='a'],\r\n],\r\n]\r\n",
       kErrInvalidFormat},
      {"no name", "[Files,\r\n[FileID #1,\r\n[Video],\r\n],\r\n]\r\n", kErrInvalidFormat},
      {"an empty name", "[Files,\r\n[FileID #1,\r\n[DOS_File=''],\r\n],\r\n]\r\n", kErrInvalidFormat},
      {"an unquoted name", "[Files,\r\n[FileID #1,\r\n[DOS_File=a.wav],\r\n],\r\n]\r\n", kErrInvalidFormat},
      {"an open quote", "[Files,\r\n[FileID #1,\r\n[DOS_File='a.wav],\r\n],\r\n]\r\n", kErrInvalidFormat},
      {"the longest name", "[Files,\r\n[FileID #1,\r\n[DOS_File='" + longest + "'],\r\n],\r\n]\r\n", kErrOk},
      {"a name too long", "[Files,\r\n[FileID #1,\r\n[DOS_File='" + longest + "x'],\r\n],\r\n]\r\n",
       kErrInvalidFormat},
      {"a name longer than a line", "[Files,\r\n[FileID #1,\r\n[DOS_File='" + std::string(700, 'n') + "'],\r\n]\r\n",
       kErrInvalidFormat},
  };
  for (const auto& c : cases) {
    TextFile file(c.text);
    std::vector<EdlFileEntry> entries;
    EXPECT_EQ(ReadEdlFileSection(file.get(), entries), c.result) << c.what;
  }
}

}  // namespace
