#include "platform/audio/audio_backend.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

std::mutex& BackendLock() {
  static std::mutex lock;
  return lock;
}
std::unique_ptr<AudioBackend>& Backend() {
  static std::unique_ptr<AudioBackend> backend;
  return backend;
}

}  // namespace

AudioBackend& CurrentAudioBackend() {
  std::lock_guard<std::mutex> hold(BackendLock());
  std::unique_ptr<AudioBackend>& backend = Backend();
  if (!backend) {
    const char* choice = std::getenv("KOBRIX_AUDIO");
    if (choice != nullptr && std::strcmp(choice, "virtual") == 0) {
      backend = MakeVirtualAudioBackend();
    } else {
      backend = MakeSdlAudioBackend();
    }
  }
  return *backend;
}

void SetAudioBackend(std::unique_ptr<AudioBackend> backend) {
  std::unique_ptr<AudioBackend> old;
  {
    std::lock_guard<std::mutex> hold(BackendLock());
    old = std::move(Backend());
    Backend() = std::move(backend);
  }
}
