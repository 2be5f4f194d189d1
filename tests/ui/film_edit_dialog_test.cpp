// The "Clip Properties" dialog, answered by the user through its fields, and
// the Clip Properties command of the time-line running it.
#include "ui/film_edit_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_script.h"
#include "fake_shell.h"
#include "model/edit_fakes.h"
#include "model/players.h"
#include "resources/clip_dialog_ids.h"
#include "ui/time_code_edit.h"

using namespace dialogtest;

namespace edittest {
namespace {

// A video output that notes the frames it is asked to show.
class ShowingVideo : public VideoEngine {
 public:
  SubVideoPlayer* CurrentSubPlayer() override { return nullptr; }
  int32_t BaseFrame() override { return 0; }
  bool* ShowTimeoutsOption() override { return &option; }
  bool Play(Film*, int32_t, int32_t, FilmListHead&, HWND) override { return false; }
  void ShowOnBoard(VideoSource* source, int32_t ms, HWND window) override {
    shown.push_back({source, ms, window});
  }
  int32_t FindKeyFrame(VideoSource*, int32_t frame) override { return frame; }

  struct Show {
    VideoSource* source;
    int32_t ms;
    HWND window;
  };
  std::vector<Show> shown;
  bool option = false;
};

class ShowingPlayers : public EditPlayers {
 public:
  VideoEngine* Video() override { return &output; }
  ShowingVideo output;
};

TimeCodeEdit* Field(HWND dialog, int id) {
  return dynamic_cast<TimeCodeEdit*>(TWindow::GetWindowPtr(GetDlgItem(dialog, id)));
}

struct Range {
  int32_t min, max;
  bool operator==(const Range&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Range& r) {
  return os << "[" << r.min << ", " << r.max << "]";
}

Range RangeOf(HWND dialog, int id) {
  TimeCodeEdit* field = Field(dialog, id);
  return field != nullptr ? Range{field->GetMin(), field->GetMax()} : Range{-1, -1};
}

class FilmEditDialogTest : public EditTest {
 protected:
  void SetUp() override {
    EditTest::SetUp();
    TakeBeeps();
  }
  void TearDown() override {
    KeyFrameAlignment() = false;
    SetProjectTimeFormat(kTimeFormatMs);
    GuiPumpMessages();
    EditTest::TearDown();
  }
  bool Run(Film& film, int32_t lo, int32_t hi, bool& showFrame) {
    return RunFilmEditDialog(nullptr, film, lo, hi, showFrame, &players);
  }

  ShowingPlayers players;
  FakeShell shell;
};

TEST_F(FilmEditDialogTest, EditsLimitTheOtherTimesToTheSourceAndTheRoom) {
  enum Kind { kAudio, kVideo, kMidi };
  struct Edit {
    int id;  // 0: none
    const char* digits;
  };
  struct Case {
    const char* what;
    Kind kind;
    int format;
    int32_t start, in, out, lo, hi;
    Edit edit;
    Range in_, out_, start_;
    int32_t wantIn, wantOut, wantStart, wantEnd;
    const char* wantStop;
  };
  // Sources of 10 s (a MIDI file of 20 s played at tempo 500); 25 frames a second.
  const Case cases[] = {
      {"an audio clip in the middle of its room",
       kAudio,
       kTimeFormatMs,
       2000,
       1000,
       3000,
       0,
       10000,
       {},
       {0, 2999},
       {1001, 9000},
       {0, 8000},
       1000,
       3000,
       2000,
       4000,
       "00:00:04:000ms"},
      {"a clip at the end of its room cannot get a larger out",
       kAudio,
       kTimeFormatMs,
       8000,
       1000,
       3000,
       0,
       10000,
       {kClipOut, "5000"},
       {1000, 2999},
       {1001, 3000},
       {0, 8000},
       1000,
       3000,
       8000,
       10000,
       "00:00:10:000ms"},
      {"a later in shortens the clip and frees the start",
       kAudio,
       kTimeFormatMs,
       2000,
       1000,
       3000,
       0,
       10000,
       {kClipIn, "2000"},
       {0, 2999},
       {2001, 10000},
       {0, 9000},
       2000,
       3000,
       2000,
       3000,
       "00:00:03:000ms"},
      {"typed digit by digit, an in never cuts the out short",
       kAudio,
       kTimeFormatMs,
       2000,
       5000,
       9000,
       0,
       10000,
       {kClipIn, "6000"},
       {1000, 8999},
       {6001, 10000},
       {0, 7000},
       6000,
       9000,
       2000,
       5000,
       "00:00:05:000ms"},
      {"a later start takes room from the out",
       kAudio,
       kTimeFormatMs,
       2000,
       1000,
       3000,
       0,
       10000,
       {kClipStart, "7000"},
       {0, 2999},
       {1001, 4000},
       {0, 8000},
       1000,
       3000,
       7000,
       9000,
       "00:00:09:000ms"},
      {"the out never passes the source's end",
       kAudio,
       kTimeFormatMs,
       0,
       7000,
       9000,
       0,
       60000,
       {kClipOut, "20000"},
       {0, 9999},
       {7001, 10000},
       {0, 57000},
       7000,
       10000,
       0,
       3000,
       "00:00:03:000ms"},
      {"a video clip in milliseconds moves in whole frames",
       kVideo,
       kTimeFormatMs,
       2000,
       1000,
       3000,
       0,
       10000,
       {kClipIn, "1030"},
       {0, 2960},
       {1080, 9040},
       {0, 8040},
       1040,
       3000,
       2000,
       3960,
       "00:00:03:960ms"},
      {"a video clip's room is held to whole frames inside it",
       kVideo,
       kTimeFormatMs,
       2000,
       1000,
       3000,
       1010,
       9990,
       {},
       {0, 2960},
       {1040, 8960},
       {1040, 7960},
       1000,
       3000,
       2000,
       4000,
       "00:00:04:000ms"},
      {"an audio clip steps by frames in the time-code formats",
       kAudio,
       kTimeFormatSmpte,
       2000,
       1000,
       3000,
       0,
       10000,
       {kClipOut, "00000210"},
       {0, 2360},
       {1040, 9000},
       {0, 8600},
       1000,
       2400,
       2000,
       3400,
       "00:00:03:10fr"},
      {"a MIDI clip's source is its length at the clip's tempo",
       kMidi,
       kTimeFormatMs,
       0,
       0,
       4000,
       0,
       60000,
       {kClipOut, "30000"},
       {0, 9999},
       {1, 10000},
       {0, 50000},
       0,
       10000,
       0,
       10000,
       "00:00:10:000ms"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetProjectTimeFormat(c.format);
    FakeVideo* v = c.kind == kVideo ? NewVideo(250) : nullptr;
    FakeAudio* a = c.kind == kAudio ? NewAudio(10000) : nullptr;
    FakeMidi* m = c.kind == kMidi ? NewMidi(20000) : nullptr;
    Film* film = Make("clip", v, a, m, c.start, c.out - c.in, 0, 0, c.in);
    film->tempo = 500;
    bool showFrame = false;
    Range in, out, start;
    std::string stop;
    ModalScript script({[&](HWND d) {
      if (c.edit.id != 0) {
        TypeTime(d, c.edit.id, c.edit.digits);
        Key(d, VK_TAB);
      }
      in = RangeOf(d, kClipIn);
      out = RangeOf(d, kClipOut);
      start = RangeOf(d, kClipStart);
      stop = ItemText(d, kClipStop);
      Click(d, IDOK);
    }});
    ASSERT_TRUE(Run(*film, c.lo, c.hi, showFrame));
    EXPECT_EQ(in, c.in_);
    EXPECT_EQ(out, c.out_);
    EXPECT_EQ(start, c.start_);
    EXPECT_EQ(stop, c.wantStop);
    EXPECT_EQ(film->in, c.wantIn);
    EXPECT_EQ(film->out, c.wantOut);
    EXPECT_EQ(film->start, c.wantStart);
    EXPECT_EQ(film->end, c.wantEnd);
    delete film;
  }
}

TEST_F(FilmEditDialogTest, OkMovesTheInPointToTheNearestKeyFrameOnceAndTheStartWithIt) {
  struct Case {
    const char* what;
    std::set<int32_t> keyFrames;
    int32_t hi;
    int32_t wantIn, wantStart;
  };
  // In at frame 95, start at frame 100, out at frame 195: the stop stays at
  // 8000 ms whichever way the in point moves.
  const Case cases[] = {
      {"five frames on", {0, 100}, 20000, 4000, 4200},
      {"five frames back, at the end of the room", {0, 90}, 8000, 3600, 3800},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeVideo* video = NewVideo(1000);
    video->keyFrames = c.keyFrames;
    Film* film = Make("clip", video, nullptr, nullptr, 4000, 4000, 0, 0, 3800);
    KeyFrameAlignment() = true;
    bool showFrame = false;
    bool openAfterFirst = false;
    std::string inShown;
    ModalScript script({[&](HWND d) {
      Click(d, IDOK);
      openAfterFirst = IsWindowVisible(d);
      inShown = Field(d, kClipIn)->GetText();
      Click(d, IDOK);
    }});
    ASSERT_TRUE(Run(*film, 0, c.hi, showFrame));
    EXPECT_TRUE(openAfterFirst);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Align current time to the nearest frame");
    EXPECT_EQ(boxes.boxes[0].caption, "Edit Clip");
    EXPECT_EQ(boxes.boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(inShown, std::string(MsToTimeCodeText(c.wantIn, FALSE)));
    EXPECT_EQ(film->in, c.wantIn);
    EXPECT_EQ(film->start, c.wantStart);
    EXPECT_EQ(film->out, 7800);
    EXPECT_EQ(film->end, 8000);
    boxes.boxes.clear();
    delete film;
  }
}

TEST_F(FilmEditDialogTest, AnInPointOnAKeyFrameOrAlignmentOffClosesAtOnce) {
  for (bool align : {true, false}) {
    FakeVideo* video = NewVideo(1000);
    video->keyFrames = {align ? 95 : 0};
    Film* film = Make("clip", video, nullptr, nullptr, 4000, 4000, 0, 0, 3800);
    KeyFrameAlignment() = align;
    bool showFrame = false;
    ModalScript script({[&](HWND d) { Click(d, IDOK); }});
    ASSERT_TRUE(Run(*film, 0, 20000, showFrame)) << align;
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(film->in, 3800);
    delete film;
  }
}

TEST_F(FilmEditDialogTest, TheShowFrameBoxNeedsAVideoClipAndAUsableOutput) {
  struct Case {
    const char* what;
    bool video, usable, setting;
    bool enabled, checked, settingAfter;
    std::vector<int32_t> shown;  // the frame shown last after each edit
  };
  const Case cases[] = {
      {"a video clip shows its in and out frames", true, true, true, true, true, true, {1200, 3400}},
      {"unchecked, the setting goes off with OK", true, true, true, true, false, false, {}},
      {"an output that cannot be used", true, false, true, false, false, true, {}},
      {"a clip without video", false, true, true, false, false, true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    players.video = c.usable;
    players.output.shown.clear();
    Film* film = Make("clip", c.video ? NewVideo(250) : nullptr, c.video ? nullptr : NewAudio(10000), nullptr,
                      2000, 2000, 0, 0, 1000);
    bool showFrame = c.setting;
    bool enabled = false, checked = false;
    HWND dialog = nullptr;
    std::vector<int32_t> lastShown;
    const bool uncheck = c.enabled && !c.checked;
    ModalScript script({[&](HWND d) {
      dialog = d;
      enabled = IsWindowEnabled(GetDlgItem(d, kClipShowFrame));
      if (uncheck) Click(d, kClipShowFrame);
      checked = Checked(d, kClipShowFrame);
      // Each digit typed changes the time, so frames come as the user types.
      TypeTime(d, kClipIn, "1200");
      Key(d, VK_TAB);
      if (!players.output.shown.empty()) lastShown.push_back(players.output.shown.back().ms);
      const size_t afterIn = players.output.shown.size();
      TypeTime(d, kClipOut, "3400");
      Key(d, VK_TAB);
      if (players.output.shown.size() > afterIn) lastShown.push_back(players.output.shown.back().ms);
      Click(d, IDOK);
    }});
    ASSERT_TRUE(Run(*film, 0, 20000, showFrame));
    EXPECT_EQ(enabled, c.enabled);
    EXPECT_EQ(checked, c.checked);
    EXPECT_EQ(showFrame, c.settingAfter);
    for (const ShowingVideo::Show& s : players.output.shown) {
      EXPECT_EQ(s.source, film->video);
      EXPECT_EQ(s.window, dialog);
    }
    EXPECT_EQ(lastShown, c.shown);
    delete film;
  }
}

TEST_F(FilmEditDialogTest, ALongNameIsCutTo127Characters) {
  Film* film = Make("clip", nullptr, NewAudio(10000), nullptr, 0, 1000);
  const std::string longName(200, 'n');
  bool showFrame = false;
  ModalScript script({[&](HWND d) {
    SetDlgItemText(d, kClipName, longName.c_str());
    Click(d, IDOK);
  }});
  ASSERT_TRUE(Run(*film, 0, 20000, showFrame));
  EXPECT_EQ(std::string(film->name), longName.substr(0, 127));
  delete film;
}

TEST_F(FilmEditDialogTest, CancelLeavesTheFilmAsItWas) {
  Film* film = OnLine("clip", NewVideo(250), NewAudio(10000), nullptr, 2000, 2000, 0, 0, 1000);
  const auto before = Records(FilmList);
  bool showFrame = true;
  ModalScript script({[&](HWND d) {
    SetDlgItemText(d, kClipName, "renamed");
    TypeTime(d, kClipStart, "5000");
    Key(d, VK_TAB);
    Click(d, kClipShowFrame);
    Key(d, VK_ESCAPE);
  }});
  EXPECT_FALSE(Run(*film, 0, 20000, showFrame));
  EXPECT_EQ(Records(FilmList), before);
  EXPECT_TRUE(showFrame);
}

// The Clip Properties command with the real dialog.
class DialogEditView : public EditView {
 public:
  bool RunFilmEditDialog(Film& film, int32_t earliestStart, int32_t latestEnd, bool& showFrame) override {
    return ::RunFilmEditDialog(nullptr, film, earliestStart, latestEnd, showFrame, players);
  }
  TimeLinePlayers* players = nullptr;
};

class ClipPropertiesCommand : public FilmEditDialogTest {
 protected:
  void SetUp() override {
    FilmEditDialogTest::SetUp();
    dialogView.players = &players;
    engine.AttachView(&dialogView);
    engine.SetPlayers(&players);
  }
  DialogEditView dialogView;
};

TEST_F(ClipPropertiesCommand, OkPutsTheEditedCopyInPlaceWithinTheNeighboursRoom) {
  engine.length = 12000;
  FakeAudio* audio = NewAudio(20000);
  OnLine("before", nullptr, NewAudio(), nullptr, 1000, 2000, 0, 1);
  Film* film = OnLine("clip", nullptr, audio, nullptr, 5000, 2000, 0, 1);
  OnLine("after", nullptr, NewAudio(), nullptr, 9000, 1000, 0, 1);
  Range startRange;
  ModalScript script({[&](HWND d) {
    startRange = RangeOf(d, kClipStart);
    SetDlgItemText(d, kClipName, "renamed");
    TypeTime(d, kClipStart, "6000");
    Key(d, VK_TAB);
    Click(d, IDOK);
  }});
  engine.EditClipProperties(film);
  EXPECT_EQ(startRange, (Range{3000, 7000}));
  EXPECT_EQ(Named("clip"), nullptr);
  Film* edited = Named("renamed");
  ASSERT_NE(edited, nullptr);
  EXPECT_EQ(edited->start, 6000);
  EXPECT_EQ(edited->end, 8000);
  EXPECT_EQ(edited->audio, audio);
  EXPECT_EQ(FilmList.Count(), 3);
  EXPECT_EQ(UndoSteps(), 1);
  ExpectNoOverlapAndSorted(FilmList);
}

TEST_F(ClipPropertiesCommand, CancelChangesNoCount) {
  FakeVideo* video = NewVideo(250);
  FakeAudio* audio = NewAudio(10000);
  Film* film = OnLine("clip", video, audio, nullptr, 2000, 2000, 0, 0, 1000);
  const auto before = Records(FilmList);
  const int videoRefs = video->refs, audioRefs = audio->refs, videoOpen = video->openCount,
            audioOpen = audio->openCount;
  ModalScript script({[&](HWND d) {
    TypeTime(d, kClipIn, "1500");
    Key(d, VK_TAB);
    Click(d, IDCANCEL);
  }});
  engine.EditClipProperties(film);
  EXPECT_EQ(Records(FilmList), before);
  EXPECT_EQ(video->refs, videoRefs);
  EXPECT_EQ(audio->refs, audioRefs);
  EXPECT_EQ(video->openCount, videoOpen);
  EXPECT_EQ(audio->openCount, audioOpen);
  EXPECT_EQ(UndoSteps(), 0);
  EXPECT_FALSE(engine.IsModified());
}

}  // namespace
}  // namespace edittest
