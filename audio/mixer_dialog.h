// MixerDialog: the small "A.Meter" window beside the time-line while the
// project plays: the master volume (a fader in dB) and the master pan (a
// slider in percent), each with its number, and the stereo level meter.
// The window keeps no values of its own: every change goes at once into
// the project through the MixerHost (one undo step per run of moves of
// one control) and, while playing, into the engine's mix; outside changes
// arrive as WM_USER+99 notices from the engine.
#pragma once

#include <memory>

#include "audio/audio_player.h"
#include "ui/level_control.h"
#include "ui/te_dialog.h"

class TEHSlider;
class TEVSlider;
class TIntEdit;
class TLabelControl;
class OwnerWindow;

constexpr UINT kMixerNotice = WM_USER + 99;
// Requests to the owner.
constexpr WPARAM kMixerAskUndo = 5;       // WM_USER+99 (5, 0): an undo step, project modified
constexpr WPARAM kMixerAskSettings = 10;  // WM_USER+99 (10, 4): the settings at the meter page
constexpr UINT kMixerCmdPlay = 513;
constexpr UINT kMixerCmdRewind = 522;
constexpr UINT kMixerCmdClose = 855;

class MixerDialog : public TEDialog {
 public:
  MixerDialog(TWindow* parent, bool faders, bool onTop, MixerHost* host);
  ~MixerDialog() override;

  void SetupWindow() override;
  void CleanupWindow() override;

  TAudioMeter& Meter() { return meter; }
  // The undo marker: 1 after a volume change, -1 after a pan change, 0
  // after activation.
  int UndoMarker() const { return undoMarker; }

 protected:
  LRESULT EvNotice(WPARAM code, LPARAM arg);
  void CmPlay();
  LRESULT EvPlayKey(WPARAM, LPARAM);
  void CmRewind();
  LRESULT EvWKey(WPARAM, LPARAM);
  void CmClose();
  void EvSysCommand(UINT cmd, const TPoint& point);
  void EvVolumeSlider();
  void EvPanSlider();
  LRESULT EvNumberChanged(WPARAM id, LPARAM);
  void CmMeterSwitch();
  LRESULT EvActivate(WPARAM, LPARAM);

 private:
  void ShowValues();
  void ShowPlayState(bool playing, bool enabled);
  void VolumeChanged(int db);
  void PanChanged(int percent);
  void PostToOwner(UINT msg, WPARAM wp, LPARAM lp);
  HWND Owner() const;

  MixerHost* host;
  bool onTop;
  int undoMarker = 0;
  int32_t lineCount = 0;
  TAudioMeter meter;
  TEHSlider* panSlider = nullptr;
  TEVSlider* volumeSlider = nullptr;
  TIntEdit* panEdit = nullptr;
  TIntEdit* volumeEdit = nullptr;

  DECLARE_RESPONSE_TABLE(MixerDialog);
};

// The engine's view of a mixer window: made by MakeMixerDialog for the
// owner's handle; deleting it deletes the dialog.
class MixerWindow : public MixerNotices {
 public:
  MixerWindow(HWND owner, bool faders, bool onTop, MixerHost* host);
  ~MixerWindow() override;
  bool IsWindowValid() override;
  LRESULT Notify(WPARAM code, LPARAM arg) override;
  void CloseWindow() override;
  void UpdatePeakMeters(const void* data, DWORD bytes, int sampleType, int channels) override;
  void ClearMeters() override;
  MixerDialog* Dialog() { return dialog_.get(); }

 private:
  std::unique_ptr<OwnerWindow> owner_;
  std::unique_ptr<MixerDialog> dialog_;
  std::atomic<HWND> handle_{nullptr};
};

// The factory the program installs with AudioPlayer::SetMixerFactory: a
// mixer window for parent over the host given with the factory; null when
// no host was given or the window cannot be made.
MixerNotices* MakeMixerDialog(HWND parent, bool faders, bool onTop);
