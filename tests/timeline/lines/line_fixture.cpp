#include "line_fixture.h"

#include <cstdio>

#include "model/edit_operations.h"
#include "model/film.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/menu.h"
#include "platform/gui/modal.h"

namespace linetest {

void RecordingTimeLine::CutClipToClipboard(Film* film) {
  Log("cut clip " + std::string(film->name));
}

void RecordingTimeLine::CopyClipToClipboard(Film* film) {
  Log("copy clip " + std::string(film->name));
}

FakeCollection::FakeCollection() {
  window = CreateWindowEx(0, "STATIC", "Clips", WS_POPUP | WS_VISIBLE, 1200, 100, 300, 300, nullptr, nullptr,
                          nullptr, nullptr);
  EXPECT_NE(window, nullptr);
}

FakeCollection::~FakeCollection() {
  if (window != nullptr) DestroyWindow(window);
}

bool FakeCollection::PasteClip(Film* film, int*) {
  pasted.push_back(film->name);
  return true;
}

bool ScriptedDialogs::EditName(HWND, const char* caption, char* text, int size) {
  captions.push_back(caption);
  asked.push_back(text);
  if (!ok) return false;
  std::snprintf(text, static_cast<std::size_t>(size), "%s", name.c_str());
  return true;
}

bool ScriptedDialogs::EditTime(HWND, const char* caption, int32_t& t, int32_t lo, int32_t hi) {
  captions.push_back(caption);
  limits.push_back({lo, hi});
  if (!ok) return false;
  t = time;
  return true;
}

namespace {

// A popup that writes both of its variables as the user moves its
// controls, and puts the opening values back on Cancel.
bool LivePopup(ScriptedDialogs& d, const char* caption, const RECT& rect, int x, int y, int32_t* a,
               int32_t* b, int32_t value) {
  d.captions.push_back(caption);
  d.places.push_back({x, y});
  d.rects.push_back(rect);
  d.opened.push_back(*a);
  const int32_t oldA = *a, oldB = *b;
  *a = value;
  *b = value;
  if (d.whileOpen) d.whileOpen();
  if (!d.ok) {
    *a = oldA;
    *b = oldB;
  }
  return d.ok;
}

}  // namespace

bool ScriptedDialogs::EditLevel(HWND, const char* caption, const RECT& rect, int x, int y, int32_t* gain,
                                int32_t* gain2) {
  return LivePopup(*this, caption, rect, x, y, gain, gain2, level);
}

bool ScriptedDialogs::EditBalance(HWND, const char* caption, const RECT& rect, int x, int y,
                                  int32_t* balance1, int32_t* balance2) {
  return LivePopup(*this, caption, rect, x, y, balance1, balance2, balance);
}

bool ScriptedDialogs::EditVolumeBalance(HWND, const char* caption, const RECT& rect, int x, int y,
                                        int32_t* gain, int32_t* pan) {
  captions.push_back(caption);
  places.push_back({x, y});
  rects.push_back(rect);
  opened.push_back(*gain);
  const int32_t oldGain = *gain, oldPan = *pan;
  *gain = level;
  *pan = balance;
  if (whileOpen) whileOpen();
  if (!ok) {
    *gain = oldGain;
    *pan = oldPan;
  }
  return ok;
}

bool ScriptedDialogs::EditEffects(HWND, EffectList* list, Film* film) {
  captions.push_back("effects");
  if (effects) effects(list, film);
  return ok;
}

namespace {

void Read(HMENU menu, const std::string& prefix, std::vector<std::string>& items) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    GetMenuString(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    if (HMENU sub = GetSubMenu(menu, i)) {
      items.push_back(prefix + text + ">");
      Read(sub, prefix + text + ">", items);
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

void ClickItem(HWND popup, HMENU menu, int pos) {
  RECT r;
  ASSERT_TRUE(GetMenuItemRect(popup, menu, static_cast<UINT>(pos), &r));
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  GuiMouseMove(x, y);
  GuiMouseButton(0, true, x, y);
  GuiMouseButton(0, false, x, y);
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

// Chooses command in menu, a submenu's with the keys; false when it is not
// there.
bool Choose(HWND popup, HMENU menu, UINT command) {
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
      ClickItem(popup, menu, i);
      return true;
    }
  }
  return false;
}

}  // namespace

std::vector<std::string> ReadMenu(HMENU menu) {
  std::vector<std::string> items;
  Read(menu, "", items);
  return items;
}

std::vector<std::string> RightClickMenu(HWND line, POINT p, UINT command) {
  std::vector<std::string> items;
  SetModalHook([&](HWND popup) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessage(popup, MN_GETHMENU, 0, 0));
    items = ReadMenu(menu);
    if (command != 0) {
      EXPECT_TRUE(Choose(popup, menu, command)) << command << " in " << ::testing::PrintToString(items);
    }
  });
  // The keys that work a submenu go where the focus is.
  SetFocus(line);
  GuiMouseMove(p.x, p.y);
  GuiMouseButton(1, true, p.x, p.y);
  GuiPumpMessages();
  GuiMouseButton(1, false, p.x, p.y);
  GuiPumpMessages();
  SetModalHook(nullptr);
  return items;
}

}  // namespace linetest
