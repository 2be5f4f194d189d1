// A project holding an MJPEG AVI clip (made with ffmpeg), built, drawn and
// read back by the program.
#include <vector>

#include "program_fixture.h"

#include "clips/clip_collection.h"
#include "clips/clip_window.h"
#include "media/video_bitmap.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/ini.h"
#include "video/hand_player.h"
#include "video/player.h"

namespace apptest {
namespace {

struct Placed {
  bool video;
  int32_t start, end, in, out, sourceLength, row, line;
  bool operator==(const Placed&) const = default;
};

void PrintTo(const Placed& p, std::ostream* os) {
  *os << (p.video ? "video" : "sound") << " start " << p.start << " end " << p.end << " in " << p.in << " out "
      << p.out << " source " << p.sourceLength << " row " << p.row << " line " << p.line;
}

std::vector<Placed> Films() {
  std::vector<Placed> out;
  for (Film* f = FilmList.First(); f; f = f->next)
    out.push_back({f->video != nullptr, f->start, f->end, f->in, f->out, f->sourceLength, f->videoRow, f->audioLine});
  return out;
}

Film* VideoFilm() {
  for (Film* f = FilmList.First(); f; f = f->next)
    if (f->video) return f;
  return nullptr;
}

class AviProject : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    ASSERT_TRUE(Shell("ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25 -t 3 -c:v mjpeg -q:v 5 '" +
                      File("clip.avi") + "'"));
    WriteTone(File("tone.wav"), 3000);
  }
};

TEST_F(AviProject, SavedAndReopenedIsUnchangedAndEqual) {
  Start();
  MakeProject(File("p.tml"), {File("clip.avi"), File("tone.wav")});
  const std::vector<Placed> made = Films();
  ASSERT_EQ(made.size(), 2u);
  // Both clips start where they were put.
  EXPECT_EQ(made[0], (Placed{false, 0, 3000, 0, 3000, 3000, -1, 0}));
  EXPECT_EQ(made[1], (Placed{true, 0, 3000, 0, 3000, 3000, 0, -1}));

  // In this program and in a fresh one.
  for (bool restart : {false, true}) {
    SCOPED_TRACE(restart ? "restarted" : "same program");
    if (restart) {
      Stop();
      Start();
    }
    Frame().OpenProjectFile(File("p.tml").c_str());
    Pump();
    EXPECT_EQ(Films(), made);
    EXPECT_FALSE(TimeLine().Engine().IsModified());
  }
}

// Clips whose times are not whole frames of 40 ms, and one with its own sound.
TEST_F(AviProject, OtherAvisReadBackUnchanged) {
  const struct {
    const char* input;
    std::vector<Placed> films;
  } cases[] = {
      {"-f lavfi -i testsrc=size=160x120:rate=30000/1001 -t 3", {{true, 0, 3003, 0, 3003, 3003, 0, -1}}},
      {"-f lavfi -i testsrc=size=160x120:rate=24 -t 2.03", {{true, 0, 2042, 0, 2042, 2042, 0, -1}}},
      {"-f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i sine=frequency=440:sample_rate=44100:duration=2.5 "
       "-t 3 -c:a pcm_s16le",
       {{true, 0, 3000, 0, 3000, 3000, 0, 0}}},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const std::string clip = File("clip" + std::to_string(n++) + ".avi");
    ASSERT_TRUE(Shell(std::string("ffmpeg -v error ") + c.input + " -c:v mjpeg -q:v 5 '" + clip + "'"));
    Start();
    MakeProject(File("p.tml"), {clip});
    EXPECT_EQ(Films(), c.films);
    Stop();
    Start();
    Frame().OpenProjectFile(File("p.tml").c_str());
    Pump();
    EXPECT_EQ(Films(), c.films);
    EXPECT_FALSE(TimeLine().Engine().IsModified());
    Stop();
  }
}

// The video line shows a clip's first and last frames at its edges: the
// pictures hold the decoded frame, not an empty bitmap.
TEST_F(AviProject, TheClipsEdgePicturesShowItsFrames) {
  Start();
  MakeProject(File("p.tml"), {File("clip.avi")});
  Film* film = VideoFilm();
  ASSERT_NE(film, nullptr);
  EXPECT_EQ(film->start, 0);

  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 64, 48);
  ReleaseDC(nullptr, screen);
  HGDIOBJ before = SelectObject(dc, target);
  for (bool first : {true, false}) {
    SCOPED_TRACE(first ? "first frame" : "last frame");
    if (first)
      film->UpdateInFrame(dc, 1);
    else
      film->UpdateOutFrame(dc, 1);
    auto* picture = dynamic_cast<TEVideoBitmap*>(first ? film->inPicture : film->outPicture);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width, 64);
    const COLORREF magenta = RGB(255, 0, 255);
    HBRUSH brush = CreateSolidBrush(magenta);
    RECT all{0, 0, 64, 48};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    picture->DrawPart(dc, 0, 0, 0, 0, 64, 48);
    // ffmpeg's test picture has no magenta; a picture that was not drawn
    // leaves it everywhere.
    int kept = 0;
    for (int y = 0; y < 48; y += 4)
      for (int x = 0; x < 64; x += 4) kept += GetPixel(dc, x, y) == magenta;
    EXPECT_EQ(kept, 0);
  }
  SelectObject(dc, before);
  DeleteObject(target);
  DeleteDC(dc);
}

// A clip whose file is read again lets go of the pictures of the old file:
// the time-line's edge pictures and the collection's tile.
TEST_F(AviProject, AReloadedFileDropsThePicturesOfItsFormerFrames) {
  Start();
  MakeProject(File("p.tml"), {File("clip.avi")});
  ASSERT_NE(TheClipCollection, nullptr);
  ClipWindow* tile = nullptr;
  for (int i = 0; i < TheClipCollection->TileCount(); ++i)
    if (TheClipCollection->Tile(i)->clip.video != nullptr) tile = TheClipCollection->Tile(i);
  ASSERT_NE(tile, nullptr);
  Pump();
  ASSERT_NE(tile->clip.thumbnail, nullptr);
  Film* film = VideoFilm();
  ASSERT_NE(film, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  film->UpdateInFrame(dc, 1);
  film->UpdateOutFrame(dc, 1);
  DeleteDC(dc);
  ASSERT_NE(film->inPicture, nullptr);
  ASSERT_NE(film->outPicture, nullptr);

  // The source reads its file again (as it does when the user agrees to
  // reload a changed file): what showed the old frames is let go at once.
  ASSERT_TRUE(Shell("ffmpeg -y -v error -f lavfi -i color=c=blue:size=320x240:rate=25 -t 3 -c:v mjpeg -q:v 5 '" +
                    File("clip.avi") + "'"));
  ASSERT_TRUE(film->video->Reload(File("clip.avi").c_str()));
  EXPECT_EQ(film->inPicture, nullptr);
  EXPECT_EQ(film->outPicture, nullptr);
  EXPECT_EQ(tile->clip.thumbnail, nullptr);
}

// The codecs here decompress but do not draw: a chosen codec-drawn mode
// plays through the hand-drawn player, so the clip still has its picture.
TEST_F(AviProject, ACodecDrawnModeWithoutADrawingCodecStillShowsTheVideo) {
  for (int32_t mode : {2, 3}) {
    SCOPED_TRACE(mode);
    IniSetSection("VIDEO_PLAYER");
    IniWriteInt("DEFAULT_DRAW_TYPE", mode);
    Start();
    MakeProject(File("p.tml"), {File("clip.avi")});
    ASSERT_NE(VideoFilm(), nullptr);
    SubVideoPlayer* player = TheVideoPlayer->CurrentSubPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_NE(dynamic_cast<AVIHandPlayer*>(player), nullptr);
    // The next clip of the same format keeps that player.
    EXPECT_TRUE(TheVideoPlayer->EnsureSubPlayer());
    EXPECT_EQ(TheVideoPlayer->CurrentSubPlayer(), player);
    EXPECT_EQ(VideoPlayer::defaultDrawType, mode);
    Stop();
  }
  VideoPlayer::defaultDrawType = 1;
}

// Start-up loads the stock pictures the collection's tiles show.
TEST_F(AviProject, StartUpMakesTheSharedPictures) {
  Start();
  EXPECT_TRUE(TEBitmapInit::Exists());
  EXPECT_NE(TEBitmapInit::StockBitmap(1013), nullptr);
}

}  // namespace
}  // namespace apptest
