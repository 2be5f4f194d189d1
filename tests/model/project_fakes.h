// Fakes for the project-file tests: records built byte by byte, a temporary
// folder, a media layer that opens the fake sources by path and stores
// effect chains as a marker body, and a scripted moved-file question.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "film_fakes.h"
#include "model/film_records.h"

namespace projecttest {

using namespace filmtest;
using Bytes = std::vector<uint8_t>;

inline Bytes Le32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Tagged records end to end.
struct Rec {
  Bytes bytes;
  Rec& Raw(uint32_t tag, const Bytes& data) {
    return Head(tag, static_cast<uint32_t>(data.size())).Data(data);
  }
  Rec& Head(uint32_t tag, uint32_t length) {
    bytes = Cat({bytes, Le32(tag), Le32(length)});
    return *this;
  }
  Rec& Data(const Bytes& data) {
    bytes = Cat({bytes, data});
    return *this;
  }
  Rec& Scalar(uint32_t tag, int32_t v) { return Raw(tag, Le32(static_cast<uint32_t>(v))); }
  // The text with its NUL.
  Rec& Text(uint32_t tag, const std::string& s) {
    Bytes data(s.begin(), s.end());
    data.push_back(0);
    return Raw(tag, data);
  }
  Rec& Points(uint32_t tag, std::initializer_list<std::pair<int32_t, int32_t>> points) {
    Bytes data;
    for (auto [t, v] : points)
      data = Cat({data, Le32(static_cast<uint32_t>(t)), Le32(static_cast<uint32_t>(v))});
    return Raw(tag, data);
  }
  Rec& Nested(uint32_t tag, const Rec& inner) { return Raw(tag, inner.bytes); }
};

// The tags of a run of records, walked by their lengths.
inline std::vector<uint32_t> Tags(const Bytes& b, size_t from = 0, size_t to = SIZE_MAX) {
  std::vector<uint32_t> tags;
  if (to > b.size()) to = b.size();
  size_t at = from;
  while (at + 8 <= to) {
    uint32_t tag, len;
    std::memcpy(&tag, &b[at], 4);
    std::memcpy(&len, &b[at + 4], 4);
    tags.push_back(tag);
    at += 8 + len;
  }
  return tags;
}

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/kobrix-project-XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const Bytes& bytes) const {
    std::ofstream out(Path(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  Bytes Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string text = s.str();
    return Bytes(text.begin(), text.end());
  }

 private:
  std::string path_;
};

// The marker body that stands for a stored effect chain.
inline const Bytes& EffectBody() {
  static const Bytes body = {'F', 'X', 'C', 'H', 'A', 'I', 'N', '!'};
  return body;
}

// Opens the fakes of the Film tests by their file names.
class FakeProjectMedia : public ProjectMedia {
 public:
  FakeProjectMedia(FakeMedia& media, std::function<FakeEffects*()> makeEffects)
      : media_(media), makeEffects_(std::move(makeEffects)) {
    before_ = SetProjectMedia(this);
  }
  ~FakeProjectMedia() override { SetProjectMedia(before_); }

  VideoSource* OpenVideo(HWND, const char* path) override {
    opened.push_back(path);
    for (FakeVideo* v : media_.videos) {
      if (v->file == path && !Missing(path)) {
        v->AddRef();
        return v;
      }
    }
    return nullptr;
  }
  AudioSource* OpenAudio(const char* path) override {
    opened.push_back(path);
    for (FakeAudio* a : media_.audios)
      if (a->file == path && !Missing(path)) return a->AddRef();
    return nullptr;
  }
  MidiSource* OpenMidi(const char* path) override {
    opened.push_back(path);
    for (FakeMidi* m : media_.midis) {
      if (m->file == path && !Missing(path)) {
        m->AddRef();
        return m;
      }
    }
    return nullptr;
  }
  void SetVideoFrameRate(VideoSource* video, float rate) override {
    rates.push_back(rate);
    static_cast<FakeVideo*>(video)->rate = rate;
  }
  bool WriteEffects(HMMIO file, EffectChain*) override {
    const LONG n = static_cast<LONG>(EffectBody().size());
    return mmioWrite(file, EffectBody().data(), n) == n;
  }
  EffectChain* ReadEffects(HMMIO file, LONG size, int* error) override {
    Bytes body(static_cast<size_t>(size));
    if (size > 0 && mmioRead(file, body.data(), size) != size) {
      *error = 19;
      return nullptr;
    }
    if (body != EffectBody()) {
      *error = 6;
      return nullptr;
    }
    *error = 0;
    return makeEffects_();
  }

  bool Missing(const std::string& path) const {
    for (const std::string& m : missing)
      if (m == path) return true;
    return false;
  }

  std::vector<std::string> opened;
  std::vector<std::string> missing;  // files that exist as fakes but "moved away"
  std::vector<float> rates;

 private:
  FakeMedia& media_;
  std::function<FakeEffects*()> makeEffects_;
  ProjectMedia* before_;
};

// Answers the moved-file question in turn; a chosen answer names the file.
class ScriptedLocator : public MediaFileLocator {
 public:
  ScriptedLocator() { before_ = SetMediaFileLocator(this); }
  ~ScriptedLocator() override { SetMediaFileLocator(before_); }
  struct Answer {
    int code;
    std::string path;
  };
  int LocateMediaFile(HWND, const char* caption, char* path, int flags, PathRecord* folders) override {
    asked.push_back(path);
    captions.push_back(caption);
    EXPECT_EQ(flags, 1);
    if (answers.empty()) return kLocateSkip;
    Answer a = answers.front();
    answers.pop_front();
    if (a.code == kLocateChosen) {
      std::strncpy(path, a.path.c_str(), MAX_PATH - 1);
      path[MAX_PATH - 1] = '\0';
    }
    return a.code;
  }
  std::deque<Answer> answers;
  std::vector<std::string> asked;
  std::vector<std::string> captions;

 private:
  MediaFileLocator* before_;
};

class ProjectTest : public FilmTest {
 protected:
  TempDir dir;
  FakeProjectMedia projectMedia{media, [this] { return Effects(); }};
  ScriptedLocator locator;
};

}  // namespace projecttest
