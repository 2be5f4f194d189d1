// The effect-list dialog and the analyser showing the equaliser's response,
// captured as the display shows them (under Xvfb with KOBRIX_GUI=sdl, read
// back from the SDL window).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/effect_list_dialog.h"
#include "audio/fft_diagram.h"
#include "audio/fft_spec.h"
#include "effect_dialog_fixture.h"
#include "resources/effect_dialog_ids.h"
#include "ui/dialog_script.h"

namespace {

using effecttest::EffectDialogTest;

std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() + ".png";
}

int Count(const std::vector<std::uint32_t>& pixels, COLORREF color) {
  const std::uint32_t want = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
  int n = 0;
  for (std::uint32_t p : pixels) n += (p & 0xFFFFFF) == want;
  return n;
}

class EffectDialogShots : public EffectDialogTest {
 protected:
  std::vector<std::uint32_t> Shoot(HWND window, const std::string& name) {
    dialogtest::Pump(window);
    std::vector<std::uint32_t> pixels;
    int width = 0, height = 0;
    EXPECT_TRUE(GuiCaptureWindow(window, &pixels, &width, &height)) << name;
    EXPECT_TRUE(GuiSaveScreenshot(window, ShotPath(name))) << name;
    return pixels;
  }
};

TEST_F(EffectDialogShots, TheEffectListAndTheEqualiserResponse) {
  EffectList* list = ListOf({Gain(0.8f, "Gain"), Equalizer(1000.0f, 9.0f, 1.5f, "Presence"),
                             Effect::Create(CLSID_KobrixEcho, "Echo")});
  list->first->next->next->component->SetBypass(TRUE);
  EffectListDialog* dialog = EffectListDialog::EffectListDialogById(frame_, list, 0);
  ASSERT_TRUE(dialog->Create());
  ::ShowWindow(dialog->GetHandle(), SW_SHOW);
  SendDlgItemMessage(dialog->GetHandle(), kEffectList, LB_SETCURSEL, 1, 0);
  const std::vector<std::uint32_t> listPixels = Shoot(dialog->GetHandle(), "audio_effect_list");
  EXPECT_GT(Count(listPixels, GetSysColor(COLOR_HIGHLIGHT)), 200);  // the selected line

  // The equaliser alone, with its phase.
  SendMessage(dialog->GetHandle(), WM_COMMAND, kEffectResponse, 0);
  TFFTSpec* analyser = dialog->Analyser();
  ASSERT_NE(analyser, nullptr);
  CheckDlgButton(analyser->GetHandle(), kFftShowPhase, BST_CHECKED);
  SendMessage(analyser->GetHandle(), WM_COMMAND, kFftShowPhase, 0);
  dialogtest::Pump(analyser->GetHandle());
  InvalidateRect(analyser->Diagram()->GetHandle(), nullptr, FALSE);
  UpdateWindow(analyser->Diagram()->GetHandle());
  const std::vector<std::uint32_t> responsePixels = Shoot(analyser->GetHandle(), "audio_response");
  EXPECT_GT(Count(responsePixels, RGB(250, 250, 250)), 300);  // the magnitude curve
  EXPECT_GT(Count(responsePixels, RGB(250, 0, 250)), 200);    // the phase curve
  dialog->Destroy(IDCANCEL);
  delete dialog;
  list->Close();
  list->Release();
}

TEST_F(EffectDialogShots, TheEqualisersSettingsWindow) {
  EffectList* list = ListOf({Equalizer(2500.0f, -6.5f, 2.0f, "Presence")});
  EffectListDialog* dialog = EffectListDialog::EffectListDialogById(frame_, list, 0);
  ASSERT_TRUE(dialog->Create());
  ::ShowWindow(dialog->GetHandle(), SW_SHOW);
  SendDlgItemMessage(dialog->GetHandle(), kEffectList, LB_SETCURSEL, 0, 0);
  SendMessage(dialog->GetHandle(), WM_COMMAND, kEffectSettings, 0);
  HWND settings = list->first->component->ShowSettings(dialog->GetHandle());
  ASSERT_NE(settings, nullptr);
  const std::vector<std::uint32_t> pixels = Shoot(settings, "audio_equalizer_settings");
  EXPECT_GT(Count(pixels, GetSysColor(COLOR_BTNFACE)), 5000);  // the window's face
  EXPECT_GT(Count(pixels, GetSysColor(COLOR_WINDOW)), 1500);   // the three edits
  EXPECT_GT(Count(pixels, RGB(0, 0, 0)), 300);                 // labels and values
  dialog->Destroy(IDCANCEL);
  delete dialog;
  list->Close();
  list->Release();
}

}  // namespace
