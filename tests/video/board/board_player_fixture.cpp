#include "board_player_fixture.h"

#include "model/time_code.h"

namespace boardtest {

void BoardPlayerTest::SetUp() {
  // The board's own thread is there before the fixture counts threads.
  library_ = std::make_unique<BoardLibrary>();
  ASSERT_TRUE(library_->loaded());
  library_->DriveClock(true);
  PlayerTest::SetUp();
  FastFile::observer = [this](int64_t offset, int32_t length) {
    std::lock_guard<std::mutex> hold(readsLock_);
    reads_.push_back({offset, length});
  };
}

void BoardPlayerTest::TearDown() {
  segments_.Clear();
  PlayerTest::TearDown();
  FastFile::observer = nullptr;
  library_.reset();
}

AVIVideoData* BoardPlayerTest::UseFile(const std::string& name, int count, uint32_t frameBytes, int32_t audioChunk) {
  BoardAvi spec;
  spec.audioChunk = audioChunk;
  const uint32_t fields = frameBytes - 28;
  for (int i = 0; i < count; ++i) {
    const BYTE grey = static_cast<BYTE>(16 + i * 7 % 200);
    spec.frames.push_back(VlmdFrame(fields / 2, fields - fields / 2, grey, 0x80, 0x80));
  }
  const std::string path = folder_.Path(name);
  WriteBoardAvi(path, spec);
  return Use(path);
}

int64_t BoardPlayerTest::DataOffset(AVIVideoData* source, int32_t frame) {
  return static_cast<int64_t>(source->index[static_cast<std::size_t>(frame)].dwChunkOffset) +
         source->moviDataPosition;
}

bool BoardPlayerTest::Play(AVIVideoData* source, int frames, FilmListHead* films) {
  segments_.Clear();
  const int32_t end = FramesToMs(frames, 25.0f);
  playertest::AddSegment(segments_, source, 0, 0, end);
  return TheVideoPlayer->Play(segments_.First(), 0, end, films != nullptr ? *films : noFilms_, Notify());
}

std::vector<int32_t> BoardPlayerTest::FrameIds() {
  std::vector<int32_t> ids;
  for (const VlmSimAnnouncement& a : library_->Log()) {
    if (a.kind == 4) ids.push_back(a.id);
  }
  return ids;
}

std::vector<std::pair<int64_t, int32_t>> BoardPlayerTest::Reads() {
  std::lock_guard<std::mutex> hold(readsLock_);
  return reads_;
}

}  // namespace boardtest
