// A message-box presenter for one scope: keeps every box it is shown and
// answers each with the same button.
#pragma once

#include <string>
#include <vector>

#include "model/message_box.h"

class RecordingBoxes : public MessageBoxPresenter {
 public:
  explicit RecordingBoxes(int answer = IDOK) : answer(answer) { previous_ = SetMessageBoxPresenter(this); }
  ~RecordingBoxes() override { SetMessageBoxPresenter(previous_); }
  RecordingBoxes(const RecordingBoxes&) = delete;
  RecordingBoxes& operator=(const RecordingBoxes&) = delete;

  int Show(HWND, const std::string& text, const std::string& caption, UINT flags) override {
    shown.push_back({text, caption, flags});
    return answer;
  }
  void Beep(UINT) override {}

  struct Box {
    std::string text, caption;
    UINT flags;
  };
  std::vector<Box> shown;
  int answer;

 private:
  MessageBoxPresenter* previous_;
};
