#include "video/transitions/vfx_stages.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "media/avi_writer.h"
#include "media/transition_mask.h"
#include "platform/core/files.h"
#include "platform/core/threads.h"
#include "video/transitions/vfx_queue.h"
#include "video/transitions/vfx_render.h"

namespace {

BITMAPINFOHEADER* Header(std::vector<BYTE>& block) {
  return reinterpret_cast<BITMAPINFOHEADER*>(block.data());
}
DWORD_PTR Arg(const void* p) {
  return reinterpret_cast<DWORD_PTR>(p);
}

// An open codec, closed however its stage ends (a codec may throw).
class OpenCodec {
 public:
  explicit OpenCodec(HIC codec) : codec_(codec) {}
  ~OpenCodec() {
    if (codec_ != nullptr) ICClose(codec_);
  }
  OpenCodec(const OpenCodec&) = delete;
  OpenCodec& operator=(const OpenCodec&) = delete;
  HIC get() const { return codec_; }

 private:
  HIC codec_;
};

// Blends one frame row by row: the blends take packed rows, and the rows
// of a DIB are padded to 4 bytes.
void BlendFrame(const BYTE* mask, const BITMAPINFOHEADER& f, const BYTE* a, const BYTE* b, BYTE* out) {
  const int width = f.biWidth;
  const int height = static_cast<int>(DibHeight(f));
  const int bits = f.biBitCount;
  const std::size_t stride = static_cast<std::size_t>(DibRowBytes(width, bits));
  using Blend = void (*)(const BYTE*, int, int, const BYTE*, const BYTE*, BYTE*);
  Blend blend = nullptr;
  switch (bits) {
    case 32:
      blend = &BlendMask32;
      break;
    case 24:
      blend = &BlendMask24;
      break;
    case 16:
      blend = &BlendMask16;
      break;
    case 8:
      blend = &BlendMask8;
      break;
    default:
      BlendConst(mask, static_cast<int>(stride), height, 8, a, b, out);
      return;
  }
  const std::size_t packed = static_cast<std::size_t>(width) * static_cast<std::size_t>(bits / 8);
  for (int y = 0; y < height; ++y) {
    // Buffer row y is picture row height - 1 - y, counted from the top.
    const BYTE* m = mask + static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(width);
    const std::size_t at = static_cast<std::size_t>(y) * stride;
    blend(m, width, 1, a + at, b + at, out + at);
    std::memset(out + at + packed, 0, stride - packed);
  }
}

}  // namespace

DWORD VFXStages::Stage(LPVOID parameter, int32_t (*body)(VFXQueue&), int32_t (*owed)(VFXQueue&),
                       const char* name) {
  auto* job = static_cast<VFXQueue*>(parameter);
  job->AddRef();
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  try {
    if (body(*job) < owed(*job)) job->FatalStop(true);
  } catch (...) {
    job->FatalStop(true);
    const std::string text = FormatText("Unexpected exception in %s VideoFX thread", name);
    VFXRender::ShowException(text.c_str(), "Kobrix VFX Exception");
  }
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  job->Release();
  return 0;
}

DWORD VFXStages::ReadA(LPVOID job) {
  return Stage(
      job, [](VFXQueue& q) { return ReadFrames(q, q.plan->a, *q.rings_[VFXQueue::kReadA]); },
      [](VFXQueue& q) { return static_cast<int32_t>(q.plan->a.entries.size()); }, "First Read");
}

DWORD VFXStages::ReadB(LPVOID job) {
  return Stage(
      job, [](VFXQueue& q) { return ReadFrames(q, q.plan->b, *q.rings_[VFXQueue::kReadB]); },
      [](VFXQueue& q) { return static_cast<int32_t>(q.plan->b.entries.size()); }, "Second Read");
}

DWORD VFXStages::DecompressA(LPVOID job) {
  return Stage(
      job,
      [](VFXQueue& q) {
        return DecodeFrames(q, q.plan->a, *q.rings_[VFXQueue::kReadA], *q.rings_[VFXQueue::kDecodedA]);
      },
      [](VFXQueue& q) { return q.frameCount; }, "First Decompress");
}

DWORD VFXStages::DecompressB(LPVOID job) {
  return Stage(
      job,
      [](VFXQueue& q) {
        return DecodeFrames(q, q.plan->b, *q.rings_[VFXQueue::kReadB], *q.rings_[VFXQueue::kDecodedB]);
      },
      [](VFXQueue& q) { return q.frameCount; }, "Second Decompress");
}

DWORD VFXStages::Mix(LPVOID job) {
  return Stage(
      job, &MixFrames, [](VFXQueue& q) { return q.frameCount; }, "Mix");
}

DWORD VFXStages::Compress(LPVOID job) {
  return Stage(
      job, &CompressFrames, [](VFXQueue& q) { return q.frameCount; }, "Compress");
}

DWORD VFXStages::Write(LPVOID job) {
  return Stage(
      job, &WriteFrames, [](VFXQueue& q) { return q.frameCount; }, "Write");
}

// Reads the stored frames straight through the index, without the media
// reader: an empty entry goes on as an empty element.
int32_t VFXStages::ReadFrames(VFXQueue& job, const VFXSourcePlan& side, FXPipe& out) {
  HANDLE file = CreateFile(side.fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    job.Fail(FormatText("The file '%s' can not be read.", side.fileName));
    return 0;
  }
  struct Closer {
    HANDLE file;
    ~Closer() { CloseHandle(file); }
  } closer{file};
  int32_t done = 0;
  for (const AVIINDEXENTRY& entry : side.entries) {
    FXPipeElement* element = out.GetFree();
    if (element == nullptr) break;
    if (entry.dwChunkLength > static_cast<DWORD>(out.ElementSize())) break;
    element->used = 0;
    if (entry.dwChunkLength > 0) {
      LARGE_INTEGER at;
      at.QuadPart = side.dataBase + entry.dwChunkOffset;
      DWORD got = 0;
      if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
          !ReadFile(file, element->data.get(), entry.dwChunkLength, &got, nullptr) ||
          got != entry.dwChunkLength) {
        job.Fail(FormatText("The file '%s' can not be read.", side.fileName));
        break;
      }
      element->used = static_cast<int32_t>(got);
    }
    out.PutFull();
    ++done;
  }
  return done;
}

// Decodes from the key frame on; the frames ahead of the first shown one
// are decoded and dropped here, so the mixer sees whole pictures only. An
// empty element shows the picture before it again.
int32_t VFXStages::DecodeFrames(VFXQueue& job, const VFXSourcePlan& side, FXPipe& in, FXPipe& out) {
  std::vector<BYTE> input = side.format;
  std::vector<BYTE> output = job.frameFormat_;
  BITMAPINFOHEADER* bin = Header(input);
  BITMAPINFOHEADER* bout = Header(output);
  OpenCodec open(ICLocate(ICTYPE_VIDEO, job.decoder_, bin, bout, ICMODE_DECOMPRESS));
  HIC codec = open.get();
  const std::string undecoded = FormatText("The pictures of '%s' can not be decoded.", side.fileName);
  if (codec == nullptr) {
    job.Fail(undecoded);
    return 0;
  }
  int32_t done = 0;
  bool begun = false;
  const int32_t frame = job.frameBytes_;
  if (ICDecompressQuery(codec, bin, bout) == ICERR_OK) {
    if (bout->biBitCount <= 8) ICSendMessage(codec, ICM_DECOMPRESS_GET_PALETTE, Arg(bin), Arg(bout));
    begun = out.ElementSize() >= frame &&
            ICSendMessage(codec, ICM_DECOMPRESS_BEGIN, Arg(bin), Arg(bout)) == ICERR_OK;
  }
  if (!begun) job.Fail(undecoded);
  if (begun) {
    FXPipeElement* target = nullptr;  // taken, not yet published
    const BYTE* latest = nullptr;     // the newest picture decoded
    const int32_t total = static_cast<int32_t>(side.entries.size());
    for (int32_t j = 0; j < total; ++j) {
      FXPipeElement* packet = in.GetFull();
      if (packet == nullptr) break;
      if (target == nullptr && (target = out.GetFree()) == nullptr) break;
      const bool shown = j >= side.preroll;
      if (packet->used > 0) {
        DWORD flags = (side.entries[static_cast<std::size_t>(j)].dwFlags & AVIIF_KEYFRAME)
                          ? 0
                          : ICDECOMPRESS_NOTKEYFRAME;
        // Dropped pictures need not be converted, but the last one before
        // the first shown may show again through an empty entry.
        if (j < side.preroll - 1) flags |= ICDECOMPRESS_HURRYUP;
        bin->biSizeImage = static_cast<DWORD>(packet->used);
        bout->biSizeImage = static_cast<DWORD>(frame);
        if (ICDecompress(codec, flags, bin, packet->data.get(), bout, target->data.get()) != ICERR_OK) {
          job.Fail(undecoded);
          break;
        }
        latest = target->data.get();
      } else if (latest != nullptr && latest != target->data.get()) {
        std::memcpy(target->data.get(), latest, static_cast<std::size_t>(frame));
        latest = target->data.get();
      }
      in.PutFree();
      if (shown) {
        target->used = frame;
        out.PutFull();
        target = nullptr;
        ++done;
      }
    }
    ICSendMessage(codec, ICM_DECOMPRESS_END, 0, 0);
  }
  return done;
}

int32_t VFXStages::MixFrames(VFXQueue& job) {
  const BITMAPINFOHEADER& f = *job.FrameFormat();
  FXPipe& a = *job.rings_[VFXQueue::kDecodedA];
  FXPipe& b = *job.rings_[VFXQueue::kDecodedB];
  FXPipe& mixed = *job.rings_[VFXQueue::kMixed];
  const int32_t frame = job.frameBytes_;
  if (mixed.ElementSize() < frame) {
    job.FatalStop(true);
    return 0;
  }
  const int width = f.biWidth;
  const int height = static_cast<int>(DibHeight(f));
  std::vector<BYTE> mask(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const int soft = static_cast<int>(std::min<uint32_t>(job.parameter, INT32_MAX));
  int32_t done = 0;
  for (int32_t i = 0; i < job.frameCount; ++i) {
    FXPipeElement* pa = a.GetFull();
    if (pa == nullptr) break;
    FXPipeElement* pb = b.GetFull();
    if (pb == nullptr || pa->used != frame || pb->used != frame) break;
    FXPipeElement* out = mixed.GetFree();
    if (out == nullptr) break;
    MakeTransitionMask(job.kind, soft, mask.data(), width, height, i, job.frameCount);
    BlendFrame(mask.data(), f, pa->data.get(), pb->data.get(), out->data.get());
    out->used = frame;
    mixed.PutFull();
    a.PutFree();
    b.PutFree();
    ++done;
  }
  return done;
}

int32_t VFXStages::CompressFrames(VFXQueue& job) {
  FXPipe& mixed = *job.rings_[VFXQueue::kMixed];
  FXPipe& compressed = *job.rings_[VFXQueue::kCompressed];
  std::vector<BYTE> input = job.frameFormat_;
  std::vector<BYTE> output = job.outputFormat_;
  BITMAPINFOHEADER* bin = Header(input);
  BITMAPINFOHEADER* bout = Header(output);
  OpenCodec open(ICLocate(ICTYPE_VIDEO, job.decoder_, bin, bout, ICMODE_COMPRESS));
  HIC codec = open.get();
  const char* const unencoded = "The blended pictures can not be encoded.";
  if (codec == nullptr) {
    job.Fail(unencoded);
    return 0;
  }
  int32_t done = 0;
  if (ICSendMessage(codec, ICM_COMPRESS_BEGIN, Arg(bin), Arg(bout)) != ICERR_OK) {
    job.Fail(unencoded);
  } else {
    for (int32_t i = 0; i < job.frameCount; ++i) {
      FXPipeElement* picture = mixed.GetFull();
      if (picture == nullptr || picture->used != job.frameBytes_) break;
      FXPipeElement* packet = compressed.GetFree();
      if (packet == nullptr) break;
      bin->biSizeImage = static_cast<DWORD>(picture->used);
      bout->biSizeImage = static_cast<DWORD>(compressed.ElementSize());
      DWORD chunkId = 0;
      DWORD flags = 0;
      if (ICCompress(codec, ICCOMPRESS_KEYFRAME, bout, packet->data.get(), bin, picture->data.get(), &chunkId,
                     &flags, i, 0, job.quality_, bin, nullptr) != ICERR_OK ||
          bout->biSizeImage > static_cast<DWORD>(compressed.ElementSize())) {
        job.Fail(unencoded);
        break;
      }
      packet->used = static_cast<int32_t>(bout->biSizeImage);
      compressed.PutFull();
      mixed.PutFree();
      ++done;
    }
    ICSendMessage(codec, ICM_COMPRESS_END, 0, 0);
  }
  return done;
}

int32_t VFXStages::WriteFrames(VFXQueue& job) {
  FXPipe& compressed = *job.rings_[VFXQueue::kCompressed];
  const float fps = job.plan->frameRate;
  const BITMAPINFOHEADER* a = job.plan->a.Format();
  if (!(fps > 0.0f)) {
    job.FatalStop(true);
    return 0;
  }
  MainAVIHeader main;
  main.dwMicroSecPerFrame = static_cast<DWORD>(1000000.0 / fps);
  main.dwFlags = AVIF_HASINDEX;
  main.dwTotalFrames = static_cast<DWORD>(job.frameCount);
  main.dwWidth = static_cast<DWORD>(a->biWidth);
  main.dwHeight = static_cast<DWORD>(DibHeight(*a));
  AVISTREAMHEADER stream;
  stream.fccType = streamtypeVIDEO;
  stream.fccHandler = job.plan->a.handler;
  stream.dwScale = 1000;
  stream.dwRate = static_cast<DWORD>(fps * 1000.0 + 0.499);
  stream.dwQuality = job.quality_;

  char path[MAX_PATH];
  std::string why;
  if (!VFXRender::MakeFileName(path, job.stampA, job.stampB, &why)) {
    job.Fail(why);
    return 0;
  }
  const std::string unwritten = FormatText("The file '%s' can not be written.", path);
  DeleteFile(path);
  AviWriter* writer = nullptr;
  int32_t number = 0;
  if (AviWriter::Open(&writer, path, &main) != 0) {
    job.Fail(unwritten);
    return 0;
  }
  // A throw before the close leaves no half file behind.
  struct Unfinished {
    AviWriter*& writer;
    const char* path;
    ~Unfinished() {
      if (writer == nullptr) return;
      AviWriter::Close(writer);
      DeleteFile(path);
    }
  } unfinished{writer, path};
  int32_t done = 0;
  if (AviWriter::AddStream(writer, &number, &stream, job.outputFormat_.data(),
                           static_cast<int32_t>(job.outputFormat_.size())) == 0) {
    for (int32_t i = 0; i < job.frameCount; ++i) {
      FXPipeElement* packet = compressed.GetFull();
      if (packet == nullptr) break;
      VFXRender::PostProgress(job.frameCount - i);
      if (AviWriter::WriteChunk(writer, number, packet->data.get(), packet->used, cktypeDIBcompressed,
                                AVIIF_KEYFRAME) != 0) {
        job.Fail(unwritten);
        break;
      }
      compressed.PutFree();
      ++done;
    }
  } else {
    job.Fail(unwritten);
  }
  AviWriter* closing = writer;
  writer = nullptr;
  const bool closed = AviWriter::Close(closing) == 0;
  if (!closed) job.Fail(unwritten);
  if (!closed || done < job.frameCount) {
    job.FatalStop(true);
    DeleteFile(path);
    return 0;
  }
  job.written = true;
  return done;
}
