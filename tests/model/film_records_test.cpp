#include "model/film_records.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/film.h"
#include "model/mark_list.h"
#include "project_fakes.h"

using namespace projecttest;

namespace {

class FilmRecords : public ProjectTest {
 protected:
  void SetUp() override {
    ProjectTest::SetUp();
    base = dir.path() + "/";
    folders = new PathRecord(base.c_str(), true);
  }
  void TearDown() override {
    PathRecord::FreeList(folders);
    SynonymFile::FreeList(moved);
    ProjectTest::TearDown();
  }

  Bytes Write(const Film& film) {
    HMMIO file = mmioOpen(dir.Path("film.bin").c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
    EXPECT_NE(file, nullptr);
    EXPECT_TRUE(film.WriteRecord(file, base.c_str()));
    mmioClose(file, 0);
    return dir.Read("film.bin");
  }
  // Reads data as one Film record of length bytes (the data's size when -1);
  // the file goes on with another record so that over-reading shows.
  int Read(Film& film, const Bytes& data, LONG length = -1) {
    dir.Write("read.bin", Cat({data, Rec().Scalar(999, 7).bytes}));
    HMMIO file = mmioOpen(dir.Path("read.bin").c_str(), nullptr, MMIO_READ);
    EXPECT_NE(file, nullptr);
    const int status = film.ReadRecord(file, length < 0 ? static_cast<LONG>(data.size()) : length, folders,
                                       &moved, &ask, nullptr);
    mmioClose(file, 0);
    return status;
  }

  // An audio clip on line 1 of a 5000 ms sound at <dir>/a.wav.
  Rec AudioFilm(int32_t start = 1000, int32_t end = 2000, int32_t in = 0, int32_t out = 1000) {
    return Rec()
        .Text(401, "Take")
        .Scalar(402, start)
        .Scalar(403, end)
        .Scalar(405, in)
        .Scalar(406, out)
        .Scalar(407, 5000)
        .Scalar(455, -1)
        .Scalar(472, 1000)
        .Text(461, "a.wav")
        .Scalar(462, 1);
  }

  std::string base;
  PathRecord* folders = nullptr;
  SynonymFile* moved = nullptr;
  bool ask = true;
};

void ExpectSameFilm(const Film& a, const Film& b) {
  EXPECT_STREQ(a.name, b.name);
  EXPECT_EQ(a.start, b.start);
  EXPECT_EQ(a.end, b.end);
  EXPECT_EQ(a.in, b.in);
  EXPECT_EQ(a.out, b.out);
  EXPECT_EQ(a.sourceLength, b.sourceLength);
  EXPECT_EQ(a.group, b.group);
  EXPECT_EQ(a.video, b.video);
  EXPECT_EQ(a.videoRow, b.videoRow);
  EXPECT_EQ(a.midi, b.midi);
  EXPECT_EQ(a.tempo, b.tempo);
  EXPECT_EQ(a.audio, b.audio);
  EXPECT_EQ(a.audioLine, b.audioLine);
  EXPECT_EQ(a.volume, b.volume);
  EXPECT_EQ(a.balance, b.balance);
  EXPECT_EQ(a.effects != nullptr, b.effects != nullptr);
  EXPECT_EQ(a.declickIn, b.declickIn);
  EXPECT_EQ(a.declickOut, b.declickOut);
  for (const auto& [pa, pb] :
       {std::pair{&a.volumePoints, &b.volumePoints}, {&a.balancePoints, &b.balancePoints}}) {
    ASSERT_EQ(pa->Count(), pb->Count());
    for (int32_t k = 0; k < pa->Count(); ++k) {
      EXPECT_EQ((*pa)[k].time, (*pb)[k].time);
      EXPECT_EQ((*pa)[k].value, (*pb)[k].value);
    }
  }
  ASSERT_EQ(a.marks.Count(), b.marks.Count());
  for (int32_t k = 0; k < a.marks.Count(); ++k) {
    EXPECT_EQ(a.marks[k].time, b.marks[k].time);
    EXPECT_STREQ(a.marks[k].name, b.marks[k].name);
    EXPECT_EQ(a.marks[k].group, b.marks[k].group);
  }
}

TEST_F(FilmRecords, RecordsComeInTheirOrderAndOnlyForTheSourcesAFilmHas) {
  FakeAudio* a = Audio(dir.Path("a.wav"), 5000);
  FakeVideo* v = Video(dir.Path("v.avi"), 100);
  FakeMidi* m = Midi(dir.Path("m.mid"), 3000);
  FakeClip audioClip(nullptr, a, nullptr, 0, 1000, 1000);
  Film audioOnly(audioClip, 0, kKindAudio, 0, -1);
  EXPECT_EQ(Tags(Write(audioOnly)), (std::vector<uint32_t>{401, 402, 403, 405, 406, 407, 408, 455, 472, 461,
                                                           462, 465, 301, 464, 350, 466, 467, 201}));

  FakeClip avClip(v, a, nullptr, 0, 1000, 1000);
  Film av(avClip, 0, kKindAudio | kKindVideo, 0, 0);
  av.effects = Effects();
  av.marks.AddMark(40);
  const Bytes bytes = Write(av);
  EXPECT_EQ(Tags(bytes), (std::vector<uint32_t>{401, 402, 403, 405, 406, 407, 408, 456, 457, 455, 472,
                                                461, 462, 465, 301, 464, 350, 600, 466, 467, 201}));
  // The effect chain's body, patched into its record, and the one mark.
  const std::string text(bytes.begin(), bytes.end());
  const size_t fx = text.find("FXCHAIN!");
  ASSERT_NE(fx, std::string::npos);
  EXPECT_EQ(Bytes(bytes.begin() + fx - 8, bytes.begin() + fx), Cat({Le32(600), Le32(8)}));
  EXPECT_EQ(Bytes(bytes.end() - 136 - 8, bytes.end() - 136), Cat({Le32(201), Le32(136)}));

  FakeClip midiClip(nullptr, nullptr, m, 0, 1000, 1000);
  Film midiFilm(midiClip, 0, kKindMidi, -1, -1);
  EXPECT_EQ(Tags(Write(midiFilm)), (std::vector<uint32_t>{401, 402, 403, 405, 406, 407, 408, 455, 471, 472,
                                                          462, 465, 464, 466, 467, 201}));
}

TEST_F(FilmRecords, FrameRateIsStoredInThousandths) {
  for (auto [rate, stored] : {std::pair{25.0f, 25000}, {29.97f, 29970}, {23.976f, 23976}}) {
    FakeVideo* v = Video(dir.Path("v" + std::to_string(stored) + ".avi"), 100, rate);
    FakeClip clip(v, nullptr, nullptr, 0, 1000, 1000);
    Film film(clip, 0, kKindVideo, -1, 0);
    const Bytes bytes = Write(film);
    const std::string text(bytes.begin(), bytes.end());
    const size_t at = text.find(std::string("\xC9\x01\0\0\x04\0\0\0", 8));  // 457, length 4
    ASSERT_NE(at, std::string::npos) << rate;
    EXPECT_EQ(Bytes(bytes.begin() + at + 8, bytes.begin() + at + 12), Le32(stored)) << rate;
  }
}

TEST_F(FilmRecords, EveryKindOfFilmReadsBackAsWritten) {
  SetProjectFrameRate(25.0f);
  FakeAudio* a = Audio(dir.Path("clips/a.wav"), 8000);
  FakeVideo* v = Video(dir.Path("v.avi"), 250);  // 10 s
  FakeMidi* m = Midi(dir.Path("m.mid"), 3000);

  std::vector<std::function<std::unique_ptr<Film>()>> makers = {
      [&] {
        FakeClip clip(nullptr, a, nullptr, 500, 2500, 2000, "Audio only");
        auto f = std::make_unique<Film>(clip, 1000, kKindAudio, 2, -1);
        f->volume = 700;
        f->balance = -30;
        f->group = 3;
        return f;
      },
      [&] {
        FakeClip clip(v, a, nullptr, 400, 4400, 4000, "Video and sound");
        auto f = std::make_unique<Film>(clip, 2000, kKindAudio | kKindVideo, 1, 0);
        f->volumePoints.Insert(1000, 300);
        f->volumePoints.Insert(2000, 900);
        f->balancePoints.Insert(1500, 100);
        f->marks.AddMark(800);
        f->marks.AddMark(1200);
        f->marks.SetName(1, "Hit");
        f->marks.SetGroup(0, 4);
        f->effects = Effects();
        return f;
      },
      [&] {
        FakeClip clip(nullptr, nullptr, m, 0, 6000, 6000, "Midi");
        auto f = std::make_unique<Film>(clip, 0, kKindMidi, -1, -1);
        f->tempo = 2000;
        f->sourceLength = 6000;
        return f;
      },
      [&] {
        FakeClip clip(v, nullptr, nullptr, 0, 2000, 2000, "Row one");
        return std::make_unique<Film>(clip, 4000, kKindVideo, -1, 1);
      },
      [&] {
        FakeClip clip(nullptr, a, nullptr, 0, 1000, 1000, "Declicked");
        auto f = std::make_unique<Film>(clip, 3000, kKindAudio, 3, -1);
        f->declickIn = true;
        f->declickOut = true;
        return f;
      },
  };
  for (auto& make : makers) {
    std::unique_ptr<Film> film = make();
    SCOPED_TRACE(film->name);
    const Bytes bytes = Write(*film);
    Film back;
    EXPECT_EQ(Read(back, bytes), 0);
    ExpectSameFilm(*film, back);
    EXPECT_EQ(back.origin, back.start - back.in);
  }
  // The stored relative path was read against the project's folder.
  EXPECT_EQ(projectMedia.opened.front(), dir.Path("clips/a.wav"));
}

TEST_F(FilmRecords, ValuesAreCheckedBeforeUse) {
  Audio(dir.Path("a.wav"), 5000);
  const std::string longName(128, 'N');
  struct Case {
    const char* what;
    std::function<Bytes()> data;
    int status;
    std::function<void(const Film&)> check;
  };
  const Case cases[] = {
      {"a scalar of 2 bytes",
       [&] {
         return Rec().Raw(402, {1, 0}).Data(AudioFilm().bytes).bytes;
       },
       6, [](const Film& f) { EXPECT_EQ(f.start, 0); }},
      {"a negative end", [&] { return Rec().Scalar(403, -1).Data(AudioFilm().bytes).bytes; }, 6,
       [](const Film& f) { EXPECT_EQ(f.end, 0); }},
      {"a time past a day", [&] { return Rec().Scalar(402, kDayMs + 1).bytes; }, 6, nullptr},
      {"volume 2049", [&] { return Rec().Scalar(465, 2049).Data(AudioFilm().bytes).bytes; }, 6,
       [](const Film& f) { EXPECT_EQ(f.volume, 512); }},
      {"an old volume on the quarter scale", [&] { return AudioFilm().Scalar(463, 100).bytes; }, 0,
       [](const Film& f) { EXPECT_EQ(f.volume, 400); }},
      {"an old volume held at the top", [&] { return AudioFilm().Scalar(463, 8192).bytes; }, 0,
       [](const Film& f) { EXPECT_EQ(f.volume, 2048); }},
      {"an old volume beyond its range", [&] { return AudioFilm().Scalar(463, 8193).bytes; }, 6, nullptr},
      {"balance 300", [&] { return AudioFilm().Scalar(464, 300).bytes; }, 6,
       [](const Film& f) { EXPECT_EQ(f.balance, 0); }},
      {"tempo 0", [&] { return AudioFilm().Scalar(472, 0).bytes; }, 6, nullptr},
      {"a profile of one point",
       [&] {
         return AudioFilm().Points(301, {{0, 100}}).bytes;
       },
       6, [](const Film& f) { EXPECT_EQ(f.volumePoints.Count(), 2); }},
      {"a profile of 20 bytes reads two points",
       [&] {
         return AudioFilm().Raw(301, Cat({Le32(0), Le32(100), Le32(4000), Le32(200), Le32(9)})).bytes;
       },
       6,
       [](const Film& f) {
         ASSERT_EQ(f.volumePoints.Count(), 2);
         EXPECT_EQ(f.volumePoints[0].value, 100);
         EXPECT_EQ(f.volumePoints[1].value, 200);
         EXPECT_EQ(f.volumePoints[1].time, 5000);  // the last point lies at the source's end
       }},
      {"a profile point before the source",
       [&] {
         return AudioFilm().Points(301, {{0, 100}, {INT32_MIN, 600}, {5000, 200}}).bytes;
       },
       6,
       [](const Film& f) {
         ASSERT_EQ(f.volumePoints.Count(), 2);
         EXPECT_EQ(f.volumePoints[0].value, 512);
       }},
      {"a balance point past a day",
       [&] {
         return AudioFilm().Points(350, {{0, 10}, {kDayMs + 1, 20}, {5000, 30}}).bytes;
       },
       6, [](const Film& f) { EXPECT_EQ(f.balancePoints.Count(), 2); }},
      {"a profile of more than 1000 points", [&] { return AudioFilm().Raw(350, Bytes(8008, 0)).bytes; }, 6,
       nullptr},
      {"old volume points on the quarter scale",
       [&] {
         return AudioFilm().Points(300, {{0, 100}, {2500, 600}, {5000, 200}}).bytes;
       },
       0,
       [](const Film& f) {
         ASSERT_EQ(f.volumePoints.Count(), 3);
         EXPECT_EQ(f.volumePoints[0].value, 400);
         EXPECT_EQ(f.volumePoints[1].value, 2047);
         EXPECT_EQ(f.volumePoints[2].value, 800);
       }},
      {"a name of 128 bytes without its NUL",
       [&] { return AudioFilm().Raw(401, Bytes(longName.begin(), longName.end())).bytes; }, 0,
       [&](const Film& f) { EXPECT_EQ(std::string(f.name), std::string(127, 'N')); }},
      {"names of 0 and 200 bytes are passed over",
       [&] { return AudioFilm().Raw(401, {}).Raw(401, Bytes(200, 'x')).bytes; }, 0,
       [](const Film& f) { EXPECT_STREQ(f.name, "Take"); }},
      {"an unknown record", [&] { return AudioFilm().Raw(4711, Bytes(13, 1)).bytes; }, 0, nullptr},
      {"453 and 454 that differ", [&] { return AudioFilm().Scalar(453, 5).Scalar(454, 6).bytes; }, 6,
       nullptr},
      {"453 and 454 that agree", [&] { return AudioFilm().Scalar(453, 5).Scalar(454, 5).bytes; }, 0, nullptr},
      {"454 out of its range", [&] { return AudioFilm().Scalar(454, -5).bytes; }, 6, nullptr},
      {"a path of 300 bytes", [&] { return AudioFilm().Raw(456, Bytes(300, 'p')).bytes; }, 6, nullptr},
      {"a negative record length", [&] { return AudioFilm().Head(405, 0xFFFFFFFFu).bytes; }, 6, nullptr},
      {"a record reaching past the Film", [&] { return AudioFilm().Head(401, 40).Data(Bytes(8, 'a')).bytes; },
       6, [](const Film& f) { EXPECT_STREQ(f.name, "Take"); }},
      {"an end that is not after the start", [&] { return AudioFilm(2000, 2000, 0, 0).bytes; }, 6, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Film film;
    EXPECT_EQ(Read(film, c.data()), c.status);
    if (c.check) c.check(film);
  }

  // A record cut by the end of the file.
  Film cut;
  const Bytes data = AudioFilm().bytes;
  dir.Write("cut.bin", Bytes(data.begin(), data.end() - 2));
  HMMIO file = mmioOpen(dir.Path("cut.bin").c_str(), nullptr, MMIO_READ);
  EXPECT_EQ(cut.ReadRecord(file, static_cast<LONG>(data.size()), folders, &moved, &ask, nullptr), 19);
  mmioClose(file, 0);
}

TEST_F(FilmRecords, OutPointsAndSourceLengthsAreRepaired) {
  SetProjectFrameRate(25.0f);
  Audio(dir.Path("a.wav"), 5000);
  Video(dir.Path("v.avi"), 100);  // 4000 ms
  Midi(dir.Path("m.mid"), 3000);
  struct Case {
    const char* what;
    Bytes data;
    int status;
    int32_t start, end, in, out, sourceLength;
  };
  const Case cases[] = {
      {"an audio out point that disagrees", AudioFilm(1000, 2000, 0, 900).bytes, 18, 1000, 2000, 0, 1000,
       5000},
      {"an audio out point beyond the source", AudioFilm(0, 6000, 0, 100).bytes, 18, 0, 5000, 0, 5000, 5000},
      {"a video out point that disagrees",
       Rec()
           .Scalar(402, 1000)
           .Scalar(403, 2000)
           .Scalar(405, 0)
           .Scalar(406, 960)
           .Scalar(407, 4000)
           .Text(456, "v.avi")
           .Scalar(457, 25000)
           .Scalar(455, 0)
           .bytes,
       18, 1000, 2000, 0, 1000, 4000},
      {"a stored source length that the file no longer has",
       Rec()
           .Scalar(402, 0)
           .Scalar(403, 1000)
           .Scalar(405, 0)
           .Scalar(406, 1000)
           .Scalar(407, 7000)
           .Text(461, "a.wav")
           .Scalar(462, 0)
           .bytes,
       18, 0, 1000, 0, 1000, 5000},
      {"a MIDI clip at twice the tempo",
       Rec()
           .Scalar(402, 0)
           .Scalar(403, 6000)
           .Scalar(405, 0)
           .Scalar(406, 6000)
           .Scalar(407, 6000)
           .Text(471, "m.mid")
           .Scalar(472, 2000)
           .bytes,
       0, 0, 6000, 0, 6000, 6000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Film film;
    EXPECT_EQ(Read(film, c.data), c.status);
    EXPECT_EQ(film.start, c.start);
    EXPECT_EQ(film.end, c.end);
    EXPECT_EQ(film.in, c.in);
    EXPECT_EQ(film.out, c.out);
    EXPECT_EQ(film.sourceLength, c.sourceLength);
  }
}

TEST_F(FilmRecords, ProfilesLinesAndRatesAreCompletedAfterTheRecords) {
  FakeVideo* v = Video(dir.Path("v.avi"), 100, 25.0f);
  Audio(dir.Path("a.wav"), 5000);
  Film film;
  EXPECT_EQ(Read(film, AudioFilm().Scalar(455, 1).bytes), 0);
  EXPECT_EQ(film.videoRow, -1);  // no video
  EXPECT_EQ(film.audioLine, 1);
  ASSERT_EQ(film.volumePoints.Count(), 2);
  EXPECT_EQ(film.volumePoints[0].time, 0);
  EXPECT_EQ(film.volumePoints[0].value, 512);
  EXPECT_EQ(film.volumePoints[1].time, 5000);
  EXPECT_EQ(film.volumePoints[1].value, 512);
  ASSERT_EQ(film.balancePoints.Count(), 2);
  EXPECT_EQ(film.balancePoints[1].time, 5000);
  EXPECT_EQ(film.balancePoints[1].value, 0);

  // Stored points that do not span the source are pulled to its ends.
  Film pulled;
  EXPECT_EQ(Read(pulled, AudioFilm().Points(350, {{30, 10}, {4000, -20}}).bytes), 0);
  EXPECT_EQ(pulled.balancePoints[0].time, 0);
  EXPECT_EQ(pulled.balancePoints[1].time, 5000);

  // A video clip takes the stored rate; a silent one keeps no profiles.
  Film video;
  const Bytes data = Rec()
                         .Scalar(402, 0)
                         .Scalar(403, 4000)
                         .Scalar(406, 4000)
                         .Scalar(407, 4000)
                         .Text(456, "v.avi")
                         .Scalar(457, 25000)
                         .Scalar(455, 1)
                         .Scalar(462, 2)
                         .Points(301, {{0, 1}, {4000, 1}})
                         .bytes;
  EXPECT_EQ(Read(video, data), 0);
  EXPECT_EQ(video.video, v);
  EXPECT_EQ(video.videoRow, 1);
  EXPECT_EQ(video.audioLine, -1);
  EXPECT_EQ(video.volumePoints.Count(), 0);
  ASSERT_EQ(projectMedia.rates.size(), 1u);
  EXPECT_FLOAT_EQ(projectMedia.rates[0], 25.0f);

  // Rates of 0 and absurd ones are not handed on.
  projectMedia.rates.clear();
  for (int32_t stored : {0, -25000, 2000000000}) {
    Film other;
    Rec r = Rec().Scalar(402, 0).Scalar(403, 4000).Scalar(406, 4000).Scalar(407, 4000).Text(456, "v.avi");
    Read(other, r.Scalar(457, stored).Scalar(455, 0).bytes);
  }
  EXPECT_TRUE(projectMedia.rates.empty());
}

TEST_F(FilmRecords, PathsInsideTheProjectFolderAreStoredRelative) {
  FakeAudio* inside = Audio(dir.Path("clips/in.wav"), 5000);
  FakeAudio* outside = Audio("/elsewhere/out.wav", 5000);
  for (auto [source, stored] :
       {std::pair{inside, std::string("clips/in.wav")}, {outside, "/elsewhere/out.wav"}}) {
    FakeClip clip(nullptr, source, nullptr, 0, 1000, 1000);
    Film film(clip, 0, kKindAudio, 0, -1);
    const Bytes bytes = Write(film);
    const std::string text(bytes.begin(), bytes.end());
    const std::string record = std::string("\xCD\x01\0\0", 4) + static_cast<char>(stored.size() + 1) +
                               std::string("\0\0\0", 3) + stored + '\0';
    EXPECT_NE(text.find(record), std::string::npos) << stored;
    Film back;
    EXPECT_EQ(Read(back, bytes), 0);
    EXPECT_EQ(back.audio, source);
  }

  // Either separator, and "./", read against the folder.
  char out[MAX_PATH];
  ResolveStoredPath("clips\\a.avi", "/proj/", out);
  EXPECT_STREQ(out, "/proj/clips/a.avi");
  ResolveStoredPath("./a.avi", "/proj", out);
  EXPECT_STREQ(out, "/proj/a.avi");
  ResolveStoredPath("/abs/a.avi", "/proj/", out);
  EXPECT_STREQ(out, "/abs/a.avi");
  ResolveStoredPath("C:\\old\\a.avi", "/proj/", out);
  EXPECT_STREQ(out, "C:/old/a.avi");
  // A folder too long to hold the name gives way; the whole always fits.
  const std::string deep = "/" + std::string(300, 'd') + "/";
  ResolveStoredPath("name.wav", deep.c_str(), out);
  EXPECT_EQ(std::string(out).size(), MAX_PATH - 1);
  EXPECT_EQ(std::string(out).substr(MAX_PATH - 1 - 9), "/name.wav");
  EXPECT_EQ(StoredPath("/proj/x/y.wav", "/proj/"), "x/y.wav");
  EXPECT_EQ(StoredPath("/project/y.wav", "/proj/"), "/project/y.wav");
}

TEST_F(FilmRecords, AMissingFileIsAskedForOnceAndItsAnswerReused) {
  FakeAudio* found = Audio(dir.Path("found/a.wav"), 5000);
  locator.answers.push_back({kLocateChosen, dir.Path("found/a.wav")});
  Film first;
  EXPECT_EQ(Read(first, AudioFilm().bytes), 18);
  EXPECT_EQ(first.audio, found);
  ASSERT_EQ(locator.asked.size(), 1u);
  EXPECT_EQ(locator.asked[0], dir.Path("a.wav"));
  EXPECT_EQ(locator.captions[0], "Load Project");
  ASSERT_NE(moved, nullptr);
  EXPECT_STREQ(moved->oldPath, dir.Path("a.wav").c_str());
  EXPECT_STREQ(moved->newPath, dir.Path("found/a.wav").c_str());

  Film second;
  EXPECT_EQ(Read(second, AudioFilm().bytes), 18);
  EXPECT_EQ(second.audio, found);
  EXPECT_EQ(locator.asked.size(), 1u);
  EXPECT_EQ(found->refs, 3);
}

TEST_F(FilmRecords, SkipSkipAllAndCancel) {
  // Skip: the file stays missing for this load and is not asked for again.
  Film skipped;
  locator.answers.push_back({kLocateSkip, ""});
  EXPECT_EQ(Read(skipped, AudioFilm().bytes), 18);
  EXPECT_EQ(skipped.audio, nullptr);
  EXPECT_EQ(skipped.audioLine, -1);
  Film again;
  EXPECT_EQ(Read(again, AudioFilm().bytes), 18);
  EXPECT_EQ(locator.asked.size(), 1u);
  EXPECT_TRUE(ask);

  // Skip all: no more questions during this load.
  locator.answers.push_back({kLocateSkipAll, ""});
  Film other;
  EXPECT_EQ(Read(other, AudioFilm().Text(456, "v.avi").Scalar(455, 0).bytes), 18);
  EXPECT_FALSE(ask);
  Film later;
  EXPECT_EQ(Read(later, AudioFilm().Text(471, "m.mid").bytes), 18);
  EXPECT_EQ(locator.asked.size(), 2u);

  // Cancel stops the Film at once.
  ask = true;
  locator.answers.push_back({kLocateCancel, ""});
  Film cancelled;
  EXPECT_EQ(Read(cancelled, Rec().Text(461, "b.wav").Text(401, "never read").bytes), 17);
  EXPECT_STREQ(cancelled.name, "");
}

TEST_F(FilmRecords, WithoutAQuestionMissingFilesAreSkipped) {
  SetMediaFileLocator(nullptr);
  Film film;
  EXPECT_EQ(Read(film, AudioFilm().bytes), 18);
  EXPECT_EQ(film.audio, nullptr);
  SetMediaFileLocator(&locator);
}

class MarkRecords : public ProjectTest {
 protected:
  int Read(MarkList& list, const Bytes& data, LONG length, bool old = false) {
    dir.Write("marks.bin", data);
    HMMIO file = mmioOpen(dir.Path("marks.bin").c_str(), nullptr, MMIO_READ);
    const int result = old ? list.ReadOld(file, length) : list.Read(file, length);
    mmioClose(file, 0);
    return result;
  }
  static Bytes Mark(int32_t time, const std::string& name, int32_t group) {
    Bytes n(128, 0);
    std::copy(name.begin(), name.end(), n.begin());
    return Cat({Le32(static_cast<uint32_t>(time)), n, Le32(static_cast<uint32_t>(group))});
  }
};

TEST_F(MarkRecords, MarksAreStoredFieldByField) {
  MarkList list;
  EXPECT_TRUE(list.AddMark(500));
  EXPECT_TRUE(list.AddMark(100));
  list.SetName(1, "Second");
  list.SetGroup(1, 7);
  HMMIO file = mmioOpen(dir.Path("out.bin").c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
  EXPECT_TRUE(list.Write(file));
  mmioClose(file, 0);
  EXPECT_EQ(dir.Read("out.bin"), Cat({Mark(100, "", 0), Mark(500, "Second", 7)}));

  MarkList empty;
  file = mmioOpen(dir.Path("empty.bin").c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
  EXPECT_TRUE(empty.Write(file));
  mmioClose(file, 0);
  EXPECT_TRUE(dir.Read("empty.bin").empty());
}

TEST_F(MarkRecords, ReadingChecksTheLength) {
  const Bytes two = Cat({Mark(300, "b", 1), Mark(100, "a", 2)});
  struct Case {
    const char* what;
    Bytes data;
    LONG length;
    int result;
    int32_t count;
  };
  const Case cases[] = {
      {"two marks, kept in their stored order", two, 272, 0, 2},
      {"137 bytes read one mark", Cat({Mark(5, "x", 0), Bytes{9}}), 137, 6, 1},
      {"nothing", {}, 0, 0, 0},
      {"too short for a mark", Bytes(100, 0), 100, 6, 0},
      {"more than 1000 marks", {}, 1001 * 136, 6, 0},
      {"a cut file", Mark(5, "x", 0), 272, 19, 0},
      {"a negative time", Cat({Mark(5, "x", 0), Mark(INT32_MIN, "y", 0)}), 272, 6, 0},
      {"a time past a day", Mark(kDayMs + 1, "x", 0), 136, 6, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MarkList list;
    list.AddMark(1);
    EXPECT_EQ(Read(list, c.data, c.length), c.result);
    EXPECT_EQ(list.Count(), c.count);
  }
  MarkList list;
  Read(list, two, 272);
  EXPECT_EQ(list[0].time, 300);
  EXPECT_STREQ(list[1].name, "a");
  EXPECT_EQ(list[1].group, 2);
  EXPECT_EQ(list.Capacity(), 10);

  // A name of 128 characters without its NUL is read terminated.
  Bytes full = Mark(1, "", 0);
  std::fill(full.begin() + 4, full.begin() + 132, 'M');
  EXPECT_EQ(Read(list, full, 136), 0);
  EXPECT_EQ(std::string(list[0].name), std::string(127, 'M'));
}

TEST_F(MarkRecords, OldMarksAreTimeAndGroup) {
  MarkList list;
  EXPECT_EQ(Read(list, Cat({Le32(100), Le32(1), Le32(200), Le32(2)}), 16, true), 0);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[1].time, 200);
  EXPECT_EQ(list[1].group, 2);
  EXPECT_STREQ(list[1].name, "");
  EXPECT_EQ(Read(list, Cat({Le32(100), Le32(1), Le32(7)}), 12, true), 6);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(Read(list, {}, 8008, true), 6);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(Read(list, Cat({Le32(100), Le32(1), Le32(kDayMs + 1), Le32(2)}), 16, true), 6);
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
