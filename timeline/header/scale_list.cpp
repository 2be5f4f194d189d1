#include "timeline/header/scale_list.h"

#include <algorithm>

#include "model/time_code.h"
#include "ui/shell_services.h"

namespace {

constexpr int32_t kMsCount = 39;
constexpr int32_t kMsScales[kMsCount] = {
    1,       2,       3,       5,        7,        10,       20,       30,       50,      70,
    100,     200,     300,     500,      700,      1000,     2000,     3000,     5000,    7000,
    10000,   20000,   30000,   60000,    120000,   180000,   300000,   420000,   600000,  1200000,
    1800000, 3600000, 7200000, 10800000, 18000000, 25200000, 36000000, 54000000, 86400000};
constexpr int32_t kMsSubdivisions[kMsCount] = {1, 2, 3,  5, 7, 10, 2, 3,  5, 7, 10, 2, 3,
                                               5, 7, 10, 2, 3, 5,  7, 10, 2, 3, 6,  2, 3,
                                               5, 7, 10, 2, 3, 6,  2, 3,  5, 7, 10, 3, 4};

constexpr int32_t kFrameCount = 32;
// The first steps are whole frames, recomputed for the rate at every fill.
constexpr int32_t kFrameSteps = 8;
constexpr int32_t kFrameStepFrames[kFrameSteps] = {1, 2, 3, 5, 7, 10, 15, 20};
constexpr int32_t kFrameSubdivisions[kFrameCount] = {1, 2, 3, 5, 7, 10, 3, 4, 5, 2, 3, 5, 7, 10, 2, 3,
                                                     6, 2, 3, 5, 7, 10, 2, 3, 6, 2, 3, 5, 7, 10, 3, 4};

// The frame ladder; its frame steps start as they are at 25 frames per second.
int32_t g_frameScales[kFrameCount] = {
    40,      80,      120,     200,     280,      400,      600,      800,      1000,     2000,    3000,
    5000,    7000,    10000,   20000,   30000,    60000,    120000,   180000,   300000,   420000,  600000,
    1200000, 1800000, 3600000, 7200000, 10800000, 18000000, 25200000, 36000000, 54000000, 86400000};

bool FrameLadder() {
  const int format = ProjectTimeFormat();
  return format == kTimeFormatSmpte || format == kTimeFormatFrames;
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(TEScaleList, TComboBox)
  EV_WM_MOUSEMOVE,
END_RESPONSE_TABLE;
// clang-format on

TEScaleList::TEScaleList(TWindow* parent, int x, int y, int w, int h)
    : TComboBox(parent, kScaleListId, x, y, w, h, CBS_DROPDOWNLIST, 20) {
  ChooseTable();
  filled_ = size_;
}

void TEScaleList::SetupWindow() {
  TComboBox::SetupWindow();
  Fill(ProjectFrameRate());
}

void TEScaleList::ChooseTable() {
  if (FrameLadder()) {
    table_ = g_frameScales;
    subdivisions_ = kFrameSubdivisions;
    size_ = kFrameCount;
    minimum_ = std::max<int32_t>(g_frameScales[0], 1);
  } else {
    table_ = kMsScales;
    subdivisions_ = kMsSubdivisions;
    size_ = kMsCount;
    minimum_ = 1;
  }
}

void TEScaleList::Fill(float frameRate) {
  for (int32_t i = 0; i < kFrameSteps; ++i) g_frameScales[i] = FramesToMs(kFrameStepFrames[i], frameRate);
  const int32_t present = presentScale ? presentScale() : table_[current_];
  ChooseTable();
  filled_ = std::clamp(filled_, 1, size_);
  current_ = std::min(current_, filled_ - 1);
  if (!IsWindow()) {
    current_ = Nearest(table_, filled_, present);
    return;
  }
  ClearList();
  filled_ = 0;
  for (int32_t i = 0; i < size_; ++i) {
    AddString(MsToShortTimeCode(table_[i], TRUE));
    ++filled_;
    if (table_[i] > maximum_) break;
  }
  current_ = Nearest(table_, filled_, present);
  SetSelIndex(current_);
}

void TEScaleList::SetRange(int32_t minimum, int32_t maximum) {
  minimum_ = minimum;
  maximum_ = std::max(maximum, minimum);
  Fill(ProjectFrameRate());
}

void TEScaleList::GetRange(int32_t& minimum, int32_t& maximum) const {
  minimum = minimum_;
  maximum = maximum_;
}

int32_t TEScaleList::SelectScale(int32_t scale, int32_t& subdivisions) {
  current_ = Nearest(table_, filled_, scale);
  subdivisions = subdivisions_[current_];
  if (IsWindow()) SetSelIndex(current_);
  return table_[current_];
}

int32_t TEScaleList::GetScale() {
  if (IsWindow()) {
    const int index = GetSelIndex();
    if (index >= 0 && index < filled_) current_ = index;
  }
  return table_[current_];
}

int32_t TEScaleList::Nearest(const int32_t* table, int32_t n, int32_t value) {
  const int32_t last = n - 1;
  if (value <= table[0]) return 0;
  if (value >= table[last]) return last;
  int32_t i = 1;
  while (i < last && value >= table[i]) ++i;
  // (a x b + v / 2) / v >= v means v <= the geometric mean of a and b.
  const int64_t mean = (static_cast<int64_t>(table[i - 1]) * table[i] + value / 2) / value;
  return mean >= value ? i - 1 : i;
}

void TEScaleList::EvMouseMove(UINT, const TPoint&) {
  CurrentShellServices().ClearStatusText();
  DefaultProcessing();
}
