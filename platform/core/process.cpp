#include "platform/core/process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "platform/core/errors.h"
#include "platform/core/locations.h"
#include "platform/core/paths.h"

extern char** environ;

namespace {

class ProcessObject : public Waitable {
 public:
  explicit ProcessObject(pid_t pid) : pid_(pid) {}

  bool IsSignaled() const override { return ended_; }

  // Waits for the end on a thread of its own, then signals the handle.
  void WatchForEnd() {
    AddRef();
    try {
      std::thread([this] { Watch(); }).detach();
    } catch (const std::system_error&) {
      Release();  // no thread to be had: the handle is never signalled
    }
  }

  DWORD ExitCode() {
    std::lock_guard<std::mutex> hold(WaitLock());
    return ended_ ? exit_code_ : STILL_ACTIVE;
  }

  bool Terminate(DWORD code) {
    std::lock_guard<std::mutex> hold(WaitLock());
    if (ended_) return false;
    if (!terminated_) {
      terminated_ = true;
      terminate_code_ = code;
    }
    kill(pid_, SIGKILL);
    return true;
  }

  pid_t pid() const { return pid_; }

 private:
  void Watch() {
    siginfo_t info{};
    // WNOWAIT keeps the process a zombie, so that its id cannot be reused
    // before TerminateProcess has seen that it ended.
    while (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    {
      std::lock_guard<std::mutex> hold(WaitLock());
      if (terminated_) {
        exit_code_ = terminate_code_;
      } else if (info.si_code == CLD_EXITED) {
        exit_code_ = static_cast<DWORD>(info.si_status);
      } else {
        exit_code_ = 128 + static_cast<DWORD>(info.si_status);
      }
      ended_ = true;
    }
    NotifyWaiters();
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    Release();
  }

  pid_t pid_;
  bool ended_ = false;  // under WaitLock()
  DWORD exit_code_ = STILL_ACTIVE;
  bool terminated_ = false;
  DWORD terminate_code_ = 0;
};

// The program's main thread: ends with the program.
class ProcessThreadObject : public Waitable {
 public:
  explicit ProcessThreadObject(ProcessObject* process) : process_(process) { process_->AddRef(); }
  ~ProcessThreadObject() override { process_->Release(); }
  bool IsSignaled() const override { return process_->IsSignaled(); }

 private:
  ProcessObject* process_;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsExecutableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The names a program may have in one folder: as given, then "NAME.EXE"
// as "name".
std::vector<std::string> NamesFor(const std::string& file) {
  std::vector<std::string> names = {file};
  if (EqualNoCase(PathExtension(file), ".exe")) names.push_back(LowerAscii(PathStem(file)));
  return names;
}

std::vector<std::string> SearchFolders() {
  std::vector<std::string> folders;
  const char* path = std::getenv("PATH");
  std::string list = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  for (;;) {
    size_t end = list.find(':', start);
    std::string folder = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
    folders.push_back(folder.empty() ? "." : folder);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return folders;
}

std::string FindOnSearchPath(const std::string& file) {
  for (const std::string& folder : SearchFolders()) {
    std::string candidate = PathJoin(folder, file);
    if (IsExecutableFile(candidate)) return candidate;
  }
  return std::string();
}

// Starts program with argv in folder (empty: here). The new process handle,
// or null with the last error set.
ProcessObject* Start(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& folder) {
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The program starts with no blocked signals and the default action for
  // the ones this program may ignore.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGQUIT);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t pid = 0;
  int rc = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) {
    SetLastErrorFromErrno(rc);
    return nullptr;
  }
  ProcessObject* process = new ProcessObject(pid);
  process->WatchForEnd();
  return process;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> arguments;
  size_t i = 0;
  const size_t n = line.size();
  while (i < n && IsBlank(line[i])) ++i;
  if (i >= n) return arguments;

  // The program: quotes toggle, backslashes are plain characters.
  std::string program;
  bool quoted = false;
  for (; i < n && (quoted || !IsBlank(line[i])); ++i) {
    if (line[i] == '"') {
      quoted = !quoted;
    } else {
      program += line[i];
    }
  }
  arguments.push_back(program);

  for (;;) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i >= n) break;
    std::string argument;
    quoted = false;
    while (i < n && (quoted || !IsBlank(line[i]))) {
      if (line[i] == '\\') {
        size_t end = i;
        while (end < n && line[end] == '\\') ++end;
        size_t count = end - i;
        if (end < n && line[end] == '"') {
          argument.append(count / 2, '\\');
          if (count % 2 == 1) {
            argument += '"';
            i = end + 1;
          } else {
            i = end;  // the quote acts as a quote
          }
        } else {
          argument.append(count, '\\');
          i = end;
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          argument += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument += line[i++];
      }
    }
    arguments.push_back(argument);
  }
  return arguments;
}

std::string QuoteArgument(std::string_view argument) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count only before a quote: there each one is doubled.
    if (c == '"') {
      quoted.append(backslashes * 2 + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted += c;
  }
  // The closing quote follows the last backslashes.
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

std::string FindProgram(std::string_view name) {
  std::string path = NativePath(name);
  if (path.empty()) return std::string();
  if (path.find('/') != std::string::npos) {
    std::string folder = PathFolder(path);
    for (const std::string& file : NamesFor(PathFileName(path))) {
      std::string candidate = PathJoin(folder, file);
      if (IsExecutableFile(candidate)) return candidate;
    }
    return std::string();
  }
  for (const std::string& file : NamesFor(path)) {
    std::string beside = PathJoin(ProgramFolder(), file);
    if (IsExecutableFile(beside)) return beside;
  }
  for (const std::string& file : NamesFor(path)) {
    std::string found = FindOnSearchPath(file);
    if (!found.empty()) return found;
  }
  return std::string();
}

BOOL CreateProcess(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                   LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                   LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFO startupInfo,
                   LPPROCESS_INFORMATION processInformation) {
  if (processInformation != nullptr) *processInformation = PROCESS_INFORMATION();
  if (environment != nullptr || (creationFlags & (CREATE_SUSPENDED | DEBUG_PROCESS)) != 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  std::vector<std::string> arguments;
  if (commandLine != nullptr) arguments = SplitCommandLine(commandLine);
  std::string program;
  if (applicationName != nullptr && applicationName[0] != '\0') {
    // Not searched for: a bare name is a file in the current folder.
    std::string name = NativePath(applicationName);
    if (name.find('/') == std::string::npos) name = "./" + name;
    program = FindProgram(name);
    if (arguments.empty()) arguments.push_back(applicationName);
    if (program.empty()) {
      struct stat info;
      SetLastError(stat(name.c_str(), &info) == 0 ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
      return FALSE;
    }
  } else {
    if (arguments.empty() || arguments[0].empty()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    program = FindProgram(arguments[0]);
    if (program.empty()) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return FALSE;
    }
  }
  std::string folder;
  if (currentDirectory != nullptr && currentDirectory[0] != '\0') {
    folder = NativePath(currentDirectory);
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
      SetLastError(ERROR_DIRECTORY);
      return FALSE;
    }
  }
  ProcessObject* process = Start(program, arguments, folder);
  if (process == nullptr) return FALSE;
  if (processInformation == nullptr) {
    process->Release();
    return TRUE;
  }
  processInformation->hProcess = ToHandle(process);
  processInformation->hThread = ToHandle(new ProcessThreadObject(process));
  processInformation->dwProcessId = static_cast<DWORD>(process->pid());
  processInformation->dwThreadId = static_cast<DWORD>(process->pid());
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  ProcessObject* object = HandleAs<ProcessObject>(process);
  if (object == nullptr || exitCode == nullptr) {
    SetLastError(object == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *exitCode = object->ExitCode();
  return TRUE;
}

BOOL TerminateProcess(HANDLE process, UINT exitCode) {
  ProcessObject* object = HandleAs<ProcessObject>(process);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!object->Terminate(exitCode)) {
    SetLastError(ERROR_ACCESS_DENIED);  // it has ended already
    return FALSE;
  }
  return TRUE;
}

HINSTANCE ShellExecute(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                       INT showCommand) {
  auto result = [](INT code) { return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(code)); };
  if (operation != nullptr && operation[0] != '\0' && !EqualNoCase(operation, "open") &&
      !EqualNoCase(operation, "explore")) {
    SetLastError(ERROR_NO_ASSOCIATION);
    return result(SE_ERR_NOASSOC);
  }
  if (file == nullptr || file[0] == '\0') {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return result(SE_ERR_FNF);
  }
  std::string folder;
  if (directory != nullptr && directory[0] != '\0') folder = NativePath(directory);
  std::string target = file;
  if (target.find("://") == std::string::npos) {
    target = PathJoin(folder, target);
    struct stat info;
    if (stat(target.c_str(), &info) != 0) {
      DWORD code = errno == ENOENT ? ERROR_FILE_NOT_FOUND : ErrorFromErrno(errno);
      SetLastError(code);
      return result(code == ERROR_FILE_NOT_FOUND ? SE_ERR_FNF : SE_ERR_ACCESSDENIED);
    }
  }
  std::string opener = FindOnSearchPath("xdg-open");
  if (opener.empty()) {
    SetLastError(ERROR_NO_ASSOCIATION);
    return result(SE_ERR_NOASSOC);
  }
  struct stat info;
  if (!folder.empty() && (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))) folder.clear();
  ProcessObject* process = Start(opener, {opener, target}, folder);
  if (process == nullptr) return result(SE_ERR_NOASSOC);
  process->Release();  // it runs on; nobody waits for it
  return result(42);
}

bool ProcessEnded(long pid) { return pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }
