// Playback of a time-line range and scrubbing on the virtual device, whose
// clock only the test moves.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "audio/audio_player.h"
#include "engine_fixture.h"
#include "mix_fixture.h"
#include "platform/core/message_queue.h"

namespace {

constexpr DWORD kRate = 8000;
constexpr UINT kScrubNotice = WM_USER + 84;

// A guard against a hang: what is waited for comes at once on an idle
// machine, and a busy one only holds it back.
bool WaitUntil(const std::function<bool()>& done, int milliseconds = 20000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

class CountingServer : public VolumeServer {
 public:
  LONG Start(LONG playback) override {
    starts.push_back(playback);
    return 0;
  }
  void Stop() override { ++stops; }
  std::vector<LONG> starts;
  int stops = 0;
};

class PlayControlTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    EnsureMessageQueue();
    // Notices an earlier test left to the same owner.
    MSG stale;
    while (PeekMessage(&stale, owner_, 0, 0, PM_REMOVE)) {
    }
    engine_ = std::make_unique<AudioPlayer>();
    // 8000 Hz mono 16-bit: blocks of one header of 4096 bytes (2048 frames,
    // 256 ms); scrub blocks of 800 frames, jumps above 40 frames.
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(engine_->Configure(kRate, 1, 2, 4, 16, 4, delay, preview, maxPreview), 0);
    ASSERT_EQ(engine_->GetBlockFrames(), 2048);
    ASSERT_EQ(engine_->GetPreviewFrames(), 800);
    ASSERT_EQ(engine_->GetPreviewFadeFrames(), 40);
    AudioPlayer::SetVolumeServer(&server_);
  }
  void TearDown() override {
    engine_.reset();
    AudioPlayer::SetVolumeServer(nullptr);
    films_.Clear();
    for (MemorySource* s : sources_) {
      s->EndRead();
      s->Release();
    }
    EngineTest::TearDown();
  }
  MemorySource* Keep(MemorySource* s) {
    s->BeginRead();
    sources_.push_back(s);
    return s;
  }
  // Plays the clock on in steps until the device closes (or time runs out),
  // noting each state the engine shows.
  std::vector<int> Drain(int maxSteps = 400) {
    std::vector<int> states{engine_->GetState()};
    for (int i = 0; i < maxSteps && VirtualAudio::IsOpen(0); ++i) {
      VirtualAudio::Advance(32);
      std::this_thread::sleep_for(std::chrono::microseconds(300));
      if (engine_->GetState() != states.back()) states.push_back(engine_->GetState());
    }
    WaitUntil([&] { return !engine_->HasCommandThread(); });
    if (engine_->GetState() != states.back()) states.push_back(engine_->GetState());
    return states;
  }
  // The close notices the owner has received. The command thread passes
  // the device's notice on and then ends, so once it has ended every notice
  // there is to come is in the queue, however long that took.
  int CloseNotices() {
    EXPECT_TRUE(WaitUntil([&] { return !engine_->HasCommandThread(); }));
    int count = 0;
    MSG message;
    while (PeekMessage(&message, owner_, 0, 0, PM_REMOVE))
      if (message.message == MM_WOM_CLOSE) ++count;
    return count;
  }
  std::vector<BYTE> Model(LONG start, LONG end, LONG blockFrames) {
    MixModel model;
    model.rate = kRate;
    model.blockFrames = blockFrames;
    return model.Mix(films_, UnitySetup(1), start, end);
  }

  std::unique_ptr<AudioPlayer> engine_;
  FilmListHead films_;
  std::vector<MemorySource*> sources_;
  HWND owner_ = reinterpret_cast<HWND>(0x4321);
  CountingServer server_;
};

TEST_F(PlayControlTest, PrepareResumeAndDrainCloseTheDeviceOnce) {
  AddClip(films_, Keep(MakeSource(2, 1, kRate, 4 * kRate, 1)), 0, 0, 4000, 0);
  EXPECT_EQ(engine_->GetPosition(), -1);
  ASSERT_TRUE(engine_->PrepareRange(films_.First(), UnitySetup(1), 200, 3200, owner_, false, false));
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kPaused);
  EXPECT_EQ(engine_->GetPosition(), 200);
  EXPECT_EQ(VirtualAudio::Queued(0), 4u * 4096);  // every block primed
  EXPECT_EQ(server_.starts, std::vector<LONG>{1});
  VirtualAudio::Advance(500);  // paused: nothing plays
  EXPECT_TRUE(VirtualAudio::Played(0).empty());

  ASSERT_TRUE(engine_->Resume());
  EXPECT_FALSE(engine_->Resume());
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kPlaying);
  EXPECT_EQ(Drain(), (std::vector<int>{AudioPlayer::kPlaying, AudioPlayer::kDraining, AudioPlayer::kIdle}));
  EXPECT_FALSE(VirtualAudio::IsOpen(0));
  EXPECT_EQ(CloseNotices(), 1);
  EXPECT_EQ(VirtualAudio::Played(0), Model(200, 3200, 2048));
  EXPECT_EQ(engine_->GetPosition(), -1);
  engine_->Stop();  // after the end: only the server is told
  EXPECT_EQ(server_.stops, 1);
}

// A device closed just before the next one opens for another window: its
// close notice still goes to the window it played for.
TEST_F(PlayControlTest, EachCloseNoticeGoesToTheWindowItsDeviceServed) {
  MemorySource* s = Keep(MakeSource(2, 1, kRate, 4 * kRate, 1));
  AddClip(films_, s, 0, 0, 4000, 0);
  const HWND before = reinterpret_cast<HWND>(0x5678);
  constexpr int kRounds = 40;
  int toBefore = 0, toOwner = 0;
  for (int i = 0; i < kRounds; ++i) {
    engine_->owner = before;  // no device is open
    ASSERT_TRUE(engine_->PlayOut(s, 0, 4000));
    // Closes the source's device, then opens one for owner_.
    ASSERT_TRUE(engine_->PrepareRange(films_.First(), UnitySetup(1), 0, 3000, owner_, false, false));
    engine_->Stop();
    ASSERT_TRUE(WaitUntil([&] { return !engine_->HasCommandThread(); }));
    MSG message;
    while (PeekMessage(&message, before, MM_WOM_CLOSE, MM_WOM_CLOSE, PM_REMOVE)) ++toBefore;
    while (PeekMessage(&message, owner_, MM_WOM_CLOSE, MM_WOM_CLOSE, PM_REMOVE)) ++toOwner;
  }
  EXPECT_EQ(toBefore, kRounds);
  EXPECT_EQ(toOwner, kRounds);
}

// Stopping while prepared, while playing and while draining, with the
// device holding every header it was given.
TEST_F(PlayControlTest, StopClosesTheDeviceInEveryPlayingState) {
  AddClip(films_, Keep(MakeSource(2, 1, kRate, 4 * kRate, 1)), 0, 0, 4000, 0);
  struct Case {
    int state;
    LONG end;
  };
  for (const Case& c : {Case{AudioPlayer::kPaused, 3000}, Case{AudioPlayer::kPlaying, 3000},
                        Case{AudioPlayer::kDraining, 500}}) {
    ASSERT_TRUE(engine_->PrepareRange(films_.First(), UnitySetup(1), 0, c.end, owner_, false, false));
    if (c.state != AudioPlayer::kPaused) ASSERT_TRUE(engine_->Resume());
    ASSERT_EQ(engine_->GetState(), c.state);
    auto begin = std::chrono::steady_clock::now();
    engine_->Stop();
    // A guard against a hang: the device's clock stands still, so a stop
    // that waited for the device to play out would wait for ever.
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10)) << c.state;
    EXPECT_FALSE(VirtualAudio::IsOpen(0)) << c.state;
    EXPECT_EQ(engine_->GetState(), AudioPlayer::kIdle);
    EXPECT_EQ(CloseNotices(), 1) << c.state;
    EXPECT_EQ(engine_->GetPosition(), -1);
  }
  EXPECT_EQ(server_.starts.size(), 3u);
  EXPECT_EQ(server_.stops, 3);
}

TEST_F(PlayControlTest, ALoopedRangeRepeatsWithoutAGapAndTheClockGoesOn) {
  AddClip(films_, Keep(MakeSource(2, 1, kRate, 4 * kRate, 2)), 0, 0, 4000, 0);
  // [200, 1200) ms: 8000 frames, blocks of 2048 and a last one of 1856.
  ASSERT_TRUE(engine_->PrepareRange(films_.First(), UnitySetup(1), 200, 1200, owner_, false, true));
  ASSERT_TRUE(engine_->Resume());
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kPlaying);
  const std::vector<BYTE> round = Model(200, 1200, 2048);
  LONG position = 0;
  for (int i = 0; i < 400 && VirtualAudio::Played(0).size() < 3 * round.size(); ++i) {
    ASSERT_TRUE(VirtualAudio::WaitQueued(0, 4096, 20000));  // refilled before the clock moves on
    VirtualAudio::Advance(16);
    position = engine_->GetPosition();
  }
  std::vector<BYTE> played = VirtualAudio::Played(0);
  ASSERT_GE(played.size(), 3 * round.size());
  for (int r = 0; r < 3; ++r)
    EXPECT_TRUE(std::equal(round.begin(), round.end(), played.begin() + r * round.size())) << "round " << r;
  EXPECT_GT(position, 200 + 2 * 1000);  // the clock counts on past the range's end
  engine_->Stop();
  EXPECT_EQ(CloseNotices(), 1);
}

TEST_F(PlayControlTest, MutedLinesAreNeverReadEvenWhenAllLinesPlay) {
  MemorySource* heard = Keep(MakeSource(2, 1, kRate, 2 * kRate, 3));
  MemorySource* muted = Keep(MakeSource(2, 1, kRate, 2 * kRate, 4));
  AddClip(films_, heard, 0, 0, 2000, 0);
  AddClip(films_, muted, 1, 0, 2000, 0);
  MixSetup setup = UnitySetup(2);
  setup.lines[1].gain = 0;
  for (bool allLines : {false, true}) {
    ASSERT_TRUE(engine_->PrepareRange(films_.First(), setup, 0, 2000, owner_, allLines, false));
    engine_->Stop();
    EXPECT_GT(heard->blockReads.load(), 0);
    EXPECT_EQ(muted->blockReads.load(), 0) << allLines;
  }
  // With every line muted there is nothing to play.
  setup.lines[0].gain = 0;
  EXPECT_FALSE(engine_->PrepareRange(films_.First(), setup, 0, 2000, owner_, false, false));
  EXPECT_FALSE(VirtualAudio::IsOpen(0));
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kIdle);
}

// Scrubbing over a source whose every sample is its own frame number, so
// that the device's bytes tell where each block was mixed.
TEST_F(PlayControlTest, ScrubbingFollowsTheRequestsByTheDecisionTable) {
  std::vector<BYTE> ramp(std::size_t{60} * kRate * 2);
  for (std::size_t f = 0; f < ramp.size() / 2; ++f) {
    ramp[2 * f] = static_cast<BYTE>(f % 30000);
    ramp[2 * f + 1] = static_cast<BYTE>((f % 30000) >> 8);
  }
  AddClip(films_, Keep(new MemorySource(WAVE_FORMAT_PCM, 1, kRate, 16, 2, ramp)), 0, 0, 60000, 0);
  BYTE flag = 0xFF;
  ASSERT_TRUE(engine_->StartScrub(films_.First(), UnitySetup(1), 1000, owner_, &flag));
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kScrubbing);
  EXPECT_FALSE(engine_->StartScrub(films_.First(), UnitySetup(1), 1000, owner_, &flag));

  // Requests made before a header comes back steer the block mixed then,
  // which sounds after the one still queued.
  const std::vector<std::pair<int, LONG>> requests = {
      {2, 3000},  // far ahead: jumps
      {3, 3103},  // 24 frames past the current one: below the threshold, plays on
      {4, 2000},  // far back: jumps, the block reversed
      {5, 2050},  // back by less than a block: jumps, not reversed
  };
  std::vector<WPARAM> notices;
  for (int step = 1; step <= 18; ++step) {
    for (const auto& r : requests)
      if (r.first == step) engine_->RequestSeek(r.second);
    VirtualAudio::Advance(100);  // one scrub block of 800 frames
    MSG message{};
    ASSERT_TRUE(WaitUntil([&] {
      return PeekMessage(&message, owner_, kScrubNotice, kScrubNotice, PM_REMOVE) != 0;
    })) << step;
    notices.push_back(message.wParam);
    EXPECT_EQ(message.lParam, -1);
    ASSERT_TRUE(VirtualAudio::WaitQueued(0, 3200, 20000)) << step;
  }
  // The start of each block played, and whether it ran backwards.
  std::vector<BYTE> played = VirtualAudio::Played(0);
  ASSERT_EQ(played.size(), 18u * 1600);
  auto sample = [&](std::size_t i) { return played[2 * i] | (played[2 * i + 1] << 8); };
  std::vector<int> starts;
  for (std::size_t b = 0; b < 18; ++b) {
    const int first = sample(b * 800), last = sample(b * 800 + 799);
    starts.push_back(last > first ? first : -last);
    ASSERT_EQ(std::abs(last - first), 799) << b;
  }
  std::vector<int> expected = {8000, 8800, 9600, 24000, 24800, -16000, 16400};
  for (int f = 17200; f <= 24400; f += 800) expected.push_back(f);  // plays on up to MaxPreviewLength
  expected.push_back(16400);                                        // then back to the mouse
  EXPECT_EQ(starts, expected);
  // Each notice names the block that had just been mixed when the header came back.
  EXPECT_EQ(notices[0], 1100u);
  EXPECT_EQ(notices[2], 3000u);

  engine_->StopScrub();
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kIdle);
  EXPECT_FALSE(VirtualAudio::IsOpen(0));
  engine_->StopScrub();  // not scrubbing: nothing
}

}  // namespace
