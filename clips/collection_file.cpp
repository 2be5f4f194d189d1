// The ".prc" file of a collection. After a 40-byte header comes one record
// 1000 holding the version (1001), one record 1100 per tile with the clip's
// sub-records, and the waveform overviews (1200) of the sounds the tiles
// use. A record is {u32 id, i32 size, size bytes}, little-endian; texts
// count their NUL. Ids a reader does not know are skipped by their size.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "clips/clip_collection.h"
#include "clips/collection_shell.h"
#include "media/progress_hooks.h"
#include "media/wave_overview.h"
#include "model/error_codes.h"
#include "model/film_records.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/core/files.h"
#include "platform/core/paths.h"

using namespace project_records;

namespace {

constexpr char kSignature[40] = "ClipCollection Project (c) Firm Tarnlex";
static_assert(sizeof kSignature == 40, "the header is the text and its NUL");

enum CollectionRecord : DWORD {
  kRecCollection = 1000,
  kRecVersion = 1001,
  kRecClip = 1100,
  kRecName = 1101,
  kRecPath = 1102,
  kRecPicture = 1103,
  kRecIn = 1104,
  kRecOut = 1105,
  kRecDuration = 1106,
  kRecLength = 1107,
  kRecFace = 1108,
  kRecKind = 1109,
  kRecSources = 1110,
  kRecVideoType = 1111,
  kRecFrameRate = 1112,
  kRecWaveform = 1200,
};

constexpr int32_t kVersion = 0x00010001;
constexpr int32_t kMaxTime = kDayMs;
// A stored path holds at most a path buffer: 259 characters and the NUL.
constexpr LONG kMaxPathRecord = MAX_PATH;

bool Exists(const char* path) {
  const DWORD attributes = GetFileAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CopyPath(char* out, const char* text) {
  std::snprintf(out, MAX_PATH, "%s", text != nullptr ? text : "");
}

// The load's moved files as the waveform reader asks for them.
class MovedFiles : public MovedFileList {
 public:
  explicit MovedFiles(SynonymFile* const* head) : head_(head) {}
  const char* NewPathOf(const char* oldPath) const override {
    for (const SynonymFile* s = head_ != nullptr ? *head_ : nullptr; s != nullptr; s = s->next)
      if (PathsEqual(s->oldPath, oldPath)) return s->newPath[0] != '\0' ? s->newPath : nullptr;
    return nullptr;
  }

 private:
  SynonymFile* const* head_;
};

// Reads a scalar sub-record of size bytes within [low, high]: 0, 6 or 19.
int ReadScalarIn(HMMIO file, LONG size, int32_t low, int32_t high, int32_t* value) {
  if (size != 4) return kErrInvalidFormat;
  unsigned char b[4];
  if (!ReadExact(file, b, 4)) return kErrRead;
  const int32_t v = GetLe32(b);
  if (v < low || v > high) return kErrInvalidFormat;
  *value = v;
  return kErrOk;
}

bool Skip(HMMIO file, LONG size) {
  return size == 0 || mmioSeek64(file, size, SEEK_CUR) >= 0;
}

int32_t StoredRate(float rate) {
  double value = std::floor(static_cast<double>(rate) * 1000.0 + 0.499);
  if (!(value >= 0.0)) value = 0.0;
  if (value > kMaxTime) value = kMaxTime;
  return static_cast<int32_t>(value);
}

}  // namespace

// ---- Writing.

bool ClipData::WriteRecord(HMMIO file, const char* directory) const {
  RecordBuffer rec;
  rec.Text(kRecName, name, strnlen(name, kClipNameSize - 1));
  const std::string stored = StoredPath(path, directory);
  rec.Text(kRecPath, stored.c_str(), stored.size());
  rec.Scalar(kRecIn, inTime);
  rec.Scalar(kRecOut, outTime);
  rec.Scalar(kRecDuration, duration);
  rec.Scalar(kRecLength, sourceLength);
  rec.Scalar(kRecKind, static_cast<int32_t>(kind));
  const int32_t sources = (video != nullptr ? kClipVideo : 0) | (audio != nullptr ? kClipAudio : 0) |
                          (midi != nullptr ? kClipMidi : 0);
  rec.Scalar(kRecSources, sources);
  if (video != nullptr) {
    rec.Scalar(kRecVideoType, video->sourceKind);
    rec.Scalar(kRecFace, faceTime);
    if (CurrentCollectionShell().SavePostage()) {
      rec.Head(kRecPicture, kThumbnailBytes);
      rec.Raw(pixels, kThumbnailBytes);
    }
    rec.Scalar(kRecFrameRate, StoredRate(video->GetFrameRate()));
  }
  return rec.Flush(file);
}

bool ClipCollection::Write(HMMIO file, const char* directory, bool keepModified) {
  if (file == nullptr) return false;
  if (mmioWrite(file, kSignature, sizeof kSignature) != static_cast<LONG>(sizeof kSignature)) return false;
  const char* folder = directory != nullptr ? directory : "";
  const bool written = WritePatched(file, kRecCollection, [&](HMMIO f) {
    RecordBuffer version;
    version.Scalar(kRecVersion, kVersion);
    if (!version.Flush(f)) return false;
    for (const ClipWindow* tile : tiles_) {
      const ClipData& clip = tile->clip;
      if (!WritePatched(f, kRecClip, [&](HMMIO g) { return clip.WriteRecord(g, folder); })) return false;
    }
    if (!CurrentCollectionShell().SaveWaveform()) return true;
    // In the order the sounds were opened; only those some tile uses.
    for (AudioData* source = AudioData::FirstShared(); source != nullptr; source = source->next) {
      bool used = false;
      for (const ClipWindow* tile : tiles_) used = used || tile->clip.audio == source;
      if (!used) continue;
      if (!WritePatched(f, kRecWaveform, [&](HMMIO g) {
            LONG size = 0;
            return SaveWaveform(source, g, &size, folder);
          }))
        return false;
    }
    return true;
  });
  if (!written) return false;
  if (!keepModified) SetModified(false);
  return true;
}

// ---- Reading.

int ClipData::ReadRecord(ClipCollection* owner, HMMIO file, LONG size, PathRecord* folders,
                         SynonymFile** moved, bool* ask, std::string* damage) {
  ReleaseSources();
  // The record's frame is broken, not a value in it: said, not only dropped.
  auto damaged = [damage](int code, std::string why) {
    if (damage != nullptr) *damage = std::move(why);
    return code;
  };
  HWND window = owner != nullptr ? owner->GetHandle() : nullptr;
  char stored[kMaxPathRecord + 1] = {};
  uint32_t sources = 0;
  int32_t videoType = 1;
  int32_t rate = 0;
  int32_t value = 0;
  bool pictureRead = false;
  LONG remaining = size;
  while (remaining > 0) {
    const LONGLONG at = Tell(file);
    // Every sub-record lies inside the clip's record.
    if (remaining < 8)
      return damaged(kErrInvalidFormat, "its last " + std::to_string(remaining) + " bytes, at byte " +
                                            std::to_string(at) + ", are too few for a record");
    unsigned char head[8];
    if (!ReadExact(file, head, 8))
      return damaged(kErrRead, "the file ends inside it, at byte " + std::to_string(at));
    const DWORD id = static_cast<DWORD>(GetLe32(head));
    const LONG length = GetLe32(head + 4);
    remaining -= 8;
    if (length < 0 || IsBlankRecord(id, length)) return damaged(kErrInvalidFormat, BadHead(id, at, length));
    if (length > remaining) return damaged(kErrInvalidFormat, PastItsContainer(id, at, length));
    remaining -= length;
    const auto cut = [&] { return damaged(kErrRead, CutShort(id, at)); };
    int status = kErrOk;
    switch (id) {
      case kRecName:
        if (length < 1 || length > kClipNameSize) {
          if (!Skip(file, length)) return cut();
          break;
        }
        if (!ReadExact(file, name, length)) return cut();
        name[length < kClipNameSize ? length : kClipNameSize - 1] = '\0';
        break;
      case kRecPath:
        if (length > kMaxPathRecord) return kErrInvalidFormat;
        std::memset(stored, 0, sizeof stored);
        if (!ReadExact(file, stored, length)) return cut();
        break;
      case kRecIn:
        status = ReadScalarIn(file, length, 0, kMaxTime, &inTime);
        break;
      case kRecOut:
        status = ReadScalarIn(file, length, 0, kMaxTime, &outTime);
        break;
      case kRecDuration:
        status = ReadScalarIn(file, length, 1, kMaxTime, &duration);
        break;
      case kRecLength:
        status = ReadScalarIn(file, length, 1, kMaxTime, &sourceLength);
        break;
      case kRecFace:
        status = ReadScalarIn(file, length, 0, kMaxTime, &faceTime);
        break;
      case kRecKind:
        status = ReadScalarIn(file, length, INT32_MIN, INT32_MAX, &value);
        kind = static_cast<uint32_t>(value);
        break;
      case kRecSources:
        status = ReadScalarIn(file, length, INT32_MIN, INT32_MAX, &value);
        sources = static_cast<uint32_t>(value);
        break;
      case kRecVideoType:
        status = ReadScalarIn(file, length, 1, 2, &videoType);
        break;
      case kRecFrameRate:
        status = ReadScalarIn(file, length, 1, kMaxTime, &rate);
        break;
      case kRecPicture:
        if (length != kThumbnailBytes) return kErrInvalidFormat;
        if (!ReadExact(file, pixels, kThumbnailBytes)) return cut();
        pictureRead = true;
        break;
      default:
        if (!Skip(file, length)) return cut();
        break;
    }
    if (status == kErrRead) return cut();
    if (status != kErrOk) return status;
  }

  // A clip stored without its length on the time-line takes its in and out
  // span, so that what is written back reads back.
  const bool completed = duration < 1;
  if (completed) duration = std::max(1, outTime - inTime);

  // The file, as the load found it: relative paths lie under the collection's
  // folder, and a file once missing has its answer in the moved-file list.
  char resolved[MAX_PATH] = {};
  if (stored[0] != '\0') ResolveStoredPath(stored, folders != nullptr ? folders->path : nullptr, resolved);
  int result = kErrOk;
  if (resolved[0] != '\0') {
    SynonymFile* known = nullptr;
    for (SynonymFile* s = moved != nullptr ? *moved : nullptr; s != nullptr; s = s->next)
      if (PathsEqual(s->oldPath, resolved)) {
        known = s;
        break;
      }
    if (known != nullptr) {
      CopyPath(resolved, known->newPath);
      result = kErrAlreadyDone;
    } else if (!Exists(resolved)) {
      result = kErrAlreadyDone;
      SynonymFile* record = new (std::nothrow) SynonymFile(resolved, "");
      if (record != nullptr && moved != nullptr) {
        record->next = *moved;
        *moved = record;
      } else {
        delete record;
        record = nullptr;
      }
      if (ask != nullptr && *ask) {
        char answerPath[MAX_PATH];
        CopyPath(answerPath, resolved);
        const int answer =
            LocateMediaFile(window, GetString(ui_string::kLoadClipCollection), answerPath, 1, folders);
        if (answer == kLocateChosen) {
          answerPath[MAX_PATH - 1] = '\0';
          if (Exists(answerPath) && record != nullptr) CopyPath(record->newPath, answerPath);
        } else if (answer == kLocateSkipAll) {
          *ask = false;
        } else if (answer == kLocateCancel) {
          result = kErrCancelled;
        }
      }
      CopyPath(resolved, record != nullptr ? record->newPath : "");
    }
  }
  if (resolved[0] == '\0') {
    kind = 0;
    return result;
  }

  // MIDI, then sound, then picture: the last one opened gives the length.
  int32_t length = 0;
  if (sources & kClipMidi) {
    midi = MidiData::Get(resolved);
    if (midi != nullptr) {
      path = midi->GetFileName();
      length = midi->GetLength();
    } else {
      kind &= ~kClipMidi;
    }
  }
  if (sources & kClipAudio) {
    audio = AudioData::OpenShared(resolved);
    if (audio != nullptr) {
      path = audio->GetFileName();
      length = audio->GetLength();
    } else {
      kind &= ~kClipAudio;
    }
  }
  if (sources & kClipVideo) {
    video = AVIVideoData::OpenShared(window, videoType, resolved, static_cast<float>(rate * 0.001));
    if (video != nullptr) {
      path = video->GetFileName();
      length = FramesToMs(video->GetFrameCount(), video->GetFrameRate());
      if (!pictureRead) video->GetThumbnail(pixels, faceTime);
    } else {
      kind &= ~kClipVideo;
      // Open already at another rate: the user was told.
      if (AVIVideoData::FindByName(resolved) != nullptr) result = kErrAlreadyDone;
    }
  }
  if (video == nullptr && audio == nullptr && midi == nullptr) {
    if (result == kErrOk) {
      ErrorBox(window, kErrOpen, GetString(ui_string::kLoadClipCollection), resolved);
      result = kErrAlreadyDone;
    }
    return result;
  }
  if (sourceLength != length) {
    Revalidate();
    result = kErrAlreadyDone;
    ShowMessage(window, GetString(ui_string::kLoadClipCollection), MB_ICONEXCLAMATION,
                GetString(ui_string::kSourceSizeDiffers), path);
  }
  if (completed && result == kErrOk) result = kErrAlreadyDone;
  return result;
}

int ClipCollection::Read(HMMIO file, PathRecord* folders, SynonymFile** moved, std::string* reason) {
  std::string why;
  const auto refuse = [&](int code, std::string what) {
    if (reason != nullptr) *reason = std::move(what);
    return code;
  };
  if (reason != nullptr) reason->clear();
  if (file == nullptr) return kErrInvalidFormat;
  char header[sizeof kSignature];
  if (mmioSeek64(file, 0, SEEK_SET) != 0 || !ReadExact(file, header, sizeof header))
    return refuse(kErrInvalidFormat, "it is shorter than the header a collection begins with");
  if (std::memcmp(header, kSignature, sizeof header) != 0)
    return refuse(kErrInvalidFormat, std::string("it does not begin with the header \"") + kSignature + "\"");
  const LONGLONG fileEnd = mmioSeek64(file, 0, SEEK_END);
  if (fileEnd < 0 || mmioSeek64(file, sizeof header, SEEK_SET) < 0)
    return refuse(kErrRead, "the file can not be read after its header");

  // The collection record; whatever comes before it is skipped.
  LONGLONG at = sizeof header;
  LONG collectionSize = 0;
  for (;;) {
    unsigned char head[8];
    if (at + 8 > fileEnd || !ReadExact(file, head, 8))
      return refuse(kErrInvalidFormat, "no collection record (1000) follows its header");
    const DWORD id = static_cast<DWORD>(GetLe32(head));
    const LONG size = GetLe32(head + 4);
    if (size < 0 || IsBlankRecord(id, size)) return refuse(kErrInvalidFormat, BadHead(id, at, size));
    const LONGLONG headAt = at;
    at += 8;
    if (id == kRecCollection) {
      collectionSize = size;
      break;
    }
    at += size;
    if (at > fileEnd || mmioSeek64(file, at, SEEK_SET) != at)
      return refuse(kErrInvalidFormat, CutShort(id, headAt) + ", before any collection record (1000)");
  }

  WaitCursor wait;
  const MovedFiles movedFiles(moved);
  int error = kErrOk;
  // Why the error is what it is: the last one met, as the error.
  const auto fail = [&](int code, std::string what) {
    error = code;
    why = std::move(what);
  };
  bool ask = true;
  bool skipRemaining = false;
  int32_t clipCount = 0;
  const LONGLONG collectionEnd = at + collectionSize;
  while (at < collectionEnd) {
    // A record past the collection's end or the file's stops the read.
    if (at + 8 > collectionEnd) {
      fail(kErrInvalidFormat, "the collection record (1000) ends " + std::to_string(collectionEnd - at) +
                                  " bytes after byte " + std::to_string(at) +
                                  ", too few for the head of the record there");
      break;
    }
    unsigned char head[8];
    if (at + 8 > fileEnd || !ReadExact(file, head, 8)) {
      fail(kErrRead, "the file ends at byte " + std::to_string(fileEnd) +
                         ", but its collection record (1000) goes on to byte " +
                         std::to_string(collectionEnd));
      break;
    }
    const DWORD id = static_cast<DWORD>(GetLe32(head));
    const LONG size = GetLe32(head + 4);
    const LONGLONG headAt = at;
    at += 8;
    if (size < 0 || IsBlankRecord(id, size)) {
      fail(kErrInvalidFormat, BadHead(id, headAt, size));
      break;
    }
    if (at + size > collectionEnd) {
      fail(kErrInvalidFormat, PastItsContainer(id, headAt, size));
      break;
    }
    if (at + size > fileEnd) {
      fail(kErrRead, CutShort(id, headAt));
      break;
    }
    if (id == kRecClip) ++clipCount;
    if (id == kRecClip && !skipRemaining) {
      const std::string named =
          "clip " + std::to_string(clipCount) + " (record 1100 at byte " + std::to_string(headAt) + ")";
      ClipWindow* tile = new (std::nothrow) ClipWindow(viewMode_);
      if (tile == nullptr) {
        fail(kErrNoMemory, "there is not enough memory for " + named);
      } else {
        std::string damage;
        const int result = tile->clip.ReadRecord(this, file, size, folders, moved, &ask, &damage);
        const ClipData& clip = tile->clip;
        const bool held = clip.video != nullptr || clip.audio != nullptr || clip.midi != nullptr;
        if (result == kErrCancelled) skipRemaining = true;
        if ((result == kErrOk || result == kErrAlreadyDone) && held) {
          if (result == kErrAlreadyDone) SetModified(true);
          InsertClip(tile, -1);
        } else {
          delete tile;
          SetModified(true);
        }
        // A clip whose records do not fit together is damage to say; one
        // with a value out of its range is only left out.
        if (!damage.empty()) fail(result, named + ": " + damage);
      }
    } else if (id == kRecWaveform) {
      const int result = LoadWaveform(file, size, folders != nullptr ? folders->path : nullptr, &movedFiles);
      if (result == kErrCancelled)
        SetModified(true);
      else if (result != kErrOk && result != kErrAlreadyDone)
        fail(result, result == kErrInvalidFormat ? "record 1200 at byte " + std::to_string(headAt) +
                                                       " holds a waveform overview that can not be read"
                                                 : RecordProblem(result, id, headAt, size));
    }
    at += size;
    if (mmioSeek64(file, at, SEEK_SET) != at) {
      fail(kErrRead, "the file can not be read after record " + std::to_string(id) + " at byte " +
                         std::to_string(headAt));
      break;
    }
  }

  if (autoSort_)
    SortByType();
  else
    Layout(false);
  if (error != kErrOk) SetModified(true);
  if (reason != nullptr) *reason = why;
  return error;
}
