#include "platform/classlib/common_dialogs.h"

TCommonDialog::TCommonDialog(TWindow* parent, const char* title, TModule* module)
    : TDialog(parent, TResId(), module), CdTitle(title ? title : ""), HasTitle(title != nullptr) {}

TOpenSaveDialog::TData::TData(DWORD flags, const char* filter, const char* initialDir, const char* defExt,
                              int filterIndex)
    : Flags(flags),
      Filter(filter ? filter : ""),
      FilterIndex(filterIndex),
      InitialDir(initialDir),
      DefExt(defExt ? defExt : "") {}
