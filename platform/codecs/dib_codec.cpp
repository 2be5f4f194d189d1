// The built-in codecs for uncompressed DIBs and RLE8.
#include <cstring>
#include <vector>

#include "platform/codecs/codec_registry.h"
#include "platform/codecs/dib_convert.h"

namespace codecs {
namespace {

bool SameSize(const BITMAPINFOHEADER* a, const BITMAPINFOHEADER* b) {
  return a->biWidth == b->biWidth && DibHeight(*a) == DibHeight(*b);
}

// Output depths an input of depth inBits may be converted to.
bool OutputDepthOk(int inBits, int outBits) {
  return outBits == 16 || outBits == 24 || outBits == 32 || (outBits == 8 && inBits == 8);
}

// The output format matching an input: same size and depth, uncompressed,
// with the input's colours. out null: the bytes it needs.
LRESULT SameFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) {
  DWORD colors = in->biBitCount <= 8 ? DibColorCount(*in) : 0;
  if (out == nullptr) return static_cast<LRESULT>(kBitmapInfoHeaderSize + colors * sizeof(RGBQUAD));
  *out = RgbHeader(in->biWidth, in->biHeight, in->biBitCount);
  out->biClrUsed = colors;
  if (colors > 0) std::memcpy(DibColors(out), DibColors(in), colors * sizeof(RGBQUAD));
  return ICERR_OK;
}

LRESULT CopyPalette(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) {
  if (out == nullptr || in->biBitCount > 8) return ICERR_UNSUPPORTED;
  if (out->biBitCount != 8) return ICERR_OK;
  DWORD colors = DibColorCount(*in);
  std::memcpy(DibColors(out), DibColors(in), colors * sizeof(RGBQUAD));
  out->biClrUsed = colors;
  return ICERR_OK;
}

class UncompressedCodec : public VideoCodec {
 public:
  static bool InputOk(const BITMAPINFOHEADER* in) {
    return in->biCompression == BI_RGB && IsConvertibleDepth(in->biBitCount) && SaneFormat(in);
  }
  static bool PairOk(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
    if (!InputOk(in)) return false;
    if (out == nullptr) return true;
    return out->biCompression == BI_RGB && SameSize(in, out) &&
           OutputDepthOk(in->biBitCount, out->biBitCount);
  }

  LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return PairOk(in, out) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT DecompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (!InputOk(in)) return ICERR_BADFORMAT;
    return SameFormat(in, out);
  }
  LRESULT DecompressGetPalette(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    return CopyPalette(in, out);
  }
  LRESULT DecompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return PairOk(in, out) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT Decompress(const ICDECOMPRESS& d) override {
    if (!PairOk(d.lpbiInput, d.lpbiOutput)) return ICERR_BADFORMAT;
    // A short input is refused rather than read past its end.
    if (d.lpbiInput->biSizeImage < DibImageBytes(*d.lpbiInput)) return ICERR_BADSIZE;
    if (d.dwFlags & ICDECOMPRESS_HURRYUP) return ICERR_OK;
    return ConvertDib(d.lpbiInput, d.lpInput, d.lpbiOutput, d.lpOutput) ? ICERR_OK : ICERR_BADFORMAT;
  }

  LRESULT CompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return PairOk(in, out) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT CompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (!InputOk(in)) return ICERR_BADFORMAT;
    return SameFormat(in, out);
  }
  LRESULT CompressGetSize(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (!PairOk(in, out)) return ICERR_BADFORMAT;
    return static_cast<LRESULT>(DibImageBytes(out != nullptr ? *out : *in));
  }
  LRESULT CompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return PairOk(in, out) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT Compress(const ICCOMPRESS& c) override {
    if (!PairOk(c.lpbiInput, c.lpbiOutput)) return ICERR_BADFORMAT;
    if (!ConvertDib(c.lpbiInput, c.lpInput, c.lpbiOutput, c.lpOutput)) return ICERR_BADFORMAT;
    c.lpbiOutput->biSizeImage = static_cast<DWORD>(DibImageBytes(*c.lpbiOutput));
    if (c.lpdwFlags != nullptr) *c.lpdwFlags = 0x10;  // every frame is a key frame
    if (c.lpckid != nullptr) *c.lpckid = static_cast<DWORD>('d' | ('b' << 8));
    return ICERR_OK;
  }
};

class Rle8Codec : public VideoCodec {
 public:
  static bool InputOk(const BITMAPINFOHEADER* in) {
    // Run-length pictures are stored bottom-up.
    return in->biCompression == BI_RLE8 && in->biBitCount == 8 && in->biHeight > 0 && SaneFormat(in);
  }
  static bool PairOk(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
    if (!InputOk(in)) return false;
    if (out == nullptr) return true;
    return out->biCompression == BI_RGB && SameSize(in, out) && OutputDepthOk(8, out->biBitCount);
  }

  LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return PairOk(in, out) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT DecompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (!InputOk(in)) return ICERR_BADFORMAT;
    return SameFormat(in, out);
  }
  LRESULT DecompressGetPalette(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    return CopyPalette(in, out);
  }
  LRESULT DecompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (!PairOk(in, out)) return ICERR_BADFORMAT;
    picture_.assign(static_cast<std::size_t>(DibImageBytes(*in)), 0);
    return ICERR_OK;
  }
  LRESULT Decompress(const ICDECOMPRESS& d) override {
    const BITMAPINFOHEADER* in = d.lpbiInput;
    if (!PairOk(in, d.lpbiOutput)) return ICERR_BADFORMAT;
    std::size_t bytes = static_cast<std::size_t>(DibImageBytes(*in));
    if (picture_.size() != bytes) picture_.assign(bytes, 0);
    // Frames that skip pixels leave those of the previous picture.
    ExpandRle8(static_cast<const BYTE*>(d.lpInput), in->biSizeImage, picture_.data(), in->biWidth,
               in->biHeight, DibRowBytes(in->biWidth, 8));
    if (d.dwFlags & ICDECOMPRESS_HURRYUP) return ICERR_OK;
    format_.assign(in->biSize + DibColorCount(*in) * sizeof(RGBQUAD), 0);
    std::memcpy(format_.data(), in, format_.size());
    auto* asRgb = reinterpret_cast<BITMAPINFOHEADER*>(format_.data());
    asRgb->biCompression = BI_RGB;
    return ConvertDib(asRgb, picture_.data(), d.lpbiOutput, d.lpOutput) ? ICERR_OK : ICERR_BADFORMAT;
  }

  // Compression: whole 8-bit pictures, every one a key frame.
  static bool CompressPairOk(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
    if (in->biCompression != BI_RGB || in->biBitCount != 8 || !SaneFormat(in)) return false;
    if (out == nullptr) return true;
    return out->biCompression == BI_RLE8 && out->biBitCount == 8 && SameSize(in, out);
  }
  LRESULT CompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return CompressPairOk(in, out) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT CompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (!CompressPairOk(in, nullptr)) return ICERR_BADFORMAT;
    const DWORD colors = DibColorCount(*in);
    if (out == nullptr) return static_cast<LRESULT>(kBitmapInfoHeaderSize + colors * sizeof(RGBQUAD));
    *out = RgbHeader(in->biWidth, static_cast<LONG>(DibHeight(*in)), 8);
    out->biCompression = BI_RLE8;
    out->biClrUsed = colors;
    out->biSizeImage = static_cast<DWORD>(Rle8Bound(in->biWidth, static_cast<int>(DibHeight(*in))));
    std::memcpy(DibColors(out), DibColors(in), colors * sizeof(RGBQUAD));
    return ICERR_OK;
  }
  LRESULT CompressGetSize(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (!CompressPairOk(in, out)) return ICERR_BADFORMAT;
    return static_cast<LRESULT>(Rle8Bound(in->biWidth, static_cast<int>(DibHeight(*in))));
  }
  LRESULT CompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return CompressPairOk(in, out) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT Compress(const ICCOMPRESS& c) override {
    const BITMAPINFOHEADER* in = c.lpbiInput;
    if (!CompressPairOk(in, c.lpbiOutput) || c.lpInput == nullptr || c.lpOutput == nullptr)
      return ICERR_BADFORMAT;
    if (in->biSizeImage != 0 && in->biSizeImage < DibImageBytes(*in)) return ICERR_BADSIZE;
    // Run-length data start at the bottom row.
    const std::int64_t stride = DibRowBytes(in->biWidth, 8);
    const int height = static_cast<int>(DibHeight(*in));
    const BYTE* bottom = static_cast<const BYTE*>(c.lpInput);
    if (in->biHeight < 0) bottom += (height - 1) * stride;
    const std::size_t n = PackRle8(bottom, in->biWidth, height, in->biHeight < 0 ? -stride : stride,
                                   static_cast<BYTE*>(c.lpOutput));
    c.lpbiOutput->biSizeImage = static_cast<DWORD>(n);
    if (c.lpdwFlags != nullptr) *c.lpdwFlags = 0x10;  // every frame is a key frame
    if (c.lpckid != nullptr) *c.lpckid = static_cast<DWORD>('d' | ('c' << 8));
    return ICERR_OK;
  }

 private:
  std::vector<BYTE> picture_;
  std::vector<BYTE> format_;
};

template <class T>
std::unique_ptr<VideoCodec> Make(const VideoCodecDescription&, UINT) {
  return std::make_unique<T>();
}

}  // namespace

void AppendUncompressedCodecs(std::vector<CodecEntry>& out) {
  CodecEntry dib;
  dib.desc.fccType = ICTYPE_VIDEO;
  dib.desc.fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
  dib.desc.dwFlags = VIDCF_QUALITY;
  dib.name = L"DIB";
  dib.description = L"Uncompressed";
  dib.aliases = {mmioFOURCC('R', 'G', 'B', ' '), mmioFOURCC('R', 'A', 'W', ' ')};
  dib.factory = &Make<UncompressedCodec>;
  out.push_back(dib);

  CodecEntry rle;
  rle.desc.fccType = ICTYPE_VIDEO;
  rle.desc.fccHandler = mmioFOURCC('M', 'R', 'L', 'E');
  rle.desc.dwFlags = VIDCF_COMPRESSFRAMES;
  rle.name = L"RLE8";
  rle.description = L"Run-length encoding, 8 bits";
  rle.aliases = {BI_RLE8, mmioFOURCC('R', 'L', 'E', '8'), mmioFOURCC('R', 'L', 'E', ' ')};
  rle.factory = &Make<Rle8Codec>;
  out.push_back(rle);
}

}  // namespace codecs
