// The collection's context menus and the commands that work on the tiles as
// a whole: check marks, the Skip option with its buttons, sorting, purging
// the clips the project does not use, and the editors for a clip.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "commands_fixture.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"

namespace cliptest {
namespace {

class MenuTest : public ClipCommandsTest {
 protected:
  // A point inside a tile, in the collection's client area.
  TPoint Corner(ClipWindow* tile) const {
    const TRect r = PlaceOf(tile);
    return TPoint(r.left + 3, r.top + 3);
  }
};

const MenuItem kSeparator{0, "", false};

// A film of the project that uses a tile's sources.
Film* UseInProject(ClipWindow* tile) {
  auto* film = new Film(tile->clip, 0, static_cast<int32_t>(tile->clip.kind), 0, 0);
  Film::Link(film, FilmList);
  return film;
}

TEST_F(MenuTest, TheBackgroundMenuOffersAddingPastingAndTheOtherViews) {
  TestClock clock;
  OpenBoth();
  Add(Wave("a.wav", 300));
  Add(Wave("b.wav", 300));
  const TRect client = collection_->GetClientRect();
  const TPoint empty(client.right - 5, client.bottom - 5);
  ASSERT_EQ(collection_->HitTest(empty), 1);

  std::vector<MenuItem> items;
  RightClick(empty, [&](HMENU menu) { items = ReadMenu(menu); });
  const std::vector<MenuItem> expected = {
      {kCmCollectionInsert, "Add source file...", false},
      {kCmCollectionPaste, "Paste", true},
      kSeparator,
      {kCmViewFullInfo, "Full info", false},
      {kCmViewBasicInfo, "Basic info", true},
      {kCmViewLargeIcons, "Large icons", false},
      {kCmViewSmallIcons, "Small icons", false},
  };
  EXPECT_EQ(items, expected);
  EXPECT_EQ(collection_->GetSelection(), 1);

  // While the project plays nothing can be added; a chosen view is taken.
  Engine().playing = true;
  collection_->SetSelection(0);
  Command(kCmCollectionCopy);
  RightClick(
      empty, [&](HMENU menu) { items = ReadMenu(menu); }, kCmViewLargeIcons);
  ASSERT_EQ(items.size(), expected.size());
  EXPECT_TRUE(items[0].grey);
  EXPECT_FALSE(items[1].grey);
  EXPECT_EQ(collection_->GetViewMode(), kViewLargeIcons);
  Engine().playing = false;
}

TEST_F(MenuTest, TheTileMenuOffersWhatTheClipsPartsAllow) {
  TestClock clock;
  OpenBoth();
  std::snprintf(TimeLine().Settings().videoEditor, MAX_PATH, "%s", "/tools/VEDIT.EXE");
  ClipWindow* scene = Add(Avi("scene.avi", 25, 25.0, true));
  ClipWindow* sound = Add(Wave("mono.wav", 300, 22050, 1));

  std::vector<MenuItem> items;
  auto read = [&](HMENU menu) { items = ReadMenu(menu); };
  const TPoint onScene = Corner(scene);
  RightClick(onScene, read);
  EXPECT_EQ(collection_->GetSelection(), collection_->IndexOf(scene));
  const std::vector<MenuItem> sceneItems = {
      {kCmCollectionPlay, "Play", false},
      kSeparator,
      {kCmVideoParamsFromClip, "Change project video parameters", true},
      {kCmAudioParamsFromClip, "Change project audio parameters", true},
      {kCmVideoEditorForClip, "Launch video editor (VEDIT)", false},
      {kCmAudioEditorForClip, "Launch audio editor", true},
      kSeparator,
      {kCmCollectionCopy, "Copy", false},
      {kCmCollectionAdd, "Add", false},
      {kCmCollectionPaste, "Paste", true},
      {kCmCollectionDelete, "Delete", false},
      kSeparator,
      {kCmCollectionProperties, "Properties...", false},
  };
  EXPECT_EQ(items, sceneItems);

  // A sound not in the project's format, its editor a program without an
  // extension; while the project plays.
  std::snprintf(TimeLine().Settings().audioEditor, MAX_PATH, "%s", "/opt/bin/sound-edit");
  Engine().playing = true;
  RightClick(Corner(sound), read);
  const std::vector<MenuItem> soundItems = {
      {kCmCollectionStop, "Stop", false},
      kSeparator,
      {kCmAudioParamsFromClip, "Change project audio parameters", false},
      {kCmAudioEditorForClip, "Launch audio editor", true},
      kSeparator,
      {kCmCollectionCopy, "Copy", false},
      {kCmCollectionAdd, "Add", false},
      {kCmCollectionPaste, "Paste", true},
      {kCmCollectionDelete, "Delete", false},
      kSeparator,
      {kCmCollectionProperties, "Properties...", true},
  };
  EXPECT_EQ(items, soundItems);
  Engine().playing = false;
  RightClick(Corner(sound), read, kCmAudioEditorForClip);
  EXPECT_EQ(items[3], (MenuItem{kCmAudioEditorForClip, "Launch audio editor (sound-edit)", false}));

  // The chosen items act on the clip.
  RightClick(onScene, read, kCmVideoEditorForClip);
  RightClick(onScene, read, kCmCollectionCopy);
  EXPECT_EQ(TimeLine().launched,
            (std::vector<RecordingTimeLine::Launch>{{kCmAudioEditorForClip, Media("mono.wav")},
                                                    {kCmVideoEditorForClip, Media("scene.avi")}}));
  ASSERT_EQ(ClipClipboard.Count(), 1);
  EXPECT_EQ(ClipClipboard.First()->video, scene->clip.video);
}

TEST_F(MenuTest, TheMenusChecksFollowTheViewTheSortAndTheSkipOption) {
  Ini("SKIP_USED", "0");
  OpenBoth();
  struct Case {
    int command;
    int skip;  // the option after the command
  };
  const Case cases[] = {
      {kCmSkipVideo, kSkipVideo},
      {kCmSkipVideo, kSkipNone},
      {kCmSkipVideo, kSkipVideo},
      {kCmSkipAudio, kSkipAudio},
  };
  for (const Case& c : cases) {
    Command(c.command);
    EXPECT_EQ(collection_->SkipMode(), c.skip);
    EXPECT_EQ(shell_.skipModes.back(), c.skip);
    bool video = false, audio = false;
    EXPECT_TRUE(Enabled(kCmSkipVideo, &video));
    EXPECT_TRUE(Enabled(kCmSkipAudio, &audio));
    EXPECT_EQ(video, c.skip == kSkipVideo);
    EXPECT_EQ(audio, c.skip == kSkipAudio);
  }

  for (int mode : {kViewFullInfo, kViewSmallIcons}) {
    Command(kCmViewFullInfo + mode - kViewFullInfo);
    for (int id = kCmViewFullInfo; id <= kCmViewSmallIcons; ++id) {
      bool checked = false;
      EXPECT_TRUE(Enabled(id, &checked));
      EXPECT_EQ(checked, id == kCmViewFullInfo + mode - kViewFullInfo) << id;
    }
  }
  bool sorted = true;
  Enabled(kCmAutoSort, &sorted);
  EXPECT_FALSE(sorted);
  Command(kCmAutoSort);
  Enabled(kCmAutoSort, &sorted);
  EXPECT_TRUE(sorted);
  // Keys the frame binds that nothing answers stay off.
  for (int id : {311, 312, 314, 524}) EXPECT_FALSE(Enabled(id)) << id;
}

TEST_F(MenuTest, SortingIsByNameWithoutCaseAndThenByTheClipsParts) {
  OpenBoth();
  const std::string other = Media("other");
  ASSERT_EQ(mkdir(other.c_str(), 0755), 0);
  const std::string midi = Media("theme.mid");
  WriteMidi(midi);
  Add(Wave("cherry.wav", 300));
  Add(Wave("Banana.wav", 300));
  Add(midi);
  Add(Avi("scene.avi", 10, 25.0, true));
  Add(Wave("apple.wav", 300));
  Add(Avi("Mute.avi", 10, 25.0, false));
  ClipWindow* take = Add(Wave("take.wav", 300));
  WriteWave(other + "/Take.wav", 44100, 2, 16, 300);
  ClipWindow* otherTake = Add(other + "/Take.wav");
  collection_->SetModified(false);

  Command(kCmSortByName);
  EXPECT_EQ(Names(), (std::vector<std::string>{"apple", "Banana", "cherry", "Mute", "scene", "take", "Take",
                                               "theme"}));
  EXPECT_EQ(collection_->Tile(5), take);  // equal names keep their order
  EXPECT_EQ(collection_->Tile(6), otherTake);

  Command(kCmSortByType);
  std::vector<uint32_t> kinds;
  for (int i = 0; i < collection_->TileCount(); ++i) kinds.push_back(collection_->Tile(i)->clip.kind);
  EXPECT_EQ(kinds, (std::vector<uint32_t>{3, 1, 2, 2, 2, 2, 2, 4}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"scene", "Mute", "apple", "Banana", "cherry", "take", "Take",
                                               "theme"}));
  EXPECT_FALSE(collection_->IsModified());
}

TEST_F(MenuTest, PurgeRemovesOnlyClipsTheProjectDoesNotUseAfterOneQuestion) {
  OpenBoth();
  ClipWindow* used = Add(Wave("used.wav", 300));
  const std::string unusedPath = Wave("unused.wav", 300);
  Add(unusedPath);
  ClipWindow* picture = Add(Avi("picture.avi", 10, 25.0, true));
  UseInProject(used);
  // The project has the picture's sound alone: the clip is in use.
  Film::Link(new Film(picture->clip, 0, kKindAudio, 0, 0), FilmList);
  RecordingBoxes boxes(IDCANCEL);

  // Nothing unused: nothing asked.
  Film* unusedToo = UseInProject(collection_->Tile(1));
  EXPECT_TRUE(collection_->Purge(true));
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(collection_->TileCount(), 3);
  Film::Unlink(unusedToo, FilmList);
  delete unusedToo;

  // Yes/No/Cancel: Cancel fails and No succeeds, both keep every clip.
  collection_->SetSelection(2);
  collection_->SetModified(false);
  EXPECT_FALSE(collection_->Purge(true));
  boxes.answer = IDNO;
  EXPECT_TRUE(collection_->Purge(true));
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].caption, "Purge");
  EXPECT_EQ(boxes.shown[0].text, "Do you want to remove all unused clips?");
  EXPECT_EQ(boxes.shown[0].flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
  EXPECT_EQ(collection_->TileCount(), 3);
  EXPECT_FALSE(collection_->IsModified());

  // The menu's OK/Cancel: the unused clip goes with its source and file.
  boxes.answer = IDOK;
  Command(kCmPurge);
  EXPECT_EQ(boxes.shown.back().flags, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
  EXPECT_EQ(Names(), (std::vector<std::string>{"used", "picture"}));
  EXPECT_EQ(AudioData::FindByName(unusedPath.c_str()), nullptr);
  EXPECT_NE(AudioData::FindByName(Media("used.wav").c_str()), nullptr);
  // The selected picture stays selected.
  EXPECT_EQ(collection_->GetSelection(), 1);
  EXPECT_TRUE(collection_->IsModified());
}

}  // namespace
}  // namespace cliptest
