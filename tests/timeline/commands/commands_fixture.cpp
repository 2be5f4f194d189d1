#include "commands_fixture.h"

#include <cmath>

#include "audio/midi_fixtures.h"
#include "media/avi_writer.h"
#include "platform/codecs/avi.h"

namespace timelinetest {

// clang-format off
DEFINE_RESPONSE_TABLE1(CommandFrame, TestFrame)
  EV_COMMAND(kCmAddSourceFile, CmAddSourceFile),
END_RESPONSE_TABLE;
// clang-format on

void CommandsTest::Press(int vk, bool ctrl, bool shift, bool alt) {
  if (ctrl) GuiKey(VK_CONTROL, true);
  if (shift) GuiKey(VK_SHIFT, true);
  if (alt) GuiKey(VK_MENU, true);
  GuiKey(vk, true);
  GuiKey(vk, false);
  if (alt) GuiKey(VK_MENU, false);
  if (shift) GuiKey(VK_SHIFT, false);
  if (ctrl) GuiKey(VK_CONTROL, false);
  // The program's loop: a key first meets the key tables of its window and
  // the windows around it.
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    bool taken = false;
    for (HWND h = msg.hwnd; h && !taken;
         h = (GetWindowLong(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr) {
      if (TWindow* w = TWindow::GetWindowPtr(h)) taken = w->PreProcessMsg(msg);
    }
    if (taken) continue;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
}

bool CommandsTest::Enabled(int id) {
  TCommandEnabler enabler(static_cast<UINT>(id), window_->GetHandle());
  window_->EvCommandEnable(enabler);
  return enabler.IsEnabled();
}

std::vector<std::string> CommandsTest::BoxTexts() const {
  std::vector<std::string> texts;
  for (const filmtest::Box& b : boxes.boxes) texts.push_back(b.caption + ": " + b.text);
  return texts;
}

std::vector<Film*> CommandsTest::Films() const {
  std::vector<Film*> films;
  for (Film* f = FilmList.First(); f; f = f->next) films.push_back(f);
  return films;
}

namespace {

void Le(Bytes& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void Id(Bytes& out, const char* id) {
  out.insert(out.end(), id, id + 4);
}

}  // namespace

std::string CommandsTest::WriteWave(const std::string& name, uint32_t rate, uint16_t channels, uint16_t bits,
                                    uint32_t frames) {
  const uint32_t align = channels * bits / 8;
  const uint32_t data = frames * align;
  Bytes out;
  Id(out, "RIFF");
  Le(out, 4 + 24 + 8 + data, 4);
  Id(out, "WAVE");
  Id(out, "fmt ");
  Le(out, 16, 4);
  Le(out, 1, 2);
  Le(out, channels, 2);
  Le(out, rate, 4);
  Le(out, rate * align, 4);
  Le(out, align, 2);
  Le(out, bits, 2);
  Id(out, "data");
  Le(out, data, 4);
  // A quiet saw, so that converters have something to carry.
  for (uint32_t i = 0; i < data; ++i)
    out.push_back(static_cast<unsigned char>(bits == 8 ? 128 + i % 16 : i % 16));
  const std::string path = files_.File(name);
  WriteFileBytes(path, out);
  return path;
}

std::string CommandsTest::WriteAvi(const std::string& name, int32_t width, int32_t height, double fps,
                                   int32_t frames, DWORD compression) {
  const std::string path = files_.File(name);
  BITMAPINFOHEADER picture{};
  picture.biSize = kBitmapInfoHeaderSize;
  picture.biWidth = width;
  picture.biHeight = height;
  picture.biPlanes = 1;
  picture.biBitCount = 24;
  picture.biCompression = compression;
  picture.biSizeImage = static_cast<DWORD>(DibImageBytes(picture));
  BYTE format[kBitmapInfoHeaderSize];
  WriteBitmapInfoHeader(picture, format);
  MainAVIHeader main;
  AviWriter* writer = nullptr;
  EXPECT_EQ(AviWriter::Open(&writer, path.c_str(), &main), 0);
  if (!writer) return path;
  AVISTREAMHEADER stream;
  stream.fccType = streamtypeVIDEO;
  stream.fccHandler = compression;
  stream.dwScale = 1000;
  stream.dwRate = static_cast<DWORD>(std::lround(fps * 1000));
  stream.dwQuality = 10000;
  int32_t number = 0;
  EXPECT_EQ(AviWriter::AddStream(writer, &number, &stream, format, sizeof format), 0);
  const std::vector<BYTE> bits(compression == BI_RGB ? picture.biSizeImage : 64, 0x40);
  for (int32_t i = 0; i < frames; ++i) {
    EXPECT_EQ(
        AviWriter::WriteChunk(writer, number, bits.data(), static_cast<int32_t>(bits.size()),
                              compression == BI_RGB ? cktypeDIBbits : cktypeDIBcompressed, AVIIF_KEYFRAME),
        0);
  }
  EXPECT_EQ(AviWriter::Close(writer), 0);
  return path;
}

std::string CommandsTest::WriteMidi(const std::string& name) {
  MidiFileBytes file;
  file.format = 0;
  TrackBytes track;
  track.Tempo(0, 500000).NoteOn(0, 0, 60, 100).NoteOff(192, 0, 60).End();
  file.tracks.push_back(track);
  const std::string path = files_.File(name);
  file.Write(path);
  return path;
}

}  // namespace timelinetest
