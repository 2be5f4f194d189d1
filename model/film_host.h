// What the Film model asks of the windows around it (the time-line window,
// the clip collection, the status bar) and of the undo history. The
// time-line's engine (TimeLineEngine) is the host the program installs; it
// keeps the zoom, the gains, gravity, redraws and the modified flag, and the
// time-line window adds the collection. Tests install their own. The
// defaults stand for a program without windows: a one-to-one zoom, unity
// gains, gravity off and no collection; the undo history is the
// program-wide one.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

class Film;
class VideoSource;
class AudioSource;
class MidiSource;
class ClipItem;

class FilmHost {
 public:
  virtual ~FilmHost() = default;

  // The time-line's zoom: pixels for a time and the time of a pixel.
  virtual int32_t TimeToPixels(int32_t ms);
  virtual int32_t PixelsToTime(int32_t pixels);

  // Mixer values: gain indexes (512 = unity) and pans (-256..256).
  virtual int32_t LineGain(int32_t line);
  virtual int32_t LinePan(int32_t line);
  virtual int32_t MasterGain();
  virtual int32_t MasterPan();

  // Gravity: the mode (0 = off) and the group (0 = all).
  virtual int32_t GravityAlign();
  virtual int32_t GravityGroup();

  // The status line of the project frame.
  virtual void ShowStatusText(const char* text);
  // Redraw request for a film's strip on its lines.
  virtual void InvalidateClip(Film* film);
  virtual void SetModified(bool modified);

  // The clip collection (none by default).
  virtual int32_t GetClipCount();
  virtual ClipItem* GetClip(int32_t index);
  // Takes clip index out of the collection; the caller deletes it.
  virtual ClipItem* DetachClip(int32_t index);
  virtual void LayoutClips();
  virtual void SetClipsModified(bool modified);
  // Re-reads a clip after its source changed; false when it cannot.
  virtual bool RefreshClip(int32_t index);
  // Deletes a clip, lays out and marks the collection modified.
  virtual void DeleteClip(int32_t index);

  // The undo history (UndoScript::ClearAll and UndoScript::DropSource).
  virtual void ClearUndo();
  virtual void DropUndoSource(bool recheck, VideoSource* video, AudioSource* audio, MidiSource* midi);
};

// Installs host (null: the defaults); returns the one before.
FilmHost* SetFilmHost(FilmHost* host);
FilmHost& CurrentFilmHost();
