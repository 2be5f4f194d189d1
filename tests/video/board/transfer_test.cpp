// The frame transfer on a small fake ring: what the board is told of each
// frame, where the bytes the board needs aligned end up, and the frames
// that are refused.
#include <gtest/gtest.h>

#include "board_fixture.h"
#include "model/error_codes.h"
#include "video/sub_player.h"

namespace boardtest {
namespace {

constexpr uint32_t kVideoOnly = kBoardVideo;
constexpr uint32_t kWithAlpha = kBoardVideo | kBoardAlpha;
constexpr int32_t kRing = 262144;

// The feeder's way: the frame is in the ring at offset, and the last
// announcement ended at announced.
int32_t Feed(FakeRing& ring, const std::vector<BYTE>& frame, int32_t offset, int32_t announced, int32_t id,
             int32_t* end = nullptr) {
  ring.Place(offset, frame);
  ring.SetWritePosition(announced);
  int32_t a = announced;
  const int32_t code =
      TheVelmoraDevice.AnnounceFrame(offset, static_cast<int32_t>(frame.size()), a, id, nullptr);
  if (end != nullptr) *end = a;
  return code;
}

// The still's way: the frame was just read into the ring at offset.
int32_t Load(FakeRing& ring, const std::vector<BYTE>& frame, int32_t offset, int32_t id) {
  ring.Place(offset, frame);
  uint32_t size = static_cast<uint32_t>(frame.size());
  return TheVelmoraDevice.AnnounceLoadedFrame(offset, static_cast<int32_t>(frame.size()), id, &size);
}

TEST(BoardTransfer, AVlmdFrameIsItsHeaderAndTwoFields) {
  const std::vector<BYTE> frame = VlmdFrame(100000, 99000);
  const std::string expected = "{7,0,5,28} {7,0,1,100000} {7,1,1,99000} {7,0,4,0}";
  {
    FakeRing ring(kRing, kVideoOnly);
    ASSERT_EQ(Feed(ring, frame, 1024, 1024, 7), 0);
    EXPECT_EQ(Describe(ring.log()), expected);
    EXPECT_EQ(TheVelmoraDevice.lastFrameId, 7);
  }
  {
    FakeRing ring(kRing, kVideoOnly);
    ASSERT_EQ(Load(ring, frame, 1024, 7), 0);
    EXPECT_EQ(Describe(ring.log()), expected);
  }
  // Without the video resource nothing of it is shown.
  FakeRing ring(kRing, 0);
  ASSERT_EQ(Load(ring, frame, 0, 3), 0);
  EXPECT_EQ(Describe(ring.log()), "{3,0,5,199028} {3,0,4,0}");
}

TEST(BoardTransfer, AFrameAcrossTheRingsEndIsAnnouncedAsOne) {
  const std::vector<BYTE> frame = VlmdFrame(3000, 2000);
  for (int32_t offset : {kRing - 2, kRing - 18, kRing - 1000}) {
    SCOPED_TRACE(offset);
    FakeRing feeder(kRing, kVideoOnly);
    ASSERT_EQ(Feed(feeder, frame, offset, offset, 1), 0);
    EXPECT_EQ(Describe(feeder.log()), "{1,0,5,28} {1,0,1,3000} {1,1,1,2000} {1,0,4,0}");
    FakeRing still(kRing, kVideoOnly);
    ASSERT_EQ(Load(still, frame, offset, 1), 0);
    EXPECT_EQ(Describe(still.log()), "{1,0,5,28} {1,0,1,3000} {1,1,1,2000} {1,0,4,0}");
  }
}

TEST(BoardTransfer, VideoOffItsWordBoundaryMovesBackOverItsHeader) {
  FakeRing ring(kRing, kVideoOnly);
  std::vector<BYTE> video(100);
  for (std::size_t i = 0; i < video.size(); ++i) video[i] = static_cast<BYTE>(i + 1);
  // The payload starts 12 bytes into a frame placed 2 bytes past a boundary.
  const std::vector<BYTE> frame = Vlm1Frame({{0, 1, video}, {1, 99, std::vector<BYTE>(20, 0xEE)}});
  int32_t end = 0;
  ASSERT_EQ(Feed(ring, frame, 4098, 4096, 5, &end), 0);
  // 2 bytes before the frame, its tag and header, less the 2 moved over.
  EXPECT_EQ(Describe(ring.log()), "{5,0,5,12} {5,0,1,100} {5,0,4,0}");
  EXPECT_EQ(ring.log()[1].offset, 4096 + 12);
  EXPECT_EQ(ring.At(4108, 100), video);
  // The 2 bytes left behind open the next frame's skip.
  EXPECT_EQ(end, 4208);
  ring.log().clear();
  const std::vector<BYTE> next = VlmdFrame(16, 16);
  ASSERT_EQ(Feed(ring, next, 4098 + static_cast<int32_t>(frame.size()), end, 6), 0);
  EXPECT_EQ(ring.log()[0].count, 2 + 28 + 28);  // 2 left, the unshown chunk, the header
}

TEST(BoardTransfer, TheFirst1024BytesOfKind10AreSkippedAndTheRestAligned) {
  std::vector<BYTE> data(3000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<BYTE>(i * 7);
  const std::vector<BYTE> frame = Vlm1Frame({{1, 10, data}, {0, 1, std::vector<BYTE>(64, 0x33)}});
  const std::vector<BYTE> rest(data.begin() + 1024, data.end());
  {
    FakeRing ring(kRing, kWithAlpha);
    // The payload begins at 2048 + 12: 12 past a 1024 boundary.
    ASSERT_EQ(Feed(ring, frame, 2048, 2048, 1), 0);
    EXPECT_EQ(Describe(ring.log()), "{1,1,5,1024} {1,1,10,1976} {1,0,5,20} {1,0,1,64} {1,0,4,0}");
    EXPECT_EQ(ring.log()[1].offset, 3072);
    EXPECT_EQ(ring.At(3072, 1976), rest);
  }
  {
    FakeRing ring(kRing, kWithAlpha);
    ASSERT_EQ(Load(ring, frame, 2048, 1), 0);
    EXPECT_EQ(Describe(ring.log()), "{1,1,5,1024} {1,1,10,1976} {1,0,5,20} {1,0,1,64} {1,0,4,0}");
    EXPECT_EQ(ring.At(3072, 1976), rest);
  }
  // Without the alpha resource it is one more thing to skip.
  FakeRing ring(kRing, kVideoOnly);
  ASSERT_EQ(Feed(ring, frame, 2048, 2048, 1), 0);
  EXPECT_EQ(Describe(ring.log()), "{1,0,5,3020} {1,0,1,64} {1,0,4,0}");
}

TEST(BoardTransfer, CodedAlphaKeysAreDecodedIntoTheRingOnlyWithTheAlphaResource) {
  // 64 x 32 frames: a field's plane is 64 x 16 bytes.
  const int32_t plane = 64 * 16;
  // Runs: 200 bytes of 0x10, then 824 of 0x90 (in runs of at most 128).
  std::vector<BYTE> coded0 = {static_cast<BYTE>(127 + 128), 0x10, static_cast<BYTE>(72 + 127), 0x10};
  for (int left = 824; left > 0; left -= 128) {
    const int n = std::min(left, 128);
    coded0.push_back(static_cast<BYTE>(n + 127));
    coded0.push_back(0x90);
  }
  const std::vector<BYTE> coded1 = {2, 1, 2, 3};  // literals 1 2 3, then the plane's rest untouched
  const std::vector<BYTE> frame =
      Vlm1Frame({{0, 1, std::vector<BYTE>(128, 0x40)}, {0, 7, coded0}, {1, 7, coded1}, {1, 1, std::vector<BYTE>(128)}});
  for (bool feeder : {true, false}) {
    SCOPED_TRACE(feeder ? "fed" : "loaded");
    FakeRing ring(kRing, kWithAlpha);
    const int32_t code = feeder ? Feed(ring, frame, 0, 0, 2) : Load(ring, frame, 0, 2);
    ASSERT_EQ(code, 0);
    std::vector<VlmSimAnnouncement> planes;
    for (const VlmSimAnnouncement& a : ring.log()) {
      if (a.kind == 2) planes.push_back(a);
    }
    ASSERT_EQ(planes.size(), 2u);
    EXPECT_EQ(ring.log().back().kind, 4);
    // The planes follow the frame, each announced as its field's alpha; the
    // feeder's start on a word boundary.
    EXPECT_EQ(planes[0].field, 0);
    EXPECT_EQ(planes[0].count, plane);
    EXPECT_EQ(planes[1].field, 1);
    EXPECT_EQ(planes[1].offset, planes[0].offset + plane);
    EXPECT_GE(planes[0].offset, static_cast<int32_t>(frame.size()));
    if (feeder) {
      EXPECT_EQ(planes[0].offset % 4, 0);
    }
    std::vector<BYTE> first(plane, 0x90);
    std::fill_n(first.begin(), 200, BYTE{0x10});
    EXPECT_EQ(ring.At(planes[0].offset, plane), first);
    EXPECT_EQ(ring.At(planes[1].offset, 3), (std::vector<BYTE>{1, 2, 3}));
  }
  FakeRing ring(kRing, kVideoOnly);
  ASSERT_EQ(Load(ring, frame, 0, 2), 0);
  // The coded keys are only skipped over.
  EXPECT_EQ(Describe(ring.log()), "{2,0,5,12} {2,0,1,128} {2,1,5,46} {2,1,1,128} {2,0,4,0}");
}

struct BadFrame {
  const char* name;
  std::vector<BYTE> bytes;
};

std::vector<BadFrame> BadFrames() {
  std::vector<BadFrame> bad;
  std::vector<BYTE> fields = VlmdFrame(100, 100);
  fields.resize(fields.size() - 1);
  bad.push_back({"VLMD fields past the frame", fields});
  bad.push_back({"VLMD shorter than its header", std::vector<BYTE>{'V', 'L', 'M', 'D', 0, 0, 0, 0}});
  std::vector<BYTE> huge = VlmdFrame(16, 16);
  huge[19] = 0xFF;  // field 0 of 4 GiB less a little
  bad.push_back({"VLMD sizes that wrap", huge});
  std::vector<BYTE> longer = Vlm1Frame({{0, 1, std::vector<BYTE>(40)}});
  longer.resize(longer.size() - 1);
  bad.push_back({"VLM1 chunk past the frame", longer});
  std::vector<BYTE> negative = Vlm1Frame({{0, 1, std::vector<BYTE>(40)}});
  negative[11] = 0x80;
  bad.push_back({"VLM1 chunk of negative length", negative});
  bad.push_back({"another tag", std::vector<BYTE>{'M', 'J', 'P', 'G', 0, 0, 0, 0, 0, 0, 0, 0}});
  bad.push_back({"no tag at all", std::vector<BYTE>{'V', 'L'}});
  return bad;
}

TEST(BoardTransfer, EveryBadLengthIsAnInvalidFormatInBothWays) {
  for (const BadFrame& f : BadFrames()) {
    SCOPED_TRACE(f.name);
    FakeRing fed(kRing, kWithAlpha);
    EXPECT_EQ(Feed(fed, f.bytes, 100, 100, 1), kErrInvalidFormat);
    FakeRing loaded(kRing, kWithAlpha);
    EXPECT_EQ(Load(loaded, f.bytes, 100, 1), kErrInvalidFormat);
  }
}

}  // namespace
}  // namespace boardtest
