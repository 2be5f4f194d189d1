#include "video/velmora_api.h"

#include <string>

VelmoraApiTable VelmoraApi;
HMODULE VelmoraLibraryModule = nullptr;
bool VelmoraBoardAvailable = false;

#define VELMORA_ONE(result, name, count, params) +1
static_assert(0 VLMINTER_ENTRIES(VELMORA_ONE) == kVelmoraEntryCount, "every entry of the library is bound");
#undef VELMORA_ONE

namespace {

std::string& LibraryName() {
  static std::string name = "VLMINTER.DLL";
  return name;
}

// Every entry, in the order listed; true only when the library had all.
bool BindAll() {
  bool all = true;
#define VELMORA_BIND(result, name, count, params)                                                \
  static_assert(decltype(VelmoraApi.name)::kArguments == count, #name " keeps its argument count"); \
  all = InitVelmoraAPIClass::Bind(VelmoraApi.name, #name) && all;
  VLMINTER_ENTRIES(VELMORA_BIND)
#undef VELMORA_BIND
  return all;
}

// The program start loads the library, the program end unloads it.
InitVelmoraAPIClass theVelmoraApi;

}  // namespace

InitVelmoraAPIClass::InitVelmoraAPIClass() {
  Load();
}

InitVelmoraAPIClass::~InitVelmoraAPIClass() {
  Unload();
}

bool InitVelmoraAPIClass::Load() {
  if (VelmoraLibraryModule != nullptr) return true;
  VelmoraLibraryModule = LoadLibrary(LibraryName().c_str());
  bool usable = VelmoraLibraryModule != nullptr;
  if (!Bind(VelmoraApi.vlmdll_status, "vlmdll_status")) usable = false;
  if (usable) usable = VelmoraApi.vlmdll_status() != 0;
  if (!usable && VelmoraLibraryModule != nullptr) {
    FreeLibrary(VelmoraLibraryModule);
    VelmoraLibraryModule = nullptr;
  }
  return BindAll();
}

bool InitVelmoraAPIClass::Unload() {
  if (VelmoraLibraryModule != nullptr) FreeLibrary(VelmoraLibraryModule);
  VelmoraLibraryModule = nullptr;
  return BindAll();
}

bool InitVelmoraAPIClass::IsLoaded() {
  return VelmoraLibraryModule != nullptr;
}

void SetVelmoraLibraryName(const char* name) {
  LibraryName() = name != nullptr ? name : "";
}
