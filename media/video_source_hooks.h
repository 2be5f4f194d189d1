// What the video sources ask of the rest of the program: the video player's
// stream format and its board, the clip collection's tile redraws, the
// thumbnail cache, the Film model's handling of a changed file, the metadata
// that written AVI files carry, and the wait cursor. The program installs its
// implementation at start-up; tests install their own.
#pragma once

#include <cstdint>

#include "platform/codecs/dib.h"
#include "platform/core/types.h"
#include "platform/riff/riff.h"

class VideoData;

// The stream a video source hands the video player when reading starts.
struct SubPlayerInfo {
  int32_t kind = 0;  // 2: an AVI file
  const BITMAPINFOHEADER* format = nullptr;
  int32_t formatSize = 0;
};

class VideoSourceHooks {
 public:
  virtual ~VideoSourceHooks() = default;

  // The video player: a stream of this format is in use, or no longer.
  virtual void AcquireSubPlayer(const SubPlayerInfo& info);
  virtual void ReleaseSubPlayer();
  // The player's use count (0: not in use), the stream kind it serves and
  // its current format (null when it holds none).
  virtual int32_t PlayerUseCount();
  virtual int32_t PlayerStreamKind();
  virtual const BITMAPINFOHEADER* PlayerFormat();
  // Shows the source's picture at ms on the video board, when there is one.
  virtual void ShowOnBoard(VideoData* source, int32_t ms, HWND window);

  // The clip collection redraws the tiles that use source; nothing when
  // there is no collection window.
  virtual void RedrawClipsOfVideo(VideoData* source);
  // The thumbnail cache forgets the pictures made from source.
  virtual void DropThumbnails(VideoData* source);
  // The Film model handles a source whose file changed (reload true) or
  // vanished (reload false); true when anything used it. By default the
  // Film model's own refresh.
  virtual bool RefreshChangedSources(HWND window, bool reload, bool checkCollection, VideoData* video);

  // Writes the program's metadata list ("LIST" "INFO") at the current place
  // of an AVI file being closed; 0 or an error code. Writes nothing by default.
  virtual int32_t WriteRiffInfo(HMMIO file);

  // Shows the wait cursor during a long decode, and the previous one after.
  virtual void BeginWaitCursor();
  virtual void EndWaitCursor();
};

// Installs hooks (null: the defaults, which have no player, no windows and
// no metadata, and refresh through the Film model); returns the ones before.
VideoSourceHooks* SetVideoSourceHooks(VideoSourceHooks* hooks);
VideoSourceHooks& CurrentVideoSourceHooks();
