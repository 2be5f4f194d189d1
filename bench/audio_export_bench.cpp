// The WAVE export of a 4-line, 1-hour project (44.1 kHz stereo 16-bit
// sources read from WAVE files, declicked clips, line pans) on one core:
// the whole engine path of reader, mixer and consumer threads, the sample
// routines and the file. The figure is the times faster than real time.
// KOBRIX_BENCH_MIX names four WAVE files instead, one whole clip on each
// line (bench/compare.sh mixes the same four with sox -m beside it).
//
// BM_CommandLineWave saves the same project as a ".tml" file and runs the
// program on it ("kobrix p.tml /wave out.wav", the program beside the
// benchmark's folder or KOBRIX_BENCH_PROGRAM), counting the processor time
// of the whole run. KOBRIX_BENCH_KEEP names a folder where both keep their
// output ("mix.wav" and "command.wav"), to be compared.
#include <benchmark/benchmark.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/audio_player.h"
#include "media/audio_data.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/project_file.h"
#include "model/timeline_engine.h"
#include "platform/audio/virtual_audio.h"

namespace {

constexpr DWORD kRate = 44100;
constexpr int kLines = 4;
constexpr int32_t kSourceMs = 60000;
constexpr int32_t kProjectMs = 3600000;

void Put16(std::vector<BYTE>& b, unsigned v) {
  b.push_back(static_cast<BYTE>(v));
  b.push_back(static_cast<BYTE>(v >> 8));
}
void Put32(std::vector<BYTE>& b, DWORD v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<BYTE>(v >> (8 * i)));
}
void PutId(std::vector<BYTE>& b, const char* id) {
  b.insert(b.end(), id, id + 4);
}

std::string Folder() {
  static std::string folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/kobrix-export-bench-XXXXXX";
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string("/tmp");
  }();
  return folder;
}

// A minute of 16-bit stereo sound at 44.1 kHz as a WAVE file.
std::string MakeSource(int seed) {
  const std::size_t frames = std::size_t{kSourceMs} / 1000 * kRate;
  std::vector<BYTE> b;
  b.reserve(44 + frames * 4);
  PutId(b, "RIFF");
  Put32(b, static_cast<DWORD>(36 + frames * 4));
  PutId(b, "WAVE");
  PutId(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);
  Put16(b, 2);
  Put32(b, kRate);
  Put32(b, kRate * 4);
  Put16(b, 4);
  Put16(b, 16);
  PutId(b, "data");
  Put32(b, static_cast<DWORD>(frames * 4));
  for (std::size_t i = 0; i < frames; ++i) {
    Put16(b, static_cast<unsigned>(static_cast<int>(8000 * std::sin(0.01 * i * (seed + 1)))));
    Put16(b, static_cast<unsigned>(static_cast<int>(8000 * std::sin(0.013 * i * (seed + 2)))));
  }
  std::string path = Folder() + "/source" + std::to_string(seed) + ".wav";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f != nullptr) {
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
  }
  return path;
}

// The processors allowed at start, before any pinning.
const cpu_set_t& AllowedAtStart() {
  static const cpu_set_t allowed = [] {
    cpu_set_t set;
    CPU_ZERO(&set);
    sched_getaffinity(0, sizeof(set), &set);
    return set;
  }();
  return allowed;
}
const bool kAllowedTaken = (AllowedAtStart(), true);

// Only the first allowed processor: the engine's three threads share it.
void PinToOneCore() {
  cpu_set_t allowed;
  if (sched_getaffinity(0, sizeof(allowed), &allowed) != 0) return;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (!CPU_ISSET(cpu, &allowed)) continue;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    sched_setaffinity(0, sizeof(one), &one);
    return;
  }
}

// The four files of KOBRIX_BENCH_MIX, or none.
std::vector<std::string> NamedSources() {
  std::vector<std::string> paths;
  const char* named = std::getenv("KOBRIX_BENCH_MIX");
  if (named == nullptr) return paths;
  std::string rest = named;
  for (std::size_t colon; (colon = rest.find(':')) != std::string::npos; rest.erase(0, colon + 1))
    paths.push_back(rest.substr(0, colon));
  if (!rest.empty()) paths.push_back(rest);
  return paths;
}

// Where an output goes: kept as name in KOBRIX_BENCH_KEEP, or in the
// benchmark's folder (removed after).
std::string OutputPath(const char* name) {
  const char* keep = std::getenv("KOBRIX_BENCH_KEEP");
  return keep != nullptr && *keep != '\0' ? std::string(keep) + "/" + name : Folder() + "/" + name;
}

bool KeepsOutput() {
  const char* keep = std::getenv("KOBRIX_BENCH_KEEP");
  return keep != nullptr && *keep != '\0';
}

// The project both benchmarks mix: the sources, their films and the lines.
struct MixProject {
  std::vector<AudioData*> sources;
  FilmListHead films;
  int32_t projectMs = 0;
  MixSetup setup;

  ~MixProject() {
    films.Clear();
    for (AudioData* source : sources) {
      source->EndRead();
      source->Release();
    }
  }

  // False with the reason in *error.
  bool Build(const char** error) {
    const std::vector<std::string> named = NamedSources();
    if (!named.empty() && named.size() != kLines) {
      *error = "KOBRIX_BENCH_MIX names other than four files";
      return false;
    }
    projectMs = named.empty() ? kProjectMs : 0;
    for (int line = 0; line < kLines; ++line) {
      AudioData* source = AudioData::OpenShared((named.empty() ? MakeSource(line) : named[line]).c_str());
      if (source == nullptr || !source->BeginRead()) {
        *error = "no source";
        return false;
      }
      sources.push_back(source);
      // Clips of the whole source, one after the other, fading in and out.
      const int32_t clipMs = named.empty() ? kSourceMs : source->length;
      projectMs = std::max(projectMs, clipMs);
      for (int32_t start = 0; start < (named.empty() ? kProjectMs : clipMs); start += clipMs) {
        auto* film = new Film();
        film->audio = source->AddRef();
        film->audioLine = line;
        film->start = start;
        film->end = start + clipMs;
        film->in = 0;
        film->out = clipMs;
        film->sourceLength = source->length;
        film->volumePoints.SetTwoPoints(source->length, 400);
        film->balancePoints.SetTwoPoints(source->length, 0);
        film->declickIn = film->declickOut = true;
        Film::Link(film, films);
      }
    }
    setup.masterGain = 512;
    setup.lineCount = kLines;
    for (int line = 0; line < kLines; ++line) setup.lines[line] = {512, (line - 1) * 128, nullptr};
    return true;
  }

  // The project as the program would save it, with the same lines.
  bool Save(const std::string& path) {
    TimeLineEngine engine;
    engine.length = projectMs;
    engine.audioLineCount = kLines;
    engine.masterGain = setup.masterGain;
    engine.masterPan = setup.masterPan;
    for (int line = 0; line < kLines; ++line) {
      engine.audioPanel[line].gain = setup.lines[line].gain;
      engine.audioPanel[line].pan = setup.lines[line].pan;
    }
    // The engine's output format of the mixing benchmark: 44.1 kHz stereo 16-bit.
    CurrentProjectEnvironment().SetAudioFormat(kRate, 2, 2);
    HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
    if (file == nullptr) return false;
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const bool written = WriteProject(engine, films.First(), file, folder.c_str(), nullptr);
    return mmioClose(file, 0) == 0 && written;
  }
};

void Export(benchmark::State& state) {
  // An export needs no sound device.
  VirtualAudio::Reset({}, {});
  PinToOneCore();
  MixProject project;
  const char* error = nullptr;
  if (!project.Build(&error)) {
    state.SkipWithError(error);
    return;
  }
  AudioPlayer engine;
  float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
  engine.Configure(kRate, 2, 2, 4, 16, 4, delay, preview, maxPreview);

  const std::string out = OutputPath("mix.wav");
  double seconds = 0;
  for (auto _ : state) {
    auto begin = std::chrono::steady_clock::now();
    bool done = engine.ExportWave(nullptr, project.films.First(), project.setup, 0, project.projectMs,
                                  out.c_str(), 2);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    state.SetIterationTime(seconds);
    if (!done) state.SkipWithError("export failed");
    if (!KeepsOutput()) std::remove(out.c_str());
  }
  state.counters["x_real_time"] = project.projectMs / 1000.0 / seconds;
  state.counters["seconds_of_sound"] = project.projectMs / 1000.0;
}

// The program beside the benchmark's folder, unless named.
std::string Program() {
  const char* named = std::getenv("KOBRIX_BENCH_PROGRAM");
  if (named != nullptr && *named != '\0') return named;
  std::error_code ignored;
  return (std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path().parent_path() / "kobrix")
      .string();
}

void BM_ExportWaveFourLinesOneHour(benchmark::State& state) {
  // The engine keeps its settings in the benchmark's own folder, which goes
  // with everything else written there.
  setenv("KOBRIX_HOME", Folder().c_str(), 1);
  Export(state);
  std::error_code ignored;
  if (Folder() != "/tmp") std::filesystem::remove_all(Folder(), ignored);
}
BENCHMARK(BM_ExportWaveFourLinesOneHour)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The whole program, as a user runs it: start-up, reading the project, the
// export on as many processors as it takes, and the exit.
void BM_CommandLineWave(benchmark::State& state) {
  const std::string home = Folder() + "/home";
  std::filesystem::create_directories(home);
  setenv("KOBRIX_HOME", home.c_str(), 1);
  VirtualAudio::Reset({}, {});
  MixProject project;
  const char* error = nullptr;
  if (!project.Build(&error)) {
    state.SkipWithError(error);
    return;
  }
  const std::string tml = OutputPath("mix.tml");
  if (!project.Save(tml)) {
    state.SkipWithError("the project could not be saved");
    return;
  }
  const std::string program = Program();
  const std::string out = OutputPath("command.wav");
  double cpu = 0;
  for (auto _ : state) {
    std::remove(out.c_str());
    auto begin = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
      // The program gets every processor the benchmark had at start.
      sched_setaffinity(0, sizeof(cpu_set_t), &AllowedAtStart());
      // Private folders, so that no running instance is met.
      setenv("KOBRIX_GUI", "headless", 1);
      setenv("KOBRIX_AUDIO", "virtual", 1);
      setenv("TMPDIR", home.c_str(), 1);
      setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
      freopen("/dev/null", "w", stdout);
      freopen("/dev/null", "w", stderr);
      execl(program.c_str(), program.c_str(), tml.c_str(), "/wave", out.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0 || !std::filesystem::exists(out)) {
      state.SkipWithError(("the program failed: " + program).c_str());
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
          usage.ru_stime.tv_usec * 1e-6;
  }
  state.counters["cpu_seconds"] = cpu;
  state.counters["seconds_of_sound"] = project.projectMs / 1000.0;
  if (!KeepsOutput()) std::remove(out.c_str());
}

void BM_CommandLineWaveFourLines(benchmark::State& state) {
  BM_CommandLineWave(state);
  std::error_code ignored;
  if (Folder() != "/tmp") std::filesystem::remove_all(Folder(), ignored);
}
BENCHMARK(BM_CommandLineWaveFourLines)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
