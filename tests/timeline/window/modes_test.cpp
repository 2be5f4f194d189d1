// The editing modes and their tool-bar buttons.
#include "input_fixture.h"

namespace timelinetest {
namespace {

using Modes = WindowInputTest;

TEST_F(Modes, TheProfileCommandsAreEnabledAndCheckedByTheProfileMode) {
  InputTimeLine& w = OpenInput();
  struct Case {
    int32_t mode;
    bool balanceEnabled;
    int volumeCheck, balanceCheck;
  };
  for (const Case& c : {Case{kProfileVolume, true, 1, 0}, Case{kProfileBalance, true, 0, 1},
                        Case{kProfileVolumeOnly, false, 1, 0}}) {
    SCOPED_TRACE(c.mode);
    w.Settings().profileMode = c.mode;
    EXPECT_TRUE(Enabled(kCmVolumeProfile));
    EXPECT_EQ(Enabled(kCmBalanceProfile), c.balanceEnabled);
    EXPECT_EQ(Check(kCmVolumeProfile), c.volumeCheck);
    EXPECT_EQ(Check(kCmBalanceProfile), c.balanceCheck);
  }
}

TEST_F(Modes, TheProfileCommandsSwitchOnlyBetweenVolumeAndBalance) {
  InputTimeLine& w = OpenInput();
  w.Settings().profileMode = kProfileVolume;
  w.SendMessage(WM_COMMAND, kCmVolumeProfile);
  EXPECT_EQ(w.ProfileMode(), kProfileVolume);
  w.SendMessage(WM_COMMAND, kCmBalanceProfile);
  EXPECT_EQ(w.ProfileMode(), kProfileBalance);
  EXPECT_EQ(Frame().Button(kCmBalanceProfile)->GetButtonState(), TButtonGadget::Down);
  EXPECT_EQ(Frame().Button(kCmVolumeProfile)->GetButtonState(), TButtonGadget::Up);
  w.SendMessage(WM_COMMAND, kCmVolumeProfile);
  EXPECT_EQ(w.ProfileMode(), kProfileVolume);
  EXPECT_EQ(Frame().Button(kCmVolumeProfile)->GetButtonState(), TButtonGadget::Down);
  // A mono project shows no balance: neither command changes the mode.
  w.Settings().profileMode = kProfileVolumeOnly;
  w.SendMessage(WM_COMMAND, kCmBalanceProfile);
  w.SendMessage(WM_COMMAND, kCmVolumeProfile);
  EXPECT_EQ(w.ProfileMode(), kProfileVolumeOnly);
}

TEST_F(Modes, MultiselectionAndAddPointToggleWithTheirButtons) {
  InputTimeLine& w = OpenInput();
  for (int id : {kCmMultiselect, kCmAddPointMode}) {
    SCOPED_TRACE(id);
    bool& mode = id == kCmMultiselect ? w.multiselectMode : w.addPointMode;
    TButtonGadget* button = Frame().Button(id);
    const TRect r = button->GetBounds();
    for (bool on : {true, false}) {
      GuiClick(Frame().toolBar->GetHandle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
      GuiPumpMessages();
      EXPECT_EQ(mode, on);
      EXPECT_EQ(Check(id), on ? 1 : 0);
      EXPECT_EQ(button->GetButtonState(), on ? TButtonGadget::Down : TButtonGadget::Up);
      clock_.Advance(GetDoubleClickTime() + 1);
    }
    // The command from the menu flips it too.
    w.SendMessage(WM_COMMAND, static_cast<WPARAM>(id));
    EXPECT_TRUE(mode);
    EXPECT_EQ(button->GetButtonState(), TButtonGadget::Down);
    mode = false;
  }
}

}  // namespace
}  // namespace timelinetest
