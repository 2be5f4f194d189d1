#include "app/settings/save_pages.h"

#include <filesystem>
#include <fstream>

#include "app/settings/settings_sheet.h"
#include "audio/audio_player.h"
#include "model/changed_ranges.h"
#include "platform/core/locations.h"
#include "resources/settings_dialog_ids.h"
#include "settings_fixture.h"
#include "video/transitions/vfx_render.h"

using namespace dialogtest;

namespace settingstest {
namespace {

TEST(SoundFile, TheFolderKeepsItsCaseAndEmptyMeansTheTemporaryFolder) {
  const std::pair<std::string, std::string> cases[] = {
      {"/Data/Tmp", "/Data/Tmp/kobrix.tmp"},
      {"/Data/Tmp/", "/Data/Tmp/kobrix.tmp"},
      {"", TempFolder() + "/kobrix.tmp"},
  };
  for (const auto& [folder, file] : cases) EXPECT_EQ(SoundFileIn(folder), file) << folder;
}

TEST(VfxQuality, HundredthsShowAsRoundedPercent) {
  const std::pair<int, int> cases[] = {{7500, 75}, {7550, 75}, {7551, 76}, {0, 0}, {10000, 100}};
  for (const auto& [stored, shown] : cases) EXPECT_EQ(QualityPercent(stored), shown) << stored;
}

class SavePagesTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    ASSERT_TRUE(old_.ok());
    ASSERT_TRUE(new_.ok());
    std::snprintf(saved_, sizeof saved_, "%s", Sound_File);
    audio_ = std::make_unique<AudioPlayer>();
    std::snprintf(Sound_File, sizeof Sound_File, "%s", old_.File("kobrix.tmp").c_str());
    host_.audio = audio_.get();
    range_ = PlayFileRange;
    VFXRender::GetSettings(&vfx_);
  }
  void TearDown() override {
    host_.audio = nullptr;
    audio_.reset();
    std::snprintf(Sound_File, sizeof Sound_File, "%s", saved_);
    PlayFileRange = range_;
    VFXRender::SetSettings(vfx_);
    SettingsTest::TearDown();
  }
  static void Touch(const std::string& path) { std::ofstream(path) << "x"; }
  static bool Exists(const std::string& path) { return std::filesystem::exists(path); }

  TestFolder old_{"kobrix-old"};
  TestFolder new_{"kobrix-new"};
  std::unique_ptr<AudioPlayer> audio_;
  char saved_[MAX_PATH] = {};
  TimeRange range_;
  VFXRenderSettings vfx_;
};

TEST_F(SavePagesTest, TheSameFolderChangesNothing) {
  Touch(Sound_File);
  PlayFileRange = TimeRange{1000, 5000};
  std::string shown;
  RunOn("Save", [&](HWND sheet, HWND page) {
    shown = ItemText(page, kSaveTempFolder);
    Click(page, kSaveThumbnails);
    Click(sheet, IDOK);
  });
  EXPECT_EQ(shown, old_.path());
  EXPECT_TRUE(Exists(old_.File("kobrix.tmp")));
  EXPECT_EQ(PlayFileRange.start, 1000);
  EXPECT_EQ(PlayFileRange.end, 5000);
}

// A new folder: the old sound file goes, nothing counts as mixed any more,
// and the autosave files follow.
TEST_F(SavePagesTest, ANewFolderStartsTheSoundFileAfresh) {
  Touch(Sound_File);
  Touch(old_.File("autosave.tml"));
  Touch(old_.File("autosave.prc"));
  PlayFileRange = TimeRange{1000, 5000};
  const std::string folder = new_.path() + "/Mixed";
  std::filesystem::create_directory(folder);
  RunOn("Save", [&](HWND sheet, HWND page) {
    TypeOver(page, kSaveTempFolder, folder.c_str());
    Click(sheet, IDOK);
  });
  EXPECT_EQ(std::string(Sound_File), folder + "/kobrix.tmp");
  EXPECT_FALSE(Exists(old_.File("kobrix.tmp")));
  EXPECT_EQ(PlayFileRange.start, 0);
  EXPECT_EQ(PlayFileRange.end, 0);
  EXPECT_TRUE(Exists(folder + "/autosave.tml"));
  EXPECT_TRUE(Exists(folder + "/autosave.prc"));
  EXPECT_FALSE(Exists(old_.File("autosave.tml")));
}

TEST_F(SavePagesTest, TheAutosaveCountsAreEditableOnlyWhileAutosaving) {
  AutosaveOptions o;
  o.autoSave = false;
  host_.SettingsHost::SetAutosaveOptions(o);
  bool before = true, after = false;
  RunOn("Save", [&](HWND sheet, HWND page) {
    before = IsWindowEnabled(GetDlgItem(page, kSavePeriod)) != FALSE;
    Click(page, kSaveAuto);
    after = IsWindowEnabled(GetDlgItem(page, kSavePeriod)) != FALSE;
    TypeOver(page, kSavePeriod, "30");
    Click(sheet, IDOK);
  });
  EXPECT_FALSE(before);
  EXPECT_TRUE(after);
  EXPECT_TRUE(host_.SettingsHost::GetAutosaveOptions().autoSave);
  EXPECT_EQ(host_.SettingsHost::GetAutosaveOptions().period, 30);
}

TEST_F(SavePagesTest, VideoFxStoresPercentAndMegabytes) {
  VFXRenderSettings s;
  s.maxQuality = 9000;
  s.minQuality = 5000;
  s.limitDataRate = true;
  s.tempDirectory = new_.path();
  VFXRender::SetSettings(s);
  RunOn("VideoFX", [&](HWND sheet, HWND page) {
    TypeOver(page, kVfxMaxQuality, "75");
    TypeOver(page, kVfxDataRate, "0.1");
    Click(page, kVfxProjectFolder);
    Click(sheet, IDOK);
  });
  VFXRender::GetSettings(&s);
  EXPECT_EQ(s.maxQuality, 7500);
  EXPECT_EQ(s.minQuality, 5000);
  EXPECT_EQ(s.dataRate, 104858);
  EXPECT_TRUE(s.tempDirectory.empty());
  EXPECT_TRUE(s.clearFiles);
}

}  // namespace
}  // namespace settingstest
