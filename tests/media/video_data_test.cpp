#include "media/video_data.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <cstdio>

#include "media/key_frame.h"
#include "model/time_code.h"
#include "model/ui_strings.h"
#include "video_test_util.h"

using namespace video_test;

namespace {

class VideoDataTest : public ::testing::Test {
 protected:
  std::string MakeFile(const std::string& name, double fps = 25.0) {
    AviSpec spec;
    spec.format = MakeFormat(16, 12, 24);
    spec.frames = GradientFrames(16, 12, 10);
    for (std::size_t i = 0; i < spec.frames.size(); ++i) spec.frames[i].key = i % 5 == 0;
    spec.fps = fps;
    std::string path = folder_.Path(name);
    EXPECT_EQ(WriteAvi(path, spec), 0);
    return path;
  }
  TempFolder folder_;
  RecordingPresenter boxes_;
};

TEST_F(VideoDataTest, SharesOneSourcePerPath) {
  const std::string path = MakeFile("a.avi");
  AVIVideoData* a = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->referenceCount, 1);
  EXPECT_EQ(a->sourceKind, kVideoKindAvi);
  AVIVideoData* b = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 25.0f);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->referenceCount, 2);
  EXPECT_EQ(AVIVideoData::FindByName(path.c_str()), a);

  // Paths compare exactly: another spelling is another file.
  std::string upper = folder_.Path("A.avi");
  std::rename(path.c_str(), upper.c_str());
  EXPECT_EQ(AVIVideoData::FindByName(upper.c_str()), nullptr);

  b->Release();
  EXPECT_EQ(a->referenceCount, 1);
  a->Release();
  EXPECT_EQ(AVIVideoData::FindByName(path.c_str()), nullptr);
}

TEST_F(VideoDataTest, RefusesASecondFrameRateForAnOpenFile) {
  const std::string path = MakeFile("rate.avi");
  AVIVideoData* a = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 29.97f);
  ASSERT_NE(a, nullptr);
  EXPECT_FLOAT_EQ(a->frameRate, 29.97f);
  EXPECT_EQ(a->streamHeader.dwRate, 29970u);
  EXPECT_EQ(a->streamHeader.dwScale, 1000u);

  AVIVideoData* same = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  EXPECT_EQ(same, a);
  EXPECT_TRUE(boxes_.boxes.empty());

  EXPECT_EQ(AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 25.0f), nullptr);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].caption, GetString(468));
  EXPECT_EQ(boxes_.boxes[0].text,
            "Can not open clip '" + path + "'.\nIt is already used with different frame rate");
  EXPECT_EQ(boxes_.boxes[0].flags, MB_ICONEXCLAMATION);
  EXPECT_FLOAT_EQ(a->frameRate, 29.97f);
  EXPECT_EQ(a->referenceCount, 2);
  a->Release();
  a->Release();
}

TEST_F(VideoDataTest, FrameRatesAreKeptInThousandths) {
  const std::string path = MakeFile("fps.avi");
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(v, nullptr);
  EXPECT_FALSE(v->SetFrameRate(24.9999f));
  EXPECT_FALSE(v->SetFrameRate(0.0f));
  EXPECT_FALSE(v->SetFrameRate(-3.0f));
  EXPECT_TRUE(v->SetFrameRate(30.0f));
  EXPECT_FLOAT_EQ(v->frameRate, 30.0f);
  v->BeginRead();
  EXPECT_FALSE(v->SetFrameRate(25.0f));  // not while it is read
  v->EndRead();
  v->Release();
}

TEST_F(VideoDataTest, OnlyAviKindIsOpened) {
  const std::string path = MakeFile("kind.avi");
  EXPECT_EQ(AVIVideoData::OpenShared(nullptr, 1, path.c_str(), 0), nullptr);
  EXPECT_EQ(AVIVideoData::OpenShared(nullptr, kVideoKindAvi, folder_.Path("missing.avi").c_str(), 0),
            nullptr);
  EXPECT_EQ(VideoData::Head(), nullptr);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(VideoDataTest, ReadingTellsThePlayerAndTheCollection) {
  RecordingHooks hooks;
  const std::string path = MakeFile("read.avi");
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(v, nullptr);
  EXPECT_FALSE(v->IsOpen());
  v->BeginRead();
  v->BeginRead();
  EXPECT_TRUE(v->IsOpen());
  EXPECT_NE(v->mmio, nullptr);
  EXPECT_EQ(hooks.acquires, 2);
  EXPECT_EQ(hooks.lastInfo.kind, kVideoKindAvi);
  EXPECT_EQ(hooks.lastInfo.format, v->Format());
  EXPECT_EQ(hooks.redraws, 1);  // only the first reader
  EXPECT_TRUE(v->CloseFile());
  EXPECT_FALSE(v->CloseFile());
  EXPECT_TRUE(v->Reopen());
  EXPECT_NE(v->mmio, nullptr);
  v->EndRead();
  v->EndRead();
  v->EndRead();  // one too many: nothing happens
  EXPECT_EQ(hooks.releases, 2);
  EXPECT_EQ(hooks.redraws, 2);
  EXPECT_EQ(v->mmio, nullptr);
  EXPECT_EQ(v->openCount, 0);
  v->Release();
}

TEST_F(VideoDataTest, DirectPlayNeedsTheProjectRateAndThePlayersFormat) {
  RecordingHooks hooks;
  const float before = ProjectFrameRate();
  const std::string path = MakeFile("direct.avi");
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(v, nullptr);
  SetProjectFrameRate(29.97f);
  EXPECT_FALSE(v->IsDirectPlayable());
  SetProjectFrameRate(25.0f);
  EXPECT_TRUE(v->IsDirectPlayable());  // the player is not in use
  hooks.useCount = 1;
  hooks.kind = kVideoKindAvi;
  EXPECT_FALSE(v->IsDirectPlayable());  // in use without a format
  hooks.hasFormat = true;
  hooks.format = *v->Format();
  EXPECT_TRUE(v->IsDirectPlayable());
  hooks.format.biWidth = 720;
  EXPECT_FALSE(v->IsDirectPlayable());
  hooks.format = *v->Format();
  hooks.kind = 1;
  EXPECT_FALSE(v->IsDirectPlayable());
  SetProjectFrameRate(before);
  v->Release();
}

TEST_F(VideoDataTest, ChangedAndMissingFilesGoToTheFilmModel) {
  RecordingHooks hooks;
  const std::string path = MakeFile("changed.avi");
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(v, nullptr);
  EXPECT_FALSE(AVIVideoData::CheckChangedFiles(nullptr));
  EXPECT_TRUE(v->IsUnchanged());

  struct utimbuf times {
    1000000000, 1000000000
  };
  ASSERT_EQ(utime(path.c_str(), &times), 0);
  EXPECT_TRUE(AVIVideoData::CheckChangedFiles(nullptr));
  EXPECT_EQ(hooks.refreshes, std::vector<bool>{true});
  EXPECT_FALSE(AVIVideoData::CheckChangedFiles(nullptr));  // the new time is kept
  EXPECT_EQ(hooks.refreshes.size(), 1u);

  times.modtime = 1100000000;
  ASSERT_EQ(utime(path.c_str(), &times), 0);
  EXPECT_FALSE(v->IsUnchanged());
  EXPECT_TRUE(v->IsUnchanged());

  std::remove(path.c_str());
  EXPECT_TRUE(AVIVideoData::CheckChangedFiles(nullptr));
  EXPECT_EQ(hooks.refreshes, (std::vector<bool>{true, false}));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text, "File " + path + " does not exist!");
  EXPECT_EQ(boxes_.boxes[0].caption, GetString(465));
  EXPECT_EQ(boxes_.boxes[0].flags, MB_ICONHAND);
  EXPECT_FALSE(v->IsUnchanged());
  v->Release();
}

TEST_F(VideoDataTest, ReloadReadsTheNewFile) {
  RecordingHooks hooks;
  const std::string path = MakeFile("old.avi");
  AviSpec longer;
  longer.format = MakeFormat(8, 8, 24);
  longer.frames = GradientFrames(8, 8, 17);
  const std::string other = folder_.Path("new.avi");
  ASSERT_EQ(WriteAvi(other, longer), 0);
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(v, nullptr);
  v->BeginRead();
  ASSERT_TRUE(v->Reload(other.c_str()));
  EXPECT_EQ(v->frameCount, 17);
  EXPECT_STREQ(v->fileName, other.c_str());
  EXPECT_NE(v->mmio, nullptr);  // readers are open: the file is open again
  EXPECT_EQ(hooks.thumbnailDrops, 1);
  EXPECT_FALSE(v->Reload(folder_.Path("gone.avi").c_str()));
  v->EndRead();
  v->Release();
}

TEST(KeyFrameRecords, AreSharedPerSourceAndFrame) {
  TempFolder folder;
  AviSpec spec;
  spec.format = MakeFormat(8, 8, 24);
  spec.frames = GradientFrames(8, 8, 12);
  for (std::size_t i = 0; i < spec.frames.size(); ++i) spec.frames[i].key = i % 10 == 0;
  const std::string path = folder.Path("k.avi");
  ASSERT_EQ(WriteAvi(path, spec), 0);
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  ASSERT_NE(v, nullptr);

  EXPECT_EQ(TKeyFrame::Create(v, 10), nullptr);  // a key frame needs no record
  EXPECT_EQ(TKeyFrame::Create(nullptr, 7), nullptr);
  TKeyFrame* a = TKeyFrame::Create(v, 7);
  TKeyFrame* b = TKeyFrame::Create(v, 7);
  TKeyFrame* c = TKeyFrame::Create(v, 8);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->referenceCount, 2);
  EXPECT_NE(c, a);
  EXPECT_EQ(TKeyFrame::Head(), c);
  EXPECT_EQ(TKeyFrame::Find(v, 7), a);
  EXPECT_EQ(a->referenceCount, 2);

  a->data.reset(new BYTE[16]);
  a->dataSize = 16;
  TKeyFrame::FreeAll();
  EXPECT_EQ(TKeyFrame::Find(v, 7), a);
  EXPECT_EQ(a->dataSize, 0);
  EXPECT_EQ(a->data, nullptr);

  a->Release();
  EXPECT_EQ(TKeyFrame::Find(v, 7), a);
  b->Release();
  EXPECT_EQ(TKeyFrame::Find(v, 7), nullptr);
  EXPECT_EQ(TKeyFrame::Head(), c);
  EXPECT_EQ(c->next, nullptr);
  c->Release();
  EXPECT_EQ(TKeyFrame::Head(), nullptr);
  v->Release();
}

}  // namespace
