#include "platform/core/trace.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Trace, TheEnvironmentNamesChannels) {
  constexpr unsigned kAll = kTraceGui | kTraceClasslib | kTraceAudio | kTraceVideo | kTraceTimeline;
  struct Case {
    const char* text;
    unsigned channels;
  } cases[] = {
      {nullptr, 0},
      {"", 0},
      {"gui", kTraceGui},
      {"gui,classlib,audio,video,timeline", kAll},
      {"Audio Timeline", kTraceAudio | kTraceTimeline},
      {"all", kAll},
      {"guix,gu,,audio", kTraceAudio},  // only whole names count
  };
  for (const Case& c : cases) EXPECT_EQ(ParseTraceChannels(c.text), c.channels) << (c.text ? c.text : "null");
}

TEST(Trace, OnlyTheChannelsOnPrintOneLineEach) {
  const unsigned before = SetTraceChannels(kTraceAudio);
  int evaluated = 0;
  testing::internal::CaptureStderr();
  KOBRIX_TRACE(kTraceAudio, "state %d", 3);
  KOBRIX_TRACE(kTraceGui, "never %d", ++evaluated);
  const std::string out = testing::internal::GetCapturedStderr();
  SetTraceChannels(before);
  EXPECT_EQ(evaluated, 0);  // an off channel does not even build its text
  EXPECT_EQ(out.rfind("[audio] ", 0), 0u) << out;
  EXPECT_NE(out.find(" state 3\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("never"), std::string::npos) << out;
}

}  // namespace
