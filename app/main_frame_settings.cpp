// The settings and synchronization sheets of the frame.
#include "app/main_frame.h"
#include "app/settings/settings_sheet.h"

void TMainFrame::CmSettings() {
  RunSettingsSheet(this);
}

void TMainFrame::CmSynchronization() {
  RunSynchronizationSheet(this);
}
