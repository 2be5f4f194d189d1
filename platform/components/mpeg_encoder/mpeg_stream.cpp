#include "platform/components/mpeg_encoder/mpeg_stream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include "platform/components/mpeg_encoder.h"

namespace mpeg {
namespace {

constexpr int kIoBufferSize = 64 * 1024;
// Jobs waiting for the encoding thread: enough to keep it busy while the
// caller makes the next picture, few enough to hold little memory.
constexpr std::size_t kQueueLimit = 4;
// Pictures or sample frames kept for use again while the encoder holds them.
constexpr std::size_t kPoolLimit = 8;

// Layer II bit rates in kbit/s: MPEG-1 rates, and the half rates of MPEG-2.
constexpr LONG kFullRateBitRates[] = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
constexpr LONG kHalfRateBitRates[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

std::string AvText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

bool Fail(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
  return false;
}

AVRational FrameDuration(LONG format) {
  switch (format) {
    case 1:
      return {1001, 24000};
    case 2:
      return {1, 24};
    case 3:
      return {1, 25};
    case 4:
      return {1001, 30000};
    default:
      return {1, 30};
  }
}

// The buffer sizes the encoder chose go with the stream, for the muxer's
// packs and the players' buffers.
bool CopySideData(const AVCodecContext* context, AVStream* stream) {
  for (int i = 0; i < context->nb_coded_side_data; ++i) {
    const AVPacketSideData& data = context->coded_side_data[i];
    uint8_t* copy = av_stream_new_side_data(stream, data.type, data.size);
    if (copy == nullptr) return false;
    std::memcpy(copy, data.data, data.size);
  }
  return true;
}

const char* MuxerOf(LONG type) {
  switch (type) {
    case kMpegVideoCd:
      return "vcd";
    case kMpegProgram:
    case kMpegProgramSif:
      return "vob";
    default:
      return "mpeg";
  }
}

}  // namespace

bool CarriesSampleRate(DWORD rate) {
  switch (rate) {
    case 16000:
    case 22050:
    case 24000:
    case 32000:
    case 44100:
    case 48000:
      return true;
    default:
      return false;
  }
}

LONG NearestAudioBitRate(DWORD rate, WORD channels, LONG kilobits) {
  const bool half = rate < 32000;
  const LONG* table = half ? kHalfRateBitRates : kFullRateBitRates;
  LONG best = 0;
  for (int i = 0; i < 14; ++i) {
    const LONG r = table[i];
    // Full-rate layer II leaves the lowest rates to one channel and the
    // highest to two.
    if (!half && channels >= 2 && (r < 64 || r == 80)) continue;
    if (!half && channels < 2 && r > 192) continue;
    if (best == 0 || std::labs(r - kilobits) < std::labs(best - kilobits)) best = r;
  }
  return best;
}

MpegStream::~MpegStream() {
  Close();
}

int MpegStream::WriteBlock(void* opaque, uint8_t* data, int size) {
  auto* self = static_cast<MpegStream*>(opaque);
  if (size <= 0) return 0;
  try {
    std::lock_guard<std::mutex> hold(self->blockLock_);
    self->blocks_.emplace_back(data, data + size);
  } catch (...) {
    return AVERROR(ENOMEM);
  }
  return size;
}

bool MpegStream::Open(const StreamSettings& settings, std::string* error) {
  Close();
  settings_ = settings;
  if (!settings_.video && !settings_.audio)
    return Fail(error, "The MPEG stream has neither video nor audio.");
  if (avformat_alloc_output_context2(&muxer_, nullptr, MuxerOf(settings_.type), nullptr) < 0 ||
      muxer_ == nullptr)
    return Fail(error, "The MPEG multiplexer is not available.");
  auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
  if (buffer != nullptr)
    io_ = avio_alloc_context(buffer, kIoBufferSize, 1, this, nullptr, &WriteBlock, nullptr);
  if (io_ == nullptr) {
    av_free(buffer);
    Close();
    return Fail(error, "Not enough memory for the MPEG stream.");
  }
  muxer_->pb = io_;
  packet_ = av_packet_alloc();
  if (packet_ == nullptr) {
    Close();
    return Fail(error, "Not enough memory for the MPEG stream.");
  }
  if ((settings_.video && !OpenVideo(error)) || (settings_.audio && !OpenAudio(error))) {
    Close();
    return false;
  }
  const int r = avformat_write_header(muxer_, nullptr);
  if (r < 0) {
    Close();
    return Fail(error, "The MPEG stream cannot start: " + AvText(r));
  }
  headerWritten_ = true;
  try {
    worker_ = std::thread(&MpegStream::Work, this);
  } catch (...) {
    Close();
    return Fail(error, "The MPEG encoder cannot start its thread.");
  }
  return true;
}

bool MpegStream::OpenVideo(std::string* error) {
  const bool mpeg2 = settings_.type == kMpegProgram;
  const AVCodec* codec = avcodec_find_encoder(mpeg2 ? AV_CODEC_ID_MPEG2VIDEO : AV_CODEC_ID_MPEG1VIDEO);
  if (codec == nullptr) return Fail(error, "The MPEG video encoder is not available.");
  video_ = avcodec_alloc_context3(codec);
  if (video_ == nullptr) return Fail(error, "Not enough memory for the MPEG video encoder.");
  const AVRational frame = FrameDuration(settings_.format);
  video_->width = settings_.width;
  video_->height = settings_.height;
  video_->time_base = frame;
  video_->framerate = AVRational{frame.den, frame.num};
  video_->pix_fmt = AV_PIX_FMT_YUV420P;
  video_->bit_rate = settings_.videoBitRate;
  video_->max_b_frames = 2;
  // Slices of a picture encode on every processor there is.
  video_->thread_count = 0;
  // Half a second between key pictures, as discs have them.
  video_->gop_size = frame.den / frame.num >= 28 ? 15 : 12;
  if (settings_.type == kMpegVideoCd) {
    // A Video CD player reads at a constant rate through a 40 KB buffer.
    video_->rc_min_rate = video_->rc_max_rate = video_->bit_rate;
    video_->rc_buffer_size = 40 * 1024 * 8;
  } else if (mpeg2) {
    video_->rc_max_rate = std::max<int64_t>(video_->bit_rate, 9000000);
    video_->rc_buffer_size = 1835008;
  } else {
    // Half a second of data, within what MPEG-1 players hold, and peaks of
    // half the rate again to draw on it.
    video_->rc_buffer_size = static_cast<int>(std::clamp<int64_t>(video_->bit_rate / 2, 327680, 1835008));
    video_->rc_max_rate = video_->bit_rate * 3 / 2;
  }
  int r = avcodec_open2(video_, codec, nullptr);
  if (r < 0) {
    return Fail(error, "The MPEG video encoder does not take " + std::to_string(settings_.width) + " x " +
                           std::to_string(settings_.height) + " pictures at " +
                           std::to_string(settings_.videoBitRate) + " bit/s: " + AvText(r));
  }
  videoStream_ = avformat_new_stream(muxer_, nullptr);
  if (videoStream_ == nullptr) return Fail(error, "Not enough memory for MPEG video.");
  videoStream_->time_base = video_->time_base;
  if (avcodec_parameters_from_context(videoStream_->codecpar, video_) < 0 ||
      !CopySideData(video_, videoStream_))
    return Fail(error, "Not enough memory for MPEG video.");
  return true;
}

bool MpegStream::OpenAudio(std::string* error) {
  if (!CarriesSampleRate(settings_.sampleRate))
    return Fail(error, "MPEG audio can not carry " + std::to_string(settings_.sampleRate) +
                           " Hz: choose 16000, 22050, 24000, 32000, 44100 or 48000 Hz.");
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP2);
  if (codec == nullptr) return Fail(error, "The MPEG audio encoder is not available.");
  audio_ = avcodec_alloc_context3(codec);
  if (audio_ == nullptr) return Fail(error, "Not enough memory for the MPEG audio encoder.");
  audio_->sample_rate = static_cast<int>(settings_.sampleRate);
  av_channel_layout_default(&audio_->ch_layout, settings_.channels);
  audio_->sample_fmt = AV_SAMPLE_FMT_S16;
  audio_->bit_rate =
      int64_t{NearestAudioBitRate(settings_.sampleRate, settings_.channels, settings_.audioKilobits)} * 1000;
  audio_->time_base = AVRational{1, audio_->sample_rate};
  const int r = avcodec_open2(audio_, codec, nullptr);
  if (r < 0) return Fail(error, "The MPEG audio encoder does not take this format: " + AvText(r));
  audioStream_ = avformat_new_stream(muxer_, nullptr);
  if (audioStream_ == nullptr) return Fail(error, "Not enough memory for MPEG audio.");
  audioStream_->time_base = audio_->time_base;
  if (avcodec_parameters_from_context(audioStream_->codecpar, audio_) < 0)
    return Fail(error, "Not enough memory for MPEG audio.");
  audioFrameSamples_ = audio_->frame_size;
  if (audioFrameSamples_ <= 0) return Fail(error, "The MPEG audio encoder does not take this format.");
  return true;
}

bool MpegStream::Send(AVCodecContext* context, AVStream* stream, AVFrame* frame, std::string* error) {
  int r = avcodec_send_frame(context, frame);
  if (r < 0) return Fail(error, "The MPEG encoder failed: " + AvText(r));
  for (;;) {
    r = avcodec_receive_packet(context, packet_);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
    if (r < 0) return Fail(error, "The MPEG encoder failed: " + AvText(r));
    av_packet_rescale_ts(packet_, context->time_base, stream->time_base);
    packet_->stream_index = stream->index;
    r = av_interleaved_write_frame(muxer_, packet_);
    if (r < 0) return Fail(error, "The MPEG multiplexer failed: " + AvText(r));
  }
}

bool MpegStream::EncodeFrame(const BITMAPINFOHEADER* format, const void* bits, std::string* error) {
  if (video_ == nullptr || videoEnded_) return Fail(error, "The MPEG stream takes no more pictures.");
  // Planes of the picture size go in as they are: no conversion at all.
  if (format != nullptr && bits != nullptr && IsI420(*format) && format->biWidth == video_->width &&
      DibHeight(*format) == video_->height && video_->pix_fmt == AV_PIX_FMT_YUV420P) {
    AVFrame* picture = TakeFrame(true);
    if (picture == nullptr) return Fail(error, "Not enough memory for MPEG video.");
    const int width = video_->width, height = video_->height;
    const int widths[3] = {width, (width + 1) / 2, (width + 1) / 2};
    const int heights[3] = {height, (height + 1) / 2, (height + 1) / 2};
    const auto* from = static_cast<const uint8_t*>(bits);
    for (int plane = 0; plane < 3; ++plane) {
      for (int y = 0; y < heights[plane]; ++y) {
        std::memcpy(picture->data[plane] + static_cast<std::ptrdiff_t>(y) * picture->linesize[plane], from,
                    static_cast<std::size_t>(widths[plane]));
        from += widths[plane];
      }
    }
    picture->pts = videoPts_++;
    return Queue(Job{picture, true}, error);
  }
  if (format == nullptr || bits == nullptr || format->biCompression != BI_RGB ||
      (format->biBitCount != 24 && format->biBitCount != 32) || format->biWidth <= 0 ||
      format->biHeight == 0 || format->biWidth > 16384 || DibHeight(*format) > 16384)
    return Fail(error, "The picture is not an uncompressed 24- or 32-bit picture.");
  const LONG height = static_cast<LONG>(DibHeight(*format));
  if (scaler_ == nullptr || scalerWidth_ != format->biWidth || scalerHeight_ != height ||
      scalerBits_ != format->biBitCount) {
    sws_freeContext(scaler_);
    scaler_ = sws_getContext(format->biWidth, height,
                             format->biBitCount == 24 ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_BGR0, video_->width,
                             video_->height, video_->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
    scalerWidth_ = format->biWidth;
    scalerHeight_ = height;
    scalerBits_ = format->biBitCount;
    if (scaler_ == nullptr) return Fail(error, "The picture cannot be converted for MPEG video.");
  }
  // DIB rows are padded to 4 bytes; a positive height stores the bottom row first.
  const int64_t stride = DibRowBytes(format->biWidth, format->biBitCount);
  const auto* base = static_cast<const uint8_t*>(bits);
  const uint8_t* planes[4] = {base, nullptr, nullptr, nullptr};
  int strides[4] = {static_cast<int>(stride), 0, 0, 0};
  if (format->biHeight > 0) {
    planes[0] = base + (height - 1) * stride;
    strides[0] = -static_cast<int>(stride);
  }
  AVFrame* picture = TakeFrame(true);
  if (picture == nullptr) return Fail(error, "Not enough memory for MPEG video.");
  sws_scale(scaler_, planes, strides, 0, height, picture->data, picture->linesize);
  picture->pts = videoPts_++;
  return Queue(Job{picture, true}, error);
}

bool MpegStream::EncodeAudioFrame(const BYTE* samples, std::string* error) {
  AVFrame* frame = TakeFrame(false);
  if (frame == nullptr) return Fail(error, "Not enough memory for MPEG audio.");
  std::memcpy(frame->data[0], samples,
              static_cast<std::size_t>(audioFrameSamples_) * settings_.channels * sizeof(int16_t));
  frame->pts = audioPts_;
  audioPts_ += audioFrameSamples_;
  return Queue(Job{frame, false}, error);
}

bool MpegStream::EncodeAudio(const BYTE* data, std::size_t bytes, std::string* error) {
  if (audio_ == nullptr || audioEnded_) return Fail(error, "The MPEG stream takes no more sound.");
  if (data == nullptr && bytes > 0) return Fail(error, "No sound was given.");
  const std::size_t frameBytes =
      static_cast<std::size_t>(audioFrameSamples_) * settings_.channels * sizeof(int16_t);
  // Whole frames straight from the caller's bytes; the rest waits for more.
  while (bytes > 0) {
    if (pending_.empty() && bytes >= frameBytes) {
      if (!EncodeAudioFrame(data, error)) return false;
      data += frameBytes;
      bytes -= frameBytes;
      continue;
    }
    const std::size_t take = std::min(bytes, frameBytes - pending_.size());
    pending_.insert(pending_.end(), data, data + take);
    data += take;
    bytes -= take;
    if (pending_.size() == frameBytes) {
      if (!EncodeAudioFrame(pending_.data(), error)) return false;
      pending_.clear();
    }
  }
  return true;
}

bool MpegStream::EndVideo(std::string* error) {
  if (video_ == nullptr || videoEnded_) return true;
  videoEnded_ = true;
  const bool last = audio_ == nullptr || audioEnded_;
  return Queue(Job{nullptr, true, true, last}, error) && Settle(error);
}

bool MpegStream::EndAudio(std::string* error) {
  if (audio_ == nullptr || audioEnded_) return true;
  audioEnded_ = true;
  // The last samples fill a frame of their own, the rest of it silent.
  if (!pending_.empty()) {
    const std::size_t frameBytes =
        static_cast<std::size_t>(audioFrameSamples_) * settings_.channels * sizeof(int16_t);
    pending_.resize(frameBytes, 0);
    const bool ok = EncodeAudioFrame(pending_.data(), error);
    pending_.clear();
    if (!ok) return false;
  }
  const bool last = video_ == nullptr || videoEnded_;
  return Queue(Job{nullptr, false, true, last}, error) && Settle(error);
}

AVFrame* MpegStream::TakeFrame(bool video) {
  AVFrame* frame = nullptr;
  {
    std::lock_guard<std::mutex> hold(jobLock_);
    std::vector<AVFrame*>& pool = video ? freePictures_ : freeSamples_;
    // A picture the encoder still holds (its B-pictures code after the
    // pictures they rest on) stays in the pool until the encoder lets go of
    // it: memory used again, not taken anew from the system for each picture.
    auto free = std::find_if(pool.rbegin(), pool.rend(), [](AVFrame* f) { return av_frame_is_writable(f) != 0; });
    if (free != pool.rend()) {
      frame = *free;
      pool.erase(std::next(free).base());
      return frame;
    }
    // Past a few held ones the oldest leaves its memory to the encoder.
    if (pool.size() >= kPoolLimit) {
      frame = pool.front();
      pool.erase(pool.begin());
    }
  }
  if (frame == nullptr) frame = av_frame_alloc();
  if (frame == nullptr) return nullptr;
  av_frame_unref(frame);
  bool ok = true;
  if (video) {
    frame->format = video_->pix_fmt;
    frame->width = video_->width;
    frame->height = video_->height;
  } else {
    frame->format = audio_->sample_fmt;
    frame->nb_samples = audioFrameSamples_;
    frame->sample_rate = audio_->sample_rate;
    ok = av_channel_layout_copy(&frame->ch_layout, &audio_->ch_layout) >= 0;
  }
  if (!ok || av_frame_get_buffer(frame, 0) < 0) av_frame_free(&frame);
  return frame;
}

bool MpegStream::Queue(const Job& job, std::string* error) {
  std::unique_lock<std::mutex> lock(jobLock_);
  jobsChanged_.wait(lock, [&] { return jobs_.size() < kQueueLimit || !failure_.empty(); });
  if (!failure_.empty()) {
    if (job.frame != nullptr) (job.video ? freePictures_ : freeSamples_).push_back(job.frame);
    return Fail(error, failure_);
  }
  jobs_.push_back(job);
  jobsChanged_.notify_all();
  return true;
}

bool MpegStream::Settle(std::string* error) {
  std::unique_lock<std::mutex> lock(jobLock_);
  jobsChanged_.wait(lock, [&] { return jobs_.empty() && !working_; });
  return failure_.empty() || Fail(error, failure_);
}

void MpegStream::Work() {
  std::unique_lock<std::mutex> lock(jobLock_);
  for (;;) {
    jobsChanged_.wait(lock, [&] { return quit_ || !jobs_.empty(); });
    if (quit_) return;
    const Job job = jobs_.front();
    jobs_.pop_front();
    working_ = true;
    // After a failure the rest is only taken off the queue.
    const bool skip = !failure_.empty();
    lock.unlock();
    std::string error;
    const bool ok = skip || Run(job, &error);
    lock.lock();
    if (!ok && failure_.empty()) failure_ = error.empty() ? "The MPEG encoder failed." : error;
    if (job.frame != nullptr) (job.video ? freePictures_ : freeSamples_).push_back(job.frame);
    working_ = false;
    jobsChanged_.notify_all();
  }
}

bool MpegStream::Run(const Job& job, std::string* error) {
  AVCodecContext* context = job.video ? video_ : audio_;
  AVStream* stream = job.video ? videoStream_ : audioStream_;
  if (!job.end) return Send(context, stream, job.frame, error);
  return Send(context, stream, nullptr, error) && (!job.last || EndStream(error));
}

void MpegStream::StopWorker() {
  {
    std::lock_guard<std::mutex> hold(jobLock_);
    quit_ = true;
    for (const Job& job : jobs_) {
      if (job.frame != nullptr) (job.video ? freePictures_ : freeSamples_).push_back(job.frame);
    }
    jobs_.clear();
  }
  jobsChanged_.notify_all();
  if (worker_.joinable()) worker_.join();
  std::lock_guard<std::mutex> hold(jobLock_);
  quit_ = false;
  working_ = false;
  failure_.clear();
  for (std::vector<AVFrame*>* pool : {&freePictures_, &freeSamples_}) {
    for (AVFrame* frame : *pool) av_frame_free(&frame);
    pool->clear();
  }
}

bool MpegStream::TakeBlock(std::vector<BYTE>* block) {
  std::lock_guard<std::mutex> hold(blockLock_);
  if (blocks_.empty()) return false;
  *block = std::move(blocks_.front());
  blocks_.pop_front();
  return true;
}

void MpegStream::ClearBlocks() {
  std::lock_guard<std::mutex> hold(blockLock_);
  blocks_.clear();
}

bool MpegStream::EndStream(std::string* error) {
  if (ended_ || !headerWritten_) return true;
  ended_ = true;
  const int r = av_write_trailer(muxer_);
  avio_flush(io_);
  if (r < 0) return Fail(error, "The MPEG stream cannot end: " + AvText(r));
  return true;
}

void MpegStream::Close() {
  StopWorker();
  if (video_ != nullptr) avcodec_free_context(&video_);
  if (audio_ != nullptr) avcodec_free_context(&audio_);
  if (packet_ != nullptr) av_packet_free(&packet_);
  sws_freeContext(scaler_);
  scaler_ = nullptr;
  if (muxer_ != nullptr) {
    muxer_->pb = nullptr;
    avformat_free_context(muxer_);
    muxer_ = nullptr;
  }
  if (io_ != nullptr) {
    av_freep(&io_->buffer);
    avio_context_free(&io_);
  }
  videoStream_ = audioStream_ = nullptr;
  scalerWidth_ = scalerHeight_ = 0;
  scalerBits_ = 0;
  videoPts_ = audioPts_ = 0;
  audioFrameSamples_ = 0;
  pending_.clear();
  headerWritten_ = videoEnded_ = audioEnded_ = ended_ = false;
}

}  // namespace mpeg
