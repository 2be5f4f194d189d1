// The messages by which the recorder, the wait dialog, the frame and other
// instances drive the time-line: set and get the cursor, prepare, play,
// stop, and the recorder's files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "model/film_list.h"
#include "support/file_bytes.h"
#include "transport_fixture.h"

namespace transporttest {
namespace {

class MessagesTest : public TransportTest {
 protected:
  LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) { return window_->SendMessage(message, w, l); }
  int Count(const std::string& entry) const {
    return static_cast<int>(std::count(players_.log.begin(), players_.log.end(), entry));
  }
  // A WAVE of the project's format at path.
  void WaveAt(const std::string& path) {
    const std::string made = WriteWave("take.wav", 44100, 2, 16, 44100);
    std::filesystem::copy_file(made, path, std::filesystem::copy_options::overwrite_existing);
  }
};

TEST_F(MessagesTest, GetCursorGivesTheCursorOrTheStartPreparedToPlayFrom) {
  OpenTransport();
  SoundClip(0, 1000, 5000);
  Engine().SetPlayCursor(2500, false);
  EXPECT_EQ(Send(kGetCursorMessage), 2500);
  for (bool fromCursor : {true, false}) {
    Engine().play.startFromCursor = fromCursor;
    ASSERT_EQ(Send(kPrepareRangeMessage), kKindAudio);
    Engine().SetPlayCursor(3000, false);
    EXPECT_EQ(Send(kGetCursorMessage), fromCursor ? 3000 : 1000) << fromCursor;
    Send(kStopMessage);
    Pump();
    EXPECT_FALSE(Engine().prepared);
  }
}

TEST_F(MessagesTest, SetCursorWhilePlayingStopsAndLeavesTheCursorThere) {
  OpenTransport();
  SoundClip(0, 0, 8000);
  Engine().SetPlayCursor(700, false);
  EXPECT_EQ(Send(kSetCursorMessage, 0, 1200), 700);
  EXPECT_EQ(Engine().cursor, 1200);

  Engine().play.startFromCursor = false;
  Command(kCmPlay);
  ASSERT_TRUE(Engine().playing);
  players_.audioEngine.position = 3000;
  Tick();
  EXPECT_EQ(Send(kSetCursorMessage, 0, 4500), 3000);
  EXPECT_FALSE(Engine().playing);
  EXPECT_EQ(Engine().cursor, 4500);
  Pump();
  EXPECT_EQ(Engine().cursor, 4500);
  EXPECT_EQ(Frame().requests, std::vector<int>{11});
}

// Prepare range: 1 for an empty project, 0 while playing or while a dialog
// runs; else the parts prepared for the selection or what shows of the clips.
TEST_F(MessagesTest, PrepareRangeTakesOnlyWhatShowsAndRefusesWhilePlaying) {
  OpenTransport();
  EXPECT_EQ(Send(kPrepareRangeMessage), 1);
  EXPECT_FALSE(Engine().prepared);
  Engine().SetLength(60000);
  Engine().ZoomToRange(0, 10000);
  SoundClip(0, 2000, 40000);
  const int32_t viewEnd = Engine().PixelToPos(Engine().width);
  ASSERT_LT(viewEnd, 40000);

  Engine().EnableCommands(false);
  EXPECT_EQ(Send(kPrepareRangeMessage), 0);
  Engine().EnableCommands(true);
  EXPECT_EQ(Send(kPrepareRangeMessage), kKindAudio);
  EXPECT_TRUE(Engine().prepared);
  EXPECT_FALSE(Engine().playing);
  EXPECT_EQ(Engine().play.rangeStart, 2000);
  EXPECT_EQ(Engine().play.rangeEnd, viewEnd);
  EXPECT_EQ(Engine().play.loopsRemaining, 1);
  EXPECT_EQ(Engine().cursor, 2000);
  EXPECT_EQ(Count("audio.resume"), 0);

  EXPECT_EQ(Send(kPlayMessage), 1);
  ASSERT_TRUE(Engine().playing);
  EXPECT_EQ(Send(kPrepareRangeMessage), 0);
}

// Play starts what is prepared: at once, or after the wait for a key or
// one of the four GPI inputs, whose dialog starts the players itself.
TEST_F(MessagesTest, PlayStartsThePreparedPlayersAtOnceOrAfterTheWait) {
  OpenTransport();
  VideoClip(0, 0, 4000);
  SoundClip(0, 0, 4000);
  EXPECT_EQ(Send(kPlayMessage), 0);  // nothing prepared

  struct Case {
    WPARAM kind;
    LPARAM input;
    bool answer;
    LRESULT result;
    int32_t waitKind;  // -1: no wait
    bool playing, prepared;
  } cases[] = {
      {0, 0, true, 1, -1, true, false},  {7, 0, true, 1, -1, true, false},  {1, 0, true, 1, 1, true, false},
      {2, 0, true, 1, 2, true, false},   {2, 3, true, 1, 5, true, false},   {2, 9, true, 0, -1, false, true},
      {2, -1, true, 0, -1, false, true}, {1, 0, false, 0, 1, false, false}, {2, 2, false, 0, 4, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " input " << c.input << " answer " << c.answer);
    ASSERT_NE(Send(kPrepareRangeMessage), 0);
    players_.log.clear();
    players_.wait.kind = -1;
    players_.wait.answer = c.answer;
    EXPECT_EQ(Send(kPlayMessage, c.kind, c.input), c.result);
    Pump();
    EXPECT_EQ(players_.wait.kind, c.waitKind);
    EXPECT_EQ(Engine().playing, c.playing);
    EXPECT_EQ(Engine().prepared, c.prepared);
    EXPECT_EQ(Count("video.run"), c.playing ? 1 : 0);
    EXPECT_EQ(Count("audio.resume"), c.playing ? 1 : 0);
    Send(kStopMessage);
    Pump();
    ASSERT_FALSE(Engine().playing || Engine().prepared);
  }
}

// The recorder's file is copied before its dialog goes: a name of 259
// characters reaches the time-line whole; a longer one is refused.
TEST_F(MessagesTest, TheRecordedFileGoesOnTheTimeLineAfterTheRecorderCloses) {
  OpenTransport();
  host_.recording = true;
  const std::string path = PathOfLength(MAX_PATH - 1, "take.wav");
  WaveAt(path);
  EXPECT_EQ(Send(kRecordedFileMessage, 2000, reinterpret_cast<LPARAM>(path.c_str())), 0);
  EXPECT_FALSE(host_.recording);
  ASSERT_EQ(FilmList.Count(), 1);
  Film* clip = FilmList.First();
  ASSERT_NE(clip->audio, nullptr);
  EXPECT_EQ(std::string(clip->audio->GetFileName()), path);
  EXPECT_EQ(clip->start, 2000);

  const std::string longer = PathOfLength(MAX_PATH, "take.wav");
  WaveAt(longer);
  host_.recording = true;
  boxes.boxes.clear();
  Send(kRecordedFileMessage, 5000, reinterpret_cast<LPARAM>(longer.c_str()));
  EXPECT_FALSE(host_.recording);
  EXPECT_EQ(FilmList.Count(), 1);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Insert Clip");

  // No name: the recorder only closes.
  host_.recording = true;
  Send(kRecordedFileMessage, 0, 0);
  EXPECT_FALSE(host_.recording);
  EXPECT_EQ(FilmList.Count(), 1);
}

TEST_F(MessagesTest, RecorderDoneAddsItsFileForTheMouseOnlyWhenItHasOne) {
  OpenTransport();
  const std::string path = FilePath("done.wav");
  WaveAt(path);
  host_.recording = true;
  Send(kRecorderDoneMessage, 2, reinterpret_cast<LPARAM>(path.c_str()));
  EXPECT_FALSE(host_.recording);
  EXPECT_EQ(window_->HeldClip(), nullptr);
  host_.recording = true;
  Send(kRecorderDoneMessage, 1, reinterpret_cast<LPARAM>(path.c_str()));
  EXPECT_FALSE(host_.recording);
  ASSERT_NE(window_->HeldClip(), nullptr);
  ASSERT_NE(window_->HeldClip()->GetAudio(), nullptr);
  EXPECT_EQ(std::string(window_->HeldClip()->GetAudio()->GetFileName()), path);
  EXPECT_EQ(FilmList.Count(), 0);
}

}  // namespace
}  // namespace transporttest
