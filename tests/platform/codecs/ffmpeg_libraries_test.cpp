// FFmpeg's codec and container libraries load on the first call of one of
// their functions, not with the program.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
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

TEST(FfmpegLibrariesDeathTest, AreLoadedByTheFirstCallOfTheirFunctions) {
  // Looked at in a process started for this test alone, whatever the tests
  // before it in this one loaded.
  const std::string style = GTEST_FLAG_GET(death_test_style);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto check = [] {
    const bool before = !Mapped("/libavcodec.so") && !Mapped("/libavformat.so");
    const AVCodec* decoder = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    const bool after = decoder != nullptr && std::string(decoder->name) == "mjpeg" && Mapped("/libavcodec.so") &&
                       !Mapped("/libavformat.so");
    std::fprintf(stderr, "unmapped before: %d, only libavcodec after: %d\n", before, after);
    std::exit(before && after ? 0 : 1);
  };
  EXPECT_EXIT(check(), testing::ExitedWithCode(0), "unmapped before: 1, only libavcodec after: 1");
  GTEST_FLAG_SET(death_test_style, style);
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
