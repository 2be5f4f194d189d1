#include "audio_fixtures.h"
#include "support/file_bytes.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

ByteWriter& ByteWriter::Le16(std::uint32_t v) {
  bytes.push_back(v & 0xFF);
  bytes.push_back((v >> 8) & 0xFF);
  return *this;
}
ByteWriter& ByteWriter::Le32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes.push_back((v >> (8 * i)) & 0xFF);
  return *this;
}
ByteWriter& ByteWriter::Be16(std::uint32_t v) {
  bytes.push_back((v >> 8) & 0xFF);
  bytes.push_back(v & 0xFF);
  return *this;
}
ByteWriter& ByteWriter::Be32(std::uint32_t v) {
  for (int i = 3; i >= 0; --i) bytes.push_back((v >> (8 * i)) & 0xFF);
  return *this;
}
ByteWriter& ByteWriter::Id(const char* fourcc) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(fourcc[i]));
  return *this;
}
ByteWriter& ByteWriter::Raw(const Bytes& b) {
  bytes.insert(bytes.end(), b.begin(), b.end());
  return *this;
}
ByteWriter& ByteWriter::Zeros(std::size_t n) {
  bytes.insert(bytes.end(), n, 0);
  return *this;
}

Bytes ChunkWithSize(const char* id, std::uint32_t size, const Bytes& data) {
  ByteWriter w;
  w.Id(id).Le32(size).Raw(data);
  if (data.size() % 2 == 1) w.Zeros(1);
  return w.bytes;
}

Bytes Chunk(const char* id, const Bytes& data) {
  return ChunkWithSize(id, static_cast<std::uint32_t>(data.size()), data);
}

Bytes List(const char* id, const char* type, const Bytes& contents) {
  ByteWriter body;
  body.Id(type).Raw(contents);
  return Chunk(id, body.bytes);
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Bytes FmtBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
              std::uint16_t blockAlign, bool withExtraSize) {
  ByteWriter w;
  w.Le16(tag).Le16(channels).Le32(rate).Le32(rate * blockAlign).Le16(blockAlign).Le16(bits);
  if (withExtraSize) w.Le16(0);
  return w.bytes;
}

Bytes WaveFile(const Bytes& fmtBody, const Bytes& data) {
  return List("RIFF", "WAVE", Concat({Chunk("fmt ", fmtBody), Chunk("data", data)}));
}

Bytes Extended(std::uint32_t value) {
  ByteWriter w;
  if (value == 0) return w.Zeros(10).bytes;
  int top = 31;
  while (((value >> top) & 1) == 0) --top;
  const std::uint64_t mantissa = static_cast<std::uint64_t>(value) << (63 - top);
  w.Be16(16383 + top);
  w.Be32(static_cast<std::uint32_t>(mantissa >> 32)).Be32(static_cast<std::uint32_t>(mantissa));
  return w.bytes;
}

Bytes AiffFile(std::uint16_t channels, std::uint16_t bits, std::uint32_t rate, const Bytes& samples,
               const char* aifcCompression, std::uint32_t ssndOffset) {
  const std::uint32_t frameBytes = channels * ((bits + 7) / 8);
  ByteWriter comm;
  comm.Be16(channels).Be32(frameBytes ? static_cast<std::uint32_t>(samples.size() / frameBytes) : 0).Be16(bits);
  comm.Raw(Extended(rate));
  if (aifcCompression != nullptr) comm.Id(aifcCompression).Zeros(2);  // and an empty name
  ByteWriter ssnd;
  ssnd.Be32(ssndOffset).Be32(0).Zeros(ssndOffset).Raw(samples);
  auto be = [](const char* id, const Bytes& data) {
    ByteWriter w;
    w.Id(id).Be32(static_cast<std::uint32_t>(data.size())).Raw(data);
    if (data.size() % 2 == 1) w.Zeros(1);
    return w.bytes;
  };
  ByteWriter body;
  body.Id(aifcCompression != nullptr ? "AIFC" : "AIFF").Raw(be("COMM", comm.bytes)).Raw(be("SSND", ssnd.bytes));
  return be("FORM", body.bytes);
}

TempFolder::TempFolder() : TestFolder("kobrix-media") {
  if (!ok()) ADD_FAILURE() << "mkdtemp failed";
}

std::string TempFolder::Write(const std::string& name, const Bytes& bytes) const {
  const std::string p = Path(name);
  WriteFileBytes(p, bytes);
  return p;
}

Bytes ReadWholeFile(const std::string& path) { return ReadFileBytes(path); }

bool RunCommand(const std::string& command, Bytes* output) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  std::uint8_t buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
    if (output != nullptr) output->insert(output->end(), buf, buf + n);
  return pclose(pipe) == 0;
}

bool HaveTool(const char* tool) {
  return RunCommand(std::string("command -v ") + tool + " >/dev/null 2>&1");
}

std::vector<float> FloatsOf(const Bytes& raw) {
  std::vector<float> v(raw.size() / 4);
  std::memcpy(v.data(), raw.data(), v.size() * 4);
  return v;
}

std::vector<float> DecodeAll(AudioData* source, LONG blockFrames) {
  std::vector<float> all;
  if (source == nullptr) return all;
  EXPECT_TRUE(source->BeginRead());
  const std::int64_t total = source->LengthInSamples();
  // Room for two float channels per frame, as the engine's blocks have.
  std::vector<float> memory(static_cast<std::size_t>(blockFrames) * 2);
  SampleBlock block;
  block.data = memory.data();
  block.capacity = blockFrames;
  for (std::int64_t at = 0; at < total; at += blockFrames) {
    const LONG n = static_cast<LONG>(std::min<std::int64_t>(blockFrames, total - at));
    const LONG held = source->ReadBlock(&block, at, n);
    EXPECT_EQ(held, n) << "at frame " << at;
    if (held <= 0) break;
    source->ToFloat(&block);
    EXPECT_EQ(block.format.wBitsPerSample, 32);
    all.insert(all.end(), memory.begin(), memory.begin() + held * block.format.nChannels);
  }
  source->EndRead();
  return all;
}

RecordingHooks::RecordingHooks() {
  output.wFormatTag = WAVE_FORMAT_PCM;
  output.nChannels = 2;
  output.nSamplesPerSec = 44100;
  output.wBitsPerSample = 16;
  output.nBlockAlign = 4;
  output.nAvgBytesPerSec = 44100 * 4;
  previous_ = SetAudioSourceHooks(this);
}

RecordingHooks::~RecordingHooks() { SetAudioSourceHooks(previous_); }

bool RecordingHooks::RefreshChangedSources(HWND, bool reload, bool checkCollection, AudioData* audio) {
  refreshes.push_back({reload, checkCollection, audio});
  return refreshAnswer;
}

ScriptedProgress::ScriptedProgress() { previous_ = SetProgressHooks(this); }

ScriptedProgress::~ScriptedProgress() { SetProgressHooks(previous_); }

ProgressDialog* ScriptedProgress::OpenTermometer(const char* t, const char* x, LONG n, bool, HWND) {
  ++opened;
  title = t;
  text = x;
  total = n;
  return &dialog_;
}

void ScriptedProgress::CloseTermometer(ProgressDialog** holder) {
  if (*holder != nullptr) ++closed;
  *holder = nullptr;
}

bool ScriptedProgress::Dialog::SetProgress(LONG position) {
  owner->positions.push_back(position);
  return owner->cancelAfter < 0 || static_cast<int>(owner->positions.size()) <= owner->cancelAfter;
}

int SharedSourceCount() {
  int n = 0;
  for (AudioData* s = AudioData::FirstShared(); s != nullptr; s = s->next) ++n;
  return n;
}
