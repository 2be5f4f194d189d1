// The common AVI codecs, decoded (and Motion JPEG also encoded) through
// libavcodec, with libswscale for the pixel formats.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/avutil.h>
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include "platform/codecs/codec_registry.h"
#include "platform/codecs/dib_convert.h"
#include "platform/codecs/ffmpeg_encoder.h"
#include "platform/codecs/jpeg_frames.h"

namespace codecs {
namespace {

struct Family {
  AVCodecID id;
  FOURCC handler;
  const wchar_t* name;
  const wchar_t* description;
  std::vector<FOURCC> aliases;
  bool compresses;
};

constexpr FOURCC F(const char (&s)[5]) {
  return mmioFOURCC(s[0], s[1], s[2], s[3]);
}

const std::vector<Family>& Families() {
  static const std::vector<Family> families = {
      {AV_CODEC_ID_MJPEG,
       F("MJPG"),
       L"MJPEG",
       L"Motion JPEG",
       {F("AVRn"), F("LJPG"), F("JPGL"), F("AVDJ"), F("dmb1"), F("MJLS")},
       true},
      {AV_CODEC_ID_DVVIDEO,
       F("dvsd"),
       L"DV",
       L"DV video",
       {F("dvhd"), F("dvsl"), F("dv25"), F("dv50"), F("cdvc"), F("CDVH"), F("dvcs"), F("dvc "), F("dvpp")},
       false},
      {AV_CODEC_ID_CINEPAK, F("cvid"), L"Cinepak", L"Cinepak", {}, false},
      {AV_CODEC_ID_MSVIDEO1, F("MSVC"), L"MS Video 1", L"Microsoft Video 1", {F("CRAM"), F("WHAM")}, false},
      {AV_CODEC_ID_INDEO3, F("IV32"), L"Indeo 3", L"Intel Indeo 3", {F("IV31")}, false},
      {AV_CODEC_ID_INDEO4, F("IV41"), L"Indeo 4", L"Intel Indeo Video Interactive 4", {}, false},
      {AV_CODEC_ID_INDEO5, F("IV50"), L"Indeo 5", L"Intel Indeo Video Interactive 5", {}, false},
      {AV_CODEC_ID_HUFFYUV, F("HFYU"), L"HuffYUV", L"HuffYUV lossless", {}, false},
      {AV_CODEC_ID_MPEG4,
       F("FMP4"),
       L"MPEG-4",
       L"MPEG-4 part 2",
       {F("DIVX"), F("DX50"), F("XVID"), F("MP4S"), F("M4S2"), F("MP4V"), F("DIV5"), F("DIV6"), F("3IV2"),
        F("UMP4"), F("RMP4"), F("XVIX"), F("BLZ0"), F("SEDG")},
       false},
      {AV_CODEC_ID_H264,
       F("H264"),
       L"H.264",
       L"H.264 / AVC",
       {F("X264"), F("AVC1"), F("DAVC"), F("VSSH")},
       false},
  };
  return families;
}

bool FamilyTakes(const Family& f, FOURCC code) {
  if (SameHandler(f.handler, code)) return true;
  for (FOURCC a : f.aliases) {
    if (SameHandler(a, code)) return true;
  }
  return false;
}

AVPixelFormat PixelFormatOf(int bitCount) {
  switch (bitCount) {
    case 16:
      return AV_PIX_FMT_RGB555LE;
    case 24:
      return AV_PIX_FMT_BGR24;
    case 32:
      return AV_PIX_FMT_BGR0;
    default:
      return AV_PIX_FMT_NONE;
  }
}

// Pictures come out at their own size, so the scaler only converts colours:
// the cheapest filter gives the same rows where a fast converter exists and
// spares filtering where none does.
constexpr int kSameSizeFlags = SWS_POINT;

bool RgbOutputOk(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
  if (out == nullptr) return true;
  return out->biCompression == BI_RGB && PixelFormatOf(out->biBitCount) != AV_PIX_FMT_NONE &&
         out->biWidth == in->biWidth && DibHeight(*out) == DibHeight(*in);
}

// An I420 picture of the input's size (dib.h).
bool I420OutputOk(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
  return out != nullptr && IsI420(*out) && out->biWidth == in->biWidth && DibHeight(*out) == DibHeight(*in);
}

// Points data/linesize at the three planes of an I420 picture.
void I420Planes(const BITMAPINFOHEADER* bi, void* bits, uint8_t* data[4], int linesize[4]) {
  const int width = bi->biWidth;
  const std::int64_t height = DibHeight(*bi);
  const int chromaWidth = (width + 1) / 2;
  uint8_t* base = static_cast<uint8_t*>(bits);
  data[0] = base;
  data[1] = base + std::int64_t{width} * height;
  data[2] = data[1] + std::int64_t{chromaWidth} * ((height + 1) / 2);
  data[3] = nullptr;
  linesize[0] = width;
  linesize[1] = linesize[2] = chromaWidth;
  linesize[3] = 0;
}

// Points data/linesize at a DIB so that row 0 is the top of the picture.
void DibPlanes(const BITMAPINFOHEADER* bi, void* bits, uint8_t* data[4], int linesize[4]) {
  std::int64_t stride = DibRowBytes(bi->biWidth, bi->biBitCount);
  std::int64_t height = DibHeight(*bi);
  uint8_t* base = static_cast<uint8_t*>(bits);
  for (int i = 0; i < 4; ++i) {
    data[i] = nullptr;
    linesize[i] = 0;
  }
  if (bi->biHeight > 0) {
    data[0] = base + (height - 1) * stride;
    linesize[0] = -static_cast<int>(stride);
  } else {
    data[0] = base;
    linesize[0] = static_cast<int>(stride);
  }
}

// A scaler kept while the pictures keep their sizes and formats. The cached
// lookup of libswscale would build it again for every picture of the
// full-range formats that Motion JPEG uses, as it keeps them under other names.
class Scaler {
 public:
  Scaler() = default;
  Scaler(const Scaler&) = delete;
  Scaler& operator=(const Scaler&) = delete;
  ~Scaler() { Free(); }
  SwsContext* Get(int width, int height, AVPixelFormat format, int outWidth, int outHeight,
                  AVPixelFormat outFormat, int flags) {
    const Key wanted{width, height, format, outWidth, outHeight, outFormat, flags};
    if (context_ == nullptr || !(key_ == wanted)) {
      Free();
      context_ = sws_getContext(width, height, format, outWidth, outHeight, outFormat, flags, nullptr,
                                nullptr, nullptr);
      key_ = wanted;
    }
    return context_;
  }
  void Free() {
    if (context_ != nullptr) sws_freeContext(context_);
    context_ = nullptr;
  }

 private:
  struct Key {
    int width, height;
    AVPixelFormat format;
    int outWidth, outHeight;
    AVPixelFormat outFormat;
    int flags;
    bool operator==(const Key&) const = default;
  };
  SwsContext* context_ = nullptr;
  Key key_{};
};

class FfmpegDecoder : public VideoCodec {
 public:
  explicit FfmpegDecoder(const Family& family) : family_(family) {}
  ~FfmpegDecoder() override { Close(); }

  LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (!InputOk(in)) return ICERR_BADFORMAT;
    return RgbOutputOk(in, out) || I420OutputOk(in, out) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT DecompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (!InputOk(in)) return ICERR_BADFORMAT;
    if (out == nullptr) return static_cast<LRESULT>(kBitmapInfoHeaderSize);
    *out = RgbHeader(in->biWidth, static_cast<LONG>(DibHeight(*in)), 24);
    return ICERR_OK;
  }
  LRESULT DecompressGetPalette(const BITMAPINFOHEADER*, BITMAPINFOHEADER*) override {
    return ICERR_UNSUPPORTED;
  }
  LRESULT DecompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (!InputOk(in) || !RgbOutputOk(in, out)) return ICERR_BADFORMAT;
    return Open(in) ? ICERR_OK : ICERR_MEMORY;
  }
  LRESULT Decompress(const ICDECOMPRESS& d) override {
    const BITMAPINFOHEADER* in = d.lpbiInput;
    // Besides the DIB of DecompressBegin, an I420 picture for an encoder.
    const bool planar = I420OutputOk(in, d.lpbiOutput);
    if (!InputOk(in) || !(planar || RgbOutputOk(in, d.lpbiOutput))) return ICERR_BADFORMAT;
    if (context_ == nullptr && !Open(in)) return ICERR_MEMORY;
    if (d.lpInput == nullptr || in->biSizeImage == 0) return ICERR_OK;  // nothing new: the picture stays

    std::size_t size = in->biSizeImage;
    // Motion JPEG goes through libjpeg-turbo first; what it leaves comes here.
    if (jpeg_ && !(d.dwFlags & ICDECOMPRESS_HURRYUP) &&
        (planar ? jpeg_->DecodeI420(static_cast<const BYTE*>(d.lpInput), size, d.lpbiOutput->biWidth,
                                    static_cast<LONG>(DibHeight(*d.lpbiOutput)), d.lpOutput)
                : jpeg_->Decode(static_cast<const BYTE*>(d.lpInput), size, *d.lpbiOutput, d.lpOutput)))
      return ICERR_OK;
    // The data go to libavcodec in a counted buffer of ours, padded as it
    // reads: it keeps a reference instead of copying them again, and the
    // buffer serves the next frame once the decoder has let it go.
    const std::size_t room = size + AV_INPUT_BUFFER_PADDING_SIZE;
    if (size > INT32_MAX - AV_INPUT_BUFFER_PADDING_SIZE) return ICERR_BADSIZE;
    if (packetBuffer_ == nullptr || static_cast<std::size_t>(packetBuffer_->size) < room ||
        !av_buffer_is_writable(packetBuffer_)) {
      av_buffer_unref(&packetBuffer_);
      packetBuffer_ = av_buffer_alloc(room);
      if (packetBuffer_ == nullptr) return ICERR_MEMORY;
    }
    std::memcpy(packetBuffer_->data, d.lpInput, size);
    std::memset(packetBuffer_->data + size, 0, AV_INPUT_BUFFER_PADDING_SIZE);
    av_packet_unref(packet_);
    packet_->buf = av_buffer_ref(packetBuffer_);
    if (packet_->buf == nullptr) return ICERR_MEMORY;
    packet_->data = packetBuffer_->data;
    packet_->size = static_cast<int>(size);
    if (!(d.dwFlags & ICDECOMPRESS_NOTKEYFRAME)) packet_->flags |= AV_PKT_FLAG_KEY;
    if (sendPalette_) {
      if (uint8_t* pal = av_packet_new_side_data(packet_, AV_PKT_DATA_PALETTE, AVPALETTE_SIZE)) {
        std::memcpy(pal, palette_, AVPALETTE_SIZE);
        sendPalette_ = false;
      }
    }
    int r = avcodec_send_packet(context_, packet_);
    av_packet_unref(packet_);
    if (r < 0 && r != AVERROR(EAGAIN)) return ICERR_ERROR;
    bool got = false;
    // A failed receive empties the frame it was given, so each picture is
    // received apart and only then kept as the newest.
    while (avcodec_receive_frame(context_, received_) == 0) {
      av_frame_unref(frame_);
      av_frame_move_ref(frame_, received_);
      got = true;
    }
    if (!got || (d.dwFlags & ICDECOMPRESS_HURRYUP)) return ICERR_OK;
    if (frame_->width <= 0 || frame_->height <= 0 || frame_->format < 0) return ICERR_ERROR;

    SwsContext* scaler =
        scaler_.Get(frame_->width, frame_->height, static_cast<AVPixelFormat>(frame_->format),
                    d.lpbiOutput->biWidth, static_cast<int>(DibHeight(*d.lpbiOutput)),
                    planar ? AV_PIX_FMT_YUV420P : PixelFormatOf(d.lpbiOutput->biBitCount), kSameSizeFlags);
    if (scaler == nullptr) return ICERR_BADFORMAT;
    uint8_t* data[4];
    int linesize[4];
    if (planar) {
      I420Planes(d.lpbiOutput, d.lpOutput, data, linesize);
    } else {
      DibPlanes(d.lpbiOutput, d.lpOutput, data, linesize);
    }
    sws_scale(scaler, frame_->data, frame_->linesize, 0, frame_->height, data, linesize);
    return ICERR_OK;
  }
  LRESULT DecompressEnd() override {
    Close();
    return ICERR_OK;
  }

 private:
  bool InputOk(const BITMAPINFOHEADER* in) const {
    return SaneFormat(in) && FamilyTakes(family_, in->biCompression) &&
           avcodec_find_decoder(family_.id) != nullptr;
  }

  bool Open(const BITMAPINFOHEADER* in) {
    Close();
    const AVCodec* codec = avcodec_find_decoder(family_.id);
    if (codec == nullptr) return false;
    context_ = avcodec_alloc_context3(codec);
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    received_ = av_frame_alloc();
    if (context_ == nullptr || packet_ == nullptr || frame_ == nullptr || received_ == nullptr) {
      Close();
      return false;
    }
    context_->width = in->biWidth;
    context_->height = static_cast<int>(DibHeight(*in));
    context_->codec_tag = in->biCompression;
    context_->bits_per_coded_sample = in->biBitCount;
    // One frame out for each frame in: the callers expect the picture of
    // the data they just gave.
    context_->thread_count = 1;
    // A coded picture far larger than the format says is damage, not video.
    context_->max_pixels = std::max<int64_t>(int64_t{in->biWidth} * DibHeight(*in) * 2, 1 << 16);
    // Codec data (HuffYUV tables, MPEG-4 headers) follow the 40-byte header.
    std::size_t extra = in->biSize - kBitmapInfoHeaderSize;
    if (extra > 0) {
      context_->extradata = static_cast<uint8_t*>(av_mallocz(extra + AV_INPUT_BUFFER_PADDING_SIZE));
      if (context_->extradata == nullptr) {
        Close();
        return false;
      }
      std::memcpy(context_->extradata, reinterpret_cast<const BYTE*>(in) + kBitmapInfoHeaderSize, extra);
      context_->extradata_size = static_cast<int>(extra);
    }
    sendPalette_ = false;
    if (in->biBitCount <= 8) {
      const RGBQUAD* colors = DibColors(in);
      DWORD n = DibColorCount(*in);
      std::memset(palette_, 0, sizeof(palette_));
      for (DWORD i = 0; i < n && i < 256; ++i) {
        palette_[i] = 0xFF000000u | (static_cast<uint32_t>(colors[i].rgbRed) << 16) |
                      (static_cast<uint32_t>(colors[i].rgbGreen) << 8) | colors[i].rgbBlue;
      }
      sendPalette_ = true;
    }
    if (avcodec_open2(context_, codec, nullptr) < 0) {
      Close();
      return false;
    }
    if (family_.id == AV_CODEC_ID_MJPEG) jpeg_ = std::make_unique<JpegFrames>();
    return true;
  }

  void Close() {
    jpeg_.reset();
    if (context_ != nullptr) avcodec_free_context(&context_);
    if (packet_ != nullptr) av_packet_free(&packet_);
    av_buffer_unref(&packetBuffer_);
    if (frame_ != nullptr) av_frame_free(&frame_);
    if (received_ != nullptr) av_frame_free(&received_);
    scaler_.Free();
  }

  const Family& family_;
  AVCodecContext* context_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVFrame* received_ = nullptr;
  Scaler scaler_;
  std::unique_ptr<JpegFrames> jpeg_;
  AVBufferRef* packetBuffer_ = nullptr;
  uint32_t palette_[256] = {};
  bool sendPalette_ = false;
};

// Motion JPEG: decoded as above, and encoded from uncompressed pictures.
class MjpegCodec : public FfmpegDecoder {
 public:
  explicit MjpegCodec(const Family& family) : FfmpegDecoder(family), family_(family) {}
  ~MjpegCodec() override { CloseEncoder(); }

  LRESULT CompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return PairOk(in, out) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT CompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (!InputOk(in)) return ICERR_BADFORMAT;
    if (out == nullptr) return static_cast<LRESULT>(kBitmapInfoHeaderSize);
    *out = BITMAPINFOHEADER{};
    out->biSize = kBitmapInfoHeaderSize;
    out->biWidth = in->biWidth;
    out->biHeight = static_cast<LONG>(DibHeight(*in));
    out->biPlanes = 1;
    out->biBitCount = 24;
    out->biCompression = family_.handler;
    out->biSizeImage = static_cast<DWORD>(out->biWidth * DibHeight(*in) * 3);
    return ICERR_OK;
  }
  LRESULT CompressGetSize(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (!PairOk(in, out)) return ICERR_BADFORMAT;
    return static_cast<LRESULT>(MaxOutput(in));
  }
  LRESULT CompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (!PairOk(in, out)) return ICERR_BADFORMAT;
    return OpenEncoder(in) ? ICERR_OK : ICERR_MEMORY;
  }
  LRESULT Compress(const ICCOMPRESS& c) override {
    const BITMAPINFOHEADER* in = c.lpbiInput;
    if (!PairOk(in, c.lpbiOutput)) return ICERR_BADFORMAT;
    if (encoder_ == nullptr || encoder_->width != in->biWidth || encoder_->height != DibHeight(*in)) {
      if (!OpenEncoder(in)) return ICERR_MEMORY;
    }
    // Pictures of 8 bits go through 24 bits first (their colours).
    const BITMAPINFOHEADER* src = in;
    const void* srcBits = c.lpInput;
    BITMAPINFOHEADER wide;
    if (in->biBitCount == 8) {
      wide = RgbHeader(in->biWidth, in->biHeight, 24);
      widened_.resize(static_cast<std::size_t>(DibImageBytes(wide)));
      if (!ConvertDib(in, c.lpInput, &wide, widened_.data())) return ICERR_BADFORMAT;
      src = &wide;
      srcBits = widened_.data();
    }
    AVPixelFormat inFormat = PixelFormatOf(src->biBitCount);
    const int height = static_cast<int>(DibHeight(*src));
    uint8_t* data[4];
    int linesize[4];
    DibPlanes(src, const_cast<void*>(srcBits), data, linesize);
    // libswscale leaves the colour of an odd width's last column unset, so
    // such a picture goes in one column wider, its last pixel repeated: the
    // last colour sample then covers that pixel alone, as it should.
    const int width = src->biWidth + (src->biWidth & 1);
    if (width != src->biWidth) {
      const std::size_t pixel = src->biBitCount / 8;
      const std::size_t row = static_cast<std::size_t>(src->biWidth) * pixel;
      const std::size_t stride = static_cast<std::size_t>(width) * pixel;
      evened_.resize(stride * static_cast<std::size_t>(height));
      for (int y = 0; y < height; ++y) {
        const uint8_t* from = data[0] + static_cast<std::ptrdiff_t>(y) * linesize[0];
        uint8_t* to = evened_.data() + static_cast<std::size_t>(y) * stride;
        std::memcpy(to, from, row);
        std::memcpy(to + row, from + row - pixel, pixel);
      }
      data[0] = evened_.data();
      linesize[0] = static_cast<int>(stride);
    }
    SwsContext* toYuv = toYuv_.Get(width, height, inFormat, width, height, encoder_->pix_fmt, SWS_BICUBIC);
    if (toYuv == nullptr) return ICERR_BADFORMAT;
    if (av_frame_make_writable(picture_) < 0) return ICERR_MEMORY;
    sws_scale(toYuv, data, linesize, 0, height, picture_->data, picture_->linesize);

    DWORD quality = c.dwQuality;
    if (quality > static_cast<DWORD>(ICQUALITY_HIGH)) quality = 7500;  // ICQUALITY_DEFAULT and beyond
    int qscale = 31 - static_cast<int>(quality) * 29 / ICQUALITY_HIGH;
    picture_->quality = qscale * FF_QP2LAMBDA;
    picture_->pts = c.lFrameNum;
    if (avcodec_send_frame(encoder_, picture_) < 0) return ICERR_ERROR;
    if (avcodec_receive_packet(encoder_, packet_) < 0) return ICERR_ERROR;
    LRESULT result = ICERR_OK;
    if (static_cast<std::size_t>(packet_->size) > MaxOutput(in)) {
      result = ICERR_BADSIZE;
    } else {
      std::memcpy(c.lpOutput, packet_->data, static_cast<std::size_t>(packet_->size));
      c.lpbiOutput->biSizeImage = static_cast<DWORD>(packet_->size);
      if (c.lpdwFlags != nullptr) *c.lpdwFlags = 0x10;  // every picture stands alone
      if (c.lpckid != nullptr) *c.lpckid = static_cast<DWORD>('d' | ('c' << 8));
    }
    av_packet_unref(packet_);
    return result;
  }
  LRESULT CompressEnd() override {
    CloseEncoder();
    return ICERR_OK;
  }

 private:
  static bool InputOk(const BITMAPINFOHEADER* in) {
    return SaneFormat(in) && in->biCompression == BI_RGB &&
           (in->biBitCount == 8 || PixelFormatOf(in->biBitCount) != AV_PIX_FMT_NONE);
  }
  bool PairOk(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) const {
    if (!InputOk(in) || avcodec_find_encoder(AV_CODEC_ID_MJPEG) == nullptr) return false;
    if (out == nullptr) return true;
    return FamilyTakes(family_, out->biCompression) && out->biWidth == in->biWidth &&
           DibHeight(*out) == DibHeight(*in);
  }
  static std::size_t MaxOutput(const BITMAPINFOHEADER* in) {
    return static_cast<std::size_t>(in->biWidth) * static_cast<std::size_t>(DibHeight(*in)) * 4 + 65536;
  }

  bool OpenEncoder(const BITMAPINFOHEADER* in) {
    CloseEncoder();
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    if (codec == nullptr) return false;
    encoder_ = avcodec_alloc_context3(codec);
    packet_ = av_packet_alloc();
    picture_ = av_frame_alloc();
    if (encoder_ == nullptr || packet_ == nullptr || picture_ == nullptr) {
      CloseEncoder();
      return false;
    }
    encoder_->width = in->biWidth;
    encoder_->height = static_cast<int>(DibHeight(*in));
    encoder_->pix_fmt = AV_PIX_FMT_YUVJ420P;
    encoder_->time_base = AVRational{1, 25};
    encoder_->flags |= AV_CODEC_FLAG_QSCALE;
    encoder_->thread_count = 1;
    if (avcodec_open2(encoder_, codec, nullptr) < 0) {
      CloseEncoder();
      return false;
    }
    picture_->format = encoder_->pix_fmt;
    // Room for the column an odd width is widened by; the encoder takes
    // only its own width of it.
    picture_->width = encoder_->width + (encoder_->width & 1);
    picture_->height = encoder_->height;
    if (av_frame_get_buffer(picture_, 0) < 0) {
      CloseEncoder();
      return false;
    }
    picture_->width = encoder_->width;
    return true;
  }
  void CloseEncoder() {
    if (encoder_ != nullptr) avcodec_free_context(&encoder_);
    if (packet_ != nullptr) av_packet_free(&packet_);
    if (picture_ != nullptr) av_frame_free(&picture_);
    toYuv_.Free();
  }

  const Family& family_;
  AVCodecContext* encoder_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* picture_ = nullptr;
  Scaler toYuv_;
  std::vector<BYTE> widened_;
  std::vector<BYTE> evened_;
};

const Family* FamilyOf(FOURCC handler) {
  for (const Family& f : Families()) {
    if (SameHandler(f.handler, handler)) return &f;
  }
  return nullptr;
}

std::unique_ptr<VideoCodec> MakeFfmpegCodec(const VideoCodecDescription& desc, UINT) {
  const Family* f = FamilyOf(desc.fccHandler);
  if (f == nullptr) return nullptr;
  if (f->compresses) return std::make_unique<MjpegCodec>(*f);
  return WithKeyFrameEncoder(std::make_unique<FfmpegDecoder>(*f), f->id, f->handler,
                             [f](FOURCC code) { return FamilyTakes(*f, code); });
}

}  // namespace

void AppendFfmpegCodecs(std::vector<CodecEntry>& out) {
  // Decoding damaged data is expected; libav's own reports would only be noise.
  av_log_set_level(AV_LOG_QUIET);
  for (const Family& f : Families()) {
    if (avcodec_find_decoder(f.id) == nullptr) continue;
    CodecEntry e;
    e.desc.fccType = ICTYPE_VIDEO;
    e.desc.fccHandler = f.handler;
    e.desc.dwFlags = f.compresses || HasKeyFrameEncoder(f.id) ? (VIDCF_QUALITY | VIDCF_COMPRESSFRAMES) : 0;
    e.name = f.name;
    e.description = f.description;
    e.aliases = f.aliases;
    e.factory = &MakeFfmpegCodec;
    out.push_back(e);
  }
}

}  // namespace codecs
