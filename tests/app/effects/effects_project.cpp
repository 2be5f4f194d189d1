#include "effects_project.h"

#include <cstdio>

#include "audio/effect_list.h"
#include "model/film.h"
#include "model/film_list.h"
#include "platform/components/effects/effect_classes.h"
#include "platform/core/registry.h"
#include "support/effects_registry.h"
#include "timeline/window/main_timeline_window.h"

namespace apptest {
namespace {

template <class Settings>
EffectList* ListOf(REFCLSID clsid, const char* name, const Settings& settings) {
  Effect* effect = Effect::Create(clsid, name);
  EXPECT_NE(effect, nullptr) << name;
  if (effect == nullptr) return nullptr;
  BYTE state[Settings::kStateSize];
  effect_state::Encode(settings, state);
  EXPECT_NE(effect->component->LoadState(state, sizeof state), 0);
  EffectList* list = EffectList::New();
  list->Insert(effect, nullptr);
  list->openCount = 1;  // the effect is live
  return list;
}

}  // namespace

void EffectsProgramTest::SetUp() {
  ProgramTest::SetUp();
  // The child program reads the same settings folder.
  WriteFileText(RegistryFilePath(), BuildEffectsRegistryText());
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
}

void EffectsProgramTest::TearDown() {
  ProgramTest::TearDown();
  CoUninitialize();
}

EffectList* EffectsProgramTest::GainList(float gain) {
  return ListOf(CLSID_KobrixGain, kGainProgId, GainSettings{gain});
}

EffectList* EffectsProgramTest::EchoList(float delayMs, float feedback, float wet) {
  return ListOf(CLSID_KobrixEcho, kEchoProgId, EchoSettings{delayMs, feedback, wet});
}

std::string EffectsProgramTest::Project(const std::string& media, EffectList* clip, EffectList* line,
                                        EffectList* master, int startMs) {
  Start();
  char path[MAX_PATH];
  std::snprintf(path, sizeof path, "%s", media.c_str());
  TimeLine().AddFile(path, startMs);
  Pump();
  Film* film = FilmList.First();
  EXPECT_NE(film, nullptr);
  TimeLineEngine& engine = TimeLine().Engine();
  if (film != nullptr && clip != nullptr) {
    ReleaseChain(film->effects);
    film->effects = clip;
  }
  if (line != nullptr) engine.audioPanel[film != nullptr ? film->audioLine : 0].effects = line;
  if (master != nullptr) engine.masterEffects = master;
  Frame().SaveProjectFile(File("p.tml").c_str());
  Pump();
  Stop();
  return File("p.tml");
}

std::string EffectsProgramTest::Burst(const std::string& name, int burstMs, int ms) {
  char command[512];
  std::snprintf(command, sizeof command,
                "sox -n -r 44100 -c 2 -b 16 '%s' synth %.3f sine 440 vol 0.4 pad 0 %.3f", File(name).c_str(),
                burstMs / 1000.0, (ms - burstMs) / 1000.0);
  EXPECT_TRUE(Shell(command)) << command;
  return File(name);
}

int EffectsProgramTest::Kobrix(const std::string& args, std::string* output, const std::string& environment) {
  const std::string command = ChildEnvironment() + environment + " timeout 60 '" KOBRIX_PROGRAM "' " + args +
                              " 2>&1; echo \"status=$?\"";
  std::string text;
  if (!Shell(command, &text)) return -1;
  if (output != nullptr) *output = text;
  const std::size_t at = text.rfind("status=");
  return at == std::string::npos ? -1 : std::stoi(text.substr(at + 7));
}

double EffectsProgramTest::Difference(const std::string& a, const std::string& b, double factor) {
  std::string info;
  char scale[32];
  std::snprintf(scale, sizeof scale, "%.6f", -factor);
  const bool ok = Shell("sox -m -v 1 '" + a + "' -v " + scale + " '" + b +
                            "' -n stat 2>&1 | grep 'Maximum amplitude' | awk '{print $3}'",
                        &info);
  return ok && !info.empty() ? std::stod(info) : 1e9;
}

double EffectsProgramTest::Rms(const std::string& path, double from, double to) {
  std::string info;
  char range[64];
  std::snprintf(range, sizeof range, "%.3f =%.3f", from, to);
  const bool ok = Shell(
      "sox '" + path + "' -n trim " + range + " stat 2>&1 | grep 'RMS.*amplitude' | awk '{print $3}'", &info);
  return ok && !info.empty() ? std::stod(info) : -1;
}

}  // namespace apptest
