// The templates of the settings pages.
#include "platform/gui/gui.h"
#include "resources/settings_dialog_ids.h"

namespace {

constexpr DWORD kShown = WS_VISIBLE;
constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;
constexpr DWORD kList = kTab | CBS_DROPDOWNLIST | WS_VSCROLL;

DialogItemTemplate Button(const char* text, int id, short x, short y, short w = 60) {
  return {WC_BUTTON, text, id, kTab | BS_PUSHBUTTON, 0, x, y, w, 14};
}

constexpr DWORD kField = kTab | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kCheck = kTab | BS_AUTOCHECKBOX;

DialogItemTemplate Spin() {
  return {UPDOWN_CLASS, "", -1, kShown | UDS_AUTOBUDDY | UDS_ALIGNRIGHT, 0, 0, 0, 9, 12};
}

DialogTemplate General() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "General";
  t.items = {
      {WC_STATIC, "Project &Size:", -1, kLabel, 0, 7, 9, 90, 8},
      {"TimeEditControl", "", kGeneralProjectSize, kTab | WS_BORDER, 0, 100, 7, 70, 12},
      {WC_STATIC, "Audio &Tracks:", -1, kLabel, 0, 7, 25, 90, 8},
      {WC_EDIT, "", kGeneralAudioTracks, kField, 0, 100, 23, 40, 12},
      Spin(),
      {WC_STATIC, "&Undo/Redo depth:", -1, kLabel, 0, 7, 41, 90, 8},
      {WC_EDIT, "", kGeneralUndoDepth, kField, 0, 100, 39, 40, 12},
      Spin(),
      {WC_STATIC, "&Repeat playback:", -1, kLabel, 0, 7, 57, 90, 8},
      {WC_EDIT, "", kGeneralRepeat, kField, 0, 100, 55, 60, 12},
      Spin(),
      {WC_STATIC, "Start video &Playback:", -1, kLabel, 0, 7, 73, 90, 8},
      {WC_COMBOBOX, "", kGeneralStartPlayback, kList, 0, 100, 71, 153, 120},
      {WC_BUTTON, "Start playback from &Current time position", kGeneralFromCursor, kCheck, 0, 7, 93, 246, 10},
      {WC_BUTTON, "&Hide cursor during playback", kGeneralHideCursor, kCheck, 0, 7, 107, 246, 10},
      {WC_BUTTON, "&Enable solo/mute control during playback", kGeneralRealtimeMute, kCheck, 0, 7, 121, 246, 10},
  };
  return t;
}

DialogTemplate Video() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "Video";
  t.items = {
      {WC_STATIC, "&Frame rate:", -1, kLabel, 0, 7, 9, 70, 8},
      {WC_EDIT, "", kVideoFrameRate, kField, 0, 80, 7, 50, 12},
      Spin(),
      {WC_STATIC, "&Playback mode:", -1, kLabel, 0, 7, 25, 70, 8},
      {WC_COMBOBOX, "", kVideoPlaybackMode, kList, 0, 80, 23, 173, 100},
      {WC_STATIC, "&Zoom:", -1, kLabel, 0, 7, 41, 70, 8},
      {WC_COMBOBOX, "", kVideoZoom, kList, 0, 80, 39, 50, 120},
      {WC_BUTTON, "Show &Information about dropped frames", kVideoShowDropped, kCheck, 0, 7, 59, 246, 10},
      {WC_BUTTON, "Draw first and last frames at clip &Edges", kVideoEdges, kCheck, 0, 7, 73, 246, 10},
      {WC_BUTTON, "Start from &Key frame only", kVideoKeyFrames, kCheck, 0, 7, 87, 246, 10},
      {WC_BUTTON, "&Always on top", kVideoOnTop, kCheck, 0, 7, 101, 246, 10},
      {WC_BUTTON, "&Synchronize to audio", kVideoSynchronize, kCheck, 0, 7, 115, 246, 10},
      {WC_BUTTON, "&Never yield hardware device", kVideoNeverYield, kCheck, 0, 7, 129, 246, 10},
      {WC_STATIC, "A codec that cannot draw by itself plays in this mode as \"Decompress and then draw\".",
       kVideoModeNote, SS_LEFT, 0, 7, 145, 246, 18},
  };
  return t;
}

DialogTemplate Audio() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "Audio";
  t.items = {
      {WC_STATIC, "Output &format:", -1, kLabel, 0, 7, 9, 70, 8},
      {WC_COMBOBOX, "", kAudioFormat, kList, 0, 80, 7, 110, 80},
      Button("&Advanced", kAudioAdvanced, 196, 6, 57),
      {WC_STATIC, "&Buffer size:", -1, kLabel, 0, 7, 25, 70, 8},
      {WC_EDIT, "", kAudioBuffer, kField, 0, 80, 23, 40, 12},
      Spin(),
      {WC_STATIC, "s", -1, kLabel, 0, 124, 25, 10, 8},
      {WC_BUTTON, "&Playback through file", kAudioThroughFile, kCheck, 0, 140, 24, 113, 10},
      {WC_STATIC, "&Waveform:", -1, kLabel, 0, 7, 41, 70, 8},
      {WC_COMBOBOX, "", kAudioWaveform, kList, 0, 80, 39, 54, 80},
      {WC_BUTTON, "&Limit playback to 16 bit", kAudioLimit16, kCheck, 0, 140, 40, 113, 10},
      {WC_STATIC, "&Output:", -1, kLabel, 0, 7, 59, 70, 8},
      {WC_COMBOBOX, "", kAudioOutput, kList, 0, 80, 57, 173, 100},
      {WC_STATIC, "&Input:", -1, kLabel, 0, 7, 75, 70, 8},
      {WC_COMBOBOX, "", kAudioInput, kList, 0, 80, 73, 173, 100},
      {WC_STATIC, "&Midi:", -1, kLabel, 0, 7, 91, 70, 8},
      {WC_COMBOBOX, "", kAudioMidi, kList, 0, 80, 89, 173, 100},
      {WC_BUTTON, "&Automatically change mixer state", kAudioBoardMixer, kCheck, 0, 7, 112, 160, 10},
      Button("&Configure mixer", kAudioConfigureMixer, 180, 110, 73),
  };
  return t;
}

DialogTemplate Troubleshooting() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "Troubleshooting";
  t.items = {
      {WC_BUTTON, "&Use playback starting delay in full-duplex mode", kTroubleUseDelay, kCheck, 0, 7, 9, 246, 10},
      {WC_STATIC, "&Delay:", kTroubleDelayLabel, kLabel, 0, 19, 27, 40, 8},
      {WC_EDIT, "", kTroubleDelay, kField, 0, 62, 25, 40, 12},
      Spin(),
      {WC_STATIC, "ms", kTroubleDelayUnit, kLabel, 0, 106, 27, 20, 8},
      {WC_BUTTON, "&Reopen video codec at any operation", kTroubleReopenCodec, kCheck, 0, 7, 47, 246, 10},
      {WC_BUTTON, "&Don't optimize playback audio", kTroubleDontOptimize, kCheck, 0, 7, 61, 246, 10},
  };
  return t;
}

DialogTemplate Alignment() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "Alignment";
  t.items = {
      {WC_BUTTON, "Align current time position to the nearest &Frame", kGravityToFrame, kCheck, 0, 7, 7, 246, 10},
      {WC_BUTTON, "Attract current time position to place &Marks", kGravityAlignTime, kCheck, 0, 7, 21, 246, 10},
      {WC_BUTTON, "&Attract to place marks", kGravityAlignBox, kShown | BS_GROUPBOX, 0, 7, 37, 130, 126},
  };
  const char* const aligns[] = {"None",        "Marks inside active group", "Leftmost edge", "Left edges",
                                "Rightmost edge", "Right edges",            "Mouse position"};
  for (int i = 0; i < 7; ++i) {
    const DWORD style = kTab | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0);
    t.items.push_back({WC_BUTTON, aligns[i], kGravityAlignFirst + i, style, 0, 14, static_cast<short>(50 + 16 * i),
                       118, 10});
  }
  t.items.push_back({WC_STATIC, "Active group &Number:", -1, kLabel | WS_GROUP, 0, 145, 41, 108, 8});
  t.items.push_back({WC_COMBOBOX, "", kGravityGroup, kList, 0, 145, 52, 60, 120});
  t.items.push_back({WC_STATIC, "&Distance:", -1, kLabel, 0, 145, 73, 108, 8});
  t.items.push_back({WC_EDIT, "", kGravityDistance, kField, 0, 145, 84, 40, 12});
  t.items.push_back(Spin());
  return t;
}

DialogTemplate Selection() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "Selection";
  t.items = {
      {WC_STATIC, "&Active group number:", -1, kLabel, 0, 7, 9, 90, 8},
      {WC_COMBOBOX, "", kSelectionGroup, kList, 0, 100, 7, 50, 120},
      {WC_BUTTON, "&Exclusive \"Solo\"", kSelectionExclusiveSolo, kCheck, 0, 7, 29, 246, 10},
      {WC_BUTTON, "&Do not drag current time position", kSelectionKeepCurTime, kCheck, 0, 7, 43, 246, 10},
      {WC_BUTTON, "&Time marker (current time position) is active on clips", kSelectionCurTimeOverClips, kCheck, 0,
       7, 57, 246, 10},
  };
  return t;
}

// The five most used fields, and the buttons of the editable form.
DialogTemplate Summary(bool editable) {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "Summary";
  const DWORD field = kField | (editable ? 0 : ES_READONLY);
  t.items = {
      {WC_STATIC, "&Title:", -1, kLabel, 0, 7, 9, 50, 8},
      {WC_EDIT, "", kSummaryTitle, field, 0, 60, 7, 193, 12},
      {WC_STATIC, "&Author:", -1, kLabel, 0, 7, 25, 50, 8},
      {WC_EDIT, "", kSummaryAuthor, field, 0, 60, 23, 193, 12},
      {WC_STATIC, "&Subject:", -1, kLabel, 0, 7, 41, 50, 8},
      {WC_EDIT, "", kSummarySubject, field, 0, 60, 39, 193, 12},
      {WC_STATIC, "&Copyright:", -1, kLabel, 0, 7, 57, 50, 8},
      {WC_EDIT, "", kSummaryCopyrightEdit, field, 0, 60, 55, 193, 12},
      {WC_STATIC, "Com&ments:", -1, kLabel, 0, 7, 73, 50, 8},
      {WC_EDIT, "", kSummaryComments, (field & ~ES_AUTOHSCROLL) | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, 0, 60,
       71, 193, 48},
      Button("E&xtended", kSummaryExtended, 7, 149),
  };
  if (editable) {
    t.items.push_back({WC_BUTTON, "Do&n't export fields", kSummaryDontExport, kCheck, 0, 60, 126, 193, 10});
    t.items.push_back(Button("Set as &Default", kSummarySetDefault, 193, 149));
  }
  return t;
}

DialogTemplate ExtSummary(bool editable) {
  DialogTemplate t;
  t.cx = 280;
  t.cy = 200;
  t.caption = "Extended Summary";
  t.items = {
      {WC_STATIC, "&Fields:", -1, kLabel, 0, 7, 7, 100, 8},
      {WC_LISTBOX, "", kExtSummaryFields,
       kTab | WS_BORDER | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_NOTIFY, 0, 7, 17, 266, 100},
      {WC_STATIC, "&Content:", -1, kLabel, 0, 7, 121, 100, 8},
      {WC_EDIT, "", kExtSummaryContent,
       kTab | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | (editable ? 0 : ES_READONLY), 0, 7, 131,
       266, 40},
  };
  short x = 7;
  if (editable) {
    t.items.push_back(Button("&Reset", kExtSummaryReset, x, 179, 50));
    t.items.push_back(Button("set as &Default", kSummarySetDefault, static_cast<short>(x + 54), 179, 60));
  }
  x = 115;
  t.items.push_back({WC_BUTTON, "OK", IDOK, kTab | BS_DEFPUSHBUTTON | WS_GROUP, 0, static_cast<short>(x + 4), 179, 48, 14});
  t.items.push_back({WC_BUTTON, "Cancel", IDCANCEL, kTab | BS_PUSHBUTTON, 0, static_cast<short>(x + 56), 179, 48, 14});
  t.items.push_back({WC_BUTTON, "Help", IDHELP, kTab | BS_PUSHBUTTON, 0, static_cast<short>(x + 108), 179, 48, 14});
  return t;
}

DialogTemplate Gpi() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "GPI Ports";
  const char* const groups[kGpiLines] = {"GPI&0", "GPI&1", "GPI&2", "GPI&3"};
  const char* const names[kGpiLines] = {"COM1.GPI0", "COM1.GPI1", "COM2.GPI0", "COM2.GPI1"};
  for (int n = 0; n < kGpiLines; ++n) {
    const short x = static_cast<short>(7 + (n % 2) * 126);
    const short y = static_cast<short>(7 + (n / 2) * 56);
    t.items.push_back({WC_BUTTON, groups[n], -1, kShown | BS_GROUPBOX, 0, x, y, 120, 50});
    t.items.push_back({WC_STATIC, names[n], kGpiName + n, kLabel, 0, static_cast<short>(x + 7),
                       static_cast<short>(y + 12), 106, 8});
    t.items.push_back({WC_BUTTON, "Open by default", kGpiOpen + n, kCheck | WS_GROUP, 0, static_cast<short>(x + 7),
                       static_cast<short>(y + 24), 106, 10});
    t.items.push_back({WC_BUTTON, "Input", kGpiInput + n, kCheck, 0, static_cast<short>(x + 7),
                       static_cast<short>(y + 36), 106, 10});
  }
  t.items.push_back({WC_STATIC, "&Timeout:", -1, kLabel | WS_GROUP, 0, 7, 125, 40, 8});
  t.items.push_back({"TimeEditControl", "", kGpiTimeout, kTab | WS_BORDER, 0, 50, 123, 70, 12});
  t.items.push_back({WC_STATIC, "ms", kGpiTimeoutUnit, kLabel, 0, 124, 125, 20, 8});
  return t;
}

DialogTemplate Save() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "Save";
  t.items = {
      {WC_BUTTON, "&Save project and clip collection", kSaveAuto, kCheck, 0, 7, 7, 246, 10},
      {WC_STATIC, "&Every", kSavePeriodLabel, kLabel, 0, 19, 25, 40, 8},
      {WC_EDIT, "", kSavePeriod, kField, 0, 62, 23, 40, 12},
      Spin(),
      {WC_STATIC, "minutes", kSavePeriodUnit, kLabel, 0, 106, 25, 60, 8},
      {WC_STATIC, "and/or &After", kSaveCountLabel, kLabel, 0, 19, 41, 42, 8},
      {WC_EDIT, "", kSaveCount, kField, 0, 62, 39, 40, 12},
      Spin(),
      {WC_STATIC, "actions", kSaveCountUnit, kLabel, 0, 106, 41, 60, 8},
      {WC_BUTTON, "&Thumbnail picture", kSaveThumbnails, kCheck, 0, 7, 61, 246, 10},
      {WC_BUTTON, "&Waveform picture", kSaveWaveforms, kCheck, 0, 7, 75, 246, 10},
      {WC_STATIC, "Temporary &directory:", -1, kLabel, 0, 7, 95, 246, 8},
      {WC_EDIT, "", kSaveTempFolder, kField, 0, 7, 106, 246, 12},
  };
  return t;
}

DialogTemplate Vfx() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "VideoFX";
  t.items = {
      {WC_STATIC, "&Max. quality:", -1, kLabel, 0, 7, 9, 60, 8},
      {WC_EDIT, "", kVfxMaxQuality, kField, 0, 70, 7, 40, 12},
      Spin(),
      {WC_STATIC, "%", -1, kLabel, 0, 114, 9, 10, 8},
      {WC_BUTTON, "&Limit data rate", kVfxLimitRate, kCheck, 0, 7, 27, 246, 10},
      {WC_STATIC, "Min. &Quality:", kVfxMinLabel, kLabel, 0, 19, 45, 50, 8},
      {WC_EDIT, "", kVfxMinQuality, kField, 0, 70, 43, 40, 12},
      Spin(),
      {WC_STATIC, "Data rate:", kVfxRateLabel, kLabel, 0, 19, 61, 50, 8},
      {WC_EDIT, "", kVfxDataRate, kField, 0, 70, 59, 50, 12},
      Spin(),
      {WC_STATIC, "MBytes/sec", kVfxRateUnit, kLabel, 0, 124, 61, 60, 8},
      {WC_BUTTON, "&Project subdirectory", kVfxProjectFolder, kCheck, 0, 7, 81, 246, 10},
      {WC_EDIT, "", kVfxFolder, kField, 0, 7, 95, 246, 12},
  };
  return t;
}

DialogTemplate Scrubbing() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "Scrubbing";
  t.items = {
      {WC_BUTTON, "Show &Video", kScrubVideo, kCheck, 0, 7, 7, 246, 10},
      {WC_BUTTON, "Play &Audio", kScrubAudio, kCheck, 0, 7, 21, 246, 10},
      {WC_STATIC, "M&in.", -1, kLabel, 0, 19, 39, 30, 8},
      {WC_EDIT, "", kScrubMin, kField, 0, 52, 37, 40, 12},
      Spin(),
      {WC_STATIC, "sec", -1, kLabel, 0, 96, 39, 20, 8},
      {WC_STATIC, "Ma&x.", -1, kLabel, 0, 19, 55, 30, 8},
      {WC_EDIT, "", kScrubMax, kField, 0, 52, 53, 40, 12},
      Spin(),
      {WC_STATIC, "sec", -1, kLabel, 0, 96, 55, 20, 8},
      {WC_BUTTON, "Auto-scroll ro&lls", kScrubAutoScroll, kCheck, 0, 7, 75, 246, 10},
  };
  return t;
}

DialogTemplate Declick() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "Declick";
  t.items = {
      {WC_STATIC, "&Type:", -1, kLabel, 0, 7, 9, 40, 8},
      {WC_COMBOBOX, "", kDeclickType, kList, 0, 50, 7, 100, 60},
      {WC_STATIC, "&Length:", -1, kLabel, 0, 7, 27, 40, 8},
      {WC_EDIT, "", kDeclickLength, kField, 0, 50, 25, 50, 12},
      Spin(),
      {WC_STATIC, "msec", -1, kLabel, 0, 104, 27, 30, 8},
      {WC_BUTTON, "&Auto set fadeIn/fadeOut", kDeclickAuto, kCheck, 0, 7, 47, 246, 10},
  };
  return t;
}

DialogTemplate Effects() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "Effects";
  const struct {
    const char* label;
    int id;
  } rows[4] = {{"&Realtime quality (playback and preview)", kEffectsRealTime},
               {"Final quality (&Export audio to file)", kEffectsFinal},
               {"&Frequency response calculation quality", kEffectsResponse},
               {"&Other functions quality (normalize etc.)", kEffectsMisc}};
  for (int i = 0; i < 4; ++i) {
    const short y = static_cast<short>(7 + 32 * i);
    t.items.push_back({WC_STATIC, rows[i].label, -1, kLabel, 0, 7, y, 246, 8});
    t.items.push_back({WC_COMBOBOX, "", rows[i].id, kList, 0, 7, static_cast<short>(y + 10), 120, 60});
  }
  return t;
}

DialogTemplate AudioMeter() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "Audio meter";
  const struct {
    const char* label;
    int id;
  } bands[4] = {{"&Red:", kMeterRed}, {"&Yellow:", kMeterYellow}, {"&Green:", kMeterGreen}, {"&Blue:", kMeterBlue}};
  t.items.push_back({WC_BUTTON, "Levels", -1, kShown | BS_GROUPBOX, 0, 7, 4, 100, 80});
  for (int i = 0; i < 4; ++i) {
    const short y = static_cast<short>(17 + 16 * i);
    t.items.push_back({WC_STATIC, bands[i].label, -1, kLabel, 0, 13, static_cast<short>(y + 2), 30, 8});
    t.items.push_back({WC_EDIT, "", bands[i].id, kField, 0, 46, y, 44, 12});
    t.items.push_back(Spin());
  }
  const DialogItemTemplate rest[] = {
      {WC_STATIC, "&Meter size:", -1, kLabel, 0, 7, 91, 45, 8},
      {WC_EDIT, "", kMeterSize, kField, 0, 53, 89, 44, 12},
      Spin(),
      {WC_BUTTON, "&Peak hold", kMeterPeakHold, kCheck, 0, 7, 107, 100, 10},
      {WC_BUTTON, "Always on &Top", kMeterOnTop, kCheck, 0, 7, 121, 100, 10},
      {WC_BUTTON, "&Automatic", kMeterAuto, kCheck, 0, 115, 7, 60, 10},
      {WC_STATIC, "0 at:", kMeterZeroLabel, kLabel, 0, 178, 8, 20, 8},
      {WC_EDIT, "", kMeterZero, kField, 0, 199, 6, 40, 12},
      Spin(),
      {WC_STATIC, "dB", kMeterZeroUnit, kLabel, 0, 242, 8, 12, 8},
      {WC_LISTBOX, "", kMeterLabels, kTab | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 115, 22,
       138, 88},
      {WC_STATIC, "Level:", kMeterLevelLabel, kLabel, 0, 115, 116, 24, 8},
      {WC_EDIT, "", kMeterLabelLevel, kField, 0, 140, 114, 40, 12},
      Spin(),
      {WC_STATIC, "Name:", kMeterNameLabel, kLabel, 0, 186, 116, 22, 8},
      {WC_EDIT, "", kMeterLabelName, kField, 0, 209, 114, 44, 12},
      Button("&Set", kMeterLabelSet, 140, 131, 50),
      Button("&Clear", kMeterLabelClear, 203, 131, 50),
  };
  for (const DialogItemTemplate& item : rest) t.items.push_back(item);
  return t;
}

// ---- The clip property pages ----

DialogItemTemplate Label(const char* text, short x, short y, short w = 60) {
  return {WC_STATIC, text, -1, kLabel, 0, x, y, w, 8};
}

DialogItemTemplate Value(int id, short x, short y, short w = 120) {
  return {WC_STATIC, "", id, kLabel, 0, x, y, w, 8};
}

DialogTemplate GeneralClip() {
  DialogTemplate t;
  t.cx = 240;
  t.cy = 150;
  t.caption = "General";
  t.items = {
      Label("Clip &Name:", 7, 9),
      {WC_EDIT, "", kClipNameEdit, kField, 0, 70, 7, 163, 12},
      Label("File name:", 7, 25),
      Value(kClipFileName, 70, 25, 163),
      Label("File size:", 7, 39),
      Value(kClipFileSize, 70, 39),
      Label("Created:", 7, 53),
      Value(kClipCreated, 70, 53),
      Label("Modified:", 7, 67),
      Value(kClipModified, 70, 67),
      Label("&In:", 7, 87),
      {"TimeEditControl", "", kClipIn, kTab | WS_BORDER, 0, 70, 85, 70, 12},
      Value(kClipInUnit, 144, 87, 20),
      Label("&Out:", 7, 103),
      {"TimeEditControl", "", kClipOut, kTab | WS_BORDER, 0, 70, 101, 70, 12},
      Value(kClipOutUnit, 144, 103, 20),
      Label("Duration:", 7, 119),
      Value(kClipDuration, 70, 119, 70),
      Value(kClipDurationUnit, 144, 119, 20),
      Label("Source:", 7, 133),
      Value(kClipSource, 70, 133, 70),
      Value(kClipSourceUnit, 144, 133, 20),
  };
  return t;
}

DialogTemplate VideoClip() {
  DialogTemplate t;
  t.cx = 240;
  t.cy = 150;
  t.caption = "Video";
  t.items = {
      {WC_BUTTON, "Use &Video", kClipUseVideo, kCheck, 0, 7, 7, 100, 10},
      Label("Frame rate:", 7, 25),
      {WC_EDIT, "", kClipFrameRate, kField, 0, 70, 23, 50, 12},
      Label("frames per second", 124, 25, 100),
      Label("Width:", 7, 43),
      Value(kClipWidth, 70, 43, 40),
      Label("Height:", 120, 43, 40),
      Value(kClipHeight, 160, 43, 40),
      Label("Codec name:", 7, 59),
      Value(kClipCodecName, 70, 59, 163),
      Label("short name:", 7, 73),
      Value(kClipCodecShort, 70, 73, 163),
      Label("Data size:", 7, 91),
      Value(kClipFileSize, 70, 91),
      Label("Data rate:", 7, 105),
      Value(kClipDataRate, 70, 105),
      Label("Duration:", 7, 119),
      Value(kClipDuration, 70, 119),
  };
  return t;
}

DialogTemplate AudioClip() {
  DialogTemplate t;
  t.cx = 240;
  t.cy = 150;
  t.caption = "Audio";
  t.items = {
      {WC_BUTTON, "Use &Audio", kClipUseAudio, kCheck, 0, 7, 7, 100, 10},
      Label("Ratio:", 7, 25),
      Value(kClipSampleRate, 70, 25, 50),
      Label("Hz", 124, 25, 20),
      Label("Bits:", 7, 39),
      Value(kClipBits, 70, 39),
      Label("Channels:", 7, 53),
      Value(kClipChannels, 70, 53),
      Label("Data size:", 7, 71),
      Value(kClipFileSize, 70, 71),
      Label("Data rate:", 7, 85),
      Value(kClipDataRate, 70, 85),
      Label("Duration:", 7, 99),
      Value(kClipDuration, 70, 99),
  };
  return t;
}

DialogTemplate MidiClip() {
  DialogTemplate t;
  t.cx = 240;
  t.cy = 150;
  t.caption = "Midi";
  t.items = {
      Label("Duration:", 7, 9),
      Value(kClipDuration, 70, 9),
  };
  return t;
}

DialogTemplate FaceClip() {
  DialogTemplate t;
  t.cx = 240;
  t.cy = 150;
  t.caption = "Thumbnail";
  t.items = {
      {"FaceControl", "", kClipFace, kShown | WS_BORDER, 0, 52, 7, 136, 104},
      Label("&Frame:", 7, 121, 30),
      Value(kClipFrameText, 40, 121, 40),
      {WC_SCROLLBAR, "", kClipFrameBar, kTab | SBS_HORZ, 0, 7, 133, 226, 10},
  };
  return t;
}

DialogTemplate Colors() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "Colors";
  t.items = {
      {WC_STATIC, "&Element:", -1, kLabel, 0, 7, 9, 32, 8},
      {WC_COMBOBOX, "", kColorsElementList, kList, 0, 40, 7, 147, 160},
      Button("&Change color", kColorsChangeColor, 193, 6),
      {"TColorsSample", "", kColorsSample, kShown | WS_BORDER, 0, 7, 26, 246, 100},
      Button("&Save scheme", kColorsSaveScheme, 7, 132),
      Button("&Load scheme", kColorsLoadScheme, 71, 132),
      Button("&Default scheme", kColorsDefaultScheme, 193, 132),
  };
  return t;
}

}  // namespace

void RegisterSettingsDialogs() {
  RegisterDialogResource(kGeneralDialog, General());
  RegisterDialogResource(kVideoDialog, Video());
  RegisterDialogResource(kAudioDialog, Audio());
  RegisterDialogResource(kTroubleDialog, Troubleshooting());
  RegisterDialogResource(kGravityDialog, Alignment());
  RegisterDialogResource(kSelectionDialog, Selection());
  RegisterDialogResource(kSummaryPage, Summary(true));
  RegisterDialogResource(kSummaryPageReadOnly, Summary(false));
  RegisterDialogResource(kExtSummaryDialog, ExtSummary(true));
  RegisterDialogResource(kExtSummaryDialogReadOnly, ExtSummary(false));
  RegisterDialogResource(kGpiDialog, Gpi());
  RegisterDialogResource(kColorsDialog, Colors());
  RegisterDialogResource(kSaveDialog, Save());
  RegisterDialogResource(kVfxDialog, Vfx());
  RegisterDialogResource(kScrubDialog, Scrubbing());
  RegisterDialogResource(kDeclickDialog, Declick());
  RegisterDialogResource(kEffectsDialog, Effects());
  RegisterDialogResource(kMeterDialog, AudioMeter());
  RegisterDialogResource(kGeneralClipDialog, GeneralClip());
  RegisterDialogResource(kVideoClipDialog, VideoClip());
  RegisterDialogResource(kAudioClipDialog, AudioClip());
  RegisterDialogResource(kMidiClipDialog, MidiClip());
  RegisterDialogResource(kFaceClipDialog, FaceClip());
}
