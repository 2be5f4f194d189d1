#include "model/film_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "film_fakes.h"
#include "model/film.h"

using namespace filmtest;

namespace {

class FilmListTest : public FilmTest {
 protected:
  // An unlinked film of [start, end) on the lines of kind (video row or audio line).
  Film* Make(int32_t kind, int32_t line, int32_t start, int32_t end, const char* name = "") {
    VideoSource* v = kind == kKindVideo ? video_ : nullptr;
    AudioSource* a = kind == kKindAudio ? audio_ : nullptr;
    MidiSource* m = kind == kKindMidi ? midi_ : nullptr;
    FakeClip clip(v, a, m, 0, end - start, end - start, name);
    return new Film(clip, start, kind, line, line);
  }
  Film* Add(int32_t kind, int32_t line, int32_t start, int32_t end, const char* name = "") {
    Film* f = Make(kind, line, start, end, name);
    Film::Link(f, FilmList);
    return f;
  }
  std::vector<std::string> Names(const FilmListHead& list) {
    std::vector<std::string> names;
    for (Film* f = list.First(); f; f = f->next) names.push_back(f->name);
    return names;
  }

  FakeVideo* video_ = Video("v.avi", 250000);
  FakeAudio* audio_ = Audio("a.wav", 10000000);
  FakeMidi* midi_ = Midi("m.mid", 10000000);
};

TEST_F(FilmListTest, LinkKeepsStartOrderAndPutsEqualStartsFirst) {
  Add(kKindAudio, 0, 0, 50, "zero");
  Add(kKindAudio, 0, 100, 150, "first 100");
  Add(kKindAudio, 0, 100, 150, "second 100");
  Add(kKindAudio, 0, 300, 350, "last");
  Add(kKindAudio, 0, 200, 250, "middle");
  EXPECT_EQ(Names(FilmList), (std::vector<std::string>{"zero", "second 100", "first 100", "middle", "last"}));

  // Both directions hold together after unlinking the ends and a middle.
  Film* first = FilmList.First();
  Film* last = FilmList.Last();
  Film::Unlink(first, FilmList);
  Film::Unlink(last, FilmList);
  Film* middle = FilmList.First()->next;
  Film::Unlink(middle, FilmList);
  EXPECT_EQ(first->next, nullptr);
  EXPECT_EQ(last->prev, nullptr);
  EXPECT_EQ(middle->next, nullptr);
  delete first;
  delete last;
  delete middle;
  EXPECT_EQ(Names(FilmList), (std::vector<std::string>{"second 100", "middle"}));
  EXPECT_EQ(FilmList.Last()->prev, FilmList.First());
  EXPECT_EQ(FilmList.First()->prev, nullptr);
}

TEST_F(FilmListTest, AppendKeepsTheOrderOfACopiedList) {
  Add(kKindAudio, 0, 100, 150, "a");
  Add(kKindAudio, 0, 100, 150, "b");
  Add(kKindAudio, 0, 200, 250, "c");
  const std::vector<std::string> order = Names(FilmList);
  FilmListHead copy;
  for (Film* f = FilmList.First(); f; f = f->next) Film::Append(new Film(*f, kKindAudio), copy);
  EXPECT_EQ(Names(copy), order);
  // A film that starts before the end still finds its sorted place.
  Film::Append(Make(kKindAudio, 0, 0, 50, "early"), copy);
  EXPECT_EQ(Names(copy).front(), "early");
  EXPECT_EQ(copy.Last()->prev->prev->prev, copy.First());
}

// Links, appends and unlinks, starts changed in place where the order stays
// and films relinked where it does not, a swap away and back: after every
// step the list is exactly what walking from the head to the first film of
// the start or later would have made it, both ways.
TEST_F(FilmListTest, ListMatchesAWalkFromTheHeadThroughManyEdits) {
  std::vector<Film*> expected;
  auto walkPlace = [&](int32_t s) {
    std::size_t i = 0;
    while (i < expected.size() && expected[i]->start < s) ++i;
    return i;
  };
  auto check = [&](int step) {
    std::vector<Film*> forward, backward;
    for (Film* f = FilmList.First(); f; f = f->next) forward.push_back(f);
    for (Film* f = FilmList.Last(); f; f = f->prev) backward.insert(backward.begin(), f);
    ASSERT_EQ(forward, expected) << "after step " << step;
    ASSERT_EQ(backward, expected) << "after step " << step;
  };
  std::mt19937 random(5);
  auto below = [&](int32_t n) { return static_cast<int32_t>(random() % static_cast<uint32_t>(n)); };
  for (int step = 0; step < 4000; ++step) {
    const int32_t what = expected.empty() ? 0 : below(10);
    if (what <= 2) {  // link; few starts, so many are equal
      Film* f = new Film;
      f->start = below(60);
      expected.insert(expected.begin() + walkPlace(f->start), f);
      Film::Link(f, FilmList);
    } else if (what == 3) {  // append, at or before the end
      Film* f = new Film;
      f->start = std::max(0, expected.back()->start - below(3));
      if (f->start < expected.back()->start) {
        expected.insert(expected.begin() + walkPlace(f->start), f);
      } else {
        expected.push_back(f);
      }
      Film::Append(f, FilmList);
    } else if (what <= 5) {  // unlink
      const std::size_t i = below(static_cast<int32_t>(expected.size()));
      Film* f = expected[i];
      expected.erase(expected.begin() + i);
      Film::Unlink(f, FilmList);
      delete f;
    } else if (what <= 7) {  // a start changed in place, staying between its neighbours
      const std::size_t i = below(static_cast<int32_t>(expected.size()));
      const int32_t lo = i > 0 ? expected[i - 1]->start : 0;
      const int32_t hi = i + 1 < expected.size() ? expected[i + 1]->start : 60;
      expected[i]->start = lo + below(hi - lo + 1);
    } else if (what == 8) {  // moved: out, a new start, back in
      const std::size_t i = below(static_cast<int32_t>(expected.size()));
      Film* f = expected[i];
      expected.erase(expected.begin() + i);
      Film::Unlink(f, FilmList);
      f->start = below(60);
      expected.insert(expected.begin() + walkPlace(f->start), f);
      Film::Link(f, FilmList);
    } else {  // the list lent to another head and back, as undo does
      FilmListHead other;
      other.Swap(FilmList);
      EXPECT_TRUE(FilmList.Empty());
      FilmList.Swap(other);
    }
    check(step);
  }
}

TEST_F(FilmListTest, ClearAndSwap) {
  Add(kKindAudio, 0, 0, 50);
  Add(kKindAudio, 0, 10, 50);
  FilmListHead other;
  other.Swap(FilmList);
  EXPECT_TRUE(FilmList.Empty());
  EXPECT_EQ(other.Count(), 2);
  other.Clear();
  EXPECT_TRUE(other.Empty());
  EXPECT_EQ(audio_->refs, 1);
}

// The project of the query table:
//   A  audio line 0  [0, 100)
//   B  audio line 0  [200, 300)
//   C  audio line 1  [50, 400)
//   V  video row 0   [40, 1000)   selected
//   W  video row 0   [1200, 1400)
//   M  MIDI          [0, 600)
//   S  audio line 0  [500, 900)   selected
//   U  audio line 0  [700, 800)
//   L  audio line 0  [250, 300)   ends together with B
TEST_F(FilmListTest, QueryTable) {
  std::map<std::string, Film*> f;
  f["A"] = Add(kKindAudio, 0, 0, 100, "A");
  f["B"] = Add(kKindAudio, 0, 200, 300, "B");
  f["C"] = Add(kKindAudio, 1, 50, 400, "C");
  f["V"] = Add(kKindVideo, 0, 40, 1000, "V");
  f["W"] = Add(kKindVideo, 0, 1200, 1400, "W");
  f["M"] = Add(kKindMidi, 0, 0, 600, "M");
  f["S"] = Add(kKindAudio, 0, 500, 900, "S");
  f["U"] = Add(kKindAudio, 0, 700, 800, "U");
  f["L"] = Add(kKindAudio, 0, 250, 300, "L");
  f["V"]->group = SelectionGroup;
  f["S"]->group = SelectionGroup;
  f[""] = nullptr;

  enum Query { kFindByLine, kLatestEndBefore, kNextOnLine };
  struct {
    Query query;
    int32_t t, mask, line;
    const char* expected;
  } cases[] = {
      {kFindByLine, 50, kKindAudio, 0, "A"},
      {kFindByLine, 0, kKindAudio, 0, "A"},   // start is inside
      {kFindByLine, 100, kKindAudio, 0, ""},  // end is not
      {kFindByLine, 150, kKindAudio, 0, ""},
      {kFindByLine, 300, kKindAudio, 0, ""},
      {kFindByLine, 299, kKindAudio, 0, "B"},
      {kFindByLine, 150, kKindAudio, 1, "C"},
      {kFindByLine, 600, kKindAudio, 0, "S"},  // selected films are found
      {kFindByLine, 999, kKindVideo, 0, "V"},
      {kFindByLine, 999, kKindVideo, 1, ""},
      {kFindByLine, 599, kKindMidi, 3, "M"},  // MIDI whatever the line
      {kFindByLine, 599, kKindMidi | kKindAudio, 7, "M"},
      {kLatestEndBefore, 260, kKindAudio, 0, "B"},  // B and L end at 300: the earlier wins
      {kLatestEndBefore, 750, kKindAudio, 0, "U"},  // S is selected
      {kLatestEndBefore, 0, kKindAudio, 0, ""},
      {kLatestEndBefore, 1300, kKindVideo, 0, "W"},
      {kLatestEndBefore, 1200, kKindVideo, 0, ""},  // V is selected, W starts at t
      {kNextOnLine, 400, kKindAudio, 0, "U"},       // S at 500 is selected
      {kNextOnLine, 200, kKindAudio, 0, "B"},
      {kNextOnLine, 801, kKindAudio, 0, ""},
      {kNextOnLine, 0, kKindVideo, 0, "W"},
  };
  for (const auto& c : cases) {
    Film* found = c.query == kFindByLine        ? Film::FindByLine(c.t, c.mask, c.line)
                  : c.query == kLatestEndBefore ? Film::FindLatestEndBefore(c.t, c.mask, c.line)
                                                : Film::FindNextOnLine(c.t, c.mask, c.line);
    EXPECT_EQ(found, f[c.expected]) << "query " << c.query << " t " << c.t << " mask " << c.mask << " line "
                                    << c.line << " expected '" << c.expected << "'";
  }

  struct {
    int32_t t, mask, line;
    bool free;
  } freeCases[] = {
      {50, kKindAudio, 0, false},   {150, kKindAudio, 0, true},
      {600, kKindAudio, 0, true},  // only S, selected
      {750, kKindAudio, 0, false},  {500, kKindVideo, 0, true},
      {1300, kKindVideo, 0, false},
  };
  for (const auto& c : freeCases) EXPECT_EQ(Film::IsFreeOnLine(c.t, c.mask, c.line), c.free) << c.t;

  int32_t lo = 0, hi = 0;
  EXPECT_TRUE(Film::GetExtent(lo, hi, kKindAudio, 0));
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 900);
  EXPECT_TRUE(Film::GetExtent(lo, hi, kKindVideo, 0));
  EXPECT_EQ(lo, 40);
  EXPECT_EQ(hi, 1400);
  EXPECT_FALSE(Film::GetExtent(lo, hi, kKindVideo, 1));
  EXPECT_EQ(lo, kDayMs);
  EXPECT_EQ(hi, 0);

  EXPECT_TRUE(Film::AnyOverlapping(99, 200, kKindAudio, 0));
  EXPECT_FALSE(Film::AnyOverlapping(100, 200, kKindAudio, 0));
  EXPECT_TRUE(Film::AnyOverlapping(1000, 1201, kKindVideo, 0));
  EXPECT_FALSE(Film::AnyOverlapping(1000, 1200, kKindVideo, 0));
  EXPECT_TRUE(Film::AnySelectedOverlapping(850, 860, kKindAudio, 0));
  EXPECT_FALSE(Film::AnySelectedOverlapping(0, 500, kKindAudio, 0));
  EXPECT_TRUE(Film::AnySelected());
  SelectionGroup = 2;
  EXPECT_FALSE(Film::AnySelected());
  EXPECT_EQ(Film::FindNextOnLine(400, kKindAudio, 0), f["S"]);
}

TEST_F(FilmListTest, EmptyListExtent) {
  int32_t lo = 0, hi = 1;
  EXPECT_FALSE(Film::GetExtent(lo, hi, kKindAudio | kKindVideo | kKindMidi, 0));
  EXPECT_EQ(lo, 86400000);
  EXPECT_EQ(hi, 0);
  EXPECT_EQ(Film::FindByLine(0, kKindAudio, 0), nullptr);
  EXPECT_TRUE(Film::IsFreeOnLine(0, kKindAudio, 0));
}

TEST_F(FilmListTest, MidiMatchesList) {
  FakeMidi* other = Midi("other.mid", 1000);
  Film* mine = Make(kKindMidi, 0, 0, 100);
  FakeClip otherClip(nullptr, nullptr, other, 0, 100, 100);
  FilmListHead list;
  Film::Link(Make(kKindAudio, 0, 0, 100), list);
  Film::Link(Make(kKindMidi, 0, 50, 100), list);
  EXPECT_TRUE(mine->MidiMatchesList(list));
  Film::Link(new Film(otherClip, 10, kKindMidi, 0, 0), list);
  EXPECT_FALSE(mine->MidiMatchesList(list));
  delete mine;
}

// ---- Removing the clips of a file ----

class RemoveClipEverywhere : public FilmListTest {};

TEST_F(RemoveClipEverywhere, FileNotLoaded) {
  EXPECT_TRUE(Film::RemoveClipEverywhere("nothing.wav", nullptr));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(RemoveClipEverywhere, ClipboardFilmsGoWithoutAQuestion) {
  FakeAudio* a = Audio("clip.wav", 5000);
  FakeClip clip(nullptr, a, nullptr, 0, 1000, 1000);
  Film::Link(new Film(clip, 0, kKindAudio, 0, 0), ClipClipboard);
  a->Release();  // only the clipboard holds it now
  Film* kept = Add(kKindAudio, 0, 0, 100);
  EXPECT_TRUE(Film::RemoveClipEverywhere("clip.wav", nullptr));
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(ClipClipboard.Empty());
  EXPECT_EQ(a->refs, 0);
  EXPECT_EQ(FilmList.First(), kept);
}

TEST_F(RemoveClipEverywhere, NoKeepsTheProject) {
  FakeAudio* a = Audio("clip.wav", 5000);
  FakeClip clip(nullptr, a, nullptr, 0, 1000, 1000);
  Film::Link(new Film(clip, 0, kKindAudio, 0, 0), FilmList);
  boxes.answers = {IDNO};
  EXPECT_FALSE(Film::RemoveClipEverywhere("clip.wav", reinterpret_cast<HWND>(0x10)));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Write file");
  EXPECT_EQ(boxes.boxes[0].text,
            "Clip 'clip.wav' is used in the project.\nDo you want to remove this clip from the project?");
  EXPECT_EQ(boxes.boxes[0].flags, MB_YESNO | MB_ICONEXCLAMATION);
  EXPECT_EQ(FilmList.Count(), 1);
  EXPECT_EQ(a->refs, 2);
  EXPECT_FALSE(host.modified);
}

TEST_F(RemoveClipEverywhere, OneYesClearsProjectCollectionClipboardAndUndo) {
  FakeVideo* v = Video("clip.avi", 100);
  FakeAudio* a = Audio("clip.avi", 4000);
  FakeEffects* fx = Effects();
  FakeClip clip(v, a, nullptr, 0, 1000, 1000);
  Film* used = new Film(clip, 0, kKindVideo | kKindAudio, 0, 0);
  used->effects = fx;
  fx->AddRef();
  fx->openCount = 1;
  v->openCount = 2;  // opened for this film and for a player
  a->openCount = 1;
  Film::Link(used, FilmList);
  Film* other = Add(kKindAudio, 1, 0, 100);
  Film::Link(new Film(clip, 0, kKindVideo, 0, 0), ClipClipboard);
  host.clips.push_back(new HeldClip(v, a, nullptr, 0, 1000, 1000));
  host.clips.push_back(new HeldClip(nullptr, audio_, nullptr, 0, 1000, 1000));
  // The undo history holds one more reference on each, given back when cleared.
  v->AddRef();
  a->AddRef();
  host.onClearUndo = [&] {
    v->Release();
    a->Release();
  };
  v->Release();  // the creators' references
  a->Release();

  EXPECT_TRUE(Film::RemoveClipEverywhere("clip.avi", nullptr));
  ASSERT_EQ(boxes.boxes.size(), 1u);  // one Yes answers every question
  EXPECT_EQ(FilmList.First(), other);
  EXPECT_EQ(FilmList.Count(), 1);
  EXPECT_TRUE(host.modified);
  EXPECT_GE(host.invalidated, 1);
  EXPECT_EQ(host.clips.size(), 1u);
  EXPECT_EQ(host.layouts, 1);
  EXPECT_TRUE(host.clipsModified);
  EXPECT_TRUE(ClipClipboard.Empty());
  EXPECT_EQ(host.undoClears, 1);
  EXPECT_EQ(v->refs, 0);
  EXPECT_EQ(a->refs, 0);
  EXPECT_EQ(v->openCount, 1);  // the film gave back its own open only
  EXPECT_EQ(a->openCount, 0);
  EXPECT_EQ(fx->openCount, 0);
  EXPECT_EQ(fx->refs, 1);
}

TEST_F(RemoveClipEverywhere, CollectionAndUndoQuestions) {
  FakeAudio* a = Audio("clip.wav", 5000);
  host.clips.push_back(new HeldClip(nullptr, a, nullptr, 0, 1000, 1000));
  a->Release();
  boxes.answers = {IDNO};
  EXPECT_FALSE(Film::RemoveClipEverywhere("clip.wav", nullptr));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            "Clip 'clip.wav' is used in the clip collection.\nDo you want to remove this clip from clip "
            "collection?");
  EXPECT_EQ(host.clips.size(), 1u);

  // Held by the undo history only: asked, cleared, done.
  a->AddRef();
  delete host.DetachClip(0);
  host.onClearUndo = [&] { a->Release(); };
  boxes.boxes.clear();
  EXPECT_TRUE(Film::RemoveClipEverywhere("clip.wav", nullptr));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            "Clip 'clip.wav' is used in the Undo list.\nDo you want to clear Undo list?");
  EXPECT_EQ(host.undoClears, 1);

  // Undo declined.
  FakeAudio* b = Audio("b.wav", 5000);
  boxes.boxes.clear();
  boxes.answers = {IDNO};
  host.onClearUndo = nullptr;
  EXPECT_FALSE(Film::RemoveClipEverywhere("b.wav", nullptr));
  EXPECT_EQ(host.undoClears, 1);
  EXPECT_EQ(b->refs, 1);
}

TEST_F(RemoveClipEverywhere, StillHeldFiles) {
  FakeAudio* a = Audio("held.wav", 5000);
  EXPECT_FALSE(Film::RemoveClipEverywhere("held.wav", nullptr));
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].text, "Can not delete clip 'held.wav'!");
  EXPECT_EQ(boxes.boxes[1].flags, MB_ICONHAND);

  media.tempFile = a;
  boxes.boxes.clear();
  EXPECT_FALSE(Film::RemoveClipEverywhere("held.wav", nullptr));
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].text, "File 'held.wav' is temporary sound file with applied audio effect(s)!");
  EXPECT_EQ(boxes.boxes[1].flags, MB_ICONEXCLAMATION);
}

// ---- Changed files ----

class RefreshChangedSources : public FilmListTest {};

TEST_F(RefreshChangedSources, NothingGiven) {
  EXPECT_FALSE(Film::RefreshChangedSources(nullptr, true, true, nullptr, nullptr, nullptr));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(RefreshChangedSources, ReloadKeepsFilmsThatFit) {
  FakeAudio* a = Audio("song.wav", 10000);
  FakeClip clip(nullptr, a, nullptr, 2000, 9000, 7000);
  Film* film = new Film(clip, 0, kKindAudio, 0, 0);
  Film::Link(film, FilmList);
  Film::Link(new Film(clip, 0, kKindAudio, 0, 0), ClipClipboard);
  a->length = 5000;

  EXPECT_TRUE(Film::RefreshChangedSources(nullptr, true, true, nullptr, a, nullptr));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Kobrix");
  EXPECT_EQ(boxes.boxes[0].text,
            "Date/Time of file 'song.wav' has changed.\nDo you want to reload this file from disk?");
  EXPECT_EQ(boxes.boxes[0].flags, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(a->reloads, 1);
  ASSERT_EQ(FilmList.First(), film);
  EXPECT_EQ(film->out, 5000);
  EXPECT_EQ(film->end, 3000);
  EXPECT_EQ(ClipClipboard.First()->out, 5000);
  EXPECT_EQ(host.undoDrops, 1);
  EXPECT_TRUE(host.lastDropRecheck);
  EXPECT_EQ(a->refs, 3);
}

TEST_F(RefreshChangedSources, NoRemovesTheFilmsAndClips) {
  FakeAudio* a = Audio("song.wav", 10000);
  FakeClip clip(nullptr, a, nullptr, 0, 1000, 1000);
  Film::Link(new Film(clip, 0, kKindAudio, 0, 0), FilmList);
  Film* other = Add(kKindAudio, 0, 10, 20);
  host.clips.push_back(new HeldClip(nullptr, a, nullptr, 0, 1000, 1000));
  boxes.answers = {IDNO};
  EXPECT_TRUE(Film::RefreshChangedSources(nullptr, true, true, nullptr, a, nullptr));
  EXPECT_EQ(a->reloads, 0);
  EXPECT_EQ(FilmList.First(), other);
  EXPECT_EQ(FilmList.Count(), 1);
  EXPECT_TRUE(host.clips.empty());
  EXPECT_TRUE(host.modified);
  EXPECT_FALSE(host.lastDropRecheck);
  EXPECT_EQ(a->refs, 1);
}

TEST_F(RefreshChangedSources, ChangedTypeIsRemovedWithANote) {
  FakeAudio* a = Audio("song.wav", 10000);
  FakeClip clip(nullptr, a, nullptr, 0, 1000, 1000);
  Film::Link(new Film(clip, 0, kKindAudio, 0, 0), FilmList);
  a->formatTag = 2;  // neither integer PCM nor float
  EXPECT_TRUE(Film::RefreshChangedSources(nullptr, true, true, nullptr, a, nullptr));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Type of file 'song.wav' has changed.\nIt will be removed from project!");
  EXPECT_EQ(boxes.boxes[0].flags, MB_ICONEXCLAMATION);
  EXPECT_TRUE(FilmList.Empty());
  EXPECT_EQ(a->reloads, 0);

  FakeVideo* v = Video("movie.avi", 100);
  FakeClip movie(v, nullptr, nullptr, 0, 1000, 1000);
  Film::Link(new Film(movie, 0, kKindVideo, 0, 0), FilmList);
  v->directPlayable = false;
  boxes.boxes.clear();
  EXPECT_TRUE(Film::RefreshChangedSources(nullptr, true, true, v, nullptr, nullptr));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Type of file 'movie.avi' has changed.\nIt will be removed from project!");
  EXPECT_TRUE(FilmList.Empty());
}

TEST_F(RefreshChangedSources, CollectionOnlyUse) {
  FakeAudio* a = Audio("song.wav", 10000);
  host.clips.push_back(new HeldClip(nullptr, a, nullptr, 0, 1000, 1000));
  host.clips.push_back(new HeldClip(nullptr, audio_, nullptr, 0, 1000, 1000));

  // Without looking at the collection nothing uses it: no question, no reload.
  EXPECT_FALSE(Film::RefreshChangedSources(nullptr, true, false, nullptr, a, nullptr));
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(host.clips.size(), 1u);  // not reloaded: the clip goes

  host.clips.insert(host.clips.begin(), new HeldClip(nullptr, a, nullptr, 0, 1000, 1000));
  host.refreshSucceeds = false;
  EXPECT_TRUE(Film::RefreshChangedSources(nullptr, true, true, nullptr, a, nullptr));
  EXPECT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(a->reloads, 1);
  EXPECT_EQ(host.clips.size(), 1u);  // the refresh failed
  EXPECT_EQ(host.clips[0]->GetAudio(), audio_);
  EXPECT_EQ(a->refs, 1);
}

}  // namespace
