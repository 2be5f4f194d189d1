// The program started by its own entry, twice, as a user would start it:
// what the first run changes through its windows is in the settings file
// when it ends, the second run starts with it and writes it back unchanged.
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "program_fixture.h"

#include "app/owl_main.h"
#include "model/ini.h"
#include "platform/gui/common_dialogs/file_chooser_test_util.h"
#include "platform/gui/gui.h"
#include "platform/gui/modal.h"
#include "resources/clip_dialog_ids.h"
#include "resources/frame_ids.h"
#include "resources/timeline_ids.h"
#include "support/ini_text.h"
#include "support/simulated_deck.h"

namespace apptest {
namespace {

// The first window of a class anywhere in the program's windows, waiting
// for it to come up.
HWND WaitForWindow(const char* className) {
  struct Search {
    const char* name;
    HWND found = nullptr;
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    Search search{className};
    EnumWindows(
        [](HWND top, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          char name[64] = {};
          GetClassName(top, name, sizeof name);
          if (std::strcmp(name, s->name) == 0) {
            s->found = top;
            return FALSE;
          }
          EnumChildWindows(
              top,
              [](HWND h, LPARAM q) -> BOOL {
                auto* t = reinterpret_cast<Search*>(q);
                char child[64] = {};
                GetClassName(h, child, sizeof child);
                if (std::strcmp(child, t->name) != 0) return TRUE;
                t->found = h;
                return FALSE;
              },
              p);
          return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return nullptr;
}

class Restart : public ProgramTest {
 protected:
  // Runs the program's entry on this thread; user is what the user does
  // once the program has started (on another thread, each step sent into
  // the program's loop), after which the program is closed.
  int Run(const std::function<void(HWND frame)>& user) {
    std::thread driver([&] {
      // The collection comes up at the end of start-up.
      if (WaitForWindow("ClipCollection") != nullptr) {
        if (HWND frame = FindWindow("KobrixFrameWindow", nullptr)) user(frame);
      }
      if (HWND frame = FindWindow("KobrixFrameWindow", nullptr)) PostMessage(frame, WM_CLOSE, 0, 0);
    });
    char name[] = "kobrix";
    char* argv[] = {name, nullptr};
    const int result = OwlMain(1, argv);
    driver.join();
    return result;
  }
  IniSections Settings() { return ParseIni(ReadFile(home_->File(kIniFileName))); }
};

TEST_F(Restart, MeterRangeTapeDeckAndPreviewSurviveARestart) {
  SimulatedDeck deck(SimulatedDeck::Kind::Betacam);
  ASSERT_TRUE(deck.ok());
  WriteTone(File("tone.wav"), 300);
  IniSetSection("AUDIO_METER");
  IniWriteString("MAX_PICK_DB", "24.000");
  IniSetSection("VTR");
  IniWriteInt("TYPE", 0);
  IniWriteString("PORT", deck.path().c_str());
  IniSetSection("MAIN_WINDOW");
  IniWriteInt("AUTO_PREVIEW", 0);
  IniSetSection("TIMELINE");
  IniWriteInt("SHOW_AUDIO_METER", 1);
  IniFlush();

  // The VTR setup and the clip chooser, answered as the user would.
  int vtrDialogs = 0, choosers = 0;
  ModalHook before = SetModalHook([&](HWND w) {
    char title[64] = {};
    GetWindowText(w, title, sizeof title);
    if (std::strcmp(title, "VTR Setup") == 0) {
      ++vtrDialogs;
      SendDlgItemMessage(w, kVtrType, CB_SETCURSEL, 2, 0);  // Sony Betacam
      file_chooser_test::Press(w, IDOK);
    } else if (HWND panel = [&]() -> HWND {
                 for (HWND c = GetWindow(w, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
                   if (GetDlgItem(c, kClipInfo) != nullptr) return c;
                 return nullptr;
               }()) {
      ++choosers;
      file_chooser_test::Press(panel, kClipAutoPreview);
      file_chooser_test::TypeName(w, File("tone.wav").c_str());
      file_chooser_test::Press(w, IDOK);
    }
  });

  EXPECT_EQ(Run([](HWND frame) {
              // "-96dB..0dB" from a meter's menu in the mixer window.
              if (HWND meter = WaitForWindow("TLevel")) SendMessage(meter, WM_COMMAND, 114, 0);
              SendMessage(frame, WM_COMMAND, kCmVtrSetup, 0);
              SendMessage(frame, WM_COMMAND, kCmAddSourceFile, 0);
            }),
            0);
  EXPECT_EQ(vtrDialogs, 1);
  EXPECT_EQ(choosers, 1);
  const auto expectKept = [&](const char* run) {
    SCOPED_TRACE(run);
    IniSections kept = Settings();
    EXPECT_EQ(kept["AUDIO_METER"]["MAX_PICK_DB"], "96.000");
    EXPECT_EQ(kept["VTR"]["TYPE"], "2");
    EXPECT_EQ(kept["VTR"]["PORT"], deck.path());
    EXPECT_EQ(kept["MAIN_WINDOW"]["AUTO_PREVIEW"], "1");
    EXPECT_EQ(kept["TIMELINE"]["ONLY_KEY_FRAMES"], "1");
  };
  expectKept("first run");
  // The dialog connected the deck (a stop, then which time code to count);
  // the end of the program stopped it and let it go.
  using Packet = std::vector<uint8_t>;
  const Packet stop = {0x20, 0x00, 0x20};
  const Packet countLtc = {0x41, 0x36, 0x00, 0x77};
  EXPECT_EQ(deck.Packets(), (std::vector<Packet>{stop, countLtc, stop}));

  // The second run changes nothing: what it writes is what it read.
  EXPECT_EQ(Run([](HWND) {}), 0);
  SetModalHook(before);
  expectKept("second run");
  // Connected at start-up, let go at the end.
  EXPECT_EQ(deck.Packets(), (std::vector<Packet>{stop, countLtc, stop, stop, countLtc, stop}));
}

}  // namespace
}  // namespace apptest
