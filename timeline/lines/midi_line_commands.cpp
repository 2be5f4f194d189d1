// The popup menu of the MIDI line, over empty space and over a clip, and
// its commands; among them a clip's speed and its volume.
#include <algorithm>

#include "audio/midi_data.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "platform/gui/menu.h"
#include "resources/timeline_ids.h"
#include "timeline/lines/midi_line.h"
#include "timeline/window/main_timeline_window.h"

namespace {

constexpr uint32_t kUsPerMinute = 60000000;

int32_t ToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The clip speed (per mille) that plays a quarter of q us at bpm.
int32_t SpeedOfBpm(uint32_t q, int32_t bpm) {
  if (bpm <= 0) return 0;
  const uint32_t quarter = MulDivRound(q, static_cast<DWORD>(bpm), 1000);
  return quarter == 0
             ? 0
             : static_cast<int32_t>(std::min<uint32_t>(MulDivRound(kUsPerMinute, 1, quarter), INT32_MAX));
}

// A source time at speed from, the same music at speed to.
int64_t Rescale(int64_t t, int32_t from, int32_t to) {
  const int64_t asWritten = (t * 1000 + from / 2) / from;
  return (asWritten * to + 500) / 1000;
}

// The marks of a clip moved with its music to the new speed, in order; two
// marks that would meet keep a millisecond apart.
void RescaleMarks(MarkList& marks, int32_t from, int32_t to) {
  MarkList moved;
  int64_t last = INT64_MIN;
  for (const Mark& m : marks) {
    int64_t t = (int64_t{m.time} * to + from / 2) / from;
    if (t <= last) t = last + 1;
    last = t;
    if (!moved.AddMark(ToInt32(t))) continue;
    const int32_t i = moved.Count() - 1;
    moved.SetName(i, m.name);
    moved.SetGroup(i, m.group);
  }
  marks = moved;
}

}  // namespace

const std::vector<TResponseTableEntry>& TMidiLine::CommandEntries() {
  using TMyClass = TMidiLine;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmAddMark, CmAddMark),
      EV_COMMAND(kCmTempo, CmTempo),
      EV_COMMAND(kCmClipVolume, CmClipVolume),
      EV_COMMAND(kCmMidiEditor, CmEditor),
  };
  return entries;
}

const char* TMidiLine::EditorPath() {
  return timeline_.Settings().midiEditor;
}

void TMidiLine::AppendClipItems(HMENU menu, Film&) {
  AppendMenuItem(menu, kCmClipVolume, ui_string::kClipVolumeItem);
  AppendMenuItem(menu, kCmTempo, ui_string::kTempoItem);
}

// ---- Marks: a MIDI clip takes them anywhere, between frames too.

void TMidiLine::CmAddMark() {
  Film* film = MenuFilm();
  if (film == nullptr) return;
  TimeLineEngine& e = timeline_.Engine();
  const int64_t pixels = int64_t{menuPoint_.x} - e.PosToPixelUnclamped(film->origin);
  AddClipMark(timeline_, film, e.PixelsToTime(ToInt32(pixels)), menuPoint_.x);
}

// ---- Speed and volume.

void TMidiLine::CmTempo() {
  Film* film = MenuFilm();
  if (film == nullptr || film->video != nullptr || film->audio != nullptr) return;
  auto* midi = dynamic_cast<MidiData*>(film->midi);
  const int32_t speed = film->tempo;
  if (midi == nullptr || speed <= 0 || midi->GetTempoEntryCount() == 0) return;
  TimeLineEngine& e = timeline_.Engine();

  // The entry of the map that plays at the menu's point.
  int64_t s = int64_t{e.PixelToPosUnclamped(menuPoint_.x)} - film->origin;
  s = std::clamp<int64_t>(s, film->in, std::max(film->out - 1, film->in));
  int32_t i = 0;
  for (; i < midi->GetTempoEntryCount() - 1; ++i) {
    s -= midi->EntryLength(i, speed);
    if (s < 0) break;
  }
  const uint32_t q = midi->GetTempoEntry(i).tempo;
  const uint32_t atSpeed = MulDivRound(q, static_cast<DWORD>(speed), 1000);
  if (q == 0 || atSpeed == 0) return;
  const int32_t standard = static_cast<int32_t>(MulDivRound(kUsPerMinute, 1, q));
  int32_t lo = static_cast<int32_t>(MulDivRound(kUsPerMinute / 5, 1, q));
  const int32_t hi = static_cast<int32_t>(MulDivRound(kUsPerMinute * 2, 1, q));
  int32_t bpm = static_cast<int32_t>(MulDivRound(kUsPerMinute, 1, atSpeed));

  // Slower no further than the next MIDI clip allows. One that starts with
  // this clip or before it leaves no gap to fit into.
  Film* next = film->next;
  while (next != nullptr && next->midi == nullptr) next = next->next;
  if (next != nullptr && next->start > film->start) {
    const int64_t gap = int64_t{next->start} - film->start;
    int64_t need = ((int64_t{film->end} - film->start) * bpm + gap / 2) / gap;
    const int32_t needSpeed = SpeedOfBpm(q, ToInt32(need));
    if (needSpeed > 0 && Rescale(film->out, speed, needSpeed) - Rescale(film->in, speed, needSpeed) > gap) {
      ++need;
    }
    lo = std::max(lo, ToInt32(need));
  }

  if (!CurrentLineDialogs().EditTempo(HWindow, bpm, standard, lo, hi)) return;
  // The dialog ran a while: the clip must still be there.
  if (MenuFilm() != film) return;
  const int32_t newSpeed = SpeedOfBpm(q, bpm);
  if (newSpeed <= 0 || newSpeed == speed) return;

  e.MarkUndo(kUndoEdit);
  film->in = ToInt32(Rescale(film->in, speed, newSpeed));
  film->out = ToInt32(Rescale(film->out, speed, newSpeed));
  film->sourceLength = ToInt32(int64_t{midi->GetLength()} * newSpeed / 1000);
  film->end = ToInt32(int64_t{film->start} + film->out - film->in);
  film->ComputeOrigin();
  RescaleMarks(film->marks, speed, newSpeed);
  film->tempo = newSpeed;
  Invalidate(false);
  RedrawOverviewNow(timeline_);
  e.SetModified(true);
  if (film->end > e.length) e.SetLength(ToInt32(std::min<int64_t>(int64_t{film->end} + 1000, kDayMs)));
}

// The popup edits the volume in place; whatever it answers, the step is
// taken and the project counts as changed.
void TMidiLine::CmClipVolume() {
  Film* film = MenuFilm();
  if (film == nullptr) return;
  TimeLineEngine& e = timeline_.Engine();
  const TRect client = GetClientRect();
  const TRect column(e.PosToPixel(film->start) - 1, client.top, e.PosToPixel(film->end) + 1, client.bottom);
  e.MarkUndo(kUndoEdit);
  int32_t second = film->volume;
  CurrentLineDialogs().EditLevel(HWindow, GetString(ui_string::kClipCaption), column, menuPoint_.x,
                                 menuPoint_.y, &film->volume, &second);
  Invalidate(false);
  e.SetModified(true);
}
