// The MPEG settings dialog driven as a user would: what it offers for each
// content, the codes it gives back, the Video CD's fixed rates and the
// settings it remembers; and its picture on the sdl back-end.
#include "video/export/mpeg_config_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/ini.h"
#include "model/time_code.h"
#include "platform/classlib/classlib.h"
#include "platform/components/mpeg_encoder.h"
#include "resources/mpeg_dialog_ids.h"
#include "support/test_env.h"
#include "ui/dialog_script.h"

using namespace dialogtest;

namespace {

// Opens the drop-down list and clicks its row.
void Choose(HWND dialog, int id, int row) {
  HWND combo = GetDlgItem(dialog, id);
  Click(dialog, id);
  COMBOBOXINFO info;
  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
  ASSERT_TRUE(IsWindowVisible(info.hwndList)) << "the list of " << id << " did not open";
  const int height = static_cast<int>(SendMessage(combo, CB_GETITEMHEIGHT, 0, 0));
  const int top = static_cast<int>(SendMessage(combo, CB_GETTOPINDEX, 0, 0));
  GuiClick(info.hwndList, 20, (row - top) * height + height / 2);
  Pump(dialog);
}

std::vector<std::string> Rows(HWND dialog, int id) {
  HWND combo = GetDlgItem(dialog, id);
  std::vector<std::string> rows;
  const int n = static_cast<int>(SendMessage(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char text[64] = {};
    SendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    rows.emplace_back(text);
  }
  return rows;
}

int Row(HWND dialog, int id) {
  return static_cast<int>(SendMessage(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0));
}

bool Enabled(HWND dialog, int id) {
  return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

class MpegConfigDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok());
    IniSetSection("DVMPEG");
  }
  // Runs the dialog with step answering it; the values it gives back.
  struct Result {
    bool ok = false;
    int32_t width = -7, height = -7, type = -7, format = -7, videoRate = -7, audioRate = -7;
  };
  Result Run(uint32_t content, int32_t channels, const std::function<void(HWND)>& step) {
    Result r;
    r.width = 320;
    r.height = 240;
    ModalScript script({[&](HWND d) {
      Pump(d);
      step(d);
    }});
    r.ok = RunMpegConfigDialog(nullptr, content, channels, &r.width, &r.height, &r.type, &r.format,
                               &r.videoRate, &r.audioRate);
    EXPECT_TRUE(script.done());
    return r;
  }

  ScopedSettingsHome home_;
};

TEST_F(MpegConfigDialogTest, SoundAloneOffersOnlyTheAudioRate) {
  const Result r = Run(kMpegContentAudio, 2, [](HWND d) {
    EXPECT_EQ(Rows(d, kMpegType), (std::vector<std::string>{"Audio only"}));
    for (int id : {kMpegType, kMpegFormat, kMpegVideoBitRate, kMpegWidth, kMpegHeight})
      EXPECT_FALSE(Enabled(d, id)) << id;
    EXPECT_TRUE(Enabled(d, kMpegAudioBitRate));
    EXPECT_EQ(ItemText(d, kMpegVideoBitRate), "0");
    // The rates of both channels.
    const std::vector<std::string> rates = Rows(d, kMpegAudioBitRate);
    ASSERT_EQ(rates.size(), 10u);
    EXPECT_EQ(rates.front(), "64 000 bps");
    EXPECT_EQ(rates.back(), "384 000 bps");
    EXPECT_EQ(Row(d, kMpegAudioBitRate), 6);  // the default
    Choose(d, kMpegAudioBitRate, 3);
    Click(d, IDOK);
  });
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.type, kMpegAudioOnly);
  EXPECT_EQ(r.width, 0);
  EXPECT_EQ(r.height, 0);
  EXPECT_EQ(r.videoRate, 0);
  EXPECT_EQ(r.audioRate, 128);  // 64 kbit/s a channel
  EXPECT_EQ(IniReadInt("MPEG_ABITRATE", -1), 3);
  EXPECT_EQ(IniReadInt("MPEG_FORMAT", -1), -1);
}

TEST_F(MpegConfigDialogTest, PicturesAloneOfferNoAudioRate) {
  const Result r = Run(kMpegContentVideo, 2, [](HWND d) {
    EXPECT_EQ(Rows(d, kMpegType), (std::vector<std::string>{"Video only"}));
    EXPECT_FALSE(Enabled(d, kMpegType));
    EXPECT_FALSE(Enabled(d, kMpegAudioBitRate));
    EXPECT_EQ(Rows(d, kMpegAudioBitRate), (std::vector<std::string>{"0"}));
    EXPECT_EQ(Rows(d, kMpegFormat),
              (std::vector<std::string>{"FILM 23.976", "FILM 24", "PAL 25", "NTSC 29.97", "NTSC 30"}));
    EXPECT_EQ(ItemText(d, kMpegVideoBitRate), "1125");
    EXPECT_EQ(ItemText(d, kMpegWidth), "320");
    EXPECT_EQ(ItemText(d, kMpegHeight), "240");
    Choose(d, kMpegFormat, 2);
    TypeOver(d, kMpegVideoBitRate, "1500");
    TypeOver(d, kMpegWidth, "352");
    TypeOver(d, kMpegHeight, "288");
    Click(d, IDOK);
  });
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.type, kMpegVideoOnly);
  EXPECT_EQ(r.format, 3);  // the row + 1
  EXPECT_EQ(r.videoRate, 1500 * 1024);
  EXPECT_EQ(r.audioRate, 0);
  EXPECT_EQ(r.width, 352);
  EXPECT_EQ(r.height, 288);
  EXPECT_EQ(IniReadInt("MPEG_FORMAT", -1), 2);
  EXPECT_EQ(IniReadInt("MPEG_VBITRATE", -1), 1500);
  EXPECT_EQ(IniReadInt("MPEG_ABITRATE", -1), -1);
}

// Until a format was chosen once, the dialog offers the project's own.
TEST_F(MpegConfigDialogTest, TheFormatFollowsTheProjectUntilOneIsChosen) {
  const float before = ProjectFrameRate();
  const std::pair<float, int> cases[] = {{23.976f, 0}, {24.0f, 1}, {25.0f, 2},
                                         {29.97f, 3},  {30.0f, 4}, {12.5f, 3}};
  for (const auto& [fps, row] : cases) {
    ASSERT_TRUE(SetProjectFrameRate(fps));
    int shown = -1;
    Run(kMpegContentVideo | kMpegContentAudio, 2, [&](HWND d) {
      shown = Row(d, kMpegFormat);
      Click(d, IDCANCEL);
    });
    EXPECT_EQ(shown, row) << fps;
  }
  // A chosen format is kept for the next export, whatever the project.
  ASSERT_TRUE(SetProjectFrameRate(25.0f));
  Run(kMpegContentVideo, 2, [](HWND d) {
    Choose(d, kMpegFormat, 4);
    Click(d, IDOK);
  });
  int shown = -1;
  Run(kMpegContentVideo, 2, [&](HWND d) {
    shown = Row(d, kMpegFormat);
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(shown, 4);
  SetProjectFrameRate(before);
}

TEST_F(MpegConfigDialogTest, TheTypeOfAStreamWithBothGivesItsCode) {
  struct Case {
    const char* what;
    int channels;
    int row;
    const char* height;
    int32_t type;
  };
  const Case cases[] = {
      {"system stream", 2, 0, "288", kMpegSystem},
      {"program stream of 288 lines", 2, 1, "288", kMpegProgram},
      {"program stream of 240 lines", 1, 1, "240", kMpegProgramSif},
      {"Video CD", 2, 2, "288", kMpegVideoCd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result r = Run(kMpegContentVideo | kMpegContentAudio, c.channels, [&](HWND d) {
      Choose(d, kMpegFormat, 0);
      Choose(d, kMpegType, c.row);
      TypeOver(d, kMpegHeight, c.height);
      Click(d, IDOK);
    });
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.type, c.type);
    EXPECT_EQ(r.height, std::atoi(c.height));
    EXPECT_EQ(IniReadInt("MPEG_STREAM", -1), c.row);
  }
}

// Video CD plays at fixed rates: the dialog sets them and holds them while
// it is chosen; it is offered only for stereo sound.
TEST_F(MpegConfigDialogTest, AVideoCdHasItsRatesFixed) {
  IniWriteInt("MPEG_FORMAT", 0);
  IniWriteInt("MPEG_VBITRATE", 3000);
  IniWriteInt("MPEG_ABITRATE", 1);
  const Result r = Run(kMpegContentVideo | kMpegContentAudio, 2, [](HWND d) {
    EXPECT_EQ(Rows(d, kMpegType), (std::vector<std::string>{"System stream", "Program stream", "Video CD"}));
    Choose(d, kMpegType, 2);
    EXPECT_EQ(ItemText(d, kMpegVideoBitRate), "1125");
    EXPECT_EQ(Row(d, kMpegAudioBitRate), 6);
    for (int id : {kMpegFormat, kMpegVideoBitRate, kMpegAudioBitRate}) EXPECT_FALSE(Enabled(d, id)) << id;
    Choose(d, kMpegType, 0);
    for (int id : {kMpegFormat, kMpegVideoBitRate, kMpegAudioBitRate}) EXPECT_TRUE(Enabled(d, id)) << id;
    Choose(d, kMpegType, 2);
    Click(d, IDOK);
  });
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.type, kMpegVideoCd);
  EXPECT_EQ(r.format, 4);
  EXPECT_EQ(r.videoRate, 1125 * 1024);
  EXPECT_EQ(r.audioRate, 224);
  EXPECT_EQ(IniReadInt("MPEG_STREAM", -1), 2);
  EXPECT_EQ(IniReadInt("MPEG_FORMAT", -1), 3);
  EXPECT_EQ(IniReadInt("MPEG_VBITRATE", -1), 1125);
  EXPECT_EQ(IniReadInt("MPEG_ABITRATE", -1), 6);

  // Mono sound: no Video CD, and a remembered Video CD falls back to the first row.
  Run(kMpegContentVideo | kMpegContentAudio, 1, [](HWND d) {
    EXPECT_EQ(Rows(d, kMpegType), (std::vector<std::string>{"System stream", "Program stream"}));
    EXPECT_EQ(Row(d, kMpegType), 0);
    EXPECT_EQ(Rows(d, kMpegAudioBitRate).front(), "32 000 bps");
    Key(d, VK_ESCAPE);
  });
}

TEST_F(MpegConfigDialogTest, ValuesOutOfRangeAreHeldToTheirLimits) {
  IniWriteInt("MPEG_STREAM", 9);
  IniWriteInt("MPEG_FORMAT", -3);
  IniWriteInt("MPEG_ABITRATE", 40);
  const Result r = Run(kMpegContentVideo | kMpegContentAudio, 1, [](HWND d) {
    EXPECT_EQ(Row(d, kMpegType), 0);  // the Video CD it names is not offered for mono
    EXPECT_EQ(Row(d, kMpegFormat), 0);
    EXPECT_EQ(Row(d, kMpegAudioBitRate), 9);
    TypeOver(d, kMpegWidth, "5000");
    TypeOver(d, kMpegHeight, "3");
    TypeOver(d, kMpegVideoBitRate, "99999");
    Click(d, IDOK);
  });
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.width, 1024);
  EXPECT_EQ(r.height, 16);
  EXPECT_EQ(r.videoRate, 20000 * 1024);
  EXPECT_EQ(r.type, kMpegSystem);
  EXPECT_EQ(r.format, 1);
  EXPECT_EQ(r.audioRate, 192);
}

TEST_F(MpegConfigDialogTest, CancelChangesNothing) {
  IniWriteInt("MPEG_FORMAT", 1);
  const Result r = Run(kMpegContentVideo | kMpegContentAudio, 2, [](HWND d) {
    Choose(d, kMpegFormat, 4);
    TypeOver(d, kMpegWidth, "640");
    Click(d, IDCANCEL);
  });
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.width, 320);
  EXPECT_EQ(r.type, -7);
  EXPECT_EQ(r.format, -7);
  EXPECT_EQ(IniReadInt("MPEG_FORMAT", -1), 1);
}

std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

// The dialog as the display shows it (under Xvfb with KOBRIX_GUI=sdl).
TEST(MpegDialogShot, TheSettingsOfAStreamWithBoth) {
  ScopedSettingsHome home;
  auto frame = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
  ASSERT_TRUE(frame->Create());
  frame->Show(SW_SHOW);
  GuiPumpMessages();
  int32_t width = 352, height = 288, type = 0, format = 0, videoRate = 0, audioRate = 0;
  ModalScript script({[](HWND d) {
    Pump(d);
    EXPECT_TRUE(GuiSaveScreenshot(d, ShotPath("mpeg_settings")));
    Key(d, VK_ESCAPE);
  }});
  RunMpegConfigDialog(frame->GetHandle(), kMpegContentVideo | kMpegContentAudio, 2, &width, &height, &type,
                      &format, &videoRate, &audioRate);
  EXPECT_TRUE(script.done());
  frame.reset();
  GuiPumpMessages();
}

}  // namespace
