// Help: the pages beside the program opened by the desktop's opener, which
// the test stands in for on PATH and which records what it was asked.
#include <sys/stat.h>

#include <fstream>

#include "program_fixture.h"

#include "app/clip_frame.h"

#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/modal.h"
#include "resources/frame_ids.h"
#include "resources/timeline_ids.h"

namespace apptest {
namespace {

class Help : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    const std::string bin = File("bin");
    mkdir(bin.c_str(), 0700);
    std::ofstream(bin + "/xdg-open") << "#!/bin/sh\necho \"$1\" >> '" << File("opened.txt") << "'\n";
    chmod((bin + "/xdg-open").c_str(), 0700);
    path_ = std::make_unique<ScopedEnv>("PATH", bin + ":" + std::getenv("PATH"));
  }
  std::string Opened() { return ReadFile(File("opened.txt")); }
  void PumpApp() {
    for (int i = 0; i < 5; ++i) App().PumpWaitingMessages();
  }
  // A key as the loop hands it to the application first.
  bool Key(int vk) {
    MSG msg{};
    msg.hwnd = TimeLine().GetHandle();
    msg.message = WM_KEYDOWN;
    msg.wParam = static_cast<WPARAM>(vk);
    return App().ProcessAppMsg(msg);
  }
  std::unique_ptr<ScopedEnv> path_;
};

TEST_F(Help, F1OpensTheProjectWindowsTopic) {
  Start();
  EXPECT_TRUE(Key(VK_F1));
  EXPECT_NE(Opened().find("index.html#topic-911"), std::string::npos) << Opened();
  EXPECT_TRUE(App().helpOpen);
}

TEST_F(Help, AViewerThatCannotStartIsReported) {
  // An opener that fails, then none at all on the path.
  const std::string bin = File("bin");
  std::ofstream(bin + "/xdg-open", std::ios::trunc) << "#!/bin/sh\nexit 3\n";
  Start();
  boxes_->shown.clear();
  EXPECT_TRUE(Key(VK_F1));
  ScopedEnv empty("PATH", bin + "/none");
  Frame().PostMessage(WM_COMMAND, kCmHelpContents, 0);
  PumpApp();
  ASSERT_EQ(boxes_->shown.size(), 2u);
  for (const RecordingBoxes::Box& box : boxes_->shown) {
    EXPECT_EQ(box.text.rfind("Can not launch\nxdg-open ", 0), 0u) << box.text;
    EXPECT_NE(box.text.find("index.html"), std::string::npos) << box.text;
    EXPECT_EQ(box.caption, "Kobrix Help");
  }
  EXPECT_FALSE(App().helpOpen);
}

TEST_F(Help, F1OverTheCollectionOpensItsTopic) {
  Start();
  App().ShowClipCollection(false);
  PumpApp();
  ASSERT_NE(App().ClipFrame(), nullptr);
  SetActiveWindow(App().ClipFrame()->GetHandle());
  EXPECT_TRUE(Key(VK_F1));
  EXPECT_NE(Opened().find("index.html#topic-916"), std::string::npos) << Opened();
}

TEST_F(Help, InHelpModeACommandOpensItsTopicWithoutRunningIt) {
  Start();
  // Shift+F1 put the program in help mode.
  App().helpMode = true;
  const bool shown = TimeLine().Engine().showVideo;
  Frame().PostMessage(WM_COMMAND, kCmShowVideoTracks, 0);
  PumpApp();
  EXPECT_FALSE(App().helpMode);
  EXPECT_EQ(TimeLine().Engine().showVideo, shown) << "the command ran";
  EXPECT_NE(Opened().find("#topic-" + std::to_string(kCmShowVideoTracks)), std::string::npos) << Opened();

  // Esc before a choice leaves help mode, and commands run again.
  App().helpMode = true;
  EXPECT_TRUE(Key(VK_ESCAPE));
  EXPECT_FALSE(App().helpMode);
  Frame().PostMessage(WM_COMMAND, kCmShowVideoTracks, 0);
  PumpApp();
  EXPECT_NE(TimeLine().Engine().showVideo, shown);
}

TEST_F(Help, F1OverAnOpenMenuOpensTheHighlightedItemsTopic) {
  Start();
  HMENU file = GetSubMenu(GetMenu(Frame().GetHandle()), 0);
  ASSERT_NE(file, nullptr);
  const UINT first = GetMenuItemID(file, 0);
  bool opened = false;
  ModalHook before = SetModalHook([&](HWND) {
    // The File menu opens on its first item, and F1 goes down over it.
    GuiPressKey(VK_DOWN);
    GuiKey(VK_F1, true);
    opened = true;
  });
  Frame().SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 0);
  SetModalHook(before);
  GuiKey(VK_F1, false);
  PumpApp();
  ASSERT_TRUE(opened);
  EXPECT_NE(Opened().find("#topic-" + std::to_string(first)), std::string::npos) << Opened();
  EXPECT_FALSE(App().helpMode);
}

}  // namespace
}  // namespace apptest
