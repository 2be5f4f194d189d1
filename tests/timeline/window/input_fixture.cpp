#include "input_fixture.h"

#include "model/film.h"
#include "model/undo_history.h"
#include "timeline/lines/audio_lines.h"

namespace timelinetest {

bool InputTimeLine::DrawPendingClipOn(int32_t kind, Film* film) {
  redraws.push_back({kind, film});
  if (kind == kLineAudio) film->audioState = 0;
  if (kind == kLineVideo) film->videoState = 0;
  if (kind == kLineMidi) film->midiState = 0;
  return true;
}

InputFrame::InputFrame(TWindow* client) : TestFrame(client) {
  Attr.AccelTable = TResId(kTimeLineAccelerators);
  toolBar = new TGadgetWindow(this);
  for (int id : {kCmVolumeProfile, kCmBalanceProfile, kCmMultiselect, kCmAddPointMode}) {
    toolBar->Insert(*new TButtonGadget(TResId(1042), id, TButtonGadget::NonExclusive, true));
  }
  Insert(*toolBar, TDecoratedFrame::Top);
}

void WindowInputTest::TearDown() {
  for (int vk : {VK_SHIFT, VK_CONTROL}) GuiKey(vk, false);
  TimeLineTest::TearDown();
}

InputTimeLine& WindowInputTest::OpenInput(int w, int h) {
  auto* window = new InputTimeLine(&players_);
  window_ = window;
  frame_ = new InputFrame(window);
  frame_->Attr.X = 40;
  frame_->Attr.Y = 40;
  frame_->Attr.W = w;
  frame_->Attr.H = h;
  EXPECT_TRUE(frame_->Create());
  frame_->Show(SW_SHOWNORMAL);
  GuiPumpMessages();
  window->SendMessage(kTimeLineRequestMessage, kRequestMeasureTimeText, 0);
  GuiPumpMessages();
  window->SetFocus();
  return *window;
}

void WindowInputTest::Press(int vk, bool ctrl, bool shift) {
  if (ctrl) GuiKey(VK_CONTROL, true);
  if (shift) GuiKey(VK_SHIFT, true);
  GuiKey(vk, true);
  GuiKey(vk, false);
  if (shift) GuiKey(VK_SHIFT, false);
  if (ctrl) GuiKey(VK_CONTROL, false);
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    bool taken = false;
    for (HWND h = msg.hwnd; h && !taken;
         h = (GetWindowLong(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr) {
      if (TWindow* t = TWindow::GetWindowPtr(h)) taken = t->PreProcessMsg(msg);
    }
    if (taken) continue;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
}

namespace {

class Probe : public TCommandEnabler {
 public:
  Probe(int id, HWND receiver) : TCommandEnabler(static_cast<UINT>(id), receiver) {}
  void SetCheck(int state) override {
    TCommandEnabler::SetCheck(state);
    check = state;
  }
  int check = -1;
};

}  // namespace

bool WindowInputTest::Enabled(int id) {
  Probe probe(id, window_->GetHandle());
  window_->EvCommandEnable(probe);
  return probe.IsEnabled();
}

int WindowInputTest::Check(int id) {
  Probe probe(id, window_->GetHandle());
  window_->EvCommandEnable(probe);
  return probe.check;
}

POINT WindowInputTest::OnAudioLine(int32_t time, int32_t line) {
  const TrackRecord& r = Engine().audioPanel[line];
  POINT p{Engine().PosToPixelUnclamped(time), r.top + r.height / 2};
  ClientToScreen(window_->AudioLines()->GetHandle(), &p);
  return p;
}

int WindowInputTest::Snapshots() {
  int n = 0;
  for (int32_t i = 0; i < kUndoSlotCount; ++i) n += UndoScript::Slot(i) != nullptr;
  return n;
}

}  // namespace timelinetest
