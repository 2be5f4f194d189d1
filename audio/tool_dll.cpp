#include "audio/tool_dll.h"

#include <cstring>
#include <new>
#include <string>

#include "model/message_box.h"
#include "platform/core/dynlib.h"
#include "platform/core/locations.h"
#include "platform/core/paths.h"

namespace {

ToolDLL* g_tools = nullptr;

// The size the error box reports when a library record cannot be made.
constexpr int32_t kToolRecordBytes = 276;

}  // namespace

ToolDLL* ToolDLL::GetOrLoad(const char* win32sName, const char* win95Name, const char* ntName, HWND owner,
                            const char* caption, int* error) {
  (void)win32sName;
  (void)win95Name;
  if (error != nullptr) *error = kErrOk;
  if (ntName == nullptr || ntName[0] == '\0') return nullptr;
  const std::string full = PathJoin(ProgramFolder(), ntName);
  // The name field holds 254 characters; a longer one would name another file.
  if (full.size() >= sizeof(ToolDLL::name)) {
    ShowMessage(owner, "Loading midi stream DLL", MB_ICONSTOP, "Unable to load library %s", ntName);
    if (error != nullptr) *error = kErrCancelled;
    return nullptr;
  }
  for (ToolDLL* t = g_tools; t != nullptr; t = t->next) {
    if (PathsEqual(t->name, full)) {
      t->AddRef();
      return t;
    }
  }

  ToolDLL* tool = new (std::nothrow) ToolDLL;
  if (tool == nullptr) {
    ErrorBox(owner, kErrNoMemory, caption, kToolRecordBytes);
    if (error != nullptr) *error = kErrNoMemory;
    return nullptr;
  }
  std::memcpy(tool->name, full.c_str(), full.size() + 1);
  tool->next = g_tools;
  g_tools = tool;
  tool->module = LoadLibrary(tool->name);
  if (tool->module == nullptr) {
    ShowMessage(owner, "Loading midi stream DLL", MB_ICONSTOP, "Unable to load library %s", ntName);
    // Already told: the error box shows nothing more for 17.
    tool->error = kErrCancelled;
  } else {
    tool->entry = reinterpret_cast<ToolEntry>(GetProcAddress(tool->module, kToolEntryName));
    if (tool->entry == nullptr) {
      tool->error = kErrInvalidFormat;
      ErrorBox(owner, kErrInvalidFormat, caption, ntName);
    }
  }
  if (tool->error != kErrOk) {
    if (error != nullptr) *error = tool->error;
    delete tool;
    return nullptr;
  }
  tool->referenceCount = 1;
  return tool;
}

ToolDLL::~ToolDLL() {
  for (ToolDLL** link = &g_tools; *link != nullptr; link = &(*link)->next) {
    if (*link == this) {
      *link = next;
      break;
    }
  }
  if (module != nullptr) FreeLibrary(module);
}

void ToolDLL::Release() {
  if (--referenceCount < 1) delete this;
}

int ToolDLL::Call(int command, void* argument) {
  if (entry == nullptr) {
    error = kErrFileMissing;
    return 0;
  }
  return entry(command, argument);
}
