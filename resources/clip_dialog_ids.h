// The numbers of the clip properties dialog, the clip open dialog's panel,
// the VTR setup, the transition choice and the missing-effects dialogs, and
// of their items.
#pragma once

// Dialogs.
constexpr int kFilmEditDialog = 1130;   // "Clip Properties"
constexpr int kClipOpenPanel = 1100;    // the clip open dialog's panel
constexpr int kVTRSetupDialog = 1770;   // "VTR Setup"
constexpr int kNoFiltersDialog = 1870;  // "Open Audio Effects"
constexpr int kSelectVFXDialog = 1880;  // "VideoFX Selection"

// "Clip Properties".
constexpr int kClipFileName = 1112;
constexpr int kClipName = 1111;
constexpr int kClipIn = 1122;
constexpr int kClipOut = 1123;
constexpr int kClipStart = 1133;
constexpr int kClipShowFrame = 1132;
constexpr int kClipSourceLength = 1124;
constexpr int kClipSize = 1135;
constexpr int kClipStop = 1134;

// The clip open dialog's panel (1119 holds the chooser).
constexpr int kClipPreview = 1101;
constexpr int kClipAutoPreview = 1102;
constexpr int kClipInfo = 1375;
constexpr int kClipAdd = 1339;

// "VTR Setup".
constexpr int kVtrStart = 1133;
constexpr int kVtrType = 1571;
constexpr int kVtrTimeCode = 1775;
constexpr int kVtrFormat = 1572;
constexpr int kVtrPreroll = 1774;
constexpr int kVtrAccuracy = 1773;
constexpr int kVtrPort = 1724;
constexpr int kVtrBaud = 1772;
constexpr int kVtrDataBits = 1192;
constexpr int kVtrStopBits = 1776;
constexpr int kVtrParity = 1777;
constexpr int kVtrDefault = 1125;

// "VideoFX Selection".
constexpr int kVfxType = 1571;
constexpr int kVfxSize = 1261;

// "Open Audio Effects".
constexpr int kMissingEffectList = 1724;
constexpr int kMissingEffectGuid = 1375;
