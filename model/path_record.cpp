#include "model/path_record.h"

#include <cstring>
#include <new>

#include "platform/core/files.h"
#include "platform/core/paths.h"

namespace {

MissingFileQuestions* g_questions = nullptr;

void CopyCut(char* out, const char* text) {
  const size_t n = text ? strnlen(text, MAX_PATH - 1) : 0;
  if (n) std::memcpy(out, text, n);
  out[n] = '\0';
}

bool FileExists(const char* path) {
  const DWORD attributes = GetFileAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void SplitPath(PathParts& parts, const char* path) {
  parts = PathParts{};
  if (!path) return;
  int32_t i = 0;
  for (; path[i] != '\0'; ++i) {
    const char c = path[i];
    if (c == ':') {
      parts.dir = parts.name = parts.ext = i + 1;
    } else if (IsPathSeparator(c)) {
      parts.name = parts.ext = i + 1;
    } else if (c == '.') {
      parts.ext = i;
    }
  }
  parts.length = i;
  if (parts.ext == parts.name) parts.ext = parts.length;
  parts.driveLength = parts.dir - parts.drive;
  parts.dirLength = parts.name - parts.dir;
  parts.nameLength = parts.ext - parts.name;
  parts.extLength = parts.length - parts.ext;
}

PathRecord::PathRecord(const char* text, bool whole) {
  CopyCut(path, text);
  if (whole) return;
  PathParts parts;
  SplitPath(parts, path);
  path[parts.name] = '\0';
}

void PathRecord::FreeList(PathRecord* head) {
  while (head) {
    PathRecord* next = head->next;
    delete head;
    head = next;
  }
}

SynonymFile::SynonymFile(const char* from, const char* to) {
  CopyCut(oldPath, from);
  CopyCut(newPath, to);
}

void SynonymFile::FreeList(SynonymFile* head) {
  while (head) {
    SynonymFile* next = head->next;
    delete head;
    head = next;
  }
}

MissingFileQuestions* SetMissingFileQuestions(MissingFileQuestions* questions) {
  MissingFileQuestions* before = g_questions;
  g_questions = questions;
  return before;
}

int LocateMediaFile(HWND owner, const char* caption, char* path, int flags, PathRecord* folders) {
  PathParts parts;
  SplitPath(parts, path);
  const char* fileName = path + parts.name;
  const size_t fileNameLength = std::strlen(fileName);

  PathRecord* candidates = nullptr;
  for (const PathRecord* f = folders; f; f = f->next) {
    const size_t folderLength = std::strlen(f->path);
    // A candidate that would not fit a path buffer is no candidate.
    if (folderLength + fileNameLength > MAX_PATH - 1) continue;
    char candidate[MAX_PATH];
    std::memcpy(candidate, f->path, folderLength);
    std::memcpy(candidate + folderLength, fileName, fileNameLength + 1);
    if (!FileExists(candidate)) continue;
    PathRecord* record = new (std::nothrow) PathRecord(candidate, true);
    if (!record) continue;
    record->next = candidates;
    candidates = record;
  }

  int answer = kLocateSkip;
  if (g_questions) {
    // The questions work on a copy so that only a choice reaches the caller.
    char answerPath[MAX_PATH];
    CopyCut(answerPath, path);
    answer = candidates ? g_questions->SelectFile(owner, caption, answerPath, flags, candidates)
                        : g_questions->AskFile(owner, caption, answerPath, flags);
    if (answer == kLocateChosen) {
      answerPath[MAX_PATH - 1] = '\0';
      std::memcpy(path, answerPath, MAX_PATH);
      PathRecord folder(path, false);
      bool known = false;
      PathRecord* last = nullptr;
      for (PathRecord* f = folders; f; f = f->next) {
        if (PathsEqual(f->path, folder.path)) known = true;
        last = f;
      }
      if (!known && last && folder.path[0]) {
        if (PathRecord* record = new (std::nothrow) PathRecord(folder.path, true)) last->next = record;
      }
    }
  }
  PathRecord::FreeList(candidates);
  return answer;
}
