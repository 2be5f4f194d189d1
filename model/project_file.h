// The project file (".tml"): a 34-byte signature, then one outer record 100
// holding the project's records and one record 400 per Film. Records are
// {u32 tag, i32 length, data}, little-endian; a reader passes over tags it
// does not know by their length.
//
// WriteProject and ReadProject work on a file the caller has opened and
// positioned at 0. The time-line window's Save and Open operations call
// them; SaveProjectFile writes through a temporary file so that a failed
// save never destroys the previous one.
#pragma once

#include <cstdint>
#include <string>

#include "model/film_records.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

class Film;
class FilmListHead;
class TimeLineEngine;
struct ComObjectEntry;

constexpr char kProjectSignature[] = "TimeLine Project (c) Firm Tarnlex";
constexpr LONG kProjectSignatureSize = 34;
static_assert(sizeof kProjectSignature == kProjectSignatureSize);

enum ProjectRecordTag : DWORD {
  kTagProject = 100,
  kTagVersion = 101,
  kTagCollectionPath = 102,
  kTagLength = 103,
  kTagAudioLineCount = 104,
  kTagTimeFormat = 105,
  kTagFrameRate = 116,
  kTagAudioFormat = 107,
  kTagAutoCloseCodec = 130,
  kTagAlignToFrame = 115,
  kTagShownGroups = 108,
  kTagAudioSolo = 109,
  kTagAudioMute = 110,
  kTagVideoSolo = 111,
  kTagVideoMute = 112,
  kTagMidiSolo = 113,
  kTagMidiMute = 114,
  kTagAudioZoom = 117,
  kTagVideoZoom = 118,
  kTagVfxZoom = 131,
  kTagMidiZoom = 119,
  kTagAudioGain = 124,
  kTagAudioPan = 125,
  kTagMidiGain = 126,
  kTagMidiPan = 127,
  kTagMasterGain = 128,
  kTagMasterPan = 129,
  kTagEffectList = 600,
  kTagLineEffects = 602,
  kTagAudioNames = 120,
  kTagVideoNames = 121,
  kTagMidiNames = 122,
  kTagLineName = 123,
  kTagProjectMarks = 201,
  kTagOldProjectMarks = 200,
  kTagSummary = 500,
  kTagComponents = 621,
  kTagFilm = 400,
};

constexpr DWORD kProjectFormatVersion = 0x00010001;

// Shown line groups (record 108).
constexpr int32_t kShowVideo = 1;
constexpr int32_t kShowAudio = 2;
constexpr int32_t kShowMidi = 4;

// The audio engine's output format as the project stores it: rate in Hz,
// 1 or 2 channels, the engine's sample code (1 to 7; 1 = 8-bit, 2 = 16-bit).
struct ProjectAudioFormat {
  DWORD rate = 22050;
  WORD channels = 1;
  DWORD sampleCode = 2;
};

// What the project file sets and reads outside the time-line: the
// application's time format and frame rate, the audio engine's output
// format and the video player's AUTO_CLOSE_CODEC. The application installs
// the real one; the defaults keep the program-wide time format and frame
// rate and a format and flag of their own.
class ProjectEnvironment {
 public:
  virtual ~ProjectEnvironment() = default;
  virtual int32_t TimeFormat();
  // The application's SetTimeFormat; 0, 1 or 2.
  virtual void SetTimeFormat(int32_t format);
  virtual float FrameRate();
  // The application's SetFrameRate; a positive rate.
  virtual void SetFrameRate(float rate);
  virtual ProjectAudioFormat AudioFormat();
  // The audio engine's SetFormat; what it answers does not matter here.
  virtual void SetAudioFormat(DWORD rate, WORD channels, DWORD sampleCode);
  virtual bool AutoCloseCodec();
  virtual void SetAutoCloseCodec(bool on);

 private:
  ProjectAudioFormat format_;
  bool autoCloseCodec_ = false;
};

// Installs environment (null: the defaults); returns the one before.
ProjectEnvironment* SetProjectEnvironment(ProjectEnvironment* environment);
ProjectEnvironment& CurrentProjectEnvironment();

// Records of the project that folders above this one own and install at
// start-up: the summary (record 500, the clip collection's SummaryInfo) and
// the effect components of the machine that wrote the file (record 621, the
// audio engine's list). While none is installed the record is neither
// written nor read.
class ProjectSummaryRecord {
 public:
  virtual ~ProjectSummaryRecord() = default;
  // The record's body at the current position; false on a short write.
  virtual bool WriteBody(HMMIO file) = 0;
  // Reads a body of size bytes: 0 or the format's error code.
  virtual int ReadBody(HMMIO file, LONG size) = 0;
  // The summary as a new project starts with it, from the settings.
  virtual void LoadDefaults() {}
};

class ProjectComponentRecord {
 public:
  virtual ~ProjectComponentRecord() = default;
  virtual bool WriteBody(HMMIO file) = 0;
  // Reads a body of size bytes into a list at *head that the caller frees:
  // 0 or the format's error code.
  virtual int ReadBody(HMMIO file, LONG size, ComObjectEntry** head) = 0;
};

// Install the owner's record (null: none); each returns the one before.
ProjectSummaryRecord* SetProjectSummaryRecord(ProjectSummaryRecord* record);
ProjectComponentRecord* SetProjectComponentRecord(ProjectComponentRecord* record);
// The installed summary's LoadDefaults; nothing while none is installed.
void LoadProjectSummaryDefaults();

// Writes the project: the engine's settings and lines, the project's marks,
// its summary and the installed components (when their owners are
// installed) and the Films from first along their next links. baseFolder is the project's folder (paths
// inside it are stored relative); collectionPath names the clip collection (null or "": none). False at the
// first short write; the file is then incomplete.
bool WriteProject(TimeLineEngine& engine, const Film* first, HMMIO file, const char* baseFolder,
                  const char* collectionPath);

// Reads a project into the engine and films. folders is the list of
// remembered folders whose first record is the project's folder; *moved is
// the load's moved-file list (it grows). With filmsOnly nothing but the
// Films is read and the engine's lines stay as they are. collectionPath (a
// buffer of MAX_PATH + 1, or null) receives record 102; *components (or
// null) receives the components the file names. Returns 0 or an error code:
// 19 and 6 stop the load at once; other failures are kept while the rest is
// read, a failing Film being dropped. reason (or null) receives why the
// result is not 0: the record and what was wrong with it; with 0, what
// the load passed over unread, if anything. Files found
// without the stream a clip names are told in one message box.
int ReadProject(TimeLineEngine& engine, FilmListHead& films, HMMIO file, PathRecord* folders,
                SynonymFile** moved, bool filmsOnly, char* collectionPath, ComObjectEntry** components,
                std::string* reason = nullptr);

// Opens a project file for ReadProject: read through a buffer of whole
// blocks, since the reader takes its records field by field.
HMMIO OpenProjectForReading(const char* path);

// Saves to path through a temporary file in the same folder, which replaces
// path only once everything was written and flushed; the old file keeps
// its place (and its permissions pass to the new one). False when anything
// failed; the old file is then untouched.
bool SaveProjectFile(TimeLineEngine& engine, const Film* first, const char* path, const char* baseFolder,
                     const char* collectionPath);
