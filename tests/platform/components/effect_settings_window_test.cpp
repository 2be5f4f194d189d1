// The settings windows of our effect components, opened over a window of the
// test's own on the headless windows and used with keys and typing.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "component_test_support.h"
#include "platform/components/audio_effect.h"
#include "platform/components/effects/common/effect_block.h"
#include "platform/components/effects/effect_classes.h"
#include "platform/components/window_services.h"
#include "platform/gui/controls/edit.h"
#include "platform/gui/controls/trackbar.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/user.h"

namespace {

// What the settings windows send their parent.
std::vector<std::pair<WPARAM, LPARAM>> changes;

LRESULT ParentProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kEffectChangedMessage) changes.emplace_back(wParam, lParam);
  return DefWindowProc(h, msg, wParam, lParam);
}

class SettingsWindowTest : public EffectsTest {
 protected:
  void SetUp() override {
    EffectsTest::SetUp();
    static const bool registered = [] {
      WNDCLASS wc;
      wc.lpfnWndProc = ParentProc;
      wc.lpszClassName = "SettingsParent";
      return RegisterClass(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    parent_ = CreateWindowEx(0, "SettingsParent", "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500,
                             400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
    changes.clear();
  }
  void TearDown() override {
    for (IAudioEffect* e : created_) e->Release();
    created_.clear();
    if (IsWindow(parent_)) DestroyWindow(parent_);
    GuiPumpMessages();
    EffectsTest::TearDown();
  }

  static std::vector<BYTE> State(IAudioEffect* effect) {
    std::vector<BYTE> state(static_cast<std::size_t>(effect->GetStateSize(0)));
    EXPECT_NE(effect->SaveState(state.data(), static_cast<LONG>(state.size())), 0);
    return state;
  }

  // An impulse and a sine after it, through the effect from a cleared state.
  static std::vector<float> Processed(IAudioEffect* effect) {
    std::vector<float> s(26460, 0.0f);  // 0.6 s: the echo's first two taps
    s[0] = 1000.0f;
    for (std::size_t i = 100; i < s.size(); ++i) s[i] = 1000.0f * static_cast<float>(std::sin(0.3 * i));
    effect->Reset();
    const LONG n = static_cast<LONG>(s.size());
    EffectBlock block{s.data(), n, n, n, {1, 1, 44100, 44100 * 4, 4, 32}};
    EXPECT_EQ(effect->Process(reinterpret_cast<SampleBlock*>(&block)), S_OK);
    return s;
  }

  // The n-th child of a class (in creation order).
  static HWND Child(HWND window, const char* className, int n) {
    HWND child = nullptr;
    for (int i = 0; i <= n; ++i) {
      child = FindWindowEx(window, child, className, nullptr);
      if (child == nullptr) return nullptr;
    }
    return child;
  }
  static std::string Text(HWND h) {
    char text[128] = {};
    GetWindowText(h, text, sizeof text);
    return text;
  }
  static void Press(HWND control, int vk) {
    SetFocus(control);
    GuiPressKey(vk);
    GuiPumpMessages();
  }
  static void Type(HWND edit, const char* text) {
    SetFocus(edit);
    SendMessage(edit, EM_SETSEL, 0, -1);
    GuiType(text);
    GuiPumpMessages();
  }

  HWND parent_ = nullptr;
};

// The row a test drives in each effect, what moving its trackbar to the end
// shows, then a value typed into it.
struct Case {
  const char* name;
  CLSID clsid;
  int rows;
  int row;
  const char* atEnd;
  const char* typed;
  bool boosted;  // an equaliser at +12 dB (at 0 dB its frequency changes nothing)
};
const Case kCases[] = {
    {"gain", CLSID_KobrixGain, 1, 0, "16.00", "0.25", false},
    {"echo delay", CLSID_KobrixEcho, 3, 0, "5000", "20", false},
    {"echo feedback", CLSID_KobrixEcho, 3, 1, "0.99", "-0.5", false},
    {"equaliser gain", CLSID_KobrixEqualizer, 3, 1, "24.0", "-12", false},
    {"equaliser frequency", CLSID_KobrixEqualizer, 3, 0, "96000.0", "440", true},
};

TEST_F(SettingsWindowTest, TrackbarAndEditChangeTheEffectAndTellTheParent) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    changes.clear();
    IAudioEffect* effect = Create(c.clsid);
    ASSERT_NE(effect, nullptr);
    if (c.boosted) {
      BYTE state[EqualizerSettings::kStateSize];
      effect_state::Encode(EqualizerSettings{1000.0f, 12.0f, 1.0f}, state);
      ASSERT_NE(effect->LoadState(state, sizeof state), 0);
    }
    EXPECT_NE(effect->HasSettings(), 0);
    HWND window = effect->ShowSettings(parent_);
    ASSERT_NE(window, nullptr);
    // The dialog gives the id after opening the window.
    EXPECT_EQ(effect->SetId(41), S_OK);
    GuiPumpMessages();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetParent(window), parent_);
    EXPECT_NE(Child(window, TRACKBAR_CLASS, c.rows - 1), nullptr);
    EXPECT_EQ(Child(window, TRACKBAR_CLASS, c.rows), nullptr);
    HWND track = Child(window, TRACKBAR_CLASS, c.row);
    HWND edit = Child(window, WC_EDIT, c.row);
    ASSERT_NE(track, nullptr);
    ASSERT_NE(edit, nullptr);

    const std::vector<BYTE> before = State(effect);
    const std::vector<float> soundBefore = Processed(effect);
    Press(track, VK_END);
    EXPECT_NE(State(effect), before);
    EXPECT_NE(Processed(effect), soundBefore);
    EXPECT_EQ(Text(edit), c.atEnd);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back(), (std::pair<WPARAM, LPARAM>{1, 41}));

    const std::vector<BYTE> atEnd = State(effect);
    const std::size_t heard = changes.size();
    const LONG endPos = static_cast<LONG>(SendMessage(track, TBM_GETPOS, 0, 0));
    Type(edit, c.typed);
    EXPECT_NE(State(effect), atEnd);
    EXPECT_GT(changes.size(), heard);
    EXPECT_EQ(changes.back(), (std::pair<WPARAM, LPARAM>{1, 41}));
    EXPECT_LT(SendMessage(track, TBM_GETPOS, 0, 0), endPos);  // the thumb follows the typing
    EXPECT_EQ(Text(edit), c.typed);                           // typing is left alone

    EXPECT_EQ(effect->CloseSettings(), S_OK);
    EXPECT_FALSE(IsWindow(window));
  }
}

float GainOf(IAudioEffect* effect) {
  BYTE state[GainSettings::kStateSize];
  GainSettings read;
  if (effect->SaveState(state, sizeof state) == 0 || !effect_state::Decode(state, sizeof state, &read))
    return -1;
  return read.gain;
}

TEST_F(SettingsWindowTest, TypedTextIsHeldToTheLimitsAndJunkChangesNothing) {
  IAudioEffect* gain = Create(CLSID_KobrixGain);
  ASSERT_NE(gain, nullptr);
  HWND window = gain->ShowSettings(parent_);
  ASSERT_NE(window, nullptr);
  HWND edit = Child(window, WC_EDIT, 0);
  HWND track = Child(window, TRACKBAR_CLASS, 0);
  struct Typed {
    const char* text;
    float gain;         // taken (the gain was 1.5 before)
    const char* shown;  // once the edit loses the focus
  };
  const Typed cases[] = {
      {"2.5", 2.5f, "2.50"}, {"100", 16.0f, "16.00"}, {"-3", 0.0f, "0.00"},
      {"abc", 1.5f, "1.50"}, {"2x", 2.0f, "2.00"},  // "2" was taken on the way  {"nan", 1.5f, "1.50"},   {"
                                                    // 0.5 ", 0.5f, "0.50"},
  };
  for (const Typed& t : cases) {
    SCOPED_TRACE(t.text);
    SetFocus(edit);
    SendMessage(edit, EM_SETSEL, 0, -1);
    GuiType("1.5");
    GuiPumpMessages();
    ASSERT_EQ(GainOf(gain), 1.5f);
    changes.clear();
    SendMessage(edit, EM_SETSEL, 0, -1);
    GuiType(t.text);
    GuiPumpMessages();
    EXPECT_EQ(GainOf(gain), t.gain);
    EXPECT_EQ(changes.empty(), t.gain == 1.5f);
    SetFocus(track);
    GuiPumpMessages();
    EXPECT_EQ(Text(edit), t.shown);
  }
}

TEST_F(SettingsWindowTest, ALoadedStateShowsInTheOpenWindow) {
  IAudioEffect* eq = Create(CLSID_KobrixEqualizer);
  ASSERT_NE(eq, nullptr);
  HWND window = eq->ShowSettings(parent_);
  ASSERT_NE(window, nullptr);
  BYTE state[EqualizerSettings::kStateSize];
  effect_state::Encode(EqualizerSettings{2500.0f, -6.5f, 2.0f}, state);
  ASSERT_NE(eq->LoadState(state, sizeof state), 0);
  EXPECT_EQ(Text(Child(window, WC_EDIT, 0)), "2500.0");
  EXPECT_EQ(Text(Child(window, WC_EDIT, 1)), "-6.5");
  EXPECT_EQ(Text(Child(window, WC_EDIT, 2)), "2.00");
  EXPECT_EQ(SendMessage(Child(window, TRACKBAR_CLASS, 1), TBM_GETPOS, 0, 0), 175);  // (24 - 6.5) / 0.1
  // Showing the loaded state is no change of the user's.
  EXPECT_TRUE(changes.empty());
}

TEST_F(SettingsWindowTest, TheWindowGoesWithItsParentOrItsComponent) {
  IAudioEffect* echo = Create(CLSID_KobrixEcho);
  ASSERT_NE(echo, nullptr);
  HWND window = echo->ShowSettings(parent_);
  ASSERT_NE(window, nullptr);
  // Showing again brings up the same window.
  EXPECT_EQ(echo->ShowSettings(parent_), window);
  // The user closes it; it opens again.
  SendMessage(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  window = echo->ShowSettings(parent_);
  ASSERT_NE(window, nullptr);
  DestroyWindow(parent_);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(echo->CloseSettings(), S_OK);

  // A component released with its window open takes the window with it,
  // its edit holding the focus to the end.
  parent_ = CreateWindowEx(0, "SettingsParent", "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500,
                           400, nullptr, nullptr, nullptr, nullptr);
  IAudioEffect* gain = Create(CLSID_KobrixGain);
  ASSERT_NE(gain, nullptr);
  window = gain->ShowSettings(parent_);
  ASSERT_NE(window, nullptr);
  SetFocus(Child(window, WC_EDIT, 0));
  created_.pop_back();
  gain->Release();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(changes.empty());
}

// The program's table as each module takes it: anything short of the
// table it knows means no window layer.
TEST_F(SettingsWindowTest, WithoutAUsableTableThereIsNoSettingsWindow) {
  ASSERT_NE(Create(CLSID_KobrixGain), nullptr);  // loads the module
  void* module = dlopen(KOBRIX_EFFECT_MODULE_DIR "/libkxgain.so", RTLD_LAZY | RTLD_NOLOAD);
  ASSERT_NE(module, nullptr);
  auto give = reinterpret_cast<KobrixSetWindowServicesEntry>(dlsym(module, kSetWindowServicesEntry));
  ASSERT_NE(give, nullptr);
  KobrixWindowServices older = *HostWindowServices();
  older.version = 0;
  KobrixWindowServices shorter = *HostWindowServices();
  shorter.size = offsetof(KobrixWindowServices, dialogFont);
  struct Table {
    const char* name;
    const KobrixWindowServices* table;
    bool settings;
  };
  const Table tables[] = {{"none", nullptr, false},
                          {"older", &older, false},
                          {"shorter", &shorter, false},
                          {"the program's", HostWindowServices(), true}};
  for (const Table& t : tables) {
    SCOPED_TRACE(t.name);
    give(t.table);
    IAudioEffect* gain = Create(CLSID_KobrixGain);
    ASSERT_NE(gain, nullptr);
    EXPECT_EQ(gain->HasSettings() != 0, t.settings);
    HWND window = gain->ShowSettings(parent_);
    EXPECT_EQ(window != nullptr, t.settings);
    gain->CloseSettings();
  }
  give(HostWindowServices());
  dlclose(module);
}

}  // namespace
