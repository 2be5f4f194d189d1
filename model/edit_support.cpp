#include "model/edit_support.h"

#include <cstdlib>
#include <new>

#include "model/film.h"
#include "model/film_list.h"
#include "model/time_code.h"

namespace edit {

int32_t FloorToFrame(int32_t ms) {
  const float rate = ProjectFrameRate();
  int32_t f = MsToFrames(ms, rate);
  if (FramesToMs(f, rate) > ms) --f;
  return FramesToMs(f, rate);
}

int32_t CeilToFrame(int32_t ms) {
  const float rate = ProjectFrameRate();
  int32_t f = MsToFrames(ms, rate);
  if (FramesToMs(f, rate) < ms) ++f;
  return FramesToMs(f, rate);
}

int32_t FrameShift(int32_t ms) {
  const int32_t frames = MsToFrames(ms < 0 ? -ms : ms, ProjectFrameRate());
  return ms < 0 ? -frames : frames;
}

Film* CopyFilm(const Film& film, int32_t parts) {
  try {
    return new Film(film, parts);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

int32_t UsableParts(const Film& film) {
  int32_t parts = 0;
  if (film.video && film.videoRow >= 0 && film.videoRow < 2 && film.video->IsDirectPlayable())
    parts |= kKindVideo;
  if (film.audio && film.audioLine >= 0 && film.audioLine < 4 && film.audio->IsDirectFormat())
    parts |= kKindAudio;
  if (film.midi && film.MidiMatchesList(FilmList)) parts |= kKindMidi;
  return parts;
}

bool ShareLine(const Film& a, const Film& b) {
  return (a.midi && b.midi) || (a.video && b.video && a.videoRow == b.videoRow) ||
         (a.audio && b.audio && a.audioLine == b.audioLine);
}

bool RangeFree(int32_t s, int32_t e, int32_t mask, int32_t line) {
  if (!Film::IsFreeOnLine(s, mask, line)) return false;
  if (Film* next = Film::FindNextOnLine(s, mask, line); next && next->start < e) return false;
  const int32_t last = (mask & kKindVideo) ? MsSubFrames(e, 1) : e - 1;
  if (!Film::IsFreeOnLine(last, mask, line)) return false;
  Film* before = Film::FindLatestEndBefore(e, mask, line);
  return !before || before->end <= s;
}

Film* CoveringObstacle(int32_t t, int32_t mask, int32_t line) {
  for (Film* f = FilmList.First(); f && f->start <= t; f = f->next) {
    if (f->Matches(mask, line) && !f->IsSelected() && t < f->end) return f;
  }
  return nullptr;
}

void OpenForUse(Film* film) {
  if (film->video) film->video->BeginRead();
  if (film->audio) film->audio->BeginRead();
  if (film->midi) film->midi->Open();
}

void CloseForUse(Film* film) {
  if (film->video && film->video->IsOpen()) film->video->EndRead();
  if (film->audio && film->audio->IsOpen()) film->audio->EndRead();
  if (film->midi && film->midi->IsOpen()) film->midi->Close();
  if (film->effects && film->effects->IsOpen()) film->effects->Close();
}

void OpenSharedEffects(Film* film) {
  if (film->effects && film->audio) film->effects->Open(film->audio);
}

void OwnEffects(Film* film) {
  if (!film->effects || !film->audio) return;
  EffectChain* clone = film->effects->Clone(film->audio);
  if (!clone) {
    film->effects->Open(film->audio);
    return;
  }
  EffectChain* shared = film->effects;
  film->effects = clone;
  shared->Release();
}

void DropInPicture(Film* film) {
  Drop(film->inPicture);
}

void DropOutPicture(Film* film) {
  Drop(film->outPicture);
}

void DropKeyFrame(Film* film) {
  Drop(film->inKeyFrame);
}

}  // namespace edit
