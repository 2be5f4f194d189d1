// FileNameControl: a static text showing a file path shortened to its
// width: the drive prefix, "..." and the end of the path. It shortens once,
// after the dialog has given it its final size.
#pragma once

#include "platform/classlib/controls.h"

class FileNameControl : public TStatic {
 public:
  // An item of the parent dialog's template showing fileName (null: the
  // creator fills FileName before the dialog is made).
  FileNameControl(TWindow* parent, int resourceId, const char* fileName = nullptr);

  void SetupWindow() override;

  // The path; shortened in place when shown.
  char FileName[260] = {};

 protected:
  LRESULT EvShorten(WPARAM, LPARAM);

  DECLARE_RESPONSE_TABLE(FileNameControl);
};
