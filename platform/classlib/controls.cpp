#include "platform/classlib/controls.h"

#include <algorithm>
#include <vector>

namespace {

std::string WindowText(HWND h) {
  const int n = GetWindowTextLength(h);
  std::string s(static_cast<std::size_t>(std::max(n, 0)) + 1, '\0');
  const int got = GetWindowText(h, s.data(), static_cast<int>(s.size()));
  s.resize(static_cast<std::size_t>(std::max(got, 0)));
  return s;
}

}  // namespace

// ---- TControl ----

TControl::TControl(TWindow* parent, int id, const char* title, int x, int y, int w, int h, TModule* module)
    : TWindow(parent, title, module) {
  Attr.Id = id;
  Attr.X = x;
  Attr.Y = y;
  Attr.W = w;
  Attr.H = h;
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
}

TControl::TControl(TWindow* parent, int resourceId, TModule* module) : TWindow(parent, nullptr, module) {
  Attr.Id = resourceId;
  ClearFlag(wfAutoCreate);
  SetFlag(wfFromResource);
}

// ---- TTooltip ----

TTooltip::TTooltip(TWindow* parent, bool alwaysTip, TModule* module)
    : TControl(parent, 0, nullptr, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, module) {
  Attr.Style = WS_POPUP | (alwaysTip ? TTS_ALWAYSTIP : 0);
}

const char* TTooltip::GetClassName() {
  return TOOLTIPS_CLASS;
}

void TTooltip::Activate(bool activate) {
  SendMessage(TTM_ACTIVATE, activate ? TRUE : FALSE);
}

void TTooltip::SetDelayTime(WPARAM which, int ms) {
  SendMessage(TTM_SETDELAYTIME, which, MAKELPARAM(ms, 0));
}

// ---- Buttons ----

TButton::TButton(TWindow* parent, int id, const char* text, int x, int y, int w, int h, bool isDefault,
                 TModule* module)
    : TControl(parent, id, text, x, y, w, h, module) {
  Attr.Style |= isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

TButton::TButton(TWindow* parent, int resourceId, TModule* module) : TControl(parent, resourceId, module) {}

const char* TButton::GetClassName() {
  return WC_BUTTON;
}

void TButton::Click() {
  SendMessage(BM_CLICK);
}

TCheckBox::TCheckBox(TWindow* parent, int id, const char* title, int x, int y, int w, int h, TGroupBox* group,
                     TModule* module)
    : TButton(parent, id, title, x, y, w, h, false, module), Group(group) {
  Attr.Style = (Attr.Style & ~0x0Fu) | BS_AUTOCHECKBOX;
}

TCheckBox::TCheckBox(TWindow* parent, int resourceId, TGroupBox* group, TModule* module)
    : TButton(parent, resourceId, module), Group(group) {}

UINT TCheckBox::GetCheck() const {
  return HWindow != nullptr ? static_cast<UINT>(::SendMessage(HWindow, BM_GETCHECK, 0, 0)) : 0;
}

void TCheckBox::SetCheck(UINT state) {
  if (HWindow != nullptr) ::SendMessage(HWindow, BM_SETCHECK, state, 0);
}

void TCheckBox::Toggle() {
  SetCheck(GetCheck() == Checked ? Unchecked : Checked);
}

TRadioButton::TRadioButton(TWindow* parent, int id, const char* title, int x, int y, int w, int h,
                           TGroupBox* group, TModule* module)
    : TCheckBox(parent, id, title, x, y, w, h, group, module) {
  Attr.Style = (Attr.Style & ~0x0Fu) | BS_AUTORADIOBUTTON;
}

TRadioButton::TRadioButton(TWindow* parent, int resourceId, TGroupBox* group, TModule* module)
    : TCheckBox(parent, resourceId, group, module) {}

TGroupBox::TGroupBox(TWindow* parent, int id, const char* text, int x, int y, int w, int h, TModule* module)
    : TControl(parent, id, text, x, y, w, h, module) {
  Attr.Style = (Attr.Style & ~WS_TABSTOP) | BS_GROUPBOX;
}

TGroupBox::TGroupBox(TWindow* parent, int resourceId, TModule* module)
    : TControl(parent, resourceId, module) {}

const char* TGroupBox::GetClassName() {
  return WC_BUTTON;
}

// ---- Static texts and edits ----

TStatic::TStatic(TWindow* parent, int id, const char* title, int x, int y, int w, int h, UINT textLimit,
                 TModule* module)
    : TControl(parent, id, title, x, y, w, h, module), TextLimit(textLimit) {
  Attr.Style = (Attr.Style & ~WS_TABSTOP);
}

TStatic::TStatic(TWindow* parent, int resourceId, UINT textLimit, TModule* module)
    : TControl(parent, resourceId, module), TextLimit(textLimit) {}

const char* TStatic::GetClassName() {
  return WC_STATIC;
}

void TStatic::SetText(const char* text) {
  std::string t = text != nullptr ? text : "";
  if (TextLimit > 0 && t.size() >= TextLimit) t.resize(TextLimit - 1);
  Title = t;
  if (HWindow != nullptr) ::SetWindowText(HWindow, t.c_str());
}

std::string TStatic::GetText() const {
  return HWindow != nullptr ? WindowText(HWindow) : Title;
}

int TStatic::GetText(char* buffer, int size) const {
  if (buffer == nullptr || size <= 0) return 0;
  return ::GetWindowText(HWindow, buffer, size);
}

TEdit::TEdit(TWindow* parent, int id, const char* text, int x, int y, int w, int h, UINT textLimit,
             bool multiline, TModule* module)
    : TStatic(parent, id, text, x, y, w, h, textLimit, module) {
  Attr.Style |= WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
  if (multiline) Attr.Style |= ES_MULTILINE | WS_VSCROLL;
}

TEdit::TEdit(TWindow* parent, int resourceId, UINT textLimit, TModule* module)
    : TStatic(parent, resourceId, textLimit, module) {}

const char* TEdit::GetClassName() {
  return WC_EDIT;
}

void TEdit::SetupWindow() {
  TStatic::SetupWindow();
  if (TextLimit > 0) LimitText(TextLimit - 1);
}

void TEdit::SetSelection(int start, int end) {
  SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end);
}

void TEdit::GetSelection(int& start, int& end) const {
  DWORD s = 0, e = 0;
  ::SendMessage(HWindow, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  start = static_cast<int>(s);
  end = static_cast<int>(e);
}

void TEdit::Insert(const char* text) {
  SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

bool TEdit::IsModified() const {
  return ::SendMessage(HWindow, EM_GETMODIFY, 0, 0) != 0;
}

void TEdit::ClearModify() {
  SendMessage(EM_SETMODIFY, FALSE);
}

void TEdit::SetReadOnly(bool readOnly) {
  SendMessage(EM_SETREADONLY, readOnly ? TRUE : FALSE);
}

int TEdit::GetNumLines() const {
  return static_cast<int>(::SendMessage(HWindow, EM_GETLINECOUNT, 0, 0));
}

void TEdit::LimitText(UINT limit) {
  SendMessage(EM_LIMITTEXT, limit);
}

// ---- List boxes ----

TListBox::TListBox(TWindow* parent, int id, int x, int y, int w, int h, TModule* module)
    : TControl(parent, id, nullptr, x, y, w, h, module) {
  Attr.Style |= WS_BORDER | WS_VSCROLL | LBS_NOTIFY;
}

TListBox::TListBox(TWindow* parent, int resourceId, TModule* module) : TControl(parent, resourceId, module) {}

const char* TListBox::GetClassName() {
  return WC_LISTBOX;
}

int TListBox::AddString(const char* text) {
  return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}
int TListBox::InsertString(const char* text, int index) {
  return static_cast<int>(
      SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
}
int TListBox::DeleteString(int index) {
  return static_cast<int>(SendMessage(LB_DELETESTRING, static_cast<WPARAM>(index)));
}
void TListBox::ClearList() {
  SendMessage(LB_RESETCONTENT);
}
int TListBox::GetCount() const {
  return static_cast<int>(::SendMessage(HWindow, LB_GETCOUNT, 0, 0));
}
int TListBox::FindExactString(const char* text, int indexStart) const {
  return static_cast<int>(::SendMessage(HWindow, LB_FINDSTRINGEXACT, static_cast<WPARAM>(indexStart),
                                        reinterpret_cast<LPARAM>(text)));
}
int TListBox::GetString(char* buffer, int index) const {
  return static_cast<int>(
      ::SendMessage(HWindow, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer)));
}
std::string TListBox::GetString(int index) const {
  const int n = GetStringLen(index);
  if (n < 0) return std::string();
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  const int got = GetString(s.data(), index);
  s.resize(static_cast<std::size_t>(std::clamp(got, 0, n)));
  return s;
}
int TListBox::GetStringLen(int index) const {
  return static_cast<int>(::SendMessage(HWindow, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0));
}
LPARAM TListBox::GetItemData(int index) const {
  return ::SendMessage(HWindow, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}
int TListBox::SetItemData(int index, LPARAM data) {
  return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), data));
}
int TListBox::GetSelIndex() const {
  return static_cast<int>(::SendMessage(HWindow, LB_GETCURSEL, 0, 0));
}
int TListBox::SetSelIndex(int index) {
  return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index)));
}
int TListBox::GetSelCount() const {
  return static_cast<int>(::SendMessage(HWindow, LB_GETSELCOUNT, 0, 0));
}
std::vector<int> TListBox::GetSelIndexes() const {
  const int n = GetSelCount();
  if (n <= 0) return {};
  std::vector<int> items(static_cast<std::size_t>(n), 0);
  const int got = static_cast<int>(
      ::SendMessage(HWindow, LB_GETSELITEMS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(items.data())));
  items.resize(static_cast<std::size_t>(std::clamp(got, 0, n)));
  return items;
}
int TListBox::SetSel(int index, bool select) {
  return static_cast<int>(SendMessage(LB_SETSEL, select ? TRUE : FALSE, index));
}
bool TListBox::GetSel(int index) const {
  return ::SendMessage(HWindow, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

// ---- Combo boxes ----

TComboBox::TComboBox(TWindow* parent, int id, int x, int y, int w, int h, DWORD style, UINT textLimit,
                     TModule* module)
    : TListBox(parent, id, x, y, w, h, module), TextLimit(textLimit) {
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | WS_VSCROLL | style;
}

TComboBox::TComboBox(TWindow* parent, int resourceId, UINT textLimit, TModule* module)
    : TListBox(parent, resourceId, module), TextLimit(textLimit) {}

const char* TComboBox::GetClassName() {
  return WC_COMBOBOX;
}

void TComboBox::SetupWindow() {
  TListBox::SetupWindow();
  if (TextLimit > 0) SendMessage(CB_LIMITTEXT, TextLimit - 1);
}

int TComboBox::AddString(const char* text) {
  return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}
int TComboBox::InsertString(const char* text, int index) {
  return static_cast<int>(
      SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
}
int TComboBox::DeleteString(int index) {
  return static_cast<int>(SendMessage(CB_DELETESTRING, static_cast<WPARAM>(index)));
}
void TComboBox::ClearList() {
  SendMessage(CB_RESETCONTENT);
}
int TComboBox::GetCount() const {
  return static_cast<int>(::SendMessage(HWindow, CB_GETCOUNT, 0, 0));
}
int TComboBox::FindExactString(const char* text, int indexStart) const {
  return static_cast<int>(::SendMessage(HWindow, CB_FINDSTRINGEXACT, static_cast<WPARAM>(indexStart),
                                        reinterpret_cast<LPARAM>(text)));
}
std::string TComboBox::GetString(int index) const {
  const int n = static_cast<int>(::SendMessage(HWindow, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0));
  if (n < 0) return std::string();
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  const int got = static_cast<int>(
      ::SendMessage(HWindow, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data())));
  s.resize(static_cast<std::size_t>(std::clamp(got, 0, n)));
  return s;
}
LPARAM TComboBox::GetItemData(int index) const {
  return ::SendMessage(HWindow, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}
int TComboBox::SetItemData(int index, LPARAM data) {
  return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), data));
}
int TComboBox::GetSelIndex() const {
  return static_cast<int>(::SendMessage(HWindow, CB_GETCURSEL, 0, 0));
}
int TComboBox::SetSelIndex(int index) {
  return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index)));
}
std::string TComboBox::GetText() const {
  return WindowText(HWindow);
}
void TComboBox::SetText(const char* text) {
  ::SetWindowText(HWindow, text != nullptr ? text : "");
}
void TComboBox::ShowList(bool show) {
  SendMessage(CB_SHOWDROPDOWN, show ? TRUE : FALSE);
}

// ---- Scroll bars and sliders ----

TScrollBar::TScrollBar(TWindow* parent, int id, int x, int y, int w, int h, bool isHScrollBar,
                       TModule* module)
    : TControl(parent, id, nullptr, x, y, w, h, module) {
  Attr.Style = (Attr.Style & ~WS_TABSTOP) | (isHScrollBar ? SBS_HORZ : SBS_VERT);
}

TScrollBar::TScrollBar(TWindow* parent, int resourceId, TModule* module)
    : TControl(parent, resourceId, module) {}

const char* TScrollBar::GetClassName() {
  return WC_SCROLLBAR;
}

void TScrollBar::SetupWindow() {
  TControl::SetupWindow();
  SetRange(Min, Max);
}

void TScrollBar::SetRange(int min, int max) {
  Min = min;
  Max = max;
  if (HWindow != nullptr) SendMessage(SBM_SETRANGE, static_cast<WPARAM>(min), max);
}

void TScrollBar::GetRange(int& min, int& max) const {
  min = Min;
  max = Max;
}

void TScrollBar::SetPosition(int position) {
  position = std::clamp(position, std::min(Min, Max), std::max(Min, Max));
  if (HWindow != nullptr && position != GetPosition())
    SendMessage(SBM_SETPOS, static_cast<WPARAM>(position), TRUE);
}

int TScrollBar::GetPosition() const {
  return HWindow != nullptr ? static_cast<int>(::SendMessage(HWindow, SBM_GETPOS, 0, 0)) : Min;
}

int TScrollBar::DeltaPos(int delta) {
  const int old = GetPosition();
  SetPosition(old + delta);
  return GetPosition() - old;
}

void TScrollBar::SBTop() {
  SetPosition(Min);
}

void TScrollBar::SBBottom() {
  SetPosition(Max);
}

bool TScrollBar::ChildScroll(UINT code, UINT pos) {
  switch (code) {
    case SB_LINEUP:
      SBLineUp();
      return true;
    case SB_LINEDOWN:
      SBLineDown();
      return true;
    case SB_PAGEUP:
      SBPageUp();
      return true;
    case SB_PAGEDOWN:
      SBPageDown();
      return true;
    case SB_THUMBPOSITION:
      SBThumbPosition(static_cast<int>(static_cast<short>(pos)));
      return true;
    case SB_THUMBTRACK:
      SBThumbTrack(static_cast<int>(static_cast<short>(pos)));
      return true;
    case SB_TOP:
      SBTop();
      return true;
    case SB_BOTTOM:
      SBBottom();
      return true;
  }
  return false;
}

TSlider::TSlider(TWindow* parent, int id, int x, int y, int w, int h, bool vertical, TResId thumbResId,
                 TModule* module)
    : TScrollBar(parent, id, x, y, w, h, !vertical, module), ThumbResId(thumbResId) {
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (vertical ? TBS_VERT : TBS_HORZ);
}

TSlider::TSlider(TWindow* parent, int resourceId, TResId thumbResId, TModule* module)
    : TScrollBar(parent, resourceId, module), ThumbResId(thumbResId) {}

const char* TSlider::GetClassName() {
  return TRACKBAR_CLASS;
}

TSlider::~TSlider() {
  if (HWindow != nullptr && ::IsWindow(HWindow)) SendMessage(TBM_SETTHUMBBITMAP, 0, 0);
  if (Thumb != nullptr) DeleteObject(Thumb);
}

void TSlider::SetupWindow() {
  TScrollBar::SetupWindow();
  SendMessage(TBM_SETLINESIZE, 0, LineMagnitude);
  SendMessage(TBM_SETPAGESIZE, 0, PageMagnitude);
  if (!ThumbResId.IsNull() && Thumb == nullptr) Thumb = Module->LoadBitmap(ThumbResId);
  if (Thumb != nullptr) SendMessage(TBM_SETTHUMBBITMAP, reinterpret_cast<WPARAM>(Thumb), 0);
  if (TicGap > 0) SetRuler(TicGap);
}

void TSlider::SetRuler(int ticGap) {
  TicGap = ticGap;
  if (HWindow == nullptr) return;
  const LONG style = GetWindowLong(HWindow, GWL_STYLE);
  SetWindowLong(HWindow, GWL_STYLE,
                ticGap > 0 ? style | TBS_AUTOTICKS : style & ~static_cast<LONG>(TBS_AUTOTICKS));
  SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(std::max(ticGap, 1)), 0);
}

void TSlider::SetRange(int min, int max) {
  Min = min;
  Max = max;
  if (HWindow != nullptr) SendMessage(TBM_SETRANGE, TRUE, MAKELPARAM(min, max));
}

void TSlider::SetPosition(int position) {
  position = std::clamp(position, std::min(Min, Max), std::max(Min, Max));
  if (HWindow != nullptr) SendMessage(TBM_SETPOS, TRUE, position);
}

int TSlider::GetPosition() const {
  return HWindow != nullptr ? static_cast<int>(::SendMessage(HWindow, TBM_GETPOS, 0, 0)) : Min;
}

bool TSlider::ChildScroll(UINT code, UINT) {
  if (code <= TB_BOTTOM) SetPosition(GetPosition());
  return true;
}
