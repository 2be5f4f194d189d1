// One clip placed on the time-line: a stretch [in, out) of its media shown
// at [start, end), on a video row and/or an audio line, with its own volume,
// balance, envelopes, declick switches, effects, selection group and marks.
// The media are shared with clips, copies and undo snapshots by reference
// counts, never copied.
#pragma once

#include <cstdint>
#include <string>

#include "model/mark_list.h"
#include "model/media_interfaces.h"
#include "model/profiles.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

class FilmListHead;
struct FilmReadNotes;
struct PathRecord;
struct SynonymFile;

// Kind masks of the queries: a video row, an audio line, the MIDI line.
constexpr int32_t kKindVideo = 1;
constexpr int32_t kKindAudio = 2;
constexpr int32_t kKindMidi = 4;

class Film {
 public:
  // An empty film with no sources (the project reader fills it).
  Film() = default;
  // A film of a collection clip at start, taking the parts of the mask
  // (kKind...) that the clip has.
  Film(const ClipItem& clip, int32_t start, int32_t parts, int32_t audioLine, int32_t videoRow);
  // The film of a rendered transition file.
  Film(VideoSource* video, int32_t in, int32_t start, int32_t end);
  // A copy sharing the other film's sources of the mask; everything else is copied.
  Film(const Film& other, int32_t parts);
  Film(const Film&) = delete;
  Film& operator=(const Film&) = delete;
  // The film must be unlinked first.
  ~Film();

  bool HasVideo() const { return video != nullptr; }
  bool HasAudio() const { return audio != nullptr; }
  bool HasMidi() const { return midi != nullptr; }
  // Whether the film shows on the line of a kind mask.
  bool Matches(int32_t mask, int32_t line) const;
  bool IsSelected() const;
  bool Uses(VideoSource* v, AudioSource* a, MidiSource* m) const;

  // origin = start - in, on a whole pixel at the current zoom.
  void ComputeOrigin();

  // Links the film into list, first moving a video film that does not start
  // on a key frame to the next key frame (with a note to the user). False,
  // with a warning and the film unlinked, when its stretch holds no key frame.
  // With inOrder the film comes from a list being copied or read in order and
  // is linked as Append does.
  bool LinkAtKeyFrame(HWND owner, FilmListHead& list, bool inOrder = false);
  // Brings the film back in line with its sources after they were re-read.
  // With check, a source that no longer suits the project gives false and
  // nothing more changes.
  bool FitToSources(bool check);
  // Renew the thumbnails of the first and of the last shown frame.
  void UpdateInFrame(void* dc, int32_t scale);
  void UpdateOutFrame(void* dc, int32_t scale);
  // The key frame nearest to frame f (counted from the in frame) within [lo, hi]; 0 when none.
  int32_t NearestKeyFrame(int32_t f, int32_t lo, int32_t hi) const;

  // The data of the film's project-file record (film_records.cpp): false
  // at the first short write.
  bool WriteRecord(HMMIO file, const char* baseFolder) const;
  // Fills a freshly made film from a record of length bytes, opening its
  // sources (the first of folders is the project's folder; moved files are
  // looked up in and added to *moved; *ask says whether a missing file may
  // be asked for). Returns 0, 18 (repaired) or the error that drops it;
  // notes (or null) learn why, and which files lack a stream asked for.
  int ReadRecord(HMMIO file, LONG length, PathRecord* folders, SynonymFile** moved, bool* ask, HWND window,
                 FilmReadNotes* notes = nullptr);

  // List operations on any list.
  static void Link(Film* film, FilmListHead& head);
  // Links a film that arrives in list order (a copy of a list, a project
  // being read): it goes after the films with its start, so copies and loads
  // keep the order of films that start together instead of reversing it.
  static void Append(Film* film, FilmListHead& head);
  static void Unlink(Film* film, FilmListHead& head);

  // Queries on the project list (FilmList), in start order.
  static Film* FindByLine(int32_t t, int32_t mask, int32_t line);
  static bool IsFreeOnLine(int32_t t, int32_t mask, int32_t line);
  static Film* FindLatestEndBefore(int32_t t, int32_t mask, int32_t line);
  static Film* FindNextOnLine(int32_t t, int32_t mask, int32_t line);
  static bool AnySelected();
  static bool GetExtent(int32_t& lo, int32_t& hi, int32_t mask, int32_t line);
  static bool AnyOverlapping(int32_t a, int32_t b, int32_t mask, int32_t line);
  static bool AnySelectedOverlapping(int32_t a, int32_t b, int32_t mask, int32_t line);
  // For a film with MIDI: false when a film of list holds another MIDI source.
  bool MidiMatchesList(const FilmListHead& list) const;
  // The same for a MIDI source about to join list (null matches).
  static bool MidiMatchesList(MidiSource* midi, const FilmListHead& list);

  // Before a media file is written over or deleted: removes its clips from
  // the project, the collection, the clipboard and the undo history, asking
  // first. True when nothing holds the file any more.
  static bool RemoveClipEverywhere(const char* fileName, HWND window);
  // After a source's file changed on disk: reloads it (asking) and refits or
  // removes the films and clips that use it. True when something used it.
  static bool RefreshChangedSources(HWND window, bool reload, bool checkCollection, VideoSource* video,
                                    AudioSource* audio, MidiSource* midi);

  // Envelope points (time in source ms).
  int32_t FindVolumePoint(int32_t t, int32_t value, int32_t maxDistance) const;
  int32_t FindBalancePoint(int32_t t, int32_t value, int32_t maxDistance) const;
  int32_t NearestVolumePoint(int32_t t) const;
  int32_t NearestBalancePoint(int32_t t) const;
  bool AddVolumePoint(int32_t t, int32_t value);
  bool AddBalancePoint(int32_t t, int32_t value);
  bool DeleteVolumePoint(int32_t i);
  bool DeleteBalancePoint(int32_t i);
  int32_t HitTestVolumeProfile(int32_t value, int32_t t, int32_t& index) const;
  int32_t HitTestBalanceProfile(int32_t value, int32_t t, int32_t& index) const;

  // Status-line descriptions of what lies under the mouse.
  void DescribeClip() const;
  void DescribeStart() const;
  void DescribeStop() const;
  void DescribeMark(int32_t i) const;
  void DescribeVolumePoint(int32_t i) const;
  void DescribeVolumeRange(int32_t i) const;
  void DescribeVolumeSlope(int32_t i) const;
  void DescribeBalancePoint(int32_t i) const;
  void DescribeBalanceRange(int32_t i) const;
  void DescribeBalanceSlope(int32_t i) const;
  void DescribeName() const;

  // Links of the list the film is in; both null when not linked.
  Film* next = nullptr;
  Film* prev = nullptr;
  MarkList marks;  // source times
  char name[128] = {};
  int32_t start = 0;
  int32_t end = 0;
  int32_t origin = 0;
  int32_t in = 0;
  int32_t out = 0;
  int32_t sourceLength = 0;
  int32_t group = 0;
  int32_t stamp = 0;
  VideoSource* video = nullptr;
  int32_t videoRow = -1;
  Thumbnail* inPicture = nullptr;
  Thumbnail* outPicture = nullptr;
  StartFrameRecord* inKeyFrame = nullptr;
  int32_t videoState = 0;
  MidiSource* midi = nullptr;
  int32_t tempo = 1000;
  int32_t midiState = 0;
  AudioSource* audio = nullptr;
  EffectChain* effects = nullptr;
  int32_t audioLine = -1;
  int32_t volume = 512;
  Profile volumePoints;
  int32_t balance = 0;
  Profile balancePoints;
  int32_t audioState = 0;
  bool declickIn = false;
  bool declickOut = false;

 private:
  friend class FilmListHead;

  void SetName(const char* text);
  void RenewStartFrame();
  int32_t SourceLengthOfSources() const;
  void ShowStatus(const std::string& text) const;

  // The start under which its list's index holds the film.
  int32_t indexedStart_ = 0;
};

// Increased by every LinkAtKeyFrame; 0 again for a new project.
extern int32_t LinkCounter;
