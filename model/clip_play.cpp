// Playing single things: one time-line clip, one collection clip, the audio
// of one clip or one audio line for the effect dialogs, and still pictures
// of the video at a time. They share the play state of ranges, so the
// timer, the Stop command and the end of play work unchanged.
#include <algorithm>
#include <new>

#include "model/changed_ranges.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/players.h"
#include "model/time_code.h"
#include "model/timeline_engine.h"
#include "model/ui_strings.h"

MixSetup TimeLineEngine::SingleLineMix(const Film* film) const {
  MixSetup mix;
  mix.lineCount = audioLineCount;
  mix.masterGain = kGainUnity;
  mix.masterPan = 0;
  // A film without sound has no line (-1); nothing of the mix may name it.
  if (film->audio && film->audioLine >= 0 && film->audioLine < std::min(audioLineCount, kAudioLineCount)) {
    mix.lines[film->audioLine].gain = kGainUnity;
  }
  return mix;
}

bool TimeLineEngine::PlayClip(Film* film, int32_t parts) {
  if (playing || prepared) {
    CmStop();
    return false;
  }
  if (!film) return false;
  if (!players_->VideoUsable() || !film->video) parts &= ~kKindVideo;
  if (!players_->AudioUsable() || !film->audio) parts &= ~kKindAudio;
  if (!players_->MidiUsable() || !film->midi) parts &= ~kKindMidi;
  if (!parts) return false;

  play.loopsRemaining = 1;
  const int32_t start = film->start;
  const int32_t end = film->end;
  const MixSetup mix = SingleLineMix(film);
  const HWND window = Owner();

  if (parts & kKindVideo) {
    if (view_) view_->ShowWaitCursor(true);
    ShowClipFrame(film, film->in, window);
    // The player gets a video-only copy standing alone: the film itself
    // may be linked to the clips after it.
    FreeRangeList();
    Film* segment = nullptr;
    try {
      segment = new Film(*film, kKindVideo);
    } catch (const std::bad_alloc&) {
      segment = nullptr;
    }
    if (segment) Film::Link(segment, play.segments);
    VideoEngine* video = players_->Video();
    if (!segment || !video || !video->Play(segment, start, end, FilmList, window)) {
      parts &= ~kKindVideo;
      FreeRangeList();
    }
    if (view_) view_->ShowWaitCursor(false);
  }
  if (parts & kKindAudio) {
    AudioEngine* audio = players_->Audio();
    if (!audio || !audio->PrepareRange(film, mix, start, end, window, false, false)) parts &= ~kKindAudio;
  }
  if (parts & kKindMidi) {
    MidiEngine* midi = players_->Midi();
    if (!midi || !midi->Prepare(film, start, end, window, midiPanel[0].gain)) parts &= ~kKindMidi;
  }
  if (!parts) return false;

  StartPlayers(parts);
  BeginPlayMode(start, end, parts, false);
  return true;
}

void TimeLineEngine::PlayCollectionClip(const ClipItem& clip) {
  // Also while prepared: a prepared engine may be reading the held film.
  if (playing || prepared) {
    CmStop();
    return;
  }
  ReleaseHeldFilm();
  try {
    play.heldFilm = new Film(clip, length, kKindVideo | kKindAudio | kKindMidi, 0, 0);
  } catch (const std::bad_alloc&) {
    play.heldFilm = nullptr;
  }
  Film* film = play.heldFilm;
  if (!film) return;

  int32_t parts = 0;
  if (film->video && film->video->IsDirectPlayable()) {
    film->video->BeginRead();
    parts |= kKindVideo;
  }
  if (film->audio && film->audio->IsDirectFormat() && film->audio->BeginRead()) parts |= kKindAudio;
  if (film->midi) {
    film->midi->Open();
    parts |= kKindMidi;
  }
  play.heldParts = parts;

  if (!parts || !PlayClip(film, parts)) {
    ReleaseHeldFilm();
    ShowMessage(Owner(), GetString(ui_string::kPlayClip), MB_OK | MB_ICONEXCLAMATION, "%s",
                GetString(ui_string::kCannotPlayClip));
  }
}

bool TimeLineEngine::PreviewClipAudio(Film* film) {
  if (playing || prepared) {
    CmStop();
    return false;
  }
  AudioEngine* audio = players_->Audio();
  if (!film || !film->audio || !audio || !players_->AudioUsable()) return false;

  int32_t start = film->start;
  int32_t end = film->end;
  int32_t selA = 0, selB = 0;
  if (GetMarkRange(selA, selB) && selA < end && selB > start) {
    start = std::max(start, selA);
    end = std::min(end, selB);
  }
  const MixSetup mix = SingleLineMix(film);
  if (!audio->PrepareRange(film, mix, start, end, Owner(), false, true)) return false;

  play.loopsRemaining = 0;
  NotifyPlayState(true);
  audio->Resume();
  BeginPlayMode(start, end, kKindAudio, false);
  return true;
}

bool TimeLineEngine::PreviewLineAudio(int32_t line) {
  if (playing || prepared) {
    CmStop();
    return false;
  }
  int32_t start = 0, end = length;
  const bool selection = GetMarkRange(start, end);

  bool lines[4] = {};
  if (line >= 0) {
    if (line >= kAudioLineCount || !Film::AnyOverlapping(start, end, kKindAudio, line)) return false;
    lines[line] = true;
  } else {
    bool rows[2], midiLine;
    int32_t s = start, e = end;
    GetRangeOfLines(rows, midiLine, lines, s, e, kRequestAudio);
    if (!lines[0] && !lines[1] && !lines[2] && !lines[3]) return false;
  }

  MixSetup mix = GetMixSetup(lines, 4);
  if (line >= 0) {
    for (int32_t i = 0; i < 4; ++i) {
      if (i != line) mix.lines[i] = MixSetup::Line{};
    }
  }

  if (!selection) {
    TimeRange extent;
    for (int32_t i = 0; i < kAudioLineCount; ++i) {
      int32_t lo = 0, hi = 0;
      if (lines[i] && Film::GetExtent(lo, hi, kKindAudio, i)) extent.Widen(lo, hi);
    }
    if (extent.Empty()) return false;
    start = extent.start;
    end = extent.end;
  }

  AudioEngine* audio = players_->Audio();
  if (!audio) return false;
  if (play.audioThroughFile) {
    int64_t offset = 0, bytes = 0;
    if (!UpdatePlayFile(start, end, start, offset, bytes, lines) || !PlayFromPlayFile(offset, bytes))
      return false;
  } else if (!audio->PrepareRange(FilmList.First(), mix, start, end, Owner(), false, true)) {
    return false;
  }

  play.loopsRemaining = 0;
  NotifyPlayState(true);
  audio->Resume();
  BeginPlayMode(start, end, kKindAudio, false);
  return true;
}

namespace {

// The source frame shown for a source time: truncated, and held within the
// film's [in, out).
int32_t ClipFrame(const Film* film, int32_t sourceTime) {
  const float rate = ProjectFrameRate();
  // Divided rather than multiplied by 0.001, so that a frame's own start
  // never truncates to the frame before.
  int32_t frame = static_cast<int32_t>(static_cast<double>(sourceTime) * rate / 1000.0);
  const int32_t last = MsToFrames(film->out, rate);
  const int32_t first = MsToFrames(film->in, rate);
  if (frame >= last) frame = last - 1;
  if (frame < first) frame = first;
  return frame;
}

}  // namespace

void TimeLineEngine::ShowClipFrame(Film* film, int32_t sourceTime, HWND window) {
  VideoEngine* video = players_->Video();
  if (!film || !film->video || !video) return;
  video->ShowOnBoard(film->video, FramesToMs(ClipFrame(film, sourceTime), ProjectFrameRate()), window);
}

void TimeLineEngine::PreviewFrameAt(int32_t time, HWND window) {
  if (playing) return;
  const float rate = ProjectFrameRate();
  Film* film = nullptr;
  int32_t t = time + FramesToMs(1, rate) / 2;
  if (!FindVideoAt(film, t) || !film->video) {
    ShowStatusText("");
    return;
  }
  const int32_t frame = ClipFrame(film, t);
  VideoEngine* video = players_->Video();
  const int32_t key = video ? video->FindKeyFrame(film->video, frame) : frame;
  // The frame's place on the time-line: its source time moved by the film's
  // source origin.
  const int32_t at = FramesToMs(frame, rate) - film->in + film->start;
  ShowStatusText(FormatText(GetString(ui_string::kFrameKeyStatus), MsToShortTimeCode(at, true),
                            MsToShortTimeCode(FramesToMs(key, rate), true),
                            film->video->IsKeyFrame(frame) ? " " : " NOT ")
                     .c_str());
  if (players_->VideoUsable()) ShowClipFrame(film, t, window);
}
