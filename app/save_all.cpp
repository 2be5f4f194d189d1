// Save All: the project and its collection written into one folder with a
// copy of every source file they use, then read back from there.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "app/kobrix_app.h"
#include "app/main_frame.h"
#include "clips/clip_collection.h"
#include "media/audio_data.h"
#include "media/progress_hooks.h"
#include "media/video_data.h"
#include "audio/midi_data.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "platform/core/paths.h"

namespace {

struct CopyJob {
  std::string source;
  std::string destination;
  int64_t size = 0;
  bool skip = false;  // the destination is the source itself
  // Points each source of the file at the copy.
  std::vector<std::function<void(const char*)>> repoint;
};

// The sources the project uses, each file once (paths compare exactly).
std::vector<CopyJob> CollectJobs(const std::string& folder) {
  std::vector<CopyJob> jobs;
  auto add = [&jobs, &folder](const char* name, std::function<void(const char*)> repoint) {
    if (name == nullptr || *name == '\0') return;
    for (CopyJob& j : jobs)
      if (j.source == name) {
        j.repoint.push_back(std::move(repoint));
        return;
      }
    CopyJob job;
    job.source = name;
    job.destination = PathJoin(folder, PathFileName(name));
    job.repoint.push_back(std::move(repoint));
    jobs.push_back(std::move(job));
  };
  auto rename = [](char* stored) {
    return [stored](const char* path) {
      std::strncpy(stored, path, MAX_PATH - 1);
      stored[MAX_PATH - 1] = '\0';
    };
  };
  for (VideoData* v = VideoData::Head(); v != nullptr; v = v->next) add(v->fileName, rename(v->fileName));
  for (AudioData* a = AudioData::FirstShared(); a != nullptr; a = a->next) add(a->fileName, rename(a->fileName));
  for (Film* f = FilmList.First(); f != nullptr; f = f->next)
    if (auto* m = dynamic_cast<MidiData*>(f->midi)) add(m->GetFileName(), [m](const char* path) { m->Reload(path); });
  return jobs;
}

// Copies into a temporary file beside the destination and renames it over
// the destination only when the copy is whole.
bool CopyWhole(const std::string& from, const std::string& to, ProgressMeter& meter, int64_t& done,
               bool& cancelled) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  if (in == nullptr) return false;
  const std::string temporary = to + ".kobrix-copy";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  if (out == nullptr) {
    std::fclose(in);
    return false;
  }
  std::vector<char> buffer(1 << 20);
  bool ok = true;
  for (;;) {
    const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
    if (n == 0) {
      ok = std::ferror(in) == 0;
      break;
    }
    if (std::fwrite(buffer.data(), 1, n, out) != n) {
      ok = false;
      break;
    }
    done += static_cast<int64_t>(n);
    if (!meter.Report(done)) {
      cancelled = true;
      ok = false;
      break;
    }
  }
  std::fclose(in);
  ok = std::fclose(out) == 0 && ok;
  if (ok) ok = std::rename(temporary.c_str(), to.c_str()) == 0;
  if (!ok) std::remove(temporary.c_str());
  return ok;
}

}  // namespace

void TMainFrame::CmSaveAll() {
  const char* caption = GetString(ui_string::kSaveAllCaption);
  const std::string before = ProjectName();
  if (!AskSaveFile(projectFile_, GetHandle(), caption)) {
    SetProjectName(before.c_str());
    return;
  }
  const std::string project = projectFile_.FileName;
  SetProjectName(before.c_str());
  const std::string folder = PathFolder(project);

  std::vector<CopyJob> jobs = CollectJobs(folder);
  int64_t total = 0;
  bool asked = false;
  for (CopyJob& job : jobs) {
    struct stat from {}, to {};
    if (stat(job.source.c_str(), &from) != 0 || access(job.source.c_str(), R_OK) != 0) {
      ErrorBoxPlain(GetHandle(), 24, job.source.c_str());
      return;
    }
    if (stat(job.destination.c_str(), &to) == 0) {
      // A file already where it would go is kept as it is.
      if (to.st_dev == from.st_dev && to.st_ino == from.st_ino) {
        job.skip = true;
        continue;
      }
      if (!asked) {
        asked = true;
        if (ShowMessageText(GetHandle(), caption, MB_YESNO | MB_ICONQUESTION,
                            GetString(ui_string::kOverwriteAll)) != IDYES)
          return;
      }
    }
    job.size = from.st_size;
    total += job.size;
  }

  {
    WaitCursor wait;
    ProgressMeter meter(GetString(ui_string::kCopyAllSources), "", total, GetHandle());
    int64_t done = 0;
    for (const CopyJob& job : jobs) {
      if (job.skip) continue;
      bool cancelled = false;
      if (!CopyWhole(job.source, job.destination, meter, done, cancelled)) {
        meter.Close();
        if (!cancelled)
          ShowMessage(GetHandle(), caption, MB_OK | MB_ICONSTOP, GetString(ui_string::kCantCopyFile),
                      job.source.c_str(), job.destination.c_str());
        return;
      }
    }
  }

  // Only now that every copy stands: the clipboard and the undo history
  // would otherwise name files that were never copied.
  ClipClipboard.Clear();
  UndoScript::ClearAll();
  for (CopyJob& job : jobs)
    for (auto& repoint : job.repoint) repoint(job.destination.c_str());
  if (app_->ClipFrame() != nullptr) app_->SaveCollection(PathChangeExtension(project, ".prc").c_str());
  SaveProjectFile(project.c_str());
  OpenProjectFile(project.c_str());
  app_->autosave.RestartPeriod();
}
