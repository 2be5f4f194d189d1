#include <gtest/gtest.h>

#include <filesystem>

#include "audio_fixtures.h"
#include "media/audio_readers.h"
#include "model/message_box.h"

namespace {

Bytes SomeWave(std::size_t bytes = 8000) { return WaveFile(FmtBody(1, 1, 8000, 8, 1), Bytes(bytes, 128)); }

TEST(AudioSources, OnePathIsOneSharedSource) {
  RecordingHooks hooks;
  TempFolder folder;
  const std::string path = folder.Write("a.wav", SomeWave());
  AudioData* first = AudioData::OpenShared(path.c_str());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->referenceCount, 1);
  // The second open shares without reading the file again.
  std::filesystem::remove(path);
  AudioData* second = AudioData::OpenShared(path.c_str());
  EXPECT_EQ(second, first);
  EXPECT_EQ(first->referenceCount, 2);
  EXPECT_EQ(AudioData::FindByName(path.c_str()), first);
  EXPECT_EQ(SharedSourceCount(), 1);
  second->Release();
  EXPECT_EQ(SharedSourceCount(), 1);
  first->Release();
  EXPECT_EQ(SharedSourceCount(), 0);
  EXPECT_EQ(AudioData::FindByName(path.c_str()), nullptr);
}

TEST(AudioSources, NamesDifferingInCaseAreTwoSources) {
  RecordingHooks hooks;
  TempFolder folder;
  AudioData* lower = AudioData::OpenShared(folder.Write("take.wav", SomeWave()).c_str());
  AudioData* upper = AudioData::OpenShared(folder.Write("TAKE.wav", SomeWave(16000)).c_str());
  ASSERT_NE(lower, nullptr);
  ASSERT_NE(upper, nullptr);
  EXPECT_NE(lower, upper);
  EXPECT_EQ(lower->length, 1000);
  EXPECT_EQ(upper->length, 2000);
  EXPECT_EQ(SharedSourceCount(), 2);
  lower->Release();
  upper->Release();
}

TEST(AudioSources, TheFactoryChoosesTheReaderByName) {
  RecordingHooks hooks;
  TempFolder folder;
  const Bytes wave = SomeWave();
  const Bytes aiff = AiffFile(1, 16, 8000, Bytes(8000, 0));
  // An AVI file with one audio stream and no index.
  ByteWriter avih;
  avih.Le32(0).Le32(0).Le32(0).Le32(0).Le32(0).Le32(0).Le32(1).Zeros(36);
  ByteWriter strh;
  strh.Id("auds").Zeros(52);
  const Bytes avi = List(
      "RIFF", "AVI ",
      Concat({List("LIST", "hdrl",
                   Concat({Chunk("avih", avih.bytes),
                           List("LIST", "strl", Concat({Chunk("strh", strh.bytes),
                                                        Chunk("strf", FmtBody(1, 1, 8000, 8, 1))}))})),
              List("LIST", "movi", Chunk("00wb", Bytes(8000, 128)))}));
  struct Case {
    const char* name;
    const Bytes* content;
    const char* kind;
  };
  const std::vector<Case> cases = {
      {"x.WAV", &wave, "wave"}, {"x.wave", &wave, "wave"}, {"x.Afc", &aiff, "wave"}, {"x.aiff", &aiff, "wave"},
      {"x.aif", &aiff, "wave"}, {"x.avi", &avi, "avi"},    {"x.mov", &avi, "avi"},   {"noextension", &avi, "avi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AudioData* s = AudioData::OpenShared(folder.Write(c.name, *c.content).c_str());
    ASSERT_NE(s, nullptr);
    if (std::string(c.kind) == "wave")
      EXPECT_NE(dynamic_cast<TReadWave*>(s), nullptr);
    else
      EXPECT_NE(dynamic_cast<TReadAVIAudio*>(s), nullptr);
    s->Release();
  }
  // A WAVE file under an AVI name is no AVI file.
  EXPECT_EQ(AudioData::OpenShared(folder.Write("wave.avi", wave).c_str()), nullptr);
}

TEST(AudioSources, TheTemporarySoundFileDeliversItsSamples) {
  RecordingHooks hooks;  // 16-bit stereo at 44100 Hz
  TempFolder folder;
  ByteWriter raw;
  for (int i = 0; i < 4410; ++i) raw.Le16(static_cast<std::uint16_t>(i)).Le16(static_cast<std::uint16_t>(-i));
  hooks.soundFile = folder.Write("KOBRIX.wav", raw.bytes);
  AudioData* s = AudioData::OpenShared(hooks.soundFile.c_str());
  ASSERT_NE(s, nullptr);
  EXPECT_NE(dynamic_cast<TReadTmpAudioFile*>(s), nullptr);  // raw, whatever its extension
  EXPECT_EQ(s->length, 100);
  EXPECT_EQ(s->LengthInSamples(), 4410u);
  EXPECT_TRUE(s->IsDirectFormat());
  std::vector<float> expected;
  for (int i = 0; i < 4410; ++i) {
    expected.push_back(static_cast<float>(i));
    expected.push_back(static_cast<float>(-i));
  }
  EXPECT_EQ(DecodeAll(s, 1024), expected);
  EXPECT_FALSE(s->IsOpen());

  ASSERT_TRUE(s->BeginRead());
  EXPECT_TRUE(s->IsOpen());
  BYTE frames[16];
  EXPECT_EQ(s->ReadSamples(frames, 4408, 4), 2);  // frames, not bytes
  EXPECT_EQ(frames[8], 0);
  s->EndRead();
  EXPECT_FALSE(s->IsOpen());
  s->Release();
}

TEST(AudioSources, OpenStateChangesRedrawTheCollectionTiles) {
  RecordingHooks hooks;
  TempFolder folder;
  AudioData* s = AudioData::OpenShared(folder.Write("a.wav", SomeWave()).c_str());
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(s->BeginRead());
  ASSERT_TRUE(s->BeginRead());
  EXPECT_EQ(s->openCount, 2);
  s->EndRead();
  const std::size_t afterBegins = hooks.redraws.size();
  EXPECT_GE(afterBegins, 1u);
  s->EndRead();
  EXPECT_EQ(hooks.redraws.size(), afterBegins + 1);
  EXPECT_EQ(hooks.redraws.back(), s);
  s->EndRead();  // one too many does nothing
  EXPECT_EQ(s->openCount, 0);
  s->Release();
}

TEST(AudioSources, ReadingNeedsAnOpenReader) {
  RecordingHooks hooks;
  TempFolder folder;
  AudioData* s = AudioData::OpenShared(folder.Write("a.wav", SomeWave()).c_str());
  ASSERT_NE(s, nullptr);
  BYTE buffer[64];
  std::vector<float> memory(32);
  SampleBlock block;
  block.data = memory.data();
  EXPECT_EQ(s->ReadSamples(buffer, 0, 10), 0);
  EXPECT_EQ(s->ReadBlock(&block, 0, 10), 0);
  // A short look through the handle needs no count.
  ASSERT_TRUE(s->OpenHandle());
  EXPECT_EQ(s->ReadBytes(buffer, 0, 10), 10);
  s->CloseHandle();
  EXPECT_EQ(s->ReadBytes(buffer, 0, 10), 0);
  s->Release();
}

TEST(AudioSources, CloseFileAndReopenUnderOpenReaders) {
  RecordingHooks hooks;
  TempFolder folder;
  const std::string path = folder.Write("a.wav", SomeWave());
  AudioData* s = AudioData::OpenShared(path.c_str());
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(s->BeginRead());
  EXPECT_TRUE(s->CloseFile());
  EXPECT_FALSE(s->CloseFile());
  BYTE b[4];
  EXPECT_EQ(s->ReadBytes(b, 0, 4), 0);
  EXPECT_TRUE(s->Reopen());
  EXPECT_EQ(s->ReadBytes(b, 0, 4), 4);
  s->CloseFile();
  std::filesystem::remove(path);
  EXPECT_FALSE(s->Reopen());
  EXPECT_EQ(s->error, 3);
  s->EndRead();
  s->Release();
}

TEST(AudioSources, PrepareFloatBlockDescribesSilentFloats) {
  RecordingHooks hooks;
  TempFolder folder;
  AudioData* s = AudioData::OpenShared(
      folder.Write("s.wav", WaveFile(FmtBody(1, 2, 8000, 16, 4), Bytes(8000, 1))).c_str());
  ASSERT_NE(s, nullptr);
  std::vector<float> memory(20, 7.0f);
  SampleBlock block;
  block.data = memory.data();
  block.held = 5;
  EXPECT_EQ(s->PrepareFloatBlock(&block, 8), 8);
  EXPECT_EQ(block.requested, 8);
  EXPECT_EQ(block.held, 0);
  EXPECT_EQ(block.format.wBitsPerSample, 32);
  EXPECT_EQ(block.format.nBlockAlign, 8);
  EXPECT_EQ(block.format.nAvgBytesPerSec, 64000u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(memory[i], 0.0f) << i;  // every float of the 8 frames
  EXPECT_EQ(memory[16], 7.0f);
  s->Release();
}

class ScriptedBoxes : public MessageBoxPresenter {
 public:
  ScriptedBoxes() { previous_ = SetMessageBoxPresenter(this); }
  ~ScriptedBoxes() override { SetMessageBoxPresenter(previous_); }
  int Show(HWND, const std::string& text, const std::string& caption, UINT flags) override {
    texts.push_back(text);
    captions.push_back(caption);
    this->flags.push_back(flags);
    return answer;
  }
  void Beep(UINT) override {}
  std::vector<std::string> texts, captions;
  std::vector<UINT> flags;
  int answer = IDNO;

 private:
  MessageBoxPresenter* previous_;
};

TEST(AudioSources, AChangedFileGoesToTheFilmModelOnce) {
  RecordingHooks hooks;
  ScriptedBoxes boxes;
  TempFolder folder;
  const std::string path = folder.Write("a.wav", SomeWave());
  AudioData* s = AudioData::OpenShared(path.c_str());
  ASSERT_NE(s, nullptr);
  EXPECT_FALSE(AudioData::CheckChangedFiles(nullptr));
  EXPECT_TRUE(s->IsUnchanged());
  EXPECT_TRUE(hooks.refreshes.empty());

  const auto later = std::filesystem::last_write_time(path) + std::chrono::seconds(10);
  std::filesystem::last_write_time(path, later);
  EXPECT_TRUE(AudioData::CheckChangedFiles(nullptr));
  ASSERT_EQ(hooks.refreshes.size(), 1u);
  EXPECT_TRUE(hooks.refreshes[0].reload);
  EXPECT_TRUE(hooks.refreshes[0].checkCollection);
  EXPECT_EQ(hooks.refreshes[0].audio, s);
  EXPECT_FALSE(AudioData::CheckChangedFiles(nullptr));
  EXPECT_EQ(hooks.refreshes.size(), 1u);
  EXPECT_TRUE(boxes.texts.empty());

  std::filesystem::last_write_time(path, later + std::chrono::seconds(10));
  EXPECT_FALSE(s->IsUnchanged());
  EXPECT_TRUE(s->IsUnchanged());  // the new time was kept
  EXPECT_TRUE(hooks.refreshes.size() == 1u);
  s->Release();
}

TEST(AudioSources, AVanishedFileIsReportedWhenTheFilmModelUsedIt) {
  RecordingHooks hooks;
  ScriptedBoxes boxes;
  TempFolder folder;
  const std::string path = folder.Write("gone.wav", SomeWave());
  AudioData* s = AudioData::OpenShared(path.c_str());
  ASSERT_NE(s, nullptr);
  std::filesystem::remove(path);
  hooks.refreshAnswer = false;
  EXPECT_FALSE(AudioData::CheckChangedFiles(nullptr));
  EXPECT_TRUE(boxes.texts.empty());
  hooks.refreshAnswer = true;
  EXPECT_TRUE(AudioData::CheckChangedFiles(nullptr));
  ASSERT_EQ(hooks.refreshes.size(), 2u);
  EXPECT_FALSE(hooks.refreshes[1].reload);
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0], "File " + path + " does not exist!");
  EXPECT_EQ(boxes.captions[0], "Activate Kobrix");
  EXPECT_EQ(boxes.flags[0], MB_ICONSTOP);
  EXPECT_FALSE(s->IsUnchanged());
  s->Release();
}

TEST(AudioSources, ReloadReadsTheFileAgain) {
  RecordingHooks hooks;
  TempFolder folder;
  const std::string path = folder.Write("a.wav", SomeWave(8000));
  AudioData* s = AudioData::OpenShared(path.c_str());
  ASSERT_NE(s, nullptr);
  s->peakByteCount = 10;
  s->peakBlock1.reset(new BYTE[10]);
  folder.Write("a.wav", SomeWave(24000));
  EXPECT_TRUE(s->Open(path.c_str()));
  EXPECT_EQ(s->length, 3000);
  EXPECT_EQ(s->peakByteCount, 0);
  EXPECT_EQ(s->peakBlock1, nullptr);
  folder.Write("a.wav", Bytes(10, 0));
  EXPECT_FALSE(s->Open(path.c_str()));
  EXPECT_EQ(s->error, 6);
  s->Release();
}

// A Film holds its sound through the model's interface: the reader behind it
// answers for the file, and a reload through the interface re-reads it.
TEST(AudioSources, ASourceServesTheFilmModelsInterface) {
  RecordingHooks hooks;
  TempFolder folder;
  const std::string path = folder.Write("a.wav", WaveFile(FmtBody(3, 2, 8000, 32, 8), Bytes(64000, 0)));
  AudioData* s = AudioData::OpenShared(path.c_str());
  ASSERT_NE(s, nullptr);
  AudioSource* held = s->AddRef();
  EXPECT_EQ(held, static_cast<AudioSource*>(s));
  EXPECT_EQ(s->referenceCount, 2);
  EXPECT_EQ(held->GetError(), 0);
  EXPECT_EQ(held->GetFormatTag(), WAVE_FORMAT_IEEE_FLOAT);
  EXPECT_EQ(held->GetLength(), 1000);
  EXPECT_STREQ(held->GetFileName(), path.c_str());
  EXPECT_FALSE(held->IsOpen());
  ASSERT_TRUE(s->BeginRead());
  EXPECT_TRUE(held->IsOpen());
  held->EndRead();
  EXPECT_FALSE(held->IsOpen());

  folder.Write("a.wav", SomeWave(16000));
  EXPECT_TRUE(held->Reload(path.c_str()));
  EXPECT_EQ(held->GetFormatTag(), WAVE_FORMAT_PCM);
  EXPECT_EQ(held->GetLength(), 2000);
  folder.Write("a.wav", Bytes(10, 0));
  EXPECT_FALSE(held->Reload(path.c_str()));
  EXPECT_EQ(held->GetError(), 6);
  held->Release();
  EXPECT_EQ(s->referenceCount, 1);
  s->Release();
  EXPECT_EQ(SharedSourceCount(), 0);
}

}  // namespace
