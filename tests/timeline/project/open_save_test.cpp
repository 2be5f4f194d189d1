// Open, Save and Copy from file: the loaded project's clips, lines and view,
// what happens to clips whose media no longer fit, and the undo history
// around a save.
#include "project_fixture.h"
#include "ui/dialog_script.h"

namespace projectcmdtest {
namespace {

using filmtest::FakeAudio;
using filmtest::FakeMidi;
using filmtest::FakeVideo;

class OpenSaveTest : public ProjectCommandsTest {
 protected:
  void SetUp() override {
    ProjectCommandsTest::SetUp();
    OpenProjectWindow();
  }
  // A project of one sound clip from 0 ms that ends at end (none for 0).
  std::string OneClipEndingAt(int32_t end) {
    FakeAudio* a = end > 0 ? Sound("/media/end" + std::to_string(end) + ".wav", end) : nullptr;
    return WriteProjectFile("end.tml", [&](FilmListHead& films, TimeLineEngine&) {
      if (a) SoundIn(films, a, 0, 0, end);
    });
  }
};

TEST_F(OpenSaveTest, TheViewReachesJustPastTheLongestClip) {
  const struct {
    int32_t end, view;
  } cases[] = {{5000, 5500}, {9999, 10998}, {10000, 11000}, {20000, 21000}, {0, 1100}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.end);
    ASSERT_EQ(OpenFile(OneClipEndingAt(c.end)), 0);
    EXPECT_EQ(Engine().origin, 0);
    EXPECT_NEAR(Engine().VisibleSpan(), c.view, c.view / 100);
    EXPECT_GE(Engine().length, c.view);
    EXPECT_EQ(Engine().cursor, 0);
    EXPECT_FALSE(Engine().IsModified());
  }
}

TEST_F(OpenSaveTest, ALoadedProjectStartsWithItsLinesAndNoHistory) {
  FakeAudio* a = Sound("/media/a.wav", 8000);
  FakeVideo* v = Video("/media/v.avi", 100);
  const std::string path = WriteProjectFile("p.tml", [&](FilmListHead& films, TimeLineEngine& e) {
    SoundIn(films, a, 1, 3000, 2000);
    SoundIn(films, a, 0, 0, 2000);
    PictureIn(films, v, 1, 1000, 25);
    e.audioLineCount = 2;
    e.audioPanel[0].SetZoom(0);
    e.audioPanel[1].gain = 300;
    e.showVideo = false;
  });
  AudioFilm(Sound("/media/old.wav", 5000), 0, 0, 1000);
  Engine().MarkUndo(kUndoEdit);
  ProjectMarks.AddMark(400);

  ASSERT_EQ(OpenFile(path), 0);

  std::vector<Film*> films = Films();
  ASSERT_EQ(films.size(), 3u);
  for (size_t i = 0; i < films.size(); ++i) EXPECT_EQ(films[i]->stamp, static_cast<int32_t>(i + 1));
  EXPECT_EQ(a->openCount, 2);
  EXPECT_EQ(v->openCount, 1);
  EXPECT_FALSE(UndoScript::CanUndo());
  EXPECT_EQ(ProjectMarks.Count(), 0) << "the old project's marks went with it";
  TimeLineEngine& e = Engine();
  EXPECT_EQ(e.audioLineCount, 2);
  EXPECT_EQ(e.audioPanel[0].height, 96);
  EXPECT_EQ(e.audioPanel[1].top, 96 + e.rowGap);
  EXPECT_EQ(e.audioPanel[1].gain, 300);
  EXPECT_EQ(e.audioPanel[2].mute, 1);
  EXPECT_EQ(e.audioPanel[3].mute, 1);
  EXPECT_FALSE(e.showMidi);
  EXPECT_EQ(MenuState(kViewMenuPosition, kCmShowVideoTracks) & MF_CHECKED, 0u);
  EXPECT_EQ(MenuState(kViewMenuPosition, kCmShowAudioTracks) & MF_CHECKED, UINT(MF_CHECKED));
  EXPECT_EQ(players_.video.calls.back(), "attach");
  EXPECT_EQ(players_.notices.back(), (ProjectPlayers::Notice{kMixerLineCount, 2}));
}

// A record whose reader the user cancels (as a question of the summary's
// owner might be).
class CancelledSummary : public ProjectSummaryRecord {
 public:
  CancelledSummary() { before_ = SetProjectSummaryRecord(this); }
  ~CancelledSummary() override { SetProjectSummaryRecord(before_); }
  bool WriteBody(HMMIO file) override { return mmioWrite(file, "sum", 4) == 4; }
  int ReadBody(HMMIO, LONG) override { return kErrCancelled; }

 private:
  ProjectSummaryRecord* before_;
};

TEST_F(OpenSaveTest, ACancelledLoadIsAppliedUnmodifiedAndAnInvalidOneModified) {
  FakeAudio* a = Sound("/media/a.wav", 8000);
  std::string cancelled;
  {
    CancelledSummary summary;
    cancelled = WriteProjectFile("cancelled.tml", [&](FilmListHead& films, TimeLineEngine&) {
      SoundIn(films, a, 0, 0, 1000);
      SoundIn(films, a, 1, 2000, 1000);
    });
    EXPECT_EQ(OpenFile(cancelled), kErrCancelled);
  }
  EXPECT_EQ(Count(), 2);
  EXPECT_FALSE(Engine().IsModified());

  const std::string invalid = WriteProjectFile("invalid.tml", [&](FilmListHead& films, TimeLineEngine&) {
    SoundIn(films, a, 0, 0, 1000);
    SoundIn(films, a, 1, 2000, 1000)->audioLine = 7;
  });
  EXPECT_EQ(OpenFile(invalid), kErrInvalidFormat);
  EXPECT_EQ(Count(), 1);
  EXPECT_TRUE(Engine().IsModified());
}

TEST_F(OpenSaveTest, MediaThatNoLongerFitLeaveTheirClips) {
  FakeVideo* bad = Video("/media/bad.avi", 100);
  FakeAudio* a = Sound("/media/a.wav", 8000);
  FakeMidi* m1 = Midi("/media/one.mid", 3000);
  FakeMidi* m2 = Midi("/media/two.mid", 3000);
  const std::string path = WriteProjectFile("p.tml", [&](FilmListHead& films, TimeLineEngine&) {
    filmtest::FakeClip both(bad, a, nullptr, 0, 2000, 2000);
    Film::Link(new Film(both, 0, kKindVideo | kKindAudio, 0, 0), films);
    PictureIn(films, bad, 1, 4000, 25);
    filmtest::FakeClip first(nullptr, nullptr, m1, 0, 1000, 1000);
    Film::Link(new Film(first, 6000, kKindMidi, 0, 0), films);
    filmtest::FakeClip second(nullptr, nullptr, m2, 0, 1000, 1000);
    Film::Link(new Film(second, 8000, kKindMidi, 0, 0), films);
  });
  bad->directPlayable = false;

  EXPECT_EQ(OpenFile(path), 0);

  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                            "Load Project: File '/media/bad.avi' has invalid format",
                            "Load Project: File '/media/bad.avi' has invalid format",
                            "Load Project: Only single midi file is supported",
                        }));
  std::vector<Film*> films = Films();
  ASSERT_EQ(films.size(), 2u);
  EXPECT_EQ(films[0]->video, nullptr);
  EXPECT_EQ(films[0]->videoRow, -1);
  EXPECT_EQ(films[0]->audio, a);
  EXPECT_EQ(films[1]->midi, m2);
  EXPECT_EQ(bad->refs, 1) << "only the test's own reference is left";
  EXPECT_EQ(m1->refs, 1);
  EXPECT_TRUE(Engine().IsModified());
}

TEST_F(OpenSaveTest, MissingEffectComponentsAreListedOnceAndTheLoadCountsAsRepaired) {
  FakeAudio* a = Sound("/media/a.wav", 8000);
  const std::string path = WriteProjectFile("p.tml", [&](FilmListHead& films, TimeLineEngine& e) {
    SoundIn(films, a, 0, 0, 1000)->effects = Effects();
    SoundIn(films, a, 1, 0, 1000)->effects = Effects();
    e.masterEffects = Effects();
  });
  listsOpen_ = false;
  dialogs_.realMissingDialog = true;
  dialogtest::ModalScript script({[](HWND d) {
    EXPECT_EQ(dialogtest::Text(d), "Open Audio Effects");
    dialogtest::Click(d, IDOK);
  }});

  EXPECT_EQ(OpenFile(path), kErrAlreadyDone);

  EXPECT_EQ(script.shown, 1);
  EXPECT_EQ(dialogs_.missingShown.size(), 1u);
  for (Film* f : Films()) EXPECT_EQ(f->effects, nullptr);
  EXPECT_EQ(Engine().masterEffects, nullptr);
  ASSERT_EQ(stubborn_.size(), 3u);
  for (const auto& list : stubborn_) {
    EXPECT_EQ(list->refs, 0);
    EXPECT_EQ(list->openCount, 0);
  }
  EXPECT_TRUE(Engine().IsModified());
}

TEST_F(OpenSaveTest, TheOldProjectsEffectListsGoAlsoWithoutClips) {
  const std::string path = OneClipEndingAt(3000);
  filmtest::FakeEffects* master = Effects();
  filmtest::FakeEffects* line = Effects();
  Engine().masterEffects = master;
  Engine().audioPanel[2].effects = line;
  ASSERT_EQ(OpenFile(path), 0);
  EXPECT_EQ(master->refs, 0);
  EXPECT_EQ(line->refs, 0);
  EXPECT_EQ(Engine().masterEffects, nullptr);
  // The audio engine no longer holds them either.
  EXPECT_EQ(mixer_.handed[0], nullptr);
  EXPECT_EQ(mixer_.handed[3], nullptr);
  EXPECT_EQ(mixer_.calls.front(), "lock");
}

TEST_F(OpenSaveTest, OpenIsRefusedWhilePlaying) {
  AudioFilm(Sound("/media/old.wav", 5000), 0, 0, 1000);
  const std::string path = OneClipEndingAt(3000);
  Engine().playing = true;
  EXPECT_EQ(OpenFile(path), kErrPlaying);
  Engine().playing = false;
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Films()[0]->audio->GetFileName(), std::string("/media/old.wav"));
}

TEST_F(OpenSaveTest, SaveWritesTheProjectAndUndoGoesBackBeforeIt) {
  AudioFilm(Sound("/media/a.wav", 8000), 0, 0, 1000);
  Engine().MarkUndo(kUndoEdit);
  AudioFilm(media.audios[0], 1, 2000, 1000);
  Engine().SetModified(true);
  const std::string path = FilePath("saved.tml");

  ASSERT_TRUE(window_->SaveProject(path.c_str(), files_.path().c_str(), nullptr));
  EXPECT_FALSE(Engine().IsModified());

  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(Count(), 1);
  EXPECT_TRUE(Engine().IsModified()) << "the state before differs from the file";
  ASSERT_TRUE(Engine().CmRedo());
  EXPECT_EQ(Count(), 2);
  EXPECT_FALSE(Engine().IsModified()) << "the saved state is the file's";

  ASSERT_EQ(OpenFile(path), 0);
  EXPECT_EQ(Count(), 2);
}

TEST_F(OpenSaveTest, AFailedSaveChangesNothing) {
  AudioFilm(Sound("/media/a.wav", 8000), 0, 0, 1000);
  Engine().SetModified(true);
  const int depth = UndoDepth();
  const std::string path = FilePath("no/such/folder/p.tml");
  EXPECT_FALSE(window_->SaveProject(path.c_str(), files_.path().c_str(), nullptr));
  EXPECT_TRUE(Engine().IsModified());
  EXPECT_EQ(UndoDepth(), depth);
}

TEST_F(OpenSaveTest, CopyFromFileFillsOnlyTheClipboard) {
  FakeAudio* a = Sound("/media/a.wav", 8000);
  FakeAudio* gone = Sound("/media/gone.wav", 8000);
  const std::string path = WriteProjectFile("p.tml", [&](FilmListHead& films, TimeLineEngine& e) {
    SoundIn(films, a, 0, 0, 1000);
    SoundIn(films, a, 1, 500, 1000);
    SoundIn(films, gone, 2, 0, 1000);
    e.masterGain = 100;
    e.length = 99000;
  });
  projectMedia_.missing = {gone->file};
  AudioFilm(Sound("/media/mine.wav", 5000), 3, 0, 1000);
  ClipClipboard.Clear();
  Film::Link(new Film(*Films()[0], kKindAudio), ClipClipboard);
  const int32_t length = Engine().length;
  const int depth = UndoDepth();

  HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_READ);
  ASSERT_NE(file, nullptr);
  PathRecord folders(files_.path().c_str(), true);
  SynonymFile* moved = nullptr;
  EXPECT_EQ(window_->CopyFromFile(file, &folders, &moved), 0);
  SynonymFile::FreeList(moved);
  mmioClose(file, 0);

  EXPECT_EQ(ClipClipboard.Count(), 2);
  EXPECT_EQ(ClipClipboard.First()->audio, a);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Engine().masterGain, 512);
  EXPECT_EQ(Engine().length, length);
  EXPECT_EQ(UndoDepth(), depth);
  EXPECT_FALSE(Engine().IsModified()) << "a clip left out of the clipboard changes no project";
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(OpenSaveTest, CopyFromFileNamesTheKindsThatDoNotFit) {
  FakeVideo* v = Video("/media/v.avi", 100);
  FakeAudio* a = Sound("/media/a.wav", 8000);
  FakeMidi* mine = Midi("/media/mine.mid", 3000);
  FakeMidi* theirs = Midi("/media/theirs.mid", 3000);
  const std::string path = WriteProjectFile("p.tml", [&](FilmListHead& films, TimeLineEngine&) {
    PictureIn(films, v, 0, 0, 25);
    SoundIn(films, a, 0, 0, 1000);
    filmtest::FakeClip midi(nullptr, nullptr, theirs, 0, 1000, 1000);
    Film::Link(new Film(midi, 0, kKindMidi, 0, 0), films);
  });
  filmtest::FakeClip clip(nullptr, nullptr, mine, 0, 1000, 1000);
  Place(new Film(clip, 0, kKindMidi, 0, 0));

  const struct {
    bool videoFits, audioFits;
    const char* text;
  } cases[] = {
      {false, false, "VIDEO/AUDIO/MIDI"},
      {true, false, "AUDIO/MIDI"},
      {true, true, "MIDI"},
  };
  for (const auto& c : cases) {
    v->directPlayable = c.videoFits;
    a->directFormat = c.audioFits;
    boxes.boxes.clear();
    HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_READ);
    ASSERT_NE(file, nullptr);
    PathRecord folders(files_.path().c_str(), true);
    SynonymFile* moved = nullptr;
    window_->CopyFromFile(file, &folders, &moved);
    SynonymFile::FreeList(moved);
    mmioClose(file, 0);
    ASSERT_EQ(boxes.boxes.size(), 1u) << c.text;
    EXPECT_EQ(boxes.boxes[0].caption, "Add Project");
    EXPECT_EQ(boxes.boxes[0].text, std::string("Added in Clipboard ") + c.text +
                                       " clips have format different from current project!\n"
                                       "They will be skipped by Paste/Insert commands!");
    EXPECT_TRUE(boxes.boxes[0].flags & MB_ICONINFORMATION);
  }
}

}  // namespace
}  // namespace projectcmdtest
