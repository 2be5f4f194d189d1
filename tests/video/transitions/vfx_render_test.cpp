// The background render: overlapping clips turn into a temporary AVI file
// of key frames, each the blend of the two clips' pictures, while the
// program goes on; a change or a stop in the middle leaves no half file.
#include <filesystem>
#include <sstream>
#include <thread>

#include "media/video_data.h"
#include "media/video_source_hooks.h"
#include "model/film_list.h"
#include "platform/core/threads.h"
#include "platform/core/time.h"
#include "transition_fixtures.h"

namespace vfxtest {
namespace {

namespace fs = std::filesystem;

// Clip A (stamp 7) shows frames 0..19 over [0, 800) ms on row 0; clip B
// (stamp 12) starts at 400 ms on row 1 from its frame 3. They overlap for
// 10 frames: A's 10..19 against B's 3..12.
constexpr int kCount = 10;
constexpr int kFirstA = 10;
constexpr int kFirstB = 3;
constexpr int kSourceFrames = 24;

class RenderTest : public TransitionTest {
 protected:
  void SetUp() override {
    TransitionTest::SetUp();
    VFXRender::SetMainWindow(main.handle());
  }
  // Places the pair over files a and b.
  void PlacePair(const std::string& a, const std::string& b) {
    clipA = PlaceClip(a, 0, 800, 0, 0, 7);
    clipB = PlaceClip(b, 400, 1240, 120, 1, 12);
  }
  VFXEntry* StartAndSchedule() {
    EXPECT_TRUE(VFXRender::StartThread(vfx));
    return vfx.Schedule();
  }
  // The frames the transition must show.
  static std::vector<Picture> Expected(const std::vector<Picture>& a, const std::vector<Picture>& b, int w,
                                       int h, int kind, int soft) {
    std::vector<Picture> out;
    for (int i = 0; i < kCount; ++i)
      out.push_back(Blend(a[kFirstA + i], b[kFirstB + i], w, h, kind, soft, i, kCount));
    return out;
  }
  // Waits until the rendered file is written and opened.
  void WaitRendered(VFXEntry* t, int jobs = 1) {
    ASSERT_TRUE(main.WaitForJobs(jobs));
    vfx.Schedule();
    ASSERT_EQ(t->state, VFXEntry::Rendered);
    ASSERT_NE(t->rendered, nullptr);
  }
  // Opens the gate once the job's partial file is gone, that is once the
  // job has stopped.
  void OpenGateWhenFileGoes() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (fs::exists(FileOf(7, 12)) && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    KeyDelta().gateAt = -1;
    KeyDelta().OpenGate();
  }

  MainWindow main;
  TraceLog traces;
  Film* clipA = nullptr;
  Film* clipB = nullptr;
};

struct Made {
  const char* name;
  const char* options;  // ffmpeg's
  // 0: exact. Encoded twice, a detailed picture differs by 4 to 7 on
  // average, a frame off by one by more than 10.
  double meanTolerance;
};

class FfmpegPairTest : public RenderTest, public ::testing::WithParamInterface<Made> {};

TEST_P(FfmpegPairTest, EachKindRendersBesideTheProject) {
  if (!video_test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  const Made& m = GetParam();
  const int w = 160, h = 120;
  std::string files[2];
  const char* sources[2] = {"testsrc", "testsrc2"};
  for (int i = 0; i < 2; ++i) {
    files[i] = folder.Path(std::string(m.name) + std::to_string(i) + ".avi");
    const std::string make = std::string("ffmpeg -nostdin -v error -y -f lavfi -i ") + sources[i] +
                             "=size=160x120:rate=25 -frames:v " + std::to_string(kSourceFrames) + " " +
                             m.options + " " + files[i];
    ASSERT_EQ(video_test::Run(make), 0) << make;
  }
  const std::vector<Picture> a = FfmpegPictures(files[0], w, h);
  const std::vector<Picture> b = FfmpegPictures(files[1], w, h);
  ASSERT_EQ(a.size(), static_cast<std::size_t>(kSourceFrames));
  VFXRenderSettings settings;
  settings.maxQuality = 10000;
  VFXRender::SetSettings(settings);
  PlacePair(files[0], files[1]);
  VFXEntry* t = StartAndSchedule();
  ASSERT_NE(t, nullptr);
  const std::string file = FileOf(7, 12);
  ASSERT_EQ(file, folder.Path("show.vfx/vfx007_012.avi"));

  for (int kind = 0; kind <= 4; ++kind) {
    SCOPED_TRACE(testing::Message() << "kind " << kind);
    const int soft = kind == 0 ? 0 : 6;
    vfx.SetTransition(t, kind, static_cast<uint32_t>(soft));
    WaitRendered(t);
    // Ten key frames at the project's rate and the clips' size.
    const std::vector<BYTE> probe = video_test::Capture(
        "ffprobe -v error -select_streams v:0 -show_entries stream=width,height,r_frame_rate -show_entries "
        "packet=flags -of csv=p=0 " +
        file);
    std::istringstream lines(std::string(probe.begin(), probe.end()));
    std::string line, stream;
    int keys = 0, packets = 0;
    while (std::getline(lines, line)) {
      if (line.rfind("K", 0) == 0) ++keys;
      if (line.find('_') != std::string::npos) {
        ++packets;
      } else if (!line.empty()) {
        stream = line;
      }
    }
    EXPECT_EQ(stream, "160,120,25/1");
    EXPECT_EQ(packets, kCount);
    EXPECT_EQ(keys, kCount);

    const std::vector<Picture> want = Expected(a, b, w, h, kind, soft);
    const std::vector<Picture> got = FfmpegPictures(file, w, h);
    ASSERT_EQ(got.size(), want.size());
    for (int i = 0; i < kCount; ++i) {
      if (m.meanTolerance == 0) {
        EXPECT_EQ(got[i], want[i]) << "frame " << i;
      } else {
        EXPECT_LE(MeanDiff(got[i], want[i]), m.meanTolerance) << "frame " << i;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Codecs, FfmpegPairTest,
                         ::testing::Values(Made{"rawvideo", "-c:v rawvideo -pix_fmt bgr24", 0},
                                           Made{"mjpeg", "-c:v mjpeg -q:v 2 -pix_fmt yuvj420p", 8.0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RenderTest, OddWidthsBlendRowByRow) {
  const int w = 18, h = 10;  // rows of 54 bytes padded to 56
  const std::vector<Picture> a = Patterns(w, h, 1, kSourceFrames);
  const std::vector<Picture> b = Patterns(w, h, 2, kSourceFrames);
  WriteUncompressed(folder.Path("a.avi"), w, h, a);
  WriteUncompressed(folder.Path("b.avi"), w, h, b);
  PlacePair(folder.Path("a.avi"), folder.Path("b.avi"));
  // The first kind is set before the service runs, so that no render of the
  // defaults can end while the test waits for this one.
  VFXEntry* t = vfx.Schedule();
  ASSERT_NE(t, nullptr);
  vfx.SetTransition(t, 0, 3);
  ASSERT_TRUE(VFXRender::StartThread(vfx));
  for (int kind = 0; kind <= 4; ++kind) {
    if (kind > 0) vfx.SetTransition(t, kind, 3);
    WaitRendered(t);
    bool allKeys = false;
    EXPECT_EQ(ReadPictures(FileOf(7, 12), &allKeys), Expected(a, b, w, h, kind, 3)) << "kind " << kind;
    EXPECT_TRUE(allKeys);
  }
}

TEST_F(RenderTest, ClipsDecodeFromTheKeyFrameBeforeTheirFirstFrame) {
  InstalledKeyDelta codec;
  const int w = 20, h = 12;
  const std::vector<Picture> a = Patterns(w, h, 1, kSourceFrames);
  std::vector<Picture> b = Patterns(w, h, 2, kSourceFrames);
  b[6] = b[5];                                      // stored empty: the picture before shows again
  WriteKeyDelta(folder.Path("a.avi"), w, h, a, 4);  // A's first frame 10 follows the key frame 8
  WriteKeyDelta(folder.Path("b.avi"), w, h, b, 5, kKeyDelta, {6});  // B's 3 follows 0
  PlacePair(folder.Path("a.avi"), folder.Path("b.avi"));
  VFXEntry* t = StartAndSchedule();
  WaitRendered(t);
  bool allKeys = false;
  EXPECT_EQ(ReadPictures(FileOf(7, 12), &allKeys), Expected(a, b, w, h, 0, 0));
  EXPECT_TRUE(allKeys);
  EXPECT_EQ(KeyDelta().failedDecodes, 0);
  // The service posts the frames of the job, the writer those left before
  // each frame, and 0 at the end.
  EXPECT_EQ(main.progress, (std::vector<int32_t>{10, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
}

TEST_F(RenderTest, Mpeg4ClipsShowWholePicturesFromTheFirstFrame) {
  if (!video_test::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  const int w = 64, h = 48;
  std::string files[2];
  const char* sources[2] = {"testsrc", "testsrc2"};
  for (int i = 0; i < 2; ++i) {
    files[i] = folder.Path("mpeg" + std::to_string(i) + ".avi");
    // Key frames at 0 and 12 only: both first frames lie between.
    const std::string make = std::string("ffmpeg -nostdin -v error -y -f lavfi -i ") + sources[i] +
                             "=size=64x48:rate=25 -frames:v 24 -c:v mpeg4 -q:v 2 -bf 0 -g 12 " + files[i];
    ASSERT_EQ(video_test::Run(make), 0) << make;
  }
  VFXRenderSettings settings;
  settings.maxQuality = 10000;
  VFXRender::SetSettings(settings);
  PlacePair(files[0], files[1]);
  VFXEntry* t = StartAndSchedule();
  WaitRendered(t);
  const std::vector<Picture> want =
      Expected(FfmpegPictures(files[0], w, h), FfmpegPictures(files[1], w, h), w, h, 0, 0);
  const std::vector<Picture> got = FfmpegPictures(FileOf(7, 12), w, h);
  ASSERT_EQ(got.size(), want.size());
  for (int i = 0; i < kCount; ++i) EXPECT_LE(MeanDiff(got[i], want[i]), 6.0) << "frame " << i;
}

TEST_F(RenderTest, StoppingTheServiceMidRenderEndsTheStagesAndDeletesThePartialFile) {
  InstalledKeyDelta codec;
  const int w = 20, h = 12;
  WriteKeyDelta(folder.Path("a.avi"), w, h, Patterns(w, h, 1, kSourceFrames), 4);
  WriteKeyDelta(folder.Path("b.avi"), w, h, Patterns(w, h, 2, kSourceFrames), 4);
  PlacePair(folder.Path("a.avi"), folder.Path("b.avi"));
  KeyDelta().gateAt = 4;
  VFXEntry* t = StartAndSchedule();
  ASSERT_TRUE(KeyDelta().WaitAtGate());
  EXPECT_TRUE(fs::exists(FileOf(7, 12)));
  std::thread opener([this] { OpenGateWhenFileGoes(); });
  VFXRender::StopThread();  // returns once the service and its seven stages have ended
  opener.join();
  EXPECT_FALSE(fs::exists(FileOf(7, 12)));
  vfx.Schedule();
  EXPECT_EQ(t->state, VFXEntry::Waiting);
  main.Pump();
  EXPECT_EQ(main.progress.back(), 7) << "the frames left; no end of job after a stop";
}

TEST_F(RenderTest, AChangeMidRenderThrowsTheRenderAwayAndRendersAgain) {
  InstalledKeyDelta codec;
  const int w = 20, h = 12;
  const std::vector<Picture> a = Patterns(w, h, 1, kSourceFrames);
  const std::vector<Picture> b = Patterns(w, h, 2, kSourceFrames);
  WriteKeyDelta(folder.Path("a.avi"), w, h, a, 4);
  WriteKeyDelta(folder.Path("b.avi"), w, h, b, 4);
  PlacePair(folder.Path("a.avi"), folder.Path("b.avi"));
  KeyDelta().gateAt = 4;
  VFXEntry* t = StartAndSchedule();
  ASSERT_TRUE(KeyDelta().WaitAtGate());
  vfx.SetTransition(t, 2, 4);
  EXPECT_EQ(t->state, VFXEntry::RenderingInvalidated);
  OpenGateWhenFileGoes();
  WaitRendered(t, 2);
  EXPECT_EQ(ReadPictures(FileOf(7, 12)), Expected(a, b, w, h, 2, 4));
}

TEST_F(RenderTest, DeletingAClipMidRenderGoesIdleAndAnUndoRendersAgainWithTheKind) {
  InstalledKeyDelta codec;
  const int w = 20, h = 12;
  const std::vector<Picture> a = Patterns(w, h, 1, kSourceFrames);
  const std::vector<Picture> b = Patterns(w, h, 2, kSourceFrames);
  WriteKeyDelta(folder.Path("a.avi"), w, h, a, 4);
  WriteKeyDelta(folder.Path("b.avi"), w, h, b, 4);
  PlacePair(folder.Path("a.avi"), folder.Path("b.avi"));
  VFXEntry* t = StartAndSchedule();
  WaitRendered(t);
  KeyDelta().atGate = false;
  KeyDelta().gateAt = 4;
  vfx.SetTransition(t, 3, 5);
  ASSERT_TRUE(KeyDelta().WaitAtGate());

  Film::Unlink(clipB, FilmList);  // the clip is deleted
  EXPECT_EQ(vfx.Schedule(), nullptr);
  EXPECT_EQ(t->state, VFXEntry::RenderingCancelled);
  OpenGateWhenFileGoes();
  ASSERT_TRUE(main.WaitForJobs());
  vfx.Schedule();
  EXPECT_EQ(t->state, VFXEntry::Idle);
  EXPECT_FALSE(fs::exists(FileOf(7, 12)));

  Film::Link(clipB, FilmList);  // the delete is undone
  EXPECT_EQ(vfx.Schedule(), t);
  EXPECT_EQ(t->kind, 3);
  WaitRendered(t);
  EXPECT_EQ(ReadPictures(FileOf(7, 12)), Expected(a, b, w, h, 3, 5));
}

TEST_F(RenderTest, ASourceNoCodecDecodesFailsBeforeAnyStageStarts) {
  const int w = 20, h = 12;
  const FOURCC unknown = mmioFOURCC('Z', 'Z', 'Z', 'Z');
  WriteKeyDelta(folder.Path("a.avi"), w, h, Patterns(w, h, 1, kSourceFrames), 4, unknown);
  WriteKeyDelta(folder.Path("b.avi"), w, h, Patterns(w, h, 2, kSourceFrames), 4, unknown);
  PlacePair(folder.Path("a.avi"), folder.Path("b.avi"));
  VFXEntry* t = StartAndSchedule();
  ASSERT_TRUE(main.WaitForJobs());
  vfx.Schedule();
  EXPECT_EQ(t->state, VFXEntry::Waiting);
  EXPECT_EQ(t->failures, 1);
  EXPECT_EQ(t->failure.rfind("No installed codec decodes the pictures of", 0), 0u) << t->failure;
  EXPECT_EQ(traces.Count("Fatal Stop FX making"), 0) << "no stage ran to stop";
  EXPECT_FALSE(fs::exists(FileOf(7, 12)));
}

TEST_F(RenderTest, AnAlwaysFailingTransitionLetsAnotherRenderAndTriesThreeTimes) {
  InstalledKeyDelta codec;
  TestClock clock;
  const int w = 20, h = 12;
  WriteKeyDelta(folder.Path("bad0.avi"), w, h, Patterns(w, h, 1, kSourceFrames), 4, kFailing);
  WriteKeyDelta(folder.Path("bad1.avi"), w, h, Patterns(w, h, 2, kSourceFrames), 4, kFailing);
  WriteKeyDelta(folder.Path("a.avi"), w, h, Patterns(w, h, 3, kSourceFrames), 4);
  WriteKeyDelta(folder.Path("b.avi"), w, h, Patterns(w, h, 4, kSourceFrames), 4);
  PlaceClip(folder.Path("bad0.avi"), 0, 800, 0, 0, 1);
  PlaceClip(folder.Path("bad1.avi"), 400, 1200, 0, 1, 2);
  PlaceClip(folder.Path("a.avi"), 2000, 2800, 0, 0, 3);
  PlaceClip(folder.Path("b.avi"), 2400, 3200, 0, 1, 4);
  VFXEntry* failing = StartAndSchedule();
  ASSERT_NE(failing, nullptr);
  VFXEntry* good = failing->next;
  ASSERT_NE(good, nullptr);
  ASSERT_TRUE(main.WaitForJobs(2));
  vfx.Schedule();
  EXPECT_EQ(good->state, VFXEntry::Rendered);

  // A minute of wake-ups.
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(WaitForDrivenWaiters(1));
    clock.Advance(3000);
  }
  ASSERT_TRUE(WaitForDrivenWaiters(1));
  EXPECT_EQ(traces.Count("Fatal Stop FX making"), 3);
  EXPECT_EQ(failing->state, VFXEntry::Waiting);
  EXPECT_EQ(failing->failures, 3);
}

TEST_F(RenderTest, AStageThatThrowsShowsItsBoxOnTheMainThread) {
  InstalledKeyDelta codec;
  BoxLog boxes;
  const int w = 20, h = 12;
  WriteKeyDelta(folder.Path("a.avi"), w, h, Patterns(w, h, 1, kSourceFrames), 4, kThrowing);
  WriteKeyDelta(folder.Path("b.avi"), w, h, Patterns(w, h, 2, kSourceFrames), 4);
  PlacePair(folder.Path("a.avi"), folder.Path("b.avi"));
  VFXEntry* t = StartAndSchedule();
  ASSERT_TRUE(main.WaitForJobs());
  main.Pump();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  const BoxLog::Box& box = boxes.boxes[0];
  EXPECT_EQ(box.text, "Unexpected exception in First Decompress VideoFX thread");
  EXPECT_EQ(box.caption, "Kobrix VFX Exception");
  EXPECT_EQ(box.flags & MB_ICONSTOP, MB_ICONSTOP);
  EXPECT_EQ(box.thread, GetCurrentThreadId());
  vfx.Schedule();
  EXPECT_EQ(t->state, VFXEntry::Waiting);
}

// Holds the writer when it closes its file, until the gate opens.
class HeldClose : public VideoSourceHooks {
 public:
  HeldClose() : before_(SetVideoSourceHooks(this)) {}
  ~HeldClose() override {
    Open();
    SetVideoSourceHooks(before_);
  }
  int32_t WriteRiffInfo(HMMIO) override {
    std::unique_lock<std::mutex> hold(lock_);
    closing = true;
    changed_.wait(hold, [this] { return open_; });
    return 0;
  }
  void Open() {
    std::lock_guard<std::mutex> hold(lock_);
    open_ = true;
    changed_.notify_all();
  }
  std::atomic<bool> closing{false};

 private:
  VideoSourceHooks* before_;
  std::mutex lock_;
  std::condition_variable changed_;
  bool open_ = false;
};

TEST_F(RenderTest, AServiceThatOutlivesItsStopIsLeftAlone) {
  TestClock clock;
  const int w = 20, h = 12;
  WriteUncompressed(folder.Path("a.avi"), w, h, Patterns(w, h, 1, kSourceFrames));
  WriteUncompressed(folder.Path("b.avi"), w, h, Patterns(w, h, 2, kSourceFrames));
  PlacePair(folder.Path("a.avi"), folder.Path("b.avi"));
  HeldClose held;
  VFXEntry* t = StartAndSchedule();
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!held.closing && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(held.closing);
  std::thread tenSeconds([&clock] {
    WaitForDrivenWaiters(1);
    clock.Advance(10000);
  });
  VFXRender::StopThread();  // the writer is stuck: the wait gives up
  tenSeconds.join();

  vfx.FreeAll();
  VFXRender::CleanTempDir();
  EXPECT_EQ(t->state, VFXEntry::Rendering);
  EXPECT_TRUE(fs::exists(FileOf(7, 12))) << "the file being written stays";

  held.Open();
  VFXRender::StopThread();  // waits for the one that outlived the first stop
  EXPECT_EQ(t->state, VFXEntry::Rendering) << "its late end changes nothing";
  EXPECT_TRUE(fs::exists(FileOf(7, 12)));
}

TEST_F(RenderTest, AFileOfTheNameOpenElsewhereIsNotWrittenOver) {
  InstalledKeyDelta codec;
  const int w = 20, h = 12;
  WriteKeyDelta(folder.Path("a.avi"), w, h, Patterns(w, h, 1, kSourceFrames), 4);
  WriteKeyDelta(folder.Path("b.avi"), w, h, Patterns(w, h, 2, kSourceFrames), 4);
  char path[MAX_PATH];
  ASSERT_TRUE(VFXRender::MakeFileName(path, 7, 12));
  WriteUncompressed(path, w, h, Patterns(w, h, 5, 3));
  AVIVideoData* held = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path, 0);
  ASSERT_NE(held, nullptr);
  PlacePair(folder.Path("a.avi"), folder.Path("b.avi"));
  VFXEntry* t = vfx.Schedule();
  vfx.Schedule();
  EXPECT_EQ(traces.Count(std::string("!!! File '") + path + "' is USED !!!"), 1);
  EXPECT_EQ(vfx.NextWaiting(), nullptr);
  held->Release();
  vfx.Schedule();
  EXPECT_EQ(vfx.NextWaiting(), t);
}

}  // namespace
}  // namespace vfxtest
