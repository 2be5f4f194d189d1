#include "ui/file_questions.h"

#include <cctype>
#include <cstring>
#include <string>

#include "model/text_format.h"
#include "model/ui_strings.h"
#include "platform/core/files.h"
#include "ui/file_dialogs.h"

namespace {

QuestionDialogRunner* g_runner = nullptr;

void CopyCut(char* out, const char* text) {
  const size_t n = strnlen(text, MAX_PATH - 1);
  std::memmove(out, text, n);
  out[n] = '\0';
}

// Browse for the missing file from its folder; true with the choice in path.
bool Browse(HWND owner, char* path, int filterIndex) {
  SetFileDialogsDirectory(path, filterIndex);
  CopyCut(MediaFileData(kClipFiles).FileName, path);
  if (!AskOpenClip(owner, nullptr)) return false;
  CopyCut(path, MediaFileData(kClipFiles).FileName);
  return true;
}

// Missing or there but unreadable: the user (or the log of an unattended
// run) needs to know which.
std::string WhyNotOpened(const char* path) {
  std::string why = FileOpenProblem(path);
  if (why.empty()) return "The file is there but could not be read: it is damaged or of a kind the program does not read.";
  why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
  return why + ".";
}

int Ask(HWND owner, const char* caption, char* path, int filterIndex, const PathRecord* candidates) {
  if (!g_runner) return kLocateSkip;
  QuestionView view;
  view.resource = candidates ? kSelectFileDialog : kAskFileDialog;
  view.caption = caption ? caption : "";
  view.text = FormatText(GetString(ui_string::kCannotOpenSource), path) + "\n" + WhyNotOpened(path);
  for (const PathRecord* c = candidates; c; c = c->next) view.candidates.push_back(c->path);
  bool browsed = false;
  const QuestionBrowse browse = [&](HWND questionWindow) {
    browsed = Browse(questionWindow, path, filterIndex);
    return browsed;
  };
  int selected = view.candidates.empty() ? -1 : 0;
  for (;;) {
    switch (g_runner->Run(owner, view, &selected, browse)) {
      case 1:
        if (browsed) return kLocateChosen;
        // OK of the list: the selected candidate.
        if (selected < 0 || static_cast<size_t>(selected) >= view.candidates.size()) continue;
        CopyCut(path, view.candidates[selected].c_str());
        return kLocateChosen;
      case kIdSkip:
        return kLocateSkip;
      case kIdSkipAll:
        return kLocateSkipAll;
      default:
        return kLocateCancel;
    }
  }
}

FileQuestions g_questions;

}  // namespace

int BrowseButtonOf(int resource) {
  switch (resource) {
    case kAskFileDialog:
      return IDOK;
    case kSelectFileDialog:
      return kIdBrowseInList;
    default:
      return 0;
  }
}

QuestionDialogRunner* SetQuestionDialogRunner(QuestionDialogRunner* runner) {
  QuestionDialogRunner* before = g_runner;
  g_runner = runner;
  return before;
}

int FileQuestions::AskFile(HWND owner, const char* caption, char* path, int filterIndex) {
  return Ask(owner, caption, path, filterIndex, nullptr);
}

int FileQuestions::SelectFile(HWND owner, const char* caption, char* path, int filterIndex,
                              const PathRecord* candidates) {
  return Ask(owner, caption, path, filterIndex, candidates);
}

void InstallFileQuestions() {
  SetMissingFileQuestions(&g_questions);
}

int AskAddClip(HWND parent, const char* clipName, int* answerForAll) {
  if (!g_runner) return 2;
  QuestionView view;
  view.resource = kAskAddClipDialog;
  view.text = FormatText(GetString(ui_string::kClipAlreadyOpened), clipName ? clipName : "");
  int selected = -1;
  switch (g_runner->Run(parent, view, &selected, nullptr)) {
    case 1:
      return 1;
    case kIdAddAll:
      if (answerForAll) *answerForAll = 1;
      return 1;
    case kIdSkipAll:
      if (answerForAll) *answerForAll = -1;
      return 2;
    default:
      return 2;
  }
}
