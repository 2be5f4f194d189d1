// Effects set up without a clip's source take the project's format from the
// engine, as the program wired it at start-up: in a 44.1 kHz stereo project
// an effect added to the master and the analyser over the master's list are
// told 44100 Hz and two channels, not the engine's first format.
#include "audio/audio_player.h"
#include "audio/effect_list.h"
#include "audio/effect_list_dialog.h"
#include "audio/fft_spec.h"
#include "audio/installed_components.h"
#include "effects_project.h"
#include "platform/core/registry.h"
#include "resources/effect_dialog_ids.h"
#include "support/effects_registry.h"
#include "support/file_bytes.h"
#include "timeline/window/main_timeline_window.h"
#include "ui/dialog_script.h"

namespace apptest {
namespace {

using dialogtest::ModalScript;

class EffectFormat : public EffectsProgramTest {
 protected:
  void SetUp() override {
    EffectsProgramTest::SetUp();
    // Our effects and the fake module's offset, whose format a test can read.
    const std::string clsid = "{F0000000-0000-0000-0000-000000000001}", progId = "KOBRIX.Offset";
    WriteFileText(RegistryFilePath(),
                  BuildEffectsRegistryText() + RegistryClassEntry(clsid, progId, KOBRIX_FAKE_EFFECTS_MODULE));
    ForgetInstalledComponents();
  }
  void TearDown() override {
    EffectsProgramTest::TearDown();
    ForgetInstalledComponents();
  }
};

TEST_F(EffectFormat, AnAddedMasterEffectAndTheAnalyserAreToldTheProjectsFormat) {
  WriteTone(File("tone.wav"), 500);
  Start(0, Project(File("tone.wav"), nullptr, nullptr, nullptr));
  ASSERT_EQ(OutputFormat.nSamplesPerSec, 44100u);
  ASSERT_EQ(OutputFormat.nChannels, 2u);

  DWORD effectRate = 0, effectChannels = 0;
  int32_t analyserRate = 0;
  int analyserChannels = 0;
  // The master's list: add the offset below (the choice dialog answers with
  // it), then show the whole list's response.
  ModalScript script({
      [&](HWND dialog) {
        SendMessage(dialog, WM_COMMAND, kEffectAddBelow, 0);
        GuiPumpMessages();
        effectRate = FakeEffectsProbe<DWORD>("FakeEffectsLastRate");
        effectChannels = FakeEffectsProbe<DWORD>("FakeEffectsLastChannels");
        SendMessage(dialog, WM_COMMAND, kEffectListResponse, 0);
        GuiPumpMessages();
        if (EffectListDialog* open = EffectListDialog::FindOpen(-1);
            open != nullptr && open->Analyser() != nullptr) {
          analyserRate = open->Analyser()->Rate();
          analyserChannels = open->Analyser()->Channels();
        }
        SendMessage(dialog, WM_COMMAND, IDOK, 0);
      },
      [](HWND chooser) {
        const LRESULT at =
            SendDlgItemMessage(chooser, kEffectList, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>("KOBRIX.Offset"));
        SendDlgItemMessage(chooser, kEffectList, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
        SendMessage(chooser, WM_COMMAND, IDOK, 0);
      },
  });
  TimeLine().CmMasterEffects();
  EXPECT_TRUE(script.done());
  EXPECT_EQ(effectRate, 44100u);
  EXPECT_EQ(effectChannels, 2u);
  EXPECT_EQ(analyserRate, 44100);
  EXPECT_EQ(analyserChannels, 2);
  ASSERT_NE(TimeLine().Engine().masterEffects, nullptr);
}

}  // namespace
}  // namespace apptest
