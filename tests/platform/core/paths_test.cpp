#include "platform/core/paths.h"

#include <gtest/gtest.h>

TEST(Paths, AbsoluteByLeadingSeparatorOrDrive) {
  struct Case {
    const char* path;
    bool absolute;
  };
  const Case cases[] = {{"/home/u/a.avi", true},
                        {"\\media\\a.avi", true},
                        {"C:\\media\\a.avi", true},
                        {"d:clip.wav", true},
                        {"media/a.avi", false},
                        {"a.avi", false},
                        {"", false},
                        {"1:/x", false},
                        {"./a", false}};
  for (const Case& c : cases) EXPECT_EQ(PathIsAbsolute(c.path), c.absolute) << c.path;
}

TEST(Paths, JoinReadsStoredPathsAgainstAFolder) {
  struct Case {
    const char* folder;
    const char* stored;
    const char* joined;
  };
  const Case cases[] = {
      {"/home/u/show", "media\\clip.avi", "/home/u/show/media/clip.avi"},
      {"/home/u/show/", "clip.avi", "/home/u/show/clip.avi"},
      {"/home/u/show\\", ".\\clip.avi", "/home/u/show/clip.avi"},
      {"/home/u/show", "/data/clip.avi", "/data/clip.avi"},
      {"/home/u/show", "C:\\old\\clip.avi", "C:/old/clip.avi"},
      {"", "clip.avi", "clip.avi"},
      {"/", "clip.avi", "/clip.avi"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PathJoin(c.folder, c.stored), c.joined) << c.folder << " + " << c.stored;
}

TEST(Paths, RelativeOnlyInsideTheFolderAndCaseSensitive) {
  struct Case {
    const char* path;
    const char* folder;
    const char* result;
  };
  const Case cases[] = {
      {"/home/u/show/media/a.avi", "/home/u/show/", "media/a.avi"},
      {"/home/u/show/a.avi", "/home/u/show", "a.avi"},
      {"/home/u/showtime/a.avi", "/home/u/show", "/home/u/showtime/a.avi"},  // whole names only
      {"/home/u/Show/a.avi", "/home/u/show", "/home/u/Show/a.avi"},          // case counts
      {"/home/u/show", "/home/u/show", "/home/u/show"},                      // the folder itself
      {"\\home\\u\\show\\a.avi", "/home/u/show", "a.avi"},
      {"/home/u/show/a.avi", "", "/home/u/show/a.avi"},  // empty folder: stays absolute
      {"/a.avi", "/", "a.avi"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PathRelativeTo(c.path, c.folder), c.result) << c.path << " in " << c.folder;
}

TEST(Paths, SplitsFolderNameAndExtension) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
    const char* stem;
    const char* extension;
  };
  const Case cases[] = {
      {"/home/u/clip.avi", "/home/u", "clip.avi", "clip", ".avi"},
      {"C:\\media\\Clip.Final.WAV", "C:/media", "Clip.Final.WAV", "Clip.Final", ".WAV"},
      {"C:\\clip.wav", "C:/", "clip.wav", "clip", ".wav"},
      {"/clip", "/", "clip", "clip", ""},
      {"clip.tml", "", "clip.tml", "clip", ".tml"},
      {"/home/u.d/clip", "/home/u.d", "clip", "clip", ""},
      {"/home/u/.profile", "/home/u", ".profile", ".profile", ""},
      {"/home/u/show/", "/home/u/show", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(PathFolder(c.path), c.folder);
    EXPECT_EQ(PathFileName(c.path), c.name);
    EXPECT_EQ(PathStem(c.path), c.stem);
    EXPECT_EQ(PathExtension(c.path), c.extension);
  }
  EXPECT_EQ(PathChangeExtension("D:\\show.tml", ".vfx"), "D:/show.vfx");
  EXPECT_EQ(PathChangeExtension("/a.b/show", ".vfx"), "/a.b/show.vfx");
  EXPECT_EQ(PathWithSeparator("/tmp"), "/tmp/");
  EXPECT_EQ(PathWithSeparator("/tmp\\"), "/tmp/");
  EXPECT_EQ(PathWithSeparator(""), "");
  EXPECT_EQ(NativePath("a\\b/c"), "a/b/c");
}

TEST(Paths, MediaPathsCompareExactlyNamesWithoutCase) {
  EXPECT_TRUE(PathsEqual("/m/clip.avi", "/m/clip.avi"));
  EXPECT_TRUE(PathsEqual("\\m\\clip.avi", "/m/clip.avi"));
  EXPECT_FALSE(PathsEqual("/m/Clip.avi", "/m/clip.avi"));
  EXPECT_FALSE(PathsEqual("/m/clip.avi", "/m/clip.av"));

  EXPECT_TRUE(EqualNoCase("MAIN_WINDOW", "main_Window"));
  EXPECT_FALSE(EqualNoCase("SOUND", "SOUNDS"));
  EXPECT_EQ(CompareNoCase("apple", "BANANA"), -1);
  EXPECT_EQ(CompareNoCase("Zoo", "apple"), 1);
  EXPECT_EQ(CompareNoCase("abc", "ABC"), 0);
  EXPECT_EQ(CompareNoCase("ab", "abc"), -1);
  // Bytes above 127 are not letters and keep their order.
  EXPECT_EQ(CompareNoCase("\xC4", "\xE4"), -1);
}
