#include "video/sub_player.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "media/key_frame.h"
#include "media/video_data.h"
#include "media/video_source_hooks.h"
#include "model/film.h"
#include "model/message_box.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "model/ui_strings.h"
#include "platform/core/sync.h"
#include "platform/core/threads.h"
#include "platform/core/time.h"
#include "platform/gui/gui.h"
#include "video/fifo_pipe.h"
#include "video/player.h"
#include "video/player_hooks.h"
#include "video/preview_window.h"

namespace {

constexpr SIZE_T kThreadStack = 4096;
// The audio may stand still this long while it drains its last buffers.
constexpr DWORD kDrainHoldMs = 10000;

HANDLE StopEvent() {
  static HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  return event;
}

// Whether source is still one of the open video sources: the last shown
// source may have been closed since.
bool IsOpenSource(const AVIVideoData* source) {
  for (VideoData* v = VideoData::Head(); v != nullptr; v = v->next) {
    if (v == source) return true;
  }
  return false;
}

}  // namespace

std::atomic<int32_t> AviSubPlayer::stopFlag_{0};
std::atomic<AVIVideoData*> AviSubPlayer::lastShownSource_{nullptr};
std::atomic<int32_t> AviSubPlayer::lastShownFrame_{-1};
std::atomic<bool> AviSubPlayer::lastImageComplete_{false};

int32_t FrameMsAt(float rate) {
  if (!(rate > 0)) return 40;
  return static_cast<int32_t>(1000.0 / rate + 0.499);
}

// --- Program-wide state ----------------------------------------------------------

void AviSubPlayer::RaiseStop() {
  stopFlag_.exchange(1);
  SetEvent(StopEvent());
}

void AviSubPlayer::ClearStop() {
  ResetEvent(StopEvent());
  stopFlag_.exchange(0);
}

bool AviSubPlayer::Stopping() {
  return stopFlag_.load() != 0;
}

bool AviSubPlayer::StopWait(DWORD milliseconds) {
  if (milliseconds == 0) {
    Sleep(0);
  } else {
    WaitForSingleObject(StopEvent(), milliseconds);
  }
  return Stopping();
}

void AviSubPlayer::ForgetLastShownSource() {
  lastShownSource_ = nullptr;
}

void AviSubPlayer::ForgetLastShownPicture() {
  lastShownSource_ = nullptr;
  lastShownFrame_ = -1;
  lastImageComplete_ = false;
}

void AviSubPlayer::SetLastShown(AVIVideoData* source, int32_t frame) {
  lastShownSource_ = source;
  lastShownFrame_ = frame;
}

bool AviSubPlayer::AutoCloseCodec() {
  return TheVideoPlayer != nullptr && TheVideoPlayer->autoCloseCodec;
}

// --- Life ------------------------------------------------------------------------

AviSubPlayer::AviSubPlayer() {
  zoom = VideoPlayer::zoom;
}

AviSubPlayer::~AviSubPlayer() {
  fifo.reset();
  if (codec != nullptr) {
    ICClose(codec);
    codec = nullptr;
  }
  if (preview != nullptr) {
    if (dc != nullptr) ReleaseDC(*preview, dc);
    preview->owner = nullptr;
    preview->ShutDownWindow();
    preview = nullptr;
  }
  dc = nullptr;
  TKeyFrame::FreeAll();
  ForgetLastShownPicture();
}

bool AviSubPlayer::CopyInFormat(const BITMAPINFOHEADER* format, uint32_t size) {
  if (format == nullptr || size < sizeof(BITMAPINFOHEADER)) return false;
  std::unique_ptr<BYTE[]> copy(new (std::nothrow) BYTE[size]);
  if (!copy) return false;
  std::memcpy(copy.get(), format, size);
  inFormat = std::move(copy);
  inFormatSize = size;
  return true;
}

// --- What the player and the time-line call --------------------------------------

void AviSubPlayer::Close() {
  ReleaseCodec();
}

int32_t AviSubPlayer::GetState() {
  const int32_t s = state;
  if (s != kSubRunning) return s;
  if (readerState == kSubFailed || displayState == kSubFailed) return kSubFailed;
  if (displayState != kSubRunning) return displayState;
  if (readerState == kSubRunning) return kSubRunning;
  // Frames handed to a codec ahead are still to be shown.
  if (shown - ahead < readIndex) return kSubRunning;
  return readerState;
}

bool AviSubPlayer::CanContinueWith(const SubPlayerInfo& stream) {
  const BITMAPINFOHEADER* in = InFormat();
  const BITMAPINFOHEADER* f = stream.format;
  if (in == nullptr || f == nullptr || stream.formatSize < static_cast<int32_t>(sizeof(BITMAPINFOHEADER)))
    return false;
  const int32_t chosen = VideoPlayer::defaultDrawType;
  // A hand player stands in for a codec drawing that the format did not get.
  const bool standIn = drawType == 4 && (chosen == 2 || chosen == 3);
  return SameFrameFormat(in, f) && frameMs == FrameMsAt(ProjectFrameRate()) &&
         (chosen == 1 || chosen == drawType || standIn);
}

void AviSubPlayer::Run(HWND) {
  if (state != kSubPrepared) return;
  skipped = 0;
  StartClock();
  // Running from here on, before the thread gets to say so itself.
  displayState = kSubRunning;
  if (displayThread != nullptr) ResumeThread(displayThread);
  state = kSubRunning;
}

void AviSubPlayer::Stop() {
  if (state != kSubRunning) return;
  RaiseStop();
  StopClock();
  state = (readerState == kSubFailed || displayState == kSubFailed) ? kSubFailed : kSubEnded;
}

int32_t AviSubPlayer::GetFrame() {
  return shown - ahead;
}

void AviSubPlayer::ReportSkippedFrames(HWND owner, bool* showOption) {
  if (skipped == 0) return;
  const int32_t n = skipped.exchange(0);
  VideoPlayerHooks& hooks = CurrentVideoPlayerHooks();
  hooks.ShowStatusText(FormatText(GetString(ui_string::kFramesDropped), n).c_str());
  CurrentMessageBoxPresenter().Beep(MB_ICONHAND);
  // A drag in progress keeps its capture; no box breaks into it.
  if (GetCapture() == nullptr)
    hooks.RunTimeoutsDialog(owner, GetString(ui_string::kAviVideoPlayer), n, showOption);
}

void AviSubPlayer::SetFocus() {
  if (preview == nullptr || !preview->IsWindow()) return;
  ShowWindow(*preview, SW_SHOWNORMAL);
  ::SetFocus(*preview);
}

bool AviSubPlayer::HasIdlePreview() {
  const int32_t s = GetState();
  if (s == kSubPrepared || s == kSubRunning) return false;
  return preview != nullptr;
}

// --- Hooks with a common form ----------------------------------------------------

void AviSubPlayer::ResetPosition() {
  ForgetLastShownSource();
}

void AviSubPlayer::ReaderEnded() {
  readerRunning = false;
}

void AviSubPlayer::DisplayEnded() {
  displayRunning = false;
}

DWORD AviSubPlayer::Clock() {
  return timeGetTime();
}

// --- The preview window's size and z-order ---------------------------------------

void AviSubPlayer::PreviewClientSize(int32_t videoWidth, int32_t videoHeight, int32_t zoom,
                                     int32_t screenWidth, int32_t screenHeight, int32_t* width,
                                     int32_t* height) {
  auto side = [zoom](int32_t video, int32_t screen) {
    const int64_t wanted = static_cast<int64_t>(video) * zoom / 16;
    const int64_t most = static_cast<int64_t>(screen) * 3 / 4;
    return static_cast<int32_t>(std::max<int64_t>(8, std::min(wanted, most)));
  };
  *width = side(videoWidth, screenWidth);
  *height = side(videoHeight, screenHeight);
}

void AviSubPlayer::ApplyZoom() {
  if (preview == nullptr || !preview->IsWindow()) return;
  HWND w = *preview;
  preview->ready = false;
  if (IsIconic(w)) ShowWindow(w, SW_RESTORE);
  zoom = VideoPlayer::zoom;
  const int32_t screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int32_t cw = 0, ch = 0;
  PreviewClientSize(videoWidth, videoHeight, zoom, screenWidth, GetSystemMetrics(SM_CYSCREEN), &cw, &ch);
  RECT client, outer;
  GetClientRect(w, &client);
  GetWindowRect(w, &outer);
  const int width = (outer.right - outer.left) + cw - (client.right - client.left);
  const int height = (outer.bottom - outer.top) + ch - (client.bottom - client.top);
  if (width != outer.right - outer.left || height != outer.bottom - outer.top) {
    ResetPosition();
    SetWindowPos(w, nullptr, screenWidth - width, GetSystemMetrics(SM_CYCAPTION), width, height,
                 SWP_NOZORDER);
    preview->SizedByProgram();
    InvalidateRect(w, nullptr, TRUE);
  }
  SetOnTop(VideoPlayer::onTop);
  preview->ready = true;
}

void AviSubPlayer::SetOnTop(bool on) {
  if (preview == nullptr || !preview->IsWindow()) return;
  HWND w = *preview;
  const LONG ex = GetWindowLong(w, GWL_EXSTYLE);
  if (((ex & WS_EX_TOPMOST) != 0) == on) return;
  SetWindowLong(w, GWL_EXSTYLE, on ? (ex | WS_EX_TOPMOST) : (ex & ~static_cast<LONG>(WS_EX_TOPMOST)));
  RECT r;
  GetWindowRect(w, &r);
  SetWindowPos(w, on ? HWND_TOPMOST : HWND_NOTOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOACTIVATE);
}

// --- The play clock --------------------------------------------------------------

void AviSubPlayer::StartClock() {
  timerPeriod_ = timeBeginPeriod(10) == TIMERR_NOERROR;
  audio_ = CurrentVideoPlayerHooks().Audio();
  const int32_t p = audio_ != nullptr ? audio_->GetPosition() : -1;
  synchronised = VideoPlayer::synchronize && p >= 0;
  audioBase = p;
  lastAudio = p;
  const DWORD now = Clock();
  clockBase = now;
  lastClock = now;
  lastAdvance = now;
}

int32_t AviSubPlayer::Elapsed() {
  const DWORD now = Clock();
  if (synchronised) {
    const int32_t p = audio_ != nullptr ? audio_->GetPosition() : -1;
    const int32_t last = lastAudio;
    if (p < 0) {
      synchronised = false;
    } else if (p > last) {
      clockBase = now - static_cast<DWORD>(p - audioBase);
      lastAdvance = now;
      lastAudio = p;
    } else if (p == last) {
      const int32_t engine = audio_->GetState();
      if (engine == 3) {
        clockBase = now - static_cast<DWORD>(p - audioBase);
        lastAdvance = now;
      } else if (engine == 7 && now - lastAdvance < kDrainHoldMs) {
        clockBase = now - static_cast<DWORD>(p - audioBase);
      } else {
        synchronised = false;
      }
    } else {
      // The audio went back (a loop): the video runs on, and later
      // positions count from where it stands.
      audioBase -= static_cast<int32_t>(now - lastClock) + (last - p);
      lastAdvance = now;
      lastAudio = p;
    }
  }
  lastClock = now;
  return static_cast<int32_t>(now - clockBase);
}

void AviSubPlayer::StopClock() {
  synchronised = false;
  // A day ahead: every frame is due at once.
  clockBase = Clock() - static_cast<DWORD>(kDayMs);
  if (timerPeriod_) timeEndPeriod(10);
  timerPeriod_ = false;
}

// --- The play list ---------------------------------------------------------------

void AviSubPlayer::FreePlayList() {
  playList.reset();
  count = 0;
}

int32_t AviSubPlayer::BuildPlayList(Film* segments, int32_t start, int32_t end, uint32_t* largest) {
  const float rate = ProjectFrameRate();
  const int32_t first = MsToFrames(start, rate);
  const int32_t last = MsToFrames(end, rate);
  state = kSubPreparing;
  FreePlayList();
  readerState = 0;
  displayState = 0;
  readIndex = 0;
  skipTo = 0;
  shown = 0;
  ahead = 0;
  clockBase = 0;
  if (first >= last) return kErrInvalidParameter;

  Film* firstVideo = segments;
  while (firstVideo != nullptr &&
         (firstVideo->video == nullptr || MsToFrames(firstVideo->end, rate) <= first))
    firstVideo = firstVideo->next;
  auto* source0 = firstVideo != nullptr ? dynamic_cast<AVIVideoData*>(firstVideo->video) : nullptr;
  if (source0 == nullptr || source0->Format() == nullptr) return kErrCancelled;
  *largest = source0->largestFrame;
  if (int32_t code = InitOutput(source0, true); code != 0) return code;

  const int32_t n = last - first;
  std::unique_ptr<FrameEntry[]> list(new (std::nothrow) FrameEntry[static_cast<std::size_t>(n)]);
  if (!list) return kErrNoMemory;

  // The gap fill: the picture on screen when it is whole and still decodes
  // under this play's format, else nothing.
  AVIVideoData* gapSource = nullptr;
  int32_t gapFrame = -1;
  if (lastImageComplete_) {
    AVIVideoData* shownSource = lastShownSource_;
    if (shownSource != nullptr && IsOpenSource(shownSource) && shownSource->Format() != nullptr &&
        SameFrameFormat(shownSource->Format(), source0->Format())) {
      gapSource = shownSource;
      gapFrame = lastShownFrame_;
    }
  }
  int32_t cur = first;
  for (Film* s = segments; s != nullptr && cur < last; s = s->next) {
    if (s->video == nullptr) continue;
    const int32_t segStart = MsToFrames(s->start, rate);
    const int32_t segEnd = MsToFrames(s->end, rate);
    if (segEnd <= cur) continue;
    auto* source = dynamic_cast<AVIVideoData*>(s->video);
    if (source == nullptr || source->Format() == nullptr) return kErrInvalidParameter;
    // One codec decodes the whole play under the first source's format.
    if (!SameFrameFormat(source->Format(), source0->Format())) return kErrFrameFormat;
    *largest = std::max(*largest, source->largestFrame);
    const int32_t gapEnd = std::min(segStart, last);
    if (cur < gapEnd) {
      if (gapSource != nullptr) {
        for (int32_t f = cur; f < gapEnd; ++f) {
          FrameEntry& e = list[static_cast<std::size_t>(f - first)];
          e.source = gapSource;
          e.frame = gapFrame;
        }
      }
      cur = gapEnd;
    }
    const int32_t in = MsToFrames(s->in, rate);
    const int32_t segLast = std::min(segEnd, last);
    for (; cur < segLast; ++cur) {
      FrameEntry& e = list[static_cast<std::size_t>(cur - first)];
      e.source = source;
      e.frame = cur - segStart + in;
    }
    gapSource = source;
    gapFrame = segLast - 1 - segStart + in;
  }
  for (; cur < last && gapSource != nullptr; ++cur) {
    FrameEntry& e = list[static_cast<std::size_t>(cur - first)];
    e.source = gapSource;
    e.frame = gapFrame;
  }

  // Each frame reads the index entry that holds its data; a frame showing
  // the same data as the one before repeats it without a read.
  AVIVideoData* prevSource = nullptr;
  int32_t prevFrame = -1;
  for (int32_t i = 0; i < n; ++i) {
    FrameEntry& e = list[static_cast<std::size_t>(i)];
    if (e.source == nullptr) continue;
    e.frame = e.source->PrevNonEmpty(e.frame);
    if (e.source == prevSource && e.frame == prevFrame) {
      e.source = nullptr;
      e.frame = 0;
      e.size = 0;
      continue;
    }
    e.size = e.source->index.empty() ? 0 : e.source->index[static_cast<std::size_t>(e.frame)].dwChunkLength;
    prevSource = e.source;
    prevFrame = e.frame;
  }
  playList = std::move(list);
  count = n;
  return PrepareKeyFrames();
}

int32_t AviSubPlayer::PrepareKeyFrames() {
  if (count <= 0) return 0;
  FrameEntry* previous = &playList[0];
  for (int32_t i = 1; i < count; ++i) {
    FrameEntry& e = playList[static_cast<std::size_t>(i)];
    if (e.source == nullptr) continue;
    if (!e.source->IsKeyFrame(e.frame)) {
      // The decoder continues only from the data just before this frame.
      const int32_t before = e.source->PrevNonEmpty(e.frame - 1);
      if (previous->source != e.source || previous->frame != before) {
        TKeyFrame* record = TKeyFrame::Find(e.source, e.frame);
        if (record == nullptr) return kErrNotKeyFrame;
        if (!record->data || record->dataSize <= 0) {
          if (int32_t code = FillKeyFrame(*record); code != 0) return code;
        }
        e.cached = record->data.get();
        e.size = static_cast<uint32_t>(record->dataSize);
      }
    }
    previous = &e;
  }
  return 0;
}

int32_t AviSubPlayer::FillKeyFrame(TKeyFrame&) {
  return kErrNotKeyFrame;
}

// --- Threads ---------------------------------------------------------------------

DWORD AviSubPlayer::ReaderThreadProc(LPVOID player) {
  auto* self = static_cast<AviSubPlayer*>(player);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  self->ReaderBody();
  self->ReaderEnded();
  return 0;
}

DWORD AviSubPlayer::DisplayThreadProc(LPVOID player) {
  auto* self = static_cast<AviSubPlayer*>(player);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  self->DisplayBody();
  self->DisplayEnded();
  return 0;
}

int32_t AviSubPlayer::StartReader() {
  // Running from here on, so that GetState never sees a reader not yet started.
  readerState = kSubRunning;
  readerThread = CreateThread(nullptr, kThreadStack, &ReaderThreadProc, this, 0, nullptr);
  if (readerThread == nullptr) {
    readerState = 0;
    return kErrNoMemory;
  }
  readerRunning = true;
  return 0;
}

int32_t AviSubPlayer::StartDisplay() {
  displayThread = CreateThread(nullptr, kThreadStack, &DisplayThreadProc, this, CREATE_SUSPENDED, nullptr);
  if (displayThread == nullptr) return kErrNoMemory;
  displayRunning = true;
  return 0;
}

void AviSubPlayer::EndThreads() {
  RaiseStop();
  if (fifo) fifo->Release(kNotRead, 0);
  if (readerThread != nullptr) {
    WaitForSingleObject(readerThread, INFINITE);
    CloseHandle(readerThread);
    readerThread = nullptr;
    readerRunning = false;
  }
  if (displayThread != nullptr) {
    // It may never have been resumed.
    ResumeThread(displayThread);
    WaitForSingleObject(displayThread, INFINITE);
    CloseHandle(displayThread);
    displayThread = nullptr;
    displayRunning = false;
  }
  fifo.reset();
}

int32_t AviSubPlayer::ReaderBody() {
  readerState = kSubRunning;
  readIndex = 0;
  while (readIndex < count) {
    if (Stopping()) return kErrCancelled;
    FrameEntry& e = playList[static_cast<std::size_t>(readIndex.load())];
    const int32_t code = ReadEntry(e);
    if (Stopping()) return kErrCancelled;
    if (code == kErrRead) {
      readerState = kSubFailed;
      return kErrRead;
    }
    if (code != 0) continue;  // no room yet: the display frees some
    ++readIndex;
    while (readIndex < skipTo && readIndex < count) {
      playList[static_cast<std::size_t>(readIndex.load())].position = kSkipped;
      ++readIndex;
    }
  }
  readerState = kSubEnded;
  return 0;
}

int32_t AviSubPlayer::ReadEntry(FrameEntry& entry) {
  if (entry.source == nullptr || entry.cached != nullptr) return 0;
  const int32_t pos = fifo->GetWritePos(entry.size, true);
  if (pos < 0 || Stopping()) return kErrCancelled;
  if (entry.source->ReadEntryData(entry.frame, fifo->base() + pos, entry.size) != 0) return kErrRead;
  fifo->Commit(pos, entry.size);
  entry.position = pos;
  return 0;
}
