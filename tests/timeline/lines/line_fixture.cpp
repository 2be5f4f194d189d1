#include "line_fixture.h"

#include <cstdio>

#include "model/edit_operations.h"
#include "model/film.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/menu.h"
#include "platform/gui/modal.h"
#include "timeline/lines/popup_menu_driver.h"

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

std::vector<std::string> ReadMenu(HMENU menu) {
  std::vector<std::string> items;
  popupmenu::Read(menu, "", items);
  return items;
}

std::vector<std::string> RightClickMenu(HWND line, POINT p, UINT command) {
  std::vector<std::string> items;
  SetModalHook([&](HWND popup) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessage(popup, MN_GETHMENU, 0, 0));
    items = ReadMenu(menu);
    if (command != 0) {
      EXPECT_TRUE(popupmenu::Choose(popup, menu, command))
          << command << " in " << ::testing::PrintToString(items);
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

POINT LineScreenPoint(HWND line, int x, int y) {
  POINT p{x, y};
  ClientToScreen(line, &p);
  return p;
}

void MouseMoveOver(HWND line, int x, int y) {
  const POINT p = LineScreenPoint(line, x, y);
  GuiMouseMove(p.x, p.y);
  GuiPumpMessages();
}

void MousePressOn(HWND line, int x, int y) {
  const POINT p = LineScreenPoint(line, x, y);
  GuiMouseMove(p.x, p.y);
  GuiMouseButton(0, true, p.x, p.y);
  GuiPumpMessages();
}

void MouseReleaseOn(HWND line, int x, int y) {
  const POINT p = LineScreenPoint(line, x, y);
  GuiMouseMove(p.x, p.y);
  GuiMouseButton(0, false, p.x, p.y);
  GuiPumpMessages();
}

void MouseClickOn(HWND line, int x, int y, int button) {
  const POINT p = LineScreenPoint(line, x, y);
  GuiMouseMove(p.x, p.y);
  GuiMouseButton(button, true, p.x, p.y);
  GuiMouseButton(button, false, p.x, p.y);
  GuiPumpMessages();
}

void MouseDoubleClickOn(HWND line, int x, int y) {
  const POINT p = LineScreenPoint(line, x, y);
  GuiMouseMove(p.x, p.y);
  for (int i = 0; i < 2; ++i) {
    GuiMouseButton(0, true, p.x, p.y);
    GuiMouseButton(0, false, p.x, p.y);
  }
  GuiPumpMessages();
}

void KeyStroke(int vk, bool down) {
  GuiKey(vk, down);
  GuiPumpMessages();
}

}  // namespace linetest
