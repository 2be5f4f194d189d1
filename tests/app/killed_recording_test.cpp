// The program killed (kill -9) while its recorder writes: the file keeps the
// head the recorder wrote before the first take, its sizes never written,
// and the sound that reached it. A new start reads that sound.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "program_fixture.h"

#include "audio/audio_recorder.h"
#include "model/film_list.h"
#include "model/ini.h"
#include "platform/audio/virtual_audio.h"
#include "resources/timeline_ids.h"

extern char** environ;

namespace apptest {
namespace {

// Where the recording side records; set only in the program the test starts.
constexpr const char* kRecordInto = "KOBRIX_TEST_RECORD_INTO";

uint32_t Le32(const std::string& b, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

// The bytes of a WAVE file's samples as ffmpeg decodes them to 16 bits.
std::string Samples(const std::string& path) {
  std::string out;
  Shell("ffmpeg -v quiet -i " + Quoted(path) + " -map 0:a:0 -f s16le -", &out);
  return out;
}

class KilledRecording : public ProgramTest {};

// The recording side of ANewStartReadsWhatReachedTheFile, in a program of
// its own: the program as start-up makes it records a known signal from
// the virtual input until it is killed.
TEST_F(KilledRecording, RecordsUntilKilled) {
  const char* into = std::getenv(kRecordInto);
  if (into == nullptr) GTEST_SKIP() << "the recording side of ANewStartReadsWhatReachedTheFile";
  // The take in the program's own format, 16-bit stereo at 44100 Hz.
  IniSetSection("SOUND");
  IniWriteInt("Ratio", 44100);
  IniWriteInt("Channel_Count", 2);
  IniWriteInt("Bits", 2);
  IniSetSection("Recorder");
  IniWriteInt("Wait", 0);
  IniWriteInt("Synchronize", 0);
  IniFlush();
  VirtualAudio::Reset({VirtualDeviceSpec{}}, {VirtualDeviceSpec{}});
  VirtualAudio::SetSignal(0, [](BYTE* d, std::size_t n, ULONGLONG offset) {
    for (std::size_t i = 0; i < n; ++i)
      d[i] = static_cast<BYTE>(((offset + i) * 13 + ((offset + i) >> 9) * 7 + 1) & 0xFF);
  });
  Start();
  ASSERT_NE(RecordInto(into), nullptr);
  // Until killed; the test gives up on this side long before this ends.
  for (int i = 0; i < 6000; ++i) {
    VirtualAudio::Advance(20);
    Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

TEST_F(KilledRecording, ANewStartReadsWhatReachedTheFile) {
  if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg decodes the export";
  const std::string take = File("take.wav");
  const std::string childTemp = File("recording-side");
  std::filesystem::create_directory(childTemp);
  // The recording side runs in this test program, on the headless windows
  // and the virtual devices, with its temporary folders inside the test's.
  std::vector<std::string> settings = {std::string(kRecordInto) + "=" + take, "TMPDIR=" + childTemp,
                                       "KOBRIX_GUI=headless", "KOBRIX_AUDIO=virtual"};
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (name != kRecordInto && name != "TMPDIR" && name != "KOBRIX_GUI" && name != "KOBRIX_AUDIO")
      settings.push_back(entry);
  }
  std::vector<char*> env;
  for (std::string& s : settings) env.push_back(s.data());
  env.push_back(nullptr);
  std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string filter = "--gtest_filter=KilledRecording.RecordsUntilKilled";
  char* argv[] = {program.data(), filter.data(), nullptr};
  const std::string log = File("recording-side.txt");
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&files, 1, 2);
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, program.c_str(), &files, nullptr, argv, env.data()), 0);
  posix_spawn_file_actions_destroy(&files);
  started_.push_back(child);

  // Killed once a few blocks are in the file. The wall clock only guards
  // against a recording side that never records.
  constexpr std::uintmax_t kEnough = 44 + 256 * 1024;
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  auto size = [&take] {
    std::error_code missing;
    const std::uintmax_t n = std::filesystem::file_size(take, missing);
    return missing ? 0 : n;
  };
  while (size() < kEnough && std::chrono::steady_clock::now() < limit && waitpid(child, nullptr, WNOHANG) == 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  const std::string bytes = ReadFile(take);
  ASSERT_GE(bytes.size(), kEnough) << ReadFile(log);

  // The head as the recorder wrote it before the take: "fmt " whole, the
  // RIFF and data sizes never written.
  ASSERT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(Le32(bytes, 4), 0u);
  ASSERT_EQ(bytes.substr(12, 4), "fmt ");
  ASSERT_EQ(Le32(bytes, 16), 16u);
  ASSERT_EQ(bytes.substr(36, 4), "data");
  EXPECT_EQ(Le32(bytes, 40), 0u);
  const uint32_t rate = Le32(bytes, 24);
  const uint32_t frameBytes = static_cast<unsigned char>(bytes[32]);
  // The project takes the format of its first clip and the export writes
  // it: 16 bits, so the comparison is byte for byte.
  ASSERT_EQ(rate, 44100u);
  ASSERT_EQ(frameBytes, 4u);
  const std::string recorded = bytes.substr(44, (bytes.size() - 44) / frameBytes * frameBytes);

  // A new start: a project holding the take, exported by the program.
  Start();
  MakeProject(File("p.tml"), {take});
  const bool taken = !FilmList.Empty();
  Stop();
  ASSERT_TRUE(taken) << "the program did not read the take";
  const std::string out = File("out.wav");
  const std::string err = File("stderr.txt");
  const int status = std::system((ChildEnvironment() + " timeout 120 '" KOBRIX_PROGRAM "' " + Quoted(File("p.tml")) +
                                  " /wave " + Quoted(out) + " 2>" + Quoted(err) + " >/dev/null")
                                     .c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadFile(err);
  const std::string exported = Samples(out);
  // The clip lasts whole milliseconds: up to half of one more or less.
  const std::size_t halfMs = rate / 2000 * frameBytes + frameBytes;
  ASSERT_LE(exported.size(), recorded.size() + halfMs);
  ASSERT_GE(exported.size() + halfMs, recorded.size());
  const std::size_t common = std::min(exported.size(), recorded.size());
  EXPECT_TRUE(exported.compare(0, common, recorded, 0, common) == 0) << "the sound differs from what was recorded";
  EXPECT_EQ(exported.find_first_not_of('\0', common), std::string::npos) << "past the take: silence";
}

}  // namespace
}  // namespace apptest
