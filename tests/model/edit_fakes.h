// The edit operations' tests: a view that scripts the Repeat and Clip
// Properties dialogs and the ruler's snapping, players that hand out still
// pictures, a clip collection, and a field-by-field record of a Film list
// to compare a list with what Undo brings back.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine_fakes.h"
#include "model/edit_operations.h"
#include "model/profiles.h"

namespace edittest {

using namespace enginetest;

class EditView : public FakeView {
 public:
  HWND Handle() override { return window; }
  bool RunLoopDialog(int32_t& pause, int32_t clipLength, int32_t& count, int32_t longestTotal) override {
    ++loops;
    loopLength = clipLength;
    loopTotal = longestTotal;
    loopCount = count;
    loopPause = pause;
    if (!loopOk) return false;
    count = answerCount;
    pause = answerPause;
    return true;
  }
  bool RunFilmEditDialog(Film& film, int32_t earliestStart, int32_t latestEnd, bool& showFrame) override {
    ++filmEdits;
    editLo = earliestStart;
    editHi = latestEnd;
    editShowFrame = showFrame;
    return filmEdit ? filmEdit(film, showFrame) : false;
  }
  // Snaps to the nearest of targets within snapDistance.
  int32_t SnapToNearestEdge(int32_t& time, int32_t filter) override {
    snapFilters.push_back(filter);
    int32_t best = snapDistance + 1, to = time;
    for (int32_t t : snapTargets) {
      const int32_t d = t > time ? t - time : time - t;
      if (d < best) {
        best = d;
        to = t;
      }
    }
    if (best <= snapDistance) time = to;
    return best;
  }
  void InvalidateFocusWindow() override { ++focusInvalidations; }

  HWND window = nullptr;
  int loops = 0;
  int32_t loopLength = -1, loopTotal = -1, loopCount = -1, loopPause = -1;
  bool loopOk = true;
  int32_t answerCount = 1, answerPause = 0;
  int filmEdits = 0;
  int32_t editLo = -1, editHi = -1;
  bool editShowFrame = false;
  std::function<bool(Film&, bool&)> filmEdit;
  std::vector<int32_t> snapTargets;
  int32_t snapDistance = 0;
  std::vector<int32_t> snapFilters;
  int focusInvalidations = 0;
};

class EditPlayers : public FakePlayers {
 public:
  StartFrameRecord* CreateKeyFrame(VideoSource* video, int32_t frame) override {
    stills.push_back(std::make_unique<FakeStartFrame>(video, frame));
    return stills.back().get();
  }
  std::vector<std::unique_ptr<FakeStartFrame>> stills;
};

class FakeCollection : public ClipCollectionTarget {
 public:
  HWND Window() override { return window; }
  // Answers the duplicate question of the batch with answerGiven.
  bool PasteClip(Film* film, int* answer) override {
    pasted.push_back(film->name);
    answersSeen.push_back(*answer);
    if (answerGiven != 0) *answer = answerGiven;
    return accept;
  }
  HWND window = nullptr;
  bool accept = true;
  int answerGiven = 0;
  std::vector<std::string> pasted;
  std::vector<int> answersSeen;
};

// Every field of a Film that an edit or Undo may touch.
struct FilmRecord {
  std::string name;
  int32_t start, end, origin, in, out, sourceLength, group, stamp;
  const void* video;
  int32_t videoRow;
  const void *inPicture, *outPicture, *inKeyFrame, *midi;
  int32_t tempo;
  const void *audio, *effects;
  int32_t audioLine, volume, balance;
  bool declickIn, declickOut;
  std::vector<std::pair<int32_t, int32_t>> volumePoints, balancePoints;
  std::vector<std::tuple<int32_t, std::string, int32_t>> marks;
  bool operator==(const FilmRecord&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const FilmRecord& r) {
  return os << "{" << r.name << " [" << r.start << "," << r.end << ") in " << r.in << " out " << r.out
            << " group " << r.group << " row " << r.videoRow << " line " << r.audioLine << " fx " << r.effects
            << "}";
}

inline std::vector<FilmRecord> Records(const FilmListHead& list) {
  std::vector<FilmRecord> out;
  for (Film* f = list.First(); f; f = f->next) {
    FilmRecord r{f->name,
                 f->start,
                 f->end,
                 f->origin,
                 f->in,
                 f->out,
                 f->sourceLength,
                 f->group,
                 f->stamp,
                 f->video,
                 f->videoRow,
                 f->inPicture,
                 f->outPicture,
                 f->inKeyFrame,
                 f->midi,
                 f->tempo,
                 f->audio,
                 f->effects,
                 f->audioLine,
                 f->volume,
                 f->balance,
                 f->declickIn,
                 f->declickOut,
                 {},
                 {},
                 {}};
    for (int32_t i = 0; i < f->volumePoints.Count(); ++i) {
      r.volumePoints.emplace_back(f->volumePoints[i].time, f->volumePoints[i].value);
    }
    for (int32_t i = 0; i < f->balancePoints.Count(); ++i) {
      r.balancePoints.emplace_back(f->balancePoints[i].time, f->balancePoints[i].value);
    }
    for (const Mark& m : f->marks) r.marks.emplace_back(m.time, m.name, m.group);
    out.push_back(std::move(r));
  }
  return out;
}

// No two films share a line over any instant, and the list is in start order.
inline void ExpectNoOverlapAndSorted(const FilmListHead& list) {
  for (Film* a = list.First(); a; a = a->next) {
    if (a->next) {
      EXPECT_LE(a->start, a->next->start) << "list out of order at " << a->name;
    }
    for (Film* b = a->next; b; b = b->next) {
      const bool sameLine = (a->midi && b->midi) || (a->video && b->video && a->videoRow == b->videoRow) ||
                            (a->audio && b->audio && a->audioLine == b->audioLine);
      if (sameLine) {
        EXPECT_TRUE(a->end <= b->start || b->end <= a->start)
            << a->name << " [" << a->start << "," << a->end << ") overlaps " << b->name << " [" << b->start
            << "," << b->end << ")";
      }
    }
  }
}

// The engine fixture with the scripted view and players, and films made
// from any mix of fake sources.
class EditTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    engine.AttachView(&editView);
    engine.SetPlayers(&editPlayers);
    engine.SetClipCollection(&collection);
  }

  FakeVideo* NewVideo(int32_t frames = 15000) {
    return Video("v" + std::to_string(serial_++) + ".avi", frames);
  }
  FakeAudio* NewAudio(int32_t length = 600000) {
    return Audio("a" + std::to_string(serial_++) + ".wav", length);
  }
  FakeMidi* NewMidi(int32_t length = 600000) {
    return Midi("m" + std::to_string(serial_++) + ".mid", length);
  }

  // An unlinked film of the given sources over [start, start + length) with
  // source in point in, named name.
  Film* Make(const std::string& name, FakeVideo* v, FakeAudio* a, FakeMidi* m, int32_t start, int32_t length,
             int32_t row = 0, int32_t line = 0, int32_t in = 0) {
    FakeClip clip(v, a, m, in, in + length, length, name);
    const int32_t parts = (v ? kKindVideo : 0) | (a ? kKindAudio : 0) | (m ? kKindMidi : 0);
    return new Film(clip, start, parts, line, row);
  }
  // On the time-line, holding one use of each source.
  Film* OnLine(const std::string& name, FakeVideo* v, FakeAudio* a, FakeMidi* m, int32_t start,
               int32_t length, int32_t row = 0, int32_t line = 0, int32_t in = 0) {
    return Place(Make(name, v, a, m, start, length, row, line, in));
  }
  Film* OnClipboard(Film* f) {
    Film::Link(f, ClipClipboard);
    return f;
  }
  Film* Named(const std::string& name) {
    for (Film* f = FilmList.First(); f; f = f->next) {
      if (name == f->name) return f;
    }
    return nullptr;
  }
  std::vector<Film*> AllNamed(const std::string& name) {
    std::vector<Film*> found;
    for (Film* f = FilmList.First(); f; f = f->next) {
      if (name == f->name) found.push_back(f);
    }
    return found;
  }
  // Every audio line shown, 48 pixels high, all in view.
  void ShowAllLines() {
    engine.audioPanel.firstShown = 0;
    engine.audioPanel.clientHeight = 1000;
    engine.audioPanel.Layout(engine.rowGap);
  }

  EditView editView;
  EditPlayers editPlayers;
  FakeCollection collection;

 private:
  int serial_ = 0;
};

}  // namespace edittest
