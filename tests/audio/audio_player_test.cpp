#include "audio/audio_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "audio/declick.h"
#include "engine_fixture.h"
#include "media/sample_routines.h"
#include "platform/audio/audio_backend.h"
#include "platform/core/locations.h"
#include "platform/core/message_queue.h"
#include "support/time_bounds.h"

namespace {

// A guard against a hang: what is waited for comes at once on an idle
// machine, and a busy one only holds it back.
bool WaitUntil(const std::function<bool()>& done, int milliseconds = 20000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

using AudioPlayerTest = EngineTest;

TEST_F(AudioPlayerTest, SizesBlocksAndPreviewsFromTheFormat) {
  AudioPlayer engine;
  IniSetSection("SOUND");
  struct Case {
    DWORD rate;
    int channels, code, maxHdr;
    float delay;
    DWORD unit, units;
    LONG frames, preview, fade;
  };
  // The unit of a 3-byte code is cut to whole frames.
  for (const Case& c : {
           Case{44100, 2, 2, 4, 1.0f, 32768, 1, 8192, 4410, 220},
           Case{22050, 1, 2, 4, 1.0f, 8192, 1, 4096, 2205, 110},
           Case{22050, 1, 1, 4, 1.0f, 4096, 1, 4096, 2205, 110},
           Case{44100, 2, 2, 4, 11.0f, 32768, 14, 114688, 4410, 220},
           Case{48000, 2, 7, 4, 1.0f, 32768, 1, 8192, 4800, 240},  // Limit16 makes it 16-bit
           Case{11025, 1, 2, 32, 0.1f, 4096, 1, 2048, 1102, 55},
       }) {
    float delay = c.delay, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(engine.Configure(c.rate, c.channels, c.code, c.maxHdr, 16, 4, delay, preview, maxPreview), 0)
        << c.rate << " " << c.code;
    EXPECT_EQ(engine.GetUnit(), c.unit) << c.rate << " " << c.delay;
    EXPECT_EQ(engine.GetUnitsPerBlock(), c.units) << c.rate << " " << c.delay;
    EXPECT_EQ(engine.GetBlockFrames(), c.frames) << c.rate << " " << c.delay;
    EXPECT_EQ(engine.GetBlockBytes(), c.units * c.unit);
    EXPECT_EQ(engine.GetFloatBytesPerBlock(), DWORD(c.channels) * c.frames * 4);
    EXPECT_EQ(engine.GetStereoFloatBytes(), DWORD(c.frames) * 8);
    EXPECT_EQ(engine.GetPreviewFrames(), c.preview);
    EXPECT_EQ(engine.GetPreviewFadeFrames(), c.fade);
  }
}

TEST_F(AudioPlayerTest, ThreeByteSamplesGetHeadersOfWholeFrames) {
  IniSetSection("SOUND");
  IniWriteInt("Limit16", 0);
  AudioPlayer engine;
  float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
  ASSERT_EQ(engine.Configure(48000, 2, 4, 4, 16, 4, delay, preview, maxPreview), 0);
  EXPECT_EQ(OutputFormat.nBlockAlign, 6);
  EXPECT_EQ(engine.GetUnit() % 6, 0u);
  EXPECT_EQ(engine.GetUnit(), 32766u);
  EXPECT_EQ(engine.GetBlockBytes() % 6, 0u);
  EXPECT_EQ(LONG(engine.GetBlockBytes() / 6), engine.GetBlockFrames());
  ASSERT_EQ(engine.Configure(22050, 1, 3, 4, 16, 4, delay, preview, maxPreview), 0);
  EXPECT_EQ(OutputFormat.wBitsPerSample, 20);
  EXPECT_EQ(engine.GetUnit(), 8190u);
}

TEST_F(AudioPlayerTest, StreamingUsesOneUnitOf32KAndTheFormatComesBack) {
  AudioPlayer engine;
  float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
  ASSERT_EQ(engine.Configure(44100, 2, 4, 4, 16, 4, delay, preview, maxPreview), 0);
  EXPECT_EQ(OutputFormat.wBitsPerSample, 16);  // the device is held at 16 bits
  ASSERT_TRUE(engine.SetStreamFormat(0));      // the stream takes the project's 24 bits
  EXPECT_EQ(OutputFormat.wBitsPerSample, 24);
  EXPECT_EQ(engine.GetUnitsPerBlock(), 1u);
  EXPECT_EQ(engine.GetBlockFrames(), 32768 / 6);
  EXPECT_EQ(engine.GetBlockBytes(), 5461u * 6);
  ASSERT_TRUE(engine.SetStreamFormat(7));
  EXPECT_EQ(OutputFormat.wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
  EXPECT_EQ(engine.GetBlockFrames(), 4096);
  EXPECT_EQ(engine.RestoreFormat(), 0);
  EXPECT_EQ(OutputFormat.wBitsPerSample, 16);
  EXPECT_EQ(engine.GetBlockFrames(), 8192);
  EXPECT_EQ(engine.GetProjectCode(), 4);
}

TEST_F(AudioPlayerTest, ConfigureClampsCountsAndLengths) {
  AudioPlayer engine;
  struct Case {
    int maxHdr, maxRead, maxTrack;
    float delay, preview, maxPreview;
    int wantHdr, wantRead, wantTrack;
    float wantDelay, wantPreview, wantMaxPreview;
  };
  for (const Case& c : {
           Case{2, 1, 3, 20.0f, 0.5f, 0.05f, 4, 2, 4, 11.0f, 0.5f, 0.5f},
           Case{40, 33, 100, 0.0f, 5.0f, 20.0f, 32, 32, 32, 0.1f, 2.0f, 10.0f},
           Case{8, 8, 8, 2.5f, 0.01f, 0.3f, 8, 8, 8, 2.5f, 0.1f, 0.3f},
           Case{4, 16, 4, NAN, NAN, INFINITY, 4, 16, 4, 1.0f, 0.1f, 1.0f},
       }) {
    float delay = c.delay, preview = c.preview, maxPreview = c.maxPreview;
    engine.Configure(22050, 1, 2, c.maxHdr, c.maxRead, c.maxTrack, delay, preview, maxPreview);
    EXPECT_EQ(engine.MaxHdr, c.wantHdr);
    EXPECT_EQ(engine.MaxBlockRead, c.wantRead);
    EXPECT_EQ(engine.MaxBlockTrack, c.wantTrack);
    EXPECT_FLOAT_EQ(delay, c.wantDelay);
    EXPECT_FLOAT_EQ(preview, c.wantPreview);
    EXPECT_FLOAT_EQ(maxPreview, c.wantMaxPreview);
    EXPECT_FLOAT_EQ(engine.Delay, c.wantDelay);
  }
}

TEST_F(AudioPlayerTest, SetFormatRefusesBadFormatsAndChangesNothing) {
  AudioPlayer engine;
  float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
  ASSERT_EQ(engine.Configure(44100, 2, 2, 4, 16, 4, delay, preview, maxPreview), 0);
  WAVEFORMATEX before = OutputFormat;
  LONG frames = engine.GetBlockFrames();
  struct Case {
    DWORD rate;
    int channels, code;
  };
  for (const Case& c : {Case{4000, 2, 2}, Case{44100, 3, 2}, Case{44100, 0, 2}, Case{0x80000000u, 1, 2},
                        Case{44100, 2, 9}, Case{44100, 2, 0}, Case{0x7FFFFFFFu, 2, 7}}) {
    EXPECT_EQ(engine.SetFormat(c.rate, c.channels, c.code), kErrNoWaveDevice) << c.rate << " " << c.channels;
    EXPECT_EQ(std::memcmp(&OutputFormat, &before, sizeof(before)), 0);
    EXPECT_EQ(engine.GetBlockFrames(), frames);
    EXPECT_EQ(engine.GetState(), AudioPlayer::kIdle);
    EXPECT_EQ(engine.GetProjectCode(), 2);
  }
}

TEST_F(AudioPlayerTest, SampleCodesMakeTheOutputFormat) {
  IniSetSection("SOUND");
  IniWriteInt("Limit16", 0);
  AudioPlayer engine;
  struct Case {
    int code;
    WORD tag, bits, align;
    BYTE silence;
  };
  for (const Case& c :
       {Case{1, 1, 8, 2, 128}, Case{2, 1, 16, 4, 0}, Case{3, 1, 20, 6, 0}, Case{4, 1, 24, 6, 0},
        Case{5, 1, 24, 8, 0}, Case{6, 1, 32, 8, 0}, Case{7, 3, 32, 8, 0}}) {
    ASSERT_EQ(engine.SetFormat(32000, 2, c.code), 0) << c.code;
    EXPECT_EQ(OutputFormat.wFormatTag, c.tag) << c.code;
    EXPECT_EQ(OutputFormat.wBitsPerSample, c.bits) << c.code;
    EXPECT_EQ(OutputFormat.nBlockAlign, c.align) << c.code;
    EXPECT_EQ(OutputFormat.nAvgBytesPerSec, c.align * 32000u) << c.code;
    EXPECT_EQ(OutputSilenceByte(), c.silence) << c.code;
    EXPECT_NE(engine.GetWriter(), nullptr);
  }
  EXPECT_EQ(engine.GetWriter(), &WriteIeeeFloatSamples);
  ASSERT_EQ(engine.SetFormat(32000, 2, 2), 0);
  EXPECT_EQ(engine.GetWriter(), &FloatToPcm16);
  EXPECT_FALSE(engine.ApplySampleCode(0));
  EXPECT_FALSE(engine.ApplySampleCode(8));
}

// The device format is capped at 16 bits; the project keeps its own code.
TEST_F(AudioPlayerTest, Limit16OpensTheDeviceAt16BitsAndKeepsTheProjectCode) {
  {
    AudioPlayer engine;
    ASSERT_EQ(engine.SetFormat(44100, 2, 7), 0);
    EXPECT_EQ(OutputFormat.wBitsPerSample, 16);
    EXPECT_EQ(OutputFormat.wFormatTag, WAVE_FORMAT_PCM);
    ASSERT_TRUE(engine.OpenDevice());
    EXPECT_EQ(VirtualAudio::LastFormat(0).wBitsPerSample, 16);
    EXPECT_EQ(VirtualAudio::LastFormat(0).nBlockAlign, 4);
    engine.CloseDevice();
  }
  IniSetSection("SOUND");
  EXPECT_EQ(IniReadInt("Bits", 0), 7);
  AudioPlayer again;
  EXPECT_EQ(again.GetProjectCode(), 7);
  EXPECT_EQ(OutputFormat.wBitsPerSample, 16);
}

TEST_F(AudioPlayerTest, ReadsAndWritesItsSection) {
  IniSetSection("SOUND");
  IniWriteString("Delay", "2.5");
  IniWriteInt("Ratio", 44100);
  IniWriteInt("Channel_Count", 2);
  IniWriteInt("MaxHdr", 8);
  IniWriteString("Sound_File", "/tmp/kobrix-sound.tmp");
  IniWriteInt("WaveOutId", -1);
  {
    AudioPlayer engine;
    EXPECT_FLOAT_EQ(engine.Delay, 2.5f);
    EXPECT_EQ(engine.MaxHdr, 8);
    EXPECT_EQ(OutputFormat.nSamplesPerSec, 44100u);
    EXPECT_EQ(OutputFormat.nChannels, 2);
    EXPECT_STREQ(Sound_File, "/tmp/kobrix-sound.tmp");
    EXPECT_EQ(engine.GetWaveOutId(), -1);
    EXPECT_TRUE(engine.IsUsable());  // through the mapper
    engine.Delay = 3.25f;
  }
  IniSetSection("SOUND");
  EXPECT_STREQ(IniReadString("Delay", ""), "3.250");
  EXPECT_STREQ(IniReadString("PreviewLength", ""), "0.100");
  EXPECT_EQ(IniReadInt("Ratio", 0), 44100);
}

TEST_F(AudioPlayerTest, TheWindowsDefaultSoundFileIsInTheUsersStateFolder) {
  AudioPlayer engine;
  std::string name = Sound_File;
  EXPECT_EQ(name, StateFolder() + "/KOBRIX.TMP");
}

TEST_F(AudioPlayerTest, ADamagedSectionStillGivesAWorkingFormat) {
  IniSetSection("SOUND");
  IniWriteInt("Channel_Count", 3);
  IniWriteInt("Bits", 9);
  IniWriteString("Delay", "0");
  IniWriteInt("Ratio", -5);
  IniWriteInt("MaxHdr", 0);
  IniWriteString("InOutLength", "nonsense");
  AudioPlayer engine;
  EXPECT_EQ(engine.GetState(), AudioPlayer::kIdle);
  EXPECT_EQ(OutputFormat.nChannels, 1);
  EXPECT_EQ(OutputFormat.nBlockAlign, 2);
  EXPECT_GT(engine.GetBlockFrames(), 0);
  EXPECT_GT(engine.GetBlockBytes(), 0u);
  EXPECT_FLOAT_EQ(engine.Delay, 0.1f);
  EXPECT_EQ(engine.MaxHdr, 4);
  EXPECT_EQ(engine.GetRampLength(), 22);
}

TEST_F(AudioPlayerTest, WithoutADeviceTheEngineIsNotUsableAndGoesOn) {
  VirtualAudio::Reset({}, {});
  AudioPlayer engine;
  EXPECT_FALSE(engine.IsUsable());
  EXPECT_EQ(engine.GetState(), AudioPlayer::kNoDevice);
  // The format is kept for the project even though nothing can play it.
  EXPECT_EQ(engine.SetFormat(44100, 2, 2), kErrNoWaveDevice);
  EXPECT_EQ(OutputFormat.nSamplesPerSec, 44100u);
  EXPECT_EQ(engine.GetBlockFrames(), 8192);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(AudioPlayerTest, WithoutASoundCardTheSdlBackEndLeavesTheEngineUnusable) {
  setenv("SDL_AUDIODRIVER", "kobrix-no-such-driver", 1);
  SetAudioBackend(MakeSdlAudioBackend());
  {
    AudioPlayer engine;
    EXPECT_FALSE(engine.IsUsable());
    EXPECT_EQ(engine.GetState(), AudioPlayer::kNoDevice);
  }
  unsetenv("SDL_AUDIODRIVER");
  VirtualAudio::Reset();
}

TEST_F(AudioPlayerTest, ARefusedFormatIsKeptButNothingPlays) {
  VirtualDeviceSpec only8;
  only8.accepts = [](const WAVEFORMATEX& f) { return f.wBitsPerSample == 8; };
  VirtualAudio::Reset({only8}, {});
  AudioPlayer engine;
  EXPECT_FALSE(engine.IsUsable());
  EXPECT_EQ(engine.SetFormat(22050, 1, 1), 0);
  EXPECT_TRUE(engine.IsUsable());
  EXPECT_EQ(engine.SetFormat(44100, 2, 2), kErrNoWaveDevice);
  EXPECT_EQ(engine.GetState(), AudioPlayer::kNoDevice);
  EXPECT_EQ(OutputFormat.nAvgBytesPerSec, 176400u);
  EXPECT_FALSE(engine.IsUsable());
}

TEST_F(AudioPlayerTest, DeclickRampsFollowTheSettings) {
  AudioPlayer engine;
  ASSERT_EQ(engine.GetRampLength(), 22);
  EXPECT_FLOAT_EQ(engine.GetFadeIn()[21], 1.0f);
  EXPECT_FLOAT_EQ(engine.GetFadeOut()[0], 1.0f);
  engine.DeclickType = 0;
  engine.InOutLength = 0.1f;
  engine.BuildDeclickRamps();
  ASSERT_EQ(engine.GetRampLength(), 5);
  const float linear[5] = {0.0f, 0.2f, 0.4f, 0.6f, 0.8f};
  for (int k = 0; k < 5; ++k) {
    EXPECT_NEAR(engine.GetFadeIn()[k], linear[k], 1e-6);
    EXPECT_NEAR(engine.GetFadeOut()[4 - k], linear[k], 1e-6);
  }
  IniSetSection("SOUND");
  IniWriteString("KaiserBeta", "0");
  engine.DeclickType = 1;
  engine.BuildDeclickRamps();
  for (int k = 0; k < 5; ++k) EXPECT_NEAR(engine.GetFadeIn()[k], (k + 1) / 5.0, 1e-6);
}

class FakeList : public DeviceListControl {
 public:
  int AddString(const char* text) override {
    items.push_back(text);
    return int(items.size()) - 1;
  }
  void SetSelIndex(int index) override { selected = index; }
  std::vector<std::string> items;
  int selected = -99;
};

TEST_F(AudioPlayerTest, ListsTheMapperAndTheDevicesAndSelectsByListIndex) {
  VirtualDeviceSpec a, b;
  a.name = "Line out";
  b.name = "Headphones";
  VirtualAudio::Reset({a, b}, {});
  IniSetSection("SOUND");
  IniWriteInt("WaveOutId", 1);
  AudioPlayer engine;
  FakeList list;
  engine.ListDevices(list);
  ASSERT_EQ(list.items.size(), 3u);
  EXPECT_EQ(list.items[1], "Line out");
  EXPECT_EQ(list.items[2], "Headphones");
  EXPECT_EQ(list.selected, 2);
  engine.SelectDevice(0);
  EXPECT_EQ(engine.GetWaveOutId(), -1);
  engine.SelectDevice(3);  // beyond the list: ignored
  EXPECT_EQ(engine.GetWaveOutId(), -1);
  engine.SelectDevice(1);
  EXPECT_EQ(engine.GetWaveOutId(), 0);
  EXPECT_TRUE(engine.IsUsable());
}

TEST_F(AudioPlayerTest, VolumesAndPansAreStoredAsGains) {
  AudioPlayer engine;
  engine.SetTrackVolumePan(-1, 1024, -128);
  engine.SetTrackVolumePan(2, 256, 256);
  engine.SetTrackVolumePan(4, 512, 0);  // no such line
  EXPECT_FLOAT_EQ(engine.GetMasterGain(), 2.0f);
  EXPECT_FLOAT_EQ(engine.GetMasterPan(), -0.5f);
  EXPECT_FLOAT_EQ(engine.Track(2).gain.load(), 0.5f);
  EXPECT_FLOAT_EQ(engine.Track(2).pan.load(), 1.0f);
}

TEST_F(AudioPlayerTest, ErrorBoxesUseTheEngineTexts) {
  AudioPlayer::ShowError(kErrFileMissing, "take.wav", "Audio playback");
  AudioPlayer::ShowError(99, nullptr, "Audio playback");
  AudioPlayer::ShowError(0, nullptr, "nothing");
  ASSERT_EQ(boxes_.boxes.size(), 2u);
  EXPECT_EQ(boxes_.boxes[0].text, "Can`t open file:\n'take.wav'.");
  EXPECT_EQ(boxes_.boxes[0].caption, "Audio playback");
  EXPECT_EQ(boxes_.boxes[0].flags & MB_ICONHAND, MB_ICONHAND);
  EXPECT_EQ(boxes_.boxes[1].text, "INTERNAL ERROR : Unknown Error! Err = 99");
}

TEST_F(AudioPlayerTest, AFailedOpenShowsTheDeviceErrorText) {
  AudioPlayer engine;
  VirtualAudio::SetOpenError(0, MMSYSERR_ALLOCATED);
  EXPECT_FALSE(engine.OpenDevice());
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  char text[MAXERRORLENGTH];
  waveOutGetErrorText(MMSYSERR_ALLOCATED, text, sizeof(text));
  EXPECT_EQ(boxes_.boxes[0].text, text);
  EXPECT_EQ(boxes_.boxes[0].caption, "Open Wave playback device");
  EXPECT_EQ(boxes_.boxes[0].flags, MB_ICONHAND | MB_TASKMODAL);
  EXPECT_EQ(engine.GetWaveOut(), nullptr);
  EXPECT_EQ(engine.GetState(), AudioPlayer::kIdle);
}

TEST_F(AudioPlayerTest, BuffersArePreparedOnTheOpenDevice) {
  AudioPlayer engine;
  float delay = 2.0f, preview = 0.1f, maxPreview = 1.0f;
  ASSERT_EQ(engine.Configure(44100, 2, 2, 6, 3, 5, delay, preview, maxPreview), 0);
  ASSERT_TRUE(engine.OpenDevice());
  ASSERT_TRUE(engine.AllocBuffers());
  ASSERT_EQ(engine.Blocks().size(), 6u);
  EXPECT_EQ(engine.GetUnitsPerBlock(), 1u);  // 58800 bytes a block: one unit of 32768
  for (const AudioPlayer::Block& block : engine.Blocks()) {
    for (DWORD j = 0; j < engine.GetUnitsPerBlock(); ++j) {
      EXPECT_TRUE(block.headers[j].dwFlags & WHDR_PREPARED);
      EXPECT_EQ(block.headers[j].dwBufferLength, engine.GetUnit());
      EXPECT_EQ(reinterpret_cast<BYTE*>(block.headers[j].lpData), block.data.get() + j * engine.GetUnit());
    }
  }
  EXPECT_EQ(engine.GetReadPipe()->depth(), 3);
  EXPECT_EQ(engine.GetTrackPipe()->depth(), 5);
  const SampleBlockFormat& mix = engine.GetMixBuffer()->block->format;
  EXPECT_EQ(mix.nBlockAlign, 8);
  EXPECT_EQ(mix.wBitsPerSample, 32);
  EXPECT_EQ(engine.GetMixBuffer()->block->capacity, engine.GetBlockFrames());
  engine.FreeBuffers();
  EXPECT_TRUE(engine.Blocks().empty());
  EXPECT_EQ(engine.GetReadPipe(), nullptr);
  engine.CloseDevice();
}

// Prepared (paused, every header queued) and then resumed, the device plays
// exactly the blocks the engine wrote, in order.
TEST_F(AudioPlayerTest, APreparedAndResumedEnginePlaysItsBlocksByteForByte) {
  AudioPlayer engine;
  float delay = 2.0f, preview = 0.1f, maxPreview = 1.0f;
  ASSERT_EQ(engine.Configure(22050, 1, 2, 4, 16, 4, delay, preview, maxPreview), 0);
  ASSERT_EQ(engine.GetUnitsPerBlock(), 2u);  // 22050 bytes a block: two units of 8192
  ASSERT_TRUE(engine.OpenDevice());
  ASSERT_TRUE(engine.AllocBuffers());
  std::vector<BYTE> expected;
  std::vector<float> mix(engine.GetBlockFrames());
  for (std::size_t b = 0; b < engine.Blocks().size(); ++b) {
    for (std::size_t i = 0; i < mix.size(); ++i) mix[i] = 20000.0f * std::sin(0.01f * (i + b * mix.size()));
    const AudioPlayer::Block& block = engine.Blocks()[b];
    engine.GetWriter()(block.data.get(), mix.data(), engine.GetBlockBytes());
    expected.insert(expected.end(), block.data.get(), block.data.get() + engine.GetBlockBytes());
    for (DWORD j = 0; j < engine.GetUnitsPerBlock(); ++j) {
      ASSERT_EQ(waveOutWrite(engine.GetWaveOut(), &block.headers[j], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
  }
  VirtualAudio::Advance(1000);  // paused: nothing plays
  EXPECT_TRUE(VirtualAudio::Played(0).empty());
  ASSERT_EQ(waveOutRestart(engine.GetWaveOut()), MMSYSERR_NOERROR);
  for (int i = 0; i < 40; ++i) VirtualAudio::Advance(100);
  EXPECT_EQ(VirtualAudio::Played(0), expected);

  // The close notice ends the command thread and is passed to the owner.
  EnsureMessageQueue();
  HWND owner = reinterpret_cast<HWND>(0x1234);
  engine.owner = owner;
  engine.FreeBuffers();
  engine.CloseDevice();
  EXPECT_TRUE(WaitUntil([&] { return !engine.HasCommandThread(); }));
  EXPECT_EQ(WaitForSingleObject(engine.GetDeviceEvent(), 0), WAIT_OBJECT_0);
  MSG message;
  EXPECT_TRUE(WaitUntil([&] { return PeekMessage(&message, owner, 0, 0, PM_REMOVE) != 0; }));
  EXPECT_EQ(message.message, MM_WOM_CLOSE);
  EXPECT_EQ(message.wParam, 0u);

  // The next opening starts a command thread of its own.
  DWORD before = engine.GetCommandThreadId();
  ASSERT_TRUE(engine.OpenDevice());
  EXPECT_TRUE(engine.HasCommandThread());
  EXPECT_NE(engine.GetCommandThreadId(), before);
  engine.CloseDevice();
}

TEST_F(AudioPlayerTest, TheCommandThreadEndsOnItsQuitMessage) {
  AudioPlayer engine;
  DWORD id = 0;
  const auto quickest = QuickestOf(
      5,
      [&] {
        ASSERT_EQ(engine.StartCommandThread(), 0);
        ASSERT_TRUE(engine.HasCommandThread());
        id = engine.GetCommandThreadId();
      },
      [&] { engine.StopCommandThread(); });
  // Woken, not timed out: a wait that only a time-out ends takes that long
  // in every round, where a busy machine holds back only some.
  EXPECT_LT(quickest, std::chrono::milliseconds(200));
  EXPECT_FALSE(engine.HasCommandThread());
  EXPECT_FALSE(PostThreadMessage(id, WM_USER, 0, 0));  // its queue is gone
}

}  // namespace
