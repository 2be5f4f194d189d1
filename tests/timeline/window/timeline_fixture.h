// The time-line window in a frame of the test's own, with settings of its
// own, the fake media of the model tests and scripted message boxes.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "audio/audio_player.h"
#include "model/film.h"
#include "model/film_fakes.h"
#include "model/ini.h"
#include "model/mark_list.h"
#include "model/undo_history.h"
#include "platform/classlib/classlib.h"
#include "platform/core/profile.h"
#include "platform/gui/gui_driver.h"
#include "resources/resources.h"
#include "resources/timeline_ids.h"
#include "support/test_env.h"
#include "timeline/window/main_timeline_window.h"

namespace timelinetest {

class TestFrame : public TDecoratedFrame {
 public:
  explicit TestFrame(TWindow* client) : TDecoratedFrame(nullptr, "Kobrix", client) {}
  void CmSettings() { ++settingsAsked; }
  int settingsAsked = 0;
  DECLARE_RESPONSE_TABLE(TestFrame);
};

class TimeLineTest : public filmtest::FilmTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok());
    FilmTest::SetUp();
    RegisterProgramResources();
    UndoScript::ClearAll();
    UndoScript::SetPending(0);
    ProjectMarks.Clear();
    AutosaveEditCount = 0;
    AutosaveDirty = false;
    savedFormat_ = OutputFormat;
    OutputFormat.nChannels = 2;
  }
  void TearDown() override {
    Close();
    UndoScript::ClearAll();
    UndoScript::SetPending(0);
    ProjectMarks.Clear();
    OutputFormat = savedFormat_;
    FilmTest::TearDown();
  }

  // A value in the test's settings file, before the window reads it.
  void Ini(const char* section, const char* key, const char* value) {
    WritePrivateProfileString(section, key, value, kIniFileName);
  }
  std::string IniValue(const char* section, const char* key) {
    char text[512];
    GetPrivateProfileString(section, key, "<none>", text, sizeof text, kIniFileName);
    return text;
  }
  // The keys of a section in the order the file holds them.
  std::vector<std::string> IniKeys(const std::string& section) {
    std::ifstream in(home_.File(kIniFileName));
    std::vector<std::string> keys;
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty() && line[0] == '[') {
        inside = line == "[" + section + "]";
        continue;
      }
      const auto eq = line.find('=');
      if (inside && eq != std::string::npos) keys.push_back(line.substr(0, eq));
    }
    return keys;
  }
  std::string IniFileText() {
    std::ifstream in(home_.File(kIniFileName));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // The window in its frame at (x, y), w x h, shown, with the frame's
  // start-up request run.
  MainTimeLineWindow& Open(int w = 1000, int h = 700, TimeLinePlayers* players = nullptr, int x = 40,
                           int y = 40) {
    window_ = MakeWindow(players);
    frame_ = new TestFrame(window_);
    frame_->Attr.X = x;
    frame_->Attr.Y = y;
    frame_->Attr.W = w;
    frame_->Attr.H = h;
    EXPECT_TRUE(frame_->Create());
    frame_->Show(SW_SHOWNORMAL);
    GuiPumpMessages();
    window_->SendMessage(kTimeLineRequestMessage, kRequestMeasureTimeText, 0);
    GuiPumpMessages();
    return *window_;
  }
  // The window Open puts in the frame; tests of the lines record what the
  // lines ask of it through a window of their own.
  virtual MainTimeLineWindow* MakeWindow(TimeLinePlayers* players) {
    return new MainTimeLineWindow(nullptr, players);
  }
  // Closes the frame as the user does and deletes it.
  void Close() {
    if (frame_ == nullptr) return;
    if (frame_->IsWindow()) frame_->SendMessage(WM_CLOSE);
    GuiPumpMessages();
    delete frame_;
    frame_ = nullptr;
    window_ = nullptr;
    GuiPumpMessages();
  }

  // Sizes the frame's outside.
  void SizeFrame(int w, int h) {
    ::SetWindowPos(frame_->GetHandle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
    GuiPumpMessages();
  }
  TRect FrameRect() { return frame_->GetWindowRect(); }
  // Where a child sits in the time-line window's client area.
  TRect PlaceOf(TWindow* child) {
    TRect r = child->GetWindowRect();
    TPoint a(r.left, r.top), b(r.right, r.bottom);
    window_->ScreenToClient(a);
    window_->ScreenToClient(b);
    return TRect(a.x, a.y, b.x, b.y);
  }

  // Clips placed on the time-line as the edit operations leave them: linked,
  // holding one use of each source. in and out are source times.
  Film* VideoFilm(filmtest::FakeVideo* video, int32_t row, int32_t start, int32_t in, int32_t out) {
    filmtest::FakeClip clip(video, nullptr, nullptr, in, out, out - in);
    return Place(new Film(clip, start, kKindVideo, 0, row));
  }
  Film* AudioFilm(filmtest::FakeAudio* audio, int32_t line, int32_t start, int32_t length) {
    filmtest::FakeClip clip(nullptr, audio, nullptr, 0, length, length);
    return Place(new Film(clip, start, kKindAudio, line, 0));
  }
  Film* Place(Film* f) {
    Film::Link(f, FilmList);
    if (f->video) f->video->BeginRead();
    if (f->audio) f->audio->BeginRead();
    return f;
  }

  ScopedEnv quickTemp_{"TMPDIR", QuickTempFolder()};
  ScopedSettingsHome home_;
  TestFrame* frame_ = nullptr;
  MainTimeLineWindow* window_ = nullptr;

 private:
  WAVEFORMATEX savedFormat_{};
};

}  // namespace timelinetest
