// The program ends cleanly after running a project whose sound goes through
// effects on a clip, a line and the master.
#include "effects_project.h"

namespace apptest {
namespace {

class ProgramExit : public EffectsProgramTest {};

TEST_F(ProgramExit, WaveExportOverEveryKindOfListEndsWithStatusZero) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  // Each list halves or doubles: the export is the tone at half, and only
  // so when all three lists play.
  WriteTone(File("tone.wav"), 2000);
  const std::string project = Project(File("tone.wav"), GainList(0.5f), GainList(0.5f), GainList(2.0f));
  std::string log;
  EXPECT_EQ(Kobrix("'" + project + "' /wave '" + File("out.wav") + "'", &log), 0) << log;
  EXPECT_LT(Difference(File("out.wav"), File("tone.wav"), 0.5), 0.001) << log;
}

}  // namespace
}  // namespace apptest
