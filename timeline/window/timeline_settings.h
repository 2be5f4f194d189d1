// The settings of sections TIMELINE and TOOLS that the time-line window
// keeps itself. The ones playback and editing read (which lines show, frame
// alignment, gravity, loops, the undo depth ...) live in the engine and the
// model, where the window reads and writes them directly.
#pragma once

#include <cstdint>

#include "platform/core/types.h"
#include "ui/tool_configure_dialog.h"

constexpr int kToolCount = kToolExtraCount;
constexpr int kFontFaceSize = 32;

// Which profile the audio lines edit.
constexpr int32_t kProfileVolumeOnly = 0;  // the output is mono
constexpr int32_t kProfileVolume = 1;
constexpr int32_t kProfileBalance = 2;

struct TimeLineSettings {
  bool multiSolo = false;
  bool audioMeterOnTop = true;
  bool alignTime = true;
  bool selectCurTimeOverClips = false;
  bool hideFadersIndicator = false;
  int32_t waveformQuality = 0;
  bool dontChangeCurTime = false;
  bool previewAudio = true;
  bool autoScroll = true;
  int32_t profileMode = kProfileVolume;
  float normalizePercent = 100.0f;
  bool peakHold = true;
  bool audioMeterShown = false;
  bool bigAudioMeter = false;

  // External programs.
  char mixer[MAX_PATH] = {};
  char videoEditor[MAX_PATH] = {};
  char midiEditor[MAX_PATH] = {};
  char audioEditor[MAX_PATH] = {};
  struct Tool {
    char name[kToolNameSize] = {};
    char path[MAX_PATH] = {};
    bool addClip = false;
  } tools[kToolCount];
  // The folder the tools' dialog browses in is its file record's
  // (ToolsFileData), which section TOOLS keeps too.
};

// A font as section TIMELINE keeps it: TIME_FONT_... and CLIP_FONT_...
struct TimeLineFontSpec {
  char face[kFontFaceSize] = {};
  int32_t size = -11;
  int32_t weight = 400;
  int32_t italic = 0;
};

// "TOOL3_PATH", "ZOOM_AUDIO2": a settings key with a number inside, in a
// scratch buffer.
const char* NumberedKey(const char* head, int n, const char* tail);

// The level meters keep section AUDIO_METER themselves; the time-line loads
// it (after setting the meters' peak-hold default) and saves it with its own
// settings. Nothing is installed until the meters exist.
using MeterSettingsLoader = void (*)(bool peakHold);
using MeterSettingsSaver = void (*)();
void SetMeterSettingsHandlers(MeterSettingsLoader load, MeterSettingsSaver save);
