// Fixtures of the board tests: the simulated board library loaded through
// the binding for one test (with a runtime folder of its own, so that its
// resources file is the test's), its control entries, a peer instance in
// place of the messenger, a fake fifo ring in the entry table for the frame
// transfer, and AVI files in the board's "VLMD" format.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/board/vlminter.h"
#include "support/test_env.h"
#include "video/board_messenger.h"
#include "video/velmora_api.h"
#include "video/velmora_device.h"
#include "video_test_util.h"

namespace boardtest {

// Loads a board library (the simulation, or one of its variants) for one
// scope; the device is closed and the library unloaded at the end.
class BoardLibrary {
 public:
  explicit BoardLibrary(const char* path = KOBRIX_BOARD_LIBRARY);
  ~BoardLibrary();
  BoardLibrary(const BoardLibrary&) = delete;
  BoardLibrary& operator=(const BoardLibrary&) = delete;

  bool loaded() const { return loaded_; }
  void SetOutputSize(int width, int height);
  void SetFifoLimit(int bytes);
  void SetVersion(int version);
  void SetForeignResources(int mask);
  void DriveClock(bool driven);
  void Advance(int milliseconds);
  void Drain(bool drain);
  void RaiseGPI(int line);
  bool GPIWaiting(int line);
  std::vector<VlmSimAnnouncement> Log();
  void ClearLog();
  // The picture on the output; empty when none was shown.
  std::vector<uint32_t> Picture(int* width = nullptr, int* height = nullptr);
  std::vector<uint32_t> CaptureMonitor(int* width, int* height);
  bool Registered(int resource) { return VelmoraApi.vdc_is_registered(resource) != 0; }

 private:
  template <typename F>
  F Entry(const char* name);

  TestFolder runtime_{"kobrix-run"};
  ScopedEnv env_;
  bool loaded_ = false;
};

// Another running instance as the messenger reaches it: it answers the
// broadcasts, and gives up the resources it holds when asked while idle.
class FakePeer : public BoardMessenger {
 public:
  explicit FakePeer(BoardLibrary* board = nullptr) : board_(board) { before_ = SetBoardMessenger(this); }
  ~FakePeer() override { SetBoardMessenger(before_); }
  uint32_t Broadcast(int32_t code, int32_t argument) override;
  void SetBoardPlayer(SubVideoPlayer* player) override { this->player = player; }
  bool BoardHandedOver() override { return handedOver; }

  struct Sent {
    int32_t code;
    int32_t argument;
    bool operator==(const Sent& o) const { return code == o.code && argument == o.argument; }
  };
  std::vector<Sent> sent;
  bool idle = true;
  bool handedOver = false;
  SubVideoPlayer* player = nullptr;

 private:
  BoardLibrary* board_;
  BoardMessenger* before_;
};

// A fifo ring in the entry table in place of the board: vdc_CheckFreeSize
// finds room after what was announced, nothing is ever consumed, and every
// vdc_AddData is kept. The device works on it with the given resources.
class FakeRing {
 public:
  FakeRing(int32_t size, uint32_t clients, int32_t width = 64, int32_t height = 32);
  ~FakeRing();
  FakeRing(const FakeRing&) = delete;
  FakeRing& operator=(const FakeRing&) = delete;

  BYTE* data() { return ring_.data(); }
  int32_t size() const { return static_cast<int32_t>(ring_.size()); }
  // Puts bytes at offset (across the ring's end) and moves the write
  // position there, as if all before had been announced.
  void Place(int32_t offset, const std::vector<BYTE>& bytes);
  void SetWritePosition(int32_t offset);
  std::vector<VlmSimAnnouncement>& log();
  // The bytes at offset, across the ring's end.
  std::vector<BYTE> At(int32_t offset, int32_t count);

 private:
  std::vector<BYTE> ring_;
  VelmoraEntry<int(int, int)>::Function checkBefore_;
  VelmoraEntry<int(int, int, int, int)>::Function addBefore_;
};

// Announcements written as {id, field, kind, count} for comparisons.
std::string Describe(const std::vector<VlmSimAnnouncement>& log);

// A "VLMD" frame: the header, then two fields of size0 and size1 bytes of
// 4:2:2 video of one colour (Y, U, V).
std::vector<BYTE> VlmdFrame(uint32_t size0, uint32_t size1, BYTE y = 0x80, BYTE u = 0x80, BYTE v = 0x80);
// The whole-picture "VLMD" frame of width x height.
std::vector<BYTE> VlmdPicture(int width, int height, BYTE y, BYTE u, BYTE v);
// A "VLM1" frame of chunks {field, kind, payload}.
struct Vlm1Chunk {
  uint32_t field;
  uint32_t kind;
  std::vector<BYTE> payload;
};
std::vector<BYTE> Vlm1Frame(const std::vector<Vlm1Chunk>& chunks);

// An AVI of "VLMD" frames (25 fps, key frames), with an interleaved audio
// chunk after each frame when audioChunk > 0: 16-bit stereo at 44100 Hz, the
// samples of chunk k counting up from k * 1000 (left) and its negation
// (right), so that every byte tells where it came from.
struct BoardAvi {
  int width = 64;
  int height = 32;
  int bits = 24;
  std::vector<std::vector<BYTE>> frames;
  int32_t audioChunk = 0;
};
void WriteBoardAvi(const std::string& path, const BoardAvi& spec);
// The audio data of chunk k as WriteBoardAvi writes it.
std::vector<BYTE> AudioChunkBytes(int k, int32_t size);
// The stream format of such a file.
video_test::Format BoardFormat(int width, int height, int bits = 24);

}  // namespace boardtest
