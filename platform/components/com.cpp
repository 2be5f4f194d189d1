#include "platform/components/com.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/components/window_services.h"
#include "platform/core/dynlib.h"
#include "platform/core/registry.h"

namespace {

// Modules stay loaded while the process has components initialised, keyed by
// the name the registry gives, so a class is loaded once however often it is
// created.
struct ModuleTable {
  std::mutex lock;
  std::map<std::string, HMODULE> modules;
  long initialisations = 0;  // over all threads
};

ModuleTable& Table() {
  static ModuleTable* table = new ModuleTable;  // outlives static destructors
  return *table;
}

thread_local long thread_initialisations = 0;

// The default value of root\subkey as text; false when the key or a text
// value is missing.
bool ReadDefaultText(HKEY root, const std::string& subkey, std::string* value) {
  HKEY key = nullptr;
  if (RegOpenKeyEx(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  char buffer[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH;
  DWORD type = 0;
  LONG result = RegQueryValueEx(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return false;
  if (size > MAX_PATH) size = MAX_PATH;
  buffer[size] = '\0';
  *value = buffer;  // stops at the stored terminator
  return !value->empty();
}

std::string ClassKey(REFCLSID clsid) {
  char text[kGuidTextLength + 1];
  StringFromGUID2(clsid, text, sizeof text);
  return std::string("CLSID\\") + text;
}

HRESULT LoadModule(const std::string& name, HMODULE* module) {
  ModuleTable& table = Table();
  std::lock_guard<std::mutex> hold(table.lock);
  auto found = table.modules.find(name);
  if (found != table.modules.end()) {
    *module = found->second;
    return S_OK;
  }
  HMODULE loaded = LoadLibrary(name.c_str());
  if (loaded == nullptr) return CO_E_DLLNOTFOUND;
  // A module that draws windows of its own asks for the program's window
  // functions; the others do not export the entry.
  auto giveServices =
      reinterpret_cast<KobrixSetWindowServicesEntry>(GetProcAddress(loaded, kSetWindowServicesEntry));
  if (giveServices != nullptr) giveServices(HostWindowServices());
  table.modules.emplace(name, loaded);
  *module = loaded;
  return S_OK;
}

}  // namespace

HRESULT CoInitialize(LPVOID reserved) {
  if (reserved != nullptr) return E_INVALIDARG;
  ModuleTable& table = Table();
  std::lock_guard<std::mutex> hold(table.lock);
  ++table.initialisations;
  return thread_initialisations++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (thread_initialisations == 0) return;
  --thread_initialisations;
  ModuleTable& table = Table();
  std::lock_guard<std::mutex> hold(table.lock);
  if (--table.initialisations > 0) return;
  for (auto it = table.modules.begin(); it != table.modules.end();) {
    auto canUnload = reinterpret_cast<DllCanUnloadNowEntry>(GetProcAddress(it->second, "DllCanUnloadNow"));
    // A module that cannot say keeps its library: unloading code that live
    // objects still run would crash later.
    if (canUnload != nullptr && canUnload() == S_OK) {
      FreeLibrary(it->second);
      it = table.modules.erase(it);
    } else {
      ++it;
    }
  }
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID serverInfo, REFIID iid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (serverInfo != nullptr) return E_INVALIDARG;
  if (thread_initialisations == 0) return CO_E_NOTINITIALIZED;
  // Every class is served in process here: a caller that also accepts a
  // local server gets the module.
  if ((context & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;

  std::string moduleName;
  if (!ReadDefaultText(HKEY_CLASSES_ROOT, ClassKey(clsid) + "\\InprocServer32", &moduleName))
    return REGDB_E_CLASSNOTREG;
  HMODULE module = nullptr;
  HRESULT hr = LoadModule(moduleName, &module);
  if (FAILED(hr)) return hr;
  auto getClassObject = reinterpret_cast<DllGetClassObjectEntry>(GetProcAddress(module, "DllGetClassObject"));
  if (getClassObject == nullptr) return CO_E_ERRORINDLL;
  void* found = nullptr;
  hr = getClassObject(clsid, iid, &found);
  if (FAILED(hr)) return hr;
  if (found == nullptr) return CO_E_ERRORINDLL;
  *object = found;
  return hr;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  IClassFactory* factory = nullptr;
  HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  void* created = nullptr;
  hr = factory->CreateInstance(outer, iid, &created);
  factory->Release();
  if (FAILED(hr)) return hr;
  if (created == nullptr) return E_NOINTERFACE;
  *object = created;
  return hr;
}

HRESULT CLSIDFromString(LPCSTR text, LPCLSID clsid) {
  if (clsid == nullptr) return E_INVALIDARG;
  return GuidFromText(text, clsid) ? NOERROR : CO_E_CLASSSTRING;
}

HRESULT CLSIDFromProgID(LPCSTR progId, LPCLSID clsid) {
  if (progId == nullptr || clsid == nullptr) return E_INVALIDARG;
  if (progId[0] == '\0') return CO_E_CLASSSTRING;
  std::string text;
  if (!ReadDefaultText(HKEY_CLASSES_ROOT, std::string(progId) + "\\CLSID", &text)) return CO_E_CLASSSTRING;
  return GuidFromText(text.c_str(), clsid) ? NOERROR : CO_E_CLASSSTRING;
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPSTR* progId) {
  if (progId == nullptr) return E_INVALIDARG;
  *progId = nullptr;
  std::string text;
  if (!ReadDefaultText(HKEY_CLASSES_ROOT, ClassKey(clsid) + "\\ProgID", &text)) return REGDB_E_CLASSNOTREG;
  auto copy = static_cast<LPSTR>(CoTaskMemAlloc(text.size() + 1));
  if (copy == nullptr) return E_OUTOFMEMORY;
  std::memcpy(copy, text.c_str(), text.size() + 1);
  *progId = copy;
  return S_OK;
}

LPVOID CoTaskMemAlloc(SIZE_T size) {
  return std::malloc(size == 0 ? 1 : size);
}

void CoTaskMemFree(LPVOID memory) {
  std::free(memory);
}
