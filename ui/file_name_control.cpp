#include "ui/file_name_control.h"

#include <cstring>

#include "model/control_font.h"
#include "model/fit_path.h"

namespace {

constexpr UINT kShorten = WM_USER + 99;

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(FileNameControl, TStatic)
  EV_MESSAGE(kShorten, EvShorten),
END_RESPONSE_TABLE;
// clang-format on

FileNameControl::FileNameControl(TWindow* parent, int resourceId, const char* fileName)
    : TStatic(parent, resourceId) {
  if (fileName != nullptr) std::strncpy(FileName, fileName, sizeof FileName - 1);
}

void FileNameControl::SetupWindow() {
  TStatic::SetupWindow();
  // The dialog may still move and size its items: shorten once it is done.
  PostMessage(kShorten);
}

LRESULT FileNameControl::EvShorten(WPARAM, LPARAM) {
  TClientDC dc(HWindow);
  dc.SelectObject(ControlFont());
  FileName[sizeof FileName - 1] = '\0';
  FitPathToWidth(dc, FileName, GetClientRect().Width());
  ::SetWindowText(HWindow, FileName);
  return 0;
}
