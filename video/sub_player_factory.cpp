// Which sub-player plays a stream: the board player for the board's own
// formats while the board is chosen, else a screen player through the
// first installed codec that serves the draw type (the hand-drawn player
// when a drawing type is chosen and no codec draws the format).
#include <cstring>
#include <memory>
#include <new>

#include "media/video_source_hooks.h"
#include "model/time_code.h"
#include "video/board_player.h"
#include "video/codec_player.h"
#include "video/hand_player.h"
#include "video/player.h"
#include "video/screen_player.h"

bool IsBoardFormat(const BITMAPINFOHEADER* f) {
  return f != nullptr && (f->biCompression == mmioFOURCC('V', 'L', 'M', 'D') ||
                          f->biCompression == mmioFOURCC('V', 'L', 'M', 'T'));
}

SubVideoPlayer* CreateSubPlayer(const SubPlayerInfo& stream, HWND notify) {
  if (stream.format == nullptr || stream.formatSize < static_cast<int32_t>(sizeof(BITMAPINFOHEADER)))
    return nullptr;
  const int32_t chosen = VideoPlayer::defaultDrawType;
  if (IsBoardFormat(stream.format)) {
    // No screen player is tried for these formats.
    if (chosen != 1 && chosen != 2) return nullptr;
    SubVideoPlayer* board = new (std::nothrow) VelmoraAviPlayer(stream, ProjectFrameRate(), notify);
    if (board != nullptr && board->GetState() != 1) {
      delete board;
      board = nullptr;
    }
    return board;
  }

  // Codecs may write into the format they are asked about.
  const std::size_t size = static_cast<std::size_t>(stream.formatSize);
  std::unique_ptr<BYTE[]> copy(new (std::nothrow) BYTE[size]);
  if (!copy) return nullptr;
  std::memcpy(copy.get(), stream.format, size);
  auto* format = reinterpret_cast<BITMAPINFOHEADER*>(copy.get());
  const DWORD handler = format->biCompression;
  HIC hic = nullptr;
  int32_t drawType = chosen;
  switch (chosen) {
    case 0:
      return nullptr;
    case 2:
    case 3:
      hic = ICLocate(ICTYPE_VIDEO, handler, format, nullptr, ICMODE_DRAW);
      if (hic == nullptr) {
        // No codec here draws by itself: the picture is decompressed and
        // drawn by hand instead, so video still shows.
        drawType = 4;
        hic = ICLocate(ICTYPE_VIDEO, handler, format, nullptr, ICMODE_FASTDECOMPRESS);
      }
      break;
    case 4:
      hic = ICLocate(ICTYPE_VIDEO, handler, format, nullptr, ICMODE_FASTDECOMPRESS);
      break;
    default:
      // Automatic: a codec that draws by itself, else one that decompresses.
      drawType = 2;
      hic = ICLocate(ICTYPE_VIDEO, handler, format, nullptr, ICMODE_DRAW);
      if (hic == nullptr) {
        drawType = 4;
        hic = ICLocate(ICTYPE_VIDEO, handler, format, nullptr, ICMODE_FASTDECOMPRESS);
      }
      break;
  }
  copy.reset();
  if (hic == nullptr) return nullptr;
  ICINFO info;
  const LRESULT got = ICGetInfo(hic, &info, sizeof(info));
  ICClose(hic);
  if (got == 0) return nullptr;

  const float rate = ProjectFrameRate();
  switch (drawType) {
    case 2:
      return new AVIScreenPlayer(stream, rate, &info);
    case 3:
      return new AVICodecPlayer(stream, rate, &info, notify);
    default:
      return new AVIHandPlayer(stream, rate, &info, notify);
  }
}
