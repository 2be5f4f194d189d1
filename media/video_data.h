// Video sources: the frames of a video file, shared by every holder through a
// reference count. AVIVideoData is the AVI file with its frame index, its key
// frames and its decoding through the installed codecs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/media_interfaces.h"
#include "platform/codecs/avi.h"
#include "platform/codecs/dib.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

struct RecompressInfo;

constexpr int32_t kVideoKindAvi = 2;
// Size of a thumbnail picture: 128 × 96 pixels of blue, green, red.
constexpr int32_t kThumbnailWidth = 128;
constexpr int32_t kThumbnailHeight = 96;
constexpr int32_t kThumbnailBytes = kThumbnailWidth * kThumbnailHeight * 3;

// Pictures of a and b decode alike: the same compression, size, planes and
// bit count.
bool SameFrameFormat(const BITMAPINFOHEADER* a, const BITMAPINFOHEADER* b);

// The Film model holds video sources through its VideoSource interface.
class VideoData : public VideoSource {
 public:
  explicit VideoData(const char* name);
  ~VideoData() override;
  VideoData(const VideoData&) = delete;
  VideoData& operator=(const VideoData&) = delete;

  int32_t GetError() override = 0;
  bool IsDirectPlayable() override = 0;
  bool IsOpen() override;
  virtual void GetSize(int32_t* width, int32_t* height) = 0;
  virtual void BeginRead() = 0;
  void EndRead() override = 0;
  virtual bool CloseFile() = 0;
  virtual bool Reopen() = 0;
  bool Reload(const char* name) override = 0;
  virtual int32_t SnapTime(int32_t ms) = 0;
  virtual int32_t GetFrameSize(int32_t frame) = 0;
  // Reads the stored data of frame into buffer, which holds at least
  // GetFrameSize(frame) bytes.
  virtual int32_t ReadRawFrame(int32_t frame, int32_t reserved, void* buffer, int32_t* size, bool* isKey,
                               bool requireKey) = 0;
  virtual int32_t RecompressFrame(int32_t frame, int32_t reserved, RecompressInfo* context, const void** data,
                                  int32_t* size, bool* isKey) = 0;
  bool IsKeyFrame(int32_t frame) override = 0;
  virtual bool IsKeyFrameAtTime(int32_t ms) = 0;
  // pixels: kThumbnailBytes.
  virtual int32_t GetThumbnail(BYTE* pixels, int32_t ms) = 0;
  virtual void ShowOnBoard(int32_t ms, HWND window) = 0;
  virtual uint32_t GetDataSize() = 0;
  virtual bool SetFrameRate(float rate);

  // Holders count themselves with these; the last Release deletes the source.
  void AddRef() override;
  void Release() override;

  int32_t GetFrameCount() override { return frameCount; }
  float GetFrameRate() override { return frameRate; }
  const char* GetFileName() override { return fileName; }

  // The shared list of open video sources, newest first.
  static VideoData* Head();
  void Unlink();

  VideoData* next = nullptr;
  VideoData* prev = nullptr;
  std::atomic<int32_t> referenceCount{0};
  char fileName[MAX_PATH] = {};
  FILETIME fileTime;
  int32_t openCount = 0;
  int32_t error = 0;
  int32_t frameCount = 0;
  float frameRate = 25.0f;
  int32_t sourceKind = 0;
};

// What DescribeAviFile learns of a file for the clip-open dialog.
struct AviFileInfo {
  BYTE waveFormat[18] = {};  // the first audio stream's format, as stored
  char codecName[64] = {};
  uint32_t microSecPerFrame = 0;
  uint32_t totalFrames = 0;
  uint32_t width = 0;
  uint32_t height = 0;
};

// Bit 0: a video stream was found; bit 1: an audio stream. 0 when the file
// is no readable AVI.
int32_t DescribeAviFile(const char* path, AviFileInfo* info);

class AVIVideoData : public VideoData {
 public:
  explicit AVIVideoData(const char* name);
  ~AVIVideoData() override;

  // The shared source of an AVI file with one reference for the caller, or
  // null. rate 0: the file's own rate.
  static AVIVideoData* OpenShared(HWND parent, int32_t kind, const char* name, float rate);
  static AVIVideoData* FindByName(const char* name);
  static bool CheckChangedFiles(HWND caller);
  bool IsUnchanged();

  int32_t GetError() override;
  bool IsDirectPlayable() override;
  void GetSize(int32_t* width, int32_t* height) override;
  void BeginRead() override;
  void EndRead() override;
  bool CloseFile() override;
  bool Reopen() override;
  bool Reload(const char* name) override;
  int32_t SnapTime(int32_t ms) override;
  int32_t GetFrameSize(int32_t frame) override;
  int32_t ReadRawFrame(int32_t frame, int32_t reserved, void* buffer, int32_t* size, bool* isKey,
                       bool requireKey) override;
  int32_t RecompressFrame(int32_t frame, int32_t reserved, RecompressInfo* context, const void** data,
                          int32_t* size, bool* isKey) override;
  bool IsKeyFrame(int32_t frame) override;
  bool IsKeyFrameAtTime(int32_t ms) override;
  int32_t GetThumbnail(BYTE* pixels, int32_t ms) override;
  void ShowOnBoard(int32_t ms, HWND window) override;
  uint32_t GetDataSize() override;
  bool SetFrameRate(float rate) override;

  // Reads the structure and the frame index of the file; an error code.
  int32_t ReadAviFile(const char* name);
  // The index entry holding frame's picture: frame, or the nearest entry
  // before it that is not empty.
  int32_t PrevNonEmpty(int32_t frame) const;
  // The key frame from which decoding frame must start.
  int32_t FindKeyFrame(int32_t frame, AVIINDEXENTRY* entry = nullptr) const;
  // Reads the data of index entry entry into buffer (capacity bytes) with a
  // positioned read, so that a reader thread never moves the file position
  // the main thread's decoding uses. 0, or 19 when it cannot be read whole.
  int32_t ReadEntryData(int32_t entry, void* buffer, uint32_t capacity) const;
  // The file offset of the first data after frame, or the end of movi.
  int64_t NextFrameOffset(int32_t frame) const;
  // Decodes frame into a 24-bit picture of the destination's size. An I420
  // destination (platform/codecs/dib.h) of the source's own size is filled
  // only straight from a key frame by a codec that gives such pictures;
  // otherwise the answer is 30 and the picture is to be had in 24 bits.
  int32_t DecodeFrame(const BITMAPINFOHEADER* destFormat, void* destBits, int32_t frame);

  // Opens the file for reading when it is not open; false when it will not.
  bool OpenFileHandle();
  void CloseFileHandle();

  const BITMAPINFOHEADER* Format() const {
    return reinterpret_cast<const BITMAPINFOHEADER*>(formatBlock.get());
  }
  BITMAPINFOHEADER* Format() { return reinterpret_cast<BITMAPINFOHEADER*>(formatBlock.get()); }

  FOURCC chunkIds[4] = {0, 0, 0, 0};
  MMCKINFO riffChunk{};
  int32_t reserved = 0;
  HMMIO mmio = nullptr;
  MainAVIHeader mainHeader;
  AVISTREAMHEADER streamHeader;
  std::unique_ptr<BYTE[]> formatBlock;  // BITMAPINFOHEADER, codec data, colours
  uint32_t formatSize = 0;
  std::vector<AVIINDEXENTRY> index;
  uint32_t largestFrame = 0;
  int64_t moviDataPosition = 0;  // add to an entry's offset to reach its data
  int64_t moviEnd = 0;

 private:
  void FreeStructure();
  int32_t Parse();
  int32_t ReadIdx1();
  int32_t RebuildIndex(uint32_t slots);
  bool IsVideoChunk(FOURCC ckid) const;
  bool IndexFits() const;
};
