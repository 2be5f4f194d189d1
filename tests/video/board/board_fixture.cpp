#include "board_fixture.h"

#include <algorithm>
#include <cstring>

#include "media/avi_writer.h"
#include "platform/codecs/avi.h"

namespace boardtest {

// --- The loaded library -------------------------------------------------------------

BoardLibrary::BoardLibrary(const char* path) : env_("XDG_RUNTIME_DIR", runtime_.path()) {
  SetVelmoraLibraryName(path);
  VelmoraDevice::versionAccepted = false;
  VelmoraDevice::StaticSetUp();
  loaded_ = InitVelmoraAPIClass::IsLoaded();
}

BoardLibrary::~BoardLibrary() {
  TheVelmoraDevice.Close();
  InitVelmoraAPIClass::Unload();
  SetVelmoraLibraryName("VLMINTER.DLL");
  VelmoraBoardAvailable = false;
  VelmoraDevice::versionAccepted = false;
}

template <typename F>
F BoardLibrary::Entry(const char* name) {
  FARPROC entry = VelmoraLibraryModule != nullptr ? GetProcAddress(VelmoraLibraryModule, name) : nullptr;
  EXPECT_NE(entry, nullptr) << name;
  return reinterpret_cast<F>(entry);
}

#define BOARD_CONTROL(name) Entry<decltype(&name)>(#name)

void BoardLibrary::SetOutputSize(int width, int height) { BOARD_CONTROL(vlmsim_SetOutputSize)(width, height); }
void BoardLibrary::SetFifoLimit(int bytes) { BOARD_CONTROL(vlmsim_SetFifoLimit)(bytes); }
void BoardLibrary::SetVersion(int version) { BOARD_CONTROL(vlmsim_SetVersion)(version); }
void BoardLibrary::SetForeignResources(int mask) { BOARD_CONTROL(vlmsim_SetForeignResources)(mask); }
void BoardLibrary::DriveClock(bool driven) { BOARD_CONTROL(vlmsim_SetClockDriven)(driven ? 1 : 0); }
void BoardLibrary::Advance(int milliseconds) { BOARD_CONTROL(vlmsim_AdvanceClock)(milliseconds); }
void BoardLibrary::Drain(bool drain) { BOARD_CONTROL(vlmsim_SetDrain)(drain ? 1 : 0); }
void BoardLibrary::RaiseGPI(int line) { BOARD_CONTROL(vlmsim_RaiseGPI)(line); }
bool BoardLibrary::GPIWaiting(int line) { return BOARD_CONTROL(vlmsim_GPIWaiting)(line) != 0; }
void BoardLibrary::ClearLog() { BOARD_CONTROL(vlmsim_ClearAddDataLog)(); }

std::vector<VlmSimAnnouncement> BoardLibrary::Log() {
  auto get = BOARD_CONTROL(vlmsim_GetAddDataLog);
  std::vector<VlmSimAnnouncement> log(static_cast<std::size_t>(get(nullptr, 0)));
  log.resize(static_cast<std::size_t>(get(log.data(), static_cast<int>(log.size()))));
  return log;
}

std::vector<uint32_t> BoardLibrary::Picture(int* width, int* height) {
  auto get = BOARD_CONTROL(vlmsim_GetLastPicture);
  int w = 0, h = 0;
  const int n = get(nullptr, 0, &w, &h);
  std::vector<uint32_t> pixels(static_cast<std::size_t>(n));
  if (n > 0) get(pixels.data(), n, &w, &h);
  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
  return pixels;
}

std::vector<uint32_t> BoardLibrary::CaptureMonitor(int* width, int* height) {
  auto get = BOARD_CONTROL(vlmsim_CaptureMonitor);
  const int n = get(nullptr, 0, width, height);
  std::vector<uint32_t> pixels(static_cast<std::size_t>(n));
  if (n > 0) get(pixels.data(), n, width, height);
  return pixels;
}

#undef BOARD_CONTROL

// --- The peer instance ----------------------------------------------------------------

uint32_t FakePeer::Broadcast(int32_t code, int32_t argument) {
  sent.push_back({code, argument});
  if (code == 1 && idle && board_ != nullptr) {
    board_->SetForeignResources(0);
    return 999;
  }
  return 0;
}

// --- The fake ring --------------------------------------------------------------------

namespace {

struct RingState {
  std::vector<BYTE>* ring = nullptr;
  int64_t written = 0;
  std::vector<VlmSimAnnouncement> log;
};

RingState& Ring() {
  static RingState state;
  return state;
}

int FakeCheckFreeSize(int count, int) {
  const int64_t size = static_cast<int64_t>(Ring().ring->size());
  if (count < 0 || count > size) return -1;
  return static_cast<int>(Ring().written % size);
}

int FakeAddData(int id, int field, int kind, int count) {
  const int64_t size = static_cast<int64_t>(Ring().ring->size());
  Ring().log.push_back({id, field, kind, count, static_cast<int32_t>(Ring().written % size)});
  Ring().written += count;
  return 1;
}

}  // namespace

FakeRing::FakeRing(int32_t size, uint32_t clients, int32_t width, int32_t height)
    : ring_(static_cast<std::size_t>(size), 0),
      checkBefore_(VelmoraApi.vdc_CheckFreeSize.function),
      addBefore_(VelmoraApi.vdc_AddData.function) {
  Ring().ring = &ring_;
  Ring().written = 0;
  Ring().log.clear();
  VelmoraApi.vdc_CheckFreeSize.function = &FakeCheckFreeSize;
  VelmoraApi.vdc_AddData.function = &FakeAddData;
  VelmoraDevice& d = TheVelmoraDevice;
  d.fifo = ring_.data();
  d.fifoSize = size;
  d.clients = clients;
  d.width = width;
  d.height = height;
  d.fieldAlphaSize = width * (height / 2);
  d.lastFrameId = 0;
}

FakeRing::~FakeRing() {
  VelmoraApi.vdc_CheckFreeSize.function = checkBefore_;
  VelmoraApi.vdc_AddData.function = addBefore_;
  VelmoraDevice& d = TheVelmoraDevice;
  d.fifo = nullptr;
  d.fifoSize = 0;
  d.clients = 0;
  Ring().ring = nullptr;
}

void FakeRing::Place(int32_t offset, const std::vector<BYTE>& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) ring_[(offset + i) % ring_.size()] = bytes[i];
  SetWritePosition(offset);
}

void FakeRing::SetWritePosition(int32_t offset) {
  Ring().written = offset;
}

std::vector<VlmSimAnnouncement>& FakeRing::log() {
  return Ring().log;
}

std::vector<BYTE> FakeRing::At(int32_t offset, int32_t count) {
  std::vector<BYTE> out;
  for (int32_t i = 0; i < count; ++i) out.push_back(ring_[static_cast<std::size_t>(offset + i) % ring_.size()]);
  return out;
}

std::string Describe(const std::vector<VlmSimAnnouncement>& log) {
  std::string out;
  for (const VlmSimAnnouncement& a : log) {
    if (!out.empty()) out += " ";
    out += "{" + std::to_string(a.id) + "," + std::to_string(a.field) + "," + std::to_string(a.kind) + "," +
           std::to_string(a.count) + "}";
  }
  return out;
}

// --- Frames and files -----------------------------------------------------------------

namespace {

void Put32(std::vector<BYTE>& bytes, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<BYTE>(v >> (8 * i));
}

void FillYuyv(BYTE* p, std::size_t count, BYTE y, BYTE u, BYTE v) {
  const BYTE pattern[4] = {y, u, y, v};
  for (std::size_t i = 0; i < count; ++i) p[i] = pattern[i % 4];
}

}  // namespace

std::vector<BYTE> VlmdFrame(uint32_t size0, uint32_t size1, BYTE y, BYTE u, BYTE v) {
  std::vector<BYTE> f(28 + static_cast<std::size_t>(size0) + size1, 0);
  std::memcpy(f.data(), "VLMD", 4);
  Put32(f, 16, size0);
  Put32(f, 20, size1);
  FillYuyv(f.data() + 28, size0, y, u, v);
  FillYuyv(f.data() + 28 + size0, size1, y, u, v);
  return f;
}

std::vector<BYTE> VlmdPicture(int width, int height, BYTE y, BYTE u, BYTE v) {
  const uint32_t field = static_cast<uint32_t>(width) * 2 * static_cast<uint32_t>(height / 2);
  return VlmdFrame(field, field, y, u, v);
}

std::vector<BYTE> Vlm1Frame(const std::vector<Vlm1Chunk>& chunks) {
  std::vector<BYTE> f = {'V', 'L', 'M', '1'};
  for (const Vlm1Chunk& c : chunks) {
    const std::size_t at = f.size();
    f.resize(at + 8);
    Put32(f, at, (c.field << 31) | c.kind);
    Put32(f, at + 4, static_cast<uint32_t>(c.payload.size()));
    f.insert(f.end(), c.payload.begin(), c.payload.end());
  }
  return f;
}

std::vector<BYTE> AudioChunkBytes(int k, int32_t size) {
  std::vector<BYTE> bytes(static_cast<std::size_t>(size));
  for (int32_t i = 0; i + 3 < size; i += 4) {
    const int16_t left = static_cast<int16_t>(k * 1000 + i / 4);
    const int16_t right = static_cast<int16_t>(-left);
    bytes[i] = static_cast<BYTE>(left);
    bytes[i + 1] = static_cast<BYTE>(static_cast<uint16_t>(left) >> 8);
    bytes[i + 2] = static_cast<BYTE>(right);
    bytes[i + 3] = static_cast<BYTE>(static_cast<uint16_t>(right) >> 8);
  }
  return bytes;
}

video_test::Format BoardFormat(int width, int height, int bits) {
  video_test::Format f = video_test::MakeFormat(width, height, static_cast<WORD>(bits), mmioFOURCC('V', 'L', 'M', 'D'));
  return f;
}

void WriteBoardAvi(const std::string& path, const BoardAvi& spec) {
  MainAVIHeader main;
  main.dwFlags = spec.audioChunk > 0 ? AVIF_ISINTERLEAVED : 0;
  AviWriter* w = nullptr;
  ASSERT_EQ(AviWriter::Open(&w, path.c_str(), &main), 0);
  AVISTREAMHEADER video;
  video.fccType = streamtypeVIDEO;
  video.fccHandler = mmioFOURCC('V', 'L', 'M', 'D');
  video.dwScale = 1000;
  video.dwRate = 25000;
  video.dwQuality = 10000;
  const video_test::Format format = BoardFormat(spec.width, spec.height, spec.bits);
  int32_t videoStream = 0, audioStream = -1;
  ASSERT_EQ(AviWriter::AddStream(w, &videoStream, &video, format.block.data(), format.Size()), 0);
  if (spec.audioChunk > 0) {
    BYTE wave[18] = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0, 4, 0, 16, 0, 0, 0};
    AVISTREAMHEADER audio;
    audio.fccType = streamtypeAUDIO;
    ASSERT_EQ(AviWriter::AddStream(w, &audioStream, &audio, wave, sizeof wave), 0);
  }
  for (std::size_t i = 0; i < spec.frames.size(); ++i) {
    const std::vector<BYTE>& f = spec.frames[i];
    ASSERT_EQ(AviWriter::WriteChunk(w, videoStream, f.data(), static_cast<int32_t>(f.size()), aviTWOCC('d', 'c'),
                                    AVIIF_KEYFRAME),
              0);
    if (spec.audioChunk > 0) {
      const std::vector<BYTE> sound = AudioChunkBytes(static_cast<int>(i), spec.audioChunk);
      ASSERT_EQ(AviWriter::WriteChunk(w, audioStream, sound.data(), spec.audioChunk, aviTWOCC('w', 'b'),
                                      AVIIF_KEYFRAME),
                0);
    }
  }
  ASSERT_EQ(AviWriter::Close(w), 0);
}

}  // namespace boardtest
