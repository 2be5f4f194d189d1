// The video board as the program uses it for playback (TheVelmoraDevice):
// its version, its resources (asking other instances to give them up), the
// video fifo in which frames are placed, the input window fitted to the
// project's frame size, the frame format and rate, and the output's run,
// pause and stop. Everything goes through the board's entry table.
//
// Also the frame transfer: the board plays frames out of the fifo ring, and
// the program tells it piece by piece what the next bytes of the ring are
// (skip, a field's video, a field's alpha key, other kinds, the end of a
// frame). A frame of the board's own AVI formats is one of:
// - "VLMD": u32 size of field 0's video at 16, of field 1's at 20, and the
//   two fields' video from 28 on;
// - "VLM1": chunks after the tag, each two u32 words (bit 31 of the first
//   the field, bits 0..26 the kind; the second the payload's length) and the
//   payload: kind 1 video, 2 alpha key, 7 alpha key run-length coded, 10 a
//   payload whose first 1024 bytes are not sent, 11 passed on unchanged,
//   others skipped.
// Tags, sizes and headers are read across the ring's end.
//
// Main thread, except GetFrameNumber, GetLastFrameNumber, GetTime and the
// feeder's transfer (WaitFreeSpace, AnnounceFrame, EndFrame, RoomToEnd,
// SkipBytes), which the board player's threads call while it plays.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/codecs/dib.h"
#include "platform/core/types.h"

struct FrameEntry;

// Bits of the display resources in use.
constexpr uint32_t kBoardVideo = 2;
constexpr uint32_t kBoardAlpha = 4;

class VelmoraDevice {
 public:
  // Loads the library and asks the user once per run about a version other
  // than 1073: 14 without a usable library, 17 when the user cancels. Leaves
  // the device closed.
  int32_t CheckVersion();
  // Takes the playback resources (asking the other instances once when they
  // hold them), gets a fifo of 4 to 8 MiB and fits the board to the frame
  // size: 14, 11, 12 or a Setup code. After 12 the caller closes.
  int32_t Open(int32_t width, int32_t height, int32_t bits, HWND notify);
  // Fits the board to a frame size: the display resources, and the output
  // in full or through a centred input window. 10, 11, 2 or 0.
  int32_t Setup(int32_t width, int32_t height, int32_t bits, HWND notify);
  // The frames' format and rate: 11, 10 or a Setup code; pauses the board.
  int32_t SetFormat(const BITMAPINFOHEADER& header, float fps);
  // Sets the mixer for the frames (keyed by their alpha when they have it).
  void SetupMixer();
  void Run();
  void Pause();
  void Stop();
  void Flush();
  void FlushTail();
  void ResetCounter(int32_t first);
  // -1 while the library is not loaded (and, for the last frame, while the
  // output does not run).
  int32_t GetFrameNumber();
  int32_t GetLastFrameNumber();
  int32_t GetTime();
  // Releases everything and tells the other instances.
  void Close();

  // --- GPI lines 0 to 3 ---
  // Each seizes the line, asks or tells the board, and frees it; all fail
  // without a board or when the line is taken.
  // Whether the line is an input.
  bool GetGPIState(int32_t line);
  // The line's name, as a scratch text; null on failure.
  const char* GetGPIName(int32_t line);
  // The name and the settings; on failure the name is "None", both flags
  // true and the result false.
  bool GetGPISettings(int32_t line, char* name, int32_t size, bool& openByDefault, bool& input);
  bool SetGPISettings(int32_t line, bool openByDefault, bool input);

  // --- Frame transfer ---
  // The ring offset at which count bytes may be written, asking twice 100 ms
  // apart; a negative value when there is no room (the event is set then).
  int32_t WaitFreeSpace(int32_t count, HANDLE event);
  // Reads entry's frame from its file into the ring and announces it as id:
  // 0 (also for an entry without a source or with a cached picture), 6, 17
  // or 19.
  int32_t LoadFrame(FrameEntry& entry, int32_t id);
  // Announces as id the frame of size bytes that the feeder read into the
  // ring at offset; announced is where the last announcement ended and moves
  // past every byte announced. 0, 6 or 17.
  int32_t AnnounceFrame(int32_t offset, int32_t size, int32_t& announced, int32_t id, HANDLE event);
  // Announces a frame of size bytes already in the ring at offset the way
  // LoadFrame does; grows entrySize by decoded alpha planes. 0, 6 or 17.
  int32_t AnnounceLoadedFrame(int32_t offset, int32_t size, int32_t id, uint32_t* entrySize);
  void EndFrame(int32_t id);
  // The room from the write position to the ring's end; -1 when stopped.
  int32_t RoomToEnd(HANDLE event);
  // Skips count bytes of the ring once there is room; false when stopped.
  bool SkipBytes(int32_t count, int32_t id);

  // Program start: a closed device, and whether the board is available.
  static void StaticSetUp();
  // Program end.
  static void StaticCleanUp();
  // Whether a version other than 1073 was accepted in this run.
  static bool versionAccepted;

  std::atomic<bool> loaded{false};
  bool open = false;
  std::atomic<bool> running{false};
  BYTE* fifo = nullptr;
  int32_t fifoSize = 0;
  int32_t fieldAlphaSize = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitCount = 0;
  uint32_t clients = 0;
  std::atomic<int32_t> lastFrameId{0};
  int32_t reserved = 0;
  uint32_t registered = 0;

 private:
  bool Unlocked() const { return loaded && open; }
  // Moves count bytes of the ring from from to to (to below from), across
  // the ring's end.
  void MoveBack(int32_t to, int32_t from, int32_t count);
  uint32_t Read32(int32_t offset) const;
  int32_t Wrap(int64_t offset) const;
};

extern VelmoraDevice TheVelmoraDevice;

// Resources the other instances are asked to give up: 1, 2, 5, 7 and 9.
constexpr uint32_t kBoardResourcesAsked = 678;
