// Fuzz target for the project reader: the bytes become a ".tml" file that is
// read as a whole project and as Copy from file reads it. Every media path
// opens a small stand-in source (paths holding "gone" are missing and the
// moved-file question is answered from the path), and effect bodies go
// through the real effect-list reader.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/effect_list.h"
#include "audio/installed_components.h"
#include "clips/summary_info.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/film_records.h"
#include "model/media_interfaces.h"
#include "model/project_file.h"
#include "model/timeline_engine.h"

namespace {

std::string TempPath() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr && *dir ? dir : "/tmp") + "/kobrix-project-fuzz-" +
         std::to_string(getpid()) + ".tml";
}

// Sources that live for the whole run; holders only count on them.
class StandInVideo : public VideoSource {
 public:
  void AddRef() override { ++refs; }
  void Release() override { --refs; }
  int32_t GetError() override { return 0; }
  bool IsDirectPlayable() override { return true; }
  bool IsOpen() override { return false; }
  void BeginRead() override {}
  void EndRead() override {}
  bool Reload(const char*) override { return true; }
  bool IsKeyFrame(int32_t) override { return true; }
  int32_t GetFrameCount() override { return 250; }
  float GetFrameRate() override { return rate; }
  const char* GetFileName() override { return "/fuzz/v.avi"; }
  float rate = 25.0f;
  long refs = 0;
};

class StandInAudio : public AudioSource {
 public:
  AudioSource* AddRef() override {
    ++refs;
    return this;
  }
  void Release() override { --refs; }
  int32_t GetError() override { return 0; }
  bool IsDirectFormat() override { return true; }
  uint16_t GetFormatTag() override { return 1; }
  int32_t GetLength() override { return 8000; }
  bool IsOpen() override { return false; }
  bool BeginRead() override { return true; }
  void EndRead() override {}
  bool Reload(const char*) override { return true; }
  const char* GetFileName() override { return "/fuzz/a.wav"; }
  long refs = 0;
};

class StandInMidi : public MidiSource {
 public:
  void AddRef() override { ++refs; }
  void Release() override { --refs; }
  int32_t GetError() override { return 0; }
  bool MayBeShared() override { return true; }
  int32_t GetLength() override { return 3000; }
  bool IsOpen() override { return false; }
  bool Open() override { return true; }
  void Close() override {}
  bool Reload(const char*) override { return true; }
  const char* GetFileName() override { return "/fuzz/m.mid"; }
  long refs = 0;
};

// An effect list read by the real body reader.
class ListChain : public EffectChain {
 public:
  explicit ListChain(EffectList* list) : list_(list) {}
  void AddRef() override { ++refs_; }
  void Release() override {
    if (--refs_ > 0) return;
    if (list_) list_->Release();
    delete this;
  }
  bool IsOpen() override { return false; }
  bool Open(AudioSource*) override { return false; }
  void Close() override {}
  void DeleteTempFile() override {}

 private:
  ~ListChain() override = default;
  EffectList* list_;
  int refs_ = 1;
};

StandInVideo video;
StandInAudio audio;
StandInMidi midi;

bool Gone(const char* path) {
  return std::strstr(path, "gone") != nullptr;
}

class FuzzMedia : public ProjectMedia {
 public:
  VideoSource* OpenVideo(HWND, const char* path) override {
    if (Gone(path)) return nullptr;
    video.AddRef();
    return &video;
  }
  AudioSource* OpenAudio(const char* path) override { return Gone(path) ? nullptr : audio.AddRef(); }
  MidiSource* OpenMidi(const char* path) override {
    if (Gone(path)) return nullptr;
    midi.AddRef();
    return &midi;
  }
  void SetVideoFrameRate(VideoSource*, float rate) override { video.rate = rate; }
  EffectChain* ReadEffects(HMMIO file, LONG size, int* error) override {
    EffectList* list = EffectList::Read(file, size, error);
    return list ? new ListChain(list) : nullptr;
  }
};

// Answers from the path's length: chosen (a path that exists), skip, skip
// all or cancel.
class FuzzLocator : public MediaFileLocator {
 public:
  int LocateMediaFile(HWND, const char*, char* path, int, PathRecord*) override {
    switch (std::strlen(path) % 4) {
      case 0:
        std::strcpy(path, "/fuzz/found.wav");
        return kLocateChosen;
      case 1:
        return kLocateSkip;
      case 2:
        return kLocateSkipAll;
      default:
        return kLocateCancel;
    }
  }
};

void ReadOnce(const std::string& path, bool filmsOnly) {
  HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
  if (file == nullptr) return;
  TimeLineEngine engine;
  FilmListHead films;
  PathRecord* folders = new PathRecord("/fuzz/project/", true);
  SynonymFile* moved = nullptr;
  char collection[MAX_PATH + 1] = {};
  ComObjectEntry* components = nullptr;
  ReadProject(engine, films, file, folders, &moved, filmsOnly, collection, &components);
  mmioClose(file, 0);
  FreeComponentList(components);
  SynonymFile::FreeList(moved);
  PathRecord::FreeList(folders);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = TempPath();
  static FuzzMedia media;
  static FuzzLocator locator;
  SetProjectMedia(&media);
  SetMediaFileLocator(&locator);
  InstallProjectSummaryRecord();
  InstallProjectComponentRecord();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);
  ReadOnce(path, false);
  ReadOnce(path, true);
  ProjectMarks.Clear();
  std::remove(path.c_str());
  // Every reference a Film took was given back.
  if (video.refs != 0 || audio.refs != 0 || midi.refs != 0) std::abort();
  return 0;
}
