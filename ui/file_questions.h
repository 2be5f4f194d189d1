// The questions asked while a project or a collection is loaded or a clip is
// added: a missing file (browse, skip, skip all, cancel), a choice among
// files of the same name found in remembered folders, and a clip added
// twice.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/path_record.h"
#include "platform/core/types.h"
#include "resources/resource_ids.h"

// What one question dialog shows.
struct QuestionView {
  int resource = 0;
  std::string caption;                  // empty: the template's own
  std::string text;                     // the text 1375
  std::vector<std::string> candidates;  // list box 1724
};

// The Browse button of a question: called with the question's window as
// the owner of what it shows; true ends the question with 1.
using QuestionBrowse = std::function<bool(HWND owner)>;

// The id of the Browse button of a question dialog (0: it has none).
int BrowseButtonOf(int resource);

// Shows a question dialog until one of its buttons other than Browse ends
// it; returns that button's id (2 when the dialog is closed otherwise).
// Browse runs browse while the question stays up. *selected is the list
// selection, in and out (-1: none). The dialog layer installs the real one.
class QuestionDialogRunner {
 public:
  virtual ~QuestionDialogRunner() = default;
  virtual int Run(HWND parent, const QuestionView& view, int* selected, const QuestionBrowse& browse) = 0;
};

// Installs runner (null: none, every question is skipped); returns the one
// before.
QuestionDialogRunner* SetQuestionDialogRunner(QuestionDialogRunner* runner);

// The missing-file questions on the installed runner. Browse runs the clip
// dialog from the missing file's folder; when the user cancels it the
// question stays. OK of the list takes the selected candidate.
class FileQuestions : public MissingFileQuestions {
 public:
  int AskFile(HWND owner, const char* caption, char* path, int filterIndex) override;
  int SelectFile(HWND owner, const char* caption, char* path, int filterIndex,
                 const PathRecord* candidates) override;
};

// Makes FileQuestions the questions LocateMediaFile asks.
void InstallFileQuestions();

// A clip already in the collection is added again: 1 add it, 2 do not.
// "Add all" sets *answerForAll to 1, "Skip all" to -1.
int AskAddClip(HWND parent, const char* clipName, int* answerForAll);
