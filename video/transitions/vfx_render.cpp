#include "video/transitions/vfx_render.h"

#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "model/message_box.h"
#include "model/players.h"
#include "platform/core/files.h"
#include "platform/core/locations.h"
#include "platform/core/message_queue.h"
#include "platform/core/paths.h"
#include "platform/core/threads.h"
#include "platform/gui/user.h"
#include "video/transitions/critical_section.h"
#include "video/transitions/vfx_queue.h"

namespace {

using TLock = TCriticalSection::TLock;

constexpr SIZE_T kStackSize = 4096;
constexpr DWORD kWakeUpMs = 3000;
constexpr DWORD kStopWaitMs = 10000;
constexpr UINT kRequestMessage = WM_USER + 99;

// The control block shared by the starter and the service thread; whoever
// drops the count to zero frees it.
struct SuicideThread {
  std::atomic<int32_t> references{1};
  std::atomic<uint8_t> stop{0};
  // The transition service it serves; null once the service may no longer
  // be called (under the service lock).
  VFX* transitions = nullptr;
};

void ReleaseBlock(SuicideThread* block) {
  if (block->references.fetch_sub(1) == 1) delete block;
}

struct Module {
  // The service lock makes each call into the transition service atomic
  // with the test that it may still be called; it comes before the film
  // lock. The job lock guards the running job, the settings lock the
  // settings, the folders and the file names.
  TCriticalSection serviceLock;
  TCriticalSection jobLock;
  TCriticalSection settingsLock;

  HANDLE workEvent = nullptr;  // auto-reset, made signalled
  // Main thread only.
  SuicideThread* block = nullptr;
  HANDLE thread = nullptr;
  HANDLE lingering = nullptr;  // a service that outlived its stop

  VFXQueue* current = nullptr;  // job lock

  // Settings lock.
  VFXRenderSettings settings;
  std::string defaultFolder;
  std::string folderInUse;
  std::vector<std::string> createdFolders;  // newest first

  std::atomic<HWND> mainWindow{nullptr};
  std::atomic<DWORD> mainThread{0};

  std::mutex traceLock;
  std::function<void(const std::string&)> traceSink;
};

// Never destroyed: a service thread that outlived the program's stop may
// still take these locks while the process ends.
Module& M() {
  static Module* module = new Module;
  return *module;
}

// The attributes tell what the folder's owner may do; another user (a
// project on a shared disk) is asked for himself.
bool WritableFolder(const std::string& folder) {
  const DWORD attributes = GetFileAttributes(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_READONLY) && access(NativePath(folder).c_str(), W_OK | X_OK) == 0;
}

// Makes folder when missing (remembering it among the folders made);
// true when it is a folder that can be written, else why says so. Under
// the settings lock.
bool UsableFolder(const std::string& folder, std::string* why) {
  Module& m = M();
  auto unusable = [&](const char* text) {
    if (why != nullptr) *why = FormatText(text, folder);
    return false;
  };
  if (folder.empty()) return unusable("There is no folder for the rendered transitions.");
  if (GetFileAttributes(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (!CreateDirectory(folder.c_str(), nullptr))
      return unusable("The folder '%s' for the rendered transitions can not be made.");
    m.createdFolders.insert(m.createdFolders.begin(), folder);
  } else if (!WritableFolder(folder)) {
    return unusable("The folder '%s' for the rendered transitions is not a folder that can be written.");
  }
  return true;
}

// The folder files go to, made when missing; "" when it cannot be used,
// and then why says so. Under the settings lock.
const std::string& FolderInUse(std::string* why = nullptr) {
  Module& m = M();
  if (!m.folderInUse.empty()) return m.folderInUse;
  const std::string instance = InstanceTempFolder();
  if (m.defaultFolder.empty()) m.defaultFolder = instance;
  const bool configured = !m.settings.tempDirectory.empty();
  const std::string folder = configured ? m.settings.tempDirectory : m.defaultFolder;
  if (UsableFolder(folder, why)) {
    m.folderInUse = folder;
  } else if (!configured && !instance.empty() && folder != instance) {
    // The project lies in a folder the user may not write (a shared or
    // read-only disk): its files go to a folder of this instance's own,
    // named as the project's would be, made and cleaned the same way.
    const std::string own = instance + "/" + PathFileName(folder);
    if (UsableFolder(own, nullptr)) {
      m.folderInUse = own;
      if (why != nullptr) why->clear();
    }
  }
  return m.folderInUse;
}

// Under the settings lock. False when the path would pass 260 characters.
bool FormatFileName(char (&path)[MAX_PATH], const std::string& folder, uint32_t stampA, uint32_t stampB) {
  char text[MAX_PATH + 1];
  const std::size_t length = FormatTextTo(text, sizeof(text), "%s/vfx%03d_%03d.avi", folder,
                                          static_cast<int32_t>(stampA), static_cast<int32_t>(stampB));
  if (folder.empty() || length >= MAX_PATH) {
    path[0] = '\0';
    return false;
  }
  std::memcpy(path, text, length + 1);
  return true;
}

// The job of the transition to render next, taken from transitions; null
// when none waits.
VFXQueue* TakeNext(VFX& transitions) {
  VFXEntry* t = transitions.NextWaiting();
  if (t == nullptr) return nullptr;
  auto* job = new (std::nothrow) VFXQueue;
  if (job != nullptr && !transitions.TakeJob(t, *job)) {
    job->Release();
    job = nullptr;
  }
  return job;
}

// Renders job as the running one; true when its file was written whole.
bool RenderJob(VFXQueue& job, const std::atomic<uint8_t>* stop) {
  Module& m = M();
  bool written = false;
  try {
    VFXRender::PostProgress(job.frameCount);
    DWORD quality = 0;
    {
      TLock lock(m.settingsLock);
      quality = static_cast<DWORD>(m.settings.maxQuality);
    }
    const bool ready = job.Prepare(quality);
    {
      TLock lock(m.jobLock);
      m.current = &job;
    }
    if (ready) written = job.Run(stop);
  } catch (...) {
    written = false;
    VFXRender::ShowException("Unexpected exception in Main VideoFX thread", "Kobrix Exception");
  }
  TLock lock(m.jobLock);
  m.current = nullptr;
  return written;
}

DWORD ServiceLoop(void* parameter) {
  auto* block = static_cast<SuicideThread*>(parameter);
  Module& m = M();
  try {
    while (block->stop.load() == 0) {
      VFXQueue* job = nullptr;
      {
        TLock lock(m.serviceLock);
        if (VFX* transitions = block->transitions) job = TakeNext(*transitions);
      }
      if (job == nullptr) {
        WaitForSingleObject(m.workEvent, kWakeUpMs);
        continue;
      }
      const bool written = RenderJob(*job, &block->stop);
      {
        TLock lock(m.serviceLock);
        if (VFX* transitions = block->transitions)
          transitions->FinishRender(job->transition, written, job->Failure());
      }
      job->Release();
      if (block->stop.load() == 0) VFXRender::PostProgress(0);
    }
  } catch (...) {
    VFXRender::ShowException("Unexpected exception in MAIN VideoFX thread", "Kobrix Exception");
  }
  block->stop.store(1);
  ReleaseBlock(block);
  return 0;
}

}  // namespace

namespace VFXRender {

bool StartThread(VFX& transitions) {
  Module& m = M();
  if (m.workEvent == nullptr) m.workEvent = CreateEvent(nullptr, FALSE, TRUE, nullptr);
  if (m.workEvent == nullptr) return false;
  m.mainThread = GetCurrentThreadId();
  if (m.block != nullptr) {
    // A second start leaves the first service to end by itself.
    {
      TLock lock(m.serviceLock);
      m.block->transitions = nullptr;
    }
    m.block->stop.store(1);
    ReleaseBlock(m.block);
    m.block = nullptr;
    if (m.lingering != nullptr) CloseHandle(m.lingering);
    m.lingering = m.thread;
    m.thread = nullptr;
  }
  auto* block = new (std::nothrow) SuicideThread;
  if (block == nullptr) return false;
  block->transitions = &transitions;
  // The thread's own reference is taken here, so that a stop before it
  // runs cannot free the block under it.
  block->references.store(2);
  HANDLE thread = CreateThread(nullptr, kStackSize, &ServiceLoop, block, 0, nullptr);
  if (thread == nullptr) {
    delete block;
    return false;
  }
  m.block = block;
  m.thread = thread;
  return true;
}

void StopThread() {
  Module& m = M();
  if (m.block == nullptr) {
    if (m.lingering != nullptr && WaitForSingleObject(m.lingering, kStopWaitMs) == WAIT_OBJECT_0) {
      CloseHandle(m.lingering);
      m.lingering = nullptr;
    }
    return;
  }
  SuicideThread* block = m.block;
  HANDLE thread = m.thread;
  m.block = nullptr;
  m.thread = nullptr;
  block->stop.store(1);
  SetEvent(m.workEvent);
  {
    TLock lock(m.jobLock);
    if (m.current != nullptr) m.current->FatalStop(false);
  }
  if (WaitForSingleObject(thread, kStopWaitMs) == WAIT_OBJECT_0) {
    CloseHandle(thread);
  } else {
    TLock lock(m.serviceLock);
    block->transitions = nullptr;
    if (m.lingering != nullptr) CloseHandle(m.lingering);
    m.lingering = thread;
  }
  ReleaseBlock(block);
}

void StopJobOf(const VFXEntry* t) {
  Module& m = M();
  TLock lock(m.jobLock);
  if (m.current != nullptr && m.current->transition == t) m.current->FatalStop(false);
}

bool IsRendering(const VFXEntry* t) {
  Module& m = M();
  TLock lock(m.jobLock);
  return m.current != nullptr && m.current->transition == t;
}

bool Running(const VFX& transitions) {
  Module& m = M();
  if (m.block == nullptr || m.block->stop.load() != 0) return false;
  TLock lock(m.serviceLock);
  return m.block->transitions == &transitions;
}

bool RenderHere(VFX& transitions) {
  VFXQueue* job = TakeNext(transitions);
  if (job == nullptr) return false;
  const std::atomic<uint8_t> stop{0};
  const bool written = RenderJob(*job, &stop);
  transitions.FinishRender(job->transition, written, job->Failure());
  job->Release();
  PostProgress(0);
  return true;
}

void SignalWork() {
  if (HANDLE event = M().workEvent) SetEvent(event);
}

void Forget(const VFX* transitions) {
  Module& m = M();
  if (m.block == nullptr) return;
  TLock lock(m.serviceLock);
  if (m.block->transitions == transitions) m.block->transitions = nullptr;
}

void GetSettings(VFXRenderSettings* settings) {
  Module& m = M();
  TLock lock(m.settingsLock);
  *settings = m.settings;
}

void SetSettings(const VFXRenderSettings& settings) {
  Module& m = M();
  TLock lock(m.settingsLock);
  std::string folder = settings.tempDirectory;
  if (folder.size() > 1 && IsPathSeparator(folder.back())) folder.pop_back();
  if (folder != m.settings.tempDirectory) m.folderInUse.clear();
  m.settings = settings;
  m.settings.tempDirectory = folder;
}

void SetTempDir(const char* projectPath) {
  Module& m = M();
  TLock lock(m.settingsLock);
  std::string folder = projectPath != nullptr && *projectPath != '\0'
                           ? PathChangeExtension(projectPath, ".vfx")
                           : InstanceTempFolder();
  if (folder != m.defaultFolder) {
    m.folderInUse.clear();
    m.defaultFolder = folder;
  }
}

bool MakeFileName(char (&path)[MAX_PATH], uint32_t stampA, uint32_t stampB, std::string* why) {
  Module& m = M();
  TLock lock(m.settingsLock);
  const std::string& folder = FolderInUse(why);
  if (folder.empty()) {
    path[0] = '\0';
    return false;
  }
  const bool made = FormatFileName(path, folder, stampA, stampB);
  if (!made && why != nullptr) *why = FormatText("The path of a rendered transition in '%s' is too long.", folder);
  return made;
}

void CleanTempDir() {
  Module& m = M();
  bool running = false;
  uint32_t runningA = 0, runningB = 0;
  {
    TLock lock(m.jobLock);
    if (m.current != nullptr) {
      running = true;
      runningA = m.current->stampA;
      runningB = m.current->stampB;
    }
  }
  TLock lock(m.settingsLock);
  char keep[MAX_PATH] = {};
  if (running) FormatFileName(keep, m.folderInUse, runningA, runningB);
  if (m.settings.clearFiles) {
    for (const std::string& folder : m.createdFolders) {
      WIN32_FIND_DATA found;
      HANDLE search = FindFirstFile((folder + "/vfx*.avi").c_str(), &found);
      if (search != INVALID_HANDLE_VALUE) {
        do {
          if (!EqualNoCase(PathExtension(found.cFileName), ".avi")) continue;
          const std::string file = folder + "/" + found.cFileName;
          if (!PathsEqual(file, keep)) DeleteFile(file.c_str());
        } while (FindNextFile(search, &found));
        FindClose(search);
      }
      RemoveDirectory(folder.c_str());
    }
    m.createdFolders.clear();
  }
  m.folderInUse.clear();
}

void SetMainWindow(HWND window) {
  M().mainWindow.store(window);
}

void PostProgress(int32_t value) {
  if (HWND window = M().mainWindow.load()) {
    PostMessage(window, kRequestMessage, kVFXProgressRequest, static_cast<LPARAM>(value));
  }
}

void ShowException(const char* text, const char* caption) {
  Module& m = M();
  const DWORD thread = m.mainThread.load();
  std::string shown = text;
  std::string title = caption;
  const bool posted = thread != 0 && PostSentTask(thread, [shown, title] {
                        ShowMessage(M().mainWindow.load(), title.c_str(), MB_ICONSTOP | MB_OK, "%s", shown);
                      });
  if (!posted) Trace(shown);
}

void SetTraceSink(std::function<void(const std::string&)> sink) {
  Module& m = M();
  std::lock_guard<std::mutex> hold(m.traceLock);
  m.traceSink = std::move(sink);
}

void Trace(const std::string& text) {
  Module& m = M();
  std::lock_guard<std::mutex> hold(m.traceLock);
  if (m.traceSink) m.traceSink(text);
}

}  // namespace VFXRender
