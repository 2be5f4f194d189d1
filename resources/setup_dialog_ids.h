// The numbers of the about box, the external tools dialog and the audio
// format dialogs, and of their items.
#pragma once

// The about box and its pictures.
constexpr int kAboutDialog = 22006;
constexpr int kAboutVersion = 22011;
constexpr int kAboutLogo = 22012;
constexpr int kAboutPicture = 22013;
constexpr int kAboutIcon = 22006;  // an icon resource
constexpr int kAboutPictureWidth = 100;
constexpr int kAboutPictureHeight = 128;
constexpr int kAboutPictureCount = 5;

// "Configure external applications": the four base rows by role, then the
// five additional rows, each with its name, path, switch and Browse.
constexpr int kToolConfigureDialog = 1510;
constexpr int kToolVolumePath = 1511;
constexpr int kToolAudioPath = 1512;
constexpr int kToolMidiPath = 1513;
constexpr int kToolVideoPath = 1514;
constexpr int kToolVolumeBrowse = 1515;
constexpr int kToolVideoBrowse = 1516;
constexpr int kToolMidiBrowse = 1517;
constexpr int kToolAudioBrowse = 1518;
constexpr int kToolVolumeClip = 1519;
constexpr int kToolVideoClip = 1520;
constexpr int kToolMidiClip = 1521;
constexpr int kToolAudioClip = 1522;
constexpr int kToolFirstExtra = 1523;  // row r: name +4r, path +1, switch +2, Browse +3
constexpr int kToolExtraRows = 5;
constexpr int ToolExtraName(int row) {
  return kToolFirstExtra + 4 * row;
}
constexpr int ToolExtraPath(int row) {
  return ToolExtraName(row) + 1;
}
constexpr int ToolExtraClip(int row) {
  return ToolExtraName(row) + 2;
}
constexpr int ToolExtraBrowse(int row) {
  return ToolExtraName(row) + 3;
}

// "Convert Audio": 1710 for a compressed file (Yes, Cancel), 1711 for other
// parameters (Yes, No, Cancel).
constexpr int kAskConvertCompressed = 1710;
constexpr int kAskConvertDialog = 1711;
constexpr int kConvertText = 1375;
constexpr int kConvertRate = 1191;
constexpr int kConvertMono = 1712;
constexpr int kConvertStereo = 1713;
constexpr int kConvert8Bit = 1201;
constexpr int kConvert16Bit = 1202;
constexpr int kConvertNoButton = 7;  // the No of 1711

// "Advanced Audio Format" and "Export Audio Type": one radio per sample type,
// type 0 (the project's own) and types 1..7.
constexpr int kSelect24AudioDialog = 1860;
constexpr int kSelect32AudioDialog = 1861;
constexpr int kAudioTypeDefault = 1125;
constexpr int kAudioTypeFirst = 1862;  // type t (1..7) is kAudioTypeFirst + t - 1
