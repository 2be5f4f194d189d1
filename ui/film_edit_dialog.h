// "Clip Properties": a clip's name, the stretch of its source it shows (in,
// out) and its place on the time-line (start), within the room its
// neighbours leave. The three times are linked: each change limits the
// other two so that the clip never leaves its source, never becomes empty
// and never leaves the room. A video clip's times move in whole frames; its
// in or out frame can be watched on the video output while editing, and
// with the key-frame alignment setting OK first moves it to the nearest key
// frame.
#pragma once

#include <cstdint>

#include "platform/classlib/controls.h"
#include "ui/te_dialog.h"

class Film;
class TimeLinePlayers;
class TimeCodeEdit;
class FileNameControl;

// The program-wide key-frame alignment setting: the time-line window turns
// it on when it is made, the video settings page sets it; off until then.
bool& KeyFrameAlignment();

class FilmEditDialog : public TEDialog {
 public:
  // film changes only on OK. earliestStart and latestEnd: the room on the
  // time-line. showFrame: the program's setting to show the in or out frame
  // while editing (written on OK when the box could be used). players: the
  // video output to show frames on (null: none).
  FilmEditDialog(TWindow* parent, Film* film, int32_t earliestStart, int32_t latestEnd, bool* showFrame,
                 TimeLinePlayers* players);
  void SetupWindow() override;
  bool CanClose() override;

 protected:
  void EvInChange();
  void EvOutChange();
  void EvStartChange();

 private:
  bool FrameUnit() const;
  int32_t Align(int32_t t) const;
  int32_t AddUnit(int32_t t) const;
  int32_t SubUnit(int32_t t) const;
  int32_t Stop() const;
  void LimitIn();
  void LimitOut();
  void LimitStart();
  void ShowSize();
  void ShowStop();
  bool CanShowFrames() const;
  void ShowFrame(int32_t ms);
  // Moves in (and start with it) to the nearest key frame the room allows;
  // false when it stays.
  bool AlignToKeyFrame();

  Film* film;
  TimeLinePlayers* players;
  int32_t in;
  int32_t out;
  int32_t start;
  int32_t sourceLength = 0;
  int32_t earliestStart;
  int32_t latestEnd;
  bool* showFrame;
  TimeCodeEdit* inEdit;
  TimeCodeEdit* outEdit;
  TimeCodeEdit* startEdit;
  TCheckBox* showFrameBox;
  TEdit* name;
  FileNameControl* fileName;

  DECLARE_RESPONSE_TABLE(FilmEditDialog);
};

// Makes, runs and deletes the dialog, owned by any window (null: none);
// true on OK, with film changed. The check box and the frames go through
// players (null: none).
bool RunFilmEditDialog(HWND parent, Film& film, int32_t earliestStart, int32_t latestEnd, bool& showFrame,
                       TimeLinePlayers* players);
