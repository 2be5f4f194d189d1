#include "video/screen_player.h"

#include <algorithm>
#include <new>
#include <vector>

#include "media/video_data.h"
#include "media/video_source_hooks.h"
#include "model/error_codes.h"
#include "platform/core/time.h"
#include "video/fifo_pipe.h"

namespace {

constexpr int32_t kQuietDecodes = 7;

}  // namespace

AVIScreenPlayer::AVIScreenPlayer(const SubPlayerInfo& stream, float rate, const ICINFO* info) {
  drawType = 2;
  fps = rate;
  frameRate = rate;
  this->rate = static_cast<int32_t>(rate * 1000.0 + 0.499);
  scale = 1000;
  frameMs = FrameMsAt(rate);
  ForgetLastShownPicture();
  if (!CopyInFormat(stream.format, static_cast<uint32_t>(stream.formatSize)) || info == nullptr) return;
  // The codec scales the stream's own pictures.
  videoWidth = InFormat()->biWidth;
  videoHeight = static_cast<int32_t>(DibHeight(*InFormat()));
  codecInfo = *info;
  if (!OpenDrawCodec()) return;
  if (AutoCloseCodec()) {
    ICClose(codec);
    codec = nullptr;
  }
  state = kSubReady;
}

AVIScreenPlayer::~AVIScreenPlayer() {
  Stop();
  Finish(true);
  DeletePalette();
  EndDrawing();
  if (codec != nullptr) {
    ICClose(codec);
    codec = nullptr;
  }
}

LRESULT AVIScreenPlayer::Send(UINT message, DWORD_PTR a, DWORD_PTR b) {
  return codec != nullptr ? ICSendMessage(codec, message, a, b) : ICERR_BADHANDLE;
}

bool AVIScreenPlayer::OpenDrawCodec() {
  codec = ICOpen(codecInfo.fccType, codecInfo.fccHandler, ICMODE_DRAW);
  return codec != nullptr;
}

void AVIScreenPlayer::DeletePalette() {
  if (paletteHandle != nullptr) DeleteObject(paletteHandle);
  paletteHandle = nullptr;
}

void AVIScreenPlayer::MakePalette() {
  DeletePalette();
  const BITMAPINFOHEADER* in = InFormat();
  if (in == nullptr || in->biBitCount > 8 || in->biSize > inFormatSize) return;
  const DWORD room = (inFormatSize - in->biSize) / sizeof(RGBQUAD);
  const DWORD n = std::min(DibColorCount(*in), room);
  if (n == 0) return;
  std::vector<BYTE> block(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
  log->palVersion = 0x300;
  log->palNumEntries = static_cast<WORD>(n);
  const RGBQUAD* colours = DibColors(in);
  for (DWORD i = 0; i < n; ++i) {
    log->palPalEntry[i].peRed = colours[i].rgbRed;
    log->palPalEntry[i].peGreen = colours[i].rgbGreen;
    log->palPalEntry[i].peBlue = colours[i].rgbBlue;
    log->palPalEntry[i].peFlags = 0;
  }
  paletteHandle = CreatePalette(log);
}

void AVIScreenPlayer::FillDrawBegin(ICDRAWBEGIN& begin) {
  // The codec fills the screen with the stream's whole picture.
  begin.dwFlags = ICDRAW_FULLSCREEN | ICDRAW_BUFFER;
  begin.xDst = 0;
  begin.yDst = 0;
  begin.dxDst = GetSystemMetrics(SM_CXSCREEN);
  begin.dyDst = GetSystemMetrics(SM_CYSCREEN);
}

int32_t AVIScreenPlayer::BeginDrawing() {
  ICDRAWBEGIN begin;
  FillDrawBegin(begin);
  begin.hpal = paletteHandle;
  begin.lpbi = InFormat();
  begin.xSrc = 0;
  begin.ySrc = 0;
  begin.dxSrc = videoWidth;
  begin.dySrc = videoHeight;
  begin.dwRate = static_cast<DWORD>(rate);
  begin.dwScale = static_cast<DWORD>(scale);
  if (Send(ICM_DRAW_BEGIN, reinterpret_cast<DWORD_PTR>(&begin), sizeof(begin)) != ICERR_OK)
    return kErrVideoInit;
  drawBegun = true;
  return 0;
}

void AVIScreenPlayer::EndDrawing() {
  if (!drawBegun) return;
  Send(ICM_DRAW_END);
  drawBegun = false;
}

void AVIScreenPlayer::ReleaseCodec() {
  ForgetLastShownPicture();
  if (codec == nullptr) return;
  EndDrawing();
  ICClose(codec);
  codec = nullptr;
}

int32_t AVIScreenPlayer::InitOutput(AVIVideoData* source, bool atStart) {
  if (atStart && AutoCloseCodec()) ForgetLastShownSource();
  if (source == LastShownSource()) return 0;
  ForgetLastShownSource();
  ResetPosition();
  if (!CopyInFormat(source->Format(), source->formatSize)) return kErrNoMemory;
  MakePalette();
  if (int32_t code = PrepareTarget(); code != 0) return code;
  EndDrawing();
  if (atStart && AutoCloseCodec() && codec != nullptr) {
    ICClose(codec);
    codec = nullptr;
  }
  if (codec == nullptr && !OpenDrawCodec()) {
    state = kSubUnusable;
    return kErrInvalidParameter;
  }
  if (int32_t code = BeginDrawing(); code != 0) return code;
  UpdateView();
  return 0;
}

bool AVIScreenPlayer::DrawData(const BYTE* data, uint32_t size, DWORD flags, LONG time) {
  BITMAPINFOHEADER* in = InFormat();
  in->biSizeImage = size;
  ICDRAW d;
  d.dwFlags = flags;
  d.lpFormat = in;
  d.lpData = const_cast<BYTE*>(data);
  d.cbData = size;
  d.lTime = time;
  return Send(ICM_DRAW, reinterpret_cast<DWORD_PTR>(&d), sizeof(d)) == ICERR_OK;
}

bool AVIScreenPlayer::DrawNull(LONG time) {
  ICDRAW d;
  d.dwFlags = ICDRAW_NULLFRAME | ICDRAW_NOTKEYFRAME;
  d.lpFormat = InFormat();
  d.lTime = time;
  return Send(ICM_DRAW, reinterpret_cast<DWORD_PTR>(&d), sizeof(d)) == ICERR_OK;
}

bool AVIScreenPlayer::DrawEntry(const FrameEntry& entry, const BYTE* base, DWORD flags, LONG time) {
  // A cached picture is decoded already; a drawing codec takes data only.
  if (entry.cached != nullptr || entry.source == nullptr) return false;
  if (entry.source->IsKeyFrame(entry.frame)) SetLastImageComplete(true);
  return DrawData(base + entry.position, entry.size, flags, time);
}

int32_t AVIScreenPlayer::PrepareKeyFrames() {
  if (int32_t code = AviSubPlayer::PrepareKeyFrames(); code != 0) return code;
  for (int32_t i = 0; i < count; ++i) {
    if (playList[static_cast<std::size_t>(i)].cached != nullptr) return kErrNotKeyFrame;
  }
  return 0;
}

// --- Play ------------------------------------------------------------------------

int32_t AVIScreenPlayer::PrerollFromKeyFrame() {
  const FrameEntry& first = playList[0];
  AVIVideoData* source = first.source;
  if (source == nullptr || source->IsKeyFrame(first.frame)) return 0;
  const uint32_t capacity = source->largestFrame;
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[static_cast<std::size_t>(capacity) + 4]);
  if (!buffer) return kErrNoMemory;
  int32_t previous = -1;
  for (int32_t i = source->FindKeyFrame(first.frame); i < first.frame; ++i) {
    const int32_t d = source->PrevNonEmpty(i);
    if (d == previous) continue;
    previous = d;
    if (source->ReadEntryData(d, buffer.get(), capacity) != 0) return kErrRead;
    const DWORD flags = ICDRAW_PREROLL | (source->IsKeyFrame(d) ? 0 : ICDRAW_NOTKEYFRAME);
    if (!DrawData(buffer.get(), source->index[static_cast<std::size_t>(d)].dwChunkLength, flags, 0))
      return kErrCodec;
  }
  return 0;
}

int32_t AVIScreenPlayer::FillBuffers() {
  DWORD wanted = 0;
  if (Send(ICM_GETBUFFERSWANTED, reinterpret_cast<DWORD_PTR>(&wanted)) != ICERR_OK || wanted == 0) return 0;
  int32_t left = static_cast<int32_t>(std::min<DWORD>(wanted, INT32_MAX));
  for (; left > 0 && shown < count; --left) {
    const int32_t i = shown;
    FrameEntry& e = playList[static_cast<std::size_t>(i)];
    if (e.source == nullptr) {
      DrawNull(i);
    } else {
      // The reader fills the ring meanwhile; it may also end without this
      // frame, or be stopped.
      while (e.position == kNotRead) {
        if (Stopping()) return kErrRead;
        const int32_t reader = readerState;
        if ((reader == kSubEnded || reader == kSubFailed) && e.position == kNotRead) return kErrRead;
        Sleep(0);
      }
      const DWORD flags = e.source->IsKeyFrame(e.frame) ? 0 : ICDRAW_NOTKEYFRAME;
      if (!DrawEntry(e, fifo->base(), flags, i)) return kErrCodec;
      SetLastShown(e.source, e.frame);
      fifo->Release(e.position, e.size);
    }
    ++ahead;
    ++shown;
  }
  for (int32_t t = 0; t < left; ++t) DrawNull(shown + t);
  return 0;
}

int32_t AVIScreenPlayer::Start(Film* segments, int32_t start, int32_t end, FilmListHead&) {
  if (state != kSubReady) return kErrInvalidParameter;
  SetWindowReady(false);
  Send(ICM_DRAW_FLUSH);
  Send(ICM_DRAW_SETTIME, 0);
  uint32_t largest = 0;
  if (int32_t code = BuildPlayList(segments, start, end, &largest); code != 0) return code;
  EndDrawing();
  if (int32_t code = BeginDrawing(); code != 0) return code;
  if (int32_t code = PrerollFromKeyFrame(); code != 0) return code;
  fifo = std::make_unique<FifoPipe>(largest);
  if (!fifo->ok()) return kErrNoMemory;
  ClearStop();
  if (int32_t code = StartReader(); code != 0) return code;
  if (int32_t code = StartDisplay(); code != 0) return code;
  state = kSubPrepared;
  return FillBuffers();
}

void AVIScreenPlayer::Finish(bool releaseCodec) {
  Stop();
  if (fifo || readerThread != nullptr || displayThread != nullptr) EndThreads();
  FreePlayList();
  if (releaseCodec && AutoCloseCodec()) ReleaseCodec();
  SetWindowReady(true);
  state = kSubReady;
}

int32_t AVIScreenPlayer::DisplayBody() {
  return DisplayLoop(true, fps);
}

bool AVIScreenPlayer::LoopDecode(FrameEntry& entry, DWORD flags) {
  return DrawEntry(entry, fifo->base(), flags, shown);
}

void AVIScreenPlayer::LoopCodecMessage(UINT message) {
  Send(message);
}

// --- Still pictures --------------------------------------------------------------

int32_t AVIScreenPlayer::ShowStill(VideoSource* video, int32_t frame, bool reinit) {
  auto* source = dynamic_cast<AVIVideoData*>(video);
  if (state != kSubReady || source == nullptr) return kErrCancelled;
  SetWindowReady(false);
  Send(ICM_DRAW_FLUSH);
  Send(ICM_DRAW_SETTIME, 0);
  if (int32_t code = InitOutput(source, reinit); code != 0) {
    ForgetLastShownSource();
    SetWindowReady(true);
    return code;
  }
  int32_t code = 0;
  const int32_t target = source->PrevNonEmpty(frame);
  int32_t k = source->FindKeyFrame(target);
  const int32_t last = LastShownFrame();
  if (LastImageComplete() && LastShownSource() == source && k <= last && last <= target) k = last + 1;
  if (k <= target) {
    const uint32_t capacity = source->largestFrame;
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[static_cast<std::size_t>(capacity) + 4]);
    if (!buffer) {
      code = kErrNoMemory;
    } else {
      const bool wait = target - k > kQuietDecodes;
      if (wait) CurrentVideoSourceHooks().BeginWaitCursor();
      DWORD wanted = 0;
      int32_t n = Send(ICM_GETBUFFERSWANTED, reinterpret_cast<DWORD_PTR>(&wanted)) == ICERR_OK
                      ? static_cast<int32_t>(std::min<DWORD>(wanted, INT32_MAX))
                      : 0;
      LONG time = 0;
      int32_t previous = -1;
      for (int32_t i = k; i <= target && code == 0; ++i, ++time) {
        // Drawing starts once the codec's wanted buffers are filled.
        if (n == 0) Send(ICM_DRAW_START);
        --n;
        const int32_t d = source->PrevNonEmpty(i);
        if (d == previous) {
          DrawNull(time);
          continue;
        }
        previous = d;
        if (source->ReadEntryData(d, buffer.get(), capacity) != 0) {
          code = kErrRead;
          break;
        }
        const bool key = source->IsKeyFrame(d);
        if (key) SetLastImageComplete(true);
        if (!DrawData(buffer.get(), source->index[static_cast<std::size_t>(d)].dwChunkLength,
                      key ? 0 : ICDRAW_NOTKEYFRAME, time)) {
          code = kErrCodec;
          break;
        }
        SetLastShown(source, d);
      }
      if (n > 0) {
        for (; n > 0; --n, ++time) DrawNull(time);
        Send(ICM_DRAW_START);
      }
      Send(ICM_DRAW_STOP);
      Send(ICM_DRAW_RENDERBUFFER);
      if (wait) CurrentVideoSourceHooks().EndWaitCursor();
    }
  }
  SetWindowReady(true);
  return code;
}
