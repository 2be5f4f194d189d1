// Fuzz target for the MIDI file reader: the bytes become a file that is
// loaded, then walked as the player walks it, over windows that start at
// the beginning, inside and past the end, at three speeds.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/midi_data.h"

namespace {

std::string TempPath() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr && *dir ? dir : "/tmp") + "/kobrix-midi-fuzz-" +
         std::to_string(getpid()) + ".mid";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = TempPath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);

  MidiData* midi = MidiData::Get(path.c_str());
  if (midi == nullptr) return 0;
  for (int32_t i = 0; i < midi->GetTempoEntryCount(); ++i) {
    midi->BarLength(i, 1000);
    midi->EntryLength(i, 500);
  }
  const int64_t length = midi->GetLength();
  auto ms = [](int64_t v) { return static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX)); };
  struct Window {
    int32_t lead, start, end, speed, buffer;
  };
  const Window windows[] = {
      {0, 0, ms(length), 1000, 4096},
      {1500, ms(length / 3), ms(length / 2 + 1), 2000, 4096},
      {0, ms(length / 2), ms(length + 1000), 500, 40},
      {10, ms(length + 10), ms(length + 20), 1000, 16},
  };
  std::vector<BYTE> buffer(4096);
  for (const Window& w : windows) {
    midi->Rewind(700, w.lead, w.start, w.end, w.speed);
    for (int n = 0; n < 100000 && midi->GetActiveTracks() > 0; ++n) midi->Fill(buffer.data(), w.buffer);
    midi->NotesOff(buffer.data(), w.buffer, 5);
    midi->WriteInitialTempo(buffer.data());
  }
  midi->Release();
  return 0;
}
