// Still pictures of a source on the board: loaded from the file into the
// ring once, kept on the output, and what a frame that fails to load leaves.
#include <gtest/gtest.h>

#include "board_player_fixture.h"
#include "model/error_codes.h"
#include "model/message_box.h"

namespace boardtest {
namespace {

// Keeps the beeps; boxes answer OK.
class BeepCounter : public MessageBoxPresenter {
 public:
  BeepCounter() { before_ = SetMessageBoxPresenter(this); }
  ~BeepCounter() override { SetMessageBoxPresenter(before_); }
  int Show(HWND, const std::string&, const std::string&, UINT) override { return IDOK; }
  void Beep(UINT type) override { beeps.push_back(type); }
  std::vector<UINT> beeps;

 private:
  MessageBoxPresenter* before_;
};

// The grey a frame of UseFile shows, as the board turns it into RGB.
uint32_t Grey(int frame) {
  const int y = 16 + frame * 7 % 200;
  const int c = std::min(255, (298 * (y - 16) + 128) >> 8);
  return static_cast<uint32_t>(c) * 0x010101u;
}

class BoardStill : public BoardPlayerTest {
 protected:
  // The picture on the board is all one colour; that colour, or ~0.
  uint32_t Shown() {
    int w = 0, h = 0;
    const std::vector<uint32_t> picture = library_->Picture(&w, &h);
    if (picture.empty() || w != 64 || h != 32) return ~0u;
    for (uint32_t p : picture) {
      if (p != picture[0]) return ~1u;
    }
    return picture[0];
  }
  BeepCounter beeps_;
};

TEST_F(BoardStill, AFrameIsLoadedOnceAndStaysOnTheOutput) {
  AVIVideoData* v = UseFile("still.avi", 8);
  ASSERT_NE(Board(), nullptr);
  TheVideoPlayer->ShowOnBoard(v, 3 * 40, nullptr);
  EXPECT_EQ(Shown(), Grey(3));
  EXPECT_EQ(Describe(library_->Log()), "{0,0,5,28} {0,0,1,2048} {0,1,1,2048} {0,0,4,0}");
  // Once loaded, the frame is not loaded again; it stays on the output.
  library_->ClearLog();
  TheVideoPlayer->ShowOnBoard(v, 3 * 40 + 20, nullptr);
  EXPECT_TRUE(library_->Log().empty());
  EXPECT_EQ(Shown(), Grey(3));
  TheVideoPlayer->ShowOnBoard(v, 6 * 40, nullptr);
  EXPECT_EQ(Shown(), Grey(6));
  EXPECT_EQ(FrameIds(), std::vector<int32_t>{0});
  EXPECT_TRUE(beeps_.beeps.empty());
}

TEST_F(BoardStill, AFrameAcrossTheRingsEndIsReadInTwoParts) {
  AVIVideoData* v = UseFile("still.avi", 4);
  ASSERT_NE(Board(), nullptr);
  TheVideoPlayer->ShowOnBoard(v, 0, nullptr);
  // Move the board's write position 100 bytes short of the ring's end.
  const int32_t at = VelmoraApi.vdc_CheckFreeSize(0, 0);
  VelmoraApi.vdc_AddData(0, 0, 5, TheVelmoraDevice.fifoSize - 100 - at);
  VelmoraApi.vdc_Flush();
  library_->ClearLog();
  TheVideoPlayer->ShowOnBoard(v, 2 * 40, nullptr);
  EXPECT_EQ(Shown(), Grey(2));
  const std::vector<VlmSimAnnouncement> log = library_->Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0].offset, TheVelmoraDevice.fifoSize - 100);
}

TEST_F(BoardStill, AFrameThatFailsToLoadIsDroppedWithABeep) {
  BoardAvi spec;
  spec.frames.push_back(VlmdPicture(64, 32, 0x90, 0x80, 0x80));
  // A video chunk the board takes, then one longer than the frame.
  std::vector<BYTE> bad = Vlm1Frame({{0, 1, std::vector<BYTE>(2048, 0x50)}, {1, 1, std::vector<BYTE>(64)}});
  bad.resize(bad.size() - 10);
  spec.frames.push_back(bad);
  const std::string path = folder_.Path("bad.avi");
  WriteBoardAvi(path, spec);
  AVIVideoData* v = Use(path);
  ASSERT_NE(Board(), nullptr);
  TheVideoPlayer->ShowOnBoard(v, 0, nullptr);
  const uint32_t good = Shown();
  ASSERT_NE(good, ~0u);
  const int32_t before = VelmoraApi.vdc_CheckFreeSize(0, 0);
  library_->ClearLog();
  TheVideoPlayer->ShowOnBoard(v, 40, nullptr);
  EXPECT_EQ(beeps_.beeps, std::vector<UINT>{MB_OK});
  // What it had announced is gone again; the last good picture stays.
  const std::vector<VlmSimAnnouncement> log = library_->Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].kind, 1);
  EXPECT_EQ(VelmoraApi.vdc_CheckFreeSize(0, 0), before);
  EXPECT_EQ(Shown(), good);
  // The failed frame is not taken for the one on the output.
  library_->ClearLog();
  TheVideoPlayer->ShowOnBoard(v, 40, nullptr);
  EXPECT_EQ(library_->Log().size(), 2u);
  EXPECT_EQ(beeps_.beeps.size(), 2u);
}

}  // namespace
}  // namespace boardtest
