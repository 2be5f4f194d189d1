// Files written by sox and ffmpeg decode to the samples those tools print for
// them. Skipped where the tools are missing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "audio_fixtures.h"
#include "media/audio_readers.h"

namespace {

void ExpectSameSound(const std::string& path, const std::vector<float>& reference, std::size_t channels) {
  SCOPED_TRACE(path);
  AudioData* s = AudioData::OpenShared(path.c_str());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->format->nChannels, channels);
  const std::vector<float> decoded = DecodeAll(s, 777);
  s->Release();
  ASSERT_FALSE(reference.empty());
  ASSERT_EQ(decoded.size(), reference.size());
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    const float expected = reference[i] * 32768.0f;
    if (std::fabs(decoded[i] - expected) > 0.01f) {
      ADD_FAILURE() << "sample " << i << ": " << decoded[i] << " instead of " << expected;
      return;
    }
  }
}

std::vector<float> SoxFloats(const std::string& path) {
  Bytes out;
  EXPECT_TRUE(RunCommand("sox -D '" + path + "' -t f32 -e floating-point - 2>/dev/null", &out));
  return FloatsOf(out);
}

std::vector<float> FfmpegFloats(const std::string& path) {
  Bytes out;
  EXPECT_TRUE(RunCommand("ffmpeg -v error -i '" + path + "' -map 0:a:0 -f f32le - 2>/dev/null", &out));
  return FloatsOf(out);
}

struct Made {
  const char* name;
  const char* options;
  std::size_t channels;
};

TEST(ExternalFiles, SoxWaveAndAiffFiles) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  RecordingHooks hooks;
  TempFolder folder;
  const std::vector<Made> made = {
      {"u8.wav", "-c 1 -b 8 -e unsigned-integer", 1},
      {"s16.wav", "-c 2 -b 16 -e signed-integer", 2},
      {"s24.wav", "-c 2 -b 24 -e signed-integer", 2},
      {"s24m.wav", "-c 1 -b 24 -e signed-integer", 1},
      {"s32.wav", "-c 1 -b 32 -e signed-integer", 1},
      {"f32.wav", "-c 2 -b 32 -e floating-point", 2},
      {"s8.aiff", "-c 1 -b 8 -e signed-integer", 1},
      {"s16.aiff", "-c 2 -b 16 -e signed-integer", 2},
      {"s24.aiff", "-c 2 -b 24 -e signed-integer", 2},
      {"s16.aifc", "-c 1 -b 16 -e signed-integer", 1},
  };
  for (const Made& m : made) {
    const std::string path = folder.Path(m.name);
    ASSERT_TRUE(RunCommand(std::string("sox -D -n -r 22050 ") + m.options + " '" + path +
                           "' synth 0.3 sine 440 sine 1250 vol 0.9 2>/dev/null"))
        << m.name;
    ExpectSameSound(path, SoxFloats(path), m.channels);
  }
}

TEST(ExternalFiles, FfmpegWaveFiles) {
  if (!HaveTool("ffmpeg") || !HaveTool("sox")) GTEST_SKIP() << "ffmpeg or sox is not installed";
  RecordingHooks hooks;
  TempFolder folder;
  const std::vector<Made> made = {
      {"u8.wav", "-ac 1 -c:a pcm_u8", 1},       {"s16.wav", "-ac 2 -c:a pcm_s16le", 2},
      {"s24.wav", "-ac 2 -c:a pcm_s24le", 2},   {"s32.wav", "-ac 1 -c:a pcm_s32le", 1},
      {"f32.wav", "-ac 2 -c:a pcm_f32le", 2},   {"s16.aiff", "-ac 2 -c:a pcm_s16be", 2},
      {"s24.aiff", "-ac 1 -c:a pcm_s24be", 1},
  };
  for (const Made& m : made) {
    const std::string path = folder.Path(m.name);
    ASSERT_TRUE(RunCommand(std::string("ffmpeg -v error -y -f lavfi -i 'sine=frequency=440:sample_rate=32000:duration=0.3' ") +
                           m.options + " '" + path + "' 2>/dev/null"))
        << m.name;
    ExpectSameSound(path, SoxFloats(path), m.channels);
  }
}

TEST(ExternalFiles, FfmpegAviAudio) {
  if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  RecordingHooks hooks;
  TempFolder folder;
  const std::vector<Made> made = {
      {"audio.avi", "-f lavfi -i 'sine=frequency=440:sample_rate=22050:duration=1' -ac 2 -c:a pcm_s16le", 2},
      {"video.avi",
       "-f lavfi -i 'testsrc=size=64x48:rate=25:duration=1' -f lavfi -i "
       "'sine=frequency=300:sample_rate=11025:duration=1' -c:v mjpeg -c:a pcm_u8",
       1},
  };
  for (const Made& m : made) {
    const std::string path = folder.Path(m.name);
    ASSERT_TRUE(RunCommand(std::string("ffmpeg -v error -y ") + m.options + " '" + path + "' 2>/dev/null")) << m.name;
    ExpectSameSound(path, FfmpegFloats(path), m.channels);
  }
}

// Compressed WAVE files last as long as sox says, within one block: ffmpeg
// states a wrong byte rate for IMA ADPCM, so the "fact" count must serve.
TEST(ExternalFiles, FfmpegCompressedWaveLengths) {
  if (!HaveTool("ffmpeg") || !HaveTool("sox")) GTEST_SKIP() << "ffmpeg or sox is not installed";
  RecordingHooks hooks;
  TempFolder folder;
  struct Case {
    const char* name;
    const char* options;
    double blockMs;
  } cases[] = {
      {"ima.wav", "-ac 1 -c:a adpcm_ima_wav", 2041 * 1000.0 / 22050},
      {"ima2.wav", "-ac 2 -c:a adpcm_ima_wav", 1017 * 1000.0 / 22050},
      {"mulaw.wav", "-ac 1 -c:a pcm_mulaw", 1},
      {"alaw.wav", "-ac 2 -c:a pcm_alaw", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.Path(c.name);
    ASSERT_TRUE(RunCommand(std::string("ffmpeg -v error -y -f lavfi -i "
                                       "'sine=frequency=440:sample_rate=22050:duration=1.3' ") +
                           c.options + " '" + path + "' 2>/dev/null"));
    Bytes out;
    ASSERT_TRUE(RunCommand("sox --i -D '" + path + "' 2>/dev/null", &out));
    const double soxMs = std::atof(std::string(out.begin(), out.end()).c_str()) * 1000.0;
    ASSERT_GT(soxMs, 1000.0);
    AudioData* s = AudioData::OpenShared(path.c_str());
    ASSERT_NE(s, nullptr);
    EXPECT_NEAR(s->GetLength(), soxMs, c.blockMs);
    s->Release();
    WaveInfo info;
    ASSERT_TRUE(ReadWaveInfo(path.c_str(), &info));
    EXPECT_NEAR(info.length, soxMs, c.blockMs);
  }
}

}  // namespace
