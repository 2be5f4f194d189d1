#include "model/project_file.h"

#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "model/error_codes.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/levels.h"
#include "model/mark_list.h"
#include "model/message_box.h"
#include "model/text_format.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/time_code.h"
#include "model/timeline_engine.h"
#include "platform/core/files.h"
#include "platform/core/paths.h"

using namespace project_records;

namespace {

ProjectEnvironment g_defaultEnvironment;
ProjectEnvironment* g_environment = &g_defaultEnvironment;
ProjectSummaryRecord* g_summary = nullptr;
ProjectComponentRecord* g_components = nullptr;

constexpr int32_t kAudioLines = 4;
constexpr int32_t kVideoRows = 2;
constexpr int32_t kMaxLineCountValue = 128;
constexpr int32_t kMaxZoomStep = 3;
constexpr int32_t kMaxPan = 256;
constexpr LONG kMaxNameLength = 128;
constexpr LONG kMaxCollectionPath = 260;
constexpr float kMaxFrameRate = 1000.0f;
// Offset of the outer record's data.
constexpr LONGLONG kProjectDataOffset = kProjectSignatureSize + 8;

int32_t Flag(bool on) {
  return on ? 1 : 0;
}

int32_t FloatBits(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return static_cast<int32_t>(bits);
}

float BitsFloat(int32_t v) {
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

bool ValidZoom(int32_t v) {
  return v >= 0 && v <= kMaxZoomStep;
}
bool ValidGain(int32_t v) {
  return v >= 0 && v < kGainCount;
}
bool ValidPan(int32_t v) {
  return v >= -kMaxPan && v <= kMaxPan;
}

// A clip on a row or line the time-line does not have.
std::string OutOfRangeRow(const char* what, int32_t value, int32_t count) {
  return "it lies on " + std::string(what) + " " + std::to_string(value) + ", outside 0 to " +
         std::to_string(count - 1);
}

HWND WindowOf(TimeLineEngine& engine) {
  return engine.View() ? engine.View()->Handle() : nullptr;
}

// ---- Writing ----

bool WriteLineEffects(HMMIO file, TimeLineEngine& engine, int32_t lines) {
  for (int32_t i = 0; i < lines; ++i) {
    EffectChain* chain = engine.audioPanel[i].effects;
    if (!WritePatched(file, kTagEffectList, [chain](HMMIO f) {
          return chain == nullptr || CurrentProjectMedia().WriteEffects(f, chain);
        }))
      return false;
  }
  return true;
}

void AddNames(RecordBuffer& rec, DWORD tag, const TrackPanel& panel, int32_t rows) {
  LONG length = 0;
  for (int32_t i = 0; i < rows; ++i)
    length += 8 + static_cast<LONG>(strnlen(panel[i].name, kTrackNameSize - 1)) + 1;
  rec.Head(tag, length);
  for (int32_t i = 0; i < rows; ++i)
    rec.Text(kTagLineName, panel[i].name, strnlen(panel[i].name, kTrackNameSize - 1));
}

bool WriteSettings(HMMIO file, TimeLineEngine& engine, const char* baseFolder, const char* collectionPath) {
  ProjectEnvironment& env = CurrentProjectEnvironment();
  const int32_t n = engine.audioLineCount < 1
                        ? 1
                        : (engine.audioLineCount > kAudioLines ? kAudioLines : engine.audioLineCount);
  const TrackPanel& audio = engine.audioPanel;
  const TrackPanel& video = engine.videoPanel;
  const TrackRecord& midi = engine.midiPanel[0];
  RecordBuffer rec;
  rec.Scalar(kTagVersion, static_cast<int32_t>(kProjectFormatVersion));
  if (collectionPath && collectionPath[0]) {
    const std::string stored = StoredPath(collectionPath, baseFolder);
    rec.Text(kTagCollectionPath, stored.c_str(), stored.size());
  }
  rec.Scalar(kTagLength, engine.length);
  rec.Scalar(kTagAudioLineCount, n);
  rec.Scalar(kTagTimeFormat, env.TimeFormat());
  rec.Scalar(kTagFrameRate, FloatBits(env.FrameRate()));
  const ProjectAudioFormat format = env.AudioFormat();
  rec.Head(kTagAudioFormat, 10);
  rec.Value(static_cast<int32_t>(format.rate));
  rec.Value16(format.channels);
  rec.Value(static_cast<int32_t>(format.sampleCode));
  rec.Scalar(kTagAutoCloseCodec, Flag(env.AutoCloseCodec()));
  rec.Scalar(kTagAlignToFrame, Flag(engine.alignToFrame));
  rec.Scalar(kTagShownGroups, (engine.showVideo ? kShowVideo : 0) | (engine.showAudio ? kShowAudio : 0) |
                                  (engine.showMidi ? kShowMidi : 0));
  auto lineArray = [&](DWORD tag, const TrackPanel& panel, int32_t rows, auto value) {
    rec.Head(tag, 4 * rows);
    for (int32_t i = 0; i < rows; ++i) rec.Value(value(panel[i]));
  };
  lineArray(kTagAudioSolo, audio, n, [](const TrackRecord& r) { return Flag(r.solo != 0); });
  lineArray(kTagAudioMute, audio, n, [](const TrackRecord& r) { return Flag(r.mute != 0); });
  lineArray(kTagVideoSolo, video, kVideoRows, [](const TrackRecord& r) { return Flag(r.solo != 0); });
  lineArray(kTagVideoMute, video, kVideoRows, [](const TrackRecord& r) { return Flag(r.mute != 0); });
  rec.Scalar(kTagMidiSolo, Flag(midi.solo != 0));
  rec.Scalar(kTagMidiMute, Flag(midi.mute != 0));
  lineArray(kTagAudioZoom, audio, n, [](const TrackRecord& r) { return r.zoom; });
  lineArray(kTagVideoZoom, video, kVideoRows, [](const TrackRecord& r) { return r.zoom; });
  rec.Scalar(kTagVfxZoom, engine.vfxPanel[0].zoom);
  rec.Scalar(kTagMidiZoom, midi.zoom);
  lineArray(kTagAudioGain, audio, n, [](const TrackRecord& r) { return r.gain; });
  lineArray(kTagAudioPan, audio, n, [](const TrackRecord& r) { return r.pan; });
  rec.Scalar(kTagMidiGain, midi.gain);
  rec.Scalar(kTagMidiPan, midi.pan);
  rec.Scalar(kTagMasterGain, engine.masterGain);
  rec.Scalar(kTagMasterPan, engine.masterPan);
  if (!rec.Flush(file)) return false;

  if (engine.masterEffects) {
    EffectChain* chain = engine.masterEffects;
    if (!WritePatched(file, kTagEffectList,
                      [chain](HMMIO f) { return CurrentProjectMedia().WriteEffects(f, chain); }))
      return false;
  }
  if (!WritePatched(file, kTagLineEffects, [&](HMMIO f) { return WriteLineEffects(f, engine, n); }))
    return false;

  AddNames(rec, kTagAudioNames, audio, n);
  AddNames(rec, kTagVideoNames, video, kVideoRows);
  AddNames(rec, kTagMidiNames, engine.midiPanel, 1);
  rec.Head(kTagProjectMarks, ProjectMarks.Count() * kMarkRecordSize);
  if (!rec.Flush(file) || !ProjectMarks.Write(file)) return false;
  if (g_summary != nullptr &&
      !WritePatched(file, kTagSummary, [](HMMIO f) { return g_summary->WriteBody(f); }))
    return false;
  return g_components == nullptr ||
         WritePatched(file, kTagComponents, [](HMMIO f) { return g_components->WriteBody(f); });
}

// ---- Reading ----

// One project load: the result so far and what it reads into.
class ProjectReader {
 public:
  ProjectReader(TimeLineEngine& engine, FilmListHead& films, HMMIO file, PathRecord* folders,
                SynonymFile** moved, bool filmsOnly, char* collectionPath, ComObjectEntry** components)
      : engine_(engine),
        films_(films),
        filmsOnly_(filmsOnly),
        file_(file),
        folders_(folders),
        moved_(moved),
        collectionPath_(collectionPath),
        components_(components) {}

  // Handles one record of the outer record; a code of 19 or 6 that ends
  // the load at once is returned, otherwise 0 (problems go into Result()).
  int Record(DWORD tag, LONG length, bool filmsOnly);
  int Result() const { return result_; }
  // Why the load ends with its result, or with the code a record gave.
  const std::string& Reason() const { return reason_; }
  // The first of the project's records that a load passed over unread.
  const std::string& PassedOver() const { return passedOver_; }
  void NotePassedOver(std::string what) {
    if (passedOver_.empty()) passedOver_ = std::move(what);
  }
  void ResetLines();
  std::vector<FilmReadNotes::Lacking>& Lacking() { return lacking_; }

 private:
  // Reads a value of length bytes (at most 4; missing high bytes are 0).
  bool ReadShort(LONG length, int32_t* value);
  void Fail(int code, std::string why) {
    if (code == kErrOk) return;
    result_ = code;
    reason_ = std::move(why);
  }
  void FailIfClear(int code, std::string why) {
    if (result_ == kErrOk) Fail(code, std::move(why));
  }
  // A record's own reader failed with code (0: nothing to note).
  void FailRecord(int code, DWORD tag, LONG length) {
    if (code != kErrOk) Fail(code, RecordProblem(code, tag, recordAt_, length));
  }
  // Ends the load at once with code.
  int Stop(int code, std::string why) {
    reason_ = std::move(why);
    return code;
  }
  int CutShort(DWORD tag) { return Stop(kErrRead, project_records::CutShort(tag, recordAt_)); }
  std::string OutOfRange(DWORD tag, int64_t value, int64_t lo, int64_t hi) const {
    return project_records::OutOfRange(tag, recordAt_, value, lo, hi);
  }
  // A container record that holds, at byte at, what does not belong there.
  std::string Malformed(DWORD tag, LONGLONG at, const std::string& what) const {
    return "record " + std::to_string(tag) + " at byte " + std::to_string(recordAt_) + " holds, at byte " +
           std::to_string(at) + ", " + what;
  }
  int LineArray(DWORD tag, LONG length);
  int ShortScalar(DWORD tag, LONG length);
  int Names(DWORD tag, LONG length);
  int LineEffects(LONG length);
  void ReadFilm(LONG length);
  const char* BaseFolder() const { return folders_ ? folders_->path : nullptr; }

  // A film left out or repaired changes the project it is read into; read
  // for the clipboard it changes none.
  void FilmChanged() {
    if (!filmsOnly_) engine_.SetModified(true);
  }

  TimeLineEngine& engine_;
  FilmListHead& films_;
  bool filmsOnly_;
  HMMIO file_;
  PathRecord* folders_;
  SynonymFile** moved_;
  char* collectionPath_;
  ComObjectEntry** components_;
  int result_ = kErrOk;
  std::string reason_;
  std::string passedOver_;
  // The header's offset of the record being read, and how many Films came.
  LONGLONG recordAt_ = 0;
  int32_t filmCount_ = 0;
  std::vector<FilmReadNotes::Lacking> lacking_;
  bool skipFilms_ = false;
  bool ask_ = true;
};

void ProjectReader::ResetLines() {
  for (TrackPanel* panel :
       {&engine_.audioPanel, &engine_.videoPanel, &engine_.midiPanel, &engine_.vfxPanel}) {
    for (int32_t i = 0; i < panel->rowCount; ++i) (*panel)[i].SetUp("", 1, 0);
  }
  engine_.masterGain = kGainUnity;
  engine_.masterPan = 0;
  ReleaseChain(engine_.masterEffects);
  CurrentProjectEnvironment().SetAutoCloseCodec(false);
}

bool ProjectReader::ReadShort(LONG length, int32_t* value) {
  unsigned char b[4] = {};
  if (!ReadExact(file_, b, length)) return false;
  *value = GetLe32(b);
  return true;
}

int ProjectReader::LineArray(DWORD tag, LONG length) {
  const bool audio = tag == kTagAudioSolo || tag == kTagAudioMute || tag == kTagAudioZoom ||
                     tag == kTagAudioGain || tag == kTagAudioPan;
  TrackPanel& panel = audio ? engine_.audioPanel : engine_.videoPanel;
  const LONG bytes = length < (audio ? 16 : 8) ? length : (audio ? 16 : 8);
  unsigned char b[16];
  if (!ReadExact(file_, b, bytes)) return CutShort(tag);
  for (int32_t i = 0; i < bytes / 4; ++i) {
    const int32_t v = GetLe32(b + 4 * i);
    TrackRecord& r = panel[i];
    switch (tag) {
      case kTagAudioSolo:
      case kTagVideoSolo:
        r.solo = v != 0;
        break;
      case kTagAudioMute:
      case kTagVideoMute:
        r.mute = v != 0;
        break;
      case kTagAudioZoom:
      case kTagVideoZoom:
        // The zoom step shifts the line height: only 0 to 3 make a line.
        if (ValidZoom(v))
          r.SetZoom(v);
        else
          Fail(kErrInvalidFormat, OutOfRange(tag, v, 0, kMaxZoomStep));
        break;
      case kTagAudioGain:
        if (ValidGain(v))
          r.gain = v;
        else
          Fail(kErrInvalidFormat, OutOfRange(tag, v, 0, kGainCount - 1));
        break;
      case kTagAudioPan:
        if (ValidPan(v))
          r.pan = v;
        else
          Fail(kErrInvalidFormat, OutOfRange(tag, v, -kMaxPan, kMaxPan));
        break;
      default:
        break;
    }
  }
  return kErrOk;
}

int ProjectReader::ShortScalar(DWORD tag, LONG length) {
  if (length > 4) {
    Fail(kErrInvalidFormat, WrongLength(tag, recordAt_, length, "a value takes at most 4 bytes"));
    return kErrOk;
  }
  int32_t v = 0;
  if (!ReadShort(length, &v)) return CutShort(tag);
  TrackRecord& midi = engine_.midiPanel[0];
  bool valid = true;
  int32_t lo = 0, hi = 0;
  switch (tag) {
    case kTagMidiSolo:
      midi.solo = v != 0;
      break;
    case kTagMidiMute:
      midi.mute = v != 0;
      break;
    case kTagMidiZoom:
    case kTagVfxZoom:
      valid = ValidZoom(v);
      hi = kMaxZoomStep;
      if (valid) (tag == kTagMidiZoom ? midi : engine_.vfxPanel[0]).SetZoom(v);
      break;
    case kTagMidiGain:
    case kTagMasterGain:
      valid = ValidGain(v);
      hi = kGainCount - 1;
      if (valid) (tag == kTagMidiGain ? midi.gain : engine_.masterGain) = v;
      break;
    case kTagMidiPan:
    case kTagMasterPan:
      valid = ValidPan(v);
      lo = -kMaxPan;
      hi = kMaxPan;
      if (valid) (tag == kTagMidiPan ? midi.pan : engine_.masterPan) = v;
      break;
    default:
      break;
  }
  if (!valid) Fail(kErrInvalidFormat, OutOfRange(tag, v, lo, hi));
  return kErrOk;
}

int ProjectReader::Names(DWORD tag, LONG length) {
  TrackPanel& panel = tag == kTagAudioNames   ? engine_.audioPanel
                      : tag == kTagVideoNames ? engine_.videoPanel
                                              : engine_.midiPanel;
  const int32_t rows = tag == kTagAudioNames ? kAudioLines : tag == kTagVideoNames ? kVideoRows : 1;
  LONG left = length;
  for (int32_t i = 0; left >= 1; ++i) {
    const LONGLONG at = Tell(file_);
    if (left < 8) return Stop(kErrInvalidFormat, Malformed(tag, at, "too few bytes for a line name"));
    unsigned char head[8];
    if (!ReadExact(file_, head, 8)) return CutShort(tag);
    const DWORD inner = static_cast<DWORD>(GetLe32(head));
    const LONG size = GetLe32(head + 4);
    if (inner != kTagLineName || size < 1 || size > kMaxNameLength || size > left - 8)
      return Stop(kErrInvalidFormat,
                  Malformed(tag, at,
                            "record " + std::to_string(inner) + " of " + std::to_string(size) +
                                " bytes where a line name (record 123 of 1 to 128 bytes) belongs"));
    left -= 8 + size;
    if (i < rows) {
      char name[kTrackNameSize] = {};
      if (!ReadExact(file_, name, size)) return CutShort(tag);
      panel[i].SetName(name);
    } else if (mmioSeek64(file_, size, SEEK_CUR) < 0) {
      return CutShort(tag);
    }
  }
  return kErrOk;
}

int ProjectReader::LineEffects(LONG length) {
  ProjectMedia& media = CurrentProjectMedia();
  LONG left = length;
  for (int32_t i = 0; left >= 1; ++i) {
    const LONGLONG headAt = Tell(file_);
    if (left < 8) return Stop(kErrInvalidFormat, Malformed(kTagLineEffects, headAt, "too few bytes for a list"));
    unsigned char head[8];
    if (!ReadExact(file_, head, 8)) return CutShort(kTagLineEffects);
    const DWORD inner = static_cast<DWORD>(GetLe32(head));
    const LONG size = GetLe32(head + 4);
    if (inner != kTagEffectList || size < 0 || size > left - 8)
      return Stop(kErrInvalidFormat,
                  Malformed(kTagLineEffects, headAt,
                            "record " + std::to_string(inner) + " of " + std::to_string(size) +
                                " bytes where a line's effect list (record 600) belongs"));
    left -= 8 + size;
    const LONGLONG at = Tell(file_);
    if (i < kAudioLines && size > 0) {
      int error = kErrOk;
      EffectChain* chain = media.ReadEffects(file_, size, &error);
      if (error == kErrOk) {
        engine_.audioPanel[i].ReleaseEffects();
        engine_.audioPanel[i].effects = chain;
      } else {
        ReleaseChain(chain);
        FailIfClear(error, RecordProblem(error, kTagEffectList, headAt, size));
      }
    }
    if (at < 0 || mmioSeek64(file_, at + size, SEEK_SET) != at + size) return CutShort(kTagLineEffects);
  }
  return kErrOk;
}

void ProjectReader::ReadFilm(LONG length) {
  if (skipFilms_) return;
  const std::string clip = "clip " + std::to_string(++filmCount_) + " (record 400 at byte " +
                           std::to_string(recordAt_) + ")";
  Film* film = new (std::nothrow) Film;
  if (!film) {
    Fail(kErrNoMemory, "there is not enough memory for " + clip);
    FilmChanged();
    return;
  }
  FilmReadNotes notes;
  int status = film->ReadRecord(file_, length, folders_, moved_, &ask_, WindowOf(engine_), &notes);
  for (FilmReadNotes::Lacking& l : notes.lacking) lacking_.push_back(std::move(l));
  if (status == kErrCancelled) skipFilms_ = true;
  if (status == kErrOk || status == kErrAlreadyDone) {
    if (!film->video && !film->audio && !film->midi) {
      status = kErrCancelled;
    } else if (film->video && (film->videoRow < 0 || film->videoRow >= kVideoRows)) {
      // A clip on a line the time-line does not have.
      status = kErrInvalidFormat;
      notes.why = OutOfRangeRow("video row", film->videoRow, kVideoRows);
    } else if (film->audio && (film->audioLine < 0 || film->audioLine >= kAudioLines)) {
      status = kErrInvalidFormat;
      notes.why = OutOfRangeRow("audio line", film->audioLine, kAudioLines);
    }
  }
  if (status == kErrAlreadyDone) {
    FilmChanged();
    status = kErrOk;
  }
  if (status == kErrOk && !film->LinkAtKeyFrame(WindowOf(engine_), films_, true)) status = kErrCancelled;
  if (status == kErrOk) return;
  if (status != kErrCancelled && status != kErrAlreadyDone) Fail(status, notes.why.empty() ? clip : clip + ": " + notes.why);
  delete film;
  FilmChanged();
}

int ProjectReader::Record(DWORD tag, LONG length, bool filmsOnly) {
  const LONGLONG at = Tell(file_);
  if (at < 0) return Stop(kErrRead, "the file can not be read at the record after byte " + std::to_string(recordAt_));
  recordAt_ = at - 8;
  ProjectEnvironment& env = CurrentProjectEnvironment();
  int32_t v = 0;
  int stop = kErrOk;
  // A scalar of the project level: the value, or a failure noted and the
  // record passed over.
  auto scalar = [&](int32_t* out) {
    if (length != 4) {
      Fail(kErrInvalidFormat, WrongLength(tag, recordAt_, length, "a value takes 4 bytes"));
      return false;
    }
    if (!ReadShort(4, out)) {
      stop = CutShort(tag);
      return false;
    }
    return true;
  };
  // A value of the record checked against its range, a failure noted.
  auto inRange = [&](int32_t value, int32_t lo, int32_t hi) {
    if (value >= lo && value <= hi) return true;
    Fail(kErrInvalidFormat, OutOfRange(tag, value, lo, hi));
    return false;
  };
  if (filmsOnly && tag != kTagFilm) tag = 0;
  switch (tag) {
    case kTagCollectionPath:
      if (!collectionPath_) break;
      if (length > kMaxCollectionPath) {
        Fail(kErrInvalidFormat, WrongLength(tag, recordAt_, length, "a path takes at most 260 bytes"));
        break;
      }
      {
        char stored[kMaxCollectionPath + 1] = {};
        if (!ReadExact(file_, stored, length)) return CutShort(tag);
        if (stored[0])
          ResolveStoredPath(stored, BaseFolder(), collectionPath_);
        else
          collectionPath_[0] = '\0';
      }
      break;
    case kTagLength:
      if (scalar(&v) && inRange(v, 1, kDayMs)) engine_.length = v;
      break;
    case kTagAudioLineCount:
      if (scalar(&v) && inRange(v, 1, kMaxLineCountValue)) engine_.audioLineCount = v < kAudioLines ? v : kAudioLines;
      break;
    case kTagTimeFormat:
      if (scalar(&v) && inRange(v, kTimeFormatMs, kTimeFormatFrames)) env.SetTimeFormat(v);
      break;
    case kTagFrameRate:
      if (scalar(&v)) {
        const float rate = BitsFloat(v);
        if (std::isfinite(rate) && rate > 0.0f && rate <= kMaxFrameRate)
          env.SetFrameRate(rate);
        else
          Fail(kErrInvalidFormat, "record 116 at byte " + std::to_string(recordAt_) + " holds the frame rate " +
                                      std::to_string(rate) + ", which is not above 0 and at most 1000");
      }
      break;
    case kTagAudioFormat:
      if (length == 10 || length == 8) {
        unsigned char b[10];
        if (!ReadExact(file_, b, length)) return CutShort(tag);
        const DWORD rate = static_cast<DWORD>(GetLe32(b));
        const WORD channels = static_cast<WORD>(b[4] | (b[5] << 8));
        DWORD code;
        if (length == 10) {
          code = static_cast<DWORD>(GetLe32(b + 6));
        } else {
          const int bits = b[6] | (b[7] << 8);
          code = bits == 8 ? 1 : 2;
        }
        env.SetAudioFormat(rate, channels, code);
      } else {
        Fail(kErrInvalidFormat, WrongLength(tag, recordAt_, length, "an audio format takes 8 or 10 bytes"));
      }
      break;
    case kTagAutoCloseCodec:
      if (scalar(&v)) env.SetAutoCloseCodec(v != 0);
      break;
    case kTagAlignToFrame:
      if (scalar(&v)) engine_.alignToFrame = v != 0;
      break;
    case kTagShownGroups:
      if (scalar(&v)) {
        engine_.showVideo = (v & kShowVideo) != 0;
        engine_.showAudio = (v & kShowAudio) != 0;
        engine_.showMidi = (v & kShowMidi) != 0;
      }
      break;
    case kTagAudioSolo:
    case kTagAudioMute:
    case kTagAudioZoom:
    case kTagAudioGain:
    case kTagAudioPan:
    case kTagVideoSolo:
    case kTagVideoMute:
    case kTagVideoZoom:
      stop = LineArray(tag, length);
      break;
    case kTagMidiSolo:
    case kTagMidiMute:
    case kTagMidiZoom:
    case kTagMidiGain:
    case kTagMidiPan:
    case kTagMasterGain:
    case kTagMasterPan:
    case kTagVfxZoom:
      stop = ShortScalar(tag, length);
      break;
    case kTagAudioNames:
    case kTagVideoNames:
    case kTagMidiNames:
      stop = Names(tag, length);
      break;
    case kTagProjectMarks:
      FailRecord(ProjectMarks.Read(file_, length), tag, length);
      break;
    case kTagOldProjectMarks:
      FailRecord(ProjectMarks.ReadOld(file_, length), tag, length);
      break;
    case kTagSummary:
      if (g_summary != nullptr) FailRecord(g_summary->ReadBody(file_, length), tag, length);
      break;
    case kTagEffectList: {
      int error = kErrOk;
      EffectChain* chain = CurrentProjectMedia().ReadEffects(file_, length, &error);
      if (error == kErrOk) {
        ReleaseChain(engine_.masterEffects);
        engine_.masterEffects = chain;
      } else {
        ReleaseChain(chain);
        FailIfClear(error, RecordProblem(error, tag, recordAt_, length));
      }
      break;
    }
    case kTagLineEffects:
      stop = LineEffects(length);
      break;
    case kTagComponents:
      // A good list does not wipe out an earlier failure: the load still
      // lost what that record held.
      if (components_ && g_components != nullptr)
        FailRecord(g_components->ReadBody(file_, length, components_), tag, length);
      break;
    case kTagFilm:
      ReadFilm(length);
      break;
    case kTagVersion:
      break;
    default:
      if (tag != 0)
        NotePassedOver("record " + std::to_string(tag) + " at byte " + std::to_string(recordAt_) +
                       ", a kind the program does not know, was passed over");
      break;
  }
  if (stop != kErrOk) return stop;
  // Whatever a record's reader took, the next record follows its length.
  // A reader that found the file cut short has said where already.
  if (mmioSeek64(file_, at + length, SEEK_SET) != at + length) return result_ == kErrRead ? kErrRead : CutShort(tag);
  return kErrOk;
}

}  // namespace

// ---- The environment's defaults ----

int32_t ProjectEnvironment::TimeFormat() {
  return ProjectTimeFormat();
}
void ProjectEnvironment::SetTimeFormat(int32_t format) {
  SetProjectTimeFormat(format);
}
float ProjectEnvironment::FrameRate() {
  return ProjectFrameRate();
}
void ProjectEnvironment::SetFrameRate(float rate) {
  SetProjectFrameRate(rate);
}
ProjectAudioFormat ProjectEnvironment::AudioFormat() {
  return format_;
}
void ProjectEnvironment::SetAudioFormat(DWORD rate, WORD channels, DWORD sampleCode) {
  format_.rate = rate;
  format_.channels = channels;
  format_.sampleCode = sampleCode;
}
bool ProjectEnvironment::AutoCloseCodec() {
  return autoCloseCodec_;
}
void ProjectEnvironment::SetAutoCloseCodec(bool on) {
  autoCloseCodec_ = on;
}

ProjectEnvironment* SetProjectEnvironment(ProjectEnvironment* environment) {
  ProjectEnvironment* before = g_environment == &g_defaultEnvironment ? nullptr : g_environment;
  g_environment = environment ? environment : &g_defaultEnvironment;
  return before;
}

ProjectSummaryRecord* SetProjectSummaryRecord(ProjectSummaryRecord* record) {
  ProjectSummaryRecord* before = g_summary;
  g_summary = record;
  return before;
}

ProjectComponentRecord* SetProjectComponentRecord(ProjectComponentRecord* record) {
  ProjectComponentRecord* before = g_components;
  g_components = record;
  return before;
}

void LoadProjectSummaryDefaults() {
  if (g_summary != nullptr) g_summary->LoadDefaults();
}

ProjectEnvironment& CurrentProjectEnvironment() {
  return *g_environment;
}

// ---- The file ----

bool WriteProject(TimeLineEngine& engine, const Film* first, HMMIO file, const char* baseFolder,
                  const char* collectionPath) {
  RecordBuffer rec;
  rec.Raw(kProjectSignature, kProjectSignatureSize);
  if (!rec.Flush(file)) return false;
  return WritePatched(file, kTagProject, [&](HMMIO f) {
    if (!WriteSettings(f, engine, baseFolder, collectionPath)) return false;
    for (const Film* film = first; film; film = film->next) {
      if (!WritePatched(f, kTagFilm, [&](HMMIO g) { return film->WriteRecord(g, baseFolder); })) return false;
    }
    return true;
  });
}

HMMIO OpenProjectForReading(const char* path) {
  return mmioOpen(path, nullptr, MMIO_READ | MMIO_ALLOCBUF);
}

namespace {

int ReadProjectRecords(ProjectReader& reader, HMMIO file, bool filmsOnly, std::string* why) {
  char signature[kProjectSignatureSize];
  if (!ReadExact(file, signature, kProjectSignatureSize)) {
    *why = "it is shorter than the signature a project begins with";
    return kErrRead;
  }
  if (std::memcmp(signature, kProjectSignature, kProjectSignatureSize) != 0) {
    *why = std::string("it does not begin with the signature \"") + kProjectSignature + "\"";
    return kErrInvalidFormat;
  }

  if (!filmsOnly) reader.ResetLines();

  // The outer record; others before it are passed over.
  LONG remaining = -1;
  for (;;) {
    const LONGLONG at = Tell(file);
    unsigned char head[8];
    if (mmioRead(file, head, 8) != 8) break;
    const DWORD tag = static_cast<DWORD>(GetLe32(head));
    const LONG length = GetLe32(head + 4);
    if (length < 0 || IsBlankRecord(tag, length)) {
      *why = BadHead(tag, at, length);
      return kErrInvalidFormat;
    }
    if (tag == kTagProject) {
      remaining = length;
      break;
    }
    if (mmioSeek64(file, length, SEEK_CUR) < 0) return kErrRead;
  }
  if (remaining < 0) {
    *why = "no project record (100) follows its signature";
    return kErrInvalidFormat;
  }
  const LONGLONG projectEnd = Tell(file) + remaining;

  while (remaining >= 1) {
    const LONGLONG at = Tell(file);
    unsigned char head[8];
    if (!ReadExact(file, head, 8)) {
      // A record read before may have found where the file was cut.
      *why = reader.Result() == kErrRead ? reader.Reason()
                                         : "the file ends at byte " + std::to_string(at) +
                                               ", but its project record (100) goes on to byte " +
                                               std::to_string(projectEnd);
      return kErrRead;
    }
    remaining -= 8;
    const DWORD tag = static_cast<DWORD>(GetLe32(head));
    const LONG length = GetLe32(head + 4);
    if (length < 0 || IsBlankRecord(tag, length)) {
      *why = BadHead(tag, at, length);
      return kErrInvalidFormat;
    }
    // A record running past the project's record is damage, not its end:
    // read on, the load would end as if it had succeeded.
    if (remaining < 0) {
      *why = "the project record (100) ends " + std::to_string(remaining + 8) + " bytes after byte " +
             std::to_string(at) + ", too few for the head of the record there";
      return kErrInvalidFormat;
    }
    if (length > remaining) {
      *why = PastItsContainer(tag, at, length);
      return kErrInvalidFormat;
    }
    remaining -= length;
    const int stop = reader.Record(tag, length, filmsOnly);
    if (stop != kErrOk) {
      *why = reader.Reason();
      return stop;
    }
  }
  // Records passed over by their length may have run past the end of a
  // cut file unread.
  const LONGLONG fileEnd = mmioSeek64(file, 0, SEEK_END);
  if (fileEnd >= 0 && fileEnd < projectEnd && reader.Result() != kErrRead) {
    *why = "the file ends at byte " + std::to_string(fileEnd) +
           ", but its project record (100) goes on to byte " + std::to_string(projectEnd);
    return kErrRead;
  }
  if (reader.Result() != kErrOk) {
    *why = reader.Reason();
    return reader.Result();
  }
  // Nothing is written after the project's record.
  if (fileEnd > projectEnd)
    reader.NotePassedOver("the project record (100) ends at byte " + std::to_string(projectEnd) +
                          ", but the file goes on to byte " + std::to_string(fileEnd));
  *why = reader.PassedOver();
  return kErrOk;
}

// Files found without the stream their clips name: said once each, after
// the load, since the clips were read without that part.
void TellLackingStreams(HWND owner, const std::vector<FilmReadNotes::Lacking>& lacking) {
  std::string text;
  for (size_t i = 0; i < lacking.size(); ++i) {
    bool told = false;
    for (size_t j = 0; j < i && !told; ++j)
      told = lacking[j].kind == lacking[i].kind && lacking[j].path == lacking[i].path;
    if (told) continue;
    if (!text.empty()) text += "\n";
    text += FormatText(lacking[i].kind == kKindAudio
                           ? "The file '%s' has no audio stream: its clips are read without sound."
                           : "The file '%s' has no video stream: its clips are read without picture.",
                       lacking[i].path);
  }
  if (!text.empty()) ShowMessageText(owner, GetString(ui_string::kLoadProject), MB_OK | MB_ICONEXCLAMATION, text);
}

}  // namespace

int ReadProject(TimeLineEngine& engine, FilmListHead& films, HMMIO file, PathRecord* folders,
                SynonymFile** moved, bool filmsOnly, char* collectionPath, ComObjectEntry** components,
                std::string* reason) {
  ProjectReader reader(engine, films, file, folders, moved, filmsOnly, collectionPath, components);
  std::string why;
  const int result = ReadProjectRecords(reader, file, filmsOnly, &why);
  TellLackingStreams(WindowOf(engine), reader.Lacking());
  if (reason != nullptr) *reason = why;
  return result;
}

bool SaveProjectFile(TimeLineEngine& engine, const Film* first, const char* path, const char* baseFolder,
                     const char* collectionPath) {
  if (!path || !path[0]) return false;
  // A temporary file beside the target replaces it only once it is whole on
  // the disk; a link keeps pointing at the saved project.
  return ReplaceFileAtomically(path, [&](int, const std::string& temp) {
    HMMIO file = mmioOpen(temp.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
    if (!file) return false;
    const bool written = WriteProject(engine, first, file, baseFolder, collectionPath);
    return mmioClose(file, 0) == 0 && written;
  });
}
