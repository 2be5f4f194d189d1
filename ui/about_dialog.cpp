#include "ui/about_dialog.h"

#include "media/video_bitmap.h"
#include "model/text_format.h"
#include "resources/about_pictures.h"
#include "resources/setup_dialog_ids.h"
#include "ui/bitmap_control.h"
#include "ui/owner_window.h"

namespace {

constexpr int kLogoSlot = 30;
constexpr int kFirstPictureSlot = 31;
constexpr UINT_PTR kAnimationTimer = 1;
constexpr UINT kAnimationPeriod = 1000;  // ms

// Anchors of the pictures: the logo keeps its top-left corner, the
// animation its bottom-left one.
constexpr int kTopLeft = 1;
constexpr int kBottomLeft = 4;

// The five pictures go to the stock table the first time a box opens and
// stay there until the program ends.
void BuildPictures(HDC dc) {
  if (!TEBitmapInit::Exists() || TEBitmapInit::StockBitmaps[kFirstPictureSlot] != nullptr) return;
  for (int i = 0; i < kAboutPictureCount; ++i) {
    StockBitmapArt art;
    if (!DrawAboutPicture(i, &art)) continue;
    TEBitmapInit::StockBitmaps[kFirstPictureSlot + i] =
        new TEBitmap(dc, art.pixels.data(), 3, art.width, art.height);
  }
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(kobrix32AboutDlg, TEDialog)
  EV_WM_TIMER,
END_RESPONSE_TABLE;
// clang-format on

kobrix32AboutDlg::kobrix32AboutDlg(TWindow* parent) : TEDialog(parent, kAboutDialog) {
  version = new TStatic(this, kAboutVersion);
  TEBitmap* stockLogo = TEBitmapInit::StockBitmaps[kLogoSlot];
  logo = new BitmapControl(this, kAboutLogo, nullptr, kTopLeft, stockLogo != nullptr ? stockLogo->width : 0,
                           stockLogo != nullptr ? stockLogo->height : 0);
  picture =
      new BitmapControl(this, kAboutPicture, nullptr, kBottomLeft, kAboutPictureWidth, kAboutPictureHeight);
}

kobrix32AboutDlg::~kobrix32AboutDlg() {
  if (HWindow != nullptr) KillTimer(kAnimationTimer);
}

void kobrix32AboutDlg::SetupWindow() {
  TEDialog::SetupWindow();
  version->SetText(FormatText("%s %X.%02X", "Version", 1, 0x12).c_str());
  logo->SetBitmap(TEBitmapInit::StockBitmaps[kLogoSlot]);
  logo->Invalidate(false);
  logo->UpdateWindow();
  {
    TClientDC dc(HWindow);
    BuildPictures(dc);
  }
  for (int i = 0; i < kPictures; ++i) pictures[i] = TEBitmapInit::StockBitmaps[kFirstPictureSlot + i];
  index = 0;
  picture->SetBitmap(pictures[0]);
  picture->Invalidate(false);
  picture->UpdateWindow();
  SetTimer(kAnimationTimer, kAnimationPeriod);
  ::SetWindowLong(HWindow, GWL_EXSTYLE,
                  ::GetWindowLong(HWindow, GWL_EXSTYLE) | static_cast<LONG>(WS_EX_TOPMOST));
  ::SetWindowPos(HWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void kobrix32AboutDlg::CleanupWindow() {
  KillTimer(kAnimationTimer);
  TEDialog::CleanupWindow();
}

void kobrix32AboutDlg::EvTimer(UINT id) {
  if (id != kAnimationTimer) return;
  index = (index + 1) % kPictures;
  picture->SetBitmap(pictures[index]);
  picture->Invalidate(false);
}

void RunAboutBox(HWND parent) {
  OwnerWindow owner(parent);
  kobrix32AboutDlg box(owner.Get());
  box.Execute();
}
