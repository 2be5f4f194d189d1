// Fuzz target for the clip collection's file: the bytes become a ".prc" file
// read into a collection window (headless) whose folder holds a tiny WAVE
// "tiny.wav", a tiny AVI with sound "tiny.avi" and a MIDI file "tiny.mid";
// what was read is written back and read again. Boxes are answered silently,
// and a missing file is answered from its path's length (chosen, skip, skip
// all, cancel). Error codes or clips, never a fault.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "clips/clip_collection.h"
#include "media/avi_writer.h"
#include "media/video_bitmap.h"
#include "model/message_box.h"
#include "model/path_record.h"
#include "platform/classlib/classlib.h"
#include "platform/codecs/dib.h"
#include "platform/core/files.h"
#include "ui/scroll_window.h"

namespace {

std::string g_folder;
TFrameWindow* g_frame = nullptr;
ClipCollection* g_collection = nullptr;

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

void Put(std::vector<uint8_t>& b, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> WaveFormat() {
  std::vector<uint8_t> f;
  Put(f, 1, 2);
  Put(f, 2, 2);
  Put(f, 8000, 4);
  Put(f, 32000, 4);
  Put(f, 4, 2);
  Put(f, 16, 2);
  return f;
}

void WriteWave(const std::string& path) {
  const uint32_t bytes = 40000 * 4;
  std::vector<uint8_t> file;
  file.insert(file.end(), {'R', 'I', 'F', 'F'});
  Put(file, 36 + bytes, 4);
  file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put(file, 16, 4);
  const std::vector<uint8_t> format = WaveFormat();
  file.insert(file.end(), format.begin(), format.end());
  file.insert(file.end(), {'d', 'a', 't', 'a'});
  Put(file, bytes, 4);
  for (uint32_t i = 0; i < bytes; ++i) file.push_back(static_cast<uint8_t>(i * 13));
  WriteBytes(path, file);
}

void WriteAvi(const std::string& path) {
  MainAVIHeader main;
  AviWriter* w = nullptr;
  if (AviWriter::Open(&w, path.c_str(), &main) != 0) return;
  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = 16;
  bi.biHeight = 12;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  bi.biSizeImage = static_cast<DWORD>(DibRowBytes(16, 24) * 12);
  AVISTREAMHEADER video;
  video.fccType = streamtypeVIDEO;
  video.dwScale = 1;
  video.dwRate = 25;
  int32_t videoStream = 0, audioStream = 0;
  AviWriter::AddStream(w, &videoStream, &video, &bi, sizeof bi);
  AVISTREAMHEADER audio;
  audio.fccType = streamtypeAUDIO;
  std::vector<uint8_t> format = WaveFormat();
  format.resize(18, 0);
  AviWriter::AddStream(w, &audioStream, &audio, format.data(), static_cast<int32_t>(format.size()));
  std::vector<uint8_t> frame(bi.biSizeImage, 0x40), sound(1280, 0x10);
  for (int n = 0; n < 5; ++n) {
    AviWriter::WriteChunk(w, videoStream, frame.data(), static_cast<int32_t>(frame.size()),
                          aviTWOCC('d', 'b'), AVIIF_KEYFRAME);
    AviWriter::WriteChunk(w, audioStream, sound.data(), static_cast<int32_t>(sound.size()),
                          aviTWOCC('w', 'b'), AVIIF_KEYFRAME);
  }
  AviWriter::Close(w);
}

void WriteMidi(const std::string& path) {
  WriteBytes(path, {'M', 'T', 'h', 'd', 0, 0,    0,  6,   0,    0,    0,    1,  1, 0xE0, 'M',  'T',  'r', 'k',
                    0,   0,   0,   13,  0, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0,    0xFF, 0x2F, 0});
}

class SilentBoxes : public MessageBoxPresenter {
 public:
  int Show(HWND, const std::string&, const std::string&, UINT flags) override {
    return (flags & 0x0F) == MB_YESNO ? IDNO : IDOK;
  }
  void Beep(UINT) override {}
};

class PathLengthAnswers : public MissingFileQuestions {
 public:
  int AskFile(HWND, const char*, char* path, int) override {
    switch (std::strlen(path) % 4) {
      case 0:
        std::snprintf(path, MAX_PATH, "%s/tiny.wav", g_folder.c_str());
        return kLocateChosen;
      case 1:
        return kLocateSkip;
      case 2:
        return kLocateSkipAll;
      default:
        return kLocateCancel;
    }
  }
  int SelectFile(HWND owner, const char* caption, char* path, int index, const PathRecord*) override {
    return AskFile(owner, caption, path, index);
  }
};

int ReadInto(const std::string& path) {
  HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
  if (file == nullptr) return -1;
  PathRecord* folders = new PathRecord((g_folder + "/").c_str(), true);
  SynonymFile* moved = nullptr;
  const int result = g_collection->Read(file, folders, &moved);
  mmioClose(file, 0);
  SynonymFile::FreeList(moved);
  PathRecord::FreeList(folders);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("KOBRIX_GUI", "headless", 1);
  const char* base = std::getenv("TMPDIR");
  g_folder = std::string(base != nullptr && *base ? base : "/tmp") + "/collection_file_fuzz." +
             std::to_string(getpid());
  CreateDirectory(g_folder.c_str(), nullptr);
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
  });
  // Settings of its own, beside the media.
  setenv("KOBRIX_HOME", g_folder.c_str(), 1);
  WriteWave(g_folder + "/tiny.wav");
  WriteAvi(g_folder + "/tiny.avi");
  WriteMidi(g_folder + "/tiny.mid");
  static SilentBoxes boxes;
  SetMessageBoxPresenter(&boxes);
  static PathLengthAnswers answers;
  SetMissingFileQuestions(&answers);
  static TEBitmapInit bitmaps;
  g_frame = new TFrameWindow(nullptr, "Clip Collection");
  g_frame->Attr.W = 800;
  g_frame->Attr.H = 600;
  g_frame->Create();
  g_collection = new ClipCollection(nullptr);
  g_collection->GetScrollWindow()->SetParent(g_frame);
  g_collection->GetScrollWindow()->Attr.W = 700;
  g_collection->GetScrollWindow()->Attr.H = 500;
  g_collection->GetScrollWindow()->Create();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input = g_folder + "/input.prc", again = g_folder + "/again.prc";
  FILE* f = std::fopen(input.c_str(), "wb");
  if (f == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);
  g_collection->DeleteAll(false);
  ReadInto(input);
  // What was read writes and reads back.
  HMMIO out = mmioOpen(again.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
  if (out != nullptr) {
    const bool written = g_collection->Write(out, (g_folder + "/").c_str(), false);
    mmioClose(out, 0);
    const int tiles = g_collection->TileCount();
    g_collection->DeleteAll(false);
    if (written && ReadInto(again) == 0 && g_collection->TileCount() != tiles) std::abort();
  }
  g_collection->DeleteAll(false);
  std::remove(input.c_str());
  std::remove(again.c_str());
  return 0;
}
