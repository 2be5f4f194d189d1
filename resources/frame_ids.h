// The numbers of the project frame and the application: their commands,
// the frame's menu, key table, tool-bar pictures and icons, and the frame's
// private request message with its request codes.
#pragma once

constexpr int kFrameMenu = 100;
constexpr int kFrameAccelerators = 100;
constexpr int kFrameIcon = 1001;
constexpr int kClipFrameIcon = 1002;
constexpr int kHelpCursor = 24000;

// The frame's commands.
constexpr int kCmCloseProject = 210;
constexpr int kCmSaveAll = 212;
constexpr int kCmRecentFile1 = 214;  // to 217
constexpr int kCmRecentFile4 = 217;
constexpr int kCmExportEdl = 226;
constexpr int kCmImportEdl = 227;
constexpr int kCmCopyFromFile = 317;
constexpr int kCmSynchronization = 815;
constexpr int kCmShowCollectionKey = 853;  // F6 in the project frame
constexpr int kCmProjectHelp = 911;
constexpr int kCmCollectionHelp = 916;
constexpr int kCmNewProject = 24331;
constexpr int kCmOpenProject = 24332;
constexpr int kCmSaveProject = 24333;
constexpr int kCmSaveProjectAs = 24334;

// The application's commands.
constexpr int kCmTimeInFrames = 421;
constexpr int kCmTimeInSmpte = 422;
constexpr int kCmTimeInMilliseconds = 423;
constexpr int kCmSaveOptions = 825;
constexpr int kCmShowCollection = 851;
constexpr int kCmShowProject = 852;
constexpr int kCmHelpOverview = 919;
constexpr int kCmHelpContents = 2001;
constexpr int kCmHelpOnHelp = 2002;
constexpr int kCmAbout = 2009;
constexpr int kCmExit = 24310;

// Position of the recent files in the File menu.
constexpr int kRecentFilesPosition = 10;

// WM_USER + 99 to the frame: wParam the request, lParam its argument.
constexpr unsigned kFrameRequestMessage = 0x400 + 99;
constexpr int kFrameRequestStartUp = 0;
constexpr int kFrameRequestValue = 1;
constexpr int kFrameRequestBoardBack = 8;
constexpr int kFrameRequestClose = 9;
constexpr int kFrameRequestCommandLine = 11;
constexpr int kFrameRequestCloseAll = 20;
constexpr int kFrameRequestOpenFile = 21;
constexpr int kFrameRequestPrepare = 22;
constexpr int kFrameRequestRenderStatus = 31;
constexpr int kFrameRequestRecheckFiles = 55;
constexpr int kFrameRequestCountdown = 109;
// Another instance asks the frame to come to the front (restored when
// minimised).
constexpr unsigned kFrameRaiseMessage = 0x400 + 100;
// The help's opener ended (posted by the thread that watches it): wParam the
// opening's number, lParam how it ended. The frame hands it to the
// application.
constexpr unsigned kFrameHelpEndedMessage = 0x8000 + 1;
