#include "audio/timeline_audio.h"

#include "media/audio_data.h"

AudioSource* TimeLineAudio::OpenSoundFile() {
  return AudioData::OpenShared(Sound_File);
}
