#include "ui/value_dialogs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dialog_script.h"
#include "fake_shell.h"
#include "model/time_code.h"
#include "platform/classlib/classlib.h"
#include "resources/value_dialog_ids.h"
#include "ui/time_code_edit.h"

using namespace dialogtest;

namespace {

// What a time field shows.
std::string TimeShown(HWND dialog, int id) {
  auto* field = dynamic_cast<TimeCodeEdit*>(TWindow::GetWindowPtr(GetDlgItem(dialog, id)));
  return field != nullptr ? field->GetText() : "";
}

class ValueDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    GuiPumpMessages();
    TakeBeeps();
  }
  void TearDown() override {
    frame_.reset();
    SetProjectTimeFormat(kTimeFormatMs);
    SetProjectFrameRate(25.0f);
    GuiPumpMessages();
  }
  HWND owner() const { return frame_->GetHandle(); }

  std::unique_ptr<TFrameWindow> frame_;
  FakeShell shell_;
};

TEST_F(ValueDialogs, TheTimeRangeOpensWithinItsLimitsAndKeepsOneUnit) {
  struct Case {
    const char* what;
    int format;
    int32_t left, right, min, max;
    const char* typedRight;  // digits typed into the right edge, or null
    int32_t wantLeft, wantRight;
    const char* wantSize;
  };
  const Case cases[] = {
      {"ms: an empty range opens one ms long", kTimeFormatMs, 5000, 5000, 0, 10000, nullptr, 5000, 5001,
       "00:00:00:001ms"},
      {"frames: a reversed range opens one frame long", kTimeFormatFrames, 5000, 4000, 0, 60000, nullptr,
       5000, 5040, "0000001fr"},
      {"smpte: the same", kTimeFormatSmpte, 2000, 0, 0, 60000, nullptr, 2000, 2040, "00:00:00:01fr"},
      {"ms: a left edge at the top is lowered a unit", kTimeFormatMs, 10000, 12000, 0, 10000, nullptr, 9999,
       10000, "00:00:00:001ms"},
      {"frames: lowered a frame", kTimeFormatFrames, 10000, 12000, 0, 10000, nullptr, 9960, 10000,
       "0000001fr"},
      {"edges outside the limits come inside", kTimeFormatMs, 100, 90000, 1000, 60000, nullptr, 1000, 60000,
       "00:00:59:000ms"},
      {"ms: the right edge typed onto the left stays 1 ms after it", kTimeFormatMs, 5000, 8000, 0, 10000,
       "5000", 5000, 5001, "00:00:00:001ms"},
      {"frames: one frame after it", kTimeFormatFrames, 5000, 8000, 0, 10000, "125", 5000, 5040, "0000001fr"},
      {"a right edge typed within the limits", kTimeFormatMs, 5000, 8000, 0, 10000, "7250", 5000, 7250,
       "00:00:02:250ms"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetProjectTimeFormat(c.format);
    int32_t left = c.left, right = c.right;
    std::string caption, size;
    ModalScript script({[&](HWND d) {
      caption = Text(d);
      if (c.typedRight != nullptr) {
        TypeTime(d, kRangeRight, c.typedRight);
        Key(d, VK_TAB);
      }
      size = ItemText(d, kRangeSize);
      Click(d, IDOK);
    }});
    EXPECT_TRUE(RunTimeFragmentDialog(owner(), "Set Range", &left, &right, c.min, c.max));
    EXPECT_TRUE(script.done());
    EXPECT_EQ(caption, "Set Range");
    EXPECT_EQ(left, c.wantLeft);
    EXPECT_EQ(right, c.wantRight);
    EXPECT_EQ(size, c.wantSize);
  }
}

TEST_F(ValueDialogs, AnInvalidTimeOnOkTakesTheFocusAndBeepsAndCancelStoresNothing) {
  int32_t left = 1000, right = 3000;
  bool stillOpen = false, focused = false;
  std::vector<UINT> beeps;
  ModalScript script({[&](HWND d) {
    // A fresh entry beyond the limit is not taken until it is committed.
    TypeTime(d, kRangeLeft, "99000");
    Key(d, VK_RETURN);
    stillOpen = IsWindowVisible(d);
    focused = GetFocus() == GetDlgItem(d, kRangeLeft);
    beeps = TakeBeeps();
    // Committed (clamped) and then cancelled.
    Key(d, VK_TAB);
    TypeTime(d, kRangeRight, "9000");
    Key(d, VK_TAB);
    Key(d, VK_ESCAPE);
  }});
  EXPECT_FALSE(RunTimeFragmentDialog(owner(), nullptr, &left, &right, 0, 10000));
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(focused);
  EXPECT_EQ(beeps, std::vector<UINT>{MB_ICONASTERISK});
  EXPECT_EQ(left, 1000);
  EXPECT_EQ(right, 3000);
}

TEST_F(ValueDialogs, TheTimeDialogStoresATimeWithinItsLimits) {
  SetProjectTimeFormat(kTimeFormatSmpte);
  int32_t time = 4000;
  std::string shown;
  ModalScript script({[&](HWND d) {
    EXPECT_EQ(Text(d), "Go To");
    TypeTime(d, kTimeCodeEdit, "1000");  // 10 s, above the limit
    Key(d, VK_RETURN);
    EXPECT_EQ(TakeBeeps(), std::vector<UINT>{MB_ICONASTERISK});
    Key(d, VK_TAB);
    Click(d, IDOK);
  }});
  EXPECT_TRUE(RunTimeCodeDialog(owner(), "Go To", &time, 0, 8000));
  EXPECT_EQ(time, 8000);
}

// "Set Size" over a project of one minute.
struct SetSizeCase {
  const char* what;
  int32_t size, minSize, areaLeft, areaRight, markLeft, markRight;
  const char* typedSize;
  int32_t wantSize, wantAreaLeft, wantAreaRight, wantMarkLeft, wantMarkRight;
};

TEST_F(ValueDialogs, SetSizeOpensSensibleRangesAndKeepsThemWithinTheNewSize) {
  const SetSizeCase cases[] = {
      {"no working area opens as the whole project", 60000, 5000, 0, 0, 1000, 2000, nullptr, 60000, 0, 60000,
       1000, 2000},
      {"a reversed time range opens empty", 60000, 5000, 1000, 9000, 5000, 3000, nullptr, 60000, 1000, 9000,
       0, 0},
      {"an empty time range stays", 60000, 5000, 1000, 9000, 4000, 4000, nullptr, 60000, 1000, 9000, 4000,
       4000},
      {"a smaller size moves the area's start to 0 and lowers the range", 60000, 5000, 30000, 50000, 20000,
       55000, "10000", 10000, 0, 10000, 10000, 10000},
      {"the area's start below the new size stays", 60000, 5000, 3000, 50000, 2000, 55000, "10000", 10000,
       3000, 10000, 2000, 10000},
      {"the size is at least a second", 500, 0, 0, 0, 0, 0, nullptr, 1000, 0, 500, 0, 0},
      {"and at least the minimum", 60000, 30000, 0, 0, 0, 0, "10000", 30000, 0, 30000, 0, 0},
  };
  for (const SetSizeCase& c : cases) {
    SCOPED_TRACE(c.what);
    int32_t tracks = 2, size = c.size, aLeft = c.areaLeft, aRight = c.areaRight, mLeft = c.markLeft,
            mRight = c.markRight;
    ModalScript script({[&](HWND d) {
      EXPECT_EQ(Text(d), "Set Size");
      EXPECT_EQ(ItemText(d, kAudioTracks), "2");
      if (c.typedSize != nullptr) {
        TypeTime(d, kProjectSize, c.typedSize);
        Key(d, VK_TAB);
      }
      Click(d, IDOK);
    }});
    EXPECT_TRUE(RunSelViewDialog(owner(), &tracks, &size, c.minSize, &aLeft, &aRight, &mLeft, &mRight));
    EXPECT_EQ(size, c.wantSize);
    EXPECT_EQ(aLeft, c.wantAreaLeft);
    EXPECT_EQ(aRight, c.wantAreaRight);
    EXPECT_EQ(mLeft, c.wantMarkLeft);
    EXPECT_EQ(mRight, c.wantMarkRight);
    EXPECT_EQ(tracks, 2);
  }
}

TEST_F(ValueDialogs, SetSizeEdgesHoldEachOtherAndTheTrackCountStaysInOneToFour) {
  int32_t tracks = 2, size = 60000, aLeft = 1000, aRight = 9000, mLeft = 2000, mRight = 4000;
  std::string areaSize, markSize, tracksShown;
  ModalScript script({[&](HWND d) {
    EXPECT_EQ(ItemText(d, kAreaSize), "00:00:08:000ms");
    // The area's start typed past its end stops a unit before it; the
    // range's end typed before its start stops at it.
    TypeTime(d, kAreaLeft, "12000");
    Key(d, VK_TAB);
    TypeTime(d, kMarkRight, "1000");
    Key(d, VK_TAB);
    areaSize = ItemText(d, kAreaSize);
    markSize = ItemText(d, kMarkSize);
    // The spin beside the track count stops at four.
    HWND spin = GetWindow(GetDlgItem(d, kAudioTracks), GW_HWNDNEXT);
    for (int i = 0; i < 3; ++i) {
      GuiClick(spin, 3, 2);
      Pump(d);
    }
    tracksShown = ItemText(d, kAudioTracks);
    Click(d, IDOK);
  }});
  EXPECT_TRUE(RunSelViewDialog(owner(), &tracks, &size, 1000, &aLeft, &aRight, &mLeft, &mRight));
  EXPECT_EQ(areaSize, "00:00:00:001ms");
  EXPECT_EQ(markSize, "00:00:00:000ms");
  EXPECT_EQ(aLeft, 8999);
  EXPECT_EQ(aRight, 9000);
  EXPECT_EQ(mLeft, 2000);
  EXPECT_EQ(mRight, 2000);
  EXPECT_EQ(tracksShown, "4");
  EXPECT_EQ(tracks, 4);
}

TEST_F(ValueDialogs, TheNameDialogWritesWhatFitsItsBufferAndNothingIntoNoRoom) {
  struct Case {
    int size;
    std::string typed, want;
  };
  const Case cases[] = {
      {128, std::string(130, 'a'), std::string(127, 'a')},
      {4, "abcdef", "abc"},
      {1, "abc", ""},
      {0, "abc", "old"},
      {-5, "abc", "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    char buffer[200] = "old";
    std::string shown;
    ModalScript script({[&](HWND d) {
      EXPECT_EQ(Text(d), "Line Name");
      shown = ItemText(d, kNameEdit);
      TypeOver(d, kNameEdit, c.typed.c_str());
      Click(d, IDOK);
    }});
    EXPECT_TRUE(RunNameDialog(owner(), "Line Name", buffer, c.size));
    EXPECT_EQ(shown, c.size >= 4 ? "old" : "");
    EXPECT_EQ(std::string(buffer), c.want);
  }
}

TEST_F(ValueDialogs, TheRepeatDialogKeepsTheCopiesWithinTheLongestTotal) {
  // A clip of 2 s with room for 10 s.
  int32_t pause = 0, count = 1;
  std::vector<std::string> totals;
  std::string periodShown, pauseShown, countShown;
  std::vector<UINT> beeps;
  ModalScript script({[&](HWND d) {
    EXPECT_EQ(ItemText(d, kLoopClipLength), "00:00:02:000ms");
    totals.push_back(ItemText(d, kLoopTotal));
    TypeOver(d, kLoopCount, "0");
    countShown = ItemText(d, kLoopCount);
    // A pause of 2 s: each copy takes 4 s, so two fit.
    TypeTime(d, kLoopPause, "2000");
    Key(d, VK_TAB);
    periodShown = TimeShown(d, kLoopPeriod);
    TypeOver(d, kLoopCount, "5");
    Key(d, VK_RETURN);  // 5 is more than fit
    beeps = TakeBeeps();
    TypeOver(d, kLoopCount, "2");
    totals.push_back(ItemText(d, kLoopTotal));
    // The period sets the pause.
    TypeTime(d, kLoopPeriod, "3000");
    Key(d, VK_TAB);
    pauseShown = TimeShown(d, kLoopPause);
    totals.push_back(ItemText(d, kLoopTotal));
    Click(d, IDOK);
  }});
  EXPECT_TRUE(RunLoopDialog(owner(), &pause, 2000, &count, 10000));
  EXPECT_EQ(countShown, "1");
  EXPECT_EQ(beeps, std::vector<UINT>{MB_ICONASTERISK});
  EXPECT_EQ(totals, (std::vector<std::string>{"00:00:02:000ms", "00:00:08:000ms", "00:00:06:000ms"}));
  EXPECT_EQ(periodShown, "00:00:04:000");
  EXPECT_EQ(pauseShown, "00:00:01:000");
  EXPECT_EQ(pause, 1000);
  EXPECT_EQ(count, 2);
}

TEST_F(ValueDialogs, ACountPutBackToOneFreesThePauseForOneCopy) {
  // Three copies of 2 s in 10 s leave at most 1.333 s of pause each; one
  // copy leaves 8 s.
  int32_t pause = 0, count = 3;
  ModalScript script({[&](HWND d) {
    TypeOver(d, kLoopCount, "0");
    TypeTime(d, kLoopPause, "5000");
    Key(d, VK_TAB);
    Click(d, IDOK);
  }});
  EXPECT_TRUE(RunLoopDialog(owner(), &pause, 2000, &count, 10000));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(pause, 5000);
}

TEST_F(ValueDialogs, TheDroppedFramesNoticeReturnsItsBox) {
  for (bool uncheck : {false, true}) {
    bool show = !uncheck;
    std::string text;
    bool checked = false;
    ModalScript script({[&](HWND d) {
      EXPECT_EQ(Text(d), "Playback");
      text = ItemText(d, kTimeoutsText);
      checked = Checked(d, kTimeoutsShowAgain);
      if (uncheck) Click(d, kTimeoutsShowAgain);
      Click(d, IDOK);
    }});
    EXPECT_TRUE(RunTimeoutsDialog(owner(), "Playback", 25, &show));
    EXPECT_EQ(text, "25 frames were dropped!");
    EXPECT_TRUE(checked);
    EXPECT_EQ(show, !uncheck);
  }
}

TEST_F(ValueDialogs, TheTempoFieldAndBarFollowEachOther) {
  int32_t tempo = 100;
  std::vector<int> positions;
  std::string reference, afterArrow;
  ModalScript script({[&](HWND d) {
    HWND bar = GetDlgItem(d, kTempoBar);
    reference = ItemText(d, kTempoReference);
    EXPECT_EQ(ItemText(d, kTempoEdit), "100");
    positions.push_back(GetScrollPos(bar, SB_CTL));
    TypeOver(d, kTempoEdit, "90");
    positions.push_back(GetScrollPos(bar, SB_CTL));
    // The bar's right arrow: one up, shown in the field.
    RECT r;
    GetClientRect(bar, &r);
    GuiClick(bar, r.right - 2, r.bottom / 2);
    Pump(d);
    positions.push_back(GetScrollPos(bar, SB_CTL));
    afterArrow = ItemText(d, kTempoEdit);
    Click(d, IDOK);
  }});
  EXPECT_TRUE(RunSetTempoDialog(owner(), &tempo, 120, 40, 240));
  EXPECT_EQ(reference, "120");
  EXPECT_EQ(positions, (std::vector<int>{60, 50, 51}));
  EXPECT_EQ(afterArrow, "91");
  EXPECT_EQ(tempo, 91);
}

}  // namespace
