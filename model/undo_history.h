// The undo history: snapshots of the whole editable state, so that Undo and
// Redo swap whole states instead of reversing single operations.
//
// Edits never take snapshots themselves. Each reports change bits to
// UndoScript::Mark just before it changes the project, and Mark takes a
// snapshot when the pending bits call for one:
//   16       a discrete edit (every command, dialog change and drop);
//   2 then 1 a clip gesture: the line window writes 2 at mouse-down, every
//            step of the drag reports 1;
//   8 then 4 a deselection: 8 is written around it, each film that leaves
//            the selection reports 4.
// Taking a snapshot clears the pending bits, so a gesture that changes the
// project many times makes one undo step; the line windows write 0 on
// mouse-up.
//
// The slots: slot[current] stands for the present state (empty until an Undo
// stores it there); slots above it hold older states, the nearest first;
// slots below it hold the states Redo returns to, the nearest at current - 1.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/changed_ranges.h"
#include "model/film_list.h"
#include "model/mark_list.h"
#include "model/timeline_state.h"
#include "platform/core/types.h"

// Pending change bits.
constexpr uint32_t kUndoClipStep = 1;
constexpr uint32_t kUndoClipGesture = 2;
constexpr uint32_t kUndoDeselect = 4;
constexpr uint32_t kUndoSelectGesture = 8;
constexpr uint32_t kUndoEdit = 16;

constexpr int32_t kUndoSlotCount = 101;
constexpr int32_t kUndoMaxDepth = 100;
constexpr int32_t kUndoMinDepth = 3;

// One snapshot: its own copies of every Film (sharing the reference-counted
// sources), of the project's marks and of the time-line's state, with one
// reference on each effect list the state names.
class UndoScript {
 public:
  UndoScript() = default;
  ~UndoScript();
  UndoScript(const UndoScript&) = delete;
  UndoScript& operator=(const UndoScript&) = delete;

  FilmListHead films;
  MarkList marks;
  TimeLineState state;  // state.modified is the project's modified flag
  TimeRange playFileRange;
  TimeRange lineFileRange[kAudioLineCount];
  TimeRange lineChangedRange[kAudioLineCount];

  // Reports a change that is about to happen; takes a snapshot of FilmList,
  // marks and state when the pending bits call for one.
  static void Mark(uint32_t flags, const MarkList& marks, const TimeLineState& state);
  // Makes a snapshot and stores it in slot[current]; with push the history
  // moves on by one step (dropping the Redo states, or the oldest state).
  // On failure the error box of code 2 is shown, the slots stay as they
  // were and false is returned; the pending bits are cleared either way.
  static bool Take(const FilmListHead& films, const MarkList& marks, const TimeLineState& state, bool push);
  // Empties every slot; the next reported change takes a snapshot whatever
  // its bits.
  static void ClearAll();
  // The play file was remixed: no snapshot may claim its old contents.
  static void ClearPlayFileRanges();
  // The project was saved: every older state differs from the file.
  static void MarkAllDirty();
  // Removes from every snapshot the films using any of the sources (null
  // matches nothing); with recheck, a film that fits its reloaded source
  // again stays.
  static void DropSource(bool recheck, VideoSource* video, AudioSource* audio, MidiSource* midi);
  // Drops the pictures that snapshot films of a video source hold.
  static void ReleaseSource(VideoSource* video);

  static uint32_t Pending();
  static void SetPending(uint32_t flags);
  static int32_t Depth();
  // Clamped to 3..100.
  static void SetDepth(int32_t depth);
  // MAX_UNDO of the TIMELINE section (default 100).
  static void ReadSettings();

  static int32_t Current();
  static UndoScript* Slot(int32_t index);
  static bool CanUndo();
  static bool CanRedo();
  // Moves current one step older (Undo) or newer (Redo) and clears the
  // pending bits; returns the snapshot to restore, null when the step is
  // not possible.
  static UndoScript* StepOlder();
  static UndoScript* StepNewer();

  // The window that owns the error box of a failed snapshot.
  static void SetOwnerWindow(HWND owner);
};

// The allocator of snapshots and their film copies: memory from
// ::operator new, or null when there is none. Tests install one that runs
// out; null restores the default.
using UndoAllocator = void* (*)(std::size_t size);
UndoAllocator SetUndoAllocator(UndoAllocator allocator);

// The application's autosave bookkeeping: one edit is counted per snapshot
// taken through Mark, and the dirty flag is set with the project's modified
// flag. The application's autosave reads and resets both.
extern int32_t AutosaveEditCount;
extern bool AutosaveDirty;
