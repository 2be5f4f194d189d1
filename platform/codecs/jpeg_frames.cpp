#include "platform/codecs/jpeg_frames.h"

#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>

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

// Full-range JPEG values to the ranges of MPEG video.
struct RangeTables {
  std::array<BYTE, 256> luma{}, chroma{};
  RangeTables() {
    for (int v = 0; v < 256; ++v) {
      luma[v] = static_cast<BYTE>(16 + std::lround(v * 219.0 / 255.0));
      chroma[v] = static_cast<BYTE>(128 + std::lround((v - 128) * 224.0 / 255.0));
    }
  }
};

const RangeTables& Ranges() {
  static const RangeTables tables;
  return tables;
}

}  // namespace

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
  // Each plane whole, in rows of whole blocks, as the decoder hands them out.
  JSAMPARRAY rows[3];
  for (int i = 0; i < 3; ++i) {
    // A block to spare across and an MCU row down: the last MCU may reach past the picture.
    const std::size_t stride =
        static_cast<std::size_t>(c[i].width_in_blocks + info.max_h_samp_factor) * DCTSIZE;
    const std::size_t count = static_cast<std::size_t>(c[i].height_in_blocks) * DCTSIZE + DCTSIZE * 2;
    planes_[i].resize(stride * count);
    planeRows_[i].resize(count);
    for (std::size_t y = 0; y < count; ++y) planeRows_[i][y] = planes_[i].data() + y * stride;
  }
  const JDIMENSION step = static_cast<JDIMENSION>(info.max_v_samp_factor * DCTSIZE);
  for (JDIMENSION line = 0; line < info.output_height;) {
    for (int i = 0; i < 3; ++i) {
      const std::size_t at = static_cast<std::size_t>(line / info.max_v_samp_factor) * c[i].v_samp_factor;
      if (at + static_cast<std::size_t>(c[i].v_samp_factor) * DCTSIZE > planeRows_[i].size()) {
        jpeg_abort_decompress(&info);
        return false;
      }
      rows[i] = planeRows_[i].data() + at;
    }
    const JDIMENSION got = jpeg_read_raw_data(&info, rows, step);
    if (got == 0) {
      jpeg_abort_decompress(&info);
      return false;
    }
    line += got;
  }
  jpeg_finish_decompress(&info);

  const RangeTables& range = Ranges();
  BYTE* out = static_cast<BYTE*>(bits);
  for (LONG y = 0; y < height; ++y) {
    const BYTE* in = planeRows_[0][static_cast<std::size_t>(y)];
    for (LONG x = 0; x < width; ++x) out[x] = range.luma[in[x]];
    out += width;
  }
  const LONG chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
  for (int i = 1; i < 3; ++i) {
    for (LONG y = 0; y < chromaHeight; ++y) {
      if (halfDown) {
        const BYTE* in = planeRows_[i][static_cast<std::size_t>(y)];
        for (LONG x = 0; x < chromaWidth; ++x) out[x] = range.chroma[in[x]];
      } else {
        // 4:2:2: two chroma rows make one; the last of an odd height stands alone.
        const BYTE* a = planeRows_[i][static_cast<std::size_t>(2 * y)];
        const BYTE* b = planeRows_[i][static_cast<std::size_t>(std::min<LONG>(2 * y + 1, height - 1))];
        for (LONG x = 0; x < chromaWidth; ++x) out[x] = range.chroma[(a[x] + b[x] + 1) >> 1];
      }
      out += chromaWidth;
    }
  }
  return true;
}

}  // namespace codecs
