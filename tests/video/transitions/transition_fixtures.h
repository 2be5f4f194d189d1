// Fixtures of the transition tests: clips placed on the project's list, a
// key/delta test codec that can fail, throw or hold a frame back, source
// files written by the program's own writer, the blend a transition frame
// must show, and a main window that collects the render requests.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "media/video_test_util.h"
#include "model/film.h"
#include "model/message_box.h"
#include "model/players.h"
#include "platform/codecs/vfw.h"
#include "video/transitions/vfx_render.h"

namespace vfxtest {

using video_test::TempFolder;

// Packed blue-green-red pictures, top row first.
using Picture = std::vector<BYTE>;

// A picture of its own for each seed and frame.
Picture Pattern(int width, int height, int seed, int frame);
// Pattern frames 0..count-1.
std::vector<Picture> Patterns(int width, int height, int seed, int count);

// The key/delta codec: a key frame holds the picture ('K' and the packed
// bytes), a delta frame ('D') the byte differences to the picture before,
// so it decodes only after the key frame it follows. It compresses key
// frames. It also answers to kFailing, whose frames never decode, and to
// kThrowing, whose decoding throws.
constexpr FOURCC kKeyDelta = mmioFOURCC('K', 'D', 'L', 'T');
constexpr FOURCC kFailing = mmioFOURCC('K', 'F', 'A', 'L');
constexpr FOURCC kThrowing = mmioFOURCC('K', 'T', 'H', 'R');

struct KeyDeltaControls {
  // Compressing frame gateAt or later waits until the gate opens.
  std::atomic<int> gateAt{-1};
  std::atomic<bool> atGate{false};
  std::atomic<int> failedDecodes{0};
  void OpenGate();
  // Waits (real time) until a compression waits at the gate.
  bool WaitAtGate(int realMs = 20000);

  std::mutex lock;
  std::condition_variable changed;
  bool open = false;
};
KeyDeltaControls& KeyDelta();

// Installs the three codes for its lifetime, with fresh controls.
class InstalledKeyDelta {
 public:
  InstalledKeyDelta();
  ~InstalledKeyDelta();
};

// Writes pictures as a key/delta file with a key frame every keyEvery
// frames; the frames in empty are stored without data (each must repeat
// the picture before it).
void WriteKeyDelta(const std::string& path, int width, int height, const std::vector<Picture>& pictures,
                   int keyEvery, FOURCC code = kKeyDelta, const std::set<int>& empty = {});
// Writes pictures as an uncompressed 24-bit file.
void WriteUncompressed(const std::string& path, int width, int height, const std::vector<Picture>& pictures);
// The pictures of an uncompressed or key/delta file of the program's, and
// whether every frame was stored as a key frame.
std::vector<Picture> ReadPictures(const std::string& path, bool* allKeys = nullptr);
// The pictures ffmpeg decodes from a file.
std::vector<Picture> FfmpegPictures(const std::string& path, int width, int height);

// Frame step of steps of a transition of kind from a to b.
Picture Blend(const Picture& a, const Picture& b, int width, int height, int kind, int soft, int step,
              int steps);
// Mean and largest difference of two pictures' bytes.
double MeanDiff(const Picture& a, const Picture& b);
int MaxDiff(const Picture& a, const Picture& b);

// A clip of the file on the project's list: [start, end) ms showing the
// source from in, on a video row, with its stamp.
Film* PlaceClip(const std::string& path, int32_t start, int32_t end, int32_t in, int32_t row, int32_t stamp);

// The program's main window as the renderer sees it: it collects the
// render requests and, while pumped, runs what other threads sent to the
// main thread (error boxes).
class MainWindow {
 public:
  MainWindow();
  ~MainWindow();
  HWND handle() const { return window_; }
  // Pumps until `jobs` more renders ended (a request with 0), within
  // realMs of real time.
  bool WaitForJobs(int jobs = 1, int realMs = 30000);
  // Handles what is queued now.
  void Pump();
  std::vector<int32_t> progress;  // the requests' values, in order

 private:
  HWND window_ = nullptr;
  int ended_ = 0;
  int waitedFor_ = 0;
};

// Keeps the renderer's traces.
class TraceLog {
 public:
  TraceLog();
  ~TraceLog();
  int Count(const std::string& text);

 private:
  std::mutex lock_;
  std::vector<std::string> lines_;
};

// Keeps the message boxes and the thread each showed on.
class BoxLog : public MessageBoxPresenter {
 public:
  BoxLog();
  ~BoxLog() override;
  int Show(HWND owner, const std::string& text, const std::string& caption, UINT flags) override;
  void Beep(UINT) override {}
  struct Box {
    std::string text, caption;
    UINT flags = 0;
    DWORD thread = 0;
  };
  std::vector<Box> boxes;

 private:
  MessageBoxPresenter* before_;
};

// Leaves the renderer as it found it: its settings, folders, service and
// the project's films.
class TransitionTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The project file beside which the transition files go.
  std::string Project() const { return folder.Path("show.tml"); }
  std::string FileOf(uint32_t a, uint32_t b) const;

  TempFolder folder;
  VFX vfx;
};

}  // namespace vfxtest
