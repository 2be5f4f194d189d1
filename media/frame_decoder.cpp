#include "media/frame_decoder.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

#include "media/frame_pixels.h"
#include "media/video_data.h"
#include "media/video_source_hooks.h"
#include "model/error_codes.h"
#include "model/time_code.h"

namespace {

constexpr std::size_t kFirstOutputFormatSize = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);  // 1064

struct SharedDecoder {
  HIC decompressor = nullptr;
  int64_t compression = -1;  // of the format it was set up for; -1 none
  std::vector<BYTE> outputFormat;
  std::vector<BYTE> image;
  // Kept from call to call: a fresh buffer of a picture's size for every
  // frame costs more than some decodes.
  std::vector<BYTE> readBuffer;
  const VideoData* lastSource = nullptr;
  int32_t lastFrame = -1;
  // False when the last frame went straight into a caller's picture: the
  // image then holds an older one.
  bool imageCurrent = true;
  bool justCreated = false;

  BITMAPINFOHEADER* Output() { return reinterpret_cast<BITMAPINFOHEADER*>(outputFormat.data()); }
};

SharedDecoder g_decoder;
// Held by every entry that touches the shared decoder; recursive, since a
// video source's own calls come back in.
std::recursive_mutex g_decoderLock;
thread_local bool t_quiet = false;

// Releases the shared decoder when the program ends.
struct AviLocalDestructor {
  ~AviLocalDestructor() { ReleaseSharedDecompressor(); }
};
AviLocalDestructor g_localDestructor;

LRESULT Send(HIC hic, UINT msg, const void* a, const void* b) {
  return ICSendMessage(hic, msg, reinterpret_cast<DWORD_PTR>(a), reinterpret_cast<DWORD_PTR>(b));
}

// Bytes of a decoded picture of this format: rows padded to 4 bytes.
std::size_t ImageBytes(const BITMAPINFOHEADER* format) {
  return static_cast<std::size_t>(DibImageBytes(*format));
}

// Builds the output format of a source that needs no codec: the source's
// header as uncompressed, with its colours.
void PlainOutputFormat(const BITMAPINFOHEADER* source, std::vector<BYTE>* out) {
  const DWORD colors = source->biBitCount <= 8 ? DibColorCount(*source) : 0;
  out->assign(
      std::max<std::size_t>(kFirstOutputFormatSize, sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD)), 0);
  auto* bi = reinterpret_cast<BITMAPINFOHEADER*>(out->data());
  *bi = *source;
  bi->biSize = sizeof(BITMAPINFOHEADER);
  bi->biCompression = BI_RGB;
  bi->biClrUsed = colors;
  bi->biSizeImage = static_cast<DWORD>(DibImageBytes(*bi));
  if (colors > 0) std::memcpy(DibColors(bi), DibColors(source), colors * sizeof(RGBQUAD));
}

// Sets up the shared decoder for a new compression code (step 5 of DecodeUpTo).
int32_t SetUpDecoder(const AVIVideoData* source) {
  ReleaseSharedDecompressor();
  SharedDecoder& d = g_decoder;
  d.justCreated = true;
  const BITMAPINFOHEADER* in = source->Format();
  d.outputFormat.assign(kFirstOutputFormatSize, 0);
  BITMAPINFOHEADER* out = d.Output();
  out->biSize = sizeof(BITMAPINFOHEADER);
  out->biWidth = in->biWidth;
  out->biHeight = in->biHeight;
  out->biBitCount = in->biBitCount;
  out->biPlanes = 1;
  out->biCompression = BI_RGB;
  d.compression = in->biCompression;
  if (in->biCompression == BI_RGB || in->biCompression == BI_RLE8) return kErrOk;
  for (WORD bits : {WORD{24}, WORD{32}, WORD{16}, WORD{8}}) {
    out->biBitCount = bits;
    out->biSizeImage = static_cast<DWORD>(DibImageBytes(*out));
    d.decompressor =
        ICLocate(ICTYPE_VIDEO, in->biCompression, const_cast<BITMAPINFOHEADER*>(in), out, ICMODE_DECOMPRESS);
    if (d.decompressor != nullptr) return kErrOk;
  }
  // Nothing takes it: the next attempt looks again.
  d.compression = -1;
  return kErrNoCodec;
}

// Points the decoder at a new source of the same compression (step 6).
int32_t StartSource(AVIVideoData* source) {
  SharedDecoder& d = g_decoder;
  const BITMAPINFOHEADER* in = source->Format();
  if (d.decompressor == nullptr) {
    PlainOutputFormat(in, &d.outputFormat);
  } else {
    if (!d.justCreated) Send(d.decompressor, ICM_DECOMPRESS_END, nullptr, nullptr);
    d.justCreated = false;
    LRESULT size = Send(d.decompressor, ICM_DECOMPRESS_GET_FORMAT, in, nullptr);
    if (size > static_cast<LRESULT>(d.outputFormat.size())) {
      if (size > (1 << 20)) return kErrNoMemory;
      d.outputFormat.resize(static_cast<std::size_t>(size), 0);
    }
    Send(d.decompressor, ICM_DECOMPRESS_GET_FORMAT, in, d.Output());
    Send(d.decompressor, ICM_DECOMPRESS_GET_PALETTE, in, d.Output());
    if (Send(d.decompressor, ICM_DECOMPRESS_BEGIN, in, d.Output()) != ICERR_OK) return kErrNoCodec;
  }
  d.image.clear();
  d.lastSource = nullptr;
  d.lastFrame = -1;
  d.imageCurrent = true;
  return kErrOk;
}

// Whether a caller's picture has the decoder's own output format, so that
// the decoded rows can go straight into it.
bool TakesOutput(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* dest) {
  const SharedDecoder& d = g_decoder;
  if (dest == nullptr || d.decompressor == nullptr || d.outputFormat.empty()) return false;
  const BITMAPINFOHEADER* out = reinterpret_cast<const BITMAPINFOHEADER*>(d.outputFormat.data());
  if (IsI420(*dest))
    return dest->biWidth == out->biWidth && DibHeight(*dest) == DibHeight(*out) &&
           Send(d.decompressor, ICM_DECOMPRESS_QUERY, in, dest) == ICERR_OK;
  return dest->biCompression == BI_RGB && dest->biBitCount == 24 && out->biBitCount == 24 &&
         dest->biWidth == out->biWidth && dest->biHeight == out->biHeight;
}

// Brings the shared decoder to frame of source. When the caller's picture
// has the decoder's output format and the picture to show is a key frame's,
// that frame is decoded straight into the caller's picture (*direct tells
// so) and the shared image keeps the one before; a key frame's picture can
// always be had again with one decode.
int32_t Decode(AVIVideoData* source, int32_t frame, const BITMAPINFOHEADER* destFormat, void* destBits,
               bool* direct) {
  SharedDecoder& d = g_decoder;
  *direct = false;
  if (source == nullptr || source->Format() == nullptr || source->index.empty() || source->frameCount <= 0)
    return kErrFileEmpty;
  const int32_t last = std::min<int32_t>(source->frameCount, static_cast<int32_t>(source->index.size())) - 1;
  frame = std::clamp(frame, 0, last);
  int32_t k = source->FindKeyFrame(frame);
  if (d.lastSource == source && k <= d.lastFrame && d.lastFrame <= frame) k = d.lastFrame + 1;
  const bool wait = frame - k > 7 && !t_quiet;
  if (wait) CurrentVideoSourceHooks().BeginWaitCursor();
  struct CursorBack {
    bool on;
    ~CursorBack() {
      if (on) CurrentVideoSourceHooks().EndWaitCursor();
    }
  } cursorBack{wait};
  if (k > frame && d.imageCurrent) return kErrOk;

  bool opened = false;
  if (source->mmio == nullptr) {
    if (!source->OpenFileHandle()) return kErrOpen;
    opened = true;
  }
  struct CloseBack {
    AVIVideoData* source;
    bool on;
    ~CloseBack() {
      if (on) source->CloseFileHandle();
    }
  } closeBack{source, opened};

  BITMAPINFOHEADER* in = source->Format();
  // Run-length data expand into 8-bit rows; any other depth is not RLE8.
  if (in->biCompression == BI_RLE8 && in->biBitCount != 8) return kErrNoCodec;
  if (static_cast<int64_t>(in->biCompression) != d.compression) {
    if (int32_t r = SetUpDecoder(source)) return r;
  }
  if (d.lastSource != source) {
    if (int32_t r = StartSource(source)) return r;
    k = source->FindKeyFrame(frame);
  }
  const std::size_t imageSize = ImageBytes(d.Output());
  try {
    if (d.image.empty()) d.image.assign(imageSize + 16, 0);
    const std::size_t readBytes = std::max<std::size_t>(imageSize, source->largestFrame) + 16;
    if (d.readBuffer.size() < readBytes) d.readBuffer.resize(readBytes, 0);
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }

  // The last frame with data gives the picture. When none comes and the
  // image does not hold the last decoded picture, that key frame is decoded
  // again.
  int32_t end = frame;
  int32_t shown = frame;
  while (shown >= k && source->index[shown].dwChunkLength == 0) --shown;
  if (shown < k && !d.imageCurrent && d.lastSource == source) k = end = shown = d.lastFrame;
  const bool toCaller = shown >= k && destBits != nullptr && TakesOutput(in, destFormat) &&
                        (source->index[shown].dwFlags & AVIIF_KEYFRAME) != 0;

  for (int32_t i = k; i <= end; ++i) {
    const AVIINDEXENTRY& e = source->index[i];
    if (e.dwChunkLength == 0) continue;
    const int64_t at = int64_t{e.dwChunkOffset} + source->moviDataPosition;
    if (at > INT32_MAX || mmioSeek(source->mmio, static_cast<LONG>(at), SEEK_SET) < 0 ||
        mmioRead(source->mmio, d.readBuffer.data(), static_cast<LONG>(e.dwChunkLength)) !=
            static_cast<LONG>(e.dwChunkLength))
      return kErrRead;
    in->biSizeImage = e.dwChunkLength;
    const bool intoCaller = toCaller && i == shown;
    if (in->biCompression == BI_RGB) {
      // A short frame leaves the rest of the picture black.
      if (e.dwChunkLength < imageSize)
        std::memset(d.readBuffer.data() + e.dwChunkLength, 0, imageSize - e.dwChunkLength);
      std::memcpy(d.image.data(), d.readBuffer.data(), imageSize);
    } else if (in->biCompression == BI_RLE8) {
      DecodeRle8(in, d.readBuffer.data(), d.image.data());
    } else {
      const DWORD flags = (e.dwFlags & AVIIF_KEYFRAME) ? 0 : ICDECOMPRESS_NOTKEYFRAME;
      // An I420 picture is the caller's format; a 24-bit one is the decoder's own.
      BITMAPINFOHEADER* out =
          intoCaller && IsI420(*destFormat) ? const_cast<BITMAPINFOHEADER*>(destFormat) : d.Output();
      if (static_cast<LONG>(ICDecompress(d.decompressor, flags, in, d.readBuffer.data(), out,
                                         intoCaller ? destBits : d.image.data())) < 0)
        return kErrCodec;
    }
    d.lastSource = source;
    d.lastFrame = i;
    d.imageCurrent = !intoCaller;
    *direct = intoCaller;
  }
  return kErrOk;
}

}  // namespace

int32_t DecodeUpTo(AVIVideoData* source, int32_t frame) {
  std::lock_guard<std::recursive_mutex> hold(g_decoderLock);
  bool direct = false;
  return Decode(source, frame, nullptr, nullptr, &direct);
}

void ReleaseSharedDecompressor() {
  std::lock_guard<std::recursive_mutex> hold(g_decoderLock);
  SharedDecoder& d = g_decoder;
  if (d.decompressor != nullptr) {
    Send(d.decompressor, ICM_DECOMPRESS_END, nullptr, nullptr);
    ICClose(d.decompressor);
    d.decompressor = nullptr;
  }
  d.outputFormat.clear();
  d.outputFormat.shrink_to_fit();
  d.image.clear();
  d.image.shrink_to_fit();
  d.readBuffer.clear();
  d.readBuffer.shrink_to_fit();
  d.lastSource = nullptr;
  d.lastFrame = -1;
  d.imageCurrent = true;
  d.compression = -1;
}

QuietDecodes::QuietDecodes() : before_(t_quiet) {
  t_quiet = true;
}

QuietDecodes::~QuietDecodes() {
  t_quiet = before_;
}

void ForgetDecodedSource(const VideoData* source) {
  std::lock_guard<std::recursive_mutex> hold(g_decoderLock);
  if (g_decoder.lastSource == source) {
    g_decoder.lastSource = nullptr;
    g_decoder.lastFrame = -1;
  }
}

int32_t AVIVideoData::DecodeFrame(const BITMAPINFOHEADER* destFormat, void* destBits, int32_t frame) {
  std::lock_guard<std::recursive_mutex> hold(g_decoderLock);
  bool direct = false;
  if (int32_t r = Decode(this, frame, destFormat, destBits, &direct)) return r;
  if (direct) return kErrOk;
  if (destFormat != nullptr && IsI420(*destFormat)) return kErrCodec;
  if (g_decoder.image.empty()) return kErrFileEmpty;
  return ScaleDibTo24(g_decoder.Output(), g_decoder.image.data(), destFormat, destBits);
}

int32_t AVIVideoData::GetThumbnail(BYTE* pixels, int32_t ms) {
  std::lock_guard<std::recursive_mutex> hold(g_decoderLock);
  int32_t r = DecodeUpTo(this, PrevNonEmpty(MsToFrames(ms, frameRate)));
  if (r == 0 && g_decoder.image.empty()) r = kErrFileEmpty;
  if (r == 0) r = ScaleTo128x96(pixels, g_decoder.Output(), g_decoder.image.data());
  if (r != 0) std::memset(pixels, 0, kThumbnailBytes);
  return r;
}

// --- Recompression ------------------------------------------------------------

RecompressInfo::~RecompressInfo() {
  ReleaseRecompressor(this);
}

void ReleaseRecompressor(RecompressInfo* c) {
  if (c == nullptr) return;
  if (c->decompressor != nullptr) {
    Send(c->decompressor, ICM_DECOMPRESS_END, nullptr, nullptr);
    ICClose(c->decompressor);
    c->decompressor = nullptr;
  }
  if (c->compressor != nullptr) {
    Send(c->compressor, ICM_COMPRESS_END, nullptr, nullptr);
    ICClose(c->compressor);
    c->compressor = nullptr;
  }
  for (std::vector<BYTE>* v : {&c->decompressedFormat, &c->compressedFormat, &c->readBuffer,
                               &c->decompressedImage, &c->previousImage, &c->compressedData}) {
    v->clear();
    v->shrink_to_fit();
  }
  c->readBufferSize = 0;
  c->imageSize = 0;
  c->lastSource = nullptr;
  c->lastFrame = -1;
  c->framesCompressed = 0;
}

int32_t AVIVideoData::RecompressFrame(int32_t frame, int32_t, RecompressInfo* c, const void** data,
                                      int32_t* size, bool* isKey) {
  if (c == nullptr || Format() == nullptr || index.empty()) return kErrRecompressStart;
  BITMAPINFOHEADER* in = Format();
  const int32_t f = PrevNonEmpty(frame);
  try {
    // 1. A decoder for the source's format.
    if (c->decompressor == nullptr) {
      c->lastSource = nullptr;
      c->lastFrame = -1;
      c->decompressor = ICLocate(ICTYPE_VIDEO, in->biCompression, in, nullptr, ICMODE_DECOMPRESS);
      if (c->decompressor == nullptr) return kErrRecompressStart;
      if (Send(c->decompressor, ICM_DECOMPRESS_QUERY, in, nullptr) != ICERR_OK) return kErrRecompressStart;
      LRESULT formatBytes = Send(c->decompressor, ICM_DECOMPRESS_GET_FORMAT, in, nullptr);
      if (formatBytes < static_cast<LRESULT>(sizeof(BITMAPINFOHEADER)) || formatBytes > (1 << 20))
        return kErrRecompressStart;
      c->decompressedFormat.assign(
          std::max<std::size_t>(static_cast<std::size_t>(formatBytes), kFirstOutputFormatSize), 0);
      auto* out = reinterpret_cast<BITMAPINFOHEADER*>(c->decompressedFormat.data());
      if (Send(c->decompressor, ICM_DECOMPRESS_GET_FORMAT, in, out) != ICERR_OK) return kErrRecompressStart;
      Send(c->decompressor, ICM_DECOMPRESS_GET_PALETTE, in, out);
      // A codec's own image size could be too small for the rows it writes.
      int64_t bytes = std::max<int64_t>(out->biSizeImage, DibImageBytes(*out));
      if (bytes <= 0) bytes = int64_t{out->biWidth} * DibHeight(*out) * 4;
      c->imageSize = static_cast<uint32_t>(bytes);
      c->decompressedImage.assign(c->imageSize, 0);
      c->previousImage.assign(c->imageSize, 0);
      if (Send(c->decompressor, ICM_DECOMPRESS_BEGIN, in, out) != ICERR_OK) return kErrRecompressStart;
    }
    auto* decompressed = reinterpret_cast<BITMAPINFOHEADER*>(c->decompressedFormat.data());

    // 2. A compressor from the decoded pictures back to the source's format.
    if (c->compressor == nullptr) {
      c->framesCompressed = 0;
      c->compressor = ICLocate(ICTYPE_VIDEO, in->biCompression, decompressed, in, ICMODE_COMPRESS);
      if (c->compressor == nullptr) return kErrRecompressStart;
      LRESULT formatBytes = Send(c->compressor, ICM_COMPRESS_GET_FORMAT, decompressed, nullptr);
      std::size_t room =
          std::max<std::size_t>(formatSize, formatBytes > 0 ? static_cast<std::size_t>(formatBytes) : 0);
      if (room > (1u << 20)) return kErrRecompressStart;
      c->compressedFormat.assign(room, 0);
      std::memcpy(c->compressedFormat.data(), formatBlock.get(), formatSize);
      auto* compressed = reinterpret_cast<BITMAPINFOHEADER*>(c->compressedFormat.data());
      Send(c->compressor, ICM_COMPRESS_GET_FORMAT, decompressed, compressed);
      LRESULT bytes = Send(c->compressor, ICM_COMPRESS_GET_SIZE, decompressed, compressed);
      if (bytes <= 0) return kErrRecompressStart;
      c->compressedData.assign(static_cast<std::size_t>(bytes), 0);
      if (Send(c->compressor, ICM_COMPRESS_BEGIN, decompressed, compressed) != ICERR_OK)
        return kErrRecompressStart;
    }
    auto* compressed = reinterpret_cast<BITMAPINFOHEADER*>(c->compressedFormat.data());

    // 3. Decode up to f, continuing from the last frame when possible.
    if (c->lastSource != this || c->lastFrame != f) {
      if (c->lastSource != nullptr && c->lastSource != this) {
        Send(c->decompressor, ICM_DECOMPRESS_END, nullptr, nullptr);
        if (Send(c->decompressor, ICM_DECOMPRESS_BEGIN, in, decompressed) != ICERR_OK)
          return kErrRecompressStart;
        c->lastFrame = -1;
        c->framesCompressed = 0;
      }
      if (c->readBufferSize < largestFrame) {
        c->readBuffer.assign(largestFrame, 0);
        c->readBufferSize = largestFrame;
      }
      const int32_t key = FindKeyFrame(f - 1);
      int32_t start = key;
      if (c->lastSource == this && c->lastFrame >= key && c->lastFrame < f) start = c->lastFrame + 1;
      if (mmio == nullptr) return kErrRecompressStart;
      int32_t previous = -1;
      for (int32_t j = start; j <= f; ++j) {
        const int32_t e = PrevNonEmpty(j);
        if (e == previous) continue;
        previous = e;
        const AVIINDEXENTRY& entry = index[e];
        if (entry.dwChunkLength == 0) continue;
        const int64_t at = int64_t{entry.dwChunkOffset} + moviDataPosition;
        if (at > INT32_MAX || mmioSeek(mmio, static_cast<LONG>(at), SEEK_SET) < 0 ||
            mmioRead(mmio, c->readBuffer.data(), static_cast<LONG>(entry.dwChunkLength)) !=
                static_cast<LONG>(entry.dwChunkLength))
          return kErrRecompressStart;
        in->biSizeImage = entry.dwChunkLength;
        const DWORD flags = (entry.dwFlags & AVIIF_KEYFRAME) ? 0 : ICDECOMPRESS_NOTKEYFRAME;
        if (static_cast<LONG>(ICDecompress(c->decompressor, flags, in, c->readBuffer.data(), decompressed,
                                           c->decompressedImage.data())) < 0)
          return kErrRecompressStart;
        c->lastSource = this;
        c->lastFrame = e;
      }
    }

    // 4. Compress the picture.
    DWORD ckid = 0;
    DWORD outFlags = 0;
    compressed->biSizeImage = static_cast<DWORD>(c->compressedData.size());
    if (static_cast<LONG>(ICCompress(c->compressor, c->framesCompressed == 0 ? ICCOMPRESS_KEYFRAME : 0,
                                     compressed, c->compressedData.data(), decompressed,
                                     c->decompressedImage.data(), &ckid, &outFlags, c->framesCompressed, 0,
                                     streamHeader.dwQuality, decompressed, c->previousImage.data())) < 0)
      return kErrRecompressStart;
    if (data != nullptr) *data = c->compressedData.data();
    if (size != nullptr) *size = static_cast<int32_t>(compressed->biSizeImage);
    if (isKey != nullptr) *isKey = (outFlags & AVIIF_KEYFRAME) != 0;
    std::memcpy(c->previousImage.data(), c->decompressedImage.data(), c->imageSize);
    ++c->framesCompressed;
    return kErrOk;
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
}
