#include "timeline/commands/add_file_host.h"

#include <atomic>
#include <cstring>
#include <new>

#include "model/media_interfaces.h"
#include "model/time_code.h"
#include "platform/core/locations.h"

namespace {

// A clip that holds its sources and nothing more: the whole of the longest
// one, named after the file.
class SourceClip : public ClipItem {
 public:
  SourceClip(const char* path, VideoSource* video, AudioSource* audio, MidiSource* midi)
      : video_(video), audio_(audio), midi_(midi) {
    if (video_) {
      video_->AddRef();
      length_ = FramesToMs(video_->GetFrameCount(), video_->GetFrameRate());
    }
    if (audio_) {
      audio_->AddRef();
      if (!video_) length_ = audio_->GetLength();
    }
    if (midi_) {
      midi_->AddRef();
      if (!video_ && !audio_) length_ = midi_->GetLength();
    }
    const char* base = path ? std::strrchr(path, '/') : nullptr;
    base = base ? base + 1 : (path ? path : "");
    std::strncpy(name_, base, sizeof name_ - 1);
    if (char* dot = std::strrchr(name_, '.')) *dot = '\0';
  }
  ~SourceClip() override {
    if (video_) video_->Release();
    if (audio_) audio_->Release();
    if (midi_) midi_->Release();
  }
  SourceClip(const SourceClip&) = delete;
  SourceClip& operator=(const SourceClip&) = delete;

  VideoSource* GetVideo() const override { return video_; }
  AudioSource* GetAudio() const override { return audio_; }
  MidiSource* GetMidi() const override { return midi_; }
  int32_t GetIn() const override { return 0; }
  int32_t GetOut() const override { return length_; }
  int32_t GetLength() const override { return length_; }
  const char* GetName() const override { return name_; }

 private:
  VideoSource* video_;
  AudioSource* audio_;
  MidiSource* midi_;
  int32_t length_ = 0;
  char name_[128] = {};
};

AddFileHost g_defaults;
std::atomic<AddFileHost*> g_host{nullptr};

}  // namespace

void AddFileHost::SetFrameRate(float) {}

void AddFileHost::SetAudioFormat(int32_t, int32_t, int32_t) {}

bool AddFileHost::CollectionFrameExists() {
  return false;
}

void AddFileHost::ShowCollection() {}

void AddFileHost::AddToCollection(const char*, int32_t) {}

int AddFileHost::AskConvert(HWND, const char*, bool, int32_t, int32_t&, int32_t&) {
  return kConvertCancel;
}

ClipItem* AddFileHost::MakeClip(const char* path, VideoSource* video, AudioSource* audio, MidiSource* midi) {
  return new (std::nothrow) SourceClip(path, video, audio, midi);
}

std::string AddFileHost::ConverterFolder() {
  return ProgramFolder();
}

AddFileHost* SetAddFileHost(AddFileHost* host) {
  return g_host.exchange(host);
}

AddFileHost& CurrentAddFileHost() {
  AddFileHost* host = g_host.load();
  return host ? *host : g_defaults;
}
