// The exports: which range and which lines are written, the file asked for
// or given, the autosave first, a failed file removed; WAVE and AIFF through
// the audio engine, read back by sox.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "audio/audio_player.h"
#include "audio/mix_fixture.h"
#include "model/film_list.h"
#include "platform/audio/virtual_audio.h"
#include "transport_fixture.h"
#include "ui/file_chooser_script.h"

namespace transporttest {
namespace {

constexpr DWORD kRate = 8000;

class ExportsTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    VirtualAudio::Reset();
    engine_ = std::make_unique<AudioPlayer>();
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(engine_->Configure(kRate, 1, 2, 4, 16, 4, delay, preview, maxPreview), 0);
    TheAudioPlayer = engine_.get();
    output_.format = OutputFormat;  // what the sources are read as
  }
  void TearDown() override {
    TransportTest::TearDown();
    TheAudioPlayer = nullptr;
    engine_.reset();
    for (MemorySource* s : sources_) {
      s->EndRead();
      s->Release();
    }
  }

  // Clips from 2 s to 7 s: pictures on row 0, sound on line 0.
  void ClipsFrom2To7() {
    VideoClip(0, 2000, 7000);
    SoundClip(0, 2000, 7000);
  }
  // Two lines of real sound: line 0 over [0, 3000), line 1 over [1000, 4000).
  void TwoLines() {
    AddClip(FilmList, Keep(MakeSource(2, 1, kRate, 3 * kRate, 1)), 0, 0, 3000, 0);
    AddClip(FilmList, Keep(MakeSource(2, 1, kRate, 3 * kRate, 2)), 1, 1000, 4000, 0);
  }
  MemorySource* Keep(MemorySource* s) {
    s->BeginRead();
    sources_.push_back(s);
    return s;
  }
  const RecordingCommandHost::Written& Last() { return host_.written.back(); }
  // The writer wrote a temporary file beside target, and what it wrote took
  // target's name, leaving no temporary behind.
  testing::AssertionResult WrittenBeside(const std::string& target) {
    const std::string& path = Last().path;
    const std::string prefix = ".kobrix-";
    if (std::filesystem::path(path).filename().string().rfind(prefix, 0) != 0)
      return testing::AssertionFailure() << "written at " << path;
    std::ifstream in(target);
    const std::string now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (now != "partial") return testing::AssertionFailure() << path << " did not become " << target;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(target).parent_path())) {
      if (entry.path().filename().string().rfind(prefix, 0) == 0)
        return testing::AssertionFailure() << entry.path() << " was left";
    }
    return testing::AssertionSuccess();
  }

  std::unique_ptr<AudioPlayer> engine_;
  std::vector<MemorySource*> sources_;
  filetest::ScriptedChooser chooser_;
  filetest::RecordsGuard records_;
  ScriptedProgress progress_;
};

TEST_F(ExportsTest, WithoutASelectionTheExportCoversTheClipsElseExactlyTheSelection) {
  OpenTransport();
  Engine().SetLength(60000);
  ClipsFrom2To7();
  struct Case {
    int32_t selStart, selEnd;
    int32_t start, end;
  } cases[] = {{0, 0, 2000, 7000}, {1000, 3000, 1000, 3000}, {1010, 2990, 1000, 3000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selStart);
    Engine().SetMarkRange(c.selStart, c.selEnd);
    const std::string path = FilePath("out.avi");
    ASSERT_TRUE(window_->WriteAvi(0, path.c_str()));
    EXPECT_EQ(Last().start, c.start);
    EXPECT_EQ(Last().end, c.end);
    EXPECT_EQ(Last().parts, kKindVideo | kKindAudio);
    ASSERT_FALSE(Last().segments.empty());
    EXPECT_EQ(Last().segments.front().start, std::max(c.start, 2000));
    // The sound of the range was mixed for the writer: 2 bytes a sample.
    EXPECT_EQ(Last().soundBytes, int64_t{c.end - c.start} * kRate / 1000 * 2);
  }
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kIdle);
  EXPECT_TRUE(Engine().play.segments.Empty());
}

// Only pictures put the range on frames.
TEST_F(ExportsTest, AnAviOfSoundAloneKeepsTheSelectionToTheMillisecond) {
  OpenTransport();
  SoundClip(0, 0, 5000);
  Engine().SetMarkRange(1010, 2990);
  ASSERT_TRUE(window_->WriteAvi(0, FilePath("sound.avi").c_str()));
  EXPECT_EQ(Last().start, 1010);
  EXPECT_EQ(Last().end, 2990);
  EXPECT_EQ(Last().parts, kKindAudio);
  EXPECT_TRUE(Last().segments.empty());
  EXPECT_EQ(Last().soundBytes, int64_t{1980} * kRate / 1000 * 2);
}

// A MIDI clip alone: the menu offers the export, which writes nothing.
TEST_F(ExportsTest, MidiAloneWritesNothing) {
  OpenTransport();
  MidiClip(2000, 7000);
  Engine().showMidi = true;
  EXPECT_TRUE(Enabled(kCmExportAvi));
  EXPECT_FALSE(Enabled(kCmExportWave));
  EXPECT_FALSE(window_->WriteAvi(0, nullptr));
  EXPECT_FALSE(window_->WriteAvi(1, FilePath("out.mpg").c_str()));
  EXPECT_TRUE(host_.written.empty());
  EXPECT_TRUE(chooser_.calls.empty());
  EXPECT_EQ(host_.autosaves, 0);
  EXPECT_FALSE(std::filesystem::exists(FilePath("out.mpg")));
}

TEST_F(ExportsTest, MutedLinesAreLeftOutUnlessInSolo) {
  OpenTransport();
  SoundClip(0, 0, 4000);
  SoundClip(1, 0, 4000);
  struct Case {
    uint8_t mute1, solo1;
    int32_t gain0, gain1;
  } cases[] = {{0, 0, 512, 512}, {1, 0, 512, 0}, {1, 1, 0, 512}};
  for (const Case& c : cases) {
    Engine().audioPanel[1].mute = c.mute1;
    Engine().audioPanel[1].solo = c.solo1;
    ASSERT_TRUE(window_->WriteAvi(1, FilePath("out.mpg").c_str()));
    EXPECT_TRUE(Last().mpeg);
    EXPECT_EQ(Last().mix.lines[0].gain, c.gain0) << int{c.mute1} << int{c.solo1};
    EXPECT_EQ(Last().mix.lines[1].gain, c.gain1) << int{c.mute1} << int{c.solo1};
  }
}

// The target is asked for unless given; the autosave comes first either
// way; the dialogs then start in the target's folder and filter.
TEST_F(ExportsTest, APathSkipsTheDialogNotTheAutosave) {
  OpenTransport();
  ClipsFrom2To7();
  const std::string given = FilePath("given.avi");
  ASSERT_TRUE(window_->WriteAvi(0, given.c_str()));
  EXPECT_TRUE(chooser_.calls.empty());
  EXPECT_EQ(host_.autosaves, 1);
  EXPECT_TRUE(WrittenBeside(given));

  struct Case {
    int32_t kind;
    FileChooserKind chooser;
    const char* title;
    int filter;
    const char* name;
  } cases[] = {{0, FileChooserKind::kSave32Audio, "Export Audio & Video", 3, "chosen.avi"},
               {1, FileChooserKind::kSave, "Export MPEG", 7, "chosen.mpg"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    chooser_.calls.clear();
    host_.written.clear();
    const std::string chosen = FilePath(c.name);
    chooser_.answers.push_back({ChooserResult::kOk, chosen, 1});
    ASSERT_TRUE(window_->WriteAvi(c.kind, nullptr));
    ASSERT_EQ(chooser_.calls.size(), 1u);
    EXPECT_EQ(chooser_.calls[0].kind, c.chooser);
    EXPECT_EQ(chooser_.calls[0].title, c.title);
    EXPECT_TRUE(WrittenBeside(chosen));
    EXPECT_EQ(MediaFileData(kClipFiles).FilterIndex, c.filter);
    // Cancel writes nothing.
    EXPECT_FALSE(window_->WriteAvi(c.kind, nullptr));
    EXPECT_EQ(host_.written.size(), 1u);
  }
  EXPECT_EQ(host_.autosaves, 5);
}

// A failed writer leaves the target as it was: no file, or the earlier one.
TEST_F(ExportsTest, AFailedWriterLeavesNoFileAndKeepsAnEarlierOne) {
  OpenTransport();
  ClipsFrom2To7();
  host_.writersSucceed = false;
  for (int32_t kind : {0, 1}) {
    const std::string path = FilePath("failed" + std::to_string(kind));
    host_.written.clear();
    EXPECT_FALSE(window_->WriteAvi(kind, path.c_str()));
    EXPECT_EQ(host_.written.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(path)) << kind;
    EXPECT_FALSE(std::filesystem::exists(Last().path)) << kind;

    const std::string earlier = FilePath("earlier" + std::to_string(kind));
    std::ofstream(earlier) << "the earlier export";
    EXPECT_FALSE(window_->WriteAvi(kind, earlier.c_str()));
    std::ifstream in(earlier);
    std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "the earlier export") << kind;
  }
}

TEST_F(ExportsTest, NothingIsWrittenWhilePlaying) {
  OpenTransport();
  TwoLines();
  Engine().playing = true;
  EXPECT_FALSE(Enabled(kCmExportAvi));
  EXPECT_FALSE(Enabled(kCmExportWave));
  EXPECT_FALSE(window_->WriteAudio(0, FilePath("out.wav").c_str()));
  EXPECT_FALSE(window_->WriteAvi(0, FilePath("out.avi").c_str()));
  Engine().playing = false;
  EXPECT_TRUE(host_.written.empty());
  EXPECT_EQ(host_.autosaves, 0);
}

// What sox reads back: the range's length and the engine's mix of the
// active lines, in the file's own sample order.
std::vector<BYTE> SoxSamples(const std::string& path) {
  std::vector<BYTE> out;
  EXPECT_TRUE(RunCommand("sox '" + path + "' -t raw -e signed-integer -b 16 -L - 2>/dev/null", &out));
  return out;
}

TEST_F(ExportsTest, WaveAndAiffHoldTheMixOfTheRange) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  OpenTransport();
  TwoLines();
  struct Case {
    int32_t kind;
    const char* name;
    int32_t selStart, selEnd;
    bool mute1;
    int32_t start, end;
  } cases[] = {
      {0, "all.wav", 0, 0, false, 0, 4000},
      {1, "all.aif", 0, 0, false, 0, 4000},
      {0, "range.wav", 1010, 2990, false, 1010, 2990},
      {0, "muted.wav", 0, 0, true, 0, 3000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Engine().SetMarkRange(c.selStart, c.selEnd);
    Engine().audioPanel[1].mute = c.mute1 ? 1 : 0;
    const std::string path = FilePath(c.name);
    ASSERT_TRUE(window_->WriteAudio(c.kind, path.c_str()));
    const std::string samples = CommandText("sox --i -s '" + path + "'");
    EXPECT_EQ(std::stol(samples), (c.end - c.start) * static_cast<long>(kRate) / 1000);
    MixSetup mix = UnitySetup(4);
    if (c.mute1) mix.lines[1].gain = 0;
    EXPECT_TRUE(SoxSamples(path) == StreamAll(*engine_, FilmList.First(), mix, c.start, c.end, 2));
  }
  EXPECT_EQ(host_.autosaves, 4);
}

}  // namespace
}  // namespace transporttest
