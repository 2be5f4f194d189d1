// The tape link against a simulated deck on a pseudo-terminal, and its cue
// with pre-roll against the simulated board.
#include "video/vtr.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "board_fixture.h"
#include "model/error_codes.h"
#include "model/ini.h"
#include "platform/core/time.h"
#include "support/recording_boxes.h"
#include "support/simulated_deck.h"
#include "support/test_env.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Deck = SimulatedDeck;

std::string Text(const VtrTimeCode& c) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d:%02d", c.hours, c.minutes, c.seconds, c.frames);
  return buffer;
}

VtrTimeCode Code(int h, int m, int s, int f) {
  VtrTimeCode c;
  c.hours = static_cast<int8_t>(h);
  c.minutes = static_cast<int8_t>(m);
  c.seconds = static_cast<int8_t>(s);
  c.frames = static_cast<int8_t>(f);
  return c;
}

// Runs the program's clock (and the board's, when given) on for the test:
// by steps of step ms, either whenever the deck has taken all it was sent,
// or only while a wait on the clock is blocked (so that serial reads, which
// wait in real time, never run out).
class ClockDriver {
 public:
  ClockDriver(bool onlyWhileWaiting, DWORD step, boardtest::BoardLibrary* board = nullptr,
              SimulatedDeck* deck = nullptr)
      : thread_([=, this] {
          while (!stop_) {
            if (onlyWhileWaiting ? WaitForDrivenWaiters(1, 5) : deck == nullptr || deck->Idle()) {
              AdvanceClock(step);
              if (board != nullptr) board->Advance(static_cast<int>(step));
            }
            std::this_thread::sleep_for(std::chrono::microseconds(onlyWhileWaiting ? 300 : 1000));
          }
        }) {}
  ~ClockDriver() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  TestClock clock_;
  std::thread thread_;
};

class VtrTest : public ::testing::Test {
 protected:
  ScopedEnv quickTemp_{"TMPDIR", QuickTempFolder()};
  ScopedSettingsHome home_;
};

TEST_F(VtrTest, TimeConversions) {
  struct Case {
    int32_t format;
    int32_t ms;
    const char* code;
  };
  const Case toCode[] = {
      {0, 1234567, "00:20:34:14"},  // (567 + 19) / 40
      {1, 1234567, "00:20:34:17"},  // (567 + 16) / 33
      {0, 1990, "00:00:02:00"},     // frame 25 carries into the seconds
      {1, 999, "00:00:01:00"},      // frame 30 as well
      {0, 3599990, "01:00:00:00"},  // and on into the hours
      {0, -500, "00:00:00:00"},
      {0, 3600400, "01:00:00:10"},
  };
  VTRecorder r;
  for (const Case& c : toCode) {
    r.format = c.format;
    EXPECT_EQ(Text(r.MsToTimeCode(c.ms)), c.code) << c.ms << " format " << c.format;
  }
  r.format = 0;
  EXPECT_EQ(r.TimeCodeToMs(Code(1, 0, 0, 10)), 3600400);
  EXPECT_EQ(r.TimeCodeToMs(Code(-1, 30, 0, 0)), -5400000);
  r.format = 1;
  EXPECT_EQ(r.TimeCodeToMs(Code(0, 0, 1, 3)), 1099);
  EXPECT_LT(CompareTimeCodes(Code(0, 59, 59, 24), Code(1, 0, 0, 0)), 0);
  EXPECT_GT(CompareTimeCodes(Code(0, 0, 1, 0), Code(0, 0, 0, 24)), 0);
  EXPECT_LT(CompareTimeCodes(Code(-1, 0, 0, 0), Code(0, 0, 0, 0)), 0);
}

TEST_F(VtrTest, BetacamPackets) {
  Deck deck(Deck::Kind::Betacam);
  ASSERT_TRUE(deck.ok());
  Betacam vcr(0);
  ASSERT_TRUE(vcr.port.OpenPort(deck.path().c_str(), 38400, 8, 1, 2));
  struct Case {
    const char* what;
    std::function<void()> act;
    Bytes sent;
  };
  const Case cases[] = {
      {"shuttle -3", [&] { vcr.Shuttle(-3); }, {0x21, 0x21, 0x40, 0x82}},
      {"shuttle 7 stands still", [&] { vcr.Shuttle(7); }, {0x21, 0x11, 0x00, 0x32}},
      {"shuttle 5", [&] { vcr.Shuttle(5); }, {0x21, 0x11, 99, 0x95}},
      {"cue", [&] { vcr.CueTo(Code(1, 2, 3, 4)); }, {0x24, 0x31, 0x04, 0x03, 0x02, 0x01, 0x5F}},
      {"time of type 0", [&] { vcr.GetTimeCode(); }, {0x61, 0x0C, 0x04, 0x71}},
      {"LTC", [&] { vcr.GetTimeCodeLTC(); }, {0x61, 0x0C, 0x01, 0x6E}},
      {"stop", [&] { vcr.Stop(); }, {0x20, 0x00, 0x20}},
      {"rewind", [&] { vcr.Rewind(); }, {0x20, 0x20, 0x40}},
      {"set in", [&] { vcr.SetIn(Code(0, 0, 1, 0)); }, {0x00, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    deck.ClearLog();
    c.act();
    ASSERT_EQ(deck.Packets().size(), 1u) << c.what;
    EXPECT_EQ(deck.Packets()[0], c.sent) << c.what;
  }
  // The deck's time comes back from its BCD reply.
  deck.SetPosition(((13 * 60 + 11) * 1000) + 17 * 40);
  EXPECT_EQ(Text(vcr.GetTimeCode()), "00:13:11:17");
  EXPECT_TRUE(vcr.IsOpen());
}

TEST_F(VtrTest, AG5700Texts) {
  Deck deck(Deck::Kind::AG5700);
  ASSERT_TRUE(deck.ok());
  AG5700 vcr;
  ASSERT_TRUE(vcr.port.OpenPort(deck.path().c_str(), 9600, 8, 1, 2));
  struct Case {
    const char* what;
    std::function<void()> act;
    std::vector<std::string> sent;
  };
  const Case cases[] = {
      {"shuttle 3", [&] { vcr.Shuttle(3); }, {"OSF:3"}},
      {"shuttle -2", [&] { vcr.Shuttle(-2); }, {"OSR:2"}},
      {"shuttle 7", [&] { vcr.Shuttle(7); }, {"OSL"}},
      {"cue", [&] { vcr.CueTo(Code(1, 2, 3, 4)); }, {"SMC", "SCS: 1020304"}},
      {"cue before zero", [&] { vcr.CueTo(Code(-1, 2, 3, 4)); }, {"SMC", "SCS:-1020304"}},
      {"step ahead", [&] { vcr.StepAhead(); }, {"OSP", "OAF"}},
      {"start", [&] { vcr.Start(); }, {"OPL"}},
  };
  for (const Case& c : cases) {
    deck.ClearLog();
    c.act();
    EXPECT_EQ(deck.Texts(), c.sent) << c.what;
  }
  deck.SetPosition(-((2 * 3600 + 3 * 60 + 4) * 1000 + 5 * 40));
  EXPECT_EQ(Text(vcr.GetTimeCode()), "-2:03:04:05");
  deck.SetPosition((7 * 60 + 8) * 1000 + 24 * 40);
  EXPECT_EQ(Text(vcr.GetTimeCode()), "00:07:08:24");
  EXPECT_EQ(Text(vcr.GetTimeCodeLTC()), "00:00:00:00");
}

// Each way a deck can fail a transfer: four attempts, one box captioned with
// the port, the port closed, and nothing sent after; the settings given
// again connect once the deck answers.
TEST_F(VtrTest, AFailingDeckIsToldOnceAndLetGo) {
  struct Case {
    Deck::Kind kind;
    int32_t type;
    Deck::Behaviour behaviour;
  };
  const Case cases[] = {
      {Deck::Kind::Betacam, 2, Deck::Behaviour::Silent},
      {Deck::Kind::Betacam, 2, Deck::Behaviour::BadChecksum},
      {Deck::Kind::Betacam, 2, Deck::Behaviour::ShortReply},
      {Deck::Kind::AG5700, 1, Deck::Behaviour::Silent},
      {Deck::Kind::AG5700, 1, Deck::Behaviour::BadChecksum},
      {Deck::Kind::AG5700, 1, Deck::Behaviour::ShortReply},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.behaviour) + 10 * c.type);
    Deck deck(c.kind);
    ASSERT_TRUE(deck.ok());
    deck.SetBehaviour(c.behaviour);
    RecordingBoxes boxes;
    VTRecorder r;
    {
      ClockDriver fast(false, 50, nullptr, &deck);
      EXPECT_FALSE(r.SetSettings(0, c.type, deck.path().c_str(), 38400, 8, 1, 2, 1, 10, 0, 0));
    }
    EXPECT_EQ(deck.Received(), 4);  // the stop at connecting, four times
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "VTR connection error");
    EXPECT_EQ(boxes.shown[0].caption, deck.path());
    EXPECT_EQ(boxes.shown[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_FALSE(r.IsConnected());
    EXPECT_EQ(r.SeekPreroll(0, 1000), kErrOk);  // no link: nothing to do
    r.Stop();
    EXPECT_EQ(deck.Received(), 4);

    deck.SetBehaviour(Deck::Behaviour::Answer);
    EXPECT_TRUE(r.SetSettings(0, c.type, deck.path().c_str(), 38400, 8, 1, 2, 1, 10, 0, 0));
    ASSERT_TRUE(r.IsConnected());
    EXPECT_EQ(boxes.shown.size(), 1u);

    // A deck that falls silent later: the same, and the link stays closed.
    deck.SetBehaviour(c.behaviour);
    const int before = deck.Received();
    {
      ClockDriver fast(false, 50, nullptr, &deck);
      r.link->deck->Play();
      r.link->deck->Play();
    }
    EXPECT_EQ(deck.Received(), before + 4);
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_FALSE(r.IsConnected());
  }
}

TEST_F(VtrTest, ConnectingStopsTheDeckAndSetsItsCounter) {
  Deck deck(Deck::Kind::Betacam);
  ASSERT_TRUE(deck.ok());
  VTRecorder r;
  ASSERT_TRUE(r.SetSettings(0, 2, deck.path().c_str(), 38400, 8, 1, 2, 0, 10, 0, 0));
  EXPECT_EQ(deck.Packets(), (std::vector<Bytes>{{0x20, 0x00, 0x20}, {0x41, 0x36, 0x01, 0x78}}));
  deck.ClearLog();
  ASSERT_TRUE(r.SetSettings(0, 2, deck.path().c_str(), 38400, 8, 1, 2, 1, 10, 0, 0));
  // The old link goes first (its deck is stopped), then the new one.
  ASSERT_GE(deck.Packets().size(), 2u);
  EXPECT_EQ(deck.Packets().back(), (Bytes{0x41, 0x36, 0x00, 0x77}));
  r.Disconnect();
  EXPECT_FALSE(r.IsConnected());
}

TEST_F(VtrTest, TheElevenKeysRoundTripAndTypeThreeOpensNothing) {
  Deck deck(Deck::Kind::Betacam);
  ASSERT_TRUE(deck.ok());
  {
    VTRecorder r;
    r.ReadSettings();  // the defaults
    int32_t v[10];
    char port[kTapePortLength + 1];
    r.GetSettings(v[0], v[1], port, v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
    EXPECT_STREQ(port, "COM2");
    EXPECT_EQ((std::vector<int32_t>(v, v + 10)), (std::vector<int32_t>{0, 0, 38400, 8, 1, 2, 1, 10, 0, 0}));
    const std::string longName = "/" + std::string(40, 'p');
    EXPECT_TRUE(r.SetSettings(5000, 0, longName.c_str(), 9600, 7, 4, 1, 0, 3, 1, 2));
    r.WriteSettings();
  }
  {
    VTRecorder r;
    r.ReadSettings();
    int32_t v[10];
    char port[kTapePortLength + 1];
    r.GetSettings(v[0], v[1], port, v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
    EXPECT_EQ(std::string(port), "/" + std::string(30, 'p'));  // 31 characters kept
    EXPECT_EQ((std::vector<int32_t>(v, v + 10)), (std::vector<int32_t>{5000, 0, 9600, 7, 4, 1, 0, 3, 1, 2}));
  }
  IniSetSection("VTR");
  IniWriteInt("TYPE", 3);
  IniWriteString("PORT", deck.path().c_str());
  VTRecorder r;
  r.ReadSettings();
  EXPECT_EQ(r.link, nullptr);
  EXPECT_FALSE(r.IsConnected());
  EXPECT_EQ(deck.Received(), 0);
}

TEST_F(VtrTest, WithoutABoardClockTheCueFails) {
  Deck deck(Deck::Kind::AG5700);
  ASSERT_TRUE(deck.ok());
  VTRecorder r;
  ASSERT_TRUE(r.SetSettings(0, 1, deck.path().c_str(), 38400, 8, 1, 2, 1, 2, 0, 0));
  EXPECT_EQ(r.SeekPreroll(10000, 20000), kErrNoVideoDevice);
  EXPECT_FALSE(r.cued);
  r.link->deck->port.Close();
  EXPECT_EQ(r.SeekPreroll(10000, 20000), kErrNoVtrDevice);
}

class VtrBoardTest : public VtrTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(board_.loaded());
    board_.DriveClock(true);
    // The board's clock is read while its device is open, as when it plays.
    ASSERT_EQ(TheVelmoraDevice.Open(64, 32, 24, nullptr), 0);
  }
  boardtest::BoardLibrary board_;
};

TEST_F(VtrBoardTest, TheDeckIsCuedWithPrerollAndLockedToTheBoard) {
  struct Case {
    Deck::Kind kind;
    int32_t type;
  };
  for (const Case& c : {Case{Deck::Kind::AG5700, 1}, Case{Deck::Kind::Betacam, 2}}) {
    SCOPED_TRACE(c.type);
    Deck deck(c.kind);
    ASSERT_TRUE(deck.ok());
    VTRecorder r;
    ASSERT_TRUE(r.SetSettings(1000, c.type, deck.path().c_str(), 38400, 8, 1, 2, 1, 2, 0, 0));
    deck.ClearLog();
    int32_t result;
    int64_t tapeAtReturn;
    {
      ClockDriver driver(true, 10, &board_);
      result = r.SeekPreroll(9000, 20000);
      tapeAtReturn = deck.Position();
    }
    EXPECT_EQ(result, kErrOk);
    EXPECT_TRUE(r.cued);
    // The tape reaches the range's start (base 1000 + 9000) as the call returns.
    EXPECT_NEAR(static_cast<double>(tapeAtReturn), 10000.0, 100.0);
    EXPECT_EQ(deck.Rate(), 1.0);
    if (c.kind == Deck::Kind::AG5700) {
      // Stop, readings until it stood, in and out, the two cues, start.
      std::vector<std::string> kept;
      for (const std::string& t : deck.Texts()) {
        if (t != "QCD") kept.push_back(t);
      }
      EXPECT_EQ(kept, (std::vector<std::string>{"OSP", "OSP", "OSP", "SMC", "SCS: 0000700", "SMC", "SCS: 0000800",
                                                "OPL"}));
      int readsBeforeIn = 0;
      for (const std::string& t : deck.Texts()) {
        if (t == "OSP" && readsBeforeIn > 0) break;
        if (t == "QCD") ++readsBeforeIn;
      }
      EXPECT_EQ(readsBeforeIn, 12);  // the first and eleven that agree
    } else {
      std::vector<Bytes> cues;
      for (const Bytes& p : deck.Packets()) {
        if (p[0] == 0x24) cues.push_back(p);
      }
      ASSERT_EQ(cues.size(), 2u);
      EXPECT_EQ(cues[0][3], 0x07);  // 00:00:07:00
      EXPECT_EQ(cues[1][3], 0x08);
    }
    r.Stop();
    EXPECT_FALSE(r.cued);
    EXPECT_EQ(deck.Rate(), 0.0);
  }
}

TEST_F(VtrBoardTest, ADeckAlreadyPastTheStartOrClosedFails) {
  Deck deck(Deck::Kind::AG5700);
  ASSERT_TRUE(deck.ok());
  VTRecorder r;
  ASSERT_TRUE(r.SetSettings(0, 1, deck.path().c_str(), 38400, 8, 1, 2, 1, 2, 0, 0));
  deck.SetPlaySpeed(3.0);  // runs away from the board
  {
    ClockDriver driver(true, 10, &board_);
    EXPECT_EQ(r.SeekPreroll(10000, 20000), kErrNoVtrDevice);
    EXPECT_GT(deck.Position(), 10000);
  }
  EXPECT_FALSE(r.cued);
  r.link->deck->port.Close();
  EXPECT_EQ(r.SeekPreroll(10000, 20000), kErrNoVtrDevice);
  VTRecorder none;
  EXPECT_EQ(none.SeekPreroll(10000, 20000), kErrOk);
}

}  // namespace
