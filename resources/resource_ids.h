// The numbers of the program's resources.
#pragma once

// Dialogs.
constexpr int kTermometerDialog = 1730;
constexpr int kAskFileDialog = 1370;     // a media file is missing
constexpr int kSelectFileDialog = 1371;  // files of the same name were found
constexpr int kAskAddClipDialog = 1372;  // a clip is added twice
constexpr int kSave32AudioPanel = 1850;  // the audio export save dialog's panel

// Items of the progress dialog.
constexpr int kTermometerText = 1724;
constexpr int kTermometerBar = 1731;

// Items of the question dialogs.
constexpr int kQuestionText = 1375;
constexpr int kCandidateList = 1724;
constexpr int kIdSkip = 7;
constexpr int kIdBrowseInList = 1169;  // Browse beside a list (OK takes the list's choice)
constexpr int kIdAddAll = 1376;
constexpr int kIdSkipAll = 1377;

// Items of the audio export save dialog's panel (1119 holds the chooser).
constexpr int kExportFormatText = 1375;
constexpr int kExportOptions = 1851;
