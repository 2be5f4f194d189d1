// The board player's tests: the player fixture of the video tests with the
// simulated board loaded (its clock driven by the test) and files of the
// board's format.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "board_fixture.h"
#include "player_fixture.h"
#include "video/board_player.h"

namespace boardtest {

class BoardPlayerTest : public playertest::PlayerTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  VelmoraAviPlayer* Board() const { return dynamic_cast<VelmoraAviPlayer*>(Sub()); }
  // Writes a file of count frames (each a frame of frameBytes bytes of
  // 64 x 32 video, frame i in its own grey) and takes it into use.
  AVIVideoData* UseFile(const std::string& name, int count, uint32_t frameBytes = 4124, int32_t audioChunk = 0);
  // The file offset of frame i's data.
  static int64_t DataOffset(AVIVideoData* source, int32_t frame);
  // Plays [0, frames) of source as one segment; the play is prepared.
  bool Play(AVIVideoData* source, int frames, FilmListHead* films = nullptr);
  // The ids of the frames announced so far (their ends), in order.
  std::vector<int32_t> FrameIds();
  // The reads the feeder made: {offset, length}.
  std::vector<std::pair<int64_t, int32_t>> Reads();

  std::unique_ptr<BoardLibrary> library_;
  playertest::ScriptedAudio audio_;
  FilmListHead segments_;
  FilmListHead noFilms_;
  std::mutex readsLock_;
  std::vector<std::pair<int64_t, int32_t>> reads_;
};

}  // namespace boardtest
