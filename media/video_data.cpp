#include "media/video_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "media/audio_file.h"
#include "media/frame_decoder.h"
#include "media/video_source_hooks.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_strings.h"
#include "platform/core/paths.h"

namespace {

VideoData* g_head = nullptr;

void CopyName(char (&destination)[MAX_PATH], const char* name) {
  if (name == nullptr) name = "";
  const std::size_t n = std::min<std::size_t>(std::strlen(name), MAX_PATH - 1);
  std::memmove(destination, name, n);
  destination[n] = '\0';
}

// A rate in whole thousandths, as rates are compared and kept.
int64_t Thousandths(double rate, double half) {
  if (!std::isfinite(rate)) return 0;
  double t = std::trunc(rate * 1000.0 + half);
  return static_cast<int64_t>(std::clamp(t, -1e15, 1e15));
}

}  // namespace

bool SameFrameFormat(const BITMAPINFOHEADER* a, const BITMAPINFOHEADER* b) {
  return a->biCompression == b->biCompression && a->biWidth == b->biWidth && a->biHeight == b->biHeight &&
         a->biPlanes == b->biPlanes && a->biBitCount == b->biBitCount;
}

// --- VideoData ---------------------------------------------------------------

VideoData::VideoData(const char* name) {
  CopyName(fileName, name);
  if (!ReadFileWriteTime(fileName, &fileTime)) error = kErrOpen;
  next = g_head;
  if (g_head != nullptr) g_head->prev = this;
  g_head = this;
}

VideoData::~VideoData() {
  Unlink();
}

void VideoData::Unlink() {
  if (g_head == this) g_head = next;
  if (prev != nullptr) prev->next = next;
  if (next != nullptr) next->prev = prev;
  next = prev = nullptr;
}

VideoData* VideoData::Head() {
  return g_head;
}

bool VideoData::IsOpen() {
  return openCount >= 1;
}

bool VideoData::SetFrameRate(float) {
  return false;
}

void VideoData::AddRef() {
  referenceCount.fetch_add(1);
}

void VideoData::Release() {
  if (referenceCount.fetch_sub(1) <= 1) delete this;
}

// --- AVIVideoData: sharing -----------------------------------------------------

AVIVideoData::AVIVideoData(const char* name) : VideoData(name) {}

AVIVideoData::~AVIVideoData() {
  CloseFileHandle();
  // The shared decoder must not take a later source at this address for
  // the one it decoded last.
  ForgetDecodedSource(this);
  FreeStructure();
}

AVIVideoData* AVIVideoData::FindByName(const char* name) {
  if (name == nullptr) return nullptr;
  for (VideoData* v = Head(); v != nullptr; v = v->next) {
    // Paths compare exactly, as the file system does.
    if (PathsEqual(v->fileName, name)) return dynamic_cast<AVIVideoData*>(v);
  }
  return nullptr;
}

AVIVideoData* AVIVideoData::OpenShared(HWND parent, int32_t kind, const char* name, float rate) {
  if (AVIVideoData* found = FindByName(name)) {
    if (rate > 0 && Thousandths(rate, 0.499) != Thousandths(found->frameRate, 0.499)) {
      ShowMessage(parent, GetString(ui_string::kOpenVideo), MB_ICONEXCLAMATION,
                  GetString(ui_string::kOtherFrameRate), name);
      return nullptr;
    }
    found->AddRef();
    return found;
  }
  if (kind != kVideoKindAvi) return nullptr;
  auto* source = new (std::nothrow) AVIVideoData(name);
  if (source == nullptr) return nullptr;
  source->sourceKind = kVideoKindAvi;
  if (source->error == 0) source->ReadAviFile(name);
  if (source->error != 0 || source->GetError() != 0) {
    delete source;
    return nullptr;
  }
  if (rate > 0) source->SetFrameRate(rate);
  source->AddRef();
  return source;
}

bool AVIVideoData::CheckChangedFiles(HWND caller) {
  bool handled = false;
  VideoData* v = Head();
  while (v != nullptr) {
    VideoData* following = v->next;  // the handler may drop v
    auto* source = dynamic_cast<AVIVideoData*>(v);
    if (source != nullptr) {
      FILETIME now;
      if (ReadFileWriteTime(source->fileName, &now)) {
        if (!SameFileTime(now, source->fileTime)) {
          source->fileTime = now;
          if (CurrentVideoSourceHooks().RefreshChangedSources(caller, true, true, source)) handled = true;
        }
      } else {
        char name[MAX_PATH];
        CopyName(name, source->fileName);
        if (CurrentVideoSourceHooks().RefreshChangedSources(caller, false, true, source)) {
          handled = true;
          ShowMessage(caller, GetString(ui_string::kActivateKobrix), MB_ICONHAND,
                      GetString(ui_string::kFileDoesNotExist), name);
        }
      }
    }
    v = following;
  }
  return handled;
}

bool AVIVideoData::IsUnchanged() {
  FILETIME now;
  if (!ReadFileWriteTime(fileName, &now)) return false;
  if (SameFileTime(now, fileTime)) return true;
  fileTime = now;
  return false;
}

// --- AVIVideoData: small operations ---------------------------------------------

int32_t AVIVideoData::GetError() {
  return error;
}

bool AVIVideoData::IsDirectPlayable() {
  if (Thousandths(frameRate, 0.5) != Thousandths(ProjectFrameRate(), 0.5)) return false;
  VideoSourceHooks& hooks = CurrentVideoSourceHooks();
  if (hooks.PlayerUseCount() == 0) return true;
  const BITMAPINFOHEADER* playing = hooks.PlayerFormat();
  return hooks.PlayerStreamKind() == kVideoKindAvi && playing != nullptr && Format() != nullptr &&
         SameFrameFormat(playing, Format());
}

void AVIVideoData::GetSize(int32_t* width, int32_t* height) {
  const BITMAPINFOHEADER* f = Format();
  if (width != nullptr) *width = f != nullptr ? f->biWidth : 0;
  if (height != nullptr) *height = f != nullptr ? static_cast<int32_t>(DibHeight(*f)) : 0;
}

void AVIVideoData::BeginRead() {
  SubPlayerInfo info;
  info.kind = kVideoKindAvi;
  info.format = Format();
  info.formatSize = static_cast<int32_t>(formatSize);
  CurrentVideoSourceHooks().AcquireSubPlayer(info);
  if (mmio == nullptr && !OpenFileHandle()) error = kErrFileMissing;
  ++openCount;
  if (openCount == 1) CurrentVideoSourceHooks().RedrawClipsOfVideo(this);
}

void AVIVideoData::EndRead() {
  // An unmatched EndRead would drive the count below zero and release a
  // player use that was never taken.
  if (openCount <= 0) return;
  CurrentVideoSourceHooks().ReleaseSubPlayer();
  --openCount;
  if (openCount == 0) {
    CloseFileHandle();
    CurrentVideoSourceHooks().RedrawClipsOfVideo(this);
  }
}

bool AVIVideoData::OpenFileHandle() {
  if (mmio != nullptr) return true;
  mmio = mmioOpen(fileName, nullptr, MMIO_READ | MMIO_DENYNONE);
  return mmio != nullptr;
}

void AVIVideoData::CloseFileHandle() {
  if (mmio != nullptr) {
    mmioClose(mmio, 0);
    mmio = nullptr;
  }
}

bool AVIVideoData::CloseFile() {
  if (mmio == nullptr) return false;
  CloseFileHandle();
  return true;
}

bool AVIVideoData::Reopen() {
  if (openCount >= 1 && mmio == nullptr) {
    if (!OpenFileHandle()) {
      error = kErrFileMissing;
      return false;
    }
  }
  error = 0;
  return true;
}

bool AVIVideoData::Reload(const char* name) {
  CloseFileHandle();
  ReleaseSharedDecompressor();
  FreeStructure();
  ReadFileWriteTime(name, &fileTime);
  CurrentVideoSourceHooks().DropThumbnails(this);
  if (ReadAviFile(name) != 0) return false;
  return Reopen();
}

int32_t AVIVideoData::SnapTime(int32_t ms) {
  return FramesToMs(PrevNonEmpty(MsToFrames(ms, frameRate)), frameRate);
}

int32_t AVIVideoData::GetFrameSize(int32_t frame) {
  if (index.empty()) return 0;
  return static_cast<int32_t>(index[PrevNonEmpty(frame)].dwChunkLength);
}

bool AVIVideoData::IsKeyFrame(int32_t frame) {
  if (index.empty()) return false;
  return (index[PrevNonEmpty(frame)].dwFlags & AVIIF_KEYFRAME) != 0;
}

bool AVIVideoData::IsKeyFrameAtTime(int32_t ms) {
  return IsKeyFrame(MsToFrames(ms, frameRate));
}

void AVIVideoData::ShowOnBoard(int32_t ms, HWND window) {
  CurrentVideoSourceHooks().ShowOnBoard(this, ms, window);
}

uint32_t AVIVideoData::GetDataSize() {
  uint64_t sum = 0;
  const std::size_t n =
      std::min<std::size_t>(index.size(), static_cast<std::size_t>(std::max(frameCount, 0)));
  for (std::size_t i = 0; i < n; ++i) sum += index[i].dwChunkLength;
  return static_cast<uint32_t>(std::min<uint64_t>(sum, std::numeric_limits<uint32_t>::max()));
}

bool AVIVideoData::SetFrameRate(float rate) {
  if (openCount > 0) return false;
  // A rate that is not positive would divide every later conversion by zero.
  if (!(rate > 0) || !std::isfinite(rate)) return false;
  int64_t wanted = Thousandths(rate, 0.499);
  if (wanted == Thousandths(frameRate, 0.499)) return false;
  if (wanted <= 0 || wanted > std::numeric_limits<uint32_t>::max()) return false;
  frameRate = static_cast<float>(static_cast<double>(wanted) / 1000.0);
  streamHeader.dwRate = static_cast<DWORD>(wanted);
  streamHeader.dwScale = 1000;
  return true;
}
