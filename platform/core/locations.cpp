#include "platform/core/locations.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/paths.h"
#include "platform/core/process.h"

namespace {

std::string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string WithoutTrailingSeparators(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// mkdir -p; true when the folder exists afterwards.
bool MakeFolders(const std::string& folder) {
  struct stat info;
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  std::string parent = PathFolder(folder);
  if (!parent.empty() && parent != folder && !MakeFolders(parent)) return false;
  if (mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) return true;
  SetLastErrorFromErrno(errno);
  return false;
}

std::string HomeFolder() {
  std::string home = FromEnvironment("HOME");
  if (!home.empty()) return home;
  struct passwd* entry = getpwuid(getuid());
  if (entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
  return "/";
}

std::mutex instance_lock;
std::string instance_folder;
pid_t instance_owner = 0;

int RemoveEntry(const char* path, const struct stat*, int type, struct FTW*) {
  if (type == FTW_DP) {
    rmdir(path);
  } else {
    unlink(path);
  }
  return 0;
}

void RemoveInstanceFolder() {
  std::lock_guard<std::mutex> hold(instance_lock);
  if (instance_folder.empty() || instance_owner != getpid()) return;
  nftw(instance_folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  instance_folder.clear();
}

}  // namespace

std::string SettingsFolder() {
  std::string folder = FromEnvironment("KOBRIX_HOME");
  if (folder.empty()) {
    // Relative XDG paths are invalid by that convention and ignored.
    std::string config = FromEnvironment("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') config = HomeFolder() + "/.config";
    folder = PathJoin(config, "kobrix");
  }
  folder = WithoutTrailingSeparators(NativePath(folder));
  MakeFolders(folder);
  return folder;
}

std::string ProgramPath() {
  static const std::string path = [] {
    std::string buffer(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return std::string();
    buffer.resize(static_cast<size_t>(length));
    return buffer;
  }();
  return path;
}

std::string ProgramFolder() {
  std::string path = ProgramPath();
  return path.empty() ? std::string(".") : PathFolder(path);
}

std::string TempFolder() {
  std::string folder = FromEnvironment("TMPDIR");
  if (folder.empty()) folder = "/tmp";
  return WithoutTrailingSeparators(folder);
}

void RemoveDeadInstanceFolders() {
  const std::string base = TempFolder();
  DIR* folder = opendir(base.c_str());
  if (folder == nullptr) return;
  const std::string own = std::to_string(getpid());
  while (const dirent* entry = readdir(folder)) {
    // kobrix-<pid>-XXXXXX, as InstanceTempFolder names them.
    const std::string name = entry->d_name;
    if (name.rfind("kobrix-", 0) != 0) continue;
    const size_t dash = name.find('-', 7);
    if (dash == std::string::npos || dash == 7 || name.size() != dash + 7) continue;
    const std::string pid = name.substr(7, dash - 7);
    if (pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos || pid == own) continue;
    const std::string path = base + "/" + name;
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) continue;
    // Only a folder whose instance is gone; a live process keeps its own.
    if (!ProcessEnded(std::stol(pid))) continue;
    nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  }
  closedir(folder);
}

std::string InstanceTempFolder() {
  std::lock_guard<std::mutex> hold(instance_lock);
  struct stat info;
  if (!instance_folder.empty() && instance_owner == getpid() && stat(instance_folder.c_str(), &info) == 0 &&
      S_ISDIR(info.st_mode)) {
    return instance_folder;
  }
  std::string base = TempFolder();
  MakeFolders(base);
  // The process in the name lets a later start sweep a killed instance's folder.
  std::string pattern = base + "/kobrix-" + std::to_string(getpid()) + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    SetLastErrorFromErrno(errno);
    return base;
  }
  static bool cleanup_registered = false;
  if (!cleanup_registered) {
    std::atexit(RemoveInstanceFolder);
    cleanup_registered = true;
  }
  instance_folder = pattern;
  instance_owner = getpid();
  return instance_folder;
}

namespace {

// A folder only this user may enter: a real folder (no link), ours, mode
// 0700. closeOwn: one of ours with a wider mode is closed (in the user's
// home nobody else could have entered it); elsewhere it may already hold
// what someone else planted, and is not used.
bool PrivateFolder(const std::string& folder, bool closeOwn = false) {
  struct stat info;
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) return false;
  if ((info.st_mode & 07777) == 0700) return true;
  return closeOwn && chmod(folder.c_str(), 0700) == 0;
}

// mkdir -p for the parents, the last folder made 0700.
bool MakePrivateFolder(const std::string& folder, bool closeOwn) {
  if (mkdir(folder.c_str(), 0700) != 0 && errno == ENOENT) {
    const std::string parent = PathFolder(folder);
    if (parent.empty() || parent == folder) return false;
    MakeFolders(parent);
    mkdir(folder.c_str(), 0700);
  }
  return PrivateFolder(folder, closeOwn);
}

std::mutex private_lock;
std::map<std::string, std::string> private_fallbacks;
// The fallback folders this process took, and the process that took them.
std::vector<std::string> taken_fallbacks;
pid_t fallbacks_owner = 0;

bool Newer(const timespec& a, const timespec& b) {
  return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

// A fallback folder an earlier run of this user left below base: named
// stem + six letters or digits (as mkdtemp makes them), a real folder
// opened without following a link, ours, mode 0700. Of several, the one
// changed last. Empty when there is none.
std::string EarlierFallback(const std::string& base, const std::string& stem) {
  DIR* folder = opendir(base.c_str());
  if (folder == nullptr) return std::string();
  std::string best;
  timespec bestTime{};
  while (const dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name.size() != stem.size() + 6 || name.compare(0, stem.size(), stem) != 0) continue;
    bool letters = true;
    for (std::size_t i = stem.size(); i < name.size(); ++i)
      letters = letters && std::isalnum(static_cast<unsigned char>(name[i])) != 0;
    if (!letters) continue;
    const std::string path = base + "/" + name;
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info;
    const bool ours = fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
                      (info.st_mode & 07777) == 0700;
    close(fd);
    if (!ours || (!best.empty() && !Newer(info.st_mtim, bestTime))) continue;
    best = path;
    bestTime = info.st_mtim;
  }
  closedir(folder);
  return best;
}

// folder when it is private (made so when missing), else a private folder
// below TempFolder() in its place, the same one for the process: the one an
// earlier run left (so that what it left to restore is found again), or a
// fresh one.
std::string PrivateOrFresh(const std::string& folder, const char* prefix, bool closeOwn) {
  if (MakePrivateFolder(folder, closeOwn)) return folder;
  std::lock_guard<std::mutex> hold(private_lock);
  auto known = private_fallbacks.find(folder);
  if (known != private_fallbacks.end() && PrivateFolder(known->second)) return known->second;
  std::string base = TempFolder();
  MakeFolders(base);
  const std::string stem = prefix + std::to_string(getuid()) + "-";
  std::string taken = EarlierFallback(base, stem);
  if (taken.empty()) {
    std::string pattern = base + "/" + stem + "XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      SetLastErrorFromErrno(errno);
      return folder;
    }
    taken = pattern;
  }
  private_fallbacks[folder] = taken;
  if (fallbacks_owner != getpid()) {
    taken_fallbacks.clear();
    fallbacks_owner = getpid();
  }
  if (std::find(taken_fallbacks.begin(), taken_fallbacks.end(), taken) == taken_fallbacks.end())
    taken_fallbacks.push_back(taken);
  static bool cleanup_registered = false;
  if (!cleanup_registered) {
    std::atexit(RemoveEmptyFallbackFolders);
    cleanup_registered = true;
  }
  return taken;
}

}  // namespace

void RemoveEmptyFallbackFolders() {
  std::lock_guard<std::mutex> hold(private_lock);
  if (fallbacks_owner != getpid()) return;
  // rmdir takes only an empty folder: whatever is left (an autosave, a lock
  // another run holds) keeps it for the next run.
  for (const std::string& folder : taken_fallbacks) rmdir(folder.c_str());
}

std::string StateFolder() {
  std::string state = FromEnvironment("XDG_STATE_HOME");
  if (state.empty() || state[0] != '/') state = HomeFolder() + "/.local/state";
  return PrivateOrFresh(WithoutTrailingSeparators(NativePath(PathJoin(state, "kobrix"))), "kobrix-state-", true);
}

std::string RuntimeFolder() {
  std::string base = FromEnvironment("XDG_RUNTIME_DIR");
  std::string folder = !base.empty() && base[0] == '/'
                           ? PathJoin(WithoutTrailingSeparators(base), "kobrix")
                           : TempFolder() + "/kobrix-" + std::to_string(getuid());
  return PrivateOrFresh(folder, "kobrix-run-", false);
}

std::string MapDefaultLocation(std::string_view path) {
  const std::string native = NativePath(path);
  // The temporary folder's file is where earlier runs kept it (and wrote it
  // back to the settings): a shared folder, so it moves too.
  if (EqualNoCase(native, "C:/KOBRIX.TMP") || native == TempFolder() + "/KOBRIX.TMP" || native == "/tmp/KOBRIX.TMP")
    return StateFolder() + "/KOBRIX.TMP";
  return std::string(path);
}

DWORD CopyToBuffer(const std::string& text, LPSTR buffer, DWORD size) {
  if (text.size() + 1 > size) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return static_cast<DWORD>(text.size() + 1);
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

UINT GetWindowsDirectory(LPSTR buffer, UINT size) {
  return CopyToBuffer(SettingsFolder(), buffer, size);
}
