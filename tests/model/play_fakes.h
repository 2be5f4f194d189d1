// The players, the wait dialog and the transition service as the playback
// tests see them, writing one shared log of what was asked in which order,
// and a time-line window that queues its replay and frame requests so that
// a test hands them out in the order they were posted.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine_fakes.h"
#include "model/players.h"
#include "platform/core/types.h"

namespace playtest {

using namespace enginetest;

using Log = std::vector<std::string>;

// What a player was handed: a segment as the player reads it.
struct Seg {
  int32_t start, end, in, out, row;
  VideoSource* video;
  bool operator==(const Seg&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Seg& s) {
  return os << "{" << s.start << "," << s.end << " in " << s.in << " out " << s.out << " row " << s.row
            << "}";
}

inline std::vector<Seg> Segments(const Film* first) {
  std::vector<Seg> out;
  for (const Film* f = first; f; f = f->next)
    out.push_back({f->start, f->end, f->in, f->out, f->videoRow, f->video});
  return out;
}

class FakeSubPlayer : public SubVideoPlayer {
 public:
  explicit FakeSubPlayer(Log& log) : log(log) {}
  int32_t GetState() override { return state; }
  void Finish(bool) override { log.push_back("video.finish"); }
  void Run(HWND) override {
    log.push_back("video.run");
    state = 3;
  }
  void Stop() override {
    log.push_back("video.stop");
    if (state == 3) state = 4;
  }
  int32_t GetFrame() override { return frame; }
  void ReportSkippedFrames(HWND, bool*) override { log.push_back("video.report"); }
  StartFrameRecord* CreateKeyFrame(VideoSource* source, int32_t f) override {
    stills.push_back(std::make_unique<FakeStartFrame>(source, f));
    return stills.back().get();
  }

  Log& log;
  int32_t state = 1;
  int32_t frame = 0;
  std::vector<std::unique_ptr<FakeStartFrame>> stills;
};

class FakeVideoPlayer : public VideoEngine {
 public:
  explicit FakeVideoPlayer(Log& log) : log(log), sub(log) {}
  SubVideoPlayer* CurrentSubPlayer() override { return hasSub ? &sub : nullptr; }
  int32_t BaseFrame() override { return baseFrame; }
  bool* ShowTimeoutsOption() override { return &reportSkipped; }
  bool Play(Film* segments, int32_t start, int32_t end, FilmListHead&, HWND) override {
    log.push_back("video.play");
    played = Segments(segments);
    playStart = start;
    playEnd = end;
    baseFrame = MsToFrames(start, ProjectFrameRate());
    return accept;
  }
  void ShowOnBoard(VideoSource* source, int32_t ms, HWND) override {
    shownSource = source;
    shownMs = ms;
    ++shows;
  }
  int32_t FindKeyFrame(VideoSource*, int32_t frame) override { return frame - frame % 10; }
  int32_t UseCount() override { return useCount; }
  void FocusSubPlayer() override { log.push_back("video.focus"); }
  void CloseIdlePreview() override { log.push_back("video.closepreview"); }

  Log& log;
  FakeSubPlayer sub;
  int32_t useCount = 0;
  bool hasSub = true;
  bool accept = true;
  int32_t baseFrame = 0;
  bool reportSkipped = false;
  std::vector<Seg> played;
  int32_t playStart = -1, playEnd = -1;
  VideoSource* shownSource = nullptr;
  int32_t shownMs = -1;
  int shows = 0;
};

struct AudioPrepare {
  Film* films;
  MixSetup mix;
  int32_t start, end;
  bool realtimeMute, preview;
};

class FakeAudioEngine : public AudioEngine {
 public:
  explicit FakeAudioEngine(Log& log) : log(log) {}
  bool PrepareRange(Film* films, const MixSetup& mix, int32_t start, int32_t end, HWND, bool realtimeMute,
                    bool preview) override {
    log.push_back("audio.prepare");
    prepares.push_back({films, mix, start, end, realtimeMute, preview});
    if (accept) state = 2;
    return accept;
  }
  bool PrepareWaveForPlay(Film*, const MixSetup& mix, int32_t start, int32_t end) override {
    log.push_back("audio.mixfile");
    mixes.push_back({nullptr, mix, start, end, false, false});
    return mixSucceeds;
  }
  bool Resume() override {
    log.push_back("audio.resume");
    if (state != 2) return false;
    state = 3;
    return true;
  }
  void Stop() override {
    log.push_back("audio.stop");
    state = 1;
  }
  int32_t GetPosition() override { return state == 3 || state == 7 ? position : -1; }
  int32_t GetState() override { return state; }
  uint32_t SampleRate() override { return 44100; }
  uint32_t AvgBytesPerSec() override { return 44100 * 4; }
  uint32_t BlockAlign() override { return 4; }
  AudioSource* OpenSoundFile() override {
    if (!soundFile) return nullptr;
    soundFile->AddRef();
    return soundFile;
  }

  Log& log;
  bool accept = true;
  bool mixSucceeds = true;
  int32_t state = 1;
  int32_t position = 0;
  FakeAudio* soundFile = nullptr;
  std::vector<AudioPrepare> prepares, mixes;
};

class FakeMidiEngine : public MidiEngine {
 public:
  explicit FakeMidiEngine(Log& log) : log(log) {}
  bool Prepare(Film*, int32_t start, int32_t end, HWND, int32_t g) override {
    log.push_back("midi.prepare");
    preparedStart = start;
    preparedEnd = end;
    gain = g;
    return accept;
  }
  void Start() override {
    log.push_back("midi.start");
    state = 3;
  }
  void Stop() override {
    log.push_back("midi.stop");
    if (stopsAtOnce) state = 1;
  }
  int32_t GetPosition() override { return position; }
  bool IsUsable() override { return true; }
  int32_t GetState() override { return state; }
  void BufferDone() override { ++buffersDone; }

  Log& log;
  int buffersDone = 0;
  bool accept = true;
  bool stopsAtOnce = true;  // else it reports running until its end is noticed
  int32_t state = 1;
  int32_t position = 0;
  int32_t preparedStart = -1, preparedEnd = -1, gain = -1;
};

// Starts the players itself when the wait ends, as the real dialog does.
class FakeWait : public WaitBeforePlay {
 public:
  FakeWait(Log& log, FakeVideoPlayer& video, FakeAudioEngine& audio, FakeMidiEngine& midi)
      : log(log), video(video), audio(audio), midi(midi) {}
  bool Execute(HWND, int32_t parts, int32_t k) override {
    log.push_back("wait");
    kind = k;
    if (!answer) return false;
    if (parts & kKindVideo) video.sub.Run(nullptr);
    if (parts & kKindAudio) audio.Resume();
    if (parts & kKindMidi) midi.Start();
    return true;
  }
  Log& log;
  FakeVideoPlayer& video;
  FakeAudioEngine& audio;
  FakeMidiEngine& midi;
  bool answer = true;
  int32_t kind = -1;
};

class FakeRecorder : public TapeControl {
 public:
  explicit FakeRecorder(Log& log) : log(log) {}
  void Stop() override { log.push_back("vtr.stop"); }
  bool IsConnected() override { return connected; }
  int32_t SeekPreroll(int32_t start, int32_t end) override {
    log.push_back("vtr.cue " + std::to_string(start) + "-" + std::to_string(end));
    return cueResult;
  }
  void GetSettings(int32_t&, int32_t&, char* port, int32_t&, int32_t&, int32_t&, int32_t&, int32_t&, int32_t&,
                   int32_t&, int32_t&) override {
    port[0] = '\0';
  }
  bool SetSettings(int32_t, int32_t, const char*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                   int32_t) override {
    log.push_back("vtr.settings");
    return true;
  }
  Log& log;
  bool connected = true;
  int32_t cueResult = 0;
};

class FakeVfx : public VFX {
 public:
  VFXEntry* Schedule() override {
    ++schedules;
    return List();
  }
  VFXEntry* List() override { return entries.empty() ? nullptr : entries.front().get(); }
  VFXEntry& Add(int32_t start, int32_t end, int32_t first, int32_t second, VideoSource* rendered = nullptr) {
    auto e = std::make_unique<VFXEntry>();
    e->start = start;
    e->end = end;
    e->stampA = static_cast<uint32_t>(first);
    e->stampB = static_cast<uint32_t>(second);
    e->rendered = rendered;  // the record holds a reference of its own
    if (rendered) rendered->AddRef();
    if (!entries.empty()) entries.back()->next = e.get();
    entries.push_back(std::move(e));
    return *entries.back();
  }
  int schedules = 0;
  int locks = 0, unlocks = 0;
  std::vector<std::unique_ptr<VFXEntry>> entries;

 protected:
  void Lock() override { ++locks; }
  void Unlock() override { ++unlocks; }
};

class PlayPlayers : public FakePlayers {
 public:
  PlayPlayers()
      : videoPlayer(log),
        audioEngine(log),
        midiPlayer(log),
        wait(log, videoPlayer, audioEngine, midiPlayer),
        vtr(log) {}
  VideoEngine* Video() override { return &videoPlayer; }
  AudioEngine* Audio() override { return &audioEngine; }
  MidiEngine* Midi() override { return &midiPlayer; }
  WaitBeforePlay* Wait() override { return &wait; }
  TapeControl* Tape() override { return &vtr; }
  VFX* Transitions() override { return &vfx; }

  Log log;
  FakeVideoPlayer videoPlayer;
  FakeAudioEngine audioEngine;
  FakeMidiEngine midiPlayer;
  FakeWait wait;
  FakeRecorder vtr;
  FakeVfx vfx;
};

// A posted request: the window's replay, or a request to the main frame.
struct Posted {
  bool replay;
  int32_t request;
};

class PlayView : public FakeView {
 public:
  bool StartPlayTimer() override {
    ++timerStarts;
    timer = timerWorks;
    return timerWorks;
  }
  void KillPlayTimer() override {
    ++timerKills;
    timer = false;
  }
  void PostReplay() override { posted.push_back({true, 0}); }
  void PostFrameRequest(int32_t request) override { posted.push_back({false, request}); }
  void RefreshPlayButtons() override { ++buttonRefreshes; }
  void SetPlayCursorShape(bool play) override { playCursor = play; }
  void ShowWaitCursor(bool wait) override { waitShown.push_back(wait); }

  bool timerWorks = true, timer = false;
  int timerStarts = 0, timerKills = 0, buttonRefreshes = 0;
  bool playCursor = false;
  std::vector<bool> waitShown;
  std::vector<Posted> posted;
};

// Every test runs at 25 fps (a frame is 40 ms) with the fake players, a
// project of 60 s on four audio lines, and the Film list emptied behind it.
class PlayTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    engine.AttachView(&playView);
    engine.SetPlayers(&fakes);
    engine.length = 60000;
    engine.width = 600;
    engine.scale = 1000;
    engine.factor = 10;
  }
  void TearDown() override {
    engine.play.segments.Clear();
    engine.ReleaseHeldFilm();
    EngineTest::TearDown();
  }

  // A video film of its own source on row at [start, end) from source time in.
  Film* VideoAt(int32_t row, int32_t start, int32_t end, int32_t in = 0, int32_t stamp = 0) {
    FakeVideo* v = Video("v" + std::to_string(serial_++) + ".avi", 15000);
    FakeClip clip(v, nullptr, nullptr, in, in + (end - start), end - start);
    Film* f = new Film(clip, start, kKindVideo, 0, row);
    v->Release();
    f->stamp = stamp;
    return Place(f);
  }

  // Hands out the posted requests in order: the window's replay runs as
  // the window runs it; a frame request notes whether the time-line plays.
  void Pump() {
    while (!playView.posted.empty()) {
      const Posted p = playView.posted.front();
      playView.posted.erase(playView.posted.begin());
      if (p.replay) {
        fakes.log.push_back("replay");
        if (!engine.playing && engine.play.rangeStart < engine.play.rangeEnd) {
          engine.StartPlayRange(engine.play.rangeStart, engine.play.rangeEnd, true, false);
        }
      } else {
        fakes.log.push_back("frame." + std::to_string(p.request) +
                            (engine.playing ? ".playing" : ".stopped"));
      }
    }
  }

  PlayPlayers fakes;
  PlayView playView;

 private:
  int serial_ = 0;
};

}  // namespace playtest
