// The MIDI player through the real stream tool library on the virtual MIDI
// device, on a clock only the test moves.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "midi_player_fixture.h"
#include "platform/core/time.h"

namespace {

// (ms since the stream started, short message) of each message played.
using Played = std::vector<std::pair<ULONGLONG, DWORD>>;

Played PlayedOn(std::size_t device = 0) {
  Played out;
  for (const VirtualMidiEvent& e : VirtualMidi::Events(device))
    out.push_back({e.timeUs / 1000, e.ShortMessage()});
  return out;
}

class MidiStreamTest : public MidiPlayerFixture {
 protected:
  // Moves the clock on by step, lets the stream play what fell due and
  // passes its notices on as the time-line window does.
  void Step(MidiPlayer& player, DWORD step) {
    clock_.Advance(step);
    ASSERT_TRUE(WaitForDrivenWaiters(1, 5000));
    MSG m;
    while (PeekMessage(&m, owner_, 0, 0, PM_REMOVE)) {
      if (m.message == MM_MOM_DONE) player.BufferDone();
      if (m.message == MidiPlayer::kPlayEndedMessage) ++ended_;
    }
  }
  void PlayToTheEnd(MidiPlayer& player, DWORD step, int maxSteps) {
    for (int i = 0; i < maxSteps && ended_ == 0; ++i) Step(player, step);
    // Nothing more arrives after the end.
    for (int i = 0; i < 4; ++i) Step(player, step);
  }

  TestClock clock_;
  int ended_ = 0;
};

TEST_F(MidiStreamTest, ARangeInsideAFilmPlaysItsWindowAfterTheLead) {
  MidiData* song = File(NoteEverySecond(18), "song.mid");
  ASSERT_NE(song, nullptr);
  AddFilm(song, 12000, 30000, 0);
  MidiPlayer player;
  ASSERT_TRUE(player.IsUsable());
  ASSERT_TRUE(player.Prepare(films_.First(), 10000, 20000, owner_, 512));
  ASSERT_TRUE(VirtualMidi::IsOpen());
  player.Start();
  ASSERT_EQ(player.GetState(), MidiPlayer::kPlaying);
  for (int i = 0; i < 10; ++i) Step(player, 250);
  EXPECT_EQ(player.GetPosition(), 12500);
  PlayToTheEnd(player, 250, 60);
  EXPECT_EQ(ended_, 1);
  EXPECT_EQ(player.GetState(), MidiPlayer::kReady);

  // The window 0-8000 ms of the file, from 2000 ms on.
  Played expected;
  for (ULONGLONG i = 0; i < 8; ++i) {
    expected.push_back({2000 + 1000 * i, 0x643C90});
    expected.push_back({2500 + 1000 * i, 0x003C80});
  }
  EXPECT_EQ(PlayedOn(), expected);

  player.Stop();
  EXPECT_FALSE(VirtualMidi::IsOpen());
  EXPECT_EQ(player.GetPosition(), -1);
}

TEST_F(MidiStreamTest, FilmsBackToBackPlayOneAfterTheOther) {
  // The first film ends while its note sounds; the second runs at twice the tempo.
  MidiData* first = File(OneTrackFile(TrackBytes().NoteOn(0, 0, 60, 100).NoteOff(384, 0, 60).End()), "a.mid");
  MidiData* second = File(
      OneTrackFile(TrackBytes().Tempo(0, 250000).NoteOn(0, 0, 64, 100).NoteOff(96, 0, 64).End()), "b.mid");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  AddFilm(first, 0, 1000, 0);
  AddFilm(second, 1000, 1500, 0);
  MidiPlayer player;
  ASSERT_TRUE(player.Prepare(films_.First(), 0, 1500, owner_, 512));
  player.Start();
  PlayToTheEnd(player, 100, 40);
  EXPECT_EQ(ended_, 1);
  EXPECT_EQ(PlayedOn(), (Played{{0, 0x643C90}, {1000, 0x003C80}, {1000, 0x644090}, {1250, 0x004080}}));
  player.Stop();
}

TEST_F(MidiStreamTest, StopSilencesAndClosesThePlayingStream) {
  MidiData* song = File(NoteEverySecond(10), "song.mid");
  ASSERT_NE(song, nullptr);
  AddFilm(song, 0, 10000, 0);
  MidiPlayer player;
  ASSERT_TRUE(player.Prepare(films_.First(), 0, 10000, owner_, 512));
  player.Start();
  for (int i = 0; i < 3; ++i) Step(player, 100);
  player.Stop();
  EXPECT_FALSE(VirtualMidi::IsOpen());
  EXPECT_GE(VirtualMidi::Silences(), 1);
  EXPECT_EQ(player.GetState(), MidiPlayer::kReady);
  // The buffers the stop handed back are no notices for a later play.
  MSG m;
  EXPECT_FALSE(PeekMessage(&m, owner_, MM_MOM_DONE, MM_MOM_DONE, PM_NOREMOVE));
  EXPECT_EQ(PlayedOn(), (Played{{0, 0x643C90}}));
  EXPECT_EQ(ended_, 0);
}

}  // namespace
