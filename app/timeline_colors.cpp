#include "app/timeline_colors.h"

#include <cstdio>

#include "model/ini.h"

namespace {

struct ColorEntry {
  const char* key;
  COLORREF value;
};

constexpr ColorEntry kColors[kTimeLineColorCount] = {
    {"BackgroundColor", 0xC0C0C0},
    {"CurTimeColor", 0x0000FF},
    {"SelectionColor", 0xFF0000},
    {"WaveformColor", 0xFFFF00},
    {"SelectedClipColor", 0x008000},
    {"NonSelectedClipColor", 0x808080},
    {"SemiSelectedClipColor", 0x808000},
    {"SelectedNameColor", 0x000000},
    {"NonSelectedNameColor", 0x000000},
    {"SemiSelectedNameColor", 0x000000},
    {"ActiveVolumeProfileColor", 0xFF0000},
    {"PassiveVolumeProfileColor", 0x800000},
    {"ActiveBalanceProfileColor", 0xFF00FF},
    {"PassiveBalanceProfileColor", 0x000080},
    {"ActiveKeyPointColor", 0x00FFFF},
    {"PassiveKeyPointColor", 0x008080},
    {"ActiveClipMarkColor", 0x00FF00},
    {"PassiveClipMarkColor", 0xC0C0C0},
    {"ActiveTimeMarkColor", 0x008000},
    {"PassiveTimeMarkColor", 0xC0C0C0},
    {"FirstVideoTrackColor", 0xC0C0C0},
    {"OtherVideoTrackColor", 0xC0C0C0},
    {"AudioTrackColor", 0xC0C0C0},
    {"MidiTrackColor", 0xC0C0C0},
    {"SmallHoleColor", 0xFFFFFF},
    {"SmallClipColor", 0x000000},
    {"SmallSelectedClipColor", 0x00FF00},
    {"NonUsedEffectsColor", 0x0000FF},
    {"UsedEffectsColor", 0x00FF00},
    {"DeclickColor", 0x00FFFF},
    {"VideoFXTrackColor", 0xC0C0C0},
};

constexpr const char* kSection = "COLORS";
// Only the red, green and blue bytes mean a colour; the top byte would ask
// the drawing layer for a palette entry.
constexpr COLORREF kRgbMask = 0x00FFFFFF;

constexpr std::array<COLORREF, kTimeLineColorCount> Defaults() {
  std::array<COLORREF, kTimeLineColorCount> colors{};
  for (int i = 0; i < kTimeLineColorCount; ++i) colors[i] = kColors[i].value;
  return colors;
}

}  // namespace

std::array<COLORREF, kTimeLineColorCount> TimeLineColors = Defaults();
char SchemeDirectory[MAX_PATH] = {};

const char* TimeLineColorKey(int index) {
  return index >= 0 && index < kTimeLineColorCount ? kColors[index].key : nullptr;
}

COLORREF DefaultTimeLineColor(int index) {
  return index >= 0 && index < kTimeLineColorCount ? kColors[index].value : 0;
}

void LoadColors() {
  IniSetSection(kSection);
  for (int i = 0; i < kTimeLineColorCount; ++i) {
    TimeLineColors[i] =
        static_cast<COLORREF>(IniReadInt(kColors[i].key, static_cast<int>(kColors[i].value))) & kRgbMask;
  }
  std::snprintf(SchemeDirectory, sizeof SchemeDirectory, "%s", IniReadString("DIRECTORY", ""));
}

void SaveColors() {
  IniSetSection(kSection);
  for (int i = 0; i < kTimeLineColorCount; ++i) {
    IniWriteInt(kColors[i].key, static_cast<int>(TimeLineColors[i] & kRgbMask));
  }
  IniWriteString("DIRECTORY", SchemeDirectory);
  IniFlush();
}
