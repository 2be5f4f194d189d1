#include "video/hand_player.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "media/key_frame.h"
#include "media/video_data.h"
#include "media/video_source_hooks.h"
#include "model/error_codes.h"
#include "model/time_code.h"
#include "video/fifo_pipe.h"
#include "video/player.h"
#include "video/preview_window.h"

namespace {

constexpr COLORREF kIncompleteFrame = RGB(255, 0, 0);
constexpr int kIncompleteWidth = 3;
// Decoding more frames than this to reach a still shows the wait cursor.
constexpr int32_t kQuietDecodes = 7;

}  // namespace

AVIHandPlayer::AVIHandPlayer(const SubPlayerInfo& stream, float rate, const ICINFO* info, HWND notify) {
  drawType = 4;
  frameRate = rate;
  frameMs = FrameMsAt(rate);
  ForgetLastShownPicture();
  redPen_ = CreatePen(PS_SOLID, kIncompleteWidth, kIncompleteFrame);
  if (!CopyInFormat(stream.format, static_cast<uint32_t>(stream.formatSize)) || info == nullptr) return;
  codecInfo = *info;
  videoWidth = InFormat()->biWidth;
  videoHeight = static_cast<int32_t>(DibHeight(*InFormat()));
  PreviewClientSize(videoWidth, videoHeight, VideoPlayer::zoom, GetSystemMetrics(SM_CXSCREEN),
                    GetSystemMetrics(SM_CYSCREEN), &outWidth, &outHeight);
  preview = new PreviewWindow(this, notify, outWidth, outHeight, true);
  if (!preview->Create()) return;
  drawDib = DrawDibOpen();
  if (drawDib == nullptr || !OpenCodec()) return;
  if (AutoCloseCodec()) {
    ICClose(codec);
    codec = nullptr;
  }
  preview->ready = true;
  state = kSubReady;
}

AVIHandPlayer::~AVIHandPlayer() {
  if (preview != nullptr) {
    preview->owner = nullptr;
    preview->ready = false;
  }
  Stop();
  Finish(true);
  ReleaseCodec();
  outFormat.reset();
  frameBuffer.reset();
  if (drawDib != nullptr) DrawDibClose(drawDib);
  if (redPen_ != nullptr) DeleteObject(redPen_);
}

bool AVIHandPlayer::OpenCodec() {
  codec = ICOpen(codecInfo.fccType, codecInfo.fccHandler, ICMODE_FASTDECOMPRESS);
  return codec != nullptr;
}

uint32_t AVIHandPlayer::OutputImageSize() const {
  const BITMAPINFOHEADER* out = OutFormat();
  if (out == nullptr) return 0;
  if (out->biSizeImage > 0) return std::min(out->biSizeImage, frameBufferSize);
  const uint64_t bytes = static_cast<uint64_t>(std::abs(out->biWidth)) * DibHeight(*out) * 4;
  return static_cast<uint32_t>(std::min<uint64_t>(bytes, frameBufferSize));
}

void AVIHandPlayer::ClientSize(int32_t* width, int32_t* height) const {
  RECT r{0, 0, 0, 0};
  if (preview != nullptr) GetClientRect(*preview, &r);
  *width = std::max<int32_t>(2, r.right - r.left);
  *height = std::max<int32_t>(2, r.bottom - r.top);
}

// --- Output --------------------------------------------------------------------------

void AVIHandPlayer::ReleaseCodec() {
  ForgetLastShownPicture();
  if (codec == nullptr) return;
  if (outFormat) ICSendMessage(codec, ICM_DECOMPRESS_END, 0, 0);
  ICClose(codec);
  codec = nullptr;
}

void AVIHandPlayer::PreferDrawnAsTheyAre(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) {
  // Top-down 32-bit pictures go to the window without a conversion when it
  // has their size: ask the codec for those when it has no palette to keep.
  if (out->biCompression != BI_RGB || out->biBitCount <= 8) return;
  BITMAPINFOHEADER wanted = *out;
  wanted.biBitCount = 32;
  wanted.biHeight = -static_cast<LONG>(DibHeight(*out));
  wanted.biSizeImage =
      static_cast<DWORD>(static_cast<uint64_t>(std::abs(out->biWidth)) * DibHeight(*out) * 4);
  wanted.biClrUsed = 0;
  wanted.biClrImportant = 0;
  if (ICSendMessage(codec, ICM_DECOMPRESS_QUERY, reinterpret_cast<DWORD_PTR>(in),
                    reinterpret_cast<DWORD_PTR>(&wanted)) == ICERR_OK)
    *out = wanted;
}

int32_t AVIHandPlayer::InitOutput(AVIVideoData* source, bool atStart) {
  if (atStart && AutoCloseCodec()) ForgetLastShownSource();
  if (source == LastShownSource()) return 0;
  ResetPosition();
  if (outFormat && codec != nullptr) {
    ICSendMessage(codec, ICM_DECOMPRESS_END, 0, 0);
    ForgetLastShownSource();
  }
  if (atStart && AutoCloseCodec() && codec != nullptr) {
    ICClose(codec);
    codec = nullptr;
  }
  if (codec == nullptr && !OpenCodec()) {
    state = kSubUnusable;
    return kErrInvalidParameter;
  }
  if (!CopyInFormat(source->Format(), source->formatSize)) return kErrNoMemory;
  BITMAPINFOHEADER* in = InFormat();
  const LRESULT outSize = ICSendMessage(codec, ICM_DECOMPRESS_GET_FORMAT, reinterpret_cast<DWORD_PTR>(in), 0);
  if (outSize < static_cast<LRESULT>(sizeof(BITMAPINFOHEADER)) || outSize > 64 * 1024)
    return kErrInvalidParameter;
  outFormat.reset(new (std::nothrow) BYTE[static_cast<std::size_t>(outSize)]());
  if (!outFormat) return kErrNoMemory;
  BITMAPINFOHEADER* out = OutFormat();
  if (ICSendMessage(codec, ICM_DECOMPRESS_GET_FORMAT, reinterpret_cast<DWORD_PTR>(in),
                    reinterpret_cast<DWORD_PTR>(out)) != ICERR_OK) {
    outFormat.reset();
    return kErrInvalidParameter;
  }
  ICSendMessage(codec, ICM_DECOMPRESS_GET_PALETTE, reinterpret_cast<DWORD_PTR>(in),
                reinterpret_cast<DWORD_PTR>(out));
  PreferDrawnAsTheyAre(in, out);
  uint64_t image = out->biSizeImage;
  if (image == 0) image = static_cast<uint64_t>(std::abs(out->biWidth)) * DibHeight(*out) * 4;
  if (image == 0 || image > (1u << 30)) {
    outFormat.reset();
    return kErrInvalidParameter;
  }
  frameBufferSize = 0;
  frameBuffer.reset(new (std::nothrow) BYTE[static_cast<std::size_t>(image) + 4]());
  if (!frameBuffer) return kErrNoMemory;
  frameBufferSize = static_cast<uint32_t>(image);
  if (ICSendMessage(codec, ICM_DECOMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(in),
                    reinterpret_cast<DWORD_PTR>(out)) != ICERR_OK)
    return kErrInvalidParameter;
  ForgetLastShownSource();
  return 0;
}

// --- Decoding and drawing --------------------------------------------------------------

bool AVIHandPlayer::Decompress(const BYTE* data, uint32_t size, DWORD flags) {
  BITMAPINFOHEADER* in = InFormat();
  if (codec == nullptr || in == nullptr || !outFormat || !frameBuffer) return false;
  in->biSizeImage = size;
  ICDECOMPRESS d;
  d.dwFlags = flags;
  d.lpbiInput = in;
  d.lpInput = const_cast<BYTE*>(data);
  d.lpbiOutput = OutFormat();
  d.lpOutput = frameBuffer.get();
  return ICSendMessage(codec, ICM_DECOMPRESS, reinterpret_cast<DWORD_PTR>(&d), sizeof(d)) >= 0;
}

bool AVIHandPlayer::DecodeEntry(const FrameEntry& entry, const BYTE* base, DWORD flags) {
  if (entry.cached != nullptr) {
    // A picture of another size never runs past either buffer.
    if (frameBuffer) std::memcpy(frameBuffer.get(), entry.cached, std::min(entry.size, OutputImageSize()));
    SetLastImageComplete(false);
    return true;
  }
  if (entry.source->IsKeyFrame(entry.frame)) SetLastImageComplete(true);
  return Decompress(base + entry.position, entry.size, flags);
}

bool AVIHandPlayer::DrawImage(HDC target, bool checkSize) {
  if (preview == nullptr || drawDib == nullptr || !outFormat || !frameBuffer) return false;
  if (checkSize) {
    int32_t width = 0, height = 0;
    ClientSize(&width, &height);
    if (width != outWidth || height != outHeight) {
      DrawDibStop(drawDib);
      DrawDibEnd(drawDib);
      outWidth = width;
      outHeight = height;
      DrawDibBegin(drawDib, target, outWidth, outHeight, OutFormat(), videoWidth, videoHeight, 0);
      DrawDibStart(drawDib, static_cast<DWORD>(frameMs) * 1000);
    }
  } else {
    // Up and in front, without taking the focus from the time-line.
    if (IsIconic(*preview) || !IsWindowVisible(*preview)) ShowWindow(*preview, SW_RESTORE);
    SetWindowPos(*preview, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
  }
  DrawDibRealize(drawDib, target, FALSE);
  const UINT same = DDF_SAME_HDC | DDF_SAME_DRAW;
  if (LastImageComplete()) {
    return DrawDibDraw(drawDib, target, 0, 0, outWidth, outHeight, OutFormat(), frameBuffer.get(), 0, 0,
                       videoWidth, videoHeight, same) != FALSE;
  }
  // Not decoded from a key frame of this run: say so with a red frame.
  const int w = outWidth, h = outHeight;
  HGDIOBJ before = SelectObject(target, redPen_);
  const POINT outline[] = {{1, 1}, {w - 2, 1}, {w - 2, h - 2}, {1, h - 2}, {1, 1}};
  Polyline(target, outline, 5);
  SelectObject(target, before);
  return DrawDibDraw(drawDib, target, 3, 3, w - 6, h - 6, OutFormat(), frameBuffer.get(),
                     MulDivRoundSigned(3, videoWidth, w), MulDivRoundSigned(3, videoHeight, h),
                     MulDivRoundSigned(w - 6, videoWidth, w), MulDivRoundSigned(h - 6, videoHeight, h),
                     same) != FALSE;
}

BYTE* AVIHandPlayer::DecodeTo(AVIVideoData* source, int32_t frame, uint32_t* size, int32_t* code) {
  *code = 0;
  const int32_t target = source->PrevNonEmpty(frame);
  int32_t k = source->FindKeyFrame(target);
  const int32_t last = LastShownFrame();
  if (LastImageComplete() && LastShownSource() == source && k <= last && last <= target) k = last + 1;
  if (k <= target) {
    const uint32_t capacity = source->largestFrame;
    // Kept from one picture to the next: stills are shown frame by frame.
    if (readBufferSize_ < capacity || !readBuffer_) {
      readBuffer_.reset(new (std::nothrow) BYTE[static_cast<std::size_t>(capacity) + 4]);
      readBufferSize_ = readBuffer_ ? capacity : 0;
    }
    BYTE* buffer = readBuffer_.get();
    if (buffer == nullptr) {
      *code = kErrNoMemory;
    } else {
      const bool wait = target - k > kQuietDecodes;
      if (wait) CurrentVideoSourceHooks().BeginWaitCursor();
      int32_t previous = -1;
      for (int32_t i = k; i <= target; ++i) {
        const int32_t d = source->PrevNonEmpty(i);
        if (d == previous) continue;
        previous = d;
        const bool key = source->IsKeyFrame(d);
        if (source->ReadEntryData(d, buffer, capacity) != 0) {
          *code = kErrRead;
          continue;
        }
        if (key) SetLastImageComplete(true);
        const uint32_t bytes = source->index[static_cast<std::size_t>(d)].dwChunkLength;
        if (!Decompress(buffer, bytes, key ? 0 : ICDECOMPRESS_NOTKEYFRAME)) {
          *code = kErrCodec;
          continue;
        }
        SetLastShown(source, d);
      }
      if (wait) CurrentVideoSourceHooks().EndWaitCursor();
    }
  }
  *size = OutputImageSize();
  return frameBuffer.get();
}

// --- Play --------------------------------------------------------------------------------

int32_t AVIHandPlayer::Start(Film* segments, int32_t start, int32_t end, FilmListHead&) {
  if (state != kSubReady) return kErrInvalidParameter;
  preview->ready = false;
  uint32_t largest = 0;
  if (int32_t code = BuildPlayList(segments, start, end, &largest); code != 0) return code;

  // Drawing is set up first, so that the first picture stands at once.
  dc = GetDC(*preview);
  if (dc == nullptr) return kErrInvalidParameter;
  ClientSize(&outWidth, &outHeight);
  if (!DrawDibBegin(drawDib, dc, outWidth, outHeight, OutFormat(), videoWidth, videoHeight, 0) ||
      !DrawDibStart(drawDib, static_cast<DWORD>(frameMs) * 1000))
    return kErrInvalidParameter;
  FrameEntry& first = playList[0];
  if (first.source != nullptr) {
    uint32_t size = 0;
    int32_t code = 0;
    DecodeTo(first.source, first.frame, &size, &code);
    if (code != 0) return code;
    DrawImage(dc, false);
    first.source = nullptr;
    first.frame = 0;
    first.size = 0;
  }
  DrawDibProfileDisplay(InFormat());

  fifo = std::make_unique<FifoPipe>(largest);
  if (!fifo->ok()) return kErrNoMemory;
  ClearStop();
  if (int32_t code = StartReader(); code != 0) return code;
  if (int32_t code = StartDisplay(); code != 0) return code;
  SetWindowPos(*preview, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
  state = kSubPrepared;
  return 0;
}

void AVIHandPlayer::Finish(bool releaseCodec) {
  Stop();
  if (fifo || readerThread != nullptr || displayThread != nullptr) EndThreads();
  if (dc != nullptr) {
    DrawDibStop(drawDib);
    DrawDibEnd(drawDib);
    ReleaseDC(*preview, dc);
    dc = nullptr;
  }
  if (preview != nullptr && preview->owner != nullptr) preview->ready = true;
  FreePlayList();
  if (releaseCodec && AutoCloseCodec()) ReleaseCodec();
  state = kSubReady;
}

int32_t AVIHandPlayer::DisplayBody() {
  return DisplayLoop(false, frameRate);
}

bool AVIHandPlayer::LoopDecode(FrameEntry& entry, DWORD flags) {
  return DecodeEntry(entry, fifo->base(), flags);
}

bool AVIHandPlayer::LoopDraw() {
  return DrawImage(dc, true);
}

// --- Still pictures ----------------------------------------------------------------------

int32_t AVIHandPlayer::ShowStill(VideoSource* video, int32_t frame, bool reinit) {
  auto* source = dynamic_cast<AVIVideoData*>(video);
  if (state != kSubReady || preview == nullptr || source == nullptr) return kErrCancelled;
  preview->ready = false;
  ClientSize(&outWidth, &outHeight);
  if (int32_t code = InitOutput(source, reinit); code != 0) {
    ForgetLastShownSource();
    preview->ready = true;
    return code;
  }
  uint32_t size = 0;
  int32_t code = 0;
  DecodeTo(source, frame, &size, &code);
  if (!IsIconic(*preview)) DrawDibProfileDisplay(InFormat());
  preview->ready = true;
  UpdateView();
  return code;
}

void AVIHandPlayer::UpdateView() {
  if (state != kSubReady || preview == nullptr || !preview->ready || drawDib == nullptr || !outFormat ||
      !frameBuffer || IsIconic(*preview))
    return;
  ClientSize(&outWidth, &outHeight);
  HDC target = GetDC(*preview);
  if (target == nullptr) return;
  DrawDibBegin(drawDib, target, outWidth, outHeight, OutFormat(), videoWidth, videoHeight, 0);
  DrawImage(target, false);
  DrawDibEnd(drawDib);
  ReleaseDC(*preview, target);
}

void AVIHandPlayer::PaletteChanged() {
  if (state != kSubReady || preview == nullptr || !preview->ready || drawDib == nullptr || !outFormat ||
      !frameBuffer)
    return;
  HDC target = GetDC(*preview);
  if (target == nullptr) return;
  DrawDibDraw(drawDib, target, 0, 0, outWidth, outHeight, OutFormat(), frameBuffer.get(), 0, 0, videoWidth,
              videoHeight, DDF_BACKGROUNDPAL);
  ReleaseDC(*preview, target);
}

// --- Pictures for cuts ---------------------------------------------------------------

int32_t AVIHandPlayer::FillKeyFrame(TKeyFrame& record) {
  auto* source = dynamic_cast<AVIVideoData*>(record.source);
  if (source == nullptr) return kErrNotKeyFrame;
  uint32_t size = 0;
  int32_t code = 0;
  BYTE* picture = DecodeTo(source, record.frame, &size, &code);
  if (picture == nullptr || size == 0) return code != 0 ? code : kErrNotKeyFrame;
  std::unique_ptr<BYTE[]> copy(new (std::nothrow) BYTE[static_cast<std::size_t>(size) + 4]);
  if (!copy) return kErrNoMemory;
  std::memcpy(copy.get(), picture, size);
  record.data = std::move(copy);
  record.dataSize = static_cast<int32_t>(size);
  return 0;
}

StartFrameRecord* AVIHandPlayer::CreateKeyFrame(VideoSource* video, int32_t frame) {
  auto* source = dynamic_cast<AVIVideoData*>(video);
  if (source == nullptr) return nullptr;
  const int32_t d = source->PrevNonEmpty(frame);
  if (source->IsKeyFrame(d)) return nullptr;
  TKeyFrame* record = TKeyFrame::Create(source, d);
  if (record == nullptr) return nullptr;
  if (record->data && record->dataSize > 0) return record;
  if (InitOutput(source, true) != 0) {
    if (AutoCloseCodec()) ReleaseCodec();
    ForgetLastShownSource();
    record->Release();
    return nullptr;
  }
  const int32_t code = FillKeyFrame(*record);
  if (AutoCloseCodec()) ReleaseCodec();
  if (code == 0) return record;
  record->Release();
  return nullptr;
}
