// Edit decision lists: the generic text list of Adobe Premiere 4.0 ("Adobe
// Premier 4.0 simple EDL" in the program's words), written from the
// time-line and read back into it. All times in the file are whole frames at
// the project's frame rate.
//
// The file is a nest of bracketed blocks, one item or block opening per
// line, indented with tabs. Lines end in CR LF; the reader takes LF too. The
// reader looks at the start of each line only ("[Clips,", "[Track_Record"
// ...), so everything else in a line is free text to it; a block it does
// not know is passed over by counting its brackets.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/core/types.h"

class AudioSource;
class FilmListHead;
class TimeLineEngine;
class VideoSource;

// Lines are read in pieces of at most kEdlLineBuffer - 1 bytes: a longer
// line arrives as several lines.
constexpr int kEdlLineBuffer = 510;
// The longest file name a "[DOS_File" line may hold.
constexpr std::size_t kEdlMaxFileName = 259;
// Clips and their level points are written with Max=1024.
constexpr int32_t kEdlBandMax = 1024;

class EdlLineReader {
 public:
  explicit EdlLineReader(std::FILE* file) : file_(file) {}

  // The next line or piece into Line(), its line end dropped; false at the
  // end of the file.
  bool Next();
  // Back to the first line.
  void Rewind();
  const char* Line() const { return line_; }
  // The line after its leading blanks and control bytes (every byte whose
  // value as a signed character is at most 32, so bytes 128 to 255 too).
  const char* Text() const;
  // Whether Text() starts with keyword.
  bool Begins(const char* keyword) const;

 private:
  std::FILE* file_;
  char line_[kEdlLineBuffer] = {};
};

// Passes over the rest of the block that the current line opens: from two
// bytes after its first visible byte (past "[" and the keyword's first
// letter) every "[" goes one level in and every "]" one out, and lines are
// read while the block is still open at a line's end. The end of the file
// ends it too.
void SkipEdlBlock(EdlLineReader& reader);

// Reads numbers out of text as the pattern says, the way the list's lines
// are laid out: "%d" is a signed decimal number (blanks before it skipped),
// a blank in the pattern stands for any run of blanks, every other byte must
// be there as it is. Stops at the first mismatch. Returns how many numbers
// were read, or -1 when one of them does not fit 32 bits.
int ScanEdlNumbers(const char* text, const char* pattern, int32_t* values, int count);

// One file of the list's "[Files," section, as it stands in the file.
struct EdlFileEntry {
  int32_t id = 0;
  std::string name;
  bool video = false;  // it has a "[Video" line
  bool audio = false;  // it has an "[Audio" line
};

// Reads the "[Files," section from the start of the file into entries, in
// file order: 0; 6 when there is no such section, a "[FileID" without its
// number (or with one beyond 32 bits), a file without a name, or a name that
// is not quoted or longer than kEdlMaxFileName; 2 when memory runs out.
int ReadEdlFileSection(std::FILE* file, std::vector<EdlFileEntry>& entries);

// One file the list names, with the sources that stand for it (either may
// be null). The name points at the text of the source that holds it. Lists
// of these are singly linked; whoever builds one frees it.
struct EdlFileRecord {
  EdlFileRecord* next = nullptr;
  int32_t id = 0;
  const char* name = nullptr;
  AudioSource* audio = nullptr;
  VideoSource* video = nullptr;
};

// The first record of the list with the id; null when none.
const EdlFileRecord* FindEdlFile(const EdlFileRecord* list, int32_t id);
// Deletes the records (the sources are not touched).
void FreeEdlFileRecords(EdlFileRecord* list);

// The file lists of an export: every video source the films use, then every
// audio source, numbered 201, 203, 205 ... in that order. A file used for
// both picture and sound is one id: its audio record takes the video
// record's id, name and video source, and the video record the audio
// source. Each list is newest first. False when memory runs out (nothing is
// left allocated).
bool BuildEdlFileLists(const FilmListHead& films, EdlFileRecord** video, EdlFileRecord** audio);

// Writes the films as a list: the engine's selection range (or its whole
// length), video rows 0 and 1, the audio lines in use with their level
// points, the clip list and the files the films use. False when a line
// could not be written.
bool WriteEdl(std::FILE* file, const TimeLineEngine& engine, const FilmListHead& films,
              const EdlFileRecord* videoFiles, const EdlFileRecord* audioFiles);

// What a list read into films gives beyond the films.
struct EdlParseResult {
  // A clip was put into the list (the project changes).
  bool linked = false;
  // The highest audio line a clip went to, -1 when none.
  int32_t highestAudioLine = -1;
};

// Reads the clips and tracks of the list into films (a list of their own,
// not the project's), taking the files from files. Video tracks go to rows 0
// and 1 and audio tracks to lines 0 to 3, in order; later tracks are passed
// over. owner owns the key-frame messages. Returns 0, 2 (no memory) or 6
// (the list is not well formed); the clips read before an error stay in
// films.
int ParseEdl(FilmListHead& films, std::FILE* file, const EdlFileRecord* files, HWND owner,
             EdlParseResult& result);
