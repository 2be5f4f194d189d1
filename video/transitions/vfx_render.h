// The background render of video transitions: one service thread for the
// program's life takes the waiting transitions of the transition service
// one at a time and renders each through a job of seven stage threads into
// a temporary AVI file. The module also keeps the render settings (section
// VideoFX) and the temporary folders it made, and reports progress to the
// main window.
//
// Locks, always taken in this order: the service thread's own lock around
// its calls into the transition service, the transition service's film
// lock, then the job lock or the settings lock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "model/text_format.h"
#include "platform/core/types.h"

class VFX;
struct VFXEntry;

struct VFXRenderSettings {
  std::string tempDirectory;  // empty: beside the project
  bool limitDataRate = false;
  int32_t maxQuality = 7500;  // 0..10000, the compression quality
  int32_t minQuality = 7500;
  int32_t dataRate = 100000;  // bytes per second
  bool clearFiles = true;     // delete the files and folders at program end
};

// The render request to the main window: WM_USER+99 with this and the
// frames still to render in the running job.
constexpr WPARAM kVFXProgressRequest = 31;

namespace VFXRender {

// Starts the service thread over transitions; false when it cannot start.
bool StartThread(VFX& transitions);
// Stops the service and its running job, waiting up to 10000 ms. A service
// that outlives the wait is left to end by itself and no longer calls the
// transition service; a later StopThread waits for it again.
void StopThread();
// Stops the running job when it renders t.
void StopJobOf(const VFXEntry* t);
// A job of t is running now.
bool IsRendering(const VFXEntry* t);
// The service runs over transitions. Not asked under the film lock.
bool Running(const VFX& transitions);
// Renders the next waiting transition of transitions on the calling thread,
// for a program whose service does not run; false when none waits.
bool RenderHere(VFX& transitions);
// Wakes the service to look for work.
void SignalWork();
// The transition service is going away: the service no longer calls it.
void Forget(const VFX* transitions);

void GetSettings(VFXRenderSettings* settings);
// A changed folder starts a new file set; a trailing "/" is dropped.
void SetSettings(const VFXRenderSettings& settings);
// The default folder: the project's file name with ".vfx" for its
// extension, or the instance's temporary folder for none.
void SetTempDir(const char* projectPath);
// The file of the transition between the films stamped a and b in the
// folder in use, made when missing. False when the folder cannot be made
// or written, or the path would pass 260 characters; why then says which.
bool MakeFileName(char (&path)[MAX_PATH], uint32_t stampA, uint32_t stampB, std::string* why = nullptr);
// At program end, with ClearFiles on: deletes the transition files of the
// folders the module made, and those folders. The file of a job still
// running stays.
void CleanTempDir();

// Where progress goes (null: nowhere).
void SetMainWindow(HWND window);
void PostProgress(int32_t value);
// Shows an error box on the thread that started the service.
void ShowException(const char* text, const char* caption);

// Debug traces go to the sink (by default nowhere).
void SetTraceSink(std::function<void(const std::string&)> sink);
void Trace(const std::string& text);

}  // namespace VFXRender

template <class... Args>
void VFXTrace(const char* format, const Args&... args) {
  VFXRender::Trace(FormatText(format, args...));
}
