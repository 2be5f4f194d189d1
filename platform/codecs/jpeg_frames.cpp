#include "platform/codecs/jpeg_frames.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>

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

}  // namespace codecs
