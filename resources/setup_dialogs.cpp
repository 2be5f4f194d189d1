// The templates of the about box, the external tools dialog and the audio
// format dialogs, and the about box's icon.
#include "platform/gui/gui.h"
#include "resources/setup_dialog_ids.h"

namespace {

constexpr DWORD kShown = WS_VISIBLE;
constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;
constexpr DWORD kField = kTab | WS_BORDER | ES_AUTOHSCROLL;

DialogItemTemplate Button(const char* text, int id, short x, short y, bool isDefault = false) {
  return {WC_BUTTON, text, id, kTab | (isDefault ? BS_DEFPUSHBUTTON | WS_GROUP : BS_PUSHBUTTON), 0, x,
          y,         50,   14};
}

// ---- The about box ----

DialogTemplate About() {
  DialogTemplate t;
  t.cx = 250;
  t.cy = 122;
  t.caption = "About Quorbel";
  t.items = {
      {WC_STATIC, "#22006", -1, kShown | SS_ICON, 0, 7, 7, 21, 20},
      {"TEBitmapControl", "", kAboutLogo, kShown, 0, 36, 7, 107, 30},
      {WC_STATIC, "Multitrack audio and video editor", -1, kLabel, 0, 36, 44, 140, 8},
      {WC_STATIC, "", kAboutVersion, kLabel, 0, 36, 54, 140, 8},
      {WC_STATIC, "Made by the Kobrix team.", -1, kLabel, 0, 36, 68, 140, 8},
      {WC_STATIC, "Kobrix comes with no warranty of any kind: keep copies of your media.", -1, kLabel, 0, 36,
       78, 140, 16},
      {"TEBitmapControl", "", kAboutPicture, kShown, 0, 176, 7, 67, 79},
      {WC_STATIC, "", -1, kShown | SS_ETCHEDHORZ, 0, 7, 99, 236, 1},
      Button("OK", IDOK, 100, 104, true),
  };
  return t;
}

// A clapper board over a film frame, 32 x 32.
PixelArt AboutIcon() {
  std::vector<std::string> rows = {
      "................................", "................................",
      "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..", "..kwwkkkwwkkkwwkkkwwkkkwwkkkwk..",
      "..kkwwkkkwwkkkwwkkkwwkkkwwkkkk..", "..kkkwwkkkwwkkkwwkkkwwkkkwwkkk..",
      "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..", "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..",
      "..kwwkkkwwkkkwwkkkwwkkkwwkkkwk..", "..kkwwkkkwwkkkwwkkkwwkkkwwkkkk..",
      "..kkkwwkkkwwkkkwwkkkwwkkkwwkkk..", "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..",
      "..kbbbbbbbbbbbbbbbbbbbbbbbbbbk..", "..kbbbbbbbbbbbbbbbbbbbbbbbbbbk..",
      "..kbbyyyyyyyyyyyyyyyyyyyyyybbk..", "..kbbbbbbbbbbbbbbbbbbbbbbbbbbk..",
      "..kbbbbbbbbbbbbbbbbbbbbbbbbbbk..", "..kbbbbbbbgbbbbbbbbbbbbbbbbbbk..",
      "..kbbbbbbgggbbbbbbbbgbbbbbbbbk..", "..kbbgbbgggggbbbbbbgggbbbbgbbk..",
      "..kbgggggggggggbbgggggggbgggbk..", "..kggggggggggggggggggggggggggk..",
      "..kbgggggggggggbbgggggggbgggbk..", "..kbbgbbgggggbbbbbbgggbbbbgbbk..",
      "..kbbbbbbgggbbbbbbbbgbbbbbbbbk..", "..kbbbbbbbgbbbbbbbbbbbbbbbbbbk..",
      "..kbbbbbbbbbbbbbbbbbbbbbbbbbbk..", "..kbbbbbbbbbbbbbbbbbbbbbbbbbbk..",
      "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..", "................................",
      "................................", "................................",
  };
  return PixelArt{rows,
                  {{'k', RGB(0, 0, 0)},
                   {'w', RGB(255, 255, 255)},
                   {'b', RGB(0, 0, 128)},
                   {'y', RGB(255, 255, 0)},
                   {'g', RGB(0, 255, 0)}}};
}

// ---- The external tools ----

DialogTemplate ToolConfigure() {
  DialogTemplate t;
  t.cx = 318;
  t.cy = 197;
  t.caption = "Configure external applications";
  t.items = {
      {WC_STATIC, "Name", -1, kLabel, 0, 7, 7, 70, 8},
      {WC_STATIC, "Application", -1, kLabel, 0, 81, 7, 120, 8},
      {WC_STATIC, "+ clip", -1, kShown | SS_CENTER, 0, 249, 7, 22, 8},
  };
  struct Base {
    const char* name;
    int path, clip, browse;
  };
  static const Base kBase[] = {
      {"Volume control", kToolVolumePath, kToolVolumeClip, kToolVolumeBrowse},
      {"Audio editor", kToolAudioPath, kToolAudioClip, kToolAudioBrowse},
      {"MIDI editor", kToolMidiPath, kToolMidiClip, kToolMidiBrowse},
      {"Video editor", kToolVideoPath, kToolVideoClip, kToolVideoBrowse},
  };
  short y = 18;
  for (const Base& b : kBase) {
    t.items.push_back({WC_STATIC, b.name, -1, kLabel, 0, 7, static_cast<short>(y + 2), 70, 8});
    t.items.push_back({WC_EDIT, "", b.path, kField, 0, 81, y, 164, 12});
    // The base tools' switches are fixed: shown, never changed.
    t.items.push_back({WC_BUTTON, "", b.clip, kShown | WS_DISABLED | BS_AUTOCHECKBOX, 0, 256,
                       static_cast<short>(y + 1), 10, 10});
    t.items.push_back({WC_BUTTON, "Browse...", b.browse, kTab | BS_PUSHBUTTON, 0, 271, y, 40, 12});
    y = static_cast<short>(y + 16);
  }
  t.items.push_back({WC_STATIC, "", -1, kShown | SS_ETCHEDHORZ, 0, 7, static_cast<short>(y + 1), 304, 1});
  y = static_cast<short>(y + 6);
  for (int r = 0; r < kToolExtraRows; ++r) {
    t.items.push_back({WC_EDIT, "", ToolExtraName(r), kField, 0, 7, y, 70, 12});
    t.items.push_back({WC_EDIT, "", ToolExtraPath(r), kField, 0, 81, y, 164, 12});
    t.items.push_back(
        {WC_BUTTON, "", ToolExtraClip(r), kTab | BS_AUTOCHECKBOX, 0, 256, static_cast<short>(y + 1), 10, 10});
    t.items.push_back({WC_BUTTON, "Browse...", ToolExtraBrowse(r), kTab | BS_PUSHBUTTON, 0, 271, y, 40, 12});
    y = static_cast<short>(y + 16);
  }
  t.items.push_back(Button("OK", IDOK, 207, 176, true));
  t.items.push_back(Button("Cancel", IDCANCEL, 261, 176));
  return t;
}

// ---- The audio formats ----

DialogTemplate ConvertAudio(bool withNo) {
  DialogTemplate t;
  t.cx = 226;
  t.cy = 128;
  t.caption = "Convert Audio";
  t.items = {
      {WC_STATIC, "", kConvertText, kLabel | SS_NOPREFIX, 0, 7, 7, 212, 34},
      {WC_STATIC, "Sample rate:", -1, kLabel, 0, 7, 47, 50, 8},
      {WC_EDIT, "", kConvertRate, kShown | WS_BORDER | ES_READONLY, 0, 59, 45, 40, 12},
      {WC_STATIC, "Hz", -1, kLabel, 0, 103, 47, 20, 8},
      {WC_BUTTON, "Channels", -1, kShown | BS_GROUPBOX, 0, 7, 62, 103, 40},
      {WC_BUTTON, "Mono", kConvertMono, kTab | WS_GROUP | BS_AUTORADIOBUTTON, 0, 13, 74, 90, 10},
      {WC_BUTTON, "Stereo", kConvertStereo, kShown | BS_AUTORADIOBUTTON, 0, 13, 86, 90, 10},
      {WC_BUTTON, "Resolution", -1, kShown | BS_GROUPBOX, 0, 116, 62, 103, 40},
      {WC_BUTTON, "8 Bit", kConvert8Bit, kTab | WS_GROUP | BS_AUTORADIOBUTTON, 0, 122, 74, 90, 10},
      {WC_BUTTON, "16 Bit", kConvert16Bit, kShown | BS_AUTORADIOBUTTON, 0, 122, 86, 90, 10},
  };
  if (withNo) {
    t.items.push_back(Button("&Yes", IDOK, 61, 108, true));
    t.items.push_back(Button("&No", kConvertNoButton, 115, 108));
    t.items.push_back(Button("Cancel", IDCANCEL, 169, 108));
  } else {
    t.items.push_back(Button("&Yes", IDOK, 115, 108, true));
    t.items.push_back(Button("Cancel", IDCANCEL, 169, 108));
  }
  return t;
}

const char* const kTypeNames[] = {
    "8-bit packed int (type 1 - 8-bit)",
    "16-bit packed int (type 1 - 16-bit)",
    "24-bit packed int (type 1 - 20-bit)",
    "24-bit packed int (type 1 - 24-bit)",
    "32-bit 24.0 float (type 1 - 24-bit)",
    "32-bit 16.8 float (type 1 - 32-bit)",
    "32-bit 0.24 normalized float (type 3 - 32-bit)",
};

// Radios for the types first..7 (0 stands for the project's own) in a group.
DialogTemplate SampleTypes(const char* caption, int first) {
  DialogTemplate t;
  t.cx = 206;
  t.caption = caption;
  short y = 19;
  t.items.push_back({WC_BUTTON, "Sample type", -1, kShown | BS_GROUPBOX, 0, 7, 7, 192, 0});
  for (int type = first; type <= 7; ++type) {
    const bool lead = type == first;
    const char* text = type == 0 ? "Default (same as current project audio format)" : kTypeNames[type - 1];
    const int id = type == 0 ? kAudioTypeDefault : kAudioTypeFirst + type - 1;
    t.items.push_back(
        {WC_BUTTON, text, id, (lead ? kTab | WS_GROUP : kShown) | BS_AUTORADIOBUTTON, 0, 13, y, 180, 10});
    y = static_cast<short>(y + 12);
  }
  t.items[0].cy = static_cast<short>(y - 3);
  y = static_cast<short>(y + 10);
  t.items.push_back(Button("OK", IDOK, 95, y, true));
  t.items.push_back(Button("Cancel", IDCANCEL, 149, y));
  t.cy = static_cast<short>(y + 21);
  return t;
}

}  // namespace

void RegisterSetupDialogs() {
  RegisterDialogResource(kAboutDialog, About());
  RegisterIconResource(kAboutIcon, AboutIcon());
  RegisterDialogResource(kToolConfigureDialog, ToolConfigure());
  RegisterDialogResource(kAskConvertCompressed, ConvertAudio(false));
  RegisterDialogResource(kAskConvertDialog, ConvertAudio(true));
  RegisterDialogResource(kSelect24AudioDialog, SampleTypes("Advanced Audio Format", 4));
  RegisterDialogResource(kSelect32AudioDialog, SampleTypes("Export Audio Type", 0));
}
