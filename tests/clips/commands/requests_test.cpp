// The converters of the Tools menu (recording scripts stand beside the test
// program for the converter programs), the files other windows and other
// instances hand to the collection, a video source's new frame rate, and
// tiles for the sources of an edit decision list.
#include <gtest/gtest.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "commands_fixture.h"
#include "model/undo_history.h"
#include "platform/core/locations.h"
#include "support/file_bytes.h"
#include "timeline/commands/add_file_host.h"
#include "ui/file_chooser_script.h"

namespace cliptest {
namespace {

// The lines the converter scripts wrote, each "name|folder|arguments...".
std::vector<std::string> Lines(const std::string& log) {
  std::vector<std::string> lines;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string HandleText(HWND window) {
  char text[24];
  std::snprintf(text, sizeof text, "%" PRIXPTR, reinterpret_cast<uintptr_t>(window));
  return text;
}

// The converters are looked for in folder.
class ConvertersIn : public AddFileHost {
 public:
  explicit ConvertersIn(std::string folder) : folder_(std::move(folder)) { before_ = SetAddFileHost(this); }
  ~ConvertersIn() override { SetAddFileHost(before_); }
  std::string ConverterFolder() override { return folder_; }

 private:
  std::string folder_;
  AddFileHost* before_;
};

class RequestsTest : public ClipCommandsTest {
 protected:
  std::string log_ = Media("converters.log");
  ScopedEnv logEnv_{"KOBRIX_CONVERTER_LOG", log_};
  filetest::RecordsGuard records_;
  filetest::ScriptedChooser chooser_;
  SourcesByName byName_;
};

TEST_F(RequestsTest, ConvertWaveWritesTheChosenFormatUnlessTheTargetsClipsMayNotGo) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  OpenBoth();
  const std::string source = Media("voice.wav"), target = Media("voice-16.wav");
  ASSERT_TRUE(RunCommand("sox -n -r 22050 -c 1 -b 8 '" + source + "' synth 0.5 sine 440"));
  PcmChooser formats;
  chooser_.answers = {{ChooserResult::kOk, source, 1}, {ChooserResult::kOk, target, 1}};
  Command(kCmConvertWave);
  ASSERT_EQ(chooser_.calls.size(), 2u);
  EXPECT_EQ(chooser_.calls[0].kind, FileChooserKind::kOpen);
  EXPECT_EQ(chooser_.calls[0].title, "Source WAVE file");
  EXPECT_EQ(chooser_.calls[1].kind, FileChooserKind::kSave);
  EXPECT_EQ(chooser_.calls[1].title, "Target WAVE file name for conversion");
  EXPECT_EQ(chooser_.calls[1].directory, media_.path());
  EXPECT_EQ(formats.calls, 1);
  Bytes info;
  ASSERT_TRUE(RunCommand("sox --i -b '" + target + "'", &info));
  EXPECT_EQ(std::string(info.begin(), info.end()), "16\n");
  // Nothing of it came into the collection, and the source is let go.
  EXPECT_EQ(collection_->TileCount(), 0);
  EXPECT_EQ(AudioData::FindByName(source.c_str()), nullptr);

  // The target is a tile's file: the user keeps the tile, so nothing is written.
  ClipWindow* tile = Add(target);
  const Bytes before = ReadFileBytes(target);
  RecordingBoxes boxes(IDNO);
  chooser_.answers = {{ChooserResult::kOk, source, 1}, {ChooserResult::kOk, target, 1}};
  Command(kCmConvertWave);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find("Clip '" + target + "' is used in the clip collection"),
            std::string::npos);
  EXPECT_EQ(formats.calls, 1);
  EXPECT_EQ(ReadFileBytes(target), before);
  EXPECT_EQ(collection_->Tile(0), tile);

  // A source that does not open.
  const std::string broken = Media("broken.wav");
  WriteFileBytes(broken, Bytes{'R', 'I', 'F', 'F'});
  chooser_.answers = {{ChooserResult::kOk, broken, 1}};
  Command(kCmConvertWave);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].caption, "Convert Audio");
  EXPECT_EQ(boxes.shown[1].text, "Can not open file '" + broken + "'");
  EXPECT_EQ(chooser_.calls.size(), 5u);  // no target asked for
}

TEST_F(RequestsTest, ConvertAviStartsTheConverterOnTheSelectedAviWithoutWaiting) {
  OpenBoth();
  TestFolder work("kobrix-avi-work");
  MediaFileData(kAviFiles).SetDirectory((work.path() + "/x.avi").c_str());
  const std::string avi = Avi("my scene.avi", 10);
  ClipWindow* sound = Add(Wave("voice.wav", 300));
  ClipWindow* scene = Add(avi);

  const std::string go = log_ + ".go";
  for (ClipWindow* tile : {scene, sound}) {
    collection_->SetSelection(collection_->IndexOf(tile));
    std::remove(go.c_str());
    Command(kCmConvertAvi);
    // The converter waits for the go, which comes only once the command has
    // returned: a command that waited for the converter came back only after
    // it had given up waiting and left its mark, however busy the machine.
    EXPECT_FALSE(std::filesystem::exists(log_ + ".gave-up"));
    WriteFileBytes(go, Bytes{});
  }
  // At most 30 s (a guard against a hang) for the converters' lines.
  for (int i = 0; i < 3000 && Lines(log_).size() < 2; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(Lines(log_).size(), 2u);
  const std::string line1 = Lines(log_)[0], line2 = Lines(log_)[1];
  // The two may have written in either order.
  const std::string withFile = "qovtool1|" + work.path() + "|" + avi, alone = "qovtool1|" + work.path();
  EXPECT_TRUE((line1 == withFile && line2 == alone) || (line1 == alone && line2 == withFile)) << line1 << "\n"
                                                                                              << line2;

  // Without the converter beside the program: the command line in a box.
  TestFolder empty("kobrix-no-converters");
  ConvertersIn nowhere(empty.path());
  RecordingBoxes boxes;
  collection_->SetSelection(collection_->IndexOf(scene));
  Command(kCmConvertAvi);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Launch external application");
  EXPECT_EQ(boxes.shown[0].text, "Can not launch\n\"" + empty.path() + "/QOVTOOL1.EXE\" \"" + avi + "\"");
  EXPECT_EQ(boxes.shown[0].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
}

// Paths near the longest a file record holds: the command line is longer
// than any fixed buffer the converters' lines were once built in.
TEST_F(RequestsTest, ConvertCamcorderAviWaitsForTheConverterAndFocusesTheCollection) {
  OpenBoth();
  TestFolder out("kobrix-camcorder");
  const std::string deep = "/" + std::string(100, 'd') + "/" + std::string(90, 'e');
  ASSERT_TRUE(std::filesystem::create_directories(media_.path() + deep));
  ASSERT_TRUE(std::filesystem::create_directories(out.path() + deep));
  const std::string source = media_.path() + deep + "/camera take.avi";
  const std::string target = out.path() + deep + "/converted take.avi";
  ASSERT_LT(target.size(), static_cast<size_t>(MAX_PATH));
  WriteAvi(source, 64, 48, 25.0, 10, true);
  ClipWindow* tile = Add(Wave("voice.wav", 300));
  const POINT pointer{300, 200};
  GuiMouseMove(pointer.x, pointer.y);
  TimeLine().SetFocus();

  chooser_.answers = {{ChooserResult::kOk, source, 1}, {ChooserResult::kOk, target, 1}};
  Command(kCmConvertCamcorderAvi);
  ASSERT_EQ(chooser_.calls.size(), 2u);
  EXPECT_EQ(chooser_.calls[0].title, "Source AVI file");
  EXPECT_EQ(chooser_.calls[1].title, "Target AVI file name for conversion");
  // The line is there at once: the command waited for the converter.
  EXPECT_EQ(Lines(log_),
            (std::vector<std::string>{"qovtool2|" + out.path() + deep + "|" +
                                      HandleText(collection_->GetHandle()) + "|" + source + "|" + target}));
  EXPECT_EQ(GetFocus(), collection_->GetHandle());
  POINT now{};
  GetCursorPos(&now);
  EXPECT_EQ(now.x, pointer.x);
  EXPECT_EQ(now.y, pointer.y);

  // A target that a clip uses: refused, the converter never starts.
  RecordingBoxes boxes(IDNO);
  chooser_.answers = {{ChooserResult::kOk, source, 1}, {ChooserResult::kOk, tile->clip.path, 1}};
  Command(kCmConvertCamcorderAvi);
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(Lines(log_).size(), 1u);
}

TEST_F(RequestsTest, OtherWindowsAndInstancesAddFilesAtTheEnd) {
  OpenBoth();
  Add(Wave("a.wav", 300));
  Add(Wave("b.wav", 300));
  collection_->SetSelection(0);
  const std::string c = Wave("c.wav", 300), d = Wave("d.wav", 300);

  EXPECT_EQ(collection_->SendMessage(kCollectionAddFileMessage, 0, reinterpret_cast<LPARAM>(c.c_str())), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c"}));
  const std::string tooLong = "/" + std::string(MAX_PATH, 'x') + ".wav";
  EXPECT_EQ(collection_->SendMessage(kCollectionAddFileMessage, 0, reinterpret_cast<LPARAM>(tooLong.c_str())),
            0);

  // Another instance's file: the project frame checks its files first, the
  // name is freed the way the messenger made it.
  char* name = NewRequestName(d.c_str());
  EXPECT_EQ(collection_->SendMessage(kCollectionRequestMessage, kCollectionRequestAddFile,
                                     reinterpret_cast<LPARAM>(name)),
            0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(projectFrame_->requests, (std::vector<ProjectFrame::Request>{{kFrameRequestCheckFiles, 1}}));

  // Any other request is left alone, its argument untouched.
  char untouched[] = "/media/not-a-request.wav";
  for (WPARAM code : {0, 2, 4, 55})
    EXPECT_EQ(collection_->SendMessage(kCollectionRequestMessage, code, reinterpret_cast<LPARAM>(untouched)),
              0);
  EXPECT_STREQ(untouched, "/media/not-a-request.wav");
  EXPECT_EQ(collection_->TileCount(), 4);
  EXPECT_EQ(projectFrame_->requests.size(), 1u);
}

TEST_F(RequestsTest, AFileAlreadyOpenIsPastedAndGivesAnEmptyProjectItsParameters) {
  OpenBoth();
  filetest::ScriptedRunner runner;
  const std::string ntsc = Avi("ntsc.avi", 30, 30.0, false);
  const std::string mono = Wave("mono.wav", 300, 22050, 1);

  // Not open yet: added; the project has no video, so it takes the rate.
  collection_->AddExternalFile(ntsc.c_str());
  ASSERT_EQ(collection_->TileCount(), 1);
  EXPECT_EQ(shell_.frameRatesFrom, std::vector<VideoData*>{collection_->Tile(0)->clip.video});

  // Open, and the project has pictures now: pasted through the add-clip
  // question, and the rate stays.
  SetProjectFrameRate(25.0f);
  Film::Link(new Film(collection_->Tile(0)->clip, 0, kKindVideo, 0, 0), FilmList);
  runner.answers.push_back({IDOK, -1});  // "&Yes"
  collection_->AddExternalFile(ntsc.c_str());
  ASSERT_EQ(runner.views.size(), 1u);
  EXPECT_EQ(collection_->TileCount(), 2);
  EXPECT_EQ(collection_->Tile(1)->clip.video, collection_->Tile(0)->clip.video);
  EXPECT_EQ(shell_.frameRatesFrom.size(), 1u);
  // Declined: nothing more.
  runner.answers.push_back({IDCANCEL, -1});  // "&No"
  collection_->AddExternalFile(ntsc.c_str());
  EXPECT_EQ(runner.views.size(), 2u);
  EXPECT_EQ(collection_->TileCount(), 2);
  FilmList.Clear();

  // A project with sound keeps its format; one without takes the file's.
  Add(Wave("project.wav", 300));
  Film::Link(new Film(collection_->Tile(2)->clip, 0, kKindAudio, 0, 0), FilmList);
  collection_->AddExternalFile(mono.c_str());
  EXPECT_TRUE(shell_.formats.empty());
  FilmList.Clear();
  collection_->AddExternalFile(Wave("mono2.wav", 300, 22050, 1).c_str());
  ASSERT_EQ(shell_.formats.size(), 1u);
  EXPECT_EQ(shell_.formats[0].rate, 22050);
  EXPECT_EQ(shell_.formats[0].channels, 1);
  collection_->AddExternalFile("");
  EXPECT_EQ(collection_->TileCount(), 5);
}

TEST_F(RequestsTest, ANewFrameRateKeepsTheFramesOfTheSourcesClipsAndDropsItsCopies) {
  OpenBoth();
  ClipWindow* scene = Add(Avi("scene.avi", 50, 25.0, false));
  ClipWindow* voice = Add(Wave("voice.wav", 300));
  ClipData& clip = scene->clip;
  clip.inTime = 1000;
  clip.outTime = 1600;
  clip.faceTime = 1200;
  collection_->SetSelection(collection_->IndexOf(scene));
  Command(kCmCollectionCopy);
  collection_->SetSelection(collection_->IndexOf(voice));
  Command(kCmCollectionAdd);
  // An undo step that holds the picture.
  Film::Link(new Film(clip, 0, kKindVideo, 0, 0), FilmList);
  Engine().MarkUndo(kUndoEdit);
  FilmList.Clear();
  VideoData* video = clip.video;
  const int32_t held = video->referenceCount;

  ASSERT_TRUE(video->SetFrameRate(30.0f));
  collection_->VideoRateChanged(video, 25.0f);
  // 25, 40 and 30 frames at 30 frames a second.
  EXPECT_EQ(clip.inTime, 833);
  EXPECT_EQ(clip.outTime, 1333);
  EXPECT_EQ(clip.faceTime, 1000);
  EXPECT_EQ(clip.duration, 500);
  EXPECT_EQ(clip.sourceLength, 1667);
  ASSERT_EQ(ClipClipboard.Count(), 1);
  EXPECT_EQ(ClipClipboard.First()->video, nullptr);
  EXPECT_EQ(ClipClipboard.First()->audio, voice->clip.audio);
  // The clipboard's copy and the undo step's have let go of the source.
  EXPECT_EQ(video->referenceCount, held - 2);
}

struct SourceRecord {
  SourceRecord* next;
  int32_t id;
  const char* name;
  AudioData* audio;
  VideoData* video;
};

TEST_F(RequestsTest, TilesComeForTheSourceRecordsThatNameSomething) {
  OpenBoth();
  Add(Wave("first.wav", 300));
  collection_->SetSelection(0);
  collection_->SetModified(false);
  const std::string wave = Wave("edl sound.wav", 300), avi = Avi("edl picture.avi", 10);
  AudioData* audio = AudioData::OpenShared(wave.c_str());
  AVIVideoData* video = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, avi.c_str(), 0);
  ASSERT_NE(audio, nullptr);
  ASSERT_NE(video, nullptr);
  SourceRecord picture{nullptr, 207, avi.c_str(), nullptr, video};
  SourceRecord empty{&picture, 205, "/media/nothing.wav", nullptr, nullptr};
  SourceRecord nameless{&empty, 203, "", audio, nullptr};
  SourceRecord sound{&nameless, 201, wave.c_str(), audio, nullptr};

  collection_->NewClipFromSources(&sound);
  EXPECT_EQ(Names(), (std::vector<std::string>{"first", "edl sound", "edl picture"}));
  EXPECT_EQ(collection_->Tile(1)->clip.audio, audio);
  EXPECT_EQ(collection_->Tile(2)->clip.video, video);
  EXPECT_EQ(collection_->GetSelection(), 2);
  EXPECT_TRUE(collection_->IsModified());
  audio->Release();
  video->Release();

  // With Auto Sort the tiles are sorted once they are in.
  Command(kCmAutoSort);
  SourceRecord again{nullptr, 201, wave.c_str(), collection_->Tile(1)->clip.audio, nullptr};
  collection_->NewClipFromSources(&again);
  EXPECT_EQ(Names(), (std::vector<std::string>{"edl picture", "edl sound", "edl sound", "first"}));
}

}  // namespace
}  // namespace cliptest
