#include "video/codec_player.h"

#include "media/video_data.h"
#include "model/error_codes.h"
#include "video/player.h"
#include "video/preview_window.h"

AVICodecPlayer::AVICodecPlayer(const SubPlayerInfo& stream, float rate, const ICINFO* info, HWND notify)
    : AVIScreenPlayer(stream, rate, info) {
  drawType = 3;
  if (state != kSubReady) return;
  state = kSubUnusable;
  PreviewClientSize(videoWidth, videoHeight, VideoPlayer::zoom, GetSystemMetrics(SM_CXSCREEN),
                    GetSystemMetrics(SM_CYSCREEN), &outWidth, &outHeight);
  // The codec draws at one size: the window has no sizing frame.
  preview = new PreviewWindow(this, notify, outWidth, outHeight, false);
  if (!preview->Create()) return;
  window = *preview;
  ShowWindow(window, SW_SHOWNORMAL);
  RECT client;
  GetClientRect(window, &client);
  const int dw = outWidth - (client.right - client.left);
  const int dh = outHeight - (client.bottom - client.top);
  if (dw != 0 || dh != 0) {
    RECT outer;
    GetWindowRect(window, &outer);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + dw, outer.bottom - outer.top + dh,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  preview->ready = true;
  state = kSubReady;
}

AVICodecPlayer::~AVICodecPlayer() {
  if (preview != nullptr) {
    preview->owner = nullptr;
    preview->ready = false;
  }
  Stop();
  Finish(true);
  DeletePalette();
  EndDrawing();
  if (codec != nullptr) {
    ICClose(codec);
    codec = nullptr;
  }
  if (dc != nullptr && window != nullptr) ReleaseDC(window, dc);
  dc = nullptr;
}

void AVICodecPlayer::ResetPosition() {
  ForgetLastShownPicture();
  DeletePalette();
  EndDrawing();
  if (dc != nullptr) {
    ReleaseDC(window, dc);
    dc = nullptr;
  }
}

int32_t AVICodecPlayer::PrepareTarget() {
  if (dc == nullptr && window != nullptr) dc = GetDC(window);
  return dc != nullptr ? 0 : kErrNoMemory;
}

void AVICodecPlayer::FillDrawBegin(ICDRAWBEGIN& begin) {
  begin.dwFlags = ICDRAW_HDC | ICDRAW_BUFFER;
  begin.hwnd = window;
  begin.hdc = dc;
  begin.xDst = 0;
  begin.yDst = 0;
  begin.dxDst = outWidth;
  begin.dyDst = outHeight;
}

void AVICodecPlayer::SetWindowReady(bool ready) {
  if (preview != nullptr && preview->owner != nullptr) preview->ready = ready;
}

void AVICodecPlayer::UpdateView() {
  if (codec == nullptr || window == nullptr || !drawBegun) return;
  RECT r;
  GetClientRect(window, &r);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  OffsetRect(&r, origin.x, origin.y);
  Send(ICM_DRAW_WINDOW, reinterpret_cast<DWORD_PTR>(&r));
}
