#include "platform/mci/media_decoder.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace mci {
namespace {

// Pictures larger than this on a side are refused rather than allocated.
constexpr int kLargestSide = 8192;
// Sound rates the wave output is given as they are; others are resampled.
constexpr int kLowestRate = 8000;
constexpr int kHighestRate = 192000;
constexpr int kFallbackRate = 44100;

// One stream of a file, with its own demuxer and decoder.
struct Stream {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int index = -1;
  bool draining = false;

  ~Stream() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }

  MCIERROR Open(const std::string& path, AVMediaType type) {
    if (access(path.c_str(), R_OK) != 0) return MCIERR_FILE_NOT_FOUND;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return MCIERR_INVALID_FILE;
    if (avformat_find_stream_info(format, nullptr) < 0) return MCIERR_INVALID_FILE;
    const AVCodec* decoder = nullptr;
    index = av_find_best_stream(format, type, -1, -1, &decoder, 0);
    if (index < 0 || decoder == nullptr) return MCIERR_INVALID_FILE;
    codec = avcodec_alloc_context3(decoder);
    if (codec == nullptr) return MCIERR_OUT_OF_MEMORY;
    if (avcodec_parameters_to_context(codec, format->streams[index]->codecpar) < 0)
      return MCIERR_INVALID_FILE;
    codec->thread_count = 1;
    if (avcodec_open2(codec, decoder, nullptr) < 0) return MCIERR_INVALID_FILE;
    packet = av_packet_alloc();
    frame = av_frame_alloc();
    return packet != nullptr && frame != nullptr ? 0 : MCIERR_OUT_OF_MEMORY;
  }

  AVStream* Av() const { return format->streams[index]; }

  // The next decoded frame into frame: 1 one came, 0 the stream ended, -1
  // it cannot be decoded on.
  int Decode() {
    for (;;) {
      const int got = avcodec_receive_frame(codec, frame);
      if (got == 0) return 1;
      if (got == AVERROR_EOF) return 0;
      if (got != AVERROR(EAGAIN) || draining) return -1;
      if (!Feed()) return -1;
    }
  }

 private:
  // Hands the decoder the stream's next packet, or the end.
  bool Feed() {
    for (;;) {
      if (av_read_frame(format, packet) < 0) {
        // The end of the file, or a file that cannot be read on: the
        // decoder gives what it holds.
        draining = true;
        return avcodec_send_packet(codec, nullptr) >= 0;
      }
      if (packet->stream_index != index) {
        av_packet_unref(packet);
        continue;
      }
      const int sent = avcodec_send_packet(codec, packet);
      av_packet_unref(packet);
      // A damaged packet is passed over; the next may decode.
      if (sent == AVERROR_INVALIDDATA) continue;
      return sent >= 0;
    }
  }
};

}  // namespace

// ---- Sound ----

struct SoundReader::State {
  Stream stream;
  SwrContext* resampler = nullptr;
  AVChannelLayout inLayout{};
  int inRate = 0;
  int inFormat = -1;
  int rate = 0;
  int channels = 0;
  std::vector<int16_t> held;  // converted samples not handed out yet
  size_t heldAt = 0;
  bool ended = false;

  ~State() {
    swr_free(&resampler);
    av_channel_layout_uninit(&inLayout);
  }

  bool SameInput(const AVFrame* f) const {
    return f->format == inFormat && f->sample_rate == inRate &&
           av_channel_layout_compare(&f->ch_layout, &inLayout) == 0;
  }

  // Converts what the resampler gets (null: its remainder) into held.
  bool Convert(const uint8_t** in, int count) {
    const int room = swr_get_out_samples(resampler, count);
    if (room < 0) return false;
    held.assign(static_cast<size_t>(room) * channels, 0);
    heldAt = 0;
    if (room == 0) return true;
    uint8_t* out = reinterpret_cast<uint8_t*>(held.data());
    const int made = swr_convert(resampler, &out, room, in, count);
    if (made < 0) return false;
    held.resize(static_cast<size_t>(made) * channels);
    return true;
  }
};

SoundReader::SoundReader() : s_(std::make_unique<State>()) {}
SoundReader::~SoundReader() = default;

MCIERROR SoundReader::Open(const std::string& path) {
  if (MCIERROR e = s_->stream.Open(path, AVMEDIA_TYPE_AUDIO); e != 0) return e;
  AVCodecContext* c = s_->stream.codec;
  if (c->sample_rate <= 0 || c->ch_layout.nb_channels <= 0) return MCIERR_INVALID_FILE;
  if (c->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    av_channel_layout_default(&s_->inLayout, c->ch_layout.nb_channels);
  } else if (av_channel_layout_copy(&s_->inLayout, &c->ch_layout) < 0) {
    return MCIERR_OUT_OF_MEMORY;
  }
  s_->inRate = c->sample_rate;
  s_->inFormat = c->sample_fmt;
  s_->channels = std::min(c->ch_layout.nb_channels, 2);
  s_->rate = c->sample_rate >= kLowestRate && c->sample_rate <= kHighestRate ? c->sample_rate : kFallbackRate;
  AVChannelLayout outLayout{};
  av_channel_layout_default(&outLayout, s_->channels);
  const int made = swr_alloc_set_opts2(&s_->resampler, &outLayout, AV_SAMPLE_FMT_S16, s_->rate, &s_->inLayout,
                                       static_cast<AVSampleFormat>(s_->inFormat), s_->inRate, 0, nullptr);
  av_channel_layout_uninit(&outLayout);
  if (made < 0 || swr_init(s_->resampler) < 0) return MCIERR_INVALID_FILE;
  return 0;
}

int SoundReader::Rate() const {
  return s_->rate;
}

int SoundReader::Channels() const {
  return s_->channels;
}

long SoundReader::Read(int16_t* out, long frames) {
  State& s = *s_;
  long done = 0;
  while (done < frames) {
    const size_t available = (s.held.size() - s.heldAt) / static_cast<size_t>(s.channels);
    if (available > 0) {
      const size_t n = std::min<size_t>(available, static_cast<size_t>(frames - done));
      std::memcpy(out + done * s.channels, s.held.data() + s.heldAt, n * s.channels * sizeof(int16_t));
      s.heldAt += n * s.channels;
      done += static_cast<long>(n);
      continue;
    }
    if (s.ended) break;
    const int got = s.stream.Decode();
    if (got < 0) return done > 0 ? done : -1;
    if (got == 0) {
      // What the resampler still holds, then the end.
      s.ended = true;
      if (!s.Convert(nullptr, 0)) return done > 0 ? done : -1;
      continue;
    }
    AVFrame* f = s.stream.frame;
    // A stream whose format changes midway is read as far as it kept it.
    const bool usable =
        s.SameInput(f) || (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC && f->format == s.inFormat &&
                           f->sample_rate == s.inRate && f->ch_layout.nb_channels == s.inLayout.nb_channels);
    const bool converted = usable && s.Convert(const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
    av_frame_unref(f);
    if (!converted) return done > 0 ? done : -1;
  }
  return done;
}

// ---- Pictures ----

struct PictureReader::State {
  Stream stream;
  SwsContext* scaler = nullptr;
  int width = 0;
  int height = 0;
  int64_t frameMs = 40;
  int64_t lastMs = -1;

  ~State() { sws_freeContext(scaler); }
};

PictureReader::PictureReader() : s_(std::make_unique<State>()) {}
PictureReader::~PictureReader() = default;

MCIERROR PictureReader::Open(const std::string& path) {
  if (MCIERROR e = s_->stream.Open(path, AVMEDIA_TYPE_VIDEO); e != 0) return e;
  AVCodecContext* c = s_->stream.codec;
  if (c->width <= 0 || c->height <= 0 || c->width > kLargestSide || c->height > kLargestSide)
    return MCIERR_INVALID_FILE;
  s_->width = c->width;
  s_->height = c->height;
  AVRational rate = s_->stream.Av()->avg_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) rate = s_->stream.Av()->r_frame_rate;
  if (rate.num > 0 && rate.den > 0) {
    s_->frameMs = std::clamp<int64_t>(av_rescale(1000, rate.den, rate.num), 1, 10000);
  }
  return 0;
}

int PictureReader::Width() const {
  return s_->width;
}

int PictureReader::Height() const {
  return s_->height;
}

int64_t PictureReader::FrameMs() const {
  return s_->frameMs;
}

PictureReader::Result PictureReader::Next(int64_t* ms, std::vector<uint8_t>* pixels) {
  State& s = *s_;
  const int got = s.stream.Decode();
  if (got == 0) return Result::kEnd;
  if (got < 0) return Result::kFailed;
  AVFrame* f = s.stream.frame;
  // Each picture is scaled to the size the film began with.
  s.scaler =
      sws_getCachedContext(s.scaler, f->width, f->height, static_cast<AVPixelFormat>(f->format), s.width,
                           s.height, AV_PIX_FMT_BGR0, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (s.scaler == nullptr || f->width <= 0 || f->height <= 0) {
    av_frame_unref(f);
    return Result::kFailed;
  }
  pixels->assign(static_cast<size_t>(s.width) * s.height * 4, 0);
  uint8_t* planes[4] = {pixels->data(), nullptr, nullptr, nullptr};
  int strides[4] = {s.width * 4, 0, 0, 0};
  const int rows = sws_scale(s.scaler, f->data, f->linesize, 0, f->height, planes, strides);
  int64_t when = s.lastMs < 0 ? 0 : s.lastMs + s.frameMs;
  const int64_t stamp = f->best_effort_timestamp;
  if (stamp != AV_NOPTS_VALUE) {
    const AVStream* st = s.stream.Av();
    const int64_t first = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    int64_t since = 0;
    if (__builtin_sub_overflow(stamp, first, &since)) since = 0;
    when = std::max<int64_t>(0, av_rescale_q(since, st->time_base, AVRational{1, 1000}));
  }
  av_frame_unref(f);
  if (rows <= 0) return Result::kFailed;
  s.lastMs = when;
  *ms = when;
  return Result::kPicture;
}

}  // namespace mci
