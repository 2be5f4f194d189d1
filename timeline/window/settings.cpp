// Sections TIMELINE and TOOLS: read once when the window is made, each
// value brought into its range, and written back in a fixed order.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "model/changed_ranges.h"
#include "model/film_list.h"
#include "model/ini.h"
#include "model/players.h"
#include "model/scratch_str.h"
#include "model/undo_history.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/fade_profile.h"
#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"
#include "ui/file_dialogs.h"
#include "ui/film_edit_dialog.h"

namespace {

constexpr const char* kTimeLine = "TIMELINE";
constexpr const char* kTools = "TOOLS";

MeterSettingsLoader g_meterLoad = nullptr;
MeterSettingsSaver g_meterSave = nullptr;

struct ToolDefault {
  const char* name;
  const char* path;
};
constexpr ToolDefault kToolDefaults[kToolCount] = {
    {"Recorder", "SndRec32.exe"}, {"", ""}, {"", ""}, {"", ""}, {"Calculator", "Calc.exe"}};

bool ReadBool(const char* key, bool def) {
  return IniReadInt(key, def ? 1 : 0) > 0;
}

void WriteBool(const char* key, bool value) {
  IniWriteInt(key, value ? 1 : 0);
}

template <std::size_t N>
void ReadText(char (&to)[N], const char* key, const char* def) {
  std::snprintf(to, N, "%s", IniReadString(key, def));
}

// Anything but a finite number (a typo, "nan", "1e99") reads as 100 %.
float ReadPercent() {
  float value = 100.0f;
  if (std::sscanf(IniReadString("NORMALIZE_PERCENT", "100.0"), "%f", &value) != 1 || !std::isfinite(value)) {
    value = 100.0f;
  }
  return value;
}

}  // namespace

const char* NumberedKey(const char* head, int n, const char* tail) {
  ScratchStr::Begin();
  ScratchStr::Append(head);
  ScratchStr::Append(IntToPaddedText(n, 0));
  ScratchStr::Append(tail);
  return ScratchStr::End(0);
}

void SetMeterSettingsHandlers(MeterSettingsLoader load, MeterSettingsSaver save) {
  g_meterLoad = load;
  g_meterSave = save;
}

void MainTimeLineWindow::LoadSettings() {
  TimeLineEngine& e = engine_;
  TimeLineSettings& s = settings_;
  IniSetSection(kTimeLine);
  e.showVideo = ReadBool("SHOW_VIDEO", true);
  e.showAudio = ReadBool("SHOW_AUDIO", true);
  // ONLY_KEY_FRAMES is written, never read: clips align to key frames from
  // the start.
  KeyFrameAlignment() = true;
  s.multiSolo = ReadBool("MULTY_SOLO", false);
  s.audioMeterOnTop = ReadBool("AUDIO_METER_ON_TOP", true);
  e.alignToFrame = ReadBool("ALIGN_TO_FRAME", false);
  s.alignTime = ReadBool("ALIGN_TIME", true);
  e.play.askBeforeStart = IniReadInt("ASK_BEFORE_START", 0);
  e.play.startFromCursor = ReadBool("START_FROM_CURSOR", true);
  s.selectCurTimeOverClips = ReadBool("SELECT_CURTIME_OVER_CLIPS", false);
  s.hideFadersIndicator = ReadBool("HIDE_FADERS_INDICATOR", false);
  e.hidePlaybackCursor = ReadBool("HIDE_PLAYBACK_CURSOR", false);
  e.play.realtimeMute = ReadBool("REALTIME_MUTE", true);
  s.waveformQuality = IniReadInt("HIGH_QUALITY_WAVEFORM", 0);
  e.previewVideo = ReadBool("PREVIEW_VIDEO", true);
  s.dontChangeCurTime = ReadBool("DONT_CHANGE_CURTIME", false);
  s.previewAudio = ReadBool("PREVIEW_AUDIO", true);
  s.autoScroll = ReadBool("AUTO_SCROLL", true);
  e.play.audioThroughFile = ReadBool("AUDIO_THROUGH_FILE", false);
  e.audioLineCount = std::clamp(IniReadInt("MAX_AUDIO_LINE", 6), 1, kAudioLineCount);
  e.play.loopCount = std::max(IniReadInt("LOOP_COUNT", 1), 1);
  UndoScript::ReadSettings();  // MAX_UNDO, in this same section
  s.profileMode = IniReadInt("SHOW_PROFILE", kProfileVolume);
  e.autoSetDeclick = ReadBool("AUTO_SET_DECLICK", false);
  e.gravityAlign = std::clamp(IniReadInt("GRAVITY_ALIGN", 6), 0, 6);
  e.gravityGroup = std::clamp(IniReadInt("GRAVITY_GROUP", 1), 1, 9);
  e.gravityDistance = std::clamp(IniReadInt("GRAVITY_DISTANCE", GetSystemMetrics(SM_CXSCREEN) / 64), 3, 99);
  SelectionGroup = std::clamp(IniReadInt("SELECTION_GROUP", 1), 1, 9);

  LoadFonts();
  IniSetSection(kTimeLine);
  s.normalizePercent = ReadPercent();
  s.peakHold = ReadBool("PEAK_HOLD", true);
  if (g_meterLoad) g_meterLoad(s.peakHold);
  LoadTools();
}

void MainTimeLineWindow::LoadTools() {
  TimeLineSettings& s = settings_;
  IniSetSection(kTools);
  ReadText(s.mixer, "MIXER", "SndVol32.exe");
  ReadText(s.audioEditor, "AUDIO_EDITOR", "");
  ReadText(s.videoEditor, "VIDEO_EDITOR", "");
  ReadText(s.midiEditor, "MIDI_EDITOR", "");
  for (int i = 0; i < kToolCount; ++i) {
    TimeLineSettings::Tool& tool = s.tools[i];
    ReadText(tool.name, NumberedKey("TOOL", i + 1, "_NAME"), kToolDefaults[i].name);
    ReadText(tool.path, NumberedKey("TOOL", i + 1, "_PATH"), kToolDefaults[i].path);
    tool.addClip = ReadBool(NumberedKey("TOOL", i + 1, "_ADDCLIP"), false);
  }
  ReadText(ToolsFileData().Directory, "DIRECTORY", "");
  MapForeignTools();
}

void MainTimeLineWindow::SaveSettings() {
  const TimeLineEngine& e = engine_;
  const TimeLineSettings& s = settings_;
  IniSetSection(kTimeLine);
  WriteBool("SHOW_VIDEO", e.showVideo);
  WriteBool("SHOW_AUDIO", e.showAudio);
  WriteBool("SHOW_MIDI", false);
  IniWriteInt("ZOOM_VFX", e.vfxPanel[0].zoom);
  for (int i = 0; i < 2; ++i) IniWriteInt(NumberedKey("ZOOM_VIDEO", i, ""), e.videoPanel[i].zoom);
  IniWriteInt("ZOOM_MIDI", e.midiPanel[0].zoom);
  for (int i = 0; i < e.audioLineCount; ++i)
    IniWriteInt(NumberedKey("ZOOM_AUDIO", i, ""), e.audioPanel[i].zoom);
  WriteBool("BIG_AUDIO_METER", s.bigAudioMeter);
  WriteBool("SHOW_AUDIO_METER", s.audioMeterShown);
  WriteBool("MULTY_SOLO", s.multiSolo);
  WriteBool("AUDIO_METER_ON_TOP", s.audioMeterOnTop);
  WriteBool("ALIGN_TO_FRAME", e.alignToFrame);
  WriteBool("ALIGN_TIME", s.alignTime);
  WriteBool("ONLY_KEY_FRAMES", KeyFrameAlignment());
  IniWriteString("FULL_SIZE", IntToPaddedText(e.length, 0));
  IniWriteString("TIME_STEP", IntToPaddedText(e.scale, 0));
  WriteBool("SHOW_VIDEO_EDGES", videoLine_ == nullptr || videoLine_->showEdges);
  IniWriteInt("ASK_BEFORE_START", e.play.askBeforeStart);
  WriteBool("START_FROM_CURSOR", e.play.startFromCursor);
  WriteBool("SELECT_CURTIME_OVER_CLIPS", s.selectCurTimeOverClips);
  WriteBool("HIDE_FADERS_INDICATOR", s.hideFadersIndicator);
  WriteBool("HIDE_PLAYBACK_CURSOR", e.hidePlaybackCursor);
  WriteBool("REALTIME_MUTE", e.play.realtimeMute);
  IniWriteInt("HIGH_QUALITY_WAVEFORM", s.waveformQuality);
  WriteBool("PREVIEW_VIDEO", e.previewVideo);
  WriteBool("DONT_CHANGE_CURTIME", s.dontChangeCurTime);
  WriteBool("PREVIEW_AUDIO", s.previewAudio);
  WriteBool("AUTO_SCROLL", s.autoScroll);
  WriteBool("AUDIO_THROUGH_FILE", e.play.audioThroughFile);
  IniWriteInt("MAX_AUDIO_LINE", e.audioLineCount);
  IniWriteInt("LOOP_COUNT", e.play.loopCount);
  IniWriteInt("MAX_UNDO", UndoScript::Depth());
  IniWriteInt("SHOW_PROFILE", s.profileMode);
  WriteBool("AUTO_SET_DECLICK", e.autoSetDeclick);
  IniWriteInt("GRAVITY_ALIGN", e.gravityAlign);
  IniWriteInt("GRAVITY_GROUP", e.gravityGroup);
  IniWriteInt("GRAVITY_DISTANCE", e.gravityDistance);
  IniWriteInt("SELECTION_GROUP", SelectionGroup);
  SaveFonts();
  IniSetSection(kTimeLine);
  char percent[32];
  std::snprintf(percent, sizeof percent, "%1.3f", static_cast<double>(s.normalizePercent));
  IniWriteString("NORMALIZE_PERCENT", percent);

  if (g_meterSave) g_meterSave();
  SaveFadeSettings();
  SaveColors();
  if (TapeControl* tape = engine_.Players().Tape()) tape->WriteSettings();
  SaveTools();
  IniFlush();
}

void MainTimeLineWindow::SaveTools() {
  const TimeLineSettings& s = settings_;
  IniSetSection(kTools);
  IniWriteString("MIXER", s.mixer);
  IniWriteString("AUDIO_EDITOR", s.audioEditor);
  IniWriteString("VIDEO_EDITOR", s.videoEditor);
  IniWriteString("MIDI_EDITOR", s.midiEditor);
  for (int i = 0; i < kToolCount; ++i) {
    const TimeLineSettings::Tool& tool = s.tools[i];
    IniWriteString(NumberedKey("TOOL", i + 1, "_NAME"), tool.name);
    IniWriteString(NumberedKey("TOOL", i + 1, "_PATH"), tool.path);
    WriteBool(NumberedKey("TOOL", i + 1, "_ADDCLIP"), tool.addClip);
  }
  IniWriteString("DIRECTORY", ToolsFileData().Directory);
}
