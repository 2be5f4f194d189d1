// Summary metadata: the 23 descriptive texts of the RIFF INFO list (title,
// artist, copyright, comments ...). The project keeps one program-wide set,
// stored in the project file as record 500, defaulted from the INI file and
// written as a LIST/INFO chunk into the WAVE and AVI files the program
// writes. A clip's properties read a temporary set from its media file.
//
// Fields are numbered 1 to 23 in the order of the INFO ids. An empty field
// and an empty text are the same thing: reading a field never gives null.
//
// The object guards its texts with a lock of its own, so that a writer
// thread may copy it or write its INFO chunk while the main thread replaces
// its texts. GetField hands out the stored text itself: only the thread that
// changes the object (the main thread) may use it.
#pragma once

#include <memory>
#include <mutex>

#include "platform/core/types.h"
#include "platform/riff/riff.h"

constexpr int kSummaryFieldCount = 23;
// The two generated fields: not kept in the INI file.
constexpr int kSummaryCreationDate = 6;
constexpr int kSummarySoftware = 19;
constexpr int kSummaryCopyright = 5;

// The record of the project file whose body the summary is.
constexpr DWORD kSummaryRecord = 500;

// The INFO id of field index (1..23), or 0 outside.
FOURCC GetInfoFieldId(int index);
// The field's label (UI string 327 + index); "" outside 1..23.
const char* GetInfoFieldLabel(int index);

class SummaryInfo {
 public:
  SummaryInfo() = default;
  SummaryInfo(const SummaryInfo& other);
  SummaryInfo& operator=(const SummaryInfo& other) = delete;
  ~SummaryInfo() = default;

  // With all false, Creation Date and Software stay.
  void Clear(bool all);
  // The field's text; "" for an empty field or an index outside 1..23.
  const char* GetField(int index) const;
  // Copies text into the field (null or "" empties it). False for an index
  // outside 1..23 (nothing changes) or when memory runs out (the field is
  // then empty).
  bool SetField(int index, const char* text);
  // A deep copy of every field of other.
  void Assign(const SummaryInfo& other);
  // Empties all but Creation Date and Software; Copyright becomes its
  // standard text.
  void Reset();
  // Every field from section SUMMARY of the INI file, then today's date and
  // the software text.
  void LoadDefaults();
  // The 21 keyed fields into section SUMMARY, then the INI file is flushed.
  void SaveDefaults() const;

  // The LIST/INFO chunk of a WAVE or AVI file; true when at least one known
  // field was taken. Fields already set stay unless the file sets them.
  bool ReadRiffInfo(const char* path);
  // Writes a LIST/INFO chunk at the current position of a RIFF file being
  // written: the date of writing, the program, then every non-empty field.
  // Nothing, and true, while SummaryDontSave is set.
  bool WriteRiffInfo(HMMIO file) const;

  // The body of record 500: {id, i32 n, text and NUL} per non-empty field.
  bool WriteRecord(HMMIO file) const;
  // Reads a body of size bytes, all fields emptied first: 0, 2, 6 or 19.
  int ReadRecord(HMMIO file, LONG size);

 private:
  // Callers hold lock_.
  bool SetFieldLocked(int index, const char* text, size_t length);
  void ClearLocked(bool all);

  std::unique_ptr<char[]> fields_[kSummaryFieldCount + 1];
  mutable std::mutex lock_;
};

// The project's summary, for the program's life.
extern SummaryInfo ProjectSummary;

// Lets the project file write and read record 500 with ProjectSummary; the
// application calls it at start-up.
void InstallProjectSummaryRecord();
// While set, no INFO chunk is written into any media file (the project file
// keeps its record 500).
extern bool SummaryDontSave;
