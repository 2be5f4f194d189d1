// Media files added to the time-line: checks, conversions, the converters
// started from beside the program, and where the clip lands.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "audio/midi_data.h"
#include "commands_fixture.h"
#include "media/audio_data.h"
#include "media/video_data.h"
#include "platform/core/locations.h"
#include "support/file_bytes.h"
#include "ui/file_chooser_script.h"
#include "ui/te_file_dialogs.h"

namespace timelinetest {
namespace {

// What a program prints, read back; "" when it does not run.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* p = popen((command + " 2>/dev/null").c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

bool HaveTool(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

class AddFileTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    host_.output = &output_.format;
  }
  // AddFile on a copy of path in a buffer of its own size, as the callers give it.
  std::string Add(const std::string& path, int32_t time) {
    char buffer[MAX_PATH] = {};
    std::strncpy(buffer, path.c_str(), MAX_PATH - 1);
    window_->AddFile(buffer, time);
    return buffer;
  }
  // A sound clip, so that a file of another format meets a project that
  // keeps its own.
  void ProjectHasSound() {
    filmtest::FakeAudio* a = Sound("project.wav");
    AudioFilm(a, 3, 50000, 1000);
  }
  std::string HandleText() const {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRIXPTR, reinterpret_cast<uintptr_t>(window_->GetHandle()));
    return text;
  }

  RecordingHost host_;
  filetest::ScriptedChooser chooser_;
  filetest::RecordsGuard records_;
};

TEST_F(AddFileTest, FilesThatCannotBeAddedAreReportedUnderOpenClip) {
  CommandTimeLine& w = OpenCommands();
  const std::string missing = FilePath("missing.wav");
  const std::string empty = FilePath("empty.wav");
  WriteFileText(empty, "");
  const std::string broken = FilePath("broken.wav");
  WriteFileText(broken, "RIFF????WAVEnot a wave at all");
  const struct {
    std::string path;
    bool playing;
    std::string text;
  } cases[] = {
      {missing, false, "File '" + missing + "' does not exist"},
      {empty, false, "The file '" + empty + "' is empty"},
      {broken, false, "File '" + broken + "' has invalid format"},
      {WriteWave("fine.wav", 44100, 2, 16, 4410), true, "The project is currently playing"},
  };
  for (const auto& c : cases) {
    boxes.boxes.clear();
    w.Engine().playing = c.playing;
    Add(c.path, 0);
    w.Engine().playing = false;
    ASSERT_EQ(boxes.boxes.size(), 1u) << c.path;
    EXPECT_EQ(boxes.boxes[0].caption, "Open Clip");
    EXPECT_EQ(boxes.boxes[0].text, c.text);
  }
  EXPECT_EQ(Count(), 0);
  EXPECT_TRUE(host_.added.empty());
  EXPECT_EQ(w.HeldClip(), nullptr);
}

TEST_F(AddFileTest, AWaveOfAnotherFormatSetsTheFormatOfAProjectWithoutSound) {
  OpenCommands();
  const std::string path = WriteWave("other.wav", 22050, 1, 16, 22050);
  Add(path, 2000);
  ASSERT_EQ(host_.formats.size(), 1u);
  EXPECT_EQ(host_.formats[0].rate, 22050);
  EXPECT_EQ(host_.formats[0].channels, 1);
  EXPECT_NE(host_.formats[0].sampleType, 0);
  EXPECT_TRUE(host_.questions.empty());
  ASSERT_EQ(Count(), 1);
  Film* f = FilmList.First();
  EXPECT_EQ(f->start, 2000);
  EXPECT_EQ(f->end, 3000);
  EXPECT_STREQ(f->audio->GetFileName(), path.c_str());
  EXPECT_TRUE(f->IsSelected());
  ASSERT_EQ(host_.added.size(), 1u);
  EXPECT_EQ(host_.added[0].path, path);
  EXPECT_EQ(host_.added[0].skip, 0);
}

TEST_F(AddFileTest, TheConvertQuestionProposesTheProjectRateTheFilesChannelsAndTheExportBits) {
  OpenCommands();
  ProjectHasSound();
  const std::string path = WriteWave("mono.wav", 22050, 1, 16, 2205);
  const int32_t saved = ExportAudioType();
  for (int type : {0, 1, 2}) {
    host_.questions.clear();
    ExportAudioType() = type;
    Add(path, 0);
    ASSERT_EQ(host_.questions.size(), 1u);
    const RecordingHost::Question& q = host_.questions[0];
    EXPECT_EQ(q.path, path);
    EXPECT_FALSE(q.compressed);
    EXPECT_EQ(q.rate, 44100);
    EXPECT_EQ(q.channels, 1);
    EXPECT_EQ(q.bits, type == 1 ? 8 : 16);
  }
  ExportAudioType() = saved;
  // Cancelled: nothing happens.
  EXPECT_EQ(Count(), 1);
  EXPECT_TRUE(host_.formats.empty());
  EXPECT_TRUE(host_.added.empty());
}

TEST_F(AddFileTest, NoOnlyPutsTheFileIntoTheCollection) {
  CommandTimeLine& w = OpenCommands();
  ProjectHasSound();
  const std::string path = WriteWave("mono.wav", 22050, 1, 16, 2205);
  host_.answer = kConvertNo;
  Add(path, 0);
  EXPECT_EQ(host_.collectionShown, 1);
  ASSERT_EQ(host_.added.size(), 1u);
  EXPECT_EQ(host_.added[0].path, path);
  EXPECT_EQ(host_.added[0].skip, 0);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(w.HeldClip(), nullptr);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(AddFileTest, YesConvertsTheSoundToTheProjectRateAndAddsTheConvertedFile) {
  OpenCommands();
  ProjectHasSound();
  const std::string path = WriteWave("mono.wav", 22050, 1, 16, 22050);
  const std::string target = FilePath("converted.wav");
  host_.answer = kConvertYes;
  host_.chosenChannels = 2;
  chooser_.answers.push_back({ChooserResult::kOk, target, 1});
  EXPECT_EQ(Add(path, 0), target);
  ASSERT_EQ(chooser_.calls.size(), 1u);
  EXPECT_EQ(chooser_.calls[0].title, "Target File name for conversion");
  EXPECT_EQ(chooser_.calls[0].fileName, path);
  ASSERT_EQ(Count(), 2);
  Film* f = FilmList.First();
  EXPECT_STREQ(f->audio->GetFileName(), target.c_str());
  EXPECT_TRUE(f->audio->IsDirectFormat());
  EXPECT_EQ(f->end - f->start, 1000);
  ASSERT_EQ(host_.added.size(), 1u);
  EXPECT_EQ(host_.added[0].path, target);
  EXPECT_EQ(host_.added[0].skip, 0);
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  EXPECT_EQ(Output("sox --i -r '" + target + "'"), "44100");
  EXPECT_EQ(Output("sox --i -c '" + target + "'"), "2");
}

TEST_F(AddFileTest, AtATimeTheClipTakesTheFirstFreePlaceOrWaitsForTheMouse) {
  const std::string picture = WriteAvi("picture.avi", 32, 24, 25, 25);
  const std::string sound = WriteWave("sound.wav", 44100, 2, 16, 44100);
  const std::string midi = WriteMidi("tune.mid");
  enum Busy { kNothing, kRow0, kRows, kMidiClip, kLine1, kLines123, kAllLines };
  const struct {
    const char* what;
    const std::string& file;
    Busy busy;
    int32_t row, line;  // -1: not placed there; both -1: held
    bool held;
  } cases[] = {
      {"video, rows free", picture, kNothing, 0, -1, false},
      {"video, row 0 busy", picture, kRow0, 1, -1, false},
      {"video, both rows busy", picture, kRows, -1, -1, true},
      {"MIDI alone", midi, kNothing, -1, -1, false},
      {"MIDI with a MIDI clip present", midi, kMidiClip, -1, -1, true},
      {"sound, first line shown free", sound, kNothing, -1, 1, false},
      {"sound, first line shown busy", sound, kLine1, -1, 2, false},
      {"sound, lines shown busy", sound, kLines123, -1, 0, false},
      {"sound, every line busy", sound, kAllLines, -1, -1, true},
  };
  for (const auto& c : cases) {
    CommandTimeLine& w = OpenCommands();
    w.Engine().audioPanel.firstShown = 1;
    filmtest::FakeAudio* a = Sound("busy.wav");
    filmtest::FakeVideo* v = Video("busy.avi", 250);
    if (c.busy == kRow0 || c.busy == kRows) VideoFilm(v, 0, 500, 0, 1000);
    if (c.busy == kRows) VideoFilm(v, 1, 1500, 0, 1000);
    if (c.busy == kMidiClip) {
      // The project's one MIDI file, elsewhere on the line.
      MidiData* tune = MidiData::Get(midi.c_str());
      ASSERT_NE(tune, nullptr);
      filmtest::FakeClip other(nullptr, nullptr, tune, 0, 1000, 1000);
      Place(new Film(other, 8000, kKindMidi, 0, 0));
      tune->Release();
    }
    const int32_t busyFrom = c.busy == kLine1 ? 1 : c.busy == kLines123 ? 1 : c.busy == kAllLines ? 0 : 4;
    const int32_t busyTo = c.busy == kLine1 ? 1 : 3;
    for (int32_t l = busyFrom; l <= busyTo && l < 4; ++l) AudioFilm(a, l, 1900, 1000);
    const int32_t before = Count();

    Add(c.file, 1000);
    Film* added = nullptr;
    for (Film* f : Films()) {
      if (f->IsSelected()) added = f;
    }
    if (c.held) {
      EXPECT_EQ(added, nullptr) << c.what;
      EXPECT_EQ(Count(), before) << c.what;
      EXPECT_NE(w.HeldClip(), nullptr) << c.what;
      EXPECT_EQ(GetCapture(), w.GetHandle()) << c.what;
      EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtr(w.GetHandle(), GCLP_HCURSOR)),
                w.Cursor(kCursorMoveClips))
          << c.what;
      w.ReleaseHeldClip();
      EXPECT_EQ(GetCapture(), nullptr);
    } else {
      ASSERT_NE(added, nullptr) << c.what;
      EXPECT_EQ(added->start, 1000) << c.what;
      EXPECT_EQ(added->videoRow, c.row) << c.what;
      EXPECT_EQ(added->audioLine, c.line) << c.what;
      EXPECT_EQ(added->HasMidi(), &c.file == &midi) << c.what;
      EXPECT_EQ(w.HeldClip(), nullptr) << c.what;
    }
    Close();
  }
}

TEST_F(AddFileTest, TimeMinusOneHandsTheClipToTheMouse) {
  CommandTimeLine& w = OpenCommands();
  Add(WriteWave("sound.wav", 44100, 2, 16, 44100), -1);
  EXPECT_EQ(Count(), 0);
  ASSERT_NE(w.HeldClip(), nullptr);
  EXPECT_EQ(w.HeldClip()->GetKinds(), kKindAudio);
  EXPECT_EQ(w.HeldClip()->GetLength(), 1000);
  EXPECT_EQ(GetCapture(), w.GetHandle());
  EXPECT_FALSE(w.ButtonPressed());
  // The lines were asked where the clip would go.
  EXPECT_FALSE(w.audio.calls.empty());
  // The next file replaces it.
  Add(WriteWave("other.wav", 44100, 2, 16, 22050), -1);
  ASSERT_NE(w.HeldClip(), nullptr);
  EXPECT_EQ(w.HeldClip()->GetLength(), 500);
}

TEST_F(AddFileTest, HiddenLinesAreShownForTheClipWhenTheUserAgrees) {
  CommandTimeLine& w = OpenCommands();
  w.Engine().showVideo = false;
  const std::string picture = WriteAvi("picture.avi", 32, 24, 25, 25);
  boxes.answers = {IDNO};
  Add(picture, 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Open Clip");
  EXPECT_EQ(boxes.boxes[0].text, "Show VIDEO track(s) for clip inserting?");
  EXPECT_EQ(Count(), 0);
  EXPECT_FALSE(w.Engine().showVideo);
  Add(picture, 0);
  EXPECT_TRUE(w.Engine().showVideo);
  EXPECT_EQ(Count(), 1);

  Add(WriteMidi("tune.mid"), 5000);
  EXPECT_EQ(boxes.boxes.back().text, "Show MIDI track(s) for clip inserting?");
  EXPECT_EQ(w.midiLineShown, 1);
}

TEST_F(AddFileTest, ACamcorderVideoIsRecompressedByTheConverterAndItsResultAdded) {
  OpenCommands();
  const std::string source = WriteAvi("camcorder.avi", 64, 48, 25, 5, mmioFOURCC('C', 'G', 'D', 'I'));
  const std::string target = FilePath("plain.avi");
  boxes.answers = {IDOK};
  chooser_.answers.push_back({ChooserResult::kOk, target, 1});
  EXPECT_EQ(Add(source, 0), target);
  ASSERT_FALSE(boxes.boxes.empty());
  EXPECT_EQ(boxes.boxes[0].text,
            "Video recorded by MS Camcorder can not be edited!\nDo you want to recompress video "
            "from\n" +
                source + "\nto new file?");
  ASSERT_EQ(chooser_.calls.size(), 1u);
  EXPECT_EQ(chooser_.calls[0].title, "Target AVI file name for conversion");
  ASSERT_EQ(Count(), 1);
  EXPECT_STREQ(FilmList.First()->video->GetFileName(), target.c_str());
  EXPECT_EQ(FilmList.First()->end, 200);
  ASSERT_EQ(host_.added.size(), 1u);
  EXPECT_EQ(host_.added[0].path, target);
  if (!HaveTool("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
  EXPECT_EQ(
      Output("ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height,r_frame_rate,"
             "nb_frames -of csv=p=0 '" +
             target + "'"),
      "rawvideo,64,48,25/1,5");
}

TEST_F(AddFileTest, ConvertersThatDoNotStartAreNamedWithTheirWholeCommandLine) {
  CommandTimeLine& w = OpenCommands();
  TestFolder empty("kobrix-no-tools");
  host_.folder = empty.path();
  const std::string source = WriteAvi("camcorder.avi", 64, 48, 25, 5, mmioFOURCC('C', 'G', 'D', 'I'));
  const std::string target = FilePath("plain.avi");
  boxes.answers = {IDOK};
  chooser_.answers.push_back({ChooserResult::kOk, target, 1});
  Add(source, 0);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].caption, "Launch external application");
  EXPECT_EQ(boxes.boxes[1].text, "Can not launch\n\"" + empty.path() + "/QOVTOOL2.EXE\" " + HandleText() +
                                     " \"" + source + "\" \"" + target + "\"");
  EXPECT_EQ(boxes.boxes[1].flags & MB_ICONSTOP, static_cast<UINT>(MB_ICONSTOP));
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(w.HeldClip(), nullptr);
}

TEST_F(AddFileTest, AConversionIntoItsOwnSourceIsRefused) {
  OpenCommands();
  ProjectHasSound();
  const std::string camcorder = WriteAvi("camcorder.avi", 64, 48, 25, 5, mmioFOURCC('C', 'G', 'D', 'I'));
  const std::string mono = WriteWave("mono.wav", 22050, 1, 16, 2205);
  host_.answer = kConvertYes;
  for (const std::string& source : {camcorder, mono}) {
    const std::vector<unsigned char> before = ReadFileBytes(source);
    boxes.answers = {IDOK};
    chooser_.answers.push_back({ChooserResult::kOk, source, 1});
    EXPECT_EQ(Add(source, 0), source);
    EXPECT_EQ(ReadFileBytes(source), before) << source;
    EXPECT_EQ(Count(), 1) << source;
  }
  EXPECT_TRUE(host_.added.empty());
}

TEST_F(AddFileTest, AVideoOfOtherParametersOffersTheOutsideEditor) {
  OpenCommands();
  const std::string project = WriteAvi("project.avi", 32, 24, 25, 25);
  AVIVideoData* model = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, project.c_str(), 0);
  ASSERT_NE(model, nullptr);
  filmtest::FakeClip clip(model, nullptr, nullptr, 0, 1000, 1000);
  Place(new Film(clip, 0, kKindVideo, 0, 0));
  model->Release();
  const std::string other = WriteAvi("thirty.avi", 32, 24, 30, 30);
  TestFolder empty("kobrix-no-tools");
  host_.folder = empty.path();

  for (int answer : {IDCANCEL, IDOK}) {
    boxes.boxes.clear();
    boxes.answers = {answer};
    Add(other, 5000);
    ASSERT_FALSE(boxes.boxes.empty());
    EXPECT_NE(
        boxes.boxes[0].text.find("File '" + other +
                                 "' video parameters\ndiffer from those of the current "
                                 "project:\n  Codec name 'Unknown '    ''\n  Resolution 32x24\n  Frame rate "
                                 "25.000 frame/sec\n\nTry to convert the file with QOVTOOL1 application?"),
        std::string::npos);
    EXPECT_EQ(Count(), 1);
  }
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].text, "Can not launch\n\"" + empty.path() + "/QOVTOOL1.EXE\" \"" + other + "\"");
  EXPECT_TRUE(host_.rates.empty());

  // Beside the program it starts, and nothing more is asked.
  host_.folder.clear();
  boxes.boxes.clear();
  boxes.answers = {IDOK};
  Add(other, 5000);
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(AddFileTest, TheLinesMenusAskTheFrameForAFileOfTheirKind) {
  CommandTimeLine& w = OpenCommands();
  const struct {
    int32_t kind;
    int filter;
  } cases[] = {{kKindAudio, 2}, {kKindVideo, 3}, {kKindMidi, 4}};
  for (const auto& c : cases) {
    Frame().commands.clear();
    MediaFileData(kClipFiles).FilterIndex = 1;
    w.AddSourceFileOfKind(c.kind);
    EXPECT_EQ(MediaFileData(kClipFiles).FilterIndex, c.filter) << c.kind;
    EXPECT_EQ(Frame().commands, std::vector<int>{kCmAddSourceFile}) << c.kind;
  }
}

TEST(QovTool2, FailsWithoutLeavingATarget) {
  TestFolder folder("kobrix-qovtool");
  const std::string tool = ProgramFolder() + "/qovtool2";
  const std::string target = folder.File("out.avi");
  const std::string notAvi = folder.File("not.avi");
  WriteFileText(notAvi, "not an AVI file");
  for (const std::string& args : {std::string("1 '") + folder.File("missing.avi") + "' '" + target + "'",
                                  "1 '" + notAvi + "' '" + target + "'", std::string("1 only-two")}) {
    EXPECT_NE(std::system((tool + " " + args + " 2>/dev/null").c_str()), 0) << args;
    EXPECT_FALSE(std::filesystem::exists(target)) << args;
  }  // Nor is a source written over itself.
  const std::string avi = folder.File("in.avi");
  WriteFileText(avi, "RIFF");
  EXPECT_NE(std::system((tool + " 1 '" + avi + "' '" + avi + "' 2>/dev/null").c_str()), 0);
  EXPECT_EQ(ReadFileText(avi), "RIFF");
}

}  // namespace
}  // namespace timelinetest
