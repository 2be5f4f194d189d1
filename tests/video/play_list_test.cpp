// The play list of a range on synthetic frame indexes: which frame each
// entry reads, gaps, repeats, cuts into frames that are not key frames, and
// the ranges refused; then the byte ring's placement of blocks.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "media/key_frame.h"
#include "model/time_code.h"
#include "player_fixture.h"
#include "video/fifo_pipe.h"

namespace playertest {
namespace {

// The list machinery alone: no output, no threads.
class ListPlayer : public AviSubPlayer {
 public:
  ListPlayer() { state = kSubReady; }
  void ReleaseCodec() override {}
  int32_t InitOutput(AVIVideoData*, bool) override {
    ++inits;
    return initCode;
  }
  int32_t DisplayBody() override { return 0; }
  int32_t Build(Film* segments, int32_t start, int32_t end) {
    uint32_t largest = 0;
    return BuildPlayList(segments, start, end, &largest);
  }
  // Reads every entry on the calling thread; the reader's result.
  int32_t ReadAll(uint32_t largest) {
    fifo = std::make_unique<FifoPipe>(largest);
    ClearStop();
    return ReaderBody();
  }
  int inits = 0;
  int32_t initCode = 0;
};

// A video source of frameCount frames at 25 fps with no file behind it:
// empty entries are those of size 0, key frames every keyEvery.
AVIVideoData* Synthetic(const char* name, int frames, int keyEvery, const std::vector<int>& empty = {},
                        LONG width = 32) {
  auto* v = new AVIVideoData(name);
  v->AddRef();
  v->formatBlock = std::make_unique<BYTE[]>(sizeof(BITMAPINFOHEADER));
  auto* bi = reinterpret_cast<BITMAPINFOHEADER*>(v->formatBlock.get());
  *bi = BITMAPINFOHEADER{};
  bi->biSize = sizeof(BITMAPINFOHEADER);
  bi->biWidth = width;
  bi->biHeight = 24;
  bi->biPlanes = 1;
  bi->biBitCount = 24;
  bi->biCompression = kKeyDelta;
  v->formatSize = sizeof(BITMAPINFOHEADER);
  v->frameCount = frames;
  v->frameRate = 25.0f;
  for (int i = 0; i < frames; ++i) {
    AVIINDEXENTRY e{};
    e.ckid = aviTWOCC('0', '0');
    e.dwFlags = i % keyEvery == 0 ? AVIIF_KEYFRAME : 0;
    e.dwChunkOffset = static_cast<DWORD>(4 + 16 * i);
    e.dwChunkLength =
        std::find(empty.begin(), empty.end(), i) != empty.end() ? 0 : static_cast<DWORD>(100 + i);
    v->index.push_back(e);
  }
  v->largestFrame = static_cast<uint32_t>(100 + frames);
  return v;
}

// The list as text: "A3" reads frame 3 of source A, "A15*" shows the cached
// picture of frame 15, "." reads nothing.
std::string Describe(const ListPlayer& p, const std::vector<std::pair<AVIVideoData*, char>>& names) {
  std::ostringstream out;
  for (int i = 0; i < p.Count(); ++i) {
    const FrameEntry& e = p.PlayList()[i];
    if (i > 0) out << ' ';
    if (e.source == nullptr) {
      out << '.';
      continue;
    }
    for (const auto& [source, letter] : names) {
      if (source == e.source) out << letter;
    }
    out << e.frame << (e.cached != nullptr ? "*" : "");
  }
  return out.str();
}

struct Segment {
  char source;  // 'A' or 'B'
  int32_t in, start, end;
};

struct ListCase {
  const char* name;
  std::vector<Segment> segments;
  int32_t start, end;
  // The last picture shown, whole (decoded from a key frame): frame 7 of B,
  // of W (a wider file) or none.
  char lastShown;
  const char* list;
};

class PlayListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    a = Synthetic("/nowhere/a.avi", 60, 10, {3});
    b = Synthetic("/nowhere/b.avi", 60, 10);
  }
  void TearDown() override {
    AviSubPlayer::ForgetLastShownPicture();
    TKeyFrame::FreeAll();
    a->Release();
    b->Release();
  }
  void Add(FilmListHead& list, const Segment& s) {
    AddSegment(list, s.source == 'A' ? a : b, s.in, s.start, s.end);
  }
  AVIVideoData* a = nullptr;
  AVIVideoData* b = nullptr;
};

TEST_F(PlayListTest, EntriesOfARange) {
  AVIVideoData* wide = Synthetic("/nowhere/wide.avi", 60, 10, {}, 64);
  const std::vector<ListCase> cases = {
      {"a clip alone", {{'A', 0, 0, 120}}, 0, 120, 0, "A0 A1 A2"},
      {"the range cuts into the clip", {{'A', 400, 0, 400}}, 120, 240, 0, "A13 A14 A15"},
      {"a gap first shows nothing", {{'A', 0, 80, 200}}, 0, 200, 0, ". . A0 A1 A2"},
      {"a gap first shows a whole last picture", {{'A', 0, 80, 200}}, 0, 200, 'B', "B7 . A0 A1 A2"},
      {"a gap between clips holds the picture before",
       {{'A', 0, 0, 80}, {'B', 400, 160, 240}},
       0,
       240,
       0,
       "A0 A1 . . B10 B11"},
      {"a gap at the end holds it too", {{'A', 0, 0, 80}}, 0, 160, 0, "A0 A1 . ."},
      {"an empty frame repeats the one before", {{'A', 0, 0, 200}}, 0, 200, 0, "A0 A1 A2 . A4"},
      {"two clips showing one frame read it once",
       {{'A', 0, 0, 80}, {'A', 40, 80, 120}},
       0,
       120,
       0,
       "A0 A1 ."},
      {"clips without video and clips that ended are passed",
       {{'B', 0, 0, 40}, {'A', 400, 40, 120}},
       40,
       120,
       0,
       "A10 A11"},
      {"a last picture of another format is not repeated", {{'A', 0, 80, 200}}, 0, 200, 'W', ". . A0 A1 A2"},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.name);
    AviSubPlayer::ForgetLastShownPicture();
    if (c.lastShown != 0) {
      AviSubPlayer::SetLastShown(c.lastShown == 'B' ? b : wide, 7);
      AviSubPlayer::SetLastImageComplete(true);
    }
    FilmListHead list;
    for (const Segment& s : c.segments) Add(list, s);
    ListPlayer p;
    EXPECT_EQ(p.Build(list.First(), c.start, c.end), 0);
    EXPECT_EQ(Describe(p, {{a, 'A'}, {b, 'B'}}), c.list);
    EXPECT_EQ(p.inits, 1);
  }
  wide->Release();
}

TEST_F(PlayListTest, RangesThatCannotPlay) {
  // A source other than an AVI file, as the first video and later.
  class OtherVideo : public VideoSource {
   public:
    void AddRef() override {}
    void Release() override {}
    int32_t GetError() override { return 0; }
    bool IsDirectPlayable() override { return true; }
    bool IsOpen() override { return true; }
    void BeginRead() override {}
    void EndRead() override {}
    bool Reload(const char*) override { return true; }
    bool IsKeyFrame(int32_t) override { return true; }
    int32_t GetFrameCount() override { return 100; }
    float GetFrameRate() override { return 25; }
    const char* GetFileName() override { return "other"; }
  } other;
  AVIVideoData* wide = Synthetic("/nowhere/wide.avi", 60, 10, {}, 64);

  struct Refused {
    const char* name;
    std::function<void(FilmListHead&)> build;
    int32_t start, end, code;
  };
  const std::vector<Refused> cases = {
      {"an empty range", [&](FilmListHead& l) { AddSegment(l, a, 0, 0, 400); }, 200, 200,
       kErrInvalidParameter},
      {"a reversed range", [&](FilmListHead& l) { AddSegment(l, a, 0, 0, 400); }, 200, 120,
       kErrInvalidParameter},
      {"no video in the range", [&](FilmListHead& l) { AddSegment(l, a, 0, 0, 80); }, 80, 200, kErrCancelled},
      {"video of another kind first", [&](FilmListHead& l) { AddSegment(l, &other, 0, 0, 200); }, 0, 200,
       kErrCancelled},
      {"video of another kind later",
       [&](FilmListHead& l) {
         AddSegment(l, a, 0, 0, 80);
         AddSegment(l, &other, 0, 80, 200);
       },
       0, 200, kErrInvalidParameter},
      {"a cut into a frame that is not a key frame",
       [&](FilmListHead& l) {
         AddSegment(l, a, 0, 0, 80);
         AddSegment(l, b, 600, 80, 200);
       },
       0, 200, 27},
      {"a second file of another size",
       [&](FilmListHead& l) {
         AddSegment(l, a, 0, 0, 80);
         AddSegment(l, wide, 0, 80, 200);
       },
       0, 200, kErrFrameFormat},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.name);
    FilmListHead list;
    c.build(list);
    ListPlayer p;
    EXPECT_EQ(p.Build(list.First(), c.start, c.end), c.code);
  }

  // The output's own refusal comes back as it is.
  FilmListHead list;
  AddSegment(list, a, 0, 0, 200);
  ListPlayer p;
  p.initCode = 14;
  EXPECT_EQ(p.Build(list.First(), 0, 200), 14);
  wide->Release();
}

TEST_F(PlayListTest, ACutIntoAFrameWithAPreparedPictureShowsItWithoutAReadFromTheFile) {
  video_test::TempFolder folder;
  const std::string path = folder.Path("chain.avi");
  WriteKeyDeltaAvi(path, Chain(30, 10));
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(v, nullptr);
  v->BeginRead();
  TKeyFrame* record = TKeyFrame::Create(v, 15);
  ASSERT_NE(record, nullptr);
  record->data = std::make_unique<BYTE[]>(8);
  record->dataSize = 8;

  FilmListHead list;
  AddSegment(list, v, 0, 0, 80);      // frames 0, 1
  AddSegment(list, v, 600, 80, 200);  // frames 15, 16, 17
  ListPlayer p;
  ASSERT_EQ(p.Build(list.First(), 0, 200), 0);
  EXPECT_EQ(Describe(p, {{v, 'A'}}), "A0 A1 A15* A16 A17");
  EXPECT_EQ(p.PlayList()[2].size, 8u);
  // Reading frame 15 from the file would now fail.
  v->index[15].dwChunkOffset = 0x7FFFFF00;
  EXPECT_EQ(p.ReadAll(v->largestFrame), 0);
  EXPECT_EQ(p.PlayList()[2].position, kNotRead);
  EXPECT_GE(p.PlayList()[3].position, 0);
  record->Release();
  v->EndRead();
  v->Release();
}

TEST(FifoPipe, TheRingHoldsThreeOfTheLargestFramesAndAtLeastTwoMebibytes) {
  EXPECT_EQ(FifoPipe::CapacityFor(100), 2097152);
  EXPECT_EQ(FifoPipe::CapacityFor(800000), 2400001);
  EXPECT_EQ(FifoPipe(800000).capacity(), 2400001);
}

TEST(FifoPipe, BlocksArePlacedWholeAndNeverMeetTheUsedPart) {
  constexpr int32_t C = 2097152;
  struct Place {
    const char* name;
    int32_t readEnd;  // -1: nothing used yet
    int32_t writePos;
    uint32_t size;
    int32_t at;
  };
  const std::vector<Place> cases = {
      {"an empty ring takes all but one byte", -1, 0, C - 1, 0},
      {"a block may not fill it", -1, 0, C, -1},
      {"behind the last block", -1, 1000, C - 1001, 1000},
      {"up to the end of the used part, not onto it", 5000, 1000, 3999, 1000},
      {"one byte more would meet it", 5000, 1000, 4000, -1},
      {"after the last block, before the ring's end", 1000, 5000, C - 5001, 5000},
      {"no room at the end: from the start", 1000, C - 100, 500, 0},
      {"no room at either place", 1000, C - 100, 1000, -1},
      {"all used: the rest of the ring first", 5000, 5000, 2000, 5000},
  };
  for (const Place& c : cases) {
    SCOPED_TRACE(c.name);
    FifoPipe ring(100);
    ASSERT_EQ(ring.capacity(), C);
    if (c.writePos > 0) ring.Commit(0, static_cast<uint32_t>(c.writePos));
    if (c.readEnd >= 0) ring.Release(0, static_cast<uint32_t>(c.readEnd));
    EXPECT_EQ(ring.GetWritePos(c.size, false), c.at);
  }
}

}  // namespace
}  // namespace playertest
