// The autosave period is met while nothing at all arrives: the program's own
// loop, left alone with an edit and no input, writes the autosave once the
// period has passed on its clock.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "program_fixture.h"

#include "model/undo_history.h"
#include "platform/core/paths.h"
#include "platform/core/time.h"

namespace apptest {
namespace {

class AutosaveOnTime : public ProgramTest {};

TEST_F(AutosaveOnTime, ThePeriodPassedWithoutInputWritesTheAutosave) {
  WriteTone(File("tone.wav"), 500);
  Start();
  MakeProject(File("p.tml"), {File("tone.wav")});
  // One edit after the save: far fewer than the count that would make it due.
  char tone[MAX_PATH];
  std::snprintf(tone, sizeof tone, "%s", File("tone.wav").c_str());
  TimeLine().AddFile(tone, 5000);
  Pump();
  ASSERT_TRUE(AutosaveDirty);
  ASSERT_LT(AutosaveEditCount, App().autosave.saveCount);
  ASSERT_TRUE(App().autosave.autoSave);
  const std::string autosaved = PathJoin(SoundFolder(), "autosave.tml");
  ASSERT_FALSE(std::filesystem::exists(autosaved));
  const DWORD period = static_cast<DWORD>(App().autosave.savePeriod) * 60000;

  // The clock runs on only as this test moves it; nothing is sent to the
  // program until the file is there (or the real time is up).
  SetClockDriven(true);
  const DWORD started = CurrentTime();
  std::atomic<DWORD> movedAtWrite{0};
  HWND frame = Frame().GetHandle();
  std::thread clockHand([&] {
    // A guard against a hang, on the wall clock.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(autosaved) && std::chrono::steady_clock::now() < limit) {
      AdvanceClock(1000);
      // Time for the loop to take its tick.
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    movedAtWrite = CurrentTime() - started;
    SetClockDriven(false);
    PostMessage(frame, WM_CLOSE, 0, 0);
  });
  const auto real = std::chrono::steady_clock::now();
  App().MessageLoop();
  clockHand.join();
  const auto took = std::chrono::steady_clock::now() - real;

  ASSERT_TRUE(std::filesystem::exists(autosaved)) << "the clock moved " << movedAtWrite << " ms";
  EXPECT_NE(ReadFile(autosaved).find("tone.wav"), std::string::npos);
  // Not before the period (counted from the save, a moment before the clock
  // was taken over), and long before a second one.
  EXPECT_GE(movedAtWrite.load() + 5000, period);
  EXPECT_LT(movedAtWrite.load(), 2 * period);
  // A guard against a hang: the clock hand gives up at 20 s.
  EXPECT_LT(took, std::chrono::seconds(15));
}

}  // namespace
}  // namespace apptest
