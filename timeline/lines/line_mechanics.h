// What the clip lines (the video rows, the audio lines, the MIDI line) share,
// so that a clip answers the mouse alike on every line:
//   - the cursor of each hit zone, and the zones that come before a clip's
//     own parts (playing, the play-cursor line, folded rows, the rubber band);
//   - the mark and the edges under the pointer, the status line for them;
//   - making a clip the only selected one;
//   - a drag's bookkeeping: one undo step per drag, the modified flag, the
//     overview strip every eleventh step (one count for all lines);
//   - scrolling while a drag leaves the window (timer 1 at 100 ms, or a step
//     per move with the pointer carried along);
//   - where a clip dragged from the collection lands, and its black bar;
//   - painting a row: gaps, small holes and small clips, and on each clip its
//     borders, mark triangles with names, and its name;
//   - the commands on a clip's marks, the double-click's play and toggle,
//     the nudge keys and the external editor's menu text.
// Each line keeps its own state (pointer film, zone, anchor) and calls these.
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/classlib/dc.h"
#include "platform/classlib/geometry.h"
#include "platform/core/types.h"
#include "timeline/lines/hit_zone.h"

class EffectList;
class Film;
class MainTimeLineWindow;
class TWindow;

// ---- Hit zones.

// The cursor resource of a zone; 0 for the system arrow.
int ZoneCursorId(int32_t zone);
// Makes zone the stored one, and its cursor the line window's class cursor
// and the current one.
void SetHitCursor(MainTimeLineWindow& timeline, TWindow& line, int32_t& stored, int32_t zone);
// The zones that come before a clip's own parts, in their order: playing,
// the play-cursor line (over no clip, or anywhere when the current time is
// taken over clips), a folded row, the rubber band (Shift or multiselection
// unless keys are ignored), no clip. -1 when the clip under x decides.
int32_t LeadingZone(MainTimeLineWindow& timeline, int x, const Film* film, int32_t zoom, bool rubberBand);
// The same where what lies under x is not a film (the transitions).
int32_t LeadingZone(MainTimeLineWindow& timeline, int x, bool overItem, int32_t zoom, bool rubberBand);
// A left press (client point p, keys) on one of those zones: playing stops,
// no clip clears the selection and starts the rubber band, the rubber band
// starts, the play-cursor line routes the range click. False for any other
// zone: the line handles it.
bool PressLeadingZone(MainTimeLineWindow& timeline, TWindow& line, int32_t zone, UINT keys, const TPoint& p);
// The time under client x, one less when that time's own x lies right of x.
int32_t TimeUnder(MainTimeLineWindow& timeline, int x);
// The mark of film nearest to time-line time t within the snap distance,
// -1 when none.
int32_t MarkNear(MainTimeLineWindow& timeline, const Film& film, int32_t t);
// Whether y is on the marks of a row whose last pixel row is rowBottom.
bool OnMarkRow(int y, int rowBottom);
// The trim zones of a clip wider than 14 pixels near its edges, else the
// clip's body.
int32_t EdgeZone(MainTimeLineWindow& timeline, const Film& film, int x);
// The status line for a zone: the clip, its start, its end or the mark;
// empty for any other zone.
void DescribeZone(MainTimeLineWindow& timeline, const Film* film, int32_t zone, int32_t mark);

// ---- Selection.

// Makes film the only clip of the current selection group (one undo step
// when others leave the group) and redraws it.
void SelectOnly(MainTimeLineWindow& timeline, Film* film);
// The Shift double-click: film joins the group, then every clip of the line
// starting after t changes sides; one undo step; all lines redrawn when
// anything changed.
void ToggleLaterClips(MainTimeLineWindow& timeline, Film* film, int32_t mask, int32_t line, int32_t t);
// Whether a line window drags a clip, its edge or its mark now.
bool AnyLineDragging(MainTimeLineWindow& timeline);
// The plain double-click: plays the clips of the active lines once, from
// the later of their start and t to the earlier of their end and
// rightTime; nothing when there are none.
void PlayFromPointer(MainTimeLineWindow& timeline, int32_t t, int32_t rightTime);

// ---- Drags.

// Whether film is one of the project's clips (a pointer kept across
// messages may have gone with an undo).
bool OnTimeLine(const Film* film);
// After film's in point moved: the picture the video player prepares for a
// cut into the new first frame replaces the old one.
void RenewStartPicture(MainTimeLineWindow& timeline, Film* film);

// The nearest film before film in the list (after it, with after) that
// shares one of its lines: it limits trims. Null when none.
Film* LimitingNeighbour(const Film& film, bool after);
// After a drag of film's start (startEdge) or end: the new edge's picture
// is made again at the next paint and the clip's rendered effects are
// stale; line is redrawn.
void FinishEdgeDrag(MainTimeLineWindow& timeline, TWindow& line, Film* film, bool startEdge);
// After clips were moved: the overview follows, and clips released over
// the clip collection (screen point) are handed to it (true: the move was
// taken back for them).
bool FinishMoveDrag(MainTimeLineWindow& timeline, const TPoint& screen);
// A press that may start a drag: the undo step waits for its first change,
// and the overview count starts again.
void BeginClipDrag();
// The release: nothing of the drag is pending any more.
void EndClipDrag();
// Before a drag step changes the project: its undo report (the drag's one
// step is taken before its first change) and the modified flag.
void MarkDragChange(MainTimeLineWindow& timeline);
// After a changing step: the overview strip follows every eleventh step.
void CountDragStep(MainTimeLineWindow& timeline);
// The overview strip at once (a clip changed rows), then again in ten steps.
void RedrawOverviewNow(MainTimeLineWindow& timeline);
// The time under x of a drag, moved onto the nearest mark within the
// gravity distance when gravity aligns to marks (filter as
// SnapToNearestEdge takes it).
int32_t DragTime(MainTimeLineWindow& timeline, int x, int32_t filter);
// The step of a nudge key (Left or Right): 1, 10 with Shift, 100 with Ctrl,
// signed; 0 for other keys.
int32_t NudgeStep(int vk);

// Scrolling while a drag has the pointer outside the line window.
class DragScroll {
 public:
  // After a drag step at client x: with AUTO_SCROLL off, a point outside
  // scrolls one step and the pointer moves with the content; with it on,
  // timer 1 starts.
  void Follow(MainTimeLineWindow& timeline, TWindow& line, int x);
  // The same for the audio lines, which also scroll up and down by a line
  // when y is above or below the window; lines counts the line steps taken
  // (down positive).
  void Follow(MainTimeLineWindow& timeline, TWindow& line, int x, int y, int32_t& lines);
  // Timer 1: one step towards the pointer. False once the pointer is back
  // inside: the timer has stopped. at: the pointer in client coordinates.
  bool Tick(MainTimeLineWindow& timeline, TWindow& line, TPoint& at);
  // The audio lines' tick: across and up or down, counting line steps.
  bool Tick(MainTimeLineWindow& timeline, TWindow& line, TPoint& at, int32_t& lines);
  void Stop(TWindow& line);
  bool Running() const { return running_; }

 private:
  bool running_ = false;
};

// ---- Drops from the clip collection.

// Where a clip dropped on a line lands. time: asked for, on the line's grid.
struct DropRequest {
  int32_t time = 0;
  int32_t length = 0;   // ms
  bool frames = false;  // lengths and edges in whole frames (video)
  bool adjust = true;   // may move to fit (else: as asked or nothing)
  int32_t mask = 0;     // the line: kKind... and its number
  int32_t line = 0;
  int32_t snapDistance = 0;  // ms a start may lie inside the clip before
};
struct DropPlace {
  int32_t start = 0;
  int32_t end = 0;
  bool shortened = false;  // cut to the gap it fills
};
// False when the clip has no place there.
bool PlaceDrop(const DropRequest& request, DropPlace& place);
// The end of a clip of length ms put at start (frames: on whole frames).
int32_t DropEnd(int32_t start, int32_t length, bool frames);
// The answer for a drop that lands at place: time becomes its start, the
// screen point moves to that start's x (y: the pointer's client row), and an
// adjusted drop's cursor tells whether the clip was shortened.
void AnswerDrop(MainTimeLineWindow& timeline, TWindow& line, const DropPlace& place, int y, bool adjust,
                POINT& screen, int32_t& time, int32_t& cursorId);

// The black bar where a dragged clip would land.
class DropMark {
 public:
  // Shows rect (client pixels) of line filled black.
  void Show(TWindow& line, const TRect& rect, int32_t row);
  // The bar from time-line time start to end, from top to bottom.
  void ShowSpan(MainTimeLineWindow& timeline, TWindow& line, int32_t start, int32_t end, int top, int bottom,
                int32_t row);
  // Takes a shown bar off the screen.
  void Erase(TWindow& line);
  bool shown = false;
  TRect rect;
  int32_t row = 0;
};

// ---- Painting.

// x held just outside [0, width], far enough that nothing drawn from it
// reaches in, so that sums with it cannot overflow.
int HoldX(int64_t x, int width);
// One row of clips of mask and line over paint (row: its full rectangle):
// gaps in rowBrush, gaps narrower than 2 pixels in the small-hole colour
// (at least one pixel), clips narrower than 3 pixels as small boxes, every
// other clip by drawClip with its rectangle.
using ClipPainter = std::function<void(TDC& dc, const TRect& clip, Film& film)>;
void PaintClipRow(TDC& dc, MainTimeLineWindow& timeline, const TRect& row, const TRect& paint, int32_t mask,
                  int32_t line, HBRUSH rowBrush, const ClipPainter& drawClip);
// The gap of a row from x to the item starting at start (the one before it
// ended at prevEnd): rowBrush, or the small-hole colour when the gap is
// narrower than 2 pixels (then at least a pixel wide). Returns the item's x.
int FillRowGap(TDC& dc, MainTimeLineWindow& timeline, const TRect& row, int x, int32_t prevEnd, int32_t start,
               HBRUSH rowBrush);
// The brush and the name colour of a clip's selection state.
HBRUSH ClipBrush(MainTimeLineWindow& timeline, const Film& film);
COLORREF ClipNameColor(const Film& film);
// The vertical borders at clip.left and clip.right - 1.
void DrawClipBorders(TDC& dc, const TRect& clip);
// The marks of film inside its stretch: triangles on the bottom with their
// names beside them, active or passive by the gravity group.
void DrawClipMarks(TDC& dc, MainTimeLineWindow& timeline, const TRect& clip, const Film& film);
// The clip's name from x to the clip's right edge, at its top.
void DrawClipName(TDC& dc, const TRect& clip, int x, const Film& film);

// ---- Commands on a clip's marks (one undo step each, modified, redrawn).

// A mark at source time; the clip's lines redrawn around menuX. False when
// a mark has that time already.
bool AddClipMark(MainTimeLineWindow& timeline, Film* film, int32_t sourceTime, int menuX);
void RemoveClipMark(MainTimeLineWindow& timeline, Film* film, int32_t mark);
// The mark's name, or its time within the clip, asked of the user.
void RenameClipMark(MainTimeLineWindow& timeline, HWND owner, Film* film, int32_t mark);
void PlaceClipMark(MainTimeLineWindow& timeline, HWND owner, Film* film, int32_t mark);
// Splits film at time-line time t when t lies inside it; nothing without a
// film.
void SplitClipAt(MainTimeLineWindow& timeline, HWND owner, Film* film, int32_t t);
// Opens the external editor of command on film's file: its video, else its
// MIDI, else its sound. Nothing without a film or a file.
void LaunchClipEditor(MainTimeLineWindow& timeline, Film* film, int command);

// The dialogs the lines' commands ask with: the "Edit Name" and "Edit
// Time" dialogs of the marks, the level popups, the tempo dialog, the
// transition choice and the effect-list dialog, by default the program's.
// Where the program's dialog does not exist yet a question counts as
// cancelled. Tests install their own.
class LineDialogs {
 public:
  virtual ~LineDialogs() = default;
  // text (size bytes) edited under caption; true on OK.
  virtual bool EditName(HWND owner, const char* caption, char* text, int size);
  // time edited under caption within [lo, hi]; true on OK.
  virtual bool EditTime(HWND owner, const char* caption, int32_t& time, int32_t lo, int32_t hi);
  // The "Volume", "Balance" and "Vol.,Bal." popups at (x, y) of owner's
  // client area: they write every change through the pointers at once
  // (gain2 and balance2 take the same value) and repaint rect; Cancel puts
  // the opening values back. True on OK.
  virtual bool EditLevel(HWND owner, const char* caption, const RECT& rect, int x, int y, int32_t* gain,
                         int32_t* gain2);
  virtual bool EditBalance(HWND owner, const char* caption, const RECT& rect, int x, int y, int32_t* balance,
                           int32_t* balance2);
  virtual bool EditVolumeBalance(HWND owner, const char* caption, const RECT& rect, int x, int y,
                                 int32_t* gain, int32_t* balance);
  // The "Tempo" dialog: beats per minute within [lo, hi], offering
  // standard; true on OK with the chosen value.
  virtual bool EditTempo(HWND owner, int32_t& bpm, int32_t standard, int32_t lo, int32_t hi);
  // The "VideoFX Selection" dialog over a transition's kind and parameter;
  // true on OK with both chosen.
  virtual bool SelectTransition(HWND owner, int32_t& kind, uint32_t& parameter);
  // The effect-list dialog on a clip's list, which it edits in place; true
  // on OK.
  virtual bool EditEffects(HWND owner, EffectList* list, Film* film);
};
// Installs dialogs (null: the program's); returns the ones before.
LineDialogs* SetLineDialogs(LineDialogs* dialogs);
LineDialogs& CurrentLineDialogs();

// A menu item naming an external editor: "label (name)" with the program's
// file name without folder and extension.
std::string EditorItemText(const char* label, const char* path);

// ---- The lines' popup menus, built with their items' states.

// An item of UI string text.
void AppendMenuItem(HMENU menu, int command, int text, bool enabled = true);
void AppendSeparator(HMENU menu);
// The menu over empty space: add a source file, and the selection's
// clipboard commands.
HMENU MakeSpaceMenu(MainTimeLineWindow& timeline);
// The "Edit" submenu of a clip: its clipboard commands, its external
// editor (greyed without a path) and its properties.
HMENU MakeClipEditMenu(MainTimeLineWindow& timeline, int editorCommand, int editorText,
                       const char* editorPath);
// "Add mark", or over a mark the "Mark" submenu.
void AppendMarkItems(HMENU menu, bool onMark);
