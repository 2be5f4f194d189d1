// A file chooser and a question runner that answer from scripts.
#pragma once

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/file_dialogs.h"
#include "ui/file_questions.h"
#include "ui/te_file_dialogs.h"

namespace filetest {

// The program's real file choosers in place of whatever was installed.
class RealChooser {
 public:
  RealChooser() : before_(SetFileChooser(nullptr)) { InstallFileChooser(); }
  ~RealChooser() { SetFileChooser(before_); }

 private:
  FileChooser* before_;
};

class ScriptedChooser : public FileChooser {
 public:
  struct Answer {
    ChooserResult result;
    std::string fileName;
    int filterIndex;
  };
  struct Call {
    FileChooserKind kind;
    std::string title, directory, fileName;
    DWORD flags;
    int filterIndex;
    HWND addTarget;
  };
  ScriptedChooser() { before_ = SetFileChooser(this); }
  ~ScriptedChooser() override { SetFileChooser(before_); }

  ChooserResult Run(FileChooserKind kind, HWND, const FileData& data, const char* title, HWND addTarget,
                    FileChoice& choice) override {
    calls.push_back(
        {kind, title ? title : "", data.InitialDir, data.FileName, data.Flags, data.FilterIndex, addTarget});
    if (during) during();
    if (answers.empty()) return ChooserResult::kCancel;
    Answer a = answers.front();
    answers.pop_front();
    std::strncpy(choice.fileName, a.fileName.c_str(), MAX_PATH - 1);
    choice.filterIndex = a.filterIndex;
    return a.result;
  }

  std::deque<Answer> answers;
  std::vector<Call> calls;
  // Runs while the dialog is up.
  std::function<void()> during;

 private:
  FileChooser* before_;
};

// Presses the scripted buttons of each question in turn; Browse runs the
// question's browse and ends the question only when it answers true.
class ScriptedRunner : public QuestionDialogRunner {
 public:
  struct Answer {
    int id;
    int selected;  // -1 keeps the selection
  };
  ScriptedRunner() { before_ = SetQuestionDialogRunner(this); }
  ~ScriptedRunner() override { SetQuestionDialogRunner(before_); }

  int Run(HWND, const QuestionView& view, int* selected, const QuestionBrowse& browse) override {
    views.push_back(view);
    selectedOnEntry.push_back(*selected);
    while (!answers.empty()) {
      Answer a = answers.front();
      answers.pop_front();
      if (a.selected >= 0) *selected = a.selected;
      if (a.id != BrowseButtonOf(view.resource)) return a.id;
      ++browses;
      if (browse && browse(nullptr)) return 1;
    }
    return 2;
  }

  std::deque<Answer> answers;
  std::vector<QuestionView> views;
  std::vector<int> selectedOnEntry;
  int browses = 0;

 private:
  QuestionDialogRunner* before_;
};

// Puts the seven records back as they were made.
class RecordsGuard {
 public:
  RecordsGuard() {
    for (int k = 0; k < kMediaFileKinds; ++k) saved_.push_back(MediaFileData(static_cast<MediaFileKind>(k)));
  }
  ~RecordsGuard() {
    for (int k = 0; k < kMediaFileKinds; ++k) MediaFileData(static_cast<MediaFileKind>(k)) = saved_[k];
  }

 private:
  std::vector<FileData> saved_;
};

}  // namespace filetest
