// The range texts, the range indicator and the cursor-time display with its
// master-effects corner.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/effect_list.h"
#include "strip_fixture.h"
#include "timeline/header/cur_time_text.h"
#include "timeline/header/sel_size_text.h"
#include "timeline/header/sel_start_text.h"
#include "timeline/header/selection_text.h"
#include "timeline/window/timeline_colors.h"

namespace striptest {
namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

class TimeTextsTest : public StripTest {
 protected:
  void SetUp() override {
    StripTest::SetUp();
    OpenStrip();
    TimeLineEngine& e = Engine();
    e.SetLength(600000);
    e.scale = 1000;
    e.factor = 100;
    e.origin = 20000;
    e.UpdateScrollRange();
    GuiPumpMessages();
  }
  void TearDown() override {
    ReleaseChain(Engine().masterEffects);
    StripTest::TearDown();
    EffectList::FreeAll();
  }
  // Pixels of a colour in a window's client area.
  static int Count(TWindow* w, COLORREF color) {
    const TRect r = w->GetClientRect();
    int n = 0;
    for (int y = 0; y < r.bottom; ++y)
      for (int x = 0; x < r.right; ++x) n += GuiReadPixel(w->GetHandle(), x, y) == color;
    return n;
  }
};

// With a range the texts show its start and size in blue; without one the
// view's start and span in black.
TEST_F(TimeTextsTest, TheTextsShowTheRangeOrTheView) {
  MainTimeLineWindow& w = *window_;
  TimeLineEngine& e = Engine();
  e.SetMarkRange(1000, 3500);
  GuiPumpMessages();
  EXPECT_STREQ(w.SelStartText()->Text(), "1:000ms");
  EXPECT_EQ(w.SelStartText()->Value(), 1000);
  EXPECT_STREQ(w.SelSizeText()->Text(), "2:500ms");
  for (TTimeText* text :
       {static_cast<TTimeText*>(w.SelStartText()), static_cast<TTimeText*>(w.SelSizeText())}) {
    EXPECT_TRUE(text->Highlight());
    EXPECT_GT(Count(text, kBlue), 5);
    EXPECT_EQ(Count(text, kBlack), 0);
  }
  EXPECT_TRUE(w.SelectionText()->Highlight());
  EXPECT_GT(Count(w.SelectionText(), TimeLineColors[kColorSelection]), 5);

  e.SetMarkRange(3000, 3000);
  GuiPumpMessages();
  EXPECT_EQ(w.SelStartText()->Value(), 20000);
  EXPECT_STREQ(w.SelStartText()->Text(), MsToShortTimeCode(20000, TRUE));
  EXPECT_STREQ(w.SelSizeText()->Text(), MsToShortTimeCode(e.VisibleSpan(), TRUE));
  for (TTimeText* text :
       {static_cast<TTimeText*>(w.SelStartText()), static_cast<TTimeText*>(w.SelSizeText())}) {
    EXPECT_FALSE(text->Highlight());
    EXPECT_EQ(Count(text, kBlue), 0);
    EXPECT_GT(Count(text, kBlack), 5);
  }
  EXPECT_FALSE(w.SelectionText()->Highlight());
  EXPECT_EQ(Count(w.SelectionText(), TimeLineColors[kColorSelection]), 0);
}

TEST_F(TimeTextsTest, ATextLongerThanNineteenCharactersIsCut) {
  TSelStartText* text = window_->SelStartText();
  text->SetText("12345678901234567890123");
  EXPECT_STREQ(text->Text(), "1234567890123456789");
  text->SetText("1234567890123456789");
  EXPECT_STREQ(text->Text(), "1234567890123456789");
}

TEST_F(TimeTextsTest, DoubleClicksAskForTheRangeTyped) {
  DoubleClick(window_->SelStartText(), 10, 5);
  DoubleClick(window_->SelSizeText(), 10, 5);
  EXPECT_EQ(strip_->selectionTimeAsked, 2);
  DoubleClick(window_->SelectionText(), 10, 3);
  ASSERT_EQ(strip_->rangeAsked.size(), 1u);
  EXPECT_EQ(strip_->rangeAsked[0], "Set Range");
}

TEST_F(TimeTextsTest, TheCursorTimeShowsTheCursor) {
  TCurTimeText* display = window_->CurTimeText();
  const int before = Count(display, kBlack);
  Engine().SetPlayCursor(123456, false);
  GuiPumpMessages();
  EXPECT_NE(Count(display, kBlack), before);
  EXPECT_GT(Count(display, kBlack), 5);
}

// ---- The master effects' corner.

class CornerTest : public TimeTextsTest {
 protected:
  void SetUp() override {
    TimeTextsTest::SetUp();
    display_ = window_->CurTimeText();
    bottom_ = display_->GetClientRect().bottom;
  }
  EffectList* GiveMaster() {
    EffectList* list = EffectList::New();
    Engine().masterEffects = list;
    display_->Invalidate(false);
    GuiPumpMessages();
    return list;
  }
  TCurTimeText* display_ = nullptr;
  int bottom_ = 0;
};

TEST_F(CornerTest, TheCornerIsTheTriangleOfTenPixelsOnlyWithAMasterList) {
  EXPECT_FALSE(display_->InCorner(TPoint(0, bottom_ - 1)));
  GiveMaster();
  // (x - left) + (bottom - y) = 10 is in, 11 is not.
  EXPECT_TRUE(display_->InCorner(TPoint(0, bottom_ - 10)));
  EXPECT_TRUE(display_->InCorner(TPoint(5, bottom_ - 5)));
  EXPECT_TRUE(display_->InCorner(TPoint(9, bottom_ - 1)));
  EXPECT_FALSE(display_->InCorner(TPoint(0, bottom_ - 11)));
  EXPECT_FALSE(display_->InCorner(TPoint(6, bottom_ - 5)));
  EXPECT_FALSE(display_->InCorner(TPoint(10, bottom_ - 1)));
}

TEST_F(CornerTest, TheCornersColourTellsWhetherTheListIsInUse) {
  EXPECT_EQ(Count(display_, TimeLineColors[kColorUsedEffects]), 0);
  EffectList* master = GiveMaster();
  EXPECT_EQ(GuiReadPixel(display_->GetHandle(), 1, bottom_ - 2), TimeLineColors[kColorUsedEffects]);
  master->bypass = 1;
  display_->Invalidate(false);
  GuiPumpMessages();
  EXPECT_EQ(GuiReadPixel(display_->GetHandle(), 1, bottom_ - 2), TimeLineColors[kColorNonUsedEffects]);
  EXPECT_EQ(GuiReadPixel(display_->GetHandle(), 12, bottom_ - 2), RGB(255, 255, 255));
}

TEST_F(CornerTest, DoubleClickOnTheCornerOpensTheMasterEffectsElsewhereTheTime) {
  ScriptedDialogs dialogs;
  DoubleClick(display_, 2, bottom_ - 2);  // no list: no corner
  EXPECT_EQ(strip_->masterEffectsAsked, 0);
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_EQ(dialogs.asked[0].title, "Set Current Time");

  GiveMaster();
  DoubleClick(display_, 3, bottom_ - 3);
  EXPECT_EQ(strip_->masterEffectsAsked, 1);
  EXPECT_EQ(dialogs.asked.size(), 1u);
  dialogs.answerTime = 4321;
  DoubleClick(display_, 30, 3);
  EXPECT_EQ(dialogs.asked.size(), 2u);
  EXPECT_EQ(Engine().cursor, 4321);
}

TEST_F(CornerTest, OverTheCornerTheStatusDescribesTheMasterList) {
  GiveMaster();
  MoveTo(display_, 2, bottom_ - 2);
  EXPECT_EQ(display_->CursorKind(), TCurTimeText::kOverCorner);
  EXPECT_EQ(Status(), "Project has not audio effects");
  MoveTo(display_, 40, 2);
  EXPECT_EQ(display_->CursorKind(), TCurTimeText::kArrow);
  EXPECT_EQ(Status(), "");
}

}  // namespace
}  // namespace striptest
