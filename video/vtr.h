// The tape deck on a serial port, run in step with the board's playback.
// Two decks are spoken to: a Sony 9-pin deck of binary packets (Betacam) and
// an AG 5700 of STX ... ETX texts. VTRecorder is the program's one link: it
// holds the settings of section VTR, opens the deck, cues it with pre-roll
// and stops it. Everything runs on the main thread; serial reads wait at
// most 500 ms each.
#pragma once

#include <cstdint>
#include <memory>

#include "media/ta_file.h"
#include "model/players.h"

// {frames, seconds, minutes, hours}; the hours carry the sign.
struct VtrTimeCode {
  int8_t frames = 0;
  int8_t seconds = 0;
  int8_t minutes = 0;
  int8_t hours = 0;
  bool operator==(const VtrTimeCode&) const = default;
};
// Field by field from the hours down: <0, 0 or >0.
int CompareTimeCodes(const VtrTimeCode& a, const VtrTimeCode& b);

// The deck's serial port. A failed set-up shows the port's error box with
// what failed and leaves the port closed; a transfer that moves fewer bytes
// than asked only sets the error flag, for the deck's retries.
class COMPort : public APIFile {
 public:
  // Opens the port by name and sets the line and 500 ms time-outs.
  bool OpenPort(const char* portName, int32_t baud, int32_t bits, int32_t parity, int32_t stopBits);
  // Drops what waits on the input (the error box and a closed port on failure).
  bool PurgeInput();
  // False with the error flag set when not every byte went.
  bool Send(const void* bytes, DWORD count);
  // The bytes that came within the time-out.
  DWORD Receive(void* bytes, DWORD count);

  bool error = false;

 protected:
  bool DoOpen() override;
  bool DoRead() override;
  bool DoWrite() override;
  const char* ClassName() override;
};

// A deck. Every operation but the destructor is the deck's own.
class TAAbstractVcr {
 public:
  virtual ~TAAbstractVcr() = default;
  virtual bool IsOpen() = 0;
  virtual VtrTimeCode GetTimeCode() = 0;
  virtual VtrTimeCode GetTimeCodeLTC() = 0;
  // Speed -5 to 5; others count as 0.
  virtual void Shuttle(int32_t speed) = 0;
  virtual void CueTo(const VtrTimeCode& to) = 0;
  virtual void Rewind() = 0;
  virtual void FastWind() = 0;
  virtual void Play() = 0;
  virtual void Stop() = 0;
  virtual void StepAhead() = 0;
  virtual void StepBack() = 0;
  virtual void SetIn(const VtrTimeCode& at) = 0;
  virtual void SetOut(const VtrTimeCode& at) = 0;
  virtual void Start() = 0;

  // The port, for the link and the tests.
  COMPort port;
};

class Betacam : public TAAbstractVcr {
 public:
  explicit Betacam(int32_t timecodeType) : timecodeType(timecodeType) {}
  ~Betacam() override;
  bool IsOpen() override { return port.open != 0; }
  VtrTimeCode GetTimeCode() override;
  VtrTimeCode GetTimeCodeLTC() override;
  void Shuttle(int32_t speed) override;
  void CueTo(const VtrTimeCode& to) override;
  void Rewind() override;
  void FastWind() override;
  void Play() override;
  void Stop() override;
  void StepAhead() override;
  void StepBack() override;
  void SetIn(const VtrTimeCode& at) override;
  void SetOut(const VtrTimeCode& at) override;
  void Start() override;

  // Sends CMD1 CMD2 with its data bytes (the low four bits of CMD1 count
  // them) and the checksum; up to four attempts, then the connection error
  // box and a closed port. True when the deck acknowledged.
  bool Command(uint8_t cmd1, uint8_t cmd2, const uint8_t* data = nullptr);

  int32_t timecodeType;
  uint8_t packet[18] = {};
  VtrTimeCode last;

 private:
  VtrTimeCode ReadTime(uint8_t which);
  void Step(int32_t speed);
};

class AG5700 : public TAAbstractVcr {
 public:
  ~AG5700() override;
  bool IsOpen() override { return port.open != 0; }
  VtrTimeCode GetTimeCode() override;
  VtrTimeCode GetTimeCodeLTC() override { return {}; }
  void Shuttle(int32_t speed) override;
  void CueTo(const VtrTimeCode& to) override;
  void Rewind() override;
  void FastWind() override;
  void Play() override;
  void Stop() override;
  void StepAhead() override;
  void StepBack() override;
  void SetIn(const VtrTimeCode& at) override;
  void SetOut(const VtrTimeCode& at) override;
  void Start() override;

  // Sends STX, the command, the argument and ETX; the deck echoes the first
  // five bytes. Up to four attempts, then the box and a closed port.
  bool Command(const char* command, const char* argument = nullptr);
};

// The link to one deck.
class TAVcr {
 public:
  // Type 1 an AG 5700, 2 a Betacam; the deck is stopped (and a Betacam told
  // which time code to count). False, with no deck, unless its port opened.
  bool Open(int32_t type, const char* portName, int32_t baud, int32_t bits, int32_t parity, int32_t stopBits,
            int32_t timecodeType);

  std::unique_ptr<TAAbstractVcr> deck;
};

class VTRecorder : public TapeControl {
 public:
  VTRecorder() = default;
  ~VTRecorder() override;

  // Reads section VTR and connects.
  void ReadSettings() override;
  // Writes the eleven keys and flushes the settings file.
  void WriteSettings() override;
  void GetSettings(int32_t& start, int32_t& type, char* port, int32_t& baud, int32_t& dataBits, int32_t& parity,
                   int32_t& stopBits, int32_t& timeCode, int32_t& preroll, int32_t& format,
                   int32_t& accuracy) override;
  bool SetSettings(int32_t start, int32_t type, const char* port, int32_t baud, int32_t dataBits, int32_t parity,
                   int32_t stopBits, int32_t timeCode, int32_t preroll, int32_t format, int32_t accuracy) override;
  bool IsConnected() override;
  // Cues and starts the deck so that it reaches the range's start in step
  // with the board: 0, 21 (no deck, or it failed) or 14 (no board clock).
  int32_t SeekPreroll(int32_t start, int32_t end) override;
  void Stop() override;
  void Disconnect() override;

  // The controller's conversions: 40 ms a frame, or 33 with a nonzero format.
  VtrTimeCode MsToTimeCode(int32_t ms) const;
  int32_t TimeCodeToMs(const VtrTimeCode& code) const;

  int32_t base = 0;
  std::unique_ptr<TAVcr> link;
  int32_t type = 0;
  char port[32] = "COM2";
  int32_t baud = 38400;
  int32_t bits = 8;
  int32_t parity = 1;
  int32_t stopBits = 2;
  int32_t timecodeType = 1;
  int32_t preroll = 10;
  int32_t format = 0;
  int32_t precision = 0;
  bool cued = false;

 private:
  void Connect();
  TAAbstractVcr* Deck() const { return link ? link->deck.get() : nullptr; }
  bool DeckOpen() const;
  // Cues to target and waits until the deck is there; false when the deck
  // closed or never got there.
  bool CueAndWait(const VtrTimeCode& target);
};
