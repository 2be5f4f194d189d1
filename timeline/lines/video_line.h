// The two video rows: each clip with its first and last pictures, its name
// and its marks; selected, moved in time and between the rows, trimmed
// (the start onto key frames), its marks moved; the place shown where a
// clip dragged from the collection would land; and the clip's popup menu.
//
// The class is split by concern:
//   lines/video_line.cpp           the window, painting
//   lines/video_line_mouse.cpp     hit test, presses, drags, keys, drop feedback
//   lines/video_line_commands.cpp  the popup menu and its commands
// What the audio and MIDI lines share with it is in line_window.h and
// line_mechanics.h.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "timeline/lines/line_window.h"

class ClipItem;
class Film;
struct TrackRecord;

class TVideoLine : public TClipLine {
 public:
  TVideoLine(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  // The shared thumbnail palette is realised in the window while it exists.
  void SetupWindow() override;
  void Destroy(int retVal = 0) override;
  bool Find(TEventInfo& info) override;

  // ---- Painting (video_line.cpp).
  void Paint(TDC& dc, bool erase, TRect& rect) override;
  void PaintRow(TDC& dc, const TRect& row, int32_t rowIndex, const TRect& paint);
  void DrawClip(TDC& dc, const TRect& clip, Film& film, const TRect& paint);
  // The idle redraw of a clip: video clips are always drawn whole, so
  // there is nothing left to draw.
  bool DrawPendingClip(Film* film);

  // ---- The mouse and the keys (video_line_mouse.cpp).
  // Finds the row, clip, mark and zone under p (client) and shows its cursor.
  void HitTest(UINT keys, const TPoint& p, bool ignoreKeys) override;
  // Drag steps go by frames.
  void DragTo(int x, int y) override;
  // A key pressed while this window drags (the time-line passes them on).
  void OnDragKey(int vk);
  void DrawDropFeedback(int32_t start, int32_t end, int32_t row) override;
  // The row the bar shows, for the drop.
  int32_t DropTargetLine() const override { return drop_.row; }

  // ---- The popup menu's commands (video_line_commands.cpp).
  // Whether the frame shown at film's in point is a key frame.
  bool InIsKeyFrame(Film* film);
  // Frames from the in point to the next key frame inside the clip, and
  // back to the key frame before it within reach; 0 when none.
  int32_t NextKeyFrameOffset(Film* film);
  int32_t PrevKeyFrameOffset(Film* film);

  int32_t PointerRow() const { return pointerLine_; }
  int32_t AnchorFrame() const { return anchorFrame_; }

  // The first and last frames of clips are shown.
  bool showEdges = true;

 private:
  static const std::vector<TResponseTableEntry>& MouseEntries();
  static const std::vector<TResponseTableEntry>& CommandEntries();

  // video_line.cpp
  // The thumbnails of the film at zoom step, made when missing or stale.
  void RefreshPictures(TDC& dc, Film& film, int32_t zoom);
  // The row of client y: 0 down to row 0's bottom, else 1.
  int32_t RowAt(int y) const;
  const TrackRecord& Row(int32_t row) const;

  // video_line_mouse.cpp
  void EvMouseMove(UINT keys, const TPoint& p);
  void EvLButtonDown(UINT keys, const TPoint& p);
  void TrimStart(int32_t d) override;
  void TrimEnd(int32_t d) override;
  void MoveMark(int32_t d) override;
  void MoveClips(int32_t d, int y) override;
  // A drop needs a picture that plays as it is; it goes on whole frames.
  bool TakesDrop(const ClipItem& clip) override;
  int32_t DropTime(int32_t time, bool adjust) override;
  int32_t DropLineAt(int y) override;
  bool FreeDropLine(const DropPlace& place, int32_t& row) override;
  // The still of the film's frame at a source time: owner shows a codec's
  // complaint, none stays quiet during drags.
  void ShowStill(Film* film, int32_t sourceTime, bool owner);

  // video_line_commands.cpp
  void AppendClipItems(HMENU menu, Film& film) override;
  const char* EditorPath() override;
  // On a frame.
  int32_t MenuTime() override;
  void PasteTarget(int32_t& videoRow, int32_t& audioLine) override;
  void CmAddMark();
  void CmInToNextKeyFrame();
  void CmInToPrevKeyFrame();
  // Moves film's in point (and start) by frames, one undo step.
  void ShiftIn(Film* film, int32_t frames);

  int32_t anchorFrame_ = 0;
};
