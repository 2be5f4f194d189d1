#include "media/wave_overview.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "audio_fixtures.h"
#include "media/audio_data.h"
#include "media/progress_hooks.h"
#include "model/message_box.h"
#include "platform/gui/user.h"

namespace {

Bytes Le16Samples(const std::vector<int>& v) {
  ByteWriter w;
  for (int s : v) w.Le16(static_cast<std::uint32_t>(s) & 0xFFFF);
  return w.bytes;
}

Bytes FloatSamples(const std::vector<float>& v) {
  Bytes b(v.size() * 4);
  std::memcpy(b.data(), v.data(), b.size());
  return b;
}

std::vector<BYTE> Block(const std::unique_ptr<BYTE[]>& p, LONG n) {
  return p ? std::vector<BYTE>(p.get(), p.get() + n) : std::vector<BYTE>();
}

TEST(WaveOverview, LayoutFollowsTheLength) {
  struct Case {
    DWORD frames;
    DWORD step;
    LONG bytes;
  };
  const Case cases[] = {{44100, 2, 22050}, {32768, 2, 16384},  {32767, 1, 32766},
                        {1, 1, 0},         {100000, 4, 25000}, {0xFFFFFFFFu, 131072, 32766}};
  for (const Case& c : cases) {
    const WaveformLayout l = WaveformLayoutFor(c.frames);
    EXPECT_EQ(l.step, c.step) << c.frames;
    EXPECT_EQ(l.byteCount, c.bytes) << c.frames;
  }
}

TEST(WaveOverview, PairsHoldEachSpansExtremesInTheOrderOfItsEnd) {
  TempFolder folder;
  // Spans of 4 frames: 100, 150, 50 and a last value of 200 or 60 in turn.
  Bytes samples;
  for (int span = 0; span < 11025; ++span) {
    const BYTE last = span % 2 == 0 ? 200 : 60;
    samples.insert(samples.end(), {100, 150, 50, last});
  }
  HeldSource s(folder.Write("m.wav", WaveFile(FmtBody(1, 1, 44100, 8, 1), samples)));
  ASSERT_NE(s.data, nullptr);
  ScriptedProgress progress;
  FillWaveform(s.data);
  ASSERT_EQ(s->peakByteCount, 22050);
  EXPECT_FALSE(s->peakBlock2);
  EXPECT_EQ(progress.opened, 0);  // short enough to need no progress
  EXPECT_EQ(progress.waits, 0);   // the cursor came back
  const std::vector<BYTE> overview = Block(s->peakBlock1, 22050);
  for (std::size_t pair = 0; pair < 11025; ++pair) {
    const bool rose = pair % 2 == 0;  // rose: (min, max); fell: (max, min)
    ASSERT_EQ(overview[2 * pair], rose ? 50 : 150) << pair;
    ASSERT_EQ(overview[2 * pair + 1], rose ? 200 : 50) << pair;
  }
  // A second call keeps the overview it has.
  BYTE* before = s->peakBlock1.get();
  FillWaveform(s.data);
  EXPECT_EQ(s->peakBlock1.get(), before);
  EXPECT_EQ(s->peakByteCount, 22050);
  EXPECT_FALSE(s->IsOpen());
}

TEST(WaveOverview, TheWaitCursorComesBack) {
  const HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW), wait = LoadCursor(nullptr, IDC_WAIT);
  SetCursor(arrow);
  ProgressHooks& hooks = CurrentProgressHooks();
  hooks.BeginWaitCursor();
  hooks.BeginWaitCursor();
  EXPECT_EQ(GetCursor(), wait);
  hooks.EndWaitCursor();
  EXPECT_EQ(GetCursor(), wait);
  hooks.EndWaitCursor();
  EXPECT_EQ(GetCursor(), arrow);
  TempFolder folder;
  HeldSource s(folder.Write("c.wav", WaveFile(FmtBody(1, 1, 8000, 8, 1), Bytes(8000, 1))));
  FillWaveform(s.data);
  EXPECT_EQ(s->peakByteCount, 8000);
  EXPECT_EQ(GetCursor(), arrow);
}

TEST(WaveOverview, StereoSilenceIsFlatAndFloatFullScaleIsTheTop) {
  TempFolder folder;
  {
    HeldSource s(folder.Write("quiet.wav", WaveFile(FmtBody(1, 2, 8000, 8, 2), Bytes(2 * 40000, 128))));
    FillWaveform(s.data);
    ASSERT_EQ(s->peakByteCount, 20000);
    EXPECT_EQ(Block(s->peakBlock1, 20000), std::vector<BYTE>(20000, 128));
    EXPECT_EQ(Block(s->peakBlock2, 20000), std::vector<BYTE>(20000, 128));
  }
  {
    // Left at full scale, right at minus full scale.
    std::vector<float> v;
    for (int i = 0; i < 1000; ++i) v.insert(v.end(), {1.0f, -1.0f});
    HeldSource s(folder.Write("loud.wav", WaveFile(FmtBody(3, 2, 8000, 32, 8), FloatSamples(v))));
    ASSERT_NE(s.data, nullptr);
    FillWaveform(s.data);
    ASSERT_EQ(s->peakByteCount, 1000);
    EXPECT_EQ(Block(s->peakBlock1, 1000), std::vector<BYTE>(1000, 255));
    EXPECT_EQ(Block(s->peakBlock2, 1000), std::vector<BYTE>(1000, 0));
  }
}

TEST(WaveOverview, ScanPeaksGivesEightBitValuesOfEveryLayout) {
  TempFolder folder;
  struct Case {
    const char* name;
    Bytes file;
    std::vector<BYTE> expected;
  };
  ByteWriter packed;  // 24 bits in 3 bytes: 0x7FFFFF, -0x800000, 0x00FF00, -1
  packed.Raw({0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF});
  ByteWriter wide;  // 32-bit PCM
  wide.Le32(0x7FFFFFFF).Le32(0x80000000).Le32(0x01000000).Le32(0xFFFFFFFF);
  // Two frames of interest, then silence so that the file lasts.
  auto wave = [](WORD tag, WORD bits, WORD align, Bytes frames) {
    frames.resize(frames.size() + 200 * align, bits == 8 ? 128 : 0);
    return WaveFile(FmtBody(tag, 2, 8000, bits, align), frames);
  };
  const std::vector<Case> cases = {
      {"b8.wav", wave(1, 8, 2, Bytes{0, 255, 128, 7}), {0, 255, 128, 7}},
      {"s16.wav", wave(1, 16, 4, Le16Samples({32767, -32768, -1, 255})), {255, 0, 127, 128}},
      {"p24.wav", wave(1, 24, 6, packed.bytes), {255, 0, 128, 127}},
      {"i32.wav", wave(1, 32, 8, wide.bytes), {255, 0, 129, 127}},
      {"f32.wav", wave(3, 32, 8, FloatSamples({1.0f, -1.0f, 0.5f, -0.999f})), {255, 0, 192, 1}},
      {"f32b.wav", wave(3, 32, 8, FloatSamples({NAN, 7.0f, -7.0f, 0.0f})), {128, 255, 0, 128}},
      {"mulaw.wav", wave(7, 8, 2, Bytes{0, 255, 12, 13}), {128, 128, 128, 128}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HeldSource s(folder.Write(c.name, c.file));
    ASSERT_NE(s.data, nullptr);
    std::vector<BYTE> out(4, 99);
    ScanPeaks(s.data, out.data(), 0, 2);
    EXPECT_EQ(out, c.expected);
    // Past the end of the file: 128.
    std::vector<BYTE> end(6, 99);
    ScanPeaks(s.data, end.data(), s->LengthInSamples() - 1, 3);
    EXPECT_EQ(end, std::vector<BYTE>(6, 128));
    EXPECT_FALSE(s->IsOpen());
  }
}

TEST(WaveOverview, CancellingKeepsWhatWasScanned) {
  TempFolder folder;
  const DWORD frames = 400000;  // step 13, 30,768 bytes
  HeldSource s(folder.Write("long.wav", WaveFile(FmtBody(1, 1, 44100, 8, 1), Bytes(frames, 0))));
  ASSERT_NE(s.data, nullptr);
  ScriptedProgress progress;
  progress.cancelAfter = 0;  // Cancel at the first report
  FillWaveform(s.data);
  EXPECT_EQ(progress.opened, 1);
  EXPECT_EQ(progress.closed, 1);
  EXPECT_EQ(progress.title, "Fill Waveform");
  EXPECT_EQ(progress.text, s->fileName);
  EXPECT_EQ(progress.total, 13 * 30768);
  ASSERT_EQ(progress.positions, std::vector<LONG>{32768});
  ASSERT_EQ(s->peakByteCount, 30768);
  const std::vector<BYTE> overview = Block(s->peakBlock1, 30768);
  const std::size_t scanned = 2 * (32768 / 26);
  EXPECT_EQ(std::vector<BYTE>(overview.begin(), overview.begin() + scanned), std::vector<BYTE>(scanned, 0));
  EXPECT_EQ(std::vector<BYTE>(overview.begin() + scanned, overview.end()),
            std::vector<BYTE>(30768 - scanned, 128));
}

// ---- "PICT" records

// Writes a RIFF file holding the source's record; returns its size.
LONG SaveRecord(AudioData* source, const std::string& path, const char* folder) {
  HMMIO f = mmioOpen(path.c_str(), nullptr, MMIO_CREATE | MMIO_READWRITE);
  EXPECT_NE(f, nullptr);
  LONG size = -1;
  EXPECT_TRUE(SaveWaveform(source, f, &size, folder));
  mmioClose(f, 0);
  return size;
}

int LoadRecord(const std::string& path, LONG size, const char* folder, const MovedFileList* moved = nullptr) {
  HMMIO f = mmioOpen(path.c_str(), nullptr, MMIO_READ);
  EXPECT_NE(f, nullptr);
  const int r = LoadWaveform(f, size, folder, moved);
  mmioClose(f, 0);
  return r;
}

void DropOverview(AudioData* s) {
  s->peakBlock1.reset();
  s->peakBlock2.reset();
  s->peakByteCount = 0;
}

Bytes SineStereo(int frames) {
  std::vector<int> v;
  for (int i = 0; i < frames; ++i)
    v.insert(v.end(),
             {static_cast<int>(20000 * std::sin(i * 0.01)), static_cast<int>(9000 * std::cos(i * 0.003))});
  return Le16Samples(v);
}

TEST(WaveOverviewRecord, SavedThenLoadedIsIdentical) {
  TempFolder folder;
  std::filesystem::create_directory(folder.Path("clips"));
  HeldSource s(folder.Write("clips/tone.wav", WaveFile(FmtBody(1, 2, 44100, 16, 4), SineStereo(70000))));
  ASSERT_NE(s.data, nullptr);
  FillWaveform(s.data);
  ASSERT_EQ(s->peakByteCount, 23332);
  const std::vector<BYTE> one = Block(s->peakBlock1, s->peakByteCount),
                          two = Block(s->peakBlock2, s->peakByteCount);

  const std::string record = folder.Path("record.bin");
  const LONG size = SaveRecord(s.data, record, folder.path().c_str());
  const Bytes stored = ReadWholeFile(record);
  ASSERT_EQ(static_cast<std::size_t>(size), stored.size());
  // The name is kept relative to the collection's folder.
  const std::string text(stored.begin(), stored.end());
  EXPECT_NE(text.find(std::string("clips/tone.wav") + '\0'), std::string::npos);
  EXPECT_EQ(text.find(folder.path()), std::string::npos);

  DropOverview(s.data);
  ASSERT_EQ(LoadRecord(record, size, folder.path().c_str()), 0);
  EXPECT_EQ(s->peakByteCount, static_cast<LONG>(one.size()));
  EXPECT_EQ(Block(s->peakBlock1, s->peakByteCount), one);
  EXPECT_EQ(Block(s->peakBlock2, s->peakByteCount), two);
  // Saving the loaded overview gives the same bytes.
  EXPECT_EQ(SaveRecord(s.data, folder.Path("again.bin"), folder.path().c_str()), size);
  EXPECT_EQ(ReadWholeFile(folder.Path("again.bin")), stored);
  // A source that already has an overview needs nothing.
  EXPECT_EQ(LoadRecord(record, size, folder.path().c_str()), 18);
}

TEST(WaveOverviewRecord, ShortFilesAndEmptyOverviewsWriteNothing) {
  TempFolder folder;
  HeldSource s(folder.Write("short.wav", WaveFile(FmtBody(1, 1, 8000, 8, 1), Bytes(1000, 128))));
  const std::string record = folder.Path("r.bin");
  EXPECT_EQ(SaveRecord(s.data, record, nullptr), 0);  // no overview yet
  FillWaveform(s.data);
  EXPECT_EQ(s->peakByteCount, 1000);
  EXPECT_EQ(SaveRecord(s.data, record, nullptr), 0);  // as long as the file
  LONG size = 5;
  EXPECT_FALSE(SaveWaveform(s.data, nullptr, &size, nullptr));
  EXPECT_EQ(LoadWaveform(nullptr, 10, nullptr, nullptr), 6);
}

TEST(WaveOverviewRecord, AChangedFileIsLeftForRebuilding) {
  TempFolder folder;
  HeldSource s(folder.Write("a.wav", WaveFile(FmtBody(1, 1, 8000, 16, 2), SineStereo(20000))));
  FillWaveform(s.data);
  const std::string record = folder.Path("r.bin");
  const LONG size = SaveRecord(s.data, record, nullptr);
  ASSERT_GT(size, 0);
  DropOverview(s.data);
  s->fileTime.dwLowDateTime ^= 1;
  EXPECT_EQ(LoadRecord(record, size, nullptr), 17);
  EXPECT_EQ(s->peakByteCount, 0);
  EXPECT_FALSE(s->peakBlock1);
}

TEST(WaveOverviewRecord, MovedFilesAndFoldersAreFollowed) {
  TempFolder folder;
  std::filesystem::create_directory(folder.Path("old"));
  const std::string oldPath = folder.Write("old/x.wav", WaveFile(FmtBody(1, 1, 8000, 8, 1), Bytes(70000, 7)));
  std::string record = folder.Path("r.bin");
  LONG size = 0;
  {
    HeldSource s(oldPath);
    FillWaveform(s.data);
    size = SaveRecord(s.data, record, folder.Path("old").c_str());
  }
  ASSERT_GT(size, 0);
  // The collection folder moved with its files: the relative name is found.
  std::filesystem::rename(folder.Path("old"), folder.Path("new"));
  {
    HeldSource s(folder.Path("new/x.wav"));
    ASSERT_NE(s.data, nullptr);
    EXPECT_EQ(LoadRecord(record, size, folder.Path("new").c_str()), 0);
    EXPECT_EQ(s->peakByteCount, 23332);
  }
  // A file the loader was told moved: found under its new path.
  struct Moved : MovedFileList {
    std::map<std::string, std::string> pairs;
    const char* NewPathOf(const char* old) const override {
      auto it = pairs.find(old);
      return it == pairs.end() ? nullptr : it->second.c_str();
    }
  } moved;
  moved.pairs[folder.Path("elsewhere/x.wav")] = folder.Path("new/x.wav");
  HeldSource s(folder.Path("new/x.wav"));
  EXPECT_EQ(LoadRecord(record, size, folder.Path("elsewhere").c_str()), 18);
  EXPECT_EQ(LoadRecord(record, size, folder.Path("elsewhere").c_str(), &moved), 0);
}

TEST(WaveOverviewRecord, MalformedRecordsGiveSix) {
  TempFolder folder;
  const std::string wave = folder.Write("s.wav", WaveFile(FmtBody(1, 2, 8000, 8, 2), Bytes(2 * 9000, 128)));
  HeldSource s(wave);
  ASSERT_NE(s.data, nullptr);
  auto fmt = [&](DWORD version, DWORD channels) {
    ByteWriter w;
    w.Le32(version).Le32(s->fileTime.dwLowDateTime).Le32(s->fileTime.dwHighDateTime).Le32(channels);
    return Chunk("fmt ", w.bytes);
  };
  auto name = [](const std::string& n) {
    Bytes b(n.begin(), n.end());
    b.push_back(0);
    return Chunk("name", b);
  };
  const Bytes good1 = Chunk("dat1", Bytes(9000, 1)), good2 = Chunk("dat2", Bytes(9000, 2));
  struct Case {
    const char* what;
    Bytes record;
    int result;
    LONG sizeCut = 0;  // bytes taken off the record size
  };
  const std::string longName(300, 'n');
  const std::vector<Case> cases = {
      {"good", List("LIST", "PICT", Concat({fmt(1, 2), name("s.wav"), good1, good2})), 0},
      {"version 2", List("LIST", "PICT", Concat({fmt(2, 2), name("s.wav"), good1, good2})), 6},
      {"no name", List("LIST", "PICT", Concat({fmt(1, 2), good1, good2})), 6},
      {"no dat1", List("LIST", "PICT", Concat({fmt(1, 2), name("s.wav"), good2})), 6},
      {"mono record", List("LIST", "PICT", Concat({fmt(1, 1), name("s.wav"), good1})), 6},
      {"short dat2",
       List("LIST", "PICT", Concat({fmt(1, 2), name("s.wav"), good1, Chunk("dat2", Bytes(10, 2))})), 6},
      {"huge dat1", List("LIST", "PICT", Concat({fmt(1, 2), name("s.wav"), Chunk("dat1", Bytes(40000, 1))})),
       6},
      {"long name", List("LIST", "PICT", Concat({fmt(1, 2), name(longName), good1, good2})), 6},
      {"name over the buffer with the folder",
       List("LIST", "PICT", Concat({fmt(1, 2), name(std::string(250, 'q')), good1, good2})), 6},
      {"name without its end",
       List("LIST", "PICT", Concat({fmt(1, 2), Chunk("name", Bytes(4, 'z')), good1, good2})), 18},
      {"record shorter than the list", List("LIST", "PICT", Concat({fmt(1, 2), name("s.wav"), good1, good2})),
       6, 8},
      {"no list", Chunk("JUNK", Bytes(40, 0)), 6},
      {"unknown file", List("LIST", "PICT", Concat({fmt(1, 2), name("other.wav"), good1, good2})), 18},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DropOverview(s.data);
    const std::string path = folder.Write("record.bin", c.record);
    EXPECT_EQ(LoadRecord(path, static_cast<LONG>(c.record.size()) - c.sizeCut, folder.path().c_str()),
              c.result);
    if (c.result != 0) {
      EXPECT_EQ(s->peakByteCount, 0);
      EXPECT_FALSE(s->peakBlock1);
    } else {
      EXPECT_EQ(s->peakByteCount, 9000);
      EXPECT_EQ(Block(s->peakBlock2, 9000), std::vector<BYTE>(9000, 2));
    }
  }
  const std::string path = folder.Write("record.bin", List("LIST", "PICT", Bytes()));
  EXPECT_EQ(LoadRecord(path, 0, nullptr), 0);  // an empty record reads nothing
}

TEST(WaveOverviewRecord, DamagedRecordsAreRefusedWithoutReadingOutside) {
  TempFolder folder;
  HeldSource s(folder.Write("d.wav", WaveFile(FmtBody(1, 2, 44100, 16, 4), SineStereo(40000))));
  FillWaveform(s.data);
  const std::string good = folder.Path("good.bin");
  const LONG size = SaveRecord(s.data, good, folder.path().c_str());
  ASSERT_GT(size, 0);
  const Bytes record = ReadWholeFile(good);
  std::mt19937 random(2024);
  for (int round = 0; round < 600; ++round) {
    Bytes damaged = record;
    const int changes = 1 + static_cast<int>(random() % 6);
    for (int c = 0; c < changes; ++c) {
      // Mostly the headers, where the lengths and names are.
      const std::size_t at = random() % 3 == 0 ? random() % damaged.size() : random() % 80;
      damaged[at] = static_cast<BYTE>(random());
    }
    if (random() % 8 == 0) damaged.resize(random() % damaged.size());
    const std::string path = folder.Write("damaged.bin", damaged);
    DropOverview(s.data);
    const LONG claimed = random() % 4 == 0 ? static_cast<LONG>(random() % (2 * record.size())) : size;
    const int result = LoadRecord(path, claimed, folder.path().c_str());
    ASSERT_TRUE(result == 0 || result == 6 || result == 17 || result == 18) << result;
    if (result == 0) {
      ASSERT_GT(s->peakByteCount, 0);
      ASSERT_LE(s->peakByteCount, kMaxWaveformBytes);
      ASSERT_TRUE(s->peakBlock1 && s->peakBlock2);
    } else {
      ASSERT_EQ(s->peakByteCount, 0);
    }
  }
}

}  // namespace
