#include "media/ta_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "audio_fixtures.h"
#include "model/message_box.h"
#include "support/recording_boxes.h"

namespace {

// Yes to every question unless a test says otherwise.
class Boxes : public RecordingBoxes {
 public:
  Boxes() : RecordingBoxes(IDYES) {}
};

TEST(TAFile, AShortReadShowsOneBoxAndCloses) {
  Boxes boxes;
  TempFolder folder;
  const std::string path = folder.Write("f.bin", Bytes(10000, 3));
  APIFile file;
  ASSERT_TRUE(file.Open(path.c_str(), 0, "open"));
  EXPECT_EQ(file.size, 10000);
  ASSERT_TRUE(file.Seek(8192));
  std::vector<BYTE> buffer(4096);
  EXPECT_FALSE(file.Read(buffer.data(), 4096));
  EXPECT_EQ(file.open, 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "APIFile error");
  EXPECT_EQ(boxes.shown[0].flags, MB_ICONEXCLAMATION);
  const std::string expected = path +
                               "\nFailed to read\nPosition 8192, FileSize 10000,\nReadSize 4096, Actual read 1808, "
                               "New position 10000\n";
  EXPECT_EQ(boxes.shown[0].text.substr(0, expected.size()), expected);
  EXPECT_LE(boxes.shown[0].text.size(), expected.size() + 80);
  // The caller stops at the first false: everything else is refused quietly.
  EXPECT_FALSE(file.Read(buffer.data(), 1));
  EXPECT_FALSE(file.Seek(0));
  EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST(TAFile, ReadOfNothingAndWritesThatGrowAndShrink) {
  Boxes boxes;
  TempFolder folder;
  const std::string path = folder.Path("w.bin");
  APIFile file;
  ASSERT_TRUE(file.Open(path.c_str(), kTAFileCreate | kTAFileReadWrite, "create"));
  EXPECT_TRUE(file.Read(nullptr, 0));
  EXPECT_EQ(file.position, 0);
  const Bytes data(300, 9);
  ASSERT_TRUE(file.Write(data.data(), 300));
  EXPECT_EQ(file.size, 300);
  ASSERT_TRUE(file.Seek(100));
  ASSERT_TRUE(file.SetEnd());
  EXPECT_EQ(file.size, 100);
  file.Close();
  EXPECT_EQ(std::filesystem::file_size(path), 100u);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(TAFile, CreatingOverAFileAsksFirst) {
  Boxes boxes;
  TempFolder folder;
  const std::string path = folder.Write("keep.bin", Bytes(50, 1));
  APIFile file;
  boxes.answer = IDNO;
  EXPECT_FALSE(file.Open(path.c_str(), kTAFileCreate | kTAFileReadWrite | kTAFileDeleteOnClose, "create"));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, path);
  EXPECT_EQ(boxes.shown[0].caption, "Overwrite existing file ?");
  EXPECT_EQ(boxes.shown[0].flags, MB_YESNO | MB_ICONQUESTION);
  file.Close();
  EXPECT_EQ(std::filesystem::file_size(path), 50u);  // untouched, and not deleted

  boxes.answer = IDYES;
  ASSERT_TRUE(file.Open(path.c_str(), kTAFileCreate | kTAFileReadWrite, "create"));
  file.Close();
  EXPECT_EQ(std::filesystem::file_size(path), 0u);

  ASSERT_TRUE(file.Open(path.c_str(), kTAFileCreate | kTAFileReadWrite | kTAFileNoOverwriteAsk, "create"));
  EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST(TAFile, DeleteOnCloseAlsoAfterAFailure) {
  Boxes boxes;
  TempFolder folder;
  const std::string a = folder.Write("a.tmp", Bytes(10, 0));
  {
    APIFile file;
    ASSERT_TRUE(file.Open(a.c_str(), kTAFileDeleteOnClose, "open"));
    file.Close();
  }
  EXPECT_FALSE(std::filesystem::exists(a));
  const std::string b = folder.Write("b.tmp", Bytes(10, 0));
  {
    APIFile file;
    ASSERT_TRUE(file.Open(b.c_str(), kTAFileDeleteOnClose | kTAFileSilent, "open"));
    BYTE buffer[20];
    EXPECT_FALSE(file.Read(buffer, 20));
  }
  EXPECT_FALSE(std::filesystem::exists(b));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(TAFile, FailedOpenAndSilentSeek) {
  Boxes boxes;
  TempFolder folder;
  APIFile file;
  const std::string missing = folder.Path("missing.bin");
  EXPECT_FALSE(file.Open(missing.c_str(), 0, "open for reading"));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text.rfind(missing + "\nFailed to open for reading\n\n", 0), 0u);
  EXPECT_EQ(boxes.shown[0].caption, "APIFile error");

  const std::string path = folder.Write("s.bin", Bytes(10, 0));
  ASSERT_TRUE(file.Open(path.c_str(), kTAFileSilent, "open"));
  EXPECT_FALSE(file.Seek(-5));
  EXPECT_EQ(file.open, 0);
  EXPECT_EQ(boxes.shown.size(), 1u);
}

}  // namespace
