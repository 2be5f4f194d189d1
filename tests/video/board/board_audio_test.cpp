// The sound of a clip of the board's file, served from the bytes the
// feeder read into the ring: played through the audio engine on the
// virtual device, and read by a reader that lags behind the feeder.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio/audio_player.h"
#include "board_player_fixture.h"
#include "media/audio_readers.h"
#include "model/film.h"
#include "model/ini.h"
#include "model/time_code.h"
#include "model/timeline_state.h"
#include "platform/audio/virtual_audio.h"
#include "platform/core/message_queue.h"
#include "platform/core/time.h"
#include "video/board_audio.h"

namespace boardtest {
namespace {

constexpr int32_t kChunk = 7056;  // 1/25 s of 16-bit stereo at 44100 Hz

class BoardAudio : public BoardPlayerTest {
 protected:
  void SetUp() override {
    BoardPlayerTest::SetUp();
    VirtualAudio::Reset();
  }
  void TearDown() override {
    films_.Clear();
    BoardPlayerTest::TearDown();
  }
  // A file with sound, and a clip of its sound aligned with the video.
  AVIVideoData* UseWithSound(int frames, uint32_t frameBytes = 4124) {
    AVIVideoData* v = UseFile("sound.avi", frames, frameBytes, kChunk);
    sound_ = dynamic_cast<TReadAVIAudio*>(AudioData::OpenShared(v->fileName));
    EXPECT_NE(sound_, nullptr);
    auto* film = new Film();
    film->audio = sound_;
    film->audioLine = 0;
    film->end = FramesToMs(frames, 25.0f);
    film->out = film->end;
    film->sourceLength = sound_->length;
    film->volumePoints.SetTwoPoints(sound_->length, 512);
    film->balancePoints.SetTwoPoints(sound_->length, 0);
    Film::Link(film, films_);
    film_ = film;
    return v;
  }
  VelmoraAudioData* Wrapper() { return Board()->AudioList(); }

  ScopedEnv temp_{"TMPDIR", folder_.path()};
  FilmListHead films_;
  Film* film_ = nullptr;
  TReadAVIAudio* sound_ = nullptr;
};

std::vector<BYTE> Sound(int from, int to) {
  std::vector<BYTE> all;
  for (int k = from; k < to; ++k) {
    const std::vector<BYTE> c = AudioChunkBytes(k, kChunk);
    all.insert(all.end(), c.begin(), c.end());
  }
  return all;
}

TEST_F(BoardAudio, AnAlignedClipPlaysFromTheRingAndTheFileIsReadOnce) {
  const int kFrames = 25;
  AVIVideoData* v = UseWithSound(kFrames);
  ASSERT_TRUE(Play(v, kFrames, &films_));
  VelmoraAudioData* wrapper = Wrapper();
  ASSERT_NE(wrapper, nullptr);
  EXPECT_EQ(wrapper->next, nullptr);
  EXPECT_EQ(film_->audio, static_cast<AudioSource*>(wrapper));
  // A stand-in is not found by name.
  EXPECT_EQ(AudioData::FindByName(v->fileName), sound_);
  EXPECT_EQ(Reads().size(), 1u);

  EnsureMessageQueue();
  AudioPlayer engine;
  float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
  ASSERT_EQ(engine.Configure(44100, 2, 2, 4, 16, 4, delay, preview, maxPreview), 0);
  MixSetup mix;
  mix.masterGain = 512;
  mix.lineCount = 1;
  mix.lines[0].gain = 512;
  HWND owner = reinterpret_cast<HWND>(0x4321);
  ASSERT_TRUE(engine.PrepareRange(films_.First(), mix, 0, 1000, owner, false, false));
  ASSERT_TRUE(engine.Resume());
  Sub()->Run(Notify());
  for (int i = 0; i < 400 && VirtualAudio::IsOpen(0); ++i) {
    VirtualAudio::Advance(32);
    std::this_thread::sleep_for(std::chrono::microseconds(300));
  }
  engine.Stop();
  Sub()->Stop();

  std::vector<BYTE> played = VirtualAudio::Played(0);
  ASSERT_GE(played.size(), static_cast<std::size_t>(kFrames * kChunk));
  played.resize(static_cast<std::size_t>(kFrames * kChunk));
  const std::vector<BYTE> expected = Sound(0, kFrames);
  const auto differ = std::mismatch(played.begin(), played.end(), expected.begin());
  EXPECT_TRUE(differ.first == played.end()) << "first difference at byte " << (differ.first - played.begin())
                                            << ": " << int(*differ.first) << " for " << int(*differ.second);
  EXPECT_EQ(wrapper->bytesFromFile, 0);
  EXPECT_EQ(wrapper->bytesFromRing, kFrames * kChunk);

  Sub()->Finish(true);
  // The clip has its own source again.
  EXPECT_EQ(film_->audio, static_cast<AudioSource*>(sound_));
  EXPECT_EQ(Board()->AudioList(), nullptr);
}

TEST_F(BoardAudio, WithoutTheOptimisationTheClipReadsItsOwnFile) {
  TheVideoPlayer->dontOptimizeAudio = true;
  AVIVideoData* v = UseWithSound(10);
  ASSERT_TRUE(Play(v, 10, &films_));
  EXPECT_EQ(Wrapper(), nullptr);
  EXPECT_EQ(film_->audio, static_cast<AudioSource*>(sound_));
}

TEST_F(BoardAudio, AClipThatIsNotAlignedWithTheVideoReadsItsOwnFile) {
  AVIVideoData* v = UseWithSound(10);
  film_->in = 40;  // the sound a frame later than the picture
  ASSERT_TRUE(Play(v, 10, &films_));
  EXPECT_EQ(Wrapper(), nullptr);
}

TEST_F(BoardAudio, AReaderBehindTheFeederGetsTheFilesBytesNeverOverwrittenOnes) {
  // Three frames and their sound a read; thirteen reads fill the ring.
  const int kFrames = 45;
  AVIVideoData* v = UseWithSound(kFrames, 200000);
  ASSERT_TRUE(Play(v, kFrames, &films_));
  VelmoraAudioData* w = Wrapper();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(FrameIds().size(), 39u);
  const int32_t first = w->chunkPos[0];
  ASSERT_GE(first, 0);
  // The board shows six frames; the feeder writes over their room.
  TestClock clock;
  ASSERT_TRUE(WaitForDrivenWaiters(1));
  Sub()->Run(Notify());
  library_->Advance(200);
  clock.Advance(100);
  ASSERT_TRUE(WaitForDrivenWaiters(2));  // the feeder and the monitor wait again
  ASSERT_GT(FrameIds().size(), 39u);
  EXPECT_EQ(w->chunkPos[0], kSkipped);
  const std::vector<BYTE> chunk0 = AudioChunkBytes(0, kChunk);
  EXPECT_FALSE(std::equal(chunk0.begin(), chunk0.end(), TheVelmoraDevice.fifo + first));
  int64_t forgotten = 0;
  for (int k = 0; k < 12; ++k) forgotten += w->chunkPos[k] == kSkipped ? kChunk : 0;
  EXPECT_GE(w->chunkPos[11], 0);

  // The reader comes late to the first chunks, in time for the later.
  sound_->BeginRead();
  std::vector<BYTE> got(12 * kChunk);
  ASSERT_EQ(w->ReadBytes(got.data(), 0, 12 * kChunk), 12 * kChunk);
  EXPECT_TRUE(got == Sound(0, 12));
  EXPECT_EQ(w->bytesFromFile, forgotten);
  EXPECT_EQ(w->bytesFromRing, 12 * kChunk - forgotten);
  sound_->EndRead();
  Sub()->Stop();
  Sub()->Finish(true);
}

TEST_F(BoardAudio, AReaderWaitingForAChunkIsReleasedByTheStop) {
  const int kFrames = 20;
  AVIVideoData* v = UseWithSound(kFrames, 700000);
  ASSERT_TRUE(Play(v, kFrames, &films_));
  VelmoraAudioData* w = Wrapper();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->chunkPos[15], kNotRead);  // still to come from the feeder
  Sub()->Run(Notify());
  sound_->BeginRead();
  std::vector<BYTE> got(kChunk);
  std::atomic<LONG> read{-1};
  std::thread reader([&] { read = w->ReadBytes(got.data(), 15 * kChunk, kChunk); });
  ASSERT_TRUE(playertest::WaitUntil([] { return VelmoraAudioData::waiting.load() != 0; }));
  Sub()->Stop();
  reader.join();
  EXPECT_EQ(read.load(), kChunk);
  EXPECT_TRUE(got == Sound(15, 16));
  EXPECT_EQ(w->chunkPos[15], kNotRead);  // the feeder never got there
  sound_->EndRead();
  Sub()->Finish(true);
}

}  // namespace
}  // namespace boardtest
