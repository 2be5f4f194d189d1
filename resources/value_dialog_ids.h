// The numbers of the value dialogs and the level popups, and of their items.
#pragma once

// Dialogs.
constexpr int kTimeCodeDialog = 1380;          // "Edit Time"
constexpr int kTimeFragmentDialog = 1381;      // "Time Range"
constexpr int kSelViewDialog = 1550;           // "Set Size"
constexpr int kNameDialog = 1392;              // "Edit Name"
constexpr int kLoopDialog = 1350;              // "Repeat Clip"
constexpr int kTimeoutsDialog = 1360;          // "Timeouts"
constexpr int kSetTempoDialog = 1430;          // "Tempo"
constexpr int kSetLevelDialog = 1410;          // "Volume"
constexpr int kSetBalanceDialog = 1411;        // "Balance"
constexpr int kSetVolumeBalanceDialog = 1412;  // "Vol.,Bal."

// "Edit Time".
constexpr int kTimeCodeEdit = 1385;

// "Time Range".
constexpr int kRangeLeft = 1122;
constexpr int kRangeRight = 1123;
constexpr int kRangeSize = 1124;

// "Set Size".
constexpr int kProjectSize = 1141;
constexpr int kAudioTracks = 1142;
constexpr int kAreaLeft = 1551;
constexpr int kAreaSize = 1552;
constexpr int kAreaRight = 1553;
constexpr int kMarkLeft = 1554;
constexpr int kMarkSize = 1555;
constexpr int kMarkRight = 1556;

// "Edit Name".
constexpr int kNameEdit = 1396;

// "Repeat Clip".
constexpr int kLoopCount = 1143;
constexpr int kLoopClipLength = 1351;
constexpr int kLoopPause = 1352;
constexpr int kLoopPeriod = 1353;
constexpr int kLoopTotal = 1337;

// "Timeouts".
constexpr int kTimeoutsText = 1361;
constexpr int kTimeoutsShowAgain = 1172;

// "Tempo".
constexpr int kTempoBar = 1431;
constexpr int kTempoEdit = 1432;
constexpr int kTempoReference = 1434;

// The level popups.
constexpr int kLevelSlider = 1413;
constexpr int kLevelPlace = 1414;
constexpr int kLevelDb = 1415;
constexpr int kLevelPercent = 1416;
constexpr int kBalanceSlider = 1417;
constexpr int kBalancePlace = 1418;
constexpr int kBalancePercent = 1419;
