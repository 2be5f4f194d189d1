// Splitting paths, the lists of one load (remembered folders and moved
// files), and finding a media file that is not where a project says.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

// Offsets into a path and the lengths between them. The extension keeps its
// dot; a name without a dot, or one that begins with its only dot, has none.
struct PathParts {
  int32_t drive = 0;
  int32_t dir = 0;
  int32_t name = 0;
  int32_t ext = 0;
  int32_t length = 0;
  int32_t driveLength = 0;
  int32_t dirLength = 0;
  int32_t nameLength = 0;
  int32_t extLength = 0;
};

// Splits path at its drive colon and its last separator ("\" or "/"); a null
// path gives all zeros.
void SplitPath(PathParts& parts, const char* path);

// One path of a list, cut to 259 characters.
struct PathRecord {
  // whole = false keeps the folder part only, with its trailing separator.
  PathRecord(const char* path, bool whole);
  static void FreeList(PathRecord* head);

  PathRecord* next = nullptr;
  char path[MAX_PATH] = {};
};

// A media file found missing during a load and what replaced it (empty: it
// was skipped), so that later references get the same answer.
struct SynonymFile {
  SynonymFile(const char* oldPath, const char* newPath);
  static void FreeList(SynonymFile* head);

  SynonymFile* next = nullptr;
  char oldPath[MAX_PATH] = {};
  char newPath[MAX_PATH] = {};
};

// Answers of the moved-file questions.
constexpr int kLocateChosen = 1;
constexpr int kLocateCancel = 2;
constexpr int kLocateSkip = 7;
constexpr int kLocateSkipAll = 1377;

// The two questions about a missing file. path is a buffer of MAX_PATH
// holding the missing file; on kLocateChosen it holds the chosen file.
// filterIndex is the clip filter a browse starts on. The dialogs install the
// real ones; without them every missing file is skipped.
class MissingFileQuestions {
 public:
  virtual ~MissingFileQuestions() = default;
  // Browse, skip, skip all or cancel.
  virtual int AskFile(HWND owner, const char* caption, char* path, int filterIndex) = 0;
  // As AskFile, with files of the same name to choose from (never empty).
  virtual int SelectFile(HWND owner, const char* caption, char* path, int filterIndex,
                         const PathRecord* candidates) = 0;
};

// Installs questions (null: none); returns the ones before.
MissingFileQuestions* SetMissingFileQuestions(MissingFileQuestions* questions);

// Looks for path's file name in the remembered folders and asks the user;
// returns one of the kLocate* answers. Only kLocateChosen changes path. The
// folder of a chosen file is remembered at the end of folders (which must
// not be null for that) unless it is there already.
int LocateMediaFile(HWND owner, const char* caption, char* path, int flags, PathRecord* folders);
