// The numbers the time-line window answers to: its commands, the ids of its
// controls, its private request message with the request codes, and its
// cursor resources.
#pragma once

// Commands.
constexpr int kCmUndo = 311;
constexpr int kCmRedo = 312;
constexpr int kCmDelete = 313;
constexpr int kCmCut = 314;
constexpr int kCmCopy = 315;
constexpr int kCmPaste = 318;
constexpr int kCmInsert = 320;
constexpr int kCmSelectAll = 329;
constexpr int kCmDeselectAll = 330;
constexpr int kCmInvertSelection = 331;
constexpr int kCmJoin = 327;
constexpr int kCmSplit = 332;  // Split clip (326) keeps both parts in the clip's group; this takes them out
constexpr int kCmDeleteProfile = 333;
constexpr int kCeAudioEffects = 340;  // the "Audio effect(s)" popup
constexpr int kCmPasteEffects = 341;
constexpr int kCmAddEffects = 342;
constexpr int kCmDeleteEffects = 343;
constexpr int kCeDeclick = 350;  // the "Declick" popup
constexpr int kCmSetDeclickIn = 351;
constexpr int kCmSetDeclickOut = 352;
constexpr int kCmSetDeclickBoth = 353;
constexpr int kCmClearDeclickIn = 354;
constexpr int kCmClearDeclickOut = 355;
constexpr int kCmClearDeclickBoth = 356;
constexpr int kCmNextMarkGroup = 411;
constexpr int kCmNextSelectionGroup = 412;
constexpr int kCmShowVideoTracks = 414;
constexpr int kCmShowAudioTracks = 415;
constexpr int kCmShowMidiTrack = 416;
constexpr int kCmZoomIn = 424;
constexpr int kCmZoomOut = 425;
constexpr int kCmZoomToProject = 426;
constexpr int kCmStop = 512;
constexpr int kCmZoomInRange = 631;
constexpr int kCmSettings = 811;
constexpr int kCmLabelFont = 813;
constexpr int kCmClipNameFont = 814;
constexpr int kCmShowAudioMeter = 854;

// Commands of the lines' popup menus, answered by the line window that
// showed the menu.
constexpr int kCmPlayClip = 101;
constexpr int kCmAddMark = 102;
constexpr int kCmRemoveMark = 103;
constexpr int kCmMarkName = 104;
constexpr int kCmMarkPosition = 105;
constexpr int kCmInToNextKeyFrame = 106;
constexpr int kCmInToPrevKeyFrame = 107;
constexpr int kCmRepeatClip = 108;
constexpr int kCmTempo = 109;
constexpr int kCmClipVolume = 113;
constexpr int kCmDeleteSelected = 122;
constexpr int kCmCutSelected = 123;
constexpr int kCmCopySelected = 124;
constexpr int kCmAddSourceFile = 213;  // the frame's, for the lines
constexpr int kCmDeleteClip = 313;
constexpr int kCmCutClip = 314;
constexpr int kCmCopyClip = 315;
constexpr int kCmPasteClips = 318;
constexpr int kCmInsertClips = 320;
constexpr int kCmClipProperties = 321;
constexpr int kCmSplitClip = 326;
constexpr int kCmMidiEditor = 713;
constexpr int kCmVideoEditor = 714;
// The audio lines' popup.
constexpr int kCmFadeIn = 111;  // never enabled there
constexpr int kCmFadeOut = 112;
constexpr int kCmSetProfileValue = 114;
constexpr int kCmAddProfilePoint = 115;
constexpr int kCmRemoveProfilePoint = 116;
constexpr int kCmDeleteClipProfile = 117;
constexpr int kCmDeclickIn = 118;
constexpr int kCmDeclickOut = 119;
constexpr int kCmDeclickBoth = 120;
constexpr int kCmDeclickNone = 121;
constexpr int kCmUseEffects = 125;
constexpr int kCmEditEffects = 518;
constexpr int kCmAudioEditor = 712;

// The Range menu.
constexpr int kCmIncludeAllClips = 632;
// The Range menu's Copy, Cut and Clear: the group, all tracks, the active ones.
constexpr int kCmRangeCopy = 633;
constexpr int kCmRangeCopyAll = 634;
constexpr int kCmRangeCopyActive = 635;
constexpr int kCmRangeCut = 636;
constexpr int kCmRangeCutAll = 637;
constexpr int kCmRangeCutActive = 638;
constexpr int kCmRangeClear = 639;
constexpr int kCmRangeClearAll = 640;
constexpr int kCmRangeClearActive = 641;
// Ids of the Range menu that no item carries.
constexpr int kCmRangeUnused = 642;
constexpr int kCmRangeUnusedToo = 646;

// Playing, the View and Window menus, exports and the Tools menu.
constexpr int kCmExportAny = 220;  // no item: shares the export enabler
constexpr int kCmPlay = 511;
constexpr int kCmPlayStop = 513;
constexpr int kCmRecordAudio = 514;
constexpr int kCmRewind = 522;
constexpr int kCmPlayToVtr = 525;
constexpr int kCmVolumeControl = 711;
constexpr int kCmTool1 = 715;  // to 719, tool 1 to 5
constexpr int kCmAudioMeterClosed = 855;  // posted by the mixer window as it closes
constexpr int kCmShowVideoWindow = 856;
constexpr int kCmCloseVideoPreview = 857;
constexpr int kCmShowMixer = 858;

// Messages other windows and instances send the time-line.
constexpr unsigned kSetCursorMessage = 0x400 + 85;       // lParam: ms; returns the cursor before
constexpr unsigned kGetCursorMessage = 0x400 + 86;       // returns the cursor or the prepared start
constexpr unsigned kStopMessage = 0x400 + 88;            // the Stop command
constexpr unsigned kPlayMessage = 0x400 + 89;            // wParam: wait kind; lParam: GPI input
constexpr unsigned kPrepareRangeMessage = 0x400 + 90;    // returns the parts prepared
constexpr unsigned kRecordedFileMessage = 0x400 + 95;    // wParam: ms or -1; lParam: the file's name
constexpr unsigned kRecorderDoneMessage = 0x400 + 96;    // wParam 1: lParam names a file to add
constexpr unsigned kReplayMessage = 0x400 + 97;          // plays the range again

// Controls.
constexpr int kSetSizeButtonId = 1141;
constexpr int kHorzScrollBarId = 1901;
constexpr int kVertScrollBarId = 1902;

// Commands of the time-line's modes, scrolling and small handlers.
constexpr int kCmExportAvi = 221;
constexpr int kCmExportWave = 222;
constexpr int kCmExportMpeg = 225;
constexpr int kCmVolumeProfile = 322;
constexpr int kCmBalanceProfile = 323;
constexpr int kCmMultiselect = 324;
constexpr int kCmAddPointMode = 325;
constexpr int kCmAudioHeightDouble = 418;
constexpr int kCmAudioHeightNormal = 419;
constexpr int kCmAudioHeightHalf = 420;
constexpr int kCmNextFrame = 515;
constexpr int kCmPrevFrame = 516;
constexpr int kCmMasterVolume = 517;
constexpr int kCmMasterEffects = 518;
constexpr int kCmUseMasterEffects = 519;
constexpr int kCmVtrSetup = 526;
constexpr int kCmConfigureTools = 720;
constexpr int kCmScrollLineUp = 921;
constexpr int kCmScrollLineDown = 922;
constexpr int kCmScrollLeft = 923;
constexpr int kCmScrollRight = 924;

// WM_USER + 99: requests to the time-line window (wParam the code, lParam
// its argument).
constexpr unsigned kTimeLineRequestMessage = 0x400 + 99;
constexpr int kRequestNothing = 0;
constexpr int kRequestMeasureTimeText = 1;
constexpr int kRequestUndoStep = 5;
constexpr int kRequestSettingsPage = 10;
constexpr int kRequestShowFrame = 11;

// Cursors of the lines and the header controls, by hit zone.
constexpr int kCursorTrimStart = 24001;
constexpr int kCursorTrimEnd = 24002;
constexpr int kCursorClipBody = 24003;
constexpr int kCursorMoveClips = 24004;
constexpr int kCursorPlaying = 24005;
constexpr int kCursorNoDrop = 24006;
constexpr int kCursorKeyPoint = 24007;
constexpr int kCursorFlatSegment = 24008;
constexpr int kCursorSlopedSegment = 24009;
constexpr int kCursorRubberBand = 24010;
constexpr int kCursorDropShortened = 24011;
constexpr int kCursorDropFits = 24012;
constexpr int kCursorClipMark = 24013;
constexpr int kCursorTimeLine = 24014;
constexpr int kCursorInsert = 24015;
constexpr int kCursorEffects = 24016;

// The project frame's popup menus that the time-line sets the checks of:
// the View menu (414 to 416) and the Command menu (519).
constexpr int kViewMenuPosition = 2;
constexpr int kCommandMenuPosition = 3;

// The time-line's keys; the project frame loads them into its own table.
constexpr int kTimeLineAccelerators = 120;
