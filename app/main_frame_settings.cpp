// The settings and synchronization sheets of the frame.
#include "app/main_frame.h"

void TMainFrame::CmSettings() {}

void TMainFrame::CmSynchronization() {}
