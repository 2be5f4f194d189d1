#include "clips/clip_pages.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "clips/clip_collection.h"
#include "clips/clip_window.h"
#include "collection_fixture.h"
#include "model/time_code.h"
#include "platform/gui/gui_driver.h"
#include "resources/settings_dialog_ids.h"
#include "support/sheet_tabs.h"
#include "ui/dialog_script.h"
#include "ui/time_code_edit.h"

using namespace dialogtest;

namespace cliptest {
namespace {

class ClipPagesTest : public CollectionTest {
 protected:
  void SetUp() override {
    CollectionTest::SetUp();
    before_ = SetClipPropertySheet(&pages_);
  }
  void TearDown() override {
    SetClipPropertySheet(before_);
    SetProjectTimeFormat(kTimeFormatMs);
    CollectionTest::TearDown();
  }
  ClipData& AddClip(const std::string& path) {
    EXPECT_TRUE(collection_->AddFile(path.c_str(), -1, 0)) << path;
    GuiPumpMessages();
    return collection_->Tile(collection_->TileCount() - 1)->clip;
  }
  // Opens the properties of the last tile on the page titled tab.
  bool RunOn(const char* tab, std::function<void(HWND sheet, HWND page)> step,
             std::deque<ModalScript::Step> nested = {}) {
    nested.push_front([tab, step](HWND sheet) {
      const int index = SheetTabIndex(sheet, tab);
      if (index >= 0) SendMessage(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
      Pump(sheet);
      step(sheet, reinterpret_cast<HWND>(SendMessage(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)));
    });
    ModalScript script(std::move(nested));
    return collection_->ShowClipProperties(collection_->TileCount() - 1);
  }
  static TimeCodeEdit* Edit(HWND page, int id) {
    return dynamic_cast<TimeCodeEdit*>(TWindow::GetWindowPtr(GetDlgItem(page, id)));
  }

  ClipPropertyPages pages_;
  ClipPropertySheet* before_ = nullptr;
};

// In and Out stay a step apart: one frame, or 1 ms in millisecond display.
TEST_F(ClipPagesTest, InAndOutStayAStepApart) {
  Open();
  ClipData& clip = AddClip(Avi("a.avi", 25, 25.0, false));
  clip.inTime = 200;
  clip.outTime = 600;
  struct Case {
    int format;
    int32_t inMax, outMin;
  };
  for (const Case& c : {Case{kTimeFormatMs, 599, 201}, Case{kTimeFormatFrames, 560, 240}}) {
    SetProjectTimeFormat(c.format);
    int32_t inMax = -1, outMin = -1, outMax = -1;
    std::string unit;
    RunOn("General", [&](HWND sheet, HWND page) {
      inMax = Edit(page, kClipIn)->GetMax();
      outMin = Edit(page, kClipOut)->GetMin();
      outMax = Edit(page, kClipOut)->GetMax();
      unit = ItemText(page, kClipInUnit);
      Click(sheet, IDCANCEL);
    });
    EXPECT_EQ(inMax, c.inMax) << c.format;
    EXPECT_EQ(outMin, c.outMin) << c.format;
    EXPECT_EQ(outMax, 1000) << c.format;
    EXPECT_EQ(unit, c.format == kTimeFormatMs ? "ms" : "fr");
  }
}

TEST_F(ClipPagesTest, TheGeneralPageNamesTheClipAndTellsOfItsFile) {
  Open();
  const std::string path = Wave("tone.wav", 1000);
  ClipData& clip = AddClip(path);
  const std::string longName(127, 'n');
  std::string size, created;
  EXPECT_TRUE(RunOn("General", [&](HWND sheet, HWND page) {
    size = ItemText(page, kClipFileSize);
    created = ItemText(page, kClipCreated);
    TypeOver(page, kClipNameEdit, longName.c_str());
    Click(sheet, IDOK);
  }));
  EXPECT_NE(size, "---");
  EXPECT_FALSE(created.empty());
  EXPECT_EQ(std::string(clip.name), longName);

  // The file gone, its facts show "---"; the rest still shows.
  ASSERT_EQ(unlink(path.c_str()), 0);
  std::string name;
  std::vector<std::string> facts;
  EXPECT_FALSE(RunOn("General", [&](HWND sheet, HWND page) {
    for (int id : {kClipFileSize, kClipCreated, kClipModified}) facts.push_back(ItemText(page, id));
    name = ItemText(page, kClipNameEdit);
    Click(sheet, IDCANCEL);
  }));
  EXPECT_EQ(facts, std::vector<std::string>(3, "---"));
  EXPECT_EQ(name, longName);
}

TEST_F(ClipPagesTest, UnusingTheAudioKeepsTheSource) {
  Open();
  ClipData& clip = AddClip(Wave("mono.wav", 1000, 22050, 1));
  std::string channels, rate;
  RunOn("Audio", [&](HWND sheet, HWND page) {
    channels = ItemText(page, kClipChannels);
    rate = ItemText(page, kClipSampleRate);
    Click(page, kClipUseAudio);
    Click(sheet, IDOK);
  });
  EXPECT_EQ(channels, "mono");
  EXPECT_EQ(rate, "22050");
  EXPECT_EQ(clip.kind & kClipAudio, 0u);
  EXPECT_NE(clip.audio, nullptr);
}

// The codec is named by the compressor installed for the file's handler
// code, or the code is shown with unprintable characters as blanks.
TEST_F(ClipPagesTest, TheVideoPageNamesTheCodec) {
  Open();
  ClipData& clip = AddClip(Avi("v.avi", 10, 25.0, false));
  auto* avi = dynamic_cast<AVIVideoData*>(clip.video);
  ASSERT_NE(avi, nullptr);
  struct Case {
    FOURCC code;
    bool known;
    std::string name;
  };
  const Case cases[] = {
      {0, false, "Uncompressed"},
      {mmioFOURCC('Z', 'q', 0x01, '9'), false, "Unknown 'Zq 9'"},
      {mmioFOURCC('M', 'J', 'P', 'G'), true, ""},
  };
  for (const Case& c : cases) {
    avi->streamHeader.fccHandler = c.code;
    std::string name, shortName;
    RunOn("Video", [&](HWND sheet, HWND page) {
      name = ItemText(page, kClipCodecName);
      shortName = ItemText(page, kClipCodecShort);
      Click(sheet, IDCANCEL);
    });
    if (c.known) {
      EXPECT_FALSE(name.empty());
      EXPECT_FALSE(shortName.empty());
    } else {
      EXPECT_EQ(name, c.name);
    }
  }
}

// The rate is compared in thousandths: the rate shown changes nothing; a
// new one rescales the clips of the source, each time keeping its frame.
TEST_F(ClipPagesTest, ANewFrameRateRescalesTheClips) {
  Open();
  ClipData& clip = AddClip(Avi("ntsc.avi", 30, 29.97003, false));
  ASSERT_NE(clip.video, nullptr);
  const float rate = clip.video->GetFrameRate();
  ASSERT_NEAR(rate, 29.97003f, 0.0001f);
  const int32_t frames = MsToFrames(clip.outTime, rate);
  std::string shown;
  bool editable = false;
  RunOn("Video", [&](HWND sheet, HWND page) {
    shown = ItemText(page, kClipFrameRate);
    editable = IsWindowEnabled(GetDlgItem(page, kClipFrameRate)) != FALSE;
    TypeOver(page, kClipFrameRate, "29.970");
    Click(sheet, IDOK);
  });
  EXPECT_EQ(shown, "29.970");
  ASSERT_TRUE(editable);
  EXPECT_EQ(clip.video->GetFrameRate(), rate);

  RunOn("Video", [&](HWND sheet, HWND page) {
    TypeOver(page, kClipFrameRate, "30");
    Click(sheet, IDOK);
  });
  EXPECT_EQ(clip.video->GetFrameRate(), 30.0f);
  EXPECT_EQ(clip.outTime, FramesToMs(frames, 30.0f));
}

// The face follows the bar at once; Apply makes it the clip's, Cancel not.
TEST_F(ClipPagesTest, TheFrameBarChoosesTheFace) {
  Open();
  ClipData& clip = AddClip(Avi("face.avi", 25, 25.0, false));
  const std::vector<BYTE> before(clip.pixels, clip.pixels + kThumbnailBytes);
  for (bool ok : {false, true}) {
    COLORREF shown = 0;
    std::string frameText;
    RunOn("Thumbnail", [&](HWND sheet, HWND page) {
      // Twenty clicks on the bar's right arrow: frame 20.
      HWND bar = GetDlgItem(page, kClipFrameBar);
      RECT r{};
      GetClientRect(bar, &r);
      for (int i = 0; i < 20; ++i) GuiClick(bar, r.right - 2, r.bottom / 2);
      Pump(page);
      frameText = ItemText(page, kClipFrameText);
      UpdateWindow(GetDlgItem(page, kClipFace));
      shown = GuiReadPixel(GetDlgItem(page, kClipFace), 64, 48);
      Click(sheet, ok ? IDOK : IDCANCEL);
    });
    // Frame n is blue n, green 2n, red 255 - n.
    EXPECT_EQ(frameText, "20");
    EXPECT_EQ(shown, RGB(235, 40, 20)) << ok;
    if (ok) {
      EXPECT_EQ(clip.faceTime, 800);
      EXPECT_NE(std::vector<BYTE>(clip.pixels, clip.pixels + kThumbnailBytes), before);
      EXPECT_EQ(clip.thumbnail, nullptr);
    } else {
      EXPECT_EQ(clip.faceTime, 0);
      EXPECT_EQ(std::vector<BYTE>(clip.pixels, clip.pixels + kThumbnailBytes), before);
    }
  }
}

// A file tagged by another program shows its tags, read-only.
TEST_F(ClipPagesTest, AnFfmpegTaggedWaveShowsItsSummaryReadOnly) {
  if (!HaveTool("ffmpeg")) GTEST_SKIP() << "no ffmpeg";
  Open();
  const std::string path = Media("tagged.wav");
  ASSERT_TRUE(RunCommand("ffmpeg -v error -y -f lavfi -i anullsrc=r=44100:cl=stereo -t 0.2 -c:a pcm_s16le "
                         "-metadata title='Tagged title' -metadata artist=Someone '" +
                         path + "'"));
  AddClip(path);
  std::string title;
  bool readOnly = false;
  RunOn("Summary", [&](HWND sheet, HWND page) {
    title = ItemText(page, kSummaryTitle);
    readOnly = (GetWindowLong(GetDlgItem(page, kSummaryTitle), GWL_STYLE) & ES_READONLY) != 0;
    Click(sheet, IDCANCEL);
  });
  EXPECT_EQ(title, "Tagged title");
  EXPECT_TRUE(readOnly);
}

std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() + ".png";
}

TEST_F(ClipPagesTest, ShotsOfThePages) {
  Open();
  AddClip(Avi("shot.avi", 25, 25.0, true));
  for (const char* tab : {"General", "Thumbnail"}) {
    RunOn(tab, [&](HWND sheet, HWND page) {
      Pump(sheet);
      EXPECT_TRUE(GuiSaveScreenshot(sheet, ShotPath(std::string("clip_") + tab)));
      Click(sheet, IDCANCEL);
    });
  }
}

}  // namespace
}  // namespace cliptest
