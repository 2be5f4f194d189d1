// A tape deck on a pseudo-terminal, for the tests of the serial port and the
// tape link: a thread answers the Sony 9-pin packets of a Betacam deck or the
// STX ... ETX texts of an AG 5700, keeps every command it was sent, and moves
// its time code (25 frames a second) on the program's clock while it plays
// or shuttles. It can stay silent, spoil its checksums or cut its replies.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/time.h"

class SimulatedDeck {
 public:
  enum class Kind { Betacam, AG5700 };
  enum class Behaviour { Answer, Silent, BadChecksum, ShortReply };

  explicit SimulatedDeck(Kind kind) : kind_(kind) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    char name[128] = {};
    if (ptsname_r(master_, name, sizeof name) != 0) return;
    path_ = name;
    // The deck keeps the line's far end open, raw from the start, so that
    // nothing it sends is ever edited or echoed and the line never hangs up.
    slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    if (slave_ >= 0 && tcgetattr(slave_, &t) == 0) {
      cfmakeraw(&t);
      tcsetattr(slave_, TCSANOW, &t);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    last_ = GetTickCount();
    thread_ = std::thread([this] { Run(); });
  }
  ~SimulatedDeck() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
  }
  SimulatedDeck(const SimulatedDeck&) = delete;
  SimulatedDeck& operator=(const SimulatedDeck&) = delete;

  bool ok() const { return thread_.joinable(); }
  const std::string& path() const { return path_; }

  void SetBehaviour(Behaviour b) { behaviour_ = b; }
  // How fast the tape runs when told to play (1: as it should).
  void SetPlaySpeed(double speed) { playSpeed_ = speed; }
  void SetPosition(int64_t ms) {
    std::lock_guard<std::mutex> hold(lock_);
    Update();
    position_ = static_cast<double>(ms);
    rate_ = 0;
  }
  int64_t Position() {
    std::lock_guard<std::mutex> hold(lock_);
    Update();
    return static_cast<int64_t>(std::floor(position_));
  }
  double Rate() {
    std::lock_guard<std::mutex> hold(lock_);
    return rate_;
  }
  // What the deck was sent: 9-pin packets as bytes, AG 5700 texts without
  // their STX and ETX.
  std::vector<std::vector<uint8_t>> Packets() {
    std::lock_guard<std::mutex> hold(lock_);
    return packets_;
  }
  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> hold(lock_);
    return texts_;
  }
  void ClearLog() {
    std::lock_guard<std::mutex> hold(lock_);
    packets_.clear();
    texts_.clear();
  }
  // Nothing sent to the deck waits to be read or answered: a test that
  // drives the clock lets time pass only then, so that a time-out never
  // depends on how soon the deck's thread runs.
  bool Idle() {
    pollfd p{master_, POLLIN, 0};
    return !busy_ && poll(&p, 1, 0) == 0;
  }
  // Bytes put on the line as if the deck had sent them.
  void Inject(const std::vector<uint8_t>& bytes) {
    const ssize_t ignored = write(master_, bytes.data(), bytes.size());
    (void)ignored;
  }
  // How many messages came in, answered or not.
  int Received() {
    std::lock_guard<std::mutex> hold(lock_);
    return received_;
  }

 private:
  void Run() {
    std::vector<uint8_t> in;
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 5) <= 0) continue;
      busy_ = true;
      uint8_t chunk[256];
      const ssize_t n = read(master_, chunk, sizeof chunk);
      if (n > 0) in.insert(in.end(), chunk, chunk + n);
      for (;;) {
        const std::size_t used = kind_ == Kind::Betacam ? TakePacket(in) : TakeText(in);
        if (used == 0) break;
        in.erase(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(used));
      }
      busy_ = false;
    }
  }

  // Moves the tape on by the time passed since the last look (under lock_).
  void Update() {
    const DWORD now = GetTickCount();
    // A test switching its driven clock off goes back to the real time.
    const int32_t passed = static_cast<int32_t>(now - last_);
    if (passed > 0) position_ += rate_ * static_cast<double>(passed);
    last_ = now;
  }

  void Send(std::vector<uint8_t> reply) {
    const Behaviour b = behaviour_;
    if (b == Behaviour::Silent) return;
    if (b == Behaviour::BadChecksum) reply.back() = static_cast<uint8_t>(reply.back() + 1);
    if (b == Behaviour::ShortReply) reply.resize(reply.size() / 2);
    const ssize_t ignored = write(master_, reply.data(), reply.size());
    (void)ignored;
  }

  // Time code digits of the current position (under lock_).
  void TimeCode(int& hours, int& minutes, int& seconds, int& frames, bool& negative) {
    Update();
    int64_t ms = static_cast<int64_t>(std::floor(position_));
    negative = ms < 0;
    if (negative) ms = -ms;
    frames = static_cast<int>(ms % 1000 / 40);
    seconds = static_cast<int>(ms / 1000 % 60);
    minutes = static_cast<int>(ms / 60000 % 60);
    hours = static_cast<int>(ms / 3600000);
  }

  static int FromBcd(uint8_t b) { return (b >> 4) * 10 + (b & 0x0F); }
  static uint8_t Bcd(int v) { return static_cast<uint8_t>((v / 10) << 4 | v % 10); }

  void Cue(int64_t ms) {
    position_ = static_cast<double>(ms);
    rate_ = 0;
  }

  std::size_t TakePacket(const std::vector<uint8_t>& in) {
    if (in.size() < 3) return 0;
    const std::size_t size = 3 + (in[0] & 0x0F);
    if (in.size() < size) return 0;
    std::vector<uint8_t> packet(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(size));
    uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < size; ++i) sum = static_cast<uint8_t>(sum + packet[i]);
    std::vector<uint8_t> reply = {0x10, 0x01, 0x11};
    {
      std::lock_guard<std::mutex> hold(lock_);
      ++received_;
      packets_.push_back(packet);
      if (sum != packet.back()) return size;  // a spoilt packet gets no answer
      Update();
      const uint8_t c1 = packet[0], c2 = packet[1];
      if (c1 == 0x20 && c2 == 0x00) rate_ = 0;
      if (c1 == 0x20 && c2 == 0x01) rate_ = playSpeed_;
      if (c1 == 0x20 && c2 == 0x10) rate_ = 10;
      if (c1 == 0x20 && c2 == 0x20) rate_ = -10;
      if (c1 == 0x21 && (c2 == 0x11 || c2 == 0x21)) rate_ = (c2 == 0x21 ? -1 : 1) * packet[2] / 32.0;
      if (c1 == 0x24 && c2 == 0x31) {
        const int64_t ms = FromBcd(packet[5]) * 3600000LL + FromBcd(packet[4]) * 60000LL +
                           FromBcd(packet[3]) * 1000LL + FromBcd(packet[2]) * 40LL;
        Cue(ms);
      }
      if (c1 == 0x61 && c2 == 0x0C) {
        int h, m, s, f;
        bool negative;
        TimeCode(h, m, s, f, negative);
        reply = {0x74, 0x04, Bcd(f), Bcd(s), Bcd(m), Bcd(h % 100), 0};
        uint8_t r = 0;
        for (int i = 0; i < 6; ++i) r = static_cast<uint8_t>(r + reply[static_cast<std::size_t>(i)]);
        reply[6] = r;
      }
    }
    Send(reply);
    return size;
  }

  std::size_t TakeText(const std::vector<uint8_t>& in) {
    std::size_t start = 0;
    while (start < in.size() && in[start] != 0x02) ++start;
    if (start == in.size()) return in.size();
    std::size_t end = start + 1;
    while (end < in.size() && in[end] != 0x03) ++end;
    if (end == in.size()) return start;  // wait for the rest
    const std::string text(in.begin() + static_cast<std::ptrdiff_t>(start + 1),
                           in.begin() + static_cast<std::ptrdiff_t>(end));
    std::vector<uint8_t> packet(in.begin() + static_cast<std::ptrdiff_t>(start),
                                in.begin() + static_cast<std::ptrdiff_t>(end + 1));
    std::vector<uint8_t> reply;
    {
      std::lock_guard<std::mutex> hold(lock_);
      ++received_;
      texts_.push_back(text);
      Update();
      if (text == "QCD") {
        int h, m, s, f;
        bool negative;
        TimeCode(h, m, s, f, negative);
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "\x02" "CD: %c%d%02d%02d%02d\x03", negative ? '-' : ' ', h % 10, m, s,
                      f);
        reply.assign(buffer, buffer + 14);
      } else {
        if (text == "OSP" || text == "OSL") rate_ = 0;
        if (text == "OPL") rate_ = playSpeed_;
        if (text == "ORW") rate_ = -10;
        if (text == "OFF") rate_ = 10;
        if (text.rfind("OSF:", 0) == 0 && text.size() == 5) rate_ = text[4] - '0';
        if (text.rfind("OSR:", 0) == 0 && text.size() == 5) rate_ = -(text[4] - '0');
        if (text.rfind("SCS:", 0) == 0 && text.size() == 12) {
          const auto d = [&](std::size_t i) { return text[i] - '0'; };
          int64_t ms = d(5) * 3600000LL + (d(6) * 10 + d(7)) * 60000LL + (d(8) * 10 + d(9)) * 1000LL +
                       (d(10) * 10 + d(11)) * 40LL;
          if (text[4] == '-') ms = -ms;
          Cue(ms);
        }
        reply.assign(packet.begin(), packet.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(5, packet.size())));
        while (reply.size() < 5) reply.push_back(0);
      }
    }
    if (behaviour_ == Behaviour::BadChecksum && !reply.empty()) reply[1] = static_cast<uint8_t>(reply[1] ^ 0x20);
    if (behaviour_ == Behaviour::BadChecksum) {
      const ssize_t ignored = write(master_, reply.data(), reply.size());
      (void)ignored;
    } else {
      Send(reply);
    }
    return end + 1;
  }

  Kind kind_;
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> busy_{false};
  std::atomic<Behaviour> behaviour_{Behaviour::Answer};
  std::atomic<double> playSpeed_{1.0};
  std::mutex lock_;
  double position_ = 0;
  double rate_ = 0;
  DWORD last_ = 0;
  std::vector<std::vector<uint8_t>> packets_;
  std::vector<std::string> texts_;
  int received_ = 0;
};
