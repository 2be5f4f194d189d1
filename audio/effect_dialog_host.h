// What the effect-list dialog asks of the time-line: whether its commands
// are enabled and whether it plays, the previews, Stop, whether a line or
// the master has audio to preview, switching a line's or the master's
// effects, and repainting a clip. The program installs the time-line's at
// start-up; the defaults stand for a program without a time-line (commands
// enabled, nothing plays, nothing to preview).
#pragma once

#include <cstdint>

class Film;
class TimeLineEngine;

class EffectDialogHost {
 public:
  virtual ~EffectDialogHost() = default;
  virtual bool CommandsEnabled() { return true; }
  virtual void EnableCommands(bool enabled) {}
  virtual bool Playing() { return false; }
  // Plays the clip's audio alone; false when it could not start.
  virtual bool PreviewClipAudio(Film* film) { return false; }
  // Plays audio line line (0..), or the master's mix for -1.
  virtual bool PreviewLineAudio(int32_t line) { return false; }
  virtual void Stop() {}
  // Whether line (or the master, -1) has audio in the mark range, or in the
  // whole project without one.
  virtual bool AudioToPreview(int32_t line) { return false; }
  // The effects of line on or off (the audio header's switch).
  virtual void ToggleLineEffects(int32_t line) {}
  // The master's effects on or off (the time-line's command).
  virtual void UseMasterEffects() {}
  virtual void RepaintClip(Film* film) {}
};

// Installs host (null: the defaults); returns the one before.
EffectDialogHost* SetEffectDialogHost(EffectDialogHost* host);
EffectDialogHost& CurrentEffectDialogHost();

// The host over the time-line's engine. The line and master switches belong
// to the time-line window, which derives from this to supply them.
class TimeLineEffectDialogHost : public EffectDialogHost {
 public:
  explicit TimeLineEffectDialogHost(TimeLineEngine& engine) : engine_(engine) {}
  bool CommandsEnabled() override;
  void EnableCommands(bool enabled) override;
  bool Playing() override;
  bool PreviewClipAudio(Film* film) override;
  bool PreviewLineAudio(int32_t line) override;
  void Stop() override;
  bool AudioToPreview(int32_t line) override;
  void RepaintClip(Film* film) override;

 protected:
  TimeLineEngine& engine_;
};
