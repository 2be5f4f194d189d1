#include "app/settings/settings_sheet.h"

#include <algorithm>

#include "app/settings/audio_page.h"
#include "app/settings/colors_page.h"
#include "app/settings/general_page.h"
#include "app/settings/gpi_page.h"
#include "app/settings/meter_page.h"
#include "app/settings/playback_pages.h"
#include "app/settings/save_pages.h"
#include "app/settings/selection_pages.h"
#include "app/settings/settings_host.h"
#include "app/settings/troubleshooting_page.h"
#include "app/settings/video_page.h"
#include "clips/summary_dialog.h"
#include "model/error_codes.h"
#include "model/ini.h"
#include "model/message_box.h"
#include "model/ui_strings.h"
#include "ui/te_property_sheet.h"

namespace {

constexpr const char* kSection = "MAIN_WINDOW";
constexpr const char* kStartPageKey = "START_PAGE";
constexpr const char* kSynchroPageKey = "START_SYNCHRO_PAGE";

// Pages adds the sheet's pages, each numbered through the counter it is
// given. Opens the sheet on the remembered page and remembers the page
// last shown; afterwards, when redraw, the time-line and the tiles redraw.
int RunSheet(TWindow* parent, int captionId, const char* key, bool redraw,
             void (*pages)(TPropertySheet& sheet, int* counter)) {
  SettingsHost& host = CurrentSettingsHost();
  const char* caption = GetString(captionId);
  HWND owner = parent != nullptr ? parent->GetHandle() : nullptr;
  if (host.IsPlaying()) {
    ErrorBox(owner, kErrPlaying, caption);
    return 0;
  }
  IniSetSection(kSection);
  const int start = IniReadInt(key, 0);

  // The pages are the sheet's children: they go with it.
  TEPropertySheet sheet(parent, caption);
  int pageIndexVariable = 0;
  pages(sheet, &pageIndexVariable);
  // A remembered page past the end (an edited settings file) opens the last.
  pageIndexVariable = std::clamp(start, 0, std::max(sheet.GetPageCount() - 1, 0));
  sheet.SetStartPage(static_cast<UINT>(pageIndexVariable));

  host.EnableTimeLineCommands(false);
  const int result = sheet.Execute();
  if (redraw) {
    host.TimeLineZoomChanged();
    host.RedrawClipTiles();
  }
  IniSetSection(kSection);
  IniWriteInt(key, pageIndexVariable);
  IniFlush();
  host.EnableTimeLineCommands(true);
  return result;
}

void SettingsPages(TPropertySheet& sheet, int* counter) {
  new GeneralDialog(&sheet, counter);
  new VideoParamDialog(&sheet, counter);
  new SoundParamDialog(&sheet, counter);
  new TroubleshootingDialog(&sheet, counter);
  new GravityDialog(&sheet, counter);
  new SelectionDialog(&sheet, counter);
  new SummaryDialog(&sheet, counter, &ProjectSummary, true);
  new ColorsDialog(&sheet, counter);
  new SaveDialog(&sheet, counter);
  new ScrubbingDialog(&sheet, counter);
  new EffectParamDialog(&sheet, counter);
  new DeclickDialog(&sheet, counter);
  new AudioMeterDialog(&sheet, counter);
  new VFXDialog(&sheet, counter);
}

void SynchronizationPages(TPropertySheet& sheet, int* counter) {
  new GPIDialog(&sheet, counter);
}

}  // namespace

int RunSettingsSheet(TWindow* parent) {
  return RunSheet(parent, ui_string::kSettingsCaption, kStartPageKey, true, SettingsPages);
}

int RunSynchronizationSheet(TWindow* parent) {
  return RunSheet(parent, ui_string::kSynchronizationCaption, kSynchroPageKey, false, SynchronizationPages);
}
