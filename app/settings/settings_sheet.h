// The "Settings..." and "Synchronization..." commands: the sheet of the program's options, opened on
// the page that was current when it last closed (START_PAGE of MAIN_WINDOW).
#pragma once

class TWindow;

// Runs the settings sheet over parent. While the project plays it shows
// "The project is currently playing" and opens nothing. Returns the sheet's
// result (IDOK, IDCANCEL), 0 when it did not open.
int RunSettingsSheet(TWindow* parent);

// The "Synchronization..." command: the sheet of the GPI Ports page, opened
// on the page it closed on (START_SYNCHRO_PAGE of MAIN_WINDOW).
int RunSynchronizationSheet(TWindow* parent);
