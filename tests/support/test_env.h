// Scoped test surroundings: environment variables, temporary folders and a
// settings folder of the test's own, each put back when the scope ends.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

// Sets (or, with null, clears) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
  ~ScopedEnv() {
    if (old_) {
      setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// A fresh folder (its real path, links resolved), removed with everything in it.
class TestFolder {
 public:
  explicit TestFolder(const std::string& prefix = "kobrix-test") {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = std::filesystem::canonical(pattern).string();
  }
  ~TestFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A settings folder of the test's own: KOBRIX_HOME points at a temporary
// folder, so the INI file and the registry file are the test's.
class ScopedSettingsHome {
 public:
  // The program's state (autosave, the temporary sound file) stays with
  // the test's settings too.
  ScopedSettingsHome()
      : folder_("kobrix-home"), env_("KOBRIX_HOME", folder_.path()),
        state_("XDG_STATE_HOME", (folder_.path() + "/state").c_str()) {}
  bool ok() const { return folder_.ok(); }
  const std::string& path() const { return folder_.path(); }
  std::string File(const std::string& name) const { return folder_.File(name); }

 private:
  TestFolder folder_;
  ScopedEnv env_;
  ScopedEnv state_;
};

// A folder for temporary files that lives in memory where the system has
// one: every settings write goes through to the disk, and a window's save
// writes many keys.
inline std::string QuickTempFolder() {
  if (access("/dev/shm", W_OK) == 0) return "/dev/shm";
  const char* tmp = std::getenv("TMPDIR");
  return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}
