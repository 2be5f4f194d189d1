// The file chooser driven as a user would, through its real controls, on a
// real folder tree.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "file_chooser_test_util.h"
#include "platform/gui/common_dialogs/file_chooser_match.h"

namespace {

using namespace file_chooser_test;

constexpr char kFilter[] = "Sound\0*.wav;*.avi\0Text\0*.TXT\0All files\0*.*\0";

struct Ofn {
  OPENFILENAME ofn;
  char file[MAX_PATH] = {};
  char title[64] = {};
  Ofn() {
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = sizeof title;
  }
};

TEST(FileChooser, NavigatesFiltersAndPicksAFile) {
  Tree tree;
  Ofn o;
  o.ofn.lpstrInitialDir = tree.dir.path().c_str();
  o.ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  std::vector<std::string> seen_root, seen_music, seen_all;
  std::string combo_in_music, name_after_select;
  Driver d([&](HWND dlg) {
    EXPECT_EQ(TextOf(dlg), "Open");
    EXPECT_EQ(ItemOf(dlg, IDOK), "&Open");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, kChooserReadOnly)));
    EXPECT_EQ(ItemOf(dlg, kChooserFilterCombo), "Sound");
    seen_root = ListTexts(dlg);
    // Into a folder by a double click, and up again with the button.
    ASSERT_TRUE(ClickItem(dlg, "[Music]", 2));
    seen_music = ListTexts(dlg);
    combo_in_music = ItemOf(dlg, kChooserFolderCombo);
    Press(dlg, kChooserUpButton);
    EXPECT_EQ(ItemOf(dlg, kChooserFolderCombo), tree.Path(""));
    // Enter on a selected folder opens it; ".." in the name box goes up.
    ASSERT_TRUE(ClickItem(dlg, "[sub]"));
    Key(dlg, VK_RETURN);
    EXPECT_EQ(ItemOf(dlg, kChooserFolderCombo), tree.Path("sub"));
    EXPECT_TRUE(ListTexts(dlg).empty());
    TypeName(dlg, "..");
    Key(dlg, VK_RETURN);
    EXPECT_EQ(ItemOf(dlg, kChooserFolderCombo), tree.Path(""));
    // The folder combo lists the parents: one up from Music is the root.
    ASSERT_TRUE(ClickItem(dlg, "[Music]", 2));
    SetFocus(GetDlgItem(dlg, kChooserFolderCombo));
    Key(dlg, VK_UP);
    EXPECT_EQ(ItemOf(dlg, kChooserFolderCombo), tree.Path(""));
    EXPECT_EQ(ListTexts(dlg).size(), 6u);
    ChooseFilter(dlg, 2);
    seen_all = ListTexts(dlg);
    ASSERT_TRUE(ClickItem(dlg, "beta.wav"));
    name_after_select = ItemOf(dlg, kChooserFileName);
    Press(dlg, IDOK);
  });
  ASSERT_TRUE(GetOpenFileName(&o.ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(d.choosers, 1);
  // Folders first, then the matching files; case-insensitive in both sort
  // and match; dot-files hidden.
  EXPECT_EQ(seen_root,
            (std::vector<std::string>{"[a.b]", "[Music]", "[sub]", "Alpha.avi", "beta.wav", "clip.WAV"}));
  EXPECT_EQ(seen_music, (std::vector<std::string>{"song.wav"}));
  EXPECT_EQ(combo_in_music, tree.Path("Music"));
  EXPECT_EQ(seen_all, (std::vector<std::string>{"[a.b]", "[Music]", "[sub]", "Alpha.avi", "beta.wav",
                                                "clip.WAV", "doc.txt", "readme"}));
  EXPECT_EQ(name_after_select, "beta.wav");
  const std::string want = tree.Path("beta.wav");
  EXPECT_EQ(std::string(o.file), want);
  EXPECT_EQ(o.ofn.nFilterIndex, 3u);
  EXPECT_EQ(o.ofn.nFileOffset, want.size() - 8);
  EXPECT_EQ(o.ofn.nFileExtension, want.size() - 3);
  EXPECT_STREQ(o.title, "beta.wav");
  EXPECT_TRUE(d.boxes.empty());
}

TEST(FileChooser, TypedMasksFilterAndEscCancels) {
  Tree tree;
  Ofn o;
  std::strcpy(o.file, "start.wav");
  o.ofn.lpstrInitialDir = tree.dir.path().c_str();
  o.ofn.nFilterIndex = 2;
  std::vector<std::string> typed, elsewhere, after_type_change;
  std::string folder_after;
  Driver d([&](HWND dlg) {
    EXPECT_EQ(ItemOf(dlg, kChooserFileName), "start.wav");
    EXPECT_EQ(ListTexts(dlg), (std::vector<std::string>{"[a.b]", "[Music]", "[sub]", "doc.txt"}));
    TypeName(dlg, "*.avi; read?e");
    Press(dlg, IDOK);
    EXPECT_TRUE(Open(dlg));
    typed = ListTexts(dlg);
    // A mask after a folder opens that folder first.
    TypeName(dlg, "Music/*.txt");
    Key(dlg, VK_RETURN);
    elsewhere = ListTexts(dlg);
    folder_after = ItemOf(dlg, kChooserFolderCombo);
    // Another filter ends the typed mask.
    ChooseFilter(dlg, 0);
    after_type_change = ListTexts(dlg);
    Key(dlg, VK_ESCAPE);
  });
  EXPECT_FALSE(GetOpenFileName(&o.ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_STREQ(o.file, "start.wav");
  EXPECT_EQ(typed, (std::vector<std::string>{"[a.b]", "[Music]", "[sub]", "Alpha.avi", "readme"}));
  EXPECT_EQ(elsewhere, (std::vector<std::string>{"notes.txt"}));
  EXPECT_EQ(folder_after, tree.Path("Music"));
  EXPECT_EQ(after_type_change, (std::vector<std::string>{"song.wav"}));
}

TEST(FileChooser, MasksMatchLikeTheUsersExpect) {
  struct Case {
    const char* name;
    const char* masks;
    bool match;
  } cases[] = {
      {"take.WAV", "*.wav", true},
      {"take.wav.bak", "*.wav", false},
      {"readme", "*.*", true},
      {"readme", "*.", false},
      {"a.avi", "*.wav;*.avi", true},
      {"a.avi", "*.wav ; *.avi", true},
      {"ab.mid", "??.mid", true},
      {"abc.mid", "??.mid", false},
      {"x", "", false},
      {"clip01.avi", "clip*1*.avi", true},
      {"clip0.avi", "clip*1*.avi", false},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesMasks(c.name, c.masks), c.match) << c.name << " / " << c.masks;
}

// What OK does with a typed name, by flags.
TEST(FileChooser, OkChecksTheNameByFlags) {
  struct Case {
    const char* what;
    bool save;
    DWORD flags;
    const char* def_ext;
    const char* typed;
    std::vector<int> answers;  // to the message boxes, in turn
    const char* box;           // start of the (first) box text after the path; null: no box
    const char* chosen;        // relative to the tree; null: cancelled in the end
    DWORD max_file = MAX_PATH;
    DWORD error = 0;
  } cases[] = {
      {"missing file refused",
       false,
       OFN_FILEMUSTEXIST,
       nullptr,
       "missing.wav",
       {},
       "\nFile not found.",
       nullptr},
      {"missing file allowed", false, 0, nullptr, "new.wav", {}, nullptr, "new.wav"},
      {"missing folder refused",
       false,
       OFN_PATHMUSTEXIST,
       nullptr,
       "nowhere/x.wav",
       {},
       "\nPath not found.",
       nullptr},
      {"default extension", true, 0, "wav", "take1", {}, nullptr, "take1.wav"},
      {"dot in the folder only", true, 0, "wav", "a.b/take1", {}, nullptr, "a.b/take1.wav"},
      {"own extension kept", true, 0, "wav", "take1.aif", {}, nullptr, "take1.aif"},
      {"lone dot kept", true, 0, "wav", "take1.", {}, nullptr, "take1."},
      {"overwrite answered No",
       true,
       OFN_OVERWRITEPROMPT,
       nullptr,
       "beta.wav",
       {IDNO},
       " already exists.\nDo you want to replace it?",
       nullptr},
      {"overwrite answered Yes",
       true,
       OFN_OVERWRITEPROMPT,
       nullptr,
       "beta.wav",
       {IDYES},
       " already exists.\nDo you want to replace it?",
       "beta.wav"},
      {"open never asks to overwrite",
       false,
       OFN_OVERWRITEPROMPT,
       nullptr,
       "beta.wav",
       {},
       nullptr,
       "beta.wav"},
      {"read-only refused",
       true,
       OFN_NOREADONLYRETURN,
       nullptr,
       "locked.wav",
       {},
       "\nThis file cannot be written.",
       nullptr},
      {"read-only allowed", true, 0, nullptr, "locked.wav", {}, nullptr, "locked.wav"},
      {"buffer too small", false, 0, nullptr, "beta.wav", {}, nullptr, nullptr, 8, FNERR_BUFFERTOOSMALL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Tree tree;
    std::ofstream(tree.Path("locked.wav")) << "x";
    chmod(tree.Path("locked.wav").c_str(), 0444);
    Ofn o;
    o.ofn.lpstrInitialDir = tree.dir.path().c_str();
    o.ofn.Flags = c.flags | OFN_HIDEREADONLY;
    o.ofn.lpstrDefExt = c.def_ext;
    o.ofn.nMaxFile = c.max_file;
    bool stayed = false;
    Driver d([&](HWND dlg) {
      TypeName(dlg, c.typed);
      Key(dlg, VK_RETURN);
      if (Open(dlg)) {
        stayed = true;
        Press(dlg, IDCANCEL);
      }
    });
    d.answers = c.answers;
    const BOOL ok = c.save ? GetSaveFileName(&o.ofn) : GetOpenFileName(&o.ofn);
    EXPECT_EQ(ok != FALSE, c.chosen != nullptr);
    EXPECT_EQ(CommDlgExtendedError(), c.error);
    if (c.chosen != nullptr) {
      EXPECT_EQ(std::string(o.file), tree.Path(c.chosen));
    } else {
      EXPECT_STREQ(o.file, "");
      EXPECT_EQ(stayed, c.error == 0);
    }
    if (c.box != nullptr) {
      ASSERT_EQ(d.boxes.size(), 1u);
      const std::string path = tree.Path(c.typed);
      EXPECT_EQ(d.boxes[0].substr(0, path.size() + std::strlen(c.box)), path + c.box);
    } else {
      EXPECT_TRUE(d.boxes.empty()) << d.boxes[0];
    }
  }
}

TEST(FileChooser, StartsInTheRightFolderWithTheStartingName) {
  Tree tree;
  struct Case {
    const char* what;
    std::string file;
    std::string initial;
    std::string folder;
    std::string name;
  } cases[] = {
      {"the starting name's folder", tree.Path("Music/song.wav"), "", tree.Path("Music"), "song.wav"},
      {"the initial folder first", tree.Path("Music/song.wav"), tree.Path("sub"), tree.Path("sub"),
       "song.wav"},
      {"a missing initial folder is passed over", tree.Path("Music/x.wav"), tree.Path("gone"),
       tree.Path("Music"), "x.wav"},
      {"a starting folder", tree.Path("sub") + "/", "", tree.Path("sub"), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ofn o;
    std::strcpy(o.file, c.file.c_str());
    o.ofn.lpstrInitialDir = c.initial.empty() ? nullptr : c.initial.c_str();
    o.ofn.lpstrTitle = "Pick";
    std::string folder, name, title, ok_text;
    Driver d([&](HWND dlg) {
      folder = ItemOf(dlg, kChooserFolderCombo);
      name = ItemOf(dlg, kChooserFileName);
      title = TextOf(dlg);
      ok_text = ItemOf(dlg, IDOK);
      Press(dlg, IDCANCEL);
    });
    EXPECT_FALSE(GetSaveFileName(&o.ofn));
    EXPECT_EQ(folder, c.folder);
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(title, "Pick");
    EXPECT_EQ(ok_text, "&Save");
  }
}

TEST(FileChooser, ErrorsBeforeTheChooserShows) {
  char file[MAX_PATH] = {};
  struct Case {
    const char* what;
    std::function<void(OPENFILENAME&)> spoil;
    DWORD error;
  } cases[] = {
      {"structure size", [](OPENFILENAME& o) { o.lStructSize = 12; }, CDERR_STRUCTSIZE},
      {"no buffer", [](OPENFILENAME& o) { o.lpstrFile = nullptr; }, CDERR_INITIALIZATION},
      {"no room", [](OPENFILENAME& o) { o.nMaxFile = 0; }, CDERR_INITIALIZATION},
      {"missing template",
       [](OPENFILENAME& o) {
         o.Flags |= OFN_ENABLETEMPLATE;
         o.lpTemplateName = MAKEINTRESOURCE(31999);
       },
       CDERR_FINDRESFAILURE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OPENFILENAME o;
    o.lpstrFile = file;
    o.nMaxFile = sizeof file;
    c.spoil(o);
    Driver d(nullptr);
    EXPECT_FALSE(GetOpenFileName(&o));
    EXPECT_EQ(CommDlgExtendedError(), c.error);
    EXPECT_EQ(d.choosers, 0);
  }
}

// ---- The extension panel ----

constexpr int kPanelTemplate = 31100;
constexpr int kPanelButton = 31101;
constexpr int kPanelInfo = 31102;

struct PanelLog {
  LPARAM init_param = 0;
  std::vector<UINT> codes;
  std::vector<std::string> sel_paths;
  std::vector<int> commands;
  int refusals_left = 0;
  std::string path_at_fileok;
  std::string folder_at_init;
};
PanelLog g_panel;

std::string Ask(HWND chooser, UINT msg) {
  char buf[MAX_PATH] = {};
  SendMessage(chooser, msg, sizeof buf, reinterpret_cast<LPARAM>(buf));
  return buf;
}

UINT_PTR PanelHook(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      g_panel.init_param = lParam;
      return TRUE;
    case WM_COMMAND:
      g_panel.commands.push_back(LOWORD(wParam));
      return TRUE;
    case WM_NOTIFY: {
      auto* n = reinterpret_cast<OFNOTIFY*>(lParam);
      EXPECT_EQ(n->hdr.hwndFrom, GetParent(panel));
      g_panel.codes.push_back(n->hdr.code);
      if (n->hdr.code == CDN_INITDONE) g_panel.folder_at_init = Ask(GetParent(panel), CDM_GETFOLDERPATH);
      if (n->hdr.code == CDN_SELCHANGE) g_panel.sel_paths.push_back(Ask(GetParent(panel), CDM_GETFILEPATH));
      if (n->hdr.code == CDN_FILEOK) {
        g_panel.path_at_fileok = Ask(GetParent(panel), CDM_GETFILEPATH);
        if (g_panel.refusals_left > 0) {
          --g_panel.refusals_left;
          SetWindowLongPtr(panel, DWLP_MSGRESULT, 1);
          return TRUE;
        }
      }
      return FALSE;
    }
  }
  return FALSE;
}

// A panel with the chooser's place at its top left, a button to its right
// and a text below it.
void RegisterPanel() {
  DialogTemplate t;
  t.style = WS_CHILD | WS_VISIBLE | DS_CONTROL | DS_SETFONT;
  t.cx = 120;
  t.cy = 60;
  t.items = {
      {WC_STATIC, "", kChooserPlaceholder, SS_LEFT, 0, 0, 0, 60, 20},
      {WC_BUTTON, "&Add", kPanelButton, WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 0, 66, 4, 40, 14},
      {WC_STATIC, "Clip information", kPanelInfo, WS_VISIBLE | SS_LEFT, 0, 4, 26, 100, 24},
  };
  RegisterDialogResource(kPanelTemplate, t);
}

RECT RectIn(HWND dlg, HWND item) {
  RECT r;
  GetWindowRect(item, &r);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST(FileChooser, ThePanelSeesSelectionsAndMayRefuseTheFile) {
  RegisterPanel();
  Tree tree;
  g_panel = PanelLog{};
  g_panel.refusals_left = 1;
  Ofn o;
  std::strcpy(o.file, "before.wav");
  o.ofn.lpstrInitialDir = tree.dir.path().c_str();
  o.ofn.Flags = OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  o.ofn.lpTemplateName = MAKEINTRESOURCE(kPanelTemplate);
  o.ofn.lpfnHook = PanelHook;
  bool stayed_after_refusal = false;
  std::string file_after_refusal;
  Driver d([&](HWND dlg) {
    HWND list = GetDlgItem(dlg, kChooserFileList);
    HWND panel = nullptr;
    for (HWND c = GetWindow(dlg, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
      if (GetDlgItem(c, kPanelButton) != nullptr) panel = c;
    }
    ASSERT_NE(panel, nullptr);
    HWND button = GetDlgItem(panel, kPanelButton);
    // The chooser sits where the placeholder was; the panel's items right of
    // and below it moved out of its way.
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(panel, kChooserPlaceholder)));
    const RECT lr = RectIn(dlg, list), br = RectIn(dlg, button),
               ir = RectIn(dlg, GetDlgItem(panel, kPanelInfo));
    const RECT okr = RectIn(dlg, GetDlgItem(dlg, IDOK));
    EXPECT_GE(br.left, okr.right);
    EXPECT_GE(ir.top, RectIn(dlg, GetDlgItem(dlg, kChooserFilterCombo)).bottom);
    RECT client;
    GetClientRect(dlg, &client);
    EXPECT_LE(br.right, client.right);
    EXPECT_LE(ir.bottom, client.bottom);
    EXPECT_GT(lr.right - lr.left, 200);
    // The panel's commands go to its procedure.
    Press(panel, kPanelButton);
    ASSERT_TRUE(ClickItem(dlg, "clip.WAV"));
    ASSERT_TRUE(ClickItem(dlg, "[Music]"));
    // The questions cut the answer to the buffer and tell the size needed.
    char small[5] = {};
    const LRESULT need = SendMessage(dlg, CDM_GETFILEPATH, sizeof small, reinterpret_cast<LPARAM>(small));
    EXPECT_EQ(need, static_cast<LRESULT>(tree.Path("Music").size() + 1));
    EXPECT_EQ(std::string(small), tree.Path("Music").substr(0, 4));
    ASSERT_TRUE(ClickItem(dlg, "beta.wav"));
    EXPECT_EQ(Ask(dlg, CDM_GETSPEC), "beta.wav");
    Press(dlg, IDOK);
    stayed_after_refusal = Open(dlg);
    file_after_refusal = o.file;
    Press(dlg, IDOK);
  });
  ASSERT_TRUE(GetOpenFileName(&o.ofn));
  EXPECT_EQ(g_panel.init_param, reinterpret_cast<LPARAM>(&o.ofn));
  EXPECT_EQ(g_panel.folder_at_init, tree.Path(""));
  EXPECT_EQ(g_panel.commands, (std::vector<int>{kPanelButton}));
  // A folder selection notifies too, with the folder's path.
  EXPECT_EQ(g_panel.sel_paths,
            (std::vector<std::string>{tree.Path("clip.WAV"), tree.Path("Music"), tree.Path("beta.wav")}));
  EXPECT_TRUE(stayed_after_refusal);
  EXPECT_EQ(file_after_refusal, "before.wav");
  EXPECT_EQ(g_panel.path_at_fileok, tree.Path("beta.wav"));
  EXPECT_EQ(std::string(o.file), tree.Path("beta.wav"));
  ASSERT_GE(g_panel.codes.size(), 2u);
  EXPECT_EQ(g_panel.codes[0], CDN_FOLDERCHANGE);
  EXPECT_EQ(g_panel.codes[1], CDN_INITDONE);
  EXPECT_EQ(std::count(g_panel.codes.begin(), g_panel.codes.end(), CDN_FILEOK), 2);
}

TEST(FileChooser, AHookWithoutTemplateGetsAnUnseenPanel) {
  Tree tree;
  g_panel = PanelLog{};
  Ofn o;
  o.ofn.lpstrInitialDir = tree.dir.path().c_str();
  o.ofn.Flags = OFN_ENABLEHOOK;
  o.ofn.lpfnHook = PanelHook;
  Driver d([&](HWND dlg) {
    ChooseFilter(dlg, 1);
    ASSERT_TRUE(ClickItem(dlg, "doc.txt", 2));  // a double click on a file chooses it
  });
  ASSERT_TRUE(GetOpenFileName(&o.ofn));
  EXPECT_EQ(std::string(o.file), tree.Path("doc.txt"));
  EXPECT_EQ(o.ofn.nFilterIndex, 2u);
  EXPECT_NE(std::find(g_panel.codes.begin(), g_panel.codes.end(), CDN_TYPECHANGE), g_panel.codes.end());
  EXPECT_EQ(g_panel.codes.back(), CDN_FILEOK);
}

// ---- A picture ----

std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name;
}

TEST(FileChooser, Screenshot) {
  Tree tree;
  for (const char* f : {"interview take 1.wav", "interview take 2.wav", "opening titles.avi", "ambience.wav"})
    std::ofstream(tree.Path(f)) << "x";
  Ofn o;
  std::strcpy(o.file, "beta.wav");
  o.ofn.lpstrInitialDir = tree.dir.path().c_str();
  o.ofn.Flags = OFN_FILEMUSTEXIST;
  bool saved = false;
  int width = 0;
  Driver d([&](HWND dlg) {
    ClickItem(dlg, "beta.wav");
    GuiPumpMessages();
    std::vector<std::uint32_t> pixels;
    int h = 0;
    EXPECT_TRUE(GuiCaptureWindow(dlg, &pixels, &width, &h));
    saved = GuiSaveScreenshot(dlg, ShotPath(std::string("gui_file_chooser_") + GuiBackendName() + ".png"));
    Press(dlg, IDCANCEL);
  });
  EXPECT_FALSE(GetOpenFileName(&o.ofn));
  EXPECT_TRUE(saved);
  EXPECT_GT(width, 300);
}

}  // namespace
