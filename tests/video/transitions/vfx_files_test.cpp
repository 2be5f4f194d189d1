// Where the transition files go, and what is cleaned away at the end.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/core/locations.h"
#include "transition_fixtures.h"

namespace vfxtest {
namespace {

namespace fs = std::filesystem;

class FilesTest : public TransitionTest {
 protected:
  static std::string Name(uint32_t a = 7, uint32_t b = 12) {
    char path[MAX_PATH];
    return VFXRender::MakeFileName(path, a, b) ? std::string(path) : std::string("(none)");
  }
  void Touch(const std::string& path) { std::ofstream(path) << "x"; }
};

TEST_F(FilesTest, FolderTable) {
  const std::string longName(240, 'n');
  struct Case {
    const char* what;
    std::string project;  // "" untitled
    std::string configured;
    std::string want;  // the file of the stamps 7 and 12; "(none)" when it fails
    std::string why;   // then what is said
  } cases[] = {
      {"beside the project", folder.Path("show.tml"), "", folder.Path("show.vfx/vfx007_012.avi"), ""},
      {"untitled", "", "", InstanceTempFolder() + "/vfx007_012.avi", ""},
      {"configured, its trailing separator dropped", folder.Path("show.tml"), folder.Path("mine/"),
       folder.Path("mine/vfx007_012.avi"), ""},
      {"a read-only folder", "", folder.Path("locked"), "(none)",
       "The folder '" + folder.Path("locked") + "' for the rendered transitions is not a folder that can be written."},
      {"a plain file", "", folder.Path("plain"), "(none)",
       "The folder '" + folder.Path("plain") + "' for the rendered transitions is not a folder that can be written."},
      {"under a plain file", "", folder.Path("plain/sub"), "(none)",
       "The folder '" + folder.Path("plain/sub") + "' for the rendered transitions can not be made."},
      {"a path past 260 characters", "", folder.Path(longName), "(none)",
       "The path of a rendered transition in '" + folder.Path(longName) + "' is too long."},
      // Where the project's own can not be used, a folder of the instance's.
      {"beside the project, read-only", folder.Path("shut.tml"), "",
       InstanceTempFolder() + "/shut.vfx/vfx007_012.avi", ""},
      {"beside the project, a plain file", folder.Path("flat.tml"), "",
       InstanceTempFolder() + "/flat.vfx/vfx007_012.avi", ""},
  };
  fs::create_directory(folder.Path("locked"));
  chmod(folder.Path("locked").c_str(), 0555);
  fs::create_directory(folder.Path("shut.vfx"));
  chmod(folder.Path("shut.vfx").c_str(), 0555);
  Touch(folder.Path("plain"));
  Touch(folder.Path("flat.vfx"));
  for (const Case& c : cases) {
    VFXRenderSettings settings;
    settings.tempDirectory = c.configured;
    VFXRender::SetSettings(settings);
    VFXRender::SetTempDir(c.project.empty() ? nullptr : c.project.c_str());
    EXPECT_EQ(Name(), c.want) << c.what;
    char path[MAX_PATH];
    std::string why;
    VFXRender::MakeFileName(path, 7, 12, &why);
    EXPECT_EQ(why, c.why) << c.what;
  }
  VFXRenderSettings settings;
  settings.tempDirectory = folder.Path("mine/");
  VFXRender::SetSettings(settings);
  VFXRender::GetSettings(&settings);
  EXPECT_EQ(settings.tempDirectory, folder.Path("mine"));
  EXPECT_EQ(Name(1234, 5), folder.Path("mine/vfx1234_005.avi"));
  chmod(folder.Path("locked").c_str(), 0755);
  chmod(folder.Path("shut.vfx").c_str(), 0755);
}

TEST_F(FilesTest, CleaningRemovesOnlyItsOwnFoldersAndTheirTransitionFiles) {
  // A folder the renderer made, with a stranger's file in it, and one it
  // did not make.
  const std::string own = fs::path(Name()).parent_path();
  Touch(own + "/vfx007_012.avi");
  Touch(own + "/vfx001_002.AVI");
  Touch(own + "/notes.txt");
  const std::string other = folder.Path("other");
  fs::create_directory(other);
  Touch(other + "/vfx003_004.avi");

  VFXRenderSettings settings;
  settings.tempDirectory = other;
  VFXRender::SetSettings(settings);
  EXPECT_EQ(Name(3, 4), other + "/vfx003_004.avi");
  VFXRender::CleanTempDir();
  EXPECT_FALSE(fs::exists(own + "/vfx007_012.avi"));
  EXPECT_TRUE(fs::exists(own + "/vfx001_002.AVI")) << "the search is for vfx*.avi";
  EXPECT_TRUE(fs::exists(own + "/notes.txt"));
  EXPECT_TRUE(fs::exists(other + "/vfx003_004.avi"));

  // A folder holding transition files only goes with them.
  VFXRender::SetSettings(VFXRenderSettings{});
  VFXRender::SetTempDir(folder.Path("second.tml").c_str());
  const std::string second = fs::path(Name()).parent_path();
  Touch(second + "/vfx007_012.avi");
  VFXRender::CleanTempDir();
  EXPECT_FALSE(fs::exists(second));

  // So does the instance's folder taken for a project's that can not be
  // made; the project's folder is left alone.
  Touch(folder.Path("third.vfx"));
  VFXRender::SetTempDir(folder.Path("third.tml").c_str());
  const std::string third = fs::path(Name()).parent_path();
  EXPECT_EQ(third, InstanceTempFolder() + "/third.vfx");
  Touch(third + "/vfx007_012.avi");
  VFXRender::CleanTempDir();
  EXPECT_FALSE(fs::exists(third));
  EXPECT_TRUE(fs::is_regular_file(folder.Path("third.vfx")));
}

TEST_F(FilesTest, WithClearFilesOffTheFilesStay) {
  VFXRenderSettings settings;
  settings.clearFiles = false;
  VFXRender::SetSettings(settings);
  const std::string file = Name();
  Touch(file);
  VFXRender::CleanTempDir();
  EXPECT_TRUE(fs::exists(file));
  // Switched on again, the folders made meanwhile are still its own.
  VFXRender::SetSettings(VFXRenderSettings{});
  VFXRender::CleanTempDir();
  EXPECT_FALSE(fs::exists(fs::path(file).parent_path()));
}

}  // namespace
}  // namespace vfxtest
