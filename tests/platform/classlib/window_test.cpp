#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/classlib/classlib.h"
#include "platform/core/trace.h"
#include "platform/gui/dialogs/dialog_test_util.h"
#include "platform/gui/modal.h"

namespace {

std::vector<std::string> g_calls;

class TBase : public TWindow {
 public:
  explicit TBase(TWindow* parent = nullptr) : TWindow(parent, "base") {}
  void CmOne() { g_calls.push_back("base one"); }
  void CmTwo() { g_calls.push_back("base two"); }
  void EvLButtonDown(UINT, const TPoint& p) { g_calls.push_back("base click " + std::to_string(p.x)); }
  LRESULT EvPrivate(WPARAM w, LPARAM) {
    g_calls.push_back("base private");
    return static_cast<LRESULT>(w * 2);
  }
  DECLARE_RESPONSE_TABLE(TBase);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TBase, TWindow)
  EV_COMMAND(1, CmOne),
  EV_COMMAND(2, CmTwo),
  EV_WM_LBUTTONDOWN,
  EV_MESSAGE(WM_USER + 5, EvPrivate),
END_RESPONSE_TABLE;
// clang-format on

class TDerived : public TBase {
 public:
  explicit TDerived(TWindow* parent = nullptr) : TBase(parent) {}
  void CmTwo() { g_calls.push_back("derived two"); }
  void CeTwo(TCommandEnabler& ce) { ce.Enable(false); }
  DECLARE_RESPONSE_TABLE(TDerived);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TDerived, TBase)
  EV_COMMAND(2, CmTwo),
  EV_COMMAND_ENABLE(2, CeTwo),
END_RESPONSE_TABLE;
// clang-format on

TEST(Window, AWindowOfItsOwnClassKeepsTheTitleItIsMadeWith) {
  TBase w;
  w.SetCaption("A title of more than fifteen characters");
  w.Attr.Style = WS_OVERLAPPEDWINDOW;
  ASSERT_TRUE(w.Create());
  char text[64];
  GetWindowText(w, text, sizeof text);
  EXPECT_STREQ(text, "A title of more than fifteen characters");
  EXPECT_STREQ(w.GetCaption(), "A title of more than fifteen characters");
}

TEST(ResponseTable, ADerivedTableIsSearchedFirstThenTheBase) {
  g_calls.clear();
  TDerived w;
  w.Attr.Style = WS_OVERLAPPEDWINDOW;
  ASSERT_TRUE(w.Create());
  w.HandleMessage(WM_COMMAND, 1, 0);
  w.HandleMessage(WM_COMMAND, 2, 0);
  EXPECT_EQ(w.HandleMessage(WM_USER + 5, 21, 0), 42);
  w.HandleMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(7, 3));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"base one", "derived two", "base private", "base click 7"}));
  // A message no table lists gets the default processing of the class.
  EXPECT_EQ(w.HandleMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new")), TRUE);
  char text[16];
  GetWindowText(w, text, sizeof text);
  EXPECT_STREQ(text, "new");
  // The lookup itself.
  TEventInfo info(TEventKind::Command, WM_COMMAND, 2);
  ASSERT_TRUE(w.Find(info));
  TEventInfo none(TEventKind::Command, WM_COMMAND, 3);
  EXPECT_FALSE(w.Find(none));
  TBase base;
  TEventInfo enable(TEventKind::CommandEnable, WM_COMMAND, 2);
  EXPECT_FALSE(base.Find(enable));
  EXPECT_TRUE(w.Find(enable));
}

// The classlib channel names each command with the object it came to and
// the one whose table took it.
TEST(ResponseTable, TheClasslibTraceNamesWhoTookACommand) {
  TDerived w;
  w.Attr.Style = WS_OVERLAPPEDWINDOW;
  ASSERT_TRUE(w.Create());
  const unsigned before = SetTraceChannels(kTraceClasslib);
  testing::internal::CaptureStderr();
  w.HandleMessage(WM_COMMAND, 2, 0);
  w.HandleMessage(WM_COMMAND, 3, 0);
  const std::string out = testing::internal::GetCapturedStderr();
  SetTraceChannels(before);
  const std::size_t first = out.find("command 2 from (anonymous namespace)::TDerived ");
  const std::size_t second = out.find("command 3 from (anonymous namespace)::TDerived ");
  ASSERT_NE(first, std::string::npos) << out;
  ASSERT_NE(second, std::string::npos) << out;
  EXPECT_LT(first, second);
  EXPECT_NE(out.find(": handled by (anonymous namespace)::TDerived\n", first), std::string::npos) << out;
  EXPECT_NE(out.find(": not handled\n", second), std::string::npos) << out;
}

class TChild : public TWindow {
 public:
  explicit TChild(TWindow* parent) : TWindow(parent) {}
  void CmCut() { g_calls.push_back("child cut"); }
  void CeCut(TCommandEnabler& ce) { ce.SetCheck(TCommandEnabler::Checked); }
  DECLARE_RESPONSE_TABLE(TChild);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TChild, TWindow)
  EV_COMMAND(314, CmCut),
  EV_COMMAND_ENABLE(314, CeCut),
END_RESPONSE_TABLE;
// clang-format on

class TTestFrame : public TFrameWindow {
 public:
  explicit TTestFrame(TWindow* client) : TFrameWindow(nullptr, "Frame", client) {}
  void CmCut() { g_calls.push_back("frame cut"); }
  void CmOpen() { g_calls.push_back("frame open"); }
  void CeSave(TCommandEnabler& ce) { ce.Enable(Modified); }
  bool Modified = false;
  DECLARE_RESPONSE_TABLE(TTestFrame);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TTestFrame, TFrameWindow)
  EV_COMMAND(314, CmCut),
  EV_COMMAND(24332, CmOpen),
  EV_COMMAND_ENABLE(24333, CeSave),
END_RESPONSE_TABLE;
// clang-format on

class TTestApp : public TApplication {
 public:
  void CmAbout() { g_calls.push_back("app about"); }
  bool IdleAction(long count) override {
    idle.push_back(count);
    TApplication::IdleAction(count);
    // After three idle calls in a row the main window is asked to close.
    if (count == 2 && close_when_idle && GetMainWindow() != nullptr) GetMainWindow()->PostMessage(WM_CLOSE);
    return count < 2;
  }
  std::vector<long> idle;
  bool close_when_idle = false;
  DECLARE_RESPONSE_TABLE(TTestApp);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TTestApp, TApplication)
  EV_COMMAND(912, CmAbout),
END_RESPONSE_TABLE;
// clang-format on

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    RegisterMenuResource(7700, {MenuPopup("&File", {MenuCommand("&Open", 24332), MenuCommand("&Save", 24333),
                                                    MenuCommand("Cu&t", 314), MenuCommand("&Nobody", 999),
                                                    MenuCommand("&About", 912)})});
    RegisterAcceleratorResource(7700, {{FVIRTKEY | FCONTROL, 'O', 24332}});
    app_ = new TTestApp();
    client_ = new TChild(nullptr);
    frame_ = new TTestFrame(client_);
    frame_->Attr.Menu = 7700;
    frame_->Attr.AccelTable = 7700;
    app_->SetMainWindow(frame_);
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    app_->PumpWaitingMessages();
  }
  void TearDown() override {
    SetModalHook(nullptr);
    delete app_;  // deletes the main window with its client
    GuiPumpMessages();
  }
  TTestApp* app_ = nullptr;
  TTestFrame* frame_ = nullptr;
  TChild* client_ = nullptr;
};

TEST_F(FrameTest, CommandsGoFromTheFocusedWindowUpToTheApplication) {
  EXPECT_TRUE(client_->IsWindow());
  EXPECT_EQ(client_->GetParentO(), frame_);
  client_->SetFocus();
  frame_->PostMessage(WM_COMMAND, 314);    // the client has it
  frame_->PostMessage(WM_COMMAND, 24332);  // only the frame
  frame_->PostMessage(WM_COMMAND, 912);    // only the application
  app_->PumpWaitingMessages();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"child cut", "frame open", "app about"}));
  // With the focus elsewhere the client is still the target.
  g_calls.clear();
  frame_->SetFocus();
  frame_->PostMessage(WM_COMMAND, 314);
  app_->PumpWaitingMessages();
  EXPECT_EQ(g_calls, std::vector<std::string>{"child cut"});
}

TEST_F(FrameTest, MenuItemsFollowTheirEnablers) {
  HMENU file = GetSubMenu(frame_->GetMenu(), 0);
  auto popup = [&] {
    SetModalHook([](HWND) { GuiPressKey(VK_ESCAPE); });
    SetFocus(*frame_);
    GuiKey(VK_MENU, true);
    GuiPressKey('F');
    GuiKey(VK_MENU, false);
    app_->PumpWaitingMessages();
    SetModalHook(nullptr);
  };
  popup();
  EXPECT_EQ(GetMenuState(file, 24332, MF_BYCOMMAND) & MF_GRAYED, 0u);  // a handler, no enabler
  EXPECT_NE(GetMenuState(file, 24333, MF_BYCOMMAND) & MF_GRAYED, 0u);  // its enabler says no
  EXPECT_NE(GetMenuState(file, 314, MF_BYCOMMAND) & MF_CHECKED, 0u);   // the client's enabler
  EXPECT_NE(GetMenuState(file, 999, MF_BYCOMMAND) & MF_GRAYED, 0u);    // nobody handles it
  EXPECT_EQ(GetMenuState(file, 912, MF_BYCOMMAND) & MF_GRAYED, 0u);    // the application does
  frame_->Modified = true;
  popup();
  EXPECT_EQ(GetMenuState(file, 24333, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

TEST_F(FrameTest, TheMessageLoopRunsAcceleratorsIdleTimeAndEndsWithTheMainWindow) {
  SetFocus(*frame_);
  GuiKey(VK_CONTROL, true);
  GuiPressKey('O');
  GuiKey(VK_CONTROL, false);
  // Closing the main window asks the application, destroys it and quits.
  app_->idle.clear();
  app_->close_when_idle = true;
  EXPECT_EQ(app_->MessageLoop(), 0);
  EXPECT_EQ(g_calls, std::vector<std::string>{"frame open"});
  EXPECT_FALSE(frame_->IsWindow());
  // Idle calls ran with counts 0, 1, 2 while the queue was empty (asked for more until 2).
  ASSERT_GE(app_->idle.size(), 3u);
  EXPECT_EQ(app_->idle[0], 0);
  EXPECT_EQ(app_->idle[1], 1);
  EXPECT_EQ(app_->idle[2], 2);
}

class TSelfClosing : public TWindow {
 public:
  TSelfClosing() : TWindow(nullptr, "self") { Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE; }
  ~TSelfClosing() override { g_calls.push_back("deleted"); }
  void EvLButtonDown(UINT, const TPoint&) { ShutDownWindow(); }
  DECLARE_RESPONSE_TABLE(TSelfClosing);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TSelfClosing, TWindow)
  EV_WM_LBUTTONDOWN,
END_RESPONSE_TABLE;
// clang-format on

TEST(WindowObjects, ChildrenAreOwnedAndAMessageHandlerMayDeleteItsWindow) {
  g_calls.clear();
  auto* parent = new TWindow(nullptr, "Parent");
  parent->Attr.Style = WS_OVERLAPPEDWINDOW;
  auto* child = new TWindow(parent);
  ASSERT_TRUE(parent->Create());
  EXPECT_TRUE(child->IsWindow());
  EXPECT_TRUE(IsChild(*parent, *child));
  char caption[16];
  GetWindowText(*parent, caption, sizeof caption);
  EXPECT_STREQ(caption, "Parent");
  EXPECT_STREQ(parent->GetCaption(), "Parent");
  EXPECT_EQ(TWindow::GetWindowPtr(*child), child);
  HWND child_hwnd = *child;
  // Destroying the parent's window unbinds both objects; the objects stay.
  parent->Destroy();
  EXPECT_FALSE(child->IsWindow());
  EXPECT_EQ(TWindow::GetWindowPtr(child_hwnd), nullptr);
  ASSERT_TRUE(parent->Create());
  EXPECT_TRUE(child->IsWindow());
  delete parent;  // and its child with it
  EXPECT_FALSE(IsWindow(child_hwnd));

  auto* self = new TSelfClosing();
  ASSERT_TRUE(self->Create());
  HWND h = *self;
  GuiPumpMessages();
  GuiClick(h, 5, 5);
  GuiPumpMessages();
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(g_calls, std::vector<std::string>{"deleted"});
}

// A wait dialog runs on a thread of its own: window objects come and go on
// two threads at once, and neither may disturb the other's bookkeeping.
TEST(WindowObjects, ObjectsOfTwoThreadsComeAndGoAtTheSameTime) {
  auto churn = [] {
    std::vector<TWindow*> held;
    for (int round = 0; round < 2000; ++round) {
      for (int i = 0; i < 50; ++i) held.push_back(new TWindow(nullptr, "Worker"));
      for (TWindow* w : held) delete w;
      held.clear();
    }
  };
  std::thread other(churn);
  churn();
  other.join();
  // And a window of another thread still takes its messages.
  std::thread([] {
    TWindow w(nullptr, "Worker");
    w.Attr.Style = WS_POPUP;
    ASSERT_TRUE(w.Create());
    EXPECT_EQ(w.HandleMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("busy")), TRUE);
  }).join();
}

}  // namespace
