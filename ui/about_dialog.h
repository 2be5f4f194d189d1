// The about box: the logo, a small animation that changes picture once a
// second, the version and the program's notices. It stays above every other
// window while it is up.
#pragma once

#include "platform/classlib/controls.h"
#include "ui/te_dialog.h"

class BitmapControl;
class TEBitmap;

class kobrix32AboutDlg : public TEDialog {
 public:
  explicit kobrix32AboutDlg(TWindow* parent);
  ~kobrix32AboutDlg() override;
  void SetupWindow() override;
  void CleanupWindow() override;

 protected:
  void EvTimer(UINT id);

 private:
  static constexpr int kPictures = 5;

  TStatic* version;
  BitmapControl* logo;
  BitmapControl* picture;
  int index = 0;
  TEBitmap* pictures[kPictures] = {};

  DECLARE_RESPONSE_TABLE(kobrix32AboutDlg);
};

// Shows the about box owned by parent (null: none) until it is closed.
void RunAboutBox(HWND parent);
