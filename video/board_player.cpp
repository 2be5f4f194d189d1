#include "video/board_player.h"

#include <algorithm>
#include <new>

#include "media/audio_readers.h"
#include "media/video_data.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "platform/core/files.h"
#include "platform/core/sync.h"
#include "platform/core/threads.h"
#include "platform/core/time.h"
#include "video/board_audio.h"
#include "video/board_messenger.h"
#include "video/player.h"
#include "video/velmora_api.h"
#include "video/velmora_device.h"

namespace {

constexpr int32_t kSector = 512;
constexpr int64_t kLargestRead = 786432;
constexpr int32_t kLargestGroup = 51;
constexpr DWORD kPrefillWaitMs = 5000;
constexpr int kSkipKind = 5;

int64_t DataOffset(const AVIVideoData* source, int32_t frame) {
  return static_cast<int64_t>(source->index[static_cast<std::size_t>(frame)].dwChunkOffset) +
         source->moviDataPosition;
}

int64_t DataSize(const AVIVideoData* source, int32_t frame) {
  return source->index[static_cast<std::size_t>(frame)].dwChunkLength;
}

bool HasEntry(const AVIVideoData* source, int32_t frame) {
  return frame >= 0 && static_cast<std::size_t>(frame) < source->index.size();
}

}  // namespace

// --- FastFile ----------------------------------------------------------------------

std::function<void(int64_t, int32_t)> FastFile::observer;

FastFile::FastFile(AVIVideoData* source, FastFile* next)
    : next(next),
      source(source),
      file(CreateFile(source->fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_READONLY, nullptr)) {}

FastFile::~FastFile() {
  if (file != INVALID_HANDLE_VALUE && file != nullptr) CloseHandle(file);
}

bool FastFile::Read(int64_t offset, void* buffer, int32_t length, int32_t least) {
  if (observer) observer(offset, length);
  if (file == INVALID_HANDLE_VALUE || file == nullptr) return false;
  LARGE_INTEGER to, at;
  to.QuadPart = offset;
  if (!SetFilePointerEx(file, to, &at, FILE_BEGIN) || at.QuadPart != offset) return false;
  DWORD got = 0;
  return ReadFile(file, buffer, static_cast<DWORD>(length), &got, nullptr) && got >= static_cast<DWORD>(least);
}

// --- Life --------------------------------------------------------------------------

VelmoraAviPlayer::VelmoraAviPlayer(const SubPlayerInfo& stream, float rate, HWND notify) {
  drawType = 2;
  frameRate = rate;
  frameMs = FrameMsAt(rate);
  if (!CopyInFormat(stream.format, static_cast<uint32_t>(std::max(stream.formatSize, 0)))) {
    state = kSubUnusable;
    return;
  }
  BoardMessenger* messenger = CurrentBoardMessenger();
  if (messenger != nullptr) messenger->SetBoardPlayer(this);
  if (messenger != nullptr && messenger->BoardHandedOver()) {
    // The board stays with the program it was handed to.
    state = TheVelmoraDevice.CheckVersion() == 0 ? kSubReady : kSubUnusable;
    return;
  }
  const BITMAPINFOHEADER* f = InFormat();
  if (TheVelmoraDevice.Open(f->biWidth, std::abs(f->biHeight), f->biBitCount, notify) == 0) {
    deviceOpen = true;
    state = kSubReady;
  } else {
    TheVelmoraDevice.Close();
    state = kSubUnusable;
  }
}

VelmoraAviPlayer::~VelmoraAviPlayer() {
  Stop();
  Finish(true);
  if (deviceOpen) {
    if (formatted) TheVelmoraDevice.Stop();
    TheVelmoraDevice.Close();
    deviceOpen = false;
  }
  if (BoardMessenger* messenger = CurrentBoardMessenger()) messenger->SetBoardPlayer(nullptr);
}

int32_t VelmoraAviPlayer::InitOutput(AVIVideoData* source, bool atStart) {
  if (atStart && AutoCloseCodec()) ForgetLastShownSource();
  if (source == LastShownSource()) return 0;
  ForgetLastShownSource();
  ResetPosition();
  if (source->Format() == nullptr || !CopyInFormat(source->Format(), source->formatSize)) return kErrNoMemory;
  VelmoraDevice& d = TheVelmoraDevice;
  if (formatted) {
    d.Stop();
    formatted = false;
  }
  if (atStart && AutoCloseCodec() && deviceOpen) {
    d.Close();
    deviceOpen = false;
  }
  const BITMAPINFOHEADER* f = InFormat();
  if (!deviceOpen) {
    const int32_t code = d.Open(f->biWidth, std::abs(f->biHeight), f->biBitCount, nullptr);
    if (code != 0) {
      d.Close();
      state = kSubUnusable;
      return code;
    }
    deviceOpen = true;
  }
  const int32_t code = d.SetFormat(*f, frameRate);
  if (code == 0) formatted = true;
  return code;
}

void VelmoraAviPlayer::ReleaseCodec() {
  ForgetLastShownPicture();
  if (!deviceOpen) return;
  if (formatted) TheVelmoraDevice.Stop();
  formatted = false;
  TheVelmoraDevice.Close();
  deviceOpen = false;
}

DWORD VelmoraAviPlayer::Clock() {
  return InitVelmoraAPIClass::IsLoaded() ? static_cast<DWORD>(VelmoraApi.vdc_GetTime()) : timeGetTime();
}

int32_t VelmoraAviPlayer::GetFrame() {
  if (readerState == kSubFailed) return readIndex;
  return TheVelmoraDevice.GetFrameNumber() - frameBase;
}

// --- Play --------------------------------------------------------------------------

int32_t VelmoraAviPlayer::Start(Film* segments, int32_t start, int32_t end, FilmListHead& films) {
  if (state != kSubReady) return kErrInvalidParameter;
  VelmoraDevice& d = TheVelmoraDevice;
  d.Stop();
  d.Pause();
  d.ResetCounter(0);
  frameBase = 0;
  SetLastImageComplete(false);
  uint32_t largest = 0;
  if (const int32_t code = BuildPlayList(segments, start, end, &largest); code != 0) return code;
  if (const int32_t code = OpenFastFiles(); code != 0) return code;
  prefillEvent = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  if (prefillEvent == nullptr) return kErrNoMemory;
  if (const int32_t code = SetupBoardAudio(segments, start, end, films); code != 0) return code;
  ClearStop();
  if (StartReader() != 0 || StartDisplay() != 0) return kErrNoMemory;
  state = kSubPrepared;
  // The ring fills (or the feeder ends) before Run.
  WaitForSingleObject(prefillEvent, kPrefillWaitMs);
  return 0;
}

void VelmoraAviPlayer::Run(HWND) {
  if (state != kSubPrepared) return;
  skipped = 0;
  if (InitVelmoraAPIClass::IsLoaded()) VelmoraApi.vdc_clear_timeouts(0);
  StartClock();
  TheVelmoraDevice.Run();
  // Running from here on, before the thread gets to say so itself.
  displayState = kSubRunning;
  if (displayThread != nullptr) ResumeThread(displayThread);
  state = kSubRunning;
  VelmoraAudioData::playing = 1;
}

void VelmoraAviPlayer::Stop() {
  if (state != kSubRunning) return;
  RaiseStop();
  VelmoraAudioData::playing = 0;
  VelmoraAudioData::SignalChunks();
  TheVelmoraDevice.Pause();
  StopClock();
  state = (readerState == kSubFailed || displayState == kSubFailed) ? kSubFailed : kSubEnded;
  if (InitVelmoraAPIClass::IsLoaded()) {
    // Frames the board showed late count as dropped.
    skipped += VelmoraApi.vdc_get_timeouts(0);
    VelmoraApi.vdc_clear_timeouts(0);
  }
}

void VelmoraAviPlayer::Finish(bool releaseCodec) {
  Stop();
  RaiseStop();
  VelmoraAudioData::playing = 0;
  VelmoraAudioData::SignalChunks();
  EndThreads();
  if (releaseCodec) {
    TheVelmoraDevice.Stop();
    TheVelmoraDevice.Pause();
  }
  if (prefillEvent != nullptr) CloseHandle(prefillEvent);
  prefillEvent = nullptr;
  FreePlayList();
  if (releaseCodec && AutoCloseCodec()) ReleaseCodec();
  CloseFastFiles();
  ReleaseBoardAudio();
  state = kSubReady;
}

int32_t VelmoraAviPlayer::ShowStill(VideoSource* videoSource, int32_t frame, bool reinit) {
  auto* source = dynamic_cast<AVIVideoData*>(videoSource);
  if (state != kSubReady || source == nullptr) return kErrCancelled;
  VelmoraDevice& d = TheVelmoraDevice;
  d.Flush();
  d.ResetCounter(0);
  if (const int32_t code = InitOutput(source, reinit); code != 0) {
    ForgetLastShownSource();
    return code;
  }
  int32_t code = 0;
  if (!(LastImageComplete() && LastShownSource() == source && LastShownFrame() == frame)) {
    FrameEntry entry;
    entry.source = source;
    entry.frame = frame;
    entry.size = HasEntry(source, frame) ? static_cast<uint32_t>(DataSize(source, frame)) : 0;
    code = d.LoadFrame(entry, 0);
    if (code == 0) {
      SetLastShown(source, frame);
      SetLastImageComplete(true);
      d.Flush();
    } else {
      d.FlushTail();
      CurrentMessageBoxPresenter().Beep(MB_OK);
    }
  }
  d.SetupMixer();
  return code;
}

// --- The feeder --------------------------------------------------------------------

int32_t VelmoraAviPlayer::FeederFailed(int32_t code) {
  readerState = kSubFailed;
  if (prefillEvent != nullptr) SetEvent(prefillEvent);
  return code;
}

int32_t VelmoraAviPlayer::ReaderBody() {
  VelmoraDevice& d = TheVelmoraDevice;
  readerState = kSubRunning;
  d.Pause();
  BYTE* const ring = d.fifo;
  readIndex = 0;
  while (readIndex < count) {
    if (Stopping()) return kErrCancelled;

    if (state == kSubRunning) {
      // In step with the clock: a board more than 3 frames ahead waits for
      // later ids; frames already due are passed over.
      int32_t due = static_cast<int32_t>(Elapsed() * frameRate * 0.001);
      if (Stopping()) return kErrCancelled;  // a stopped clock makes every frame due
      const int32_t board = d.GetFrameNumber() - frameBase;
      if (board - due > 3) frameBase += board - due - 1;
      due = std::min(due, count);
      if (due > readIndex) {
        DropBoardAudio(readIndex, due);
        for (int32_t i = readIndex; i < due; ++i) {
          ++skipped;
          --frameBase;
          playList[static_cast<std::size_t>(i)].position = kSkipped;
        }
        readIndex = due;
        if (frameBase < 0) frameBase = 0;
      }
    }

    while (readIndex < count && playList[static_cast<std::size_t>(readIndex.load())].source == nullptr) ++readIndex;
    if (readIndex >= count) break;

    const FrameEntry& first = playList[static_cast<std::size_t>(readIndex.load())];
    AVIVideoData* const source = first.source;
    int32_t frame = first.frame;
    if (!HasEntry(source, frame)) return FeederFailed(kErrRead);
    int64_t start = DataOffset(source, frame);
    int64_t end = start + DataSize(source, frame);

    // One read for a run of consecutive frames of one file, interleaved
    // audio included; frames with alpha keys one by one.
    int32_t next = readIndex + 1;
    if ((d.clients & kBoardAlpha) == 0) {
      int32_t n = 1;
      while (next < count) {
        const FrameEntry& e = playList[static_cast<std::size_t>(next)];
        if (e.source == nullptr) {
          ++next;
          continue;
        }
        if (e.source != source || e.frame != frame + 1 || n >= kLargestGroup || !HasEntry(source, frame + 1)) break;
        const int64_t offset = DataOffset(source, frame + 1);
        const int64_t itsEnd =
            audioList != nullptr ? source->NextFrameOffset(frame + 1) : offset + DataSize(source, frame + 1);
        if (offset < end || itsEnd - start > kLargestRead) break;
        ++frame;
        ++n;
        end = itsEnd;
        ++next;
      }
    }

    start = start / kSector * kSector;
    end = (end + kSector - 1) / kSector * kSector;
    const int64_t length = end - start;
    // A block larger than the ring can never be placed.
    if (length <= 0 || length > d.fifoSize) return FeederFailed(kErrInvalidFormat);
    const int32_t len = static_cast<int32_t>(length);
    const int32_t lastFrame = std::min<int32_t>(source->frameCount, static_cast<int32_t>(source->index.size())) - 1;
    const int64_t fileEnd = source->NextFrameOffset(lastFrame);
    const int32_t toRead = fileEnd > end ? len : static_cast<int32_t>(std::max<int64_t>(fileEnd - start, 0));

    const int32_t room = d.RoomToEnd(prefillEvent);
    if (room < 0) continue;
    if (room / kSector * kSector < len) {
      // The block starts again at the ring's beginning.
      if (!d.SkipBytes(room, readIndex + frameBase)) return kErrCancelled;
      if (Stopping()) return kErrCancelled;
    } else if (room % kSector != 0) {
      const int32_t pad = room % kSector;
      if (d.WaitFreeSpace(pad, prefillEvent) < 0) continue;
      if (Stopping()) return kErrCancelled;
      VelmoraApi.vdc_AddData(readIndex, 0, kSkipKind, pad);
    }
    const int32_t at = d.WaitFreeSpace(len, prefillEvent);
    if (at < 0) continue;
    if (Stopping()) return kErrCancelled;
    if (at + len > d.fifoSize) continue;  // not where the room was: placed anew

    DropUndeliveredAudio(readIndex);
    for (VelmoraAudioData* w = audioList; w != nullptr; w = w->next) w->ForgetRing(at, len);
    bool read;
    if (FastFile* fast = FindFastFile(source); fast != nullptr) {
      read = fast->Read(start, ring + at, len, toRead);
    } else {
      read = source->mmio != nullptr && toRead > 0 &&
             mmioReadAt(source->mmio, ring + at, toRead, start) == static_cast<LONG>(toRead);
    }
    if (!read) return FeederFailed(kErrRead);

    const int32_t total = DeliverBoardAudio(readIndex, next, source, start, toRead, at);
    int32_t announced = at;
    for (; readIndex < next; ++readIndex) {
      FrameEntry& e = playList[static_cast<std::size_t>(readIndex.load())];
      if (e.source == nullptr) continue;
      const int32_t position = static_cast<int32_t>(DataOffset(e.source, e.frame) - start + at);
      e.size = static_cast<uint32_t>(DataSize(e.source, e.frame));
      e.position = position;
      const int32_t code =
          d.AnnounceFrame(position, static_cast<int32_t>(e.size), announced, readIndex + frameBase, prefillEvent);
      if (code == kErrCancelled) return code;
      if (code != 0) return FeederFailed(code);
    }
    if (announced < total) VelmoraApi.vdc_AddData(readIndex, 0, kSkipKind, total - announced);
    if (Stopping()) return kErrCancelled;
  }
  d.EndFrame(count + frameBase);
  readerState = kSubEnded;
  VelmoraAudioData::playing = 0;
  VelmoraAudioData::SignalChunks();
  if (VelmoraAudioData::waiting.load() != 0) StopWait(50);
  SetEvent(prefillEvent);
  return 0;
}

// --- The monitor -------------------------------------------------------------------

int32_t VelmoraAviPlayer::DisplayBody() {
  VelmoraDevice& d = TheVelmoraDevice;
  displayState = kSubRunning;
  auto stopped = [&] {
    d.Pause();
    displayState = kSubEnded;
    return kErrCancelled;
  };
  while (readerState == kSubRunning) {
    if (Stopping() || StopWait(100)) return stopped();
  }
  while (d.GetLastFrameNumber() < d.lastFrameId) {
    if (Stopping() || StopWait(50)) return stopped();
  }
  Sleep(0);
  d.Pause();
  displayState = kSubEnded;
  return 0;
}

// --- Read handles ------------------------------------------------------------------

int32_t VelmoraAviPlayer::OpenFastFiles() {
  CloseFastFiles();
  for (int32_t i = 0; i < count; ++i) {
    AVIVideoData* source = playList[static_cast<std::size_t>(i)].source;
    if (source == nullptr || FindFastFile(source) != nullptr) continue;
    FastFile* node = new (std::nothrow) FastFile(source, fastFiles);
    if (node == nullptr) return kErrNoMemory;
    fastFiles = node;
  }
  return 0;
}

FastFile* VelmoraAviPlayer::FindFastFile(AVIVideoData* source) {
  for (FastFile* f = fastFiles; f != nullptr; f = f->next) {
    if (f->source == source) return f;
  }
  return nullptr;
}

void VelmoraAviPlayer::CloseFastFiles() {
  while (fastFiles != nullptr) {
    FastFile* gone = fastFiles;
    fastFiles = gone->next;
    delete gone;
  }
}

// --- Board audio -------------------------------------------------------------------

int32_t VelmoraAviPlayer::SetupBoardAudio(Film* segments, int32_t start, int32_t, FilmListHead& films) {
  ReleaseBoardAudio();
  firstFrame = MsToFrames(start, frameRate);
  audioDeliveredTo = 0;
  const bool dontOptimize = TheVideoPlayer != nullptr && TheVideoPlayer->dontOptimizeAudio;
  if (dontOptimize || (TheVelmoraDevice.clients & kBoardAlpha) != 0) return 0;
  if (!VelmoraAudioData::MakeChunkEvent()) return kErrNoMemory;
  VelmoraAudioData** tail = &audioList;
  for (Film* s = segments; s != nullptr; s = s->next) {
    auto* video = dynamic_cast<AVIVideoData*>(s->video);
    if (video == nullptr) continue;
    auto* a = dynamic_cast<TReadAVIAudio*>(AudioData::FindByName(video->fileName));
    if (a == nullptr) continue;
    for (Film* f = films.First(); f != nullptr; f = f->next) {
      if (f->audio != static_cast<AudioSource*>(a)) continue;
      if (!(f->end > s->start && s->end > f->start)) continue;
      if (f->start - f->in != s->start - s->in) continue;  // not aligned with the video
      const int32_t first = MsToFrames(std::max(f->start, s->start), frameRate);
      const int32_t last = MsToFrames(std::min(f->end, s->end), frameRate);
      const int32_t offset = MsToFrames(s->in, frameRate) - MsToFrames(s->start, frameRate);
      auto* wrapper = new (std::nothrow)
          VelmoraAudioData(a, f, first - firstFrame, last - firstFrame, video, first + offset, last + offset);
      if (wrapper == nullptr) return kErrNoMemory;
      if (!wrapper->Valid()) {
        delete wrapper;
        return kErrNoMemory;
      }
      *tail = wrapper;
      tail = &wrapper->next;
    }
  }
  return 0;
}

void VelmoraAviPlayer::ReleaseBoardAudio() {
  VelmoraAudioData::playing = 0;
  VelmoraAudioData::waiting = 0;
  VelmoraAudioData::SignalChunks();
  if (VelmoraAudioData::waiting.load() != 0) StopWait(50);
  while (audioList != nullptr) {
    VelmoraAudioData* gone = audioList;
    audioList = gone->next;
    // The film gets its own source back.
    delete gone;
  }
  VelmoraAudioData::CloseChunkEvent();
}

void VelmoraAviPlayer::DropBoardAudio(int32_t from, int32_t to) {
  for (VelmoraAudioData* w = audioList; w != nullptr; w = w->next) {
    if (w->lastIndex >= from && w->firstIndex < to) w->DropChunks(from - 1, to);
  }
}

void VelmoraAviPlayer::DropUndeliveredAudio(int32_t index) {
  for (VelmoraAudioData* w = audioList; w != nullptr; w = w->next) {
    if (w->lastIndex >= audioDeliveredTo && w->firstIndex < index) w->DropChunks(audioDeliveredTo - 1, index);
  }
}

int32_t VelmoraAviPlayer::DeliverBoardAudio(int32_t from, int32_t to, AVIVideoData* source, int64_t start,
                                            int64_t length, int32_t at) {
  int32_t largest = -1;
  for (VelmoraAudioData* w = audioList; w != nullptr; w = w->next) {
    if (w->lastIndex > from && w->firstIndex < to && w->video == source)
      largest = std::max(largest, w->DeliverChunks(from, to, start, length, at));
  }
  audioDeliveredTo = to;
  return largest;
}
