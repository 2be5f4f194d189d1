// What the MIDI player's tests share: a settings folder of their own with
// the virtual MIDI device chosen, recorded boxes, MIDI files built on disk
// and films of them on a list of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/midi_data.h"
#include "audio/midi_player.h"
#include "midi_fixtures.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/ini.h"
#include "platform/audio/virtual_audio.h"
#include "platform/audio/virtual_midi.h"
#include "platform/core/message_queue.h"
#include "support/recording_boxes.h"
#include "support/test_env.h"

class MidiPlayerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok());
    VirtualAudio::Reset();
    VirtualMidi::Reset();
    IniSetSection("MIDI");
    IniWriteInt("MIDIID", static_cast<int>(VirtualMidi::DeviceId()));
    EnsureMessageQueue();
    MSG stale;
    while (PeekMessage(&stale, owner_, 0, 0, PM_REMOVE)) {
    }
  }
  void TearDown() override {
    films_.Clear();
    for (MidiData* d : files_) d->Release();
  }

  MidiData* File(const MidiFileBytes& bytes, const std::string& name) {
    const std::string path = home_.File(name);
    bytes.Write(path);
    MidiData* d = MidiData::Get(path.c_str());
    if (d != nullptr) files_.push_back(d);
    return d;
  }
  // A film of the file at [start, end) showing its source from in.
  Film* AddFilm(MidiData* data, int32_t start, int32_t end, int32_t in) {
    Film* f = new Film();
    data->AddRef();
    f->midi = data;
    f->start = start;
    f->end = end;
    f->in = in;
    f->out = in + (end - start);
    Film::Link(f, films_);
    return f;
  }

  ScopedSettingsHome home_;
  RecordingBoxes boxes_;
  FilmListHead films_;
  std::vector<MidiData*> files_;
  HWND owner_ = reinterpret_cast<HWND>(0x4325);
};

inline MidiFileBytes OneTrackFile(TrackBytes track) {
  MidiFileBytes f;
  f.format = 0;
  f.tracks.push_back(std::move(track));
  return f;
}

// One note a second, each held half a second, for seconds seconds.
inline MidiFileBytes NoteEverySecond(int seconds, int note = 60) {
  TrackBytes t;
  for (int i = 0; i < seconds; ++i) t.NoteOn(i == 0 ? 0 : 96, 0, note, 100).NoteOff(96, 0, note);
  t.End();
  return OneTrackFile(t);
}
