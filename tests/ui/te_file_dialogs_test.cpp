#include "ui/te_file_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fake_shell.h"
#include "file_chooser_script.h"
#include "model/project_file.h"
#include "platform/classlib/classlib.h"
#include "platform/gui/common_dialogs/file_chooser_test_util.h"

using namespace filetest;
using namespace file_chooser_test;

namespace {

const char kFormat44k16Stereo[] = "\nExport Audio Format:\n\nWindows PCM (type 1)\n44100 Hz\nstereo\n16-bit";

class FixedProject : public ProjectEnvironment {
 public:
  FixedProject(DWORD rate, WORD channels, DWORD code) {
    format_.rate = rate;
    format_.channels = channels;
    format_.sampleCode = code;
    before_ = SetProjectEnvironment(this);
  }
  ~FixedProject() override { SetProjectEnvironment(before_); }
  ProjectAudioFormat AudioFormat() override { return format_; }

 private:
  ProjectAudioFormat format_;
  ProjectEnvironment* before_;
};

// The chooser's panel that holds item id.
HWND PanelWith(HWND chooser, int id) {
  for (HWND c = GetWindow(chooser, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (GetDlgItem(c, id) != nullptr) return c;
  }
  return nullptr;
}

std::string FolderShown(HWND chooser) {
  char folder[MAX_PATH] = {};
  SendMessage(chooser, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
  return folder;
}

class FileDialogs : public ::testing::Test {
 protected:
  void TearDown() override {
    ExportAudioType() = 0;
    SetExportTypeChooser(nullptr);
    GuiPumpMessages();
  }
  RecordsGuard guard_;
  RealChooser chooser_;
  FakeShell shell_;
  Tree tree_;
};

TEST_F(FileDialogs, TheAudioSaveDialogShowsTheExportFormatAndOptionsChangesIt) {
  FixedProject project(44100, 2, 2);
  std::vector<HWND> owners;
  std::vector<std::string> texts;
  HWND chooser = nullptr;
  Driver d([&](HWND dlg) {
    chooser = dlg;
    HWND panel = PanelWith(dlg, kExportFormatText);
    ASSERT_NE(panel, nullptr);
    HWND text = GetDlgItem(panel, kExportFormatText);
    texts.push_back(TextOf(text));
    // The panel's font on its own items.
    const LRESULT font = SendMessage(panel, WM_GETFONT, 0, 0);
    EXPECT_NE(font, 0);
    EXPECT_EQ(SendMessage(text, WM_GETFONT, 0, 0), font);
    EXPECT_EQ(SendMessage(GetDlgItem(panel, kExportOptions), WM_GETFONT, 0, 0), font);
    // No export type choice installed: Options does nothing.
    Press(panel, kExportOptions);
    texts.push_back(TextOf(text));
    // A choice that is confirmed shows the new type; one that is not, nothing new.
    SetExportTypeChooser([&](HWND owner, int* type) {
      owners.push_back(owner);
      *type = 7;
      return true;
    });
    Press(panel, kExportOptions);
    texts.push_back(TextOf(text));
    SetExportTypeChooser([&](HWND owner, int*) {
      owners.push_back(owner);
      ExportAudioType() = 4;  // changed behind the dialog's back
      return false;
    });
    Press(panel, kExportOptions);
    texts.push_back(TextOf(text));
    Key(dlg, VK_ESCAPE);
  });
  FileData& wave = MediaFileData(kWaveFiles);
  EXPECT_FALSE(AskSave32Audio(wave, nullptr, "Export Audio"));
  EXPECT_EQ(d.choosers, 1);
  const std::string type3 = "\nExport Audio Format:\n\nType 3\n44100 Hz\nstereo\n32-bit (normalized float)";
  EXPECT_EQ(texts, (std::vector<std::string>{kFormat44k16Stereo, kFormat44k16Stereo, type3, type3}));
  ASSERT_EQ(owners.size(), 2u);
  EXPECT_EQ(owners[0], chooser);  // the chooser itself, not its panel
  EXPECT_EQ(wave.Flags, kFileDataFlags);
}

TEST_F(FileDialogs, SavingRestoresTheFlagsAndTakesTheTypedName) {
  FileData& wave = MediaFileData(kWaveFiles);
  wave.SetDirectory(tree_.Path("Music/song.wav").c_str());
  std::strcpy(wave.FileName, "keep");
  std::vector<std::string> folders;
  Driver d([&](HWND dlg) {
    folders.push_back(FolderShown(dlg));
    if (folders.size() == 1) {
      Key(dlg, VK_ESCAPE);
      return;
    }
    TypeName(dlg, "take2");
    Press(dlg, IDOK);
  });
  EXPECT_FALSE(AskSaveFile(wave, nullptr, "Save Wave"));
  EXPECT_EQ(wave.Flags, kFileDataFlags);
  EXPECT_STREQ(wave.FileName, "keep");
  ASSERT_TRUE(AskSaveFile(wave, nullptr, "Save Wave"));
  EXPECT_EQ(wave.Flags, kFileDataFlags);
  EXPECT_EQ(wave.FileName, tree_.Path("Music/take2.wav"));
  EXPECT_EQ(wave.Directory, tree_.Path("Music"));
  EXPECT_EQ(folders, (std::vector<std::string>{tree_.Path("Music"), tree_.Path("Music")}));
}

TEST_F(FileDialogs, OpeningAFileInARealFolder) {
  FileData& wave = MediaFileData(kWaveFiles);
  wave.SetDirectory(tree_.Path("x").c_str());
  std::vector<std::string> listed;
  std::string caption;
  Driver d([&](HWND dlg) {
    caption = TextOf(dlg);
    listed = ListTexts(dlg);
    ASSERT_TRUE(ClickItem(dlg, "[Music]", 2));
    ASSERT_TRUE(ClickItem(dlg, "song.wav"));
    Press(dlg, IDOK);
  });
  ASSERT_TRUE(AskOpenFile(wave, nullptr, "Open Wave"));
  EXPECT_EQ(caption, "Open Wave");
  // The record's filter: folders and wave files only.
  EXPECT_NE(std::find(listed.begin(), listed.end(), "beta.wav"), listed.end());
  for (const std::string& item : listed) EXPECT_EQ(item.find(".avi"), std::string::npos) << item;
  EXPECT_EQ(wave.FileName, tree_.Path("Music/song.wav"));
  EXPECT_EQ(wave.Directory, tree_.Path("Music"));
  EXPECT_EQ(wave.FilterIndex, 1);
  // The next open dialog on the record starts there.
  std::string shown;
  Driver again([&](HWND dlg) {
    shown = FolderShown(dlg);
    Key(dlg, VK_ESCAPE);
  });
  EXPECT_FALSE(AskOpenFile(wave, nullptr, "Open Wave"));
  EXPECT_EQ(shown, tree_.Path("Music"));
}

TEST_F(FileDialogs, AChosenClipMovesTheFolderOfEveryRecord) {
  SetFileDialogsDirectory(tree_.Path("x").c_str(), 3);
  std::string caption;
  Driver d([&](HWND dlg) {
    caption = TextOf(dlg);
    ClickItem(dlg, "Alpha.avi");
    Press(dlg, IDOK);
  });
  ASSERT_TRUE(AskOpenClip(nullptr, nullptr));
  EXPECT_EQ(caption, "Open Clip");
  EXPECT_EQ(MediaFileData(kClipFiles).FileName, tree_.Path("Alpha.avi"));
  EXPECT_EQ(MediaFileData(kClipFiles).FilterIndex, 3);
  for (int k = 0; k < kMediaFileKinds; ++k) {
    EXPECT_EQ(MediaFileData(static_cast<MediaFileKind>(k)).Directory, tree_.Path("")) << k;
  }
}

}  // namespace
