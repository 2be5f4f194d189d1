// Small window routines used across the program, the TEWindow base class,
// and releasing a media file so that an outside program (a tool, a
// converter) can work on it: the program closes its handles on the file
// and minimises its windows, and when it comes back it restores them,
// reopens the file and reloads it when it changed.
#pragma once

#include <cstdint>

#include "platform/classlib/window.h"

class VideoSource;
class AudioSource;
class MidiSource;

// A window that paints all of its area (its class has no background brush).
class TEWindow : public TWindow {
 public:
  TEWindow(TWindow* parent, const char* title = nullptr, TModule* module = nullptr);
  // True when the window was disabled before.
  bool EnableWindow(bool enable) override;
  void GetWindowClass(WNDCLASS& wc) override;
  const char* GetClassName() override;
};

// Placement; each does nothing for a null window. The positions are those
// of SetWindowPos: no sizing, z-order change or activation when moving, no
// move when sizing.
void MoveWindowTo(TWindow* window, int x, int y);
// To the window's creation position plus (dx, dy).
void MoveWindowBy(TWindow* window, int dx, int dy);
void ResizeWindow(TWindow* window, int w, int h);
// Sets the creation size so that the client area is w x h.
void SizeForClient(TWindow* window, int w, int h);

// Minimises the calling thread's visible, not minimised, enabled top-level
// windows other than except, forgetting the windows of an earlier call, and
// remembers them; RestoreOtherWindows restores those.
void MinimizeOtherWindows(HWND except);
void RestoreOtherWindows();

// What releasing a file asks of the media sources and the video player. The
// media layer installs the real one; the default closes nothing and sees
// every file unchanged.
class FileReleaseMedia {
 public:
  virtual ~FileReleaseMedia() = default;
  // The video source closes its file handles (true when it did) and opens them again.
  virtual bool CloseVideoHandles(VideoSource* video);
  virtual void ReopenVideoHandles(VideoSource* video);
  // The audio source closes its file (true when it did) and opens it again.
  virtual bool CloseAudioFile(AudioSource* audio);
  virtual void ReopenAudioFile(AudioSource* audio);
  // The file-time checks: false when the file changed since it was read.
  virtual bool IsUnchanged(VideoSource* video);
  virtual bool IsUnchanged(AudioSource* audio);
  virtual bool IsUnchanged(MidiSource* midi);
  // The video player closes its current sub-player when one is attached.
  virtual void CloseVideoSubPlayer();
};

// Installs media (null: the default); returns the one before.
FileReleaseMedia* SetFileReleaseMedia(FileReleaseMedia* media);

// Release flags.
constexpr uint32_t kReleasedVideo = 0x01;
constexpr uint32_t kReleasedAudio = 0x02;
constexpr uint32_t kReleasedSourceOpen = 0x20;

// The time-line window's release routines (window is the time-line window,
// which owns the reload questions). ReleaseFileForTool first reacquires a
// file still released; an empty path releases nothing but, like a path of
// an open source, minimises the thread's windows and closes the video
// player's sub-player. ReleaseFile does the same for a non-empty path
// without minimising and without the sub-player.
void ReleaseFileForTool(HWND window, const char* path);
void ReleaseFile(HWND window, const char* path);
// Restores the windows the release minimised, reopens the released file
// and reloads it when it changed (Film::RefreshChangedSources); false when
// nothing was reloaded, and at once while it already runs.
bool ReacquireFiles(HWND window, bool checkCollection);

// The release state, for the windows that show it and for tests.
const char* ReleasedFileName();
uint32_t ReleasedFileFlags();
bool IsReleaseBusy();
