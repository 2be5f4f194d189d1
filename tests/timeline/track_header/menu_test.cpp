// A row's menu as the panels show it, and its commands chosen there.
#include "model/changed_ranges.h"
#include "panel_fixture.h"

namespace paneltest {
namespace {

using Menu = PanelTest;
using Items = std::vector<std::string>;

TEST_F(Menu, EachPanelShowsItsItemsGreyedAndCheckedByTheRowsState) {
  OpenPanels();
  EXPECT_EQ(RightClick(AudioPanel(), 0), (Items{"Name...=101",
                                                "Move up=113 grey",
                                                "Move down=114",
                                                "Height>",
                                                "Height>Double=105",
                                                "Height>Normal=104 checked",
                                                "Height>Half=103",
                                                "Height>Small (locked)=102",
                                                "-",
                                                "Track Volume...=517 grey",
                                                "Audio effects>",
                                                "Audio effects>Add new...=518",
                                                "Audio effects>Paste=341 grey",
                                                "Audio effects>Add=342 grey",
                                                "Audio effects>Delete=343 grey",
                                                "Audio effects>-",
                                                "Audio effects>Use=519 grey",
                                                "Duplicate track=115 grey",
                                                "-",
                                                "Solo=111",
                                                "Mute=112"}));

  // The last line, with effects in use, a clip, in solo; the effect
  // clipboard holds effects.
  EffectList::SetDefault(GainList({0.5f}));
  AudioRow(3).effects = GainList({2.0f});
  AudioRow(3).solo = 1;
  AudioRow(3).SetZoom(2);
  AudioFilm(Audio("a.wav", 10000), 3, 0, 1000);
  EXPECT_EQ(RightClick(AudioPanel(), 3), (Items{"Name...=101",
                                                "Move up=113",
                                                "Move down=114 grey",
                                                "Height>",
                                                "Height>Double=105",
                                                "Height>Normal=104",
                                                "Height>Half=103 checked",
                                                "Height>Small (locked)=102",
                                                "-",
                                                "Track Volume...=517 grey",
                                                "Audio effects>",
                                                "Audio effects>Edit...=518",
                                                "Audio effects>Paste=341",
                                                "Audio effects>Add=342",
                                                "Audio effects>Delete=343",
                                                "Audio effects>-",
                                                "Audio effects>Use=519 checked",
                                                "Duplicate track=115",
                                                "-",
                                                "Solo=111 checked",
                                                "Mute=112"}));
  LineEffects(AudioRow(3))->bypass = 1;
  const Items bypassed = RightClick(AudioPanel(), 3);
  EXPECT_NE(std::find(bypassed.begin(), bypassed.end(), "Audio effects>Use=519"), bypassed.end());

  Engine().videoPanel[1].mute = 1;
  EXPECT_EQ(RightClick(VideoPanel(), 1),
            (Items{"Name...=101", "Move up=113", "Move down=114 grey", "Height>", "Height>Double=105",
                   "Height>Normal=104 checked", "Height>Half=103", "Height>Small (locked)=102", "-",
                   "Solo=111", "Mute=112 checked"}));
  EXPECT_EQ(RightClick(*window_->VFXHeader(), 0),
            (Items{"Name...=101", "Height>", "Height>Double=105", "Height>Normal=104 checked",
                   "Height>Half=103", "Height>Small (locked)=102"}));

  // No menu while playing.
  Engine().playing = true;
  EXPECT_TRUE(RightClick(AudioPanel(), 0).empty());
  Engine().playing = false;
}

TEST_F(Menu, RenamingIsOneUndoStep) {
  OpenPanels();
  dialogs_.nameAnswer = std::make_unique<std::string>("Drums");
  Choose(AudioPanel(), 2, kCmTrackRename);
  EXPECT_STREQ(AudioRow(2).name, "Drums");
  EXPECT_EQ(dialogs_.titles, (std::vector<std::string>{"Track Name"}));
  EXPECT_EQ(Snapshots(), 1);
  EXPECT_TRUE(Engine().IsModified());
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_STREQ(AudioRow(2).name, "Audio track number 3");

  // Cancelled: nothing changes.
  dialogs_.nameAnswer.reset();
  const int before = Snapshots();
  Choose(AudioPanel(), 2, kCmTrackRename);
  EXPECT_STREQ(AudioRow(2).name, "Audio track number 3");
  EXPECT_EQ(Snapshots(), before);
}

TEST_F(Menu, MovingALineTakesItsClipsAlong) {
  OpenPanels();
  Film* f = AudioFilm(Audio("a.wav", 10000), 1, 0, 1000);
  AudioRow(1).gain = 700;
  Choose(AudioPanel(), 1, kCmTrackMoveDown);
  EXPECT_EQ(f->audioLine, 2);
  EXPECT_EQ(AudioRow(2).gain, 700);
  Choose(AudioPanel(), 2, kCmTrackMoveUp);
  Choose(AudioPanel(), 1, kCmTrackMoveUp);
  EXPECT_EQ(f->audioLine, 0);
  EXPECT_STREQ(AudioRow(0).name, "Audio track number 2");
}

TEST_F(Menu, AHeightChangeResizesTheFrameByTheRowsChange) {
  OpenPanels();
  const int before = FrameRect().Height();
  Choose(AudioPanel(), 1, kCmTrackZoomDouble);
  EXPECT_EQ(AudioRow(1).height, 96);
  EXPECT_EQ(FrameRect().Height(), before + 48);
  Choose(VideoPanel(), 0, kCmTrackZoomHalf);
  EXPECT_EQ(Engine().videoPanel[0].height, 24);
  EXPECT_EQ(FrameRect().Height(), before + 48 - 24);
  // The row below moved with it.
  EXPECT_EQ(Engine().videoPanel[1].top, 25);
}

TEST_F(Menu, FoldingALineTakesItsClipsOutOfTheSelectionInOneStep) {
  OpenPanels();
  auto* sound = Audio("a.wav", 60000);
  Film* a = AudioFilm(sound, 1, 0, 1000);
  Film* b = AudioFilm(sound, 1, 2000, 1000);
  Film* c = AudioFilm(sound, 1, 4000, 1000);
  Film* other = AudioFilm(sound, 0, 0, 1000);
  a->group = b->group = other->group = SelectionGroup;
  c->group = 0;
  Choose(AudioPanel(), 1, kCmTrackZoomSmall);
  EXPECT_EQ(AudioRow(1).zoom, 3);
  EXPECT_EQ(AudioRow(1).height, 12);
  EXPECT_EQ(a->group, 0);
  EXPECT_EQ(b->group, 0);
  EXPECT_EQ(other->group, SelectionGroup);
  EXPECT_EQ(Snapshots(), 1);
  ASSERT_TRUE(Engine().CmUndo());
  EXPECT_EQ(FilmList.First()->group, SelectionGroup);

  // Nothing selected there: no undo step.
  const int before = Snapshots();
  Choose(AudioPanel(), 2, kCmTrackZoomSmall);
  EXPECT_EQ(AudioRow(2).zoom, 3);
  EXPECT_EQ(Snapshots(), before);
}

TEST_F(Menu, DuplicateCopiesTheLineOntoTheNearestFreeOne) {
  struct Case {
    int32_t lines;
    std::vector<int32_t> busy;
    int32_t row, target;  // -1: all busy
  };
  const Case cases[] = {
      {4, {0, 1, 3}, 1, 2}, {4, {1}, 1, 0},           {4, {1, 2}, 2, 3},
      {4, {0, 1}, 0, 2},    {4, {0, 1, 2, 3}, 1, -1}, {2, {0, 1}, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "row " << c.row << " of " << c.lines);
    OpenPanels(std::vector<int>(static_cast<std::size_t>(c.lines), 1));
    auto* sound = Audio("a.wav", 60000);
    for (int32_t line : c.busy) AudioFilm(sound, line, 1000 * line, 500);
    Film* second = AudioFilm(sound, c.row, 5000, 700);
    AudioRow(c.row).gain = 300;
    AudioRow(c.row).pan = -40;
    AudioRow(c.row).effects = GainList({2.0f});
    const int32_t films = FilmList.Count();
    boxes.boxes.clear();
    for (int32_t i = 0; i < 4; ++i) LineChangedRange[i].Clear();

    Choose(AudioPanel(), c.row, kCmTrackDuplicate);
    if (c.target < 0) {
      ASSERT_EQ(boxes.boxes.size(), 1u);
      EXPECT_EQ(boxes.boxes[0].text, "All audio tracks are busy!");
      EXPECT_EQ(boxes.boxes[0].caption, "Duplicate Track");
      EXPECT_EQ(FilmList.Count(), films);
      EXPECT_EQ(Snapshots(), 0);
    } else {
      EXPECT_TRUE(boxes.boxes.empty());
      const TrackRecord& t = AudioRow(c.target);
      EXPECT_EQ(t.gain, 300);
      EXPECT_EQ(t.pan, -40);
      ASSERT_NE(LineEffects(t), nullptr);
      EXPECT_NE(t.effects, AudioRow(c.row).effects);
      EXPECT_FLOAT_EQ(LiveGain(LineEffects(t)->first), 2.0f);
      std::vector<int32_t> starts;
      for (Film* f = FilmList.First(); f; f = f->next) {
        if (f->audioLine == c.target) starts.push_back(f->start);
      }
      EXPECT_EQ(starts, (std::vector<int32_t>{1000 * c.row, 5000}));
      EXPECT_EQ(Snapshots(), 1);
      EXPECT_TRUE(Engine().IsModified());
      EXPECT_LE(LineChangedRange[c.target].start, 1000 * c.row);
      EXPECT_GE(LineChangedRange[c.target].end, 5700);
      EXPECT_EQ(second->audioLine, c.row);
    }
    Close();
    UndoScript::ClearAll();
  }
}

TEST_F(Menu, DuplicateLeavesTheClipsPicturesOnTheirRow) {
  OpenPanels();
  filmtest::FakeClip clip(Video("v.avi", 1000), Audio("v.wav", 1000), nullptr, 0, 1000, 1000);
  Film* both = Place(new Film(clip, 0, kKindVideo | kKindAudio, 0, 0));
  Choose(AudioPanel(), 0, kCmTrackDuplicate);
  ASSERT_EQ(FilmList.Count(), 2);
  Film* copy = both->next != nullptr ? both->next : both->prev;
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->audioLine, 1);
  EXPECT_EQ(copy->video, nullptr);
  EXPECT_NE(both->video, nullptr);
}

}  // namespace
}  // namespace paneltest
