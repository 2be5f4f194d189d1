#include "model/message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Box {
  std::string text;
  std::string caption;
  UINT flags;
};

class ScriptedBoxes : public MessageBoxPresenter {
 public:
  ScriptedBoxes() { SetMessageBoxPresenter(this); }
  ~ScriptedBoxes() override { SetMessageBoxPresenter(nullptr); }
  int Show(HWND, const std::string& text, const std::string& caption, UINT flags) override {
    boxes.push_back({text, caption, flags});
    return answer;
  }
  void Beep(UINT) override { ++beeps; }
  std::vector<Box> boxes;
  int beeps = 0;
  int answer = IDOK;
};

}  // namespace

TEST(ErrorBox, CodesThatAreNeverShown) {
  ScriptedBoxes script;
  for (int code : {0, 17, 18, 34, -1}) ErrorBox(nullptr, code, "T", "x");
  for (int code : {0, 17, 18, 34}) ErrorBoxPlain(nullptr, code, "T");
  EXPECT_TRUE(script.boxes.empty());
  EXPECT_EQ(script.beeps, 0);
}

TEST(ErrorBox, FormatsTheCodeTextUnderTheTitle) {
  ScriptedBoxes script;
  ErrorBox(nullptr, 19, "Title", "x");
  ASSERT_EQ(script.boxes.size(), 1u);
  EXPECT_EQ(script.boxes[0].text, "Can not read file 'x'");
  EXPECT_EQ(script.boxes[0].caption, "Title");
  EXPECT_EQ(script.boxes[0].flags, MB_ICONEXCLAMATION | MB_OK);
  EXPECT_EQ(script.beeps, 1);
}

TEST(ErrorBox, NullTitleOnlyBeepsAndPlainDefaultsToError) {
  ScriptedBoxes script;
  ErrorBox(nullptr, 6, nullptr, "f");
  EXPECT_TRUE(script.boxes.empty());
  EXPECT_EQ(script.beeps, 1);
  ErrorBoxPlain(nullptr, 6, nullptr);
  ASSERT_EQ(script.boxes.size(), 1u);
  EXPECT_EQ(script.boxes[0].caption, "ERROR");
  EXPECT_EQ(script.boxes[0].text, "File has invalid format");
}

TEST(ErrorBox, LongTextsAreCut) {
  ScriptedBoxes script;
  ErrorBox(nullptr, 24, "T", std::string(3000, 'p'));
  ASSERT_EQ(script.boxes.size(), 1u);
  EXPECT_EQ(script.boxes[0].text.size(), kMessageTextLimit);
}

TEST(ShowMessage, ReturnsThePressedButton) {
  ScriptedBoxes script;
  script.answer = IDYES;
  EXPECT_EQ(ShowMessage(nullptr, "Q", MB_YESNO | MB_ICONQUESTION, "Save '%s'?", "a.tml"), IDYES);
  EXPECT_EQ(script.boxes.at(0).text, "Save 'a.tml'?");
}
