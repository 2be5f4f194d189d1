// The VFX and MIDI lines in the time-line window, driven with the mouse and
// the keys: the video rows' fixture with the program's transition service
// among the players, the MIDI line shown (the layout keeps it hidden),
// MIDI files written with a chosen tempo map, and the dialogs the lines
// ask scripted.
#pragma once

#include <string>
#include <vector>

#include "audio/midi_data.h"
#include "audio/midi_fixtures.h"
#include "model/players.h"
#include "timeline/lines/midi_line.h"
#include "timeline/lines/vfx_line.h"
#include "timeline/lines/video/video_line_fixture.h"

namespace linestest {

using namespace videolinetest;

class TransitionPlayers : public RecordingPlayers {
 public:
  VFX* Transitions() override { return &vfx; }
  VFX vfx;
};

struct LevelAsked {
  std::string caption;
  RECT rect;
  int x, y;
  int32_t gain;
};

struct TempoAsked {
  int32_t bpm, standard, lo, hi;
  bool operator==(const TempoAsked&) const = default;
};

// The level popup, the tempo dialog and the transition choice answer as
// scripted and keep what they were asked.
class OtherLineDialogs : public ScriptedDialogs {
 public:
  bool EditLevel(HWND, const char* caption, const RECT& rect, int x, int y, int32_t* gain,
                 int32_t* gain2) override {
    levels.push_back({caption, rect, x, y, *gain});
    // The popup changes the value live; Cancel puts it back.
    const int32_t before = *gain;
    *gain = *gain2 = level;
    if (!ok) *gain = *gain2 = before;
    return ok;
  }
  bool EditTempo(HWND, int32_t& bpm, int32_t standard, int32_t lo, int32_t hi) override {
    tempos.push_back({bpm, standard, lo, hi});
    if (!ok) return false;
    bpm = chosenBpm;
    return true;
  }
  bool SelectTransition(HWND, int32_t& kind, uint32_t& parameter) override {
    transitions.push_back({kind, static_cast<int>(parameter)});
    if (!ok) return false;
    kind = chosenKind;
    parameter = chosenParameter;
    return true;
  }

  int32_t level = 512;
  int32_t chosenBpm = 0;
  int32_t chosenKind = 0;
  uint32_t chosenParameter = 0;
  std::vector<LevelAsked> levels;
  std::vector<TempoAsked> tempos;
  std::vector<Point> transitions;
};

class OtherLinesTest : public VideoLineTest {
 protected:
  void TearDown() override;
  MainTimeLineWindow* MakeWindow(TimeLinePlayers*) override {
    return new RecordingTimeLine(nullptr, &transitionPlayers);
  }

  // The window with the VFX and MIDI rows at their zoom steps, the MIDI line
  // shown below the video rows, one frame (40 ms) per pixel from time 0.
  RecordingTimeLine& OpenLines(int32_t vfxZoom = 1, int32_t midiZoom = 1);
  TVFXLine& Vfx() { return *tl_->VFXLine(); }
  TMidiLine& Midi() { return *tl_->MidiLine(); }
  VFX& Transitions() { return transitionPlayers.vfx; }

  // A video clip of a fake source on row over [start, end) ms, with a stamp
  // of its own as a clip linked in the program has.
  Film* VideoClip(int32_t row, int32_t start, int32_t end, const char* name = "v");
  // A MIDI file of these bytes, loaded; the test holds a reference.
  MidiData* MidiFile(const MidiFileBytes& file);
  // A MIDI clip showing source [in, out) ms of midi from start.
  Film* MidiClip(MidiData* midi, int32_t start, int32_t in, int32_t out, const char* name = "m");

  // The mouse on a window's client area.
  POINT ScreenOf(TWindow& w, int x, int y);
  void MoveOn(TWindow& w, int x, int y);
  void PressOn(TWindow& w, int x, int y);
  void ReleaseOn(TWindow& w, int x, int y);
  void DoubleClickOn(TWindow& w, int x, int y);
  // A press, moves through the points, and the release at the last one.
  void DragOn(TWindow& w, Point from, std::vector<Point> through);
  COLORREF PixelOf(TWindow& w, int x, int y) { return GuiReadPixel(w.GetHandle(), x, y); }
  int MidiBottom() { return Midi().GetClientRect().bottom; }

  // Undo steps the history can go back.
  static int UndoSteps();

  TransitionPlayers transitionPlayers;
  std::vector<MidiData*> midis_;
  int midiFiles_ = 0;
};

}  // namespace linestest
