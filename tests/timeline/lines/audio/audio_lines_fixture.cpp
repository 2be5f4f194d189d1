#include "audio_lines_fixture.h"

#include <cstdlib>
#include <unistd.h>

#include "model/edit_support.h"
#include "model/levels.h"
#include "platform/gui/modal.h"

namespace audiolinetest {

void AudioLineTest::SetUp() {
  TimeLineTest::SetUp();
  savedColors_ = TimeLineColors;
}

void AudioLineTest::TearDown() {
  SetModalHook(nullptr);
  TimeLineTest::TearDown();
  TimeLineColors = savedColors_;
  for (AudioData* a : sources_) a->Release();
  sources_.clear();
  for (int vk : {VK_SHIFT, VK_CONTROL}) GuiKey(vk, false);
  GuiPumpMessages();
}

RecordingTimeLine& AudioLineTest::OpenLines(std::vector<int32_t> zooms, TimeLinePlayers* players, int height) {
  for (int i = 0; i < 4; ++i) {
    const int32_t zoom = i < static_cast<int>(zooms.size()) ? zooms[i] : 1;
    Ini("TIMELINE", ("ZOOM_AUDIO" + std::to_string(i)).c_str(), std::to_string(zoom).c_str());
  }
  Open(1000, height, players);
  tl_ = static_cast<RecordingTimeLine*>(window_);
  Engine().SetLength(600000);
  Zoom(1);
  GuiPumpMessages();
  return *tl_;
}

void AudioLineTest::Zoom(int32_t msPerPixel) {
  TimeLineEngine& e = Engine();
  e.origin = 0;
  e.scale = msPerPixel * 1000;
  e.factor = 1000;
  e.UpdateScrollRange();
  e.RecalcClipOrigins();
  tl_->InvalidateAll();
  GuiPumpMessages();
}

void AudioLineTest::DistinctColors() {
  TimeLineColors[kColorAudioTrack] = RGB(210, 210, 250);
  TimeLineColors[kColorSmallHole] = RGB(255, 255, 255);
  TimeLineColors[kColorSmallClip] = RGB(255, 0, 255);
  TimeLineColors[kColorSmallSelectedClip] = RGB(0, 255, 255);
  TimeLineColors[kColorNonSelectedClip] = RGB(128, 128, 128);
  TimeLineColors[kColorSelectedClip] = RGB(0, 128, 0);
  TimeLineColors[kColorSemiSelectedClip] = RGB(128, 128, 0);
  TimeLineColors[kColorNonSelectedName] = RGB(0, 0, 160);
  TimeLineColors[kColorSelectedName] = RGB(160, 0, 0);
  TimeLineColors[kColorSemiSelectedName] = RGB(0, 160, 160);
  TimeLineColors[kColorActiveClipMark] = RGB(255, 128, 0);
  TimeLineColors[kColorPassiveClipMark] = RGB(96, 0, 96);
  TimeLineColors[kColorWaveform] = RGB(0, 0, 255);
  TimeLineColors[kColorActiveVolumeProfile] = RGB(255, 255, 0);
  TimeLineColors[kColorPassiveVolumeProfile] = RGB(200, 200, 100);
  TimeLineColors[kColorActiveBalanceProfile] = RGB(255, 0, 0);
  TimeLineColors[kColorPassiveBalanceProfile] = RGB(200, 100, 100);
  TimeLineColors[kColorActiveKeyPoint] = RGB(0, 255, 0);
  TimeLineColors[kColorPassiveKeyPoint] = RGB(100, 200, 100);
  TimeLineColors[kColorDeclick] = RGB(64, 32, 16);
  TimeLineColors[kColorUsedEffects] = RGB(240, 100, 20);
  TimeLineColors[kColorNonUsedEffects] = RGB(20, 100, 240);
  TimeLineColors[kColorCurTime] = RGB(250, 250, 250);
  tl_->CreateBrushes();
  tl_->InvalidateAll();
  GuiPumpMessages();
}

std::vector<int> AudioLineTest::ColumnsWith(COLORREF c, int x0, int x1, int y0, int y1) {
  std::vector<int> columns;
  for (int x = x0; x < x1; ++x) {
    for (int y = y0; y < y1; ++y) {
      if (Pixel(x, y) == c) {
        columns.push_back(x);
        break;
      }
    }
  }
  return columns;
}

std::vector<int> AudioLineTest::RowsWith(COLORREF c, int x, int y0, int y1) {
  std::vector<int> rows;
  for (int y = y0; y < y1; ++y) {
    if (Pixel(x, y) == c) rows.push_back(y);
  }
  return rows;
}

AudioData* AudioLineTest::Sine(int rate, int channels, const std::string& length, int frequency) {
  if (std::system("sox --version > /dev/null 2>&1") != 0) {
    ADD_FAILURE() << "sox is not installed";
    return nullptr;
  }
  // Made once for the whole run: sox takes longer to start than a test.
  static TestFolder folder("kobrix-sines");
  const std::string path = folder.File("sine" + std::to_string(rate) + "_" + std::to_string(channels) + "_" +
                                       length + "_" + std::to_string(frequency) + ".wav");
  if (access(path.c_str(), R_OK) != 0) {
    std::string make = "sox -V1 -D -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) +
                       " -b 16 " + path + " synth " + length + " sine " + std::to_string(frequency);
    if (channels > 1) make += " sine " + std::to_string(2 * frequency);
    make += " gain -n -0.05";
    if (channels > 1) make += " remix 1v0.5 2";
    EXPECT_EQ(std::system(make.c_str()), 0) << make;
  }
  AudioData* a = AudioData::OpenShared(path.c_str());
  EXPECT_NE(a, nullptr) << path;
  if (a != nullptr) sources_.push_back(a);
  return a;
}

Film* AudioLineTest::Clip(AudioSource* audio, int32_t line, int32_t start, int32_t in, int32_t out,
                          const char* name) {
  filmtest::FakeClip clip(nullptr, audio, nullptr, in, out, out - in, name);
  Film* f = Place(new Film(clip, start, kKindAudio, line, 0));
  f->ComputeOrigin();
  if (tl_ != nullptr) tl_->InvalidateAll();
  return f;
}

void AudioLineTest::ClearProject() {
  for (Film* f = FilmList.First(); f; f = f->next) edit::CloseForUse(f);
  FilmList.Clear();
  UndoScript::ClearAll();
  UndoScript::SetPending(0);
  Engine().SetModified(false);
  Zoom(1);
}

void AudioLineTest::ForgetChanges() {
  for (TimeRange& r : LineChangedRange) r.Clear();
}

POINT AudioLineTest::Screen(int x, int y) {
  return LineScreenPoint(Lines().GetHandle(), x, y);
}

void AudioLineTest::Move(int x, int y) {
  MouseMoveOver(Lines().GetHandle(), x, y);
}

void AudioLineTest::Press(int x, int y) {
  MousePressOn(Lines().GetHandle(), x, y);
}

void AudioLineTest::Release(int x, int y) {
  MouseReleaseOn(Lines().GetHandle(), x, y);
  Later();
}

void AudioLineTest::Click(int x, int y, int button) {
  MouseClickOn(Lines().GetHandle(), x, y, button);
}

void AudioLineTest::DoubleClick(int x, int y) {
  MouseDoubleClickOn(Lines().GetHandle(), x, y);
  Later();
}

void AudioLineTest::Key(int vk, bool down) {
  KeyStroke(vk, down);
}

std::vector<std::string> AudioLineTest::RightClick(int x, int y, UINT command) {
  std::vector<std::string> items = RightClickMenu(Lines().GetHandle(), Screen(x, y), command);
  Later();
  return items;
}

int AudioLineTest::VolumeY(int32_t line, int32_t gain) {
  return Row(line).bottom - GainToFader(gain, Row(line).zoom);
}

}  // namespace audiolinetest
