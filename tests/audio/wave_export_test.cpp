// The WAVE export and the render of a range into the play file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_player.h"
#include "audio/export_io.h"
#include "engine_fixture.h"
#include "mix_fixture.h"
#include "support/file_bytes.h"

namespace {

constexpr DWORD kRate = 8000;

// The files as they are, but one chosen call fails, the date is fixed and
// the free space is what the test says.
class ScriptedIo : public ExportIo {
 public:
  enum Call { kNone, kOpen, kCreate, kAscend, kWrite, kSeek, kClose };
  HMMIO Open(const char* name, DWORD flags) override {
    return Fails(kOpen) ? nullptr : ExportIo::Open(name, flags);
  }
  MMRESULT CreateChunk(HMMIO file, MMCKINFO* chunk, UINT flags) override {
    if (Fails(kCreate)) return MMIOERR_CANNOTWRITE;
    MMRESULT r = ExportIo::CreateChunk(file, chunk, flags);
    if (r == 0 && chunk->ckid == mmioFOURCC('d', 'a', 't', 'a')) inData = true;
    return r;
  }
  MMRESULT Ascend(HMMIO file, MMCKINFO* chunk, UINT flags) override {
    inData = false;
    return Fails(kAscend) ? MMIOERR_CANNOTWRITE : ExportIo::Ascend(file, chunk, flags);
  }
  LONG Write(HMMIO file, const void* data, LONG bytes) override {
    if (Fails(kWrite)) return -1;
    // Sample data may be skipped over: the file keeps a hole there.
    if (inData && skipData) return ExportIo::Seek(file, bytes, SEEK_CUR) >= 0 ? bytes : -1;
    return ExportIo::Write(file, data, bytes);
  }
  LONGLONG Seek(HMMIO file, LONGLONG offset, int origin) override {
    return Fails(kSeek) ? -1 : ExportIo::Seek(file, offset, origin);
  }
  MMRESULT Close(HMMIO file) override {
    MMRESULT r = ExportIo::Close(file);
    return Fails(kClose) ? MMIOERR_CANNOTCLOSE : r;
  }
  bool FreeSpace(const char* name, ULONGLONG* bytes) override {
    *bytes = freeSpace;
    return true;
  }
  void Today(SYSTEMTIME* date) override {
    *date = SYSTEMTIME{};
    date->wYear = 2024;
    date->wMonth = 5;
    date->wDay = 7;
  }

  Call failing = kNone;
  int failingCall = 0;  // 1: the first call of that kind
  bool skipData = false;
  bool inData = false;
  ULONGLONG freeSpace = 1ull << 50;

 private:
  int counts_[7] = {};
  bool Fails(Call call) { return ++counts_[call] == failingCall && call == failing; }
};

class WaveExportTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    previousIo_ = SetExportIo(&io_);
    engine_ = std::make_unique<AudioPlayer>();
    Configure(1, 2);
  }
  void TearDown() override {
    engine_.reset();
    SetExportIo(previousIo_);
    films_.Clear();
    for (MemorySource* s : sources_) {
      s->EndRead();
      s->Release();
    }
    EngineTest::TearDown();
  }
  void Configure(int channels, int code) {
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(engine_->Configure(kRate, channels, code, 4, 16, 4, delay, preview, maxPreview), 0);
  }
  MemorySource* Keep(MemorySource* s) {
    s->BeginRead();
    sources_.push_back(s);
    return s;
  }
  // Two lines: a 16-bit stereo clip and a float mono one overlapping it.
  void TwoLines() {
    AddClip(films_, Keep(MakeSource(2, 2, kRate, 3 * kRate, 1)), 0, 0, 2500, 100);
    AddClip(films_, Keep(MakeSource(7, 1, kRate, 3 * kRate, 2)), 1, 1000, 3000, 0);
  }
  std::string Path(const char* name) const { return folder_.File(name); }

  ScriptedIo io_;
  ScriptedProgress progress_;
  std::unique_ptr<AudioPlayer> engine_;
  FilmListHead films_;
  std::vector<MemorySource*> sources_;
  TestFolder folder_{"kobrix-wave"};

 private:
  ExportIo* previousIo_ = nullptr;
};

std::vector<float> Floats(const std::vector<BYTE>& raw) {
  std::vector<float> v(raw.size() / 4);
  std::memcpy(v.data(), raw.data(), v.size() * 4);
  return v;
}

std::vector<BYTE> Text(const char* s, std::size_t n) {
  return std::vector<BYTE>(s, s + n);
}

TEST_F(WaveExportTest, AnEmptyRangeWritesTheHeaderTheEmptyDataAndTheInfoList) {
  const std::string path = Path("empty.wav");
  ASSERT_TRUE(engine_->ExportWave(nullptr, films_.First(), UnitySetup(1), 1000, 1000, path.c_str(), 2));
  std::vector<BYTE> expected;
  auto id = [&](const char* s) { expected.insert(expected.end(), s, s + 4); };
  auto u32 = [&](DWORD v) {
    for (int i = 0; i < 4; ++i) expected.push_back(static_cast<BYTE>(v >> (8 * i)));
  };
  auto u16 = [&](WORD v) {
    expected.push_back(static_cast<BYTE>(v));
    expected.push_back(static_cast<BYTE>(v >> 8));
  };
  id("RIFF"), u32(118), id("WAVE");
  id("fmt "), u32(16), u16(1), u16(1), u32(8000), u32(16000), u16(2), u16(16);
  id("data"), u32(0);
  id("LIST"), u32(74), id("INFO");
  id("ICRD"), u32(11);
  for (BYTE b : Text("2024-05-07\0\0", 12)) expected.push_back(b);  // the zero byte, then the pad
  id("ISFT"), u32(42);
  for (BYTE b : Text("Kobrix Free V3.00 Multitrack Audio Editor", 42)) expected.push_back(b);
  ASSERT_EQ(expected.size(), 126u);
  EXPECT_EQ(FileBytes(path), expected);
  EXPECT_EQ(progress_.title, "Export Wave file.");
  EXPECT_EQ(progress_.text, path);
  EXPECT_EQ(progress_.steps, 0);
  EXPECT_EQ(progress_.closes, 1);
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kIdle);
}

TEST_F(WaveExportTest, EachFailingStepShowsItsCaptionAndLeavesNoFile) {
  TwoLines();
  const std::string path = Path("failing.wav");
  struct Case {
    ScriptedIo::Call call;
    int which;
    const char* caption;
  };
  // Chunks are created in the order RIFF, "fmt ", "data", "LIST", "ICRD"
  // and left in the order "fmt ", "data", "ICRD", "ISFT", "LIST", RIFF.
  for (const Case& c : {
           Case{ScriptedIo::kCreate, 1, "Create riff chunk"},
           Case{ScriptedIo::kCreate, 2, "Create format chunk"},
           Case{ScriptedIo::kWrite, 1, "Write Wave"},
           Case{ScriptedIo::kAscend, 1, "Write format chunk"},
           Case{ScriptedIo::kCreate, 3, "Create data chunk"},
           Case{ScriptedIo::kWrite, 2, "Write Wave"},
           Case{ScriptedIo::kAscend, 2, "Write data chunk"},
           Case{ScriptedIo::kCreate, 4, "Create data chunk"},
           Case{ScriptedIo::kCreate, 5, "Create data chunk"},
           Case{ScriptedIo::kAscend, 6, "Write riff chunk"},
           Case{ScriptedIo::kClose, 1, "Write riff chunk"},
           Case{ScriptedIo::kOpen, 1, "Write Wave"},
       }) {
    io_ = ScriptedIo{};
    io_.failing = c.call;
    io_.failingCall = c.which;
    boxes_.boxes.clear();
    progress_.Reset();
    EXPECT_FALSE(engine_->ExportWave(nullptr, films_.First(), UnitySetup(2), 0, 3000, path.c_str(), 2))
        << c.caption;
    ASSERT_EQ(boxes_.boxes.size(), 1u) << c.caption;
    EXPECT_EQ(boxes_.boxes[0].caption, c.caption);
    EXPECT_EQ(boxes_.boxes[0].text, "Error writing file:\n'" + path + "'.");
    EXPECT_FALSE(FileExists(path)) << c.caption;
    EXPECT_EQ(progress_.opens, progress_.closes) << c.caption;
    EXPECT_EQ(engine_->GetState(), AudioPlayer::kIdle);
    EXPECT_EQ(OutputFormat.nBlockAlign, 2);
  }
}

TEST_F(WaveExportTest, ACancelLeavesNoFileAndShowsNothing) {
  TwoLines();
  const std::string path = Path("cancel.wav");
  progress_.cancelAt = 1;  // at the first block
  EXPECT_FALSE(engine_->ExportWave(nullptr, films_.First(), UnitySetup(2), 0, 3000, path.c_str(), 2));
  EXPECT_EQ(progress_.steps, 1);
  EXPECT_EQ(progress_.last, 1);
  EXPECT_EQ(progress_.closes, 1);
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_FALSE(FileExists(path));
}

// A file that cannot be opened for writing is someone's: it stays.
TEST_F(WaveExportTest, AFileThatCannotBeOpenedIsLeftAlone) {
  TwoLines();
  const std::string path = Path("kept.wav");
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("precious", f);
  std::fclose(f);
  io_.failing = ScriptedIo::kOpen;
  io_.failingCall = 1;
  EXPECT_FALSE(engine_->ExportWave(nullptr, films_.First(), UnitySetup(2), 0, 3000, path.c_str(), 2));
  EXPECT_EQ(FileBytes(path), Text("precious", 8));
}

TEST_F(WaveExportTest, TooLittleFreeSpaceIsError31) {
  TwoLines();
  const std::string path = Path("full.wav");
  io_.freeSpace = 3 * 16000 + 4095;  // 3 s of 16-bit mono and the margin, less one byte
  EXPECT_FALSE(engine_->ExportWave(nullptr, films_.First(), UnitySetup(2), 0, 3000, path.c_str(), 2));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].caption, "Export Wave");
  EXPECT_EQ(boxes_.boxes[0].text, "Not enough free space to write file '" + path + "'");
  EXPECT_FALSE(FileExists(path));
  io_.freeSpace += 1;
  EXPECT_TRUE(engine_->ExportWave(nullptr, films_.First(), UnitySetup(2), 0, 3000, path.c_str(), 2));
}

// Sizes past 2^31 bytes are written as the unsigned 32-bit values they are;
// a range that no RIFF file can hold is refused before anything is written.
TEST_F(WaveExportTest, LongRangesAreWrittenWithFullSizesOrRefused) {
  float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
  ASSERT_EQ(engine_->Configure(48000, 2, 2, 4, 16, 4, delay, preview, maxPreview), 0);
  const std::string path = Path("long.wav");
  // 6000 s of 32-bit float stereo: 2,304,000,000 bytes, a hole on the disk.
  io_.skipData = true;
  ASSERT_TRUE(engine_->ExportWave(nullptr, films_.First(), UnitySetup(1), 0, 6000000, path.c_str(), 7));
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<BYTE> head(44);
  ASSERT_EQ(std::fread(head.data(), 1, 44, f), 44u);
  std::fseek(f, 0, SEEK_END);
  const long long size = ftello(f);
  std::fclose(f);
  EXPECT_EQ(Le32At(head, 40), 2304000000u);
  EXPECT_EQ(Le32At(head, 4), 2304000000u + 36 + 82);
  EXPECT_EQ(size, 2304000000ll + 44 + 82);
  EXPECT_EQ(head[20], WAVE_FORMAT_IEEE_FLOAT);

  // 12,000 s would need 4.6 GB.
  const std::string refused = Path("refused.wav");
  EXPECT_FALSE(engine_->ExportWave(nullptr, films_.First(), UnitySetup(1), 0, 12000000, refused.c_str(), 7));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].caption, "Export Wave");
  EXPECT_EQ(boxes_.boxes[0].text,
            "File '" + refused + "' would be larger than 4 GB, more than a WAVE file can hold.");
  EXPECT_FALSE(FileExists(refused));
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kIdle);
}

// The tools read what was written: the format, and the samples the stream
// gives for the same range.
TEST_F(WaveExportTest, SoxAndFfmpegReadTheFileBack) {
  if (!HaveTool("sox") || !HaveTool("ffmpeg") || !HaveTool("ffprobe"))
    GTEST_SKIP() << "sox or ffmpeg missing";
  TwoLines();
  struct Case {
    int channels, code;
    const char* soxEncoding;
    const char* ffmpegCodec;
    const char* rawFormat;  // for ffmpeg -f
  };
  for (const Case& c :
       {Case{1, 1, "-e unsigned -b 8", "pcm_u8", "u8"}, Case{2, 2, "-e signed -b 16", "pcm_s16le", "s16le"},
        Case{2, 4, "-e signed -b 24", "pcm_s24le", "s24le"},
        Case{1, 7, "-e float -b 32", "pcm_f32le", "f32le"}}) {
    Configure(c.channels, 2);
    const std::string path = Path("tools.wav");
    ASSERT_TRUE(engine_->ExportWave(nullptr, films_.First(), UnitySetup(2), 200, 2900, path.c_str(), c.code));
    const std::vector<BYTE> stream = StreamAll(*engine_, films_.First(), UnitySetup(2), 200, 2900, c.code);
    ASSERT_EQ(stream.size(), std::size_t{2700} * 8 * c.channels *
                                 (c.code == 1   ? 1
                                  : c.code == 2 ? 2
                                  : c.code == 4 ? 3
                                                : 4));

    EXPECT_EQ(CommandText("soxi -r '" + path + "' 2>/dev/null"), "8000\n");
    EXPECT_EQ(CommandText("soxi -c '" + path + "' 2>/dev/null"), std::to_string(c.channels) + "\n");
    std::vector<BYTE> sox;
    ASSERT_TRUE(RunCommand("sox '" + path + "' -t raw " + c.soxEncoding + " -L - 2>/dev/null", &sox))
        << c.code;
    if (c.code != 7) {
      EXPECT_TRUE(sox == stream) << "sox, code " << c.code;
    } else {
      // sox carries samples as 32-bit integers: floats come back to 2^-31.
      ASSERT_EQ(sox.size(), stream.size());
      const std::vector<float> got = Floats(sox), want = Floats(stream);
      for (std::size_t i = 0; i < want.size(); ++i) ASSERT_NEAR(got[i], want[i], 1e-7) << i;
    }

    EXPECT_EQ(CommandText("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of "
                          "default=nw=1 '" +
                          path + "'"),
              std::string("codec_name=") + c.ffmpegCodec +
                  "\nsample_rate=8000\nchannels=" + std::to_string(c.channels) + "\n");
    std::vector<BYTE> ffmpeg;
    ASSERT_TRUE(
        RunCommand(std::string("ffmpeg -v error -i '") + path + "' -f " + c.rawFormat + " -", &ffmpeg));
    EXPECT_TRUE(ffmpeg == stream) << "ffmpeg, code " << c.code;
    std::remove(path.c_str());
  }
}

// ---------------------------------------------------------------- the play file

class PlayFileTest : public WaveExportTest {
 protected:
  std::vector<BYTE> Stream(LONG start, LONG end) {
    return StreamAll(*engine_, films_.First(), UnitySetup(2), start, end, 0);
  }
};

TEST_F(PlayFileTest, ARenderWritesAtItsPlaceAndKeepsWhatFollows) {
  TwoLines();
  // 16-bit mono at 8000 Hz: 16 bytes a millisecond.
  ASSERT_TRUE(engine_->PrepareWaveForPlay(films_.First(), UnitySetup(2), 1000, 2000));
  std::vector<BYTE> file = FileBytes(Sound_File);
  ASSERT_EQ(file.size(), 2000u * 16 + 512);
  EXPECT_EQ(std::vector<BYTE>(file.begin(), file.begin() + 16000), std::vector<BYTE>(16000, 0));
  const std::vector<BYTE> middle = Stream(1000, 2000);
  EXPECT_TRUE(std::equal(middle.begin(), middle.end(), file.begin() + 16000));
  EXPECT_EQ(std::vector<BYTE>(file.end() - 512, file.end()), std::vector<BYTE>(512, 0));
  EXPECT_EQ(progress_.title, "Prepare Wave for play");
  EXPECT_EQ(progress_.text, Sound_File);

  // A changed stretch before it: its trailer must not cover the audio after.
  ASSERT_TRUE(engine_->PrepareWaveForPlay(films_.First(), UnitySetup(2), 0, 1000));
  file = FileBytes(Sound_File);
  ASSERT_EQ(file.size(), 2000u * 16 + 512);
  const std::vector<BYTE> head = Stream(0, 1000);
  EXPECT_TRUE(std::equal(head.begin(), head.end(), file.begin()));
  EXPECT_TRUE(std::equal(middle.begin(), middle.end(), file.begin() + 16000));

  // Nothing to render writes nothing and says so.
  EXPECT_FALSE(engine_->PrepareWaveForPlay(films_.First(), UnitySetup(2), 500, 500));
  EXPECT_TRUE(boxes_.boxes.empty());
}

// Someone else's link or file at the play file's name never receives the
// rendered sound; the render refuses to open it.
TEST_F(PlayFileTest, APlantedLinkOrFileAtThePlayFilesNameIsNotWritten) {
  TwoLines();
  const std::string victim = Path("victim.txt");
  struct Case {
    const char* what;
    bool link;
  } cases[] = {{"a link to another file", true}, {"another user's file", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(Sound_File);
    WriteFileText(victim, "notes");
    if (c.link) {
      ASSERT_EQ(symlink(victim.c_str(), Sound_File), 0);
    } else {
      if (getuid() != 0) continue;  // only root can give a file away
      WriteFileText(Sound_File, "planted");
      ASSERT_EQ(chown(Sound_File, 65534, 65534), 0);
    }
    boxes_.boxes.clear();
    EXPECT_FALSE(engine_->PrepareWaveForPlay(films_.First(), UnitySetup(2), 0, 500));
    EXPECT_EQ(ReadFileText(victim), "notes");
    if (!c.link) EXPECT_EQ(ReadFileText(Sound_File), "planted");
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].caption, "Open temporary Wave-file");
  }
  std::remove(Sound_File);
  // Made afresh, the play file is the user's alone.
  ASSERT_TRUE(engine_->PrepareWaveForPlay(films_.First(), UnitySetup(2), 0, 500));
  struct stat info;
  ASSERT_EQ(lstat(Sound_File, &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// For 8-bit output the stretch before a first range is the silence byte, not
// zero bytes.
TEST_F(PlayFileTest, TheGapBeforeARangeIsSilenceFor8BitOutput) {
  Configure(1, 1);
  TwoLines();
  ASSERT_TRUE(engine_->PrepareWaveForPlay(films_.First(), UnitySetup(2), 2000, 2500));
  std::vector<BYTE> file = FileBytes(Sound_File);
  ASSERT_EQ(file.size(), 2500u * 8 + 512);
  EXPECT_EQ(std::vector<BYTE>(file.begin(), file.begin() + 16000), std::vector<BYTE>(16000, 128));
  EXPECT_EQ(std::vector<BYTE>(file.end() - 512, file.end()), std::vector<BYTE>(512, 128));
}

TEST_F(PlayFileTest, AFailedOrCancelledRenderDeletesThePlayFile) {
  TwoLines();
  struct Case {
    ScriptedIo::Call call;
    int which;
    const char* caption;  // null: a cancel
  };
  for (const Case& c :
       {Case{ScriptedIo::kSeek, 1, "Seek temporary Wave-file"},
        Case{ScriptedIo::kWrite, 1, "Write temporary Wave-file"}, Case{ScriptedIo::kNone, 0, nullptr}}) {
    ASSERT_TRUE(engine_->PrepareWaveForPlay(films_.First(), UnitySetup(2), 0, 500));
    ASSERT_TRUE(FileExists(Sound_File));
    io_ = ScriptedIo{};
    io_.failing = c.call;
    io_.failingCall = c.which;
    progress_.cancelAt = c.caption == nullptr ? 1 : 0;
    boxes_.boxes.clear();
    EXPECT_FALSE(engine_->PrepareWaveForPlay(films_.First(), UnitySetup(2), 0, 3000));
    EXPECT_FALSE(FileExists(Sound_File));
    if (c.caption != nullptr) {
      ASSERT_EQ(boxes_.boxes.size(), 1u);
      EXPECT_EQ(boxes_.boxes[0].caption, c.caption);
      EXPECT_EQ(boxes_.boxes[0].text, std::string("Error writing file:\n'") + Sound_File + "'.");
    } else {
      EXPECT_TRUE(boxes_.boxes.empty());
    }
    io_ = ScriptedIo{};
    progress_.Reset();
  }
  // The play file can be neither opened nor made: its folder is missing.
  const std::string kept = Sound_File;
  std::snprintf(Sound_File, sizeof(Sound_File), "%s", Path("missing/KOBRIX.TMP").c_str());
  boxes_.boxes.clear();
  EXPECT_FALSE(engine_->PrepareWaveForPlay(films_.First(), UnitySetup(2), 0, 500));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].caption, "Open temporary Wave-file");
  std::snprintf(Sound_File, sizeof(Sound_File), "%s", kept.c_str());
}

}  // namespace
