// MIDI: the walk that fills stream buffers (records per second), and the
// synthesiser rendering into the virtual wave output (as a multiple of real
// time, in the counter "x_realtime").
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/midi_data.h"
#include "platform/audio/midi.h"
#include "platform/audio/virtual_audio.h"
#include "platform/audio/virtual_midi.h"

namespace {

void PutVarLen(std::vector<std::uint8_t>& out, std::uint32_t v) {
  std::uint8_t stack[5];
  int n = 0;
  stack[n++] = v & 0x7F;
  while ((v >>= 7) != 0) stack[n++] = static_cast<std::uint8_t>(0x80 | (v & 0x7F));
  while (n > 0) out.push_back(stack[--n]);
}
void PutBe(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// 16 tracks of 4000 notes each, with running status and a controller now and then.
std::string MakeSong() {
  const char* dir = std::getenv("TMPDIR");
  const std::string path = std::string(dir != nullptr && *dir ? dir : "/tmp") + "/kobrix-bench-" +
                           std::to_string(getpid()) + ".mid";
  std::vector<std::uint8_t> file{'M', 'T', 'h', 'd'};
  PutBe(file, 6, 4);
  PutBe(file, 1, 2);
  PutBe(file, 16, 2);
  PutBe(file, 480, 2);
  for (int track = 0; track < 16; ++track) {
    std::vector<std::uint8_t> t;
    for (int i = 0; i < 4000; ++i) {
      const std::uint8_t note = static_cast<std::uint8_t>(36 + (i * 7 + track) % 60);
      PutVarLen(t, i == 0 ? track : 60);
      t.insert(t.end(), {static_cast<std::uint8_t>(0x90 | track), note, 90});
      PutVarLen(t, 120);
      t.insert(t.end(), {note, 0});
      if (i % 50 == 0) {
        PutVarLen(t, 0);
        t.insert(t.end(), {static_cast<std::uint8_t>(0xB0 | track), 7, 100});
      }
    }
    t.insert(t.end(), {0, 0xFF, 0x2F, 0});
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    PutBe(file, static_cast<std::uint32_t>(t.size()), 4);
    file.insert(file.end(), t.begin(), t.end());
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);
  return path;
}

void BM_MidiFill(benchmark::State& state) {
  const std::string path = MakeSong();
  MidiData* song = MidiData::Get(path.c_str());
  if (song == nullptr) {
    state.SkipWithError("the song did not load");
    return;
  }
  std::vector<BYTE> buffer(4096);
  std::int64_t records = 0;
  for (auto _ : state) {
    song->Rewind(512, 0, 0, song->GetLength() + 1, 1000);
    while (song->GetActiveTracks() > 0) records += song->Fill(buffer.data(), 4096) / 12;
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetItemsProcessed(records);
  song->Release();
  std::remove(path.c_str());
}
BENCHMARK(BM_MidiFill)->Unit(benchmark::kMillisecond);

// A chord of eight notes rendered by the synthesiser for the time the
// benchmark runs, block after block into the virtual device.
void BM_MidiSynthesiser(benchmark::State& state) {
  VirtualAudio::Reset();
  VirtualMidi::Reset();
  HMIDISTRM stream = nullptr;
  UINT mapper = MIDI_MAPPER;
  if (midiStreamOpen(&stream, &mapper, 1, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    state.SkipWithError("no synthesiser");
    return;
  }
  std::vector<DWORD> records;
  for (int i = 0; i < 8; ++i) records.insert(records.end(), {0, 0, 0x00640090u | (DWORD(48 + 5 * i) << 8)});
  MIDIHDR header;
  header.lpData = reinterpret_cast<LPSTR>(records.data());
  header.dwBufferLength = header.dwBytesRecorded = static_cast<DWORD>(records.size() * 4);
  midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(stream), &header, sizeof header);
  midiStreamOut(stream, &header, sizeof header);
  midiStreamRestart(stream);
  const WAVEFORMATEX format = VirtualAudio::LastFormat(0);
  const std::size_t block = 4096;  // the synthesiser's block
  double audioSeconds = 0;
  double wallSeconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    // What the device holds is played; the synthesiser renders it again.
    // Three of its four blocks, so that a block part played does not count as missing.
    if (!VirtualAudio::WaitQueued(0, 3 * block, 5000)) {
      state.SkipWithError("the synthesiser stopped rendering");
      break;
    }
    VirtualAudio::AdvanceMicroseconds(3 * block * 1000000ull / format.nAvgBytesPerSec);
    wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    audioSeconds += 3.0 * block / format.nAvgBytesPerSec;
  }
  midiStreamClose(stream);
  state.counters["x_realtime"] = wallSeconds > 0 ? audioSeconds / wallSeconds : 0;
}
BENCHMARK(BM_MidiSynthesiser)->Unit(benchmark::kMillisecond);

}  // namespace
