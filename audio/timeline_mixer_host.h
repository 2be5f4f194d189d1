// The mixer window's MixerHost over the time-line's engine half: the master
// values it holds, its play state and its mix, and the play file's ranges.
// What only the window has (the audio lines' picture, the meters' switch)
// is set by the window that owns the host.
#pragma once

#include "audio/audio_player.h"

class TimeLineEngine;

class TimeLineMixerHost : public MixerHost {
 public:
  explicit TimeLineMixerHost(TimeLineEngine& engine) : engine_(engine) {}

  // The audio lines' window, repainted after a master change (null: none).
  void SetAudioLinesWindow(HWND window) { audioLines_ = window; }

  int32_t MasterVolume() override;
  int32_t MasterPan() override;
  void SetMasterVolume(int32_t gain) override;
  void SetMasterPan(int32_t pan) override;
  void UpdateEngineMix(int32_t line) override;
  void ResetChangedRanges() override;
  bool MetersOff() override { return metersOff_; }
  void SetMetersOff(bool off) override { metersOff_ = off; }
  void RepaintAudioLines() override;
  bool IsPlaying() override;
  bool CommandsEnabled() override;
  int32_t AudioLineCount() override;

 private:
  TimeLineEngine& engine_;
  HWND audioLines_ = nullptr;
  bool metersOff_ = false;
};
