// The file open and save chooser: a modal dialog of this window system with
// a folder combo, an up button, the list of folders and matching files, the
// name box, the filter combo, the read-only box, OK and Cancel, and the
// optional extension panel (a child dialog that the caller's hook drives).
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/gui/common_dialogs.h"
#include "platform/gui/common_dialogs/common_dialogs_internal.h"
#include "platform/gui/common_dialogs/file_chooser_match.h"
#include "platform/gui/controls.h"
#include "platform/gui/controls/control_internal.h"
#include "platform/gui/dialog.h"
#include "platform/gui/message_box.h"
#include "platform/gui/resource.h"
#include "platform/gui/user.h"

namespace {

constexpr int kLookInLabel = 1091;
constexpr int kNameLabel = 1090;
constexpr int kTypeLabel = 1089;

struct Entry {
  std::string name;
  bool folder = false;
};

struct Filter {
  std::string description;
  std::string pattern;
};

struct Chooser {
  OPENFILENAME* ofn = nullptr;
  bool save = false;
  std::string title;
  std::string start_folder;
  std::string start_name;
  std::vector<Filter> filters;
  int filter = 0;          // index into filters
  std::string typed_mask;  // a mask typed in the name box, in force until the filter changes
  std::string folder;      // shown folder, absolute
  std::vector<Entry> entries;
  std::string current;  // what CDM_GETFILEPATH answers
  bool name_from_list = false;
  bool setting_name = false;
  HWND dialog = nullptr;
  HWND panel = nullptr;
  const DialogTemplate* panel_template = nullptr;
};

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A file nobody may write (no write permission at all, as the read-only
// attribute elsewhere), or one this process may not write.
bool ReadOnly(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

// Lexically normal and absolute (against folder), no trailing separator
// except for the root.
std::string Resolve(const std::string& folder, const std::string& text) {
  std::filesystem::path p(text);
  if (!p.is_absolute()) p = std::filesystem::path(folder) / p;
  std::string s = p.lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s.empty() ? "/" : s;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::vector<Filter> ParseFilters(const char* p) {
  std::vector<Filter> out;
  if (p == nullptr) return out;
  while (*p != '\0') {
    Filter f;
    f.description = p;
    p += f.description.size() + 1;
    if (*p == '\0') {
      out.push_back(f);
      break;
    }
    f.pattern = p;
    p += f.pattern.size() + 1;
    out.push_back(std::move(f));
  }
  return out;
}

bool LessNoCase(const std::string& a, const std::string& b) {
  const int c = strcasecmp(a.c_str(), b.c_str());
  return c != 0 ? c < 0 : a < b;
}

std::string ItemText(HWND dialog, int id) {
  return controls::WindowTextOf(GetDlgItem(dialog, id));
}

Chooser* StateOf(HWND dialog) {
  return reinterpret_cast<Chooser*>(GetWindowLongPtr(dialog, DWLP_USER));
}

// Sends a notification to the panel; its answer (DWLP_MSGRESULT).
LRESULT Notify(Chooser& c, UINT code) {
  if (c.panel == nullptr || !IsWindow(c.panel)) return 0;
  OFNOTIFY n;
  n.hdr.hwndFrom = c.dialog;
  n.hdr.idFrom = 0;
  n.hdr.code = code;
  n.lpOFN = c.ofn;
  n.pszFile = c.ofn->lpstrFile;
  return SendMessage(c.panel, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

void SetName(Chooser& c, const std::string& name, bool from_list) {
  c.setting_name = true;
  SetDlgItemText(c.dialog, kChooserFileName, name.c_str());
  c.setting_name = false;
  c.name_from_list = from_list;
}

std::string CurrentMasks(const Chooser& c) {
  if (!c.typed_mask.empty()) return c.typed_mask;
  if (c.filters.empty()) return "*";
  return c.filters[static_cast<std::size_t>(c.filter)].pattern;
}

void FillList(Chooser& c) {
  std::vector<Entry> folders, files;
  const std::string masks = CurrentMasks(c);
  std::error_code ec;
  for (std::filesystem::directory_iterator it(c.folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code type_ec;
    if (it->is_directory(type_ec)) {
      folders.push_back(Entry{name, true});
    } else if (MatchesMasks(name.c_str(), masks.c_str())) {
      files.push_back(Entry{name, false});
    }
  }
  auto by_name = [](const Entry& a, const Entry& b) { return LessNoCase(a.name, b.name); };
  std::sort(folders.begin(), folders.end(), by_name);
  std::sort(files.begin(), files.end(), by_name);
  c.entries = std::move(folders);
  c.entries.insert(c.entries.end(), files.begin(), files.end());
  HWND list = GetDlgItem(c.dialog, kChooserFileList);
  SendMessage(list, WM_SETREDRAW, FALSE, 0);
  SendMessage(list, LB_RESETCONTENT, 0, 0);
  for (const Entry& e : c.entries) {
    const std::string text = e.folder ? "[" + e.name + "]" : e.name;
    SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  SendMessage(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// The folder combo: the root down to the shown folder, which is selected.
void FillFolderCombo(Chooser& c) {
  std::vector<std::string> chain;
  for (std::string p = c.folder;; p = ParentOf(p)) {
    chain.push_back(p);
    if (p == "/") break;
  }
  std::reverse(chain.begin(), chain.end());
  HWND combo = GetDlgItem(c.dialog, kChooserFolderCombo);
  SendMessage(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& p : chain) SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p.c_str()));
  SendMessage(combo, CB_SETCURSEL, chain.size() - 1, 0);
  EnableWindow(GetDlgItem(c.dialog, kChooserUpButton), c.folder != "/");
}

bool ShowFolder(Chooser& c, const std::string& folder) {
  if (!IsFolder(folder) || access(folder.c_str(), R_OK | X_OK) != 0) return false;
  c.folder = folder;
  FillFolderCombo(c);
  FillList(c);
  const std::string name = ItemText(c.dialog, kChooserFileName);
  c.current = name.empty() ? c.folder : Resolve(c.folder, name);
  Notify(c, CDN_FOLDERCHANGE);
  return true;
}

int SelectedIndex(const Chooser& c) {
  const LRESULT i = SendDlgItemMessage(c.dialog, kChooserFileList, LB_GETCURSEL, 0, 0);
  return i >= 0 && static_cast<std::size_t>(i) < c.entries.size() ? static_cast<int>(i) : -1;
}

void OnSelChange(Chooser& c) {
  const int i = SelectedIndex(c);
  if (i < 0) return;
  const Entry& e = c.entries[static_cast<std::size_t>(i)];
  if (!e.folder) SetName(c, e.name, true);
  // A folder selection tells the panel too; the path is the folder's.
  c.current = Join(c.folder, e.name);
  Notify(c, CDN_SELCHANGE);
}

int Ask(const Chooser& c, const std::string& text, UINT type) {
  return MessageBox(c.dialog, text.c_str(), c.title.c_str(), type);
}

WORD Clamp16(std::size_t v) {
  return static_cast<WORD>(std::min<std::size_t>(v, 0xFFFF));
}

void Finish(Chooser& c, bool ok, DWORD error) {
  SetCommDlgError(error);
  EndDialog(c.dialog, ok ? IDOK : IDCANCEL);
}

// Checks the chosen path against the flags and the panel; ends the dialog
// when it is taken.
void Choose(Chooser& c, std::string path) {
  OPENFILENAME& o = *c.ofn;
  const std::string folder = ParentOf(path);
  const bool exists = Exists(path);
  if ((o.Flags & OFN_PATHMUSTEXIST) && !IsFolder(folder)) {
    Ask(c, path + "\nPath not found.\nCheck the path and try again.", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if ((o.Flags & OFN_FILEMUSTEXIST) && !exists) {
    Ask(c, path + "\nFile not found.\nCheck the file name and try again.", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if ((o.Flags & OFN_NOREADONLYRETURN) && exists && ReadOnly(path)) {
    Ask(c, path + "\nThis file cannot be written.\nChoose another name.", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (c.save && (o.Flags & OFN_OVERWRITEPROMPT) && exists &&
      Ask(c, path + " already exists.\nDo you want to replace it?", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
    return;
  if (path.size() + 1 > o.nMaxFile) {
    Finish(c, false, FNERR_BUFFERTOOSMALL);
    return;
  }
  // The caller's buffer gets the path before the panel is asked (it may read
  // it there); a refusal puts the old text back.
  const std::string before(o.lpstrFile, strnlen(o.lpstrFile, o.nMaxFile));
  std::memcpy(o.lpstrFile, path.c_str(), path.size() + 1);
  const std::size_t name_at = path.find_last_of('/') + 1;
  const std::size_t dot = path.find_last_of('.');
  o.nFileOffset = Clamp16(name_at);
  o.nFileExtension = dot != std::string::npos && dot >= name_at ? Clamp16(dot + 1) : 0;
  o.nFilterIndex = static_cast<DWORD>(c.filter + 1);
  if (!(o.Flags & OFN_HIDEREADONLY) && IsDlgButtonChecked(c.dialog, kChooserReadOnly) == BST_CHECKED) {
    o.Flags |= OFN_READONLY;
  } else {
    o.Flags &= ~OFN_READONLY;
  }
  c.current = path;
  if (Notify(c, CDN_FILEOK) != 0) {
    std::memcpy(o.lpstrFile, before.c_str(), before.size() + 1);
    return;
  }
  if (o.lpstrFileTitle != nullptr && o.nMaxFileTitle > 0) {
    const std::string title = path.substr(name_at);
    const std::size_t n = std::min<std::size_t>(title.size(), o.nMaxFileTitle - 1);
    std::memcpy(o.lpstrFileTitle, title.data(), n);
    o.lpstrFileTitle[n] = '\0';
  }
  Finish(c, true, 0);
}

void OnOk(Chooser& c) {
  HWND list = GetDlgItem(c.dialog, kChooserFileList);
  const int sel = SelectedIndex(c);
  std::string text = ItemText(c.dialog, kChooserFileName);
  // Enter on a folder of the list (or OK with an empty name) opens it.
  if (sel >= 0 && c.entries[static_cast<std::size_t>(sel)].folder && (GetFocus() == list || text.empty())) {
    ShowFolder(c, Join(c.folder, c.entries[static_cast<std::size_t>(sel)].name));
    return;
  }
  const std::size_t first = text.find_first_not_of(" \t");
  const std::size_t last = text.find_last_not_of(" \t");
  text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
  if (text.empty()) return;
  if (text.find_first_of("*?") != std::string::npos) {
    // A mask: shows the files it matches (in the folder it names, if any).
    const std::size_t slash = text.find_last_of('/');
    if (slash != std::string::npos) {
      const std::string where = Resolve(c.folder, text.substr(0, slash + 1));
      if (!ShowFolder(c, where)) {
        Ask(c, where + "\nPath not found.\nCheck the path and try again.", MB_OK | MB_ICONEXCLAMATION);
        return;
      }
      text = text.substr(slash + 1);
    }
    c.typed_mask = text;
    SetName(c, text, false);
    FillList(c);
    return;
  }
  std::string path = Resolve(c.folder, text);
  if (IsFolder(path)) {
    if (ShowFolder(c, path)) {
      SetName(c, "", false);
    } else {
      Ask(c, path + "\nThis folder cannot be opened.", MB_OK | MB_ICONEXCLAMATION);
    }
    return;
  }
  if (text.back() == '/') {
    Ask(c, path + "\nPath not found.\nCheck the path and try again.", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const OPENFILENAME& o = *c.ofn;
  const std::size_t name_at = path.find_last_of('/') + 1;
  if (!c.name_from_list && o.lpstrDefExt != nullptr && *o.lpstrDefExt != '\0' &&
      path.find('.', name_at) == std::string::npos)
    path += std::string(".") + o.lpstrDefExt;
  Choose(c, path);
}

// The answer to a CDM_GET... question: the size text needs with its
// terminator; the text, cut to fit, goes into the buffer.
LRESULT Answer(const std::string& text, WPARAM size, LPARAM buffer) {
  char* out = reinterpret_cast<char*>(buffer);
  if (out != nullptr && size > 0) {
    const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
  }
  return static_cast<LRESULT>(text.size() + 1);
}

// The panel's dialog procedure: the caller's hook.
LONG_PTR PanelProc(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam) {
  Chooser* c = StateOf(GetParent(panel));
  if (c == nullptr || !(c->ofn->Flags & OFN_ENABLEHOOK) || c->ofn->lpfnHook == nullptr) return FALSE;
  return static_cast<LONG_PTR>(c->ofn->lpfnHook(panel, msg, wParam, lParam));
}

void MoveBy(HWND h, int dx, int dy) {
  RECT r;
  GetWindowRect(h, &r);
  POINT p{r.left, r.top};
  ScreenToClient(GetParent(h), &p);
  SetWindowPos(h, nullptr, p.x + dx, p.y + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Makes the panel and lays the chooser out around it; false when it cannot be made.
bool MakePanel(Chooser& c) {
  const OPENFILENAME& o = *c.ofn;
  const bool hooked = (o.Flags & OFN_ENABLEHOOK) && o.lpfnHook != nullptr;
  if (c.panel_template == nullptr && !hooked) return true;
  DialogTemplate t;
  if (c.panel_template != nullptr) t = *c.panel_template;
  t.style = (t.style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_BORDER | DS_MODALFRAME |
                         WS_VISIBLE | WS_DISABLED | DS_CENTER)) |
            WS_CHILD | DS_CONTROL | WS_CLIPSIBLINGS;
  t.exStyle &= ~WS_EX_DLGMODALFRAME;
  t.x = 0;
  t.y = 0;
  if (c.panel_template == nullptr) {
    t.cx = 0;
    t.cy = 0;
  }
  c.panel = CreateDialogIndirectParam(nullptr, &t, c.dialog, PanelProc, reinterpret_cast<LPARAM>(c.ofn));
  if (c.panel == nullptr || !IsWindow(c.dialog)) return false;
  if (c.panel_template == nullptr) return true;

  RECT own;
  GetClientRect(c.dialog, &own);
  RECT panel;
  GetClientRect(c.panel, &panel);
  int ox = 0, oy = 0, w = 0, h = 0;
  if (HWND place = GetDlgItem(c.panel, kChooserPlaceholder)) {
    RECT p;
    GetWindowRect(place, &p);
    MapWindowPoints(nullptr, c.panel, reinterpret_cast<POINT*>(&p), 2);
    const int dx = std::max<int>(0, own.right - (p.right - p.left));
    const int dy = std::max<int>(0, own.bottom - (p.bottom - p.top));
    std::vector<HWND> items;
    for (HWND i = GetWindow(c.panel, GW_CHILD); i != nullptr; i = GetWindow(i, GW_HWNDNEXT))
      items.push_back(i);
    for (HWND i : items) {
      if (i == place) continue;
      RECT r;
      GetWindowRect(i, &r);
      MapWindowPoints(nullptr, c.panel, reinterpret_cast<POINT*>(&r), 2);
      MoveBy(i, r.left >= p.right ? dx : 0, r.top >= p.bottom ? dy : 0);
    }
    ShowWindow(place, SW_HIDE);
    ox = p.left;
    oy = p.top;
    w = std::max<int>(panel.right + dx, ox + own.right);
    h = std::max<int>(panel.bottom + dy, oy + own.bottom);
    SetWindowPos(c.panel, HWND_BOTTOM, 0, 0, w, h, SWP_NOACTIVATE);
  } else {
    w = std::max<int>(own.right, panel.right);
    h = own.bottom + panel.bottom;
    SetWindowPos(c.panel, HWND_BOTTOM, 0, own.bottom, panel.right, panel.bottom, SWP_NOACTIVATE);
  }
  if (ox != 0 || oy != 0) {
    for (HWND i = GetWindow(c.dialog, GW_CHILD); i != nullptr; i = GetWindow(i, GW_HWNDNEXT)) {
      if (i != c.panel) MoveBy(i, ox, oy);
    }
  }
  RECT frame{0, 0, w, h};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLong(c.dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLong(c.dialog, GWL_EXSTYLE)));
  RECT now;
  GetWindowRect(c.dialog, &now);
  const int fw = frame.right - frame.left, fh = frame.bottom - frame.top;
  const int x = now.left - (fw - (now.right - now.left)) / 2;
  const int y = now.top - (fh - (now.bottom - now.top)) / 2;
  SetWindowPos(c.dialog, nullptr, x, y, fw, fh, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessage(c.dialog, DM_REPOSITION, 0, 0);
  ShowWindow(c.panel, SW_SHOWNA);
  return true;
}

void Init(Chooser& c) {
  OPENFILENAME& o = *c.ofn;
  SetWindowText(c.dialog, c.title.c_str());
  SetDlgItemText(c.dialog, IDOK, c.save ? "&Save" : "&Open");
  HWND types = GetDlgItem(c.dialog, kChooserFilterCombo);
  for (const Filter& f : c.filters)
    SendMessage(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.description.c_str()));
  SendMessage(types, CB_SETCURSEL, static_cast<WPARAM>(c.filter), 0);
  if (c.filters.empty()) EnableWindow(types, FALSE);
  if (o.Flags & OFN_HIDEREADONLY) {
    ShowWindow(GetDlgItem(c.dialog, kChooserReadOnly), SW_HIDE);
  } else {
    CheckDlgButton(c.dialog, kChooserReadOnly, (o.Flags & OFN_READONLY) ? BST_CHECKED : BST_UNCHECKED);
  }
  SetName(c, c.start_name, false);
  SendDlgItemMessage(c.dialog, kChooserFileName, EM_LIMITTEXT, MAX_PATH - 1, 0);
  if (!MakePanel(c)) {
    Finish(c, false, CDERR_DIALOGFAILURE);
    return;
  }
  if (!ShowFolder(c, c.start_folder)) {
    char cwd[4096];
    if (!ShowFolder(c, getcwd(cwd, sizeof cwd) != nullptr ? cwd : "/")) ShowFolder(c, "/");
  }
  Notify(c, CDN_INITDONE);
}

LONG_PTR ChooserProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* c = reinterpret_cast<Chooser*>(lParam);
    c->dialog = h;
    SetWindowLongPtr(h, DWLP_USER, lParam);
    Init(*c);
    if (IsWindow(h)) SetFocus(GetDlgItem(h, kChooserFileName));
    return FALSE;
  }
  Chooser* c = StateOf(h);
  if (c == nullptr) return FALSE;
  switch (msg) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const WORD code = HIWORD(wParam);
      switch (id) {
        case IDOK:
          if (code == BN_CLICKED || lParam == 0) OnOk(*c);
          return TRUE;
        case IDCANCEL:
          Finish(*c, false, 0);
          return TRUE;
        case kChooserUpButton:
          if (code == BN_CLICKED) ShowFolder(*c, ParentOf(c->folder));
          return TRUE;
        case kChooserFileList:
          if (code == LBN_SELCHANGE) {
            OnSelChange(*c);
          } else if (code == LBN_DBLCLK) {
            const int sel = SelectedIndex(*c);
            if (sel >= 0 && c->entries[static_cast<std::size_t>(sel)].folder) {
              ShowFolder(*c, Join(c->folder, c->entries[static_cast<std::size_t>(sel)].name));
            } else if (sel >= 0) {
              OnOk(*c);
            }
          }
          return TRUE;
        case kChooserFolderCombo:
          if (code == CBN_SELCHANGE) {
            const LRESULT i = SendDlgItemMessage(h, id, CB_GETCURSEL, 0, 0);
            char path[4096] = {};
            if (i >= 0 && SendDlgItemMessage(h, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) <
                              static_cast<LRESULT>(sizeof path)) {
              SendDlgItemMessage(h, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(path));
              if (std::string(path) != c->folder) ShowFolder(*c, path);
            }
          }
          return TRUE;
        case kChooserFilterCombo:
          if (code == CBN_SELCHANGE) {
            const LRESULT i = SendDlgItemMessage(h, id, CB_GETCURSEL, 0, 0);
            if (i >= 0 && static_cast<std::size_t>(i) < c->filters.size()) {
              c->filter = static_cast<int>(i);
              c->typed_mask.clear();
              if (ItemText(h, kChooserFileName).find_first_of("*?") != std::string::npos)
                SetName(*c, "", false);
              FillList(*c);
              Notify(*c, CDN_TYPECHANGE);
            }
          }
          return TRUE;
        case kChooserFileName:
          if (code == EN_CHANGE && !c->setting_name) {
            c->name_from_list = false;
            c->current = Resolve(c->folder, ItemText(h, kChooserFileName));
          }
          return TRUE;
      }
      return FALSE;
    }
    case CDM_GETSPEC:
      SetWindowLongPtr(h, DWLP_MSGRESULT, Answer(ItemText(h, kChooserFileName), wParam, lParam));
      return TRUE;
    case CDM_GETFILEPATH:
      SetWindowLongPtr(h, DWLP_MSGRESULT, Answer(c->current, wParam, lParam));
      return TRUE;
    case CDM_GETFOLDERPATH:
      SetWindowLongPtr(h, DWLP_MSGRESULT, Answer(c->folder, wParam, lParam));
      return TRUE;
    case CDM_SETCONTROLTEXT:
      SetDlgItemText(h, static_cast<int>(wParam), reinterpret_cast<LPCSTR>(lParam));
      return TRUE;
    case CDM_HIDECONTROL:
      ShowWindow(GetDlgItem(h, static_cast<int>(wParam)), SW_HIDE);
      return TRUE;
  }
  return FALSE;
}

// The chooser's own controls, in tab order.
DialogTemplate ChooserTemplate() {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
  t.cx = 280;
  t.cy = 196;
  const DWORD v = WS_VISIBLE;
  t.items = {
      {WC_STATIC, "Look &in:", kLookInLabel, v | SS_LEFT, 0, 7, 9, 46, 8},
      {WC_COMBOBOX, "", kChooserFolderCombo, v | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0, 56,
       7, 176, 120},
      {WC_BUTTON, "&Up", kChooserUpButton, v | BS_PUSHBUTTON | WS_TABSTOP, 0, 238, 6, 35, 14},
      {WC_LISTBOX, "", kChooserFileList,
       v | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, 0, 7, 26, 266,
       112},
      {WC_STATIC, "File &name:", kNameLabel, v | SS_LEFT, 0, 7, 148, 50, 8},
      {WC_EDIT, "", kChooserFileName, v | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, 0, 62, 146, 160,
       12},
      {WC_STATIC, "Files of &type:", kTypeLabel, v | SS_LEFT, 0, 7, 166, 52, 8},
      {WC_COMBOBOX, "", kChooserFilterCombo, v | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0, 62,
       164, 160, 100},
      {WC_BUTTON, "Open as &read-only", kChooserReadOnly, v | BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0, 62,
       181, 120, 10},
      {WC_BUTTON, "&Open", IDOK, v | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 227, 145, 46, 14},
      {WC_BUTTON, "Cancel", IDCANCEL, v | BS_PUSHBUTTON | WS_TABSTOP, 0, 227, 163, 46, 14},
  };
  return t;
}

BOOL Run(OPENFILENAME* ofn, bool save) {
  SetCommDlgError(0);
  if (ofn == nullptr || ofn->lStructSize != sizeof(OPENFILENAME)) {
    SetCommDlgError(CDERR_STRUCTSIZE);
    return FALSE;
  }
  if (ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
    SetCommDlgError(CDERR_INITIALIZATION);
    return FALSE;
  }
  Chooser c;
  c.ofn = ofn;
  c.save = save;
  if (ofn->Flags & OFN_ENABLETEMPLATE) {
    c.panel_template = FindDialogResource(ResourceNumber(ofn->lpTemplateName));
    if (c.panel_template == nullptr) {
      SetCommDlgError(CDERR_FINDRESFAILURE);
      return FALSE;
    }
  }
  c.title = ofn->lpstrTitle != nullptr ? ofn->lpstrTitle : (save ? "Save As" : "Open");
  c.filters = ParseFilters(ofn->lpstrFilter);
  if (ofn->nFilterIndex >= 1 && ofn->nFilterIndex <= c.filters.size())
    c.filter = static_cast<int>(ofn->nFilterIndex) - 1;

  // Where to open: the initial folder, else the starting name's folder, else
  // the working folder; the starting name's file part goes into the name box.
  char cwd[4096];
  const std::string here = getcwd(cwd, sizeof cwd) != nullptr ? cwd : "/";
  const std::string start(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
  std::string start_folder;
  if (!start.empty()) {
    const std::string full = Resolve(here, start);
    if (start.back() == '/' || IsFolder(full)) {
      start_folder = full;
    } else {
      const std::size_t slash = start.find_last_of('/');
      c.start_name = slash == std::string::npos ? start : start.substr(slash + 1);
      if (slash != std::string::npos) start_folder = ParentOf(full);
    }
  }
  if (ofn->lpstrInitialDir != nullptr && *ofn->lpstrInitialDir != '\0' &&
      IsFolder(Resolve(here, ofn->lpstrInitialDir))) {
    c.start_folder = Resolve(here, ofn->lpstrInitialDir);
  } else if (!start_folder.empty() && IsFolder(start_folder)) {
    c.start_folder = start_folder;
  } else {
    c.start_folder = here;
  }

  const DialogTemplate t = ChooserTemplate();
  const LONG_PTR r =
      DialogBoxIndirectParam(nullptr, &t, ofn->hwndOwner, ChooserProc, reinterpret_cast<LPARAM>(&c));
  if (r == -1) {
    SetCommDlgError(CDERR_DIALOGFAILURE);
    return FALSE;
  }
  // Anything but OK (Cancel, Esc, the close box, nobody answering) is a
  // cancel, with the error that ended it, if any.
  return r == IDOK ? TRUE : FALSE;
}

}  // namespace

BOOL GetOpenFileName(OPENFILENAME* ofn) {
  return Run(ofn, false);
}

BOOL GetSaveFileName(OPENFILENAME* ofn) {
  return Run(ofn, true);
}
