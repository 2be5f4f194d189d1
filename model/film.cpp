#include "model/film.h"

#include <algorithm>
#include <cstring>

#include "model/film_host.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_strings.h"

int32_t LinkCounter = 0;

namespace {

float ProjectRate() {
  return ProjectFrameRate();
}

}  // namespace

void Film::SetName(const char* text) {
  std::size_t n = text ? strnlen(text, sizeof(name) - 1) : 0;
  if (n) std::memcpy(name, text, n);
  name[n] = '\0';
}

void Film::ComputeOrigin() {
  FilmHost& host = CurrentFilmHost();
  origin = host.PixelsToTime(host.TimeToPixels(start - in));
}

Film::Film(const ClipItem& clip, int32_t start_, int32_t parts, int32_t audioLine_, int32_t videoRow_) {
  videoRow = videoRow_;
  audioLine = audioLine_;
  SetName(clip.GetName());
  start = start_;
  end = start + clip.GetLength();
  sourceLength = clip.GetLength();

  if ((parts & kKindAudio) && clip.GetAudio()) {
    audio = clip.GetAudio()->AddRef();
    sourceLength = audio->GetLength();
  } else if ((parts & kKindMidi) && clip.GetMidi()) {
    midi = clip.GetMidi();
    midi->AddRef();
    sourceLength = MulDivRound(midi->GetLength(), tempo, 1000);
  }
  if ((parts & kKindVideo) && clip.GetVideo()) {
    video = clip.GetVideo();
    video->AddRef();
    sourceLength = FramesToMs(video->GetFrameCount(), video->GetFrameRate());
  }
  // The envelopes span the whole source, so they are made once its length is
  // final (a video's length wins over its sound's).
  if (audio) {
    volumePoints.SetTwoPoints(sourceLength, 512);
    balancePoints.SetTwoPoints(sourceLength, 0);
  }

  in = clip.GetIn();
  out = clip.GetOut();
  if (out > sourceLength) {
    out = sourceLength;
    end = start + out - in;
  }
  // A clip whose in point lies beyond its source would give a film that ends
  // before it starts.
  if (in > out) {
    in = out;
    end = start;
  }

  if (video) inKeyFrame = CurrentMediaServices().CreateStartFrame(video, MsToFrames(in, ProjectRate()));
  if (!audio) audioLine = -1;
  if (!video) {
    videoRow = -1;
  } else {
    start = MsAddFrames(start, 0);
    end = MsAddFrames(end, 0);
  }
  ComputeOrigin();
}

Film::Film(VideoSource* video_, int32_t in_, int32_t start_, int32_t end_) {
  videoRow = 0;
  audioLine = -1;
  video = video_;
  if (video) {
    video->AddRef();
    sourceLength = FramesToMs(video->GetFrameCount(), video->GetFrameRate());
  }
  in = in_;
  start = start_;
  end = end_;
  out = end + in - start;
  if (out > sourceLength) {
    out = sourceLength;
    end = start + sourceLength - in;
  }
  start = MsAddFrames(start, 0);
  end = MsAddFrames(end, 0);
  in = MsAddFrames(in, 0);
  out = MsAddFrames(out, 0);
  ComputeOrigin();
}

Film::Film(const Film& other, int32_t parts)
    : marks(other.marks),
      start(other.start),
      end(other.end),
      origin(other.origin),
      in(other.in),
      out(other.out),
      sourceLength(other.sourceLength),
      group(other.group),
      stamp(other.stamp),
      videoRow(other.videoRow),
      tempo(other.tempo),
      audioLine(other.audioLine),
      volume(other.volume),
      volumePoints(other.volumePoints),
      balance(other.balance),
      balancePoints(other.balancePoints),
      declickIn(other.declickIn),
      declickOut(other.declickOut) {
  std::memcpy(name, other.name, sizeof(name));
  name[sizeof(name) - 1] = '\0';
  if ((parts & kKindVideo) && other.video) {
    video = other.video;
    video->AddRef();
  }
  if ((parts & kKindAudio) && other.audio) audio = other.audio->AddRef();
  if ((parts & kKindMidi) && other.midi) {
    midi = other.midi;
    midi->AddRef();
  }
  // The pictures go with the copy whatever its parts: they describe the clip.
  if (other.inKeyFrame) {
    inKeyFrame = other.inKeyFrame;
    inKeyFrame->AddRef();
  }
  if (other.inPicture) {
    inPicture = other.inPicture;
    inPicture->AddRef();
  }
  if (other.outPicture) {
    outPicture = other.outPicture;
    outPicture->AddRef();
  }
  if (audio) {
    if (other.effects) {
      effects = other.effects;
      effects->AddRef();
    }
  } else {
    audioLine = -1;
  }
  if (!video) videoRow = -1;
}

Film::~Film() {
  Drop(outPicture);
  Drop(inPicture);
  Drop(inKeyFrame);
  Drop(audio);
  Drop(video);
  Drop(midi);
  Drop(effects);
}

bool Film::Matches(int32_t mask, int32_t line) const {
  return ((mask & kKindVideo) && video && videoRow == line) || ((mask & kKindMidi) && midi) ||
         ((mask & kKindAudio) && audio && audioLine == line);
}

bool Film::IsSelected() const {
  return group == SelectionGroup;
}

bool Film::Uses(VideoSource* v, AudioSource* a, MidiSource* m) const {
  return (v && video == v) || (a && audio == a) || (m && midi == m);
}

void Film::RenewStartFrame() {
  Drop(inKeyFrame);
  if (video) inKeyFrame = CurrentMediaServices().CreateStartFrame(video, MsToFrames(in, ProjectRate()));
}

bool Film::LinkAtKeyFrame(HWND owner, FilmListHead& list, bool inOrder) {
  if (video) {
    const float rate = ProjectRate();
    const int32_t f0 = MsToFrames(in, rate);
    if (!video->IsKeyFrame(f0)) {
      const int32_t last = MsToFrames(out, rate);
      int32_t f = f0 + 1;
      while (f < last && !video->IsKeyFrame(f)) ++f;
      if (f >= last) {
        ShowMessage(owner, GetString(ui_string::kAlignToKeyFrame), MB_ICONEXCLAMATION,
                    GetString(ui_string::kNoNextKeyFrame), name, MsToShortTimeCode(start, true),
                    MsToShortTimeCode(end, true));
        return false;
      }
      ShowMessage(owner, GetString(ui_string::kAlignToKeyFrame), MB_ICONINFORMATION,
                  GetString(ui_string::kStartShiftedToKeyFrame), name, MsToShortTimeCode(start, true),
                  MsToShortTimeCode(end, true));
      in = FramesToMs(f, rate);
      if (effects) effects->DeleteTempFile();
      start = MsAddFrames(start, f - f0);
      RenewStartFrame();
      ComputeOrigin();
    }
  }
  if (inOrder) {
    Append(this, list);
  } else {
    Link(this, list);
  }
  stamp = ++LinkCounter;
  return true;
}

int32_t Film::SourceLengthOfSources() const {
  if (video) return FramesToMs(video->GetFrameCount(), video->GetFrameRate());
  if (midi) return MulDivRound(midi->GetLength(), tempo, 1000);
  if (audio) return audio->GetLength();
  return 0;
}

bool Film::FitToSources(bool check) {
  Drop(inPicture);
  Drop(outPicture);
  if (!video && !audio && !midi) return false;
  if (check) {
    if (video && (!video->IsDirectPlayable() || video->GetError() != 0)) return false;
    if (audio && (!audio->IsDirectFormat() || audio->GetError() != 0)) return false;
    if (midi && midi->GetError() != 0) return false;
  }
  sourceLength = SourceLengthOfSources();
  out = std::min(out, sourceLength);
  const int32_t oldIn = in;
  if (sourceLength <= in) {
    in = video ? MsSubFrames(sourceLength, 1) : sourceLength - 1;
    if (in < 0) in = 0;
  }
  if (video) {
    const float r = video->GetFrameRate();
    end = FramesToMs(MsToFrames(out, r) - MsToFrames(in, r) + MsToFrames(start, r), r);
  } else {
    end = start + out - in;
  }
  if (in != oldIn) {
    RenewStartFrame();
    ComputeOrigin();
  }
  for (Profile* profile : {&volumePoints, &balancePoints}) {
    const int32_t n = profile->Count();
    if (n == 0) continue;
    for (int32_t k = 0; k < n - 1; ++k) {
      if ((*profile)[k].time > sourceLength) (*profile)[k].time = sourceLength;
    }
    profile->Last().time = sourceLength;
  }
  return true;
}

void Film::UpdateInFrame(void* dc, int32_t scale) {
  if (!video) return;
  Thumbnail* fresh = CurrentMediaServices().GetThumbnailFromSource(dc, scale, video, in, in);
  Thumbnail* old = inPicture;
  inPicture = fresh;
  if (old) old->Release();
}

void Film::UpdateOutFrame(void* dc, int32_t scale) {
  if (!video) return;
  const int32_t last = MsSubFrames(out, 1);
  Thumbnail* fresh = CurrentMediaServices().GetThumbnailFromSource(dc, scale, video, last, last);
  Thumbnail* old = outPicture;
  outPicture = fresh;
  if (old) old->Release();
}

int32_t Film::NearestKeyFrame(int32_t f, int32_t lo, int32_t hi) const {
  if (!video) return f;
  if (lo >= hi) return 0;
  const float rate = ProjectRate();
  const int32_t base = MsToFrames(in, rate);
  if (video->IsKeyFrame(base + f)) return f;
  const int32_t reach = MsToFrames(kDayMs, rate);
  int32_t below = f - reach;
  for (int32_t k = f - 1; k >= lo; --k) {
    if (video->IsKeyFrame(base + k)) {
      below = k;
      break;
    }
  }
  int32_t above = f + reach;
  for (int32_t k = f + 1; k <= hi; ++k) {
    if (video->IsKeyFrame(base + k)) {
      above = k;
      break;
    }
  }
  const int64_t downDistance = static_cast<int64_t>(f) - below;
  const int64_t upDistance = static_cast<int64_t>(above) - f;
  const int32_t winner = upDistance < downDistance ? above : below;
  return (winner < lo || winner > hi) ? 0 : winner;
}
