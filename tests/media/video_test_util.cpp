#include "video_test_util.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "media/avi_writer.h"
#include "support/file_bytes.h"

namespace video_test {

TempFolder::TempFolder() : TestFolder("kobrix-video") {
  if (!ok()) ADD_FAILURE() << "no temporary folder";
}

std::vector<BYTE> ReadAll(const std::string& path) { return ReadFileBytes(path); }

void WriteAll(const std::string& path, const std::vector<BYTE>& bytes) { WriteFileBytes(path, bytes); }

int32_t Format::Size() const {
  DWORD colors = bi()->biBitCount <= 8 ? DibColorCount(*bi()) : 0;
  return static_cast<int32_t>(sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD));
}

Format MakeFormat(LONG width, LONG height, WORD bits, DWORD compression) {
  Format f;
  BITMAPINFOHEADER* bi = f.bi();
  bi->biSize = 40;
  bi->biWidth = width;
  bi->biHeight = height;
  bi->biPlanes = 1;
  bi->biBitCount = bits;
  bi->biCompression = compression;
  bi->biSizeImage = static_cast<DWORD>(DibImageBytes(*bi));
  if (bits <= 8) bi->biClrUsed = 1u << bits;
  return f;
}

int32_t WriteAvi(const std::string& path, const AviSpec& spec) {
  MainAVIHeader main;
  main.dwFlags = spec.interleaved ? AVIF_ISINTERLEAVED : 0;
  AviWriter* w = nullptr;
  if (int32_t r = AviWriter::Open(&w, path.c_str(), &main)) return r;
  AVISTREAMHEADER video;
  video.fccType = streamtypeVIDEO;
  video.fccHandler = spec.format.bi()->biCompression;
  video.dwScale = 1000;
  video.dwRate = static_cast<DWORD>(std::lround(spec.fps * 1000));
  video.dwQuality = 10000;
  int32_t videoStream = 0, audioStream = -1;
  int32_t r = AviWriter::AddStream(w, &videoStream, &video, spec.format.block.data(), spec.format.Size());
  BYTE wave[18] = {};
  if (r == 0 && (spec.withAudio || spec.trailingChunk > 0)) {
    codecs::PutLe16(wave + 0, 1);
    codecs::PutLe16(wave + 2, 2);
    codecs::PutLe32(wave + 4, 44100);
    codecs::PutLe32(wave + 8, 44100 * 4);
    codecs::PutLe16(wave + 12, 4);
    codecs::PutLe16(wave + 14, 16);
    AVISTREAMHEADER audio;
    audio.fccType = streamtypeAUDIO;
    r = AviWriter::AddStream(w, &audioStream, &audio, wave, sizeof(wave));
  }
  std::vector<BYTE> sound(static_cast<std::size_t>(spec.audioChunk));
  for (std::size_t i = 0; i < sound.size(); ++i) sound[i] = static_cast<BYTE>(i * 31);
  for (std::size_t i = 0; r == 0 && i < spec.frames.size(); ++i) {
    const Frame& f = spec.frames[i];
    r = AviWriter::WriteChunk(w, videoStream, f.data.data(), static_cast<int32_t>(f.data.size()),
                              spec.videoType, f.key ? AVIIF_KEYFRAME : 0);
    if (r == 0 && spec.withAudio)
      r = AviWriter::WriteChunk(w, audioStream, sound.data(), static_cast<int32_t>(sound.size()),
                                aviTWOCC('w', 'b'), AVIIF_KEYFRAME);
  }
  if (r == 0 && spec.trailingChunk > 0) {
    std::vector<BYTE> tail(static_cast<std::size_t>(spec.trailingChunk), 0x5A);
    r = AviWriter::WriteChunk(w, audioStream, tail.data(), spec.trailingChunk, aviTWOCC('w', 'b'),
                              AVIIF_KEYFRAME);
  }
  int32_t closed = AviWriter::Close(w);
  return r != 0 ? r : closed;
}

std::vector<Frame> GradientFrames(int width, int height, int count) {
  std::vector<Frame> frames;
  const std::size_t stride = static_cast<std::size_t>(DibRowBytes(width, 24));
  for (int n = 0; n < count; ++n) {
    Frame f;
    f.data.assign(stride * height, 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        BYTE* p = &f.data[y * stride + x * 3];
        p[0] = static_cast<BYTE>((x * 4 + n * 3) & 255);
        p[1] = static_cast<BYTE>((y * 4 + n * 5) & 255);
        p[2] = static_cast<BYTE>(((x + y) * 2 + n * 7) & 255);
      }
    frames.push_back(std::move(f));
  }
  return frames;
}

std::vector<BYTE> TopDownBgr(const BITMAPINFOHEADER* format, const BYTE* bits) {
  const int width = format->biWidth;
  const int64_t height = DibHeight(*format);
  const int64_t stride = DibRowBytes(width, format->biBitCount);
  std::vector<BYTE> out(static_cast<std::size_t>(width * height * 3));
  for (int64_t y = 0; y < height; ++y) {
    const BYTE* row = bits + (format->biHeight > 0 ? height - 1 - y : y) * stride;
    std::memcpy(&out[static_cast<std::size_t>(y * width * 3)], row, static_cast<std::size_t>(width) * 3);
  }
  return out;
}

bool HaveFfmpeg() {
  return Run("ffmpeg -version >/dev/null 2>&1") == 0;
}

int Run(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<BYTE> Capture(const std::string& command) {
  std::vector<BYTE> out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  BYTE buffer[65536];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) out.insert(out.end(), buffer, buffer + n);
  pclose(pipe);
  return out;
}

std::vector<RawChunk> TopChunks(const std::vector<BYTE>& file) {
  std::vector<RawChunk> chunks;
  std::size_t at = 12;
  while (at + 8 <= file.size()) {
    RawChunk c;
    c.at = at;
    c.id = codecs::GetLe32(&file[at]);
    c.size = codecs::GetLe32(&file[at + 4]);
    if (at + 12 <= file.size()) c.type = codecs::GetLe32(&file[at + 8]);
    chunks.push_back(c);
    at += 8 + c.size + (c.size & 1);
  }
  return chunks;
}

RecordingPresenter::RecordingPresenter() : before_(SetMessageBoxPresenter(this)) {}
RecordingPresenter::~RecordingPresenter() {
  SetMessageBoxPresenter(before_);
}

int RecordingPresenter::Show(HWND, const std::string& text, const std::string& caption, UINT flags) {
  boxes.push_back(Box{text, caption, flags});
  return IDOK;
}

RecordingHooks::RecordingHooks() : before_(SetVideoSourceHooks(this)) {}
RecordingHooks::~RecordingHooks() {
  SetVideoSourceHooks(before_);
}

void RecordingHooks::AcquireSubPlayer(const SubPlayerInfo& info) {
  ++acquires;
  lastInfo = info;
}

bool RecordingHooks::RefreshChangedSources(HWND, bool reload, bool, VideoData*) {
  refreshes.push_back(reload);
  return refreshAnswer;
}

}  // namespace video_test
