// "Configure external applications": the paths of the four base tools of the
// Tools menu (volume control, video editor, MIDI editor, audio editor) and
// of five more with names of their own, each of which may be given the
// selected clip's file. Browse picks a program with the tools' own file
// record; OK writes every buffer, Cancel none.
#pragma once

#include "platform/classlib/controls.h"
#include "ui/te_dialog.h"

struct FileData;

constexpr int kToolBaseCount = 4;  // volume control, video, MIDI, audio editor
constexpr int kToolExtraCount = 5;
constexpr int kToolNameSize = 128;

// The file record of the tools' Browse (every file: programs have no
// extension of their own here); its folder is the one the time-line keeps
// in its settings (TOOLS, DIRECTORY).
FileData& ToolsFileData();

class ToolConfigureDialog : public TEDialog {
 public:
  // basePaths: the four base tools in the order above; then the five
  // additional tools' paths, names and "+ clip file" switches.
  ToolConfigureDialog(TWindow* parent, char (*basePaths)[MAX_PATH], char (*extraPaths)[MAX_PATH],
                      char (*extraNames)[kToolNameSize], bool* extraClip);
  void SetupWindow() override;
  bool CanClose() override;

 protected:
  void CmBrowse(WPARAM id);

 private:
  char (*basePaths)[MAX_PATH];
  char (*extraPaths)[MAX_PATH];
  char (*extraNames)[kToolNameSize];
  bool* extraClip;
  TEdit* basePath[kToolBaseCount];
  TCheckBox* baseClip[kToolBaseCount];
  TEdit* extraPath[kToolExtraCount];
  TEdit* extraName[kToolExtraCount];
  TCheckBox* extraClipBox[kToolExtraCount];

  DECLARE_RESPONSE_TABLE(ToolConfigureDialog);
};

bool RunToolConfigureDialog(HWND parent, char (*basePaths)[MAX_PATH], char (*extraPaths)[MAX_PATH],
                            char (*extraNames)[kToolNameSize], bool* extraClip);
