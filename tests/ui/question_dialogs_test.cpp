#include "ui/question_dialogs.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "dialog_script.h"
#include "fake_shell.h"
#include "file_chooser_script.h"
#include "platform/classlib/classlib.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/modal.h"
#include "support/test_env.h"
#include "ui/te_file_dialogs.h"

using namespace filetest;
using dialogtest::ModalScript;

namespace {

std::string ItemText(HWND dialog, int id) {
  char text[512] = {};
  GetDlgItemText(dialog, id, text, sizeof text);
  return text;
}

std::string Caption(HWND window) {
  char text[256] = {};
  GetWindowText(window, text, sizeof text);
  return text;
}

void Press(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  ASSERT_NE(button, nullptr) << id;
  GuiClick(button, 4, 4);
  GuiPumpMessages();
}

// Clicks the list's item as a user would.
void ClickItem(HWND list, int index) {
  RECT r{};
  ASSERT_NE(SendMessage(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)), LB_ERR);
  GuiClick(list, r.left + 2, (r.top + r.bottom) / 2);
  GuiPumpMessages();
}

class QuestionDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallQuestionDialogs();
    frame_ = new TFrameWindow(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    GuiPumpMessages();
  }
  void TearDown() override {
    SetQuestionDialogRunner(nullptr);
    SetMissingFileQuestions(nullptr);
    delete frame_;
    GuiPumpMessages();
  }
  HWND owner() const { return frame_->GetHandle(); }

  TFrameWindow* frame_ = nullptr;
  FakeShell shell_;
  RecordsGuard guard_;
  ScriptedChooser chooser_;
  FileQuestions questions_;
};

TEST_F(QuestionDialogs, BrowseThatIsCancelledKeepsTheMissingFileQuestionOpen) {
  RealChooser real;
  TestFolder dir;
  ASSERT_TRUE(dir.ok());
  std::ofstream(dir.File("a.wav")) << "x";
  char path[MAX_PATH] = "/gone/clips/a.wav";
  HWND question = nullptr;
  std::vector<HWND> chooserOwners;
  std::vector<std::string> startNames;
  ModalScript script({
      [&](HWND d) {
        question = d;
        EXPECT_EQ(Caption(d), "Load Project");
        EXPECT_EQ(ItemText(d, kQuestionText), "Can not open source file\n/gone/clips/a.wav\nThe file does not exist.");
        Press(d, IDOK);  // Browse: the chooser below is cancelled
        ASSERT_TRUE(IsWindow(d));
        EXPECT_TRUE(IsWindowVisible(d));
        EXPECT_STREQ(path, "/gone/clips/a.wav");
        Press(d, IDOK);  // Browse again: a file is chosen
      },
      [&](HWND chooser) {
        chooserOwners.push_back(GetWindow(chooser, GW_OWNER));
        startNames.push_back(ItemText(chooser, kChooserFileName));
        GuiPressKey(VK_ESCAPE);
      },
      [&](HWND chooser) {
        chooserOwners.push_back(GetWindow(chooser, GW_OWNER));
        SetFocus(GetDlgItem(chooser, kChooserFileName));
        SetDlgItemText(chooser, kChooserFileName, dir.File("a.wav").c_str());
        Press(chooser, IDOK);
      },
  });
  EXPECT_EQ(questions_.AskFile(owner(), "Load Project", path, 3), kLocateChosen);
  EXPECT_TRUE(script.done());
  EXPECT_EQ(path, dir.File("a.wav"));
  // The chooser belongs to the question and starts on the missing file.
  EXPECT_EQ(chooserOwners, (std::vector<HWND>{question, question}));
  EXPECT_EQ(startNames, std::vector<std::string>{"a.wav"});
  EXPECT_EQ(MediaFileData(kClipFiles).FilterIndex, 3);
}

TEST_F(QuestionDialogs, TheOtherAnswersEndTheQuestionAndLeaveThePath) {
  const struct {
    int resource;
    int button;  // 0: Esc
    int want;
  } cases[] = {
      {kAskFileDialog, kIdSkip, kLocateSkip},       {kAskFileDialog, kIdSkipAll, kLocateSkipAll},
      {kAskFileDialog, IDCANCEL, kLocateCancel},    {kAskFileDialog, 0, kLocateCancel},
      {kSelectFileDialog, kIdSkip, kLocateSkip},    {kSelectFileDialog, kIdSkipAll, kLocateSkipAll},
      {kSelectFileDialog, IDCANCEL, kLocateCancel},
  };
  PathRecord candidate("/a/x.wav", true);
  for (const auto& c : cases) {
    char path[MAX_PATH] = "/gone/x.wav";
    ModalScript script({[&](HWND d) {
      if (c.button == 0) {
        GuiPressKey(VK_ESCAPE);
      } else {
        Press(d, c.button);
      }
    }});
    const int got = c.resource == kAskFileDialog ? questions_.AskFile(owner(), "c", path, 0)
                                                 : questions_.SelectFile(owner(), "c", path, 0, &candidate);
    EXPECT_EQ(got, c.want) << c.resource << " " << c.button;
    EXPECT_STREQ(path, "/gone/x.wav");
  }
  EXPECT_TRUE(chooser_.calls.empty());
}

TEST_F(QuestionDialogs, TheThirdOfThreeCandidatesIsChosenFromTheList) {
  PathRecord c1("/a/x.wav", true), c2("/b/x.wav", true), c3("/c/x.wav", true);
  c1.next = &c2;
  c2.next = &c3;
  char path[MAX_PATH] = "/gone/x.wav";
  ModalScript script({[&](HWND d) {
    HWND list = GetDlgItem(d, kCandidateList);
    EXPECT_EQ(SendMessage(list, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(ItemText(d, kQuestionText), "Can not open source file\n/gone/x.wav\nThe file does not exist.");
    ClickItem(list, 2);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 2);
    Press(d, IDOK);
  }});
  EXPECT_EQ(questions_.SelectFile(owner(), "Load Project", path, 0, &c1), kLocateChosen);
  c1.next = c2.next = nullptr;
  EXPECT_STREQ(path, "/c/x.wav");
}

TEST_F(QuestionDialogs, BrowseFromTheListTakesTheBrowsedFileNotTheSelection) {
  PathRecord c1("/a/x.wav", true);
  char path[MAX_PATH] = "/gone/x.wav";
  chooser_.answers = {{ChooserResult::kOk, "/d/x.wav", 0}};
  ModalScript script({[&](HWND d) { Press(d, kIdBrowseInList); }});
  EXPECT_EQ(questions_.SelectFile(owner(), "c", path, 0, &c1), kLocateChosen);
  EXPECT_STREQ(path, "/d/x.wav");
}

TEST_F(QuestionDialogs, TheListScrollsSidewaysToItsWidestPath) {
  const std::string longPath = "/" + std::string(40, 'm') + "/" + std::string(40, 'w') + "/x.wav";
  const struct {
    const char* second;
    bool wider;  // the widest path is wider than the list
  } cases[] = {{"/b/x.wav", false}, {longPath.c_str(), true}};
  for (const auto& c : cases) {
    PathRecord c1("/a/x.wav", true), c2(c.second, true);
    c1.next = &c2;
    char path[MAX_PATH] = "/gone/x.wav";
    LRESULT extent = 0;
    RECT client{};
    ModalScript script({[&](HWND d) {
      HWND list = GetDlgItem(d, kCandidateList);
      extent = SendMessage(list, LB_GETHORIZONTALEXTENT, 0, 0);
      GetClientRect(list, &client);
      Press(d, IDCANCEL);
    }});
    questions_.SelectFile(owner(), "c", path, 0, &c1);
    c1.next = nullptr;
    EXPECT_GT(extent, 0) << c.second;
    EXPECT_EQ(extent > client.right, c.wider)
        << c.second << " extent " << extent << " width " << client.right;
  }
}

TEST_F(QuestionDialogs, AddClipAnswers) {
  const struct {
    int button;
    int want;
    int answerForAll;
  } cases[] = {{IDOK, 1, 0}, {IDCANCEL, 2, 0}, {kIdAddAll, 1, 1}, {kIdSkipAll, 2, -1}};
  for (const auto& c : cases) {
    int all = 0;
    ModalScript script({[&](HWND d) {
      EXPECT_EQ(Caption(d), "Add Clip");
      EXPECT_EQ(
          ItemText(d, kQuestionText),
          "Clip 'take1' is already opened.\nDo you want to add this clip to Clip Collection once more?");
      Press(d, c.button);
    }});
    EXPECT_EQ(AskAddClip(owner(), "take1", &all), c.want) << c.button;
    EXPECT_EQ(all, c.answerForAll) << c.button;
  }
}

TEST_F(QuestionDialogs, AWindowMadeWithoutTheClassLibraryOwnsTheQuestion) {
  HWND plain = CreateWindowEx(0, WC_STATIC, "plain", WS_POPUP | WS_VISIBLE, 10, 10, 100, 50, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(plain, nullptr);
  HWND questionOwner = nullptr;
  ModalScript script({[&](HWND d) {
    questionOwner = GetWindow(d, GW_OWNER);
    Press(d, IDOK);
  }});
  EXPECT_EQ(AskAddClip(plain, "take1", nullptr), 1);
  EXPECT_EQ(questionOwner, plain);
  // The window is left as it was.
  EXPECT_TRUE(IsWindow(plain));
  EXPECT_EQ(TWindow::GetWindowPtr(plain), nullptr);
  DestroyWindow(plain);
}

// A load that misses three files: the first is browsed for, the second is
// offered from the folder where the first was found, the third ends all
// questions.
TEST_F(QuestionDialogs, LocatingMovedFilesThroughTheDialogs) {
  TestFolder dir;
  ASSERT_TRUE(dir.ok());
  std::filesystem::create_directories(dir.File("moved"));
  for (const char* name : {"a.wav", "b.wav", "c.wav"})
    std::ofstream(dir.File(std::string("moved/") + name)) << "x";
  PathRecord* folders = new PathRecord((dir.path() + "/").c_str(), true);

  RealChooser real;
  char first[MAX_PATH] = "/gone/a.wav";
  {
    ModalScript script({
        [&](HWND d) {
          EXPECT_EQ(GetDlgItem(d, kCandidateList), nullptr);
          Press(d, IDOK);
        },
        [&](HWND chooser) {
          SetDlgItemText(chooser, kChooserFileName, dir.File("moved").c_str());
          Press(chooser, IDOK);  // a folder typed: the chooser goes there
          RECT r{};
          HWND files = GetDlgItem(chooser, kChooserFileList);
          const LRESULT i = SendMessage(files, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>("a.wav"));
          ASSERT_GE(i, 0);
          SendMessage(files, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
          GuiClick(files, r.left + 4, (r.top + r.bottom) / 2);
          GuiPumpMessages();
          Press(chooser, IDOK);
        },
    });
    EXPECT_EQ(LocateMediaFile(owner(), "Load Project", first, 1, folders), kLocateChosen);
  }
  EXPECT_EQ(first, dir.File("moved/a.wav"));

  char second[MAX_PATH] = "/gone/b.wav";
  {
    ModalScript script({[&](HWND d) {
      HWND list = GetDlgItem(d, kCandidateList);
      ASSERT_NE(list, nullptr);
      ASSERT_EQ(SendMessage(list, LB_GETCOUNT, 0, 0), 1);
      char item[MAX_PATH] = {};
      SendMessage(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(item));
      EXPECT_EQ(item, dir.File("moved/b.wav"));
      GuiPressKey(VK_RETURN);
    }});
    EXPECT_EQ(LocateMediaFile(owner(), "Load Project", second, 1, folders), kLocateChosen);
  }
  EXPECT_EQ(second, dir.File("moved/b.wav"));

  char third[MAX_PATH] = "/gone/c.wav";
  {
    ModalScript script({[&](HWND d) { Press(d, kIdSkipAll); }});
    EXPECT_EQ(LocateMediaFile(owner(), "Load Project", third, 1, folders), kLocateSkipAll);
  }
  EXPECT_STREQ(third, "/gone/c.wav");
  // The folder was remembered once.
  ASSERT_NE(folders->next, nullptr);
  EXPECT_EQ(folders->next->path, dir.File("moved/"));
  EXPECT_EQ(folders->next->next, nullptr);
  PathRecord::FreeList(folders);
}

}  // namespace
