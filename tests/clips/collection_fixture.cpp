#include "collection_fixture.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "media/avi_writer.h"
#include "media/video_bitmap.h"
#include "model/ini.h"
#include "model/time_code.h"
#include "support/wave_formats.h"
#include "platform/codecs/dib.h"
#include "platform/core/profile.h"
#include "resources/resources.h"
#include "resources/stock_bitmaps.h"
#include "support/file_bytes.h"
#include "ui/scroll_window.h"

namespace cliptest {

namespace {

void Put16(Bytes& b, unsigned v) {
  b.push_back(static_cast<unsigned char>(v));
  b.push_back(static_cast<unsigned char>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void PutTag(Bytes& b, const char* tag) {
  b.insert(b.end(), tag, tag + 4);
}
void PutBe(Bytes& b, uint32_t v, int n) {
  for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// The thumbnails' shared state, once for the test program.
void MakeBitmapState() {
  static TEBitmapInit* state = new TEBitmapInit;
  (void)state;
  TEBitmapInit::LoadStockBitmaps(nullptr);
}

}  // namespace

void WriteWave(const std::string& path, int rate, int channels, int bits, int ms) {
  const uint32_t frames = static_cast<uint32_t>(static_cast<int64_t>(rate) * ms / 1000);
  const unsigned block = static_cast<unsigned>(channels * bits / 8);
  Bytes data;
  for (uint32_t f = 0; f < frames; ++f)
    for (int c = 0; c < channels; ++c) {
      const int v = static_cast<int>((f * 37 + c * 1000) % 20000) - 10000;
      if (bits == 8)
        data.push_back(static_cast<unsigned char>(128 + v / 256));
      else
        Put16(data, static_cast<unsigned>(v) & 0xFFFF);
    }
  Bytes file;
  PutTag(file, "RIFF");
  Put32(file, static_cast<uint32_t>(4 + 8 + 16 + 8 + data.size()));
  PutTag(file, "WAVE");
  PutTag(file, "fmt ");
  Put32(file, 16);
  Put16(file, 1);
  Put16(file, static_cast<unsigned>(channels));
  Put32(file, static_cast<uint32_t>(rate));
  Put32(file, static_cast<uint32_t>(rate) * block);
  Put16(file, block);
  Put16(file, static_cast<unsigned>(bits));
  PutTag(file, "data");
  Put32(file, static_cast<uint32_t>(data.size()));
  file.insert(file.end(), data.begin(), data.end());
  WriteFileBytes(path, file);
}

void WriteAvi(const std::string& path, int width, int height, double fps, int frames, bool sound,
              int soundFrames) {
  MainAVIHeader main;
  AviWriter* w = nullptr;
  ASSERT_EQ(AviWriter::Open(&w, path.c_str(), &main), 0);
  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = width;
  bi.biHeight = height;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  bi.biCompression = BI_RGB;
  const int stride = static_cast<int>(DibRowBytes(width, 24));
  bi.biSizeImage = static_cast<DWORD>(stride * height);
  AVISTREAMHEADER video;
  video.fccType = streamtypeVIDEO;
  video.fccHandler = BI_RGB;
  video.dwScale = 1000;
  video.dwRate = static_cast<DWORD>(std::lround(fps * 1000));
  video.dwQuality = 10000;
  int32_t videoStream = 0, audioStream = -1;
  ASSERT_EQ(AviWriter::AddStream(w, &videoStream, &video, &bi, sizeof bi), 0);
  const int32_t chunk = static_cast<int32_t>(std::lround(44100.0 / fps)) * 4;
  if (sound) {
    Bytes wave;
    Put16(wave, 1);
    Put16(wave, 2);
    Put32(wave, 44100);
    Put32(wave, 44100 * 4);
    Put16(wave, 4);
    Put16(wave, 16);
    Put16(wave, 0);
    AVISTREAMHEADER audio;
    audio.fccType = streamtypeAUDIO;
    ASSERT_EQ(AviWriter::AddStream(w, &audioStream, &audio, wave.data(), static_cast<int32_t>(wave.size())),
              0);
  }
  Bytes pixels(static_cast<size_t>(stride) * height);
  Bytes samples(static_cast<size_t>(chunk));
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<unsigned char>(i * 7);
  for (int n = 0; n < frames; ++n) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        unsigned char* p = &pixels[static_cast<size_t>(y) * stride + x * 3];
        p[0] = static_cast<unsigned char>(n);
        p[1] = static_cast<unsigned char>(2 * n);
        p[2] = static_cast<unsigned char>(255 - n);
      }
    ASSERT_EQ(AviWriter::WriteChunk(w, videoStream, pixels.data(), static_cast<int32_t>(pixels.size()),
                                    aviTWOCC('d', 'b'), AVIIF_KEYFRAME),
              0);
    if (sound && (soundFrames < 0 || n < soundFrames)) {
      ASSERT_EQ(
          AviWriter::WriteChunk(w, audioStream, samples.data(), chunk, aviTWOCC('w', 'b'), AVIIF_KEYFRAME),
          0);
    }
  }
  ASSERT_EQ(AviWriter::Close(w), 0);
}

void WriteMidi(const std::string& path) {
  Bytes track;
  const unsigned char events[] = {0x00, 0x90, 60,   100,  0x83, 0x60, 0x80, 60,   0,    0x00, 0x90,
                                  62,   100,  0x83, 0x60, 0x80, 62,   0,    0x00, 0xFF, 0x2F, 0x00};
  track.insert(track.end(), events, events + sizeof events);
  Bytes file;
  PutTag(file, "MThd");
  PutBe(file, 6, 4);
  PutBe(file, 0, 2);
  PutBe(file, 1, 2);
  PutBe(file, 480, 2);
  PutTag(file, "MTrk");
  PutBe(file, static_cast<uint32_t>(track.size()), 4);
  file.insert(file.end(), track.begin(), track.end());
  WriteFileBytes(path, file);
}

bool ShowsStockBitmap(HWND window, int id, int x, int y, const TRect& part) {
  StockBitmapArt art;
  if (!DrawStockBitmap(id, &art)) return false;
  for (int r = part.top; r < part.bottom; ++r)
    for (int c = part.left; c < part.right; ++c) {
      const BYTE* p = &art.pixels[static_cast<size_t>(r * art.width + c) * 3];
      if (GuiReadPixel(window, x + c, y + r) != RGB(p[2], p[1], p[0])) return false;
    }
  return true;
}

bool RunCommand(const std::string& command, Bytes* output) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  unsigned char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    if (output != nullptr) output->insert(output->end(), buffer, buffer + n);
  return pclose(pipe) == 0;
}

bool HaveTool(const char* tool) {
  return RunCommand(std::string("command -v ") + tool + " >/dev/null 2>&1");
}

WAVEFORMATEX OutputHooks::OutputFormat() {
  return format;
}

WAVEFORMATEX OutputHooks::StereoCd() {
  return StereoCdFormat();
}

void RecordingShell::SetFrameRateFromVideo(VideoData* video) {
  frameRatesFrom.push_back(video);
  if (video != nullptr) SetProjectFrameRate(video->GetFrameRate());
  if (TheClipCollection != nullptr) TheClipCollection->RedrawClips();
}

void RecordingShell::SetAudioFormat(int rate, int channels, int sampleType) {
  formats.push_back({rate, channels, sampleType});
  if (output == nullptr) return;
  output->nSamplesPerSec = static_cast<DWORD>(rate);
  output->nChannels = static_cast<WORD>(channels);
  output->nBlockAlign = static_cast<WORD>(channels * output->wBitsPerSample / 8);
  output->nAvgBytesPerSec = output->nSamplesPerSec * output->nBlockAlign;
  if (TheClipCollection != nullptr) TheClipCollection->RedrawClips();
}

void CollectionTest::SetUp() {
  ASSERT_TRUE(home_.ok());
  ASSERT_TRUE(media_.ok());
  RegisterProgramResources();
  MakeBitmapState();
  SetProjectFrameRate(25.0f);
  SetProjectTimeFormat(kTimeFormatMs);
}

void CollectionTest::TearDown() {
  Close();
}

void CollectionTest::Ini(const char* key, const char* value) {
  WritePrivateProfileString(kCollectionSection, key, value, kIniFileName);
}

std::string CollectionTest::IniValue(const char* key) {
  char text[256];
  GetPrivateProfileString(kCollectionSection, key, "<none>", text, sizeof text, kIniFileName);
  return text;
}

ClipCollection& CollectionTest::Open(int width, int height, int orientation) {
  return OpenWith(new ClipCollection(nullptr, orientation), width, height);
}

ClipCollection& CollectionTest::OpenWith(ClipCollection* collection, int width, int height) {
  frame_ = new TFrameWindow(nullptr, "Clip Collection");
  frame_->Attr.X = frameRect_.left;
  frame_->Attr.Y = frameRect_.top;
  frame_->Attr.W = frameRect_.Width();
  frame_->Attr.H = frameRect_.Height();
  if (accelerators_ != 0) frame_->Attr.AccelTable = TResId(accelerators_);
  EXPECT_TRUE(frame_->Create());
  frame_->Show(SW_SHOW);
  collection_ = collection;
  TEScrollWindow* scroll = collection_->GetScrollWindow();
  scroll->SetParent(frame_);
  // The client edge takes two pixels on every side.
  scroll->Attr.X = 10;
  scroll->Attr.Y = 10;
  scroll->Attr.W = width + 4;
  scroll->Attr.H = height + 4;
  EXPECT_TRUE(scroll->Create());
  GuiPumpMessages();
  return *collection_;
}

void CollectionTest::Close() {
  if (frame_ == nullptr) return;
  // As the user closes it: the windows go before the objects.
  if (frame_->IsWindow()) frame_->SendMessage(WM_CLOSE);
  GuiPumpMessages();
  delete frame_;
  frame_ = nullptr;
  collection_ = nullptr;
  GuiPumpMessages();
}

TEScrollWindow* CollectionTest::Scroll() const {
  return collection_->GetScrollWindow();
}

void CollectionTest::SizeView(int width, int height) {
  Scroll()->SetWindowPos(nullptr, TRect(0, 0, width + 4, height + 4), SWP_NOMOVE | SWP_NOZORDER);
  GuiPumpMessages();
}

std::string CollectionTest::Wave(const std::string& name, int ms, int rate, int channels) {
  const std::string path = Media(name);
  WriteWave(path, rate, channels, 16, ms);
  return path;
}

std::string CollectionTest::Avi(const std::string& name, int frames, double fps, bool sound) {
  const std::string path = Media(name);
  WriteAvi(path, 64, 48, fps, frames, sound);
  return path;
}

TRect CollectionTest::PlaceOf(ClipWindow* tile) const {
  RECT r = tile->GetWindowRect();
  MapWindowPoints(nullptr, collection_->GetHandle(), reinterpret_cast<POINT*>(&r), 2);
  return TRect(r);
}

}  // namespace cliptest
