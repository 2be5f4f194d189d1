// The file open and save dialogs: the window system's chooser run on a
// TData record, with the dialog object bound to the chooser's panel.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/classlib/common_dialogs.h"

TOpenSaveDialog::TOpenSaveDialog(TWindow* parent, TData& data, TResId templateId, const char* title,
                                 TModule* module)
    : TCommonDialog(parent, title, module), Data(data), TemplateId(templateId) {}

int TOpenSaveDialog::Execute() {
  if (HWindow != nullptr) return IDCANCEL;
  // "Desc|*.a|Desc|*.b|" into the chooser's '\0'-separated list, ended by an
  // empty entry.
  std::string filter = Data.Filter;
  std::replace(filter.begin(), filter.end(), '|', '\0');
  if (!filter.empty() && filter.back() != '\0') filter.push_back('\0');
  filter.push_back('\0');

  // The record's name changes only on OK (a panel refusing a name must not
  // leave it behind after a cancel).
  char file[MAX_PATH];
  const DWORD size = static_cast<DWORD>(std::clamp(Data.MaxPath, 1, static_cast<int>(MAX_PATH)));
  const std::size_t n = strnlen(Data.FileName, size - 1);
  std::memcpy(file, Data.FileName, n);
  file[n] = '\0';

  OPENFILENAME ofn;
  ofn.hwndOwner = Parent != nullptr ? Parent->GetHandle() : nullptr;
  ofn.hInstance = Module->GetInstance();
  ofn.lpstrFilter = Data.Filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(std::max(Data.FilterIndex, 0));
  ofn.lpstrFile = file;
  ofn.nMaxFile = size;
  ofn.lpstrInitialDir = Data.InitialDir;
  ofn.lpstrTitle = HasTitle ? CdTitle.c_str() : nullptr;
  ofn.Flags = Data.Flags | OFN_ENABLEHOOK | OFN_EXPLORER;
  if (!TemplateId.IsNull()) {
    ofn.Flags |= OFN_ENABLETEMPLATE;
    ofn.lpTemplateName = TemplateId;
  }
  ofn.lpstrDefExt = Data.DefExt.empty() ? nullptr : Data.DefExt.c_str();
  ofn.lCustData = reinterpret_cast<LPARAM>(this);
  // The panel's procedure is the dialog objects' own: the first message of
  // the panel binds it to the object that is being run (DialogCreating).
  ofn.lpfnHook = [](HWND panel, UINT msg, WPARAM wParam, LPARAM lParam) -> UINT_PTR {
    return static_cast<UINT_PTR>(DialogProc(panel, msg, wParam, lParam));
  };

  RegisterChildClasses();
  TDialog* saved = DialogCreating();
  DialogCreating() = this;
  const BOOL ok = RunChooser(ofn);
  DialogCreating() = saved;
  // The panel is gone with the chooser; make sure the object lets go of it.
  if (HWindow != nullptr && !::IsWindow(HWindow)) Detach();

  if (!ok) {
    Data.Error = CommDlgExtendedError();
    return IDCANCEL;
  }
  Data.Error = 0;
  std::memcpy(Data.FileName, file, strnlen(file, size - 1) + 1);
  Data.FilterIndex = static_cast<int>(ofn.nFilterIndex);
  Data.Flags = (Data.Flags & ~OFN_READONLY) | (ofn.Flags & OFN_READONLY);
  return IDOK;
}

HWND TOpenSaveDialog::GetChooser() const {
  return HWindow != nullptr && ::IsWindow(HWindow) ? ::GetParent(HWindow) : nullptr;
}

namespace {

int Ask(HWND chooser, UINT msg, char* buffer, int size) {
  if (chooser == nullptr) return -1;
  return static_cast<int>(
      ::SendMessage(chooser, msg, static_cast<WPARAM>(std::max(size, 0)), reinterpret_cast<LPARAM>(buffer)));
}

}  // namespace

int TOpenSaveDialog::GetFilePath(char* buffer, int size) {
  return Ask(GetChooser(), CDM_GETFILEPATH, buffer, size);
}

int TOpenSaveDialog::GetFolderPath(char* buffer, int size) {
  return Ask(GetChooser(), CDM_GETFOLDERPATH, buffer, size);
}

int TOpenSaveDialog::GetSpec(char* buffer, int size) {
  return Ask(GetChooser(), CDM_GETSPEC, buffer, size);
}

bool TOpenSaveDialog::DialogFunction(UINT, WPARAM, LPARAM) {
  return false;
}

LRESULT TOpenSaveDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (HWindow != nullptr && DialogFunction(msg, wParam, lParam)) {
    // Taken by the hook: the answer is what it left in DWLP_MSGRESULT.
    return ::IsWindow(HWindow) ? GetWindowLongPtr(HWindow, DWLP_MSGRESULT) : 0;
  }
  return TDialog::WindowProc(msg, wParam, lParam);
}

BOOL TFileOpenDialog::RunChooser(OPENFILENAME& ofn) {
  return GetOpenFileName(&ofn);
}

BOOL TFileSaveDialog::RunChooser(OPENFILENAME& ofn) {
  return GetSaveFileName(&ofn);
}
