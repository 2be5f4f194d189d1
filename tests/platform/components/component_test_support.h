// A settings folder of the test's own, with a registry file the test writes,
// and a components initialisation for the test's thread.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/components/audio_effect.h"
#include "platform/components/com.h"
#include "platform/core/registry.h"
#include "support/effects_registry.h"
#include "support/file_bytes.h"
#include "support/test_env.h"

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok());
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
  }
  void TearDown() override { CoUninitialize(); }

  void WriteRegistry(const std::string& text) { WriteFileText(RegistryFilePath(), text); }

  static std::string BuildRegistryText() { return BuildEffectsRegistryText(); }

  // The fake module's classes (fake_module/fake_effects.cpp).
  static constexpr CLSID kOffsetClass{0xF0000000, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
  static constexpr CLSID kFailInitClass{0xF0000000, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
  static constexpr CLSID kRefuseStateClass{0xF0000000, 0, 0, {0, 0, 0, 0, 0, 0, 0, 3}};
  static std::string FakeRegistryText() {
    return RegistryClassEntry("{F0000000-0000-0000-0000-000000000001}", "KOBRIX.Offset",
                              KOBRIX_FAKE_EFFECTS_MODULE) +
           RegistryClassEntry("{F0000000-0000-0000-0000-000000000002}", "KOBRIX.FailInit",
                              KOBRIX_FAKE_EFFECTS_MODULE) +
           RegistryClassEntry("{F0000000-0000-0000-0000-000000000003}", "KOBRIX.RefuseState",
                              KOBRIX_FAKE_EFFECTS_MODULE);
  }

  ScopedSettingsHome home_;
  const std::string folder_ = home_.path();
};

// Our effect components, made through the registry as the program makes
// them and released at the end of the test.
class EffectsTest : public ComponentTest {
 protected:
  void SetUp() override {
    ComponentTest::SetUp();
    WriteRegistry(BuildRegistryText());
  }
  void TearDown() override {
    for (IAudioEffect* e : created_) e->Release();
    created_.clear();
    ComponentTest::TearDown();
  }

  IAudioEffect* Create(REFCLSID clsid, DWORD rate = 44100, DWORD channels = 1) {
    IAudioEffect* effect = nullptr;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IAudioEffect,
                               reinterpret_cast<void**>(&effect)),
              S_OK);
    if (effect == nullptr) return nullptr;
    created_.push_back(effect);
    EXPECT_NE(effect->Initialize(), 0);
    EXPECT_EQ(effect->SetFormat(rate, channels), S_OK);
    return effect;
  }

  std::vector<IAudioEffect*> created_;
};
