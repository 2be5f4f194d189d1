// qovtool2 HANDLE SOURCE TARGET: the converter the program starts for video
// it cannot edit (an MS Camcorder recording). It writes TARGET as an AVI of
// SOURCE's picture size, frame rate and frame count, every frame decoded by
// the installed codecs and stored uncompressed; a frame no codec decodes
// stays black. HANDLE is the asking window's; nothing is sent to it.
// Exit status 0, or 1 with no TARGET left behind.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "media/avi_writer.h"
#include "media/video_data.h"
#include "platform/codecs/dib.h"
#include "platform/core/files.h"
#include "platform/core/paths.h"

namespace {

int32_t Convert(AVIVideoData& source, const char* target) {
  int32_t width = 0, height = 0;
  source.GetSize(&width, &height);
  if (width <= 0 || height == 0 || source.frameCount <= 0 || source.streamHeader.dwRate == 0) return 1;
  BITMAPINFOHEADER picture{};
  picture.biSize = kBitmapInfoHeaderSize;
  picture.biWidth = width;
  picture.biHeight = height < 0 ? -height : height;
  picture.biPlanes = 1;
  picture.biBitCount = 24;
  picture.biCompression = BI_RGB;
  const int64_t bytes = DibImageBytes(picture);
  if (bytes <= 0 || bytes > (int64_t{1} << 28)) return 1;
  picture.biSizeImage = static_cast<DWORD>(bytes);
  BYTE format[kBitmapInfoHeaderSize];
  WriteBitmapInfoHeader(picture, format);

  MainAVIHeader main;
  main.dwWidth = static_cast<DWORD>(picture.biWidth);
  main.dwHeight = static_cast<DWORD>(picture.biHeight);
  AviWriter* writer = nullptr;
  if (AviWriter::Open(&writer, target, &main) != 0) return 1;
  AVISTREAMHEADER stream;
  stream.fccType = streamtypeVIDEO;
  stream.dwScale = source.streamHeader.dwScale ? source.streamHeader.dwScale : 1;
  stream.dwRate = source.streamHeader.dwRate;
  stream.dwQuality = 10000;
  stream.dwSuggestedBufferSize = picture.biSizeImage;
  stream.rcFrame = {0, 0, picture.biWidth, picture.biHeight};
  int32_t number = 0;
  int32_t result = AviWriter::AddStream(writer, &number, &stream, format, sizeof format);
  std::vector<BYTE> pixels(static_cast<std::size_t>(bytes));
  for (int32_t frame = 0; result == 0 && frame < source.frameCount; ++frame) {
    if (source.DecodeFrame(&picture, pixels.data(), frame) != 0) std::fill(pixels.begin(), pixels.end(), 0);
    result = AviWriter::WriteChunk(writer, number, pixels.data(), static_cast<int32_t>(pixels.size()),
                                   cktypeDIBbits, AVIIF_KEYFRAME);
  }
  if (AviWriter::Close(writer) != 0) result = 1;
  return result == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: qovtool2 HANDLE SOURCE TARGET\n");
    return 1;
  }
  const char* target = argv[3];
  // Writing the source over while reading it would destroy it.
  if (PathsEqual(argv[2], target)) return 1;
  AVIVideoData* source = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, argv[2], 0);
  int32_t result = 1;
  if (source) {
    if (source->OpenFileHandle()) result = Convert(*source, target);
    source->Release();
  }
  if (result != 0) {
    DeleteFile(target);
    return 1;
  }
  return 0;
}
