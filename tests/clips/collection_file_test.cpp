// The ".prc" file: what the writer stores, what the reader takes back, and
// what a damaged file or a missing media file leaves in the collection.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "collection_fixture.h"
#include "media/wave_overview.h"
#include "model/path_record.h"
#include "support/file_bytes.h"
#include "support/sparse_files.h"

namespace cliptest {
namespace {

// ---- Records, as a test reads and builds them.

uint32_t Le32(const Bytes& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

void Append32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// size: what the header says, when not the body's own.
Bytes Record(uint32_t id, const Bytes& body, std::optional<int32_t> size = std::nullopt) {
  Bytes b;
  Append32(b, id);
  Append32(b, static_cast<uint32_t>(size.value_or(static_cast<int32_t>(body.size()))));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

Bytes Scalar(uint32_t id, int32_t v, int size = 4) {
  Bytes body;
  Append32(body, static_cast<uint32_t>(v));
  body.resize(static_cast<size_t>(size));
  return Record(id, body);
}

Bytes Text(uint32_t id, const std::string& text) {
  Bytes body(text.begin(), text.end());
  body.push_back(0);
  return Record(id, body);
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Header() {
  const char text[] = "ClipCollection Project (c) Firm Tarnlex";
  return Bytes(text, text + sizeof text);
}

// A sound clip's record: name, path, times, kinds, sources.
Bytes SoundClip(const std::string& name, const std::string& path, int32_t length) {
  return Text(1101, name) + Text(1102, path) + Scalar(1104, 0) + Scalar(1105, length) + Scalar(1106, length) +
         Scalar(1107, length) + Scalar(1109, 2) + Scalar(1110, 2);
}

Bytes File(const Bytes& records) {
  return Header() + Record(1000, Scalar(1001, 0x00010001) + records);
}

// The records of data laid one after the other from at to end.
struct Rec {
  uint32_t id;
  size_t data;
  uint32_t size;
};
std::vector<Rec> Records(const Bytes& b, size_t at, size_t end) {
  std::vector<Rec> out;
  while (at + 8 <= end) {
    const Rec r{Le32(b, at), at + 8, Le32(b, at + 4)};
    out.push_back(r);
    at = r.data + r.size;
  }
  return out;
}
std::vector<uint32_t> Ids(const std::vector<Rec>& records) {
  std::vector<uint32_t> ids;
  for (const Rec& r : records) ids.push_back(r.id);
  return ids;
}
// The clip records of a written file.
std::vector<Rec> Clips(const Bytes& b) {
  std::vector<Rec> clips;
  for (const Rec& r : Records(b, 48, b.size()))
    if (r.id == 1100) clips.push_back(r);
  return clips;
}
std::string PathOf(const Bytes& b, const Rec& clip) {
  for (const Rec& r : Records(b, clip.data, clip.data + clip.size))
    if (r.id == 1102) return std::string(reinterpret_cast<const char*>(&b[r.data]));
  return "<none>";
}

// The missing-file questions, answered by a script.
class Questions : public MissingFileQuestions {
 public:
  Questions() { before_ = SetMissingFileQuestions(this); }
  ~Questions() override { SetMissingFileQuestions(before_); }
  int AskFile(HWND, const char* caption, char* path, int) override {
    asked.push_back(path);
    this->caption = caption;
    return answer(path);
  }
  int SelectFile(HWND owner, const char* caption, char* path, int index, const PathRecord*) override {
    return AskFile(owner, caption, path, index);
  }
  std::function<int(char*)> answer = [](char*) { return kLocateSkip; };
  std::vector<std::string> asked;
  std::string caption;

 private:
  MissingFileQuestions* before_;
};

class CollectionFileTest : public CollectionTest {
 protected:
  bool Save(const std::string& path, const std::string& directory, bool keep = false) {
    HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
    if (file == nullptr) return false;
    const bool ok = collection_->Write(file, directory.c_str(), keep);
    mmioClose(file, 0);
    return ok;
  }
  // Reads path with its folder as the first remembered one.
  int Load(const std::string& path) {
    HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
    if (file == nullptr) return -1;
    PathRecord* folders = new PathRecord(path.c_str(), false);
    const int result = collection_->Read(file, folders, &moved_, &reason_);
    mmioClose(file, 0);
    PathRecord::FreeList(folders);
    return result;
  }
  int LoadBytes(const Bytes& bytes) {
    const std::string path = Media("test.prc");
    WriteFileBytes(path, bytes);
    return Load(path);
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int i = 0; i < collection_->TileCount(); ++i) names.push_back(collection_->Tile(i)->clip.name);
    return names;
  }
  void TearDown() override {
    CollectionTest::TearDown();
    SynonymFile::FreeList(moved_);
  }

  SynonymFile* moved_ = nullptr;
  // Why the last load's result is not 0.
  std::string reason_;
};

TEST_F(CollectionFileTest, AnEmptyCollectionIsTheSixtyBytesOfItsFormat) {
  Open();
  collection_->SetModified(true);
  const std::string path = Media("empty.prc");
  ASSERT_TRUE(Save(path, Media("")));
  EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(std::string(KOBRIX_FIXTURES_DIR) + "/empty_collection.prc"));
  EXPECT_FALSE(collection_->IsModified());
  // Asked to, the writer leaves the flag.
  collection_->SetModified(true);
  ASSERT_TRUE(Save(path, "", true));
  EXPECT_TRUE(collection_->IsModified());
  collection_->SetModified(false);
  EXPECT_EQ(Load(path), 0);
  EXPECT_EQ(collection_->TileCount(), 0);
  EXPECT_FALSE(collection_->IsModified());
}

TEST_F(CollectionFileTest, ClipsComeBackWithTheirPicturesAndWaveforms) {
  if (!HaveTool("ffmpeg") || !HaveTool("sox")) GTEST_SKIP() << "ffmpeg or sox is not installed";
  const std::string avi = Media("interview.avi"), wav = Media("music.wav");
  ASSERT_TRUE(
      RunCommand("ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i "
                 "sine=frequency=440:sample_rate=44100 -t 2 -c:v mjpeg -q:v 3 -c:a pcm_s16le -ac 2 '" +
                 avi + "'"));
  ASSERT_TRUE(RunCommand("sox -n -r 44100 -c 2 -b 16 '" + wav + "' synth 1.5 sine 300 2>/dev/null"));
  Open();
  ASSERT_TRUE(collection_->AddFile(avi.c_str(), -1, 0));
  ASSERT_TRUE(collection_->AddFile(wav.c_str(), -1, 0));
  ClipData& picture = collection_->Tile(0)->clip;
  picture.inTime = 200;
  picture.outTime = 1600;
  picture.duration = 1000;
  std::strcpy(picture.name, "The interview");
  for (int i = 0; i < 2; ++i) FillWaveform(collection_->Tile(i)->clip.audio);
  AudioData* sound = collection_->Tile(1)->clip.audio;
  ASSERT_TRUE(sound->peakBlock1);
  const Bytes peaks(sound->peakBlock1.get(), sound->peakBlock1.get() + sound->peakByteCount);

  struct Kept {
    std::string name, path;
    int32_t in, out, duration, length, face;
    uint32_t kind;
    Bytes pixels;
    float rate;
  };
  std::vector<Kept> before;
  for (int i = 0; i < 2; ++i) {
    const ClipData& c = collection_->Tile(i)->clip;
    before.push_back({c.name, c.path, c.inTime, c.outTime, c.duration, c.sourceLength, c.faceTime, c.kind,
                      Bytes(c.pixels, c.pixels + sizeof c.pixels), c.video ? c.video->GetFrameRate() : 0.0f});
  }
  // The picture was decoded: not all black.
  EXPECT_NE(std::count(before[0].pixels.begin(), before[0].pixels.end(), 0),
            static_cast<long>(kThumbnailBytes));
  const std::string prc = Media("session.prc");
  ASSERT_TRUE(Save(prc, Media("")));
  const Bytes written = ReadFileBytes(prc);

  // What each clip stored: the sound keeps no picture, type, face or rate.
  const std::vector<Rec> clips = Clips(written);
  ASSERT_EQ(clips.size(), 2u);
  EXPECT_EQ(Ids(Records(written, clips[0].data, clips[0].data + clips[0].size)),
            (std::vector<uint32_t>{1101, 1102, 1104, 1105, 1106, 1107, 1109, 1110, 1111, 1108, 1103, 1112}));
  EXPECT_EQ(Ids(Records(written, clips[1].data, clips[1].data + clips[1].size)),
            (std::vector<uint32_t>{1101, 1102, 1104, 1105, 1106, 1107, 1109, 1110}));
  EXPECT_EQ(PathOf(written, clips[0]), "interview.avi");
  // Both sounds are used by a tile: two waveforms.
  const std::vector<Rec> top = Records(written, 48, written.size());
  EXPECT_EQ(Ids(top), (std::vector<uint32_t>{1001, 1100, 1100, 1200, 1200}));
  EXPECT_EQ(Le32(written, 44), written.size() - 48);

  // Into an empty window, with nothing of the files open any more.
  ASSERT_TRUE(collection_->DeleteAll(false));
  ASSERT_EQ(AudioData::FindByName(wav.c_str()), nullptr);
  ASSERT_EQ(AVIVideoData::FindByName(avi.c_str()), nullptr);
  collection_->SetModified(false);
  ASSERT_EQ(Load(prc), 0);
  EXPECT_FALSE(collection_->IsModified());
  ASSERT_EQ(collection_->TileCount(), 2);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const ClipData& c = collection_->Tile(i)->clip;
    const Kept& k = before[static_cast<size_t>(i)];
    EXPECT_EQ(std::string(c.name), k.name);
    EXPECT_EQ(std::string(c.path), k.path);
    EXPECT_EQ(c.inTime, k.in);
    EXPECT_EQ(c.outTime, k.out);
    EXPECT_EQ(c.duration, k.duration);
    EXPECT_EQ(c.sourceLength, k.length);
    EXPECT_EQ(c.faceTime, k.face);
    EXPECT_EQ(c.kind, k.kind);
    EXPECT_EQ(Bytes(c.pixels, c.pixels + sizeof c.pixels), k.pixels);
    EXPECT_EQ(c.video ? c.video->GetFrameRate() : 0.0f, k.rate);
  }
  // The overview came from the file: no scan ran.
  AudioData* read = collection_->Tile(1)->clip.audio;
  ASSERT_TRUE(read->peakBlock1);
  EXPECT_EQ(Bytes(read->peakBlock1.get(), read->peakBlock1.get() + read->peakByteCount), peaks);
}

TEST_F(CollectionFileTest, PathsUnderTheFolderAreStoredRelativeAndAMovedFolderStillLoads) {
  const std::string folder = Media("work"), sibling = Media("work2");
  std::filesystem::create_directories(folder + "/sounds");
  std::filesystem::create_directories(sibling);
  // The longest path a buffer holds: 259 characters.
  const std::string deep = folder + "/" + std::string(100, 'd');
  std::filesystem::create_directories(deep);
  const std::string longest = deep + "/" + std::string(259 - deep.size() - 5, 'l') + ".wav";
  ASSERT_EQ(longest.size(), 259u);
  const std::string inside = folder + "/sounds/a.wav", outside = sibling + "/b.wav";
  WriteWave(inside, 44100, 2, 16, 400);
  WriteWave(outside, 44100, 2, 16, 500);
  WriteWave(longest, 44100, 2, 16, 600);
  Open();
  for (const std::string& p : {inside, outside, longest}) ASSERT_TRUE(collection_->AddFile(p.c_str(), -1, 0));

  const std::string prc = folder + "/c.prc";
  ASSERT_TRUE(Save(prc, folder + "/"));
  Bytes written = ReadFileBytes(prc);
  std::vector<Rec> clips = Clips(written);
  ASSERT_EQ(clips.size(), 3u);
  EXPECT_EQ(PathOf(written, clips[0]), "sounds/a.wav");
  EXPECT_EQ(PathOf(written, clips[1]), outside);  // "work2" only begins like "work"
  EXPECT_EQ(PathOf(written, clips[2]), longest.substr(folder.size() + 1));
  // Without a folder (the autosave) every path is whole.
  ASSERT_TRUE(Save(Media("auto.prc"), ""));
  written = ReadFileBytes(Media("auto.prc"));
  clips = Clips(written);
  EXPECT_EQ(PathOf(written, clips[0]), inside);
  EXPECT_EQ(PathOf(written, clips[2]), longest);

  // The folder moves with its media; the collection finds them there.
  ASSERT_TRUE(collection_->DeleteAll(false));
  const std::string moved = Media("kept");
  std::filesystem::rename(folder, moved);
  Questions questions;
  ASSERT_EQ(Load(moved + "/c.prc"), 0);
  EXPECT_TRUE(questions.asked.empty());
  ASSERT_EQ(collection_->TileCount(), 3);
  EXPECT_EQ(std::string(collection_->Tile(0)->clip.path), moved + "/sounds/a.wav");
  EXPECT_EQ(std::string(collection_->Tile(1)->clip.path), outside);
  EXPECT_EQ(collection_->Tile(2)->clip.sourceLength, 600);
}

// Zeros where records should be end the read at once: a blanked or sparse
// file of 64 GB is not read eight bytes a step for as long as it is.
TEST_F(CollectionFileTest, ZerosWhereRecordsShouldBeEndTheReadAtOnce) {
  Open();
  const auto collection = [](const Bytes& head) {
    return Header() + Record(1000, Scalar(1001, 0x00010001) + head, 0x7FFFFFF0);
  };
  const struct {
    const char* what;
    Bytes head;
  } cases[] = {
      {"after the header", Header()},
      {"in the collection record", collection({})},
      {"in a clip", collection(Record(1100, {}, 0x70000000))},
      {"in a waveform", collection(Record(1200, {}, 0x70000000))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = Media("zeros.prc");
    if (!WriteSparseFile(path, c.head)) GTEST_SKIP() << "no sparse file of 64 GB here";
    // A second of processor time; walking the zeros takes minutes of it.
    EXPECT_TRUE(EndsWithin(std::chrono::milliseconds(1000), [&] { return Load(path) == 6; }));
  }
}

TEST_F(CollectionFileTest, ADamagedFileKeepsWhatCameBeforeTheDamage) {
  Wave("a.wav", 1000);
  Wave("b.wav", 1000);
  Wave("c.wav", 1000);
  const Bytes clipA = Record(1100, SoundClip("A", "a.wav", 1000));
  const Bytes clipC = Record(1100, SoundClip("C", "c.wav", 1000));
  auto clipB = [](const Bytes& extra) { return Record(1100, SoundClip("B", "b.wav", 1000) + extra); };
  auto rawB = [](const Bytes& records) { return Record(1100, Text(1101, "B") + records); };
  const Bytes soundB = Scalar(1104, 0) + Scalar(1105, 1000) + Scalar(1106, 1000) + Scalar(1107, 1000) +
                       Scalar(1109, 2) + Scalar(1110, 2);
  const Bytes version = Scalar(1001, 0x00010001);
  Bytes flipped = File(clipA);
  flipped[5] ^= 0x20;
  Bytes noNul = File(clipA);
  noNul[39] = ' ';
  Bytes cut = File(clipA + clipB({}) + clipC);
  cut.resize(48 + version.size() + clipA.size() + 30);
  // A sub-record claiming more than its clip holds.
  Bytes overrun;
  Append32(overrun, 1150);
  Append32(overrun, 100);
  Append32(overrun, 0);
  const std::string name127(127, 'n');
  // Where the records of the files below begin.
  const size_t atB = 48 + version.size() + clipA.size();
  const auto byte = [](size_t at) { return " at byte " + std::to_string(at); };
  struct Case {
    const char* what;
    Bytes file;
    int result;
    std::vector<std::string> names;
    bool modified;
    // Why the result is not 0: the record, where it lies and what is
    // wrong with it. A clip left out for a value alone is not said.
    std::string says;
  };
  const Case cases[] = {
      {"a sound file", File(clipA + clipB({}) + clipC), 0, {"A", "B", "C"}, false},
      {"a header of other text", flipped, 6, {}, false,
       "it does not begin with the header \"ClipCollection Project (c) Firm Tarnlex\""},
      {"a header without its NUL", noNul, 6, {}, false,
       "it does not begin with the header \"ClipCollection Project (c) Firm Tarnlex\""},
      {"no collection record", Header() + Scalar(1001, 1), 6, {}, false,
       "no collection record (1000) follows its header"},
      {"a negative size before the collection", Header() + Scalar(7, 1) + Record(8, {}, -4), 6, {}, false,
       "record 8" + byte(52) + " has a negative length (-4)"},
      {"records before and after the collection",
       Header() + Text(9, "x") + Record(1000, version + clipA) + clipC,
       0,
       {"A"},
       false},
      {"cut inside the second clip", cut, 19, {"A"}, true, "the file ends inside record 1100" + byte(atB)},
      {"a path of 261 bytes",
       File(clipA + rawB(Record(1102, Bytes(261, 'p')) + soundB) + clipC),
       0,
       {"A", "C"},
       true},
      {"a picture of another size",
       File(clipA + clipB(Record(1103, Bytes(100, 0))) + clipC),
       0,
       {"A", "C"},
       true},
      {"a scalar of two bytes",
       File(clipA + rawB(Text(1102, "b.wav") + Scalar(1104, 0, 2) + soundB) + clipC),
       0,
       {"A", "C"},
       true},
      {"a time past a day", File(clipA + clipB(Scalar(1105, 86400001)) + clipC), 0, {"A", "C"}, true},
      // The frame of a clip broken, not a value: the rest still loads.
      {"a sub-record past its clip", File(clipA + clipB(overrun) + clipC), 6, {"A", "C"}, true,
       "clip 2 (record 1100" + byte(atB) + "): record 1150" + byte(atB + 8 + SoundClip("B", "b.wav", 1000).size()) +
           " is 100 bytes long, past the end of the record that holds it"},
      {"a clip past the collection",
       Header() + Record(1000, version + clipA + clipB({}),
                         static_cast<int32_t>(version.size() + clipA.size() + 20)),
       6,
       {"A"},
       true,
       "record 1100" + byte(atB) + " is " + std::to_string(clipB({}).size() - 8) +
           " bytes long, past the end of the record that holds it"},
      {"a negative size inside", File(clipA + Record(5, {}, -5) + clipC), 6, {"A"}, true,
       "record 5" + byte(atB) + " has a negative length (-5)"},
      {"a head across the collection's end",
       Header() + Record(1000, version + clipA + Bytes(3, 1)) + clipC,
       6,
       {"A"},
       true,
       "the collection record (1000) ends 3 bytes after byte " + std::to_string(atB) +
           ", too few for the head of the record there"},
      {"no path", File(clipA + rawB(soundB) + clipC), 0, {"A", "C"}, true},
      {"a name of 128 bytes without its NUL",
       File(Record(1100, Record(1101, Bytes(128, 'n')) + Text(1102, "a.wav") + soundB)),
       0,
       {name127},
       false},
      {"names of no and of too many bytes",
       File(
           Record(1100, Record(1101, {}) + Text(1101, std::string(200, 'x')) + Text(1102, "a.wav") + soundB)),
       0,
       {"Empty"},
       false},
      {"sub-records of other ids", File(clipB(Text(1177, "what") + Scalar(1, 2))), 0, {"B"}, false},
  };
  Open();
  RecordingBoxes boxes;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(collection_->DeleteAll(false));
    collection_->SetModified(false);
    EXPECT_EQ(LoadBytes(c.file), c.result);
    EXPECT_EQ(reason_, c.says);
    EXPECT_EQ(Names(), c.names);
    EXPECT_EQ(collection_->IsModified(), c.modified);
    EXPECT_TRUE(boxes.shown.empty());
    boxes.shown.clear();
  }

  // A clip stored without its duration takes its span, and what is saved
  // of it reads back.
  ASSERT_TRUE(collection_->DeleteAll(false));
  collection_->SetModified(false);
  const Bytes noDuration = Text(1101, "D") + Text(1102, "a.wav") + Scalar(1104, 100) + Scalar(1105, 700) +
                           Scalar(1107, 1000) + Scalar(1109, 2) + Scalar(1110, 2);
  EXPECT_EQ(LoadBytes(File(Record(1100, noDuration))), 0);
  ASSERT_EQ(Names(), std::vector<std::string>{"D"});
  EXPECT_EQ(collection_->Tile(0)->clip.duration, 600);
  EXPECT_TRUE(collection_->IsModified());
  const std::string again = Media("again.prc");
  ASSERT_TRUE(Save(again, Media("")));
  ASSERT_TRUE(collection_->DeleteAll(false));
  EXPECT_EQ(Load(again), 0);
  EXPECT_EQ(Names(), std::vector<std::string>{"D"});
}

TEST_F(CollectionFileTest, AMissingFileIsAskedForOncePerLoad) {
  const std::string a = Wave("a.wav", 800), b = Wave("b.wav", 900);
  Open();
  RecordingBoxes boxes(IDYES);
  ASSERT_TRUE(collection_->AddFile(a.c_str(), -1, 0));
  ASSERT_TRUE(collection_->AddFile(a.c_str(), -1, 0));  // a second tile of the same file
  ASSERT_TRUE(collection_->AddFile(b.c_str(), -1, 0));
  const std::string prc = Media("c.prc");
  ASSERT_TRUE(Save(prc, Media("")));
  ASSERT_TRUE(collection_->DeleteAll(false));
  std::filesystem::rename(a, Media("elsewhere.wav"));
  boxes.shown.clear();

  // Skipped: both clips of the file stay out, and the load says nothing.
  {
    Questions questions;
    collection_->SetModified(false);
    EXPECT_EQ(Load(prc), 0);
    EXPECT_EQ(questions.asked, std::vector<std::string>{a});
    EXPECT_EQ(questions.caption, "Load Clip Collection");
    EXPECT_EQ(Names(), std::vector<std::string>{"b"});
    EXPECT_TRUE(collection_->IsModified());
    EXPECT_TRUE(boxes.shown.empty());
    // The answer stays in the load's moved files.
    ASSERT_NE(moved_, nullptr);
    EXPECT_STREQ(moved_->oldPath, a.c_str());
    EXPECT_STREQ(moved_->newPath, "");
  }
  // The same lists in a later load: not asked again.
  ASSERT_TRUE(collection_->DeleteAll(false));
  {
    Questions questions;
    EXPECT_EQ(Load(prc), 0);
    EXPECT_TRUE(questions.asked.empty());
  }
  SynonymFile::FreeList(moved_);
  moved_ = nullptr;

  // The user picks the moved file: both clips take it.
  ASSERT_TRUE(collection_->DeleteAll(false));
  {
    Questions questions;
    const std::string found = Media("elsewhere.wav");
    questions.answer = [&](char* path) {
      std::snprintf(path, MAX_PATH, "%s", found.c_str());
      return kLocateChosen;
    };
    EXPECT_EQ(Load(prc), 0);
    EXPECT_EQ(questions.asked.size(), 1u);
    ASSERT_EQ(collection_->TileCount(), 3);
    EXPECT_EQ(std::string(collection_->Tile(0)->clip.path), found);
    EXPECT_EQ(std::string(collection_->Tile(1)->clip.path), found);
    EXPECT_EQ(collection_->Tile(0)->clip.audio, collection_->Tile(1)->clip.audio);
  }
}

TEST_F(CollectionFileTest, SkipAllAsksNoMoreAndCancelDropsTheRestButReadsTheWaveforms) {
  const std::string a = Wave("a.wav", 1500), b = Wave("b.wav", 900), c = Wave("c.wav", 700);
  const std::string d = Wave("d.wav", 600);
  Open();
  for (const std::string& p : {a, b, c, d}) ASSERT_TRUE(collection_->AddFile(p.c_str(), -1, 0));
  FillWaveform(collection_->Tile(0)->clip.audio);
  const std::string prc = Media("c.prc");
  ASSERT_TRUE(Save(prc, Media("")));
  ASSERT_TRUE(collection_->DeleteAll(false));
  std::filesystem::remove(b);
  std::filesystem::remove(c);
  RecordingBoxes boxes;

  {
    Questions questions;
    questions.answer = [](char*) { return kLocateSkipAll; };
    EXPECT_EQ(Load(prc), 0);
    EXPECT_EQ(questions.asked, std::vector<std::string>{b});
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "d"}));
  }
  ASSERT_TRUE(collection_->DeleteAll(false));
  SynonymFile::FreeList(moved_);
  moved_ = nullptr;
  {
    Questions questions;
    questions.answer = [](char*) { return kLocateCancel; };
    collection_->SetModified(false);
    EXPECT_EQ(Load(prc), 0);
    EXPECT_EQ(questions.asked, std::vector<std::string>{b});
    // d came after the cancel: left out though it is there.
    EXPECT_EQ(Names(), std::vector<std::string>{"a"});
    EXPECT_TRUE(collection_->IsModified());
    AudioData* kept = collection_->Tile(0)->clip.audio;
    EXPECT_TRUE(kept->peakBlock1);
  }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(CollectionFileTest, AFileOfAnotherSizeOrThatNoLongerOpensIsSaid) {
  const std::string a = Wave("a.wav", 1000), b = Wave("b.wav", 1000);
  Open();
  ASSERT_TRUE(collection_->AddFile(a.c_str(), -1, 0));
  ASSERT_TRUE(collection_->AddFile(b.c_str(), -1, 0));
  collection_->Tile(0)->clip.inTime = 300;
  collection_->Tile(0)->clip.outTime = 900;
  collection_->Tile(0)->clip.duration = 600;
  const std::string prc = Media("c.prc");
  ASSERT_TRUE(Save(prc, Media("")));
  ASSERT_TRUE(collection_->DeleteAll(false));
  WriteWave(a, 44100, 2, 16, 700);
  WriteFileText(b, "not a sound");
  RecordingBoxes boxes;
  collection_->SetModified(false);
  EXPECT_EQ(Load(prc), 0);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text, "Source file '" + a + "' has different size!");
  EXPECT_EQ(boxes.shown[0].caption, "Load Clip Collection");
  EXPECT_TRUE(boxes.shown[0].flags & MB_ICONEXCLAMATION);
  EXPECT_EQ(boxes.shown[1].text, "Can not open file '" + b + "'");
  EXPECT_EQ(boxes.shown[1].caption, "Load Clip Collection");
  // The clip follows its shorter file; the other one is left out.
  ASSERT_EQ(Names(), std::vector<std::string>{"a"});
  const ClipData& clip = collection_->Tile(0)->clip;
  EXPECT_EQ(clip.sourceLength, 700);
  EXPECT_EQ(clip.outTime, 700);
  EXPECT_EQ(clip.duration, 400);
  EXPECT_TRUE(collection_->IsModified());
}

}  // namespace
}  // namespace cliptest
