// The binding of the video board's library: one program-wide table of its
// entries, each always callable. An entry the library lacks (or every entry
// while no library is loaded) is a fallback that takes the entry's own
// arguments and answers 0, so that a missing board looks absent, idle and
// empty: vdc_register refuses, vdc_AllocVideoFifo gives no fifo,
// vdc_get_version is 0.
//
// Loading, binding and unloading happen on the main thread; the players'
// threads read the table while it does not change.
#pragma once

#include <cstdint>

#include "platform/board/vlminter.h"
#include "platform/core/dynlib.h"

// One entry of the table, typed as the library exports it.
template <typename Signature>
class VelmoraEntry;

template <typename Result, typename... Arguments>
class VelmoraEntry<Result(Arguments...)> {
 public:
  using Function = Result (*)(Arguments...);
  static constexpr int kArguments = sizeof...(Arguments);

  // Takes the arguments of the entry, ignores them and answers 0.
  static Result Fallback(Arguments...) { return Result(); }

  Result operator()(Arguments... arguments) const { return function(arguments...); }
  bool IsFallback() const { return function == &Fallback; }

  Function function = &Fallback;
};

struct VelmoraApiTable {
#define VELMORA_ENTRY(result, name, count, params) VelmoraEntry<result params> name;
  VLMINTER_ENTRIES(VELMORA_ENTRY)
#undef VELMORA_ENTRY
};

// The board's entries for the whole program.
extern VelmoraApiTable VelmoraApi;

// The number of entries.
constexpr int kVelmoraEntryCount = 161;

// Loads the library when the program starts and unloads it when it ends.
class InitVelmoraAPIClass {
 public:
  InitVelmoraAPIClass();
  ~InitVelmoraAPIClass();
  InitVelmoraAPIClass(const InitVelmoraAPIClass&) = delete;
  InitVelmoraAPIClass& operator=(const InitVelmoraAPIClass&) = delete;

  // Loads and binds. True only when the library loaded, says the board is
  // usable and has every entry; a library without some entries stays loaded
  // (those entries fall back), so that the next Load is true. Nothing is
  // bound again while the library is loaded.
  static bool Load();
  // Frees the library and falls back on every entry; false.
  static bool Unload();
  static bool IsLoaded();
  // One look-up: the library's entry of that name, else the fallback;
  // true when the library has it.
  template <typename Entry>
  static bool Bind(Entry& slot, const char* name);
};

// The library's name as LoadLibrary takes it ("VLMINTER.DLL", found beside
// the program); tests name another file. The name is copied.
void SetVelmoraLibraryName(const char* name);

// The loaded library, null while none is.
extern HMODULE VelmoraLibraryModule;

// Set at start-up by the board device to the result of a load; the GPI
// operations and the wait dialog ask it before they touch a GPI entry.
extern bool VelmoraBoardAvailable;

template <typename Entry>
bool InitVelmoraAPIClass::Bind(Entry& slot, const char* name) {
  slot.function = &Entry::Fallback;
  if (VelmoraLibraryModule == nullptr) return false;
  FARPROC entry = GetProcAddress(VelmoraLibraryModule, name);
  if (entry == nullptr) return false;
  slot.function = reinterpret_cast<typename Entry::Function>(entry);
  return true;
}
