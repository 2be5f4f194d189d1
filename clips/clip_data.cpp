#include "clips/clip_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "model/path_record.h"
#include "model/scratch_str.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/core/sync.h"

namespace {

// The descriptions share one buffer, as the tiles read one and draw it at once.
char g_description[96];

void DropThumbnail(TEVideoBitmap*& thumbnail) {
  if (TEVideoBitmap* held = thumbnail) {
    thumbnail = nullptr;
    held->Release();
  }
}

int32_t VideoLength(VideoData* video) {
  return FramesToMs(video->GetFrameCount(), video->GetFrameRate());
}

}  // namespace

ClipData::ClipData(VideoData* video_, MidiData* midi_, AudioData* audio_, bool render) {
  std::strcpy(name, "Empty");
  std::memset(pixels, 0xFF, sizeof pixels);
  if (audio_ != nullptr) {
    audio = audio_->AddRef();
    sourceLength = audio->GetLength();
    kind |= kClipAudio;
    path = audio->GetFileName();
  }
  if (midi_ != nullptr) {
    midi_->AddRef();
    midi = midi_;
    sourceLength = midi->GetLength();
    kind |= kClipMidi;
    path = midi->GetFileName();
  }
  if (video_ != nullptr) {
    video_->AddRef();
    video = video_;
    if (render) video->GetThumbnail(pixels, faceTime);
    sourceLength = VideoLength(video);
    kind |= kClipVideo;
    path = video->GetFileName();
  }
  SetNameFromPath();
  outTime = duration = sourceLength;
}

ClipData& ClipData::operator=(const ClipData& other) {
  if (this == &other) return *this;
  // The other record's references first, so that a shared source survives.
  VideoData* oldVideo = video;
  AudioData* oldAudio = audio;
  MidiData* oldMidi = midi;
  TEVideoBitmap* oldThumbnail = thumbnail;
  video = other.video;
  if (video != nullptr) video->AddRef();
  audio = other.audio != nullptr ? other.audio->AddRef() : nullptr;
  midi = other.midi;
  if (midi != nullptr) midi->AddRef();
  thumbnail = other.thumbnail;
  if (thumbnail != nullptr) InterlockedIncrement(&thumbnail->refCount);
  if (oldVideo != nullptr) oldVideo->Release();
  if (oldMidi != nullptr) oldMidi->Release();
  if (oldAudio != nullptr) oldAudio->Release();
  DropThumbnail(oldThumbnail);
  kind = other.kind;
  inTime = other.inTime;
  outTime = other.outTime;
  duration = other.duration;
  sourceLength = other.sourceLength;
  faceTime = other.faceTime;
  std::memcpy(pixels, other.pixels, sizeof pixels);
  path = other.path;
  std::memcpy(name, other.name, sizeof name);
  return *this;
}

ClipData::~ClipData() {
  ReleaseSources();
}

void ClipData::ReleaseSources() {
  if (VideoData* v = video) {
    video = nullptr;
    v->Release();
  }
  if (MidiData* m = midi) {
    midi = nullptr;
    m->Release();
  }
  if (AudioData* a = audio) {
    audio = nullptr;
    a->Release();
  }
  DropThumbnail(thumbnail);
  kind = 0;
  inTime = outTime = duration = 0;
  path = nullptr;
}

void ClipData::ReleaseThumbnail() {
  DropThumbnail(thumbnail);
}

void ClipData::SetNameFromPath() {
  if (path == nullptr) return;
  PathParts parts;
  SplitPath(parts, path);
  const int32_t n = std::min<int32_t>(parts.nameLength, kClipNameSize - 1);
  std::memcpy(name, path + parts.name, static_cast<size_t>(n));
  name[n] = '\0';
}

void ClipData::RenderFace() {
  if (video != nullptr)
    video->GetThumbnail(pixels, faceTime);
  else
    std::memset(pixels, 0xFF, sizeof pixels);
}

bool ClipData::Revalidate() {
  if ((video != nullptr && video->GetError() != 0) || (audio != nullptr && audio->GetError() != 0) ||
      (midi != nullptr && midi->GetError() != 0))
    return false;
  // Audio, then MIDI, then video: the last one present gives the length.
  int32_t length = 0;
  const char* newPath = nullptr;
  if (audio != nullptr) {
    length = audio->GetLength();
    newPath = audio->GetFileName();
  }
  if (midi != nullptr) {
    length = midi->GetLength();
    newPath = midi->GetFileName();
  }
  if (video != nullptr) {
    length = VideoLength(video);
    newPath = video->GetFileName();
  }
  // A file with nothing left in it gives no times to clamp to.
  if (newPath == nullptr || length <= 0) return false;
  path = newPath;
  if (length != sourceLength) {
    const bool followsSpan = outTime - inTime == duration;
    sourceLength = length;
    const int32_t last = length - 1;
    outTime = std::min(outTime, length);
    faceTime = std::min(faceTime, last);
    inTime = std::min(inTime, last);
    if (followsSpan) duration = outTime - inTime;
  }
  RenderFace();
  ReleaseThumbnail();
  return true;
}

const char* ClipData::DescribeVideo() const {
  if (video == nullptr) {
    FormatTextTo(g_description, sizeof g_description, "%s", GetString(ui_string::kNoVideo));
    return g_description;
  }
  int32_t width = 0, height = 0;
  video->GetSize(&width, &height);
  const float rate = video->GetFrameRate();
  const char* unit = GetString(ui_string::kFramesPerSecond);
  if (std::isfinite(rate) && rate == std::floor(rate) && std::fabs(rate) < 1e9f)
    FormatTextTo(g_description, sizeof g_description, "%d*%d,%d%s", width, height, static_cast<int>(rate),
                 unit);
  else
    FormatTextTo(g_description, sizeof g_description, "%d*%d,%.3f%s", width, height,
                 static_cast<double>(rate), unit);
  return g_description;
}

const char* ClipData::DescribeAudio() const {
  if (audio == nullptr) {
    const int text = midi != nullptr ? ui_string::kMidiSound : ui_string::kNoSound;
    FormatTextTo(g_description, sizeof g_description, "%s", GetString(text));
    return g_description;
  }
  const WAVEFORMATEX* format = audio->format;
  const int rate = format != nullptr ? static_cast<int>(format->nSamplesPerSec) : 0;
  const bool stereo = format != nullptr && format->nChannels == 2;
  FormatTextTo(g_description, sizeof g_description, "%d,%s,%s", rate, SampleTypeName(audio->GetSampleType()),
               GetString(stereo ? ui_string::kStereoShort : ui_string::kMonoShort));
  return g_description;
}
