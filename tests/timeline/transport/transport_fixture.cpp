#include "transport_fixture.h"

#include <filesystem>
#include <fstream>

#include "audio/audio_player.h"
#include "support/file_bytes.h"

namespace transporttest {

using TMyClass = TransportFrame;
// clang-format off
DEFINE_RESPONSE_TABLE1(TransportFrame, CommandFrame)
  EV_MESSAGE(0x400 + 99, EvRequest),
END_RESPONSE_TABLE;
// clang-format on

TransportFrame::TransportFrame(TWindow* client) : CommandFrame(client) {
  bar = new TControlBar(this);
  // Labelled stand-ins for the buttons.
  auto button = [](int id, const char* label) -> TGadget* {
    return new TTextGadget(id, TGadget::Plain, TTextGadget::Center, 5, label);
  };
  previous = button(516, "Prev");
  next = button(515, "Next");
  // As the project frame starts with the video rows shown.
  for (TGadget* g : {button(kCmRewind, "Rew"), button(kCmPlay, "Play"), button(kCmStop, "Stop"), previous,
                     next, button(kCmRecordAudio, "Rec")}) {
    bar->Insert(*g);
  }
  stepsShown = true;
  Insert(*bar, Top);
}

TransportFrame::~TransportFrame() {
  // In the bar, the bar owns them.
  if (!stepsShown) {
    delete previous;
    delete next;
  }
}

// The menu is there before the time-line is set up, as the project frame's is.
void TransportFrame::SetupWindow() {
  HMENU menuBar = CreateMenu();
  auto popup = [&](const char* name, std::initializer_list<std::pair<int, const char*>> items) {
    HMENU p = CreatePopupMenu();
    for (const auto& [id, text] : items) {
      AppendMenu(p, id == 0 ? MF_SEPARATOR : MF_STRING, static_cast<UINT_PTR>(id), text);
    }
    AppendMenu(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(p), name);
  };
  popup("&File", {{kOtherItem, "Item"}});
  popup("&Edit", {{kOtherItem, "Item"}});
  popup("&View", {{kCmShowVideoTracks, "Show &Video tracks"},
                  {kCmShowAudioTracks, "Show &Audio tracks"},
                  {kCmShowMidiTrack, "Show &Midi track"}});
  popup("&Command", {{kCmPlay, "&Play\tSpace"}, {kCmStop, "&Stop\tEnter"}});
  popup("&Range", {{kOtherItem, "Item"}});
  popup("&Tools", {{kCmVolumeControl, "Volume &control"},
                   {kCmAudioEditor, "&Audio editor"},
                   {kCmMidiEditor, "&Midi editor"},
                   {kCmVideoEditor, "&Video editor"},
                   {0, ""},
                   {kCmTool1, "Tool1"},
                   {kCmTool1 + 1, "Tool2"},
                   {kCmTool1 + 2, "Tool3"},
                   {kCmTool1 + 3, "Tool4"},
                   {kCmTool1 + 4, "Tool5"},
                   {0, ""},
                   {kCmConfigureTools, "Con&figure..."}});
  ::SetMenu(GetHandle(), menuBar);
  CommandFrame::SetupWindow();
}

std::vector<int> TransportFrame::Gadgets() const {
  std::vector<int> ids;
  for (int i = 0; i < bar->GadgetCount(); ++i) ids.push_back(bar->GadgetAt(i)->GetId());
  return ids;
}

// ---- The program's side.

bool RecordingCommandHost::Write(Written w) {
  if (TheAudioPlayer != nullptr && TheAudioPlayer->GetState() == AudioPlayer::kStreaming) {
    w.soundBytes = 0;
    for (;;) {
      BYTE* data = nullptr;
      const LONG bytes = TheAudioPlayer->GetMixBlock(&data, nullptr);
      if (bytes <= 0) break;
      w.soundBytes += bytes;
    }
  }
  std::ofstream(w.path) << "partial";
  written.push_back(std::move(w));
  return writersSucceed;
}

bool RecordingCommandHost::Recompress(HWND, Film* segments, int32_t parts, int32_t start, int32_t end,
                                      const char* path) {
  return Write({false, playtest::Segments(segments), parts, start, end, path, MixSetup{}, -1});
}

bool RecordingCommandHost::ExportMpeg(HWND, Film* segments, Film*, int32_t parts, const MixSetup& mix,
                                      int32_t start, int32_t end, const char* path) {
  return Write({true, playtest::Segments(segments), parts, start, end, path, mix, -1});
}

// ---- The fixture.

void TransportTest::SetUp() {
  CommandsTest::SetUp();
}

void TransportTest::TearDown() {
  if (window_ != nullptr && Engine().playing) Engine().CmStop();
  GuiPumpMessages();
  CommandsTest::TearDown();
}

MainTimeLineWindow& TransportTest::OpenTransport(int w, int h, TimeLinePlayers* players) {
  window_ = new MainTimeLineWindow(nullptr, players != nullptr ? players : &players_);
  frame_ = new TransportFrame(window_);
  frame_->Attr.X = 40;
  frame_->Attr.Y = 40;
  frame_->Attr.W = w;
  frame_->Attr.H = h;
  EXPECT_TRUE(frame_->Create());
  frame_->Show(SW_SHOWNORMAL);
  GuiPumpMessages();
  window_->SendMessage(kTimeLineRequestMessage, kRequestMeasureTimeText, 0);
  GuiPumpMessages();
  Frame().requests.clear();
  return *window_;
}

std::vector<std::string> TransportTest::LogOf(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& entry : players_.log) {
    if (entry.rfind(prefix, 0) == 0) out.push_back(entry);
  }
  return out;
}

Film* TransportTest::VideoClip(int32_t row, int32_t start, int32_t end) {
  filmtest::FakeVideo* v = filmtest::FilmTest::Video("v" + std::to_string(serial_++) + ".avi", 600000);
  return VideoFilm(v, row, start, 0, end - start);
}

Film* TransportTest::SoundClip(int32_t line, int32_t start, int32_t end) {
  filmtest::FakeAudio* a = Audio("a" + std::to_string(serial_++) + ".wav", 600000);
  return AudioFilm(a, line, start, end - start);
}

Film* TransportTest::MidiClip(int32_t start, int32_t end) {
  filmtest::FakeMidi* m = Midi("m" + std::to_string(serial_++) + ".mid", 600000);
  filmtest::FakeClip clip(nullptr, nullptr, m, 0, end - start, end - start);
  return Place(new Film(clip, start, kKindMidi, 0, 0));
}

std::string TransportTest::PathOfLength(std::size_t length, const std::string& leaf) {
  std::string folder = files_.path();
  std::string name = leaf;
  if (length == folder.size() + 2 + name.size()) name = "x" + name;  // no room for a folder of its own
  while (folder.size() + 1 + name.size() < length) {
    const std::size_t room = length - folder.size() - 1 - name.size();
    std::size_t step = std::min<std::size_t>(room - 1, 200);
    if (room - (step + 1) == 1) --step;  // never leave a single character
    folder += "/" + std::string(step, 'd');
  }
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/" + name;
  EXPECT_EQ(path.size(), length);
  return path;
}

}  // namespace transporttest
