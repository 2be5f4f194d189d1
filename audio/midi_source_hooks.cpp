#include "audio/midi_source_hooks.h"

#include "audio/midi_data.h"
#include "model/film.h"

void MidiSourceHooks::RedrawClipsOfMidi(MidiData*) {}

bool MidiSourceHooks::RefreshChangedSources(HWND window, bool reload, bool checkCollection, MidiData* midi) {
  return Film::RefreshChangedSources(window, reload, checkCollection, nullptr, nullptr, midi);
}

namespace {
MidiSourceHooks g_defaults;
MidiSourceHooks* g_hooks = nullptr;
}  // namespace

MidiSourceHooks* SetMidiSourceHooks(MidiSourceHooks* hooks) {
  MidiSourceHooks* before = g_hooks;
  g_hooks = hooks;
  return before;
}

MidiSourceHooks& CurrentMidiSourceHooks() {
  return g_hooks != nullptr ? *g_hooks : g_defaults;
}
