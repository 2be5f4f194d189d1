// What the settings sheets ask of the program around them: whether the
// time-line plays, switching its commands off while a sheet is up, and
// redrawing the time-line and the clip tiles after a sheet changed how they
// look. The program installs its own at start-up; tests install theirs. The
// defaults stand for a program without those windows.
#pragma once

#include <string>

#include "platform/core/types.h"

class AudioPlayer;
class DeviceListControl;
class TimeLineEngine;
class VideoPlayer;
struct TimeLineSettings;

// The autosave options the application keeps.
struct AutosaveOptions {
  bool autoSave = true;
  int period = 10;  // minutes
  int count = 20;   // edits
  bool thumbnails = true;
  bool waveforms = true;
};

class SettingsHost {
 public:
  virtual ~SettingsHost() = default;
  // By default the shell's answer (ShellServices::IsTimeLinePlaying).
  virtual bool IsPlaying();
  virtual void EnableTimeLineCommands(bool enabled);
  // Recomputes the zoom and redraws the time-line's lines (without keeping
  // the view), and invalidates the time-line window.
  virtual void TimeLineZoomChanged();
  // Redraws every tile of the clip collection, when its window is open.
  virtual void RedrawClipTiles();
  // The project's time-line, whose settings the pages show and change; by
  // default the engine of the shell's time-line window (null without one).
  virtual TimeLineEngine* Engine();
  // The options the time-line window keeps itself (null without one).
  virtual TimeLineSettings* TimeLineOptions();
  // Whether the video board reports GPI line n, and its name; by default
  // the board's answers.
  virtual bool GpiLinePresent(int line);
  virtual std::string GpiLineName(int line);
  // A GPI line's settings on the board: false when the line is not
  // available (name "None" then); writing them back, false when refused.
  virtual bool GetGpiSettings(int line, std::string& name, bool& openByDefault, bool& input);
  virtual bool SetGpiSettings(int line, bool openByDefault, bool input);
  // The program's video player (null: none).
  virtual VideoPlayer* Video();
  // The video line draws the first and last frames at clip edges.
  virtual bool VideoEdgesShown();
  virtual void ShowVideoEdges(bool shown);
  // Playback starts from key frames only.
  virtual void SetOnlyKeyFrames(bool only);

  // The program's audio engine (null: none).
  virtual AudioPlayer* Audio();
  // Asked before the audio format changes: false refuses the change;
  // cleared tells whether clips of the project went. By default the
  // time-line window's question (no window: accepted, nothing cleared).
  virtual bool ChangeAudioParameters(bool sameRate, bool& cleared);
  // Every effect list of the project takes the new format.
  virtual void SetEffectFormats();
  // How the audio lines draw waveforms: -1 none, 0 draft, 1 fine; setting
  // it redraws them at once.
  virtual int WaveformQuality();
  virtual void SetWaveformQuality(int quality);
  // The recorder's input devices, the current one selected; choosing one.
  virtual void ListInputDevices(DeviceListControl& list);
  virtual void SelectInputDevice(int index);
  // The MIDI outputs into a combo box; choosing one.
  virtual void ListMidiDevices(HWND comboBox);
  virtual void SelectMidiDevice(int index);
  // Whether the board's mixer changes its state by itself (the project
  // frame's option).
  virtual bool UseBoardMixer();
  virtual void SetUseBoardMixer(bool use);
  // The volume-control server: whether it exists, and its window.
  virtual bool MixerServerExists();
  virtual void ShowMixerWindow();
  virtual void HideMixerWindow();
  // The recorder's playback starting delay in full-duplex mode: whether it
  // is used and its length in ms (also given to its dialog when open).
  virtual void GetRecorderDelay(bool& enabled, int& ms);
  virtual void SetRecorderDelay(bool enabled, int ms);
  // The level meters' settings changed: the time-line's selection line and
  // the meters redraw; a changed on-top option reopens a shown meter window.
  virtual void MeterSettingsChanged(bool onTopChanged);
  // The application's autosave options.
  virtual AutosaveOptions GetAutosaveOptions();
  virtual void SetAutosaveOptions(const AutosaveOptions& options);
  // Moves the autosave files ("autosave.tml", "autosave.prc") from one
  // folder to another, replacing files of those names there.
  virtual void MoveAutosaveFiles(const std::string& from, const std::string& to);
};

// Installs host (null: the defaults); returns the one before.
SettingsHost* SetSettingsHost(SettingsHost* host);
SettingsHost& CurrentSettingsHost();
