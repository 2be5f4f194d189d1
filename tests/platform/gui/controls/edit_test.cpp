#include <gtest/gtest.h>

#include <algorithm>

#include "controls_test_util.h"

namespace {

class EditTest : public ::testing::Test {
 protected:
  void SetUp() override { TakeBeeps(); }
  HWND Edit(DWORD style = ES_AUTOHSCROLL, int w = 200, int h = 22, const char* text = "") {
    return host.Add(WC_EDIT, text, WS_BORDER | WS_TABSTOP | style, 10, 10, w, h, 1396);
  }
  static std::pair<DWORD, DWORD> Sel(HWND e) {
    DWORD a = 0, b = 0;
    SendMessage(e, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    return {a, b};
  }
  static void Chord(int modifier, int vk) {
    GuiKey(modifier, true);
    GuiPressKey(vk);
    GuiKey(modifier, false);
    Pump();
  }
  int Changes() const {
    const auto codes = host.Codes(WM_COMMAND, 1396);
    return static_cast<int>(std::count(codes.begin(), codes.end(), EN_CHANGE));
  }
  Host host;
};

TEST_F(EditTest, TypingEditsTheTextAndTellsTheParent) {
  HWND e = Edit();
  ClickCentre(e);
  EXPECT_EQ(GetFocus(), e);
  EXPECT_EQ(host.Codes(WM_COMMAND, 1396), std::vector<UINT>{EN_SETFOCUS});
  host.Clear();
  GuiType("Hello world");
  Pump();
  EXPECT_EQ(Text(e), "Hello world");
  EXPECT_EQ(Changes(), 11);
  const auto codes = host.Codes(WM_COMMAND, 1396);
  EXPECT_EQ(codes[0], EN_UPDATE);  // each change: update, then change
  EXPECT_EQ(codes[1], EN_CHANGE);
  EXPECT_TRUE(SendMessage(e, EM_GETMODIFY, 0, 0));
  // Backspace, then a word selected with Ctrl+Shift+Left and replaced.
  GuiPressKey(VK_BACK);
  Pump();
  EXPECT_EQ(Text(e), "Hello worl");
  GuiKey(VK_CONTROL, true);
  GuiKey(VK_SHIFT, true);
  GuiPressKey(VK_LEFT);
  GuiKey(VK_SHIFT, false);
  GuiKey(VK_CONTROL, false);
  GuiType("there");
  Pump();
  EXPECT_EQ(Text(e), "Hello there");
  // Home, Shift+End selects the line; Delete empties it.
  GuiPressKey(VK_HOME);
  Chord(VK_SHIFT, VK_END);
  EXPECT_EQ(Sel(e), std::make_pair(DWORD{0}, DWORD{11}));
  GuiPressKey(VK_DELETE);
  Pump();
  EXPECT_EQ(Text(e), "");
  // Losing the focus tells the parent.
  host.Clear();
  SetFocus(host.hwnd);
  EXPECT_EQ(host.Codes(WM_COMMAND, 1396), std::vector<UINT>{EN_KILLFOCUS});
}

TEST_F(EditTest, TheTextLimitStopsTypingAndPasting) {
  HWND e = Edit();
  SendMessage(e, EM_LIMITTEXT, 10, 0);
  EXPECT_EQ(SendMessage(e, EM_GETLIMITTEXT, 0, 0), 10);
  ClickCentre(e);
  GuiType("123456789012");
  Pump();
  EXPECT_EQ(Text(e), "1234567890");
  const auto codes = host.Codes(WM_COMMAND, 1396);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), EN_MAXTEXT), 2);
  // A replacement that would pass the limit keeps only what fits.
  SendMessage(e, EM_SETSEL, 8, 10);
  SendMessage(e, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("abcdef"));
  EXPECT_EQ(Text(e), "12345678ab");
  // The program's own text is not limited.
  SetWindowText(e, "a text longer than ten");
  EXPECT_EQ(Text(e), "a text longer than ten");
}

TEST_F(EditTest, ClipboardCutCopyAndPaste) {
  HWND e = Edit(ES_AUTOHSCROLL, 200, 22, "Copyright");
  ClickCentre(e);
  // Ctrl+A selects the whole text, and changes nothing.
  Chord(VK_CONTROL, 'A');
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{0, 9}));
  EXPECT_EQ(Text(e), "Copyright");
  SendMessage(e, EM_SETSEL, 0, 4);
  Chord(VK_CONTROL, 'C');
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  GuiPressKey(VK_END);
  Chord(VK_CONTROL, 'V');
  EXPECT_EQ(Text(e), "CopyrightCopy");
  SendMessage(e, EM_SETSEL, 0, 9);
  Chord(VK_CONTROL, 'X');
  EXPECT_EQ(Text(e), "Copy");
  Chord(VK_SHIFT, VK_INSERT);
  EXPECT_EQ(Text(e), "CopyrightCopy");
  // What was cut is on the clipboard for anyone.
  ASSERT_TRUE(OpenClipboard(host.hwnd));
  HANDLE mem = GetClipboardData(CF_TEXT);
  ASSERT_NE(mem, nullptr);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(mem)), "Copyright");
  GlobalUnlock(mem);
  CloseClipboard();
}

TEST_F(EditTest, ReadOnlyAndNumberEditsRefuseWhatTheyMust) {
  HWND ro = Edit(ES_AUTOHSCROLL | ES_READONLY, 200, 22, "fixed");
  ClickCentre(ro);
  GuiType("x");
  GuiPressKey(VK_DELETE);
  Pump();
  EXPECT_EQ(Text(ro), "fixed");
  EXPECT_EQ(TakeBeeps(), std::vector<UINT>{MB_OK});
  // It may still be selected and copied.
  SendMessage(ro, EM_SETSEL, 0, -1);
  SendMessage(ro, WM_COPY, 0, 0);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  SendMessage(ro, EM_SETREADONLY, FALSE, 0);
  GuiType("!");
  Pump();
  EXPECT_EQ(Text(ro), "!");

  HWND num = host.Add(WC_EDIT, "", WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL, 10, 50, 100, 22, 2);
  ClickCentre(num);
  GuiType("4a2");
  Pump();
  EXPECT_EQ(Text(num), "42");
  EXPECT_EQ(TakeBeeps(), std::vector<UINT>{MB_OK});
}

TEST_F(EditTest, SetTextResetsSelectionAndModifyFlag) {
  HWND one = Edit();
  HWND many = host.Add(WC_EDIT, "", WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL, 10, 50, 200, 80, 1285);
  SendMessage(one, EM_SETSEL, 0, 0);
  SendMessage(one, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("abc"));
  EXPECT_TRUE(SendMessage(one, EM_GETMODIFY, 0, 0));
  EXPECT_EQ(Sel(one), std::make_pair(DWORD{3}, DWORD{3}));
  host.Clear();
  SetWindowText(one, "new");
  SetWindowText(many, "new\r\ntext");
  EXPECT_FALSE(SendMessage(one, EM_GETMODIFY, 0, 0));
  EXPECT_EQ(Sel(one), std::make_pair(DWORD{0}, DWORD{0}));
  // One line tells of a program's change; several lines do not.
  EXPECT_EQ(Changes(), 1);
  EXPECT_TRUE(host.Codes(WM_COMMAND, 1285).empty());
  // EM_SETSEL with a start of -1 drops the selection; 0, -1 takes all.
  SendMessage(one, EM_SETSEL, 0, -1);
  EXPECT_EQ(Sel(one), std::make_pair(DWORD{0}, DWORD{3}));
  SendMessage(one, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(Sel(one).first, Sel(one).second);
}

TEST_F(EditTest, TheMouseSetsTheCaretAndSelects) {
  HWND e = Edit(ES_AUTOHSCROLL, 200, 22, "Title Author");
  const LRESULT at6 = SendMessage(e, EM_POSFROMCHAR, 6, 0);
  const int x6 = static_cast<SHORT>(LOWORD(at6)), y = static_cast<SHORT>(HIWORD(at6));
  GuiClick(e, x6, y + 3);
  Pump();
  EXPECT_EQ(Sel(e), std::make_pair(DWORD{6}, DWORD{6}));
  POINT caret;
  GetCaretPos(&caret);
  EXPECT_EQ(caret.x, x6);
  // A drag from there to the end selects "Author".
  const LRESULT at11 = SendMessage(e, EM_POSFROMCHAR, 11, 0);
  POINT a{x6, y + 3}, b{static_cast<SHORT>(LOWORD(at11)) + 20, y + 3};
  ClientToScreen(e, &a);
  ClientToScreen(e, &b);
  GuiMouseMove(a.x, a.y);
  GuiMouseButton(0, true, a.x, a.y);
  GuiMouseMove(b.x, b.y);
  GuiMouseButton(0, false, b.x, b.y);
  Pump();
  EXPECT_EQ(Sel(e), std::make_pair(DWORD{6}, DWORD{12}));
  // A double click takes the word under the pointer.
  const LRESULT at2 = SendMessage(e, EM_POSFROMCHAR, 2, 0);
  GuiClick(e, static_cast<SHORT>(LOWORD(at2)), y + 3);
  GuiClick(e, static_cast<SHORT>(LOWORD(at2)), y + 3);
  Pump();
  EXPECT_EQ(Sel(e), std::make_pair(DWORD{0}, DWORD{5}));
  // The selection shows in the highlight colour while focused.
  EXPECT_GT(CountColor(e, ClientRect(e), GetSysColor(COLOR_HIGHLIGHT)), 20);
  SetFocus(host.hwnd);
  Pump();
  EXPECT_EQ(CountColor(e, ClientRect(e), GetSysColor(COLOR_HIGHLIGHT)), 0);
}

TEST_F(EditTest, OneLineWithoutAutoScrollTakesOnlyWhatFits) {
  HWND e = Edit(0, 60);
  ClickCentre(e);
  GuiType("abcdefghijklmnopqrstuvwxyz");
  Pump();
  const std::string t = Text(e);
  EXPECT_GT(t.size(), 3u);
  EXPECT_LT(t.size(), 26u);
  EXPECT_EQ(t, std::string("abcdefghijklmnopqrstuvwxyz").substr(0, t.size()));
  // With ES_AUTOHSCROLL it scrolls instead.
  HWND wide = host.Add(WC_EDIT, "", WS_BORDER | ES_AUTOHSCROLL, 10, 50, 60, 22, 2);
  ClickCentre(wide);
  GuiType("abcdefghijklmnopqrstuvwxyz");
  Pump();
  EXPECT_EQ(Text(wide), "abcdefghijklmnopqrstuvwxyz");
  EXPECT_GT(SendMessage(wide, EM_GETFIRSTVISIBLELINE, 0, 0), 0);  // the first visible character
  POINT caret;
  GetCaretPos(&caret);
  EXPECT_LT(caret.x, 60);
}

TEST_F(EditTest, SeveralLinesWrapScrollAndAnswerLineQueries) {
  HWND e =
      host.Add(WC_EDIT, "", WS_BORDER | ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL, 10, 10, 150, 60, 1375);
  ClickCentre(e);
  GuiType("first\nsecond line\nthird");
  Pump();
  EXPECT_EQ(Text(e), "first\r\nsecond line\r\nthird");
  EXPECT_EQ(SendMessage(e, EM_GETLINECOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessage(e, EM_LINEINDEX, 1, 0), 7);
  EXPECT_EQ(SendMessage(e, EM_LINELENGTH, 8, 0), 11);
  EXPECT_EQ(SendMessage(e, EM_LINEFROMCHAR, 20, 0), 2);
  char line[32] = {};
  *reinterpret_cast<WORD*>(line) = sizeof line - 1;
  EXPECT_EQ(SendMessage(e, EM_GETLINE, 1, reinterpret_cast<LPARAM>(line)), 11);
  EXPECT_STREQ(line, "second line");
  // Up keeps the column; Backspace at a line start joins the lines.
  GuiPressKey(VK_UP);
  GuiPressKey(VK_HOME);
  GuiPressKey(VK_BACK);
  Pump();
  EXPECT_EQ(Text(e), "firstsecond line\r\nthird");
  // A long line wraps at the right edge.
  SetWindowText(e, "a long line of words that cannot fit into the narrow edit");
  EXPECT_GT(SendMessage(e, EM_GETLINECOUNT, 0, 0), 2);
  // Text beyond the bottom scrolls with the caret, and the scroll bar follows.
  SetWindowText(e, "");
  GuiType("1\n2\n3\n4\n5\n6\n7\n8");
  Pump();
  const LRESULT first = SendMessage(e, EM_GETFIRSTVISIBLELINE, 0, 0);
  EXPECT_GT(first, 0);
  EXPECT_EQ(GetScrollPos(e, SB_VERT), first);
  // A click on the scroll bar's up arrow scrolls one line.
  RECT wr;
  GetWindowRect(e, &wr);
  GuiClick(e, 0, 0);  // focus stays
  POINT arrow{wr.right - 3, wr.top + 5};
  GuiMouseMove(arrow.x, arrow.y);
  GuiMouseButton(0, true, arrow.x, arrow.y);
  GuiMouseButton(0, false, arrow.x, arrow.y);
  Pump();
  EXPECT_EQ(SendMessage(e, EM_GETFIRSTVISIBLELINE, 0, 0), first - 1);
}

TEST_F(EditTest, DialogCodesOfOneAndSeveralLines) {
  HWND one = Edit();
  HWND many = host.Add(WC_EDIT, "", ES_MULTILINE, 10, 50, 100, 50, 2);
  HWND ret = host.Add(WC_EDIT, "", ES_MULTILINE | ES_WANTRETURN, 10, 110, 100, 50, 3);
  auto code = [](HWND h, WPARAM vk) {
    MSG m{h, WM_KEYDOWN, vk, 0, 0, {}};
    return SendMessage(h, WM_GETDLGCODE, vk, reinterpret_cast<LPARAM>(&m));
  };
  const LRESULT base = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
  EXPECT_EQ(code(one, VK_RETURN), base);
  EXPECT_EQ(code(many, VK_TAB), base);
  EXPECT_EQ(code(many, VK_RETURN), base);
  EXPECT_EQ(code(many, 'A'), base | DLGC_WANTALLKEYS);
  EXPECT_EQ(code(ret, VK_RETURN), base | DLGC_WANTMESSAGE);
}

}  // namespace
