// Effect-list dialogs and the analyser over the real effect components, on
// the headless windows: a settings folder with the build's registry, the
// program's resources, a frame to own the dialogs, a time-line host the test
// controls and a message-box presenter that keeps boxes and beeps.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/effect_dialog_host.h"
#include "audio/effect_list.h"
#include "audio/installed_components.h"
#include "model/message_box.h"
#include "platform/classlib/classlib.h"
#include "platform/components/component_test_support.h"
#include "platform/components/effects/effect_classes.h"
#include "platform/gui/gui_driver.h"
#include "resources/resources.h"

namespace effecttest {

class Boxes : public MessageBoxPresenter {
 public:
  Boxes() { previous_ = SetMessageBoxPresenter(this); }
  ~Boxes() override { SetMessageBoxPresenter(previous_); }
  int Show(HWND, const std::string& text, const std::string& caption, UINT) override {
    shown.push_back(caption + ": " + text);
    return answer;
  }
  void Beep(UINT) override { ++beeps; }
  std::vector<std::string> shown;
  int beeps = 0;
  int answer = IDYES;

 private:
  MessageBoxPresenter* previous_;
};

class FakeHost : public EffectDialogHost {
 public:
  bool CommandsEnabled() override { return commandsEnabled; }
  void EnableCommands(bool enabled) override {
    commandsEnabled = enabled;
    enableCalls.push_back(enabled);
  }
  bool Playing() override { return playing; }
  bool PreviewClipAudio(Film*) override { return previewResult; }
  bool PreviewLineAudio(int32_t line) override {
    previewedLines.push_back(line);
    return previewResult;
  }
  void Stop() override { ++stops; }
  void ToggleLineEffects(int32_t line) override { toggledLines.push_back(line); }
  void UseMasterEffects() override { ++masterSwitches; }
  bool AudioToPreview(int32_t) override { return audio; }
  bool commandsEnabled = true, playing = false, previewResult = false, audio = true;
  std::vector<bool> enableCalls;
  std::vector<int32_t> previewedLines;
  std::vector<int32_t> toggledLines;
  int masterSwitches = 0;
  int stops = 0;
};

class EffectDialogTest : public ComponentTest {
 protected:
  void SetUp() override {
    ComponentTest::SetUp();
    WriteRegistry(BuildRegistryText());
    ForgetInstalledComponents();
    RegisterProgramResources();
    SetEffectOutputFormatQuery([](DWORD* rate, DWORD* channels) {
      *rate = 44100;
      *channels = 1;
    });
    SetEffectDialogHost(&host_);
    frame_ = new TFrameWindow(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    GuiPumpMessages();
  }
  void TearDown() override {
    delete frame_;
    GuiPumpMessages();
    EffectList::FreeAll();
    ForgetInstalledComponents();
    SetEffectDialogHost(nullptr);
    SetEffectOutputFormatQuery(nullptr);
    ComponentTest::TearDown();
  }

  static Effect* Gain(float gain, const char* name = "Gain") {
    Effect* e = Effect::Create(CLSID_KobrixGain, name);
    if (e == nullptr) return nullptr;
    BYTE state[GainSettings::kStateSize];
    effect_state::Encode(GainSettings{gain}, state);
    EXPECT_NE(e->component->LoadState(state, sizeof state), 0);
    return e;
  }
  static Effect* Equalizer(float frequency, float gainDb, float q, const char* name = "EQ") {
    Effect* e = Effect::Create(CLSID_KobrixEqualizer, name);
    if (e == nullptr) return nullptr;
    BYTE state[EqualizerSettings::kStateSize];
    EqualizerSettings s;
    s.frequency = frequency;
    s.gainDb = gainDb;
    s.q = q;
    effect_state::Encode(s, state);
    EXPECT_NE(e->component->LoadState(state, sizeof state), 0);
    return e;
  }
  // An open list of the effects, in order.
  static EffectList* ListOf(std::vector<Effect*> effects) {
    EffectList* list = EffectList::New();
    Effect* last = nullptr;
    for (Effect* e : effects) {
      list->Insert(e, last);
      last = e;
    }
    EXPECT_TRUE(list->Open(nullptr, nullptr));
    return list;
  }
  static std::vector<std::string> Names(const EffectList* list) {
    std::vector<std::string> names;
    for (const Effect* e = list != nullptr ? list->first : nullptr; e != nullptr; e = e->next) names.push_back(e->name);
    return names;
  }

  FakeHost host_;
  Boxes boxes_;
  TFrameWindow* frame_ = nullptr;
};

}  // namespace effecttest
