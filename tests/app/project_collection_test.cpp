// A project and its clip collection: saved together, read back together.
#include <filesystem>

#include "program_fixture.h"

#include "app/clip_frame.h"
#include "clips/clip_collection.h"
#include "clips/clip_window.h"
#include "platform/core/paths.h"
#include "resources/frame_ids.h"

namespace apptest {
namespace {

class ProjectCollection : public ProgramTest {
 protected:
  // The program with other.wav in its collection, and the project p.tml of
  // tone.wav saved beside its collection.
  void StartWithSavedProject() {
    WriteTone(File("tone.wav"), 600);
    WriteTone(File("other.wav"), 400, 660);
    Start();
    App().ShowClipCollection(false);
    Pump();
    ASSERT_NE(App().ClipFrame(), nullptr);
    ASSERT_TRUE(App().ClipFrame()->Collection()->AddFile(File("other.wav").c_str(), -1, 0));
    // A file put on the time-line joins the collection too.
    MakeProject(File("p.tml"), {File("tone.wav")});
  }
};

TEST_F(ProjectCollection, SavingAProjectSavesItsCollectionBesideItAndOpeningReadsItBack) {
  ASSERT_NO_FATAL_FAILURE(StartWithSavedProject());
  const int32_t saved = App().ClipFrame()->Collection()->ClipCount();
  EXPECT_EQ(saved, 2);
  // The collection had no name: it takes the project's, with ".prc".
  EXPECT_TRUE(std::filesystem::exists(File("p.prc")));
  EXPECT_STREQ(App().CollectionName(), File("p.prc").c_str());

  Frame().SendMessage(WM_COMMAND, kCmCloseProject, 0);
  Pump();
  EXPECT_EQ(App().ClipFrame()->Collection()->ClipCount(), 0);
  EXPECT_STREQ(App().CollectionName(), "");

  Frame().OpenProjectFile(File("p.tml").c_str());
  Pump();
  EXPECT_EQ(App().ClipFrame()->Collection()->ClipCount(), saved);
  EXPECT_STREQ(App().CollectionName(), File("p.prc").c_str());

  // F6 shows the frame that is there; its collection is not read again.
  Frame().SendMessage(WM_COMMAND, kCmShowCollectionKey, 0);
  Pump();
  EXPECT_EQ(App().ClipFrame()->Collection()->ClipCount(), saved);
}

// The tiles of a project's collection are drawn as the project opens, not
// when the message queue gets round to them.
TEST_F(ProjectCollection, OpeningAProjectDrawsItsCollectionsTilesAtOnce) {
  ASSERT_NO_FATAL_FAILURE(StartWithSavedProject());
  Frame().SendMessage(WM_COMMAND, kCmCloseProject, 0);
  Pump();

  Frame().OpenProjectFile(File("p.tml").c_str());
  ClipCollection* collection = App().ClipFrame()->Collection();
  ASSERT_EQ(collection->ClipCount(), 2);
  for (int i = 0; i < collection->TileCount(); ++i) {
    RECT pending{};
    EXPECT_FALSE(GetUpdateRect(collection->Tile(i)->GetHandle(), &pending, FALSE)) << "tile " << i;
  }
}

}  // namespace
}  // namespace apptest
