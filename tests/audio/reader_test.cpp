// The reader thread's walk over the clips of the Film list, seen from the
// read pipe.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/audio_player.h"
#include "engine_fixture.h"
#include "media/audio_data.h"
#include "model/film.h"
#include "model/film_list.h"
#include "support/time_bounds.h"

namespace {

// A source that stamps each block with where it was read from.
class FakeSource : public AudioData {
 public:
  explicit FakeSource(int id) : AudioData("/nonexistent/kobrix-fake.wav"), id_(id) {
    referenceCount = 1;  // the test's own; films add theirs
    AllocateFormat(18);
    format->wFormatTag = WAVE_FORMAT_PCM;
    format->nChannels = 1;
    format->nSamplesPerSec = 8000;
    format->nAvgBytesPerSec = 16000;
    format->nBlockAlign = 2;
    format->wBitsPerSample = 16;
    format->cbSize = 0;
  }
  LONG ReadBlock(SampleBlock* block, std::int64_t first, LONG count) override {
    std::lock_guard<std::mutex> hold(lock);
    reads.push_back({first, count});
    block->requested = count;
    block->held = count;
    block->format = BlockFormatOf(*format);
    LONG stamp[2] = {id_, static_cast<LONG>(first)};
    std::memcpy(block->data, stamp, sizeof(stamp));
    return count;
  }
  std::mutex lock;
  std::vector<std::pair<std::int64_t, LONG>> reads;

 private:
  int id_;
};

struct Piece {
  LONG source;  // 0 for a silent block
  LONG first;
  LONG requested;
  LONG held;
};

class ReaderTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    engine_ = std::make_unique<AudioPlayer>();
    // 8000 Hz mono 16-bit: 8 frames a millisecond, blocks of 2048 frames.
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(engine_->Configure(8000, 1, 2, 4, 16, 4, delay, preview, maxPreview), 0);
    ASSERT_EQ(engine_->GetBlockFrames(), 2048);
    // Line 0: A over frames [0, 800), B over [1600, 4800) from the source's
    // frame 8000. Line 1: C over [2048, 4096), on the block edges. A video
    // clip between them is passed over.
    Add(films_, 0, 0, 100, 0, a_);
    Add(films_, 0, 200, 600, 1000, b_);
    Add(films_, 1, 256, 512, 0, c_);
    Film* video = new Film();
    video->start = 150;
    video->end = 400;
    video->videoRow = 0;
    Film::Link(video, films_);
  }
  void TearDown() override {
    engine_->StopWorkers();
    engine_.reset();
    films_.Clear();
    extra_.Clear();
    EngineTest::TearDown();
  }

  static void Add(FilmListHead& list, int line, int32_t start, int32_t end, int32_t in, FakeSource& source) {
    Film* film = new Film();
    film->audio = source.AddRef();
    film->audioLine = line;
    film->start = start;
    film->end = end;
    film->in = in;
    film->out = in + (end - start);
    Film::Link(film, list);
  }

  // The mix of lines lines, each at unity unless muted.
  static MixSetup Setup(int lines, bool muteLine1 = false) {
    MixSetup setup;
    setup.masterGain = 512;
    setup.lineCount = lines;
    for (int t = 0; t < 4; ++t) setup.lines[t].gain = 512;
    if (muteLine1) setup.lines[1].gain = 0;
    return setup;
  }

  Piece Next() {
    TData* d = engine_->GetReadPipe()->GetReadBlock();
    EXPECT_NE(d, nullptr);
    if (d == nullptr) return {};
    Piece p{0, 0, d->block->requested, d->block->held};
    if (d->block->format.wBitsPerSample == 16) {
      LONG stamp[2];
      std::memcpy(stamp, d->block->data, sizeof(stamp));
      p.source = stamp[0];
      p.first = stamp[1];
    }
    engine_->GetReadPipe()->ReleaseReadBlock();
    return p;
  }

  std::unique_ptr<AudioPlayer> engine_;
  FakeSource a_{1}, b_{2}, c_{3};
  FilmListHead films_;
  FilmListHead extra_;  // outlives the reader, which TearDown stops
};

void ExpectPiece(const Piece& p, LONG source, LONG first, LONG requested) {
  EXPECT_EQ(p.source, source);
  EXPECT_EQ(p.first, first);
  EXPECT_EQ(p.requested, requested);
}

TEST_F(ReaderTest, SendsOnePiecePerClipAndBlockInLineOrder) {
  ASSERT_TRUE(engine_->AllocBuffers());
  EXPECT_EQ(engine_->SetMixRange(films_.First(), Setup(2), 0, 600, false, false), 2);
  ASSERT_TRUE(engine_->StartReader());
  // Block [0, 2048): A whole, the head of B (filling the block), and C's
  // empty piece at the block's end.
  ExpectPiece(Next(), 1, 0, 800);
  ExpectPiece(Next(), 2, 8000, 448);
  ExpectPiece(Next(), 3, 0, 0);
  // Block [2048, 4096): B and C each fill it.
  ExpectPiece(Next(), 2, 8448, 2048);
  ExpectPiece(Next(), 3, 0, 2048);
  // Block [4096, 4800): the rest of B; C is passed.
  ExpectPiece(Next(), 2, 10496, 704);
  // A guard against a hang: the reader ends by itself.
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (engine_->IsReaderRunning() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_FALSE(engine_->IsReaderRunning());
  EXPECT_EQ(TDataPipe::fullBlocks.load(), 0);
}

TEST_F(ReaderTest, AMutedLineSendsSilenceWhenAllLinesPlay) {
  ASSERT_TRUE(engine_->AllocBuffers());
  EXPECT_EQ(engine_->SetMixRange(films_.First(), Setup(2, true), 0, 600, true, false), 2);
  ASSERT_TRUE(engine_->StartReader());
  Next();
  Next();
  Piece silent = Next();
  EXPECT_EQ(silent.source, 0);
  EXPECT_EQ(silent.held, 0);
  Next();
  silent = Next();
  EXPECT_EQ(silent.source, 0);
  EXPECT_EQ(silent.requested, 2048);
  EXPECT_EQ(silent.held, 0);
  Next();
  EXPECT_TRUE(c_.reads.empty());  // a muted line is never read from its file

  // Without all lines the muted line has no cursor and sends nothing.
  engine_->StopWorkers();
  engine_->FreeBuffers();
  ASSERT_TRUE(engine_->AllocBuffers());
  EXPECT_EQ(engine_->SetMixRange(films_.First(), Setup(2, true), 0, 600, false, false), 1);
  ASSERT_TRUE(engine_->StartReader());
  ExpectPiece(Next(), 1, 0, 800);
  ExpectPiece(Next(), 2, 8000, 448);
  ExpectPiece(Next(), 2, 8448, 2048);
  ExpectPiece(Next(), 2, 10496, 704);
}

TEST_F(ReaderTest, ALoopedRangeStartsOverAtItsStart) {
  ASSERT_TRUE(engine_->AllocBuffers());
  // [50, 300) ms: frames [400, 2400), blocks [400, 2448) and [2448, 2400).
  engine_->SetMixRange(films_.First(), Setup(1), 50, 300, false, true);
  ASSERT_TRUE(engine_->StartReader());
  for (int round = 0; round < 3; ++round) {
    ExpectPiece(Next(), 1, 400, 400);
    ExpectPiece(Next(), 2, 8000, 800);
  }
}

TEST_F(ReaderTest, StoppingBlockedWorkersReturnsAtOnce) {
  engine_->MaxBlockRead = 2;
  ASSERT_TRUE(engine_->AllocBuffers());
  engine_->SetMixRange(films_.First(), Setup(1), 0, 600, false, true);
  const auto quickest = QuickestOf(
      5,
      [&] {
        // Each round starts them again, on new pipes.
        engine_->FreeBuffers();
        ASSERT_TRUE(engine_->AllocBuffers());
        ASSERT_TRUE(engine_->StartWorkers());
        // Nobody consumes: the reader fills the pipe and waits on it (a
        // guard against a hang while it does).
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (TDataPipe::freeBlocks.load() > 0 && std::chrono::steady_clock::now() < end) {
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      },
      [&] {
        engine_->StopWorkers();
        EXPECT_FALSE(engine_->IsReaderRunning());
      });
  // Woken, not timed out: a wait that only a time-out ends takes that long
  // in every round, where a busy machine holds back only some.
  EXPECT_LT(quickest, std::chrono::milliseconds(200));
}

TEST_F(ReaderTest, AnEmptyLoopedRangeEndsInsteadOfSpinning) {
  ASSERT_TRUE(engine_->AllocBuffers());
  engine_->SetMixRange(films_.First(), Setup(1), 300, 300, false, true);
  ASSERT_TRUE(engine_->StartReader());
  // A guard against a hang: the reader ends by itself.
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (engine_->IsReaderRunning() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_FALSE(engine_->IsReaderRunning());
}

// A source of wider frames than the blocks were made for is never read: its
// pieces are silent, and nothing is written past the block's memory.
TEST_F(ReaderTest, ASourceWithWideFramesNeverOverflowsTheBlock) {
  ASSERT_TRUE(engine_->AllocBuffers());
  a_.format->nChannels = 4;
  a_.format->wBitsPerSample = 32;
  a_.format->nBlockAlign = 16;
  a_.format->nAvgBytesPerSec = 16 * 8000;
  Add(extra_, 0, 0, 600, 0, a_);
  engine_->SetMixRange(extra_.First(), Setup(1), 0, 600, false, false);
  ASSERT_TRUE(engine_->StartReader());
  Piece p = Next();
  EXPECT_EQ(p.source, 0);
  EXPECT_EQ(p.requested, 2048);
  EXPECT_EQ(p.held, 0);
  EXPECT_TRUE(a_.reads.empty());
}

// A range at the end of a day: frame positions pass 2^31 and must not wrap.
TEST_F(ReaderTest, PositionsAtTheEndOfADayDoNotWrap) {
  float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
  ASSERT_EQ(engine_->Configure(48000, 1, 2, 4, 16, 4, delay, preview, maxPreview), 0);
  ASSERT_TRUE(engine_->AllocBuffers());
  Add(extra_, 0, 86399000, 86400000, 0, a_);
  engine_->SetMixRange(extra_.First(), Setup(1), 86399000, 86400000, false, false);
  EXPECT_EQ(engine_->GetReadPosition(), 4147152000LL);
  ASSERT_TRUE(engine_->StartReader());
  LONG total = 0;
  while (total < 48000) {
    Piece p = Next();
    ASSERT_EQ(p.source, 1);
    EXPECT_EQ(p.first, total);
    total += p.requested;
  }
  EXPECT_EQ(total, 48000);
}

}  // namespace
