// FFmpeg's codec and container libraries load on the first call of one of
// their functions, not with the program.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

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

// The check itself, in a process where nothing has decoded yet.
void CheckLoadedByTheFirstCall() {
  EXPECT_FALSE(Mapped("/libavcodec.so"));
  EXPECT_FALSE(Mapped("/libavformat.so"));
  const AVCodec* decoder = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
  ASSERT_NE(decoder, nullptr);
  EXPECT_STREQ(decoder->name, "mjpeg");
  EXPECT_TRUE(Mapped("/libavcodec.so"));
  EXPECT_FALSE(Mapped("/libavformat.so"));
}

TEST(FfmpegLibraries, AreLoadedByTheFirstCallOfTheirFunctions) {
  if (std::getenv("KOBRIX_FRESH_PROCESS") != nullptr) {
    CheckLoadedByTheFirstCall();
    return;
  }
  // Other tests of this program may have decoded already: the check runs
  // in this program started anew (not forked: the new process must map
  // only what the program itself loads).
  char self[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  const std::string command = "KOBRIX_FRESH_PROCESS=1 '" + std::string(self, static_cast<std::size_t>(n)) +
                              "' --gtest_filter=FfmpegLibraries.AreLoadedByTheFirstCallOfTheirFunctions 2>&1";
  FILE* child = popen(command.c_str(), "r");
  ASSERT_NE(child, nullptr);
  std::string output;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, child)) > 0;) output.append(buffer, got);
  const int status = pclose(child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
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
