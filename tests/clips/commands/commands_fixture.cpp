#include "commands_fixture.h"

#include "audio/audio_player.h"
#include "model/undo_history.h"
#include "platform/gui/modal.h"
#include "timeline/window/timeline_settings.h"

namespace cliptest {

// clang-format off
DEFINE_RESPONSE_TABLE1(ProjectFrame, TDecoratedFrame)
  EV_MESSAGE(kFrameRequestMessage, EvRequest),
END_RESPONSE_TABLE;
// clang-format on

bool RecordingSheet::Run(HWND parent, const char* caption, ClipData& clip, const std::vector<ClipPage>& pages,
                         const SummaryInfo&) {
  const bool commands = TheTimeLine != nullptr && TheTimeLine->Engine().commandsEnabled;
  calls.push_back({parent, caption, &clip, pages, commands});
  if (ok && change) change(clip);
  return ok;
}

std::ostream& operator<<(std::ostream& os, const MenuItem& item) {
  return os << "{" << item.id << " \"" << item.text << "\"" << (item.grey ? " grey" : "") << "}";
}

std::vector<MenuItem> ReadMenu(HMENU menu) {
  std::vector<MenuItem> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    GetMenuString(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    items.push_back({GetMenuItemID(menu, i), text, (state & MF_GRAYED) != 0});
  }
  return items;
}

void ClipCommandsTest::SetUp() {
  CollectionTest::SetUp();
  UndoScript::ClearAll();
  UndoScript::SetPending(0);
  savedOutput_ = OutputFormat;
  OutputFormat.nChannels = 2;
  // The collection's frame at the top left, the project's below it.
  frameRect_ = TRect(20, 20, 720, 380);
  accelerators_ = kCollectionAccelerators;
  Ini("AUTO_SORT", "0");
}

void ClipCommandsTest::TearDown() {
  SetModalHook(nullptr);
  CloseBoth();
  FilmList.Clear();
  ClipClipboard.Clear();
  UndoScript::ClearAll();
  UndoScript::SetPending(0);
  OutputFormat = savedOutput_;
  GuiPumpMessages();
}

void ClipCommandsTest::CloseBoth() {
  Close();
  if (projectFrame_ == nullptr) return;
  if (projectFrame_->IsWindow()) projectFrame_->SendMessage(WM_CLOSE);
  GuiPumpMessages();
  delete projectFrame_;
  projectFrame_ = nullptr;
  timeLine_ = nullptr;
  GuiPumpMessages();
}

ClipCollection& ClipCommandsTest::OpenBoth(int width, int height, int orientation) {
  timeLine_ = new RecordingTimeLine(&players_);
  projectFrame_ = new ProjectFrame(timeLine_);
  projectFrame_->Attr.X = 20;
  projectFrame_->Attr.Y = 420;
  projectFrame_->Attr.W = 1000;
  projectFrame_->Attr.H = 600;
  EXPECT_TRUE(projectFrame_->Create());
  projectFrame_->Show(SW_SHOWNORMAL);
  GuiPumpMessages();
  timeLine_->SendMessage(0x400 + 99, 1, 0);  // measures its texts and lays out, as the frame asks
  GuiPumpMessages();
  return OpenWith(new ClipCollection(timeLine_, orientation), width, height);
}

ClipWindow* ClipCommandsTest::Add(const std::string& path) {
  EXPECT_TRUE(collection_->AddFile(path.c_str(), -1, 0)) << path;
  GuiPumpMessages();
  return collection_->Tile(collection_->TileCount() - 1);
}

POINT ClipCommandsTest::CentreOf(ClipWindow* tile) const {
  return CentreOf(static_cast<TWindow*>(tile));
}

POINT ClipCommandsTest::CentreOf(TWindow* window) {
  const TRect r = window->GetWindowRect();
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void ClipCommandsTest::MoveTo(POINT p) {
  GuiMouseMove(p.x, p.y);
  GuiPumpMessages();
}

void ClipCommandsTest::Press(POINT p, int button) {
  GuiMouseMove(p.x, p.y);
  GuiMouseButton(button, true, p.x, p.y);
  GuiPumpMessages();
}

void ClipCommandsTest::Release(POINT p, int button) {
  GuiMouseButton(button, false, p.x, p.y);
  GuiPumpMessages();
}

void ClipCommandsTest::Key(int vk, bool shift, bool ctrl) {
  if (ctrl) GuiKey(VK_CONTROL, true);
  if (shift) GuiKey(VK_SHIFT, true);
  GuiKey(vk, true);
  GuiKey(vk, false);
  if (shift) GuiKey(VK_SHIFT, false);
  if (ctrl) GuiKey(VK_CONTROL, false);
  // The program's loop: a key meets the key tables of its window and the
  // windows around it first.
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    bool taken = false;
    for (HWND h = msg.hwnd; h != nullptr && !taken;
         h = (GetWindowLong(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr) {
      if (TWindow* w = TWindow::GetWindowPtr(h)) taken = w->PreProcessMsg(msg);
    }
    if (taken) continue;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
}

namespace {

// An enabler that keeps the check mark it is given.
class CheckedEnabler : public TCommandEnabler {
 public:
  using TCommandEnabler::TCommandEnabler;
  void SetCheck(int state) override {
    TCommandEnabler::SetCheck(state);
    check = state;
  }
  int check = -1;
};

}  // namespace

bool ClipCommandsTest::Enabled(int id, bool* checked) {
  CheckedEnabler enabler(static_cast<UINT>(id), collection_->GetHandle());
  collection_->EvCommandEnable(enabler);
  if (checked != nullptr) *checked = enabler.check == TCommandEnabler::Checked;
  return enabler.IsEnabled();
}

void ClipCommandsTest::RightClick(const TPoint& point, const std::function<void(HMENU)>& read, UINT choose) {
  bool opened = false;
  SetModalHook([&](HWND popup) {
    opened = true;
    HMENU menu = reinterpret_cast<HMENU>(SendMessage(popup, MN_GETHMENU, 0, 0));
    if (read) read(menu);
    if (choose == 0) return;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      if (GetMenuItemID(menu, i) != choose) continue;
      RECT r;
      ASSERT_TRUE(GetMenuItemRect(popup, menu, static_cast<UINT>(i), &r));
      const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
      GuiMouseMove(cx, cy);
      GuiMouseButton(0, true, cx, cy);
      GuiMouseButton(0, false, cx, cy);
      return;
    }
    ADD_FAILURE() << "no item " << choose;
  });
  TPoint screen = point;
  collection_->ClientToScreen(screen);
  // Far enough from the click before not to make a double click.
  if (IsClockDriven()) AdvanceClock(1000);
  Press(screen, 1);
  Release(screen, 1);
  SetModalHook(nullptr);
  GuiPumpMessages();
  EXPECT_TRUE(opened) << "no menu at " << point.x << "," << point.y;
}

std::vector<std::string> ClipCommandsTest::Names() const {
  std::vector<std::string> names;
  for (int i = 0; i < collection_->TileCount(); ++i) names.push_back(collection_->Tile(i)->clip.name);
  return names;
}

std::vector<Film*> ClipCommandsTest::Films() const {
  std::vector<Film*> films;
  for (Film* f = FilmList.First(); f != nullptr; f = f->next) films.push_back(f);
  return films;
}

}  // namespace cliptest
