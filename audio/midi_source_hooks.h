// What the MIDI files ask of the rest of the program: the clip collection's
// tile redraws and the Film model's handling of a changed or vanished file.
// The program installs its implementation at start-up; tests install their own.
#pragma once

#include "platform/core/types.h"

class MidiData;

class MidiSourceHooks {
 public:
  virtual ~MidiSourceHooks() = default;
  // The clip collection redraws the tiles that use source (its open state
  // changed); nothing when there is no collection window.
  virtual void RedrawClipsOfMidi(MidiData* source);
  // The Film model handles a file that changed (reload true) or vanished
  // (reload false); true when anything used it. By default the Film
  // model's own refresh.
  virtual bool RefreshChangedSources(HWND window, bool reload, bool checkCollection, MidiData* midi);
};

// Installs hooks (null: the defaults); returns the ones before.
MidiSourceHooks* SetMidiSourceHooks(MidiSourceHooks* hooks);
MidiSourceHooks& CurrentMidiSourceHooks();
