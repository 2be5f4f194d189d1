#include "timeline/header/cur_time_text.h"

#include <algorithm>
#include <string>

#include "audio/effect_list.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/classlib/menu.h"
#include "resources/timeline_ids.h"
#include "resources/timeline_strip_ids.h"
#include "timeline/header/header_dialogs.h"
#include "timeline/header/strip_support.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"

namespace {

// The corner is a right triangle of this size at the lower left.
constexpr int kCornerSize = 10;
// The status text over the corner is cut to this.
constexpr std::size_t kStatusLength = 150;

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(TCurTimeText, TimeLineChild)
  EV_WM_LBUTTONDBLCLK,
  EV_WM_MOUSEMOVE,
  EV_WM_RBUTTONDOWN,
  EV_COMMAND(strip_command::kSetCurrentTime, CmSetCurrentTime),
  EV_COMMAND(strip_command::kMasterEffects, CmMasterEffects),
  EV_COMMAND(strip_command::kUseMasterEffects, CmUseMasterEffects),
  EV_COMMAND(strip_command::kPasteMasterEffects, CmPasteMasterEffects),
  EV_COMMAND(strip_command::kAddMasterEffects, CmAddMasterEffects),
  EV_COMMAND(strip_command::kDeleteMasterEffects, CmDeleteMasterEffects),
  EV_COMMAND_ENABLE(strip_command::kPasteMasterEffects, CePasteMasterEffects),
  EV_COMMAND_ENABLE(strip_command::kAddMasterEffects, CePasteMasterEffects),
  EV_COMMAND_ENABLE(strip_command::kDeleteMasterEffects, CeDeleteMasterEffects),
  EV_COMMAND_ENABLE(strip_command::kUseMasterEffects, CeUseMasterEffects),
END_RESPONSE_TABLE;
// clang-format on

TCurTimeText::TCurTimeText(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "CurTimeText", x, y, w, h) {}

const char* TCurTimeText::GetClassName() {
  return "CurTimeText";
}

EffectList* TCurTimeText::MasterList() {
  return dynamic_cast<EffectList*>(timeline_.Engine().masterEffects);
}

void TCurTimeText::Paint(TDC& dc, bool, TRect&) {
  const TRect client = GetClientRect();
  if (HFONT font = timeline_.TimeFont()) dc.SelectObject(font);
  ::ExtTextOut(dc, client.left, client.top, ETO_OPAQUE, &client, "", 0, nullptr);
  dc.DrawText(MsToShortTimeCode(timeline_.Engine().cursor, FALSE), -1, client,
              DT_SINGLELINE | DT_CENTER | DT_TOP | DT_NOPREFIX);
  if (EffectList* master = MasterList()) {
    const int color = master->bypass == 0 ? kColorUsedEffects : kColorNonUsedEffects;
    dc.SelectObject(timeline_.Pen(color));
    dc.SelectObject(timeline_.Brush(color));
    const POINT corner[] = {{client.left, client.bottom - kCornerSize},
                            {client.left, client.bottom},
                            {client.left + kCornerSize, client.bottom}};
    ::Polygon(dc, corner, 3);
  }
  dc.RestoreObjects();
}

bool TCurTimeText::InCorner(const TPoint& point) {
  const TRect client = GetClientRect();
  return MasterList() != nullptr && (point.x - client.left) + (client.bottom - point.y) < kCornerSize + 1;
}

void TCurTimeText::SetCursorKind(int kind) {
  cursorKind_ = kind;
  strip::SetClassCursor(*this, timeline_.Cursor(kind == kOverCorner ? kCursorEffects : 0));
}

void TCurTimeText::EvLButtonDblClk(UINT, const TPoint& point) {
  if (InCorner(point)) {
    timeline_.CmMasterEffects();
  } else {
    CmSetCurrentTime();
  }
}

void TCurTimeText::EvMouseMove(UINT, const TPoint& point) {
  if (!InCorner(point)) {
    SetCursorKind(kArrow);
    timeline_.ShowStatusText("");
    return;
  }
  SetCursorKind(kOverCorner);
  std::string text = GetString(ui_string::kProject);
  char described[kStatusLength + 1] = {};
  if (text.size() < kStatusLength) {
    EffectList::Describe(MasterList(), described, static_cast<int>(kStatusLength + 1 - text.size()));
  }
  text += described;
  text.resize(std::min(text.size(), kStatusLength));
  timeline_.ShowStatusText(text.c_str());
}

void TCurTimeText::EvRButtonDown(UINT, const TPoint& point) {
  if (timeline_.Engine().playing) return;
  EffectList* master = MasterList();
  const bool canPaste = EffectList::DefaultList() != nullptr;
  TPopupMenu menu;
  menu.AppendMenu(MF_STRING, strip_command::kSetCurrentTime, GetString(ui_string::kSetCurrentTimeItem));
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, strip_command::kMasterEffects,
                  GetString(master != nullptr ? ui_string::kEditEffectsItem : ui_string::kAddNewEffectsItem));
  menu.AppendMenu(MF_STRING | (canPaste ? MF_ENABLED : MF_GRAYED), strip_command::kPasteMasterEffects,
                  GetString(ui_string::kPasteEffectsItem));
  menu.AppendMenu(MF_STRING | (canPaste ? MF_ENABLED : MF_GRAYED), strip_command::kAddMasterEffects,
                  GetString(ui_string::kAddEffectsItem));
  menu.AppendMenu(MF_STRING | (master != nullptr ? MF_ENABLED : MF_GRAYED),
                  strip_command::kDeleteMasterEffects, GetString(ui_string::kDeleteEffectsItem));
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING | (master != nullptr ? MF_ENABLED : MF_GRAYED) |
                      (master != nullptr && master->bypass == 0 ? MF_CHECKED : MF_UNCHECKED),
                  strip_command::kUseMasterEffects, GetString(ui_string::kUseEffectsItem));
  TPoint screen = point;
  ClientToScreen(screen);
  menu.TrackPopupMenu(TPM_RIGHTBUTTON, screen, 0, HWindow);
}

// Paste and Add need a default list to copy from; Delete and Use a master list.
void TCurTimeText::CePasteMasterEffects(TCommandEnabler& ce) {
  ce.Enable(EffectList::DefaultList() != nullptr);
}

void TCurTimeText::CeDeleteMasterEffects(TCommandEnabler& ce) {
  ce.Enable(MasterList() != nullptr);
}

void TCurTimeText::CeUseMasterEffects(TCommandEnabler& ce) {
  EffectList* master = MasterList();
  ce.Enable(master != nullptr);
  ce.SetCheck(master != nullptr && master->bypass == 0 ? TCommandEnabler::Checked
                                                       : TCommandEnabler::Unchecked);
}

void TCurTimeText::CmSetCurrentTime() {
  TimeLineEngine& e = timeline_.Engine();
  int32_t t = e.cursor;
  if (CurrentHeaderDialogs().AskTime(HWindow, GetString(ui_string::kSetCurrentTime), t, 0,
                                     std::max(e.length - 1, 0))) {
    e.SetPlayCursor(t, true, HWindow);
  }
}

void TCurTimeText::CmMasterEffects() {
  timeline_.CmMasterEffects();
}

void TCurTimeText::CmUseMasterEffects() {
  timeline_.CmUseMasterEffects();
}
