// The order of the Film list after each edit that links films: a film goes
// before the films that start with it, films that move together keep their
// order, and a video film moved to its next key frame takes its place at
// the new start. Drawing, playback and the project file all follow this
// order, so an edit must leave exactly this list.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "edit_fakes.h"

namespace edittest {
namespace {

enum Kind { kAudio, kVideo, kMidi };
enum Op { kInsert, kMove, kPaste, kSplit, kRepeat };

struct Clip {
  const char* name;
  Kind kind;
  int32_t start, length;
  int32_t line = 0;  // audio line or video row
  int32_t in = 0;
  bool selected = false;
  std::set<int32_t> keyFrames = {};  // of its video; empty: every frame
};

struct Case {
  const char* what;
  std::vector<Clip> timeLine;  // placed in this order
  std::vector<Clip> clipboard;
  Op op;
  int32_t time;                    // Insert and Paste time, Split time, Move delta
  int32_t count;                   // Repeat copies
  const char* of;                  // the clip Split or Repeat works on
  std::vector<std::string> order;  // "name@start"
};

class FilmOrderTest : public EditTest {
 protected:
  Film* MakeClip(const Clip& c) {
    FakeVideo* v = nullptr;
    if (c.kind == kVideo) {
      v = NewVideo();
      v->keyFrames = c.keyFrames;
    }
    return Make(c.name, v, c.kind == kAudio ? NewAudio() : nullptr, c.kind == kMidi ? NewMidi() : nullptr,
                c.start, c.length, c.line, c.line, c.in);
  }
  static std::vector<std::string> Order() {
    std::vector<std::string> order;
    for (Film* f = FilmList.First(); f; f = f->next)
      order.push_back(std::string(f->name) + "@" + std::to_string(f->start));
    return order;
  }
};

TEST_F(FilmOrderTest, EditsLinkFilmsBeforeThoseThatStartWithThem) {
  const Case cases[] = {
      {"insert moves the later films in their order and cuts a crossing one before them",
       {{"A", kAudio, 1000, 1000, 0},
        {"E", kAudio, 2000, 4000, 2},
        {"B", kAudio, 4000, 1000, 1},
        {"C", kVideo, 4000, 1000, 0},
        {"D", kMidi, 4000, 1000}},
       {{"P", kAudio, 0, 1000, 0}, {"Q", kAudio, 0, 1000, 1}},
       kInsert,
       3000,
       0,
       nullptr,
       {"A@1000", "E@2000", "P@3000", "Q@3000", "E@4000", "D@5000", "C@5000", "B@5000"}},
      {"insert links a clip before a video clip moved to its key frame at the same start",
       {{"F", kAudio, 3000, 1000, 1}},
       {{"V", kVideo, 0, 2000, 0, 40, false, {0, 6}}, {"W", kAudio, 200, 500, 0}},
       kInsert,
       1000,
       0,
       nullptr,
       {"W@1200", "V@1200", "F@5000"}},
      {"move keeps the order of the moved films, before the films at their new start",
       {{"S1", kAudio, 1000, 200, 0, 0, true},
        {"S2", kAudio, 1000, 200, 1, 0, true},
        {"U", kVideo, 1400, 400, 0},
        {"W", kAudio, 1400, 400, 2},
        {"T", kAudio, 2000, 200, 3, 0, true}},
       {},
       kMove,
       400,
       0,
       nullptr,
       {"S2@1400", "S1@1400", "W@1400", "U@1400", "T@2400"}},
      {"move back onto the start of an earlier film",
       {{"W", kAudio, 1400, 400, 2},
        {"S", kAudio, 2000, 200, 0, 0, true},
        {"S2", kMidi, 2000, 200, 0, 0, true}},
       {},
       kMove,
       -600,
       0,
       nullptr,
       {"S2@1400", "S@1400", "W@1400"}},
      {"paste reverses the clipboard's equal starts and moves a video clip to its key frame",
       {{"Y", kAudio, 1000, 500, 3}, {"X", kAudio, 1360, 500, 2}},
       {{"Q", kAudio, 0, 500, 0}, {"P", kAudio, 0, 500, 1}, {"R", kVideo, 200, 800, 0, 40, false, {0, 5}}},
       kPaste,
       1000,
       0,
       nullptr,
       {"Q@1000", "P@1000", "Y@1000", "R@1360", "X@1360"}},
      {"split puts the right part before the films at the split time",
       {{"G", kVideo, 3000, 1000, 0}, {"H", kMidi, 3000, 1000}, {"F", kAudio, 1000, 4000, 0}},
       {},
       kSplit,
       3000,
       0,
       "F",
       {"F@1000", "F@3000", "H@3000", "G@3000"}},
      {"split of a video clip links the right part at its next key frame",
       {{"K", kAudio, 3400, 500, 1}, {"V", kVideo, 1000, 4000, 0, 0, false, {0, 60}}},
       {},
       kSplit,
       2000,
       0,
       "V",
       {"V@1000", "V@3400", "K@3400"}},
      {"repeat links each copy before the films at its start",
       {{"A2", kAudio, 2000, 500, 1}, {"M", kMidi, 3000, 500}, {"R", kAudio, 1000, 1000, 0}},
       {},
       kRepeat,
       0,
       2,
       "R",
       {"R@1000", "R@2000", "A2@2000", "R@3000", "M@3000"}},
      {"repeat of a video clip whose in point is no key frame",
       {{"K", kAudio, 2080, 500, 1},
        {"M", kMidi, 3000, 500},
        {"R", kVideo, 1000, 1000, 0, 40, false, {0, 3}}},
       {},
       kRepeat,
       0,
       2,
       "R",
       {"R@1000", "R@2080", "K@2080", "R@3000", "M@3000"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FilmList.Clear();
    ClipClipboard.Clear();
    UndoScript::ClearAll();
    UndoScript::SetPending(0);
    ShowAllLines();
    engine.length = 60000;
    Film* subject = nullptr;
    for (const Clip& clip : c.timeLine) {
      Film* f = Place(MakeClip(clip));
      if (clip.selected) f->group = SelectionGroup;
      if (c.of && std::string(c.of) == clip.name) subject = f;
    }
    for (const Clip& clip : c.clipboard) OnClipboard(MakeClip(clip));
    switch (c.op) {
      case kInsert:
        engine.InsertClips(nullptr, c.time);
        break;
      case kMove:
        engine.MoveSelectedClips(c.time, 0, kKindAudio | kKindVideo | kKindMidi);
        break;
      case kPaste:
        ASSERT_TRUE(engine.PasteClips(nullptr, c.time, -1, -1));
        break;
      case kSplit:
        engine.SplitClip(nullptr, subject, c.time);
        break;
      case kRepeat:
        editView.answerCount = c.count;
        editView.answerPause = 0;
        engine.RepeatClip(nullptr, subject);
        break;
    }
    EXPECT_EQ(Order(), c.order);
    // Each link stays whole both ways.
    Film* last = nullptr;
    for (Film* f = FilmList.First(); f; f = f->next) {
      EXPECT_EQ(f->prev, last);
      last = f;
    }
    EXPECT_EQ(FilmList.Last(), last);
  }
}

}  // namespace
}  // namespace edittest
