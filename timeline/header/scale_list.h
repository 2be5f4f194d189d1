// The zoom list of the time-line: a drop-down of the scales the user can
// pick, each the time span of one labelled division of the ruler, with the
// number of minor ticks the ruler draws inside it. Milliseconds display
// offers one ladder, time code and frames another whose smallest steps are
// whole frames. The list holds the ladder up to one step beyond the largest
// scale that still makes sense for the project.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/classlib/controls.h"

constexpr int kScaleListId = 1904;
// Largest scale any ladder offers: a whole day.
constexpr int32_t kScaleListMaxScale = 86400000;

class TEScaleList : public TComboBox {
 public:
  TEScaleList(TWindow* parent, int x, int y, int w, int h);

  void SetupWindow() override;

  // The ladder of the time format with its frame steps at the rate; the
  // entries offered end with the first one beyond the maximum.
  void Fill(float frameRate);
  // Stores the range (a maximum below the minimum is raised to it) and fills
  // the list at the project's frame rate.
  void SetRange(int32_t minimum, int32_t maximum);
  void GetRange(int32_t& minimum, int32_t& maximum) const;
  // The entry nearest to scale among those offered becomes current (and the
  // control's selection); returns its scale and its minor tick count.
  int32_t SelectScale(int32_t scale, int32_t& subdivisions);
  // The current entry's scale, after taking the control's selection; with
  // nothing selected the current entry stays.
  int32_t GetScale();

  int32_t Current() const { return current_; }
  int32_t Filled() const { return filled_; }
  // Entry i of the ladder in use and its minor tick count.
  int32_t ScaleAt(int32_t i) const { return table_[i]; }
  int32_t SubdivisionsAt(int32_t i) const { return subdivisions_[i]; }

  // What the time-line shows now; the fill makes the entry nearest to it
  // current. Unset: the current entry's own scale.
  std::function<int32_t()> presentScale;

  // The index of the entry nearest to value among the first n of table (n
  // >= 1), comparing with the geometric mean of two neighbours so that a
  // value at the mean takes the smaller one.
  static int32_t Nearest(const int32_t* table, int32_t n, int32_t value);

 private:
  void EvMouseMove(UINT modKeys, const TPoint& point);
  // Picks the ladder of the time format and its minimum.
  void ChooseTable();

  int32_t minimum_ = 1;
  int32_t maximum_ = kScaleListMaxScale;
  int32_t current_ = 0;
  int32_t filled_ = 0;
  int32_t size_ = 0;
  const int32_t* table_ = nullptr;
  const int32_t* subdivisions_ = nullptr;

  DECLARE_RESPONSE_TABLE(TEScaleList);
};
