#include "app/settings/settings_host.h"

#include <cstdio>
#include <fstream>

#include "timeline/window/main_timeline_window.h"
#include "audio/audio_player.h"
#include "audio/midi_player.h"
#include "model/film_list.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/video_line.h"
#include "ui/film_edit_dialog.h"
#include "ui/shell_services.h"
#include "video/player.h"
#include "video/velmora_device.h"

namespace {

SettingsHost g_defaults;
// The mixer's notice: redraw the meters with the new settings.
constexpr WPARAM kMixerRefreshMeters = 18;
// The project frame keeps this option; until it takes it over, here.
bool g_useBoardMixer = false;
// The recorder keeps these; until it takes them over, here.
AutosaveOptions g_autosave;
bool g_recorderDelayOn = false;
int g_recorderDelay = 0;
SettingsHost* g_host = nullptr;

}  // namespace

bool SettingsHost::IsPlaying() {
  return CurrentShellServices().IsTimeLinePlaying();
}

void SettingsHost::EnableTimeLineCommands(bool) {}

void SettingsHost::TimeLineZoomChanged() {}

void SettingsHost::RedrawClipTiles() {}

namespace {

MainTimeLineWindow* TimeLine() {
  return dynamic_cast<MainTimeLineWindow*>(TWindow::GetWindowPtr(CurrentShellServices().TimeLineWindow()));
}

}  // namespace

TimeLineEngine* SettingsHost::Engine() {
  MainTimeLineWindow* window = TimeLine();
  return window != nullptr ? &window->Engine() : nullptr;
}

bool SettingsHost::GetGpiSettings(int line, std::string& name, bool& openByDefault, bool& input) {
  char text[256] = {};
  const bool available = TheVelmoraDevice.GetGPISettings(line, text, sizeof text - 1, openByDefault, input);
  name = text;
  return available;
}

bool SettingsHost::SetGpiSettings(int line, bool openByDefault, bool input) {
  return TheVelmoraDevice.SetGPISettings(line, openByDefault, input);
}

TimeLineSettings* SettingsHost::TimeLineOptions() {
  MainTimeLineWindow* window = TimeLine();
  return window != nullptr ? &window->Settings() : nullptr;
}

VideoPlayer* SettingsHost::Video() {
  return TheVideoPlayer;
}

bool SettingsHost::VideoEdgesShown() {
  MainTimeLineWindow* window = TimeLine();
  return window == nullptr || window->VideoLine() == nullptr || window->VideoLine()->showEdges;
}

void SettingsHost::ShowVideoEdges(bool shown) {
  MainTimeLineWindow* window = TimeLine();
  if (window == nullptr || window->VideoLine() == nullptr) return;
  window->VideoLine()->showEdges = shown;
  window->VideoLine()->Invalidate(false);
}

void SettingsHost::SetOnlyKeyFrames(bool only) {
  KeyFrameAlignment() = only;
}

bool SettingsHost::GpiLinePresent(int line) {
  return TheVelmoraDevice.GetGPIState(line);
}

std::string SettingsHost::GpiLineName(int line) {
  const char* name = TheVelmoraDevice.GetGPIName(line);
  return name != nullptr ? name : "";
}

SettingsHost* SetSettingsHost(SettingsHost* host) {
  SettingsHost* before = g_host;
  g_host = host;
  return before;
}

SettingsHost& CurrentSettingsHost() {
  return g_host != nullptr ? *g_host : g_defaults;
}

AudioPlayer* SettingsHost::Audio() {
  return TheAudioPlayer;
}

bool SettingsHost::ChangeAudioParameters(bool sameRate, bool& cleared) {
  cleared = false;
  MainTimeLineWindow* window = TimeLine();
  return window == nullptr || window->ChangeAudioParameters(sameRate, false, cleared);
}

void SettingsHost::SetEffectFormats() {
  if (MainTimeLineWindow* window = TimeLine()) window->SetEffectFormats(FilmList);
}

int SettingsHost::WaveformQuality() {
  MainTimeLineWindow* window = TimeLine();
  return window != nullptr ? window->Settings().waveformQuality : 0;
}

void SettingsHost::SetWaveformQuality(int quality) {
  MainTimeLineWindow* window = TimeLine();
  if (window == nullptr) return;
  window->Settings().waveformQuality = quality;
  if (TWindow* lines = window->AudioLines()) {
    lines->Invalidate(false);
    lines->UpdateWindow();
  }
  while (window->DrawPendingClip()) {
  }
}

void SettingsHost::ListInputDevices(DeviceListControl&) {}

void SettingsHost::SelectInputDevice(int) {}

namespace {

MidiPlayer* Midi() {
  MainTimeLineWindow* window = TimeLine();
  return window != nullptr ? dynamic_cast<MidiPlayer*>(window->Engine().Players().Midi()) : nullptr;
}

}  // namespace

void SettingsHost::ListMidiDevices(HWND comboBox) {
  if (MidiPlayer* midi = Midi()) midi->FillDeviceList(comboBox);
}

void SettingsHost::SelectMidiDevice(int index) {
  if (MidiPlayer* midi = Midi()) midi->SelectDevice(index);
}

bool SettingsHost::UseBoardMixer() {
  return g_useBoardMixer;
}

void SettingsHost::SetUseBoardMixer(bool use) {
  g_useBoardMixer = use;
}

bool SettingsHost::MixerServerExists() {
  return TheMixerServer != nullptr;
}

void SettingsHost::ShowMixerWindow() {
  if (TheMixerServer != nullptr) TheMixerServer->ShowMixer();
}

void SettingsHost::HideMixerWindow() {}

void SettingsHost::GetRecorderDelay(bool& enabled, int& ms) {
  enabled = g_recorderDelayOn;
  ms = g_recorderDelay;
}

void SettingsHost::SetRecorderDelay(bool enabled, int ms) {
  g_recorderDelayOn = enabled;
  g_recorderDelay = ms;
}

AutosaveOptions SettingsHost::GetAutosaveOptions() {
  return g_autosave;
}

void SettingsHost::SetAutosaveOptions(const AutosaveOptions& options) {
  g_autosave = options;
}

void SettingsHost::MoveAutosaveFiles(const std::string& from, const std::string& to) {
  for (const char* name : {"autosave.tml", "autosave.prc"}) {
    const std::string source = from + "/" + name;
    const std::string target = to + "/" + name;
    if (std::rename(source.c_str(), target.c_str()) != 0) {
      // Across file systems: copy, then remove the old one.
      std::ifstream in(source, std::ios::binary);
      if (!in) continue;
      std::ofstream out(target, std::ios::binary | std::ios::trunc);
      out << in.rdbuf();
      if (out) std::remove(source.c_str());
    }
  }
}

void SettingsHost::MeterSettingsChanged(bool onTopChanged) {
  MainTimeLineWindow* window = TimeLine();
  if (window != nullptr) window->Invalidate(false);
  AudioPlayer* audio = Audio();
  if (audio == nullptr) return;
  const TimeLineSettings* s = window != nullptr ? &window->Settings() : nullptr;
  if (onTopChanged && s != nullptr && s->audioMeterShown) {
    audio->OpenMixer(window->GetHandle(), s->bigAudioMeter, s->audioMeterOnTop);
  } else {
    audio->NotifyMixer(kMixerRefreshMeters, 0);
  }
}
