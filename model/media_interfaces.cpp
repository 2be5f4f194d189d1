#include "model/media_interfaces.h"

#include <cstring>

#include "model/film.h"

namespace {

MediaServices default_services;
MediaServices* current_services = nullptr;

}  // namespace

void ReleaseChain(EffectChain*& held) {
  EffectChain* chain = held;
  if (!chain) return;
  held = nullptr;
  if (chain->IsOpen()) chain->Close();
  chain->Release();
}

int32_t ClipItem::GetKinds() const {
  return (GetVideo() ? kKindVideo : 0) | (GetAudio() ? kKindAudio : 0) | (GetMidi() ? kKindMidi : 0);
}

StartFrameRecord* MediaServices::CreateStartFrame(VideoSource*, int32_t) {
  return nullptr;
}
Thumbnail* MediaServices::GetThumbnailFromSource(void*, int32_t, VideoSource*, int32_t, int32_t) {
  return nullptr;
}
VideoSource* MediaServices::FindVideoByName(const char*) {
  return nullptr;
}
AudioSource* MediaServices::FindAudioByName(const char*) {
  return nullptr;
}
MidiSource* MediaServices::FindMidiByName(const char*) {
  return nullptr;
}
bool MediaServices::IsEffectTempFile(AudioSource*) {
  return false;
}

void MediaServices::DescribeEffects(EffectChain*, char* text, int32_t size) {
  if (!text || size < 1) return;
  static const char kNone[] = " has not audio effects";
  std::size_t n = std::strlen(kNone);
  if (n > static_cast<std::size_t>(size - 1)) n = static_cast<std::size_t>(size - 1);
  std::memcpy(text, kNone, n);
  text[n] = '\0';
}

MediaServices* SetMediaServices(MediaServices* services) {
  MediaServices* before = current_services;
  current_services = services;
  return before;
}

MediaServices& CurrentMediaServices() {
  return current_services ? *current_services : default_services;
}
