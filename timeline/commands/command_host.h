// What the time-line's transport, view, export and tool commands ask of the
// rest of the program: the forced autosave, the audio recorder's window,
// the renders of transitions and the two video writers. The program
// installs its own at start-up; tests install theirs. The defaults stand for
// a program without them: nothing is saved, there is no recorder, no
// transition to render, and the video writers write nothing.
//
// The project frame answers for its tool bar through FrameStepButtons.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

class Film;
class TGadget;
class TGadgetWindow;
struct MixSetup;

class CommandHost {
 public:
  virtual ~CommandHost() = default;
  // Saves the project, the collection and the settings now, whatever the
  // autosave's counters say.
  virtual void ForceAutoSave() {}
  // Whether path names the open project, its collection or an autosave file:
  // what an export must not write over.
  virtual bool IsOpenWorkFile(const char* path) { return false; }

  // Opens the recorder's window for a new WAVE file; owner gets its
  // requests (set cursor, play, stop, the recorded file).
  virtual void RecordAudio(HWND owner) {}
  // The recorder's window is open.
  virtual bool IsRecording() { return false; }
  virtual void CloseRecorder() {}

  // Before the pictures of [start, end) ms on the kept rows are written:
  // the transitions they play are rendered (target: the export's file, for
  // the progress). False when that failed or was cancelled; the user has
  // been told why.
  virtual bool RenderTransitions(HWND owner, const char* caption, const char* target, int32_t start,
                                 int32_t end, const bool rows[2]) {
    return true;
  }
  // An AVI of the segments' pictures recompressed over [start, end) ms,
  // with the sound of the audio engine's mix stream when parts holds audio
  // (the caller has begun the stream). False when nothing whole was written;
  // the writer has told the user why.
  virtual bool Recompress(HWND owner, Film* segments, int32_t parts, int32_t start, int32_t end,
                          const char* path) {
    return false;
  }
  // An MPEG of the same through the outside encoder, which mixes the
  // sound of films itself; frame owns its windows.
  virtual bool ExportMpeg(HWND frame, Film* segments, Film* films, int32_t parts, const MixSetup& mix,
                          int32_t start, int32_t end, const char* path) {
    return false;
  }
};

// Installs host (null: the defaults); returns the one before.
CommandHost* SetCommandHost(CommandHost* host);
CommandHost& CurrentCommandHost();

// The project frame's tool bar as Show video tracks changes it: the frame
// keeps the Previous frame and Next frame buttons for its life and notes
// whether they are in its bar; the time-line puts them in and takes them
// out. The time-line finds it by casting its frame.
class FrameStepButtons {
 public:
  virtual ~FrameStepButtons() = default;
  // Null while the frame has no tool bar.
  virtual TGadgetWindow* ToolBar() = 0;
  virtual TGadget& PreviousFrameButton() = 0;
  virtual TGadget& NextFrameButton() = 0;
  virtual bool FrameStepShown() = 0;
  virtual void SetFrameStepShown(bool shown) = 0;
};

// The project frame's caption as the time-line's modified flag changes. The
// time-line finds it by casting its frame.
class ProjectFrameView {
 public:
  virtual ~ProjectFrameView() = default;
  virtual void ShowProjectModified(bool modified) = 0;
};
