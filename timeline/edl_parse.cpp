// Reading an edit decision list into a list of films: first its clip list
// (which file and which stretch of it each clip id stands for), then its
// tracks, whose records place the clips, the audio ones with their level
// points.
#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>

#include "model/error_codes.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/levels.h"
#include "model/time_code.h"
#include "platform/core/paths.h"
#include "timeline/edl_format.h"

namespace {

constexpr int32_t kVideoRows = 2;
constexpr int32_t kAudioLines = 4;

// What a clip id of the list stands for.
struct EdlClip {
  VideoSource* video = nullptr;
  AudioSource* audio = nullptr;
  const char* name = nullptr;
  int32_t in = 0;  // frames
  int32_t out = 0;
};

// The clip record a film is made from: a stretch of the file's sources,
// named after the file.
class EdlClipItem : public ClipItem {
 public:
  EdlClipItem(const EdlClip& clip, int32_t in, int32_t out)
      : clip_(clip), in_(in), out_(out), name_(PathStem(clip.name != nullptr ? clip.name : "")) {}
  VideoSource* GetVideo() const override { return clip_.video; }
  AudioSource* GetAudio() const override { return clip_.audio; }
  MidiSource* GetMidi() const override { return nullptr; }
  int32_t GetIn() const override { return in_; }
  int32_t GetOut() const override { return out_; }
  int32_t GetLength() const override { return out_ - in_; }
  const char* GetName() const override { return name_.c_str(); }

 private:
  const EdlClip& clip_;
  int32_t in_;
  int32_t out_;
  std::string name_;
};

int32_t Ms(int32_t frames) {
  return FramesToMs(frames, ProjectFrameRate());
}

int32_t Frames(int64_t ms) {
  return MsToFrames(static_cast<LONG>(std::clamp<int64_t>(ms, INT32_MIN, INT32_MAX)), ProjectFrameRate());
}

class EdlParser {
 public:
  EdlParser(FilmListHead& films, std::FILE* file, const EdlFileRecord* files, HWND owner, EdlParseResult& result)
      : films_(films), reader_(file), files_(files), owner_(owner), result_(result) {}

  int Run() {
    if (int error = ReadClips(); error != kErrOk) return error;
    return ReadTracks();
  }

 private:
  bool FindLine(const char* keyword) {
    reader_.Rewind();
    while (reader_.Next()) {
      if (reader_.Begins(keyword)) return true;
    }
    return false;
  }

  int ReadClips() {
    if (!FindLine("[Clips,")) return kErrInvalidFormat;
    while (reader_.Next() && !reader_.Begins("]")) {
      int32_t v[4];
      if (ScanEdlNumbers(reader_.Text(), "[ClipID #%d,FileID=%d,In=%d,Out=%d", v, 4) != 4) return kErrInvalidFormat;
      const EdlFileRecord* file = FindEdlFile(files_, v[1]);
      // A clip must be a stretch of its file that lies on a day's time-line.
      if (file == nullptr || v[2] < 0 || v[3] <= v[2] || Ms(v[3]) > kDayMs) return kErrInvalidFormat;
      try {
        clips_[v[0]] = EdlClip{file->video, file->audio, file->name, v[2], v[3]};
      } catch (const std::bad_alloc&) {
        return kErrNoMemory;
      }
    }
    return kErrOk;
  }

  int ReadTracks() {
    if (!FindLine("[Tracks,")) return kErrInvalidFormat;
    int32_t videoTracks = 0;
    int32_t audioTracks = 0;
    while (reader_.Next() && !reader_.Begins("]")) {
      if (!reader_.Begins("[Track ")) continue;
      if (!reader_.Next()) break;
      int error = kErrOk;
      if (reader_.Begins("[Video")) {
        SkipEdlBlock(reader_);
        error = ReadRecords(kKindVideo, videoTracks++);
      } else if (reader_.Begins("[Audio")) {
        SkipEdlBlock(reader_);
        error = ReadRecords(kKindAudio, audioTracks++);
      } else {
        SkipEdlBlock(reader_);
      }
      if (error != kErrOk) return error;
    }
    return kErrOk;
  }

  // The records of one track, up to the line that closes it. Tracks beyond
  // the time-line's rows and lines are passed over.
  int ReadRecords(int32_t kind, int32_t track) {
    const bool placed = kind == kKindVideo ? track < kVideoRows : track < kAudioLines;
    while (reader_.Next() && !reader_.Begins("]")) {
      if (!placed) {
        SkipEdlBlock(reader_);
      } else if (int error = ReadRecord(kind, track); error != kErrOk) {
        return error;
      }
    }
    return kErrOk;
  }

  int ReadRecord(int32_t kind, int32_t track) {
    int32_t v[4];
    if (ScanEdlNumbers(reader_.Text(), "[Track_Record #%d, ClipID=%d, Start=%d, End=%d", v, 4) != 4)
      return kErrInvalidFormat;
    auto it = clips_.find(v[1]);
    if (it == clips_.end() || v[2] < 0) return kErrInvalidFormat;
    const EdlClip& clip = it->second;
    const int32_t start = Ms(v[2]);
    const int32_t in = Ms(clip.in);
    const int32_t out = Ms(clip.out);
    if (static_cast<int64_t>(start) + (out - in) > kDayMs) return kErrInvalidFormat;

    Film* film = nullptr;
    if (kind == kKindVideo ? clip.video != nullptr : clip.audio != nullptr) {
      try {
        film = new Film(EdlClipItem(clip, in, out), start, kind, kind == kKindAudio ? track : 0,
                        kind == kKindVideo ? track : 0);
      } catch (const std::bad_alloc&) {
        return kErrNoMemory;
      }
      // A stretch beyond the end of its file leaves nothing to place.
      if (film->end <= film->start || !film->LinkAtKeyFrame(owner_, films_)) {
        delete film;
        film = nullptr;
      }
    }
    if (film != nullptr) result_.linked = true;
    if (film == nullptr || kind == kKindVideo) {
      SkipEdlBlock(reader_);
      return kErrOk;
    }
    result_.highestAudioLine = std::max(result_.highestAudioLine, track);
    if (std::strchr(reader_.Line(), ']') != nullptr) return kErrOk;
    while (reader_.Next() && !reader_.Begins("]")) {
      if (reader_.Begins("[RubberBand")) {
        if (int error = ReadBand(*film); error != kErrOk) return error;
      } else {
        SkipEdlBlock(reader_);
      }
    }
    return kErrOk;
  }

  // The level points of a clip: the first and last points take their levels
  // where the list has them at the clip's ends, others are added between.
  int ReadBand(Film& film) {
    int32_t max = 0;
    if (ScanEdlNumbers(reader_.Text(), "[RubberBand, Max=%d", &max, 1) != 1 || max <= 0) return kErrInvalidFormat;
    Profile& points = film.volumePoints;
    const int32_t inF = Frames(film.in);
    const int32_t lastF = points.Count() > 0 ? Frames(points.Last().time) - inF : 0;
    while (reader_.Next() && !reader_.Begins("]")) {
      if (!reader_.Begins("[Band_Point")) {
        SkipEdlBlock(reader_);
        continue;
      }
      int32_t v[3];
      if (ScanEdlNumbers(reader_.Text(), "[Band_Point #%d,h=%d,v=%d", v, 3) != 3) return kErrInvalidFormat;
      if (points.Count() < 2) continue;
      const int32_t level = std::clamp(MulDivRoundSigned(v[2], kEdlBandMax, max), 0, kGainCount - 1);
      if (v[0] == 0 && v[1] == 0 && film.in == 0) {
        points[0].value = level;
      } else if (v[0] >= 1 && v[1] == lastF) {
        points.Last().value = level;
      } else {
        const int64_t frame = static_cast<int64_t>(inF) + v[1];
        const int32_t t = Ms(static_cast<int32_t>(std::clamp<int64_t>(frame, 0, INT32_MAX)));
        // The envelope spans the source: a point outside it would break its order.
        if (!film.AddVolumePoint(std::clamp(t, points[0].time, points.Last().time), level)) return kErrNoMemory;
      }
    }
    return kErrOk;
  }

  FilmListHead& films_;
  EdlLineReader reader_;
  const EdlFileRecord* files_;
  HWND owner_;
  EdlParseResult& result_;
  std::unordered_map<int32_t, EdlClip> clips_;
};

}  // namespace

int ParseEdl(FilmListHead& films, std::FILE* file, const EdlFileRecord* files, HWND owner, EdlParseResult& result) {
  try {
    EdlParser parser(films, file, files, owner, result);
    return parser.Run();
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
}
