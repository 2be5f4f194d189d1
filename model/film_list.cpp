#include "model/film_list.h"

#include <string>
#include <utility>

#include "model/film.h"
#include "model/film_host.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_strings.h"

FilmListHead FilmList;
FilmListHead ClipClipboard;
int32_t SelectionGroup = 1;

FilmListHead::~FilmListHead() {
  Clear();
}

int32_t FilmListHead::Count() const {
  int32_t n = 0;
  for (Film* f = head_; f; f = f->next) ++n;
  return n;
}

void FilmListHead::Clear() {
  while (head_) {
    Film* f = head_;
    Film::Unlink(f, *this);
    delete f;
  }
}

void FilmListHead::Swap(FilmListHead& other) {
  std::swap(head_, other.head_);
  std::swap(tail_, other.tail_);
  firstAt_.swap(other.firstAt_);
}

Film* FilmListHead::PlaceFor(int32_t s) {
  // Appending in start order is the common case (copies, loads, moves
  // relinked from the back).
  if (!tail_ || tail_->start < s) return nullptr;
  // The place is right when the film there starts at s or later and the
  // one before it earlier: in a sorted list only one place does.
  auto fits = [s](const Film* f) { return f && f->start >= s && (!f->prev || f->prev->start < s); };
  auto indexed = [this, s]() -> Film* {
    auto it = firstAt_.lower_bound(s);
    return it == firstAt_.end() ? nullptr : it->second;
  };
  Film* before = indexed();
  if (fits(before)) return before;
  // Some start was changed in place since its film was linked.
  Reindex();
  before = indexed();
  if (fits(before)) return before;
  // A list out of order: the place is where a walk from the head stops.
  before = head_;
  while (before && before->start < s) before = before->next;
  return before;
}

void FilmListHead::Reindex() {
  firstAt_.clear();
  for (Film* f = head_; f; f = f->next) {
    f->indexedStart_ = f->start;
    firstAt_.try_emplace(firstAt_.end(), f->start, f);
  }
}

void Film::Link(Film* film, FilmListHead& list) {
  Film* before = list.PlaceFor(film->start);
  film->next = before;
  film->prev = before ? before->prev : list.tail_;
  if (film->prev) {
    film->prev->next = film;
  } else {
    list.head_ = film;
  }
  if (before) {
    before->prev = film;
  } else {
    list.tail_ = film;
  }
  // It goes before the films of its start, so it is the first of them.
  film->indexedStart_ = film->start;
  list.firstAt_[film->start] = film;
}

void Film::Append(Film* film, FilmListHead& list) {
  if (list.tail_ == nullptr || list.tail_->start > film->start) {
    Link(film, list);
    return;
  }
  film->prev = list.tail_;
  film->next = nullptr;
  list.tail_->next = film;
  list.tail_ = film;
  // After the films of its start: it is their first only when there are none.
  film->indexedStart_ = film->start;
  list.firstAt_.try_emplace(list.firstAt_.end(), film->start, film);
}

void Film::Unlink(Film* film, FilmListHead& list) {
  auto it = list.firstAt_.find(film->indexedStart_);
  if (it != list.firstAt_.end() && it->second == film) {
    Film* following = film->next;
    if (following && following->indexedStart_ == film->indexedStart_) {
      it->second = following;
    } else {
      list.firstAt_.erase(it);
    }
  }
  if (film->prev) {
    film->prev->next = film->next;
  } else if (list.head_ == film) {
    list.head_ = film->next;
  }
  if (film->next) {
    film->next->prev = film->prev;
  } else if (list.tail_ == film) {
    list.tail_ = film->prev;
  }
  film->next = nullptr;
  film->prev = nullptr;
}

Film* Film::FindByLine(int32_t t, int32_t mask, int32_t line) {
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (!f->Matches(mask, line)) continue;
    if (f->start > t) return nullptr;
    if (t < f->end) return f;
  }
  return nullptr;
}

bool Film::IsFreeOnLine(int32_t t, int32_t mask, int32_t line) {
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (!f->Matches(mask, line) || f->IsSelected()) continue;
    if (f->start > t) return true;
    if (t < f->end) return false;
  }
  return true;
}

Film* Film::FindLatestEndBefore(int32_t t, int32_t mask, int32_t line) {
  Film* best = nullptr;
  int32_t bestEnd = 0;
  for (Film* f = FilmList.First(); f && f->start < t; f = f->next) {
    if (!f->Matches(mask, line) || f->IsSelected()) continue;
    if (f->end > bestEnd) {
      bestEnd = f->end;
      best = f;
    }
  }
  return best;
}

Film* Film::FindNextOnLine(int32_t t, int32_t mask, int32_t line) {
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->start >= t && f->Matches(mask, line) && !f->IsSelected()) return f;
  }
  return nullptr;
}

bool Film::AnySelected() {
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->IsSelected()) return true;
  }
  return false;
}

bool Film::GetExtent(int32_t& lo, int32_t& hi, int32_t mask, int32_t line) {
  lo = kDayMs;
  hi = 0;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (!f->Matches(mask, line)) continue;
    if (f->start < lo) lo = f->start;
    if (f->end > hi) hi = f->end;
  }
  return lo < hi;
}

bool Film::AnyOverlapping(int32_t a, int32_t b, int32_t mask, int32_t line) {
  for (Film* f = FilmList.First(); f && f->start < b; f = f->next) {
    if (f->Matches(mask, line) && a < f->end) return true;
  }
  return false;
}

bool Film::AnySelectedOverlapping(int32_t a, int32_t b, int32_t mask, int32_t line) {
  for (Film* f = FilmList.First(); f && f->start < b; f = f->next) {
    if (f->IsSelected() && f->Matches(mask, line) && a < f->end) return true;
  }
  return false;
}

bool Film::MidiMatchesList(const FilmListHead& list) const {
  return MidiMatchesList(midi, list);
}

bool Film::MidiMatchesList(MidiSource* midi, const FilmListHead& list) {
  for (Film* f = list.First(); f; f = f->next) {
    if (f->midi && f->midi != midi) return false;
  }
  return midi ? midi->MayBeShared() : true;
}

namespace {

// The loaded sources of one file, looked up again after every step: a
// release may have deleted them.
struct FileSources {
  VideoSource* video = nullptr;
  AudioSource* audio = nullptr;
  MidiSource* midi = nullptr;

  static FileSources Find(const char* name) {
    MediaServices& media = CurrentMediaServices();
    return {media.FindVideoByName(name), media.FindAudioByName(name), media.FindMidiByName(name)};
  }
  bool Any() const { return video || audio || midi; }
};

bool ClipUses(const ClipItem* clip, VideoSource* video, AudioSource* audio, MidiSource* midi) {
  return clip && ((video && clip->GetVideo() == video) || (audio && clip->GetAudio() == audio) ||
                  (midi && clip->GetMidi() == midi));
}

bool AnyFilmUses(const FilmListHead& list, VideoSource* video, AudioSource* audio, MidiSource* midi) {
  for (Film* f = list.First(); f; f = f->next) {
    if (f->Uses(video, audio, midi)) return true;
  }
  return false;
}

}  // namespace

bool Film::RemoveClipEverywhere(const char* fileName, HWND window) {
  FileSources s = FileSources::Find(fileName);
  if (!s.Any()) return true;
  FilmHost& host = CurrentFilmHost();
  const char* caption = GetString(ui_string::kWriteFile);
  bool agreed = false;

  if (AnyFilmUses(FilmList, s.video, s.audio, s.midi)) {
    if (ShowMessage(window, caption, MB_YESNO | MB_ICONEXCLAMATION, GetString(ui_string::kClipUsedInProject),
                    fileName) != IDYES)
      return false;
    agreed = true;
    for (Film* f = FilmList.First(); f;) {
      Film* following = f->next;
      if (f->Uses(s.video, s.audio, s.midi)) {
        // Give back what this film opened of the file, so its handle closes.
        if (s.video && f->video == s.video && s.video->IsOpen()) s.video->EndRead();
        if (s.audio && f->audio == s.audio && s.audio->IsOpen()) s.audio->EndRead();
        if (s.midi && f->midi == s.midi && s.midi->IsOpen()) s.midi->Close();
        if (f->effects && f->effects->IsOpen()) f->effects->Close();
        host.InvalidateClip(f);
        Unlink(f, FilmList);
        delete f;
      }
      f = following;
    }
    host.SetModified(true);
  }

  s = FileSources::Find(fileName);
  if (!s.Any()) return true;
  bool inCollection = false;
  for (int32_t i = 0; i < host.GetClipCount(); ++i) {
    if (ClipUses(host.GetClip(i), s.video, s.audio, s.midi)) inCollection = true;
  }
  if (inCollection) {
    if (!agreed) {
      if (ShowMessage(window, caption, MB_YESNO | MB_ICONEXCLAMATION,
                      GetString(ui_string::kClipUsedInCollection), fileName) != IDYES) {
        return false;
      }
      agreed = true;
    }
    for (int32_t i = host.GetClipCount() - 1; i >= 0; --i) {
      if (ClipUses(host.GetClip(i), s.video, s.audio, s.midi)) delete host.DetachClip(i);
    }
    host.LayoutClips();
    host.SetClipsModified(true);
  }

  s = FileSources::Find(fileName);
  if (!s.Any()) return true;
  for (Film* f = ClipClipboard.First(); f;) {
    Film* following = f->next;
    if (f->Uses(s.video, s.audio, s.midi)) {
      Unlink(f, ClipClipboard);
      delete f;
    }
    f = following;
  }

  s = FileSources::Find(fileName);
  if (!s.Any()) return true;
  if (!agreed) {
    if (ShowMessage(window, caption, MB_YESNO | MB_ICONEXCLAMATION, GetString(ui_string::kClipUsedInUndo),
                    fileName) != IDYES) {
      return false;
    }
    agreed = true;
  }
  host.ClearUndo();
  s = FileSources::Find(fileName);
  if (s.audio && CurrentMediaServices().IsEffectTempFile(s.audio)) {
    ShowMessage(window, caption, MB_ICONEXCLAMATION, GetString(ui_string::kTemporarySoundFile), fileName);
    return false;
  }
  if (s.Any()) {
    ShowMessage(window, caption, MB_ICONHAND, GetString(ui_string::kCannotDeleteClip), fileName);
    return false;
  }
  return true;
}

namespace {

// Holds a reference on each given source while films that hold them are
// deleted, so that none vanishes under the refresh.
class SourceHold {
 public:
  SourceHold(VideoSource* v, AudioSource* a, MidiSource* m) : v_(v), a_(a), m_(m) {
    if (v_) v_->AddRef();
    if (a_) a_->AddRef();
    if (m_) m_->AddRef();
  }
  ~SourceHold() {
    if (m_) m_->Release();
    if (a_) a_->Release();
    if (v_) v_->Release();
  }
  SourceHold(const SourceHold&) = delete;
  SourceHold& operator=(const SourceHold&) = delete;

 private:
  VideoSource* v_;
  AudioSource* a_;
  MidiSource* m_;
};

// Keeps the films of list that use a source only when they fit it again.
bool RefitFilms(FilmListHead& list, bool reload, VideoSource* video, AudioSource* audio, MidiSource* midi,
                bool redraw) {
  bool removed = false;
  FilmHost& host = CurrentFilmHost();
  for (Film* f = list.First(); f;) {
    Film* following = f->next;
    if (f->Uses(video, audio, midi)) {
      if (redraw) host.InvalidateClip(f);
      if (!(reload && f->FitToSources(true))) {
        Film::Unlink(f, list);
        delete f;
        removed = true;
      } else if (redraw) {
        host.InvalidateClip(f);
      }
    }
    f = following;
  }
  return removed;
}

}  // namespace

bool Film::RefreshChangedSources(HWND window, bool reload, bool checkCollection, VideoSource* video,
                                 AudioSource* audio, MidiSource* midi) {
  if (!video && !audio && !midi) return false;
  SourceHold hold(video, audio, midi);
  FilmHost& host = CurrentFilmHost();

  bool usedVideo = false, usedAudio = false, usedMidi = false;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (video && f->video == video) usedVideo = true;
    if (audio && f->audio == audio) usedAudio = true;
    if (midi && f->midi == midi) usedMidi = true;
  }
  bool used = usedVideo || usedAudio || usedMidi;

  const char* shownName = nullptr;
  if (usedVideo && !video->IsDirectPlayable()) {
    shownName = video->GetFileName();
  } else if (usedMidi && midi->GetError() != 0) {
    shownName = midi->GetFileName();
  } else if (audio) {
    const uint16_t tag = audio->GetFormatTag();
    if ((tag != 1 && tag != 3) || (usedAudio && !audio->IsDirectFormat())) shownName = audio->GetFileName();
  }
  const bool typeChanged = shownName != nullptr;

  if (!used && checkCollection) {
    for (int32_t i = 0; i < host.GetClipCount() && !used; ++i) {
      if (ClipUses(host.GetClip(i), video, audio, midi)) used = true;
    }
  }

  if (reload) {
    if (typeChanged) {
      ShowMessage(nullptr, "Kobrix", MB_ICONEXCLAMATION, GetString(ui_string::kFileTypeChanged), shownName);
      reload = false;
    } else if (!used) {
      reload = false;
    } else {
      const char* name = video ? video->GetFileName() : audio ? audio->GetFileName() : midi->GetFileName();
      reload = ShowMessage(nullptr, "Kobrix", MB_YESNO | MB_ICONQUESTION,
                           GetString(ui_string::kFileTimeChanged), name) == IDYES;
    }
  }

  if (reload) {
    // Each source re-reads its own file; a copy of the name, as reloading
    // may rewrite the source's own field.
    if (video) {
      std::string name = video->GetFileName();
      video->Reload(name.c_str());
    }
    if (audio) {
      std::string name = audio->GetFileName();
      audio->Reload(name.c_str());
    }
    if (midi) {
      std::string name = midi->GetFileName();
      midi->Reload(name.c_str());
    }
  }

  if (RefitFilms(FilmList, reload, video, audio, midi, true)) host.SetModified(true);
  for (int32_t i = host.GetClipCount() - 1; i >= 0; --i) {
    if (!ClipUses(host.GetClip(i), video, audio, midi)) continue;
    if (!(reload && host.RefreshClip(i))) host.DeleteClip(i);
  }
  RefitFilms(ClipClipboard, reload, video, audio, midi, false);
  host.DropUndoSource(reload, video, audio, midi);
  return used;
}
