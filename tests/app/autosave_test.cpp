#include "app/autosave.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "audio/audio_player.h"
#include "model/film_list.h"
#include "model/ini.h"
#include "model/project_file.h"
#include "model/timeline_engine.h"
#include "model/undo_history.h"
#include "platform/core/time.h"
#include "support/file_bytes.h"
#include "support/recording_boxes.h"
#include "support/test_env.h"

namespace {

constexpr DWORD kMinute = 60000;

// The application and its frames as the autosave sees them: each call is
// logged; the two writers write a line of text through the real autosave
// file writer, or fail as the test says.
class FakeHost : public AutosaveHost {
 public:
  bool TimeLineCapturing() override { return capturing; }
  void SaveOptions() override { log.push_back("options"); }
  void AppendStatusText(const char* text) override { status += text; }
  bool HasClipFrame() override { return clipFrame; }
  bool AutoSaveCollection(std::string& name) override {
    log.push_back("collection");
    if (!WriteAutosaveFile(nullptr, kAutosaveCollectionName, 29, [this](HMMIO file) {
          return collectionWrites && mmioWrite(file, "clips", 5) == 5;
        }))
      return false;
    name = AutosavePath(kAutosaveCollectionName);
    return true;
  }
  bool AutoSaveProject(const char* collectionName) override {
    log.push_back(std::string("project:") + collectionName);
    return WriteAutosaveFile(nullptr, kAutosaveProjectName, 28, [this](HMMIO file) {
      return projectWrites && mmioWrite(file, "films", 5) == 5;
    });
  }
  bool DrawPendingClip() override {
    if (pendingDraws == 0) return false;
    --pendingDraws;
    log.push_back("draw");
    return true;
  }
  void ClipFrameIdle(long count) override { log.push_back("clip idle " + std::to_string(count)); }
  bool LibraryIdle(long count) override {
    log.push_back("library idle " + std::to_string(count));
    return true;
  }

  bool capturing = false;
  bool clipFrame = true;
  bool collectionWrites = true;
  bool projectWrites = true;
  int pendingDraws = 0;
  std::vector<std::string> log;
  std::string status;
};

class AutosaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok());
    ASSERT_TRUE(sound_.ok());
    std::snprintf(savedSound_, sizeof savedSound_, "%s", Sound_File);
    // The folder's name has capitals: the files must land in it as it is.
    std::snprintf(Sound_File, sizeof Sound_File, "%s", sound_.File("KOBRIX.TMP").c_str());
    autosave_.Start();
    autosave_.autoSave = true;
  }
  void TearDown() override {
    std::snprintf(Sound_File, sizeof Sound_File, "%s", savedSound_);
    AutosaveDirty = false;
    AutosaveEditCount = 0;
  }
  std::string ProjectText() const { return ReadFileText(sound_.File(kAutosaveProjectName)); }
  std::string CollectionText() const { return ReadFileText(sound_.File(kAutosaveCollectionName)); }
  // The next idle call that looks at the autosave (every second one).
  bool Check() {
    autosave_.IdleAction(0);
    return !host_.log.empty() && host_.log.back().rfind("project", 0) == 0;
  }

  ScopedEnv quickTemp_{"TMPDIR", QuickTempFolder()};
  ScopedSettingsHome home_;
  TestFolder sound_{"Kobrix-Sound"};
  char savedSound_[MAX_PATH] = {};
  TestClock clock_;
  FakeHost host_;
  Autosave autosave_{host_};
  RecordingBoxes boxes_{IDOK};
};

TEST_F(AutosaveTest, TheFilesLieInTheSoundFilesFolderAsItIsSpelled) {
  EXPECT_EQ(AutosaveFolder(), sound_.path());
  EXPECT_EQ(AutosavePath(kAutosaveProjectName), sound_.File("autosave.tml"));
}

// What makes an autosave due, and what a step does then.
TEST_F(AutosaveTest, EditsMinutesAndForceMakeItDue) {
  struct Case {
    const char* what;
    int edits;
    DWORD elapsed;
    bool forced;
    bool dirty;
    bool ran;
    bool written;
  } cases[] = {
      {"33 edits at once", 33, 0, false, true, true, true},
      {"32 edits within the period", 32, 3 * kMinute - 1, false, true, false, false},
      {"the period without enough edits", 1, 3 * kMinute, false, true, true, true},
      {"forced without edits", 0, 0, true, true, true, true},
      {"the period without a change", 0, 3 * kMinute, false, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(sound_.File(kAutosaveProjectName).c_str());
    host_.log.clear();
    autosave_.Start();
    autosave_.autoSave = true;
    AutosaveEditCount = c.edits;
    AutosaveDirty = c.dirty;
    clock_.Advance(c.elapsed);

    EXPECT_EQ(autosave_.AutoSave(c.forced), c.ran);
    EXPECT_EQ(ProjectText() == "films", c.written);
    if (c.ran) {
      // Done: nothing is owed and the period starts again.
      EXPECT_EQ(AutosaveEditCount, 0);
      EXPECT_FALSE(AutosaveDirty);
      clock_.Advance(3 * kMinute - 1);
      EXPECT_FALSE(autosave_.AutoSave(false));
    } else {
      EXPECT_EQ(AutosaveEditCount, c.edits);
      EXPECT_TRUE(host_.log.empty());
    }
  }
}

TEST_F(AutosaveTest, AStepSavesOptionsCollectionAndProjectAndSaysSoInTheStatusLine) {
  host_.status = "Ready.";
  AutosaveDirty = true;
  ASSERT_TRUE(autosave_.AutoSave(true));

  const std::vector<std::string> expected = {"options", "collection",
                                             "project:" + sound_.File(kAutosaveCollectionName)};
  EXPECT_EQ(host_.log, expected);
  EXPECT_EQ(host_.status, "Ready. AutoSaved ");
  EXPECT_EQ(CollectionText(), "clips");
  EXPECT_EQ(ProjectText(), "films");
}

TEST_F(AutosaveTest, WithoutAClipFrameTheProjectNamesNoCollection) {
  host_.clipFrame = false;
  AutosaveDirty = true;
  ASSERT_TRUE(autosave_.AutoSave(true));
  EXPECT_EQ(host_.log, (std::vector<std::string>{"options", "project:"}));
}

TEST_F(AutosaveTest, AutoSaveOffWritesNothingEvenWhenForced) {
  IniSetSection(kSaveSection);
  IniWriteInt("AUTO_SAVE", 0);
  autosave_.Start();
  AutosaveDirty = true;
  AutosaveEditCount = 100;
  clock_.Advance(60 * kMinute);
  EXPECT_FALSE(autosave_.AutoSave(true));
  for (int i = 0; i < 4; ++i) autosave_.IdleAction(i);
  EXPECT_TRUE(host_.log.back().rfind("library idle", 0) == 0);
  EXPECT_EQ(ProjectText(), "");
  EXPECT_EQ(CollectionText(), "");
}

TEST_F(AutosaveTest, EverySecondIdleCallLooksAtTheAutosaveThenAtWaitingRedraws) {
  host_.pendingDraws = 1;
  // Nothing due: the first call passes on, the second draws the waiting
  // item and asks for no more idle time, the third passes on.
  EXPECT_TRUE(autosave_.IdleAction(0));
  EXPECT_FALSE(autosave_.IdleAction(1));
  EXPECT_TRUE(autosave_.IdleAction(2));
  EXPECT_EQ(host_.log,
            (std::vector<std::string>{"clip idle 0", "library idle 0", "draw", "clip idle 2", "library idle 2"}));

  // Due: the checking call autosaves and stops there.
  host_.log.clear();
  AutosaveDirty = true;
  AutosaveEditCount = 33;
  EXPECT_FALSE(autosave_.IdleAction(3));
  EXPECT_EQ(host_.log.back(), "project:" + sound_.File(kAutosaveCollectionName));
}

TEST_F(AutosaveTest, ADragPostponesAForcedAutosaveToTheFirstIdleCallAfterIt) {
  AutosaveDirty = true;
  host_.capturing = true;
  EXPECT_FALSE(autosave_.AutoSave(true));
  EXPECT_TRUE(autosave_.Pending());
  EXPECT_FALSE(Check());
  EXPECT_FALSE(Check());
  EXPECT_EQ(ProjectText(), "");

  host_.capturing = false;
  autosave_.IdleAction(0);
  EXPECT_TRUE(Check());
  EXPECT_EQ(ProjectText(), "films");
  EXPECT_FALSE(autosave_.Pending());
}

TEST_F(AutosaveTest, AFailedWriteKeepsTheOldFilesAndTriesAgain) {
  WriteFileText(sound_.File(kAutosaveProjectName), "old films");
  WriteFileText(sound_.File(kAutosaveCollectionName), "old clips");
  host_.projectWrites = false;
  host_.collectionWrites = false;
  AutosaveDirty = true;
  AutosaveEditCount = 40;

  ASSERT_TRUE(autosave_.AutoSave(false));
  EXPECT_EQ(ProjectText(), "old films");
  EXPECT_EQ(CollectionText(), "old clips");
  // The collection failed, so the project names none.
  EXPECT_EQ(host_.log.back(), "project:");
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(boxes_.shown[0].caption, "AutoSave Clip Collection");
  EXPECT_EQ(boxes_.shown[1].caption, "AutoSave Project");
  EXPECT_NE(boxes_.shown[1].text.find(sound_.File(kAutosaveProjectName)), std::string::npos);
  EXPECT_TRUE(AutosaveDirty);
  EXPECT_EQ(AutosaveEditCount, 40);

  // The next try comes with the period, not at every idle call.
  EXPECT_FALSE(autosave_.AutoSave(false));
  EXPECT_EQ(boxes_.shown.size(), 2u);
  host_.projectWrites = true;
  host_.collectionWrites = true;
  clock_.Advance(3 * kMinute);
  ASSERT_TRUE(autosave_.AutoSave(false));
  EXPECT_EQ(ProjectText(), "films");
  EXPECT_EQ(CollectionText(), "clips");
  EXPECT_FALSE(AutosaveDirty);
  EXPECT_EQ(boxes_.shown.size(), 2u);
}

TEST_F(AutosaveTest, AFolderThatCannotTakeTheFileSaysItCannotBeOpened) {
  std::snprintf(Sound_File, sizeof Sound_File, "%s", sound_.File("gone/KOBRIX.TMP").c_str());
  EXPECT_FALSE(WriteAutosaveFile(nullptr, kAutosaveProjectName, 28, [](HMMIO) { return true; }));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, "AutoSave Project");
  EXPECT_NE(boxes_.shown[0].text.find("Can not open file"), std::string::npos);
}

TEST_F(AutosaveTest, TheProjectFileNamesItsCollectionAndLeavesTheModifiedFlag) {
  TimeLineEngine engine;
  engine.SetModified(true);
  const std::string collection = sound_.File(kAutosaveCollectionName);
  ASSERT_TRUE(AutoSaveProjectFile(nullptr, engine, nullptr, collection.c_str()));
  EXPECT_TRUE(engine.IsModified());

  HMMIO file = mmioOpen(AutosavePath(kAutosaveProjectName).c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
  ASSERT_NE(file, nullptr);
  TimeLineEngine read;
  FilmListHead films;
  PathRecord* folders = new PathRecord(sound_.path().c_str(), true);
  SynonymFile* moved = nullptr;
  char named[MAX_PATH + 1] = {};
  EXPECT_EQ(ReadProject(read, films, file, folders, &moved, false, named, nullptr), 0);
  mmioClose(file, 0);
  PathRecord::FreeList(folders);
  SynonymFile::FreeList(moved);
  EXPECT_EQ(std::string(named), collection);
}

// The settings page moves the files when the sound file changes folder.
TEST_F(AutosaveTest, ANewSoundFileFolderTakesTheFilesInOneRename) {
  TestFolder other{"Kobrix-Other"};
  struct Case {
    const char* what;
    bool projectHere, collectionHere;
  } cases[] = {
      {"both files here", true, true},
      {"only the project here", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(sound_.File(kAutosaveProjectName).c_str());
    std::remove(sound_.File(kAutosaveCollectionName).c_str());
    if (c.projectHere) WriteFileText(sound_.File(kAutosaveProjectName), "current films");
    if (c.collectionHere) WriteFileText(sound_.File(kAutosaveCollectionName), "current clips");
    WriteFileText(other.File(kAutosaveProjectName), "stale films");
    WriteFileText(other.File(kAutosaveCollectionName), "stale clips");

    DeleteAutosaveFiles(other.File("Sound.tmp").c_str());

    // The new folder holds exactly what the old one held.
    EXPECT_EQ(ReadFileText(other.File(kAutosaveProjectName)), c.projectHere ? "current films" : "");
    EXPECT_EQ(ReadFileText(other.File(kAutosaveCollectionName)), c.collectionHere ? "current clips" : "");
    EXPECT_EQ(ProjectText(), "");
    EXPECT_EQ(CollectionText(), "");
  }
}

TEST_F(AutosaveTest, TheSameFolderMovesNothingAndTheEndDeletesBoth) {
  WriteFileText(sound_.File(kAutosaveProjectName), "films");
  WriteFileText(sound_.File(kAutosaveCollectionName), "clips");
  DeleteAutosaveFiles(sound_.File("OTHER.TMP").c_str());
  EXPECT_EQ(ProjectText(), "films");
  EXPECT_EQ(CollectionText(), "clips");

  DeleteAutosaveFiles(nullptr);
  EXPECT_EQ(ProjectText(), "");
  EXPECT_EQ(CollectionText(), "");
}

// Links planted at the autosave names: the autosave replaces each link by a
// file of the user's alone and never writes through it.
TEST_F(AutosaveTest, ALinkAtAnAutosaveNameIsReplacedNeverFollowed) {
  const std::string victim = home_.File("notes.txt");
  WriteFileText(victim, "notes");
  for (const char* name : {kAutosaveProjectName, kAutosaveCollectionName})
    ASSERT_EQ(symlink(victim.c_str(), sound_.File(name).c_str()), 0);
  AutosaveDirty = true;
  ASSERT_TRUE(autosave_.AutoSave(true));
  EXPECT_EQ(ReadFileText(victim), "notes");
  for (const char* name : {kAutosaveProjectName, kAutosaveCollectionName}) {
    SCOPED_TRACE(name);
    struct stat info;
    ASSERT_EQ(lstat(sound_.File(name).c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
  }
  EXPECT_EQ(ProjectText(), "films");
  EXPECT_EQ(CollectionText(), "clips");
}

// The restore offer names only a file of the user's own in the folder.
TEST_F(AutosaveTest, OnlyTheUsersOwnAutosaveIsOffered) {
  const std::string project = sound_.File(kAutosaveProjectName);
  const std::string elsewhere = home_.File("mine.tml");
  WriteFileText(elsewhere, "films");
  ASSERT_EQ(symlink(elsewhere.c_str(), project.c_str()), 0);
  boxes_.answer = IDYES;
  EXPECT_FALSE(AskRestoreAutosave(nullptr, 0)) << "a link";
  if (getuid() == 0) {
    std::remove(project.c_str());
    WriteFileText(project, "planted");
    ASSERT_EQ(chown(project.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(AskRestoreAutosave(nullptr, 0)) << "another user's file";
  }
  EXPECT_TRUE(boxes_.shown.empty());
}

// A close that asks nothing (a stop signal) with unsaved work: the autosave
// is brought up to the current state whatever the counters, a drag or a
// failed write, and kept; with autosave off nothing is written or kept.
TEST_F(AutosaveTest, UnsavedWorkAtAQuietCloseIsWrittenWhenChangedAndKept) {
  const struct {
    const char* what;
    bool autoSave;
    bool dirty;
    bool capturing;
    bool projectWrites;
    const char* project;  // what autosave.tml holds afterwards
    bool kept;
  } cases[] = {
      {"changed since the last autosave", true, true, false, true, "films", true},
      {"the last autosave holds it", true, false, false, true, "old", true},
      {"during a drag", true, true, true, true, "films", true},
      {"the write fails", true, true, false, false, "old", true},
      {"autosave off", false, true, false, true, "old", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFileText(sound_.File(kAutosaveProjectName), "old");
    FakeHost host;
    host.capturing = c.capturing;
    host.projectWrites = c.projectWrites;
    Autosave autosave(host);
    autosave.Start();
    autosave.autoSave = c.autoSave;
    AutosaveDirty = c.dirty;
    autosave.KeepUnsavedWork();
    EXPECT_EQ(ProjectText(), c.project);
    EXPECT_EQ(autosave.KeptForNextStart(), c.kept);
  }
}

TEST_F(AutosaveTest, ALeftProjectIsOfferedOnlyWhenNoCommandLineModeRuns) {
  EXPECT_FALSE(AskRestoreAutosave(nullptr, 0));
  EXPECT_TRUE(boxes_.shown.empty());

  WriteFileText(sound_.File(kAutosaveProjectName), "films");
  boxes_.answer = IDYES;
  EXPECT_FALSE(AskRestoreAutosave(nullptr, 1));
  EXPECT_TRUE(boxes_.shown.empty());

  EXPECT_TRUE(AskRestoreAutosave(nullptr, 0));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, "Kobrix Starting");
  EXPECT_EQ(boxes_.shown[0].text, "Kobrix found autosaved file.\nDo you want to restore it?");
  boxes_.answer = IDNO;
  EXPECT_FALSE(AskRestoreAutosave(nullptr, 0));
  EXPECT_EQ(ProjectText(), "films");
}

}  // namespace
