#include "panel_fixture.h"

#include <cstring>

#include "platform/components/effects/effect_classes.h"
#include "support/effects_registry.h"
#include "support/file_bytes.h"

namespace paneltest {

namespace {

void ReadMenu(HMENU menu, const std::string& prefix, std::vector<std::string>& items) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    GetMenuString(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    if (HMENU sub = GetSubMenu(menu, i)) {
      items.push_back(prefix + text + ">");
      ReadMenu(sub, prefix + text + ">", items);
      continue;
    }
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if (state & MF_SEPARATOR) {
      items.push_back(prefix + "-");
      continue;
    }
    std::string item = prefix + text + "=" + std::to_string(GetMenuItemID(menu, i));
    if (state & MF_GRAYED) item += " grey";
    if (state & MF_CHECKED) item += " checked";
    items.push_back(item);
  }
}

// Items before position end that the keys stop at.
int Stops(HMENU menu, int end) {
  int n = 0;
  for (int k = 0; k < end; ++k) {
    n += GetSubMenu(menu, k) != nullptr ||
         !(GetMenuState(menu, static_cast<UINT>(k), MF_BYPOSITION) & MF_SEPARATOR);
  }
  return n;
}

// Chooses command in menu with the keys, a submenu's too; false when it is
// not there.
bool ChooseItem(HMENU menu, UINT command) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      for (int j = 0; j < GetMenuItemCount(sub); ++j) {
        if (GetMenuItemID(sub, j) != command) continue;
        for (int k = 0; k <= Stops(menu, i); ++k) GuiPressKey(VK_DOWN);
        GuiPressKey(VK_RETURN);
        for (int k = 0; k < Stops(sub, j); ++k) GuiPressKey(VK_DOWN);
        GuiPressKey(VK_RETURN);
        return true;
      }
    } else if (GetMenuItemID(menu, i) == command) {
      for (int k = 0; k <= Stops(menu, i); ++k) GuiPressKey(VK_DOWN);
      GuiPressKey(VK_RETURN);
      return true;
    }
  }
  return false;
}

}  // namespace

void PanelTest::SetUp() {
  TimeLineTest::SetUp();
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  comReady_ = true;
  WriteFileText(RegistryFilePath(), BuildEffectsRegistryText());
  ForgetInstalledComponents();
  bitmaps_ = std::make_unique<TEBitmapInit>();
  TEBitmapInit::LoadStockBitmaps(nullptr);
  players_.audio = true;
}

void PanelTest::TearDown() {
  SetModalHook(nullptr);
  TimeLineTest::TearDown();
  EffectList::SetDefault(nullptr);
  EffectList::FreeAll();
  ForgetInstalledComponents();
  bitmaps_.reset();
  if (comReady_) CoUninitialize();
  GuiPumpMessages();
}

MainTimeLineWindow& PanelTest::OpenPanels(std::vector<int> audioZooms) {
  for (std::size_t i = 0; i < audioZooms.size(); ++i) {
    const std::string key = "ZOOM_AUDIO" + std::to_string(i);
    Ini("TIMELINE", key.c_str(), std::to_string(audioZooms[i]).c_str());
  }
  Ini("TIMELINE", "MAX_AUDIO_LINE", std::to_string(audioZooms.size()).c_str());
  MainTimeLineWindow& w = Open(1000, 760, &players_);
  GuiPumpMessages();
  return w;
}

POINT PanelTest::SoloButton(TAVButtons& panel, int32_t row) {
  const TrackRecord& r = panel.Panel()[row];
  return {Right(panel) - kPanelButtonWidth / 2, r.top + r.height / 4};
}

POINT PanelTest::MuteButton(TAVButtons& panel, int32_t row) {
  const TrackRecord& r = panel.Panel()[row];
  return {Right(panel) - kPanelButtonWidth / 2, r.top + 3 * r.height / 4};
}

POINT PanelTest::NameArea(TAVButtons& panel, int32_t row) {
  const TrackRecord& r = panel.Panel()[row];
  return {(Right(panel) - kPanelButtonWidth) / 2, r.top + r.height / 2};
}

POINT PanelTest::Triangle(TAVButtons&, int32_t row) {
  const TrackRecord& r = AudioRow(row);
  return {1, r.bottom - 1};
}

void PanelTest::Click(TAVButtons& panel, POINT p) {
  clock_.Advance(GetDoubleClickTime() + 1);
  GuiClick(panel.GetHandle(), p.x, p.y);
  GuiPumpMessages();
}

void PanelTest::DoubleClick(TAVButtons& panel, POINT p) {
  clock_.Advance(GetDoubleClickTime() + 1);
  GuiClick(panel.GetHandle(), p.x, p.y);
  GuiClick(panel.GetHandle(), p.x, p.y);
  GuiPumpMessages();
}

std::vector<std::string> PanelTest::RightClick(TAVButtons& panel, int32_t row, UINT command) {
  std::vector<std::string> items;
  SetModalHook([&](HWND popup) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessage(popup, MN_GETHMENU, 0, 0));
    ReadMenu(menu, "", items);
    if (command != 0) {
      EXPECT_TRUE(ChooseItem(menu, command)) << command;
    }
  });
  SetFocus(panel.GetHandle());
  clock_.Advance(GetDoubleClickTime() + 1);
  const POINT c = NameArea(panel, row);
  POINT s = c;
  ClientToScreen(panel.GetHandle(), &s);
  GuiMouseMove(s.x, s.y);
  GuiMouseButton(1, true, s.x, s.y);
  GuiPumpMessages();
  GuiMouseButton(1, false, s.x, s.y);
  GuiPumpMessages();
  SetModalHook(nullptr);
  return items;
}

void PanelTest::Choose(TAVButtons& panel, int32_t row, UINT command) {
  RightClick(panel, row, command);
  GuiPumpMessages();
}

std::vector<bool> PanelTest::Solo() {
  std::vector<bool> v;
  for (int32_t i = 0; i < 4; ++i) v.push_back(AudioRow(i).solo != 0);
  return v;
}

std::vector<bool> PanelTest::Mute() {
  std::vector<bool> v;
  for (int32_t i = 0; i < 4; ++i) v.push_back(AudioRow(i).mute != 0);
  return v;
}

EffectList* PanelTest::GainList(std::vector<float> gains) {
  EffectList* list = EffectList::New();
  for (float g : gains) {
    Effect* e = Effect::Create(CLSID_KobrixGain, "Gain");
    EXPECT_NE(e, nullptr);
    if (e == nullptr) continue;
    BYTE state[GainSettings::kStateSize];
    effect_state::Encode(GainSettings{g}, state);
    EXPECT_NE(e->component->LoadState(state, sizeof state), 0);
    e->SaveState();
    list->Insert(e, nullptr);
  }
  list->Open(static_cast<AudioSource*>(nullptr));
  return list;
}

float PanelTest::LiveGain(const Effect* e) {
  if (e == nullptr || e->component == nullptr) return -1.0f;
  BYTE state[GainSettings::kStateSize];
  if (!e->component->SaveState(state, sizeof state)) return -1.0f;
  GainSettings s;
  return effect_state::Decode(state, sizeof state, &s) ? s.gain : -1.0f;
}

float PanelTest::SavedGain(const Effect* e) {
  GainSettings s;
  return e != nullptr && effect_state::Decode(e->state.get(), e->stateSize, &s) ? s.gain : -1.0f;
}

int PanelTest::CountLists() {
  int n = 0;
  for (EffectList* l = EffectList::FirstList(); l != nullptr; l = l->next) ++n;
  return n;
}

}  // namespace paneltest
