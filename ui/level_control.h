// TLevelControl: one channel's level meter (window class "TLevel") in the
// mixer and the recorder. The bar is split into five colour bands by four
// thresholds in dB; each band is bright up to the level and dark above it.
// The level halves on every update unless a louder block comes, so the bar
// falls back smoothly; a peak mark can hold the loudest level until it is
// cleared. A left click clears the clicked meter's peak; the right button
// opens a menu to clear both peaks, switch peak holding, pick the range
// shown and open the meter settings.
//
// All meters share one set of settings, kept in the INI section
// AUDIO_METER; the time-line window loads them when it is made and saves
// them when it goes. SetLevel and Reset come from the audio engine's and
// the recorder's threads: they store the level atomically and ask for a
// repaint, which the window system does on the meter's own thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/classlib/controls.h"

class TLevelControl;
class TLabelControl;

// The two meters and their scale, owned by the window that shows them.
// off: the user switched the meters off; they are cleared, not fed.
struct TAudioMeter {
  TLevelControl* left = nullptr;
  TLevelControl* right = nullptr;
  TLabelControl* label = nullptr;
  bool off = false;
};

// The settings all meters share.
struct AudioMeterSettings {
  // The upper edges of the four quieter bands, in dB, increasing.
  float levels[4] = {-60, -48, -12, -3};
  float maxPickDb = 66;      // the span shown: 0 dB at the loud end, -maxPickDb at the quiet end
  float zeroVolumeDb = 0;    // where the scale says "0"
  bool autoNumerate = true;  // the scale shows numbers, else the named marks
  bool peakHold = true;
  float volumeLabels[10] = {0, -96, -96, -96, -96, -96, -96, -96, -96, -96};
  char nameLabels[10][8] = {"dB"};
  // The four edges as sample amplitudes 0..32767, kept with the levels.
  int32_t thresholds[4] = {};
};

class TLevelControl : public TControl {
 public:
  // An item of the parent dialog's template; vertical meters grow upwards,
  // the others to the right.
  TLevelControl(TWindow* parent, TAudioMeter* group, int resourceId, bool vertical);

  // amplitude 0..32768 of the latest block; any thread.
  void SetLevel(int32_t amplitude);
  // Drops the bar (the peak stays); any thread.
  void Reset();
  void ClearPeak();
  int32_t GetLevel() const { return level.load(std::memory_order_relaxed); }
  int32_t GetPeak() const { return peak.load(std::memory_order_relaxed); }
  bool IsVertical() const { return vertical; }

  // The shared settings; main thread.
  static AudioMeterSettings& Settings();
  static void LoadSettings();
  static void SaveSettings();
  static void GetDefaultLevels(float levels[4]);
  // Stores the four levels in order, each at most 0 dB and the first at
  // least -100, and recomputes the thresholds.
  static void NormalizeLevels(const float levels[4]);

  const char* GetClassName() override;
  void GetWindowClass(WNDCLASS& wc) override;
  void SetupWindow() override;
  void CleanupWindow() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

 protected:
  void EvLButtonDown(UINT modKeys, const TPoint& point);
  void EvRButtonDown(UINT modKeys, const TPoint& point);
  void CmClearPeaks();
  void CmPeakHold();
  void CmRange(WPARAM id);
  void CmSettings();
  void CeOption(TCommandEnabler& ce);

 private:
  void AskRepaint();
  void InvalidateGroup();

  TAudioMeter* group;
  bool vertical;
  std::atomic<int32_t> level{0};
  std::atomic<int32_t> peak{0};
  std::atomic<HWND> handle{nullptr};  // for the other threads

  DECLARE_RESPONSE_TABLE(TLevelControl);
};

// What "Peak hold" and the range commands call so that every open meter
// window repaints with the new settings; the mixer installs it. Returns the
// one before (null: nothing is called).
using AudioMetersRefresh = void (*)();
AudioMetersRefresh SetAudioMetersRefresh(AudioMetersRefresh refresh);
