// A frame with a menu bar, a tool bar and a status bar, and a modal dialog
// with every kind of control, driven as a user would and captured as the
// display shows them (under Xvfb with KOBRIX_GUI=sdl, read back from the
// SDL windows).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/classlib/classlib.h"
#include "platform/gui/dialogs/dialog_test_util.h"
#include "platform/gui/modal.h"

namespace {

enum : int {
  kMenu = 7990,
  kIcon = 7991,
  kDialog = 7992,
  kCmNew = 24331,
  kCmOpen = 24332,
  kCmProperties = 9001,
  kCmPlay = 511,
  kCmStop = 512,
};
enum : int {
  kName = 301,
  kNotes,
  kLoop,
  kMono,
  kStereo,
  kFormat,
  kRate,
  kTakes,
  kBar,
  kLevel,
  kPages,
  kLogo,
  kSide
};

constexpr COLORREF kPlayGreen = RGB(0, 160, 0);

std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

int Count(const std::vector<std::uint32_t>& pixels, COLORREF color) {
  const std::uint32_t want = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
  int n = 0;
  for (std::uint32_t p : pixels) n += p == want;
  return n;
}

int Ink(HWND top, COLORREF color) {
  std::vector<std::uint32_t> pixels;
  int w = 0, h = 0;
  return GuiCaptureWindow(top, &pixels, &w, &h) ? Count(pixels, color) : -1;
}

// Tool bar glyphs, 16 x 15, drawn here.
PixelArt Glyph(const std::vector<std::string>& rows) {
  return PixelArt{rows,
                  {{'.', RGB(192, 192, 192)},
                   {'k', RGB(0, 0, 0)},
                   {'w', RGB(255, 255, 255)},
                   {'g', kPlayGreen},
                   {'r', RGB(200, 0, 0)},
                   {'y', RGB(255, 220, 0)},
                   {'b', RGB(0, 0, 160)}}};
}

void RegisterResources() {
  RegisterBitmapResource(
      kCmNew, Glyph({"................", "...kkkkkkk......", "...kwwwwwkk.....", "...kwwwwwkwk....",
                     "...kwwwwwkkkk...", "...kwwwwwwwwk...", "...kwwwwwwwwk...", "...kwwwwwwwwk...",
                     "...kwwwwwwwwk...", "...kwwwwwwwwk...", "...kwwwwwwwwk...", "...kwwwwwwwwk...",
                     "...kwwwwwwwwk...", "...kkkkkkkkkk...", "................"}));
  RegisterBitmapResource(
      kCmOpen, Glyph({"................", "................", "..kkkk..........", ".kyyyyk.........",
                      ".kyyyyykkkkkk...", ".kyyyyyyyyyyk...", ".kyykkkkkkkkkkk.", ".kyykyyyyyyyyyk.",
                      ".kykyyyyyyyyyk..", ".kykyyyyyyyyyk..", ".kkyyyyyyyyyk...", ".kkyyyyyyyyyk...",
                      ".kkkkkkkkkkkk...", "................", "................"}));
  std::vector<std::string> play(15, std::string(16, '.'));
  for (int y = 2; y < 13; ++y) {
    const int len = y <= 7 ? y - 1 : 13 - y;
    for (int x = 5; x < 5 + len; ++x) play[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = 'g';
  }
  RegisterBitmapResource(kCmPlay, Glyph(play));
  std::vector<std::string> stop(15, std::string(16, '.'));
  for (int y = 3; y < 12; ++y) {
    for (int x = 4; x < 13; ++x) stop[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = 'r';
  }
  RegisterBitmapResource(kCmStop, Glyph(stop));
  // A 32 x 32 clapperboard for the icon static.
  std::vector<std::string> icon(32, std::string(32, ' '));
  for (int y = 10; y < 28; ++y) {
    for (int x = 3; x < 29; ++x) icon[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = 'k';
  }
  for (int y = 4; y < 10; ++y) {
    for (int x = 3; x < 29; ++x)
      icon[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = ((x + y) / 4) % 2 ? 'w' : 'k';
  }
  for (int y = 14; y < 24; ++y) {
    for (int x = 7; x < 25; ++x) icon[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = 'b';
  }
  RegisterIconResource(
      kIcon, PixelArt{icon, {{'k', RGB(0, 0, 0)}, {'w', RGB(255, 255, 255)}, {'b', RGB(0, 0, 160)}}});
  RegisterStringResource(kCmPlay, "Play the project");
  RegisterStringResource(kCmStop, "Stop");
  RegisterMenuResource(
      kMenu, {MenuPopup("&File", {MenuCommand("&New project...\tCtrl+N", kCmNew),
                                  MenuCommand("&Open project...\tCtrl+O", kCmOpen), MenuSeparator(),
                                  MenuCommand("E&xit", 24310)}),
              MenuPopup("&Edit", {MenuCommand("Clip &properties...", kCmProperties),
                                  MenuCommand("&Play\tSpace", kCmPlay), MenuCommand("&Stop", kCmStop)}),
              MenuPopup("&Help", {MenuCommand("&About Kobrix...", 912)})});

  DialogTemplate t;
  t.cx = 300;
  t.cy = 200;
  t.caption = "Clip Properties";
  const DWORD v = WS_VISIBLE;
  t.items = {
      {WC_STATIC, MAKEINTRESOURCE(kIcon), kLogo, v | SS_ICON, 0, 8, 8, 20, 20},
      {WC_STATIC, "&Name:", -1, v, 0, 36, 10, 30, 8},
      {WC_EDIT, "", kName, v | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 70, 8, 120, 12},
      {WC_EDIT, "Recorded on location.\r\nSecond take.", kNotes,
       v | WS_BORDER | WS_TABSTOP | ES_MULTILINE | WS_VSCROLL, 0, 36, 26, 154, 34},
      {WC_BUTTON, "Channels", kSide, v | BS_GROUPBOX, 0, 196, 4, 96, 44},
      {WC_BUTTON, "&Mono", kMono, v | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0, 204, 16, 80, 10},
      {WC_BUTTON, "&Stereo", kStereo, v | BS_AUTORADIOBUTTON, 0, 204, 30, 80, 10},
      {WC_BUTTON, "&Loop the clip", kLoop, v | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 0, 196, 54, 96, 10},
      {WC_LISTBOX, "", kTakes, v | WS_BORDER | WS_TABSTOP | LBS_NOTIFY | WS_VSCROLL, 0, 8, 66, 90, 56},
      {WC_COMBOBOX, "", kFormat, v | WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 0, 106, 66, 84, 60},
      {WC_COMBOBOX, "48000", kRate, v | WS_TABSTOP | CBS_DROPDOWN | WS_VSCROLL, 0, 106, 84, 84, 60},
      {WC_SCROLLBAR, "", kBar, v | SBS_HORZ, 0, 106, 104, 84, 10},
      {TRACKBAR_CLASS, "", kLevel, v | WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS, 0, 196, 70, 96, 20},
      {WC_TABCONTROL, "", kPages, v | WS_TABSTOP, 0, 8, 128, 284, 44},
      {WC_BUTTON, "OK", IDOK, v | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 0, 186, 180, 50, 14},
      {WC_BUTTON, "Cancel", IDCANCEL, v | WS_TABSTOP | BS_PUSHBUTTON, 0, 242, 180, 50, 14},
  };
  RegisterDialogResource(kDialog, t);
}

class TPropertiesDialog : public TDialog {
 public:
  explicit TPropertiesDialog(TWindow* parent) : TDialog(parent, kDialog) {
    Name = new TEdit(this, kName, 64);
    Loop = new TCheckBox(this, kLoop);
    Stereo = new TRadioButton(this, kStereo);
    Takes = new TListBox(this, kTakes);
    Format = new TComboBox(this, kFormat);
    Bar = new TScrollBar(this, kBar);
    Level = new THSlider(this, kLevel);
  }
  void SetupWindow() override {
    TDialog::SetupWindow();
    for (const char* s : {"Take 1", "Take 2", "Take 3", "Take 4", "Take 5", "Take 6"}) Takes->AddString(s);
    for (const char* s : {"WAVE", "AIFF", "AVI"}) Format->AddString(s);
    Format->SetSelIndex(0);
    Bar->SetRange(0, 100);
    Bar->SetPosition(40);
    Level->SetRange(0, 10);
    Level->SetPosition(3);
    CheckDlgButton(HWindow, kMono, BST_CHECKED);
    HWND tabs = GetDlgItem(kPages);
    for (const char* s : {"General", "Video", "Audio"}) {
      TCITEM item;
      item.mask = TCIF_TEXT;
      std::string text = s;
      item.pszText = text.data();
      ::SendMessage(tabs, TCM_INSERTITEM, 9, reinterpret_cast<LPARAM>(&item));
    }
  }
  void TransferData(TTransferDirection direction) override {
    if (direction != tdGetData) return;
    name = Name->GetText();
    loop = Loop->GetCheck() == BST_CHECKED;
    stereo = Stereo->GetCheck() == BST_CHECKED;
    take = Takes->GetSelIndex();
    format = Format->GetSelIndex();
    level = Level->GetPosition();
  }
  TEdit* Name;
  TCheckBox* Loop;
  TRadioButton* Stereo;
  TListBox* Takes;
  TComboBox* Format;
  TScrollBar* Bar;
  THSlider* Level;
  std::string name;
  bool loop = false, stereo = false;
  int take = -1, format = -1, level = -1;
};

class TShotFrame : public TDecoratedFrame {
 public:
  TShotFrame() : TDecoratedFrame(nullptr, "Kobrix Pro", new TWindow(nullptr), true) {
    Attr.X = 30;
    Attr.Y = 30;
    Attr.W = 640;
    Attr.H = 420;
    Attr.Menu = kMenu;
    auto* bar = new TControlBar(this);
    bar->SetHintMode(TGadgetWindow::EnterHints);
    bar->Insert(*new TButtonGadget(kCmNew, kCmNew));
    bar->Insert(*new TButtonGadget(kCmOpen, kCmOpen));
    bar->Insert(*new TSeparatorGadget(4));
    bar->Insert(*new TButtonGadget(kCmPlay, kCmPlay));
    bar->Insert(*new TButtonGadget(kCmStop, kCmStop));
    Insert(*bar, Top);
    Bar = bar;
    Status = new TStatusBar(this);
    Status->Insert(*new TTextGadget(0, TGadget::None, TTextGadget::Right, 4, "  In:"));
    Status->Insert(*new TTextGadget(1, TGadget::Recessed, TTextGadget::Left, 6, "00:12"));
    Insert(*Status, Bottom);
  }
  void CmProperties() {
    TPropertiesDialog dlg(this);
    result = dlg.Execute();
    name = dlg.name;
    loop = dlg.loop;
    stereo = dlg.stereo;
    take = dlg.take;
    format = dlg.format;
    level = dlg.level;
  }
  void CmPlay() {
    playing = true;
    Status->SetText("Playing");
  }
  void CmStop() { playing = false; }
  void CeStop(TCommandEnabler& ce) { ce.Enable(playing); }
  void CmNothing() {}

  TControlBar* Bar;
  TStatusBar* Status;
  bool playing = false;
  int result = 0;
  std::string name;
  bool loop = false, stereo = false;
  int take = -1, format = -1, level = -1;
  DECLARE_RESPONSE_TABLE(TShotFrame);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TShotFrame, TDecoratedFrame)
  EV_COMMAND(kCmProperties, CmProperties),
  EV_COMMAND(kCmPlay, CmPlay),
  EV_COMMAND(kCmStop, CmStop),
  EV_COMMAND_ENABLE(kCmStop, CeStop),
  EV_COMMAND(kCmNew, CmNothing),
  EV_COMMAND(kCmOpen, CmNothing),
END_RESPONSE_TABLE;
// clang-format on

void Click(HWND hwnd, const RECT& client_rect) {
  GuiClick(hwnd, (client_rect.left + client_rect.right) / 2, (client_rect.top + client_rect.bottom) / 2);
}

void ClickScreen(const RECT& r) {
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  GuiMouseMove(x, y);
  GuiMouseButton(0, true, x, y);
  GuiMouseButton(0, false, x, y);
}

TEST(Screenshot, AFrameWithBarsAndADialogOfEveryControlKind) {
  RegisterResources();
  TApplication app;
  auto* frame = new TShotFrame();
  app.SetMainWindow(frame);
  ASSERT_TRUE(frame->Create());
  frame->Show(SW_SHOW);
  app.PumpWaitingMessages();
  app.IdleAction(0);
  app.PumpWaitingMessages();

  bool menu_shot = false, dialog_shot = false;
  SetModalHook([&](HWND window) {
    char cls[32];
    GetClassName(window, cls, sizeof cls);
    GuiPumpMessages();
    if (std::string(cls) == WC_POPUPMENU) {
      HMENU edit = reinterpret_cast<HMENU>(SendMessage(window, MN_GETHMENU, 0, 0));
      EXPECT_EQ(edit, GetSubMenu(frame->GetMenu(), 1));
      // Stop is greyed by its enabler until something plays.
      EXPECT_TRUE(GetMenuState(edit, kCmStop, MF_BYCOMMAND) & MF_GRAYED);
      menu_shot = GuiSaveScreenshot(window, ShotPath("classlib_menu")) && Ink(window, RGB(0, 0, 0)) > 50;
      RECT item;
      ASSERT_TRUE(GetMenuItemRect(*frame, edit, 0, &item));
      ClickScreen(item);
      return;
    }
    // The dialog: fill it in as a user would.
    RECT r;
    GetClientRect(GetDlgItem(window, kName), &r);
    Click(GetDlgItem(window, kName), r);
    GuiType("Interview");
    GetClientRect(GetDlgItem(window, kLoop), &r);
    Click(GetDlgItem(window, kLoop), r);
    GetClientRect(GetDlgItem(window, kStereo), &r);
    Click(GetDlgItem(window, kStereo), r);
    HWND takes = GetDlgItem(window, kTakes);
    SendMessage(takes, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
    Click(takes, r);
    GuiPumpMessages();  // the input so far, before the focus moves on
    SetFocus(GetDlgItem(window, kFormat));
    GuiPressKey(VK_DOWN);
    GuiPumpMessages();
    SetFocus(GetDlgItem(window, kLevel));
    GuiPressKey(VK_RIGHT);
    GuiPressKey(VK_RIGHT);
    HWND pages = GetDlgItem(window, kPages);
    SendMessage(pages, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    Click(pages, r);
    GuiPumpMessages();
    dialog_shot = GuiSaveScreenshot(window, ShotPath("classlib_dialog")) && Ink(window, RGB(0, 0, 160)) > 50;
    GetClientRect(GetDlgItem(window, IDOK), &r);
    Click(GetDlgItem(window, IDOK), r);
  });

  // Edit, then its first item: the dialog.
  RECT item;
  ASSERT_TRUE(GetMenuItemRect(*frame, frame->GetMenu(), 1, &item));
  ClickScreen(item);
  app.PumpWaitingMessages();
  SetModalHook(nullptr);
  EXPECT_TRUE(menu_shot);
  EXPECT_TRUE(dialog_shot);
  EXPECT_EQ(frame->result, IDOK);
  EXPECT_EQ(frame->name, "Interview");
  EXPECT_TRUE(frame->loop);
  EXPECT_TRUE(frame->stereo);
  EXPECT_EQ(frame->take, 2);
  EXPECT_EQ(frame->format, 1);
  EXPECT_EQ(frame->level, 5);

  // The tool bar: Play's hint, then a click on it.
  TGadget* play = frame->Bar->GadgetWithId(kCmPlay);
  TPoint at = play->GetBounds().TopLeft().OffsetBy(4, 4);
  frame->Bar->ClientToScreen(at);
  GuiMouseMove(at.x, at.y);
  app.PumpWaitingMessages();
  EXPECT_STREQ(frame->Status->GetText(), "Play the project");
  GuiMouseButton(0, true, at.x, at.y);
  GuiMouseButton(0, false, at.x, at.y);
  app.PumpWaitingMessages();
  EXPECT_TRUE(frame->playing);
  app.IdleAction(0);
  app.PumpWaitingMessages();
  EXPECT_TRUE(frame->Bar->GadgetWithId(kCmStop)->GetEnabled());
  GuiPumpMessages();
  EXPECT_GT(Ink(*frame, kPlayGreen), 20);
  EXPECT_TRUE(GuiSaveScreenshot(*frame, ShotPath("classlib_frame")));
}

}  // namespace
