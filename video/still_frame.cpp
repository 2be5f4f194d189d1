// One frame of a video source as a still picture on the current output (the
// preview window or the board), as the clip commands and the clip
// properties show it.
#include "media/video_data.h"
#include "model/error_codes.h"
#include "model/time_code.h"
#include "model/ui_strings.h"
#include "video/player.h"

namespace {

// A show that puts up a box or paints may be asked for again meanwhile.
bool g_showing = false;

}  // namespace

void VideoPlayer::ShowOnBoard(VideoSource* source, int32_t ms, HWND owner) {
  if (g_showing) return;
  g_showing = true;
  auto* avi = dynamic_cast<AVIVideoData*>(source);
  // Without a sub-player there is no output to show on.
  if (avi != nullptr && acquireCount > 0 && stream.kind == kVideoKindAvi && subPlayer != nullptr) {
    const int32_t frame = avi->PrevNonEmpty(MsToFrames(ms, avi->GetFrameRate()));
    const int32_t code = subPlayer->ShowStill(avi, frame, owner != nullptr);
    subPlayer->Finish(false);
    if (owner != nullptr && code == kErrCodec && !autoCloseCodec)
      RecoverFromCodecError(owner, ui_string::kShowFrame);
  }
  g_showing = false;
}
