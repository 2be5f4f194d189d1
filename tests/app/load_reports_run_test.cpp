// What an unattended export says about the project it loads: a damaged
// project names its file, the record and what was wrong with it; a clip
// whose file lacks the stream the project names loses that part alone, is
// named, and the rest is exported.
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <utility>

#include "program_fixture.h"

#include "app/clip_frame.h"
#include "clips/clip_collection.h"
#include "model/film_list.h"
#include "resources/frame_ids.h"

namespace apptest {
namespace {

uint32_t Le32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

void PutLe32(std::string& bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
}

// Where each record's header lies: the project's records by their tag, the
// first clip's by 1000 + their tag.
std::map<uint32_t, size_t> RecordHeaders(const std::string& project) {
  std::map<uint32_t, size_t> at;
  const size_t end = 42 + Le32(project, 38);
  for (size_t p = 42; p + 8 <= end; p += 8 + Le32(project, p + 4)) {
    const uint32_t tag = Le32(project, p);
    at.emplace(tag, p);
    if (tag != 400 || at.count(1000 + 401) != 0) continue;
    const size_t clipEnd = p + 8 + Le32(project, p + 4);
    for (size_t q = p + 8; q + 8 <= clipEnd; q += 8 + Le32(project, q + 4)) at.emplace(1000 + Le32(project, q), q);
  }
  return at;
}

class LoadReports : public ProgramTest {
 protected:
  // The exit status of an unattended export of project to target, and
  // what it wrote on its standard error.
  int Export(const std::string& project, const std::string& option, const std::string& target,
             std::string* errors) {
    return RunProgram(Quoted(project) + " " + option + " " + Quoted(target), errors);
  }
};

// Each damaged copy of a project of one sound clip: the export names the
// copy and the record, and says what is wrong with it.
TEST_F(LoadReports, ADamagedProjectIsNamedWithTheRecordAndWhatIsWrong) {
  WriteTone(File("tone.wav"), 1000);
  Start();
  MakeProject(File("p.tml"), {File("tone.wav")});
  Stop();
  const std::string good = ReadFile(File("p.tml"));
  const std::map<uint32_t, size_t> at = RecordHeaders(good);
  for (uint32_t tag : {101u, 103u, 104u, 400u, 1301u, 1465u}) ASSERT_EQ(at.count(tag), 1u) << tag;
  ASSERT_EQ(Le32(good, at.at(1301) + 4), 16u) << "a profile of two points";

  const struct {
    const char* name;
    std::function<void(std::string&)> damage;
    int status;
    std::vector<std::string> says;
  } cases[] = {
      {"cut.tml", [&](std::string& b) { b.resize(at.at(1465) + 10); }, 1,
       {"Open Project: Can not read file", "Clip 1 (record 400 at byte " + std::to_string(at.at(400)) + ")",
        "the file ends inside record 465 at byte " + std::to_string(at.at(1465))}},
      {"long.tml", [&](std::string& b) { PutLe32(b, at.at(1465) + 4, 1000); }, 1,
       {"Open Project: File", "record 465 at byte " + std::to_string(at.at(1465)) + " is 1000 bytes long",
        "past the end of the record that holds it"}},
      {"volume.tml", [&](std::string& b) { PutLe32(b, at.at(1465) + 8, 5000); }, 1,
       {"Open Project: File", "record 465 at byte " + std::to_string(at.at(1465)) + " holds 5000, outside 0 to 2048"}},
      {"points.tml", [&](std::string& b) { PutLe32(b, at.at(1301) + 4, 8); }, 1,
       {"Open Project: File", "record 301 at byte " + std::to_string(at.at(1301)) + " holds 1 point; a profile holds 2 to 1000"}},
      // The count of audio lines with its high byte flipped: the rest loads
      // and is exported.
      {"lines.tml", [&](std::string& b) { b[at.at(104) + 11] = static_cast<char>(b[at.at(104) + 11] ^ 0xFF); }, 0,
       {"Open Project: File", "Record 104 at byte " + std::to_string(at.at(104)) + " holds ", ", outside 1 to 128"}},
      {"negative.tml", [&](std::string& b) { PutLe32(b, at.at(103) + 4, 0xFFFFFFF0u); }, 1,
       {"Open Project: File", "Record 103 at byte " + std::to_string(at.at(103)) + " has a negative length (-16)"}},
      {"signature.tml", [&](std::string& b) { b[5] = 'l'; }, 1, {"Open Project: File", "It does not begin with the signature"}},
      // One byte of the version's length: the record runs past the
      // project's, which read on would have ended as if all was read.
      {"over.tml", [&](std::string& b) { b[at.at(101) + 7] = 1; }, 1,
       {"Open Project: File", "Record 101 at byte " + std::to_string(at.at(101)) +
                                  " is 16777220 bytes long, past the end of the record that holds it"}},
      {"across.tml", [&](std::string& b) { PutLe32(b, 38, static_cast<uint32_t>(at.at(400) - 42 + 3)); }, 1,
       {"Open Project: File", "The project record (100) ends 3 bytes after byte " + std::to_string(at.at(400)) +
                                  ", too few for the head of the record there"}},
      // Sizes and tags the reader takes as they are, so that it reads no
      // clip: the export says what it passed over.
      {"ends.tml", [&](std::string& b) { PutLe32(b, 38, static_cast<uint32_t>(at.at(400) - 42)); }, 1,
       {"the project '" + File("ends.tml") + "' holds no clips; the project record (100) ends at byte " +
        std::to_string(at.at(400)) + ", but the file goes on to byte " + std::to_string(good.size())}},
      {"tag.tml", [&](std::string& b) { PutLe32(b, at.at(400), 0x1190); }, 1,
       {"holds no clips; record 4496 at byte " + std::to_string(at.at(400)) +
        ", a kind the program does not know, was passed over"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = good;
    c.damage(bytes);
    const std::string project = File(c.name);
    std::ofstream(project, std::ios::binary) << bytes;
    const std::string target = File(std::string(c.name) + ".wav");
    std::string errors;
    EXPECT_EQ(Export(project, "/wave", target, &errors), c.status) << errors;
    EXPECT_EQ(std::filesystem::exists(target), c.status == 0);
    EXPECT_NE(errors.find("'" + project + "'"), std::string::npos) << errors;
    for (const std::string& text : c.says) EXPECT_NE(errors.find(text), std::string::npos) << text << "\n" << errors;
  }
}

// The project of one byte changed (its version record's length now runs
// past the project's record) opened from the menu: refused in its box,
// nothing loaded and no name kept for a save to write over.
TEST_F(LoadReports, ADamagedProjectIsRefusedInTheOpenProjectBox) {
  WriteTone(File("tone.wav"), 1000);
  Start();
  MakeProject(File("p.tml"), {File("tone.wav")});
  Stop();
  std::string bytes = ReadFile(File("p.tml"));
  ASSERT_EQ(Le32(bytes, 42), 101u);
  bytes[49] = 1;
  std::ofstream(File("p.tml"), std::ios::binary | std::ios::trunc) << bytes;

  Start();
  boxes_->shown.clear();
  chooser_->answers.push_back({ChooserResult::kOk, File("p.tml"), 1});
  Frame().SendMessage(WM_COMMAND, kCmOpenProject, 0);
  ASSERT_EQ(boxes_->shown.size(), 1u);
  EXPECT_EQ(boxes_->shown[0].caption, "Open Project");
  EXPECT_EQ(boxes_->shown[0].text, "File '" + File("p.tml") +
                                       "' has invalid format\nRecord 101 at byte 42 is 16777220 bytes long, past "
                                       "the end of the record that holds it.");
  EXPECT_TRUE(FilmList.Empty());
  EXPECT_STREQ(Frame().ProjectName(), "");
  EXPECT_EQ(ReadFile(File("p.tml")), bytes);
}

// A collection of one byte changed, where a record now runs past the one
// that holds it: named with the record and its offset by the unattended
// run of the project that names it, and in the box of the collection frame
// opening it. The project itself is whole, and is exported.
TEST_F(LoadReports, ADamagedCollectionIsNamedWithTheRecordAndWhatIsWrong) {
  WriteTone(File("tone.wav"), 1000);
  Start();
  ASSERT_NE(App().ClipFrame(), nullptr);
  ASSERT_TRUE(App().ClipFrame()->Collection()->AddFile(File("tone.wav").c_str(), -1, 0));
  MakeProject(File("p.tml"), {File("tone.wav")});
  Stop();
  const std::string prc = File("p.prc");
  const std::string good = ReadFile(prc);
  ASSERT_GE(good.size(), 68u);
  ASSERT_EQ(Le32(good, 40), 1000u);
  ASSERT_EQ(Le32(good, 60), 1100u) << "the clip follows the version";
  // The clip's in point: the third of its records.
  size_t in = 68;
  while (in + 8 <= good.size() && Le32(good, in) != 1104) in += 8 + Le32(good, in + 4);
  ASSERT_LT(in + 8, good.size());

  const struct {
    const char* what;
    size_t byte;  // the high byte of a record's length, made 1
    std::string says;
  } cases[] = {
      {"a clip past the collection", 67,
       "Record 1100 at byte 60 is " + std::to_string(Le32(good, 64) + 0x01000000u) +
           " bytes long, past the end of the record that holds it."},
      {"a clip's record past the clip", in + 7,
       "Clip 1 (record 1100 at byte 60): record 1104 at byte " + std::to_string(in) +
           " is 16777220 bytes long, past the end of the record that holds it."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = good;
    bytes[c.byte] = 1;
    std::ofstream(prc, std::ios::binary | std::ios::trunc) << bytes;
    const std::string box = "File '" + prc + "' has invalid format\n" + c.says;

    std::string errors;
    EXPECT_EQ(Export(File("p.tml"), "/wave", File("out.wav"), &errors), 0) << errors;
    EXPECT_TRUE(std::filesystem::exists(File("out.wav")));
    EXPECT_NE(errors.find("Load Clip Collection: " + box), std::string::npos) << errors;

    Start();
    boxes_->shown.clear();
    chooser_->answers.push_back({ChooserResult::kOk, prc, 1});
    App().ClipFrame()->SendMessage(WM_COMMAND, TClipFrame::kCmOpenCollection, 0);
    ASSERT_EQ(boxes_->shown.size(), 1u);
    EXPECT_EQ(boxes_->shown[0].caption, "Load Clip Collection");
    EXPECT_EQ(boxes_->shown[0].text, box);
    Stop();
  }
}

// A clip saved with the sound of its AVI file, the file since made again
// without sound: the clip keeps its picture, the missing stream is named,
// and the project is exported.
TEST_F(LoadReports, AClipWhoseFileLacksItsSoundIsExportedWithoutIt) {
  if (!HaveTool("ffmpeg") || !HaveTool("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string a = File("vA.avi"), b = File("vB.avi");
  auto make = [this](const std::string& input, const std::string& path) {
    ASSERT_TRUE(Shell("ffmpeg -y -v error " + input + " -t 2 -c:v mjpeg -c:a pcm_s16le " + Quoted(path)));
  };
  make("-f lavfi -i color=red:size=320x240:rate=25 -f lavfi -i sine=frequency=440:sample_rate=44100", a);
  make("-f lavfi -i color=blue:size=320x240:rate=25", b);
  Start();
  MakeProject(File("trans.tml"), {a, b});
  Stop();
  make("-f lavfi -i color=red:size=320x240:rate=25", a);

  std::string errors;
  ASSERT_EQ(Export(File("trans.tml"), "/avi", File("out.avi"), &errors), 0) << errors;
  EXPECT_NE(errors.find("The file '" + a + "' has no audio stream"), std::string::npos) << errors;
  // Not taken for a damaged file, nor asked for again.
  EXPECT_EQ(errors.find("damaged"), std::string::npos) << errors;
  EXPECT_EQ(errors.find("Can not open source file"), std::string::npos) << errors;
  std::string frames;
  ASSERT_TRUE(Shell("ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames "
                    "-of csv=p=0 " + Quoted(File("out.avi")),
                    &frames));
  EXPECT_EQ(std::stoi(frames), 50) << frames;
}

}  // namespace
}  // namespace apptest
