// Fake media, a scripted host and scripted message boxes for the Film model
// tests. Every fake counts its references and fails the test when a count
// drops below zero; a source whose count is 0 counts as deleted and is no
// longer found by name.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "model/film.h"
#include "model/film_host.h"
#include "model/film_list.h"
#include "model/levels.h"
#include "model/media_interfaces.h"
#include "model/message_box.h"
#include "model/time_code.h"

namespace filmtest {

struct Counted {
  int refs = 1;  // the creator's reference, as a factory hands it out
  void Up() { ++refs; }
  void Down(const char* what) {
    if (--refs < 0) ADD_FAILURE() << what << " released more often than referenced";
  }
};

class FakeVideo : public VideoSource, public Counted {
 public:
  FakeVideo(std::string file, int32_t frames, float rate = 25.0f)
      : file(std::move(file)), frames(frames), rate(rate) {}
  ~FakeVideo() override = default;
  void AddRef() override { Up(); }
  void Release() override { Down("video"); }
  int32_t GetError() override { return error; }
  bool IsDirectPlayable() override { return directPlayable; }
  bool IsOpen() override { return openCount >= 1; }
  void BeginRead() override { ++openCount; }
  void EndRead() override { --openCount; }
  bool Reload(const char* name) override {
    ++reloads;
    reloadedAs = name;
    return true;
  }
  // Every frame is a key frame unless keyFrames names some.
  bool IsKeyFrame(int32_t frame) override { return keyFrames.empty() || keyFrames.count(frame) > 0; }
  int32_t GetFrameCount() override { return frames; }
  float GetFrameRate() override { return rate; }
  const char* GetFileName() override { return file.c_str(); }

  std::string file;
  int32_t frames;
  float rate;
  std::set<int32_t> keyFrames;
  int32_t error = 0;
  bool directPlayable = true;
  int openCount = 0;
  int reloads = 0;
  std::string reloadedAs;
};

class FakeAudio : public AudioSource, public Counted {
 public:
  FakeAudio(std::string file, int32_t length) : file(std::move(file)), length(length) {}
  ~FakeAudio() override = default;
  AudioSource* AddRef() override {
    Up();
    return this;
  }
  void Release() override { Down("audio"); }
  int32_t GetError() override { return error; }
  bool IsDirectFormat() override { return directFormat; }
  uint16_t GetFormatTag() override { return formatTag; }
  int32_t GetLength() override { return length; }
  bool IsOpen() override { return openCount >= 1; }
  bool BeginRead() override {
    ++openCount;
    return true;
  }
  void EndRead() override { --openCount; }
  bool Reload(const char*) override {
    ++reloads;
    return true;
  }
  const char* GetFileName() override { return file.c_str(); }

  std::string file;
  int32_t length;
  int32_t error = 0;
  bool directFormat = true;
  uint16_t formatTag = 1;
  int openCount = 0;
  int reloads = 0;
};

class FakeMidi : public MidiSource, public Counted {
 public:
  FakeMidi(std::string file, int32_t length) : file(std::move(file)), length(length) {}
  ~FakeMidi() override = default;
  void AddRef() override { Up(); }
  void Release() override { Down("midi"); }
  int32_t GetError() override { return error; }
  bool MayBeShared() override { return true; }
  int32_t GetLength() override { return length; }
  bool IsOpen() override { return openCount >= 1; }
  bool Open() override {
    ++openCount;
    return true;
  }
  void Close() override {
    if (openCount > 0) --openCount;
  }
  bool Reload(const char*) override {
    ++reloads;
    return true;
  }
  const char* GetFileName() override { return file.c_str(); }

  std::string file;
  int32_t length;
  int32_t error = 0;
  int openCount = 0;
  int reloads = 0;
};

class FakeStartFrame : public StartFrameRecord, public Counted {
 public:
  FakeStartFrame(VideoSource* source, int32_t frame) : source(source), frame(frame) {}
  ~FakeStartFrame() override = default;
  void AddRef() override { Up(); }
  void Release() override { Down("start frame"); }
  VideoSource* source;
  int32_t frame;
};

class FakeThumbnail : public Thumbnail, public Counted {
 public:
  FakeThumbnail(int32_t a, int32_t b, int32_t scale) : a(a), b(b), scale(scale) {}
  ~FakeThumbnail() override = default;
  void AddRef() override { Up(); }
  void Release() override { Down("thumbnail"); }
  int32_t a, b, scale;
};

class FakeEffects : public EffectChain, public Counted {
 public:
  ~FakeEffects() override = default;
  void AddRef() override { Up(); }
  void Release() override { Down("effect list"); }
  bool IsOpen() override { return openCount >= 1; }
  bool Open(AudioSource* source) override {
    ++openCount;
    openedFor = source;
    return true;
  }
  void Close() override { --openCount; }
  void DeleteTempFile() override { ++tempFileDrops; }
  // A clone is kept here until the original goes; it starts with the
  // caller's reference and one open for source.
  EffectChain* Clone(AudioSource* source) override {
    if (cloneFails) return nullptr;
    clones.push_back(std::make_unique<FakeEffects>());
    FakeEffects* c = clones.back().get();
    c->clonedFrom = this;
    c->openCount = 1;
    c->openedFor = source;
    return c;
  }
  int openCount = 0;
  int tempFileDrops = 0;
  AudioSource* openedFor = nullptr;
  bool cloneFails = false;
  FakeEffects* clonedFrom = nullptr;
  std::vector<std::unique_ptr<FakeEffects>> clones;
};

class FakeClip : public ClipItem {
 public:
  FakeClip(VideoSource* v, AudioSource* a, MidiSource* m, int32_t in, int32_t out, int32_t length,
           std::string name = "clip")
      : v(v), a(a), m(m), in(in), out(out), length(length), name(std::move(name)) {}
  VideoSource* GetVideo() const override { return v; }
  AudioSource* GetAudio() const override { return a; }
  MidiSource* GetMidi() const override { return m; }
  int32_t GetIn() const override { return in; }
  int32_t GetOut() const override { return out; }
  int32_t GetLength() const override { return length; }
  const char* GetName() const override { return name.c_str(); }

  VideoSource* v;
  AudioSource* a;
  MidiSource* m;
  int32_t in, out, length;
  std::string name;
};

// The media layer: finds the fakes it was told about while they are alive,
// and makes start-frame records and thumbnails the way the real caches do.
class FakeMedia : public MediaServices {
 public:
  FakeMedia() { before_ = SetMediaServices(this); }
  ~FakeMedia() override { SetMediaServices(before_); }

  StartFrameRecord* CreateStartFrame(VideoSource* source, int32_t frame) override {
    if (!source || source->IsKeyFrame(frame)) return nullptr;
    for (auto& r : startFrames) {
      if (r->refs > 0 && r->source == source && r->frame == frame) {
        r->Up();
        return r.get();
      }
    }
    startFrames.push_back(std::make_unique<FakeStartFrame>(source, frame));
    return startFrames.back().get();
  }
  Thumbnail* GetThumbnailFromSource(void*, int32_t scale, VideoSource* source, int32_t a,
                                    int32_t b) override {
    if (!source) return nullptr;
    thumbnails.push_back(std::make_unique<FakeThumbnail>(a, b, scale));
    return thumbnails.back().get();
  }
  VideoSource* FindVideoByName(const char* name) override {
    for (FakeVideo* v : videos)
      if (v->refs > 0 && v->file == name) return v;
    return nullptr;
  }
  AudioSource* FindAudioByName(const char* name) override {
    for (FakeAudio* a : audios)
      if (a->refs > 0 && a->file == name) return a;
    return nullptr;
  }
  MidiSource* FindMidiByName(const char* name) override {
    for (FakeMidi* m : midis)
      if (m->refs > 0 && m->file == name) return m;
    return nullptr;
  }
  bool IsEffectTempFile(AudioSource* source) override { return source == tempFile; }

  std::vector<FakeVideo*> videos;
  std::vector<FakeAudio*> audios;
  std::vector<FakeMidi*> midis;
  AudioSource* tempFile = nullptr;
  std::vector<std::unique_ptr<FakeStartFrame>> startFrames;
  std::vector<std::unique_ptr<FakeThumbnail>> thumbnails;

 private:
  MediaServices* before_;
};

// The time-line window, the collection and the undo history as a test sees them.
class FakeHost : public FilmHost {
 public:
  FakeHost() { before_ = SetFilmHost(this); }
  ~FakeHost() override {
    SetFilmHost(before_);
    for (ClipItem* c : clips) delete c;
  }

  // A pixels show B ms, rounded as the time-line rounds.
  int32_t TimeToPixels(int32_t ms) override { return ::TimeToPixels(ms, zoomA, zoomB); }
  int32_t PixelsToTime(int32_t px) override { return ::PixelsToTime(px, zoomA, zoomB); }
  int32_t LineGain(int32_t line) override { return line >= 0 && line < 4 ? lineGain[line] : 512; }
  int32_t LinePan(int32_t line) override { return line >= 0 && line < 4 ? linePan[line] : 0; }
  int32_t MasterGain() override { return masterGain; }
  int32_t MasterPan() override { return masterPan; }
  int32_t GravityAlign() override { return gravityAlign; }
  int32_t GravityGroup() override { return gravityGroup; }
  void ShowStatusText(const char* text) override { status = text; }
  void InvalidateClip(Film*) override { ++invalidated; }
  void SetModified(bool m) override { modified = m; }
  int32_t GetClipCount() override { return static_cast<int32_t>(clips.size()); }
  ClipItem* GetClip(int32_t i) override { return clips[i]; }
  ClipItem* DetachClip(int32_t i) override {
    ClipItem* c = clips[i];
    clips.erase(clips.begin() + i);
    return c;
  }
  void LayoutClips() override { ++layouts; }
  void SetClipsModified(bool m) override { clipsModified = m; }
  bool RefreshClip(int32_t) override { return refreshSucceeds; }
  void DeleteClip(int32_t i) override { delete DetachClip(i); }
  void ClearUndo() override {
    ++undoClears;
    if (onClearUndo) onClearUndo();
  }
  void DropUndoSource(bool recheck, VideoSource*, AudioSource*, MidiSource*) override {
    ++undoDrops;
    lastDropRecheck = recheck;
  }

  int32_t zoomA = 1, zoomB = 1;
  int32_t lineGain[4] = {512, 512, 512, 512};
  int32_t linePan[4] = {0, 0, 0, 0};
  int32_t masterGain = 512, masterPan = 0;
  int32_t gravityAlign = 1, gravityGroup = 0;
  std::string status;
  int invalidated = 0;
  bool modified = false;
  // The collection's clips (owned; a clip holds its own references).
  std::vector<ClipItem*> clips;
  int layouts = 0;
  bool clipsModified = false;
  bool refreshSucceeds = true;
  int undoClears = 0, undoDrops = 0;
  bool lastDropRecheck = false;
  std::function<void()> onClearUndo;

 private:
  FilmHost* before_;
};

// A collection clip that holds a reference on each of its sources, as real ones do.
class HeldClip : public FakeClip {
 public:
  HeldClip(VideoSource* v, AudioSource* a, MidiSource* m, int32_t in, int32_t out, int32_t length)
      : FakeClip(v, a, m, in, out, length) {
    if (v) v->AddRef();
    if (a) a->AddRef();
    if (m) m->AddRef();
  }
  ~HeldClip() override {
    if (v) v->Release();
    if (a) a->Release();
    if (m) m->Release();
  }
};

struct Box {
  std::string text;
  std::string caption;
  UINT flags;
};

class ScriptedBoxes : public MessageBoxPresenter {
 public:
  ScriptedBoxes() { before_ = SetMessageBoxPresenter(this); }
  ~ScriptedBoxes() override { SetMessageBoxPresenter(before_); }
  int Show(HWND, const std::string& text, const std::string& caption, UINT flags) override {
    boxes.push_back({text, caption, flags});
    if (answers.empty()) return IDYES;
    int a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
  void Beep(UINT) override {}
  std::vector<Box> boxes;
  std::vector<int> answers;  // answered in turn; IDYES once they run out

 private:
  MessageBoxPresenter* before_;
};

// Every test starts with empty lists, selection group 1, the link counter at
// 0, 25 fps and millisecond texts, and leaves the lists empty behind it.
class FilmTest : public ::testing::Test {
 private:
  // Declared first so that they outlive the host's clips and the lists.
  std::vector<std::unique_ptr<FakeVideo>> videos_;
  std::vector<std::unique_ptr<FakeAudio>> audios_;
  std::vector<std::unique_ptr<FakeMidi>> midis_;
  std::vector<std::unique_ptr<FakeEffects>> effects_;

 protected:
  void SetUp() override {
    FilmList.Clear();
    ClipClipboard.Clear();
    SelectionGroup = 1;
    LinkCounter = 0;
    SetProjectFrameRate(25.0f);
    SetProjectTimeFormat(kTimeFormatMs);
    BuildLevelTables();
  }
  void TearDown() override {
    FilmList.Clear();
    ClipClipboard.Clear();
  }

  FakeVideo* Video(const std::string& file, int32_t frames, float rate = 25.0f) {
    videos_.push_back(std::make_unique<FakeVideo>(file, frames, rate));
    media.videos.push_back(videos_.back().get());
    return videos_.back().get();
  }
  FakeAudio* Audio(const std::string& file, int32_t length) {
    audios_.push_back(std::make_unique<FakeAudio>(file, length));
    media.audios.push_back(audios_.back().get());
    return audios_.back().get();
  }
  FakeMidi* Midi(const std::string& file, int32_t length) {
    midis_.push_back(std::make_unique<FakeMidi>(file, length));
    media.midis.push_back(midis_.back().get());
    return midis_.back().get();
  }
  FakeEffects* Effects() {
    effects_.push_back(std::make_unique<FakeEffects>());
    return effects_.back().get();
  }

  FakeHost host;
  FakeMedia media;
  ScriptedBoxes boxes;
};

}  // namespace filmtest
