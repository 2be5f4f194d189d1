#include "ui/file_dialogs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "file_chooser_script.h"
#include "model/message_box.h"

using namespace filetest;

namespace {

TEST(FileDataTest, NewRecord) {
  FileData& clips = MediaFileData(kClipFiles);
  EXPECT_EQ(kFileDataFlags, 0x5806u);
  EXPECT_EQ(MediaFileData(kMpegFiles).Filter, "MPEG files|*.mpg|All files|*.*|");
  EXPECT_EQ(MediaFileData(kAiffFiles).DefExt, "aif");
  EXPECT_EQ(clips.InitialDir, clips.Directory);
}

TEST(FileDataTest, CopiesPointAtTheirOwnFolder) {
  FileData a("Wave files|*.wav|", "wav");
  a.SetDirectory("/media/a.wav");
  FileData b(a);
  FileData c("x|*.x|", "x");
  c = a;
  a.SetDirectory("/other/a.wav");
  EXPECT_EQ(b.InitialDir, b.Directory);
  EXPECT_EQ(c.InitialDir, c.Directory);
  EXPECT_STREQ(b.InitialDir, "/media");
  EXPECT_STREQ(c.InitialDir, "/media");
  EXPECT_EQ(c.Filter, a.Filter);
}

TEST(FileDataTest, SetDirectory) {
  const struct {
    const char* path;
    const char* folder;
  } cases[] = {
      {"C:\\Clips\\a.wav", "C:\\Clips"}, {"C:\\a.wav", "C:"}, {"C:a.wav", "C:"}, {"a.wav", ""},
      {"/home/me/My.Clips/a.wav", "/home/me/My.Clips"}, {"/a.wav", "/"}, {"/media/", "/media"}, {"", ""},
  };
  FileData data("", "");
  for (const auto& c : cases) {
    data.SetDirectory(c.path);
    EXPECT_STREQ(data.Directory, c.folder) << c.path;
  }
  const std::string folder = "/" + std::string(252, 'd');
  data.SetDirectory((folder + "/a.wav").c_str());
  EXPECT_EQ(data.Directory, folder);
  // A path cut to the buffer never runs past it.
  data.SetDirectory((folder + std::string(400, 'e')).c_str());
  EXPECT_STREQ(data.Directory, "/");
}

TEST(DefaultExtension, Table) {
  const std::string clips = "Clips|*.wav;*.avi|Wave files|*.wav|AVI files|*.avi|All files|*.*|";
  const struct {
    const char* path;
    int index;
    const char* want;
  } cases[] = {
      {"/media/take1", 0, "/media/take1.wav"},
      {"/media/take1", 1, "/media/take1.wav"},
      {"/media/take1", 3, "/media/take1.avi"},
      {"/media/take1", 4, "/media/take1."},
      {"/media/take1", 9, "/media/take1"},
      {"/media/take1.aiff", 3, "/media/take1.aiff"},
      {"/media/take1.", 3, "/media/take1."},
      {"/My.Folder/take1", 2, "/My.Folder/take1.wav"},
      {"C:\\My.Folder\\take1", 2, "C:\\My.Folder\\take1.wav"},
  };
  for (const auto& c : cases) {
    char path[MAX_PATH];
    std::strcpy(path, c.path);
    AddDefaultExtension(path, clips, c.index);
    EXPECT_STREQ(path, c.want) << c.path << " " << c.index;
  }
  // Long paths stay as they are.
  std::string longName(255, 'n');
  char path[MAX_PATH];
  std::strcpy(path, longName.c_str());
  AddDefaultExtension(path, clips, 1);
  EXPECT_EQ(path, longName);
  longName.resize(254);
  std::strcpy(path, longName.c_str());
  AddDefaultExtension(path, clips, 1);
  EXPECT_EQ(path, longName + ".wav");
}

TEST(AskFiles, OpenTakesFolderFilterAndExtension) {
  RecordsGuard guard;
  ScriptedChooser chooser;
  FileData& wave = MediaFileData(kWaveFiles);
  std::strcpy(MediaFileData(kAviFiles).Directory, "/avi");
  chooser.answers = {{ChooserResult::kOk, "/media/take1", 1}};
  ASSERT_TRUE(AskOpenFile(wave, nullptr, "Open"));
  EXPECT_STREQ(wave.FileName, "/media/take1.wav");
  EXPECT_STREQ(wave.InitialDir, "/media");
  EXPECT_EQ(wave.FilterIndex, 1);
  EXPECT_STREQ(MediaFileData(kAviFiles).InitialDir, "/avi");

  // The next dialog starts there; a cancel changes nothing.
  chooser.answers = {{ChooserResult::kCancel, "/elsewhere/x", 2}};
  EXPECT_FALSE(AskOpenFile(wave, nullptr, "Open"));
  EXPECT_EQ(chooser.calls[1].directory, "/media");
  EXPECT_EQ(chooser.calls[1].fileName, "/media/take1.wav");
  EXPECT_EQ(chooser.calls[1].title, "Open");
  EXPECT_STREQ(wave.FileName, "/media/take1.wav");
  EXPECT_EQ(wave.FilterIndex, 1);
}

TEST(AskFiles, SaveFlagsAreRestoredWhateverTheResult) {
  RecordsGuard guard;
  ScriptedChooser chooser;
  FileData& avi = MediaFileData(kAviFiles);
  chooser.answers = {{ChooserResult::kCancel, "", 0}, {ChooserResult::kFailed, "", 0},
                     {ChooserResult::kOk, "/out/x", 1}};
  EXPECT_FALSE(AskSaveFile(avi, nullptr, "Save"));
  EXPECT_FALSE(AskSave32Audio(avi, nullptr, "Save"));
  EXPECT_TRUE(AskSaveFile(avi, nullptr, "Save"));
  for (const auto& call : chooser.calls) {
    EXPECT_EQ(call.flags, (kFileDataFlags & ~OFN_FILEMUSTEXIST) | OFN_NOREADONLYRETURN);
  }
  EXPECT_EQ(chooser.calls[1].kind, FileChooserKind::kSave32Audio);
  EXPECT_EQ(avi.Flags, kFileDataFlags);
  EXPECT_STREQ(avi.FileName, "/out/x.avi");
  EXPECT_FALSE(AskOpenFile(avi, nullptr, "Open"));
  EXPECT_EQ(chooser.calls.back().flags & OFN_FILEMUSTEXIST, OFN_FILEMUSTEXIST);
}

bool g_commandsOn = true;
std::vector<bool> g_commandSwitches;

TEST(AskFiles, OpenClipMovesAllSevenFolders) {
  RecordsGuard guard;
  ScriptedChooser chooser;
  g_commandSwitches.clear();
  SetTimeLineCommandSwitch([](bool on) {
    g_commandsOn = on;
    g_commandSwitches.push_back(on);
  });
  HWND target = reinterpret_cast<HWND>(0x10);
  chooser.answers = {{ChooserResult::kOk, "/clips/day1/shot", 3}};
  ASSERT_TRUE(AskOpenClip(nullptr, target));
  SetTimeLineCommandSwitch(nullptr);
  EXPECT_EQ(g_commandSwitches, (std::vector<bool>{false, true}));
  EXPECT_EQ(chooser.calls[0].kind, FileChooserKind::kClipOpen);
  EXPECT_EQ(chooser.calls[0].title, "Open Clip");
  EXPECT_EQ(chooser.calls[0].addTarget, target);
  EXPECT_STREQ(MediaFileData(kClipFiles).FileName, "/clips/day1/shot.avi");
  EXPECT_EQ(MediaFileData(kClipFiles).FilterIndex, 3);
  for (int k = 0; k < kMediaFileKinds; ++k) {
    EXPECT_STREQ(MediaFileData(static_cast<MediaFileKind>(k)).InitialDir, "/clips/day1") << k;
  }
}

class BeepCounter : public MessageBoxPresenter {
 public:
  BeepCounter() { before_ = SetMessageBoxPresenter(this); }
  ~BeepCounter() override { SetMessageBoxPresenter(before_); }
  int Show(HWND, const std::string&, const std::string&, UINT) override { return 0; }
  void Beep(UINT type) override { beeps.push_back(type); }
  std::vector<UINT> beeps;

 private:
  MessageBoxPresenter* before_;
};

TEST(AskFiles, ClipDialogThatFailsBeepsAndChangesNothing) {
  RecordsGuard guard;
  ScriptedChooser chooser;
  BeepCounter beeper;
  SetFileDialogsDirectory("/start/x.wav", 2);
  chooser.answers = {{ChooserResult::kFailed, "/x/y.wav", 1}};
  EXPECT_FALSE(AskOpenClip(nullptr, nullptr));
  EXPECT_EQ(beeper.beeps, std::vector<UINT>{MB_ICONEXCLAMATION});
  EXPECT_EQ(MediaFileData(kClipFiles).FilterIndex, 2);
  EXPECT_STREQ(MediaFileData(kMidiFiles).InitialDir, "/start");
}

TEST(AskFiles, FilterIndexOfTheClipRecord) {
  RecordsGuard guard;
  SetFileDialogsDirectory("/a/b.wav", -1);
  EXPECT_EQ(MediaFileData(kClipFiles).FilterIndex, 0);
  SetClipFilterIndex(2);
  SetClipFilterIndex(-5);
  EXPECT_EQ(MediaFileData(kClipFiles).FilterIndex, 2);
  EXPECT_EQ(MediaFileData(kAviFiles).FilterIndex, 0);
}

TEST(ExportFormatText, ProjectTypeAndOthers) {
  EXPECT_EQ(ExportAudioFormatText(0, 2, 44100, 2),
            "\nExport Audio Format:\n\nWindows PCM (type 1)\n44100 Hz\nstereo\n16-bit");
  EXPECT_EQ(ExportAudioFormatText(7, 2, 48000, 1),
            "\nExport Audio Format:\n\nType 3\n48000 Hz\nmono\n32-bit (normalized float)");
  EXPECT_EQ(ExportAudioFormatText(9, 2, 8000, 1), "\nExport Audio Format:\n\nWindows PCM (type 1)\n8000 Hz\nmono\n??? bits");
}

}  // namespace
