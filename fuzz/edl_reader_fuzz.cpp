// Fuzz target for the edit decision list reader: the bytes are read as a
// list's file section and then as its clips and tracks, over stand-in files
// (the files the section names, or a fixed picture, sound and picture with
// sound when it names none). Whatever the list says, every clip read must lie
// on the time-line's rows and lines within a day, with an envelope in order
// and in range, and every reference it took must be given back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/film.h"
#include "model/film_list.h"
#include "model/levels.h"
#include "model/media_interfaces.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "timeline/edl_format.h"

namespace {

// Sources that live for the whole run; holders only count on them. Every
// fifth frame is a key frame, so clips are moved to one or refused.
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
  bool IsKeyFrame(int32_t frame) override { return frame % 5 == 0; }
  int32_t GetFrameCount() override { return 250; }
  float GetFrameRate() override { return 25.0f; }
  const char* GetFileName() override { return "/fuzz/v.avi"; }
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

class SilentBoxes : public MessageBoxPresenter {
 public:
  int Show(HWND, const std::string&, const std::string&, UINT) override { return IDOK; }
  void Beep(UINT) override {}
};

StandInVideo video;
StandInAudio audio;

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckFilm(const Film& f) {
  Check(f.video != nullptr || f.audio != nullptr);
  Check(f.midi == nullptr);
  Check(f.start >= 0 && f.start < f.end && f.end <= kDayMs);
  Check(f.in >= 0 && f.in <= f.out);
  if (f.video) Check(f.videoRow >= 0 && f.videoRow < 2 && f.audio == nullptr);
  if (f.audio) {
    Check(f.audioLine >= 0 && f.audioLine < 4);
    const Profile& p = f.volumePoints;
    Check(p.Count() >= 2);
    for (int32_t i = 0; i < p.Count(); ++i) {
      Check(p[i].value >= 0 && p[i].value < kGainCount);
      if (i > 0) Check(p[i - 1].time <= p[i].time);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SilentBoxes boxes;
  SetMessageBoxPresenter(&boxes);
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, file);
  std::rewind(file);

  std::vector<EdlFileEntry> entries;
  std::vector<EdlFileRecord> records;
  if (ReadEdlFileSection(file, entries) == 0 && !entries.empty()) {
    for (const EdlFileEntry& e : entries) {
      records.push_back({nullptr, e.id, e.name.c_str(), e.audio ? &audio : nullptr, e.video ? &video : nullptr});
    }
  } else {
    records = {{nullptr, 3, "/fuzz/v.avi", nullptr, &video},
               {nullptr, 5, "/fuzz/a.wav", &audio, nullptr},
               {nullptr, 201, "/fuzz/va.avi", &audio, &video}};
  }
  for (std::size_t i = 0; i + 1 < records.size(); ++i) records[i].next = &records[i + 1];

  {
    FilmListHead films;
    EdlParseResult result;
    const int error = ParseEdl(films, file, records.data(), nullptr, result);
    Check(error == 0 || error == 2 || error == 6);
    Check(result.highestAudioLine < 4);
    for (const Film* f = films.First(); f; f = f->next) CheckFilm(*f);
  }
  std::fclose(file);
  SetMessageBoxPresenter(nullptr);
  // Every reference a clip took was given back.
  Check(video.refs == 0 && audio.refs == 0);
  return 0;
}
