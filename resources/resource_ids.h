// The numbers of the program's resources.
#pragma once

// Dialogs.
constexpr int kTermometerDialog = 1730;

// Items of the progress dialog.
constexpr int kTermometerText = 1724;
constexpr int kTermometerBar = 1731;
