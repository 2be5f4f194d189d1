#include "model/fit_path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class FitPath : public ::testing::Test {
 protected:
  void SetUp() override {
    dc_ = CreateCompatibleDC(nullptr);
    font_ = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    SelectObject(dc_, font_);
  }
  void TearDown() override {
    DeleteDC(dc_);
    DeleteObject(font_);
  }
  int Width(const std::string& s) {
    SIZE size{};
    GetTextExtentPoint32(dc_, s.c_str(), static_cast<int>(s.size()), &size);
    return size.cx;
  }
  HDC dc_;
  HFONT font_;
};

TEST_F(FitPath, APathThatFitsIsLeftAlone) {
  char text[] = "C:\\clips\\a.avi";
  EXPECT_EQ(FitPathToWidth(dc_, text, Width(text)), text);
  EXPECT_STREQ(text, "C:\\clips\\a.avi");
}

TEST_F(FitPath, TheDriveStaysAndTheMiddleGivesWay) {
  struct Case {
    const char* path;
    const char* prefix;
  };
  const Case cases[] = {{"C:\\Video\\Projects\\Summer\\clip0001.avi", "C:\\..."},
                        {"/home/kobrix/media/summer/clip0001.avi", "..."}};
  for (const Case& k : cases) {
    char text[128];
    std::strcpy(text, k.path);
    const int width = Width("C:\\...clip0001.avi") + 2;
    FitPathToWidth(dc_, text, width);
    const std::string out = text;
    EXPECT_EQ(out.rfind(k.prefix, 0), 0u) << out;
    EXPECT_LE(Width(out), width) << out;
    // The end of the path survives; one more character would not fit.
    const std::string tail = out.substr(std::strlen(k.prefix));
    EXPECT_EQ(std::string(k.path).substr(std::strlen(k.path) - tail.size()), tail);
    const std::string longer =
        std::string(k.prefix) + std::string(k.path).substr(std::strlen(k.path) - tail.size() - 1);
    EXPECT_GT(Width(longer), width) << out;
  }
}

TEST_F(FitPath, NothingLeftToRemoveAndShortTextsAreSafe) {
  char text[] = "C:\\Video\\clip.avi";
  FitPathToWidth(dc_, text, 1);
  EXPECT_STREQ(text, "C:\\...");
  for (const char* shorty : {"", "C:", "ab", "C:\\ab"}) {
    char buf[8];
    std::strcpy(buf, shorty);
    FitPathToWidth(dc_, buf, 0);
    EXPECT_STREQ(buf, shorty);
  }
  EXPECT_EQ(FitPathToWidth(dc_, nullptr, 10), nullptr);
}

}  // namespace
