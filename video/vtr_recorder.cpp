// The program's tape link: its settings, the connection, and the cue with
// pre-roll that puts the deck in step with the board.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "model/error_codes.h"
#include "model/ini.h"
#include "platform/core/time.h"
#include "video/velmora_device.h"
#include "video/vtr.h"

namespace {

constexpr const char* kSection = "VTR";

// A deck that never reaches a cue point (or never runs) gives up after this
// long on the program's clock rather than holding the program for ever.
constexpr DWORD kCueLimitMs = 5 * 60 * 1000;

void CopyPort(char* to, const char* from) {
  std::strncpy(to, from != nullptr ? from : "", 31);
  to[31] = '\0';
}

}  // namespace

VTRecorder::~VTRecorder() { Disconnect(); }

void VTRecorder::ReadSettings() {
  IniSetSection(kSection);
  base = IniReadInt("BASE", 0);
  type = IniReadInt("TYPE", 0);
  CopyPort(port, IniReadString("PORT", "COM2"));
  baud = IniReadInt("BAUD", 38400);
  bits = IniReadInt("BITS", 8);
  parity = IniReadInt("PARITY", 1);
  stopBits = IniReadInt("STOP_BITS", 2);
  timecodeType = IniReadInt("TIMECODE_TYPE", 1);
  preroll = IniReadInt("PREROLL", 10);
  format = IniReadInt("FORMAT", 0);
  precision = IniReadInt("PRECISION", 0);
  Connect();
}

void VTRecorder::WriteSettings() {
  IniSetSection(kSection);
  IniWriteInt("BASE", base);
  IniWriteInt("TYPE", type);
  IniWriteString("PORT", port);
  IniWriteInt("BAUD", baud);
  IniWriteInt("BITS", bits);
  IniWriteInt("PARITY", parity);
  IniWriteInt("STOP_BITS", stopBits);
  IniWriteInt("TIMECODE_TYPE", timecodeType);
  IniWriteInt("PREROLL", preroll);
  IniWriteInt("FORMAT", format);
  IniWriteInt("PRECISION", precision);
  IniFlush();
}

void VTRecorder::GetSettings(int32_t& start, int32_t& type_, char* port_, int32_t& baud_, int32_t& dataBits,
                             int32_t& parity_, int32_t& stopBits_, int32_t& timeCode, int32_t& preroll_,
                             int32_t& format_, int32_t& accuracy) {
  start = base;
  type_ = type;
  if (port_ != nullptr) std::strcpy(port_, port);
  baud_ = baud;
  dataBits = bits;
  parity_ = parity;
  stopBits_ = stopBits;
  timeCode = timecodeType;
  preroll_ = preroll;
  format_ = format;
  accuracy = precision;
}

bool VTRecorder::SetSettings(int32_t start, int32_t type_, const char* port_, int32_t baud_, int32_t dataBits,
                             int32_t parity_, int32_t stopBits_, int32_t timeCode, int32_t preroll_, int32_t format_,
                             int32_t accuracy) {
  base = start;
  type = type_;
  CopyPort(port, port_);
  baud = baud_;
  bits = dataBits;
  parity = parity_;
  stopBits = stopBits_;
  timecodeType = timeCode;
  preroll = preroll_;
  format = format_;
  precision = accuracy;
  Connect();
  return type == 0 || DeckOpen();
}

void VTRecorder::Connect() {
  Disconnect();
  if (type == 0) return;
  auto opened = std::make_unique<TAVcr>();
  if (opened->Open(type, port, baud, bits, parity, stopBits, timecodeType)) link = std::move(opened);
}

void VTRecorder::Disconnect() {
  link.reset();
  cued = false;
}

bool VTRecorder::DeckOpen() const {
  TAAbstractVcr* deck = Deck();
  return deck != nullptr && deck->IsOpen();
}

bool VTRecorder::IsConnected() { return DeckOpen(); }

void VTRecorder::Stop() {
  if (cued) {
    if (TAAbstractVcr* deck = Deck()) deck->Stop();
  }
  cued = false;
}

VtrTimeCode VTRecorder::MsToTimeCode(int32_t ms) const {
  if (ms < 0) ms = 0;
  const int32_t frameMs = format != 0 ? 33 : 40;
  const int32_t framesPerSecond = format != 0 ? 30 : 25;
  int32_t frames = (ms % 1000 + (format != 0 ? 16 : 19)) / frameMs;
  int32_t seconds = ms / 1000;
  // A rounding that reaches the next second carries into it.
  if (frames >= framesPerSecond) {
    frames -= framesPerSecond;
    ++seconds;
  }
  VtrTimeCode code;
  code.frames = static_cast<int8_t>(frames);
  code.seconds = static_cast<int8_t>(seconds % 60);
  code.minutes = static_cast<int8_t>(seconds / 60 % 60);
  code.hours = static_cast<int8_t>(std::min(seconds / 3600, 127));
  return code;
}

int32_t VTRecorder::TimeCodeToMs(const VtrTimeCode& code) const {
  const int32_t frameMs = format != 0 ? 33 : 40;
  // The sign of the hours is the sign of the whole time.
  const int32_t magnitude = std::abs(static_cast<int32_t>(code.hours)) * 3600000 + code.minutes * 60000 +
                            code.seconds * 1000 + code.frames * frameMs;
  return code.hours < 0 ? -magnitude : magnitude;
}

bool VTRecorder::CueAndWait(const VtrTimeCode& target) {
  TAAbstractVcr* deck = Deck();
  if (deck == nullptr) return false;
  VtrTimeCode now = deck->GetTimeCode();
  if (!deck->IsOpen()) return false;
  const int side = CompareTimeCodes(now, target);
  if (side == 0) return true;
  deck->CueTo(target);
  const DWORD began = GetTickCount();
  for (;;) {
    if (!deck->IsOpen()) return false;
    now = deck->GetTimeCode();
    if (!deck->IsOpen()) return false;
    const int at = CompareTimeCodes(now, target);
    if (side < 0 ? at >= 0 : at <= 0) return true;
    if (GetTickCount() - began > kCueLimitMs) return false;
    Sleep(25);
  }
}

int32_t VTRecorder::SeekPreroll(int32_t start, int32_t end) {
  if (!link) return kErrOk;
  TAAbstractVcr* deck = Deck();
  if (deck == nullptr || !deck->IsOpen()) return kErrNoVtrDevice;
  if (TheVelmoraDevice.GetTime() == -1) return kErrNoVideoDevice;
  cued = false;

  // Settle: the tape stands once eleven readings in a row agree, each with
  // the one before (a deck still coasting when stopped settles too).
  deck->Stop();
  VtrTimeCode previous = deck->GetTimeCode();
  int same = 0;
  for (int reading = 0; same < 11; ++reading) {
    if (!deck->IsOpen() || reading >= preroll * 20) return kErrNoVtrDevice;
    Sleep(100);
    const VtrTimeCode now = deck->GetTimeCode();
    same = now == previous ? same + 1 : 0;
    previous = now;
  }
  if (!deck->IsOpen()) return kErrNoVtrDevice;

  deck->SetIn(MsToTimeCode(base + start));
  deck->SetOut(MsToTimeCode(base + end));
  if (!deck->IsOpen()) return kErrNoVtrDevice;

  const int32_t prerollMs = preroll * 1000;
  if (!CueAndWait(MsToTimeCode(base + start - prerollMs - 1000))) return kErrNoVtrDevice;
  if (!CueAndWait(MsToTimeCode(base + start - prerollMs))) return kErrNoVtrDevice;

  // Lock on the range's start, which the running deck reaches after the
  // pre-roll: the offset between its time code and the board's clock must
  // hold within the tolerance for 334 ms.
  deck->Start();
  const int32_t targetMs = TimeCodeToMs(MsToTimeCode(base + start));
  const int32_t tolerance = (format != 0 ? 33 : 40) * (precision + 1);
  const DWORD began = GetTickCount();
  const DWORD limit = static_cast<DWORD>(std::max(prerollMs, 0)) + 2000;
  bool haveWindow = false;
  int32_t windowOffset = 0;
  DWORD windowStart = 0;
  int32_t offset = 0;
  for (;;) {
    if (!deck->IsOpen()) return kErrNoVtrDevice;
    const int32_t tape = TimeCodeToMs(deck->GetTimeCode());
    const int32_t clock = TheVelmoraDevice.GetTime();
    if (!deck->IsOpen()) return kErrNoVtrDevice;
    if (clock == -1) return kErrNoVideoDevice;
    if (tape > targetMs) return kErrNoVtrDevice;
    offset = tape - clock;
    const DWORD now = GetTickCount();
    if (!haveWindow || std::abs(offset - windowOffset) > tolerance) {
      haveWindow = true;
      windowOffset = offset;
      windowStart = now;
    } else if (now - windowStart >= 334) {
      break;
    }
    if (now - began > limit) return kErrNoVtrDevice;
    Sleep(10);
  }
  for (;;) {
    if (!deck->IsOpen()) return kErrNoVtrDevice;
    const int32_t clock = TheVelmoraDevice.GetTime();
    if (clock == -1) return kErrNoVideoDevice;
    if (clock >= targetMs - offset) break;
    Sleep(10);
  }
  cued = true;
  return kErrOk;
}
