#include "ui/audio_format_dialogs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dialog_script.h"
#include "fake_shell.h"
#include "file_chooser_script.h"
#include "platform/classlib/classlib.h"
#include "resources/resource_ids.h"
#include "resources/setup_dialog_ids.h"
#include "ui/te_file_dialogs.h"

using namespace dialogtest;

namespace {

class AudioFormats : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    GuiPumpMessages();
  }
  void TearDown() override {
    frame_.reset();
    ExportAudioType() = 0;
    AdvancedAudioType() = 4;
    SetExportTypeChooser(nullptr);
    GuiPumpMessages();
  }
  HWND owner() const { return frame_->GetHandle(); }

  std::unique_ptr<TFrameWindow> frame_;
  FakeShell shell_;
};

TEST_F(AudioFormats, TheConvertQuestionProposesTheProjectFormatInItsForm) {
  struct Case {
    const char* what;
    bool compressed;
    uint16_t channels, bits;
    bool wantMono, want8Bit;
  };
  const Case cases[] = {
      {"mono 8-bit", false, 1, 8, true, true},
      {"20 bits propose 16", false, 2, 20, false, false},
      {"a compressed file", true, 2, 16, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    uint16_t channels = c.channels, bits = c.bits;
    std::string caption, text, rate;
    bool mono = false, eight = false, hasNo = false;
    ModalScript script({[&](HWND d) {
      caption = Text(d);
      text = ItemText(d, kConvertText);
      rate = ItemText(d, kConvertRate);
      mono = Checked(d, kConvertMono);
      eight = Checked(d, kConvert8Bit);
      hasNo = GetDlgItem(d, kConvertAnswerNo) != nullptr;
      // Changed, then cancelled.
      Click(d, c.wantMono ? kConvertStereo : kConvertMono);
      Click(d, IDCANCEL);
    }});
    EXPECT_EQ(RunAskConvertDialog(owner(), c.compressed, "/media/voice.wav", 44100, &channels, &bits),
              IDCANCEL);
    EXPECT_EQ(caption, "Convert Audio");
    EXPECT_EQ(text, c.compressed
                        ? "The program does not work with compressed audio!\n"
                          "Do you want to decomress '/media/voice.wav'?"
                        : "File '/media/voice.wav' sound parameters\ndiffer from those of the current "
                          "project.\nDo you want to convert the file to the project parameters?");
    EXPECT_EQ(rate, "44100");
    EXPECT_EQ(mono, c.wantMono);
    EXPECT_EQ(eight, c.want8Bit);
    EXPECT_EQ(hasNo, !c.compressed);
    EXPECT_EQ(channels, c.channels);
    EXPECT_EQ(bits, c.bits);
  }
}

TEST_F(AudioFormats, YesAndNoBothStoreTheChoice) {
  const struct {
    int button;
    int wantResult;
  } cases[] = {{IDOK, IDOK}, {kConvertAnswerNo, kConvertAnswerNo}};
  for (const auto& c : cases) {
    uint16_t channels = 2, bits = 16;
    ModalScript script({[&](HWND d) {
      Click(d, kConvertMono);
      Click(d, kConvert8Bit);
      Click(d, c.button);
    }});
    EXPECT_EQ(RunAskConvertDialog(owner(), false, "/media/voice.wav", 22050, &channels, &bits), c.wantResult);
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(bits, 8);
  }
}

TEST_F(AudioFormats, TheExportTypeOpensOnItsRadioAndOkTakesTheCheckedOne) {
  const struct {
    int type;
    int wantRadio;
  } cases[] = {{0, kAudioTypeDefault},
               {3, kAudioTypeFirst + 2},
               {7, kAudioTypeFirst + 6},
               {9, kAudioTypeDefault},
               {-1, kAudioTypeDefault}};
  for (const auto& c : cases) {
    int type = c.type;
    int checked = 0;
    ModalScript script({[&](HWND d) {
      EXPECT_EQ(Text(d), "Export Audio Type");
      for (int id = kAudioTypeDefault; id <= kAudioTypeFirst + 6;
           id = id == kAudioTypeDefault ? kAudioTypeFirst : id + 1)
        if (Checked(d, id)) checked = id;
      Click(d, kAudioTypeFirst + 4);  // 32-bit 24.0 float
      Click(d, IDOK);
    }});
    EXPECT_TRUE(RunSelect32AudioDialog(owner(), &type));
    EXPECT_EQ(checked, c.wantRadio) << c.type;
    EXPECT_EQ(type, 5);
  }
  int type = 2;
  ModalScript script({[&](HWND d) {
    Click(d, kAudioTypeDefault);
    Click(d, IDOK);
  }});
  EXPECT_TRUE(RunSelect32AudioDialog(owner(), &type));
  EXPECT_EQ(type, 0);
}

TEST_F(AudioFormats, TheWideSampleTypeIsOneOfFourToSeven) {
  const struct {
    int setting;
    int wantRadio;
    int click;  // 0: none
    bool ok;
    int want;
  } cases[] = {
      {6, kAudioTypeFirst + 5, kAudioTypeFirst + 6, true, 7},
      {2, kAudioTypeFirst + 3, 0, true, 4},
      {5, kAudioTypeFirst + 4, kAudioTypeFirst + 6, false, 5},
  };
  for (const auto& c : cases) {
    AdvancedAudioType() = c.setting;
    bool checked = false, offersDefault = true;
    ModalScript script({[&](HWND d) {
      EXPECT_EQ(Text(d), "Advanced Audio Format");
      checked = Checked(d, c.wantRadio);
      offersDefault = GetDlgItem(d, kAudioTypeDefault) != nullptr;
      if (c.click != 0) Click(d, c.click);
      Click(d, c.ok ? IDOK : IDCANCEL);
    }});
    EXPECT_EQ(RunSelect24AudioDialog(owner()), c.ok);
    EXPECT_TRUE(checked) << c.setting;
    EXPECT_FALSE(offersDefault);
    EXPECT_EQ(AdvancedAudioType(), c.want);
  }
}

TEST_F(AudioFormats, OptionsInTheAudioSaveDialogChoosesTheExportType) {
  filetest::RealChooser real;
  filetest::RecordsGuard records;
  SetExportTypeChooser(RunSelect32AudioDialog);
  std::string before, after;
  bool defaultChecked = false;
  auto panelText = [](HWND chooser) {
    for (HWND c = GetWindow(chooser, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
      if (GetDlgItem(c, kExportFormatText) != nullptr) return c;
    return static_cast<HWND>(nullptr);
  };
  ModalScript script({
      [&](HWND chooser) {
        HWND panel = panelText(chooser);
        ASSERT_NE(panel, nullptr);
        before = ItemText(panel, kExportFormatText);
        Click(panel, kExportOptions);
        after = ItemText(panel, kExportFormatText);
        Key(chooser, VK_ESCAPE);
      },
      [&](HWND types) {
        defaultChecked = Checked(types, kAudioTypeDefault);
        Click(types, kAudioTypeFirst + 6);
        Click(types, IDOK);
      },
  });
  EXPECT_FALSE(AskSave32Audio(MediaFileData(kWaveFiles), owner(), "Export Wave"));
  EXPECT_TRUE(script.done());
  EXPECT_TRUE(defaultChecked);
  EXPECT_EQ(ExportAudioType(), 7);
  EXPECT_NE(after.find("32-bit (normalized float)"), std::string::npos) << after;
  EXPECT_EQ(before.find("32-bit (normalized float)"), std::string::npos) << before;
}

}  // namespace
