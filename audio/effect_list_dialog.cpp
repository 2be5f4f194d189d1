#include "audio/effect_list_dialog.h"

#include <cstring>
#include <memory>
#include <new>

#include "audio/effect_dialog_host.h"
#include "audio/effect_list.h"
#include "audio/fft_spec.h"
#include "audio/installed_components.h"
#include "media/audio_data.h"
#include "model/film.h"
#include "model/message_box.h"
#include "resources/effect_dialog_ids.h"
#include "ui/bmp_button.h"
#include "ui/no_filters_dialog.h"
#include "ui/value_dialogs.h"

namespace {

constexpr UINT kPrivateMessage = WM_USER + 99;
constexpr int kButtonIds[14] = {kEffectAddAbove,    kEffectAddBelow, kEffectRemove,  kEffectSettings,
                                kEffectMoveUp,      kEffectMoveDown, kEffectRename,  kEffectResponse,
                                kEffectCopyList,    kEffectPaste,    kEffectClear,   kEffectSave,
                                kEffectLoad,        kEffectListResponse};

void Beep() {
  CurrentMessageBoxPresenter().Beep(MB_OK);
}

bool Bypassed(const Effect* e) {
  return e == nullptr || e->component == nullptr || e->component->IsBypassed() != 0;
}

bool HasSettings(const Effect* e) {
  return e != nullptr && e->component != nullptr && e->component->HasSettings() != 0;
}

void CloseSettings(Effect* e) {
  if (e != nullptr && e->component != nullptr) e->component->CloseSettings();
}

}  // namespace

bool CopyEffectState(Effect* from, Effect* to) {
  if (from == nullptr || to == nullptr || from->component == nullptr || to->component == nullptr) return false;
  const LONG size = from->component->GetStateSize(0);
  if (size < 1) return true;
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[size]);
  return buffer && from->component->SaveState(buffer.get(), size) != 0 &&
         to->component->LoadState(buffer.get(), size) != 0;
}

// ---- EffectListBox ----

// clang-format off
DEFINE_RESPONSE_TABLE1(EffectListBox, TListBox)
  EV_WM_LBUTTONDOWN,
  EV_WM_LBUTTONDBLCLK,
  EV_WM_RBUTTONDOWN,
  EV_WM_KEYDOWN,
END_RESPONSE_TABLE;
// clang-format on

EffectListBox::EffectListBox(EffectListDialog* dialog_, int resourceId)
    : TListBox(dialog_, resourceId), dialog(dialog_) {}

Effect* EffectListBox::EffectAt(int index) const {
  return dialog->EffectAt(index);
}

int EffectListBox::ItemHeight() const {
  const LRESULT h = ::SendMessage(HWindow, LB_GETITEMHEIGHT, 0, 0);
  return h > 0 ? static_cast<int>(h) : 16;
}

int EffectListBox::SquareAt(const TPoint& point) const {
  if (point.x >= ItemHeight()) return -1;
  const LRESULT hit = ::SendMessage(HWindow, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
  if (HIWORD(hit) != 0) return -1;
  const int index = LOWORD(hit);
  return index < GetCount() ? index : -1;
}

void EffectListBox::Toggle(int index) {
  Effect* e = EffectAt(index);
  // An effect without a component counts as bypassed and stays so.
  if (e == nullptr || e->component == nullptr) return;
  e->component->SetBypass(e->component->IsBypassed() == 0);
  dialog->EffectChanged(2, index);
}

void EffectListBox::DrawItem(DRAWITEMSTRUCT& di) {
  if (di.itemID == static_cast<UINT>(-1) || !(di.itemAction & (ODA_DRAWENTIRE | ODA_SELECT | ODA_FOCUS))) return;
  HDC dc = di.hDC;
  const RECT r = di.rcItem;
  const int side = r.bottom - r.top;
  const Effect* e = EffectAt(static_cast<int>(di.itemID));
  if (di.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
    // The check square: a sunken white box, ticked while the effect plays.
    RECT box{r.left + 2, r.top + 2, r.left + side - 2, r.bottom - 2};
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT);
    if (!Bypassed(e)) {
      HPEN pen = CreatePen(PS_SOLID, 2, GetSysColor(COLOR_WINDOWTEXT));
      HGDIOBJ old = SelectObject(dc, pen);
      const int x0 = box.left + 3, y0 = (box.top + box.bottom) / 2;
      MoveToEx(dc, x0, y0, nullptr);
      LineTo(dc, x0 + 2, box.bottom - 4);
      LineTo(dc, box.right - 3, box.top + 3);
      SelectObject(dc, old);
      DeleteObject(pen);
    }
    const bool selected = (di.itemState & ODS_SELECTED) != 0;
    RECT text{r.left + side, r.top, r.right, r.bottom};
    FillRect(dc, &text, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::string name = GetString(static_cast<int>(di.itemID));
    RECT inner = text;
    inner.left += 2;
    DrawText(dc, name.c_str(), -1, &inner, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
  }
  if ((di.itemState & ODS_FOCUS) || (di.itemAction & ODA_FOCUS)) {
    if (di.itemState & ODS_FOCUS) {
      RECT focus{r.left + side, r.top, r.right, r.bottom};
      DrawFocusRect(dc, &focus);
    }
  }
}

void EffectListBox::EvLButtonDown(UINT, const TPoint& point) {
  const int index = SquareAt(point);
  DefaultProcessing();
  if (index >= 0) Toggle(index);
}

void EffectListBox::EvLButtonDblClk(UINT, const TPoint& point) {
  const int index = SquareAt(point);
  if (index >= 0) {
    Toggle(index);
    return;
  }
  DefaultProcessing();
}

void EffectListBox::EvKeyDown(UINT key, UINT, UINT) {
  if (key == VK_SPACE) {
    if (GetSelIndex() >= 0) Toggle(GetSelIndex());
    return;
  }
  if (key == VK_DELETE) {
    dialog->CmRemove();
    return;
  }
  DefaultProcessing();
}

void EffectListBox::EvRButtonDown(UINT, const TPoint& point) {
  const int height = ItemHeight();
  const int top = static_cast<int>(::SendMessage(HWindow, LB_GETTOPINDEX, 0, 0));
  int index = -1;
  for (int i = top; i < GetCount(); ++i) {
    if ((i - top + 1) * height > point.y) {
      index = i;
      break;
    }
  }
  Effect* e = EffectAt(index);
  if (e == nullptr) return;
  SetSelIndex(index);
  dialog->UpdateButtons();
  HMENU menu = CreatePopupMenu();
  const bool canPaste = !CurrentEffectDialogHost().Playing() && EffectList::DefaultList() != nullptr;
  AppendMenu(menu, MF_STRING, kEffectSettings, "Edit");
  AppendMenu(menu, MF_STRING | (Bypassed(e) ? MF_CHECKED : 0), kEffectBypass, "Bypass");
  AppendMenu(menu, MF_STRING, kEffectRename, "Change Name");
  AppendMenu(menu, MF_STRING, kEffectRestoreName, "Restore Name");
  AppendMenu(menu, MF_STRING, kEffectResponse, "Show Frequency Response");
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu, MF_STRING, kEffectCopyOne, "Copy this effect only");
  AppendMenu(menu, MF_STRING | (canPaste ? 0 : MF_GRAYED), kEffectPaste, "Paste effect(s)");
  AppendMenu(menu, MF_STRING, kEffectRemove, "Delete");
  POINT screen{point.x, point.y};
  ::ClientToScreen(HWindow, &screen);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, dialog->GetHandle(), nullptr);
  DestroyMenu(menu);
}

// ---- EffectListDialog ----

EffectListDialog* EffectListDialog::open = nullptr;

// clang-format off
DEFINE_RESPONSE_TABLE1(EffectListDialog, TEDialog)
  EV_COMMAND(kEffectAddAbove, CmAddAbove),
  EV_COMMAND(kEffectAddBelow, CmAddBelow),
  EV_COMMAND(kEffectRemove, CmRemove),
  EV_COMMAND(kEffectSettings, CmSettings),
  EV_COMMAND(kEffectMoveUp, CmMoveUp),
  EV_COMMAND(kEffectMoveDown, CmMoveDown),
  EV_COMMAND(kEffectRename, CmRename),
  EV_COMMAND(kEffectRestoreName, CmRestoreName),
  EV_COMMAND(kEffectBypass, CmBypass),
  EV_COMMAND(kEffectCopyOne, CmCopyEffect),
  EV_COMMAND(kEffectCopyList, CmCopyList),
  EV_COMMAND(kEffectPaste, CmPaste),
  EV_COMMAND_ENABLE(kEffectPaste, CePaste),
  EV_COMMAND(kEffectClear, CmClear),
  EV_COMMAND(kEffectSave, CmSave),
  EV_COMMAND(kEffectLoad, CmLoad),
  EV_COMMAND(kEffectResponse, CmEffectResponse),
  EV_COMMAND(kEffectListResponse, CmListResponse),
  EV_COMMAND(kEffectPreview, CmPreview),
  EV_COMMAND(kEffectSkipAll, CmSkipAll),
  EV_COMMAND(kEffectOk, CmEndOk),
  EV_LBN_SELCHANGE(kEffectList, EvListSelChange),
  EV_LBN_DBLCLK(kEffectList, EvListDblClk),
  EV_MESSAGE(kPrivateMessage, EvPrivate),
  EV_MESSAGE(kEffectChangedMessage, EvEffectChanged),
  EV_MESSAGE(WM_MOUSEMOVE, EvRelayMouse),
  EV_MESSAGE(WM_LBUTTONDOWN, EvRelayMouse),
  EV_MESSAGE(WM_LBUTTONUP, EvRelayMouse),
END_RESPONSE_TABLE;
// clang-format on

EffectListDialog::EffectListDialog(TWindow* parent, EffectList* list_, Film* ownerClip_, int32_t ownerId_)
    : TEDialog(parent, kEffectListDialog),
      ownerId(ownerId_),
      ownerClip(ownerClip_),
      list(list_),
      listBox(new EffectListBox(this, kEffectList)),
      skipAll(new TCheckBox(this, kEffectSkipAll)),
      preview(new TEBmpButton(this, kEffectPreview, kEffectPreview, 2)) {
  for (std::size_t i = 0; i < buttons.size(); ++i) buttons[i] = new TEBmpButton(this, kButtonIds[i], kButtonIds[i], 1);
  next = open;
  open = this;
}

EffectListDialog::EffectListDialog(TWindow* parent, EffectList* list_, Film* ownerClip_)
    : EffectListDialog(parent, list_, ownerClip_, -2) {}

EffectListDialog* EffectListDialog::EffectListDialogById(TWindow* parent, EffectList* list, int32_t id) {
  return new EffectListDialog(parent, list, nullptr, id >= 0 ? id : -1);
}

EffectListDialog::~EffectListDialog() {
  StopAnalysis();
  for (EffectListDialog** p = &open; *p != nullptr; p = &(*p)->next) {
    if (*p == this) {
      *p = next;
      break;
    }
  }
}

EffectListDialog* EffectListDialog::FindOpen(int32_t id) {
  for (EffectListDialog* d = open; d != nullptr; d = d->next)
    if (d->ownerId == -2) return d;
  const int32_t wanted = id >= 0 ? id : -1;
  for (EffectListDialog* d = open; d != nullptr; d = d->next)
    if (d->ownerId == wanted) return d;
  return nullptr;
}

void EffectListDialog::RefreshAll(int32_t code, int32_t value) {
  for (EffectListDialog* d = open; d != nullptr; d = d->next)
    if (d->GetHandle() != nullptr) d->PlayState(code, value);
}

void EffectListDialog::SetupWindow() {
  TEDialog::SetupWindow();
  if (ownerId == -2)
    SetWindowText(HWindow, "Clip Effects List Dialog");
  else if (ownerId == -1)
    SetWindowText(HWindow, "Master Effects List Dialog");
  else
    SetWindowText(HWindow, FormatText("Track # %d Effects List Dialog", ownerId + 1).c_str());
  count = 0;
  if (list != nullptr) {
    for (Effect* e = list->first; e != nullptr; e = e->next) {
      listBox->AddString(e->name);
      ++count;
      if (e->component != nullptr) e->component->SetId(idCounter++);
    }
  }
  listBox->SetSelIndex(0);
  skipAll->SetCheck(list != nullptr && list->bypass ? TCheckBox::Checked : TCheckBox::Unchecked);
  PlayState(CurrentEffectDialogHost().Playing() ? kEffectDialogsPlaying : kEffectDialogsStopped, 0);

  tooltip = new TTooltip(this);
  tooltip->Create();
  tooltip->SetDelayTime(TTDT_INITIAL, 500);
  for (TEBmpButton* b : buttons) b->AddTooltip(tooltip, HWindow);
  preview->AddTooltip(tooltip, HWindow);
  preview->SetTooltipText(preview->GetState(),
                          CurrentEffectDialogHost().Playing() ? "Stop preview" : "Realtime preview");
  tooltip->Activate(true);
}

void EffectListDialog::CleanupWindow() {
  EffectDialogHost& host = CurrentEffectDialogHost();
  if (previewing && host.Playing()) host.Stop();
  previewing = false;
  StopAnalysis();
  for (EffectListDialog** p = &open; *p != nullptr; p = &(*p)->next) {
    if (*p == this) {
      *p = next;
      break;
    }
  }
  next = nullptr;
  if (list != nullptr)
    for (Effect* e = list->first; e != nullptr; e = e->next) CloseSettings(e);
  TEDialog::CleanupWindow();
}

LRESULT EffectListDialog::EvRelayMouse(WPARAM, LPARAM) {
  RelayToTooltip(tooltip, HWindow, CurrentEvent.Msg, CurrentEvent.WParam, CurrentEvent.LParam);
  return DefaultProcessing();
}

AudioData* EffectListDialog::Source() const {
  return ownerClip != nullptr && ownerClip->audio != nullptr ? dynamic_cast<AudioData*>(ownerClip->audio) : nullptr;
}

Effect* EffectListDialog::EffectAt(int index) const {
  if (list == nullptr || index < 0) return nullptr;
  Effect* e = list->first;
  while (e != nullptr && index-- > 0) e = e->next;
  return e;
}

Effect* EffectListDialog::Selected() const {
  return listBox->GetHandle() != nullptr ? EffectAt(listBox->GetSelIndex()) : nullptr;
}

int EffectListDialog::IndexOf(const Effect* effect) const {
  int i = 0;
  for (Effect* e = list != nullptr ? list->first : nullptr; e != nullptr; e = e->next, ++i)
    if (e == effect) return i;
  return -1;
}

void EffectListDialog::Enable(int id, bool enable) {
  if (HWND item = ::GetDlgItem(HWindow, id)) {
    if (::IsWindowEnabled(item) != (enable ? TRUE : FALSE)) EnableItem(id, enable);
  }
}

void EffectListDialog::UpdateButtons() {
  if (HWindow == nullptr) return;
  Effect* e = Selected();
  const bool any = e != nullptr;
  Enable(kEffectRename, any);
  Enable(kEffectRemove, any);
  Enable(kEffectMoveUp, any && e->prev != nullptr);
  Enable(kEffectMoveDown, any && e->next != nullptr);
  Enable(kEffectSettings, HasSettings(e));
  Enable(kEffectClear, any);
  Enable(kEffectSave, any);
  Enable(kEffectCopyList, any);
  Enable(kEffectPaste, EffectList::DefaultList() != nullptr);
  Enable(kEffectResponse, any && !(analyser != nullptr && analysisList != nullptr));
  if (!any) ::SendMessage(HWindow, DM_SETDEFID, IDOK, 0);
}

bool EffectListDialog::PreviewPossible() const {
  if (ownerClip != nullptr) return true;
  return CurrentEffectDialogHost().AudioToPreview(ownerId);
}

void EffectListDialog::PlayState(int32_t code, int32_t value) {
  if (code == kEffectDialogsPlaying) {
    preview->SetTooltipText(1, "Stop preview");
    Enable(kEffectPreview, true);
    for (int id : {kEffectAddAbove, kEffectAddBelow, kEffectRemove, kEffectMoveUp, kEffectMoveDown, kEffectResponse,
                   kEffectListResponse, kEffectClear, kEffectSave, kEffectLoad, kEffectCopyList, kEffectPaste})
      Enable(id, false);
  } else if (code == kEffectDialogsStopped) {
    preview->SetTooltipText(0, "Realtime preview");
    previewing = false;
    Enable(kEffectPreview, PreviewPossible());
    for (int id : {kEffectAddAbove, kEffectAddBelow, kEffectListResponse, kEffectLoad}) Enable(id, true);
    UpdateButtons();
  } else if (code == kEffectDialogsCommands) {
    Enable(kEffectPreview, value != 0 && PreviewPossible());
    Enable(kEffectResponse, value != 0);
    Enable(kEffectListResponse, value != 0);
  }
}

void EffectListDialog::EvListSelChange() {
  if (::GetFocus() == listBox->GetHandle() && listBox->GetCount() > 0) UpdateButtons();
}

void EffectListDialog::EvListDblClk() {
  CmSettings();
}

void EffectListDialog::SetItemText(int index, const char* text) {
  const int selected = listBox->GetSelIndex();
  listBox->DeleteString(index);
  listBox->InsertString(text, index);
  listBox->SetSelIndex(selected);
}

void EffectListDialog::AddEffect(bool above) {
  Effect* created = nullptr;
  SelectEffectDialog select(this, &created, Source());
  if (select.Execute() != IDOK || created == nullptr) return;
  Effect* at = Selected();
  int index = 0;
  if (at == nullptr) {
    list->InsertBefore(created, list->first);
  } else if (above) {
    index = IndexOf(at);
    list->InsertBefore(created, at);
  } else {
    index = IndexOf(at) + 1;
    list->Insert(created, at);
  }
  listBox->InsertString(created->name, index);
  listBox->SetSelIndex(index);
  ++count;
  UpdateButtons();
  RefreshAnalysis(true);
  CmSettings();
}

void EffectListDialog::DestroyEffect(Effect* effect) {
  CloseSettings(effect);
  list->Unlink(effect);
  delete effect;
}

void EffectListDialog::CmRemove() {
  if (count < 1) {
    Beep();
    return;
  }
  const int index = listBox->GetSelIndex();
  Effect* e = EffectAt(index);
  if (e == nullptr) {
    Beep();
    return;
  }
  if (analysedEffect == e) StopAnalysis();
  DestroyEffect(e);
  listBox->DeleteString(index);
  --count;
  listBox->SetSelIndex(index < count ? index : count - 1);
  UpdateButtons();
  RefreshAnalysis(true);
}

void EffectListDialog::Move(bool up) {
  Effect* e = Selected();
  Effect* other = e == nullptr ? nullptr : up ? e->prev : e->next;
  if (other == nullptr) {
    Beep();
    return;
  }
  const int index = listBox->GetSelIndex();
  list->Unlink(e);
  if (up)
    list->InsertBefore(e, other);
  else
    list->Insert(e, other);
  listBox->DeleteString(index);
  const int to = up ? index - 1 : index + 1;
  listBox->InsertString(e->name, to);
  listBox->SetSelIndex(to);
  UpdateButtons();
  RefreshAnalysis(true);
}

void EffectListDialog::CmSettings() {
  Effect* e = Selected();
  if (!HasSettings(e)) {
    Beep();
    return;
  }
  e->component->ShowSettings(HWindow);
  e->component->SetId(idCounter++);
}

void EffectListDialog::CmRename() {
  Effect* e = Selected();
  if (e == nullptr) {
    Beep();
    return;
  }
  NameDialog dialog(this, "Effect's Name", e->name, kEffectNameSize);
  if (dialog.Execute() == IDOK) SetItemText(listBox->GetSelIndex(), e->name);
}

void EffectListDialog::CmRestoreName() {
  Effect* e = Selected();
  if (e == nullptr) {
    Beep();
    return;
  }
  e->LookupName();
  SetItemText(listBox->GetSelIndex(), e->name);
}

void EffectListDialog::CmBypass() {
  const int index = listBox->GetSelIndex();
  Effect* e = EffectAt(index);
  if (e == nullptr) {
    Beep();
    return;
  }
  listBox->Toggle(index);
}

void EffectListDialog::CmCopyEffect() {
  Effect* e = Selected();
  if (e == nullptr) {
    Beep();
    return;
  }
  EffectList::SetDefaultEffect(e);
  Enable(kEffectPaste, !CurrentEffectDialogHost().Playing() && EffectList::DefaultList() != nullptr);
}

void EffectListDialog::CmCopyList() {
  if (list == nullptr || list->first == nullptr) {
    Beep();
    return;
  }
  EffectList::SetDefault(list);
  Enable(kEffectPaste, !CurrentEffectDialogHost().Playing() && EffectList::DefaultList() != nullptr);
}

void EffectListDialog::InsertFrom(EffectList* from) {
  Effect* after = Selected();
  int index = after != nullptr ? listBox->GetSelIndex() : -1;
  while (Effect* e = from->first) {
    from->Unlink(e);
    if (after == nullptr)
      list->InsertBefore(e, list->first);
    else
      list->Insert(e, after);
    if (e->component != nullptr) e->component->SetId(idCounter++);
    listBox->InsertString(e->name, ++index);
    ++count;
    after = e;
  }
  UpdateButtons();
  RefreshAnalysis(true);
}

void EffectListDialog::CmPaste() {
  EffectList* clone = EffectList::CloneDefault(Source());
  if (clone != nullptr) {
    InsertFrom(clone);
    clone->Release();
  }
  listBox->Invalidate(true);
}

void EffectListDialog::CePaste(TCommandEnabler& ce) {
  ce.Enable(!CurrentEffectDialogHost().Playing() && EffectList::DefaultList() != nullptr);
}

void EffectListDialog::CmClear() {
  if (list == nullptr || list->first == nullptr) {
    Beep();
    return;
  }
  if (ShowMessage(HWindow, "Clear Effects List", MB_YESNO | MB_ICONQUESTION, "%s",
                  "Do you really want to clear effects list?") != IDYES)
    return;
  StopAnalysis();
  while (Effect* e = list->first) DestroyEffect(e);
  listBox->ClearList();
  count = 0;
  UpdateButtons();
}

void EffectListDialog::CmSave() {
  if (list == nullptr || list->first == nullptr) {
    Beep();
    return;
  }
  list->SaveFile(HWindow, "Save Effects List");
}

void EffectListDialog::CmLoad() {
  ComObjectEntry* components = nullptr;
  EffectList* loaded = EffectList::LoadFile(HWindow, "Load Effects List", &components);
  if (loaded != nullptr) {
    if (!loaded->Open(Source(), components)) {
      NoFiltersDialog missing(this, components);
      missing.Execute();
    } else {
      InsertFrom(loaded);
      loaded->Close();
    }
    loaded->Release();
  }
  listBox->Invalidate(true);
  FreeComponentList(components);
}

void EffectListDialog::CmPreview() {
  EffectDialogHost& host = CurrentEffectDialogHost();
  if (host.Playing()) {
    host.Stop();
    previewing = false;
    return;
  }
  if (!host.CommandsEnabled()) return;
  const bool started = ownerClip != nullptr ? host.PreviewClipAudio(ownerClip) : host.PreviewLineAudio(ownerId);
  if (!started) {
    ShowMessage(HWindow, "Playback Start", MB_OK | MB_ICONEXCLAMATION, "%s", "Can not start preview of audio track(s)");
    host.Stop();
    previewing = false;
  } else {
    previewing = true;
  }
}

void EffectListDialog::CmSkipAll() {
  EffectDialogHost& host = CurrentEffectDialogHost();
  if (ownerId >= 0) {
    host.ToggleLineEffects(ownerId);
  } else if (ownerId == -1) {
    host.UseMasterEffects();
  } else if (list != nullptr) {
    list->SetEnabled(skipAll->GetCheck() != TCheckBox::Checked);
    host.RepaintClip(ownerClip);
  }
  skipAll->SetCheck(list != nullptr && list->bypass ? TCheckBox::Checked : TCheckBox::Unchecked);
  if (analysisList != nullptr && list != nullptr) {
    analysisList->SetEnabled(list->bypass == 0);
    TellAnalyser();
  }
}

void EffectListDialog::CmEndOk() {
  CloseWindow(IDOK);
}

// ---- Analysis ----

void EffectListDialog::TellAnalyser() {
  if (analyser != nullptr && analyser->GetHandle() != nullptr)
    ::SendMessage(analyser->GetHandle(), kAnalyserMessage, kAnalyserRemeasure, 0);
}

void EffectListDialog::StartAnalysis(bool wholeList) {
  StopAnalysis();
  EffectDialogHost& host = CurrentEffectDialogHost();
  if (host.Playing() || !host.CommandsEnabled() || list == nullptr) return;
  AudioData* source = Source();
  DWORD rate = 0, channels = 0;
  if (source != nullptr && source->format != nullptr) {
    channels = source->format->nChannels;
  } else {
    QueryEffectOutputFormat(&rate, &channels);
  }
  const int analyserChannels = channels >= 2 ? 2 : 1;
  if (!wholeList) {
    Effect* e = Selected();
    if (e == nullptr) {
      Beep();
      return;
    }
    Effect* copy = e->Clone();
    analysisList = copy != nullptr ? EffectList::New() : nullptr;
    if (analysisList == nullptr) {
      delete copy;
      return;
    }
    analysisList->Insert(copy, nullptr);
    analysedEffect = e;
    if (!analysisList->Open(source, nullptr)) {
      StopAnalysis();
      return;
    }
  } else {
    analysisList = list->Clone(source);
    if (analysisList == nullptr) return;
  }
  host.EnableCommands(false);
  analyser = new TFFTSpec(this, analysisList, analyserChannels);
  if (!analyser->Create()) {
    StopAnalysis();
    return;
  }
  ::ShowWindow(analyser->GetHandle(), SW_SHOW);
  UpdateButtons();
}

void EffectListDialog::StopAnalysis() {
  if (analyser != nullptr) {
    TFFTSpec* closing = analyser;
    analyser = nullptr;
    if (closing->GetHandle() != nullptr) closing->Destroy(IDCANCEL);
    delete closing;
    CurrentEffectDialogHost().EnableCommands(true);
  }
  if (analysisList != nullptr) {
    EffectList* closing = analysisList;
    analysisList = nullptr;
    closing->Close();
    closing->Release();
  }
  analysedEffect = nullptr;
  if (HWindow != nullptr) UpdateButtons();
}

void EffectListDialog::RefreshAnalysis(bool rebuild) {
  if (analysisList == nullptr) return;
  if (analysedEffect != nullptr) {
    CopyEffectState(analysedEffect, analysisList->first);
    if (rebuild) TellAnalyser();
    return;
  }
  if (!rebuild) {
    // Pairwise, as far as the shorter chain goes.
    for (Effect *from = list->first, *to = analysisList->first; from != nullptr && to != nullptr;
         from = from->next, to = to->next)
      CopyEffectState(from, to);
    return;
  }
  while (Effect* e = analysisList->first) {
    analysisList->Unlink(e);
    delete e;
  }
  EffectList* clone = list->Clone(Source());
  if (clone == nullptr) {
    StopAnalysis();
    return;
  }
  Effect* last = nullptr;
  while (Effect* e = clone->first) {
    clone->Unlink(e);
    analysisList->Insert(e, last);
    last = e;
  }
  clone->Release();
  TellAnalyser();
}

void EffectListDialog::EffectChanged(int32_t code, int32_t value) {
  Effect* e = nullptr;
  int index = -1;
  if (code == 1) {
    int i = 0;
    for (Effect* x = list != nullptr ? list->first : nullptr; x != nullptr; x = x->next, ++i) {
      if (x->component != nullptr && x->component->GetId() == static_cast<DWORD>(value)) {
        e = x;
        index = i;
        break;
      }
    }
  } else if (code == 2) {
    e = EffectAt(value);
    index = value;
  }
  if (e == nullptr) return;
  if (analysisList != nullptr && (analysedEffect == nullptr || analysedEffect == e)) {
    RefreshAnalysis(false);
    TellAnalyser();
  }
  RECT r{};
  if (::SendMessage(listBox->GetHandle(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) !=
      LB_ERR)
    ::InvalidateRect(listBox->GetHandle(), &r, TRUE);
}

LRESULT EffectListDialog::EvEffectChanged(WPARAM code, LPARAM value) {
  EffectChanged(static_cast<int32_t>(code), static_cast<int32_t>(value));
  return 0;
}

LRESULT EffectListDialog::EvPrivate(WPARAM code, LPARAM value) {
  switch (code) {
    case kEffectListEffectAt:
      return reinterpret_cast<LRESULT>(EffectAt(static_cast<int>(value)));
    case kAnalyserClosed:
      // A notice from an analyser that this dialog closed itself may come
      // after a new one opened: only a closed window ends the analysis.
      if (analyser == nullptr || analyser->GetHandle() == nullptr) StopAnalysis();
      return 1;
    case kAnalyserCopyState:
      if (analysisList != nullptr) RefreshAnalysis(false);
      return 1;
    default:
      return 0;
  }
}

// ---- SelectEffectDialog ----

// clang-format off
DEFINE_RESPONSE_TABLE1(SelectEffectDialog, TEDialog)
  EV_LBN_DBLCLK(kEffectList, EvDblClk),
END_RESPONSE_TABLE;
// clang-format on

SelectEffectDialog::SelectEffectDialog(TWindow* parent, Effect** result_, AudioData* source_)
    : TEDialog(parent, kSelectEffectDialog), result(result_), source(source_), list(new TListBox(this, kEffectList)) {
  if (result != nullptr) *result = nullptr;
}

void SelectEffectDialog::SetupWindow() {
  TEDialog::SetupWindow();
  if (InstalledComponents() == nullptr) BuildComponentList();
  for (ComObjectEntry* e = InstalledComponents(); e != nullptr; e = e->next) list->AddString(e->progId);
  list->SetSelIndex(0);
  if (list->GetCount() == 0) {
    ShowMessage(HWindow, "Select Audio Effect", MB_OK | MB_ICONEXCLAMATION, "%s",
                "No audio effects installed on your system!");
    ::PostMessage(HWindow, WM_COMMAND, IDCANCEL, 0);
  }
}

void SelectEffectDialog::EvDblClk() {
  CloseWindow(IDOK);
}

bool SelectEffectDialog::CanClose() {
  const int index = list->GetSelIndex();
  ComObjectEntry* chosen = nullptr;
  int i = 0;
  for (ComObjectEntry* e = InstalledComponents(); e != nullptr && index >= 0; e = e->next, ++i) {
    if (i == index) {
      chosen = e;
      break;
    }
  }
  Effect* created = chosen != nullptr ? Effect::Create(chosen->clsid, chosen->progId) : nullptr;
  if (created != nullptr && !created->Open(source, nullptr)) {
    delete created;
    created = nullptr;
  }
  if (created == nullptr) {
    ShowMessage(HWindow, "Select Audio Effect", MB_OK | MB_ICONEXCLAMATION, "%s", "Can not create effect!");
    ::SetFocus(list->GetHandle());
    return false;
  }
  if (result != nullptr)
    *result = created;
  else
    delete created;
  return true;
}
