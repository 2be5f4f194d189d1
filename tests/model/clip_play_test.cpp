#include <gtest/gtest.h>

#include "model/ui_strings.h"
#include "play_fakes.h"

namespace playtest {
namespace {

class ClipPlayTest : public PlayTest {
 protected:
  // A film of one clip with a video and a sound of their own.
  Film* VideoAndSound(int32_t start, int32_t length, int32_t line) {
    FakeVideo* v = Video("vs" + std::to_string(start) + ".avi", 15000);
    FakeAudio* a = Audio("vs" + std::to_string(start) + ".wav", 600000);
    FakeClip clip(v, a, nullptr, 0, length, length);
    Film* f = new Film(clip, start, kKindVideo | kKindAudio, line, 0);
    v->Release();
    a->Release();
    return Place(f);
  }
  const AudioPrepare& OnlyPrepare() {
    EXPECT_EQ(fakes.audioEngine.prepares.size(), 1u);
    return fakes.audioEngine.prepares.back();
  }
  static void ExpectLines(const MixSetup& mix, std::initializer_list<int32_t> gains) {
    int i = 0;
    for (int32_t g : gains) {
      EXPECT_EQ(mix.lines[i].gain, g) << "line " << i;
      ++i;
    }
  }
};

TEST_F(ClipPlayTest, AClipOnLineThreeSoundsAloneAtUnityWithoutItsLineEffects) {
  FakeEffects* effects = Effects();
  engine.audioPanel[3].effects = effects;
  engine.audioPanel[3].gain = 300;
  engine.audioPanel[3].pan = 100;
  engine.masterGain = 700;
  AudioFilm(0, 0, 1000);
  Film* film = AudioFilm(3, 1000, 1000);
  ASSERT_TRUE(engine.PlayClip(film, kKindVideo | kKindAudio | kKindMidi));
  const AudioPrepare& p = OnlyPrepare();
  EXPECT_EQ(p.films, film);
  EXPECT_EQ(p.start, 1000);
  EXPECT_EQ(p.end, 2000);
  EXPECT_FALSE(p.realtimeMute);
  EXPECT_FALSE(p.preview);
  EXPECT_EQ(p.mix.lineCount, 4);
  EXPECT_EQ(p.mix.masterGain, kGainUnity);
  EXPECT_EQ(p.mix.masterPan, 0);
  EXPECT_EQ(p.mix.masterEffects, nullptr);
  ExpectLines(p.mix, {0, 0, 0, kGainUnity});
  for (const MixSetup::Line& l : p.mix.lines) {
    EXPECT_EQ(l.pan, 0);
    EXPECT_EQ(l.effects, nullptr);
  }
  EXPECT_TRUE(engine.playing);
  EXPECT_EQ(engine.play.parts, kKindAudio);
  EXPECT_EQ(engine.play.loopsRemaining, 1);
  EXPECT_EQ(engine.cursor, 1000);
  engine.audioPanel[3].effects = nullptr;
}

TEST_F(ClipPlayTest, AFilmWithoutSoundPlaysItsVideoAlone) {
  Film* film = VideoAt(0, 0, 2000);
  ASSERT_TRUE(engine.PlayClip(film, kKindVideo | kKindAudio));
  EXPECT_EQ(fakes.log, (Log{"video.play", "video.run"}));
  EXPECT_TRUE(fakes.audioEngine.prepares.empty());
  EXPECT_EQ(engine.play.parts, kKindVideo);
  // The player got the film standing alone.
  EXPECT_EQ(Segments(engine.play.segments.First()), (std::vector<Seg>{{0, 2000, 0, 2000, 0, film->video}}));
  EXPECT_EQ(fakes.videoPlayer.shownMs, 0);
}

TEST_F(ClipPlayTest, PartsWithoutAPlayerOrASourceDropOut) {
  struct Case {
    bool videoUsable, audioUsable, videoAccepts, audioAccepts;
    int32_t parts;
    bool plays;
  } cases[] = {
      {true, true, true, true, kKindVideo | kKindAudio, true},
      {false, true, true, true, kKindAudio, true},
      {true, false, true, true, kKindVideo, true},
      {true, true, false, true, kKindAudio, true},
      {true, true, false, false, 0, false},
      {false, false, true, true, 0, false},
  };
  Film* film = VideoAndSound(0, 2000, 1);
  for (const Case& c : cases) {
    fakes.video = c.videoUsable;
    fakes.audio = c.audioUsable;
    fakes.videoPlayer.accept = c.videoAccepts;
    fakes.audioEngine.accept = c.audioAccepts;
    fakes.log.clear();
    EXPECT_EQ(engine.PlayClip(film, kKindVideo | kKindAudio | kKindMidi), c.plays);
    EXPECT_EQ(engine.play.parts, c.parts);
    EXPECT_EQ(engine.playing, c.plays);
    if (engine.playing) engine.CmStop();
    EXPECT_TRUE(engine.play.segments.Empty());
  }
}

TEST_F(ClipPlayTest, PlayingAgainWhilePlayingStops) {
  Film* film = AudioFilm(0, 0, 2000);
  ASSERT_TRUE(engine.PlayClip(film, kKindAudio));
  EXPECT_FALSE(engine.PlayClip(film, kKindAudio));
  EXPECT_FALSE(engine.playing);
  EXPECT_TRUE(engine.PreviewClipAudio(film));  // stopped: this one plays
  EXPECT_TRUE(engine.playing);
}

TEST_F(ClipPlayTest, ACollectionClipPlaysAsTheHeldFilmAtTheProjectEnd) {
  FakeVideo* v = Video("c.avi", 100);
  FakeAudio* a = Audio("c.wav", 4000);
  {
    HeldClip clip(v, a, nullptr, 0, 2000, 2000);
    engine.PlayCollectionClip(clip);
  }
  ASSERT_TRUE(engine.playing);
  Film* held = engine.play.heldFilm;
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->start, engine.length);
  EXPECT_EQ(engine.play.heldParts, kKindVideo | kKindAudio);
  EXPECT_EQ(v->openCount, 1);
  EXPECT_EQ(a->openCount, 1);
  EXPECT_EQ(OnlyPrepare().films, held);
  engine.CmStop();
  EXPECT_EQ(engine.play.heldFilm, nullptr);
  EXPECT_EQ(v->openCount, 0);
  EXPECT_EQ(a->openCount, 0);
  EXPECT_EQ(v->refs, 1);  // the creator's alone
  EXPECT_EQ(a->refs, 1);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ClipPlayTest, ACollectionClipThatCannotPlayIsReported) {
  struct Case {
    bool direct, accepts;
  } cases[] = {{false, true}, {true, false}};
  for (const Case& c : cases) {
    FakeAudio* a = Audio("x.wav", 4000);
    a->directFormat = c.direct;
    fakes.audioEngine.accept = c.accepts;
    boxes.boxes.clear();
    {
      HeldClip clip(nullptr, a, nullptr, 0, 2000, 2000);
      engine.PlayCollectionClip(clip);
    }
    EXPECT_FALSE(engine.playing);
    EXPECT_EQ(engine.play.heldFilm, nullptr);
    EXPECT_EQ(a->openCount, 0);
    EXPECT_EQ(a->refs, 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Can not playback this clip");
    EXPECT_EQ(boxes.boxes[0].caption, "Play Clip");
    EXPECT_EQ(boxes.boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
  }
}

TEST_F(ClipPlayTest, AClipPreviewPlaysTheSelectionPartOrTheWholeClip) {
  Film* film = AudioFilm(2, 1000, 2000);  // [1000, 3000)
  struct Case {
    int32_t selStart, selEnd, start, end;
  } cases[] = {
      {0, 0, 1000, 3000}, {4000, 5000, 1000, 3000}, {500, 1500, 1000, 1500}, {1200, 2000, 1200, 2000}};
  for (const Case& c : cases) {
    engine.SetMarkRange(c.selStart, c.selEnd);
    fakes.audioEngine.prepares.clear();
    fakes.mixer.clear();
    ASSERT_TRUE(engine.PreviewClipAudio(film));
    const AudioPrepare& p = OnlyPrepare();
    EXPECT_EQ(p.start, c.start);
    EXPECT_EQ(p.end, c.end);
    EXPECT_TRUE(p.preview);
    ExpectLines(p.mix, {0, 0, kGainUnity, 0});
    EXPECT_EQ(engine.play.loopsRemaining, 0);
    EXPECT_EQ(engine.play.parts, kKindAudio);
    EXPECT_EQ(fakes.mixer, (std::vector<Notice>{{9, 0}}));
    engine.CmStop();
  }
  fakes.audio = false;
  EXPECT_FALSE(engine.PreviewClipAudio(film));
}

TEST_F(ClipPlayTest, ALinePreviewPlaysThatLineAloneOverItsClips) {
  engine.audioPanel[0].pan = 100;
  engine.audioPanel[0].effects = Effects();
  engine.audioPanel[2].gain = 300;
  engine.audioPanel[2].pan = -50;
  AudioFilm(0, 0, 8000);
  AudioFilm(2, 1000, 2000);
  AudioFilm(2, 5000, 1000);
  ASSERT_TRUE(engine.PreviewLineAudio(2));
  const AudioPrepare& p = OnlyPrepare();
  EXPECT_EQ(p.films, FilmList.First());
  EXPECT_EQ(p.start, 1000);
  EXPECT_EQ(p.end, 6000);
  EXPECT_TRUE(p.preview);
  ExpectLines(p.mix, {0, 0, 300, 0});
  EXPECT_EQ(p.mix.lines[2].pan, -50);
  EXPECT_EQ(p.mix.lines[0].pan, 0);
  EXPECT_EQ(p.mix.lines[0].effects, nullptr);
  engine.CmStop();

  // With a selection, the selection; a line with nothing in it plays nothing.
  engine.SetMarkRange(1500, 2500);
  fakes.audioEngine.prepares.clear();
  ASSERT_TRUE(engine.PreviewLineAudio(2));
  EXPECT_EQ(OnlyPrepare().start, 1500);
  EXPECT_EQ(OnlyPrepare().end, 2500);
  engine.CmStop();
  EXPECT_FALSE(engine.PreviewLineAudio(1));
  engine.audioPanel[0].effects->Release();
  engine.audioPanel[0].effects = nullptr;
}

TEST_F(ClipPlayTest, TheActiveLinesPreview) {
  EXPECT_FALSE(engine.PreviewLineAudio(-1));  // no audio anywhere
  EXPECT_TRUE(fakes.audioEngine.prepares.empty());

  AudioFilm(0, 0, 1000);
  AudioFilm(1, 3000, 1000);
  AudioFilm(3, 500, 1000);
  engine.audioPanel[1].mute = 1;
  ASSERT_TRUE(engine.PreviewLineAudio(-1));
  const AudioPrepare& p = OnlyPrepare();
  EXPECT_EQ(p.start, 0);
  EXPECT_EQ(p.end, 1500);
  ExpectLines(p.mix, {kGainUnity, 0, 0, kGainUnity});
}

TEST_F(ClipPlayTest, TheFrameShownIsTruncatedAndHeldInsideTheClip) {
  Film* film = VideoAt(0, 0, 2000, 400);  // source frames 10..59
  struct Case {
    int32_t sourceTime, shown;
  } cases[] = {{1039, 1000}, {1040, 1040}, {399, 400}, {0, 400}, {2399, 2360}, {2400, 2360}, {9000, 2360}};
  for (const Case& c : cases) {
    engine.ShowClipFrame(film, c.sourceTime, nullptr);
    EXPECT_EQ(fakes.videoPlayer.shownMs, c.shown) << c.sourceTime;
    EXPECT_EQ(fakes.videoPlayer.shownSource, film->video);
  }
}

TEST_F(ClipPlayTest, ThePreviewAtTheCursorShowsTheFrameAndDescribesIt) {
  FakeVideo* v = Video("p.avi", 15000);
  v->keyFrames = {0, 10, 20};
  FakeClip clip(v, nullptr, nullptr, 400, 2400, 2000);
  Place(new Film(clip, 1000, kKindVideo, 0, 0));
  v->Release();
  auto status = [](int32_t at, int32_t key, const char* is) {
    return FormatText(GetString(477), MsToShortTimeCode(at, true), MsToShortTimeCode(key, true), is);
  };
  struct Case {
    int32_t cursor, shown;
    std::string text;
  } cases[] = {
      // On the clip's start: its first frame, thanks to the half frame.
      {1000, 400, status(1000, 400, " ")},
      {1019, 400, status(1000, 400, " ")},
      {1020, 440, status(1040, 400, " NOT ")},
      // After the clip: its last frame stays.
      {5000, 2360, status(2960, 2000, " NOT ")},
  };
  for (const Case& c : cases) {
    engine.SetPlayCursor(c.cursor, true);
    EXPECT_EQ(fakes.videoPlayer.shownMs, c.shown) << c.cursor;
    EXPECT_EQ(playView.status, c.text) << c.cursor;
  }

  // Before any clip: nothing to show, the status line cleared.
  const int shows = fakes.videoPlayer.shows;
  engine.SetPlayCursor(100, true);
  EXPECT_EQ(playView.status, "");
  EXPECT_EQ(fakes.videoPlayer.shows, shows);

  // Nothing at all while playing.
  engine.playing = true;
  engine.SetPlayCursor(1500, true);
  EXPECT_EQ(fakes.videoPlayer.shows, shows);
  engine.playing = false;
}

TEST_F(ClipPlayTest, ACollectionClipWhilePreparedStopsFirst) {
  AudioFilm(0, 0, 2000);
  ASSERT_NE(engine.PrepareRange(0, 2000, false), 0);
  FakeAudio* a = Audio("c.wav", 4000);
  {
    HeldClip clip(nullptr, a, nullptr, 0, 2000, 2000);
    engine.PlayCollectionClip(clip);
  }
  EXPECT_FALSE(engine.prepared);
  EXPECT_FALSE(engine.playing);
  EXPECT_EQ(a->openCount, 0);
  EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
}  // namespace playtest
