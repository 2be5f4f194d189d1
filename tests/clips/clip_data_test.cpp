// A clip's record: what it takes from its sources, how copies share them,
// how it follows a changed file, and its one-line descriptions.
#include "clips/clip_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "collection_fixture.h"
#include "platform/core/sync.h"

namespace cliptest {
namespace {

using ClipDataTest = CollectionTest;

bool AllWhite(const ClipData& clip) {
  return std::all_of(std::begin(clip.pixels), std::end(clip.pixels), [](BYTE b) { return b == 0xFF; });
}

TEST_F(ClipDataTest, ARecordTakesItsTimesKindAndNameFromItsSources) {
  const std::string longName(200, 'n');
  struct Case {
    const char* what;
    std::function<ClipData()> make;
    uint32_t kind;
    int32_t length;
    std::string name;
    std::string path;
    bool white;
  };
  const std::string wave = Wave("voice.take.wav", 1500);
  const std::string avi = Media("scene.avi");
  WriteAvi(avi, 64, 48, 25.0, 50, true, 10);  // 2000 ms of picture, 400 ms of sound
  const std::string midi = Media("tune.mid");
  WriteMidi(midi);
  const std::string longWave = Wave(longName + ".wav", 300);
  const Case cases[] = {
      {"audio only",
       [&] {
         AudioData* a = AudioData::OpenShared(wave.c_str());
         ClipData c(nullptr, nullptr, a, true);
         a->Release();
         return c;
       },
       kClipAudio, 1500, "voice.take", wave, true},
      {"video with its audio",
       [&] {
         AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, avi.c_str(), 0.0f);
         AudioData* a = AudioData::OpenShared(avi.c_str());
         ClipData c(v, nullptr, a, true);
         v->Release();
         a->Release();
         return c;
       },
       kClipVideo | kClipAudio, 2000, "scene", avi, false},
      {"MIDI",
       [&] {
         MidiData* m = MidiData::Get(midi.c_str());
         ClipData c(nullptr, m, nullptr, false);
         m->Release();
         return c;
       },
       kClipMidi, 1000, "tune", midi, true},
      {"a long name",
       [&] {
         AudioData* a = AudioData::OpenShared(longWave.c_str());
         ClipData c(nullptr, nullptr, a, false);
         a->Release();
         return c;
       },
       kClipAudio, 300, longName.substr(0, 127), longWave, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ClipData clip = c.make();
    EXPECT_EQ(clip.kind, c.kind);
    EXPECT_EQ(clip.inTime, 0);
    EXPECT_EQ(clip.outTime, c.length);
    EXPECT_EQ(clip.duration, c.length);
    EXPECT_EQ(clip.sourceLength, c.length);
    EXPECT_EQ(clip.GetLength(), c.length);
    EXPECT_EQ(std::string(clip.name), c.name);
    ASSERT_NE(clip.path, nullptr);
    EXPECT_EQ(std::string(clip.path), c.path);
    EXPECT_EQ(AllWhite(clip), c.white);
  }
  // The video's face is its first frame (blue 0, green 0, red 255).
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, avi.c_str(), 0.0f);
  ClipData face(v, nullptr, nullptr, true);
  v->Release();
  EXPECT_EQ(face.pixels[0], 0);
  EXPECT_EQ(face.pixels[2], 255);
}

TEST_F(ClipDataTest, CopiesShareTheSourcesAndReleaseGivesEveryReferenceBack) {
  const std::string avi = Avi("shared.avi");
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, avi.c_str(), 0.0f);
  AudioData* a = AudioData::OpenShared(avi.c_str());
  const std::string midi = Media("m.mid");
  WriteMidi(midi);
  MidiData* m = MidiData::Get(midi.c_str());
  {
    ClipData clip(v, m, a, false);
    EXPECT_EQ(v->referenceCount, 2);
    EXPECT_EQ(a->referenceCount, 2);
    EXPECT_EQ(m->GetReferences(), 2);
    ClipData copy(clip);
    ClipData assigned;
    assigned = copy;
    EXPECT_EQ(v->referenceCount, 4);
    EXPECT_EQ(a->referenceCount, 4);
    EXPECT_EQ(m->GetReferences(), 4);
    EXPECT_EQ(assigned.kind, clip.kind);
    EXPECT_EQ(std::string(assigned.path), avi);
    // Assigning over a record gives its old sources back.
    assigned = ClipData();
    EXPECT_EQ(v->referenceCount, 3);
    copy.name[0] = 'X';
    copy.sourceLength = 777;
    copy.ReleaseSources();
    EXPECT_EQ(v->referenceCount, 2);
    EXPECT_EQ(copy.video, nullptr);
    EXPECT_EQ(copy.kind, 0u);
    EXPECT_EQ(copy.path, nullptr);
    // What names the clip stays.
    EXPECT_EQ(copy.name[0], 'X');
    EXPECT_EQ(copy.sourceLength, 777);
  }
  EXPECT_EQ(v->referenceCount, 1);
  EXPECT_EQ(a->referenceCount, 1);
  EXPECT_EQ(m->GetReferences(), 1);
  v->Release();
  a->Release();
  m->Release();
}

TEST_F(ClipDataTest, RevalidateFollowsTheFileOrLeavesTheRecordAlone) {
  struct Case {
    const char* what;
    int newMs;                               // the file written again (0: unchanged)
    std::function<void(AudioData*)> break_;  // makes the source unusable
    int32_t in, out, duration, face;
    bool valid;
    int32_t wantIn, wantOut, wantDuration, wantFace;
  };
  const Case cases[] = {
      {"shorter, the duration following the span", 600, nullptr, 200, 900, 700, 800, true, 200, 600, 400,
       599},
      {"shorter, an edited duration kept", 600, nullptr, 200, 900, 1234, 100, true, 200, 600, 1234, 100},
      {"in and face beyond the new end", 300, nullptr, 500, 900, 400, 700, true, 299, 300, 1, 299},
      {"the same length", 0, nullptr, 100, 900, 800, 50, true, 100, 900, 800, 50},
      {"a failed source", 600, [](AudioData* a) { a->error = 6; }, 200, 900, 700, 800, false, 200, 900, 700,
       800},
      {"nothing left in the file", 0, [](AudioData* a) { a->length = 0; }, 200, 900, 700, 800, false, 200,
       900, 700, 800},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = Wave("r" + std::to_string(n++) + ".wav", 1000);
    AudioData* a = AudioData::OpenShared(path.c_str());
    ClipData clip(nullptr, nullptr, a, false);
    a->Release();
    clip.inTime = c.in;
    clip.outTime = c.out;
    clip.duration = c.duration;
    clip.faceTime = c.face;
    clip.pixels[5] = 0;
    if (c.newMs > 0) {
      WriteWave(path, 44100, 2, 16, c.newMs);
      ASSERT_TRUE(a->Reload(path.c_str()));
    }
    if (c.break_) c.break_(a);
    EXPECT_EQ(clip.Revalidate(), c.valid);
    EXPECT_EQ(clip.inTime, c.wantIn);
    EXPECT_EQ(clip.outTime, c.wantOut);
    EXPECT_EQ(clip.duration, c.wantDuration);
    EXPECT_EQ(clip.faceTime, c.wantFace);
    EXPECT_EQ(clip.sourceLength, c.valid && c.newMs > 0 ? c.newMs : 1000);
    // Without video the face is white again after a good revalidation.
    EXPECT_EQ(clip.pixels[5], c.valid ? 0xFF : 0);
    a->error = 0;
  }
}

TEST_F(ClipDataTest, RevalidateDrawsTheFaceAgainAndDropsThePicture) {
  const std::string avi = Avi("face.avi", 10);
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, avi.c_str(), 0.0f);
  ClipData clip(v, nullptr, nullptr, true);
  v->Release();
  clip.faceTime = 200;  // frame 5
  std::memset(clip.pixels, 0x11, sizeof clip.pixels);
  clip.thumbnail = TEVideoBitmap::Get(nullptr, 0, v, 200, 200, clip.pixels);
  TEVideoBitmap* picture = clip.thumbnail;
  ASSERT_EQ(picture->refCount, 1);
  InterlockedIncrement(&picture->refCount);  // held here too, to see it let go
  ASSERT_TRUE(clip.Revalidate());
  EXPECT_EQ(clip.thumbnail, nullptr);
  EXPECT_EQ(picture->refCount, 1);
  picture->Release();
  EXPECT_EQ(clip.pixels[0], 5);
  EXPECT_EQ(clip.pixels[1], 10);
  EXPECT_EQ(clip.pixels[2], 250);
}

TEST_F(ClipDataTest, DescriptionsOfPictureAndSound) {
  struct Case {
    std::string file;
    std::function<void(const std::string&)> write;
    bool midi;
    const char* video;
    const char* audio;
  };
  const Case cases[] = {
      {"pal.avi", [](const std::string& p) { WriteAvi(p, 320, 240, 25.0, 3, true); }, false, "320*240,25f/s",
       "44100,16,stereo"},
      {"ntsc.avi", [](const std::string& p) { WriteAvi(p, 320, 240, 29.97, 3, false); }, false,
       "320*240,29.970f/s", "No Sound"},
      {"mono.wav", [](const std::string& p) { WriteWave(p, 22050, 1, 8, 500); }, false, "No Video",
       "22050,8,mono"},
      {"song.mid", [](const std::string& p) { WriteMidi(p); }, true, "No Video", "Midi sound"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = Media(c.file);
    c.write(path);
    ClipData clip;
    if (c.midi) {
      MidiData* m = MidiData::Get(path.c_str());
      clip = ClipData(nullptr, m, nullptr, false);
      m->Release();
    } else {
      AVIVideoData* v = path.ends_with(".avi")
                            ? AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0)
                            : nullptr;
      AudioData* a = AudioData::OpenShared(path.c_str());
      clip = ClipData(v, nullptr, a, false);
      if (v) v->Release();
      if (a) a->Release();
    }
    EXPECT_EQ(std::string(clip.DescribeVideo()), c.video);
    EXPECT_EQ(std::string(clip.DescribeAudio()), c.audio);
  }
}

}  // namespace
}  // namespace cliptest
