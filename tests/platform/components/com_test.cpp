#include "platform/components/com.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "component_test_support.h"
#include "platform/components/audio_effect.h"
#include "platform/components/effects/effect_classes.h"

namespace {

const std::string kGainModulePath = std::string(KOBRIX_EFFECT_MODULE_DIR) + "/libkxgain.so";

bool ModuleLoaded(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

using ComTest = ComponentTest;

TEST_F(ComTest, InitialisationCountsPerThread) {
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);  // the fixture's was the first
  CoUninitialize();
  HRESULT other = E_FAIL;
  std::thread([&] {
    other = CoInitialize(nullptr);
    CoUninitialize();
  }).join();
  EXPECT_EQ(other, S_OK);
  int dummy = 0;
  EXPECT_EQ(CoInitialize(&dummy), E_INVALIDARG);
}

TEST_F(ComTest, CreatingNeedsAnInitialisedThread) {
  WriteRegistry(BuildRegistryText());
  HRESULT hr = S_OK;
  void* object = &hr;
  std::thread([&] {
    hr = CoCreateInstance(CLSID_KobrixGain, nullptr, CLSCTX_INPROC_SERVER, IID_IAudioEffect, &object);
  }).join();
  EXPECT_EQ(hr, CO_E_NOTINITIALIZED);
  EXPECT_EQ(object, nullptr);
}

TEST_F(ComTest, CreatesARegisteredClass) {
  WriteRegistry(BuildRegistryText());
  IAudioEffect* effect = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_KobrixGain, nullptr, CLSCTX_INPROC_SERVER, IID_IAudioEffect,
                             reinterpret_cast<void**>(&effect)),
            S_OK);
  ASSERT_NE(effect, nullptr);
  EXPECT_NE(effect->Initialize(), 0);

  // The object answers for IUnknown with itself and counts references.
  IUnknown* unknown = nullptr;
  ASSERT_EQ(effect->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(effect));
  void* none = &unknown;
  EXPECT_EQ(effect->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(effect->AddRef(), 3u);
  EXPECT_EQ(effect->Release(), 2u);
  EXPECT_EQ(unknown->Release(), 1u);
  EXPECT_EQ(effect->Release(), 0u);
}

TEST_F(ComTest, FailuresOfCreation) {
  const std::string served = "{1C6D51CD-D6AA-4F34-8291-5564C1428740}";
  const std::string notServed = "{00000000-1111-2222-3333-444444444444}";
  const std::string noModule = "{00000000-1111-2222-3333-555555555555}";
  const std::string noEntry = "{00000000-1111-2222-3333-666666666666}";
  const std::string dir = KOBRIX_EFFECT_MODULE_DIR;
  WriteRegistry(RegistryClassEntry(served, "", dir + "/KXGAIN.DLL") +
                RegistryClassEntry(notServed, "", dir + "/KXGAIN.DLL") +
                RegistryClassEntry(noModule, "", dir + "/NOSUCHFX.DLL") +
                RegistryClassEntry(noEntry, "", "libc.so.6") +
                "[HKEY_CLASSES_ROOT\\CLSID\\{00000000-1111-2222-3333-777777777777}]\n@=\"no server\"\n");
  struct Case {
    std::string clsid;
    DWORD context;
    IID iid;
    bool aggregate;
    HRESULT expected;
  };
  const Case cases[] = {
      {"{00000000-1111-2222-3333-777777777777}", CLSCTX_INPROC_SERVER, IID_IAudioEffect, false,
       REGDB_E_CLASSNOTREG},
      {"{99999999-1111-2222-3333-777777777777}", CLSCTX_INPROC_SERVER, IID_IAudioEffect, false,
       REGDB_E_CLASSNOTREG},
      {served, CLSCTX_LOCAL_SERVER, IID_IAudioEffect, false, REGDB_E_CLASSNOTREG},
      {noModule, CLSCTX_INPROC_SERVER, IID_IAudioEffect, false, CO_E_DLLNOTFOUND},
      {noEntry, CLSCTX_INPROC_SERVER, IID_IAudioEffect, false, CO_E_ERRORINDLL},
      {notServed, CLSCTX_INPROC_SERVER, IID_IAudioEffect, false, CLASS_E_CLASSNOTAVAILABLE},
      {served, CLSCTX_INPROC_SERVER, IID_IClassFactory, false, E_NOINTERFACE},
      {served, CLSCTX_ALL, IID_IAudioEffect, true, CLASS_E_NOAGGREGATION},
  };
  for (const Case& c : cases) {
    CLSID clsid;
    ASSERT_EQ(CLSIDFromString(c.clsid.c_str(), &clsid), NOERROR);
    int outer = 0;
    void* object = &outer;
    EXPECT_EQ(CoCreateInstance(clsid, c.aggregate ? reinterpret_cast<IUnknown*>(&outer) : nullptr, c.context,
                               c.iid, &object),
              c.expected)
        << c.clsid;
    EXPECT_EQ(object, nullptr) << c.clsid;
  }
  EXPECT_EQ(CoCreateInstance(CLSID_KobrixGain, nullptr, CLSCTX_INPROC_SERVER, IID_IAudioEffect, nullptr),
            E_POINTER);
}

// The class object is the module's factory; a caller that would also take
// a local server is served in process.
TEST_F(ComTest, ClassObjectsComeFromTheModule) {
  WriteRegistry(BuildRegistryText());
  for (DWORD context : {CLSCTX_INPROC_SERVER, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER}) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(CoGetClassObject(CLSID_KobrixGain, context, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&factory)),
              S_OK);
    ASSERT_NE(factory, nullptr);
    IAudioEffect* effect = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IAudioEffect, reinterpret_cast<void**>(&effect)), S_OK);
    EXPECT_NE(effect->Initialize(), 0);
    effect->Release();
    factory->Release();
  }
  void* object = &object;
  EXPECT_EQ(CoGetClassObject(CLSID_KobrixGain, CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory, &object),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  CLSID unknown;
  ASSERT_EQ(CLSIDFromString("{00000000-1111-2222-3333-444444444444}", &unknown), NOERROR);
  EXPECT_EQ(CoGetClassObject(unknown, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &object),
            REGDB_E_CLASSNOTREG);
  int info = 0;
  EXPECT_EQ(CoGetClassObject(CLSID_KobrixGain, CLSCTX_INPROC_SERVER, &info, IID_IClassFactory, &object),
            E_INVALIDARG);
}

TEST_F(ComTest, ProgramIds) {
  WriteRegistry(BuildRegistryText() + "[HKEY_CLASSES_ROOT\\KOBRIX.Broken\\CLSID]\n@=\"not a class id\"\n");
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID("KOBRIX.Echo", &clsid), NOERROR);
  EXPECT_EQ(clsid, CLSID_KobrixEcho);
  ASSERT_EQ(CLSIDFromProgID("kobrix.equalizer", &clsid), NOERROR);  // names ignore case
  EXPECT_EQ(clsid, CLSID_KobrixEqualizer);
  EXPECT_EQ(CLSIDFromProgID("KOBRIX.Missing", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID("KOBRIX.Broken", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID("", &clsid), CO_E_CLASSSTRING);

  LPSTR progId = nullptr;
  ASSERT_EQ(ProgIDFromCLSID(CLSID_KobrixGain, &progId), S_OK);
  EXPECT_STREQ(progId, "KOBRIX.Gain");
  CoTaskMemFree(progId);
  EXPECT_EQ(ProgIDFromCLSID(IID_IAudioEffect, &progId), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(progId, nullptr);
}

// The last uninitialisation unloads the modules without live objects and
// keeps the others.
TEST_F(ComTest, ModulesUnloadWhenUnused) {
  WriteRegistry(BuildRegistryText());
  IAudioEffect* effect = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_KobrixGain, nullptr, CLSCTX_INPROC_SERVER, IID_IAudioEffect,
                             reinterpret_cast<void**>(&effect)),
            S_OK);
  EXPECT_TRUE(ModuleLoaded(kGainModulePath));

  CoUninitialize();  // an object is alive: the module stays
  EXPECT_TRUE(ModuleLoaded(kGainModulePath));
  EXPECT_NE(effect->Initialize(), 0);
  effect->Release();

  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  CoUninitialize();
  EXPECT_FALSE(ModuleLoaded(kGainModulePath));
  ASSERT_EQ(CoInitialize(nullptr), S_OK);  // for the fixture's own
}

}  // namespace
