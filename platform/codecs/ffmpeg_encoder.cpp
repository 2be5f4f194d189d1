#include "platform/codecs/ffmpeg_encoder.h"

#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include "platform/codecs/codec_registry.h"

namespace codecs {
namespace {

struct Encoding {
  AVPixelFormat pixels = AV_PIX_FMT_NONE;  // what the encoder takes
  WORD bitCount = 24;                      // what the stored format says
  AVRational timeBase{1, 25};
};

// What each family's encoder takes, for an input of this depth and size.
// NONE when the family does not encode it.
Encoding EncodingFor(AVCodecID id, const BITMAPINFOHEADER& in) {
  Encoding e;
  const int64_t height = DibHeight(in);
  switch (id) {
    case AV_CODEC_ID_MPEG4:
      e.pixels = AV_PIX_FMT_YUV420P;
      break;
    case AV_CODEC_ID_HUFFYUV:
      // Packed 16-bit HuffYUV pictures are 4:2:2; the others keep RGB.
      if (in.biBitCount == 16) {
        e.pixels = AV_PIX_FMT_YUV422P;
        e.bitCount = 16;
      } else if (in.biBitCount == 32) {
        e.pixels = AV_PIX_FMT_RGB32;
        e.bitCount = 32;
      } else {
        e.pixels = AV_PIX_FMT_RGB24;
      }
      break;
    case AV_CODEC_ID_MSVIDEO1:
      e.pixels = AV_PIX_FMT_RGB555LE;
      e.bitCount = 16;
      break;
    case AV_CODEC_ID_CINEPAK:
      e.pixels = AV_PIX_FMT_RGB24;
      break;
    case AV_CODEC_ID_DVVIDEO:
      // DV has its two picture sizes, each with its rate and sampling.
      if (in.biWidth == 720 && height == 576) {
        e.pixels = AV_PIX_FMT_YUV420P;
      } else if (in.biWidth == 720 && height == 480) {
        e.pixels = AV_PIX_FMT_YUV411P;
        e.timeBase = AVRational{1001, 30000};
      }
      break;
    default:
      break;
  }
  return e;
}

AVPixelFormat RgbPixels(int bitCount) {
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

bool InputOk(const BITMAPINFOHEADER* in) {
  return in != nullptr && SaneFormat(in) && in->biCompression == BI_RGB &&
         RgbPixels(in->biBitCount) != AV_PIX_FMT_NONE;
}

// One open libavcodec encoder for pictures of one size.
class Encoder {
 public:
  ~Encoder() { Close(); }

  bool Open(AVCodecID id, const BITMAPINFOHEADER& in) {
    Close();
    const Encoding e = EncodingFor(id, in);
    const AVCodec* codec = avcodec_find_encoder(id);
    if (codec == nullptr || e.pixels == AV_PIX_FMT_NONE) return false;
    context_ = avcodec_alloc_context3(codec);
    packet_ = av_packet_alloc();
    picture_ = av_frame_alloc();
    if (context_ == nullptr || packet_ == nullptr || picture_ == nullptr) {
      Close();
      return false;
    }
    context_->width = in.biWidth;
    context_->height = static_cast<int>(DibHeight(in));
    context_->pix_fmt = e.pixels;
    context_->time_base = e.timeBase;
    context_->framerate = AVRational{e.timeBase.den, e.timeBase.num};
    // Every picture stands alone.
    context_->gop_size = 1;
    context_->keyint_min = 0;  // Microsoft Video 1 counts from here to its next key frame
    context_->max_b_frames = 0;
    context_->flags |= AV_CODEC_FLAG_QSCALE;
    context_->thread_count = 1;
    if (avcodec_open2(context_, codec, nullptr) < 0) {
      Close();
      return false;
    }
    picture_->format = context_->pix_fmt;
    picture_->width = context_->width;
    picture_->height = context_->height;
    if (av_frame_get_buffer(picture_, 0) < 0) {
      Close();
      return false;
    }
    bitCount_ = e.bitCount;
    return true;
  }

  void Close() {
    if (context_ != nullptr) avcodec_free_context(&context_);
    if (packet_ != nullptr) av_packet_free(&packet_);
    if (picture_ != nullptr) av_frame_free(&picture_);
    if (toEncoder_ != nullptr) {
      sws_freeContext(toEncoder_);
      toEncoder_ = nullptr;
    }
  }

  bool IsOpenFor(const BITMAPINFOHEADER& in) const {
    return context_ != nullptr && context_->width == in.biWidth && context_->height == DibHeight(in);
  }

  const uint8_t* Extra() const { return context_->extradata; }
  int ExtraSize() const { return context_->extradata != nullptr ? context_->extradata_size : 0; }
  WORD BitCount() const { return bitCount_; }

  // Encodes the DIB as a key frame; the packet stays until the next call.
  const AVPacket* Encode(const BITMAPINFOHEADER& in, const void* bits, DWORD quality, LONG number) {
    const AVPixelFormat from = RgbPixels(in.biBitCount);
    const int height = static_cast<int>(DibHeight(in));
    toEncoder_ = sws_getCachedContext(toEncoder_, in.biWidth, height, from, context_->width, context_->height,
                                      context_->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (toEncoder_ == nullptr || av_frame_make_writable(picture_) < 0) return nullptr;
    // Rows of a bottom-up DIB are read from the top through a negative stride.
    const int64_t stride = DibRowBytes(in.biWidth, in.biBitCount);
    const uint8_t* top = static_cast<const uint8_t*>(bits);
    int lineSize = static_cast<int>(stride);
    if (in.biHeight > 0) {
      top += (height - 1) * stride;
      lineSize = -lineSize;
    }
    const uint8_t* planes[4] = {top, nullptr, nullptr, nullptr};
    const int lineSizes[4] = {lineSize, 0, 0, 0};
    sws_scale(toEncoder_, planes, lineSizes, 0, height, picture_->data, picture_->linesize);

    if (quality > static_cast<DWORD>(ICQUALITY_HIGH)) quality = 7500;
    picture_->quality = (31 - static_cast<int>(quality) * 29 / ICQUALITY_HIGH) * FF_QP2LAMBDA;
    picture_->pict_type = AV_PICTURE_TYPE_I;
    picture_->pts = number;
    av_packet_unref(packet_);
    if (avcodec_send_frame(context_, picture_) < 0 || avcodec_receive_packet(context_, packet_) < 0)
      return nullptr;
    return packet_;
  }

 private:
  AVCodecContext* context_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* picture_ = nullptr;
  SwsContext* toEncoder_ = nullptr;
  WORD bitCount_ = 24;
};

// A decoder of the family with key-frame compression beside it.
class KeyFrameCodec : public VideoCodec {
 public:
  KeyFrameCodec(std::unique_ptr<VideoCodec> decoder, AVCodecID id, FOURCC handler,
                std::function<bool(FOURCC)> takes)
      : decoder_(std::move(decoder)), id_(id), handler_(handler), takes_(std::move(takes)) {}

  LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return decoder_->DecompressQuery(in, out);
  }
  LRESULT DecompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    return decoder_->DecompressGetFormat(in, out);
  }
  LRESULT DecompressGetPalette(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    return decoder_->DecompressGetPalette(in, out);
  }
  LRESULT DecompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return decoder_->DecompressBegin(in, out);
  }
  LRESULT Decompress(const ICDECOMPRESS& d) override { return decoder_->Decompress(d); }
  LRESULT DecompressEnd() override { return decoder_->DecompressEnd(); }

  LRESULT CompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return PairOk(in, out) && Ready(*in) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT CompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (!InputOk(in) || !Ready(*in)) return ICERR_BADFORMAT;
    const DWORD extra = static_cast<DWORD>(encoder_.ExtraSize());
    if (out == nullptr) return static_cast<LRESULT>(kBitmapInfoHeaderSize + extra);
    *out = BITMAPINFOHEADER{};
    out->biSize = kBitmapInfoHeaderSize + extra;
    out->biWidth = in->biWidth;
    out->biHeight = static_cast<LONG>(DibHeight(*in));
    out->biPlanes = 1;
    out->biBitCount = encoder_.BitCount();
    out->biCompression = handler_;
    out->biSizeImage = static_cast<DWORD>(DibImageBytes(*out));
    // The codec data (HuffYUV's tables) follow the header.
    if (extra > 0) std::memcpy(reinterpret_cast<BYTE*>(out) + kBitmapInfoHeaderSize, encoder_.Extra(), extra);
    return ICERR_OK;
  }
  LRESULT CompressGetSize(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (!PairOk(in, out)) return ICERR_BADFORMAT;
    return static_cast<LRESULT>(MaxOutput(*in));
  }
  LRESULT CompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (!PairOk(in, out)) return ICERR_BADFORMAT;
    return Ready(*in) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT Compress(const ICCOMPRESS& c) override {
    const BITMAPINFOHEADER* in = c.lpbiInput;
    if (!PairOk(in, c.lpbiOutput) || c.lpInput == nullptr || c.lpOutput == nullptr) return ICERR_BADFORMAT;
    if (in->biSizeImage != 0 && in->biSizeImage < DibImageBytes(*in)) return ICERR_BADSIZE;
    if (!Ready(*in)) return ICERR_BADFORMAT;
    const AVPacket* packet = encoder_.Encode(*in, c.lpInput, c.dwQuality, c.lFrameNum);
    if (packet == nullptr || !(packet->flags & AV_PKT_FLAG_KEY)) return ICERR_ERROR;
    if (static_cast<std::size_t>(packet->size) > MaxOutput(*in)) return ICERR_BADSIZE;
    std::memcpy(c.lpOutput, packet->data, static_cast<std::size_t>(packet->size));
    c.lpbiOutput->biSizeImage = static_cast<DWORD>(packet->size);
    if (c.lpdwFlags != nullptr) *c.lpdwFlags = 0x10;  // a key frame
    if (c.lpckid != nullptr) *c.lpckid = static_cast<DWORD>('d' | ('c' << 8));
    return ICERR_OK;
  }
  LRESULT CompressEnd() override {
    encoder_.Close();
    return ICERR_OK;
  }

 private:
  bool PairOk(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) const {
    if (!InputOk(in)) return false;
    if (out == nullptr) return true;
    return takes_(out->biCompression) && out->biWidth == in->biWidth && DibHeight(*out) == DibHeight(*in);
  }
  // The encoder opened for the input's size and depth: false when the
  // family does not encode it (DV at other sizes, odd sizes some refuse).
  bool Ready(const BITMAPINFOHEADER& in) {
    if (encoder_.IsOpenFor(in) && openBits_ == in.biBitCount) return true;
    openBits_ = in.biBitCount;
    return encoder_.Open(id_, in);
  }
  static std::size_t MaxOutput(const BITMAPINFOHEADER& in) {
    return static_cast<std::size_t>(in.biWidth) * static_cast<std::size_t>(DibHeight(in)) * 4 + 65536;
  }

  std::unique_ptr<VideoCodec> decoder_;
  AVCodecID id_;
  FOURCC handler_;
  std::function<bool(FOURCC)> takes_;
  Encoder encoder_;
  int openBits_ = 0;
};

}  // namespace

bool HasKeyFrameEncoder(AVCodecID id) {
  switch (id) {
    case AV_CODEC_ID_MPEG4:
    case AV_CODEC_ID_HUFFYUV:
    case AV_CODEC_ID_MSVIDEO1:
    case AV_CODEC_ID_CINEPAK:
    case AV_CODEC_ID_DVVIDEO:
      return avcodec_find_encoder(id) != nullptr;
    default:
      return false;
  }
}

std::unique_ptr<VideoCodec> WithKeyFrameEncoder(std::unique_ptr<VideoCodec> decoder, AVCodecID id,
                                                FOURCC handler, std::function<bool(FOURCC)> takes) {
  if (!decoder || !HasKeyFrameEncoder(id)) return decoder;
  return std::make_unique<KeyFrameCodec>(std::move(decoder), id, handler, std::move(takes));
}

}  // namespace codecs
