#include "model/mark_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "film_fakes.h"

using namespace filmtest;

namespace {

std::vector<int32_t> Times(const MarkList& list) {
  std::vector<int32_t> times;
  for (const Mark& m : list) times.push_back(m.time);
  return times;
}

class MarkListTest : public ::testing::Test {
 protected:
  FakeHost host;
};

TEST_F(MarkListTest, AddKeepsOrderAndRefusesATakenTime) {
  host.gravityGroup = 4;
  MarkList list;
  EXPECT_EQ(list.Capacity(), 0);
  EXPECT_TRUE(list.AddMark(500));
  EXPECT_TRUE(list.AddMark(100));
  EXPECT_TRUE(list.AddMark(300));
  EXPECT_EQ(Times(list), (std::vector<int32_t>{100, 300, 500}));
  EXPECT_FALSE(list.AddMark(300));
  EXPECT_EQ(Times(list), (std::vector<int32_t>{100, 300, 500}));
  EXPECT_EQ(list[1].group, 4);  // a new mark takes the gravity group
  EXPECT_STREQ(list[1].name, "");
}

TEST_F(MarkListTest, GrowsByTen) {
  MarkList list;
  for (int k = 0; k < 10; ++k) list.AddMark(k * 10);
  EXPECT_EQ(list.Capacity(), 10);
  list.SetName(9, "ninth");
  EXPECT_TRUE(list.AddMark(5));
  EXPECT_EQ(list.Capacity(), 20);
  EXPECT_EQ(list.Count(), 11);
  EXPECT_STREQ(list[10].name, "ninth");
}

TEST_F(MarkListTest, MoveTable) {
  struct {
    int32_t index, t;
    bool result;
    int32_t newIndex;
    std::vector<int32_t> order;
  } cases[] = {
      {0, 400, true, 1, {300, 400, 500}},  {0, 500, false, 0, {100, 300, 500}},  // another mark has the time
      {0, 700, true, 2, {300, 500, 700}},                                        // past every later mark
      {2, 50, true, 0, {50, 100, 300}},    // down past every earlier mark
      {1, 200, true, 1, {100, 200, 500}},  // stays in place
      {1, 300, true, 1, {100, 300, 500}},  // its own time
      {3, 200, false, 3, {100, 300, 500}}, {-1, 200, false, -1, {100, 300, 500}},
  };
  for (const auto& c : cases) {
    MarkList list;
    for (int32_t t : {100, 300, 500}) list.AddMark(t);
    for (int32_t k = 0; k < 3; ++k) list.SetGroup(k, k + 10);
    int32_t i = c.index;
    EXPECT_EQ(list.MoveMark(i, c.t), c.result) << c.index << " to " << c.t;
    EXPECT_EQ(i, c.newIndex) << c.index << " to " << c.t;
    EXPECT_EQ(Times(list), c.order) << c.index << " to " << c.t;
    if (c.result) {
      EXPECT_EQ(list[i].group, c.index + 10);  // the whole record moves
    }
  }
}

TEST_F(MarkListTest, NamesGroupsAndRemoval) {
  MarkList list;
  list.AddMark(100);
  list.AddMark(200);
  EXPECT_TRUE(list.SetName(0, std::string(200, 'x').c_str()));
  EXPECT_EQ(std::string(list[0].name), std::string(127, 'x'));
  EXPECT_FALSE(list.SetName(2, "no"));
  EXPECT_FALSE(list.SetName(-1, "no"));
  EXPECT_TRUE(list.SetGroup(1, 7));
  EXPECT_FALSE(list.SetGroup(2, 7));
  list.RemoveMark(5);
  list.RemoveMark(-1);
  EXPECT_EQ(list.Count(), 2);
  list.RemoveMark(0);
  EXPECT_EQ(Times(list), (std::vector<int32_t>{200}));
  EXPECT_EQ(list[0].group, 7);
}

TEST_F(MarkListTest, CopiesAreDeepAndSelfAssignmentKeepsTheList) {
  MarkList list;
  for (int32_t t : {100, 200, 300}) list.AddMark(t);
  list.SetName(1, "b");
  MarkList copy(list);
  copy.SetName(1, "changed");
  EXPECT_STREQ(list[1].name, "b");
  EXPECT_EQ(copy.Capacity(), 10);
  MarkList& alias = list;
  list = alias;
  EXPECT_EQ(Times(list), (std::vector<int32_t>{100, 200, 300}));
  EXPECT_STREQ(list[1].name, "b");
  copy = MarkList();
  EXPECT_EQ(copy.Count(), 0);
  EXPECT_EQ(copy.Capacity(), 0);
}

TEST_F(MarkListTest, FindNearestTable) {
  // Marks: 100 (group 0), 200 (group 2), 300 (group 3), 400 (group 2).
  MarkList list;
  for (int32_t t : {100, 200, 300, 400}) list.AddMark(t);
  list.SetGroup(1, 2);
  list.SetGroup(2, 3);
  list.SetGroup(3, 2);
  struct {
    int32_t mode, group, t, maxDistance, from, to, expected;
  } cases[] = {
      {0, 0, 200, 50, 0, 1000, -1},                                 // gravity off: nothing, even exactly at t
      {1, 0, 210, 50, 0, 1000, 1},    {1, 0, 250, 51, 0, 1000, 1},  // equal distances keep the earlier mark
      {1, 0, 250, 50, 0, 1000, -1},                                 // the distance must be below the limit
      {1, 2, 290, 50, 0, 1000, -1},                                 // group 3 is skipped for group 2
      {1, 2, 290, 100, 0, 1000, 1},                                 // ... and 200 (group 2) is taken
      {1, 2, 120, 50, 0, 1000, 0},                                  // group 0 is always taken
      {1, 3, 390, 50, 0, 1000, -1},   {1, 0, 210, 50, 150, 1000, 1},
      {1, 0, 110, 50, 150, 1000, -2},  // one mark before from lowers the result
      {1, 0, 390, 100, 0, 400, 2},     // to is excluded
      {1, 0, 390, 100, 350, 400, -4},  // three marks before from, none eligible
      {6, 0, 400, 1, 0, 1000, 3},
  };
  for (const auto& c : cases) {
    host.gravityAlign = c.mode;
    host.gravityGroup = c.group;
    EXPECT_EQ(list.FindNearest(c.t, c.maxDistance, c.from, c.to), c.expected)
        << "mode " << c.mode << " group " << c.group << " t " << c.t << " from " << c.from << " to " << c.to;
  }
}

}  // namespace
