// Help: the pages beside the program opened by the desktop's opener, which
// the test stands in for on PATH and which records what it was asked. The
// opener runs on beside the program; its end comes back as a message.
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

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
  // Pumps until done holds: the opener's end is reported from another
  // thread. The limit only guards against a hang.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
      if (std::chrono::steady_clock::now() > limit) return false;
      PumpApp();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
  bool OpenedHolds(const std::string& text) {
    return PumpUntil([&] { return Opened().find(text) != std::string::npos; });
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
  boxes_->shown.clear();
  EXPECT_TRUE(Key(VK_F1));
  // Open once the opener has answered.
  EXPECT_TRUE(PumpUntil([this] { return App().helpOpen; }));
  EXPECT_NE(Opened().find("index.html#topic-911"), std::string::npos) << Opened();
  EXPECT_TRUE(boxes_->shown.empty());
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
  EXPECT_TRUE(PumpUntil([this] { return boxes_->shown.size() >= 2; }));
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
  EXPECT_TRUE(OpenedHolds("index.html#topic-916")) << Opened();
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
  EXPECT_TRUE(OpenedHolds("#topic-" + std::to_string(kCmShowVideoTracks))) << Opened();

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
  EXPECT_TRUE(OpenedHolds("#topic-" + std::to_string(first))) << Opened();
  EXPECT_FALSE(App().helpMode);
}

// The whole program on a real display (Xvfb, sdl back-end), driven with
// xdotool: an opener that fails is reported, one that stays (as the
// desktop's opener does until its viewer closes) holds nothing up, and the
// caption shows the project's path as on disk. Skipped where there is no
// display or the tools are missing.
class HelpOnDisplay : public ProgramTest {};

TEST_F(HelpOnDisplay, AnOpenerThatStaysHoldsNothingUpAndOneThatFailsIsReported) {
  const char* display = std::getenv("DISPLAY");
  const char* gui = std::getenv("KOBRIX_GUI");
  if (display == nullptr || *display == '\0' || gui == nullptr || std::string(gui) != "sdl" ||
      !HaveTool("xdotool") || !HaveTool("xwininfo") || !HaveTool("xdpyinfo") || !HaveTool("ffmpeg"))
    GTEST_SKIP() << "runs under xvfb-run on sdl (app_start_up_sdl_xvfb); needs xdotool, x11-utils, ffmpeg";
  Start();
  WriteTone(File("tone.wav"), 1000);
  mkdir(File("MixCase").c_str(), 0700);
  MakeProject(File("MixCase/Core.tml"), {File("tone.wav")});
  Stop();
  const std::string bin = File("bin");
  mkdir(bin.c_str(), 0700);
  std::ofstream(bin + "/xdg-open") << "#!/bin/sh\necho \"$1\" >> " << Quoted(File("opened.txt")) << "\n[ -e "
                                   << Quoted(File("fail")) << " ] && exit 3\necho $$ >> "
                                   << Quoted(File("viewers.txt")) << "\nexec sleep 20\n";
  chmod((bin + "/xdg-open").c_str(), 0700);
  const char* shots = std::getenv("KOBRIX_SCREENSHOT_DIR");
  const std::string shot_dir = shots != nullptr && *shots != '\0' ? shots : folder_.path();
  std::string log;
  EXPECT_TRUE(Shell(ChildEnvironment() + " KOBRIX_GUI=sdl sh '" KOBRIX_SOURCE_DIR "/tests/app/help.sh' '" +
                        std::string(KOBRIX_PROGRAM) + "' " + Quoted(folder_.path()) + " '" + shot_dir + "' 2>&1",
                    &log))
      << log;
}

}  // namespace
}  // namespace apptest
