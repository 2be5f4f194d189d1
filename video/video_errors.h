// The error codes the video players return beside the common ones of
// model/message_box.h; the error box shows them all alike.
#pragma once

namespace video_error {

constexpr int kDrawInit = 13;     // the codec refused to begin drawing
constexpr int kNotKeyFrame = 27;  // a cut into a frame that cannot be decoded there
constexpr int kCodec = 30;        // the codec failed on a frame

}  // namespace video_error
