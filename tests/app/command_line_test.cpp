// The command line as start-up reads it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

struct Case {
  std::vector<std::string> args;
  int32_t mode;
  std::string startup;
  std::string output;
  bool usage;
  // The line is not understood (an unknown option, an export without its file).
  bool misuse = false;
};

TEST(CommandLine, ModesPathsAndUsage) {
  const std::string cwd = "/home/me/work";
  const std::vector<Case> cases = {
      {{}, kModeNone, "", "", false},
      {{"p.tml", "/PLAY"}, kModePlay, "/home/me/work/p.tml", "", false},
      {{"p.tml", "/play"}, kModePlay, "/home/me/work/p.tml", "", false},
      {{"p.tml", "\\playwait"}, kModePlayAfterKey, "/home/me/work/p.tml", "", false},
      {{"p.tml", "/playgpi0"}, 6, "/home/me/work/p.tml", "", false},
      {{"p.tml", "/playgpi3"}, 9, "/home/me/work/p.tml", "", false},
      {{"p.tml", "/playgpi4"}, kModeNone, "", "", false, true},
      {{"p.tml", "/wave", "x"}, kModeExportWave, "/home/me/work/p.tml", "/home/me/work/x", false},
      {{"p.tml", "/WAVE"}, kModeNone, "", "", false, true},
      {{"p.tml", "/wave", ""}, kModeNone, "", "", false, true},
      {{"p.tml", "/Avi", "x"}, kModeExportAvi, "/home/me/work/p.tml", "/home/me/work/x", false},
      {{"p.tml", "/aiff", "/out/a.aif"}, kModeExportAiff, "/home/me/work/p.tml", "/out/a.aif", false},
      {{"p.tml", "/avi", "sub/v.avi", "ignored"}, kModeExportAvi, "/home/me/work/p.tml", "/home/me/work/sub/v.avi", false},
      {{"p.tml", "/mp3", "x"}, kModeNone, "", "", false, true},
      {{"p.tml", "\\bogus"}, kModeNone, "", "", false, true},
      {{"p.tml", "/?"}, kModeNone, "", "", false, true},
      // An option word where the file belongs.
      {{"/wave"}, kModeNone, "", "", false, true},
      {{"/Play", "p.tml"}, kModeNone, "", "", false, true},
      {{"\\avi", "p.tml", "x"}, kModeNone, "", "", false, true},
      {{"p.tml", "play"}, kModeNone, "/home/me/work/p.tml", "", false},
      {{"?"}, kModeNone, "", "", true},
      {{"/?"}, kModeNone, "", "", true},
      {{"--help"}, kModeNone, "", "", true},
      {{"-h"}, kModeNone, "", "", true},
      {{"a.tml", "?"}, kModeNone, "/home/me/work/a.tml", "", false},
      {{"a.tml", "--help"}, kModeNone, "/home/me/work/a.tml", "", false},
      // An empty name where the file belongs: before an option it is not
      // understood; alone, or before another word, it names no file.
      {{"", "/wave", "x"}, kModeNone, "", "", false, true},
      {{"", "/play"}, kModeNone, "", "", false, true},
      {{""}, kModeNone, "", "", false},
      {{"", "p.tml"}, kModeNone, "", "", false},
      {{"\\sub\\a.tml"}, kModeNone, "/home/me/work/sub\\a.tml", "", false},
      {{"C:\\p.tml"}, kModeNone, "C:\\p.tml", "", false},
      {{"/abs/p.tml"}, kModeNone, "/abs/p.tml", "", false},
      // A file at the root whose name is no option word is a file.
      {{"/waves"}, kModeNone, "/waves", "", false},
      // A mode runs only on a project (".tml" in any case); a media file
      // alone is still a file to add.
      {{"song.wav", "/wave", "out.wav"}, kModeNone, "", "", false, true},
      {{"song.wav", "/aiff", "out.aif"}, kModeNone, "", "", false, true},
      {{"song.wav", "/avi", "out.avi"}, kModeNone, "", "", false, true},
      {{"song.avi", "/play"}, kModeNone, "", "", false, true},
      {{"song.avi", "/playgpi2"}, kModeNone, "", "", false, true},
      {{"tml", "/play"}, kModeNone, "", "", false, true},
      {{"P.TML", "/play"}, kModePlay, "/home/me/work/P.TML", "", false},
      {{"p.Tml", "/wave", "x"}, kModeExportWave, "/home/me/work/p.Tml", "/home/me/work/x", false},
      {{"song.wav"}, kModeNone, "/home/me/work/song.wav", "", false},
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.args, cwd);
    std::string shown;
    for (const std::string& a : c.args) shown += "[" + a + "]";
    EXPECT_EQ(line.mode, c.mode) << shown;
    EXPECT_EQ(line.startupPath, c.startup) << shown;
    EXPECT_EQ(line.exportPath, c.output) << shown;
    EXPECT_EQ(line.usage, c.usage) << shown;
    EXPECT_EQ(!line.misuse.empty(), c.misuse) << shown << " " << line.misuse;
    EXPECT_TRUE(line.tooLong.empty()) << shown;
  }
}

TEST(CommandLine, CurrentFolderWithTrailingSeparatorIsNotDoubled) {
  EXPECT_EQ(ParseCommandLine({"p.tml"}, "/").startupPath, "/p.tml");
  EXPECT_EQ(ParseCommandLine({"p.tml"}, "/w/").startupPath, "/w/p.tml");
}

TEST(CommandLine, OverlongPathIsRefusedNotCut) {
  const std::string fits(kCommandLinePathLimit - 5, 'a');  // "/w/" + name stays within the limit
  const std::string over(kCommandLinePathLimit, 'b');
  EXPECT_TRUE(ParseCommandLine({fits.substr(0, fits.size() - 1)}, "/w").tooLong.empty());

  const CommandLine first = ParseCommandLine({over, "/wave", "out.wav"}, "/w");
  EXPECT_EQ(first.tooLong, "/w/" + over);
  EXPECT_TRUE(first.startupPath.empty());
  EXPECT_EQ(first.mode, kModeNone);

  const CommandLine output = ParseCommandLine({"p.tml", "/avi", over}, "/w");
  EXPECT_EQ(output.tooLong, "/w/" + over);
  EXPECT_TRUE(output.startupPath.empty());
  EXPECT_TRUE(output.exportPath.empty());
  EXPECT_EQ(output.mode, kModeNone);
}

}  // namespace
