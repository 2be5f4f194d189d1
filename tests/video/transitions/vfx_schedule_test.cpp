// The transition service keeps one transition per pair of overlapping video
// clips of the project, follows the clips as they move, and walks each
// transition through its render states.
#include <filesystem>
#include <fstream>

#include "model/film_fakes.h"
#include "model/film_list.h"
#include "platform/core/time.h"
#include "transition_fixtures.h"
#include "video/transitions/vfx_queue.h"

namespace vfxtest {
namespace {

using filmtest::FakeHost;
using filmtest::FakeVideo;

struct ClipSpec {
  int32_t start, end, in, row, stamp;
  bool video = true;
};

struct Want {
  uint32_t stampA, stampB;
  int32_t start, end, firstFrameA, firstFrameB, frameCount;
  uint8_t higher;
  bool operator==(const Want&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Want& w) {
  return o << "{" << w.stampA << "->" << w.stampB << " [" << w.start << "," << w.end << ") A" << w.firstFrameA
           << " B" << w.firstFrameB << " n" << w.frameCount << " up" << int{w.higher} << "}";
}

class ScheduleTest : public TransitionTest {
 protected:
  Film* Clip(const ClipSpec& c) {
    Film* f = new Film(c.video ? &video : nullptr, c.in, c.start, c.end);
    f->videoRow = c.video ? c.row : -1;
    f->stamp = c.stamp;
    Film::Link(f, FilmList);
    return f;
  }
  std::vector<Want> Chain(VFXEntry* t) {
    std::vector<Want> out;
    for (; t; t = t->next) {
      out.push_back({t->stampA, t->stampB, t->start, t->end, t->firstFrameA, t->firstFrameB, t->frameCount,
                     t->bOnHigherRow});
    }
    return out;
  }
  // A pair on two rows, A (stamp 7) over [0, 2000) and B (stamp 12) over
  // [1000, 3000); its transition.
  VFXEntry* Pair() {
    a = Clip({0, 2000, 0, 0, 7});
    b = Clip({1000, 3000, 0, 1, 12});
    return vfx.Schedule();
  }
  void Remove(Film*& f) {
    Film::Unlink(f, FilmList);
    delete f;
    f = nullptr;
  }

  FakeVideo video{"clip.avi", 1000};
  FakeHost host;
  Film* a = nullptr;
  Film* b = nullptr;
};

TEST_F(ScheduleTest, OneTransitionPerOverlappingPair) {
  struct Case {
    const char* name;
    std::vector<ClipSpec> clips;
    std::vector<Want> want;
  } cases[] = {
      {"B on the higher row",
       {{0, 2000, 0, 0, 1}, {1000, 3000, 200, 1, 2}},
       {{1, 2, 1000, 2000, 25, 5, 25, 1}}},
      {"B on the lower row",
       {{0, 2000, 400, 1, 3}, {1200, 3000, 0, 0, 4}},
       {{3, 4, 1200, 2000, 40, 0, 20, 0}}},
      {"one row", {{0, 1000, 0, 0, 5}, {600, 2000, 0, 0, 6}}, {{5, 6, 600, 1000, 15, 0, 10, 0}}},
      {"clips that touch", {{0, 1000, 0, 0, 1}, {1000, 2000, 0, 1, 2}}, {}},
      {"B wholly inside A", {{0, 3000, 0, 0, 1}, {1000, 2000, 0, 1, 2}}, {}},
      {"starting together", {{0, 2000, 0, 0, 1}, {0, 3000, 0, 1, 2}}, {}},
      {"less than a frame in common", {{0, 1000, 0, 0, 1}, {990, 2000, 0, 1, 2}}, {}},
      {"three overlapping pairwise",
       {{0, 2000, 0, 0, 1}, {1000, 3000, 0, 1, 2}, {1600, 4000, 0, 0, 3}},
       {{1, 2, 1000, 2000, 25, 0, 25, 1},
        {1, 3, 1600, 2000, 40, 0, 10, 0},
        {2, 3, 1600, 3000, 15, 0, 35, 0}}},
      {"a clip without pictures between",
       {{0, 2000, 0, 0, 1}, {500, 2500, 0, 0, 9, false}, {1000, 3000, 0, 1, 2}},
       {{1, 2, 1000, 2000, 25, 0, 25, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FilmList.Clear();
    vfx.FreeAll();
    for (const ClipSpec& s : c.clips) Clip(s);
    EXPECT_EQ(Chain(vfx.Schedule()), c.want);
    // A second look finds the same transitions, not new ones.
    VFXEntry* first = vfx.List();
    EXPECT_EQ(vfx.Schedule(), first);
    EXPECT_EQ(Chain(vfx.List()), c.want);
  }
}

TEST_F(ScheduleTest, MovingThePairKeepsTheRenderTrimmingRendersAgainWithTheKind) {
  VFXEntry* t = Pair();
  ASSERT_NE(t, nullptr);
  vfx.SetTransition(t, 2, 5);
  t->state = VFXEntry::Rendered;  // as the service leaves it

  for (Film* f : {a, b}) {
    f->start += 80;  // two frames
    f->end += 80;
  }
  EXPECT_EQ(vfx.Schedule(), t);
  EXPECT_EQ(t->state, VFXEntry::Rendered);
  EXPECT_EQ(t->start, 1080);
  EXPECT_EQ(t->end, 2080);

  a->end -= 40;  // one frame trimmed off the overlap
  a->out -= 40;
  EXPECT_EQ(vfx.Schedule(), t);
  EXPECT_EQ(t->state, VFXEntry::Waiting);
  EXPECT_EQ(t->frameCount, 24);
  EXPECT_EQ(t->kind, 2);
  EXPECT_EQ(t->parameter, 5u);
}

TEST_F(ScheduleTest, KindsAreHeldToTheFiveAndTheSameValuesChangeNothing) {
  VFXEntry* t = Pair();
  struct Case {
    int32_t kind;
    uint32_t parameter;
    int32_t storedKind;
    int32_t state;  // after the call, from Rendered
  } cases[] = {
      {7, 0, 4, VFXEntry::Waiting},  {-1, 0, 0, VFXEntry::Waiting}, {3, 9, 3, VFXEntry::Waiting},
      {3, 9, 3, VFXEntry::Rendered}, {3, 10, 3, VFXEntry::Waiting},
  };
  for (const Case& c : cases) {
    t->state = VFXEntry::Rendered;
    vfx.SetTransition(t, c.kind, c.parameter);
    EXPECT_EQ(t->kind, c.storedKind) << c.kind;
    EXPECT_EQ(t->parameter, c.parameter) << c.kind;
    EXPECT_EQ(t->state, c.state) << c.kind << " " << c.parameter;
  }
}

enum Trigger { kInvalidate, kCancel, kTakeJob, kFinishWritten, kFinishFailed };

TEST_F(ScheduleTest, StateTable) {
  using E = VFXEntry;
  struct Case {
    int32_t from;
    Trigger trigger;
    int32_t to;
    bool fileGone = false;
    bool dataFreed = false;
    bool badStateTrace = false;
  } cases[] = {
      {E::Idle, kInvalidate, E::Waiting},
      {E::Rendered, kInvalidate, E::Waiting},
      {E::Rendering, kInvalidate, E::RenderingInvalidated},
      {E::RenderingCancelled, kInvalidate, E::RenderingInvalidated},
      {E::Waiting, kInvalidate, E::Waiting},
      {E::RenderingInvalidated, kInvalidate, E::RenderingInvalidated},
      {E::Rendered, kCancel, E::Idle, true, true},
      {E::Waiting, kCancel, E::Idle, true, true},
      {E::Rendering, kCancel, E::RenderingCancelled},
      {E::RenderingInvalidated, kCancel, E::RenderingCancelled},
      {E::Idle, kCancel, E::Idle},
      {E::RenderingCancelled, kCancel, E::RenderingCancelled},
      {E::Waiting, kTakeJob, E::Rendering},
      {E::Rendered, kTakeJob, E::Rendered},
      {E::Rendering, kFinishWritten, E::Rendered},
      {E::Rendering, kFinishFailed, E::Waiting},
      // The new file of a changed transition is not kept; it renders again.
      {E::RenderingInvalidated, kFinishWritten, E::Waiting},
      {E::RenderingCancelled, kFinishWritten, E::Idle, true, true},
      {E::Idle, kFinishWritten, E::Idle, false, false, true},
      {E::Rendered, kFinishFailed, E::Rendered, false, false, true},
      {E::Waiting, kFinishWritten, E::Waiting, false, false, true},
  };
  TraceLog traces;
  int badStates = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "from " << c.from << " trigger " << c.trigger);
    FilmList.Clear();
    vfx.FreeAll();
    VFXEntry* t = Pair();
    ASSERT_NE(t, nullptr);
    char path[MAX_PATH];
    ASSERT_TRUE(VFXRender::MakeFileName(path, 7, 12));
    const std::string file = path;
    ASSERT_EQ(file, FileOf(7, 12));
    std::ofstream(file) << "rendered";
    t->state = c.from;
    VFXQueue* job = new VFXQueue;
    switch (c.trigger) {
      case kInvalidate:
        t->Invalidate();
        break;
      case kCancel:
        t->Cancel();
        break;
      case kTakeJob:
        EXPECT_EQ(vfx.TakeJob(t, *job), c.from == E::Waiting);
        break;
      case kFinishWritten:
        vfx.FinishRender(t, true);
        break;
      case kFinishFailed:
        vfx.FinishRender(t, false);
        break;
    }
    job->Release();
    EXPECT_EQ(t->state, c.to);
    EXPECT_EQ(!std::filesystem::exists(file), c.fileGone);
    EXPECT_EQ(t->sourceA == nullptr && t->sourceB == nullptr, c.dataFreed);
    if (c.badStateTrace) ++badStates;
    EXPECT_EQ(traces.Count("!!! VFX ERROR: invalid state after rendering !!!"), badStates);
  }
  // The references the render thread let go of are given back on the main thread.
  FilmList.Clear();
  vfx.Schedule();
  EXPECT_EQ(video.refs, 1);
}

TEST_F(ScheduleTest, AVanishedPairIsKeptIdleForFifteenMinutes) {
  TestClock clock;
  struct Case {
    DWORD unseen;
    int32_t kind;  // found when the pair is back
  } cases[] = {{899999, 4}, {900000, 4}, {900001, 0}};
  for (const Case& c : cases) {
    FilmList.Clear();
    vfx.FreeAll();
    VFXEntry* t = Pair();
    vfx.SetTransition(t, 4, 8);
    const int32_t row = b->videoRow, start = b->start, end = b->end;
    Remove(b);  // the clip is deleted
    EXPECT_EQ(vfx.Schedule(), nullptr);
    EXPECT_EQ(t->state, VFXEntry::Idle);
    EXPECT_EQ(video.refs, 2) << "an idle transition holds no source";
    clock.Advance(c.unseen);
    vfx.Schedule();
    b = Clip({start, end, 0, row, 12});  // the delete is undone
    VFXEntry* back = vfx.Schedule();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->kind, c.kind) << c.unseen;
    EXPECT_EQ(back->state, VFXEntry::Waiting);
    EXPECT_EQ(back->parameter, c.kind == 4 ? 8u : 0u);
  }
}

TEST_F(ScheduleTest, FindAtTotalLengthAndTheStatusText) {
  VFXEntry* t = Pair();
  Clip({2400, 5000, 0, 0, 20});  // overlaps B over [2400, 3000): 15 frames
  struct Case {
    int32_t ms;
    bool found;
  } cases[] = {{999, false}, {1000, true}, {1999, true}, {2000, false}};
  for (const Case& c : cases) EXPECT_EQ(vfx.FindAt(c.ms) == t, c.found) << c.ms;
  EXPECT_EQ(vfx.TotalLength(), 25 + 15);
  t->state = VFXEntry::Rendered;
  EXPECT_EQ(vfx.TotalLength(), 15);

  vfx.SetTransition(t, 3, 8);
  vfx.TraceState(t);
  EXPECT_EQ(host.status, "FX Up to down(8) : from FILM_7 to FILM_12");
}

TEST_F(ScheduleTest, AFailedTransitionGoesBehindAndWaitsBeforeItsNextTry) {
  TestClock clock;
  Pair();
  Clip({2400, 5000, 0, 0, 20});
  VFXEntry* first = vfx.Schedule();
  VFXEntry* second = first->next;
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(vfx.NextWaiting(), first) << "the one queued earliest";

  VFXQueue* job = new VFXQueue;
  for (int attempt = 1; attempt <= 3; ++attempt) {
    ASSERT_TRUE(vfx.TakeJob(first, *job));
    vfx.FinishRender(first, false);
    EXPECT_EQ(vfx.NextWaiting(), second) << attempt;
    second->state = VFXEntry::Rendered;
    EXPECT_EQ(vfx.NextWaiting(), nullptr) << "not before the next wake-up";
    clock.Advance(2999);
    EXPECT_EQ(vfx.NextWaiting(), nullptr);
    clock.Advance(1);
    EXPECT_EQ(vfx.NextWaiting(), attempt < 3 ? first : nullptr) << attempt;
    second->state = VFXEntry::Waiting;
  }
  clock.Advance(60000);
  second->state = VFXEntry::Rendered;
  EXPECT_EQ(vfx.NextWaiting(), nullptr) << "three failures in a row wait for a change";
  vfx.SetTransition(first, 1, 0);
  EXPECT_EQ(vfx.NextWaiting(), first);
  job->Release();
}

}  // namespace
}  // namespace vfxtest
