#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <vector>

#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"

namespace {

constexpr int kPlay = 511;
constexpr int kStop = 512;
constexpr int kLoop = 823;
constexpr COLORREF kGlyphInk = RGB(0, 128, 0);

std::vector<int> g_commands;

PixelArt Glyph() {
  std::vector<std::string> rows(15, std::string(16, '.'));
  for (int y = 3; y < 12; ++y) {
    for (int x = 5; x < 5 + (y < 8 ? y - 2 : 13 - y); ++x)
      rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = 'g';
  }
  return PixelArt{rows, {{'.', RGB(192, 192, 192)}, {'g', kGlyphInk}}};
}

class TTestClient : public TWindow {
 public:
  TTestClient() : TWindow(nullptr) {}
};

class TPlayerFrame : public TDecoratedFrame {
 public:
  TPlayerFrame() : TDecoratedFrame(nullptr, "Player", new TTestClient(), true) {
    Attr.X = 20;
    Attr.Y = 20;
    Attr.W = 400;
    Attr.H = 240;
    Bar = new TControlBar(this);
    Bar->SetHintMode(TGadgetWindow::EnterHints);
    Bar->Insert(*new TButtonGadget(kPlay, kPlay));
    Bar->Insert(*new TSeparatorGadget(4));
    Bar->Insert(*new TButtonGadget(kStop, kStop));
    Bar->Insert(*new TButtonGadget(kLoop, kLoop, TButtonGadget::NonExclusive));
    Insert(*Bar, Top);
    Status = new TStatusBar(this, TGadget::Recessed);
    In = new TTextGadget(1, TGadget::Recessed, TTextGadget::Left, 6, "00:01");
    Status->Insert(*In);
    Insert(*Status, Bottom);
  }
  void CmPlay() { g_commands.push_back(kPlay); }
  void CmLoop() { g_commands.push_back(kLoop); }
  void CeStop(TCommandEnabler& ce) { ce.Enable(Playing); }
  void CeLoop(TCommandEnabler& ce) {
    ce.Enable(true);
    ce.SetCheck(Looping ? TCommandEnabler::Checked : TCommandEnabler::Unchecked);
  }

  TControlBar* Bar;
  TStatusBar* Status;
  TTextGadget* In;
  bool Playing = false;
  bool Looping = false;
  DECLARE_RESPONSE_TABLE(TPlayerFrame);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TPlayerFrame, TDecoratedFrame)
  EV_COMMAND(kPlay, CmPlay),
  EV_COMMAND(kLoop, CmLoop),
  EV_COMMAND_ENABLE(kStop, CeStop),
  EV_COMMAND_ENABLE(kLoop, CeLoop),
END_RESPONSE_TABLE;
// clang-format on

class GadgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_commands.clear();
    for (int id : {kPlay, kStop, kLoop}) RegisterBitmapResource(id, Glyph());
    RegisterStringResource(kPlay, "Play the project");
    app_ = new TApplication();
    frame_ = new TPlayerFrame();
    app_->SetMainWindow(frame_);
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    app_->PumpWaitingMessages();
    app_->IdleAction(0);
    app_->PumpWaitingMessages();
  }
  void TearDown() override {
    delete app_;
    GuiPumpMessages();
  }
  TRect GadgetOnScreen(TGadgetWindow* w, int id) {
    TRect r = w->GadgetWithId(id)->GetBounds();
    TPoint p = r.TopLeft();
    w->ClientToScreen(p);
    return TRect(p, r.Size());
  }
  void ClickGadget(int id) {
    const TRect r = GadgetOnScreen(frame_->Bar, id);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    GuiMouseMove(x, y);
    GuiMouseButton(0, true, x, y);
    GuiMouseButton(0, false, x, y);
    app_->PumpWaitingMessages();
  }
  TApplication* app_ = nullptr;
  TPlayerFrame* frame_ = nullptr;
};

TEST_F(GadgetTest, BarsLieAlongTheEdgesAndTheClientFillsTheRest) {
  const TRect client = frame_->GetClientRect();
  const TRect bar = frame_->Bar->GetWindowRect(), status = frame_->Status->GetWindowRect();
  const TRect inner = frame_->GetClientWindow()->GetWindowRect();
  TPoint origin(0, 0);
  frame_->ClientToScreen(origin);
  EXPECT_EQ(bar.top, origin.y);
  EXPECT_EQ(bar.Width(), client.Width());
  EXPECT_GE(bar.Height(), 25);  // a 16 x 15 glyph with its edges and margins
  EXPECT_EQ(inner.top, bar.bottom);
  EXPECT_EQ(inner.bottom, status.top);
  EXPECT_EQ(status.bottom, origin.y + client.Height());
  // The status bar's message area takes the width the other gadgets leave.
  const TRect message = frame_->Status->GetMessageGadget()->GetBounds();
  EXPECT_GT(message.Width(), frame_->In->GetBounds().Width());
  EXPECT_LE(frame_->In->GetBounds().right, frame_->Status->GetClientRect().right);
}

TEST_F(GadgetTest, ButtonsSendTheirCommandsAndFollowTheirEnablers) {
  auto* play = dynamic_cast<TButtonGadget*>(frame_->Bar->GadgetWithId(kPlay));
  auto* stop = dynamic_cast<TButtonGadget*>(frame_->Bar->GadgetWithId(kStop));
  auto* loop = dynamic_cast<TButtonGadget*>(frame_->Bar->GadgetWithId(kLoop));
  EXPECT_TRUE(play->GetEnabled());   // a handler, no enabler
  EXPECT_FALSE(stop->GetEnabled());  // its enabler says no
  ClickGadget(kPlay);
  ClickGadget(kStop);  // disabled: nothing
  EXPECT_EQ(g_commands, std::vector<int>{kPlay});
  // A toggle button goes down with its click, then follows its enabler.
  ClickGadget(kLoop);
  EXPECT_EQ(g_commands.back(), kLoop);
  EXPECT_EQ(loop->GetButtonState(), TButtonGadget::Down);
  app_->IdleAction(0);
  EXPECT_EQ(loop->GetButtonState(), TButtonGadget::Up);
  frame_->Playing = true;
  frame_->Looping = true;
  app_->IdleAction(0);
  EXPECT_TRUE(stop->GetEnabled());
  EXPECT_EQ(loop->GetButtonState(), TButtonGadget::Down);
  // The glyph is drawn on the button.
  app_->PumpWaitingMessages();
  const TRect r = play->GetBounds();
  int ink = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) ink += GuiReadPixel(*frame_->Bar, x, y) == kGlyphInk;
  }
  EXPECT_GT(ink, 20);
}

TEST_F(GadgetTest, AButtonsHintShowsInTheStatusBarWhileTheMouseIsOnIt) {
  const TRect r = GadgetOnScreen(frame_->Bar, kPlay);
  GuiMouseMove(r.left + 3, r.top + 3);
  app_->PumpWaitingMessages();
  EXPECT_STREQ(frame_->Status->GetText(), "Play the project");
  const TRect client = frame_->GetClientWindow()->GetWindowRect();
  GuiMouseMove(client.right - 30, r.top + 3);  // the empty end of the bar
  app_->PumpWaitingMessages();
  EXPECT_STREQ(frame_->Status->GetText(), "");
  frame_->Status->SetText("Insert file 'a.avi'");
  EXPECT_STREQ(frame_->Status->GetText(), "Insert file 'a.avi'");
}

TEST_F(GadgetTest, ADisabledTextGadgetDrawsGrey) {
  frame_->In->SetEnabled(false);
  frame_->Status->UpdateWindow();
  const TRect r = frame_->In->GetBounds();
  int grey = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x)
      grey += GuiReadPixel(*frame_->Status, x, y) == GetSysColor(COLOR_GRAYTEXT);
  }
  EXPECT_GT(grey, 10);
}

// A text gadget is at least as wide as its text, also when the text grows
// past the characters it was made for, and stays inside its bar.
TEST_F(GadgetTest, TextGadgetsTakeTheWidthOfTheirText) {
  auto textWidth = [&](const char* text) {
    TScreenDC dc;
    dc.SelectObject(frame_->Status->GetFont());
    return dc.GetTextExtent(text, static_cast<int>(std::strlen(text))).cx;
  };
  for (const char* text : {"00:12", "00:12:34:56", "88888888888"}) {
    SCOPED_TRACE(text);
    frame_->In->SetText(text);
    app_->PumpWaitingMessages();
    const TRect bounds = frame_->In->GetBounds();
    EXPECT_GE(bounds.Width() - 2 * (1 + 2), textWidth(text));  // a recessed border and the margins
    EXPECT_LE(frame_->In->GetBounds().right, frame_->Status->GetClientRect().right);
  }
}

}  // namespace
