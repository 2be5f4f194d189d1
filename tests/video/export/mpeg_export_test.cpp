// The MPEG export: through the encoder component of ours (read back with
// ffprobe), and through a recording fake that shows what the program asks
// of the component and in which order.
#include "video/export/mpeg_export.h"

#include <dlfcn.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "export_fixture.h"
#include "model/ini.h"
#include "model/text_format.h"
#include "platform/components/com.h"
#include "platform/components/mpeg_encoder.h"
#include "platform/core/registry.h"
#include "resources/mpeg_dialog_ids.h"
#include "support/file_bytes.h"
#include "support/recording_boxes.h"
#include "ui/dialog_script.h"

namespace exporttest {
namespace {

constexpr uint32_t kVideo = 1;
constexpr uint32_t kAudio = 2;

constexpr char kPlainClass[] = "{447B9000-B635-11CF-8DDB-0000E8C2AE4F}";
constexpr char kMethodClass[] = "{447B7FE2-B635-11CF-8DDB-0000E8C2AE4F}";

std::string RegistryClassEntry(const std::string& clsid, const std::string& module) {
  return "[HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\InprocServer32]\n@=\"" + module + "\"\n";
}

std::string EncoderKey(const std::string& method) {
  return "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Darim Vision\\DVMPEG]\n\"EncodeMethod\"=\"" + method + "\"\n";
}

// The build's registry entries, the module named by its path in the build folder.
std::string RealRegistry() {
  std::string s = ReadFileText(KOBRIX_MPEG_REGISTRY);
  const std::string module = std::string("@=\"") + KOBRIX_MPEG_MODULE_DIR + "/KXMPEG.DLL\"";
  for (std::size_t at = 0; (at = s.find("@=\"KXMPEG.DLL\"", at)) != std::string::npos; at += module.size())
    s.replace(at, 14, module);
  return s;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// Pictures of one grey each, 20 + the frame's number, so that any corner
// of a scaled picture tells which frame it shows.
std::vector<Picture> Greys(int width, int height, int count) {
  std::vector<Picture> out;
  for (int i = 0; i < count; ++i)
    out.emplace_back(static_cast<std::size_t>(width) * height * 3, static_cast<BYTE>(20 + i));
  return out;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

// Whether this thread's components are as they were: a first initialisation
// counts as the first again.
bool ComUndone() {
  const HRESULT hr = CoInitialize(nullptr);
  CoUninitialize();
  return hr == S_OK;
}

// The fake encoder module, loaded by the test so that its script can be set
// before the export loads it again through the registry.
class FakeModule {
 public:
  FakeModule() : handle_(dlopen(KOBRIX_FAKE_MPEG_MODULE, RTLD_NOW | RTLD_LOCAL)) {
    EXPECT_NE(handle_, nullptr) << dlerror();
  }
  ~FakeModule() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  void Script(const char* words) {
    reinterpret_cast<void (*)(const char*)>(dlsym(handle_, "FakeMpegScript"))(words);
  }
  std::vector<std::string> Log() {
    return Lines(reinterpret_cast<const char* (*)()>(dlsym(handle_, "FakeMpegLog"))());
  }
  long Objects() { return reinterpret_cast<long (*)()>(dlsym(handle_, "FakeMpegObjects"))(); }

 private:
  void* handle_;
};

class MpegExportTest : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    IniSetSection("DVMPEG");
    IniWriteInt("MPEG_STREAM", 0);
    IniWriteInt("MPEG_FORMAT", 2);
    IniWriteInt("MPEG_VBITRATE", 1125);
    IniWriteInt("MPEG_ABITRATE", 6);
    IniFlush();
  }
  void UseFake(const std::string& method = "0") {
    WriteFileText(RegistryFilePath(), RegistryClassEntry(kPlainClass, KOBRIX_FAKE_MPEG_MODULE) +
                                          RegistryClassEntry(kMethodClass, KOBRIX_FAKE_MPEG_MODULE) +
                                          EncoderKey(method));
  }
  // Answers the settings dialog with a picture size and OK, the rest as
  // the settings file has it.
  dialogtest::ModalScript::Step Settings(const char* width = "64", const char* height = "48") {
    return [width, height](HWND d) {
      // Without pictures the size fields are not there to type into.
      if (IsWindowEnabled(GetDlgItem(d, kMpegWidth))) {
        dialogtest::TypeOver(d, kMpegWidth, width);
        dialogtest::TypeOver(d, kMpegHeight, height);
      }
      dialogtest::Click(d, IDOK);
    };
  }
  bool Export(const Segments& segments, uint32_t parts, int32_t start, int32_t end, const std::string& path) {
    return ExportMpeg(nullptr, segments.First(), films_.First(), parts, UnitySetup(1), start, end,
                      path.c_str());
  }
  std::string Probe(const std::string& path, const std::string& entries, const char* stream) {
    const std::vector<BYTE> out =
        video_test::Capture("ffprobe -v error -count_frames -select_streams " + std::string(stream) +
                            " -show_entries stream=" + entries + " -of csv=p=0 " + path);
    std::string s(out.begin(), out.end());
    while (!s.empty() && (s.back() == '\n' || s.back() == ',')) s.pop_back();
    return s;
  }

  InstalledCodecs codecs_;
};

// 25 fps written as PAL 25: one picture per project frame at the chosen
// size, and layer II sound as long as the range.
TEST_F(MpegExportTest, TheEncoderWritesAStreamThatPlayersRead) {
  if (!video_test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  WriteFileText(RegistryFilePath(), RealRegistry());
  ConfigureSound(32000, 2);
  const std::string source = Path("a.avi");
  WriteUncompressed(source, 32, 24, Patterns(32, 24, 1, 50));
  Segments segments;
  segments.Add(source, 0, 2000, 0);
  AddSound(0, 2000);
  const std::string path = Path("out.mpg");
  dialogtest::ModalScript script({Settings("64", "48")});
  ASSERT_TRUE(Export(segments, kVideo | kAudio, 0, 2000, path));
  EXPECT_TRUE(script.done());
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(progress_.title, "Export MPEG");
  EXPECT_EQ(progress_.steps, 50);  // 2 s of 14400 / 360000 s frames

  EXPECT_EQ(Probe(path, "codec_name,width,height,r_frame_rate,nb_read_frames", "v"),
            "mpeg1video,64,48,25/1,50");
  EXPECT_EQ(Probe(path, "codec_name,sample_rate,channels", "a"), "mp2,32000,2");
  const std::vector<BYTE> sound =
      video_test::Capture("ffmpeg -nostdin -v error -i " + path + " -map 0:a -f s16le -");
  const double seconds = static_cast<double>(sound.size()) / (32000 * 2 * 2);
  EXPECT_NEAR(seconds, 2.0, 1152.0 / 32000);  // within one layer II frame
}

// Each stream type and frame rate comes out with the video and rate asked for.
TEST_F(MpegExportTest, StreamTypesAndFrameRates) {
  if (!video_test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  WriteFileText(RegistryFilePath(), RealRegistry());
  ConfigureSound(44100, 2);
  const std::string source = Path("a.avi");
  WriteUncompressed(source, 32, 24, Patterns(32, 24, 1, 25));
  AddSound(0, 1000);
  struct Case {
    int streamRow, formatRow;
    const char* height;
    uint32_t parts;
    const char* streams;  // as ffprobe lists them; the sound's frame count left out
  };
  const Case cases[] = {
      {0, 3, "48", kVideo | kAudio, "mpeg1video,video,30000/1001,30\nmp2,audio"},
      {1, 2, "288", kVideo | kAudio, "mpeg2video,video,25/1,25\nmp2,audio"},
      {1, 0, "240", kVideo | kAudio, "mpeg1video,video,24000/1001,24\nmp2,audio"},
      {2, 3, "240", kVideo | kAudio, "mpeg1video,video,30000/1001,30\nmp2,audio"},
      {0, 4, "48", kVideo, "mpeg1video,video,30/1,30"},
      {0, 1, "48", kAudio, "mp2,audio"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.streams);
    IniSetSection("DVMPEG");
    IniWriteInt("MPEG_STREAM", c.streamRow);
    IniWriteInt("MPEG_FORMAT", c.formatRow);
    IniFlush();
    Segments segments;
    segments.Add(source, 0, 1000, 0);
    const std::string path = Path("kinds.mpg");
    dialogtest::ModalScript script({Settings("64", c.height)});
    ASSERT_TRUE(Export(segments, c.parts, 0, 1000, path));
    const std::vector<BYTE> out = video_test::Capture(
        "ffprobe -v error -count_frames -show_entries "
        "stream=codec_type,codec_name,r_frame_rate,nb_read_frames "
        "-of csv=p=0 " +
        path);
    // One line a stream, without the empty fields of side data.
    std::string streams;
    for (std::string line : Lines(std::string(out.begin(), out.end()))) {
      while (!line.empty() && line.back() == ',') line.pop_back();
      if (!line.empty()) streams += (streams.empty() ? "" : "\n") + line;
    }
    EXPECT_TRUE(StartsWith(streams, c.streams)) << streams;
  }
}

// Pictures of a brightness each come back in the order they were fed: the
// encoder, working beside the decoding, takes each picture before the
// export reuses its memory for the next.
TEST_F(MpegExportTest, EachPictureComesBackInItsPlace) {
  if (!video_test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  WriteFileText(RegistryFilePath(), RealRegistry());
  constexpr int kCount = 25, kW = 64, kH = 48;
  std::vector<Picture> pictures;
  for (int i = 0; i < kCount; ++i)
    pictures.emplace_back(std::size_t{kW} * kH * 3, static_cast<BYTE>(16 + 8 * i));
  const std::string source = Path("levels.avi");
  WriteUncompressed(source, kW, kH, pictures);
  Segments segments;
  segments.Add(source, 0, 1000, 0);
  const std::string path = Path("levels.mpg");
  dialogtest::ModalScript script({Settings("64", "48")});
  ASSERT_TRUE(Export(segments, kVideo, 0, 1000, path));
  const std::vector<BYTE> grey =
      video_test::Capture("ffmpeg -nostdin -v error -i " + path + " -f rawvideo -pix_fmt gray -");
  const std::size_t size = std::size_t{kW} * kH;
  ASSERT_EQ(grey.size(), kCount * size);
  for (int i = 0; i < kCount; ++i) {
    double sum = 0;
    for (std::size_t k = 0; k < size; ++k) sum += grey[i * size + k];
    EXPECT_NEAR(sum / static_cast<double>(size), 16 + 8 * i, 4.0) << "picture " << i;
  }
}

TEST_F(MpegExportTest, SoundAtARateMpegAudioCannotCarryIsRefused) {
  WriteFileText(RegistryFilePath(), RealRegistry());
  ConfigureSound(11025, 1);
  AddSound(0, 1000);
  const std::string path = Path("refused.mpg");
  dialogtest::ModalScript script({Settings()});
  EXPECT_FALSE(Export(Segments{}, kAudio, 0, 1000, path));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].caption, "MPEG Encoder");
  EXPECT_EQ(boxes_.boxes[0].text,
            "MPEG audio can not carry 11025 Hz: choose 16000, 22050, 24000, 32000, 44100 or 48000 Hz.");
  EXPECT_FALSE(Exists(path));
  EXPECT_TRUE(ComUndone());
}

// Project frames at 25 fps shown at 29.97: every picture the encoder gets is
// the project frame due at its time, and no frame is decoded twice in a row.
TEST_F(MpegExportTest, AnotherFrameRateRepeatsProjectFramesWithoutDecodingThemAgain) {
  FakeModule fake;
  fake.Script("");
  UseFake();
  IniSetSection("DVMPEG");
  IniWriteInt("MPEG_FORMAT", 3);  // NTSC 29.97
  IniFlush();
  const std::string source = Path("a.avi");
  WriteKeyDelta(source, 8, 6, Greys(8, 6, 25), 1);
  Segments segments;
  segments.Add(source, 0, 1000, 0);
  dialogtest::ModalScript script({Settings("16", "16")});
  Counts() = CodecCounts{};
  ASSERT_TRUE(Export(segments, kVideo, 0, 1000, Path("ntsc.mpg")));
  std::vector<int> shown;
  for (const std::string& line : fake.Log())
    if (StartsWith(line, "23 frame 16x16 ")) shown.push_back(std::atoi(line.c_str() + 15));
  // 1000 ms of 12012 / 360000 s frames: 30 pictures.
  ASSERT_EQ(shown.size(), 30u);
  std::vector<int> decoded;
  for (int i = 0; i < 30; ++i) {
    const int k = static_cast<int>(i * 25.0 / (360000.0 / 12012) + 0.499);
    EXPECT_EQ(shown[i], 20 + k) << "picture " << i;
    if (decoded.empty() || decoded.back() != 20 + k) decoded.push_back(20 + k);
  }
  EXPECT_EQ(Counts().decoded, decoded);
}

// A cancel while the next pictures are being decoded ahead ends the export
// there: no message, no file, and no more pictures decoded than wait ahead.
TEST_F(MpegExportTest, ACancelWhilePicturesAreDecodedAheadEndsThere) {
  FakeModule fake;
  fake.Script("");
  UseFake();
  const std::string source = Path("long.avi");
  WriteKeyDelta(source, 8, 6, Greys(8, 6, 50), 1);
  Segments segments;
  segments.Add(source, 0, 2000, 0);
  const std::string path = Path("cancelled.mpg");
  dialogtest::ModalScript script({Settings("16", "16")});
  Counts() = CodecCounts{};
  progress_.cancelAt = 5;
  EXPECT_FALSE(Export(segments, kVideo, 0, 2000, path));
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_FALSE(Exists(path));
  EXPECT_GE(Counts().decodes, 5);
  EXPECT_LE(Counts().decodes, 5 + 3);
  EXPECT_TRUE(ComUndone());
}

// Motion JPEG pictures at the encoder's size go to it as the codec's YUV
// planes; at another size they are scaled in RGB as before.
TEST_F(MpegExportTest, MotionJpegAtItsOwnSizeReachesTheEncoderAsPlanes) {
  if (!video_test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string source = Path("mjpeg.avi");
  ASSERT_EQ(
      video_test::Run("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=32x16:rate=25 -frames:v 25 "
                      "-c:v mjpeg -pix_fmt yuvj422p '" +
                      source + "'"),
      0);
  FakeModule fake;
  const struct {
    const char* width;
    const char* height;
    bool planes;
  } cases[] = {{"32", "16", true}, {"48", "32", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    fake.Script("");
    UseFake();
    Segments segments;
    segments.Add(source, 0, 1000, 0);
    dialogtest::ModalScript script({Settings(c.width, c.height)});
    ASSERT_TRUE(Export(segments, kVideo, 0, 1000, Path("planes.mpg")));
    int frames = 0, planes = 0;
    for (const std::string& line : fake.Log()) {
      if (!StartsWith(line, "23 frame")) continue;
      ++frames;
      planes += line.size() > 7 && line.compare(line.size() - 7, 7, " planes") == 0;
    }
    EXPECT_GT(frames, 0);
    EXPECT_EQ(planes, c.planes ? frames : 0);
  }
}

// The program's calls, place by place: the class chosen by "EncodeMethod",
// the settings, the start, pictures and sound with the blocks taken after
// each, the ends, the stop and the shutdown; components are undone as
// often as they were done.
TEST_F(MpegExportTest, TheEncoderIsDrivenInItsOrder) {
  FakeModule fake;
  const std::string source = Path("a.avi");
  WriteKeyDelta(source, 8, 6, Patterns(8, 6, 1, 25), 1);
  AddSound(0, 1000);
  for (const char* method : {"0", "1"}) {
    SCOPED_TRACE(method);
    fake.Script("");
    UseFake(method);
    Segments segments;
    segments.Add(source, 0, 1000, 0);
    const std::string path = Path("order.mpg");
    dialogtest::ModalScript script({Settings("16", "16")});
    ASSERT_TRUE(Export(segments, kVideo | kAudio, 0, 1000, path));
    const std::vector<std::string> log = fake.Log();
    std::vector<std::string> steps;
    int frames = 0, blocks = 0, soundBytes = 0;
    bool soundAfterEnd = false, ended = false;
    for (const std::string& line : log) {
      if (StartsWith(line, "23 frame")) {
        ++frames;
      } else if (StartsWith(line, "26 sound")) {
        soundBytes += std::atoi(line.c_str() + 9);
        soundAfterEnd = soundAfterEnd || ended;
      } else if (StartsWith(line, "20 block")) {
        ++blocks;
      } else if (line != "21 give back") {
        if (line == "25 end audio") ended = true;
        steps.push_back(line);
      }
    }
    const std::vector<std::string> expected = {
        std::string(method) == "1" ? "class by method" : "class plain",
        "create",
        "3 initialise",
        "stream 8 type 2",
        "video 8 format 3",
        "video 10 rate 1152000",
        "12 size 16 16",
        "13 video rate 1152000",
        "audio 10 rate 112",
        "24 sound 8000 1 16",
        "16 start",
        "18 started",
        "video 18 period",
        "25 end audio",
        "19 end video",
        "17 stop",
        "4 shut down",
        "released",
    };
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(frames, 25);
    EXPECT_EQ(soundBytes, 16000);  // the whole second, fed before the sound ends
    EXPECT_FALSE(soundAfterEnd);
    // Every block the encoder handed out is in the file, in order.
    EXPECT_EQ(FileBytes(path), std::vector<BYTE>(static_cast<std::size_t>(blocks) * 100, 'M'));
    EXPECT_EQ(fake.Objects(), 0);
    EXPECT_TRUE(ComUndone());
  }
  // Components this thread had before stay.
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  fake.Script("");
  Segments segments;
  segments.Add(source, 0, 1000, 0);
  dialogtest::ModalScript script({Settings("16", "16")});
  ASSERT_TRUE(Export(segments, kVideo, 0, 1000, Path("inside.mpg")));
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  CoUninitialize();
  CoUninitialize();
  EXPECT_TRUE(ComUndone());
}

TEST_F(MpegExportTest, AnEncoderThatCannotBeHadIsTold) {
  FakeModule fake;
  AddSound(0, 1000);
  struct Case {
    const char* what;
    bool registered;
    const char* script;
    const char* text;
  };
  const Case cases[] = {
      {"no factory", false, "", "Can not find DVMPEG Encoder class factory\nDo you install DVMPEG ?!?"},
      {"no object", true, "nocreate", "Can not create DVMPEG Encoder Object"},
      {"no initialisation", true, "noinit", "The encoder has no licence for this machine."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fake.Script(c.script);
    if (c.registered) {
      UseFake();
    } else {
      WriteFileText(RegistryFilePath(), EncoderKey("0"));
    }
    boxes_.boxes.clear();
    const std::string path = Path("none.mpg");
    EXPECT_FALSE(Export(Segments{}, kAudio, 0, 1000, path));
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text, c.text);
    EXPECT_EQ(boxes_.boxes[0].caption, "MPEG Encoder");
    EXPECT_EQ(boxes_.boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(fake.Objects(), 0);
    EXPECT_TRUE(ComUndone());
  }
}

TEST_F(MpegExportTest, AShortWriteIsToldAndTheEncoderStillFinishes) {
  FakeModule fake;
  fake.Script("");
  UseFake();
  AddSound(0, 1000);
  io_.writesLeft = 3;
  const std::string path = Path("short.mpg");
  dialogtest::ModalScript script({Settings()});
  EXPECT_FALSE(Export(Segments{}, kAudio, 0, 1000, path));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_TRUE(StartsWith(boxes_.boxes[0].text, "Error writing to file\r\n" + path + "\r\nError code = "));
  EXPECT_EQ(boxes_.boxes[0].caption, "MPEG Encoder");
  const std::vector<std::string> log = fake.Log();
  std::vector<std::string> tail;
  for (const std::string& line : log)
    if (line == "25 end audio" || line == "19 end video" || line == "17 stop" || line == "4 shut down")
      tail.push_back(line);
  EXPECT_EQ(tail, (std::vector<std::string>{"25 end audio", "19 end video", "17 stop", "4 shut down"}));
  EXPECT_FALSE(Exists(path));
  EXPECT_TRUE(ComUndone());
}

// The room asked for counts both rates in bits per second.
TEST_F(MpegExportTest, TooLittleFreeSpaceIsToldWithThePath) {
  FakeModule fake;
  fake.Script("");
  UseFake();
  const std::string source = Path("a.avi");
  WriteKeyDelta(source, 8, 6, Patterns(8, 6, 1, 50), 1);
  AddSound(0, 2000);
  // 4096 + 2 s of 1125 × 1024 bit/s of video and 112 kbit/s of sound.
  const ULONGLONG need = 4096 + 2000ull * 1152000 / 8000 + 2000ull * 112000 / 8000;
  const std::string path = Path("room.mpg");
  for (ULONGLONG free : {need - 1, need}) {
    SCOPED_TRACE(free);
    io_.freeSpace = free;
    boxes_.boxes.clear();
    Segments segments;
    segments.Add(source, 0, 2000, 0);
    dialogtest::ModalScript script({Settings("16", "16")});
    EXPECT_EQ(Export(segments, kVideo | kAudio, 0, 2000, path), free == need);
    if (free < need) {
      ASSERT_EQ(boxes_.boxes.size(), 1u);
      EXPECT_EQ(boxes_.boxes[0].text, "Not enough free space to write file '" + path + "'");
      EXPECT_EQ(boxes_.boxes[0].caption, "Export MPEG");
      EXPECT_FALSE(Exists(path));
    } else {
      EXPECT_TRUE(boxes_.boxes.empty());
    }
  }
}

TEST_F(MpegExportTest, ARangeStartingWithoutAPictureAsksForTheSoundAlone) {
  FakeModule fake;
  fake.Script("");
  UseFake();
  const std::string source = Path("a.avi");
  WriteKeyDelta(source, 8, 6, Patterns(8, 6, 1, 25), 1);
  AddSound(0, 1000);
  Segments segments;
  segments.Add(source, 400, 1000, 0);
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer);
    RecordingBoxes boxes(answer);
    fake.Script("");
    const std::string path = Path("gap.mpg");
    dialogtest::ModalScript script({Settings()});
    EXPECT_EQ(Export(segments, kVideo | kAudio, 0, 1000, path), answer == IDYES);
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown[0].text, "Video starts from an empty frame!\nWrite audio only?");
    EXPECT_EQ(boxes.shown[0].caption, "Export MPEG");
    bool pictures = false, typed = false;
    for (const std::string& line : fake.Log()) {
      pictures = pictures || StartsWith(line, "23 frame");
      typed = typed || line == "stream 8 type -1";
    }
    EXPECT_FALSE(pictures);
    EXPECT_EQ(typed, answer == IDYES);
    EXPECT_EQ(Exists(path), answer == IDYES);
  }
}

}  // namespace
}  // namespace exporttest
