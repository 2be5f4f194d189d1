#include "clips/summary_info.h"

#include <cstring>
#include <ctime>
#include <new>
#include <string>

#include "model/error_codes.h"
#include "model/film_records.h"
#include "model/ini.h"
#include "model/project_file.h"
#include "model/text_format.h"
#include "model/ui_strings.h"

SummaryInfo ProjectSummary;
bool SummaryDontSave = false;

namespace {

struct FieldInfo {
  char id[5];
  const char* key;  // null for the generated fields
};

// Index 1..23; entry 0 is unused.
constexpr FieldInfo kFields[kSummaryFieldCount + 1] = {
    {"", nullptr},
    {"IARL", "ArchivalLocation"},
    {"IART", "Artist"},
    {"ICMS", "Commissioned"},
    {"ICMT", "Comments"},
    {"ICOP", "Copyright"},
    {"ICRD", nullptr},
    {"ICRP", "Cropped"},
    {"IDIM", "Dimensions"},
    {"IDPI", "DotsPerInch"},
    {"IENG", "Author"},
    {"IGNR", "Genre"},
    {"IKEY", "Keywords"},
    {"ILGT", "Lightness"},
    {"IMED", "Medium"},
    {"INAM", "Title"},
    {"IPLT", "PaletteSetting"},
    {"IPRD", "Product"},
    {"ISBJ", "Subject"},
    {"ISFT", nullptr},
    {"ISHP", "Sharpness"},
    {"ISRC", "Source"},
    {"ISRF", "SourceForm"},
    {"ITCH", "Technician"},
};

constexpr char kSection[] = "SUMMARY";
constexpr char kCopyrightText[] = "Copyright (C) 1998";
constexpr char kSoftwareText[] = "Kobrix for Velmora 3.00";
constexpr char kInfoSoftwareFormat[] = "Kobrix Free V%X.%02X Multitrack Audio and Video Editor";
// Longest text taken from a media file's INFO list, and from an entry of
// record 500 (bytes with the NUL).
constexpr LONG kInfoReadSize = 256;
constexpr size_t kInfoTextLimit = 255;

FOURCC IdOf(int index) {
  const char* id = kFields[index].id;
  return mmioFOURCC(id[0], id[1], id[2], id[3]);
}

int IndexOfId(FOURCC id) {
  for (int i = 1; i <= kSummaryFieldCount; ++i) {
    if (IdOf(i) == id) return i;
  }
  return 0;
}

std::string TodayText() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return FormatText("%d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

// One INFO sub-chunk holding text and its NUL; every byte must be written.
bool WriteInfoChunk(HMMIO file, FOURCC id, const char* text) {
  MMCKINFO ck;
  ck.ckid = id;
  ck.cksize = 0;
  if (mmioCreateChunk(file, &ck, 0) != 0) return false;
  const LONG n = static_cast<LONG>(std::strlen(text)) + 1;
  if (mmioWrite(file, text, n) != n) return false;
  return mmioAscend(file, &ck, 0) == 0;
}

}  // namespace

FOURCC GetInfoFieldId(int index) {
  return index >= 1 && index <= kSummaryFieldCount ? IdOf(index) : 0;
}

namespace {

// The project file's record 500: the project's summary.
class ProjectSummaryBody : public ProjectSummaryRecord {
 public:
  bool WriteBody(HMMIO file) override { return ProjectSummary.WriteRecord(file); }
  int ReadBody(HMMIO file, LONG size) override { return ProjectSummary.ReadRecord(file, size); }
  void LoadDefaults() override { ProjectSummary.LoadDefaults(); }
};

}  // namespace

void InstallProjectSummaryRecord() {
  static ProjectSummaryBody record;
  SetProjectSummaryRecord(&record);
}

const char* GetInfoFieldLabel(int index) {
  return index >= 1 && index <= kSummaryFieldCount ? GetString(ui_string::kSummaryLabelBase + index) : "";
}

SummaryInfo::SummaryInfo(const SummaryInfo& other) {
  Assign(other);
}

void SummaryInfo::ClearLocked(bool all) {
  for (int i = 1; i <= kSummaryFieldCount; ++i) {
    if (!all && (i == kSummaryCreationDate || i == kSummarySoftware)) continue;
    fields_[i].reset();
  }
}

void SummaryInfo::Clear(bool all) {
  std::lock_guard<std::mutex> hold(lock_);
  ClearLocked(all);
}

const char* SummaryInfo::GetField(int index) const {
  if (index < 1 || index > kSummaryFieldCount) return "";
  std::lock_guard<std::mutex> hold(lock_);
  return fields_[index] ? fields_[index].get() : "";
}

bool SummaryInfo::SetFieldLocked(int index, const char* text, size_t length) {
  fields_[index].reset();
  if (text == nullptr || length == 0) return true;
  std::unique_ptr<char[]> copy(new (std::nothrow) char[length + 1]);
  if (!copy) return false;
  std::memcpy(copy.get(), text, length);
  copy[length] = '\0';
  fields_[index] = std::move(copy);
  return true;
}

bool SummaryInfo::SetField(int index, const char* text) {
  if (index < 1 || index > kSummaryFieldCount) return false;
  std::lock_guard<std::mutex> hold(lock_);
  return SetFieldLocked(index, text, text != nullptr ? std::strlen(text) : 0);
}

void SummaryInfo::Assign(const SummaryInfo& other) {
  if (&other == this) return;
  // Copy the other's texts first, so that no two locks are held at once.
  std::unique_ptr<char[]> copies[kSummaryFieldCount + 1];
  {
    std::lock_guard<std::mutex> hold(other.lock_);
    for (int i = 1; i <= kSummaryFieldCount; ++i) {
      if (!other.fields_[i]) continue;
      const size_t n = std::strlen(other.fields_[i].get());
      copies[i].reset(new (std::nothrow) char[n + 1]);
      if (copies[i]) std::memcpy(copies[i].get(), other.fields_[i].get(), n + 1);
    }
  }
  std::lock_guard<std::mutex> hold(lock_);
  for (int i = 1; i <= kSummaryFieldCount; ++i) fields_[i] = std::move(copies[i]);
}

void SummaryInfo::Reset() {
  std::lock_guard<std::mutex> hold(lock_);
  ClearLocked(false);
  SetFieldLocked(kSummaryCopyright, kCopyrightText, sizeof kCopyrightText - 1);
}

void SummaryInfo::LoadDefaults() {
  Clear(true);
  IniSetSection(kSection);
  for (int i = 1; i <= kSummaryFieldCount; ++i) {
    if (kFields[i].key == nullptr) continue;
    SetField(i, IniReadString(kFields[i].key, i == kSummaryCopyright ? kCopyrightText : ""));
  }
  SetField(kSummaryCreationDate, TodayText().c_str());
  SetField(kSummarySoftware, kSoftwareText);
}

void SummaryInfo::SaveDefaults() const {
  IniSetSection(kSection);
  for (int i = 1; i <= kSummaryFieldCount; ++i) {
    if (kFields[i].key == nullptr) continue;
    std::string text;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (fields_[i]) text = fields_[i].get();
    }
    IniWriteString(kFields[i].key, text.c_str());
  }
  IniFlush();
}

bool SummaryInfo::ReadRiffInfo(const char* path) {
  HMMIO file = mmioOpen(path, nullptr, MMIO_READ | MMIO_DENYNONE);
  if (file == nullptr) return false;
  bool taken = false;
  bool failed = false;
  MMCKINFO riff;
  MMCKINFO list;
  if (mmioDescend(file, &riff, nullptr, 0) != 0 || riff.ckid != FOURCC_RIFF ||
      (riff.fccType != mmioFOURCC('W', 'A', 'V', 'E') && riff.fccType != mmioFOURCC('A', 'V', 'I', ' '))) {
    mmioClose(file, 0);
    return false;
  }
  list.fccType = mmioFOURCC('I', 'N', 'F', 'O');
  if (mmioDescend(file, &list, &riff, MMIO_FINDLIST) != 0) {
    mmioClose(file, 0);
    return false;
  }
  MMCKINFO sub;
  while (mmioDescend(file, &sub, &list, 0) == 0) {
    const int index = IndexOfId(sub.ckid);
    if (index != 0) {
      char buffer[kInfoReadSize];
      const LONG want =
          sub.cksize < static_cast<DWORD>(kInfoReadSize) ? static_cast<LONG>(sub.cksize) : kInfoReadSize;
      const LONG got = want > 0 ? mmioRead(file, buffer, want) : 0;
      if (got < 1) {
        failed = true;
        break;
      }
      size_t length = strnlen(buffer, static_cast<size_t>(got));
      if (length > kInfoTextLimit) length = kInfoTextLimit;
      std::lock_guard<std::mutex> hold(lock_);
      SetFieldLocked(index, buffer, length);
      taken = true;
    }
    if (mmioAscend(file, &sub, 0) != 0) break;
  }
  mmioClose(file, 0);
  return taken && !failed;
}

bool SummaryInfo::WriteRiffInfo(HMMIO file) const {
  if (SummaryDontSave) return true;
  // Work on a copy, so that the lock is not held across the file writes.
  SummaryInfo copy(*this);
  MMCKINFO list;
  list.fccType = mmioFOURCC('I', 'N', 'F', 'O');
  list.cksize = 0;
  if (mmioCreateChunk(file, &list, MMIO_CREATELIST) != 0) return false;
  if (!WriteInfoChunk(file, IdOf(kSummaryCreationDate), TodayText().c_str())) return false;
  const std::string software = FormatText(kInfoSoftwareFormat, 3, 0);
  if (!WriteInfoChunk(file, IdOf(kSummarySoftware), software.c_str())) return false;
  for (int i = 1; i <= kSummaryFieldCount; ++i) {
    if (i == kSummaryCreationDate || i == kSummarySoftware || !copy.fields_[i]) continue;
    if (!WriteInfoChunk(file, IdOf(i), copy.fields_[i].get())) return false;
  }
  return mmioAscend(file, &list, 0) == 0;
}

bool SummaryInfo::WriteRecord(HMMIO file) const {
  SummaryInfo copy(*this);
  project_records::RecordBuffer entries;
  for (int i = 1; i <= kSummaryFieldCount; ++i) {
    const char* text = copy.fields_[i].get();
    if (text != nullptr) entries.Text(IdOf(i), text, std::strlen(text));
  }
  return entries.Flush(file);
}

int SummaryInfo::ReadRecord(HMMIO file, LONG size) {
  Clear(true);
  LONG remaining = size;
  while (remaining >= 1) {
    // An entry must lie inside the record; a cut-off one would read the
    // next records as text.
    if (remaining < 8) return kErrInvalidFormat;
    BYTE head[8];
    if (mmioRead(file, head, 8) != 8) return kErrRead;
    const FOURCC id = static_cast<FOURCC>(project_records::GetLe32(head));
    const LONG length = project_records::GetLe32(head + 4);
    // Bytes that name no field (zeros above all) are no entry.
    if (!IsChunkId(id) || length < 0 || length > remaining - 8) return kErrInvalidFormat;
    remaining -= 8 + length;
    const int index = IndexOfId(id);
    if (index != 0 && length <= kInfoReadSize) {
      char text[kInfoReadSize + 1];
      if (length > 0 && mmioRead(file, text, length) != length) return kErrRead;
      text[length] = '\0';
      std::lock_guard<std::mutex> hold(lock_);
      SetFieldLocked(index, text, std::strlen(text));
    } else if (mmioSeek64(file, length, SEEK_CUR) < 0) {
      return kErrRead;
    }
  }
  return kErrOk;
}
