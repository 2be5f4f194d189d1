// The question dialogs of a load or of adding a clip: a missing media file,
// files of the same name to choose from, and a clip added twice. They show
// what FileQuestions and AskAddClip put in a QuestionView and end with the
// id of the button that answered; Browse runs the caller's browse while the
// question stays up.
#pragma once

#include "platform/classlib/controls.h"
#include "ui/file_questions.h"
#include "ui/te_dialog.h"

class TQuestionDialog : public TEDialog {
 public:
  // view and selected must outlive the dialog; selected is the list's
  // selection (-1: none).
  TQuestionDialog(TWindow* parent, int resId, const QuestionView& view, int* selected, QuestionBrowse browse);
  void SetupWindow() override;

 protected:
  void CmBrowse();
  void CmSkip();
  void CmSkipAll();

  const QuestionView& view;
  int* selected;
  QuestionBrowse browse;

  DECLARE_RESPONSE_TABLE(TQuestionDialog);
};

// Browse (1), Skip, Skip All, Cancel.
class AskFileDialog : public TQuestionDialog {
 public:
  AskFileDialog(TWindow* parent, const QuestionView& view, QuestionBrowse browse);

  DECLARE_RESPONSE_TABLE(AskFileDialog);
};

// The candidates in a list (the selection preselected, else the first); OK
// takes the selected one, Browse, Skip, Skip All, Cancel.
class SelectFileDialog : public TQuestionDialog {
 public:
  SelectFileDialog(TWindow* parent, const QuestionView& view, int* selected, QuestionBrowse browse);
  void SetupWindow() override;

 protected:
  void CmChoose();
  void EvSelChange();

  TListBox* list;

  DECLARE_RESPONSE_TABLE(SelectFileDialog);
};

// Yes (1), No (2), Add all, Skip all.
class AskAddClipDialog : public TQuestionDialog {
 public:
  AskAddClipDialog(TWindow* parent, const QuestionView& view);

 protected:
  void CmAddAll();

  DECLARE_RESPONSE_TABLE(AskAddClipDialog);
};

// Makes the question dialogs the ones FileQuestions and AskAddClip show,
// and FileQuestions the questions of LocateMediaFile.
void InstallQuestionDialogs();
