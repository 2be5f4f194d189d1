#include "model/project_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/installed_components.h"
#include "clips/summary_info.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/mark_list.h"
#include "model/timeline_engine.h"
#include "project_fakes.h"
#include "support/sparse_files.h"
#include "support/test_env.h"

using namespace projecttest;

namespace {

// Records what the project sets outside the time-line.
class TestEnvironment : public ProjectEnvironment {
 public:
  TestEnvironment() { before_ = SetProjectEnvironment(this); }
  ~TestEnvironment() override { SetProjectEnvironment(before_); }
  int32_t TimeFormat() override { return timeFormat; }
  void SetTimeFormat(int32_t format) override { timeFormat = format; }
  float FrameRate() override { return rate; }
  void SetFrameRate(float r) override {
    rate = r;
    SetProjectFrameRate(r);
  }
  ProjectAudioFormat AudioFormat() override { return format; }
  void SetAudioFormat(DWORD r, WORD c, DWORD code) override {
    format.rate = r;
    format.channels = c;
    format.sampleCode = code;
  }
  bool AutoCloseCodec() override { return autoClose; }
  void SetAutoCloseCodec(bool on) override { autoClose = on; }
  void Reset() {
    timeFormat = 0;
    rate = 25.0f;
    format = {};
    autoClose = false;
  }

  int32_t timeFormat = 0;
  float rate = 25.0f;
  ProjectAudioFormat format;
  bool autoClose = false;

 private:
  ProjectEnvironment* before_;
};

class ProjectFile : public ProjectTest {
 protected:
  void SetUp() override {
    ProjectTest::SetUp();
    ASSERT_TRUE(home.ok());
    InstallProjectSummaryRecord();
    InstallProjectComponentRecord();
    ForgetInstalledComponents();
    ProjectMarks.Clear();
    ProjectSummary.Clear(true);
    SummaryDontSave = false;
    base = dir.path() + "/";
    folders = new PathRecord(base.c_str(), true);
  }
  void TearDown() override {
    PathRecord::FreeList(folders);
    SynonymFile::FreeList(moved);
    FreeComponentList(components);
    ForgetInstalledComponents();
    ProjectMarks.Clear();
    ProjectSummary.Clear(true);
    written.Clear();
    read.Clear();
    SetProjectSummaryRecord(nullptr);
    SetProjectComponentRecord(nullptr);
    ProjectTest::TearDown();
  }

  Bytes Save(const char* collection = nullptr) {
    HMMIO file = mmioOpen(dir.Path("p.tml").c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
    EXPECT_NE(file, nullptr);
    EXPECT_TRUE(WriteProject(engine, written.First(), file, base.c_str(), collection));
    mmioClose(file, 0);
    return dir.Read("p.tml");
  }
  int Load(const Bytes& bytes, bool filmsOnly = false) {
    dir.Write("in.tml", bytes);
    return LoadPath(dir.Path("in.tml"), filmsOnly);
  }
  int LoadPath(const std::string& path, bool filmsOnly = false) {
    HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
    EXPECT_NE(file, nullptr);
    const int result =
        ReadProject(other, read, file, folders, &moved, filmsOnly, collectionPath, &components);
    mmioClose(file, 0);
    return result;
  }
  Film* Add(Film* film) {
    Film::Link(film, written);
    return film;
  }
  // A project file around records (the outer record's length follows them).
  static Bytes ProjectOf(const Rec& records) {
    return Cat({Bytes(kProjectSignature, kProjectSignature + kProjectSignatureSize),
                Rec().Nested(kTagProject, records).bytes});
  }

  ScopedSettingsHome home;
  TestEnvironment env;
  TimeLineEngine engine;  // what is written
  TimeLineEngine other;   // what is read into
  FilmListHead written;
  FilmListHead read;
  std::string base;
  PathRecord* folders = nullptr;
  SynonymFile* moved = nullptr;
  char collectionPath[MAX_PATH + 1] = {};
  ComObjectEntry* components = nullptr;
};

Bytes FixtureBytes(const std::string& name) {
  std::ifstream in(std::string(KOBRIX_FIXTURES_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(ProjectFile, AnEmptyProjectIsWrittenAsTheFixtureAndReadsBack) {
  const Bytes bytes = Save();
  const Bytes fixture = FixtureBytes("empty_project.tml");
  ASSERT_FALSE(fixture.empty());
  EXPECT_EQ(bytes, fixture);
  // The records of the outer one, in order; no Film.
  EXPECT_EQ(Tags(bytes, kProjectSignatureSize), std::vector<uint32_t>{kTagProject});
  EXPECT_EQ(Tags(bytes, kProjectSignatureSize + 8),
            (std::vector<uint32_t>{101, 103, 104, 105, 116, 107, 130, 115, 108, 109, 110,
                                   111, 112, 113, 114, 117, 118, 131, 119, 124, 125, 126,
                                   127, 128, 129, 602, 120, 121, 122, 201, 500, 621}));
  EXPECT_EQ(Load(bytes), 0);
  EXPECT_TRUE(read.Empty());
  EXPECT_FALSE(other.IsModified());
}

TEST_F(ProjectFile, AFullProjectReadsBackIntoAnEqualModel) {
  // Three audio lines with their names, flags, zoom, gains, pans and effects.
  engine.audioLineCount = 3;
  const char* names[3] = {"Dialogue", "Music", "Effects"};
  for (int i = 0; i < 3; ++i) {
    TrackRecord& r = engine.audioPanel[i];
    r.SetName(names[i]);
    r.solo = i == 1;
    r.mute = i == 2;
    r.SetZoom(i);
    r.gain = 400 + i * 100;
    r.pan = -100 + i * 90;
  }
  engine.audioPanel[1].effects = Effects();
  engine.masterEffects = Effects();
  engine.videoPanel[0].SetName("Camera A");
  engine.videoPanel[1].SetName("Camera B");
  engine.videoPanel[1].solo = 1;
  engine.videoPanel[0].mute = 1;
  engine.videoPanel[1].SetZoom(2);
  engine.vfxPanel[0].SetZoom(3);
  engine.midiPanel[0].SetName("Keys");
  engine.midiPanel[0].SetZoom(0);
  engine.midiPanel[0].gain = 300;
  engine.midiPanel[0].pan = 12;
  engine.midiPanel[0].mute = 1;
  engine.masterGain = 600;
  engine.masterPan = -40;
  engine.length = 120000;
  engine.alignToFrame = true;
  engine.showMidi = false;
  env.timeFormat = 2;
  env.rate = 29.97f;
  SetProjectFrameRate(29.97f);
  env.format = {44100, 2, 3};
  env.autoClose = true;
  ProjectMarks.AddMark(1000);
  ProjectMarks.AddMark(5000);
  ProjectMarks.SetName(1, "Chorus");
  ProjectSummary.SetField(15, "The project");
  ProjectSummary.SetField(4, "A comment");
  // One installed component for record 621.
  std::ofstream(home.File("registry.txt"))
      << "[HKEY_CLASSES_ROOT\\CLSID\\{12345678-1234-1234-1234-123456789ABC}\\ProgID]\n@=\"KOBRIX.Echo\"\n";

  FakeAudio* a = Audio(dir.Path("media/a.wav"), 20000);
  FakeVideo* v = Video(dir.Path("media/v.avi"), 300, 29.97f);
  FakeMidi* m = Midi(dir.Path("m.mid"), 4000);
  {
    FakeClip clip(nullptr, a, nullptr, 1000, 5000, 4000, "Audio only");
    Add(new Film(clip, 0, kKindAudio, 2, -1))->volume = 800;
  }
  {
    FakeClip clip(v, a, nullptr, 0, 6006, 6006, "Video with audio");
    Film* f = Add(new Film(clip, 10010, kKindAudio | kKindVideo, 0, 0));
    f->volumePoints.Insert(3000, 200);
    f->balancePoints.Insert(2000, -100);
    f->marks.AddMark(1001);
    f->marks.SetName(0, "Clap");
    f->effects = Effects();
  }
  {
    FakeClip clip(nullptr, nullptr, m, 0, 4000, 4000, "Midi");
    Film* f = Add(new Film(clip, 20000, kKindMidi, -1, -1));
    f->tempo = 500;
    f->sourceLength = 2000;
    f->out = 2000;
    f->end = 22000;
  }
  {
    FakeClip clip(v, nullptr, nullptr, 0, 2002, 2002, "Row one");
    Add(new Film(clip, 30030, kKindVideo, -1, 1));
  }
  {
    FakeClip clip(nullptr, a, nullptr, 0, 3000, 3000, "Declick");
    Film* f = Add(new Film(clip, 40000, kKindAudio, 1, -1));
    f->declickIn = true;
    f->declickOut = true;
  }

  const Bytes bytes = Save();
  env.Reset();
  ProjectMarks.Clear();
  ProjectSummary.Clear(true);

  EXPECT_EQ(Load(bytes), 0);
  EXPECT_FALSE(other.IsModified());
  EXPECT_EQ(env.timeFormat, 2);
  EXPECT_FLOAT_EQ(env.rate, 29.97f);
  EXPECT_EQ(env.format.rate, 44100u);
  EXPECT_EQ(env.format.channels, 2);
  EXPECT_EQ(env.format.sampleCode, 3u);
  EXPECT_TRUE(env.autoClose);
  EXPECT_EQ(other.length, 120000);
  EXPECT_EQ(other.audioLineCount, 3);
  EXPECT_TRUE(other.alignToFrame);
  EXPECT_TRUE(other.showVideo);
  EXPECT_TRUE(other.showAudio);
  EXPECT_FALSE(other.showMidi);
  auto sameLine = [](const TrackRecord& x, const TrackRecord& y, bool audio) {
    EXPECT_STREQ(x.name, y.name);
    EXPECT_EQ(x.solo, y.solo);
    EXPECT_EQ(x.mute, y.mute);
    EXPECT_EQ(x.zoom, y.zoom);
    EXPECT_EQ(x.height, y.height);
    if (audio) {
      EXPECT_EQ(x.gain, y.gain);
      EXPECT_EQ(x.pan, y.pan);
      EXPECT_EQ(x.effects != nullptr, y.effects != nullptr);
    }
  };
  for (int i = 0; i < 3; ++i) sameLine(engine.audioPanel[i], other.audioPanel[i], true);
  for (int i = 0; i < 2; ++i) sameLine(engine.videoPanel[i], other.videoPanel[i], false);
  sameLine(engine.midiPanel[0], other.midiPanel[0], true);
  EXPECT_EQ(other.vfxPanel[0].zoom, 3);
  EXPECT_EQ(other.masterGain, 600);
  EXPECT_EQ(other.masterPan, -40);
  EXPECT_NE(other.masterEffects, nullptr);
  ASSERT_EQ(ProjectMarks.Count(), 2);
  EXPECT_EQ(ProjectMarks[1].time, 5000);
  EXPECT_STREQ(ProjectMarks[1].name, "Chorus");
  EXPECT_STREQ(ProjectSummary.GetField(15), "The project");
  EXPECT_STREQ(ProjectSummary.GetField(4), "A comment");
  ASSERT_NE(components, nullptr);
  EXPECT_STREQ(components->progId, "KOBRIX.Echo");

  ASSERT_EQ(read.Count(), 5);
  const Film* w = written.First();
  for (const Film* r = read.First(); r; r = r->next, w = w->next) {
    SCOPED_TRACE(w->name);
    EXPECT_STREQ(r->name, w->name);
    EXPECT_EQ(r->start, w->start);
    EXPECT_EQ(r->end, w->end);
    EXPECT_EQ(r->in, w->in);
    EXPECT_EQ(r->out, w->out);
    EXPECT_EQ(r->sourceLength, w->sourceLength);
    EXPECT_EQ(r->group, w->group);
    EXPECT_EQ(r->video, w->video);
    EXPECT_EQ(r->videoRow, w->videoRow);
    EXPECT_EQ(r->audio, w->audio);
    EXPECT_EQ(r->audioLine, w->audioLine);
    EXPECT_EQ(r->midi, w->midi);
    EXPECT_EQ(r->tempo, w->tempo);
    EXPECT_EQ(r->volume, w->volume);
    EXPECT_EQ(r->balance, w->balance);
    EXPECT_EQ(r->declickIn, w->declickIn);
    EXPECT_EQ(r->declickOut, w->declickOut);
    EXPECT_EQ(r->effects != nullptr, w->effects != nullptr);
    ASSERT_EQ(r->volumePoints.Count(), w->volumePoints.Count());
    for (int32_t k = 0; k < r->volumePoints.Count(); ++k) {
      EXPECT_EQ(r->volumePoints[k].time, w->volumePoints[k].time);
      EXPECT_EQ(r->volumePoints[k].value, w->volumePoints[k].value);
    }
    ASSERT_EQ(r->balancePoints.Count(), w->balancePoints.Count());
    for (int32_t k = 0; k < r->balancePoints.Count(); ++k) {
      EXPECT_EQ(r->balancePoints[k].time, w->balancePoints[k].time);
      EXPECT_EQ(r->balancePoints[k].value, w->balancePoints[k].value);
    }
    ASSERT_EQ(r->marks.Count(), w->marks.Count());
    for (int32_t k = 0; k < r->marks.Count(); ++k) {
      EXPECT_EQ(r->marks[k].time, w->marks[k].time);
      EXPECT_STREQ(r->marks[k].name, w->marks[k].name);
    }
  }
}

TEST_F(ProjectFile, PathsUnderTheProjectFolderAreStoredRelative) {
  FakeAudio* inside = Audio(dir.Path("clips/in.wav"), 5000);
  FakeAudio* outside = Audio("/elsewhere/out.wav", 5000);
  for (FakeAudio* a : {inside, outside}) {
    FakeClip clip(nullptr, a, nullptr, 0, 1000, 1000);
    Add(new Film(clip, a == inside ? 0 : 2000, kKindAudio, 0, -1));
  }
  const Bytes bytes = Save(dir.Path("clips/c.prc").c_str());
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find(std::string("clips/in.wav\0", 13)), std::string::npos);
  EXPECT_EQ(text.find(dir.Path("clips/in.wav")), std::string::npos);
  EXPECT_NE(text.find(std::string("/elsewhere/out.wav\0", 19)), std::string::npos);
  EXPECT_NE(text.find(std::string("clips/c.prc\0", 12)), std::string::npos);
  EXPECT_EQ(Load(bytes), 0);
  ASSERT_EQ(read.Count(), 2);
  EXPECT_EQ(read.First()->audio, inside);
  EXPECT_EQ(read.Last()->audio, outside);
  EXPECT_EQ(std::string(collectionPath), dir.Path("clips/c.prc"));

  // A stored path with the other separator, read against the folder.
  std::memset(collectionPath, 0, sizeof collectionPath);
  EXPECT_EQ(Load(ProjectOf(Rec().Text(kTagCollectionPath, "clips\\a.prc"))), 0);
  EXPECT_EQ(std::string(collectionPath), dir.Path("clips/a.prc"));
}

TEST_F(ProjectFile, LoadsStopAtBrokenStructure) {
  const Bytes signature(kProjectSignature, kProjectSignature + kProjectSignatureSize);
  Bytes wrongCase = signature;
  wrongCase[0] = 't';
  Bytes noNul = signature;
  noNul[33] = ' ';
  struct Case {
    const char* what;
    Bytes file;
    int result;
    bool untouched = false;  // stopped before anything was read
  };
  const Case cases[] = {
      {"a short signature", Bytes(signature.begin(), signature.begin() + 20), 19, true},
      {"a signature in other letters", Cat({wrongCase, Rec().Nested(100, Rec()).bytes}), 6, true},
      {"a signature without its NUL", Cat({noNul, Rec().Nested(100, Rec()).bytes}), 6, true},
      {"no record 100", Cat({signature, Rec().Scalar(103, 5).bytes}), 6},
      {"no record at all", signature, 6},
      {"record 100 after another one",
       Cat({signature, Rec().Scalar(7, 1).Nested(100, Rec().Scalar(103, 5)).bytes}), 0},
      {"a negative length before record 100", Cat({signature, Rec().Head(7, 0xFFFFFFF0u).bytes}), 6},
      {"a negative length inside", ProjectOf(Rec().Head(103, 0xFFFFFFFFu)), 6},
      {"a short header", Cat({signature, Rec().Head(100, 20).Data(Le32(103)).bytes}), 19},
      {"a short value", Cat({signature, Rec().Head(100, 12).Head(103, 4).Data({1, 2}).bytes}), 19},
      // The load would otherwise end there as if the project were whole.
      {"a record reaching past record 100",
       Cat({signature, Rec().Head(100, 12).Head(101, 0x01000004u).Data(Le32(0x00010001)).Scalar(103, 5).bytes}), 6},
      {"a head across the end of record 100",
       Cat({signature, Rec().Head(100, 15).Scalar(103, 5).Scalar(104, 1).bytes}), 6},
      {"a record passed over to past the end of the file",
       Cat({signature, Rec().Head(100, 100).Head(7, 92).Data(Bytes(10, 0)).bytes}), 19},
      {"a name container holding another tag", ProjectOf(Rec().Nested(kTagAudioNames, Rec().Scalar(124, 1))),
       6},
      {"a name of 129 bytes", ProjectOf(Rec().Nested(kTagVideoNames, Rec().Raw(123, Bytes(129, 'n')))), 6},
      {"a name of 0 bytes", ProjectOf(Rec().Nested(kTagMidiNames, Rec().Raw(123, {}))), 6},
      {"a name reaching past its container",
       ProjectOf(Rec().Raw(kTagAudioNames, Cat({Le32(123), Le32(30), Bytes(4, 'a')})).Data(Bytes(40, 0))), 6},
      {"a line effect record of another tag", ProjectOf(Rec().Nested(kTagLineEffects, Rec().Raw(601, {}))),
       6},
      {"a line effect record past its container",
       ProjectOf(Rec().Raw(kTagLineEffects, Cat({Le32(600), Le32(100)})).Data(Bytes(120, 0))), 6},
      {"a negative line effect length",
       ProjectOf(Rec().Raw(kTagLineEffects, Cat({Le32(600), Le32(0x80000000u)}))), 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    other.audioPanel[0].SetName("before");
    EXPECT_EQ(Load(c.file), c.result);
    if (c.untouched) {
      EXPECT_STREQ(other.audioPanel[0].name, "before");
    }
  }
}

// Zeros where records should be end the load at once: a blanked or sparse
// file of 64 GB is not read eight bytes a step for as long as it is.
TEST_F(ProjectFile, ZerosWhereRecordsShouldBeEndTheLoadAtOnce) {
  const Bytes signature(kProjectSignature, kProjectSignature + kProjectSignatureSize);
  const Rec project = Rec().Head(kTagProject, 0x7FFFFFF0u);
  const struct {
    const char* what;
    Bytes head;
  } cases[] = {
      {"after the signature", signature},
      {"in the project record", Cat({signature, project.bytes})},
      {"in a clip", Cat({signature, Rec(project).Head(kTagFilm, 0x70000000u).bytes})},
      {"in the summary", Cat({signature, Rec(project).Head(kTagSummary, 0x70000000u).bytes})},
      {"in the component list", Cat({signature, Rec(project).Head(kTagComponents, 0x70000000u).bytes})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.Path("zeros.tml");
    if (!WriteSparseFile(path, c.head)) GTEST_SKIP() << "no sparse file of 64 GB here";
    // A second of processor time; walking the zeros takes minutes of it.
    EXPECT_TRUE(EndsWithin(std::chrono::milliseconds(1000), [&] { return LoadPath(path) == 6; }));
  }
}

TEST_F(ProjectFile, ValuesOutOfRangeAreNotApplied) {
  struct Case {
    const char* what;
    Rec records;
    int result;
    std::function<void()> check;
  };
  const Case cases[] = {
      {"4 lines at most", Rec().Scalar(104, 6), 0, [&] { EXPECT_EQ(other.audioLineCount, 4); }},
      {"2 lines", Rec().Scalar(104, 2), 0, [&] { EXPECT_EQ(other.audioLineCount, 2); }},
      {"0 lines", Rec().Scalar(104, 0), 6, [&] { EXPECT_EQ(other.audioLineCount, 4); }},
      {"200 lines", Rec().Scalar(104, 200), 6, [&] { EXPECT_EQ(other.audioLineCount, 4); }},
      {"a negative length", Rec().Scalar(103, -5), 6, [&] { EXPECT_EQ(other.length, 60000); }},
      {"a length past a day", Rec().Scalar(103, kDayMs + 1), 6, [&] { EXPECT_EQ(other.length, 60000); }},
      {"time format 3", Rec().Scalar(105, 3), 6, [&] { EXPECT_EQ(env.timeFormat, 0); }},
      {"a frame rate of 0", Rec().Raw(116, Le32(0)), 6, [&] { EXPECT_FLOAT_EQ(env.rate, 25.0f); }},
      {"a frame rate that is no number", Rec().Raw(116, Le32(0x7FC00000u)), 6,
       [&] { EXPECT_FLOAT_EQ(env.rate, 25.0f); }},
      {"a frame rate of 3 bytes", Rec().Raw(116, {0, 0, 0xC8}), 6, [&] { EXPECT_FLOAT_EQ(env.rate, 25.0f); }},
      {"zoom step 40", Rec().Raw(117, Cat({Le32(2), Le32(40)})), 6,
       [&] {
         EXPECT_EQ(other.audioPanel[0].zoom, 2);
         EXPECT_EQ(other.audioPanel[1].zoom, 1);
       }},
      {"a video zoom of -1", Rec().Raw(118, Cat({Le32(0xFFFFFFFFu), Le32(3)})), 6,
       [&] {
         EXPECT_EQ(other.videoPanel[0].zoom, 1);
         EXPECT_EQ(other.videoPanel[1].zoom, 3);
       }},
      {"a VFX zoom of 9", Rec().Scalar(131, 9), 6, [&] { EXPECT_EQ(other.vfxPanel[0].zoom, 1); }},
      {"a gain of 5000", Rec().Raw(124, Cat({Le32(5000)})), 6, [&] { EXPECT_EQ(other.audioPanel[0].gain, 512); }},
      {"a pan of 300", Rec().Scalar(129, 300), 6, [&] { EXPECT_EQ(other.masterPan, 0); }},
      {"arrays longer than the lines", Rec().Raw(110, Cat({Le32(1), Le32(0), Le32(1), Le32(1), Le32(1), Le32(1)})),
       0,
       [&] {
         EXPECT_EQ(other.audioPanel[0].mute, 1);
         EXPECT_EQ(other.audioPanel[3].mute, 1);
       }},
      {"a MIDI gain of 2 bytes", Rec().Raw(126, {0x2C, 0x01}), 0, [&] { EXPECT_EQ(other.midiPanel[0].gain, 300); }},
      {"a master gain of 5 bytes", Rec().Raw(128, Bytes(5, 1)), 6, [&] { EXPECT_EQ(other.masterGain, 512); }},
      {"the older audio format", Rec().Raw(107, Cat({Le32(11025), Bytes{1, 0, 8, 0}})), 0,
       [&] {
         EXPECT_EQ(env.format.rate, 11025u);
         EXPECT_EQ(env.format.sampleCode, 1u);
       }},
      {"an audio format of 12 bytes", Rec().Raw(107, Bytes(12, 0)), 6, [&] { EXPECT_EQ(env.format.rate, 22050u); }},
      {"a collection path of 261 bytes", Rec().Raw(102, Bytes(261, 'c')), 6,
       [&] { EXPECT_STREQ(collectionPath, "untouched"); }},
      {"unknown records and the top-level 106 and 123", Rec().Scalar(106, 1).Text(123, "x").Raw(999, Bytes(3, 0)),
       0, nullptr},
      {"shown groups", Rec().Scalar(108, 5), 0,
       [&] {
         EXPECT_TRUE(other.showVideo);
         EXPECT_FALSE(other.showAudio);
         EXPECT_TRUE(other.showMidi);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    other.audioLineCount = 4;
    other.length = 60000;
    env.Reset();
    std::strcpy(collectionPath, "untouched");
    // The record of interest, then one that shows the load went on.
    EXPECT_EQ(Load(ProjectOf(Rec(c.records).Nested(kTagMidiNames, Rec().Text(123, "after")))), c.result);
    EXPECT_STREQ(other.midiPanel[0].name, "after");
    if (c.check) c.check();
  }
}

TEST_F(ProjectFile, TheLineStateIsResetFirst) {
  other.audioPanel[2].SetName("old");
  other.audioPanel[2].solo = 1;
  other.audioPanel[2].gain = 100;
  other.audioPanel[2].SetZoom(3);
  FakeEffects* held = Effects();
  held->openCount = 1;
  other.audioPanel[2].effects = held;
  other.masterGain = 99;
  env.autoClose = true;
  other.length = 1234;
  EXPECT_EQ(Load(ProjectOf(Rec())), 0);
  EXPECT_STREQ(other.audioPanel[2].name, "");
  EXPECT_EQ(other.audioPanel[2].solo, 0);
  EXPECT_EQ(other.audioPanel[2].gain, 512);
  EXPECT_EQ(other.audioPanel[2].zoom, 1);
  EXPECT_EQ(other.audioPanel[2].height, 48);
  EXPECT_EQ(other.audioPanel[2].effects, nullptr);
  EXPECT_EQ(held->refs, 0);
  EXPECT_EQ(held->openCount, 0);
  EXPECT_EQ(other.masterGain, 512);
  EXPECT_FALSE(env.autoClose);
  EXPECT_EQ(other.length, 1234);  // kept unless a record sets it
}

// One Film record holding records.
Rec FilmRecord(const Rec& records) {
  return Rec().Nested(kTagFilm, records);
}

Rec AudioFilm(const std::string& path, int32_t start, int32_t line = 0) {
  return Rec()
      .Text(401, "clip")
      .Scalar(402, start)
      .Scalar(403, start + 1000)
      .Scalar(405, 0)
      .Scalar(406, 1000)
      .Scalar(407, 5000)
      .Text(461, path)
      .Scalar(462, line);
}

TEST_F(ProjectFile, FailingFilmsAreDroppedAndTheRestLoads) {
  Audio(dir.Path("a.wav"), 5000);
  const Rec records = Rec()
                          .Data(FilmRecord(AudioFilm("a.wav", 0)).bytes)
                          .Data(FilmRecord(AudioFilm("a.wav", 2000).Points(301, {{0, 5}})).bytes)
                          .Data(FilmRecord(AudioFilm("a.wav", 4000, 7)).bytes)
                          .Data(FilmRecord(Rec().Scalar(402, 0)).bytes)
                          .Data(FilmRecord(AudioFilm("a.wav", 6000)).bytes);
  EXPECT_EQ(Load(ProjectOf(records)), 6);
  EXPECT_TRUE(other.IsModified());
  ASSERT_EQ(read.Count(), 2);
  EXPECT_EQ(read.First()->start, 0);
  EXPECT_EQ(read.Last()->start, 6000);

  // A repaired Film is linked; the load says nothing but the project changed.
  read.Clear();
  other.SetModified(false);
  const Rec repaired = FilmRecord(AudioFilm("a.wav", 0).Scalar(406, 900));
  EXPECT_EQ(Load(ProjectOf(repaired)), 0);
  EXPECT_TRUE(other.IsModified());
  ASSERT_EQ(read.Count(), 1);
  EXPECT_EQ(read.First()->out, 1000);
}

TEST_F(ProjectFile, OneMissingFileSharedByFiveFilmsIsAskedForOnce) {
  Rec records;
  for (int i = 0; i < 5; ++i) records.Data(FilmRecord(AudioFilm("gone.wav", i * 2000)).bytes);
  FakeAudio* found = Audio(dir.Path("new/gone.wav"), 5000);
  locator.answers.push_back({kLocateChosen, dir.Path("new/gone.wav")});
  EXPECT_EQ(Load(ProjectOf(records)), 0);
  EXPECT_EQ(locator.asked.size(), 1u);
  ASSERT_EQ(read.Count(), 5);
  for (Film* f = read.First(); f; f = f->next) EXPECT_EQ(f->audio, found);
  EXPECT_TRUE(other.IsModified());
}

TEST_F(ProjectFile, SkipAllStopsTheQuestionsAndCancelDropsTheRest) {
  Audio(dir.Path("here.wav"), 5000);
  // Skip all: later missing files are not asked for; their Films have no
  // source left and go without a report.
  Rec records = Rec()
                    .Data(FilmRecord(AudioFilm("one.wav", 0)).bytes)
                    .Data(FilmRecord(AudioFilm("two.wav", 2000)).bytes)
                    .Data(FilmRecord(AudioFilm("here.wav", 4000)).bytes);
  locator.answers.push_back({kLocateSkipAll, ""});
  EXPECT_EQ(Load(ProjectOf(records)), 0);
  EXPECT_EQ(locator.asked.size(), 1u);
  ASSERT_EQ(read.Count(), 1);
  EXPECT_EQ(read.First()->start, 4000);

  // Cancel: that Film and every later one are dropped; the result does not
  // say so, and the project's records before them still load.
  read.Clear();
  locator.asked.clear();
  Rec cancelled = Rec()
                      .Scalar(103, 7777)
                      .Data(FilmRecord(AudioFilm("here.wav", 0)).bytes)
                      .Data(FilmRecord(AudioFilm("three.wav", 2000)).bytes)
                      .Data(FilmRecord(AudioFilm("here.wav", 4000)).bytes)
                      .Data(FilmRecord(AudioFilm("four.wav", 6000)).bytes);
  locator.answers.push_back({kLocateCancel, ""});
  EXPECT_EQ(Load(ProjectOf(cancelled)), 0);
  EXPECT_EQ(locator.asked.size(), 1u);
  EXPECT_EQ(other.length, 7777);
  ASSERT_EQ(read.Count(), 1);
  EXPECT_EQ(read.First()->start, 0);
}

TEST_F(ProjectFile, AGoodComponentListDoesNotHideAnEarlierFailure) {
  const Rec list = Rec().Nested(kTagComponents, Rec().Raw(622, Cat({Bytes(16, 7), Bytes{'K', 0}})));
  EXPECT_EQ(Load(ProjectOf(Rec().Scalar(103, -1).Data(list.bytes))), 6);
  ASSERT_NE(components, nullptr);
  EXPECT_STREQ(components->progId, "K");
  FreeComponentList(components);
  components = nullptr;
  // A failing list is reported.
  EXPECT_EQ(Load(ProjectOf(Rec().Nested(kTagComponents, Rec().Raw(622, Bytes(3, 0))))), 6);
}

// The summary and the component list belong to folders above the model:
// until their owners are installed the file leaves those records alone.
TEST_F(ProjectFile, WithoutTheirOwnersSummaryAndComponentsAreLeftAlone) {
  SetProjectSummaryRecord(nullptr);
  SetProjectComponentRecord(nullptr);
  ProjectSummary.SetField(15, "Kept");
  const Bytes bytes = Save();
  const std::vector<uint32_t> tags = Tags(bytes, kProjectSignatureSize + 8);
  EXPECT_EQ(std::count(tags.begin(), tags.end(), uint32_t{kTagSummary}), 0);
  EXPECT_EQ(std::count(tags.begin(), tags.end(), uint32_t{kTagComponents}), 0);
  // A broken component list is passed over by its length, not reported.
  const Rec records = Rec()
                          .Raw(kTagSummary, Bytes(5, 0xFF))
                          .Nested(kTagComponents, Rec().Raw(622, Bytes(3, 0)))
                          .Scalar(103, 7777);
  EXPECT_EQ(Load(ProjectOf(records)), 0);
  EXPECT_EQ(components, nullptr);
  EXPECT_EQ(other.length, 7777);
  EXPECT_STREQ(ProjectSummary.GetField(15), "Kept");
}

TEST_F(ProjectFile, CopyFromFileReadsTheFilmsOnly) {
  Audio(dir.Path("a.wav"), 5000);
  other.audioPanel[0].SetName("kept");
  other.length = 4321;
  const Rec records = Rec()
                          .Scalar(103, 9999)
                          .Nested(kTagAudioNames, Rec().Text(123, "not read"))
                          .Raw(120, Bytes(3, 0))  // broken, but not read either
                          .Data(FilmRecord(AudioFilm("a.wav", 0)).bytes);
  EXPECT_EQ(Load(ProjectOf(records), true), 0);
  EXPECT_STREQ(other.audioPanel[0].name, "kept");
  EXPECT_EQ(other.length, 4321);
  EXPECT_EQ(read.Count(), 1);
}

TEST_F(ProjectFile, SavingReplacesTheOldFileOnlyWhenEverythingWasWritten) {
  const std::string path = dir.Path("saved.tml");
  {
    std::ofstream old(path, std::ios::binary);
    old << "the previous project";
  }
  chmod(path.c_str(), 0640);
  EXPECT_TRUE(SaveProjectFile(engine, written.First(), path.c_str(), base.c_str(), nullptr));
  const Bytes saved = dir.Read("saved.tml");
  EXPECT_EQ(saved, FixtureBytes("empty_project.tml"));
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  // A failing write leaves the saved file as it was and no temporary file.
  class FailingEffects : public FakeProjectMedia {
   public:
    using FakeProjectMedia::FakeProjectMedia;
    bool WriteEffects(HMMIO, EffectChain*) override { return false; }
  };
  {
    FailingEffects failing(media, [this] { return Effects(); });
    engine.masterEffects = Effects();
    EXPECT_FALSE(SaveProjectFile(engine, written.First(), path.c_str(), base.c_str(), nullptr));
    engine.masterEffects->Release();
    engine.masterEffects = nullptr;
  }
  EXPECT_EQ(dir.Read("saved.tml"), saved);
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    entries += e.path().filename() != "p.tml";
  EXPECT_EQ(entries, 1);

  // A new file gets the usual permissions.
  const mode_t mask = umask(022);
  EXPECT_TRUE(SaveProjectFile(engine, nullptr, dir.Path("new.tml").c_str(), base.c_str(), nullptr));
  umask(mask);
  ASSERT_EQ(stat(dir.Path("new.tml").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(ProjectFile, SavingThroughALinkKeepsTheLink) {
  const std::string target = dir.Path("real.tml");
  const std::string link = dir.Path("link.tml");
  {
    std::ofstream old(target, std::ios::binary);
    old << "the previous project";
  }
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  EXPECT_TRUE(SaveProjectFile(engine, written.First(), link.c_str(), base.c_str(), nullptr));
  struct stat info;
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(dir.Read("real.tml"), FixtureBytes("empty_project.tml"));
}

}  // namespace
