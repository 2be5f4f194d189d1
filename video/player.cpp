#include "video/player.h"

#include <cstring>
#include <new>

#include "media/frame_decoder.h"
#include "media/video_data.h"
#include "model/ini.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_strings.h"
#include "platform/gui/gui.h"
#include "video/player_hooks.h"
#include "video/sub_player.h"

VideoPlayer* TheVideoPlayer = nullptr;

namespace {

constexpr const char* kSection = "VIDEO_PLAYER";

bool HasFormat(const SubPlayerInfo& s) {
  return s.format != nullptr && s.formatSize >= static_cast<int32_t>(sizeof(BITMAPINFOHEADER));
}

bool SameStream(const SubPlayerInfo& a, const SubPlayerInfo& b) {
  return a.kind == b.kind && HasFormat(a) && HasFormat(b) && SameFrameFormat(a.format, b.format);
}

class WaitCursor {
 public:
  WaitCursor() : before_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(before_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR before_;
};

}  // namespace

VideoPlayer::VideoPlayer() {
  IniSetSection(kSection);
  dontOptimizeAudio = IniReadInt("DONT_OPTIMIZE_AUDIO", 0) != 0;
  autoReleaseCodec = IniReadInt("AUTO_RELEASE_CODEC", 1) != 0;
  autoCloseCodec = IniReadInt("AUTO_CLOSE_CODEC", 0) != 0;
  showTimeouts = IniReadInt("SHOW_TIMEOUTS", 1) != 0;
  defaultDrawType = IniReadInt("DEFAULT_DRAW_TYPE", 1);
  zoom = IniReadInt("ZOOM", 16);
  onTop = IniReadInt("ON_TOP", 1) != 0;
  synchronize = IniReadInt("SYNCHRONIZE", 1) != 0;
}

VideoPlayer::~VideoPlayer() {
  IniSetSection(kSection);
  IniWriteInt("DONT_OPTIMIZE_AUDIO", dontOptimizeAudio ? 1 : 0);
  IniWriteInt("AUTO_RELEASE_CODEC", autoReleaseCodec ? 1 : 0);
  IniWriteInt("AUTO_CLOSE_CODEC", autoCloseCodec ? 1 : 0);
  IniWriteInt("SHOW_TIMEOUTS", showTimeouts ? 1 : 0);
  IniWriteInt("DEFAULT_DRAW_TYPE", defaultDrawType);
  IniWriteInt("ZOOM", zoom);
  IniWriteInt("ON_TOP", onTop ? 1 : 0);
  IniWriteInt("SYNCHRONIZE", synchronize ? 1 : 0);
  IniFlush();
  DeleteSubPlayer();
  formatCopy_.reset();
  stream = SubPlayerInfo{};
  if (TheVideoPlayer == this) TheVideoPlayer = nullptr;
}

void VideoPlayer::DeleteSubPlayer() {
  SubVideoPlayer* gone = subPlayer;
  subPlayer = nullptr;
  delete gone;
}

// --- The sub-player --------------------------------------------------------------

bool VideoPlayer::EnsureSubPlayer() {
  if (subPlayer != nullptr && subPlayer->CanContinueWith(stream)) return true;
  Attach();
  return subPlayer != nullptr;
}

void VideoPlayer::Attach() {
  {
    WaitCursor wait;
    DeleteSubPlayer();
    if (acquireCount > 0 && stream.kind == kVideoKindAvi) {
      subPlayer = CreateSubPlayer(stream, notifyWindow);
      if (subPlayer != nullptr && subPlayer->GetState() == kSubUnusable) DeleteSubPlayer();
    }
  }
  CurrentVideoPlayerHooks().TimeLineZoomChanged();
}

void VideoPlayer::Detach() {
  if (subPlayer != nullptr) subPlayer->Close();
}

void VideoPlayer::AcquireSubPlayer(const SubPlayerInfo& info) {
  if (acquireCount.load() != 0) {
    ++acquireCount;
    return;
  }
  ++acquireCount;
  if (!SameStream(info, stream)) {
    formatCopy_.reset();
    stream = SubPlayerInfo{};
    if (HasFormat(info)) {
      const std::size_t size = static_cast<std::size_t>(info.formatSize);
      formatCopy_.reset(new (std::nothrow) BYTE[size]());
      if (formatCopy_) {
        std::memcpy(formatCopy_.get(), info.format, size);
        stream.kind = info.kind;
        stream.format = reinterpret_cast<const BITMAPINFOHEADER*>(formatCopy_.get());
        stream.formatSize = info.formatSize;
      }
    }
    CurrentVideoPlayerHooks().RedrawClips();
  }
  EnsureSubPlayer();
}

void VideoPlayer::ReleaseSubPlayer() {
  if (--acquireCount != 0) return;
  DeleteSubPlayer();
  CurrentVideoPlayerHooks().RedrawClips();
}

bool VideoPlayer::IsUsable() {
  return stream.format == nullptr || subPlayer != nullptr;
}

bool VideoPlayer::ShowsOnScreen() {
  return subPlayer != nullptr && !IsBoardFormat(stream.format);
}

void VideoPlayer::FocusSubPlayer() {
  if (acquireCount <= 0) return;
  if (EnsureSubPlayer()) subPlayer->SetFocus();
}

void VideoPlayer::CloseIdlePreview() {
  if (subPlayer == nullptr || !subPlayer->HasIdlePreview()) return;
  DeleteSubPlayer();
  CurrentVideoPlayerHooks().TimeLineZoomChanged();
}

// --- Options ---------------------------------------------------------------------

void VideoPlayer::GetOptions(float& frameRate, bool& showTimeoutsOut, int32_t& zoomOut, bool& onTopOut,
                             bool& synchronizeOut, int32_t& drawType) {
  frameRate = ProjectFrameRate();
  showTimeoutsOut = showTimeouts;
  zoomOut = zoom;
  onTopOut = onTop;
  synchronizeOut = synchronize;
  drawType = defaultDrawType;
}

int32_t VideoPlayer::SetOptions(float frameRate, bool showTimeoutsIn, int32_t zoomIn, bool onTopIn,
                                bool synchronizeIn, int32_t drawType) {
  showTimeouts = showTimeoutsIn;
  zoom = zoomIn;
  onTop = onTopIn;
  synchronize = synchronizeIn;
  bool changed = drawType != defaultDrawType;
  defaultDrawType = drawType;
  int32_t result = 0;
  if (frameRate != ProjectFrameRate()) {
    result = CurrentVideoPlayerHooks().SetFrameRate(frameRate);
    changed = true;
  }
  if (changed) EnsureSubPlayer();
  if (subPlayer != nullptr && stream.kind == kVideoKindAvi) {
    if (auto* avi = dynamic_cast<AviSubPlayer*>(subPlayer)) avi->ApplyZoom();
  }
  return result;
}

// --- Play ------------------------------------------------------------------------

void VideoPlayer::RecoverFromCodecError(HWND owner, int captionId) {
  ShowMessage(owner, GetString(captionId), MB_OK | MB_ICONEXCLAMATION, "%s",
              GetString(ui_string::kCodecReopenedAlways));
  Detach();
  ReleaseSharedDecompressor();
  autoCloseCodec = true;
  Attach();
}

bool VideoPlayer::Play(Film* segments, int32_t start, int32_t end, FilmListHead& films, HWND parent) {
  startFrame = MsToFrames(start, ProjectFrameRate());
  if (subPlayer == nullptr) return false;
  const int32_t code = subPlayer->Start(segments, start, end, films);
  if (code == 0) return true;
  if (code == kErrCodec && !autoCloseCodec) {
    subPlayer->Finish(true);
    RecoverFromCodecError(parent, ui_string::kPreparingVideo);
    return Play(segments, start, end, films, parent);
  }
  ErrorBoxPlain(parent, code, GetString(ui_string::kPreparingVideo));
  if (subPlayer != nullptr) subPlayer->Finish(true);
  return false;
}

int32_t VideoPlayer::FindKeyFrame(VideoSource* source, int32_t frame) {
  auto* avi = dynamic_cast<AVIVideoData*>(source);
  return avi != nullptr ? avi->FindKeyFrame(frame) : frame;
}

// --- The video sources' hooks ----------------------------------------------------

void PlayerVideoSourceHooks::AcquireSubPlayer(const SubPlayerInfo& info) {
  if (TheVideoPlayer != nullptr) TheVideoPlayer->AcquireSubPlayer(info);
}

void PlayerVideoSourceHooks::ReleaseSubPlayer() {
  if (TheVideoPlayer != nullptr) TheVideoPlayer->ReleaseSubPlayer();
}

int32_t PlayerVideoSourceHooks::PlayerUseCount() {
  return TheVideoPlayer != nullptr ? TheVideoPlayer->UseCount() : 0;
}

int32_t PlayerVideoSourceHooks::PlayerStreamKind() {
  return TheVideoPlayer != nullptr ? TheVideoPlayer->StreamKind() : 0;
}

const BITMAPINFOHEADER* PlayerVideoSourceHooks::PlayerFormat() {
  return TheVideoPlayer != nullptr ? TheVideoPlayer->StreamFormat() : nullptr;
}

void PlayerVideoSourceHooks::ShowOnBoard(VideoData* source, int32_t ms, HWND window) {
  if (TheVideoPlayer != nullptr) TheVideoPlayer->ShowOnBoard(source, ms, window);
}
