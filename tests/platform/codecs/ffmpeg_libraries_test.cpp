// FFmpeg's codec and container libraries load on the first call of one of
// their functions, not with the program.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/core/lazy_library.h"

namespace {

bool Mapped(const std::string& library) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find(library) != std::string::npos) return true;
  }
  return false;
}

TEST(FfmpegLibraries, AreLoadedByTheFirstCallOfTheirFunctions) {
  // Each test runs in a process of its own: nothing has decoded yet.
  EXPECT_FALSE(Mapped("/libavcodec.so"));
  EXPECT_FALSE(Mapped("/libavformat.so"));
  const AVCodec* decoder = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
  ASSERT_NE(decoder, nullptr);
  EXPECT_STREQ(decoder->name, "mjpeg");
  EXPECT_TRUE(Mapped("/libavcodec.so"));
  EXPECT_FALSE(Mapped("/libavformat.so"));
}

TEST(LazyLibraryDeathTest, AMissingLibraryEndsTheProgramAsTheLoaderWould) {
  LazyLibrary missing("libkobrix-missing.so.0");
  EXPECT_EXIT(missing.Entry("anything"), testing::ExitedWithCode(127), "kobrix: libkobrix-missing.so.0: ");
}

TEST(LazyLibraryDeathTest, AMissingFunctionIsNamed) {
  LazyLibrary math("libm.so.6");
  EXPECT_EXIT(math.Entry("kobrix_no_such_function"), testing::ExitedWithCode(127),
              "kobrix: kobrix_no_such_function: ");
}

}  // namespace
