// What the board's device and player need of the instance messenger: asking
// the other running instances (to give up the board, or telling them it was
// released), naming this process's board player, and whether the board was
// handed over to an outside program. The messenger implements it and
// installs itself; while none is installed there is no other instance to
// ask and the board was never handed over.
#pragma once

#include <cstdint>

class SubVideoPlayer;

class BoardMessenger {
 public:
  virtual ~BoardMessenger() = default;
  // Sends (code, argument) to every other instance; the OR of their answers.
  virtual uint32_t Broadcast(int32_t code, int32_t argument) = 0;
  // The board player of this process, or null when it goes.
  virtual void SetBoardPlayer(SubVideoPlayer* player) = 0;
  virtual bool BoardHandedOver() = 0;
};

// Null while no messenger exists. Set returns the one before.
BoardMessenger* CurrentBoardMessenger();
BoardMessenger* SetBoardMessenger(BoardMessenger* messenger);
