// Autosave in the program: an export's forced autosave writes the project and
// its collection beside the sound file, naming the collection's copy.
#include <filesystem>

#include "program_fixture.h"

#include "model/undo_history.h"
#include "platform/core/paths.h"
#include "timeline/commands/command_host.h"

namespace apptest {
namespace {

class ProgramAutosave : public ProgramTest {};

TEST_F(ProgramAutosave, AForcedAutosaveWritesProjectAndCollection) {
  WriteTone(File("tone.wav"), 500);
  Start();
  App().ShowClipCollection(false);
  Pump();
  MakeProject(File("p.tml"), {File("tone.wav")});
  TimeLine().Engine().SetModified(true);
  ASSERT_TRUE(AutosaveDirty);

  CurrentCommandHost().ForceAutoSave();
  const std::string project = PathJoin(SoundFolder(), "autosave.tml");
  const std::string collection = PathJoin(SoundFolder(), "autosave.prc");
  EXPECT_TRUE(std::filesystem::exists(project));
  EXPECT_TRUE(std::filesystem::exists(collection));
  EXPECT_NE(ReadFile(project).find("autosave.prc"), std::string::npos);
  EXPECT_FALSE(AutosaveDirty);
  // An autosave is not a save.
  EXPECT_TRUE(TimeLine().Engine().IsModified());

  // The end of the program takes them away.
  App().DeleteAutosaveFiles(nullptr);
  EXPECT_FALSE(std::filesystem::exists(project));
  EXPECT_FALSE(std::filesystem::exists(collection));
}

}  // namespace
}  // namespace apptest
