#include "model/film.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "film_fakes.h"
#include "model/film_list.h"

using namespace filmtest;

namespace {

using FilmConstruction = FilmTest;

struct ClipCase {
  const char* what;
  bool video, audio, midi;
  int32_t parts;
  int32_t in, out, start;
  // expected
  int32_t start_, end_, in_, out_, sourceLength_;
  bool hasVideo, hasAudio, hasMidi;
  int32_t profilePoints;
};

// Video: 100 frames at 25 fps = 4000 ms. Audio: 3900 ms. MIDI: 6000 ms.
const ClipCase kClipCases[] = {
    // Video times land on frames (1013 -> 1000, 1013 + 3990 -> 5000); out is cut at the video's end.
    {"video and audio", true, true, false, 7, 10, 5000, 1013, 1000, 5000, 10, 4000, 4000, true, true, false,
     2},
    {"video part only", true, true, false, 1, 10, 5000, 1013, 1000, 5000, 10, 4000, 4000, true, false, false,
     0},
    // Sound is placed to the millisecond; out is cut at the sound's end.
    {"audio part only", true, true, false, 2, 10, 5000, 1013, 1013, 4903, 10, 3900, 3900, false, true, false,
     2},
    {"audio clip", false, true, false, 7, 100, 900, 1013, 1013, 1813, 100, 900, 3900, false, true, false, 2},
    {"midi clip", false, false, true, 7, 0, 2000, 500, 500, 2500, 0, 2000, 6000, false, false, true, 0},
    // Audio wins over MIDI when both are asked for.
    {"audio over midi", false, true, true, 6, 0, 2000, 500, 500, 2500, 0, 2000, 3900, false, true, false, 2},
    {"missing part", false, true, false, 1, 0, 2000, 500, 500, 2500, 0, 2000, 2000, false, false, false, 0},
};

TEST_F(FilmConstruction, FromClips) {
  for (const ClipCase& c : kClipCases) {
    SCOPED_TRACE(c.what);
    FakeVideo* v = Video("v.avi", 100);
    FakeAudio* a = Audio("a.wav", 3900);
    FakeMidi* m = Midi("m.mid", 6000);
    FakeClip clip(c.video ? v : nullptr, c.audio ? a : nullptr, c.midi ? m : nullptr, c.in, c.out,
                  c.out - c.in, "Take 1");
    {
      Film film(clip, c.start, c.parts, 2, 1);
      EXPECT_EQ(film.start, c.start_);
      EXPECT_EQ(film.end, c.end_);
      EXPECT_EQ(film.in, c.in_);
      EXPECT_EQ(film.out, c.out_);
      EXPECT_EQ(film.sourceLength, c.sourceLength_);
      EXPECT_EQ(film.HasVideo(), c.hasVideo);
      EXPECT_EQ(film.HasAudio(), c.hasAudio);
      EXPECT_EQ(film.HasMidi(), c.hasMidi);
      EXPECT_EQ(film.videoRow, c.hasVideo ? 1 : -1);
      EXPECT_EQ(film.audioLine, c.hasAudio ? 2 : -1);
      EXPECT_STREQ(film.name, "Take 1");
      EXPECT_EQ(film.origin, film.start - film.in);
      ASSERT_EQ(film.volumePoints.Count(), c.profilePoints);
      ASSERT_EQ(film.balancePoints.Count(), c.profilePoints);
      if (c.profilePoints) {
        EXPECT_EQ(film.volumePoints.Capacity(), 2);
        EXPECT_EQ(film.volumePoints[0].time, 0);
        EXPECT_EQ(film.volumePoints[0].value, 512);
        EXPECT_EQ(film.volumePoints[1].time, film.sourceLength);
        EXPECT_EQ(film.volumePoints[1].value, 512);
        EXPECT_EQ(film.balancePoints[1].time, film.sourceLength);
        EXPECT_EQ(film.balancePoints[1].value, 0);
      }
      EXPECT_EQ(v->refs, c.hasVideo ? 2 : 1);
      EXPECT_EQ(a->refs, c.hasAudio ? 2 : 1);
      EXPECT_EQ(m->refs, c.hasMidi ? 2 : 1);
    }
    EXPECT_EQ(v->refs, 1);
    EXPECT_EQ(a->refs, 1);
    EXPECT_EQ(m->refs, 1);
  }
}

TEST_F(FilmConstruction, MidiLengthFollowsTheTempoAndNamesAreCut) {
  FakeMidi* m = Midi("m.mid", 6000);
  std::string longName(300, 'n');
  FakeClip clip(nullptr, nullptr, m, 0, 1000, 1000, longName);
  Film film(clip, 0, kKindMidi, 0, 0);
  EXPECT_EQ(std::string(film.name), std::string(127, 'n'));
  EXPECT_EQ(film.tempo, 1000);
  EXPECT_EQ(film.sourceLength, 6000);
}

TEST_F(FilmConstruction, OriginFallsOnAWholePixel) {
  host.zoomA = 1;
  host.zoomB = 30;  // one pixel shows 30 ms
  FakeAudio* a = Audio("a.wav", 10000);
  FakeClip clip(nullptr, a, nullptr, 1000, 2000, 1000);
  Film film(clip, 5011, kKindAudio, 0, 0);
  // start - in = 4011 ms = 133.7 pixels -> 134 pixels -> 4020 ms.
  EXPECT_EQ(film.origin, 4020);
}

TEST_F(FilmConstruction, StartPictureRecordOnlyOffKeyFrames) {
  FakeVideo* v = Video("v.avi", 100);
  v->keyFrames = {0, 10, 20};
  FakeClip offKey(v, nullptr, nullptr, 280, 2000, 2000);  // frame 7
  FakeClip onKey(v, nullptr, nullptr, 400, 2000, 2000);   // frame 10
  auto a = std::make_unique<Film>(offKey, 0, kKindVideo, 0, 0);
  auto b = std::make_unique<Film>(offKey, 4000, kKindVideo, 0, 0);
  Film c(onKey, 0, kKindVideo, 0, 0);
  ASSERT_NE(a->inKeyFrame, nullptr);
  EXPECT_EQ(a->inKeyFrame, b->inKeyFrame);
  EXPECT_EQ(media.startFrames.size(), 1u);
  EXPECT_EQ(media.startFrames[0]->frame, 7);
  EXPECT_EQ(media.startFrames[0]->refs, 2);
  EXPECT_EQ(c.inKeyFrame, nullptr);
  a.reset();
  b.reset();
  EXPECT_EQ(media.startFrames[0]->refs, 0);
}

TEST_F(FilmConstruction, TransitionFilmIsCutAtItsSourceAndSnapped) {
  FakeVideo* v = Video("vfx.avi", 50);  // 2000 ms
  Film film(v, 13, 1007, 4000);
  EXPECT_EQ(film.videoRow, 0);
  EXPECT_EQ(film.audioLine, -1);
  EXPECT_EQ(film.sourceLength, 2000);
  // out = 4000 + 13 - 1007 beyond 2000: out = 2000, end = 1007 + 2000 - 13 = 2994; then all snapped.
  EXPECT_EQ(film.start, 1000);
  EXPECT_EQ(film.end, 3000);
  EXPECT_EQ(film.in, 0);
  EXPECT_EQ(film.out, 2000);
  EXPECT_EQ(v->refs, 2);
}

using FilmCopy = FilmTest;

TEST_F(FilmCopy, SharesExactlyThePartsOfTheMaskAndCountsReturn) {
  FakeVideo* v = Video("v.avi", 100);
  v->keyFrames = {0, 50};
  FakeAudio* a = Audio("v.avi", 4000);
  FakeMidi* m = Midi("m.mid", 6000);
  FakeEffects* fx = Effects();
  FakeClip clip(v, a, nullptr, 280, 3000, 2720);
  FakeClip midiClip(nullptr, nullptr, m, 0, 3000, 3000);

  {
    FilmListHead snapshot;
    auto original = std::make_unique<Film>(clip, 1000, kKindVideo | kKindAudio, 1, 0);
    original->effects = fx;
    fx->AddRef();
    original->UpdateInFrame(nullptr, 0);
    original->UpdateOutFrame(nullptr, 1);
    original->marks.AddMark(100);
    original->marks.SetName(0, "cue");
    original->group = 3;
    original->declickOut = true;
    for (int k = 0; k < 11; ++k) original->AddVolumePoint(100 + k, 300);
    Film midiFilm(midiClip, 0, kKindMidi, 0, 0);

    StartFrameRecord* record = original->inKeyFrame;
    ASSERT_NE(record, nullptr);
    auto* inPicture = static_cast<FakeThumbnail*>(original->inPicture);
    auto* outPicture = static_cast<FakeThumbnail*>(original->outPicture);

    struct {
      int32_t parts;
      bool video, audio;
    } cases[] = {{1, true, false}, {2, false, true}, {7, true, true}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.parts);
      Film* copy = new Film(*original, c.parts);
      EXPECT_EQ(copy->video != nullptr, c.video);
      EXPECT_EQ(copy->audio != nullptr, c.audio);
      EXPECT_EQ(copy->midi, nullptr);
      EXPECT_EQ(copy->effects, c.audio ? fx : nullptr);
      EXPECT_EQ(copy->videoRow, c.video ? 0 : -1);
      EXPECT_EQ(copy->audioLine, c.audio ? 1 : -1);
      // The pictures belong to the clip, whatever parts the copy takes.
      EXPECT_EQ(copy->inKeyFrame, record);
      EXPECT_EQ(copy->inPicture, inPicture);
      EXPECT_EQ(copy->outPicture, outPicture);
      // Envelopes and values stay, also on a copy without sound.
      EXPECT_EQ(copy->volumePoints.Count(), 13);
      EXPECT_EQ(copy->volumePoints.Capacity(), 20);
      EXPECT_EQ(copy->balancePoints.Capacity(), 10);
      EXPECT_EQ(copy->group, 3);
      EXPECT_TRUE(copy->declickOut);
      EXPECT_EQ(copy->videoState, 0);
      ASSERT_EQ(copy->marks.Count(), 1);
      EXPECT_STREQ(copy->marks[0].name, "cue");
      EXPECT_EQ(copy->next, nullptr);
      Film::Link(copy, snapshot);
    }
    Film* midiCopy = new Film(midiFilm, kKindVideo | kKindAudio);
    EXPECT_EQ(midiCopy->midi, nullptr);
    Film::Link(midiCopy, snapshot);
    Film::Link(new Film(midiFilm, kKindMidi), snapshot);

    EXPECT_EQ(v->refs, 1 + 1 + 2);  // creator, original, copies 1 and 7
    EXPECT_EQ(a->refs, 1 + 1 + 2);
    EXPECT_EQ(m->refs, 1 + 1 + 1);
    EXPECT_EQ(fx->refs, 1 + 1 + 2);
    EXPECT_EQ(media.startFrames[0]->refs, 4);
    EXPECT_EQ(inPicture->refs, 4);
    EXPECT_EQ(outPicture->refs, 4);
  }
  EXPECT_EQ(v->refs, 1);
  EXPECT_EQ(a->refs, 1);
  EXPECT_EQ(m->refs, 1);
  EXPECT_EQ(fx->refs, 1);
  for (auto& r : media.startFrames) EXPECT_EQ(r->refs, 0);
  for (auto& t : media.thumbnails) EXPECT_EQ(t->refs, 0);
}

using FilmPictures = FilmTest;

TEST_F(FilmPictures, UpdateReplacesTheThumbnailsOfTheFirstAndLastFrame) {
  FakeVideo* v = Video("v.avi", 100);
  FakeClip clip(v, nullptr, nullptr, 400, 2000, 1600);
  Film film(clip, 0, kKindVideo, 0, 0);
  film.UpdateInFrame(nullptr, 2);
  film.UpdateOutFrame(nullptr, 2);
  auto* first = static_cast<FakeThumbnail*>(film.inPicture);
  auto* last = static_cast<FakeThumbnail*>(film.outPicture);
  EXPECT_EQ(first->a, 400);
  EXPECT_EQ(first->b, 400);
  EXPECT_EQ(first->scale, 2);
  EXPECT_EQ(last->a, 1960);
  film.UpdateInFrame(nullptr, 0);
  EXPECT_EQ(first->refs, 0);
  EXPECT_NE(film.inPicture, first);

  FakeAudio* a = Audio("a.wav", 1000);
  FakeClip sound(nullptr, a, nullptr, 0, 1000, 1000);
  Film soundFilm(sound, 0, kKindAudio, 0, 0);
  soundFilm.UpdateInFrame(nullptr, 0);
  EXPECT_EQ(soundFilm.inPicture, nullptr);
}

using LinkAtKeyFrame = FilmTest;

TEST_F(LinkAtKeyFrame, ShiftsToTheNextKeyFrameWithANote) {
  FakeVideo* v = Video("v.avi", 100);
  v->keyFrames = {0, 10, 20};
  FakeEffects* fx = Effects();
  FakeAudio* a = Audio("v.avi", 4000);
  FakeClip clip(v, a, nullptr, 120, 2000, 1880, "Intro");  // in at frame 3
  Film* film = new Film(clip, 1000, kKindVideo | kKindAudio, 0, 0);
  film->effects = fx;
  fx->AddRef();
  ASSERT_NE(film->inKeyFrame, nullptr);
  FakeStartFrame* oldRecord = media.startFrames[0].get();

  ASSERT_TRUE(film->LinkAtKeyFrame(nullptr, FilmList));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Align start of video clip to next key frame");
  EXPECT_EQ(
      boxes.boxes[0].text,
      "Clip Intro at position 1:000ms..2:880ms starts from NOT a key frame!\nShift start to next key frame.");
  EXPECT_EQ(boxes.boxes[0].flags, MB_ICONINFORMATION);
  EXPECT_EQ(film->in, 400);      // frame 10
  EXPECT_EQ(film->start, 1280);  // seven frames later
  EXPECT_EQ(film->end, 2880);
  EXPECT_EQ(film->origin, 880);
  EXPECT_EQ(fx->tempFileDrops, 1);
  EXPECT_EQ(film->stamp, 1);
  EXPECT_EQ(LinkCounter, 1);
  EXPECT_EQ(FilmList.First(), film);
  // The picture prepared for frame 3 is given back; frame 10 needs none.
  EXPECT_EQ(oldRecord->refs, 0);
  EXPECT_EQ(film->inKeyFrame, nullptr);
}

TEST_F(LinkAtKeyFrame, RefusesAStretchWithoutKeyFrame) {
  FakeVideo* v = Video("v.avi", 100);
  v->keyFrames = {0, 50};
  FakeClip clip(v, nullptr, nullptr, 120, 1960, 1840, "Intro");  // frames 3..49
  auto film = std::make_unique<Film>(clip, 1000, kKindVideo, 0, 0);
  EXPECT_FALSE(film->LinkAtKeyFrame(nullptr, FilmList));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            "Clip Intro at position 1:000ms..2:840ms starts from NOT a key frame!\n"
            "Can not find next key frame - delete this clip!");
  EXPECT_EQ(boxes.boxes[0].flags, MB_ICONEXCLAMATION);
  EXPECT_TRUE(FilmList.Empty());
  EXPECT_EQ(film->next, nullptr);
  EXPECT_EQ(film->prev, nullptr);
  EXPECT_EQ(film->stamp, 0);
  EXPECT_EQ(film->in, 120);
  EXPECT_EQ(LinkCounter, 0);
}

TEST_F(LinkAtKeyFrame, KeyFrameStartsAndSoundLinkQuietly) {
  FakeVideo* v = Video("v.avi", 100);
  v->keyFrames = {0, 10};
  FakeAudio* a = Audio("a.wav", 1000);
  FakeClip onKey(v, nullptr, nullptr, 400, 2000, 1600);
  FakeClip sound(nullptr, a, nullptr, 0, 1000, 1000);
  Film* first = new Film(onKey, 0, kKindVideo, 0, 0);
  Film* second = new Film(sound, 0, kKindAudio, 0, 0);
  EXPECT_TRUE(first->LinkAtKeyFrame(nullptr, FilmList));
  EXPECT_TRUE(second->LinkAtKeyFrame(nullptr, FilmList));
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(first->stamp, 1);
  EXPECT_EQ(second->stamp, 2);
  EXPECT_EQ(first->in, 400);
  EXPECT_EQ(FilmList.Count(), 2);
}

using FitToSources = FilmTest;

TEST_F(FitToSources, RefusesSourcesThatNoLongerSuit) {
  FakeVideo* v = Video("v.avi", 100);
  FakeAudio* a = Audio("a.wav", 4000);
  FakeMidi* m = Midi("m.mid", 4000);
  FakeClip videoClip(v, nullptr, nullptr, 0, 2000, 4000);
  FakeClip audioClip(nullptr, a, nullptr, 0, 2000, 4000);
  FakeClip midiClip(nullptr, nullptr, m, 0, 2000, 4000);
  Film vf(videoClip, 0, kKindVideo, 0, 0), af(audioClip, 0, kKindAudio, 0, 0),
      mf(midiClip, 0, kKindMidi, 0, 0);
  vf.UpdateInFrame(nullptr, 0);

  v->directPlayable = false;
  EXPECT_FALSE(vf.FitToSources(true));
  EXPECT_EQ(vf.inPicture, nullptr);  // the pictures go in any case
  EXPECT_TRUE(vf.FitToSources(false));
  v->directPlayable = true;
  v->error = 3;
  EXPECT_FALSE(vf.FitToSources(true));

  a->directFormat = false;
  EXPECT_FALSE(af.FitToSources(true));
  a->directFormat = true;
  a->error = 6;
  EXPECT_FALSE(af.FitToSources(true));

  m->error = 24;
  EXPECT_FALSE(mf.FitToSources(true));
  m->error = 0;
  EXPECT_TRUE(mf.FitToSources(true));

  Film empty;
  EXPECT_FALSE(empty.FitToSources(false));
}

TEST_F(FitToSources, SourceShrunkBelowTheInPoint) {
  FakeAudio* a = Audio("a.wav", 10000);
  FakeClip audioClip(nullptr, a, nullptr, 5000, 8000, 3000);
  Film af(audioClip, 1000, kKindAudio, 0, 0);
  af.AddVolumePoint(9000, 100);
  a->length = 4000;
  ASSERT_TRUE(af.FitToSources(true));
  EXPECT_EQ(af.sourceLength, 4000);
  EXPECT_EQ(af.in, 3999);
  EXPECT_EQ(af.out, 4000);
  EXPECT_EQ(af.end, 1001);
  EXPECT_EQ(af.origin, 1000 - 3999);
  ASSERT_EQ(af.volumePoints.Count(), 3);
  EXPECT_EQ(af.volumePoints[1].time, 4000);
  EXPECT_EQ(af.volumePoints[2].time, 4000);
  EXPECT_EQ(af.balancePoints[1].time, 4000);

  FakeVideo* v = Video("v.avi", 250);  // 10 s
  v->keyFrames = {0};
  FakeClip videoClip(v, nullptr, nullptr, 4000, 8000, 4000);
  Film vf(videoClip, 1000, kKindVideo, 0, 0);
  ASSERT_NE(vf.inKeyFrame, nullptr);
  v->frames = 50;  // 2000 ms
  ASSERT_TRUE(vf.FitToSources(false));
  EXPECT_EQ(vf.in, 1960);  // one frame before the new end
  EXPECT_EQ(vf.out, 2000);
  EXPECT_EQ(vf.end, 1040);
  // The start picture follows the new in frame.
  ASSERT_NE(vf.inKeyFrame, nullptr);
  EXPECT_EQ(static_cast<FakeStartFrame*>(vf.inKeyFrame)->frame, 49);
  EXPECT_EQ(media.startFrames[0]->refs, 0);
}

TEST_F(FitToSources, EndCountsFramesAtTheVideosOwnRate) {
  FakeVideo* v = Video("v.avi", 300, 30.0f);  // 10 s at 30 fps
  FakeClip clip(v, nullptr, nullptr, 0, 1020, 1020);
  Film vf(clip, 2000, kKindVideo, 0, 0);
  EXPECT_EQ(vf.end, 3000);  // on a frame of the project's 25 fps
  ASSERT_TRUE(vf.FitToSources(false));
  // 31 - 0 + 60 frames at 30 fps.
  EXPECT_EQ(vf.end, 3033);
  EXPECT_EQ(vf.sourceLength, 10000);
}

using NearestKeyFrame = FilmTest;

TEST_F(NearestKeyFrame, Table) {
  FakeVideo* v = Video("v.avi", 1000);
  FakeClip clip(v, nullptr, nullptr, 400, 30000, 29600);  // base frame 10
  Film film(clip, 0, kKindVideo, 0, 0);
  struct {
    std::set<int32_t> keys;  // absolute frames
    int32_t f, lo, hi, expected;
  } cases[] = {
      {{17, 23}, 10, 0, 100, 7},   // f - 3 and f + 3: the lower wins the tie
      {{17, 22}, 10, 0, 100, 12},  // f - 3 and f + 2: the nearer upper
      {{20}, 10, 0, 100, 10},      // f itself
      {{999}, 10, 0, 100, 0},      // none in reach
      {{17}, 10, 8, 100, 0},       // the lower one lies below lo
      {{17, 23}, 10, 5, 5, 0},     // lo >= hi
      {{25}, 10, 0, 15, 15},       // at hi
  };
  for (const auto& c : cases) {
    v->keyFrames = c.keys;
    EXPECT_EQ(film.NearestKeyFrame(c.f, c.lo, c.hi), c.expected) << "f " << c.f << " lo " << c.lo;
  }
  FakeAudio* a = Audio("a.wav", 1000);
  FakeClip sound(nullptr, a, nullptr, 0, 1000, 1000);
  Film soundFilm(sound, 0, kKindAudio, 0, 0);
  EXPECT_EQ(soundFilm.NearestKeyFrame(9, 0, 1), 9);
}

}  // namespace
