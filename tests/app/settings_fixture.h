// What the settings tests share: an owner frame, a settings folder of the
// test's own, recorded message boxes and shell, and a host that records
// what the sheets ask of the program.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/settings/settings_host.h"
#include "app/settings/settings_sheet.h"
#include "model/ini.h"
#include "platform/classlib/classlib.h"
#include "platform/core/profile.h"
#include "resources/resources.h"
#include "support/recording_boxes.h"
#include "support/sheet_tabs.h"
#include "support/test_env.h"
#include "timeline/window/timeline_colors.h"
#include "timeline/window/timeline_settings.h"
#include "ui/dialog_script.h"
#include "ui/fake_shell.h"

namespace settingstest {

class FakeHost : public SettingsHost {
 public:
  FakeHost() { before_ = SetSettingsHost(this); }
  ~FakeHost() override { SetSettingsHost(before_); }
  bool IsPlaying() override { return playing; }
  void EnableTimeLineCommands(bool enabled) override { commands += enabled ? "+" : "-"; }
  void TimeLineZoomChanged() override {
    ++zoomChanges;
    colorsAtRedraw = TimeLineColors;
  }
  void RedrawClipTiles() override { ++tileRedraws; }
  TimeLineEngine* Engine() override { return engine; }
  TimeLineSettings* TimeLineOptions() override { return options; }
  bool GpiLinePresent(int line) override { return gpi.count(line) != 0; }
  bool GetGpiSettings(int line, std::string& name, bool& openByDefault, bool& input) override {
    const bool there = gpi.count(line) != 0;
    name = there ? gpi[line] : "None";
    openByDefault = gpiOpen.count(line) != 0 || !there;
    input = true;
    return there;
  }
  bool SetGpiSettings(int line, bool openByDefault, bool input) override {
    gpiWrites.push_back({line, openByDefault});
    if (gpiRefused.count(line)) return false;
    if (openByDefault) {
      gpiOpen.insert(line);
    } else {
      gpiOpen.erase(line);
    }
    return true;
  }
  std::string GpiLineName(int line) override { return gpi.count(line) ? gpi[line] : ""; }
  VideoPlayer* Video() override { return video; }
  bool VideoEdgesShown() override { return edges; }
  void ShowVideoEdges(bool shown) override { edges = shown; }
  void SetOnlyKeyFrames(bool only) override { onlyKeyFrames = only; }
  AudioPlayer* Audio() override { return audio; }
  bool ChangeAudioParameters(bool sameRate, bool& cleared) override {
    audioAsked.push_back(sameRate);
    cleared = clearsClips;
    return acceptsAudio;
  }
  void SetEffectFormats() override { ++effectFormats; }
  int WaveformQuality() override { return waveform; }
  void SetWaveformQuality(int quality) override { waveform = quality; }
  bool UseBoardMixer() override { return boardMixer; }
  void SetUseBoardMixer(bool use) override { boardMixer = use; }
  bool MixerServerExists() override { return mixerServer; }
  void ShowMixerWindow() override { mixer += "show "; }
  void HideMixerWindow() override { mixer += "hide "; }
  void GetRecorderDelay(bool& enabled, int& ms) override {
    enabled = delayOn;
    ms = delay;
  }
  void SetRecorderDelay(bool enabled, int ms) override {
    delayOn = enabled;
    delay = ms;
  }

  bool playing = false;
  std::string commands;  // "-" when switched off, "+" when on again
  int zoomChanges = 0;
  int tileRedraws = 0;
  std::array<COLORREF, kTimeLineColorCount> colorsAtRedraw{};
  TimeLineEngine* engine = nullptr;
  TimeLineSettings* options = nullptr;
  std::map<int, std::string> gpi;  // the board's lines by number, with their names
  std::set<int> gpiOpen;           // the lines opened by default
  std::set<int> gpiRefused;        // the lines whose settings the board refuses
  std::vector<std::pair<int, bool>> gpiWrites;
  VideoPlayer* video = nullptr;
  bool edges = true;
  bool onlyKeyFrames = false;
  AudioPlayer* audio = nullptr;
  std::vector<bool> audioAsked;  // sameRate of each question
  bool acceptsAudio = true;
  bool clearsClips = false;
  int effectFormats = 0;
  int waveform = 0;
  bool boardMixer = false;
  bool mixerServer = false;
  std::string mixer;  // "show " and "hide " in order
  bool delayOn = false;
  int delay = 0;

 private:
  SettingsHost* before_;
};

// The recorded boxes, and the beeps counted.
class CountingBoxes : public RecordingBoxes {
 public:
  void Beep(UINT) override { ++beeps; }
  int beeps = 0;
};

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok());
    RegisterProgramResources();
    for (int i = 0; i < kTimeLineColorCount; ++i) TimeLineColors[i] = DefaultTimeLineColor(i);
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    GuiPumpMessages();
  }
  void TearDown() override {
    frame_.reset();
    GuiPumpMessages();
    for (int i = 0; i < kTimeLineColorCount; ++i) TimeLineColors[i] = DefaultTimeLineColor(i);
    SchemeDirectory[0] = '\0';
  }
  std::string IniValue(const char* section, const char* key) {
    char text[260];
    GetPrivateProfileString(section, key, "<none>", text, sizeof text, kIniFileName);
    return text;
  }
  void IniSet(const char* section, const char* key, const char* value) {
    WritePrivateProfileString(section, key, value, kIniFileName);
  }
  // The page the sheet shows now.
  static HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessage(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  }
  static void SelectPage(HWND sheet, int index) {
    SendMessage(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    dialogtest::Pump(sheet);
  }
  // A click on the tab of page index.
  static void ClickTab(HWND sheet, int index) {
    HWND tab = GetDlgItem(sheet, kPropertySheetTabId);
    RECT r{};
    SendMessage(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    GuiClick(tab, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    dialogtest::Pump(sheet);
  }
  // The index of the tab titled title, -1 when there is none.
  static int TabIndex(HWND sheet, const char* title) { return SheetTabIndex(sheet, title); }
  // Moves to the page titled title, as choosing its tab does.
  static void OpenTab(HWND sheet, const char* title) {
    const int index = TabIndex(sheet, title);
    ASSERT_GE(index, 0) << title;
    SelectPage(sheet, index);
  }
  // Opens the Settings sheet on the page titled tab and runs step there.
  void RunOn(const char* tab, std::function<void(HWND sheet, HWND page)> step) {
    dialogtest::ModalScript script({[tab, step](HWND sheet) {
      OpenTab(sheet, tab);
      step(sheet, CurrentPage(sheet));
    }});
    RunSettingsSheet(frame_.get());
  }
  static bool ApplyEnabled(HWND sheet) { return IsWindowEnabled(GetDlgItem(sheet, ID_APPLY_NOW)) != FALSE; }

  ScopedEnv quickTemp_{"TMPDIR", QuickTempFolder()};
  ScopedSettingsHome home_;
  std::unique_ptr<TFrameWindow> frame_;
  FakeShell shell_;
  FakeHost host_;
  CountingBoxes boxes_;
};

}  // namespace settingstest
