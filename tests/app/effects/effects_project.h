// A project whose sound goes through effects on its clip, its first audio
// line and the master, built in the program as the fixture starts it, and
// the kobrix program run over it.
#pragma once

#include <string>

#include "program_fixture.h"

class EffectList;

namespace apptest {

class EffectsProgramTest : public ProgramTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A list of one gain effect, or one echo (delay in ms, feedback, level).
  static EffectList* GainList(float gain);
  static EffectList* EchoList(float delayMs, float feedback, float wet);
  // A project of one clip of media (at startMs) whose clip, line and master
  // hold the lists given (null: none); saved as p.tml, the application
  // stopped again. The project's path.
  std::string Project(const std::string& media, EffectList* clip, EffectList* line, EffectList* master,
                      int startMs = 0);
  // A stereo 44.1 kHz WAVE file: a 440 Hz burst of burstMs, then silence up
  // to ms. Made with sox.
  std::string Burst(const std::string& name, int burstMs, int ms);
  // The kobrix program over args; its exit status (-1 when it could not run).
  int Kobrix(const std::string& args, std::string* output = nullptr, const std::string& environment = "");
  // The largest absolute difference between two WAVE files' samples, as
  // sox gives it (full scale 1), after scaling b by factor.
  double Difference(const std::string& a, const std::string& b, double factor = 1.0);
  // The RMS level (full scale 1) of a WAVE file between two times in s.
  double Rms(const std::string& path, double from, double to);
};

}  // namespace apptest
