#include "model/film_records.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "model/error_codes.h"
#include "model/film.h"
#include "model/mark_list.h"
#include "model/media_interfaces.h"
#include "model/profiles.h"
#include "model/time_code.h"
#include "model/ui_strings.h"
#include "platform/core/paths.h"

using namespace project_records;

namespace {

// Asks through the remembered folders and the missing-file questions.
class FolderLocator : public MediaFileLocator {
 public:
  int LocateMediaFile(HWND owner, const char* caption, char* path, int flags, PathRecord* folders) override {
    return ::LocateMediaFile(owner, caption, path, flags, folders);
  }
};

FolderLocator g_folderLocator;
MediaFileLocator* g_locator = &g_folderLocator;
ProjectMedia g_defaultMedia;
ProjectMedia* g_media = &g_defaultMedia;

constexpr int32_t kMaxTime = kDayMs;
constexpr int32_t kMaxVolume = 2048;
constexpr int32_t kMaxOldVolume = 8192;
constexpr int32_t kMaxGainIndex = 2047;
constexpr int32_t kMaxBalance = 256;
constexpr LONG kMaxNameRecord = 128;
// Frame rates a source may be given from a file.
constexpr float kMaxFrameRate = 1000.0f;

// A profile's points; nothing for an empty profile.
void WritePoints(RecordBuffer& rec, DWORD tag, const Profile& profile) {
  const int32_t n = profile.Count();
  if (n < 1) return;
  rec.Head(tag, n * 8);
  for (int32_t k = 0; k < n; ++k) {
    rec.Value(profile[k].time);
    rec.Value(profile[k].value);
  }
}

// Marks as stored: time, the 128 name bytes, group.
void AppendMarks(RecordBuffer& rec, const MarkList& marks) {
  for (const Mark& m : marks) {
    rec.Value(m.time);
    rec.Raw(m.name, sizeof m.name);
    rec.Value(m.group);
  }
}

// Reads a stored scalar: 0, 6 (not 4 bytes long) or 19.
int ReadScalar(HMMIO file, LONG length, int32_t* value) {
  if (length != 4) return kErrInvalidFormat;
  unsigned char b[4];
  if (!ReadExact(file, b, 4)) return kErrRead;
  *value = GetLe32(b);
  return kErrOk;
}

void SetIfUnset(int& status, int code) {
  if (status == kErrOk) status = code;
}

void CopyCut(char* out, const char* text) {
  const size_t n = text ? strnlen(text, MAX_PATH - 1) : 0;
  if (n) std::memcpy(out, text, n);
  out[n] = '\0';
}

// A stored point or mark time: an offset into a source or the time-line.
// Bounded like a Film's own times, so that sums of them cannot overflow.
bool ValidTime(int32_t time) {
  return time >= 0 && time <= kMaxTime;
}

// Reads a profile record of length bytes into profile: 0, 2, 6 or 19. Old
// records hold volumes on a quarter scale.
int ReadProfile(HMMIO file, LONG length, Profile& profile, bool quarterScale) {
  profile.Clear();
  const int32_t count = length / 8;
  if (count == 0) return length == 0 ? kErrOk : kErrInvalidFormat;
  if (count == 1 || count > kMaxStoredPoints) return kErrInvalidFormat;
  std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[static_cast<size_t>(count) * 8]);
  std::unique_ptr<ProfilePoint[]> points(new (std::nothrow) ProfilePoint[count]);
  if (!bytes || !points) return kErrNoMemory;
  if (!ReadExact(file, bytes.get(), count * 8)) return kErrRead;
  for (int32_t k = 0; k < count; ++k) {
    points[k].time = GetLe32(bytes.get() + 8 * k);
    if (!ValidTime(points[k].time)) return kErrInvalidFormat;
    int64_t value = GetLe32(bytes.get() + 8 * k + 4);
    if (quarterScale) {
      // Four times a quarter-scale value may pass the gain range.
      value *= 4;
      value = value < 0 ? 0 : (value > kMaxGainIndex ? kMaxGainIndex : value);
    }
    points[k].value = static_cast<int32_t>(value);
  }
  if (!profile.Assign(points.get(), count)) return kErrNoMemory;
  return count * 8 == length ? kErrOk : kErrInvalidFormat;
}

Mark DecodeMark(const unsigned char* p) {
  Mark m;
  m.time = GetLe32(p);
  std::memcpy(m.name, p + 4, sizeof m.name);
  m.name[sizeof m.name - 1] = '\0';
  m.group = GetLe32(p + 4 + sizeof m.name);
  return m;
}

}  // namespace

namespace project_records {

std::string CutShort(DWORD tag, LONGLONG at) {
  return "the file ends inside record " + std::to_string(tag) + " at byte " + std::to_string(at);
}

std::string OutOfRange(DWORD tag, LONGLONG at, int64_t value, int64_t lo, int64_t hi) {
  return "record " + std::to_string(tag) + " at byte " + std::to_string(at) + " holds " + std::to_string(value) +
         ", outside " + std::to_string(lo) + " to " + std::to_string(hi);
}

std::string WrongLength(DWORD tag, LONGLONG at, LONG length, const char* wanted) {
  return "record " + std::to_string(tag) + " at byte " + std::to_string(at) + " is " + std::to_string(length) +
         " bytes long; " + wanted;
}

std::string PastItsContainer(DWORD tag, LONGLONG at, LONG length) {
  return "record " + std::to_string(tag) + " at byte " + std::to_string(at) + " is " + std::to_string(length) +
         " bytes long, past the end of the record that holds it";
}

std::string NegativeLength(DWORD tag, LONGLONG at, LONG length) {
  return "record " + std::to_string(tag) + " at byte " + std::to_string(at) + " has a negative length (" +
         std::to_string(length) + ")";
}

std::string BadHead(DWORD tag, LONGLONG at, LONG length) {
  if (length < 0) return NegativeLength(tag, at, length);
  return "byte " + std::to_string(at) + " holds eight zero bytes where a record should begin";
}

}  // namespace project_records

MediaFileLocator* SetMediaFileLocator(MediaFileLocator* locator) {
  MediaFileLocator* before = g_locator;
  g_locator = locator ? locator : &g_folderLocator;
  return before;
}

// ---- The media layer's defaults ----

VideoSource* ProjectMedia::OpenVideo(HWND, const char*) {
  return nullptr;
}
AudioSource* ProjectMedia::OpenAudio(const char*) {
  return nullptr;
}
MidiSource* ProjectMedia::OpenMidi(const char*) {
  return nullptr;
}
bool ProjectMedia::LacksStream(const char*, int32_t) {
  return false;
}
void ProjectMedia::SetVideoFrameRate(VideoSource*, float) {}
bool ProjectMedia::WriteEffects(HMMIO, EffectChain*) {
  return true;
}
EffectChain* ProjectMedia::ReadEffects(HMMIO, LONG, int* error) {
  if (error) *error = kErrOk;
  return nullptr;
}

ProjectMedia* SetProjectMedia(ProjectMedia* media) {
  ProjectMedia* before = g_media == &g_defaultMedia ? nullptr : g_media;
  g_media = media ? media : &g_defaultMedia;
  return before;
}

ProjectMedia& CurrentProjectMedia() {
  return *g_media;
}

// ---- Paths ----

std::string StoredPath(const char* path, const char* baseFolder) {
  return PathRelativeTo(path ? path : "", baseFolder ? baseFolder : "");
}

void ResolveStoredPath(const char* stored, const char* baseFolder, char* out) {
  std::string path = NativePath(stored);
  if (!PathIsAbsolute(path) && baseFolder && baseFolder[0]) {
    std::string base = PathWithSeparator(baseFolder);
    // The folder gives way, so that the file's own name always survives.
    const size_t room = MAX_PATH - 1;
    if (base.size() + path.size() > room) {
      // Room for the cut folder's separator too.
      base.resize(path.size() + 1 < room ? room - path.size() - 1 : 0);
    }
    if (!base.empty()) path = PathJoin(base, path);
  }
  CopyCut(out, path.c_str());
}

// ---- Marks ----

bool MarkList::Write(HMMIO file) const {
  if (count_ < 1) return true;
  RecordBuffer rec;
  AppendMarks(rec, *this);
  return rec.Flush(file);
}

int MarkList::Read(HMMIO file, LONG length) {
  const int32_t count = length < 0 ? 0 : length / kMarkRecordSize;
  if (length < 0 || count > kMaxStoredMarks) {
    count_ = 0;
    return kErrInvalidFormat;
  }
  count_ = 0;
  if (count == 0) return length == 0 ? kErrOk : kErrInvalidFormat;
  if (count > capacity_) {
    const int32_t capacity = (count + 9) / 10 * 10;
    std::unique_ptr<Mark[]> larger(new (std::nothrow) Mark[capacity]);
    if (!larger) return kErrNoMemory;
    marks_ = std::move(larger);
    capacity_ = capacity;
  }
  std::unique_ptr<unsigned char[]> bytes(
      new (std::nothrow) unsigned char[static_cast<size_t>(count) * kMarkRecordSize]);
  if (!bytes) return kErrNoMemory;
  if (!ReadExact(file, bytes.get(), count * kMarkRecordSize)) return kErrRead;
  for (int32_t k = 0; k < count; ++k) {
    marks_[k] = DecodeMark(bytes.get() + k * kMarkRecordSize);
    if (!ValidTime(marks_[k].time)) return kErrInvalidFormat;
  }
  count_ = count;
  return count * kMarkRecordSize == length ? kErrOk : kErrInvalidFormat;
}

// The older layout: 8 bytes per mark, its time and its group, no name.
int MarkList::ReadOld(HMMIO file, LONG length) {
  const int32_t count = length < 0 ? 0 : length / 8;
  if (length < 0 || count > kMaxStoredMarks) {
    count_ = 0;
    return kErrInvalidFormat;
  }
  Clear();
  if (count == 0) return length == 0 ? kErrOk : kErrInvalidFormat;
  const int32_t capacity = (count + 9) / 10 * 10;
  std::unique_ptr<Mark[]> marks(new (std::nothrow) Mark[capacity]);
  std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[static_cast<size_t>(count) * 8]);
  if (!marks || !bytes) return kErrNoMemory;
  if (!ReadExact(file, bytes.get(), count * 8)) return kErrRead;
  for (int32_t k = 0; k < count; ++k) {
    marks[k].time = GetLe32(bytes.get() + 8 * k);
    marks[k].group = GetLe32(bytes.get() + 8 * k + 4);
    if (!ValidTime(marks[k].time)) return kErrInvalidFormat;
  }
  marks_ = std::move(marks);
  capacity_ = capacity;
  count_ = count;
  return count * 8 == length ? kErrOk : kErrInvalidFormat;
}

// ---- Writing a Film ----

bool Film::WriteRecord(HMMIO file, const char* baseFolder) const {
  RecordBuffer rec;
  rec.Text(kTagFilmName, name, strnlen(name, sizeof name - 1));
  rec.Scalar(kTagFilmStart, start);
  rec.Scalar(kTagFilmEnd, end);
  rec.Scalar(kTagFilmIn, in);
  rec.Scalar(kTagFilmOut, out);
  rec.Scalar(kTagFilmSourceLength, sourceLength);
  rec.Scalar(kTagFilmGroup, group);
  if (video) {
    const std::string path = StoredPath(video->GetFileName(), baseFolder);
    rec.Text(kTagVideoPath, path.c_str(), path.size());
    double rate = std::floor(static_cast<double>(video->GetFrameRate()) * 1000.0 + 0.499);
    if (!(rate >= 0.0)) rate = 0.0;
    if (rate > INT32_MAX) rate = INT32_MAX;
    rec.Scalar(kTagVideoRate, static_cast<int32_t>(rate));
  }
  rec.Scalar(kTagVideoRow, videoRow);
  if (midi) {
    const std::string path = StoredPath(midi->GetFileName(), baseFolder);
    rec.Text(kTagMidiPath, path.c_str(), path.size());
  }
  rec.Scalar(kTagTempo, tempo);
  if (audio) {
    const std::string path = StoredPath(audio->GetFileName(), baseFolder);
    rec.Text(kTagAudioPath, path.c_str(), path.size());
  }
  rec.Scalar(kTagAudioLine, audioLine);
  rec.Scalar(kTagVolume, volume);
  WritePoints(rec, kTagVolumePoints, volumePoints);
  rec.Scalar(kTagBalance, balance);
  WritePoints(rec, kTagBalancePoints, balancePoints);
  if (effects) {
    // The chain writes its own body; its length is patched afterwards.
    if (!rec.Flush(file)) return false;
    EffectChain* chain = effects;
    if (!WritePatched(file, kTagEffects,
                      [chain](HMMIO f) { return CurrentProjectMedia().WriteEffects(f, chain); }))
      return false;
  }
  rec.Scalar(kTagDeclickIn, declickIn ? 1 : 0);
  rec.Scalar(kTagDeclickOut, declickOut ? 1 : 0);
  rec.Head(kTagMarks, marks.Count() * kMarkRecordSize);
  AppendMarks(rec, marks);
  return rec.Flush(file);
}

// ---- Reading a Film ----

namespace {

// The source of one path record, found as the moved-file rule says.
template <class Source, class Open>
int OpenRecordedSource(HMMIO file, LONG length, PathRecord* folders, SynonymFile** moved, bool* ask,
                       HWND window, Source*& source, int& status, int32_t kind, FilmReadNotes* notes, Open open) {
  if (length < 1 || length > static_cast<LONG>(MAX_PATH)) return kErrInvalidFormat;
  char stored[MAX_PATH] = {};
  if (!ReadExact(file, stored, length)) return kErrRead;
  stored[MAX_PATH - 1] = '\0';
  char path[MAX_PATH];
  ResolveStoredPath(stored, folders ? folders->path : nullptr, path);

  Source* opened = nullptr;
  SynonymFile* known = nullptr;
  for (SynonymFile* s = moved ? *moved : nullptr; s; s = s->next) {
    if (PathsEqual(s->oldPath, path)) {
      known = s;
      break;
    }
  }
  if (known) {
    if (known->newPath[0]) opened = open(known->newPath);
    SetIfUnset(status, kErrAlreadyDone);
  } else {
    opened = open(path);
    if (!opened && kind != kKindMidi && g_media->LacksStream(path, kind)) {
      // Not moved and not damaged: the clip goes on without the part its
      // file does not hold, and nobody is asked for another file.
      SetIfUnset(status, kErrAlreadyDone);
      if (notes) notes->lacking.push_back({kind, path});
    } else if (!opened) {
      SetIfUnset(status, kErrAlreadyDone);
      SynonymFile* record = new (std::nothrow) SynonymFile(path, "");
      if (record && moved) {
        record->next = *moved;
        *moved = record;
      } else {
        delete record;
        record = nullptr;
      }
      if (ask && *ask && g_locator) {
        const int answer =
            g_locator->LocateMediaFile(window, GetString(ui_string::kLoadProject), path, 1, folders);
        if (answer == kLocateChosen) {
          path[MAX_PATH - 1] = '\0';
          opened = open(path);
          if (opened && record) CopyCut(record->newPath, path);
        } else if (answer == kLocateSkipAll) {
          *ask = false;
        } else if (answer == kLocateCancel) {
          status = kErrCancelled;
        }
      }
    }
  }
  // A second record of the same kind replaces the first.
  Drop(source);
  source = opened;
  return kErrOk;
}

}  // namespace

std::string project_records::RecordProblem(int error, DWORD tag, LONGLONG at, LONG size) {
  const std::string record = "record " + std::to_string(tag) + " at byte " + std::to_string(at);
  if (error == kErrRead) return CutShort(tag, at);
  if (error == kErrNoMemory) return "there is not enough memory for " + record;
  if (error != kErrInvalidFormat) return record + " can not be read";
  switch (tag) {
    case kTagVolumePoints:
    case kTagOldVolumePoints:
    case kTagBalancePoints:
      if (size / 8 == 1 || size / 8 > kMaxStoredPoints)
        return record + " holds " + std::to_string(size / 8) + (size / 8 == 1 ? " point" : " points") +
               "; a profile holds 2 to " + std::to_string(kMaxStoredPoints);
      if (size % 8 != 0) return WrongLength(tag, at, size, "a point takes 8 bytes");
      return record + " holds a point whose time lies outside 0 to " + std::to_string(kMaxTime);
    case kTagMarks:
    case kTagOldMarks: {
      const LONG each = tag == kTagMarks ? kMarkRecordSize : 8;
      if (size / each > kMaxStoredMarks)
        return record + " holds " + std::to_string(size / each) + " marks, more than " +
               std::to_string(kMaxStoredMarks);
      if (size % each != 0)
        return WrongLength(tag, at, size, tag == kTagMarks ? "a mark takes 136 bytes" : "a mark takes 8 bytes");
      return record + " holds a mark whose time lies outside 0 to " + std::to_string(kMaxTime);
    }
    case kTagVideoPath:
    case kTagAudioPath:
    case kTagMidiPath:
      return WrongLength(tag, at, size, "a path takes 1 to 260 bytes");
    case kTagEffects:
      return record + " holds an effect list that can not be read";
    default:
      return record + " is not valid";
  }
}

int Film::ReadRecord(HMMIO file, LONG length, PathRecord* folders, SynonymFile** moved, bool* ask,
                     HWND window, FilmReadNotes* notes) {
  ProjectMedia& media = CurrentProjectMedia();
  int status = kErrOk;
  std::string why;
  float rate = 0.0f;
  int32_t checkA = 0;
  int32_t checkB = 0;
  LONG remaining = length;
  while (remaining >= 1) {
    const LONGLONG headAt = Tell(file);
    // A record must lie inside the Film's record.
    if (remaining < 8) {
      status = kErrInvalidFormat;
      why = "its last " + std::to_string(remaining) + " bytes, at byte " + std::to_string(headAt) +
            ", are too few for a record";
      break;
    }
    unsigned char head[8];
    if (!ReadExact(file, head, 8)) {
      status = kErrRead;
      why = "the file ends inside it, at byte " + std::to_string(headAt);
      break;
    }
    const DWORD tag = static_cast<DWORD>(GetLe32(head));
    const LONG size = GetLe32(head + 4);
    if (size < 0 || size > remaining - 8 || IsBlankRecord(tag, size)) {
      status = kErrInvalidFormat;
      why = size < 0 || IsBlankRecord(tag, size) ? BadHead(tag, headAt, size) : PastItsContainer(tag, headAt, size);
      break;
    }
    remaining -= 8 + size;
    const LONGLONG dataAt = Tell(file);
    if (dataAt < 0) {
      status = kErrRead;
      break;
    }

    int error = kErrOk;
    int32_t v = 0;
    std::string problem;
    // A scalar of the record, and a value checked against its range: 0 or
    // the error, with the problem told.
    auto scalar = [&](int32_t* out) {
      const int e = ReadScalar(file, size, out);
      if (e == kErrInvalidFormat) problem = WrongLength(tag, headAt, size, "a value takes 4 bytes");
      return e;
    };
    auto range = [&](int32_t value, int32_t lo, int32_t hi) {
      if (value >= lo && value <= hi) return static_cast<int>(kErrOk);
      problem = OutOfRange(tag, headAt, value, lo, hi);
      return static_cast<int>(kErrInvalidFormat);
    };
    switch (tag) {
      case kTagFilmName:
        if (size >= 1 && size <= kMaxNameRecord) {
          char text[sizeof name] = {};
          if (!ReadExact(file, text, size)) {
            error = kErrRead;
          } else {
            text[sizeof text - 1] = '\0';  // a name of 128 bytes may lack its NUL
            std::memcpy(name, text, sizeof name);
          }
        }
        break;
      case kTagFilmStart:
      case kTagFilmEnd:
      case kTagFilmIn:
      case kTagFilmOut:
      case kTagFilmSourceLength:
        error = scalar(&v);
        if (error == kErrOk) error = range(v, 0, kMaxTime);
        if (error == kErrOk) {
          int32_t* field = tag == kTagFilmStart ? &start
                           : tag == kTagFilmEnd ? &end
                           : tag == kTagFilmIn  ? &in
                           : tag == kTagFilmOut ? &out
                                                : &sourceLength;
          *field = v;
        }
        break;
      case kTagFilmGroup:
      case kTagVideoRow:
      case kTagAudioLine:
        error = scalar(&v);
        if (error == kErrOk) (tag == kTagFilmGroup ? group : tag == kTagVideoRow ? videoRow : audioLine) = v;
        break;
      case kTagVolume:
        error = scalar(&v);
        if (error == kErrOk) error = range(v, 0, kMaxVolume);
        if (error == kErrOk) volume = v;
        break;
      case kTagOldVolume:
        error = scalar(&v);
        if (error == kErrOk) error = range(v, 0, kMaxOldVolume);
        // Four times the quarter scale may pass the volume range.
        if (error == kErrOk) volume = v * 4 > kMaxVolume ? kMaxVolume : v * 4;
        break;
      case kTagBalance:
        error = scalar(&v);
        if (error == kErrOk) error = range(v, -kMaxBalance, kMaxBalance);
        if (error == kErrOk) balance = v;
        break;
      case kTagDeclickIn:
      case kTagDeclickOut:
        error = scalar(&v);
        if (error == kErrOk) (tag == kTagDeclickIn ? declickIn : declickOut) = v != 0;
        break;
      case kTagTempo:
        error = scalar(&v);
        if (error == kErrOk) error = range(v, 1, INT32_MAX);
        if (error == kErrOk) tempo = v;
        break;
      case kTagVideoRate:
        error = scalar(&v);
        if (error == kErrOk) rate = static_cast<float>(v * 0.001);
        break;
      case kTagCheckA:
        error = scalar(&checkA);
        break;
      case kTagCheckB:
        error = scalar(&checkB);
        if (error == kErrOk) error = range(checkB, 0, kMaxTime);
        break;
      case kTagVolumePoints:
      case kTagOldVolumePoints:
        error = ReadProfile(file, size, volumePoints, tag == kTagOldVolumePoints);
        break;
      case kTagBalancePoints:
        error = ReadProfile(file, size, balancePoints, false);
        break;
      case kTagMarks:
        error = marks.Read(file, size);
        break;
      case kTagOldMarks:
        error = marks.ReadOld(file, size);
        break;
      case kTagEffects: {
        int readError = kErrOk;
        EffectChain* chain = media.ReadEffects(file, size, &readError);
        if (readError == kErrOk) {
          Drop(effects);
          effects = chain;
        } else {
          Drop(chain);
          error = readError;
        }
        break;
      }
      case kTagVideoPath:
        error = OpenRecordedSource(file, size, folders, moved, ask, window, video, status, kKindVideo, notes,
                                   [&](const char* p) { return media.OpenVideo(window, p); });
        break;
      case kTagAudioPath:
        error = OpenRecordedSource(file, size, folders, moved, ask, window, audio, status, kKindAudio, notes,
                                   [&](const char* p) { return media.OpenAudio(p); });
        break;
      case kTagMidiPath:
        error = OpenRecordedSource(file, size, folders, moved, ask, window, midi, status, kKindMidi, notes,
                                   [&](const char* p) { return media.OpenMidi(p); });
        break;
      default:
        break;
    }
    if (error != kErrOk) {
      status = error;
      why = problem.empty() ? RecordProblem(error, tag, headAt, size) : problem;
    }
    if (status != kErrOk && status != kErrAlreadyDone) break;
    // Whatever a record's reader took, the next record follows its length.
    if (mmioSeek64(file, dataAt + size, SEEK_SET) != dataAt + size) {
      status = kErrRead;
      why = CutShort(tag, headAt);
      break;
    }
  }

  origin = start - in;
  if (!audio) audioLine = -1;
  if (!video) videoRow = -1;
  if (!audio) {
    volumePoints.Clear();
    balancePoints.Clear();
  } else {
    if (volumePoints.Count() < 2) volumePoints.SetTwoPoints(sourceLength, 512);
    if (balancePoints.Count() < 2) balancePoints.SetTwoPoints(sourceLength, 0);
    for (Profile* profile : {&volumePoints, &balancePoints}) {
      (*profile)[0].time = 0;
      profile->Last().time = sourceLength;
    }
  }
  if (video && rate > 0.0f && rate <= kMaxFrameRate) media.SetVideoFrameRate(video, rate);
  if (in < 0) {
    if (status == kErrOk || status == kErrAlreadyDone) {
      status = kErrInvalidFormat;
      why = "its in point is negative";
    }
    in = 0;
  }
  if (checkA == checkB) {
    if (!video) {
      const int32_t expected = in + end - start;
      if (out != expected) {
        SetIfUnset(status, kErrAlreadyDone);
        out = expected;
        if (out > sourceLength) {
          out = sourceLength;
          end = start + out - in;
        }
      }
    } else {
      const float f = ProjectFrameRate();
      const int32_t frames = MsToFrames(in, f) + MsToFrames(end, f) - MsToFrames(start, f);
      if (MsToFrames(out, f) != frames) {
        SetIfUnset(status, kErrAlreadyDone);
        out = FramesToMs(frames, f);
        if (out > sourceLength) {
          out = sourceLength;
          end = MsAddFrames(start, MsToFrames(out, f) - MsToFrames(in, f));
        }
      }
    }
  } else if (status == kErrOk) {
    status = kErrInvalidFormat;
    why = "records 453 and 454 hold different values (" + std::to_string(checkA) + " and " +
          std::to_string(checkB) + ")";
  }
  if (status == kErrOk || status == kErrAlreadyDone) {
    int32_t actual = 0;
    if (video)
      actual = FramesToMs(video->GetFrameCount(), video->GetFrameRate());
    else if (audio)
      actual = audio->GetLength();
    else if (midi)
      actual = static_cast<int32_t>(
          MulDivRound(static_cast<DWORD>(midi->GetLength()), static_cast<DWORD>(tempo), 1000));
    if (actual != sourceLength) {
      FitToSources(false);
      status = kErrAlreadyDone;
    }
  }
  // A clip must end after it starts (one with no source left goes anyway).
  if ((status == kErrOk || status == kErrAlreadyDone) && (video || audio || midi) && end <= start) {
    status = kErrInvalidFormat;
    why = "it ends at " + std::to_string(end) + " ms, not after its start at " + std::to_string(start) + " ms";
  }
  if (notes != nullptr && status != kErrOk && status != kErrAlreadyDone) notes->why = why;
  return status;
}
