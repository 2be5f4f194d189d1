#include "model/te_window.h"

#include <cstring>
#include <string>
#include <vector>

#include "model/film.h"
#include "model/media_interfaces.h"
#include "platform/core/threads.h"

// ---- TEWindow ----

TEWindow::TEWindow(TWindow* parent, const char* title, TModule* module) : TWindow(parent, title, module) {}

bool TEWindow::EnableWindow(bool enable) {
  return ::EnableWindow(HWindow, enable ? TRUE : FALSE) != 0;
}

void TEWindow::GetWindowClass(WNDCLASS& wc) {
  TWindow::GetWindowClass(wc);
  wc.hbrBackground = nullptr;
}

const char* TEWindow::GetClassName() {
  return "TEWindow";
}

// ---- Placement ----

void MoveWindowTo(TWindow* window, int x, int y) {
  if (window == nullptr) return;
  ::SetWindowPos(window->GetHandle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveWindowBy(TWindow* window, int dx, int dy) {
  if (window == nullptr) return;
  ::SetWindowPos(window->GetHandle(), nullptr, window->Attr.X + dx, window->Attr.Y + dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ResizeWindow(TWindow* window, int w, int h) {
  if (window == nullptr) return;
  ::SetWindowPos(window->GetHandle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SizeForClient(TWindow* window, int w, int h) {
  if (window == nullptr) return;
  const DWORD style = window->Attr.Style;
  int ew = 0, eh = 0;
  if (style & WS_THICKFRAME) {
    ew = 2 * GetSystemMetrics(SM_CXFRAME);
    eh = 2 * GetSystemMetrics(SM_CYFRAME);
  } else if (style & WS_BORDER) {
    ew = 2 * GetSystemMetrics(SM_CXBORDER);
    eh = 2 * GetSystemMetrics(SM_CYBORDER);
  }
  if ((style & WS_CAPTION) == WS_CAPTION) eh += GetSystemMetrics(SM_CYCAPTION);
  window->Attr.W = w + ew;
  window->Attr.H = h + eh;
}

// ---- Minimising ----

namespace {

std::vector<HWND>& MinimizedByCall() {
  static std::vector<HWND> list;
  return list;
}

struct MinimizeWalk {
  HWND except;
  std::vector<HWND>* list;
};

BOOL MinimizeOne(HWND h, LPARAM lp) {
  auto* walk = reinterpret_cast<MinimizeWalk*>(lp);
  const DWORD style = static_cast<DWORD>(GetWindowLong(h, GWL_STYLE));
  if (h != walk->except && IsWindowVisible(h) && !IsIconic(h) && !(style & WS_CHILD) && IsWindowEnabled(h)) {
    ShowWindow(h, SW_MINIMIZE);
    walk->list->push_back(h);
  }
  return TRUE;
}

}  // namespace

void MinimizeOtherWindows(HWND except) {
  MinimizedByCall().clear();
  MinimizeWalk walk{except, &MinimizedByCall()};
  EnumThreadWindows(GetCurrentThreadId(), MinimizeOne, reinterpret_cast<LPARAM>(&walk));
}

void RestoreOtherWindows() {
  std::vector<HWND> list;
  list.swap(MinimizedByCall());
  for (HWND h : list) {
    if (IsWindow(h)) ShowWindow(h, SW_RESTORE);
  }
}

// ---- Releasing a media file ----

bool FileReleaseMedia::CloseVideoHandles(VideoSource*) {
  return false;
}
void FileReleaseMedia::ReopenVideoHandles(VideoSource*) {}
bool FileReleaseMedia::CloseAudioFile(AudioSource*) {
  return false;
}
void FileReleaseMedia::ReopenAudioFile(AudioSource*) {}
bool FileReleaseMedia::IsUnchanged(VideoSource*) {
  return true;
}
bool FileReleaseMedia::IsUnchanged(AudioSource*) {
  return true;
}
bool FileReleaseMedia::IsUnchanged(MidiSource*) {
  return true;
}
void FileReleaseMedia::CloseVideoSubPlayer() {}

namespace {

struct MinimizedWindow {
  HWND window;
  bool maximized;
};

struct ReleaseState {
  char name[260] = {};
  uint32_t flags = 0;
  bool busy = false;
  bool reacquiring = false;
  std::vector<MinimizedWindow> minimized;
};

ReleaseState& S() {
  static ReleaseState s;
  return s;
}

FileReleaseMedia& DefaultMedia() {
  static FileReleaseMedia* m = new FileReleaseMedia();
  return *m;
}

FileReleaseMedia* g_media = nullptr;

FileReleaseMedia& Media() {
  return g_media != nullptr ? *g_media : DefaultMedia();
}

BOOL MinimizeForTool(HWND h, LPARAM) {
  if (!IsWindowVisible(h) || IsIconic(h) || !IsWindowEnabled(h) || (GetWindowLong(h, GWL_STYLE) & WS_CHILD))
    return TRUE;
  WINDOWPLACEMENT wp;
  const bool maximized = GetWindowPlacement(h, &wp) && wp.showCmd == SW_SHOWMAXIMIZED;
  ShowWindow(h, SW_MINIMIZE);
  S().minimized.push_back(MinimizedWindow{h, maximized});
  return TRUE;
}

void Release(HWND window, const char* path, bool forTool) {
  if (S().name[0] != '\0') ReacquireFiles(window, true);
  ReleaseState& s = S();
  s.busy = true;
  const bool empty = path == nullptr || path[0] == '\0';
  s.flags = 0;
  if (empty) {
    s.name[0] = '\0';
  } else {
    std::strncpy(s.name, path, sizeof s.name - 1);
    s.name[sizeof s.name - 1] = '\0';
    MediaServices& media = CurrentMediaServices();
    VideoSource* video = media.FindVideoByName(s.name);
    AudioSource* audio = media.FindAudioByName(s.name);
    MidiSource* midi = media.FindMidiByName(s.name);
    if (video != nullptr && Media().CloseVideoHandles(video)) s.flags |= kReleasedVideo;
    if (audio != nullptr && Media().CloseAudioFile(audio)) s.flags |= kReleasedAudio;
    if (video != nullptr || audio != nullptr || midi != nullptr) s.flags |= kReleasedSourceOpen;
  }
  if (forTool && (empty || (s.flags & kReleasedSourceOpen))) {
    EnumThreadWindows(GetCurrentThreadId(), MinimizeForTool, 0);
    Media().CloseVideoSubPlayer();
  }
  s.busy = false;
}

}  // namespace

FileReleaseMedia* SetFileReleaseMedia(FileReleaseMedia* media) {
  FileReleaseMedia* old = g_media;
  g_media = media;
  return old;
}

void ReleaseFileForTool(HWND window, const char* path) {
  Release(window, path, true);
}

void ReleaseFile(HWND window, const char* path) {
  if (path == nullptr || path[0] == '\0') return;
  Release(window, path, false);
}

bool ReacquireFiles(HWND window, bool checkCollection) {
  ReleaseState& s = S();
  if (s.reacquiring) return false;
  s.reacquiring = true;
  const std::string name = s.name;
  const uint32_t flags = s.flags;
  s.name[0] = '\0';
  s.flags = 0;
  std::vector<MinimizedWindow> windows;
  windows.swap(s.minimized);
  for (const MinimizedWindow& m : windows) {
    if (IsWindow(m.window)) ShowWindow(m.window, m.maximized ? SW_MAXIMIZE : SW_RESTORE);
  }
  bool result = false;
  if (!name.empty() && flags != 0) {
    MediaServices& media = CurrentMediaServices();
    VideoSource* video = media.FindVideoByName(name.c_str());
    AudioSource* audio = media.FindAudioByName(name.c_str());
    MidiSource* midi = media.FindMidiByName(name.c_str());
    if ((flags & kReleasedVideo) && video != nullptr) Media().ReopenVideoHandles(video);
    if ((flags & kReleasedAudio) && audio != nullptr) Media().ReopenAudioFile(audio);
    const bool changed = (video != nullptr && !Media().IsUnchanged(video)) ||
                         (audio != nullptr && !Media().IsUnchanged(audio)) ||
                         (midi != nullptr && !Media().IsUnchanged(midi));
    if (changed) result = Film::RefreshChangedSources(window, true, checkCollection, video, audio, midi);
  }
  s.reacquiring = false;
  return result;
}

const char* ReleasedFileName() {
  return S().name;
}

uint32_t ReleasedFileFlags() {
  return S().flags;
}

bool IsReleaseBusy() {
  return S().busy;
}
