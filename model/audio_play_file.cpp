// Playing the audio lines through the play file: the audio engine mixes the
// needed stretch of the time-line into its sound file first, and playback
// plays that file as one clip. The file is laid out on the time-line's own
// clock; the changed ranges say which of it is still valid, so only what is
// missing or stale is mixed again.
#include <algorithm>
#include <climits>
#include <new>

#include "model/changed_ranges.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/players.h"
#include "model/timeline_engine.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"

namespace {

bool Overlap(const TimeRange& a, const TimeRange& b) {
  return a.start < b.end && b.start < a.end;
}

// Byte position of time-line time t in the file: whole sample frames.
int64_t FileOffset(int32_t t, uint32_t rate, uint32_t block) {
  const int64_t frames = (static_cast<int64_t>(rate) * t + 500) / 1000;
  return frames * block;
}

int32_t ToTime(int64_t bytes, uint32_t bytesPerSecond) {
  const int64_t ms = (bytes * 1000 + bytesPerSecond / 2) / bytesPerSecond;
  return static_cast<int32_t>(std::clamp<int64_t>(ms, INT32_MIN, INT32_MAX));
}

// The sound file as a collection clip: all of it, from time 0.
class SoundFileClip : public ClipItem {
 public:
  explicit SoundFileClip(AudioSource* audio) : audio_(audio) {}
  VideoSource* GetVideo() const override { return nullptr; }
  AudioSource* GetAudio() const override { return audio_; }
  MidiSource* GetMidi() const override { return nullptr; }
  int32_t GetIn() const override { return 0; }
  int32_t GetOut() const override { return audio_->GetLength(); }
  int32_t GetLength() const override { return audio_->GetLength(); }
  const char* GetName() const override { return audio_->GetFileName(); }

 private:
  AudioSource* audio_;
};

}  // namespace

bool TimeLineEngine::UpdatePlayFile(int32_t start, int32_t end, int32_t playPos, int64_t& offset,
                                    int64_t& length, const bool audioLines[4]) {
  offset = 0;
  length = 0;
  AudioEngine* audio = players_->Audio();
  if (!audio) return false;

  // Replays start at the range start: cover them too.
  TimeRange needed{playPos, end};
  if (play.loopsRemaining >= 2 && playPos >= start) needed.start = start;

  TimeRange& valid = PlayFileRange;
  if (!valid.Empty()) {
    TimeRange stale;
    for (int32_t i = 0; i < kAudioLineCount; ++i) {
      TimeRange span;
      if (!audioLines[i] && !LineFileRange[i].Empty()) {
        // In the file, but must not be.
        span = LineFileRange[i];
      } else if (audioLines[i] && LineFileRange[i].Empty()) {
        int32_t lo = 0, hi = 0;
        if (Film::GetExtent(lo, hi, kKindAudio, i)) span = TimeRange{lo, hi};
      }
      if (audioLines[i]) span.Widen(LineChangedRange[i]);
      stale.Widen(span);
    }
    if (!stale.Empty() && Overlap(stale, valid)) {
      const bool front = stale.start <= valid.start;
      const bool back = stale.end >= valid.end;
      if (front) valid.start = stale.end;
      if (back) valid.end = stale.start;
      if (!front && !back) {
        // A stale stretch inside the file: keep the valid side where the
        // play begins, so the stale stretch is mixed again before it plays.
        if (needed.start >= stale.end) {
          valid.start = stale.end;
        } else {
          valid.end = stale.start;
        }
      }
    }
  }

  const bool inside = !valid.Empty() && needed.start >= valid.start && needed.end <= valid.end;
  if (!inside) {
    if (!valid.Empty() && Overlap(needed, valid)) {
      if (valid.start <= needed.start) {
        needed.start = valid.end;
      } else if (valid.end >= needed.end) {
        needed.end = valid.start;
      }
    }
    if (!needed.Empty()) {
      if (view_) view_->ShowWaitCursor(true);
      const MixSetup mix = GetMixSetup(audioLines, 4);
      const int32_t mixStart = std::max(needed.start - 1, 0);
      const int32_t mixEnd = needed.end < kDayMs ? needed.end + 1 : needed.end;
      if (!audio->PrepareWaveForPlay(FilmList.First(), mix, mixStart, mixEnd)) {
        ShowMessage(Owner(), GetString(ui_string::kVideoAudioPlayback), MB_OK | MB_ICONINFORMATION, "%s",
                    GetString(ui_string::kCannotPrepareAudio));
        for (TimeRange& r : LineFileRange) r.Clear();
        valid = TimeRange{0, 0};
      } else {
        if (!valid.Empty() && valid.start <= needed.end && needed.start <= valid.end) needed.Widen(valid);
        valid = needed;
        for (int32_t i = 0; i < kAudioLineCount; ++i) {
          int32_t lo = 0, hi = 0;
          LineFileRange[i].Clear();
          if (audioLines[i] && Film::GetExtent(lo, hi, kKindAudio, i)) {
            const TimeRange clipped{std::max(lo, needed.start), std::min(hi, needed.end)};
            if (!clipped.Empty()) LineFileRange[i] = clipped;
          }
          LineChangedRange[i].Clear();
        }
        UndoScript::ClearPlayFileRanges();
      }
      if (view_) view_->ShowWaitCursor(false);
    }
  }

  const uint32_t rate = audio->SampleRate();
  const uint32_t block = audio->BlockAlign();
  offset = FileOffset(playPos, rate, block);
  length = FileOffset(end, rate, block) - offset;
  return !valid.Empty();
}

bool TimeLineEngine::PlayFromPlayFile(int64_t offset, int64_t length) {
  AudioEngine* audio = players_->Audio();
  if (!audio) return false;
  AudioSource* source = audio->OpenSoundFile();
  if (!source) return false;

  ReleaseHeldFilm();
  {
    SoundFileClip clip(source);
    try {
      play.heldFilm = new Film(clip, 0, kKindAudio, 0, -1);
    } catch (const std::bad_alloc&) {
      play.heldFilm = nullptr;
    }
  }
  source->Release();  // the film holds its own reference
  Film* film = play.heldFilm;
  if (!film) return false;
  if (!film->audio || !film->audio->BeginRead()) {
    ReleaseHeldFilm();
    return false;
  }
  play.heldParts = kKindAudio;

  const uint32_t bytesPerSecond = audio->AvgBytesPerSec();
  if (bytesPerSecond == 0) {
    ReleaseHeldFilm();
    return false;
  }
  const int32_t start = ToTime(offset, bytesPerSecond);
  const int32_t end = ToTime(offset + length, bytesPerSecond);

  MixSetup mix;
  mix.masterGain = kGainUnity;
  mix.masterPan = 0;
  mix.lineCount = 1;
  mix.lines[0].gain = kGainUnity;
  if (!audio->PrepareRange(film, mix, start, end, Owner(), false, false)) {
    ReleaseHeldFilm();
    return false;
  }
  return true;
}
