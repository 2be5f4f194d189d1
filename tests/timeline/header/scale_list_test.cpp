#include "timeline/header/scale_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/time_code.h"
#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"

namespace {

class ScaleListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProjectFrameRate(25.0f);
    SetProjectTimeFormat(kTimeFormatMs);
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Zoom");
    list_ = new TEScaleList(frame_.get(), 10, 10, 120, 200);
    list_->SetFlag(wfAutoCreate);
    ASSERT_TRUE(frame_->Create());
    ASSERT_TRUE(list_->IsWindow());
  }
  void TearDown() override {
    frame_.reset();
    SetProjectFrameRate(25.0f);
    SetProjectTimeFormat(kTimeFormatMs);
    GuiPumpMessages();
  }
  int32_t Select(int32_t scale) {
    int32_t sub = -1;
    return list_->SelectScale(scale, sub);
  }

  std::unique_ptr<TFrameWindow> frame_;
  TEScaleList* list_ = nullptr;
};

TEST_F(ScaleListTest, AScaleSnapsToTheNearestEntryByTheGeometricMean) {
  struct Case {
    int32_t asked, chosen, subdivisions;
  };
  const Case cases[] = {
      {24, 20, 2},
      {25, 30, 3},
      {0, 1, 1},
      {-40, 1, 1},
      {1000, 1000, 10},
      // sqrt(1000 x 2000) = 1414.2
      {1414, 1000, 10},
      {1415, 2000, 2},
      {86400000, 86400000, 4},
      {INT32_MAX, 86400000, 4},
  };
  for (const Case& c : cases) {
    int32_t sub = -1;
    EXPECT_EQ(list_->SelectScale(c.asked, sub), c.chosen) << c.asked;
    EXPECT_EQ(sub, c.subdivisions) << c.asked;
    EXPECT_EQ(list_->GetSelIndex(), list_->Current()) << c.asked;
    EXPECT_EQ(list_->GetScale(), c.chosen) << c.asked;
  }
}

TEST_F(ScaleListTest, TheListEndsOneStepBeyondItsMaximum) {
  list_->SetRange(1, 50000);
  EXPECT_EQ(list_->Filled(), 24);
  EXPECT_EQ(list_->GetCount(), 24);
  EXPECT_EQ(list_->ScaleAt(23), 60000);
  EXPECT_EQ(list_->GetString(0), MsToShortTimeCode(1, TRUE));
  EXPECT_EQ(list_->GetString(23), MsToShortTimeCode(60000, TRUE));
  // Above the maximum: the last entry offered.
  EXPECT_EQ(Select(5000000), 60000);
  // A maximum below the minimum is raised to it.
  list_->SetRange(100, 5);
  int32_t lo = 0, hi = 0;
  list_->GetRange(lo, hi);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 100);
  EXPECT_EQ(list_->Filled(), 12);
}

TEST_F(ScaleListTest, FrameDisplayStartsWithWholeFramesAtTheProjectRate) {
  SetProjectTimeFormat(kTimeFormatFrames);
  SetProjectFrameRate(30.0f);
  list_->Fill(30.0f);
  std::vector<int32_t> first;
  for (int32_t i = 0; i < 8; ++i) first.push_back(list_->ScaleAt(i));
  EXPECT_EQ(first, (std::vector<int32_t>{33, 67, 100, 167, 233, 333, 500, 667}));
  EXPECT_EQ(list_->ScaleAt(8), 1000);
  EXPECT_EQ(list_->SubdivisionsAt(6), 3);
  int32_t lo = 0, hi = 0;
  list_->GetRange(lo, hi);
  EXPECT_EQ(lo, 33);
  EXPECT_EQ(Select(10), 33);
  EXPECT_EQ(list_->Filled(), 32);
}

TEST_F(ScaleListTest, TheFillSelectsTheEntryNearestTheTimeLinesScale) {
  int32_t present = 700;
  list_->presentScale = [&present] { return present; };
  list_->Fill(25.0f);
  EXPECT_EQ(list_->GetScale(), 700);
  present = 2600;
  list_->SetRange(1, 86400000);
  EXPECT_EQ(list_->GetScale(), 3000);
}

// With no entry selected the list keeps its current one.
TEST_F(ScaleListTest, NoSelectionKeepsTheCurrentEntry) {
  Select(5000);
  list_->SetSelIndex(-1);
  ASSERT_EQ(list_->GetSelIndex(), CB_ERR);
  EXPECT_EQ(list_->GetScale(), 5000);
  // The user's choice is read back.
  list_->SetSelIndex(3);
  EXPECT_EQ(list_->GetScale(), 5);
  EXPECT_EQ(list_->Current(), 3);
}

}  // namespace
