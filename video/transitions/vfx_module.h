// The transition service's own state behind VFX: the list of every
// transition, the chain of the last Schedule and the film lock over them.
#pragma once

#include <cstdint>
#include <vector>

#include "video/transitions/critical_section.h"

struct VFXEntry;
class VideoSource;

class VFXModule {
 public:
  // Guards the list, every state change and the references transitions
  // hold. Taken before the render service's job and settings locks.
  TCriticalSection filmLock;
  VFXEntry* head = nullptr;   // through link, newest first
  VFXEntry* chain = nullptr;  // through next, film order
  uint32_t generation = 0;    // counts Schedule calls
  // References the render thread let go of; the main thread releases them.
  std::vector<VideoSource*> releaseLater;
};
