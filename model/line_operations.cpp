// Operations on whole lines: exchanging two rows or lines, clearing solo
// and mute, repainting the headers of the shown groups.
#include <algorithm>
#include <iterator>
#include <utility>

#include "model/film.h"
#include "model/film_list.h"
#include "model/timeline_engine.h"

namespace {

void DropPictures(Film* f) {
  for (Thumbnail** picture : {&f->inPicture, &f->outPicture}) {
    if (Thumbnail* held = *picture) {
      *picture = nullptr;
      held->Release();
    }
  }
}

}  // namespace

bool TimeLineEngine::SwapLines(int32_t kind, int32_t a, int32_t b) {
  TrackPanel* panel = nullptr;
  if (kind == kLineVideo && a >= 0 && a < 2 && b >= 0 && b < 2) {
    panel = &videoPanel;
  } else if (kind == kLineAudio && a >= 0 && a < audioLineCount && b >= 0 && b < audioLineCount) {
    panel = &audioPanel;
  }
  // Exchanging a line with itself would change nothing but take an undo step.
  if (!panel || a == b) return false;
  MarkUndo(kUndoEdit);

  const int32_t lo = a < b ? a : b;
  const int32_t hi = a < b ? b : a;
  TrackRecord& low = (*panel)[lo];
  TrackRecord& high = (*panel)[hi];
  char lowName[kTrackNameSize];
  char highName[kTrackNameSize];
  std::copy(std::begin(low.name), std::end(low.name), lowName);
  std::copy(std::begin(high.name), std::end(high.name), highName);
  const int32_t lowZoom = low.zoom;
  const int32_t highZoom = high.zoom;
  const int32_t lowTop = low.top;
  struct Mix {
    int32_t gain, pan;
    uint8_t solo, mute;
  };
  const Mix lowValues = {low.gain, low.pan, low.solo, low.mute};
  const Mix highValues = {high.gain, high.pan, high.solo, high.mute};
  // The lists leave the records first, so that setting them up releases nothing.
  EffectChain* lowEffects = std::exchange(low.effects, nullptr);
  EffectChain* highEffects = std::exchange(high.effects, nullptr);

  low.SetUp(highName, highZoom, lowTop);
  high.SetUp(lowName, lowZoom, lowTop + rowGap + low.height);
  low.gain = highValues.gain;
  low.pan = highValues.pan;
  low.solo = highValues.solo;
  low.mute = highValues.mute;
  high.gain = lowValues.gain;
  high.pan = lowValues.pan;
  high.solo = lowValues.solo;
  high.mute = lowValues.mute;
  low.effects = highEffects;
  high.effects = lowEffects;
  // Restack the panel: lines between two that were not neighbours move too.
  panel->Layout(rowGap);

  for (Film* f = FilmList.First(); f; f = f->next) {
    if (kind == kLineVideo && f->video && (f->videoRow == a || f->videoRow == b)) {
      f->videoRow = f->videoRow == a ? b : a;
      // The pictures are fetched again at the new row's height.
      if (lowZoom != highZoom) DropPictures(f);
    } else if (kind == kLineAudio && f->audio && (f->audioLine == a || f->audioLine == b)) {
      f->audioLine = f->audioLine == a ? b : a;
    }
  }

  ZoomChanged(false);
  SetModified(true);

  if (kind == kLineAudio) {
    // Keep line b in view.
    if (b < audioPanel.firstShown) {
      if (view_) view_->ScrollAudioLinesTo(b);
    } else if (audioPanel[b].middle >= audioPanel.clientHeight) {
      int32_t left = audioPanel[b].height;
      int32_t line = audioPanel.firstShown;
      while (left > 0 && line < audioLineCount - 1) {
        left -= audioPanel[line].height;
        ++line;
      }
      if (view_) view_->ScrollAudioLinesTo(line);
    }
    players_->NotifyMixer(kMixerRefresh, 0);
  }
  return true;
}

void TimeLineEngine::ClearSolo() {
  videoPanel.ClearSoloFlags();
  audioPanel.ClearSoloFlags();
  midiPanel.ClearSoloFlags();
}

void TimeLineEngine::ClearMute() {
  videoPanel.ClearMuteFlags();
  audioPanel.ClearMuteFlags();
  midiPanel.ClearMuteFlags();
}

void TimeLineEngine::InvalidateEnabledLines() {
  if (!view_) return;
  const int32_t kinds =
      (showVideo ? kLineVideo : 0) | (showAudio ? kLineAudio : 0) | (showMidi ? kLineMidi : 0);
  if (kinds) view_->InvalidateHeaders(kinds);
}
