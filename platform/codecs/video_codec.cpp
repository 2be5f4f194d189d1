#include <cstring>
#include <vector>

#include "platform/codecs/codec_registry.h"
#include "platform/codecs/drawdib.h"
#include "platform/codecs/vfw.h"

struct VideoCodec::DrawState {
  ICDRAWBEGIN begin;
  std::vector<BYTE> input;  // the input format, kept for frames sent without one
  BITMAPINFOHEADER output;
  std::vector<BYTE> frame;
  bool decompressing = false;
  bool screen = false;  // the screen target is open
};

namespace {

template <class T>
T* Ptr(DWORD_PTR v) {
  return reinterpret_cast<T*>(v);
}

}  // namespace

VideoCodec::VideoCodec() = default;
VideoCodec::~VideoCodec() = default;

LRESULT VideoCodec::Message(UINT msg, DWORD_PTR dw1, DWORD_PTR dw2) {
  switch (msg) {
    case ICM_DECOMPRESS_QUERY:
      if (dw1 == 0) return ICERR_BADPARAM;
      return DecompressQuery(Ptr<const BITMAPINFOHEADER>(dw1), Ptr<const BITMAPINFOHEADER>(dw2));
    case ICM_DECOMPRESS_GET_FORMAT:
      if (dw1 == 0) return ICERR_BADPARAM;
      return DecompressGetFormat(Ptr<const BITMAPINFOHEADER>(dw1), Ptr<BITMAPINFOHEADER>(dw2));
    case ICM_DECOMPRESS_GET_PALETTE:
      if (dw1 == 0) return ICERR_BADPARAM;
      return DecompressGetPalette(Ptr<const BITMAPINFOHEADER>(dw1), Ptr<BITMAPINFOHEADER>(dw2));
    case ICM_DECOMPRESS_BEGIN:
      if (dw1 == 0 || dw2 == 0) return ICERR_BADPARAM;
      return DecompressBegin(Ptr<const BITMAPINFOHEADER>(dw1), Ptr<const BITMAPINFOHEADER>(dw2));
    case ICM_DECOMPRESS: {
      const auto* d = Ptr<const ICDECOMPRESS>(dw1);
      if (d == nullptr || d->lpbiInput == nullptr || d->lpbiOutput == nullptr) return ICERR_BADPARAM;
      return Decompress(*d);
    }
    case ICM_DECOMPRESS_END:
      return DecompressEnd();

    case ICM_COMPRESS_QUERY:
      if (dw1 == 0) return ICERR_BADPARAM;
      return CompressQuery(Ptr<const BITMAPINFOHEADER>(dw1), Ptr<const BITMAPINFOHEADER>(dw2));
    case ICM_COMPRESS_GET_FORMAT:
      if (dw1 == 0) return ICERR_BADPARAM;
      return CompressGetFormat(Ptr<const BITMAPINFOHEADER>(dw1), Ptr<BITMAPINFOHEADER>(dw2));
    case ICM_COMPRESS_GET_SIZE:
      if (dw1 == 0) return ICERR_BADPARAM;
      return CompressGetSize(Ptr<const BITMAPINFOHEADER>(dw1), Ptr<const BITMAPINFOHEADER>(dw2));
    case ICM_COMPRESS_BEGIN:
      if (dw1 == 0 || dw2 == 0) return ICERR_BADPARAM;
      return CompressBegin(Ptr<const BITMAPINFOHEADER>(dw1), Ptr<const BITMAPINFOHEADER>(dw2));
    case ICM_COMPRESS: {
      const auto* c = Ptr<const ICCOMPRESS>(dw1);
      if (c == nullptr || c->lpbiInput == nullptr || c->lpbiOutput == nullptr) return ICERR_BADPARAM;
      return Compress(*c);
    }
    case ICM_COMPRESS_END:
      return CompressEnd();

    case ICM_DRAW_QUERY:
      if (dw1 == 0) return ICERR_BADPARAM;
      return DrawQuery(Ptr<const BITMAPINFOHEADER>(dw1));
    case ICM_DRAW_BEGIN: {
      const auto* b = Ptr<const ICDRAWBEGIN>(dw1);
      if (b == nullptr || b->lpbi == nullptr) return ICERR_BADPARAM;
      return DrawBegin(*b);
    }
    case ICM_DRAW: {
      const auto* d = Ptr<const ICDRAW>(dw1);
      if (d == nullptr) return ICERR_BADPARAM;
      return Draw(*d);
    }
    case ICM_DRAW_END:
      return DrawEnd();
    case ICM_DRAW_START:
    case ICM_DRAW_STOP:
    case ICM_DRAW_FLUSH:
    case ICM_DRAW_SETTIME:
    case ICM_DRAW_RENDERBUFFER:
    case ICM_DRAW_REALIZE:
      return draw_ ? ICERR_OK : ICERR_UNSUPPORTED;
    case ICM_DRAW_WINDOW:
      if (draw_ && dw1 != 0) {
        // The window's client area on the screen: the picture follows its
        // size; its place in the dc stays where drawing began.
        const RECT* r = Ptr<const RECT>(dw1);
        draw_->begin.dxDst = r->right - r->left;
        draw_->begin.dyDst = r->bottom - r->top;
        return ICERR_OK;
      }
      return draw_ ? ICERR_OK : ICERR_UNSUPPORTED;
    case ICM_GETBUFFERSWANTED:
      // Frames are drawn as they come; nothing is buffered ahead.
      if (dw1 == 0) return ICERR_BADPARAM;
      *Ptr<DWORD>(dw1) = 0;
      return ICERR_OK;
    default:
      return ICERR_UNSUPPORTED;
  }
}

LRESULT VideoCodec::DecompressQuery(const BITMAPINFOHEADER*, const BITMAPINFOHEADER*) {
  return ICERR_UNSUPPORTED;
}
LRESULT VideoCodec::DecompressGetFormat(const BITMAPINFOHEADER*, BITMAPINFOHEADER*) {
  return ICERR_UNSUPPORTED;
}
LRESULT VideoCodec::DecompressGetPalette(const BITMAPINFOHEADER*, BITMAPINFOHEADER*) {
  return ICERR_UNSUPPORTED;
}
LRESULT VideoCodec::DecompressBegin(const BITMAPINFOHEADER*, const BITMAPINFOHEADER*) {
  return ICERR_UNSUPPORTED;
}
LRESULT VideoCodec::Decompress(const ICDECOMPRESS&) {
  return ICERR_UNSUPPORTED;
}
LRESULT VideoCodec::DecompressEnd() {
  return ICERR_OK;
}
LRESULT VideoCodec::CompressQuery(const BITMAPINFOHEADER*, const BITMAPINFOHEADER*) {
  return ICERR_UNSUPPORTED;
}
LRESULT VideoCodec::CompressGetFormat(const BITMAPINFOHEADER*, BITMAPINFOHEADER*) {
  return ICERR_UNSUPPORTED;
}
LRESULT VideoCodec::CompressGetSize(const BITMAPINFOHEADER*, const BITMAPINFOHEADER*) {
  return ICERR_UNSUPPORTED;
}
LRESULT VideoCodec::CompressBegin(const BITMAPINFOHEADER*, const BITMAPINFOHEADER*) {
  return ICERR_UNSUPPORTED;
}
LRESULT VideoCodec::Compress(const ICCOMPRESS&) {
  return ICERR_UNSUPPORTED;
}
LRESULT VideoCodec::CompressEnd() {
  return ICERR_OK;
}

LRESULT VideoCodec::DrawQuery(const BITMAPINFOHEADER*) {
  return ICERR_UNSUPPORTED;
}

LRESULT VideoCodec::DrawBegin(const ICDRAWBEGIN& b) {
  if (b.dwFlags & ICDRAW_QUERY) return DrawQuery(b.lpbi);
  return ICERR_UNSUPPORTED;
}

LRESULT VideoCodec::Draw(const ICDRAW&) {
  return ICERR_UNSUPPORTED;
}

LRESULT VideoCodec::DrawEnd() {
  PresentEnd();
  return ICERR_OK;
}

LRESULT VideoCodec::PresentQuery(const BITMAPINFOHEADER* in) {
  if (codecs::CurrentPresenter() == nullptr) return ICERR_UNSUPPORTED;
  for (WORD bits : {WORD{32}, WORD{24}}) {
    BITMAPINFOHEADER out = codecs::RgbHeader(in->biWidth, static_cast<LONG>(DibHeight(*in)), bits);
    if (DecompressQuery(in, &out) == ICERR_OK) return ICERR_OK;
  }
  return ICERR_BADFORMAT;
}

LRESULT VideoCodec::PresentBegin(const ICDRAWBEGIN& b) {
  if (b.dwFlags & ICDRAW_QUERY) return PresentQuery(b.lpbi);
  PresentEnd();
  if (codecs::CurrentPresenter() == nullptr) return ICERR_UNSUPPORTED;
  auto state = std::make_unique<DrawState>();
  state->begin = b;
  const BYTE* in = reinterpret_cast<const BYTE*>(b.lpbi);
  state->input.assign(in, in + codecs::FormatBytes(b.lpbi));
  bool found = false;
  for (WORD bits : {WORD{32}, WORD{24}}) {
    state->output = codecs::RgbHeader(b.lpbi->biWidth, static_cast<LONG>(DibHeight(*b.lpbi)), bits);
    if (DecompressQuery(b.lpbi, &state->output) == ICERR_OK) {
      found = true;
      break;
    }
  }
  if (!found) return ICERR_BADFORMAT;
  if ((b.dwFlags & ICDRAW_FULLSCREEN) && !DrawDibScreen(TRUE)) return ICERR_UNSUPPORTED;
  state->screen = (b.dwFlags & ICDRAW_FULLSCREEN) != 0;
  LRESULT r = DecompressBegin(b.lpbi, &state->output);
  if (r != ICERR_OK) {
    if (state->screen) DrawDibScreen(FALSE);
    return r;
  }
  state->decompressing = true;
  state->frame.assign(state->output.biSizeImage, 0);
  if (state->begin.dxSrc <= 0) state->begin.dxSrc = b.lpbi->biWidth;
  if (state->begin.dySrc <= 0) state->begin.dySrc = static_cast<INT>(DibHeight(*b.lpbi));
  draw_ = std::move(state);
  return ICERR_OK;
}

LRESULT VideoCodec::PresentDraw(const ICDRAW& d) {
  if (!draw_) return ICERR_ERROR;
  DrawState& s = *draw_;
  if (!(d.dwFlags & ICDRAW_NULLFRAME) && d.lpData != nullptr && d.cbData > 0) {
    auto* in = reinterpret_cast<BITMAPINFOHEADER*>(s.input.data());
    in->biSizeImage = d.cbData;
    ICDECOMPRESS dec;
    // Hurried frames are still converted: a later null frame shows them.
    dec.dwFlags = d.dwFlags & ICDECOMPRESS_NOTKEYFRAME;
    dec.lpbiInput = in;
    dec.lpInput = d.lpData;
    dec.lpbiOutput = &s.output;
    dec.lpOutput = s.frame.data();
    LRESULT r = Decompress(dec);
    if (r != ICERR_OK) return r;
  }
  if (d.dwFlags & (ICDRAW_HURRYUP | ICDRAW_PREROLL)) return ICERR_OK;
  const ICDRAWBEGIN& b = s.begin;
  if (b.dxDst <= 0 || b.dyDst <= 0) return ICERR_OK;
  std::vector<BYTE> pixels(static_cast<std::size_t>(b.dxDst) * b.dyDst * 4);
  if (!DrawDibStretchToBgra(&s.output, s.frame.data(), b.xSrc, b.ySrc, b.dxSrc, b.dySrc, pixels.data(),
                            b.dxDst, b.dyDst, b.dxDst * 4))
    return ICERR_ERROR;
  DibPresenter presenter = codecs::CurrentPresenter();
  HDC hdc = s.screen ? nullptr : b.hdc;
  if (presenter == nullptr || !presenter(hdc, b.xDst, b.yDst, b.dxDst, b.dyDst, pixels.data(), b.dxDst * 4))
    return ICERR_ERROR;
  return ICERR_OK;
}

void VideoCodec::PresentEnd() {
  if (!draw_) return;
  if (draw_->decompressing) DecompressEnd();
  if (draw_->screen) DrawDibScreen(FALSE);
  draw_.reset();
}
