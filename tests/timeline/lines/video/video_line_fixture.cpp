#include "video_line_fixture.h"

#include <set>

#include "media/frame_decoder.h"
#include "media/video_test_util.h"
#include "model/edit_support.h"

namespace videolinetest {

PictureMedia::PictureMedia() {
  media_ = SetMediaServices(this);
  hooks_ = SetVideoBitmapHooks(this);
}

PictureMedia::~PictureMedia() {
  SetMediaServices(media_);
  SetVideoBitmapHooks(hooks_);
}

Thumbnail* PictureMedia::GetThumbnailFromSource(void* dc, int32_t scale, VideoSource* source, int32_t a,
                                                int32_t b) {
  auto* video = dynamic_cast<VideoData*>(source);
  if (video == nullptr) return media_->GetThumbnailFromSource(dc, scale, source, a, b);
  return TEVideoBitmap::GetFromSource(static_cast<HDC>(dc), scale, video, a, b);
}

void VideoLineTest::SetUp() {
  TimeLineTest::SetUp();
  savedColors_ = TimeLineColors;
  bitmaps_ = std::make_unique<TEBitmapInit>();
  pictures_ = std::make_unique<PictureMedia>();
}

void VideoLineTest::TearDown() {
  TimeLineTest::TearDown();
  TimeLineColors = savedColors_;
  for (VideoData* v : sources_) v->Release();
  sources_.clear();
  ReleaseSharedDecompressor();
  pictures_.reset();
  bitmaps_.reset();
  for (int vk : {VK_SHIFT, VK_CONTROL}) GuiKey(vk, false);
  GuiPumpMessages();
}

RecordingTimeLine& VideoLineTest::OpenRows(int32_t zoom0, int32_t zoom1) {
  Ini("TIMELINE", "ZOOM_VIDEO0", std::to_string(zoom0).c_str());
  Ini("TIMELINE", "ZOOM_VIDEO1", std::to_string(zoom1).c_str());
  Open(1000, 700);
  tl_ = static_cast<RecordingTimeLine*>(window_);
  Engine().SetLength(600000);
  Zoom(40);
  GuiPumpMessages();
  return *tl_;
}

void VideoLineTest::Zoom(int32_t msPerPixel) {
  TimeLineEngine& e = Engine();
  e.origin = 0;
  e.scale = msPerPixel * 1000;
  e.factor = 1000;
  e.UpdateScrollRange();
  GuiPumpMessages();
}

void VideoLineTest::DistinctColors() {
  TimeLineColors[kColorFirstVideoTrack] = RGB(210, 210, 250);
  TimeLineColors[kColorOtherVideoTrack] = RGB(210, 250, 210);
  TimeLineColors[kColorSmallHole] = RGB(255, 255, 255);
  TimeLineColors[kColorSmallClip] = RGB(255, 0, 255);
  TimeLineColors[kColorSmallSelectedClip] = RGB(0, 255, 255);
  TimeLineColors[kColorNonSelectedClip] = RGB(128, 128, 128);
  TimeLineColors[kColorSelectedClip] = RGB(0, 128, 0);
  TimeLineColors[kColorSemiSelectedClip] = RGB(128, 128, 0);
  TimeLineColors[kColorNonSelectedName] = RGB(0, 0, 160);
  TimeLineColors[kColorSelectedName] = RGB(160, 0, 0);
  TimeLineColors[kColorSemiSelectedName] = RGB(0, 160, 160);
  TimeLineColors[kColorActiveClipMark] = RGB(255, 128, 0);
  TimeLineColors[kColorPassiveClipMark] = RGB(96, 0, 96);
  tl_->CreateBrushes();
  tl_->InvalidateAll();
  GuiPumpMessages();
}

std::vector<int> VideoLineTest::ColumnsWith(COLORREF c, int x0, int x1, int y0, int y1) {
  std::vector<int> columns;
  for (int x = x0; x < x1; ++x) {
    for (int y = y0; y < y1; ++y) {
      if (Pixel(x, y) == c) {
        columns.push_back(x);
        break;
      }
    }
  }
  return columns;
}

VideoData* VideoLineTest::ColourAvi(int frames) {
  if (!video_test::HaveFfmpeg()) {
    ADD_FAILURE() << "ffmpeg is not installed";
    return nullptr;
  }
  // Made once for the whole run: ffmpeg takes longer to start than a test.
  static TestFolder folder("kobrix-colour");
  const std::string path = folder.File("colour" + std::to_string(frames) + ".avi");
  if (access(path.c_str(), R_OK) != 0) {
    const std::string make = "ffmpeg -nostdin -v error -y -f lavfi -i \"color=c=black:s=64x48:r=25:d=" +
                             std::to_string(frames / 25.0) +
                             ",format=rgb24,geq=r='N*8':g='200-N*4':b='40'\" -c:v mjpeg -q:v 2 " + path;
    EXPECT_EQ(video_test::Run(make), 0) << make;
  }
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  EXPECT_NE(v, nullptr) << path;
  if (v != nullptr) sources_.push_back(v);
  return v;
}

VideoData* VideoLineTest::KeyedAvi(int frames, const std::vector<int>& keys, const std::vector<int>& empty) {
  video_test::AviSpec spec;
  spec.format = video_test::MakeFormat(32, 24, 24);
  spec.frames = video_test::GradientFrames(32, 24, frames);
  const std::set<int> keySet(keys.begin(), keys.end()), emptySet(empty.begin(), empty.end());
  for (int i = 0; i < frames; ++i) {
    spec.frames[i].key = keySet.empty() || keySet.count(i) > 0;
    if (emptySet.count(i) > 0) {
      spec.frames[i].data.clear();
      spec.frames[i].key = false;
    }
  }
  const std::string path = home_.File("keyed" + std::to_string(files_++) + ".avi");
  EXPECT_EQ(video_test::WriteAvi(path, spec), 0);
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  EXPECT_NE(v, nullptr) << path;
  if (v != nullptr) sources_.push_back(v);
  return v;
}

void VideoLineTest::ClearProject() {
  for (Film* f = FilmList.First(); f; f = f->next) edit::CloseForUse(f);
  FilmList.Clear();
  UndoScript::ClearAll();
  UndoScript::SetPending(0);
  Engine().SetModified(false);
  // An undo before may have taken the view back to a zoom of the list.
  Zoom(40);
}

Film* VideoLineTest::Clip(VideoSource* video, int32_t row, int32_t start, int32_t in, int32_t out,
                          const char* name) {
  const int32_t inMs = FramesToMs(in, 25.0f), outMs = FramesToMs(out, 25.0f);
  filmtest::FakeClip clip(video, nullptr, nullptr, inMs, outMs, outMs - inMs, name);
  Film* f = Place(new Film(clip, FramesToMs(start, 25.0f), kKindVideo, 0, row));
  f->ComputeOrigin();
  if (tl_ != nullptr) tl_->InvalidateAll();
  return f;
}

POINT VideoLineTest::Screen(int x, int y) {
  return LineScreenPoint(Line().GetHandle(), x, y);
}

void VideoLineTest::Move(int x, int y) {
  MouseMoveOver(Line().GetHandle(), x, y);
}

void VideoLineTest::Press(int x, int y) {
  MousePressOn(Line().GetHandle(), x, y);
}

void VideoLineTest::Release(int x, int y) {
  MouseReleaseOn(Line().GetHandle(), x, y);
}

void VideoLineTest::Click(int x, int y, int button) {
  MouseClickOn(Line().GetHandle(), x, y, button);
}

void VideoLineTest::Key(int vk, bool down) {
  KeyStroke(vk, down);
}

int VideoLineTest::Middle(int32_t row) {
  return Engine().videoPanel[row].middle;
}

int VideoLineTest::MarkY(int32_t row) {
  return Engine().videoPanel[row].bottom - 3;
}

}  // namespace videolinetest
