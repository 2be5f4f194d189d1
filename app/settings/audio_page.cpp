#include "app/settings/audio_page.h"

#include <algorithm>
#include <string>

#include "app/settings/settings_host.h"
#include "audio/audio_player.h"
#include "model/timeline_engine.h"
#include "model/ui_strings.h"
#include "platform/classlib/controls.h"
#include "resources/settings_dialog_ids.h"
#include "ui/audio_format_dialogs.h"
#include "ui/numeric_edits.h"

namespace {

constexpr const char* kFormats[] = {"11025/16 bit/stereo", "22050/16 bit/stereo", "44100/16 bit/stereo"};
constexpr int kFormatCount = 3;
constexpr int kStereo = 2;
constexpr int kSixteenBit = 2;  // the engine's sample code

bool IsChecked(HWND page, int id) {
  return ::IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void SetChecked(HWND page, int id, bool on) {
  ::CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED);
}

// The engine lists its devices into a combo box through this.
class ComboDeviceList : public DeviceListControl {
 public:
  explicit ComboDeviceList(TComboBox& combo) : combo_(combo) {}
  int AddString(const char* text) override { return combo_.AddString(text); }
  void SetSelIndex(int index) override { combo_.SetSelIndex(index); }

 private:
  TComboBox& combo_;
};

}  // namespace

int AudioFormatEntry(uint32_t rate, int channels, int code) {
  if (channels != kStereo || code != kSixteenBit) return kFormatCount;
  for (int i = 0; i < kFormatCount; ++i) {
    if (rate == 11025u << i) return i;
  }
  return kFormatCount;
}

std::string AudioFormatText(uint32_t rate, int channels, int code) {
  static constexpr int kBits[] = {8, 16, 20, 24, 24, 32, 32};
  const int bits = code >= 1 && code <= 7 ? kBits[code - 1] : 16;
  return std::to_string(rate) + "/" + std::to_string(bits) + " bit/" + (channels == 1 ? "mono" : "stereo");
}

// clang-format off
DEFINE_RESPONSE_TABLE1(SoundParamDialog, TEPropertyPage)
  EV_CBN_SELCHANGE(kAudioFormat, Changed),
  EV_CBN_SELCHANGE(kAudioWaveform, Changed),
  EV_CBN_SELCHANGE(kAudioOutput, Changed),
  EV_CBN_SELCHANGE(kAudioInput, Changed),
  EV_CBN_SELCHANGE(kAudioMidi, Changed),
  EV_BN_CLICKED(kAudioThroughFile, Changed),
  EV_BN_CLICKED(kAudioLimit16, Changed),
  EV_BN_CLICKED(kAudioBoardMixer, Changed),
  EV_BN_CLICKED(kAudioAdvanced, CmAdvanced),
  EV_BN_CLICKED(kAudioConfigureMixer, CmConfigureMixer),
END_RESPONSE_TABLE;
// clang-format on

SoundParamDialog::SoundParamDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kAudioDialog, pageIndexVariable) {
  SettingsHost& host = CurrentSettingsHost();
  rate = OutputFormat.nSamplesPerSec;
  channels = OutputFormat.nChannels;
  if (AudioPlayer* audio = host.Audio()) code = audio->GetProjectCode();
  limit16 = Limit16 != FALSE;
  if (AudioPlayer* audio = host.Audio()) buffer = audio->Delay;
  if (const TimeLineEngine* e = host.Engine()) throughFile = e->play.audioThroughFile;
  waveform = std::clamp(host.WaveformQuality(), -1, 1);
  boardMixer = host.UseBoardMixer();
  formatList = new TComboBox(this, kAudioFormat);
  bufferEdit = new TFloatEdit(this, kAudioBuffer, 0.1f, 10.0f, 0.1f);
  waveformList = new TComboBox(this, kAudioWaveform);
  outputList = new TComboBox(this, kAudioOutput);
  inputList = new TComboBox(this, kAudioInput);
  midiList = new TComboBox(this, kAudioMidi);
}

SoundParamDialog::~SoundParamDialog() {
  // The mixer's window opened from here goes with the page.
  if (mixerShown) CurrentSettingsHost().HideMixerWindow();
}

void SoundParamDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  SettingsHost& host = CurrentSettingsHost();
  for (const char* f : kFormats) formatList->AddString(f);
  // A project in another format (taken from a file or a project) shows its
  // own as the last entry, so that OK keeps it.
  const int entry = AudioFormatEntry(rate, channels, code);
  if (entry == kFormatCount) formatList->AddString(AudioFormatText(rate, channels, code).c_str());
  formatList->SetSelIndex(entry);
  bufferEdit->SetValue(buffer, true);
  for (int id : {ui_string::kWaveformNone, ui_string::kWaveformDraft, ui_string::kWaveformFine}) {
    waveformList->AddString(GetString(id));
  }
  waveformList->SetSelIndex(waveform + 1);
  if (AudioPlayer* audio = host.Audio()) {
    ComboDeviceList out(*outputList);
    audio->ListDevices(out);
  }
  ComboDeviceList in(*inputList);
  host.ListInputDevices(in);
  host.ListMidiDevices(midiList->GetHandle());
  midiList->EnableWindow(false);
  SetChecked(HWindow, kAudioThroughFile, throughFile);
  SetChecked(HWindow, kAudioLimit16, limit16);
  const bool server = host.MixerServerExists();
  SetChecked(HWindow, kAudioBoardMixer, server && boardMixer);
  ::EnableWindow(GetDlgItem(kAudioBoardMixer), server);
  ::EnableWindow(GetDlgItem(kAudioConfigureMixer), server);
}

void SoundParamDialog::Changed() {
  PageChanged();
}

void SoundParamDialog::CmAdvanced() {
  if (RunSelect24AudioDialog(HWindow)) PageChanged();
}

void SoundParamDialog::CmConfigureMixer() {
  SettingsHost& host = CurrentSettingsHost();
  if (!host.MixerServerExists()) return;
  host.ShowMixerWindow();
  mixerShown = true;
}

int SoundParamDialog::Apply(PSHNOTIFY& notify) {
  SettingsHost& host = CurrentSettingsHost();
  AudioPlayer* audio = host.Audio();
  const int entry = formatList->GetSelIndex();
  // The project's own entry keeps its format whole; a listed one is 16 bit stereo.
  const bool own = entry < 0 || entry == AudioFormatEntry(rate, channels, code);
  const DWORD newRate = own ? rate : 11025u << std::clamp(entry, 0, kFormatCount - 1);
  const int newChannels = own ? channels : kStereo;
  const int newCode = own ? code : kSixteenBit;
  float newBuffer = bufferEdit->GetValue();
  const bool newLimit = IsChecked(HWindow, kAudioLimit16);
  if (audio != nullptr) {
    const bool differs = newRate != OutputFormat.nSamplesPerSec || OutputFormat.nChannels != newChannels ||
                         audio->GetProjectCode() != newCode || newLimit != (Limit16 != FALSE) ||
                         newBuffer != audio->Delay;
    bool cleared = false;
    if (differs && host.ChangeAudioParameters(newRate == OutputFormat.nSamplesPerSec, cleared)) {
      Limit16 = newLimit ? TRUE : FALSE;
      float preview = audio->PreviewLength;
      float maxPreview = audio->MaxPreviewLength;
      audio->Configure(newRate, newChannels, newCode, audio->MaxHdr, audio->MaxBlockRead,
                       audio->MaxBlockTrack, newBuffer, preview, maxPreview);
      bufferEdit->SetValue(newBuffer, true);
      host.SetEffectFormats();
      host.RedrawClipTiles();
      host.TimeLineZoomChanged();
      if (cleared) CancelToClose();
    }
  }
  host.SetWaveformQuality(std::clamp(waveformList->GetSelIndex(), 0, 2) - 1);
  if (TimeLineEngine* e = host.Engine()) e->play.audioThroughFile = IsChecked(HWindow, kAudioThroughFile);
  if (inputList->GetCount() > 0) host.SelectInputDevice(inputList->GetSelIndex());
  if (audio != nullptr && outputList->GetCount() > 0) audio->SelectDevice(outputList->GetSelIndex());
  if (midiList->GetCount() > 0) host.SelectMidiDevice(midiList->GetSelIndex());
  host.SetUseBoardMixer(IsChecked(HWindow, kAudioBoardMixer));
  return TEPropertyPage::Apply(notify);
}
