// The serial port and the two decks' protocols.
#include <cstring>
#include <string>

#include "model/message_box.h"
#include "platform/core/errors.h"
#include "platform/core/time.h"
#include "platform/gui/gui.h"
#include "platform/serial/serial.h"
#include "video/vtr.h"

namespace {

constexpr int kAttempts = 4;
constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;

uint8_t Bcd(int value) {
  if (value < 0) value = -value;
  value %= 100;
  return static_cast<uint8_t>((value / 10) << 4 | value % 10);
}

int8_t FromBcd(uint8_t b) { return static_cast<int8_t>((b >> 4) * 10 + (b & 0x0F)); }

// After the last attempt: one box owned by the active window, and the port
// closes so that later commands do nothing.
void GiveUp(COMPort& port) {
  ShowMessageText(GetActiveWindow(), port.name != nullptr ? port.name : "", MB_ICONEXCLAMATION,
                  "VTR connection error");
  port.Close();
}

}  // namespace

int CompareTimeCodes(const VtrTimeCode& a, const VtrTimeCode& b) {
  if (a.hours != b.hours) return a.hours < b.hours ? -1 : 1;
  if (a.minutes != b.minutes) return a.minutes < b.minutes ? -1 : 1;
  if (a.seconds != b.seconds) return a.seconds < b.seconds ? -1 : 1;
  if (a.frames != b.frames) return a.frames < b.frames ? -1 : 1;
  return 0;
}

// --- The port ------------------------------------------------------------------------

bool COMPort::OpenPort(const char* portName, int32_t baud, int32_t bits, int32_t parity, int32_t stopBits) {
  if (!Open(portName, kTAFileReadWrite | kTAFileNoSize, "open for read|write")) return false;
  DCB dcb;
  if (!GetCommState(handle, &dcb)) return ShowError("get state");
  dcb.BaudRate = static_cast<DWORD>(baud);
  dcb.ByteSize = static_cast<BYTE>(bits);
  dcb.fParity = 1;
  dcb.Parity = static_cast<BYTE>(parity);
  dcb.StopBits = static_cast<BYTE>(stopBits);
  if (baud <= 0 || bits < 5 || bits > 8 || parity < 0 || parity > 4 || stopBits < 0 || stopBits > 2 ||
      !SetCommState(handle, &dcb))
    return ShowError("set state");
  COMMTIMEOUTS timeouts;
  timeouts.ReadIntervalTimeout = 0;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 500;
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant = 500;
  if (!SetCommTimeouts(handle, &timeouts)) return ShowError("set timeouts");
  return true;
}

bool COMPort::PurgeInput() {
  if (!open) return false;
  if (!PurgeComm(handle, PURGE_RXCLEAR | PURGE_RXABORT)) return ShowError("purge input buffer");
  return true;
}

bool COMPort::Send(const void* bytes, DWORD count) {
  if (!open) return false;
  transferBuffer = const_cast<void*>(bytes);
  transferCount = count;
  const bool ok = DoWrite() && transferCount == count;
  if (!ok) error = true;
  return ok;
}

DWORD COMPort::Receive(void* bytes, DWORD count) {
  if (!open) return 0;
  transferBuffer = bytes;
  transferCount = count;
  if (!DoRead()) {
    error = true;
    return 0;
  }
  if (transferCount < count) error = true;
  return transferCount;
}

bool COMPort::DoOpen() {
  HANDLE h = OpenCommPort(name);
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return false;
  handle = h;
  return true;
}

bool COMPort::DoRead() {
  DWORD moved = 0;
  const bool ok = ReadComm(handle, transferBuffer, transferCount, &moved) != 0;
  transferCount = moved;
  return ok;
}

bool COMPort::DoWrite() {
  DWORD moved = 0;
  const bool ok = WriteComm(handle, transferBuffer, transferCount, &moved) != 0;
  transferCount = moved;
  return ok;
}

const char* COMPort::ClassName() { return "VTR connection"; }

// --- Sony 9-pin ----------------------------------------------------------------------

Betacam::~Betacam() {
  Stop();
  port.Close();
}

bool Betacam::Command(uint8_t cmd1, uint8_t cmd2, const uint8_t* data) {
  const int count = cmd1 & 0x0F;
  packet[0] = cmd1;
  packet[1] = cmd2;
  for (int i = 0; i < count; ++i) packet[2 + i] = data != nullptr ? data[i] : 0;
  uint8_t sum = 0;
  for (int i = 0; i < 2 + count; ++i) sum = static_cast<uint8_t>(sum + packet[i]);
  packet[2 + count] = sum;
  const bool timeRequest = cmd1 == 0x61 && cmd2 == 0x0C;
  const DWORD replySize = timeRequest ? 7 : 3;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (!port.open) return false;
    if (!port.PurgeInput()) return false;
    port.error = false;
    if (!port.Send(packet, static_cast<DWORD>(3 + count))) continue;
    uint8_t reply[7] = {};
    const DWORD got = port.Receive(reply, replySize);
    if (!port.open) return false;
    if (got != replySize) continue;
    if (timeRequest) {
      uint8_t check = 0;
      for (int i = 0; i < 6; ++i) check = static_cast<uint8_t>(check + reply[i]);
      if (reply[0] != 0x74 || reply[6] != check) continue;
      last.frames = FromBcd(reply[2]);
      last.seconds = FromBcd(reply[3]);
      last.minutes = FromBcd(reply[4]);
      last.hours = FromBcd(reply[5]);
      return true;
    }
    if (reply[0] == 0x10 && reply[1] == 0x01 && reply[2] == 0x11) return true;
  }
  if (port.open) GiveUp(port);
  return false;
}

VtrTimeCode Betacam::ReadTime(uint8_t which) {
  last = {};
  Command(0x61, 0x0C, &which);
  return last;
}

VtrTimeCode Betacam::GetTimeCode() { return ReadTime(timecodeType != 0 ? 1 : 4); }
VtrTimeCode Betacam::GetTimeCodeLTC() { return ReadTime(1); }

void Betacam::Shuttle(int32_t speed) {
  static constexpr uint8_t kSpeeds[] = {0, 16, 42, 64, 74, 99};
  if (speed < -5 || speed > 5) speed = 0;
  const uint8_t data = kSpeeds[speed < 0 ? -speed : speed];
  Command(0x21, speed < 0 ? 0x21 : 0x11, &data);
}

void Betacam::CueTo(const VtrTimeCode& to) {
  const uint8_t data[4] = {Bcd(to.frames), Bcd(to.seconds), Bcd(to.minutes), Bcd(to.hours)};
  Command(0x24, 0x31, data);
}

void Betacam::Rewind() { Command(0x20, 0x20); }
void Betacam::FastWind() { Command(0x20, 0x10); }
void Betacam::Play() { Command(0x20, 0x01); }
void Betacam::Stop() { Command(0x20, 0x00); }

void Betacam::Step(int32_t speed) {
  const VtrTimeCode from = GetTimeCode();
  Shuttle(speed);
  const DWORD start = GetTickCount();
  while (IsOpen() && GetTickCount() - start < 1000) {
    if (!(GetTimeCode() == from)) break;
    Sleep(10);
  }
  Shuttle(0);
}

void Betacam::StepAhead() { Step(2); }
void Betacam::StepBack() { Step(-2); }
void Betacam::SetIn(const VtrTimeCode&) { Command(0x00, 0x00); }
void Betacam::SetOut(const VtrTimeCode&) { Command(0x00, 0x00); }
// The empty command would leave the tape standing, and the link could
// never lock to a deck that does not run: the deck plays.
void Betacam::Start() { Play(); }

// --- AG 5700 -------------------------------------------------------------------------

AG5700::~AG5700() { port.Close(); }

bool AG5700::Command(const char* command, const char* argument) {
  std::string packet(1, static_cast<char>(kStx));
  packet += command;
  if (argument != nullptr) packet += argument;
  packet += static_cast<char>(kEtx);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (!port.open) return false;
    if (!port.PurgeInput()) return false;
    port.error = false;
    if (!port.Send(packet.data(), static_cast<DWORD>(packet.size()))) continue;
    char echo[5] = {};
    const DWORD got = port.Receive(echo, 5);
    if (!port.open) return false;
    if (got == 5 && packet.size() >= 5 && std::memcmp(echo, packet.data(), 5) == 0) return true;
  }
  if (port.open) GiveUp(port);
  return false;
}

VtrTimeCode AG5700::GetTimeCode() {
  static constexpr uint8_t kAsk[5] = {kStx, 'Q', 'C', 'D', kEtx};
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (!port.open) return {};
    if (!port.PurgeInput()) return {};
    port.error = false;
    if (!port.Send(kAsk, sizeof kAsk)) continue;
    uint8_t r[14] = {};
    const DWORD got = port.Receive(r, sizeof r);
    if (!port.open) return {};
    if (got != sizeof r || r[0] != kStx || r[1] != 'C' || r[2] != 'D' || r[13] != kEtx) continue;
    const auto digit = [&](int i) { return r[i] >= '0' && r[i] <= '9' ? r[i] - '0' : -1; };
    bool digits = true;
    for (int i = 6; i <= 12; ++i) digits = digits && digit(i) >= 0;
    if (!digits) continue;
    VtrTimeCode code;
    code.hours = static_cast<int8_t>(r[5] == '-' ? -digit(6) : digit(6));
    code.minutes = static_cast<int8_t>(digit(7) * 10 + digit(8));
    code.seconds = static_cast<int8_t>(digit(9) * 10 + digit(10));
    code.frames = static_cast<int8_t>(digit(11) * 10 + digit(12));
    return code;
  }
  if (port.open) GiveUp(port);
  return {};
}

void AG5700::Shuttle(int32_t speed) {
  if (speed >= 1 && speed <= 5) {
    const char argument[2] = {static_cast<char>('0' + speed), '\0'};
    Command("OSF:", argument);
  } else if (speed <= -1 && speed >= -5) {
    const char argument[2] = {static_cast<char>('0' - speed), '\0'};
    Command("OSR:", argument);
  } else {
    Command("OSL");
  }
}

void AG5700::CueTo(const VtrTimeCode& to) {
  Command("SMC");
  const int hours = to.hours < 0 ? -to.hours : to.hours;
  char argument[9];
  argument[0] = to.hours < 0 ? '-' : ' ';
  argument[1] = static_cast<char>('0' + hours % 10);
  const auto two = [&](int at, int value) {
    if (value < 0) value = -value;
    argument[at] = static_cast<char>('0' + value / 10 % 10);
    argument[at + 1] = static_cast<char>('0' + value % 10);
  };
  two(2, to.minutes);
  two(4, to.seconds);
  two(6, to.frames);
  argument[8] = '\0';
  Command("SCS:", argument);
}

void AG5700::Rewind() { Command("ORW"); }
void AG5700::FastWind() { Command("OFF"); }
void AG5700::Play() { Command("OPL"); }
void AG5700::Stop() { Command("OSP"); }
void AG5700::StepAhead() {
  Command("OSP");
  Command("OAF");
}
void AG5700::StepBack() {
  Command("OSP");
  Command("OAR");
}
void AG5700::SetIn(const VtrTimeCode&) { Command("OSP"); }
void AG5700::SetOut(const VtrTimeCode&) { Command("OSP"); }
void AG5700::Start() { Command("OPL"); }

// --- The link ------------------------------------------------------------------------

bool TAVcr::Open(int32_t type, const char* portName, int32_t baud, int32_t bits, int32_t parity, int32_t stopBits,
                 int32_t timecodeType) {
  deck.reset();
  if (type == 1) {
    deck = std::make_unique<AG5700>();
  } else if (type == 2) {
    deck = std::make_unique<Betacam>(timecodeType);
  } else {
    return false;
  }
  if (deck->port.OpenPort(portName, baud, bits, parity, stopBits)) {
    deck->Stop();
    if (auto* betacam = dynamic_cast<Betacam*>(deck.get())) {
      const uint8_t counter = timecodeType == 0 ? 1 : 0;
      betacam->Command(0x41, 0x36, &counter);
    }
  }
  if (!deck->IsOpen()) {
    deck.reset();
    return false;
  }
  return true;
}
