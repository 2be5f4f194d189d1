// The status-bar hints of the time-line's playing, View, Window and Tools
// commands, by command number.
#include "platform/gui/resource.h"
#include "resources/timeline_ids.h"

void RegisterTransportHints() {
  const struct {
    int id;
    const char* text;
  } hints[] = {
      {kCmPlay, "Playback active video, midi and audio tracks [Space]"},
      {kCmStop, "Stop playback [Enter]"},
      {kCmRewind, "Move cursor to playback start position [Left]"},
      {kCmShowMixer, "Show mixer for configure playback and recording audio devices"},
      {kCmShowVideoTracks, "Show video tracks"},
      {kCmShowAudioTracks, "Show audio tracks"},
      {kCmRecordAudio, "Record Wave file"},
      {kCmShowAudioMeter, "Show output audio volume during playback"},
      {kCmShowVideoWindow, "Show window for preview video"},
      {kCmVolumeControl, "Launch specified volume control"},
      {kCmAudioEditor, "Launch specified audio editor"},
      {kCmMidiEditor, "Launch specified midi editor"},
      {kCmVideoEditor, "Launch specified video editor"},
      {kCmTool1, "Launch external application"},
      {kCmTool1 + 1, "Launch external application"},
      {kCmTool1 + 2, "Launch external application"},
      {kCmTool1 + 3, "Launch external application"},
      {kCmTool1 + 4, "Launch external application"},
      {kCmConfigureTools, "Configure external applications"},
  };
  for (const auto& hint : hints) RegisterStringResource(hint.id, hint.text);
}
