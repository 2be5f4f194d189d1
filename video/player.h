// The program-wide video player (TheVideoPlayer): the VIDEO_PLAYER
// settings, the stream format of the video the project uses, and the one
// sub-player made for that format. Every open AVI source holds the player
// while it is open, so that a sub-player exists while any video does; the
// time-line's play hands ranges to it and then drives the sub-player.
// Main thread only.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "media/video_source_hooks.h"
#include "model/players.h"
#include "platform/core/types.h"

class VideoPlayer : public VideoEngine {
 public:
  // Reads the section VIDEO_PLAYER.
  VideoPlayer();
  // Writes the section back and deletes the sub-player.
  ~VideoPlayer() override;
  VideoPlayer(const VideoPlayer&) = delete;
  VideoPlayer& operator=(const VideoPlayer&) = delete;

  SubVideoPlayer* CurrentSubPlayer() override { return subPlayer; }
  int32_t BaseFrame() override { return startFrame; }
  bool* ShowTimeoutsOption() override { return &showTimeouts; }
  bool Play(Film* segments, int32_t start, int32_t end, FilmListHead& films, HWND parent) override;
  void ShowOnBoard(VideoSource* source, int32_t ms, HWND owner) override;
  int32_t FindKeyFrame(VideoSource* source, int32_t frame) override;
  int32_t UseCount() override { return acquireCount; }
  bool IsUsable() override;
  bool ShowsOnScreen() override;
  void AcquireSubPlayer(const SubPlayerInfo& stream) override;
  void ReleaseSubPlayer() override;
  void Attach() override;
  void Detach() override;
  void FocusSubPlayer() override;
  void CloseIdlePreview() override;
  void SetNotifyWindow(HWND window) override { notifyWindow = window; }
  void GetOptions(float& frameRate, bool& showTimeouts, int32_t& zoom, bool& onTop, bool& synchronize,
                  int32_t& drawType) override;
  int32_t SetOptions(float frameRate, bool showTimeouts, int32_t zoom, bool onTop, bool synchronize,
                     int32_t drawType) override;

  // Keeps the sub-player when it can play the stored format, else makes a
  // new one; true when one exists afterwards.
  bool EnsureSubPlayer();
  // The stored stream format (null when none).
  const BITMAPINFOHEADER* StreamFormat() const { return stream.format; }
  int32_t StreamKind() const { return stream.kind; }

  int32_t startFrame = 0;
  SubVideoPlayer* subPlayer = nullptr;
  std::atomic<int32_t> acquireCount{0};
  SubPlayerInfo stream;
  bool dontOptimizeAudio = false;
  bool autoReleaseCodec = true;
  bool autoCloseCodec = false;
  bool showTimeouts = true;
  HWND notifyWindow = nullptr;
  // Where the last preview window was left, for the player's life: each
  // play or edit makes a new sub-player with a new window, which opens
  // there rather than jump back to the default place. sized: the user gave
  // a window another size than the program did, and later ones keep it.
  struct PreviewPlace {
    bool known = false;
    RECT rect{};
    bool sized = false;
  } previewPlace;

  // Settings shared by every sub-player: the draw type (1 automatic, 2
  // codec on the full screen, 3 codec in a preview window, 4 decoded and
  // drawn by the player), the preview's zoom in sixteenths, whether the
  // preview stays on top, and whether frames follow the audio.
  static inline int32_t defaultDrawType = 1;
  static inline int32_t zoom = 16;
  static inline bool onTop = true;
  static inline bool synchronize = true;

 private:
  void DeleteSubPlayer();
  // The first code 30 switches to reopening the codec at every operation.
  void RecoverFromCodecError(HWND owner, int captionId);

  std::unique_ptr<BYTE[]> formatCopy_;
};

extern VideoPlayer* TheVideoPlayer;

// The video sources' way to the player: the program installs these (or
// hooks derived from them) so that AVI sources acquire TheVideoPlayer and
// show still frames through it.
class PlayerVideoSourceHooks : public VideoSourceHooks {
 public:
  void AcquireSubPlayer(const SubPlayerInfo& info) override;
  void ReleaseSubPlayer() override;
  int32_t PlayerUseCount() override;
  int32_t PlayerStreamKind() override;
  const BITMAPINFOHEADER* PlayerFormat() override;
  void ShowOnBoard(VideoData* source, int32_t ms, HWND window) override;
};
