// The clipboard of the program and the global memory blocks it holds.
#include "platform/gui/controls/clipboard.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <unordered_set>

#include "platform/core/threads.h"

namespace {

struct Block {
  SIZE_T size = 0;
  int locks = 0;
};

// Live blocks, so that a stale or foreign handle is refused rather than
// followed.
std::mutex& MemLock() {
  static std::mutex* m = new std::mutex();
  return *m;
}
std::unordered_set<Block*>& Blocks() {
  static auto* b = new std::unordered_set<Block*>();
  return *b;
}

constexpr SIZE_T kHeader =
    (sizeof(Block) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) * alignof(std::max_align_t);

Block* Live(HGLOBAL mem) {
  auto* b = static_cast<Block*>(mem);
  return Blocks().count(b) != 0 ? b : nullptr;
}

struct Clipboard {
  std::mutex lock;
  DWORD open_thread = 0;
  HWND open_window = nullptr;
  HWND owner = nullptr;
  std::map<UINT, HANDLE> data;
};

Clipboard& Board() {
  static auto* c = new Clipboard();
  return *c;
}

bool OpenedHere(const Clipboard& c) {
  return c.open_thread != 0 && c.open_thread == GetCurrentThreadId();
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  if (bytes > (SIZE_T{1} << 40)) return nullptr;
  void* raw = (flags & GMEM_ZEROINIT) ? std::calloc(1, kHeader + bytes) : std::malloc(kHeader + bytes);
  if (raw == nullptr) return nullptr;
  auto* b = new (raw) Block();
  b->size = bytes;
  std::lock_guard<std::mutex> hold(MemLock());
  Blocks().insert(b);
  return b;
}

LPVOID GlobalLock(HGLOBAL mem) {
  std::lock_guard<std::mutex> hold(MemLock());
  Block* b = Live(mem);
  if (b == nullptr) return nullptr;
  ++b->locks;
  return reinterpret_cast<char*>(b) + kHeader;
}

BOOL GlobalUnlock(HGLOBAL mem) {
  std::lock_guard<std::mutex> hold(MemLock());
  Block* b = Live(mem);
  if (b == nullptr || b->locks == 0) return FALSE;
  return --b->locks > 0 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL mem) {
  std::lock_guard<std::mutex> hold(MemLock());
  Block* b = Live(mem);
  return b != nullptr ? b->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL mem) {
  std::lock_guard<std::mutex> hold(MemLock());
  Block* b = Live(mem);
  if (b == nullptr) return mem;
  Blocks().erase(b);
  b->~Block();
  std::free(b);
  return nullptr;
}

BOOL OpenClipboard(HWND owner) {
  Clipboard& c = Board();
  std::lock_guard<std::mutex> hold(c.lock);
  if (c.open_thread != 0 && c.open_thread != GetCurrentThreadId()) return FALSE;
  c.open_thread = GetCurrentThreadId();
  c.open_window = owner;
  return TRUE;
}

BOOL CloseClipboard() {
  Clipboard& c = Board();
  std::lock_guard<std::mutex> hold(c.lock);
  if (!OpenedHere(c)) return FALSE;
  c.open_thread = 0;
  c.open_window = nullptr;
  return TRUE;
}

BOOL EmptyClipboard() {
  Clipboard& c = Board();
  std::lock_guard<std::mutex> hold(c.lock);
  if (!OpenedHere(c)) return FALSE;
  for (auto& [format, mem] : c.data) GlobalFree(mem);
  c.data.clear();
  c.owner = c.open_window;
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE mem) {
  Clipboard& c = Board();
  std::lock_guard<std::mutex> hold(c.lock);
  if (!OpenedHere(c) || mem == nullptr || GlobalSize(mem) == 0) return nullptr;
  auto it = c.data.find(format);
  if (it != c.data.end() && it->second != mem) GlobalFree(it->second);
  c.data[format] = mem;
  return mem;
}

HANDLE GetClipboardData(UINT format) {
  Clipboard& c = Board();
  std::lock_guard<std::mutex> hold(c.lock);
  if (!OpenedHere(c)) return nullptr;
  auto it = c.data.find(format);
  return it != c.data.end() ? it->second : nullptr;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  Clipboard& c = Board();
  std::lock_guard<std::mutex> hold(c.lock);
  return c.data.count(format) != 0 ? TRUE : FALSE;
}

HWND GetClipboardOwner() {
  Clipboard& c = Board();
  std::lock_guard<std::mutex> hold(c.lock);
  return c.owner;
}
