#include "model/timeline_engine.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "model/changed_ranges.h"
#include "model/edit_operations.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/levels.h"
#include "model/mark_list.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_strings.h"

namespace {

int32_t ToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// a * b / c rounded half away from zero; c > 0.
int64_t MulDivRound64(int64_t a, int64_t b, int64_t c) {
  const int64_t p = a * b;
  return p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c);
}

void CopyName(char (&to)[kTrackNameSize], const char* from) {
  std::memcpy(to, from, kTrackNameSize);
  to[kTrackNameSize - 1] = '\0';
}

}  // namespace

TimeLineEngine::TimeLineEngine() {
  factor = DefaultFactor();
  videoPanel.Layout(rowGap);
  audioPanel.Layout(rowGap);
}

TimeLineEngine::~TimeLineEngine() {
  ReleaseChain(masterEffects);
}

void TimeLineEngine::AttachView(TimeLineView* view) {
  view_ = view;
  UndoScript::SetOwnerWindow(Owner());
}

void TimeLineEngine::SetPlayers(TimeLinePlayers* players) {
  players_ = players ? players : &defaultPlayers_;
}

// ---- The Film model's host.

int32_t TimeLineEngine::TimeToPixels(int32_t ms) {
  return ::TimeToPixels(ms, factor, scale);
}

int32_t TimeLineEngine::PixelsToTime(int32_t pixels) {
  return ::PixelsToTime(pixels, factor, scale);
}

int32_t TimeLineEngine::LineGain(int32_t line) {
  return line >= 0 && line < audioPanel.rowCount ? audioPanel[line].gain : kGainUnity;
}

int32_t TimeLineEngine::LinePan(int32_t line) {
  return line >= 0 && line < audioPanel.rowCount ? audioPanel[line].pan : 0;
}

void TimeLineEngine::ShowStatusText(const char* text) {
  if (view_) view_->ShowStatusText(text ? text : "");
}

void TimeLineEngine::InvalidateFilmStrips(const Film* film, int32_t x0, int32_t x1) {
  if (film->video) {
    view_->InvalidateStrip(kLineVideo, film->videoRow, x0, x1);
    view_->InvalidateStrip(kLineVfx, 0, x0, x1);
  }
  if (film->midi) view_->InvalidateStrip(kLineMidi, 0, x0, x1);
  if (film->audio) view_->InvalidateStrip(kLineAudio, film->audioLine, x0, x1);
  view_->InvalidateTimeDisplay();
}

void TimeLineEngine::InvalidateClip(Film* film) {
  if (!film) return;
  if (film->audio) WidenChangedRange(film->audioLine, film->start, film->end);
  if (!view_) return;
  const int32_t x0 = ToInt32(static_cast<int64_t>(PosToPixelUnclamped(film->start)) - 1);
  const int32_t x1 = ToInt32(static_cast<int64_t>(PosToPixelUnclamped(film->end)) + 1);
  InvalidateFilmStrips(film, x0, x1);
}

void TimeLineEngine::SetModified(bool modified) {
  if (modified != modified_) {
    modified_ = modified;
    if (view_) view_->ShowModified(modified);
  }
  if (modified) AutosaveDirty = true;
}

// ---- The clip collection.

int32_t TimeLineEngine::GetClipCount() {
  return collection_ ? collection_->ClipCount() : 0;
}

ClipItem* TimeLineEngine::GetClip(int32_t index) {
  return collection_ ? collection_->ClipAt(index) : nullptr;
}

ClipItem* TimeLineEngine::DetachClip(int32_t index) {
  return collection_ ? collection_->TakeClip(index) : nullptr;
}

void TimeLineEngine::LayoutClips() {
  if (collection_) collection_->RelayoutClips();
}

void TimeLineEngine::SetClipsModified(bool modified) {
  if (collection_) collection_->MarkClipsModified(modified);
}

bool TimeLineEngine::RefreshClip(int32_t index) {
  return collection_ && collection_->RefreshClipAt(index);
}

void TimeLineEngine::DeleteClip(int32_t index) {
  if (collection_) collection_->DeleteClipAt(index);
}

// ---- Redraw requests.

void TimeLineEngine::InvalidateLineRange(int32_t start, int32_t end, Film* film) {
  if (!film) return;
  if (film->audio) WidenChangedRange(film->audioLine, start, end);
  if (!view_) return;
  const int32_t x0 = ToInt32(static_cast<int64_t>(PosToPixelUnclamped(start)) - 1);
  const int32_t x1 = ToInt32(static_cast<int64_t>(PosToPixelUnclamped(end)) + 1);
  InvalidateFilmStrips(film, x0, x1);
}

void TimeLineEngine::InvalidateClipRange(int32_t x0, int32_t x1, Film* film) {
  if (!film || !view_) return;
  InvalidateFilmStrips(film, x0, x1);
}

void TimeLineEngine::InvalidateLines() {
  if (view_) view_->InvalidateLines();
}

void TimeLineEngine::UpdateLines() {
  if (view_) view_->UpdateLines();
}

// ---- The play cursor.

void TimeLineEngine::InvalidateCursor(bool onLines) {
  if (!view_) return;
  const int64_t x = PosToPixelUnclamped(cursor);
  view_->InvalidateCursorStrip(ToInt32(x - 1), ToInt32(x + 2), onLines);
}

void TimeLineEngine::SetPlayCursor(int32_t time, bool preview, HWND window) {
  if (preview && playing) return;
  const bool onLines = !(playing && hidePlaybackCursor);
  InvalidateCursor(onLines);
  const int32_t t = std::clamp(time, 0, std::max(length - 1, 0));
  if (t == cursor) return;
  cursor = t;
  InvalidateCursor(onLines);
  if (view_) view_->InvalidateTimeDisplay();
  if (preview && showVideo) PreviewFrameAt(t, window);
}

// ---- Time and x.

int32_t TimeLineEngine::PosToPixelUnclamped(int32_t t) {
  return ToInt32(static_cast<int64_t>(TimeToPixels(t)) - TimeToPixels(origin));
}

int32_t TimeLineEngine::PosToPixel(int32_t t) {
  return std::clamp(PosToPixelUnclamped(t), 0, std::max(width, 0));
}

int32_t TimeLineEngine::PixelToPosUnclamped(int32_t x) {
  return PixelsToTime(ToInt32(static_cast<int64_t>(TimeToPixels(origin)) + x));
}

int32_t TimeLineEngine::PixelToPos(int32_t x) {
  return std::clamp(PixelToPosUnclamped(x), 0, std::max(length - 1, 0));
}

int32_t TimeLineEngine::ScrollStep() const {
  const int64_t s = std::max(scale, 1);
  const int64_t len = std::max(length, 1);
  return ToInt32(s * ((len - 1) / s / kMaxScrollPositions + 1));
}

int32_t TimeLineEngine::VisibleSpan() {
  return PixelsToTime(width);
}

int32_t TimeLineEngine::SnapToFrame(int32_t ms) const {
  return ::SnapToFrame(ms, alignToFrame);
}

// ---- Length and audio lines.

bool TimeLineEngine::ChangeLength(int32_t newLength, int32_t lines) {
  if (playing) {
    ErrorBoxPlain(Owner(), kErrPlaying, GetString(ui_string::kSetScriptSize));
    return false;
  }
  const int32_t before = length;
  SetLength(newLength);
  SetAudioLineCount(lines);
  if (length != before) SetModified(true);
  return true;
}

bool TimeLineEngine::SetLength(int32_t newLength) {
  if (playing) {
    ErrorBoxPlain(Owner(), kErrPlaying, GetString(ui_string::kSetScriptSize));
    return false;
  }
  for (Film* f = FilmList.First(); f; f = f->next) newLength = std::max(newLength, f->end);
  newLength = std::clamp(newLength, 1, kDayMs);
  if (newLength == length) return true;
  length = newLength;
  if (view_) {
    const int32_t labels = (std::max(width, 1) - 1) / std::max(LabelSpacing(), 1) + 1;
    view_->SetScaleRange(1, length / labels);
  }
  ZoomToRange(origin, ToInt32(static_cast<int64_t>(origin) + VisibleSpan()));
  if (cursor >= length) SetPlayCursor(length, false);
  return true;
}

bool TimeLineEngine::SetAudioLineCount(int32_t lines) {
  if (playing) {
    ErrorBoxPlain(Owner(), kErrPlaying, GetString(ui_string::kSetAudioTrackCount));
    return false;
  }
  int32_t n = std::clamp(lines, 1, kAudioLineCount);
  const int32_t old = audioLineCount;

  if (n < old) {
    int32_t first = kAudioLineCount, last = -1;
    for (Film* f = FilmList.First(); f; f = f->next) {
      if (!f->audio || f->audioLine < 0 || f->audioLine >= kAudioLineCount) continue;
      first = std::min(first, f->audioLine);
      last = std::max(last, f->audioLine);
    }
    if (last >= 0) {
      n = std::max(n, last - first + 1);
      if (last >= n) {
        MarkUndo(kUndoClipStep);
        const int32_t shift = last - n + 1;
        for (Film* f = FilmList.First(); f; f = f->next) {
          if (f->audio) f->audioLine -= shift;
        }
        // The vacated lines' changes must still be mixed again: they go
        // with each line that moves onto them.
        TimeRange vacated;
        for (int32_t i = 0; i < shift; ++i) vacated.Widen(LineChangedRange[i]);
        for (int32_t i = 0; i + shift < kAudioLineCount; ++i) {
          LineChangedRange[i] = LineChangedRange[i + shift];
          LineChangedRange[i].Widen(vacated);
        }
        for (int32_t i = kAudioLineCount - shift; i < kAudioLineCount; ++i) LineChangedRange[i].Clear();
      }
    }
  }

  int32_t extra = 0;
  for (int32_t i = old; i < n; ++i) {
    TrackRecord& r = audioPanel[i];
    r.solo = 0;
    r.mute = 0;
    r.gain = kGainUnity;
    r.pan = 0;
    r.zoom = 2;
    r.height = TrackHeightOfZoom(2);
    r.Place(i > 0 ? audioPanel[i - 1].bottom + 1 + rowGap : 0);
    r.ReleaseEffects();
    extra += r.height + rowGap;
  }

  if (n != old) {
    audioLineCount = n;
    if (view_) view_->LayoutHeaders();
    UpdateFrameLayout(extra);
    ZoomChanged(false);
    SetModified(true);
  }
  for (int32_t i = n; i < kAudioLineCount; ++i) {
    audioPanel[i].solo = 0;
    audioPanel[i].mute = 1;
  }
  players_->NotifyMixer(kMixerLineCount, n);
  return true;
}

// ---- The view.

void TimeLineEngine::SetTimeAreaWidth(int32_t pixels) {
  width = std::max(pixels, 1);
}

void TimeLineEngine::SetPixelUnit(int32_t unit) {
  pixelUnit_ = std::max(unit, 2);
}

int32_t TimeLineEngine::DefaultFactor() const {
  return std::max(3 * (2 * pixelUnit_ / 3) / 2, 1);
}

int32_t TimeLineEngine::LabelSpacing() const {
  return 2 * (2 * pixelUnit_ / 3);
}

int32_t TimeLineEngine::SelectScale(int32_t value) {
  value = std::max(value, 1);
  return view_ ? std::max(view_->SelectScale(value), 1) : value;
}

void TimeLineEngine::LimitFactor() {
  if (factor < 1) factor = 1;
  if (scale < 1) scale = 1;
  if (length < 1) return;
  if (MulDivRound64(length, factor, INT32_MAX) >= scale) {
    factor = ToInt32(std::max<int64_t>(static_cast<int64_t>(INT32_MAX) * scale / length, 1));
  }
}

void TimeLineEngine::ZoomToRange(int32_t start, int32_t end) {
  if (end > length) end = length;
  int32_t snappedEnd = SnapToFrame(end);
  if (snappedEnd < end) snappedEnd = MsAddFrames(snappedEnd, 1);
  if (start > length) start = 0;
  start = std::max(SnapToFrame(start), 0);
  if (snappedEnd <= start) return;
  const int64_t span = static_cast<int64_t>(snappedEnd) - start;
  const int64_t w = std::max(width, 1);
  origin = start;
  factor = DefaultFactor();
  scale = SelectScale(ToInt32(MulDivRound64(span, factor, w)));
  factor = ToInt32(std::max<int64_t>(MulDivRound64(w, scale, span), 1));
  UpdateScrollRange();
}

void TimeLineEngine::SetZoom(int32_t newScale) {
  const int32_t s = SelectScale(newScale);
  if (s == scale) return;
  const int32_t cursorX = PosToPixelUnclamped(cursor);
  const bool cursorShown = cursorX >= 0 && cursorX <= width;
  const int32_t anchorX = cursorShown ? cursorX : width / 2;
  const bool leftHalf = cursorShown && cursorX < width / 2;
  const int32_t anchorTime = PixelToPosUnclamped(anchorX);

  scale = s;
  factor = DefaultFactor();
  LimitFactor();
  origin = PixelsToTime(ToInt32(static_cast<int64_t>(TimeToPixels(anchorTime)) - anchorX));
  UpdateScrollRange();
  if (leftHalf && PosToPixelUnclamped(cursor) < anchorX && origin >= ScrollStep()) {
    origin -= ScrollStep();
    UpdateScrollRange();
  }
}

void TimeLineEngine::UpdateScrollRange() {
  LimitFactor();
  gravityDistanceMs = PixelsToTime(gravityDistance);
  hitDistanceMs = PixelsToTime(hitDistance);
  const int64_t step = ScrollStep();
  const int64_t span = VisibleSpan();
  if (origin > length - span) origin = ToInt32(length - span);
  if (origin < 0) origin = 0;
  // Nothing to scroll once the whole length is in view.
  const int64_t room = static_cast<int64_t>(length) - span - 1;
  const int64_t positions = room < 0 ? 0 : room / step + 1;
  if (positions < 1) {
    origin = 0;
    if (view_) view_->SetScrollBar(false, 0, 0, 0);
  } else {
    if (origin > step * positions) origin = ToInt32(step * positions);
    if (view_) {
      view_->SetScrollBar(true, ToInt32(positions), ToInt32(span / std::max(scale, 1)),
                          ToInt32(origin / step));
    }
  }
  ZoomChanged(false);
  RecalcClipOrigins();
}

void TimeLineEngine::ZoomChanged(bool rezoom) {
  if (view_) {
    view_->FillScaleList();
    const int32_t nearest = SelectScale(scale);
    if (rezoom && nearest != scale && !inRezoom_) {
      inRezoom_ = true;
      ZoomToRange(origin, ToInt32(static_cast<int64_t>(origin) + VisibleSpan()));
      inRezoom_ = false;
    }
  }
  UpdateMarkRange();
  if (view_) view_->InvalidateAll();
}

void TimeLineEngine::UpdateFrameLayout(int32_t extraHeight) {
  if (view_) view_->UpdateFrameLayout(extraHeight);
}

void TimeLineEngine::RecalcClipOrigins() {
  for (Film* f = FilmList.First(); f; f = f->next) {
    f->origin = PixelsToTime(TimeToPixels(ToInt32(static_cast<int64_t>(f->start) - f->in)));
  }
}

// ---- Undo.

const TimeLineState& TimeLineEngine::GetTimeLineState() {
  TimeLineState& s = state_;
  for (int32_t i = 0; i < 4; ++i) {
    const TrackRecord& r = audioPanel[i];
    s.audio[i] = {r.gain, r.pan, r.effects};
    CopyName(s.audioNames[i], r.name);
    s.audioSolo[i] = r.solo;
    s.audioMute[i] = r.mute;
    s.audioZoom[i] = r.zoom;
  }
  for (int32_t i = 0; i < 2; ++i) {
    const TrackRecord& r = videoPanel[i];
    CopyName(s.videoNames[i], r.name);
    s.videoSolo[i] = r.solo;
    s.videoMute[i] = r.mute;
    s.videoZoom[i] = r.zoom;
  }
  CopyName(s.midiName, midiPanel[0].name);
  s.midiSolo = midiPanel[0].solo;
  s.midiMute = midiPanel[0].mute;
  s.midiGain = midiPanel[0].gain;
  s.masterGain = masterGain;
  s.masterPan = masterPan;
  s.masterEffects = masterEffects;
  s.audioLineCount = audioLineCount;
  s.selStart = selStart;
  s.selEnd = selEnd;
  s.length = length;
  s.origin = origin;
  s.scale = scale;
  s.zoomPixels = factor;
  s.modified = modified_ ? 1 : 0;
  s.firstAudioRow = audioPanel.firstShown;
  s.audioAreaExtent = view_ ? view_->AudioAreaExtent() : 0;
  return s;
}

void TimeLineEngine::MarkUndo(uint32_t flags) {
  UndoScript::Mark(flags, ProjectMarks, GetTimeLineState());
}

bool TimeLineEngine::CeUndo() const {
  return !playing && UndoScript::CanUndo();
}

bool TimeLineEngine::CeRedo() const {
  return !playing && UndoScript::CanRedo();
}

namespace {

// Copies of a snapshot's films, made before anything changes so that a lack
// of memory leaves the project as it is.
bool CopyFilms(const FilmListHead& from, FilmListHead& to, HWND owner, const char* caption) {
  for (Film* f = from.First(); f; f = f->next) {
    Film* copy = nullptr;
    try {
      copy = new Film(*f, kKindVideo | kKindAudio | kKindMidi);
    } catch (const std::bad_alloc&) {
      to.Clear();
      ErrorBox(owner, kErrNoMemory, caption, static_cast<int32_t>(sizeof(Film)));
      return false;
    }
    Film::Append(copy, to);
  }
  return true;
}

}  // namespace

bool TimeLineEngine::CmUndo() {
  if (playing) {
    ErrorBoxPlain(Owner(), kErrPlaying, GetString(ui_string::kUndo));
    return false;
  }
  if (!UndoScript::CanUndo()) return false;
  FilmListHead films;
  if (!CopyFilms(UndoScript::Slot(UndoScript::Current() + 1)->films, films, Owner(),
                 GetString(ui_string::kUndo))) {
    return false;
  }
  UndoScript::Take(FilmList, ProjectMarks, GetTimeLineState(), false);
  UndoScript* snapshot = UndoScript::StepOlder();
  if (!snapshot) return false;
  Restore(*snapshot, films);
  return true;
}

bool TimeLineEngine::CmRedo() {
  if (playing) {
    ErrorBoxPlain(Owner(), kErrPlaying, GetString(ui_string::kRedo));
    return false;
  }
  if (!UndoScript::CanRedo()) return false;
  FilmListHead films;
  if (!CopyFilms(UndoScript::Slot(UndoScript::Current() - 1)->films, films, Owner(),
                 GetString(ui_string::kRedo))) {
    return false;
  }
  UndoScript* snapshot = UndoScript::StepNewer();
  if (!snapshot) return false;
  Restore(*snapshot, films);
  return true;
}

void TimeLineEngine::RestoreEffects(EffectChain*& held, EffectChain* restored) {
  if (restored) {
    restored->AddRef();
    restored->Open(nullptr);
  }
  EffectChain* old = held;
  held = restored;
  ReleaseChain(old);
}

void TimeLineEngine::TakeOff(FilmListHead& films) {
  for (Film* f = films.First(); f; f = f->next) {
    if (f->video && f->video->IsOpen()) f->video->EndRead();
    if (f->audio && f->audio->IsOpen()) f->audio->EndRead();
    if (f->effects && f->effects->IsOpen()) f->effects->Close();
    if (f->midi && f->midi->IsOpen()) f->midi->Close();
  }
  films.Clear();
}

void TimeLineEngine::Restore(const UndoScript& snapshot, FilmListHead& films) {
  const TimeLineState& s = snapshot.state;
  FilmListHead aside;
  aside.Swap(FilmList);
  UndoScript::SetPending(0);

  length = std::clamp(s.length, 1, kDayMs);
  origin = s.origin;
  factor = std::max(s.zoomPixels, 1);
  scale = SelectScale(s.scale);

  // The copies are in start order already; each is opened for use as a
  // clip placed on the time-line.
  uint32_t pending = 0;
  while (Film* f = films.First()) {
    Film::Unlink(f, films);
    Film::Append(f, FilmList);
    if (f->video) f->video->BeginRead();
    if (f->audio) f->audio->BeginRead();
    if (f->effects) f->effects->Open(f->audio);
    if (f->midi) f->midi->Open();
    f->origin = PixelsToTime(TimeToPixels(ToInt32(static_cast<int64_t>(f->start) - f->in)));
    if (f->IsSelected()) pending |= kUndoDeselect;
  }
  UndoScript::SetPending(pending);

  PlayFileRange = snapshot.playFileRange;
  for (int32_t i = 0; i < kAudioLineCount; ++i) {
    LineFileRange[i] = snapshot.lineFileRange[i];
    LineChangedRange[i] = snapshot.lineChangedRange[i];
  }

  for (int32_t i = 0; i < 4; ++i) {
    TrackRecord& r = audioPanel[i];
    r.SetName(s.audioNames[i]);
    r.gain = s.audio[i].gain;
    r.pan = s.audio[i].pan;
    r.solo = s.audioSolo[i];
    r.mute = s.audioMute[i];
    r.SetZoom(s.audioZoom[i]);
    RestoreEffects(r.effects, s.audio[i].effects);
  }
  audioPanel.firstShown = std::clamp(s.firstAudioRow, 0, audioPanel.rowCount - 1);
  audioPanel.Layout(rowGap);
  for (int32_t i = 0; i < 2; ++i) {
    TrackRecord& r = videoPanel[i];
    r.SetName(s.videoNames[i]);
    r.solo = s.videoSolo[i];
    r.mute = s.videoMute[i];
    r.SetZoom(s.videoZoom[i]);
    r.gain = kGainUnity;
    r.pan = 0;
    r.ReleaseEffects();
  }
  videoPanel.Layout(rowGap);
  TrackRecord& midi = midiPanel[0];
  midi.SetName(s.midiName);
  midi.solo = s.midiSolo;
  midi.mute = s.midiMute;
  midi.gain = s.midiGain;

  masterGain = s.masterGain;
  masterPan = s.masterPan;
  RestoreEffects(masterEffects, s.masterEffects);

  const int32_t lines = std::clamp(s.audioLineCount, 1, kAudioLineCount);
  const bool linesChanged = lines != audioLineCount;
  audioLineCount = lines;
  if (view_) view_->LayoutHeaders();

  ProjectMarks = snapshot.marks;
  if (view_) view_->InvalidateRuler();
  SetMarkRange(s.selStart, s.selEnd);
  SetModified(s.modified != 0);

  TakeOff(aside);

  UpdateScrollRange();
  if (linesChanged) players_->NotifyMixer(kMixerLineCount, audioLineCount);
  players_->NotifyMixer(kMixerRefresh, 0);
  if (view_) {
    const int32_t difference = s.audioAreaExtent - view_->AudioAreaExtent();
    if (difference != 0) UpdateFrameLayout(difference);
  }
}
