// Transitions in exported AVI files: the command line's export writes what
// the menu's export writes, each transition rendered even when the export
// starts before its render has finished, and a render that fails ends the
// export with its reason.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include "program_fixture.h"

#include "app/program_seams.h"
#include "model/film_list.h"
#include "model/ini.h"
#include "model/players.h"
#include "platform/core/registry.h"
#include "platform/gui/common_dialogs/file_chooser_test_util.h"
#include "platform/gui/modal.h"
#include "resources/clip_dialog_ids.h"
#include "resources/mpeg_dialog_ids.h"
#include "resources/timeline_ids.h"
#include "timeline/lines/vfx_line.h"
#include "timeline/window/main_timeline_window.h"
#include "video/transitions/vfx_render.h"

namespace apptest {
namespace {

constexpr int kWidth = 160, kHeight = 120;
constexpr std::size_t kPictureBytes = std::size_t{kWidth} * kHeight * 3;
// Red over [0 s, 2 s) on row 0, blue over [1 s, 3 s) on row 1: the
// transition covers frames 25 to 49, and frame 37 is its middle.
constexpr int kMiddle = 37;
constexpr int kFrames = 75;

struct Rgb {
  int r, g, b;
};

struct Pictures {
  std::string bytes;
  int Count() const { return static_cast<int>(bytes.size() / kPictureBytes); }
  Rgb At(int frame, int x, int y) const {
    const std::size_t at = static_cast<std::size_t>(frame) * kPictureBytes + (static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)) * 3;
    auto v = [&](std::size_t i) { return static_cast<int>(static_cast<unsigned char>(bytes[at + i])); };
    return {v(0), v(1), v(2)};
  }
};

bool Red(const Rgb& c) {
  return c.r > 200 && c.g < 60 && c.b < 60;
}
bool Blue(const Rgb& c) {
  return c.b > 200 && c.r < 60 && c.g < 60;
}
// Half of each: neither clip's picture.
bool Blend(const Rgb& c) {
  return c.r > 90 && c.r < 165 && c.b > 90 && c.b < 165 && c.g < 60;
}

testing::AssertionResult Is(bool (*test)(const Rgb&), const char* what, const Rgb& c) {
  if (test(c)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << c.r << "," << c.g << "," << c.b << " is not " << what;
}

class TransitionExport : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    for (const char* colour : {"red", "blue"}) {
      ASSERT_TRUE(Shell("ffmpeg -v error -f lavfi -i color=" + std::string(colour) + ":size=160x120:rate=25 -t 2 "
                        "-c:v mjpeg -q:v 2 " + Quoted(File(std::string(colour) + ".avi"))));
    }
  }
  void TearDown() override {
    VFXRender::StopThread();
    ProgramTest::TearDown();
    // The render settings are the module's, and outlive the program here.
    VFXRender::SetSettings(VFXRenderSettings{});
  }

  // The overlapping clips, saved as p.tml.
  std::string MakeOverlap() {
    Start();
    for (const auto& [name, at] : {std::pair{"red.avi", 0}, std::pair{"blue.avi", 1000}}) {
      std::string path = File(name);
      TimeLine().AddFile(path.data(), at);
      Pump();
    }
    EXPECT_EQ(FilmList.Count(), 2);
    Frame().SaveProjectFile(File("p.tml").c_str());
    Stop();
    return File("p.tml");
  }
  // The program with the project open: with its render service as its
  // start-up runs it, or without one (a service that could not start).
  void Open(const std::string& project, bool renderService) {
    Start();
    if (renderService) ASSERT_TRUE(VFXRender::StartThread(*ProgramTransitions()));
    Frame().OpenProjectFile(project.c_str());
  }
  VFXEntry* TheTransition() {
    VFXEntry* t = ProgramTransitions()->Schedule();
    EXPECT_NE(t, nullptr);
    return t;
  }
  // Runs action, answering the dialog titled title once: row of the list
  // box combo, then OK.
  void Answering(const char* title, int combo, int row, const std::function<void()>& action) {
    int dialogs = 0;
    const ModalHook before = SetModalHook([&](HWND w) {
      char text[64] = {};
      GetWindowText(w, text, sizeof text);
      if (std::strcmp(text, title) != 0) return;
      ++dialogs;
      SendDlgItemMessage(w, combo, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
      file_chooser_test::Press(w, IDOK);
    });
    action();
    SetModalHook(before);
    EXPECT_EQ(dialogs, 1) << title;
  }
  // The kind chosen as the user does: a double click on the transition
  // and the choice in its dialog.
  void ChooseKind(int32_t kind) {
    Answering("VideoFX Selection", kVfxType, kind, [this] {
      const int x = TimeLine().Engine().PosToPixel(1500);
      TimeLine().VFXLine()->SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(x, 5));
    });
  }
  // Export AVI from the menu into path, answering its file dialog; the
  // boxes it shows are kept from here on.
  void ExportFromMenu(const std::string& path) {
    boxes_->shown.clear();
    chooser_->answers.push_back({ChooserResult::kOk, path, 1});
    Frame().SendMessage(WM_COMMAND, kCmExportAvi, 0);
  }
  // The program started from the command line; its exit status.
  int Kobrix(const std::string& args, std::string* errors) { return RunProgram(args, errors); }
  Pictures Decoded(const std::string& avi) {
    Pictures p;
    EXPECT_TRUE(Shell("ffmpeg -v error -i " + Quoted(avi) + " -map 0:v -f rawvideo -pix_fmt rgb24 -", &p.bytes))
        << avi;
    return p;
  }
};

TEST_F(TransitionExport, TheCommandLinesAviIsTheMenusWithTheOverlapBlended) {
  const std::string project = MakeOverlap();
  std::string errors;
  ASSERT_EQ(Kobrix(Quoted(project) + " /avi " + Quoted(File("line.avi")), &errors), 0) << errors;

  Open(project, true);
  // The export starts while the render has not finished.
  VFXEntry* t = TheTransition();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->rendered, nullptr);
  ExportFromMenu(File("menu.avi"));
  EXPECT_TRUE(boxes_->shown.empty()) << boxes_->shown[0].text;

  const Pictures line = Decoded(File("line.avi")), menu = Decoded(File("menu.avi"));
  ASSERT_EQ(line.Count(), kFrames);
  ASSERT_EQ(menu.Count(), kFrames);
  int worst = 0;
  for (std::size_t i = 0; i < line.bytes.size(); ++i) {
    worst = std::max(worst, std::abs(static_cast<unsigned char>(line.bytes[i]) -
                                     static_cast<unsigned char>(menu.bytes[i])));
  }
  EXPECT_LE(worst, 8) << "the two exports differ beyond the codec's rounding";
  for (const Pictures* p : {&line, &menu}) {
    EXPECT_TRUE(Is(Red, "red", p->At(12, kWidth / 2, kHeight / 2)));
    EXPECT_TRUE(Is(Blend, "a blend", p->At(kMiddle, kWidth / 2, kHeight / 2)));
    EXPECT_TRUE(Is(Blend, "a blend", p->At(kMiddle, 3, 3)));
    EXPECT_TRUE(Is(Blue, "blue", p->At(62, kWidth / 2, kHeight / 2)));
  }
}

// The MPEG export renders before it writes too: with no service to do it,
// it renders the transition itself and writes the blend.
TEST_F(TransitionExport, TheMenusMpegExportWritesTheBlendToo) {
#ifndef KOBRIX_MPEG_REGISTRY
  GTEST_SKIP() << "the build has no MPEG encoder";
#else
  // The build's encoder, its module named by its place in the build.
  std::string registry = ReadFile(KOBRIX_MPEG_REGISTRY);
  const std::string module = "@=\"" KOBRIX_MPEG_MODULE_DIR "/KXMPEG.DLL\"";
  for (std::size_t at = 0; (at = registry.find("@=\"KXMPEG.DLL\"", at)) != std::string::npos; at += module.size())
    registry.replace(at, 14, module);
  { std::ofstream(File("mpeg_registry.txt")) << registry; }
  AddRegistryDefaults(File("mpeg_registry.txt"));

  const std::string project = MakeOverlap();
  Open(project, false);
  boxes_->shown.clear();
  chooser_->answers.push_back({ChooserResult::kOk, File("menu.mpg"), 1});
  // PAL 25: a picture for each frame of the project.
  Answering("Configure DVMPEG", kMpegFormat, 2, [this] { Frame().SendMessage(WM_COMMAND, kCmExportMpeg, 0); });
  EXPECT_TRUE(boxes_->shown.empty()) << boxes_->shown[0].text;
  const Pictures p = Decoded(File("menu.mpg"));
  ASSERT_EQ(p.Count(), kFrames);
  EXPECT_TRUE(Is(Red, "red", p.At(12, kWidth / 2, kHeight / 2)));
  EXPECT_TRUE(Is(Blend, "a blend", p.At(kMiddle, kWidth / 2, kHeight / 2)));
  EXPECT_TRUE(Is(Blue, "blue", p.At(62, kWidth / 2, kHeight / 2)));
#endif
}

// The wipes, with no render service to do the work: the export renders
// each itself. At the middle of the transition the second clip covers the
// half the edge has passed, the first clip the half ahead of it.
TEST_F(TransitionExport, WithoutARenderServiceTheExportRendersEachWipeItself) {
  const std::string project = MakeOverlap();
  struct Case {
    int32_t kind;
    const char* name;
    int x0, y0;  // a point the edge has passed: blue
    int x1, y1;  // a point ahead of it: red
  } cases[] = {
      {1, "left to right", kWidth / 8, kHeight / 2, kWidth * 7 / 8, kHeight / 2},
      {2, "right to left", kWidth * 7 / 8, kHeight / 2, kWidth / 8, kHeight / 2},
      {3, "up to down", kWidth / 2, kHeight / 8, kWidth / 2, kHeight * 7 / 8},
      {4, "down to up", kWidth / 2, kHeight * 7 / 8, kWidth / 2, kHeight / 8},
  };
  Open(project, false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChooseKind(c.kind);
    VFXEntry* t = TheTransition();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->kind, c.kind);
    EXPECT_EQ(t->rendered, nullptr);
    const std::string out = File(std::string("wipe") + std::to_string(c.kind) + ".avi");
    ExportFromMenu(out);
    EXPECT_TRUE(boxes_->shown.empty()) << boxes_->shown[0].text;
    const Pictures p = Decoded(out);
    ASSERT_EQ(p.Count(), kFrames);
    EXPECT_TRUE(Is(Blue, "blue", p.At(kMiddle, c.x0, c.y0)));
    EXPECT_TRUE(Is(Red, "red", p.At(kMiddle, c.x1, c.y1)));
    EXPECT_TRUE(Is(Red, "red", p.At(12, c.x0, c.y0)));
    EXPECT_TRUE(Is(Blue, "blue", p.At(62, c.x1, c.y1)));
  }
}

// A project in a folder its user may not write (another user's, a shared
// disk): the transitions go to a folder of the instance's own instead of
// one beside the project, the export is written with the blend, and the
// rendered files are gone when the program ends. Root writes anywhere, so
// the run is another user's then.
TEST_F(TransitionExport, AProjectInAFolderTheUserMayNotWriteIsExportedWithItsTransition) {
  const std::string project = MakeOverlap();
  const bool asStranger = getuid() == 0;
  if (asStranger && !HaveTool("setpriv")) GTEST_SKIP() << "setpriv is not installed";
  std::filesystem::remove_all(File("p.vfx"));
  // The program's own folders, and where the export goes, are the user's.
  const std::string own = File("own");
  ASSERT_EQ(mkdir(own.c_str(), 0777), 0);
  ASSERT_EQ(chmod(own.c_str(), 0777), 0);
  const std::string program = asStranger ? ProgramForOthers() : std::string(KOBRIX_PROGRAM);
  ASSERT_EQ(chmod(folder_.path().c_str(), 0555), 0);
  const std::string out = own + "/out.avi";
  const std::string run = std::string(asStranger ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "") +
                          "env KOBRIX_HOME=" + Quoted(own) + " XDG_STATE_HOME=" + Quoted(own) + " TMPDIR=" +
                          Quoted(own) + " XDG_RUNTIME_DIR= KOBRIX_GUI=headless KOBRIX_AUDIO=virtual timeout 60 " +
                          Quoted(program) + " " + Quoted(project) + " /avi " + Quoted(out) + " 2>&1";
  std::string errors;
  const bool exported = Shell(run, &errors);
  ASSERT_EQ(chmod(folder_.path().c_str(), 0755), 0);
  ASSERT_TRUE(exported) << errors;
  EXPECT_EQ(errors.find("for the rendered transitions"), std::string::npos) << errors;
  EXPECT_FALSE(std::filesystem::exists(File("p.vfx")));

  const Pictures p = Decoded(out);
  ASSERT_EQ(p.Count(), kFrames);
  EXPECT_TRUE(Is(Red, "red", p.At(12, kWidth / 2, kHeight / 2)));
  EXPECT_TRUE(Is(Blend, "a blend", p.At(kMiddle, kWidth / 2, kHeight / 2)));
  EXPECT_TRUE(Is(Blue, "blue", p.At(62, kWidth / 2, kHeight / 2)));
  // Cleaned as the files beside a project are.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(own))
    EXPECT_NE(entry.path().filename().string().rfind("vfx", 0), 0u) << entry.path() << " was left behind";
}

// Where transitions can not be written, the export writes nothing, and
// says which transition and why: the command line with status 1 on its
// standard error, the menu in a box.
TEST_F(TransitionExport, ARenderThatFailsEndsTheExportWithItsReason) {
  const std::string project = MakeOverlap();
  const std::string notAFolder = File("not-a-folder");
  { std::ofstream(notAFolder) << "a file"; }
  IniSetSection("VideoFX");
  IniWriteString("TempDirectory", notAFolder.c_str());
  IniFlush();
  const std::string reason = "The folder '" + notAFolder + "' for the rendered transitions";

  std::string errors;
  EXPECT_EQ(Kobrix(Quoted(project) + " /avi " + Quoted(File("line.avi")), &errors), 1);
  EXPECT_NE(errors.find("The transition from"), std::string::npos) << errors;
  EXPECT_NE(errors.find(reason), std::string::npos) << errors;
  EXPECT_FALSE(std::filesystem::exists(File("line.avi")));

  for (bool renderService : {true, false}) {
    SCOPED_TRACE(renderService ? "rendered by the service" : "rendered by the export");
    Open(project, renderService);
    ExportFromMenu(File("menu.avi"));
    EXPECT_FALSE(std::filesystem::exists(File("menu.avi")));
    ASSERT_EQ(boxes_->shown.size(), 1u);
    EXPECT_EQ(boxes_->shown[0].caption, "Export Audio & Video");
    EXPECT_NE(boxes_->shown[0].text.find(reason), std::string::npos) << boxes_->shown[0].text;
    VFXRender::StopThread();
    Stop();
  }
}

}  // namespace
}  // namespace apptest
