// A settings folder of the test's own, with a registry file the test writes,
// and a components initialisation for the test's thread.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/components/com.h"
#include "platform/core/registry.h"

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kobrix-components-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    const char* old = std::getenv("KOBRIX_HOME");
    hadHome_ = old != nullptr;
    if (hadHome_) oldHome_ = old;
    setenv("KOBRIX_HOME", folder_.c_str(), 1);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
  }
  void TearDown() override {
    CoUninitialize();
    if (hadHome_)
      setenv("KOBRIX_HOME", oldHome_.c_str(), 1);
    else
      unsetenv("KOBRIX_HOME");
    std::filesystem::remove_all(folder_);
  }

  void WriteRegistry(const std::string& text) {
    std::ofstream out(RegistryFilePath(), std::ios::binary);
    out << text;
  }

  // The build's registry entries for our effects, with each module name
  // turned into a path into the build folder (the test program does not lie
  // beside the modules).
  static std::string BuildRegistryText() {
    std::ifstream in(KOBRIX_EFFECTS_REGISTRY, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string s = text.str();
    const std::string prefix = std::string("@=\"") + KOBRIX_EFFECT_MODULE_DIR + "/";
    for (std::size_t at = 0; (at = s.find("@=\"KX", at)) != std::string::npos; at += prefix.size())
      s.replace(at, 3, prefix);
    return s;
  }

  // Registry lines for one class served by a module.
  static std::string ClassEntry(const std::string& clsid, const std::string& progId,
                                const std::string& module) {
    std::string text;
    text += "[HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\InprocServer32]\n@=\"" + module + "\"\n";
    if (!progId.empty()) {
      text += "[HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\ProgID]\n@=\"" + progId + "\"\n";
      text += "[HKEY_CLASSES_ROOT\\" + progId + "\\CLSID]\n@=\"" + clsid + "\"\n";
    }
    return text;
  }

  // The fake module's classes (fake_module/fake_effects.cpp).
  static constexpr CLSID kOffsetClass{0xF0000000, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
  static constexpr CLSID kFailInitClass{0xF0000000, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
  static constexpr CLSID kRefuseStateClass{0xF0000000, 0, 0, {0, 0, 0, 0, 0, 0, 0, 3}};
  static std::string FakeRegistryText() {
    return ClassEntry("{F0000000-0000-0000-0000-000000000001}", "KOBRIX.Offset", KOBRIX_FAKE_EFFECTS_MODULE) +
           ClassEntry("{F0000000-0000-0000-0000-000000000002}", "KOBRIX.FailInit",
                      KOBRIX_FAKE_EFFECTS_MODULE) +
           ClassEntry("{F0000000-0000-0000-0000-000000000003}", "KOBRIX.RefuseState",
                      KOBRIX_FAKE_EFFECTS_MODULE);
  }
  // A counter of the fake module (0 before it is loaded).
  template <class T>
  static T FakeProbe(const char* name) {
    void* module = dlopen(KOBRIX_FAKE_EFFECTS_MODULE, RTLD_LAZY | RTLD_NOLOAD);
    if (module == nullptr) return T{};
    auto probe = reinterpret_cast<T (*)()>(dlsym(module, name));
    T value = probe != nullptr ? probe() : T{};
    dlclose(module);
    return value;
  }

  std::string folder_;
  bool hadHome_ = false;
  std::string oldHome_;
};
