#include "other_lines_fixture.h"

#include "model/film_list.h"
#include "timeline/header/av_buttons.h"
#include "timeline/lines/audio_lines.h"

namespace linestest {

void OtherLinesTest::TearDown() {
  Close();
  // The transitions hold their clips' sources: they go before those do.
  transitionPlayers.vfx.FreeAll();
  FilmList.Clear();
  ClipClipboard.Clear();
  UndoScript::ClearAll();
  for (MidiData* m : midis_) m->Release();
  midis_.clear();
  VideoLineTest::TearDown();
}

RecordingTimeLine& OtherLinesTest::OpenLines(int32_t vfxZoom, int32_t midiZoom) {
  Ini("TIMELINE", "ZOOM_VFX", std::to_string(vfxZoom).c_str());
  Ini("TIMELINE", "ZOOM_MIDI", std::to_string(midiZoom).c_str());
  RecordingTimeLine& tl = OpenRows(1, 1);
  // Shown where the audio lines begin; they move down to make room.
  TimeLineEngine& e = Engine();
  const int border = GetSystemMetrics(SM_CYBORDER);
  TWindow* audio = static_cast<TWindow*>(tl.AudioLines());
  TWindow* audioHeader = static_cast<TWindow*>(tl.AudioHeader());
  const TRect lines = PlaceOf(audio);
  const TRect header = PlaceOf(audioHeader);
  const int h = e.midiPanel[0].height + 2 * border;
  e.midiPanel.firstShown = 0;
  e.midiPanel.Layout(border);
  e.showMidi = true;
  ::SetWindowPos(tl.MidiLine()->GetHandle(), nullptr, lines.left, lines.top, lines.Width(), h,
                 SWP_NOZORDER | SWP_SHOWWINDOW);
  ::SetWindowPos(tl.MidiHeader()->GetHandle(), nullptr, header.left, header.top, header.Width(), h,
                 SWP_NOZORDER | SWP_SHOWWINDOW);
  ::SetWindowPos(audio->GetHandle(), nullptr, lines.left, lines.top + h, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  ::SetWindowPos(audioHeader->GetHandle(), nullptr, header.left, header.top + h, 0, 0,
                 SWP_NOZORDER | SWP_NOSIZE);
  tl.InvalidateAll();
  GuiPumpMessages();
  return tl;
}

Film* OtherLinesTest::VideoClip(int32_t row, int32_t start, int32_t end, const char* name) {
  filmtest::FakeVideo* v = Video(std::string(name) + ".avi", 1000);
  filmtest::FakeClip clip(v, nullptr, nullptr, 0, end - start, end - start, name);
  Film* f = Place(new Film(clip, start, kKindVideo, 0, row));
  f->stamp = ++LinkCounter;
  f->ComputeOrigin();
  if (tl_ != nullptr) tl_->InvalidateAll();
  return f;
}

MidiData* OtherLinesTest::MidiFile(const MidiFileBytes& file) {
  const std::string path = home_.File("tune" + std::to_string(midiFiles_++) + ".mid");
  file.Write(path);
  MidiData* m = MidiData::Get(path.c_str());
  EXPECT_NE(m, nullptr) << path;
  if (m != nullptr) midis_.push_back(m);
  return m;
}

Film* OtherLinesTest::MidiClip(MidiData* midi, int32_t start, int32_t in, int32_t out, const char* name) {
  filmtest::FakeClip clip(nullptr, nullptr, midi, in, out, out - in, name);
  Film* f = Place(new Film(clip, start, kKindMidi, 0, 0));
  f->stamp = ++LinkCounter;
  f->ComputeOrigin();
  if (tl_ != nullptr) tl_->InvalidateAll();
  return f;
}

POINT OtherLinesTest::ScreenOf(TWindow& w, int x, int y) {
  return LineScreenPoint(w.GetHandle(), x, y);
}

void OtherLinesTest::MoveOn(TWindow& w, int x, int y) {
  MouseMoveOver(w.GetHandle(), x, y);
}

void OtherLinesTest::PressOn(TWindow& w, int x, int y) {
  MousePressOn(w.GetHandle(), x, y);
}

void OtherLinesTest::ReleaseOn(TWindow& w, int x, int y) {
  MouseReleaseOn(w.GetHandle(), x, y);
}

void OtherLinesTest::DoubleClickOn(TWindow& w, int x, int y) {
  MouseDoubleClickOn(w.GetHandle(), x, y);
  Later();
}

void OtherLinesTest::DragOn(TWindow& w, Point from, std::vector<Point> through) {
  PressOn(w, from.x, from.y);
  for (const Point& p : through) MoveOn(w, p.x, p.y);
  const Point last = through.empty() ? from : through.back();
  ReleaseOn(w, last.x, last.y);
  Later();
}

int OtherLinesTest::UndoSteps() {
  int n = 0;
  for (int32_t i = UndoScript::Current() + 1; i < kUndoSlotCount && UndoScript::Slot(i) != nullptr; ++i) ++n;
  return n;
}

}  // namespace linestest
