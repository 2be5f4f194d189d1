// The AVI reader on arbitrary bytes: reading the structure and the index,
// the frame queries, raw reads and decoding must give error codes, never a
// fault.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/frame_decoder.h"
#include "media/video_data.h"

namespace {

std::string FuzzPath() {
  const char* base = std::getenv("TMPDIR");
  return std::string(base != nullptr && *base ? base : "/tmp") + "/avi_reader_fuzz." +
         std::to_string(getpid()) + ".avi";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = FuzzPath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  AviFileInfo info;
  DescribeAviFile(path.c_str(), &info);

  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  if (v == nullptr) return 0;
  v->BeginRead();
  const int32_t last = v->frameCount - 1;
  for (int32_t frame : {0, 1, last / 2, last, last + 5}) {
    v->IsKeyFrame(frame);
    v->SnapTime(frame * 40);
    v->NextFrameOffset(frame);
    std::vector<BYTE> buffer(static_cast<std::size_t>(v->GetFrameSize(frame)) + 1);
    int32_t got = 0;
    bool key = false;
    v->ReadRawFrame(frame, 0, buffer.data(), &got, &key, false);
  }
  std::vector<BYTE> thumb(kThumbnailBytes);
  v->GetThumbnail(thumb.data(), 0);
  BITMAPINFOHEADER small;
  small.biSize = 40;
  small.biWidth = 33;
  small.biHeight = 17;
  small.biPlanes = 1;
  small.biBitCount = 24;
  std::vector<BYTE> picture(static_cast<std::size_t>(DibImageBytes(small)));
  v->DecodeFrame(&small, picture.data(), last < 16 ? last : 16);
  v->GetDataSize();
  v->EndRead();
  v->Release();
  ReleaseSharedDecompressor();
  return 0;
}
