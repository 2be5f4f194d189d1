#include "ui/tool_configure_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "dialog_script.h"
#include "fake_shell.h"
#include "file_chooser_script.h"
#include "platform/classlib/classlib.h"
#include "resources/setup_dialog_ids.h"

using namespace dialogtest;

namespace {

// The nineteen buffers of the Tools settings.
struct Tools {
  char base[kToolBaseCount][MAX_PATH] = {"/usr/bin/mixer", "/opt/video/cutter", "/opt/midi/seq",
                                         "/opt/audio/wave"};
  char paths[kToolExtraCount][MAX_PATH] = {"/opt/one/First", "/opt/two/Second"};
  char names[kToolExtraCount][kToolNameSize] = {"First", "Second"};
  bool clip[kToolExtraCount] = {true, false, false, false, true};

  bool Run(HWND owner) { return RunToolConfigureDialog(owner, base, paths, names, clip); }
  bool operator==(const Tools& o) const {
    return std::memcmp(base, o.base, sizeof base) == 0 && std::memcmp(paths, o.paths, sizeof paths) == 0 &&
           std::memcmp(names, o.names, sizeof names) == 0 && std::memcmp(clip, o.clip, sizeof clip) == 0;
  }
};

class ToolsDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    GuiPumpMessages();
  }
  void TearDown() override {
    frame_.reset();
    GuiPumpMessages();
  }
  HWND owner() const { return frame_->GetHandle(); }

  std::unique_ptr<TFrameWindow> frame_;
  FakeShell shell_;
  filetest::ScriptedChooser chooser_;
  Tools tools_;
};

TEST_F(ToolsDialog, TheBaseToolsShowByRoleAndBrowseNamesAnAdditionalOne) {
  chooser_.answers.push_back({ChooserResult::kOk, "/opt/tools/Editor", 1});
  std::string volume, video, midi, audio, path, name;
  bool volumeClip = true, audioClip = false;
  ModalScript script({[&](HWND d) {
    EXPECT_EQ(Text(d), "Configure external applications");
    volume = ItemText(d, kToolVolumePath);
    video = ItemText(d, kToolVideoPath);
    midi = ItemText(d, kToolMidiPath);
    audio = ItemText(d, kToolAudioPath);
    volumeClip = Checked(d, kToolVolumeClip);
    audioClip = Checked(d, kToolAudioClip);
    Click(d, ToolExtraBrowse(1));
    path = ItemText(d, ToolExtraPath(1));
    name = ItemText(d, ToolExtraName(1));
    Click(d, IDOK);
  }});
  EXPECT_TRUE(tools_.Run(owner()));
  EXPECT_EQ(volume, "/usr/bin/mixer");
  EXPECT_EQ(video, "/opt/video/cutter");
  EXPECT_EQ(midi, "/opt/midi/seq");
  EXPECT_EQ(audio, "/opt/audio/wave");
  EXPECT_FALSE(volumeClip);
  EXPECT_TRUE(audioClip);
  // The chooser starts on the row's program, under its own title.
  ASSERT_EQ(chooser_.calls.size(), 1u);
  EXPECT_EQ(chooser_.calls[0].title, "Application File Name");
  EXPECT_EQ(chooser_.calls[0].fileName, "/opt/two/Second");
  EXPECT_EQ(path, "/opt/tools/Editor");
  EXPECT_EQ(name, "Editor");
  EXPECT_STREQ(tools_.paths[1], "/opt/tools/Editor");
  EXPECT_STREQ(tools_.names[1], "Editor");
  EXPECT_STREQ(tools_.base[1], "/opt/video/cutter");
}

TEST_F(ToolsDialog, OkNamesAProgramWithoutANameAndTakesTheSwitches) {
  ModalScript script({[&](HWND d) {
    TypeOver(d, ToolExtraPath(2), "/opt/tools/Mixer.bin");
    TypeOver(d, ToolExtraName(3), "Notes");
    TypeOver(d, ToolExtraName(0), "");
    TypeOver(d, kToolAudioPath, "/usr/local/bin/wave");
    Click(d, ToolExtraClip(0));
    Click(d, ToolExtraClip(2));
    Click(d, IDOK);
  }});
  EXPECT_TRUE(tools_.Run(owner()));
  EXPECT_STREQ(tools_.names[2], "Mixer");
  EXPECT_STREQ(tools_.paths[2], "/opt/tools/Mixer.bin");
  EXPECT_STREQ(tools_.names[3], "Notes");  // a name without a program stays
  EXPECT_STREQ(tools_.paths[3], "");
  EXPECT_STREQ(tools_.names[0], "First");  // emptied, named again after its program
  EXPECT_STREQ(tools_.base[3], "/usr/local/bin/wave");
  EXPECT_FALSE(tools_.clip[0]);
  EXPECT_TRUE(tools_.clip[2]);
  EXPECT_TRUE(tools_.clip[4]);
}

TEST_F(ToolsDialog, CancelLeavesEveryBuffer) {
  chooser_.answers.push_back({ChooserResult::kOk, "/opt/tools/Editor", 1});
  const Tools before = tools_;
  ModalScript script({[&](HWND d) {
    for (int id : {kToolVolumePath, kToolVideoPath, kToolMidiPath, kToolAudioPath}) TypeOver(d, id, "/x");
    for (int r = 0; r < kToolExtraCount; ++r) {
      TypeOver(d, ToolExtraName(r), "n");
      TypeOver(d, ToolExtraPath(r), "/p");
      Click(d, ToolExtraClip(r));
    }
    Click(d, kToolVolumeBrowse);
    EXPECT_EQ(ItemText(d, kToolVolumePath), "/opt/tools/Editor");
    Click(d, IDCANCEL);
  }});
  EXPECT_FALSE(tools_.Run(owner()));
  EXPECT_TRUE(tools_ == before);
}

}  // namespace
