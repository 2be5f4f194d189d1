// The board library's binding: every entry answers, whatever library there
// is, and what a load reports.
#include <gtest/gtest.h>

#include <string>

#include "board_fixture.h"
#include "model/error_codes.h"

namespace boardtest {
namespace {

template <typename Result, typename... Arguments>
bool AnswersZero(const VelmoraEntry<Result(Arguments...)>& entry) {
  return entry(Arguments{}...) == Result{};
}

// Entries whose slot holds the fallback, by name.
std::vector<std::string> Fallbacks() {
  std::vector<std::string> names;
#define FALLBACK_NAME(result, name, count, params) \
  if (VelmoraApi.name.IsFallback()) names.push_back(#name);
  VLMINTER_ENTRIES(FALLBACK_NAME)
#undef FALLBACK_NAME
  return names;
}

TEST(BoardBinding, WithoutALibraryEveryEntryAnswersZeroAndTheBoardIsAbsent) {
  BoardLibrary board("/nonexistent/libvlminter.so");
  EXPECT_FALSE(board.loaded());
  EXPECT_FALSE(VelmoraBoardAvailable);
  EXPECT_EQ(Fallbacks().size(), static_cast<std::size_t>(kVelmoraEntryCount));
  int answered = 0;
#define CALL_ENTRY(result, name, count, params) \
  EXPECT_TRUE(AnswersZero(VelmoraApi.name)) << #name;   \
  ++answered;
  VLMINTER_ENTRIES(CALL_ENTRY)
#undef CALL_ENTRY
  EXPECT_EQ(answered, kVelmoraEntryCount);
  EXPECT_EQ(TheVelmoraDevice.Open(720, 576, 24, nullptr), kErrNoVideoDevice);
  EXPECT_EQ(TheVelmoraDevice.CheckVersion(), kErrNoVideoDevice);
  EXPECT_EQ(TheVelmoraDevice.GetFrameNumber(), -1);
}

TEST(BoardBinding, ALibraryThatSaysTheBoardIsUnusableIsUnloadedAtOnce) {
  BoardLibrary board(KOBRIX_BOARD_STATUS0);
  EXPECT_FALSE(board.loaded());
  EXPECT_FALSE(VelmoraBoardAvailable);
  EXPECT_EQ(VelmoraLibraryModule, nullptr);
  EXPECT_EQ(Fallbacks().size(), static_cast<std::size_t>(kVelmoraEntryCount));
}

TEST(BoardBinding, AMissingEntryFallsBackAndTheLibraryStays) {
  BoardLibrary board(KOBRIX_BOARD_PARTIAL);
  // The first load finds all but one.
  EXPECT_FALSE(VelmoraBoardAvailable);
  EXPECT_TRUE(InitVelmoraAPIClass::IsLoaded());
  EXPECT_EQ(Fallbacks(), std::vector<std::string>{"vdc_GetGPIInfo"});
  char name[255] = "untouched";
  int closed = 7, input = 7;
  EXPECT_EQ(VelmoraApi.vdc_GetGPIInfo(0, name, 255, &closed, &input), 0);
  EXPECT_STREQ(name, "untouched");
  // The entries it has work.
  EXPECT_EQ(VelmoraApi.vdc_get_version(), 1073);
  EXPECT_TRUE(InitVelmoraAPIClass::Load());
}

TEST(BoardBinding, TheSimulationHasEveryEntryUntilItIsUnloaded) {
  BoardLibrary board;
  ASSERT_TRUE(board.loaded());
  EXPECT_TRUE(VelmoraBoardAvailable);
  EXPECT_TRUE(Fallbacks().empty());
  EXPECT_EQ(VelmoraApi.vdc_get_version(), 1073);
  EXPECT_FALSE(InitVelmoraAPIClass::Unload());
  EXPECT_EQ(Fallbacks().size(), static_cast<std::size_t>(kVelmoraEntryCount));
  EXPECT_EQ(VelmoraApi.vdc_get_version(), 0);
}

}  // namespace
}  // namespace boardtest
