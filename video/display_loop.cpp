// The display loop of the screen players, run on the display thread: each
// frame is shown when the play clock says it is due. A frame more than two
// behind is decoded with the hurry flag (at most four in a row, so that the
// picture still moves); more than a second behind, or after eleven waits for
// data, the loop jumps to a key frame half a second ahead of the clock and
// counts what it dropped. A drawing codec is handed its frames as many
// frames ahead as it buffers.
#include <algorithm>

#include "media/video_data.h"
#include "model/error_codes.h"
#include "platform/core/time.h"
#include "video/fifo_pipe.h"
#include "video/sub_player.h"

namespace {

// The hurry and not-a-key-frame flags are the same bits for decompressing
// and for drawing.
static_assert(ICDECOMPRESS_HURRYUP == ICDRAW_HURRYUP);
static_assert(ICDECOMPRESS_NOTKEYFRAME == ICDRAW_NOTKEYFRAME);

constexpr int32_t kHurriedInARow = 5;
constexpr int32_t kWaitsBeforeJump = 10;
constexpr DWORD kDataWaitMs = 100;
constexpr int32_t kSleepSliceMs = 250;

bool IsKeyEntry(const FrameEntry& e) {
  return e.source != nullptr && e.cached == nullptr && e.source->IsKeyFrame(e.frame);
}

}  // namespace

int32_t AviSubPlayer::DisplayLoop(bool drawingCodec, float fps) {
  if (!(fps > 0)) fps = 25.0f;
  const int32_t perSecond = static_cast<int32_t>(fps + 0.5f);
  int32_t hurry = 0;
  int32_t waits = 0;
  int32_t late = 0;
  displayState = kSubRunning;
  if (drawingCodec) LoopCodecMessage(ICM_DRAW_START);
  auto stopped = [&] {
    if (drawingCodec) LoopCodecMessage(ICM_DRAW_STOP);
    displayState = kSubEnded;
    return kErrCancelled;
  };
  auto failed = [&](int32_t code) {
    if (drawingCodec) {
      LoopCodecMessage(ICM_DRAW_STOP);
      if (Stopping()) {
        displayState = kSubEnded;
        return static_cast<int32_t>(kErrCancelled);
      }
    }
    displayState = kSubFailed;
    return code;
  };

  while (shown < count) {
    if (Stopping()) return stopped();
    const int32_t i = shown;
    FrameEntry& e = playList[static_cast<std::size_t>(i)];
    bool done = false;
    if (e.source == nullptr) {
      done = true;  // a gap or a repeat: the picture stands
    } else {
      int32_t due = static_cast<int32_t>(static_cast<double>(Elapsed()) * fps * 0.001);
      if (drawingCodec) due += ahead;
      if (waits > kWaitsBeforeJump || due > i + perSecond) {
        // Too far behind: drop what lies before a key frame half a second
        // ahead of the clock, and let the reader skip it too.
        int32_t target = due + perSecond / 2;
        if (target > count) target = count;
        while (target < count && !IsKeyEntry(playList[static_cast<std::size_t>(target)])) ++target;
        if (skipTo < target) skipTo = target;
        int32_t j = i;
        for (; j < target; ++j) {
          FrameEntry& s = playList[static_cast<std::size_t>(j)];
          if (s.source == nullptr) continue;
          if (s.cached == nullptr && s.position == kNotRead) {
            fifo->Release(kNotRead, 0);
            if (StopWait(kDataWaitMs)) return stopped();
            if (s.position == kNotRead) break;
          }
          ++skipped;
          if (s.cached == nullptr && s.position >= 0) fifo->Release(s.position, s.size);
          SetLastImageComplete(false);
        }
        shown = j;
        waits = 0;
      } else {
        DWORD flags = IsKeyEntry(e) ? 0 : ICDECOMPRESS_NOTKEYFRAME;
        bool act = false;
        bool hurried = false;
        if (due > i + 2) {
          ++hurry;
          act = true;
          if (hurry < kHurriedInARow) {
            flags |= ICDECOMPRESS_HURRYUP;
            hurried = true;
          }
        } else if (i <= due) {
          act = true;
        }
        if (act) {
          const int32_t pos = e.position;
          if (e.cached == nullptr && pos < 0) {
            if (pos == kNotRead) {
              // The data is late: wake the reader and look again.
              ++skipped;
              ++waits;
              fifo->Release(kNotRead, 0);
              if (StopWait(kDataWaitMs)) return stopped();
            } else if (pos == kSkipped) {
              ++skipped;
              fifo->Release(kNotRead, 0);
              done = true;
            } else {
              return failed(drawingCodec ? kErrCodec : kErrFatal);
            }
          } else {
            if (!LoopDecode(e, flags)) return failed(kErrCodec);
            SetLastShown(e.source, e.frame);
            if (!hurried) {
              if (drawingCodec || LoopDraw()) hurry = 0;
              waits = 0;
            }
            if (e.cached == nullptr) fifo->Release(pos, e.size);
            done = true;
          }
        }
      }
    }

    if (Stopping()) return stopped();
    const int32_t at = shown - (drawingCodec ? ahead.load() : 0);
    const int32_t dueMs = static_cast<int32_t>(static_cast<double>(at) * 1000.0 / fps + 0.499);
    int32_t wait = dueMs - Elapsed();
    if (wait > 0) {
      // In slices, so that a stop is seen soon; the rest is measured anew
      // each time, as the clock follows the audio.
      while (wait > 0) {
        if (StopWait(static_cast<DWORD>(std::min(wait, kSleepSliceMs)))) return stopped();
        wait = dueMs - Elapsed();
      }
      late = 0;
    } else if (++late > perSecond) {
      Sleep(0);
      late = 0;
    }
    if (done) ++shown;
  }

  if (drawingCodec) {
    // The codec still holds the frames handed ahead: let them play out.
    while (ahead > 0) {
      if (StopWait(static_cast<DWORD>(frameMs))) return stopped();
      --ahead;
    }
    LoopCodecMessage(ICM_DRAW_STOP);
  }
  displayState = kSubEnded;
  return 0;
}
