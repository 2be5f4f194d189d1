// The VTR setup, the transition choice and the missing-effects dialogs,
// answered by the user through their controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "audio/installed_components.h"
#include "dialog_script.h"
#include "fake_shell.h"
#include "model/players.h"
#include "model/time_code.h"
#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"
#include "resources/clip_dialog_ids.h"
#include "ui/no_filters_dialog.h"
#include "ui/select_vfx_dialog.h"
#include "ui/time_code_edit.h"
#include "ui/vtr_setup_dialog.h"

using namespace dialogtest;

namespace {

// Picks entry index of a closed drop-down list with the keyboard.
void Choose(HWND dialog, int id, int index) {
  SetFocus(GetDlgItem(dialog, id));
  Pump(dialog);
  Key(dialog, VK_HOME);
  for (int i = 0; i < index; ++i) Key(dialog, VK_DOWN);
}

std::string TimeShown(HWND dialog, int id) {
  auto* field = dynamic_cast<TimeCodeEdit*>(TWindow::GetWindowPtr(GetDlgItem(dialog, id)));
  return field != nullptr ? field->GetText() : "";
}

struct TapeSettings {
  int32_t start, type;
  std::string port;
  int32_t baud, dataBits, parity, stopBits, timeCode, preroll, format, accuracy;
  bool operator==(const TapeSettings&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TapeSettings& s) {
  return os << "{" << s.start << ", " << s.type << ", " << s.port << ", " << s.baud << ", " << s.dataBits
            << ", " << s.parity << ", " << s.stopBits << ", " << s.timeCode << ", " << s.preroll << ", "
            << s.format << ", " << s.accuracy << "}";
}

class FakeTape : public TapeControl {
 public:
  void Stop() override {}
  bool IsConnected() override { return false; }
  int32_t SeekPreroll(int32_t, int32_t) override { return 0; }
  void GetSettings(int32_t& start, int32_t& type, char* port, int32_t& baud, int32_t& dataBits,
                   int32_t& parity, int32_t& stopBits, int32_t& timeCode, int32_t& preroll, int32_t& format,
                   int32_t& accuracy) override {
    start = stored.start;
    type = stored.type;
    snprintf(port, kTapePortLength + 1, "%s", stored.port.c_str());
    baud = stored.baud;
    dataBits = stored.dataBits;
    parity = stored.parity;
    stopBits = stored.stopBits;
    timeCode = stored.timeCode;
    preroll = stored.preroll;
    format = stored.format;
    accuracy = stored.accuracy;
  }
  bool SetSettings(int32_t start, int32_t type, const char* port, int32_t baud, int32_t dataBits,
                   int32_t parity, int32_t stopBits, int32_t timeCode, int32_t preroll, int32_t format,
                   int32_t accuracy) override {
    handed.push_back(
        {start, type, port, baud, dataBits, parity, stopBits, timeCode, preroll, format, accuracy});
    return true;
  }
  TapeSettings stored{3600000, 0, "ttyS1", 19200, 6, 2, 2, 1, 10, 1, 5};
  std::vector<TapeSettings> handed;
};

class ChoiceDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProjectTimeFormat(kTimeFormatSmpte);
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    GuiPumpMessages();
    TakeBeeps();
  }
  void TearDown() override {
    frame_.reset();
    SetProjectTimeFormat(kTimeFormatMs);
    GuiPumpMessages();
  }
  HWND owner() const { return frame_->GetHandle(); }

  std::unique_ptr<TFrameWindow> frame_;
  FakeShell shell_;
};

// What the deck and port fields show, in the order of the settings.
using Shown = std::vector<std::string>;
Shown PortFields(HWND d) {
  return {ItemText(d, kVtrBaud),      ComboText(d, kVtrDataBits), ComboText(d, kVtrParity),
          ComboText(d, kVtrStopBits), ComboText(d, kVtrTimeCode), ItemText(d, kVtrPreroll),
          ItemText(d, kVtrAccuracy)};
}

TEST_F(ChoiceDialogs, DefaultFillsInTheDecksPortSettingsAndOnlyBeepsWithoutADeck) {
  const Shown stored{"19200", "6", "even", "2", "LTC", "10", "5"};
  struct Case {
    int type;
    Shown want;
    size_t beeps;
  };
  const Case cases[] = {
      {0, stored, 1},
      {1, {"9600", "7", "odd", "1.5", "Counter", "6", "1"}, 0},
      {2, {"38400", "8", "odd", "1.5", "LTC", "6", "0"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    FakeTape tape;
    Shown opened, after;
    std::vector<std::string> kept;
    std::vector<UINT> beeps;
    ModalScript script({[&](HWND d) {
      opened = PortFields(d);
      Choose(d, kVtrType, c.type);
      TakeBeeps();
      Click(d, kVtrDefault);
      beeps = TakeBeeps();
      after = PortFields(d);
      kept = {TimeShown(d, kVtrStart), ComboText(d, kVtrFormat), ItemText(d, kVtrPort),
              ComboText(d, kVtrType)};
      Key(d, VK_ESCAPE);
    }});
    EXPECT_FALSE(RunVTRSetupDialog(owner(), &tape));
    EXPECT_EQ(opened, stored);
    EXPECT_EQ(after, c.want);
    const char* types[] = {"None", "AG 5700", "Sony Betacam"};
    EXPECT_EQ(kept, (std::vector<std::string>{"01:00:00:00", "NTSC", "ttyS1", types[c.type]}));
    ASSERT_EQ(beeps.size(), c.beeps);
    if (c.beeps) {
      EXPECT_EQ(beeps[0], static_cast<UINT>(MB_ICONEXCLAMATION));
    }
    EXPECT_TRUE(tape.handed.empty());  // Cancel hands nothing back
  }
}

TEST_F(ChoiceDialogs, OkHandsTheElevenSettingsBackInOrder) {
  FakeTape tape;
  ModalScript script({[&](HWND d) {
    TypeTime(d, kVtrStart, "00013000");  // 00:01:30:00
    Key(d, VK_TAB);
    Choose(d, kVtrType, 2);
    Choose(d, kVtrTimeCode, 0);
    Choose(d, kVtrFormat, 0);
    TypeOver(d, kVtrPreroll, "12");
    TypeOver(d, kVtrAccuracy, "3");
    TypeOver(d, kVtrPort, "ttyUSB0");
    TypeOver(d, kVtrBaud, "57600");
    Choose(d, kVtrDataBits, 1);
    Choose(d, kVtrStopBits, 0);
    Choose(d, kVtrParity, 4);
    Click(d, IDOK);
  }});
  ASSERT_TRUE(RunVTRSetupDialog(owner(), &tape));
  ASSERT_EQ(tape.handed.size(), 1u);
  EXPECT_EQ(tape.handed[0], (TapeSettings{90000, 2, "ttyUSB0", 57600, 6, 4, 0, 0, 12, 0, 3}));
}

TEST_F(ChoiceDialogs, AnEntryOutsideItsRangeKeepsTheVtrSetupOpen) {
  FakeTape tape;
  std::string focused;
  bool stillOpen = false;
  ModalScript script({[&](HWND d) {
    // Enter, so that the field keeps the focus (leaving it would hold the
    // number to the range).
    TypeOver(d, kVtrBaud, "300");
    Key(d, VK_RETURN);
    stillOpen = IsWindowVisible(d);
    focused = GetFocus() == GetDlgItem(d, kVtrBaud) ? "baud" : "other";
    Key(d, VK_ESCAPE);
  }});
  EXPECT_FALSE(RunVTRSetupDialog(owner(), &tape));
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(focused, "baud");
  EXPECT_TRUE(tape.handed.empty());
}

TEST_F(ChoiceDialogs, StoredIndexesOutsideTheListsOpenOnTheirNearestEntry) {
  FakeTape tape;
  tape.stored = {-5, 9, "", 1200, 12, -1, 3, 4, 1, 7, 0};
  ModalScript script({[&](HWND d) { Click(d, IDOK); }});
  ASSERT_TRUE(RunVTRSetupDialog(owner(), &tape));
  ASSERT_EQ(tape.handed.size(), 1u);
  EXPECT_EQ(tape.handed[0], (TapeSettings{0, 2, "", 1200, 8, 0, 2, 1, 1, 1, 0}));
}

TEST_F(ChoiceDialogs, TheTransitionChoiceOpensOnTheStoredKindHeldToTheList) {
  const std::tuple<int32_t, std::string> cases[] = {
      {7, "Down to up"}, {-1, "Dissolve"}, {2, "Right to left"}};
  for (const auto& [stored, want] : cases) {
    int32_t kind = stored, size = 12;
    std::string shown, sizeShown;
    ModalScript script({[&](HWND d) {
      shown = ComboText(d, kVfxType);
      sizeShown = ItemText(d, kVfxSize);
      Key(d, VK_ESCAPE);
    }});
    EXPECT_FALSE(RunSelectVFXDialog(owner(), &kind, &size));
    EXPECT_EQ(shown, want) << stored;
    EXPECT_EQ(sizeShown, "12");
    EXPECT_EQ(kind, stored);  // Cancel writes nothing
  }
}

TEST_F(ChoiceDialogs, TheTransitionChoiceWritesKindAndSizeOnOk) {
  int32_t kind = 0, size = 0;
  ModalScript script({[&](HWND d) {
    Choose(d, kVfxType, 3);
    TypeOver(d, kVfxSize, "40");
    Click(d, IDOK);
  }});
  ASSERT_TRUE(RunSelectVFXDialog(owner(), &kind, &size));
  EXPECT_EQ(kind, 3);
  EXPECT_EQ(size, 40);
}

// The transition was double-clicked where the pointer is: the dialog opens
// beside it, on the screen, wherever that is.
TEST_F(ChoiceDialogs, TheTransitionChoiceOpensBesideThePointer) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const POINT points[] = {
      {width / 4, height / 5}, {width * 3 / 4, height / 2}, {width - 3, height - 3}, {2, 2}};
  for (const POINT& p : points) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    GuiMouseMove(p.x, p.y);
    RECT r{};
    int32_t kind = 0, size = 0;
    ModalScript script({[&](HWND d) {
      GetWindowRect(d, &r);
      Key(d, VK_ESCAPE);
    }});
    RunSelectVFXDialog(owner(), &kind, &size);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, width);
    EXPECT_LE(r.bottom, height);
    // Near: within 40 pixels of the point, not over it.
    EXPECT_LE(std::max({static_cast<int>(r.left - p.x), static_cast<int>(p.x - r.right), 0}), 40);
    EXPECT_LE(std::max({static_cast<int>(r.top - p.y), static_cast<int>(p.y - r.bottom), 0}), 40);
    EXPECT_FALSE(p.x > r.left && p.x < r.right && p.y > r.top && p.y < r.bottom);
  }
}

TEST_F(ChoiceDialogs, TheMissingEffectsListTheUninstalledAndShowTheSelectedClassId) {
  ComObjectEntry first, second, third;
  first.next = &second;
  second.next = &third;
  std::snprintf(first.progId, sizeof first.progId, "KOBRIX.Echo");
  std::snprintf(second.progId, sizeof second.progId, "KOBRIX.Reverb");
  std::snprintf(third.progId, sizeof third.progId, "KOBRIX.Chorus");
  ASSERT_TRUE(GuidFromText("{0A1B2C3D-0001-0002-0304-050607080900}", &first.clsid));
  ASSERT_TRUE(GuidFromText("{0A1B2C3D-0001-0002-0304-050607080901}", &second.clsid));
  ASSERT_TRUE(GuidFromText("{0A1B2C3D-0001-0002-0304-05060708090A}", &third.clsid));
  first.missing = third.missing = 1;

  std::vector<std::string> listed;
  std::string atOpen, afterSecond;
  ModalScript script({[&](HWND d) {
    HWND list = GetDlgItem(d, kMissingEffectList);
    for (LRESULT i = 0; i < SendMessage(list, LB_GETCOUNT, 0, 0); ++i) {
      char text[128] = {};
      SendMessage(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      listed.emplace_back(text);
    }
    atOpen = ItemText(d, kMissingEffectGuid);
    SetFocus(list);
    Key(d, VK_DOWN);
    afterSecond = ItemText(d, kMissingEffectGuid);
    Click(d, IDOK);
  }});
  RunNoFiltersDialog(owner(), &first);
  EXPECT_EQ(listed, (std::vector<std::string>{"KOBRIX.Echo", "KOBRIX.Chorus"}));
  EXPECT_EQ(atOpen, "{0A1B2C3D-0001-0002-0304-050607080900}");
  EXPECT_EQ(afterSecond, "{0A1B2C3D-0001-0002-0304-05060708090A}");
}

}  // namespace
