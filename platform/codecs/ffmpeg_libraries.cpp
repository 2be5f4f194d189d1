// The functions of libavcodec and libavformat the program calls, each
// loading its library on first use (see lazy_library.h). libavutil,
// libswscale and libswresample bring few libraries and stay linked.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "platform/core/lazy_library.h"

namespace {

LazyLibrary& Avcodec() {
  static LazyLibrary library(KOBRIX_AVCODEC_SONAME);
  return library;
}

LazyLibrary& Avformat() {
  static LazyLibrary library(KOBRIX_AVFORMAT_SONAME);
  return library;
}

}  // namespace

extern "C" {

KOBRIX_LAZY_FORWARD(Avcodec(), AVPacket*, av_packet_alloc, (), ())
KOBRIX_LAZY_FORWARD(Avcodec(), void, av_packet_free, (AVPacket * *packet), (packet))
KOBRIX_LAZY_FORWARD(Avcodec(), void, av_packet_unref, (AVPacket * packet), (packet))
KOBRIX_LAZY_FORWARD(Avcodec(), uint8_t*, av_packet_new_side_data,
                    (AVPacket * packet, enum AVPacketSideDataType type, size_t size), (packet, type, size))
KOBRIX_LAZY_FORWARD(Avcodec(), const AVCodec*, avcodec_find_decoder, (enum AVCodecID id), (id))
KOBRIX_LAZY_FORWARD(Avcodec(), const AVCodec*, avcodec_find_encoder, (enum AVCodecID id), (id))
KOBRIX_LAZY_FORWARD(Avcodec(), AVCodecContext*, avcodec_alloc_context3, (const AVCodec* codec), (codec))
KOBRIX_LAZY_FORWARD(Avcodec(), void, avcodec_free_context, (AVCodecContext * *context), (context))
KOBRIX_LAZY_FORWARD(Avcodec(), int, avcodec_open2,
                    (AVCodecContext * context, const AVCodec* codec, AVDictionary** options),
                    (context, codec, options))
KOBRIX_LAZY_FORWARD(Avcodec(), int, avcodec_parameters_to_context,
                    (AVCodecContext * context, const AVCodecParameters* parameters), (context, parameters))
KOBRIX_LAZY_FORWARD(Avcodec(), int, avcodec_send_packet, (AVCodecContext * context, const AVPacket* packet),
                    (context, packet))
KOBRIX_LAZY_FORWARD(Avcodec(), int, avcodec_receive_frame, (AVCodecContext * context, AVFrame* frame),
                    (context, frame))
KOBRIX_LAZY_FORWARD(Avcodec(), int, avcodec_send_frame, (AVCodecContext * context, const AVFrame* frame),
                    (context, frame))
KOBRIX_LAZY_FORWARD(Avcodec(), int, avcodec_receive_packet, (AVCodecContext * context, AVPacket* packet),
                    (context, packet))

KOBRIX_LAZY_FORWARD(Avformat(), int, avformat_open_input,
                    (AVFormatContext * *context, const char* url, const AVInputFormat* format,
                     AVDictionary** options),
                    (context, url, format, options))
KOBRIX_LAZY_FORWARD(Avformat(), int, avformat_find_stream_info, (AVFormatContext * context, AVDictionary** options),
                    (context, options))
KOBRIX_LAZY_FORWARD(Avformat(), int, av_find_best_stream,
                    (AVFormatContext * context, enum AVMediaType type, int wanted, int related,
                     const AVCodec** decoder, int flags),
                    (context, type, wanted, related, decoder, flags))
KOBRIX_LAZY_FORWARD(Avformat(), int, av_read_frame, (AVFormatContext * context, AVPacket* packet),
                    (context, packet))
KOBRIX_LAZY_FORWARD(Avformat(), void, avformat_close_input, (AVFormatContext * *context), (context))

}  // extern "C"
