// The video rows in the time-line window, driven with the mouse and the
// keys as a user drives them: real AVI sources (made by ffmpeg, or written
// with chosen key frames and empty frames), real thumbnails, and recorded
// what the rows ask of the time-line's other parts and of the video player.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "media/video_bitmap.h"
#include "media/video_data.h"
#include "model/edit_operations.h"
#include "model/players.h"
#include "platform/core/time.h"
#include "timeline/lines/line_fixture.h"
#include "timeline/lines/line_mechanics.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/timeline_colors.h"
#include "timeline/window/timeline_fixture.h"

namespace videolinetest {

using namespace timelinetest;
using namespace linetest;

struct Still {
  VideoSource* source;
  int32_t ms;
  bool owner;
  bool operator==(const Still&) const = default;
};

// The video player as far as the rows use it: stills are kept.
class StillPlayer : public VideoEngine {
 public:
  SubVideoPlayer* CurrentSubPlayer() override { return nullptr; }
  int32_t BaseFrame() override { return 0; }
  bool* ShowTimeoutsOption() override { return &showTimeouts; }
  bool Play(Film*, int32_t, int32_t, FilmListHead&, HWND) override {
    ++plays;
    return false;
  }
  void ShowOnBoard(VideoSource* source, int32_t ms, HWND window) override {
    stills.push_back({source, ms, window != nullptr});
  }
  int32_t FindKeyFrame(VideoSource*, int32_t frame) override { return frame; }

  std::vector<Still> stills;
  int plays = 0;
  bool showTimeouts = false;
};

class RecordingPlayers : public TimeLinePlayers {
 public:
  VideoEngine* Video() override { return &video; }
  // The pictures prepared for cuts: one record per ask, with the caller's
  // reference.
  StartFrameRecord* CreateKeyFrame(VideoSource* source, int32_t frame) override {
    keyFrames.push_back(std::make_unique<filmtest::FakeStartFrame>(source, frame));
    return keyFrames.back().get();
  }
  StillPlayer video;
  std::vector<std::unique_ptr<filmtest::FakeStartFrame>> keyFrames;
};

// Thumbnails of real sources are the media layer's own pictures; the
// decodes behind them are counted.
class PictureMedia : public MediaServices, public VideoBitmapHooks {
 public:
  PictureMedia();
  ~PictureMedia() override;
  StartFrameRecord* CreateStartFrame(VideoSource* source, int32_t frame) override {
    return media_->CreateStartFrame(source, frame);
  }
  Thumbnail* GetThumbnailFromSource(void* dc, int32_t scale, VideoSource* source, int32_t a,
                                    int32_t b) override;
  VideoSource* FindVideoByName(const char* name) override { return media_->FindVideoByName(name); }
  bool RenderThumbnail(VideoData* source, BYTE* pixels, LONG ms) override {
    ++decodes;
    return VideoBitmapHooks::RenderThumbnail(source, pixels, ms);
  }
  int decodes = 0;

 private:
  MediaServices* media_;
  VideoBitmapHooks* hooks_;
};

class VideoLineTest : public TimeLineTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  MainTimeLineWindow* MakeWindow(TimeLinePlayers*) override {
    return new RecordingTimeLine(nullptr, &players);
  }

  // The window, the rows at zoom steps zoom0 and zoom1, one frame (40 ms)
  // per pixel from time 0.
  RecordingTimeLine& OpenRows(int32_t zoom0 = 1, int32_t zoom1 = 1);
  // ms per pixel from time 0.
  void Zoom(int32_t msPerPixel);
  // Every colour the rows draw with differs from the others.
  void DistinctColors();
  COLORREF Pixel(int x, int y) { return GuiReadPixel(Line().GetHandle(), x, y); }
  // The columns in [x0, x1) of the line with colour c somewhere in rows [y0, y1).
  std::vector<int> ColumnsWith(COLORREF c, int x0, int x1, int y0, int y1);
  TVideoLine& Line() { return *tl_->VideoLine(); }
  TimeLineEngine& Engine() { return tl_->Engine(); }

  // An ffmpeg-made 25 fps MJPEG file whose frame n is red 8n, green 200 - 4n,
  // blue 40 (skips the test without ffmpeg).
  VideoData* ColourAvi(int frames = 50);
  // A written file of frames: key frames as listed (every one when empty),
  // the listed empty frames repeating the one before.
  VideoData* KeyedAvi(int frames, const std::vector<int>& keys, const std::vector<int>& empty = {});
  // No clips, no undo steps, not modified, one frame a pixel.
  void ClearProject();
  // A clip on row from frame start, showing source frames [in, out).
  Film* Clip(VideoSource* video, int32_t row, int32_t start, int32_t in, int32_t out,
             const char* name = "clip");

  // The mouse on the video line's client area.
  POINT Screen(int x, int y);
  void Move(int x, int y);
  void Press(int x, int y);
  void Release(int x, int y);
  void Click(int x, int y, int button = 0);
  // The next click stands alone (no double-click).
  void Later() { clock_.Advance(1000); }
  void Key(int vk, bool down);
  // Client y of the middle of row r, and of its marks.
  int Middle(int32_t row);
  int MarkY(int32_t row);
  HCURSOR ZoneCursor(int32_t zone) { return tl_->Cursor(ZoneCursorId(zone)); }

  TestClock clock_;
  std::array<COLORREF, kTimeLineColorCount> savedColors_{};
  RecordingPlayers players;
  RecordingTimeLine* tl_ = nullptr;
  std::unique_ptr<PictureMedia> pictures_;
  std::unique_ptr<TEBitmapInit> bitmaps_;
  std::vector<VideoData*> sources_;
  int files_ = 0;
};

}  // namespace videolinetest
