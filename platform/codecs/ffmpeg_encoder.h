// Key-frame compression through libavcodec for the codec families it can
// encode beside Motion JPEG: MPEG-4 part 2, HuffYUV, Microsoft Video 1,
// Cinepak and DV (at the sizes DV knows). Every frame comes out a key
// frame, as the transition renderer writes them. Inside the codecs library.
#pragma once

#include <functional>
#include <memory>

extern "C" {
#include <libavcodec/codec_id.h>
}

#include "platform/codecs/vfw.h"

namespace codecs {

// Whether the family of codec id gets a key-frame encoder here.
bool HasKeyFrameEncoder(AVCodecID id);

// decoder as it is, with key-frame compression added when the family has
// an encoder; takes tells the family's handler codes.
std::unique_ptr<VideoCodec> WithKeyFrameEncoder(std::unique_ptr<VideoCodec> decoder, AVCodecID id,
                                                FOURCC handler, std::function<bool(FOURCC)> takes);

}  // namespace codecs
