// The AVI export: what it copies, what it recompresses, how it interleaves
// the mixed sound, and what it leaves behind when it cannot finish.
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "export_fixture.h"
#include "media/frame_decoder.h"
#include "media/video_data.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "support/file_bytes.h"
#include "support/recording_boxes.h"

namespace exporttest {
namespace {

constexpr uint32_t kVideo = 1;
constexpr uint32_t kAudio = 2;
constexpr int kW = 8;
constexpr int kH = 6;

// The bytes of a WAVE file's data chunk.
std::vector<BYTE> WaveData(const std::string& path) {
  std::vector<BYTE> file = FileBytes(path);
  for (std::size_t at = 12; at + 8 <= file.size();) {
    const DWORD size = DWORD{file[at + 4]} | (DWORD{file[at + 5]} << 8) | (DWORD{file[at + 6]} << 16) |
                       (DWORD{file[at + 7]} << 24);
    if (std::memcmp(&file[at], "data", 4) == 0)
      return std::vector<BYTE>(file.begin() + static_cast<long>(at + 8),
                               file.begin() + static_cast<long>(at + 8 + size));
    at += 8 + size + (size & 1);
  }
  return {};
}

std::vector<std::string> Ids(const AviContents& avi) {
  std::vector<std::string> ids;
  for (const AviChunk& c : avi.chunks) ids.push_back(c.id);
  return ids;
}

// Writes stop at bytes bytes of any file while it lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &before_);
    signal_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = before_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &before_);
    signal(SIGXFSZ, signal_);
  }

 private:
  rlimit before_{};
  void (*signal_)(int) = nullptr;
};

class AviExportTest : public ExportTest {
 protected:
  // Exports [start, end) of the segments, streaming the mix around the
  // export as the time-line does.
  bool Export(const Segments& segments, uint32_t parts, int32_t start, int32_t end, const std::string& path) {
    bool streaming = false;
    if (parts & kAudio) {
      streaming = engine_->BeginMixStream(films_.First(), UnitySetup(1), start, end, 0);
      EXPECT_TRUE(streaming);
    }
    const bool written =
        RecompressInfo::Run(nullptr, nullptr, segments.First(), parts, start, end, path.c_str());
    if (streaming) engine_->EndMixStream();
    return written;
  }

  InstalledCodecs codecs_;
};

TEST_F(AviExportTest, PicturesAndSoundInterleaveTheSoundOneSecondAhead) {
  const std::string source = Path("a.avi");
  const std::vector<Picture> pictures = Patterns(kW, kH, 1, 60);
  WriteUncompressed(source, kW, kH, pictures);
  Segments segments;
  segments.Add(source, 0, 2000, 0);
  AddSound(0, 2000);
  const std::string path = Path("out.avi");
  ASSERT_TRUE(Export(segments, kVideo | kAudio, 0, 2000, path));
  EXPECT_TRUE(boxes_.boxes.empty());

  const AviContents avi = ReadAvi(path);
  ASSERT_TRUE(avi.ok);
  EXPECT_EQ(avi.streamTypes, (std::vector<std::string>{"vids", "auds"}));
  EXPECT_EQ(avi.totalFrames, 50u);
  std::vector<std::string> expected;
  for (int second = 0; second < 2; ++second) {
    expected.push_back("01wb");
    for (int i = 0; i < 25; ++i) expected.push_back("00dc");
  }
  EXPECT_EQ(Ids(avi), expected);
  for (const AviChunk& c : avi.Of("01wb"))
    EXPECT_EQ(c.data.size(), 16000u);  // one second of 8000 Hz, 16 bits
  const std::vector<std::vector<BYTE>> stored = StoredFrames(source);
  const std::vector<AviChunk> frames = avi.Of("00dc");
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].data, stored[i]) << "frame " << i;
    EXPECT_EQ(frames[i].flags, AVIIF_KEYFRAME) << "frame " << i;
  }
  EXPECT_EQ(progress_.title, "Write AVI");
  EXPECT_EQ(progress_.text, path);
  EXPECT_EQ(progress_.steps, 50);
  EXPECT_EQ(progress_.last, 50);

  if (!video_test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  const std::vector<BYTE> types =
      video_test::Capture("ffprobe -v error -show_entries stream=codec_type -of csv=p=0 " + path);
  EXPECT_EQ(std::string(types.begin(), types.end()), "video\naudio\n");
  // The sound ffmpeg reads from the file is the WAVE export of the range.
  const std::string wave = Path("range.wav");
  ASSERT_TRUE(engine_->ExportWave(nullptr, films_.First(), UnitySetup(1), 0, 2000, wave.c_str(), 0));
  const std::vector<BYTE> sound =
      video_test::Capture("ffmpeg -nostdin -v error -i " + path + " -map 0:a -f s16le -");
  EXPECT_EQ(sound.size(), 32000u);
  EXPECT_TRUE(sound == WaveData(wave));
}

TEST_F(AviExportTest, SoundAloneGoesInOneSecondChunks) {
  AddSound(0, 2500);
  const std::string path = Path("sound.avi");
  ASSERT_TRUE(Export(Segments{}, kAudio, 0, 2500, path));
  const AviContents avi = ReadAvi(path);
  ASSERT_TRUE(avi.ok);
  EXPECT_EQ(avi.streamTypes, (std::vector<std::string>{"auds"}));
  ASSERT_EQ(Ids(avi), (std::vector<std::string>{"00wb", "00wb", "00wb"}));
  EXPECT_EQ(avi.chunks[0].data.size(), 16000u);
  EXPECT_EQ(avi.chunks[1].data.size(), 16000u);
  EXPECT_EQ(avi.chunks[2].data.size(), 8000u);
  EXPECT_EQ(progress_.steps, 40000);
  EXPECT_EQ(progress_.last, 40000);
}

// Where the mix runs out before the range ends, the sound goes on as
// silence: 128 for 8-bit samples.
TEST_F(AviExportTest, SoundPastTheMixIsSilenceOfTheSampleFormat) {
  ConfigureSound(8000, 1, 1);
  AddSound(0, 2000);
  const std::string path = Path("eight.avi");
  ASSERT_TRUE(engine_->BeginMixStream(films_.First(), UnitySetup(1), 0, 500, 0));
  ASSERT_TRUE(RecompressInfo::Run(nullptr, nullptr, nullptr, kAudio, 0, 1000, path.c_str()));
  engine_->EndMixStream();
  const AviContents avi = ReadAvi(path);
  ASSERT_EQ(avi.chunks.size(), 1u);
  const std::vector<BYTE>& data = avi.chunks[0].data;
  ASSERT_EQ(data.size(), 8000u);
  EXPECT_NE(std::count(data.begin(), data.begin() + 4000, BYTE{128}), 4000);  // the mix
  EXPECT_EQ(std::count(data.begin() + 4000, data.end(), BYTE{128}), 4000);    // the silence after it
}

// Sources of key frames only: every chunk is a copy of the frame it shows,
// cut where it may be, and nothing is decoded or encoded again.
TEST_F(AviExportTest, KeyFramesAreCopiedAsTheyAre) {
  const std::string a = Path("a.avi"), b = Path("b.avi");
  WriteKeyDelta(a, kW, kH, Patterns(kW, kH, 1, 20), 1);
  WriteKeyDelta(b, kW, kH, Patterns(kW, kH, 2, 20), 1);
  Segments segments;
  segments.Add(a, 0, 400, 0);      // a's frames 0..9
  segments.Add(b, 400, 800, 200);  // b's frames 5..14
  const std::string path = Path("cut.avi");
  ASSERT_TRUE(Export(segments, kVideo, 0, 800, path));
  const AviContents avi = ReadAvi(path);
  ASSERT_TRUE(avi.ok);
  const std::vector<std::vector<BYTE>> fromA = StoredFrames(a), fromB = StoredFrames(b);
  ASSERT_EQ(avi.chunks.size(), 20u);
  for (int i = 0; i < 20; ++i) {
    const std::vector<BYTE>& want = i < 10 ? fromA[i] : fromB[i - 10 + 5];
    EXPECT_EQ(avi.chunks[i].data, want) << "frame " << i;
    EXPECT_EQ(avi.chunks[i].flags, AVIIF_KEYFRAME) << "frame " << i;
  }
  EXPECT_EQ(Counts().compresses, 0);
  EXPECT_EQ(Counts().decodes, 0);
}

// Frames that show the same data as the one before become empty chunks:
// a still (a source whose later frames have no data of their own) and a gap
// between clips.
TEST_F(AviExportTest, RepeatedFramesAreEmptyChunks) {
  const std::string still = Path("still.avi"), moving = Path("moving.avi");
  std::vector<Picture> same(10, Pattern(kW, kH, 3, 0));
  WriteKeyDelta(still, kW, kH, same, 10, kKeyDelta, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  WriteKeyDelta(moving, kW, kH, Patterns(kW, kH, 1, 20), 1);
  struct Case {
    const char* what;
    std::vector<std::pair<const std::string*, std::array<int32_t, 3>>> segments;
    std::string chunks;  // d: data, e: empty
  };
  const Case cases[] = {
      {"a still", {{&still, {0, 400, 0}}}, "deeeeeeeee"},
      {"a gap between clips", {{&moving, {0, 200, 0}}, {&moving, {400, 600, 200}}}, "dddddeeeeeddddd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Segments segments;
    for (const auto& [file, times] : c.segments) segments.Add(*file, times[0], times[1], times[2]);
    const std::string path = Path("repeat.avi");
    const int32_t end = static_cast<int32_t>(c.chunks.size()) * 40;
    ASSERT_TRUE(Export(segments, kVideo, 0, end, path));
    const AviContents avi = ReadAvi(path);
    ASSERT_TRUE(avi.ok);
    std::string kinds;
    for (const AviChunk& chunk : avi.chunks) {
      EXPECT_EQ(chunk.id, "00dc");
      kinds += chunk.data.empty() ? 'e' : 'd';
    }
    EXPECT_EQ(kinds, c.chunks);
  }
}

TEST_F(AviExportTest, TheFrameMapShowsEachFramesSourceFrame) {
  const std::string a = Path("a.avi"), b = Path("b.avi");
  WriteKeyDelta(a, kW, kH, Patterns(kW, kH, 1, 20), 1);
  WriteKeyDelta(b, kW, kH, Patterns(kW, kH, 2, 20), 1);
  Segments segments;
  Film* fa = segments.Add(a, 80, 200, 40);  // frames 2..4 show a's 1..3
  Film* fb = segments.Add(b, 280, 360, 0);  // frames 7..8 show b's 0..1
  std::vector<AviFrameMapEntry> map(11);
  RecompressInfo::BuildFrameMap(segments.First(), 0, map.data(), 11);
  const struct {
    Film* film;
    int32_t frame;
  } expected[] = {{nullptr, -1}, {nullptr, -1}, {fa, 1}, {fa, 2}, {fa, 3}, {fa, 3},
                  {fa, 3},       {fb, 0},       {fb, 1}, {fb, 1}, {fb, 1}};
  for (int i = 0; i < 11; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(static_cast<VideoSource*>(map[i].source),
              expected[i].film != nullptr ? expected[i].film->video : nullptr);
    EXPECT_EQ(map[i].first, expected[i].frame);
    EXPECT_EQ(map[i].last, expected[i].frame);
  }
}

// A clip cut between its key frames: the frames from the cut to the next
// key frame are compressed again, the first of them as a key frame, and the
// file shows every picture the project shows.
TEST_F(AviExportTest, CutsBetweenKeyFramesAreRecompressedUntilTheDataContinue) {
  const std::string a = Path("a.avi"), b = Path("b.avi");
  const std::vector<Picture> pa = Patterns(kW, kH, 1, 20), pb = Patterns(kW, kH, 2, 20);
  WriteKeyDelta(a, kW, kH, pa, 10);
  WriteKeyDelta(b, kW, kH, pb, 10);
  struct Piece {
    const std::string* file;
    int32_t start, end, in;
  };
  struct Case {
    const char* what;
    std::vector<Piece> pieces;
    std::vector<Picture> shown;
    std::string kinds;  // per chunk: K recompressed key, R recompressed delta, c copied
  };
  auto frames = [](const std::vector<Picture>& p, int from, int to) {
    return std::vector<Picture>(p.begin() + from, p.begin() + to);
  };
  auto join = [](std::vector<Picture> x, const std::vector<Picture>& y) {
    x.insert(x.end(), y.begin(), y.end());
    return x;
  };
  const Case cases[] = {
      {"into the middle of a group", {{&a, 0, 480, 120}}, frames(pa, 3, 15), "KRRRRRRccccc"},
      {"from one clip into another's group",
       {{&a, 0, 200, 0}, {&b, 200, 400, 120}},
       join(frames(pa, 0, 5), frames(pb, 3, 8)),
       "cccccKRRRR"},
      {"a clip continued by its next frames",
       {{&a, 0, 200, 0}, {&a, 200, 400, 200}},
       frames(pa, 0, 10),
       "cccccccccc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Counts() = CodecCounts{};
    Segments segments;
    for (const Piece& p : c.pieces) segments.Add(*p.file, p.start, p.end, p.in);
    const std::string path = Path("cut.avi");
    const int32_t end = static_cast<int32_t>(c.shown.size()) * 40;
    ASSERT_TRUE(Export(segments, kVideo, 0, end, path));
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_EQ(DecodedPictures(path), c.shown);
    const AviContents avi = ReadAvi(path);
    ASSERT_EQ(avi.chunks.size(), c.kinds.size());
    int recompressed = 0;
    for (std::size_t i = 0; i < avi.chunks.size(); ++i) {
      SCOPED_TRACE(i);
      const AviChunk& chunk = avi.chunks[i];
      const int32_t t = static_cast<int32_t>(i) * 40;
      const Piece* piece = nullptr;
      for (const Piece& p : c.pieces)
        if (p.start <= t && t < p.end) piece = &p;
      ASSERT_NE(piece, nullptr);
      const int frame = (piece->in + t - piece->start) / 40;
      switch (c.kinds[i]) {
        case 'K':  // a picture of its own
          ++recompressed;
          EXPECT_EQ(chunk.data[0], 'K');
          EXPECT_EQ(chunk.flags, AVIIF_KEYFRAME);
          break;
        case 'R':  // the difference to the recompressed picture before
          ++recompressed;
          EXPECT_EQ(chunk.data[0], 'D');
          EXPECT_EQ(chunk.flags, 0u);
          break;
        default:
          EXPECT_EQ(chunk.data, StoredFrames(*piece->file)[static_cast<std::size_t>(frame)]);
          break;
      }
    }
    EXPECT_EQ(Counts().compresses, recompressed);
  }
}

// A codec that cannot compress: the question, then OK copies the frame as
// it is and Cancel ends the export without a word.
TEST_F(AviExportTest, AFrameThatCannotBeRecompressedIsCopiedOnlyWhenTheUserSaysSo) {
  const std::string a = Path("a.avi");
  WriteKeyDelta(a, kW, kH, Patterns(kW, kH, 1, 20), 10, kNoCompress);
  const std::vector<std::vector<BYTE>> stored = StoredFrames(a);
  for (int answer : {IDOK, IDCANCEL}) {
    SCOPED_TRACE(answer);
    RecordingBoxes boxes(answer);
    Segments segments;
    segments.Add(a, 0, 400, 120);  // a's frames 3..12
    const std::string path = Path("nocompress.avi");
    EXPECT_EQ(Export(segments, kVideo, 0, 400, path), answer == IDOK);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              FormatText(GetString(ui_string::kCannotRecompressFrame), MsToTimeCodeText(0, TRUE)));
    EXPECT_EQ(boxes.shown[0].caption, "Write AVI");
    EXPECT_EQ(boxes.shown[0].flags, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
    if (answer == IDOK) {
      const AviContents avi = ReadAvi(path);
      ASSERT_EQ(avi.chunks.size(), 10u);
      for (int i = 0; i < 10; ++i) EXPECT_EQ(avi.chunks[i].data, stored[3 + i]) << "frame " << i;
    } else {
      EXPECT_FALSE(Exists(path));
    }
  }
}

TEST_F(AviExportTest, ClipsOfAnotherFormatAreRefusedBeforeWriting) {
  const std::string a = Path("a.avi"), small = Path("small.avi");
  WriteKeyDelta(a, kW, kH, Patterns(kW, kH, 1, 20), 1);
  WriteKeyDelta(small, 4, 4, Patterns(4, 4, 2, 20), 1);
  Segments segments;
  segments.Add(a, 400, 800, 0);
  segments.Add(small, 800, 1200, 0);
  const std::string path = Path("mixed.avi");
  EXPECT_FALSE(Export(segments, kVideo, 400, 1200, path));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text, "Frame 20 has invalid format");  // the project's frame at 800 ms
  EXPECT_EQ(boxes_.boxes[0].caption, "Write AVI");
  EXPECT_FALSE(Exists(path));
}

TEST_F(AviExportTest, TooLittleFreeSpaceIsToldWithThePath) {
  const std::string a = Path("a.avi");
  WriteKeyDelta(a, kW, kH, Patterns(kW, kH, 1, 20), 1);
  Segments segments;
  segments.Add(a, 0, 400, 0);
  AddSound(0, 400);
  const std::string path = Path("full.avi");
  // The fixed part, the ten frames and 0.4 s of sound need a little more.
  io_.freeSpace = 0x21000 + 10 * (kW * kH * 3 + 1) + 6400 - 1;
  EXPECT_FALSE(Export(segments, kVideo | kAudio, 0, 400, path));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text, "Not enough free space to write file '" + path + "'");
  EXPECT_FALSE(Exists(path));
  io_.freeSpace += 1;
  boxes_.boxes.clear();
  EXPECT_TRUE(Export(segments, kVideo | kAudio, 0, 400, path));
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(AviExportTest, AFailedWriteOrACancelLeavesNoFile) {
  const std::string a = Path("a.avi");
  WriteKeyDelta(a, 64, 48, Patterns(64, 48, 1, 20), 1);
  Segments segments;
  segments.Add(a, 0, 800, 0);
  const std::string path = Path("broken.avi");
  {
    FileSizeLimit limit(20000);  // the file breaks off after two frames and the header room
    EXPECT_FALSE(Export(segments, kVideo, 0, 800, path));
  }
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text, "Can not write file '" + path + "'");
  EXPECT_FALSE(Exists(path));

  boxes_.boxes.clear();
  progress_.cancelAt = 5;
  EXPECT_FALSE(Export(segments, kVideo, 0, 800, path));
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_FALSE(Exists(path));
  EXPECT_EQ(io_.deleted, (std::vector<std::string>{path, path}));
}

// A range that does not begin with a picture asks whether to write the
// sound alone: No writes nothing, Yes writes the sound without pictures.
TEST_F(AviExportTest, ARangeWithoutAFirstPictureAsksForTheSoundAlone) {
  const std::string a = Path("a.avi");
  WriteKeyDelta(a, kW, kH, Patterns(kW, kH, 1, 20), 1);
  AddSound(0, 1000);
  struct Case {
    const char* what;
    int32_t clipStart;  // -1: no clip
    int question;
  };
  const Case cases[] = {
      {"a gap before the first clip", 400, ui_string::kVideoStartsEmptyAudioOnly},
      {"no clip at all", -1, ui_string::kNoVideoClipsAudioOnly},
  };
  for (const Case& c : cases) {
    for (int answer : {IDNO, IDYES}) {
      SCOPED_TRACE(std::string(c.what) + (answer == IDYES ? ", yes" : ", no"));
      RecordingBoxes boxes(answer);
      Segments segments;
      if (c.clipStart >= 0) segments.Add(a, c.clipStart, 1000, 0);
      const std::string path = Path("question.avi");
      EXPECT_EQ(Export(segments, kVideo | kAudio, 0, 1000, path), answer == IDYES);
      ASSERT_EQ(boxes.shown.size(), 1u);
      EXPECT_EQ(boxes.shown[0].text, GetString(c.question));
      EXPECT_EQ(boxes.shown[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
      if (answer == IDYES) {
        const AviContents avi = ReadAvi(path);
        EXPECT_EQ(avi.streamTypes, (std::vector<std::string>{"auds"}));
        EXPECT_EQ(Ids(avi), (std::vector<std::string>{"00wb"}));
        std::remove(path.c_str());
      } else {
        EXPECT_FALSE(Exists(path));
      }
    }
  }
}

}  // namespace
}  // namespace exporttest
