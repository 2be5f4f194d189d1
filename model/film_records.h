// The records of one Film and of the mark lists inside a project file, and
// what reading them needs from outside: the media layer that opens sources
// by path and keeps effect chains, the question that finds a moved media
// file, and the lists of one load (remembered folders, moved files).
//
// A Film is stored as the data of one record 400: a run of {u32 tag, i32
// length, data} records, little-endian, texts with their NUL counted. A mark
// is 136 bytes: i32 time, char name[128], i32 group.
//
// Film::WriteRecord, Film::ReadRecord, MarkList::Write, MarkList::Read and
// MarkList::ReadOld (declared with their classes) are defined in
// film_records.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/path_record.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

class VideoSource;
class AudioSource;
class MidiSource;
class EffectChain;

// Tags of a Film record's data, in the order written, and the older ones
// still read.
enum FilmRecordTag : DWORD {
  kTagFilmName = 401,
  kTagFilmStart = 402,
  kTagFilmEnd = 403,
  kTagFilmIn = 405,
  kTagFilmOut = 406,
  kTagFilmSourceLength = 407,
  kTagFilmGroup = 408,
  kTagVideoPath = 456,
  kTagVideoRate = 457,
  kTagVideoRow = 455,
  kTagMidiPath = 471,
  kTagTempo = 472,
  kTagAudioPath = 461,
  kTagAudioLine = 462,
  kTagVolume = 465,
  kTagVolumePoints = 301,
  kTagBalance = 464,
  kTagBalancePoints = 350,
  kTagEffects = 600,
  kTagDeclickIn = 466,
  kTagDeclickOut = 467,
  kTagMarks = 201,
  // Older forms.
  kTagOldMarks = 200,
  kTagOldVolumePoints = 300,
  kTagOldVolume = 463,
  kTagCheckA = 453,
  kTagCheckB = 454,
};

// Bytes of one stored mark, and the most marks a record may hold.
constexpr LONG kMarkRecordSize = 136;
constexpr int32_t kMaxStoredMarks = 1000;
// The most points a stored profile may hold.
constexpr int32_t kMaxStoredPoints = 1000;

// The question that finds a moved media file: path (a buffer of 260
// characters) holds the missing file and, on kLocateChosen, the file the
// user chose; folders is the load's list of remembered folders, which the
// question may extend. By default (and after installing null) the question
// is LocateMediaFile.
class MediaFileLocator {
 public:
  virtual ~MediaFileLocator() = default;
  virtual int LocateMediaFile(HWND owner, const char* caption, char* path, int flags,
                              PathRecord* folders) = 0;
};

// Installs locator (null: the default); returns the one before.
MediaFileLocator* SetMediaFileLocator(MediaFileLocator* locator);

// What reading a Film has to tell beside its status: why a status drops the
// Film, and the media files that are there but hold no stream of the kind
// its record names (the Film is read without that part).
struct FilmReadNotes {
  struct Lacking {
    int32_t kind;  // 1 video, 2 audio
    std::string path;
  };
  std::string why;
  std::vector<Lacking> lacking;
};

// What the project file needs of the media layer: sources opened by path
// (shared, with one reference for the caller, or null), the frame rate of a
// video source, and a Film's effect chain as the body of a record 600. The
// media layer installs the real one at start-up; the defaults open nothing
// and store no effect chain.
class ProjectMedia {
 public:
  virtual ~ProjectMedia() = default;
  virtual VideoSource* OpenVideo(HWND window, const char* path);
  virtual AudioSource* OpenAudio(const char* path);
  virtual MidiSource* OpenMidi(const char* path);
  // True when the file at path, which did not open as a source of kind (1
  // video, 2 audio), is a readable file without a stream of that kind.
  virtual bool LacksStream(const char* path, int32_t kind);
  // Does nothing while the source's file is open.
  virtual void SetVideoFrameRate(VideoSource* video, float rate);
  // Writes the chain's body at the current position; false on a short write.
  virtual bool WriteEffects(HMMIO file, EffectChain* effects);
  // Reads a body of size bytes: the chain (one reference for the caller) or
  // null, with *error 0 or the format's error code.
  virtual EffectChain* ReadEffects(HMMIO file, LONG size, int* error);
};

// Installs media (null: the defaults); returns the one before.
ProjectMedia* SetProjectMedia(ProjectMedia* media);
ProjectMedia& CurrentProjectMedia();

// A path as stored: relative to baseFolder when it lies inside it,
// otherwise whole.
std::string StoredPath(const char* path, const char* baseFolder);
// A stored path read against baseFolder, in a buffer of MAX_PATH: a relative
// one gets the folder in front, the folder cut so that the whole fits.
void ResolveStoredPath(const char* stored, const char* baseFolder, char* out);

// The framing of the project file's records, shared by its readers and
// writers.
namespace project_records {

inline void PutLe32(char* p, DWORD v) {
  p[0] = static_cast<char>(v);
  p[1] = static_cast<char>(v >> 8);
  p[2] = static_cast<char>(v >> 16);
  p[3] = static_cast<char>(v >> 24);
}

inline int32_t GetLe32(const unsigned char* p) {
  return static_cast<int32_t>(static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) |
                              (static_cast<DWORD>(p[2]) << 16) | (static_cast<DWORD>(p[3]) << 24));
}

inline bool ReadExact(HMMIO file, void* buffer, LONG n) {
  return n == 0 || mmioRead(file, buffer, n) == n;
}

// A head of eight zero bytes: tag 0 is no record's, and an empty record of
// it carries nothing. It is what a blanked or sparse file holds, which a
// walk would otherwise step over eight bytes at a time for as long as the
// file is: it ends the walk as damage.
inline bool IsBlankRecord(DWORD tag, LONG length) {
  return tag == 0 && length == 0;
}

// The current position, or -1.
inline LONGLONG Tell(HMMIO file) {
  return mmioSeek64(file, 0, SEEK_CUR);
}

// Records gathered in memory and handed to the file in one write.
class RecordBuffer {
 public:
  void Head(DWORD tag, LONG length) {
    char head[8];
    PutLe32(head, tag);
    PutLe32(head + 4, static_cast<DWORD>(length));
    bytes_.append(head, 8);
  }
  void Value(int32_t v) {
    char b[4];
    PutLe32(b, static_cast<DWORD>(v));
    bytes_.append(b, 4);
  }
  void Value16(uint16_t v) {
    const char b[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
    bytes_.append(b, 2);
  }
  void Scalar(DWORD tag, int32_t v) {
    Head(tag, 4);
    Value(v);
  }
  // The text with its NUL.
  void Text(DWORD tag, const char* text, size_t length) {
    Head(tag, static_cast<LONG>(length + 1));
    bytes_.append(text, length);
    bytes_.push_back('\0');
  }
  void Raw(const void* data, size_t n) { bytes_.append(static_cast<const char*>(data), n); }
  bool Flush(HMMIO file) {
    const LONG n = static_cast<LONG>(bytes_.size());
    const bool ok = n == 0 || mmioWrite(file, bytes_.data(), n) == n;
    bytes_.clear();
    return ok;
  }

 private:
  std::string bytes_;
};

// Why a record is refused, for the detail of the error: at is the offset of
// the record's header in the file.
std::string CutShort(DWORD tag, LONGLONG at);
std::string OutOfRange(DWORD tag, LONGLONG at, int64_t value, int64_t lo, int64_t hi);
std::string WrongLength(DWORD tag, LONGLONG at, LONG length, const char* wanted);
std::string PastItsContainer(DWORD tag, LONGLONG at, LONG length);
std::string NegativeLength(DWORD tag, LONGLONG at, LONG length);
// A head that cannot begin a record: a negative length or a blank head.
std::string BadHead(DWORD tag, LONGLONG at, LONG length);
// Why a record of size bytes was refused when its own reader gave error (a
// point or mark record, a path, an effect list or any other).
std::string RecordProblem(int error, DWORD tag, LONGLONG at, LONG size);

// Writes a record whose body write(file) puts at the current position, and
// then its length: a body that turned out empty keeps length 0. False at a
// short write.
template <class Body>
bool WritePatched(HMMIO file, DWORD tag, Body write) {
  RecordBuffer head;
  const LONGLONG at = Tell(file);
  head.Head(tag, 0);
  if (at < 0 || !head.Flush(file) || !write(file)) return false;
  const LONGLONG end = Tell(file);
  const LONGLONG length = end - at - 8;
  if (end < 0 || length > 0x7FFFFFFF) return false;
  if (length <= 0) return true;
  head.Head(tag, static_cast<LONG>(length));
  return mmioSeek64(file, at, SEEK_SET) == at && head.Flush(file) && mmioSeek64(file, end, SEEK_SET) == end;
}

}  // namespace project_records
