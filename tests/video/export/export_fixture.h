// Fixtures of the export tests: a key/delta test codec that also compresses
// (key frames, and deltas from the picture before), its sources written by
// the program's own writer, video segments placed on a list of their own,
// the engine with clips of sound in memory for the mix, a reading of the
// written AVI file chunk by chunk, and the boxes and progress the exports show.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "audio/audio_player.h"
#include "audio/export_io.h"
#include "engine_fixture.h"
#include "media/video_test_util.h"
#include "mix_fixture.h"
#include "model/film.h"
#include "model/film_list.h"
#include "platform/codecs/vfw.h"

namespace exporttest {

// Packed blue-green-red pictures, top row first.
using Picture = std::vector<BYTE>;

// A picture of its own for each seed and frame; byte 0 is the frame number
// plus 10 × seed, so that a picture tells which frame it is.
Picture Pattern(int width, int height, int seed, int frame);
std::vector<Picture> Patterns(int width, int height, int seed, int count);

// Key frames hold 'K' and the picture, delta frames 'D' and the byte
// differences to the picture before. kKeyDelta compresses both kinds (a
// delta from the picture it is given as the one before); kNoCompress
// decodes the same data but refuses to compress.
constexpr FOURCC kKeyDelta = mmioFOURCC('K', 'D', 'E', 'X');
constexpr FOURCC kNoCompress = mmioFOURCC('K', 'D', 'N', 'C');

struct CodecCounts {
  int decodes = 0;
  int compresses = 0;
  std::vector<int> decoded;  // byte 0 of each picture decoded
};
CodecCounts& Counts();

// Installs both codes for its lifetime, with fresh counts.
class InstalledCodecs {
 public:
  InstalledCodecs();
  ~InstalledCodecs();
};

// Writes pictures as a key/delta file at 25 fps with a key frame every
// keyEvery frames; the frames in empty are stored without data (each
// repeats the picture before).
void WriteKeyDelta(const std::string& path, int width, int height, const std::vector<Picture>& pictures,
                   int keyEvery, FOURCC code = kKeyDelta, const std::set<int>& empty = {});
// Writes pictures as uncompressed 24-bit frames at 25 fps.
void WriteUncompressed(const std::string& path, int width, int height, const std::vector<Picture>& pictures);
// The stored data of every frame of a file, as the reader finds them.
std::vector<std::vector<BYTE>> StoredFrames(const std::string& path);
// The pictures of every frame of a file, decoded by the program's reader.
std::vector<Picture> DecodedPictures(const std::string& path);

// Video segments on a list of their own, as a range collects them.
class Segments {
 public:
  ~Segments() { list.Clear(); }
  // [start, end) ms of the file from source time in.
  Film* Add(const std::string& path, int32_t start, int32_t end, int32_t in);
  Film* First() const { return list.First(); }
  FilmListHead list;
};

// The written AVI file as our RIFF walk finds it.
struct AviChunk {
  std::string id;
  std::vector<BYTE> data;
  DWORD flags = 0;  // of its index entry
};
struct AviContents {
  bool ok = false;
  std::vector<std::string> streamTypes;  // "vids", "auds" in stream order
  std::vector<std::string> handlers;
  DWORD totalFrames = 0;
  std::vector<AviChunk> chunks;  // movi, in order
  // The chunks with an id.
  std::vector<AviChunk> Of(const std::string& id) const;
};
AviContents ReadAvi(const std::string& path);

// The file system as it is, but with the free space the test says and a
// record of what the export deleted.
class ScriptedIo : public ExportIo {
 public:
  ScriptedIo() { previous_ = SetExportIo(this); }
  ~ScriptedIo() override { SetExportIo(previous_); }
  bool FreeSpace(const char*, ULONGLONG* bytes) override {
    *bytes = freeSpace;
    return true;
  }
  LONG Write(HMMIO file, const void* data, LONG bytes) override {
    if (writesLeft == 0) return bytes / 2;
    if (writesLeft > 0) --writesLeft;
    return ExportIo::Write(file, data, bytes);
  }
  bool Delete(const char* name) override {
    deleted.push_back(name);
    return ExportIo::Delete(name);
  }
  ULONGLONG freeSpace = 1ull << 50;
  int writesLeft = -1;  // writes that succeed; then each writes half; -1: all
  std::vector<std::string> deleted;

 private:
  ExportIo* previous_ = nullptr;
};

// The engine of the program, set up for the test's sound: a mono 16-bit
// output at 8000 Hz unless the test says otherwise, and clips of sound in
// memory on the project's list.
class ExportTest : public EngineTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  void ConfigureSound(DWORD rate, int channels, int code = 2);
  // A clip of seed's test signal on audio line 0 over [start, end) ms.
  void AddSound(int32_t start, int32_t end, int seed = 1);
  std::string Path(const char* name) const { return folder_.File(name); }
  bool Exists(const std::string& path) const;

  std::unique_ptr<AudioPlayer> engine_;
  FilmListHead films_;
  std::vector<MemorySource*> sources_;
  TestFolder folder_{"kobrix-export"};
  ScriptedProgress progress_;
  ScriptedIo io_;
  DWORD rate_ = 8000;
  int channels_ = 1;
};

}  // namespace exporttest
