#include "project_fixture.h"

#include "model/path_record.h"
#include "platform/core/paths.h"

namespace projectcmdtest {

void ProjectFrame::SetupWindow() {
  CommandFrame::SetupWindow();
  HMENU bar = ::CreateMenu();
  auto popup = [bar](const char* title, std::initializer_list<std::pair<int, const char*>> items) {
    HMENU menu = ::CreatePopupMenu();
    for (auto [id, text] : items) ::AppendMenu(menu, MF_STRING, static_cast<UINT_PTR>(id), text);
    ::AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), title);
  };
  popup("&File", {{24331, "&New project..."}});
  popup("&Edit", {{kCmSelectAll, "Select &all\tCtrl+A"}, {kCmDeselectAll, "D&eselect all\tCtrl+D"}});
  popup("&View", {{kCmShowVideoTracks, "&Video tracks"},
                  {kCmShowAudioTracks, "&Audio tracks"},
                  {kCmShowMidiTrack, "&MIDI track"}});
  popup("&Command", {{kCmMasterVolume, "&Master volume..."},
                     {kCmMasterEffects, "Master &Effects..."},
                     {kCmUseMasterEffects, "&Use master effects"}});
  popup("&Range", {{kCmIncludeAllClips, "Include all clips"}});
  ::SetMenu(GetHandle(), bar);
}

void ProjectCommandsTest::SetUp() {
  CommandsTest::SetUp();
  savedRate_ = OutputFormat.nSamplesPerSec;
  OutputFormat.nSamplesPerSec = 44100;
  OutputFormat.nChannels = 2;
}

void ProjectCommandsTest::TearDown() {
  Close();
  OutputFormat.nSamplesPerSec = savedRate_;
  CommandsTest::TearDown();
}

CommandTimeLine& ProjectCommandsTest::OpenProjectWindow() {
  auto* window = new CommandTimeLine(&players_);
  window_ = window;
  frame_ = new ProjectFrame(window);
  frame_->Attr.AccelTable = TResId(kTimeLineAccelerators);
  frame_->Attr.X = 40;
  frame_->Attr.Y = 40;
  frame_->Attr.W = 1000;
  frame_->Attr.H = 700;
  EXPECT_TRUE(frame_->Create());
  frame_->Show(SW_SHOWNORMAL);
  GuiPumpMessages();
  window->SendMessage(kTimeLineRequestMessage, kRequestMeasureTimeText, 0);
  GuiPumpMessages();
  return *window;
}

std::string ProjectCommandsTest::WriteProjectFile(
    const std::string& name, const std::function<void(FilmListHead&, TimeLineEngine&)>& build) {
  TimeLineEngine engine;
  FilmListHead films;
  build(films, engine);
  const std::string path = FilePath(name);
  HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
  EXPECT_NE(file, nullptr);
  if (file == nullptr) return path;
  EXPECT_TRUE(WriteProject(engine, films.First(), file, files_.path().c_str(), nullptr));
  mmioClose(file, 0);
  return path;
}

int ProjectCommandsTest::OpenFile(const std::string& path) {
  HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_READ);
  EXPECT_NE(file, nullptr);
  if (file == nullptr) return -1;
  PathRecord* folders = new PathRecord(PathFolder(path).c_str(), true);
  SynonymFile* moved = nullptr;
  char collection[MAX_PATH + 1] = {};
  const int result = window_->OpenProject(file, folders, &moved, collection);
  SynonymFile::FreeList(moved);
  PathRecord::FreeList(folders);
  mmioClose(file, 0);
  GuiPumpMessages();
  return result;
}

Film* ProjectCommandsTest::SoundIn(FilmListHead& list, filmtest::FakeAudio* a, int32_t line, int32_t start,
                                 int32_t length) {
  filmtest::FakeClip clip(nullptr, a, nullptr, 0, length, length);
  Film* f = new Film(clip, start, kKindAudio, line, 0);
  Film::Link(f, list);
  return f;
}

Film* ProjectCommandsTest::PictureIn(FilmListHead& list, filmtest::FakeVideo* v, int32_t row, int32_t start,
                                   int32_t frames) {
  const int32_t length = FramesToMs(frames, 25.0f);
  filmtest::FakeClip clip(v, nullptr, nullptr, 0, length, length);
  Film* f = new Film(clip, start, kKindVideo, 0, row);
  Film::Link(f, list);
  return f;
}

filmtest::FakeEffects* ProjectCommandsTest::MakeEffects() {
  if (listsOpen_) return Effects();
  stubborn_.push_back(std::make_unique<StubbornEffects>());
  return stubborn_.back().get();
}

std::vector<std::string> ProjectCommandsTest::Captions() const {
  std::vector<std::string> captions;
  for (const filmtest::Box& b : boxes.boxes) captions.push_back(b.caption);
  return captions;
}

int ProjectCommandsTest::UndoDepth() const {
  int depth = 0;
  for (int32_t i = UndoScript::Current() + 1; i < kUndoSlotCount && UndoScript::Slot(i) != nullptr; ++i) ++depth;
  return depth;
}

}  // namespace projectcmdtest
