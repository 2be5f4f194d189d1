#include "platform/board/board.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/board/board_resources.h"
#include "platform/core/sync.h"
#include "platform/core/time.h"

namespace vlmsim {
namespace {

constexpr int kKeyMemory = 262144;
constexpr std::size_t kLogLimit = 65536;
constexpr int kFieldMs = 20;

uint8_t Clip(int v) {
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Studio-level YUV to 0x00RRGGBB.
uint32_t Rgb(int y, int u, int v) {
  const int c = 298 * (y - 16);
  const int d = u - 128;
  const int e = v - 128;
  const uint8_t r = Clip((c + 409 * e + 128) >> 8);
  const uint8_t g = Clip((c - 100 * d - 208 * e + 128) >> 8);
  const uint8_t b = Clip((c + 516 * d + 128) >> 8);
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
}

}  // namespace

Board& Board::Get() {
  static Board board;
  return board;
}

Board::Board() : keyMemory_(kKeyMemory, 0) {
  wake_ = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  for (Gpi& g : gpi_) g.event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  playout_ = std::thread([this] { PlayoutLoop(); });
}

Board::~Board() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    quit_ = true;
    running_ = false;
  }
  SetEvent(wake_);
  if (playout_.joinable()) playout_.join();
  CloseHandle(wake_);
  for (Gpi& g : gpi_) CloseHandle(g.event);
  std::free(fifo_);
  // A process that lets the board go holds none of it.
  GiveAllResources(getpid());
}

// --- Resources -------------------------------------------------------------------

int Board::Register(int n) {
  {
    std::lock_guard<std::mutex> hold(monitorLock_);
    if (!monitorOwned_) {
      monitorOwned_ = true;
      monitorOwner_ = std::this_thread::get_id();
    }
  }
  return TakeResource(n, getpid()) ? 1 : 0;
}

int Board::IsRegistered(int n) {
  return HoldsResource(n, getpid()) ? 1 : 0;
}

int Board::Unregister(int n) {
  GiveResource(n, getpid());
  return 1;
}

int Board::UnregisterAll() {
  GiveAllResources(getpid());
  {
    std::lock_guard<std::mutex> hold(monitorLock_);
    monitorWanted_ = false;
  }
  return 1;
}

// --- Output, input window, key memory and mixer ----------------------------------

int Board::GetEnabledWindow() {
  std::lock_guard<std::mutex> hold(lock_);
  return enabledWindow_;
}

int Board::SetEnabledWindow(int mask, int on) {
  std::lock_guard<std::mutex> hold(lock_);
  mask &= 6;
  enabledWindow_ = on != 0 ? (enabledWindow_ | mask) : (enabledWindow_ & ~mask);
  return 1;
}

int Board::SetInputScale(int x, int y, int width, int height) {
  std::lock_guard<std::mutex> hold(lock_);
  if (width <= 0 || height <= 0) return 0;
  inX_ = x;
  inY_ = y;
  inWidth_ = width;
  inHeight_ = height;
  return 1;
}

int Board::GetInputScale(int* x, int* y, int* width, int* height) {
  std::lock_guard<std::mutex> hold(lock_);
  if (x != nullptr) *x = inX_;
  if (y != nullptr) *y = inY_;
  if (width != nullptr) *width = inWidth_;
  if (height != nullptr) *height = inHeight_;
  return 1;
}

int Board::GetOutputScale(int* x, int* y, int* width, int* height) {
  std::lock_guard<std::mutex> hold(lock_);
  if (x != nullptr) *x = 0;
  if (y != nullptr) *y = 0;
  if (width != nullptr) *width = outWidth_;
  if (height != nullptr) *height = outHeight_;
  return 1;
}

int Board::PutAlpha(const void* buffer, int count) {
  if (buffer == nullptr || count < 0) return 0;
  std::lock_guard<std::mutex> hold(lock_);
  std::memcpy(keyMemory_.data(), buffer, static_cast<std::size_t>(std::min(count, kKeyMemory)));
  return 1;
}

int Board::GetAlpha(void* buffer, int count) {
  if (buffer == nullptr || count < 0) return 0;
  std::lock_guard<std::mutex> hold(lock_);
  std::memcpy(buffer, keyMemory_.data(), static_cast<std::size_t>(std::min(count, kKeyMemory)));
  return 1;
}

int Board::SetMixerAlpha(int level) {
  std::lock_guard<std::mutex> hold(lock_);
  mixerAlpha_ = level;
  return 1;
}

int Board::SetBlender(int mode) {
  std::lock_guard<std::mutex> hold(lock_);
  blender_ = mode;
  return 1;
}

// --- The fifo ---------------------------------------------------------------------

void* Board::AllocFifo(int* size) {
  if (size == nullptr) return nullptr;
  std::lock_guard<std::mutex> hold(lock_);
  const int wanted = *size / 512 * 512;
  if (wanted <= 0 || *size > fifoLimit_) return nullptr;
  // Aligned for unbuffered reads straight into it.
  void* block = std::aligned_alloc(4096, (static_cast<std::size_t>(wanted) + 4095) / 4096 * 4096);
  if (block == nullptr) return nullptr;
  running_ = false;
  std::free(fifo_);
  fifo_ = static_cast<uint8_t*>(block);
  fifoSize_ = wanted;
  written_ = 0;
  consumed_ = 0;
  groups_.clear();
  stillLatched_ = false;
  *size = wanted;
  return fifo_;
}

int Board::ReleaseFifo() {
  std::lock_guard<std::mutex> hold(lock_);
  running_ = false;
  groups_.clear();
  std::free(fifo_);
  fifo_ = nullptr;
  fifoSize_ = 0;
  written_ = 0;
  consumed_ = 0;
  stillLatched_ = false;
  return 1;
}

int Board::SetFormat(int width, int height, int rate, int scale) {
  std::lock_guard<std::mutex> hold(lock_);
  if (width <= 0 || height <= 0 || width > outWidth_ || height > outHeight_ || rate <= 0 || scale <= 0) return 0;
  running_ = false;
  width_ = width;
  height_ = height;
  rate_ = rate;
  scale_ = scale;
  picture_.assign(static_cast<std::size_t>(width) * height, 0);
  return 1;
}

int Board::GetState() {
  std::lock_guard<std::mutex> hold(lock_);
  return running_ ? 1 : 0;
}

int Board::CheckFreeSize(int count) {
  std::lock_guard<std::mutex> hold(lock_);
  if (fifo_ == nullptr || count < 0) return -1;
  const int64_t free = fifoSize_ - (written_ - consumed_);
  if (count > free) return -1;
  return static_cast<int>(written_ % fifoSize_);
}

int Board::AddData(int id, int field, int kind, int count) {
  std::lock_guard<std::mutex> hold(lock_);
  if (fifo_ == nullptr || count < 0) return 0;
  if (log_.size() == kLogLimit) log_.pop_front();
  log_.push_back({id, field, kind, count, static_cast<int32_t>(written_ % fifoSize_)});
  if (groups_.empty() || groups_.back().complete) groups_.emplace_back();
  Group& g = groups_.back();
  g.pieces.push_back({field, kind, count, written_});
  g.bytes += count;
  written_ += count;
  if (kind != 4) return 1;
  g.id = id;
  g.complete = true;
  if (drain_) {
    while (!groups_.empty() && groups_.front().complete) {
      consumed_ += groups_.front().bytes;
      lastShown_ = groups_.front().id;
      counter_ = groups_.front().id;
      groups_.pop_front();
    }
  } else if (!running_) {
    LatchStill();
  }
  return 1;
}

void Board::LatchStill() {
  if (stillLatched_ || groups_.empty() || !groups_.front().complete) return;
  const int expected = primed_ ? counter_ + 1 : counter_;
  if (groups_.front().id > expected) return;
  ShowGroup(groups_.front());
  stillLatched_ = true;
}

void Board::DropQueue() {
  groups_.clear();
  consumed_ = written_;
  stillLatched_ = false;
  late_ = 0;
}

int Board::Run() {
  std::lock_guard<std::mutex> hold(lock_);
  StartOutput();
  return 1;
}

void Board::StartOutput() {
  if (running_ || fifo_ == nullptr) return;
  running_ = true;
  stillLatched_ = false;
  runStart_ = timeGetTime();
  nextTick_ = 0;
  SetEvent(wake_);
}

int Board::Pause() {
  std::lock_guard<std::mutex> hold(lock_);
  running_ = false;
  return 1;
}

int Board::Stop() {
  std::lock_guard<std::mutex> hold(lock_);
  running_ = false;
  DropQueue();
  return 1;
}

int Board::ResetCounter(int first) {
  std::lock_guard<std::mutex> hold(lock_);
  counter_ = first;
  primed_ = false;
  lastShown_ = first - 1;
  late_ = 0;
  return 1;
}

int Board::FrameNumber() {
  std::lock_guard<std::mutex> hold(lock_);
  return counter_;
}

int Board::LastFrameNumber() {
  std::lock_guard<std::mutex> hold(lock_);
  return lastShown_;
}

int Board::Time() {
  return static_cast<int>(timeGetTime());
}

int Board::Flush() {
  std::lock_guard<std::mutex> hold(lock_);
  DropQueue();
  return 1;
}

int Board::FlushTail() {
  std::lock_guard<std::mutex> hold(lock_);
  if (stillLatched_ && !groups_.empty()) {
    // The still on the output stays; what came after it goes.
    groups_.resize(1);
    written_ = consumed_ + groups_.front().bytes;
    late_ = 0;
  } else {
    // Nothing was shown of what is queued: all of it goes, and the space
    // it took is free again.
    groups_.clear();
    written_ = consumed_;
    late_ = 0;
  }
  return 1;
}

int Board::ClearTimeouts() {
  std::lock_guard<std::mutex> hold(lock_);
  timeouts_ = 0;
  return 1;
}

int Board::Timeouts() {
  std::lock_guard<std::mutex> hold(lock_);
  return timeouts_;
}

// --- Playout ----------------------------------------------------------------------

DWORD Board::TickTime(int64_t tick) const {
  return runStart_ + static_cast<DWORD>(tick * 1000 * scale_ / rate_);
}

void Board::PlayoutLoop() {
  std::unique_lock<std::mutex> hold(lock_);
  while (!quit_) {
    DWORD wait = INFINITE;
    const uint64_t asked = advances_;
    const DWORD now = timeGetTime();
    while (running_ && static_cast<int32_t>(now - TickTime(nextTick_)) >= 0) {
      Tick();
      ++nextTick_;
    }
    if (running_) wait = TickTime(nextTick_) - now;
    served_ = asked;
    caughtUp_.notify_all();
    hold.unlock();
    WaitForSingleObject(wake_, wait);
    hold.lock();
  }
}

void Board::Tick() {
  if (groups_.empty() || !groups_.front().complete) {
    ++late_;  // nothing to show: what comes next is late by this tick
    return;
  }
  const Group& head = groups_.front();
  const int expected = primed_ ? counter_ + 1 : counter_;
  counter_ = expected;
  primed_ = true;
  if (head.id > expected) return;  // its time has not come: the picture holds
  timeouts_ += late_;
  late_ = 0;
  ShowGroup(head);
  consumed_ += head.bytes;
  lastShown_ = head.id;
  groups_.pop_front();
}

void Board::ShowGroup(const Group& group) {
  if (width_ <= 0 || height_ <= 0 || fifo_ == nullptr) return;
  const int64_t limit = written_;
  bool video = false;
  alphaValid_[0] = alphaValid_[1] = false;
  const std::size_t line = static_cast<std::size_t>(width_) * 2;
  const int fieldLines = height_ / 2 + (height_ % 2);
  for (const Piece& p : group.pieces) {
    if (p.at + p.count > limit) continue;  // dropped since
    const int f = p.field != 0 ? 1 : 0;
    if (p.kind == 1) {
      if (!video) std::fill(picture_.begin(), picture_.end(), 0u);
      video = true;
      for (int l = 0; l < fieldLines; ++l) {
        const int row = 2 * l + f;
        if (row >= height_) break;
        const int64_t start = p.at + static_cast<int64_t>(l) * static_cast<int64_t>(line);
        if (start >= p.at + p.count) break;
        uint32_t* out = picture_.data() + static_cast<std::size_t>(row) * width_;
        for (int x = 0; x < width_; x += 2) {
          const int64_t q = start + static_cast<int64_t>(x) * 2;
          if (q + 4 > p.at + p.count) break;
          const int y0 = RingByte(q), u = RingByte(q + 1), y1 = RingByte(q + 2), v = RingByte(q + 3);
          out[x] = Rgb(y0, u, v);
          if (x + 1 < width_) out[x + 1] = Rgb(y1, u, v);
        }
      }
    } else if (p.kind == 2) {
      std::vector<uint8_t>& a = alpha_[f];
      a.assign(static_cast<std::size_t>(width_) * fieldLines, 0);
      const int64_t n = std::min<int64_t>(p.count, static_cast<int64_t>(a.size()));
      for (int64_t i = 0; i < n; ++i) a[static_cast<std::size_t>(i)] = RingByte(p.at + i);
      alphaValid_[f] = true;
    }
  }
  if (video && blender_ == 2) {
    for (int f = 0; f < 2; ++f) {
      if (!alphaValid_[f]) continue;
      for (int row = f, l = 0; row < height_; row += 2, ++l) {
        uint32_t* px = picture_.data() + static_cast<std::size_t>(row) * width_;
        const uint8_t* key = alpha_[f].data() + static_cast<std::size_t>(l) * width_;
        for (int x = 0; x < width_; ++x) {
          const uint32_t c = px[x], k = key[x];
          px[x] = ((((c >> 16) & 0xFF) * k / 255) << 16) | ((((c >> 8) & 0xFF) * k / 255) << 8) | ((c & 0xFF) * k / 255);
        }
      }
    }
  }
  if (video) ++pictureSerial_;
}

// --- GPI ----------------------------------------------------------------------------

int Board::SeizeGPI(int line) {
  if (line < 0 || line > 3) return 0;
  std::lock_guard<std::mutex> hold(lock_);
  if (gpi_[line].seized) return 0;
  gpi_[line].seized = true;
  return 1;
}

int Board::FreeGPI(int line) {
  if (line < 0 || line > 3) return 0;
  std::lock_guard<std::mutex> hold(lock_);
  gpi_[line].seized = false;
  return 1;
}

int Board::GetGPIInfo(int line, char* name, int size, int* closed, int* input) {
  if (line < 0 || line > 3) return 0;
  std::lock_guard<std::mutex> hold(lock_);
  if (name != nullptr && size > 0) std::snprintf(name, static_cast<std::size_t>(size), "GPI %d", line + 1);
  if (closed != nullptr) *closed = gpi_[line].closedByDefault ? 1 : 0;
  if (input != nullptr) *input = gpi_[line].input ? 1 : 0;
  return 1;
}

int Board::SetGPIInfo(int line, int closed, int input) {
  if (line < 0 || line > 3) return 0;
  std::lock_guard<std::mutex> hold(lock_);
  gpi_[line].closedByDefault = closed != 0;
  gpi_[line].input = input != 0;
  return 1;
}

int Board::RunAfterWaitGPI(int line, int fields) {
  if (line < 0 || line > 3) return 0;
  Gpi& g = gpi_[line];
  const int64_t ms = static_cast<int64_t>(std::max(fields, 0)) * kFieldMs;
  const DWORD timeout = static_cast<DWORD>(std::min<int64_t>(ms, INFINITE - 1));
  DWORD began;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (g.waiting) return 0;
    g.waiting = true;
    // The time-out counts from here, however often the wait wakes.
    began = timeGetTime();
    // A line raised before the wait began is taken at once.
    if (g.outcome != 1) g.outcome = 0;
  }
  for (;;) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (g.outcome != 0) break;
    }
    const DWORD passed = timeGetTime() - began;
    if (passed >= timeout) break;
    WaitForSingleObject(g.event, timeout - passed);
  }
  std::lock_guard<std::mutex> hold(lock_);
  const bool start = g.outcome == 1;
  g.outcome = 0;
  g.waiting = false;
  if (start) StartOutput();
  return start ? 1 : 0;
}

int Board::CancelWaitGPI(int line, int run) {
  if (line < 0 || line > 3) return 0;
  std::lock_guard<std::mutex> hold(lock_);
  if (!gpi_[line].waiting) return 0;
  gpi_[line].outcome = run != 0 ? 1 : 2;
  SetEvent(gpi_[line].event);
  return 1;
}

bool Board::GPIWaiting(int line) {
  if (line < 0 || line > 3) return false;
  std::lock_guard<std::mutex> hold(lock_);
  return gpi_[line].waiting;
}

void Board::RaiseGPI(int line) {
  if (line < 0 || line > 3) return;
  std::lock_guard<std::mutex> hold(lock_);
  gpi_[line].outcome = 1;
  SetEvent(gpi_[line].event);
}

// --- Control --------------------------------------------------------------------------

int Board::Version() {
  std::lock_guard<std::mutex> hold(lock_);
  return version_;
}

void Board::SetOutputSize(int width, int height) {
  std::lock_guard<std::mutex> hold(lock_);
  if (width <= 0 || height <= 0) return;
  outWidth_ = width;
  outHeight_ = height;
  inX_ = inY_ = 0;
  inWidth_ = width;
  inHeight_ = height;
}

void Board::SetFifoLimit(int bytes) {
  std::lock_guard<std::mutex> hold(lock_);
  fifoLimit_ = bytes;
}

void Board::SetVersion(int version) {
  std::lock_guard<std::mutex> hold(lock_);
  version_ = version;
}

void Board::SetClockDriven(bool driven) {
  ::SetClockDriven(driven);
  SetEvent(wake_);
}

void Board::AdvanceClock(int milliseconds) {
  if (milliseconds < 0) return;
  ::AdvanceClock(static_cast<DWORD>(milliseconds));
  // The playout's next pass, which reads the clock after this, has done
  // what fell due.
  std::unique_lock<std::mutex> hold(lock_);
  const uint64_t asked = ++advances_;
  SetEvent(wake_);
  caughtUp_.wait_for(hold, std::chrono::seconds(10), [&] { return quit_ || served_ >= asked; });
}

void Board::SetDrain(bool drain) {
  std::lock_guard<std::mutex> hold(lock_);
  drain_ = drain;
}

int Board::GetAddDataLog(VlmSimAnnouncement* records, int max) {
  std::lock_guard<std::mutex> hold(lock_);
  const int n = static_cast<int>(log_.size());
  for (int i = 0; i < n && i < max && records != nullptr; ++i) records[i] = log_[static_cast<std::size_t>(i)];
  return n;
}

void Board::ClearAddDataLog() {
  std::lock_guard<std::mutex> hold(lock_);
  log_.clear();
}

int Board::GetLastPicture(uint32_t* pixels, int max, int* width, int* height) {
  std::lock_guard<std::mutex> hold(lock_);
  if (width != nullptr) *width = width_;
  if (height != nullptr) *height = height_;
  if (pictureSerial_ == 0 || picture_.empty()) return 0;
  const int n = static_cast<int>(picture_.size());
  if (pixels != nullptr) std::copy_n(picture_.begin(), std::min(n, std::max(max, 0)), pixels);
  return n;
}

int Board::CaptureMonitor(uint32_t* pixels, int max, int* width, int* height) {
  RefreshMonitor();
  std::lock_guard<std::mutex> hold(monitorLock_);
  if (!monitorOwned_ || std::this_thread::get_id() != monitorOwner_) return 0;
  std::vector<uint32_t> shown;
  int w = 0, h = 0;
  if (!monitor_.Capture(&shown, &w, &h)) return 0;
  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
  const int n = static_cast<int>(shown.size());
  if (pixels != nullptr) std::copy_n(shown.begin(), std::min(n, std::max(max, 0)), pixels);
  return n;
}

void Board::RefreshMonitor() {
  std::lock_guard<std::mutex> hold(monitorLock_);
  if (!monitorOwned_ || std::this_thread::get_id() != monitorOwner_) return;
  std::vector<uint32_t> picture;
  int w = 0, h = 0;
  {
    std::lock_guard<std::mutex> board(lock_);
    if (pictureSerial_ == monitorSerial_ && monitorWanted_) return;
    if (!monitorWanted_) {
      monitorWanted_ = true;
      monitorSerial_ = pictureSerial_;
      monitor_.Hide();
      return;
    }
    monitorSerial_ = pictureSerial_;
    picture = picture_;
    w = width_;
    h = height_;
  }
  monitor_.Show(picture, w, h);
}

}  // namespace vlmsim
