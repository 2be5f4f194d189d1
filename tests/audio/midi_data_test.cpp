// MIDI files: loading, the tempo map, the stream records of a walk, and the
// sharing and checking of the loaded files.
#include "audio/midi_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "audio/midi_source_hooks.h"
#include "midi_fixtures.h"
#include "support/recording_boxes.h"
#include "support/test_env.h"

namespace {

MidiFileBytes OneTrack(TrackBytes track, uint16_t division = 96) {
  MidiFileBytes f;
  f.format = 0;
  f.division = division;
  f.tracks.push_back(std::move(track));
  return f;
}

// A quarter note of middle C.
MidiFileBytes PlainSong() {
  return OneTrack(TrackBytes().NoteOn(0, 0, 60, 100).NoteOff(96, 0, 60).End());
}

class MidiDataTest : public ::testing::Test {
 protected:
  MidiData* Load(const MidiFileBytes& file, const std::string& name = "song.mid") {
    const std::string path = folder_.File(name);
    file.Write(path);
    MidiData* d = MidiData::Get(path.c_str());
    if (d != nullptr) held_.push_back(d);
    return d;
  }
  void TearDown() override {
    for (MidiData* d : held_) d->Release();
  }
  // The records of one walk, filled in chunks of size bytes.
  static std::vector<StreamRecord> Walk(MidiData& d, int32_t size = 4096) {
    std::vector<StreamRecord> all;
    std::vector<unsigned char> buffer(static_cast<std::size_t>(size));
    for (int i = 0; i < 100; ++i) {
      const int32_t n = d.Fill(buffer.data(), size);
      std::vector<StreamRecord> some = ReadRecords(buffer.data(), static_cast<std::size_t>(n));
      all.insert(all.end(), some.begin(), some.end());
      if (d.GetActiveTracks() == 0) break;
    }
    return all;
  }

  TestFolder folder_{"kobrix-midi"};
  RecordingBoxes boxes_;
  std::vector<MidiData*> held_;
};

TEST_F(MidiDataTest, HeadersAndTracksLoadOrGiveTheirCode) {
  struct Case {
    const char* name;
    MidiFileBytes file;
    int error;
    int division;
  };
  auto with = [](auto change) {
    MidiFileBytes f = PlainSong();
    change(f);
    return f;
  };
  const Case cases[] = {
      {"format 0", PlainSong(), 0, 96},
      {"format 1, two tracks", with([](MidiFileBytes& f) {
         f.format = 1;
         f.tracks.push_back(TrackBytes().NoteOn(48, 1, 40, 90).End());
       }),
       0, 96},
      {"format 2", with([](MidiFileBytes& f) { f.format = 2; }), 6, 0},
      {"a header of 8 bytes is skipped past", with([](MidiFileBytes& f) { f.headerLength = 8; }), 0, 96},
      {"a header of 5 bytes", with([](MidiFileBytes& f) { f.headerLength = 5; }), 6, 0},
      {"a header of 251 bytes", with([](MidiFileBytes& f) { f.headerLength = 251; }), 6, 0},
      {"division 0 keeps 96", with([](MidiFileBytes& f) { f.division = 0; }), 0, 96},
      {"division 480", with([](MidiFileBytes& f) { f.division = 480; }), 0, 480},
      {"SMPTE division", with([](MidiFileBytes& f) { f.division = 0xE728; }), 6, 0},
      {"no tracks", with([](MidiFileBytes& f) { f.trackCount = 0; }), 6, 0},
      {"more tracks announced than there are", with([](MidiFileBytes& f) { f.trackCount = 2; }), 6, 0},
      {"missing MTrk", with([](MidiFileBytes& f) { f.trackId = "MTrx"; }), 6, 0},
  };
  // A good file is loaded first: each case is then read into it in place,
  // which keeps the code the load gave.
  MidiData* d = Load(PlainSong(), "first.mid");
  ASSERT_NE(d, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder_.File("case.mid");
    c.file.Write(path);
    EXPECT_EQ(d->Reload(path.c_str()), c.error == 0);
    EXPECT_EQ(d->GetError(), c.error);
    if (c.error == 0) {
      EXPECT_EQ(d->GetDivision(), c.division);
    }
  }

  // A track shorter than its length field, and a file that is not there.
  Bytes cut = PlainSong().Build();
  cut.resize(cut.size() - 3);
  WriteFileBytes(folder_.File("cut.mid"), cut);
  EXPECT_FALSE(d->Reload(folder_.File("cut.mid").c_str()));
  EXPECT_EQ(d->GetError(), 6);
  WriteFileBytes(folder_.File("riff.mid"), Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 4, 'M', 'I', 'D', 'I'});
  EXPECT_FALSE(d->Reload(folder_.File("riff.mid").c_str()));
  EXPECT_EQ(d->GetError(), 6);
  EXPECT_FALSE(d->Reload(folder_.File("gone.mid").c_str()));
  EXPECT_EQ(d->GetError(), 24);
  EXPECT_EQ(MidiData::Get(folder_.File("gone.mid").c_str()), nullptr);
}

TEST_F(MidiDataTest, TheTempoMapFollowsTempoAndMeterChanges) {
  // 3/4 at 0.6 s a quarter for 4 quarters, 0.4 s for 2, then 6/8 for 4.
  MidiFileBytes f;
  f.tracks.push_back(
      TrackBytes().Meter(0, 3, 2).Tempo(0, 600000).Tempo(384, 400000).Meter(192, 6, 3).End(384));
  f.tracks.push_back(TrackBytes().NoteOn(0, 0, 60, 100).NoteOff(900, 0, 60).End());
  MidiData* d = Load(f);
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(d->GetTempoEntryCount(), 3);
  struct Entry {
    uint32_t ticks, tempo;
    int numerator, denominator;
    int32_t bar, length, barAtHalfSpeed;
  };
  const Entry expected[] = {
      {384, 600000, 3, 4, 1800, 2400, 3600},
      {192, 400000, 3, 4, 1200, 800, 2400},
      {384, 400000, 6, 8, 1200, 1600, 2400},
  };
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const MidiData::TempoEntry& e = d->GetTempoEntry(i);
    EXPECT_EQ(e.ticks, expected[i].ticks);
    EXPECT_EQ(e.tempo, expected[i].tempo);
    EXPECT_EQ(e.numerator, expected[i].numerator);
    EXPECT_EQ(e.denominator, expected[i].denominator);
    EXPECT_EQ(d->BarLength(i, 1000), expected[i].bar);
    EXPECT_EQ(d->EntryLength(i, 1000), expected[i].length);
    EXPECT_EQ(d->BarLength(i, 2000), expected[i].barAtHalfSpeed);
  }
  EXPECT_EQ(d->GetLength(), 4800);
  EXPECT_EQ(d->GetInitialTempo(), 600000u);
}

TEST_F(MidiDataTest, AFileWithoutTempoIsAsLongAsItPlays) {
  // Four quarters at 480 ticks: two seconds at the default tempo.
  MidiData* d = Load(OneTrack(TrackBytes().NoteOn(0, 0, 60, 100).NoteOff(1920, 0, 60).End(), 480));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->GetLength(), 2000);
  EXPECT_EQ(d->GetInitialTempo(), 500000u);
  EXPECT_EQ(d->GetTempoEntryCount(), 1);
  EXPECT_EQ(d->EntryLength(0, 1000), 2000);
}

TEST_F(MidiDataTest, HostileTempoAndMeterValuesAreLeftOut) {
  TrackBytes t;
  t.Event(0, {0xFF, 0x51, 2, 0x07, 0xA1})  // a tempo of two bytes
      .Tempo(0, 0)                         // tempo 0
      .Event(0, {0xFF, 0x58, 1, 3})        // a meter of one byte
      .Meter(0, 0, 2)                      // numerator 0
      .Meter(0, 4, 9)                      // 1 << 9 does not fit
      .NoteOn(96, 0, 60, 100)
      .Event(0, {0xFF, 0x51, 0x83})  // a meta whose length runs out
      ;
  MidiData* d = Load(OneTrack(t));
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(d->GetTempoEntryCount(), 1);
  const MidiData::TempoEntry& e = d->GetTempoEntry(0);
  EXPECT_EQ(e.tempo, 500000u);
  EXPECT_EQ(e.numerator, 4);
  EXPECT_EQ(e.denominator, 4);
  EXPECT_EQ(d->GetLength(), 500);  // the track ends where its data does
  EXPECT_GT(d->BarLength(0, 1000), 0);
}

TEST_F(MidiDataTest, FillGivesTheStreamRecordsOfTheWindow) {
  struct Case {
    const char* name;
    MidiFileBytes file;
    int32_t volume, lead, start, end, speed;
    std::vector<StreamRecord> expected;
  };
  // 96 ticks a quarter at 0.5 s: 1 ms is 0.192 ticks.
  const MidiFileBytes levels = OneTrack(
      TrackBytes().Tempo(0, 600000).Event(0, {0xB0, 7, 100}).NoteOn(96, 0, 60, 100).NoteOff(96, 0, 60).End());
  const MidiFileBytes chase = OneTrack(TrackBytes()
                                           .Event(0, {0xC0, 5})        // program: kept
                                           .NoteOn(0, 0, 60, 100)      // dropped
                                           .Event(96, {0xB0, 10, 64})  // pan: kept
                                           .Event(0, {0xE0, 0, 64})    // pitch bend: dropped
                                           .Event(0, {0xA0, 60, 20})   // key pressure: dropped
                                           .NoteOff(0, 0, 60)          // dropped
                                           .NoteOn(96, 0, 64, 100)
                                           .NoteOff(96, 0, 64)
                                           .End());
  const MidiFileBytes held = OneTrack(TrackBytes().NoteOn(0, 1, 62, 100).NoteOff(192, 1, 62).End());
  const Case cases[] = {
      {"tempo flag and channel volume 100 at 1024",
       levels,
       1024,
       0,
       0,
       100000,
       1000,
       {{0, 0, TempoEvent(600000), {}},
        {0, 0, ShortEvent(0xB0, 7, 127), {}},
        {96, 0, ShortEvent(0x90, 60, 100), {}},
        {96, 0, ShortEvent(0x80, 60, 0), {}}}},
      {"channel volume 100 at 256, tempo at half speed",
       levels,
       256,
       0,
       0,
       100000,
       2000,
       {{0, 0, TempoEvent(1200000), {}},
        {0, 0, ShortEvent(0xB0, 7, 50), {}},
        {96, 0, ShortEvent(0x90, 60, 100), {}},
        {96, 0, ShortEvent(0x80, 60, 0), {}}}},
      {"a padded system-exclusive message with its long flag",
       OneTrack(TrackBytes().Sysex(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}).End()),
       512,
       0,
       0,
       100000,
       1000,
       {{0, 0, 0x80000006u, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}}}},
      {"chasing before the start, the first delta lead + offset",
       chase,
       512,
       250,
       750,
       100000,
       1000,
       {{0, 0, ShortEvent(0xC0, 5), {}},
        {0, 0, ShortEvent(0xB0, 10, 64), {}},
        {96, 0, ShortEvent(0x90, 64, 100), {}},
        {96, 0, ShortEvent(0x80, 64, 0), {}}}},
      {"a lead alone delays the first record",
       held,
       512,
       2000,
       0,
       100000,
       1000,
       {{384, 0, ShortEvent(0x91, 62, 100), {}}, {192, 0, ShortEvent(0x81, 62, 0), {}}}},
      {"note-offs at the end of the window",
       held,
       512,
       0,
       0,
       750,
       1000,
       {{0, 0, ShortEvent(0x91, 62, 100), {}}, {144, 0, ShortEvent(0x81, 62), {}}}},
      {"a window that ends before the next event ends at its end",
       chase,
       512,
       0,
       600,
       850,
       1000,
       {{0, 0, ShortEvent(0xC0, 5), {}}, {0, 0, ShortEvent(0xB0, 10, 64), {}}, {48, 0, 0x02000000u, {}}}},
      {"a first delta of two bytes, then running status",
       OneTrack(TrackBytes().Event(200, {0x90, 60, 100}).Event(10, {62, 90}).End()),
       512,
       0,
       0,
       100000,
       1000,
       {{200, 0, ShortEvent(0x90, 60, 100), {}}, {10, 0, ShortEvent(0x90, 62, 90), {}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MidiData* d = Load(c.file, std::string("fill-") + std::to_string(&c - cases) + ".mid");
    ASSERT_NE(d, nullptr);
    d->Rewind(c.volume, c.lead, c.start, c.end, c.speed);
    EXPECT_EQ(Walk(*d), c.expected);
  }
}

TEST_F(MidiDataTest, FillStopsWithLessThan16BytesLeftAndGoesOnNextTime) {
  MidiData* d = Load(OneTrack(TrackBytes()
                                  .NoteOn(0, 0, 60, 100)
                                  .NoteOn(0, 0, 64, 100)
                                  .NoteOn(0, 0, 67, 100)
                                  .NoteOn(0, 0, 72, 100)
                                  .End(192)));
  ASSERT_NE(d, nullptr);
  d->Rewind(512, 0, 0, 100, 1000);
  unsigned char buffer[64];
  EXPECT_EQ(d->Fill(buffer, 27), 12);
  EXPECT_EQ(d->Fill(buffer, 28), 24);
  EXPECT_EQ(d->Fill(buffer, 15), 0);
  EXPECT_EQ(d->Fill(buffer, 28), 24);  // the fourth note, then the first note-off at the window's end
  EXPECT_EQ(ReadRecords(buffer, 24)[1], (StreamRecord{19, 0, ShortEvent(0x80, 60), {}}));
  // The note-offs that found no room follow in the next buffers.
  EXPECT_EQ(d->Fill(buffer, 28), 24);
  EXPECT_EQ(d->GetActiveTracks(), 1);
  EXPECT_EQ(d->Fill(buffer, 28), 12);
  EXPECT_EQ(ReadRecords(buffer, 12)[0], (StreamRecord{0, 0, ShortEvent(0x80, 72), {}}));
  EXPECT_EQ(d->GetActiveTracks(), 0);
}

TEST_F(MidiDataTest, ASystemExclusiveMessageLargerThanTheBufferIsDropped) {
  MidiData* d = Load(OneTrack(TrackBytes().Sysex(0, Bytes(100, 0x11)).NoteOn(0, 0, 60, 100).End()));
  ASSERT_NE(d, nullptr);
  d->Rewind(512, 0, 0, 100000, 1000);
  unsigned char buffer[64];
  // Waiting for a bigger buffer would wait for ever.
  EXPECT_EQ(d->Fill(buffer, 64), 12);
  EXPECT_EQ(ReadRecords(buffer, 12).front().event, ShortEvent(0x90, 60, 100));
}

TEST_F(MidiDataTest, AFileIsSharedByItsExactName) {
  MidiData* a = Load(PlainSong(), "shared.mid");
  ASSERT_NE(a, nullptr);
  const std::string path = folder_.File("shared.mid");
  MidiData* b = MidiData::Get(path.c_str());
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->GetReferences(), 2);
  EXPECT_EQ(MidiData::Find(path.c_str()), a);
  EXPECT_EQ(MidiData::Find(folder_.File("SHARED.mid").c_str()), nullptr);
  b->Release();
  EXPECT_EQ(a->GetReferences(), 1);
  EXPECT_EQ(a->GetLength(), 500);
}

// A stand-in for the Film model: notes each file it is handed and can drop
// a reference the way deleting the last film of a file does.
class RecordingHooks : public MidiSourceHooks {
 public:
  RecordingHooks() { before_ = SetMidiSourceHooks(this); }
  ~RecordingHooks() override { SetMidiSourceHooks(before_); }
  bool RefreshChangedSources(HWND, bool reload, bool, MidiData* midi) override {
    calls.push_back({midi->GetFileName(), reload});
    for (MidiData*& d : dropOnCall) {
      if (d != nullptr) d->Release();
      d = nullptr;
    }
    return true;
  }
  void RedrawClipsOfMidi(MidiData*) override { ++redraws; }
  struct Call {
    std::string name;
    bool reload;
  };
  std::vector<Call> calls;
  std::vector<MidiData*> dropOnCall;
  int redraws = 0;

 private:
  MidiSourceHooks* before_;
};

TEST_F(MidiDataTest, AChangedOrMissingFileReachesTheHandlerOnce) {
  RecordingHooks hooks;
  const std::string path = folder_.File("changed.mid");
  MidiData* d = Load(PlainSong(), "changed.mid");
  ASSERT_NE(d, nullptr);
  EXPECT_FALSE(MidiData::CheckFileTime(nullptr));
  EXPECT_TRUE(hooks.calls.empty());

  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
  EXPECT_FALSE(d->IsFileUnchanged());
  EXPECT_TRUE(d->IsFileUnchanged());  // the new time was kept
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
  EXPECT_TRUE(MidiData::CheckFileTime(nullptr));
  EXPECT_FALSE(MidiData::CheckFileTime(nullptr));
  ASSERT_EQ(hooks.calls.size(), 1u);
  EXPECT_TRUE(hooks.calls[0].reload);
  EXPECT_TRUE(boxes_.shown.empty());

  std::filesystem::remove(path);
  EXPECT_TRUE(MidiData::CheckFileTime(nullptr));
  ASSERT_EQ(hooks.calls.size(), 2u);
  EXPECT_EQ(hooks.calls[1].name, path);
  EXPECT_FALSE(hooks.calls[1].reload);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "File " + path + " does not exist!");
  EXPECT_EQ(boxes_.shown[0].caption, "Activate Kobrix");
}

TEST_F(MidiDataTest, TheHandlerMayDropTheFilesTheCheckWalks) {
  RecordingHooks hooks;
  // Newest first: the check meets "b" first; its handler drops both files.
  MidiData* a = Load(PlainSong(), "a.mid");
  MidiData* b = Load(PlainSong(), "b.mid");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  held_.clear();
  hooks.dropOnCall = {a, b};
  std::filesystem::remove(folder_.File("a.mid"));
  std::filesystem::remove(folder_.File("b.mid"));
  EXPECT_TRUE(MidiData::CheckFileTime(nullptr));
  // "a", no longer used by anyone, is not handed over again.
  ASSERT_EQ(hooks.calls.size(), 1u);
  EXPECT_EQ(hooks.calls[0].name, folder_.File("b.mid"));
  EXPECT_EQ(MidiData::Find(folder_.File("a.mid").c_str()), nullptr);
  EXPECT_EQ(MidiData::Find(folder_.File("b.mid").c_str()), nullptr);
}

TEST_F(MidiDataTest, TheFirstOpenHasTheClipsRedrawn) {
  RecordingHooks hooks;
  MidiData* d = Load(PlainSong());
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->Open());
  EXPECT_TRUE(d->Open());
  EXPECT_TRUE(d->IsOpen());
  EXPECT_EQ(hooks.redraws, 1);
  d->Close();
  d->Close();
  EXPECT_FALSE(d->IsOpen());
}

}  // namespace
