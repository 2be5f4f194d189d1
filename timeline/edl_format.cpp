#include "timeline/edl_format.h"

#include <cctype>
#include <cstring>
#include <new>

#include "model/error_codes.h"

bool EdlLineReader::Next() {
  int n = 0;
  bool any = false;
  while (n < kEdlLineBuffer - 1) {
    int c = std::getc(file_);
    if (c == EOF) break;
    any = true;
    if (c == '\r') {
      // A line end written as CR LF is one line end.
      const int after = std::getc(file_);
      if (after == '\n') break;
      if (after != EOF) std::ungetc(after, file_);
    } else if (c == '\n') {
      break;
    }
    line_[n++] = static_cast<char>(c);
  }
  line_[n] = '\0';
  return any;
}

void EdlLineReader::Rewind() {
  std::rewind(file_);
  line_[0] = '\0';
}

const char* EdlLineReader::Text() const {
  const char* p = line_;
  while (*p != '\0' && static_cast<signed char>(*p) <= 32) ++p;
  return p;
}

bool EdlLineReader::Begins(const char* keyword) const {
  return std::strncmp(Text(), keyword, std::strlen(keyword)) == 0;
}

void SkipEdlBlock(EdlLineReader& reader) {
  const char* text = reader.Text();
  const std::size_t visible = std::strlen(text);
  const char* p = text + (visible < 2 ? visible : 2);
  int64_t depth = 1;
  for (;;) {
    for (; *p != '\0'; ++p) {
      if (*p == '[') ++depth;
      if (*p == ']') --depth;
    }
    if (depth <= 0 || !reader.Next()) return;
    p = reader.Line();
  }
}

int ScanEdlNumbers(const char* text, const char* pattern, int32_t* values, int count) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  const char* s = text;
  int read = 0;
  for (const char* f = pattern; *f != '\0'; ++f) {
    if (f[0] == '%' && f[1] == 'd') {
      ++f;
      while (blank(*s)) ++s;
      bool negative = false;
      if (*s == '+' || *s == '-') negative = *s++ == '-';
      if (!std::isdigit(static_cast<unsigned char>(*s))) return read;
      int64_t v = 0;
      while (std::isdigit(static_cast<unsigned char>(*s))) {
        v = v * 10 + (*s++ - '0');
        if (v > static_cast<int64_t>(INT32_MAX) + 1) return -1;
      }
      if (negative) v = -v;
      if (v > INT32_MAX || v < INT32_MIN) return -1;
      if (read < count) values[read] = static_cast<int32_t>(v);
      ++read;
    } else if (blank(*f)) {
      while (blank(*s)) ++s;
    } else if (*s == *f) {
      ++s;
    } else {
      return read;
    }
  }
  return read;
}

namespace {

// The name between the first two quotes after "[DOS_File": false when they
// are not both there or the name is too long.
bool QuotedName(const char* text, std::string& name) {
  const char* open = std::strchr(text, '\'');
  const char* close = open != nullptr ? std::strchr(open + 1, '\'') : nullptr;
  if (close == nullptr) return false;
  const std::size_t n = static_cast<std::size_t>(close - open - 1);
  if (n > kEdlMaxFileName) return false;
  name.assign(open + 1, n);
  return true;
}

}  // namespace

int ReadEdlFileSection(std::FILE* file, std::vector<EdlFileEntry>& entries) {
  EdlLineReader reader(file);
  reader.Rewind();
  bool found = false;
  while (!found && reader.Next()) found = reader.Begins("[Files,");
  if (!found) return kErrInvalidFormat;

  while (reader.Next()) {
    if (reader.Begins("]")) break;
    if (!reader.Begins("[FileID")) continue;
    EdlFileEntry entry;
    if (ScanEdlNumbers(reader.Text(), "[FileID #%d", &entry.id, 1) != 1) return kErrInvalidFormat;
    while (reader.Next() && !reader.Begins("]")) {
      if (reader.Begins("[DOS_File")) {
        if (!QuotedName(reader.Text() + 9, entry.name)) return kErrInvalidFormat;
      } else if (reader.Begins("[Video")) {
        entry.video = true;
      } else if (reader.Begins("[Audio")) {
        entry.audio = true;
      }
    }
    if (entry.name.empty()) return kErrInvalidFormat;
    try {
      entries.push_back(std::move(entry));
    } catch (const std::bad_alloc&) {
      return kErrNoMemory;
    }
  }
  return kErrOk;
}

const EdlFileRecord* FindEdlFile(const EdlFileRecord* list, int32_t id) {
  for (; list != nullptr; list = list->next) {
    if (list->id == id) return list;
  }
  return nullptr;
}

void FreeEdlFileRecords(EdlFileRecord* list) {
  while (list != nullptr) {
    EdlFileRecord* next = list->next;
    delete list;
    list = next;
  }
}
