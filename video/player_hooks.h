// What the video player asks of the rest of the program: the clip
// collection redraws its tiles, the time-line recomputes its zoom, the
// status bar shows a text, the application changes the frame rate, the
// audio engine gives the clock its position, and the "Timeouts" box reports
// dropped frames. The program installs its implementation at start-up;
// tests install their own. The defaults do nothing and have no audio.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

class AudioEngine;

class VideoPlayerHooks {
 public:
  virtual ~VideoPlayerHooks() = default;

  // The stored stream format changed, or the player was given up.
  virtual void RedrawClips() {}
  // The time-line recomputes its zoom and redraws: the output changed.
  virtual void TimeLineZoomChanged() {}
  // Shows text in the main status bar and repaints it at once.
  virtual void ShowStatusText(const char* text) {}
  // The application changes the project's frame rate; its result code.
  virtual int32_t SetFrameRate(float rate) { return 0; }
  // The audio engine whose output position the video follows; null: none.
  virtual AudioEngine* Audio() { return nullptr; }
  // The modal "Timeouts" box on owner: count frames were dropped; its
  // "Show this message next time" check box is written back into *show.
  virtual void RunTimeoutsDialog(HWND owner, const char* caption, int32_t count, bool* show) {}
};

// Installs hooks (null: the defaults); returns the ones before.
VideoPlayerHooks* SetVideoPlayerHooks(VideoPlayerHooks* hooks);
VideoPlayerHooks& CurrentVideoPlayerHooks();
