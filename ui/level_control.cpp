#include "ui/level_control.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "model/ini.h"
#include "model/text_format.h"
#include "model/ui_strings.h"
#include "ui/control_brushes.h"
#include "ui/label_control.h"
#include "ui/shell_services.h"

namespace {

constexpr const char* kSection = "AUDIO_METER";

// Menu commands.
constexpr UINT kCmClearPeak = 101;
constexpr UINT kCmPeakHold = 102;
constexpr UINT kCmRange24 = 111;
constexpr UINT kCmRange48 = 112;
constexpr UINT kCmRange60 = 113;
constexpr UINT kCmRange96 = 114;
constexpr UINT kCmSettings = 811;

// The time-line's request that opens the settings pages at a page.
constexpr UINT kTimeLineRequest = WM_USER + 99;
constexpr WPARAM kOpenSettings = 10;
constexpr LPARAM kMeterSettingsPage = 4;

constexpr int32_t kFullScale = 32767;

AudioMetersRefresh g_refresh = nullptr;

void RefreshMeters() {
  if (g_refresh != nullptr) g_refresh();
}

// A float of the settings: a value that does not scan (or is no finite
// number) keeps the current one.
void ReadFloat(const char* key, float* value) {
  const char* text = IniReadString(key, "");
  while (*text == ' ' || *text == '\t') ++text;
  if (*text == '+') ++text;
  float v = 0;
  const auto [end, error] = std::from_chars(text, text + std::strlen(text), v);
  if (error == std::errc() && end != text && std::isfinite(v)) *value = v;
}

void WriteFloat(const char* key, float value) {
  IniWriteString(key, FormatText("%.3f", value).c_str());
}

std::string Key(const char* name, int i) {
  return FormatText("%s%d", name, i);
}

// The meter's coordinate along its length for a value in dB below full scale.
int Pos(int len, double db, double maxPickDb) {
  return static_cast<int>(len * db / maxPickDb + 0.499);
}

void Normalize(AudioMeterSettings& s, const float in[4]) {
  for (int i = 0; i < 4; ++i) {
    float v = std::isnan(in[i]) ? 0.0f : std::min(in[i], 0.0f);
    v = i == 0 ? std::max(v, -100.0f) : std::max(v, s.levels[i - 1]);
    s.levels[i] = v;
    if (v < -96.0f)
      s.thresholds[i] = 0;
    else if (v >= 0.0f)
      s.thresholds[i] = kFullScale;
    else
      s.thresholds[i] = static_cast<int32_t>(std::pow(10.0, v * 0.05) * kFullScale + 0.499);
  }
}

}  // namespace

AudioMetersRefresh SetAudioMetersRefresh(AudioMetersRefresh refresh) {
  AudioMetersRefresh old = g_refresh;
  g_refresh = refresh;
  return old;
}

// ---- Settings ----

AudioMeterSettings& TLevelControl::Settings() {
  static AudioMeterSettings* settings = [] {
    auto* s = new AudioMeterSettings();
    const float levels[4] = {s->levels[0], s->levels[1], s->levels[2], s->levels[3]};
    Normalize(*s, levels);
    return s;
  }();
  return *settings;
}

void TLevelControl::NormalizeLevels(const float levels[4]) {
  Normalize(Settings(), levels);
}

void TLevelControl::GetDefaultLevels(float levels[4]) {
  const AudioMeterSettings& s = Settings();
  for (int i = 0; i < 4; ++i) levels[i] = s.levels[i];
}

void TLevelControl::LoadSettings() {
  AudioMeterSettings& s = Settings();
  IniSetSection(kSection);
  float levels[4];
  for (int i = 0; i < 4; ++i) {
    levels[i] = s.levels[i];
    ReadFloat(Key("LEVEL", i).c_str(), &levels[i]);
  }
  ReadFloat("MAX_PICK_DB", &s.maxPickDb);
  s.maxPickDb = std::clamp(s.maxPickDb, 12.0f, 96.0f);
  ReadFloat("ZERO_VOLUME_DB", &s.zeroVolumeDb);
  s.zeroVolumeDb = std::clamp(s.zeroVolumeDb, -96.0f, 0.0f);
  s.autoNumerate = IniReadInt("AUTO_NUMERATE", s.autoNumerate ? 1 : 0) != 0;
  s.peakHold = IniReadInt("PEAK_HOLD", s.peakHold ? 1 : 0) != 0;
  for (int i = 0; i < 10; ++i) {
    ReadFloat(Key("VOLUME_LABEL", i).c_str(), &s.volumeLabels[i]);
    s.volumeLabels[i] = std::clamp(s.volumeLabels[i], -96.0f, 0.0f);
    // At most seven characters, always terminated.
    const std::string key = Key("NAME_LABEL", i);
    const char* name = IniReadString(key.c_str(), s.nameLabels[i]);
    char label[sizeof s.nameLabels[i]] = {};
    std::strncpy(label, name, sizeof label - 1);
    std::memcpy(s.nameLabels[i], label, sizeof label);
  }
  NormalizeLevels(levels);
}

void TLevelControl::SaveSettings() {
  const AudioMeterSettings& s = Settings();
  IniSetSection(kSection);
  for (int i = 0; i < 4; ++i) WriteFloat(Key("LEVEL", i).c_str(), s.levels[i]);
  WriteFloat("MAX_PICK_DB", s.maxPickDb);
  WriteFloat("ZERO_VOLUME_DB", s.zeroVolumeDb);
  IniWriteInt("AUTO_NUMERATE", s.autoNumerate ? 1 : 0);
  IniWriteInt("PEAK_HOLD", s.peakHold ? 1 : 0);
  for (int i = 0; i < 10; ++i) {
    WriteFloat(Key("VOLUME_LABEL", i).c_str(), s.volumeLabels[i]);
    IniWriteString(Key("NAME_LABEL", i).c_str(), s.nameLabels[i]);
  }
}

// ---- The meter ----

// clang-format off
DEFINE_RESPONSE_TABLE1(TLevelControl, TControl)
  EV_WM_LBUTTONDOWN,
  EV_WM_RBUTTONDOWN,
  EV_COMMAND(kCmClearPeak, CmClearPeaks),
  EV_COMMAND(kCmPeakHold, CmPeakHold),
  EV_COMMAND_AND_ID(kCmRange24, CmRange),
  EV_COMMAND_AND_ID(kCmRange48, CmRange),
  EV_COMMAND_AND_ID(kCmRange60, CmRange),
  EV_COMMAND_AND_ID(kCmRange96, CmRange),
  EV_COMMAND(kCmSettings, CmSettings),
  EV_COMMAND_ENABLE(kCmPeakHold, CeOption),
  EV_COMMAND_ENABLE(kCmRange24, CeOption),
  EV_COMMAND_ENABLE(kCmRange48, CeOption),
  EV_COMMAND_ENABLE(kCmRange60, CeOption),
  EV_COMMAND_ENABLE(kCmRange96, CeOption),
  EV_COMMAND_ENABLE(kCmSettings, CeOption),
END_RESPONSE_TABLE;
// clang-format on

TLevelControl::TLevelControl(TWindow* parent, TAudioMeter* group_, int resourceId, bool vertical_)
    : TControl(parent, resourceId), group(group_), vertical(vertical_) {}

const char* TLevelControl::GetClassName() {
  return "TLevel";
}

void TLevelControl::GetWindowClass(WNDCLASS& wc) {
  TControl::GetWindowClass(wc);
  wc.hbrBackground = nullptr;  // the meter paints its whole face
}

void TLevelControl::SetupWindow() {
  TControl::SetupWindow();
  handle.store(HWindow);
}

void TLevelControl::CleanupWindow() {
  handle.store(nullptr);
  TControl::CleanupWindow();
}

void TLevelControl::AskRepaint() {
  // Safe from any thread: the window system queues the repaint for the
  // meter's own thread; a meter already gone is simply not found.
  if (HWND h = handle.load()) ::InvalidateRect(h, nullptr, FALSE);
}

void TLevelControl::SetLevel(int32_t amplitude) {
  amplitude = std::clamp<int32_t>(amplitude, 0, kFullScale + 1);
  int32_t held = peak.load(std::memory_order_relaxed);
  while (amplitude > held && !peak.compare_exchange_weak(held, amplitude, std::memory_order_relaxed)) {
  }
  level.store(std::max(level.load(std::memory_order_relaxed) >> 1, amplitude), std::memory_order_relaxed);
  AskRepaint();
}

void TLevelControl::Reset() {
  if (level.exchange(0, std::memory_order_relaxed) > 0) AskRepaint();
}

void TLevelControl::ClearPeak() {
  peak.store(0, std::memory_order_relaxed);
}

void TLevelControl::InvalidateGroup() {
  if (group == nullptr) return;
  TWindow* windows[3] = {group->left, group->right, group->label};
  for (TWindow* w : windows) {
    if (w != nullptr && w->GetHandle() != nullptr) w->Invalidate(false);
  }
}

void TLevelControl::Paint(TDC& dc, bool, TRect&) {
  const AudioMeterSettings& s = Settings();
  const TRect client = GetClientRect();
  const int len = vertical ? client.Height() : client.Width();
  if (len < 1) return;
  const double m = std::max(s.maxPickDb, 1.0f);
  const int32_t lvl = GetLevel();
  const double db = lvl >= kFullScale ? 0.0 : lvl < 1 ? -100.0 : 20.0 * std::log10(lvl * (1.0 / kFullScale));

  // Fills from the quiet end to the piece's edge (in dB); the next piece
  // starts where this one ended.
  int end = vertical ? len : 0;
  auto fill = [&](HBRUSH brush, double edge) {
    const int p = Pos(len, -edge, m);
    if (vertical) {
      dc.FillRect(TRect(0, p, client.right, end), brush);
      end = p;
    } else {
      dc.FillRect(TRect(end, 0, len - p, client.bottom), brush);
      end = len - p;
    }
  };
  double prev = -96;
  for (int band = 0; band < 5; ++band) {
    const double edge = band < 4 ? s.levels[band] : 0.0;
    if (edge > -m) {
      if (db >= edge) {
        fill(BrightBandBrush(band), edge);
      } else if (db > prev) {
        fill(BrightBandBrush(band), db);
        fill(DarkBandBrush(band), edge);
      } else {
        fill(DarkBandBrush(band), edge);
      }
    }
    prev = edge;
  }

  if (!s.peakHold) return;
  const int32_t pk = GetPeak();
  int at;
  int band = 4;
  if (pk >= kFullScale) {
    at = 0;
  } else if (pk <= 0) {
    at = len;
    band = 0;
  } else {
    const double p = 20.0 * std::log10(static_cast<double>(kFullScale) / pk);
    at = std::max(Pos(len, p, m) - 1, 0);
    for (int i = 0; i < 4; ++i) {
      if (s.levels[i] > -p) {
        band = i;
        break;
      }
    }
  }
  if (vertical)
    dc.FillRect(TRect(0, at, client.right, at + 2), BrightBandBrush(band));
  else
    dc.FillRect(TRect(len - at - 2, 0, len - at, client.bottom), BrightBandBrush(band));
}

// ---- Mouse and menu ----

void TLevelControl::EvLButtonDown(UINT, const TPoint&) {
  ClearPeak();
  Invalidate(false);
  InvalidateGroup();
}

void TLevelControl::EvRButtonDown(UINT, const TPoint& point) {
  const bool playing = CurrentShellServices().IsTimeLinePlaying();
  const UINT option = playing ? MF_GRAYED : 0;
  HMENU menu = CreatePopupMenu();
  AppendMenu(menu, MF_STRING, kCmClearPeak, GetString(ui_string::kClearPeak));
  AppendMenu(menu, MF_STRING | option | (Settings().peakHold ? MF_CHECKED : 0), kCmPeakHold,
             GetString(ui_string::kPeakHold));
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu, MF_STRING | option, kCmRange24, GetString(ui_string::kMeterRange24));
  AppendMenu(menu, MF_STRING | option, kCmRange48, GetString(ui_string::kMeterRange48));
  AppendMenu(menu, MF_STRING | option, kCmRange60, GetString(ui_string::kMeterRange60));
  AppendMenu(menu, MF_STRING | option, kCmRange96, GetString(ui_string::kMeterRange96));
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu, MF_STRING | option, kCmSettings, GetString(ui_string::kSettingsMenu));
  TPoint at = point;
  ClientToScreen(at);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, HWindow, nullptr);
  DestroyMenu(menu);
}

void TLevelControl::CeOption(TCommandEnabler& ce) {
  ce.Enable(!CurrentShellServices().IsTimeLinePlaying());
  if (ce.GetId() == kCmPeakHold)
    ce.SetCheck(Settings().peakHold ? TCommandEnabler::Checked : TCommandEnabler::Unchecked);
}

void TLevelControl::CmClearPeaks() {
  if (group == nullptr) {
    ClearPeak();
    Invalidate(false);
    return;
  }
  for (TLevelControl* meter : {group->left, group->right}) {
    if (meter == nullptr) continue;
    meter->ClearPeak();
    if (meter->GetHandle() != nullptr) meter->Invalidate(false);
  }
}

void TLevelControl::CmPeakHold() {
  Settings().peakHold = !Settings().peakHold;
  InvalidateGroup();
  RefreshMeters();
}

void TLevelControl::CmRange(WPARAM id) {
  static const float kSpans[] = {24, 48, 60, 96};
  Settings().maxPickDb = kSpans[id - kCmRange24];
  InvalidateGroup();
  RefreshMeters();
}

void TLevelControl::CmSettings() {
  if (HWND timeLine = CurrentShellServices().TimeLineWindow())
    ::PostMessage(timeLine, kTimeLineRequest, kOpenSettings, kMeterSettingsPage);
}
