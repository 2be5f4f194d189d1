// Fixtures of the video tests: a temporary folder, AVI files written with
// the program's own writer, a recording message-box presenter and recording
// video-source hooks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/video_source_hooks.h"
#include "model/message_box.h"
#include "platform/codecs/avi.h"
#include "platform/codecs/dib.h"
#include "support/test_env.h"

namespace video_test {

// A folder of its own under $TMPDIR, removed with everything in it.
class TempFolder : public TestFolder {
 public:
  TempFolder();
  std::string Path(const std::string& name) const { return File(name); }
};

std::vector<BYTE> ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::vector<BYTE>& bytes);

// A header with room for 256 colours behind it.
struct Format {
  std::vector<BYTE> block = std::vector<BYTE>(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  BITMAPINFOHEADER* bi() { return reinterpret_cast<BITMAPINFOHEADER*>(block.data()); }
  const BITMAPINFOHEADER* bi() const { return reinterpret_cast<const BITMAPINFOHEADER*>(block.data()); }
  int32_t Size() const;  // header and the colours it counts
};
Format MakeFormat(LONG width, LONG height, WORD bits, DWORD compression = BI_RGB);

struct Frame {
  std::vector<BYTE> data;
  bool key = true;
};

struct AviSpec {
  Format format;
  double fps = 25.0;
  std::vector<Frame> frames;
  bool withAudio = false;  // 16-bit stereo 44100 Hz, a chunk of audioChunk bytes after each frame
  int32_t audioChunk = 7056;
  bool interleaved = false;
  int32_t trailingChunk = 0;  // bytes of an extra chunk of stream 1 after the frames ("wb")
  TWOCC videoType = aviTWOCC('d', 'c');
};

// Writes spec with AviWriter; returns its result.
int32_t WriteAvi(const std::string& path, const AviSpec& spec);

// Uncompressed frames of a moving gradient, 24 bits.
std::vector<Frame> GradientFrames(int width, int height, int count);

// A top-first, unpadded blue-green-red picture from a DIB of this format.
std::vector<BYTE> TopDownBgr(const BITMAPINFOHEADER* format, const BYTE* bits);

bool HaveFfmpeg();
// Runs a shell command; its exit status.
int Run(const std::string& command);
// Runs a command and returns what it wrote on standard output.
std::vector<BYTE> Capture(const std::string& command);

// The top-level chunks of a RIFF file: id, position of the header, size.
struct RawChunk {
  FOURCC id = 0;
  FOURCC type = 0;
  std::size_t at = 0;
  DWORD size = 0;
};
std::vector<RawChunk> TopChunks(const std::vector<BYTE>& file);

// Answers every box with IDOK and keeps what it showed.
class RecordingPresenter : public MessageBoxPresenter {
 public:
  RecordingPresenter();
  ~RecordingPresenter() override;
  int Show(HWND owner, const std::string& text, const std::string& caption, UINT flags) override;
  void Beep(UINT) override {}
  struct Box {
    std::string text, caption;
    UINT flags = 0;
  };
  std::vector<Box> boxes;

 private:
  MessageBoxPresenter* before_;
};

// Records what the video sources ask of the program.
class RecordingHooks : public VideoSourceHooks {
 public:
  RecordingHooks();
  ~RecordingHooks() override;
  void AcquireSubPlayer(const SubPlayerInfo& info) override;
  void ReleaseSubPlayer() override { ++releases; }
  int32_t PlayerUseCount() override { return useCount; }
  int32_t PlayerStreamKind() override { return kind; }
  const BITMAPINFOHEADER* PlayerFormat() override { return hasFormat ? &format : nullptr; }
  void RedrawClipsOfVideo(VideoData*) override { ++redraws; }
  void DropThumbnails(VideoData*) override { ++thumbnailDrops; }
  bool RefreshChangedSources(HWND, bool reload, bool, VideoData*) override;
  void BeginWaitCursor() override { ++waitCursors; }

  int acquires = 0, releases = 0, redraws = 0, thumbnailDrops = 0, waitCursors = 0;
  SubPlayerInfo lastInfo;
  int32_t useCount = 0, kind = 0;
  bool hasFormat = false;
  BITMAPINFOHEADER format;
  std::vector<bool> refreshes;  // the reload flag of each call
  bool refreshAnswer = true;

 private:
  VideoSourceHooks* before_;
};

}  // namespace video_test
