// The time-line written as an edit decision list and rebuilt from one: the
// export of a small project of real media files byte for byte, the import
// of what it wrote, and lists that must not be trusted.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/midi_data.h"
#include "clips/clip_data.h"
#include "media/audio_data.h"
#include "media/avi_writer.h"
#include "media/video_data.h"
#include "model/levels.h"
#include "platform/codecs/avi.h"
#include "project_fixture.h"
#include "support/file_bytes.h"
#include "timeline/edl_format.h"

namespace projectcmdtest {
namespace {

std::string Replace(std::string text, const std::string& what, const std::string& with) {
  for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += with.size())
    text.replace(at, what.size(), with);
  return text;
}

// A file of the test's own, open for the writer or the reader.
class EdlFile {
 public:
  explicit EdlFile(const std::string& path, const char* mode) : file_(std::fopen(path.c_str(), mode)) {}
  ~EdlFile() {
    if (file_) std::fclose(file_);
  }
  std::FILE* get() const { return file_; }

 private:
  std::FILE* file_;
};

class EdlTest : public ProjectCommandsTest {
 protected:
  void SetUp() override {
    ProjectCommandsTest::SetUp();
    OpenProjectWindow();
  }
  void TearDown() override {
    ProjectCommandsTest::TearDown();
    for (EdlFileRecord* r = records_; r; r = r->next) {
      if (r->video) r->video->Release();
      if (r->audio) r->audio->Release();
    }
    FreeEdlFileRecords(records_);
  }

  // An AVI of 32 x 24 pictures at 25 frames a second, with 44100 Hz stereo
  // sound as long as the pictures.
  std::string WriteAviWithSound(const std::string& name, int32_t frames) {
    const std::string path = FilePath(name);
    MainAVIHeader main;
    AviWriter* w = nullptr;
    EXPECT_EQ(AviWriter::Open(&w, path.c_str(), &main), 0);
    if (w == nullptr) return path;
    BITMAPINFOHEADER bi{};
    bi.biSize = sizeof bi;
    bi.biWidth = 32;
    bi.biHeight = 24;
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    bi.biCompression = BI_RGB;
    bi.biSizeImage = 32 * 3 * 24;
    AVISTREAMHEADER video;
    video.fccType = streamtypeVIDEO;
    video.fccHandler = BI_RGB;
    video.dwScale = 1000;
    video.dwRate = 25000;
    int32_t pictures = 0, sound = 0;
    EXPECT_EQ(AviWriter::AddStream(w, &pictures, &video, &bi, sizeof bi), 0);
    const unsigned char wave[18] = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0, 0, 0};
    AVISTREAMHEADER audio;
    audio.fccType = streamtypeAUDIO;
    EXPECT_EQ(AviWriter::AddStream(w, &sound, &audio, wave, sizeof wave), 0);
    const std::vector<BYTE> pixels(bi.biSizeImage, 0x40);
    const std::vector<BYTE> samples(1764 * 4, 0);
    for (int32_t n = 0; n < frames; ++n) {
      AviWriter::WriteChunk(w, pictures, pixels.data(), static_cast<int32_t>(pixels.size()), cktypeDIBbits,
                            AVIIF_KEYFRAME);
      AviWriter::WriteChunk(w, sound, samples.data(), static_cast<int32_t>(samples.size()), aviTWOCC('w', 'b'),
                            AVIIF_KEYFRAME);
    }
    EXPECT_EQ(AviWriter::Close(w), 0);
    return path;
  }

  // The project of the golden lists (make_edl_golden.py says what it holds).
  void BuildProject() {
    AVIVideoData* takeVideo = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, WriteAviWithSound("take.avi", 50).c_str(), 0);
    AudioData* takeAudio = AudioData::OpenShared(FilePath("take.avi").c_str());
    AudioData* tone = AudioData::OpenShared(WriteWave("tone.wav", 44100, 2, 16, 3 * 44100).c_str());
    MidiData* midi = MidiData::Get(WriteMidi("song.mid").c_str());
    ASSERT_TRUE(takeVideo && takeAudio && tone && midi);
    {
      ClipData take(takeVideo, nullptr, takeAudio);
      Place(new Film(take, 0, kKindVideo | kKindAudio, 0, 0));
      ClipData sound(nullptr, nullptr, tone);
      sound.inTime = 480;
      sound.outTime = 2480;
      sound.duration = 2000;
      Film* f = Place(new Film(sound, 1000, kKindAudio, 1, 0));
      f->AddVolumePoint(1480, 1024);
      ClipData song(nullptr, midi, nullptr);
      Place(new Film(song, 3000, kKindMidi, 0, 0));
    }
    takeVideo->Release();
    takeAudio->Release();
    tone->Release();
    midi->Release();
    Engine().audioPanel[1].gain = 256;
    Engine().length = 20000;
  }

  // The export as the frame makes it: the file lists, then the writer.
  std::string Export() {
    const std::string path = FilePath("out.edl");
    EdlFileRecord *video = nullptr, *audio = nullptr;
    EXPECT_TRUE(BuildEdlFileLists(FilmList, &video, &audio));
    {
      EdlFile file(path, "wb");
      EXPECT_TRUE(window_->ExportEdl(file.get(), video, audio));
    }
    FreeEdlFileRecords(video);
    FreeEdlFileRecords(audio);
    return ReadFileText(path);
  }

  // The files of a list opened as the frame opens them, each as what its
  // section says it holds.
  void OpenFilesOf(const std::string& path) {
    EdlFile file(path, "rb");
    std::vector<EdlFileEntry> entries;
    ASSERT_EQ(ReadEdlFileSection(file.get(), entries), 0);
    for (const EdlFileEntry& e : entries) {
      auto* r = new EdlFileRecord{records_, e.id, nullptr, nullptr, nullptr};
      records_ = r;
      if (e.audio) r->audio = AudioData::OpenShared(e.name.c_str());
      if (e.video) r->video = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, e.name.c_str(), 0);
      r->name = r->video ? r->video->GetFileName() : r->audio ? r->audio->GetFileName() : nullptr;
    }
  }
  int Import(const std::string& path) {
    EdlFile file(path, "rb");
    const int result = window_->ImportEdl(file.get(), records_);
    GuiPumpMessages();
    return result;
  }
  // Frames of a film's start, end, in and out.
  static std::vector<int32_t> FramesOf(const Film* f) {
    auto frames = [](int32_t ms) { return MsToFrames(ms, 25.0f); };
    return {frames(f->start), frames(f->end), frames(f->in), frames(f->out)};
  }

  EdlFileRecord* records_ = nullptr;
};

TEST_F(EdlTest, TheExportIsTheListOfTheFormat) {
  BuildProject();
  const std::string folder = files_.path();
  EXPECT_EQ(Export(), Replace(ReadFileText(KOBRIX_FIXTURES_DIR "/edl/project.edl"), "@DIR@", folder));
  Engine().SetMarkRange(1000, 3000);
  EXPECT_EQ(Export(), Replace(ReadFileText(KOBRIX_FIXTURES_DIR "/edl/project_range.edl"), "@DIR@", folder));
  EXPECT_FALSE(Engine().IsModified());
}

TEST_F(EdlTest, AnExportedListImportsAsTheSameClipsPictureAndSoundApart) {
  BuildProject();
  const std::string path = FilePath("round.edl");
  WriteFileText(path, Export());
  OpenFilesOf(path);
  Engine().audioLineCount = 2;
  Engine().SetModified(false);

  EXPECT_EQ(Import(path), 0);

  std::vector<Film*> films = Films();
  ASSERT_EQ(films.size(), 3u);
  // Picture and sound of one file start together; either may come first.
  if (films[0]->video == nullptr) std::swap(films[0], films[1]);
  EXPECT_NE(films[0]->video, nullptr);
  EXPECT_EQ(films[0]->audio, nullptr);
  EXPECT_EQ(films[0]->videoRow, 0);
  EXPECT_EQ(FramesOf(films[0]), (std::vector<int32_t>{0, 50, 0, 50}));
  EXPECT_EQ(films[1]->video, nullptr);
  EXPECT_NE(films[1]->audio, nullptr);
  EXPECT_EQ(films[1]->audioLine, 0);
  EXPECT_EQ(FramesOf(films[1]), (std::vector<int32_t>{0, 50, 0, 50}));
  EXPECT_EQ(films[2]->audioLine, 1);
  EXPECT_EQ(FramesOf(films[2]), (std::vector<int32_t>{25, 75, 12, 62}));
  EXPECT_EQ(std::string(films[2]->name), "tone");
  // The levels come back as the list gave them, the line's half gain in them.
  const Profile& points = films[2]->volumePoints;
  ASSERT_EQ(points.Count(), 5);
  EXPECT_EQ(points[1].time, 480);
  EXPECT_EQ(points[1].value, 256);
  EXPECT_EQ(points[2].time, 1480);
  EXPECT_EQ(points[2].value, 512);
  EXPECT_EQ(points[3].time, 2480);
  EXPECT_EQ(points[3].value, 256);
  EXPECT_TRUE(Engine().IsModified());
  EXPECT_FALSE(UndoScript::CanUndo());
}

TEST_F(EdlTest, AnEnvelopeOfOnePointOrNoneWritesWhatThereIs) {
  filmtest::FakeAudio* a = Sound("/media/a.wav", 4000);
  Film* none = AudioFilm(a, 0, 0, 1000);
  none->volumePoints.Clear();
  Film* one = AudioFilm(a, 0, 2000, 1000);
  const ProfilePoint point{0, 600};
  ASSERT_TRUE(one->volumePoints.Assign(&point, 1));
  const std::string list = Export();
  EXPECT_NE(list.find("\t\t\t[Track_Record #0, ClipID=204, Start=0, End=25,\r\n"
                      "\t\t\t\t[RubberBand, Max=1024,\r\n"
                      "\t\t\t\t],\r\n"),
            std::string::npos)
      << list;
  EXPECT_NE(list.find("\t\t\t\t[RubberBand, Max=1024,\r\n"
                      "\t\t\t\t\t[Band_Point #0,h=0,v=600],\r\n"
                      "\t\t\t\t],\r\n"),
            std::string::npos)
      << list;
}

// A list of the given clip and track lines around two fake files: 3 a
// picture of 100 frames, 5 a sound of 8 s.
std::string ListOf(const std::string& clips, const std::string& tracks) {
  return "['Adobe Premiere\xAA 4.0 Generic Edit Decision List',Work_Start=0,Work_End=500,\r\n"
         "\t[Tracks,\r\n" +
         tracks +
         "\t],\r\n"
         "\t[Clips,\r\n" +
         clips +
         "\t],\r\n"
         "\t[Files,\r\n"
         "\t],\r\n"
         "]\r\n";
}

const char kGoodClips[] =
    "\t\t[ClipID #11,FileID=3,In=0,Out=50],\r\n"
    "\t\t[ClipID #13,FileID=5,In=0,Out=25],\r\n";

std::string VideoTrack(const std::string& records) {
  return "\t\t[Track #0,\r\n\t\t\t[Video],\r\n" + records + "\t\t],\r\n";
}
std::string AudioTrack(const std::string& records) {
  return "\t\t[Track #4,\r\n\t\t\t[Audio,\r\n\t\t\t\t[Mapping=00000011],\r\n\t\t\t],\r\n" + records + "\t\t],\r\n";
}
std::string AudioRecord(int32_t clip, int32_t start, const std::string& band) {
  return "\t\t\t[Track_Record #0, ClipID=" + std::to_string(clip) + ", Start=" + std::to_string(start) +
         ", End=0,\r\n" + band + "\t\t\t],\r\n";
}
std::string Band(const std::string& head, const std::string& points) {
  return "\t\t\t\t" + head + "\r\n" + points + "\t\t\t\t],\r\n";
}
const char kPicture[] = "\t\t\t[Track_Record #0, ClipID=11, Start=0, End=50],\r\n";

class EdlImportTest : public EdlTest {
 protected:
  void SetUp() override {
    EdlTest::SetUp();
    picture_ = Video("/media/picture.avi", 100);
    sound_ = Sound("/media/sound.wav", 8000);
    records_ = new EdlFileRecord{nullptr, 3, picture_->GetFileName(), nullptr, picture_};
    records_ = new EdlFileRecord{records_, 5, sound_->GetFileName(), sound_, nullptr};
    // The test's records hold references of their own, as the frame's do.
    picture_->AddRef();
    sound_->AddRef();
  }
  int ImportText(const std::string& text) {
    const std::string path = FilePath("in.edl");
    WriteFileText(path, text);
    return Import(path);
  }
  filmtest::FakeVideo* picture_ = nullptr;
  filmtest::FakeAudio* sound_ = nullptr;
};

TEST_F(EdlImportTest, AListThatCannotBeTrustedIsAnInvalidFormatAndKeepsWhatCameBefore) {
  const std::string good = AudioRecord(13, 0, "");
  const struct {
    const char* what;
    std::string text;
    int32_t kept;
  } cases[] = {
      {"no clip list", Replace(ListOf(kGoodClips, VideoTrack(kPicture)), "[Clips,", "[Clip,"), 0},
      {"a clip line that does not parse", ListOf("\t\t[ClipID #11,File=3,In=0,Out=50],\r\n", ""), 0},
      {"an unknown file", ListOf("\t\t[ClipID #11,FileID=4,In=0,Out=50],\r\n", ""), 0},
      {"out before in", ListOf("\t\t[ClipID #11,FileID=3,In=20,Out=20],\r\n", ""), 0},
      {"a negative in", ListOf("\t\t[ClipID #11,FileID=3,In=-1,Out=20],\r\n", ""), 0},
      {"a number past 32 bits", ListOf("\t\t[ClipID #11,FileID=3,In=0,Out=4294967346],\r\n", ""), 0},
      {"no track list", Replace(ListOf(kGoodClips, ""), "[Tracks,", "[Track,"), 0},
      {"an unknown clip", ListOf(kGoodClips, VideoTrack(std::string(kPicture) + "\t\t\t[Track_Record #1, ClipID=12, Start=60, End=9],\r\n")), 1},
      {"a negative start", ListOf(kGoodClips, VideoTrack(std::string(kPicture) + "\t\t\t[Track_Record #1, ClipID=11, Start=-5, End=9],\r\n")), 1},
      {"a record that does not parse", ListOf(kGoodClips, VideoTrack(std::string(kPicture) + "\t\t\t[Track_Record #1, Clip=11],\r\n")), 1},
      {"a band without its Max", ListOf(kGoodClips, AudioTrack(good + AudioRecord(13, 100, Band("[RubberBand,", "")))),2},
      {"a band of Max 0", ListOf(kGoodClips, AudioTrack(good + AudioRecord(13, 100, Band("[RubberBand, Max=0,", "")))),2},
      {"a band of a negative Max", ListOf(kGoodClips, AudioTrack(good + AudioRecord(13, 100, Band("[RubberBand, Max=-4,", "")))),2},
      {"a point that does not parse", ListOf(kGoodClips, AudioTrack(good + AudioRecord(13, 100, Band("[RubberBand, Max=1024,", "\t\t\t\t\t[Band_Point #1,h=x,v=3],\r\n")))), 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    AudioFilm(sound_, 3, 9000, 1000);
    Engine().SetModified(false);
    EXPECT_EQ(ImportText(c.text), kErrInvalidFormat);
    EXPECT_EQ(Count(), c.kept);
    EXPECT_TRUE(Engine().IsModified());
  }
}

TEST_F(EdlImportTest, LevelsAreScaledByTheirMaxAndKeptInRange) {
  const std::string points =
      "\t\t\t\t\t[Band_Point #0,h=0,v=1024],\r\n"
      "\t\t\t\t\t[Band_Point #1,h=10,v=99999],\r\n"
      "\t\t\t\t\t[Band_Point #2,h=15,v=-7],\r\n"
      "\t\t\t\t\t[Band_Point #3,h=200,v=4096],\r\n";
  ASSERT_EQ(ImportText(ListOf(kGoodClips, AudioTrack(AudioRecord(13, 0, Band("[RubberBand, Max=2048,", points))))), 0);
  ASSERT_EQ(Count(), 1);
  const Profile& p = Films()[0]->volumePoints;
  ASSERT_EQ(p.Count(), 4);
  EXPECT_EQ(p[0].value, 512) << "Max=2048 with v=1024 is unity";
  EXPECT_EQ(p[1].time, 400);
  EXPECT_EQ(p[1].value, 2047);
  EXPECT_EQ(p[2].time, 600);
  EXPECT_EQ(p[2].value, 0);
  EXPECT_EQ(p[3].time, 8000) << "the last point: the end of the source";
  EXPECT_EQ(p[3].value, 2047);
}

TEST_F(EdlImportTest, TracksBeyondTheTimeLinesAreLeftOutAndAudioLinesAreAdded) {
  std::string tracks;
  for (int i = 0; i < 3; ++i) tracks += VideoTrack(kPicture);
  for (int i = 0; i < 5; ++i) tracks += AudioTrack(AudioRecord(13, 100 * i, Band("[RubberBand, Max=1024,", "")));
  Engine().audioLineCount = 2;
  ASSERT_EQ(ImportText(ListOf(kGoodClips, tracks)), 0);

  std::vector<int32_t> rows, lines;
  for (Film* f : Films()) (f->video ? rows : lines).push_back(f->video ? f->videoRow : f->audioLine);
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(lines, (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(Engine().audioLineCount, 4);
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(Engine().audioPanel[i].mute, 0) << i;
}

TEST_F(EdlImportTest, AnUnknownTrackKindSkipsOnlyItsKindLine) {
  // Its records are then read at the track list's level, where they mean
  // nothing, and its closing line closes the track list.
  const std::string tracks = "\t\t[Track #9,\r\n\t\t\t[Titles],\r\n" + std::string(kPicture) + "\t\t],\r\n" +
                             VideoTrack(kPicture);
  EXPECT_EQ(ImportText(ListOf(kGoodClips, tracks)), 0);
  EXPECT_EQ(Count(), 0);
}

TEST_F(EdlImportTest, LinesEndingInLfAloneReadTheSame) {
  const std::string list = ListOf(kGoodClips, VideoTrack(kPicture) + AudioTrack(AudioRecord(13, 100, "")));
  ASSERT_EQ(ImportText(Replace(list, "\r\n", "\n")), 0);
  std::vector<Film*> films = Films();
  ASSERT_EQ(films.size(), 2u);
  EXPECT_EQ(FramesOf(films[0]), (std::vector<int32_t>{0, 50, 0, 50}));
  EXPECT_EQ(FramesOf(films[1]), (std::vector<int32_t>{100, 125, 0, 25}));
}

TEST_F(EdlImportTest, NothingIsImportedOrClearedWhilePlaying) {
  AudioFilm(sound_, 0, 0, 1000);
  Engine().playing = true;
  EXPECT_EQ(ImportText(ListOf(kGoodClips, VideoTrack(kPicture))), kErrPlaying);
  Engine().playing = false;
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Films()[0]->start, 0);
}

}  // namespace
}  // namespace projectcmdtest
