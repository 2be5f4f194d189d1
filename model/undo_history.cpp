#include "model/undo_history.h"

#include <new>

#include "model/film.h"
#include "model/ini.h"
#include "model/message_box.h"
#include "model/ui_strings.h"

int32_t AutosaveEditCount = 0;
bool AutosaveDirty = false;

namespace {

void* DefaultAllocate(std::size_t size) {
  return ::operator new(size, std::nothrow);
}

UndoAllocator allocate = DefaultAllocate;

struct History {
  UndoScript* slots[kUndoSlotCount] = {};
  int32_t current = 0;
  uint32_t pending = 0;
  int32_t depth = kUndoMaxDepth;
  HWND owner = nullptr;
};

History history;

void DeleteSlot(int32_t i) {
  UndoScript* s = history.slots[i];
  history.slots[i] = nullptr;
  delete s;
}

void HoldEffects(TimeLineState& state) {
  if (state.masterEffects) state.masterEffects->AddRef();
  for (auto& line : state.audio) {
    if (line.effects) line.effects->AddRef();
  }
}

// Builds a snapshot; on failure *failedSize is the size that could not be had.
UndoScript* MakeSnapshot(const FilmListHead& films, const MarkList& marks, const TimeLineState& state,
                         int32_t* failedSize) {
  void* memory = allocate(sizeof(UndoScript));
  if (!memory) {
    *failedSize = static_cast<int32_t>(sizeof(UndoScript));
    return nullptr;
  }
  UndoScript* s = new (memory) UndoScript();

  s->marks = marks;
  if (s->marks.Count() != marks.Count()) {
    *failedSize = static_cast<int32_t>(marks.Capacity() * sizeof(Mark));
    delete s;
    return nullptr;
  }
  for (Film* f = films.First(); f; f = f->next) {
    void* room = allocate(sizeof(Film));
    Film* copy = nullptr;
    if (room) {
      try {
        copy = new (room) Film(*f, kKindVideo | kKindAudio | kKindMidi);
      } catch (const std::bad_alloc&) {
        ::operator delete(room);
      }
    }
    if (!copy) {
      *failedSize = static_cast<int32_t>(sizeof(Film));
      delete s;
      return nullptr;
    }
    Film::Append(copy, s->films);
  }

  s->state = state;
  HoldEffects(s->state);
  s->playFileRange = PlayFileRange;
  for (int32_t i = 0; i < kAudioLineCount; ++i) {
    s->lineFileRange[i] = LineFileRange[i];
    s->lineChangedRange[i] = LineChangedRange[i];
  }
  return s;
}

}  // namespace

UndoAllocator SetUndoAllocator(UndoAllocator allocator) {
  UndoAllocator before = allocate;
  allocate = allocator ? allocator : DefaultAllocate;
  return before == DefaultAllocate ? nullptr : before;
}

UndoScript::~UndoScript() {
  films.Clear();
  if (state.masterEffects) state.masterEffects->Release();
  for (auto& line : state.audio) {
    if (line.effects) line.effects->Release();
  }
}

void UndoScript::Mark(uint32_t flags, const MarkList& marks, const TimeLineState& state) {
  history.pending |= flags;
  const uint32_t p = history.pending;
  const bool due = (p & kUndoEdit) || ((p & kUndoClipStep) && (p & kUndoClipGesture)) ||
                   ((p & kUndoDeselect) && (p & kUndoSelectGesture));
  if (!due) return;
  Take(FilmList, marks, state, true);
  ++AutosaveEditCount;
}

bool UndoScript::Take(const FilmListHead& films, const MarkList& marks, const TimeLineState& state,
                      bool push) {
  history.pending = 0;
  int32_t failedSize = 0;
  UndoScript* s = MakeSnapshot(films, marks, state, &failedSize);
  if (!s) {
    ErrorBox(history.owner, kErrNoMemory, GetString(ui_string::kSaveUndoScript), failedSize);
    return false;
  }

  int32_t& current = history.current;
  DeleteSlot(current);
  history.slots[current] = s;
  if (push) {
    if (current == 0) {
      DeleteSlot(kUndoSlotCount - 1);
      DeleteSlot(kUndoSlotCount - 2);
      for (int32_t k = kUndoSlotCount - 2; k > 0; --k) history.slots[k] = history.slots[k - 1];
      history.slots[0] = nullptr;
    } else {
      for (int32_t k = 0; k < current; ++k) DeleteSlot(k);
      --current;
    }
    DeleteSlot(current);
  }
  for (int32_t k = history.depth + 1; k < kUndoSlotCount; ++k) DeleteSlot(k);
  return true;
}

void UndoScript::ClearAll() {
  for (int32_t k = 0; k < kUndoSlotCount; ++k) DeleteSlot(k);
  history.current = 0;
  history.pending = kUndoEdit;
}

void UndoScript::ClearPlayFileRanges() {
  for (UndoScript* s : history.slots) {
    if (s) s->playFileRange = TimeRange{0, 0};
  }
}

void UndoScript::MarkAllDirty() {
  for (UndoScript* s : history.slots) {
    if (s) s->state.modified = 1;
  }
}

void UndoScript::DropSource(bool recheck, VideoSource* video, AudioSource* audio, MidiSource* midi) {
  if (!video && !audio && !midi) return;
  for (UndoScript* s : history.slots) {
    if (!s) continue;
    for (Film* f = s->films.First(); f;) {
      Film* following = f->next;
      if (f->Uses(video, audio, midi) && !(recheck && f->FitToSources(true))) {
        Film::Unlink(f, s->films);
        delete f;
      }
      f = following;
    }
  }
}

void UndoScript::ReleaseSource(VideoSource* video) {
  if (!video) return;
  for (UndoScript* s : history.slots) {
    if (!s) continue;
    for (Film* f = s->films.First(); f; f = f->next) {
      if (f->video != video) continue;
      for (Thumbnail** picture : {&f->inPicture, &f->outPicture}) {
        if (Thumbnail* held = *picture) {
          *picture = nullptr;
          held->Release();
        }
      }
    }
  }
}

uint32_t UndoScript::Pending() {
  return history.pending;
}

void UndoScript::SetPending(uint32_t flags) {
  history.pending = flags;
}

int32_t UndoScript::Depth() {
  return history.depth;
}

void UndoScript::SetDepth(int32_t depth) {
  if (depth > kUndoMaxDepth) depth = kUndoMaxDepth;
  if (depth < kUndoMinDepth) depth = kUndoMinDepth;
  history.depth = depth;
  for (int32_t k = depth + 1; k < kUndoSlotCount; ++k) DeleteSlot(k);
  if (history.current > depth) history.current = depth;
}

void UndoScript::ReadSettings() {
  IniSetSection("TIMELINE");
  SetDepth(IniReadInt("MAX_UNDO", kUndoMaxDepth));
}

int32_t UndoScript::Current() {
  return history.current;
}

UndoScript* UndoScript::Slot(int32_t index) {
  return index >= 0 && index < kUndoSlotCount ? history.slots[index] : nullptr;
}

bool UndoScript::CanUndo() {
  return history.current < history.depth && history.slots[history.current + 1] != nullptr;
}

bool UndoScript::CanRedo() {
  return history.current > 0 && history.slots[history.current - 1] != nullptr;
}

UndoScript* UndoScript::StepOlder() {
  if (!CanUndo()) return nullptr;
  ++history.current;
  history.pending = 0;
  return history.slots[history.current];
}

UndoScript* UndoScript::StepNewer() {
  if (!CanRedo()) return nullptr;
  --history.current;
  history.pending = 0;
  return history.slots[history.current];
}

void UndoScript::SetOwnerWindow(HWND owner) {
  history.owner = owner;
}
