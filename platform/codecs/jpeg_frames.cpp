#include "platform/codecs/jpeg_frames.h"

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace codecs {

// libjpeg reports errors by calling error_exit, which must not return: it
// jumps back into Decode. Its warnings about damaged data stay quiet.
struct JpegFrames::State {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  std::jmp_buf failed;
  bool created = false;

  static void Fail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<State*>(info->client_data)->failed, 1);
  }
  static void Quiet(j_common_ptr) {}
};

JpegFrames::JpegFrames() : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.info.err = jpeg_std_error(&s.errors);
  s.errors.error_exit = &State::Fail;
  s.errors.output_message = &State::Quiet;
  s.info.client_data = &s;
  if (setjmp(s.failed) == 0) {
    jpeg_create_decompress(&s.info);
    s.created = true;
  }
}

JpegFrames::~JpegFrames() {
  if (state_->created) jpeg_destroy_decompress(&state_->info);
}

bool JpegFrames::Decode(const BYTE* data, std::size_t size, const BITMAPINFOHEADER& out, void* bits) {
  State& s = *state_;
  const std::int64_t height = DibHeight(out);
  if (!s.created || data == nullptr || size < 4 || size > 0xFFFFFFFFu || out.biCompression != BI_RGB ||
      (out.biBitCount != 24 && out.biBitCount != 32) || out.biWidth <= 0 || height <= 0)
    return false;
  // The rows top first: a bottom-up DIB keeps its top row last.
  const std::int64_t stride = DibRowBytes(out.biWidth, out.biBitCount);
  rows_.resize(static_cast<std::size_t>(height));
  BYTE* base = static_cast<BYTE*>(bits);
  for (std::int64_t y = 0; y < height; ++y)
    rows_[static_cast<std::size_t>(y)] = base + (out.biHeight > 0 ? height - 1 - y : y) * stride;

  jpeg_decompress_struct& info = s.info;
  if (setjmp(s.failed) != 0) {
    jpeg_abort_decompress(&info);
    return false;
  }
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK ||
      info.image_width != static_cast<JDIMENSION>(out.biWidth) ||
      info.image_height != static_cast<JDIMENSION>(height)) {
    jpeg_abort_decompress(&info);
    return false;
  }
  info.out_color_space = out.biBitCount == 24 ? JCS_EXT_BGR : JCS_EXT_BGRX;
  // Chroma repeated rather than interpolated, as libavcodec's pictures
  // were converted; the accurate integer transform.
  info.do_fancy_upsampling = FALSE;
  info.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&info);
  while (info.output_scanline < info.output_height) {
    const JDIMENSION at = info.output_scanline;
    if (jpeg_read_scanlines(&info, rows_.data() + at, info.output_height - at) == 0) {
      jpeg_abort_decompress(&info);
      return false;
    }
  }
  jpeg_finish_decompress(&info);
  return true;
}

namespace {

// Full-range JPEG values to the ranges of MPEG video: 16 + round(v × 219 /
// 255) and 128 + round((v − 128) × 224 / 255), each as one multiply and
// shift that gives the same value for every byte (a test holds them to it).
struct Range {
  int scale, round, shift, base;
};
constexpr Range kLuma{28140, 16608, 15, 16};
constexpr Range kChroma{14392, 17384, 14, 15};

template <Range R>
inline BYTE Scale(int v) {
  return static_cast<BYTE>(R.base + ((v * R.scale + R.round) >> R.shift));
}

#if defined(__SSE2__)
// 16 values at once: each byte and a 1 beside it, multiplied and added with
// the scale and the rounding in one step.
template <Range R>
inline __m128i Scale16(__m128i bytes) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi16(1);
  const __m128i factors = _mm_set1_epi32((R.round << 16) | R.scale);
  const __m128i lo = _mm_unpacklo_epi8(bytes, zero), hi = _mm_unpackhi_epi8(bytes, zero);
  const __m128i a = _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(lo, one), factors), R.shift);
  const __m128i b = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(lo, one), factors), R.shift);
  const __m128i c = _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(hi, one), factors), R.shift);
  const __m128i d = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(hi, one), factors), R.shift);
  const __m128i words = _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
  return _mm_add_epi8(words, _mm_set1_epi8(static_cast<char>(R.base)));
}
#endif

template <Range R>
void ScaleRow(const BYTE* in, BYTE* out, LONG n) {
  LONG x = 0;
#if defined(__SSE2__)
  for (; x + 16 <= n; x += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), Scale16<R>(v));
  }
#endif
  for (; x < n; ++x) out[x] = Scale<R>(in[x]);
}

// Two chroma rows averaged (rounding up at a half) into one.
void ChromaPairRow(const BYTE* a, const BYTE* b, BYTE* out, LONG n) {
  LONG x = 0;
#if defined(__SSE2__)
  for (; x + 16 <= n; x += 16) {
    const __m128i v = _mm_avg_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x)),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), Scale16<kChroma>(v));
  }
#endif
  for (; x < n; ++x) out[x] = Scale<kChroma>((a[x] + b[x] + 1) >> 1);
}

}  // namespace

BYTE JpegFrames::MpegLuma(BYTE v) {
  return Scale<kLuma>(v);
}

BYTE JpegFrames::MpegChroma(BYTE v) {
  return Scale<kChroma>(v);
}

bool JpegFrames::DecodeI420(const BYTE* data, std::size_t size, LONG width, LONG height, void* bits) {
  State& s = *state_;
  if (!s.created || data == nullptr || bits == nullptr || size < 4 || size > 0xFFFFFFFFu || width <= 0 ||
      height <= 0)
    return false;
  jpeg_decompress_struct& info = s.info;
  if (setjmp(s.failed) != 0) {
    jpeg_abort_decompress(&info);
    return false;
  }
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.image_width != static_cast<JDIMENSION>(width) ||
      info.image_height != static_cast<JDIMENSION>(height) || info.num_components != 3 ||
      info.jpeg_color_space != JCS_YCbCr) {
    jpeg_abort_decompress(&info);
    return false;
  }
  // Luma at twice the chroma across, and once (4:2:2) or twice (4:2:0) down.
  const jpeg_component_info* c = info.comp_info;
  const bool sampled = c[0].h_samp_factor == 2 && (c[0].v_samp_factor == 1 || c[0].v_samp_factor == 2);
  bool chromaOnce = true;
  for (int i = 1; i < 3; ++i) chromaOnce = chromaOnce && c[i].h_samp_factor == 1 && c[i].v_samp_factor == 1;
  if (!sampled || !chromaOnce) {
    jpeg_abort_decompress(&info);
    return false;
  }
  const bool halfDown = c[0].v_samp_factor == 2;
  info.raw_data_out = TRUE;
  info.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&info);
  // One row of MCUs at a time, into rows small enough to stay in the cache
  // until they are scaled into the picture.
  for (int i = 0; i < 3; ++i) {
    // A block to spare across: the last MCU may reach past the picture.
    const std::size_t stride =
        static_cast<std::size_t>(c[i].width_in_blocks + info.max_h_samp_factor) * DCTSIZE;
    const std::size_t count = static_cast<std::size_t>(c[i].v_samp_factor) * DCTSIZE;
    planes_[i].resize(stride * count);
    planeRows_[i].resize(count);
    for (std::size_t y = 0; y < count; ++y) planeRows_[i][y] = planes_[i].data() + y * stride;
  }
  JSAMPARRAY rows[3] = {planeRows_[0].data(), planeRows_[1].data(), planeRows_[2].data()};
  const JDIMENSION step = static_cast<JDIMENSION>(info.max_v_samp_factor * DCTSIZE);
  const LONG chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
  BYTE* const lumaOut = static_cast<BYTE*>(bits);
  BYTE* const chromaOut[2] = {lumaOut + static_cast<std::size_t>(width) * height,
                              lumaOut + static_cast<std::size_t>(width) * height +
                                  static_cast<std::size_t>(chromaWidth) * chromaHeight};
  for (JDIMENSION line = 0; line < info.output_height;) {
    const JDIMENSION got = jpeg_read_raw_data(&info, rows, step);
    if (got == 0) {
      jpeg_abort_decompress(&info);
      return false;
    }
    const LONG top = static_cast<LONG>(line);
    const LONG lumaRows = std::min<LONG>(static_cast<LONG>(step), height - top);
    for (LONG y = 0; y < lumaRows; ++y)
      ScaleRow<kLuma>(planeRows_[0][static_cast<std::size_t>(y)],
                      lumaOut + static_cast<std::size_t>(top + y) * width, width);
    for (int i = 1; i < 3; ++i) {
      if (halfDown) {
        // 4:2:0: the MCU row's 8 chroma rows are 8 rows of the picture's chroma.
        const LONG first = top / 2;
        const LONG n = std::min<LONG>(DCTSIZE, chromaHeight - first);
        for (LONG y = 0; y < n; ++y)
          ScaleRow<kChroma>(planeRows_[i][static_cast<std::size_t>(y)],
                            chromaOut[i - 1] + static_cast<std::size_t>(first + y) * chromaWidth,
                            chromaWidth);
      } else {
        // 4:2:2: two chroma rows make one; the last of an odd height stands alone.
        const LONG first = top / 2;
        const LONG n = std::min<LONG>(DCTSIZE / 2, chromaHeight - first);
        for (LONG y = 0; y < n; ++y) {
          const LONG b = std::min<LONG>(2 * y + 1, height - 1 - top);
          ChromaPairRow(planeRows_[i][static_cast<std::size_t>(2 * y)],
                        planeRows_[i][static_cast<std::size_t>(b)],
                        chromaOut[i - 1] + static_cast<std::size_t>(first + y) * chromaWidth, chromaWidth);
        }
      }
    }
    line += got;
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace codecs
