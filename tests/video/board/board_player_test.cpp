// The board player on the simulated board: how the feeder reads and places
// the frames, how it keeps the board in step with the clock, and how a
// play ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <numeric>

#include "board_player_fixture.h"
#include "media/audio_data.h"
#include "model/error_codes.h"
#include "model/film.h"
#include "model/time_code.h"
#include "platform/core/time.h"

namespace boardtest {
namespace {

constexpr uint32_t kBigFrame = 700000;  // one frame a read; 11 fill the ring
constexpr int32_t kRing = 8388608;

std::vector<int32_t> Range(int32_t from, int32_t to) {
  std::vector<int32_t> v(static_cast<std::size_t>(to - from));
  std::iota(v.begin(), v.end(), from);
  return v;
}

std::vector<int32_t> Join(std::vector<int32_t> a, const std::vector<int32_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class BoardPlayback : public BoardPlayerTest {
 protected:
  // Prepares a file bigger than the ring: the feeder waits for room with
  // the first 11 frames in it, on the driven clock.
  void PrepareBig(int frames, TestClock** clock) {
    v_ = UseFile("big.avi", frames, kBigFrame);
    ASSERT_NE(Board(), nullptr);
    ASSERT_TRUE(Play(v_, frames));
    clock_ = std::make_unique<TestClock>();
    *clock = clock_.get();
    ASSERT_TRUE(WaitForDrivenWaiters(1));
    ASSERT_EQ(FrameIds(), Range(0, 11));
  }
  void TearDown() override {
    clock_.reset();
    BoardPlayerTest::TearDown();
  }

  AVIVideoData* v_ = nullptr;
  std::unique_ptr<TestClock> clock_;
};

TEST_F(BoardPlayback, RunsOfFramesAreReadInBlocksOfAtMost51) {
  const int kFrames = 60;
  AVIVideoData* v = UseFile("run.avi", kFrames, 4124, 7056);
  // An aligned clip of the same file's sound: its chunks come along.
  FilmListHead films;
  auto* film = new Film();
  film->audio = AudioData::OpenShared(v->fileName);
  ASSERT_NE(film->audio, nullptr);
  film->audioLine = 0;
  film->end = FramesToMs(kFrames, 25.0f);
  film->out = film->end;
  Film::Link(film, films);
  ASSERT_TRUE(Play(v, kFrames, &films));
  EXPECT_NE(Board()->AudioList(), nullptr);

  const auto reads = Reads();
  ASSERT_EQ(reads.size(), 2u);
  for (const auto& [offset, length] : reads) {
    EXPECT_EQ(offset % 512, 0);
    EXPECT_EQ(length % 512, 0);
    EXPECT_LE(length, 786432);
  }
  EXPECT_LE(reads[0].first, DataOffset(v, 0));
  EXPECT_GE(reads[0].first + reads[0].second, DataOffset(v, 50) + 4124 + 8 + 7056);
  EXPECT_LT(reads[0].first + reads[0].second, DataOffset(v, 51) + 512);
  EXPECT_GT(reads[1].first + 512, DataOffset(v, 51));
  EXPECT_GE(reads[1].first + reads[1].second, DataOffset(v, 59) + 4124);
  EXPECT_EQ(FrameIds(), Range(0, kFrames + 1));

  Sub()->Finish(true);
  films.Clear();
}

TEST_F(BoardPlayback, AGapOrAnotherFileEndsARead) {
  AVIVideoData* a = UseFile("a.avi", 6, 4124);
  AVIVideoData* b = UseFile("b.avi", 6, 4124);
  playertest::AddSegment(segments_, a, 0, 0, 80);        // frames 0, 1 of a
  playertest::AddSegment(segments_, a, 120, 80, 160);    // frames 3, 4 of a
  playertest::AddSegment(segments_, b, 0, 160, 240);     // frames 0, 1 of b
  ASSERT_TRUE(TheVideoPlayer->Play(segments_.First(), 0, 240, noFilms_, Notify()));
  const auto reads = Reads();
  ASSERT_EQ(reads.size(), 3u);
  EXPECT_EQ(reads[0].first, DataOffset(a, 0) / 512 * 512);
  EXPECT_EQ(reads[1].first, DataOffset(a, 3) / 512 * 512);
  EXPECT_EQ(reads[2].first, DataOffset(b, 0) / 512 * 512);
  EXPECT_EQ(FrameIds(), Range(0, 7));
}

TEST_F(BoardPlayback, ABlockThatDoesNotFitBeforeTheRingsEndStartsAtItsBeginning) {
  TestClock* clock = nullptr;
  PrepareBig(13, &clock);
  // The twelfth block met too little room: that room was skipped.
  std::vector<VlmSimAnnouncement> log = library_->Log();
  ASSERT_EQ(log.back().kind, 5);
  const VlmSimAnnouncement skip = log.back();
  EXPECT_EQ(skip.offset + skip.count, kRing);
  EXPECT_LT(skip.count, static_cast<int32_t>(kBigFrame));
  EXPECT_GT(skip.count, 500000);

  Sub()->Run(Notify());
  library_->Advance(40);  // the board shows two frames and frees their room
  clock->Advance(100);
  ASSERT_TRUE(WaitForDrivenWaiters(2));  // the feeder and the monitor wait again
  log = library_->Log();
  std::size_t next = 0;
  while (next < log.size() && !(log[next].kind == 5 && log[next].offset + log[next].count == kRing)) ++next;
  ASSERT_LT(next + 2, log.size());
  // The block sits at offset 0: its frame follows its header there.
  EXPECT_EQ(log[next + 1].offset, 0);
  EXPECT_EQ(log[next + 2].kind, 1);
  EXPECT_EQ(log[next + 2].offset, static_cast<int32_t>(DataOffset(v_, 11) % 512) + 28);
  Sub()->Stop();
  Sub()->Finish(true);
}

TEST_F(BoardPlayback, ABoardAheadOfTheClockWaitsForLaterIds) {
  hooks_.audio = &audio_;
  audio_.position = 0;
  audio_.state = 3;  // the audio plays but stands at 0
  TestClock* clock = nullptr;
  PrepareBig(20, &clock);
  Sub()->Run(Notify());
  library_->Advance(240);  // the board shows ids up to 6
  EXPECT_EQ(Sub()->GetFrame(), 6);
  clock->Advance(100);
  ASSERT_TRUE(WaitForDrivenWaiters(2));
  // Frame 11 was read before the feeder looked; from frame 12 on ids are 5
  // later, until the ring is full again.
  const std::vector<int32_t> ids = FrameIds();
  ASSERT_GT(ids.size(), 13u);
  EXPECT_EQ(std::vector<int32_t>(ids.begin(), ids.begin() + 12), Range(0, 12));
  EXPECT_EQ(std::vector<int32_t>(ids.begin() + 12, ids.end()), Range(17, 17 + static_cast<int32_t>(ids.size()) - 12));
  EXPECT_EQ(Board()->FrameBase(), 5);
  EXPECT_EQ(Sub()->GetFrame(), 1);
  EXPECT_EQ(Board()->Skipped(), 0);
  Sub()->Stop();
  Sub()->Finish(true);
}

TEST_F(BoardPlayback, FramesTheClockHasPassedAreSkipped) {
  hooks_.audio = &audio_;
  audio_.position = 0;
  audio_.state = 3;
  TestClock* clock = nullptr;
  PrepareBig(30, &clock);
  Sub()->Run(Notify());
  library_->Advance(80);  // room for two more frames at least
  // When the feeder next looks it has read 12 frames, and the audio is 10
  // frames further.
  audio_.position = 22 * 40;
  clock->Advance(100);
  ASSERT_TRUE(WaitForDrivenWaiters(2));
  const std::vector<int32_t> ids = FrameIds();
  ASSERT_GE(ids.size(), 13u);
  EXPECT_EQ(std::vector<int32_t>(ids.begin(), ids.begin() + 13), Join(Range(0, 12), {22}));
  EXPECT_EQ(Board()->Skipped(), 10);
  // The ids go on from there: the base does not fall below 0.
  EXPECT_EQ(Board()->FrameBase(), 0);
  for (int32_t i = 0; i < 30; ++i) {
    const int32_t position = Board()->PlayList()[i].position;
    if (i >= 12 && i < 22) {
      EXPECT_EQ(position, kSkipped) << i;
    } else if (i <= 22) {
      EXPECT_GE(position, 0) << i;
    }
  }
  Sub()->Stop();
  Sub()->Finish(true);
}

TEST_F(BoardPlayback, ThePlayEndsWhenTheBoardShowsTheEndId) {
  AVIVideoData* v = UseFile("short.avi", 5);
  ASSERT_TRUE(Play(v, 5));
  EXPECT_EQ(TheVelmoraDevice.lastFrameId, 5);
  Sub()->Run(Notify());
  library_->Advance(4 * 40);
  EXPECT_EQ(Sub()->GetFrame(), 4);
  EXPECT_EQ(Sub()->GetState(), kSubRunning);
  library_->Advance(40);
  ASSERT_TRUE(playertest::WaitUntil([&] { return Sub()->GetState() == kSubEnded; }));
  EXPECT_EQ(VelmoraApi.vdc_GetState(), 0);  // paused
  Sub()->Stop();
  Sub()->Finish(true);
  EXPECT_EQ(Sub()->GetState(), kSubReady);
}

TEST_F(BoardPlayback, StopCountsTheFramesTheBoardShowedLate) {
  hooks_.audio = &audio_;
  audio_.position = 0;
  audio_.state = 3;
  TestClock* clock = nullptr;
  PrepareBig(14, &clock);
  Sub()->Run(Notify());
  // Eleven frames shown, then five ticks with nothing.
  library_->Advance(15 * 40);
  clock->Advance(100);
  ASSERT_TRUE(playertest::WaitUntil([&] { return Board()->ReaderState() == kSubEnded; }));
  library_->Advance(40);  // frame 11, five ticks late
  EXPECT_EQ(VelmoraApi.vdc_get_timeouts(0), 5);
  EXPECT_EQ(Board()->Skipped(), 0);
  Sub()->Stop();
  EXPECT_EQ(Board()->Skipped(), 5);
  EXPECT_EQ(VelmoraApi.vdc_get_timeouts(0), 0);
  Sub()->ReportSkippedFrames(Notify(), TheVideoPlayer->ShowTimeoutsOption());
  EXPECT_EQ(hooks_.timeouts, std::vector<int32_t>{5});
  Sub()->Finish(true);
}

TEST_F(BoardPlayback, AReadThatFailsEndsThePlayAsFailed) {
  TestClock* clock = nullptr;
  PrepareBig(14, &clock);
  // The file loses what follows the frames in the ring.
  ASSERT_EQ(truncate(v_->fileName, DataOffset(v_, 11) + 1000), 0);
  Sub()->Run(Notify());
  library_->Advance(40);
  clock->Advance(100);
  ASSERT_TRUE(playertest::WaitUntil([&] { return Sub()->GetState() == kSubFailed; }));
  EXPECT_EQ(Sub()->GetFrame(), 11);  // the frames read
  Sub()->Stop();
  EXPECT_EQ(Sub()->GetState(), kSubFailed);
  Sub()->Finish(true);
}

TEST_F(BoardPlayback, AFrameLargerThanTheRingFailsThePlayInsteadOfWaitingForRoom) {
  AVIVideoData* v = UseFile("huge.avi", 2, 9000000);
  ASSERT_NE(Board(), nullptr);
  ASSERT_TRUE(Play(v, 2));
  EXPECT_EQ(Board()->ReaderState(), kSubFailed);
  Sub()->Run(Notify());
  EXPECT_EQ(Sub()->GetState(), kSubFailed);
  Sub()->Stop();
  Sub()->Finish(true);
}

TEST_F(BoardPlayback, TheBoardsOwnFormatsPlayOnTheBoardWhenItIsChosen) {
  struct {
    FOURCC compression;
    int32_t drawType;
    bool board;
  } cases[] = {{mmioFOURCC('V', 'L', 'M', 'D'), 1, true},
               {mmioFOURCC('V', 'L', 'M', 'T'), 2, true},
               {mmioFOURCC('V', 'L', 'M', 'D'), 3, false},
               {mmioFOURCC('V', 'L', 'M', 'T'), 4, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.drawType);
    VideoPlayer::defaultDrawType = c.drawType;
    video_test::Format format = BoardFormat(64, 32);
    format.bi()->biCompression = c.compression;
    SubPlayerInfo info{kVideoKindAvi, format.bi(), format.Size()};
    std::unique_ptr<SubVideoPlayer> player(CreateSubPlayer(info, Notify()));
    EXPECT_EQ(dynamic_cast<VelmoraAviPlayer*>(player.get()) != nullptr, c.board);
    if (player) {
      EXPECT_EQ(player->GetState(), kSubReady);
    }
  }
  VideoPlayer::defaultDrawType = 1;
}

TEST_F(BoardPlayback, TheBoardPlayerIsKnownToTheMessengerAndLeavesAHandedOverBoardClosed) {
  FakePeer peer(library_.get());
  peer.handedOver = true;
  UseFile("any.avi", 3);
  ASSERT_NE(Board(), nullptr);
  EXPECT_EQ(peer.player, Sub());
  EXPECT_FALSE(Board()->DeviceOpen());
  EXPECT_FALSE(library_->Registered(7));
  RestartPlayer();
  EXPECT_EQ(peer.player, nullptr);
}

}  // namespace
}  // namespace boardtest
