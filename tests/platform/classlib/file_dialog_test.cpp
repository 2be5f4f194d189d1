#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/classlib/classlib.h"
#include "platform/gui/common_dialogs/file_chooser_test_util.h"

namespace {

using namespace file_chooser_test;

constexpr int kPanelId = 31200;
constexpr int kAdd = 31201;

TEST(FileDialog, OpenRunsTheChooserOnTheRecord) {
  Tree tree;
  TWindow owner(nullptr, "Owner");
  owner.Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  ASSERT_TRUE(owner.Create());
  TOpenSaveDialog::TData data(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, "Sound|*.wav;*.avi|Text|*.txt|",
                              tree.dir.path().c_str(), "wav", 2);
  std::strcpy(data.FileName, "old.wav");
  std::vector<std::string> types, listed;
  std::string title;
  HWND chooser_owner = nullptr;
  bool cancel = true;
  Driver d([&](HWND dlg) {
    title = TextOf(dlg);
    chooser_owner = GetWindow(dlg, GW_OWNER);
    HWND combo = GetDlgItem(dlg, kChooserFilterCombo);
    types.clear();
    for (LRESULT i = 0; i < SendMessage(combo, CB_GETCOUNT, 0, 0); ++i) {
      char buf[64] = {};
      SendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
      types.emplace_back(buf);
    }
    listed = ListTexts(dlg);
    ClickItem(dlg, "doc.txt");
    Press(dlg, cancel ? IDCANCEL : IDOK);
  });
  {
    TFileOpenDialog dlg(&owner, data, TResId(), "Open Clip");
    EXPECT_EQ(dlg.Execute(), IDCANCEL);
  }
  EXPECT_EQ(data.Error, 0u);
  EXPECT_STREQ(data.FileName, "old.wav");
  EXPECT_EQ(data.FilterIndex, 2);
  EXPECT_EQ(title, "Open Clip");
  EXPECT_EQ(chooser_owner, owner.GetHandle());
  EXPECT_EQ(types, (std::vector<std::string>{"Sound", "Text"}));
  EXPECT_EQ(listed, (std::vector<std::string>{"[a.b]", "[Music]", "[sub]", "doc.txt"}));

  cancel = false;
  TFileOpenDialog dlg(&owner, data);
  EXPECT_EQ(dlg.Execute(), IDOK);
  EXPECT_EQ(title, "Open");
  EXPECT_EQ(std::string(data.FileName), tree.Path("doc.txt"));
  EXPECT_EQ(data.FilterIndex, 2);
  EXPECT_EQ(data.Error, 0u);
  EXPECT_EQ(dlg.GetHandle(), nullptr);
}

// A dialog with a panel of its own, as the program's clip dialog is made.
class TPanelDialog : public TFileOpenDialog {
 public:
  TPanelDialog(TData& data) : TFileOpenDialog(nullptr, data, kPanelId) {}
  void SetupWindow() override {
    TFileOpenDialog::SetupWindow();
    setup_with_chooser = GetChooser() != nullptr && GetDlgItem(kAdd) != nullptr;
  }
  bool DialogFunction(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_NOTIFY) {
      const auto* n = reinterpret_cast<const OFNOTIFY*>(lParam);
      if (n->hdr.code == CDN_SELCHANGE) {
        char path[MAX_PATH] = {};
        GetFilePath(path, sizeof path);
        selections.emplace_back(path);
      } else if (n->hdr.code == CDN_FILEOK && refuse) {
        refuse = false;
        SetWindowLongPtr(GetHandle(), DWLP_MSGRESULT, 1);
        return true;
      }
    }
    return TFileOpenDialog::DialogFunction(msg, wParam, lParam);
  }
  void CmAdd() {
    char path[MAX_PATH] = {};
    GetFilePath(path, sizeof path);
    added.emplace_back(path);
  }

  bool setup_with_chooser = false;
  bool refuse = true;
  std::vector<std::string> selections, added;
  DECLARE_RESPONSE_TABLE(TPanelDialog);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TPanelDialog, TFileOpenDialog)
  EV_COMMAND(kAdd, CmAdd),
END_RESPONSE_TABLE;
// clang-format on

TEST(FileDialog, APanelOfItsOwnGetsCommandsAndNotifications) {
  DialogTemplate t;
  t.style = WS_CHILD | DS_CONTROL | DS_SETFONT;
  t.cx = 100;
  t.cy = 40;
  t.items = {
      {WC_STATIC, "", kChooserPlaceholder, SS_LEFT, 0, 0, 0, 40, 20},
      {WC_BUTTON, "&Add", kAdd, WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 0, 50, 4, 40, 14},
  };
  RegisterDialogResource(kPanelId, t);
  Tree tree;
  TOpenSaveDialog::TData data(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, "All files|*.*|",
                              tree.dir.path().c_str());
  bool stayed = false;
  Driver d([&](HWND dlg) {
    ClickItem(dlg, "beta.wav");
    for (HWND c = GetWindow(dlg, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
      if (HWND add = GetDlgItem(c, kAdd)) {
        SendMessage(add, BM_CLICK, 0, 0);
        Pump(dlg);
      }
    }
    ClickItem(dlg, "readme");
    Press(dlg, IDOK);
    stayed = Open(dlg);
    Press(dlg, IDOK);
  });
  TPanelDialog dlg(data);
  EXPECT_EQ(dlg.Execute(), IDOK);
  EXPECT_TRUE(dlg.setup_with_chooser);
  EXPECT_EQ(dlg.added, (std::vector<std::string>{tree.Path("beta.wav")}));
  EXPECT_EQ(dlg.selections, (std::vector<std::string>{tree.Path("beta.wav"), tree.Path("readme")}));
  EXPECT_TRUE(stayed);
  EXPECT_EQ(std::string(data.FileName), tree.Path("readme"));
  EXPECT_EQ(data.FilterIndex, 1);
  EXPECT_EQ(dlg.GetChooser(), nullptr);
  char buf[8];
  EXPECT_LT(dlg.GetFilePath(buf, sizeof buf), 0);
}

TEST(FileDialog, AMissingPanelIsTheRecordsError) {
  TOpenSaveDialog::TData data(0, "All files|*.*|");
  Driver d(nullptr);
  TFileSaveDialog dlg(nullptr, data, 31299);
  EXPECT_EQ(dlg.Execute(), IDCANCEL);
  EXPECT_EQ(data.Error, CDERR_FINDRESFAILURE);
  EXPECT_EQ(d.choosers, 0);
}

}  // namespace
