// Components: reference-counted interfaces and in-process component modules
// created by class id.
//
// An interface is an abstract C++ class of virtual functions only (no
// virtual destructor), so its virtual table holds its operations in the
// order they are declared, the order callers and modules agree on.
//
// A component module is a shared library that exports
//   HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
//   HRESULT DllCanUnloadNow()
// with C linkage. The registry names it: the default value of
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 is the module's file,
// found by LoadLibrary's rule ("KXGAIN.DLL" is "libkxgain.so" beside the
// program; a path is used as it stands). A program id maps to its class
// through HKEY_CLASSES_ROOT\<ProgID>\CLSID, and a class to its program id
// through HKEY_CLASSES_ROOT\CLSID\{clsid}\ProgID.
#pragma once

#include "platform/components/guid.h"
#include "platform/core/types.h"

using HRESULT = LONG;

constexpr bool SUCCEEDED(HRESULT hr) {
  return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
  return hr < 0;
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT NOERROR = 0;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT REGDB_E_READREGDB = static_cast<HRESULT>(0x80040150u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);
constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8u);
constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9u);

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

// {00000000-0000-0000-C000-000000000046}
inline constexpr IID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// {00000001-0000-0000-C000-000000000046}
inline constexpr IID IID_IClassFactory{0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IUnknown {
 public:
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  // Objects die through Release, never through a pointer to an interface.
  ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

class IClassFactory : public IUnknown {
 public:
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};

// The entries a component module exports.
using DllGetClassObjectEntry = HRESULT (*)(REFCLSID clsid, REFIID iid, void** object);
using DllCanUnloadNowEntry = HRESULT (*)();

// Per thread, as the system counts it: S_OK for the thread's first call,
// S_FALSE for further ones; each successful call is paired with
// CoUninitialize. reserved must be null.
HRESULT CoInitialize(LPVOID reserved);
// When the last initialisation of the process ends, the modules that say
// they can be unloaded are unloaded; modules with live objects stay.
void CoUninitialize();

// The class object (usually its IClassFactory) of class clsid from its
// in-process module, asked for iid. Classes are only ever served in
// process here: a context that includes CLSCTX_INPROC_SERVER is accepted
// whatever else it names. serverInfo must be null. Results as
// CoCreateInstance's below.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID serverInfo, REFIID iid, LPVOID* object);

// Creates an object of class clsid from its in-process module and asks it
// for iid. *object is null on failure: CO_E_NOTINITIALIZED when the thread
// has not initialised, REGDB_E_CLASSNOTREG when no in-process module is
// registered for the class (or the context excludes in-process servers),
// CO_E_DLLNOTFOUND when the module does not load, CO_E_ERRORINDLL when it
// lacks DllGetClassObject, else the module's own result
// (CLASS_E_CLASSNOTAVAILABLE, CLASS_E_NOAGGREGATION, E_NOINTERFACE ...).
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, LPVOID* object);

// The class of a braced class id text: NOERROR, or CO_E_CLASSSTRING for
// any other text (program ids go through CLSIDFromProgID).
HRESULT CLSIDFromString(LPCSTR text, LPCLSID clsid);
// NOERROR, or CO_E_CLASSSTRING when the program id is not registered.
HRESULT CLSIDFromProgID(LPCSTR progId, LPCLSID clsid);
// The registered program id of a class, in memory from CoTaskMemAlloc that
// the caller frees with CoTaskMemFree; REGDB_E_CLASSNOTREG when it has none.
HRESULT ProgIDFromCLSID(REFCLSID clsid, LPSTR* progId);

LPVOID CoTaskMemAlloc(SIZE_T size);
void CoTaskMemFree(LPVOID memory);
