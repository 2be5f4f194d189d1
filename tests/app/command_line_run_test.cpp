// The program started from the command line: exports that write their file
// and end, and a playback that plays and ends, all unattended.
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "program_fixture.h"

#include "app/command_line.h"
#include "audio/export_io.h"
#include "platform/core/paths.h"
#include "support/file_bytes.h"

namespace apptest {
namespace {

class CommandLineRun : public ProgramTest {
 protected:
  // A project holding the tone (and the picture, when ffmpeg is here).
  std::string Project(bool withVideo) {
    WriteTone(File("tone.wav"), withVideo ? 2000 : 3000);
    std::vector<std::string> media = {File("tone.wav")};
    if (withVideo) {
      EXPECT_TRUE(Shell("ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=25 -t 2 -c:v mjpeg -q:v 5 '" +
                      File("picture.avi") + "'"));
      media.insert(media.begin(), File("picture.avi"));
    }
    Start();
    MakeProject(File("p.tml"), media);
    Stop();
    // A run that ended abnormally left its autosave: an unattended start
    // must not ask about it.
    std::ofstream(PathJoin(SoundFolder(), "autosave.tml")) << "left over";
    return File("p.tml");
  }
  // The exit status of kobrix with args (-1: it did not end by itself), and
  // what it wrote on its standard error.
  int Status(const std::string& args, std::string* errors = nullptr) { return RunProgram(args, errors); }
  // What a run of kobrix with args (in the test's folder) answered: its
  // exit status (-1: it did not end) and its two streams. A run that goes
  // on as an instance is told to stop (SIGTERM) once its standard error
  // holds shown.
  struct Answer {
    int status = -1;
    std::string out, err;
  };
  Answer Run(const std::string& args, const std::string& shown = "") {
    const std::string out = File("stdout.txt"), err = File("stderr.txt");
    std::filesystem::remove(err);
    const pid_t child = fork();
    if (child == 0) {
      execl("/bin/sh", "sh", "-c",
            ("cd " + Quoted(folder_.path()) + " && exec " + ChildEnvironment() + "'" KOBRIX_PROGRAM "' " + args +
             " >" + Quoted(out) + " 2>" + Quoted(err))
                .c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    started_.push_back(child);
    int status = 0;
    bool ended = false, told = false;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(ended = waitpid(child, &status, WNOHANG) == child) && std::chrono::steady_clock::now() < limit) {
      if (!told && !shown.empty() && ReadFile(err).find(shown) != std::string::npos) told = kill(child, SIGTERM) == 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Answer answer;
    answer.out = ReadFile(out);
    answer.err = ReadFile(err);
    if (ended && WIFEXITED(status)) answer.status = WEXITSTATUS(status);
    return answer;
  }
  int Kobrix(const std::string& args, std::string* output = nullptr, const std::string& environment = "") {
    std::string text;
    const bool ok =
        Shell(ChildEnvironment() + environment + " timeout 60 '" KOBRIX_PROGRAM "' " + args + " 2>&1", &text);
    if (output != nullptr) *output = text;
    return ok ? 0 : 1;
  }
};

TEST_F(CommandLineRun, WaveExportWritesTheProjectsSound) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  const std::string project = Project(false);
  std::string log;
  ASSERT_EQ(Kobrix("'" + project + "' /wave '" + File("out.wav") + "'", &log), 0) << log;
  std::string info;
  ASSERT_TRUE(Shell("sox --i -r '" + File("out.wav") + "'", &info)) << log;
  EXPECT_EQ(std::stoi(info), 44100);
  ASSERT_TRUE(Shell("sox --i -s '" + File("out.wav") + "'", &info));
  EXPECT_EQ(std::stol(info), 3 * 44100);
  // The tone comes out as it went in.
  ASSERT_TRUE(Shell("sox -m -v 1 '" + File("out.wav") + "' -v -1 '" + File("tone.wav") + "' -n stat 2>&1 | "
                  "grep 'Maximum amplitude' | awk '{print $3}'",
                  &info));
  EXPECT_LT(std::stod(info), 0.001);
}

TEST_F(CommandLineRun, AviExportWritesEveryFrame) {
  if (!HaveTool("ffmpeg") || !HaveTool("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string project = Project(true);
  std::string log;
  ASSERT_EQ(Kobrix("'" + project + "' /avi '" + File("out.avi") + "'", &log), 0) << log;
  std::string frames;
  ASSERT_TRUE(Shell("ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames,r_frame_rate "
                  "-of csv=p=0 '" + File("out.avi") + "'",
                  &frames))
      << log;
  EXPECT_NE(frames.find("25/1"), std::string::npos) << frames;
  // Two seconds of picture with the tone under it.
  EXPECT_NE(frames.find(",50"), std::string::npos) << frames;
  std::string sound;
  ASSERT_TRUE(Shell("ffmpeg -v error -i '" + File("out.avi") + "' -map 0:a -f s16le - | wc -c", &sound));
  EXPECT_EQ(std::stol(sound), 2 * 44100 * 4) << sound;
}

TEST_F(CommandLineRun, PlayPlaysTheProjectAndEnds) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  const std::string project = Project(false);
  std::string log;
  ASSERT_EQ(Kobrix("'" + project + "' /play", &log, "KOBRIX_AUDIO_RECORD='" + File("played.wav") + "'"), 0) << log;
  // What the device played holds the tone from its start.
  ASSERT_TRUE(Shell("sox '" + File("played.wav") + "' '" + File("head.wav") + "' trim 0 2.9", &log)) << log;
  ASSERT_TRUE(Shell("sox '" + File("tone.wav") + "' '" + File("tonehead.wav") + "' trim 0 2.9", &log)) << log;
  std::string peak;
  ASSERT_TRUE(Shell("sox -m -v 1 '" + File("head.wav") + "' -v -1 '" + File("tonehead.wav") +
                    "' -n stat 2>&1 | grep 'Maximum amplitude' | awk '{print $3}'",
                    &peak));
  EXPECT_LT(std::stod(peak), 0.001);
}

// An unattended export exits with 0 exactly when its whole file is there;
// otherwise it says why on its standard error. None waits for an answer.
TEST_F(CommandLineRun, TheStatusIsZeroExactlyWhenTheWholeFileWasWritten) {
  const std::string project = Project(false);
  Start();
  MakeProject(File("empty.tml"), {});
  Stop();
  WriteTone(File("gone.wav"), 500);
  Start();
  MakeProject(File("gone.tml"), {File("gone.wav")});
  Stop();
  std::filesystem::remove(File("gone.wav"));
  ASSERT_EQ(mkdir(File("proj").c_str(), 0755), 0);
  const std::string projectBytes = ReadFile(project), toneBytes = ReadFile(File("tone.wav"));
  struct Case {
    const char* what;
    std::string args;
    std::string target;
    int status;
    std::string says;
  } cases[] = {
      {"a project with sound", Quoted(project) + " /wave " + Quoted(File("a.wav")), File("a.wav"), 0, ""},
      {"as AIFF", Quoted(project) + " /aiff " + Quoted(File("a.aif")), File("a.aif"), 0, ""},
      {"a project without clips", Quoted(File("empty.tml")) + " /wave " + Quoted(File("b.wav")), File("b.wav"), 1,
       "no file was written"},
      {"a project that is not there", Quoted(File("none.tml")) + " /wave " + Quoted(File("c.wav")), File("c.wav"),
       1, "Can not open file"},
      {"the project itself as the target", Quoted(project) + " /wave " + Quoted(project), "", 1,
       "is open in the program"},
      {"a source of the project as the target", Quoted(project) + " /wave " + Quoted(File("tone.wav")), "", 1,
       "no file was written"},
      {"a project whose media are missing", Quoted(File("gone.tml")) + " /wave " + Quoted(File("d.wav")),
       File("d.wav"), 1, "gone.wav"},
      {"words after the file", Quoted(project) + " /wave " + Quoted(File("e.wav")) + " more words", File("e.wav"),
       0, ""},
      // The folder named is the one that is missing, not the one a ".."
      // after it would lead back to.
      {"a missing folder on the way", Quoted(project) + " /wave " + Quoted(File("proj/nosuch/../f.wav")), File("proj/f.wav"), 1,
       "The folder '" + File("proj/nosuch") + "' does not exist."},
      {"a slash after the name", Quoted(project) + " /wave " + Quoted(File("g.wav/")), File("g.wav"), 1,
       "'" + File("g.wav/") + "' ends with a slash, which names a folder, not a file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string errors;
    EXPECT_EQ(Status(c.args, &errors), c.status) << errors;
    if (c.status == 0) {
      EXPECT_TRUE(std::filesystem::exists(c.target));
      EXPECT_EQ(errors, "");
    } else {
      EXPECT_NE(errors.find(c.says), std::string::npos) << errors;
      if (!c.target.empty()) EXPECT_FALSE(std::filesystem::exists(c.target));
    }
  }
  EXPECT_EQ(ReadFile(project), projectBytes);
  EXPECT_EQ(ReadFile(File("tone.wav")), toneBytes);
}

// Every command line answers at once, on the stream its kind calls for.
// The usage asked for goes to the standard output with the status 0. A line
// the program does not understand starts nothing: the reason and the usage
// go to the standard error with the status 2. A file that is not there gets
// the program's own message, which a run without a display writes on its
// standard error before it goes on as an instance (told to stop here). No
// instance is left to take a later start.
TEST_F(CommandLineRun, EveryLineAnswersWithItsStatusStreamAndText) {
  const std::string project = Project(false);
  // The instances below would offer it, on their standard error.
  std::filesystem::remove(PathJoin(SoundFolder(), "autosave.tml"));
  // A media file the unattended modes are asked to run on.
  WriteTone(File("song.wav"), 300);
  const std::string usage = std::string(kCommandLineUsageText) + "\n";
  const auto misuse = [&usage](const std::string& reason) { return "kobrix: " + reason + "\n" + usage; };
  const struct {
    const char* what;
    std::string args;
    int status;
    std::string out;
    std::string err;
    // An instance that goes on: its standard error holds err, then it is
    // told to stop.
    bool goesOn = false;
  } cases[] = {
      {"the usage", "'?'", 0, usage, ""},
      {"the usage, with a slash", "'/?'", 0, usage, ""},
      {"the usage, long", "--help", 0, usage, ""},
      {"the usage, short", "-h", 0, usage, ""},
      {"an unknown option", Quoted(project) + " /bogus", 2, "", misuse("unknown option '/bogus'")},
      {"an unknown option with a file", Quoted(project) + " /mp3 a.mp3", 2, "", misuse("unknown option '/mp3'")},
      {"an export without its file", Quoted(project) + " /wave", 2, "",
       misuse("the option '/wave' needs an output file")},
      {"an export with an empty file name", Quoted(project) + " /AVI ''", 2, "",
       misuse("the option '/AVI' needs an output file")},
      {"an export option alone", "/wave", 2, "", misuse("the option '/wave' needs a file before it")},
      {"a play option before the project", "/play " + Quoted(project), 2, "",
       misuse("the option '/play' needs a file before it")},
      {"an empty name before an option", "'' /wave e.wav", 2, "",
       misuse("the file before the option '/wave' is an empty name")},
      // A mode runs on a project: on a media file nothing would ever end it.
      {"a WAVE export of a media file", "song.wav /wave out.wav", 2, "",
       misuse("the option '/wave' needs a project (.tml) before it, not 'song.wav'")},
      {"an AIFF export of a media file", "song.wav /aiff out.aif", 2, "",
       misuse("the option '/aiff' needs a project (.tml) before it, not 'song.wav'")},
      {"an AVI export of a media file", "song.wav /avi out.avi", 2, "",
       misuse("the option '/avi' needs a project (.tml) before it, not 'song.wav'")},
      {"playing a media file", "song.avi /play", 2, "",
       misuse("the option '/play' needs a project (.tml) before it, not 'song.avi'")},
      {"a file at the root that is not there", "/bogus", 0, "", "kobrix: Open Clip: File '/bogus' does not exist\n",
       true},
      // A second word that is no option: only the file before it is opened.
      {"the same with a project after it", "/bogus p.tml", 0, "",
       "kobrix: Open Clip: File '/bogus' does not exist\n", true},
      {"a project that is not there", "none.tml", 0, "",
       "kobrix: Open Project: Can not open file '" + File("none.tml") + "'\nThe file does not exist.\n", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto started = std::chrono::steady_clock::now();
    const Answer answer = Run(c.args, c.goesOn ? c.err : "");
    // A guard against a hang: a run that does not end by itself (or on its
    // SIGTERM) is left at 30 s; an answer takes a start-up, a busy machine
    // a few seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_EQ(answer.status, c.status);
    EXPECT_EQ(answer.out, c.out);
    EXPECT_EQ(answer.err, c.err);
  }
  for (const char* output : {"e.wav", "out.wav", "out.aif", "out.avi"})
    EXPECT_FALSE(std::filesystem::exists(File(output))) << output;
  // Nothing of an instance is left: no socket a later start would find, and
  // an export (which refuses to run beside an instance) runs.
  const std::string own = "peer-" + std::to_string(getpid()) + ".sock";
  for (const auto& entry : std::filesystem::directory_iterator(RuntimeFolder())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name.rfind("peer-", 0) != 0 || name == own) << name;
  }
  std::string errors;
  EXPECT_EQ(Status(Quoted(project) + " /wave " + Quoted(File("after.wav")), &errors), 0) << errors;
  EXPECT_TRUE(std::filesystem::exists(File("after.wav")));
}

// The autosave a run that ended abnormally left is offered by the next
// start that asks; an unattended run in between leaves it where it is.
TEST_F(CommandLineRun, AnUnattendedRunKeepsTheAutosaveAnEarlierRunLeft) {
  const std::string project = Project(false);
  const std::string autosave = PathJoin(SoundFolder(), "autosave.tml");
  const std::string left = ReadFile(autosave);
  ASSERT_FALSE(left.empty());
  std::string errors;
  EXPECT_EQ(Status(Quoted(project) + " /wave " + Quoted(File("out.wav")), &errors), 0) << errors;
  EXPECT_EQ(ReadFile(autosave), left);
}

// Killed at any moment, an export leaves the file it was to replace whole:
// either the earlier one or the complete new one.
TEST_F(CommandLineRun, KillsDuringAnExportLeaveTheEarlierFileWhole) {
  const std::string project = Project(false);
  ASSERT_EQ(Status(Quoted(project) + " /wave " + Quoted(File("whole.wav"))), 0);
  const std::string whole = ReadFile(File("whole.wav"));
  const std::string earlier = "the earlier export";
  const std::string target = File("out.wav");
  std::ofstream(target) << earlier;
  // What is in the folder beside what was there before the runs.
  const std::vector<std::string> before = Entries(folder_.path());
  auto temporaries = [this, &before] { return Entries(folder_.path()).size() - before.size(); };
  int killed = 0;
  for (int i = 0; i < 20; ++i) {
    const pid_t child = fork();
    if (child == 0) {
      execl("/bin/sh", "sh", "-c",
            ("exec " + ChildEnvironment() + "'" KOBRIX_PROGRAM "' " + Quoted(project) + " /wave " + Quoted(target))
                .c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    // Once the new file is on its way (or the run is over), a little later.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    bool ended = false;
    while (std::chrono::steady_clock::now() < limit && temporaries() == 0) {
      if ((ended = waitpid(child, &status, WNOHANG) == child)) break;
    }
    if (!ended) {
      std::this_thread::sleep_for(std::chrono::milliseconds(i % 5 * 3));
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      killed += WIFSIGNALED(status) ? 1 : 0;
    }
    const std::string now = ReadFile(target);
    EXPECT_TRUE(now == earlier || now == whole) << "run " << i << ": " << now.size() << " bytes";
  }
  EXPECT_GT(killed, 0);
  // The next export clears what the killed ones left beside the file.
  ASSERT_EQ(Status(Quoted(project) + " /wave " + Quoted(target)), 0);
  EXPECT_EQ(ReadFile(target), whole);
  EXPECT_EQ(temporaries(), 0u);
}

// A stop signal during a long export: the export notices the close that
// asks nothing and stops, and the program ends by itself within its grace
// (a forced end would have ended it by the signal), removing the file it
// was writing; the earlier file stays whole. A second signal ends it at
// once, and that end too removes the file being written.
TEST_F(CommandLineRun, AStopDuringALongExportEndsItAndLeavesNoTemporary) {
  // Six hours of silence, nearly all a WAVE file holds: a sparse file, that
  // costs no disk. Its export takes longer than the grace.
  const std::string silence = File("silence.wav");
  constexpr uint32_t kDataBytes = 3'900'000'000u;
  {
    WriteTone(silence, 0);
    std::fstream head(silence, std::ios::in | std::ios::out | std::ios::binary);
    auto put = [&head](std::streamoff at, uint32_t v) {
      head.seekp(at);
      for (int i = 0; i < 4; ++i) head.put(static_cast<char>(v >> (8 * i)));
    };
    put(4, 36 + kDataBytes);
    put(40, kDataBytes);
  }
  ASSERT_EQ(truncate(silence.c_str(), 44 + static_cast<off_t>(kDataBytes)), 0);
  struct statvfs disk;
  ASSERT_EQ(statvfs(folder_.path().c_str(), &disk), 0);
  // The export asks for room for the whole file before it starts.
  if (static_cast<uint64_t>(disk.f_bavail) * disk.f_frsize < kDataBytes + (64ull << 20))
    GTEST_SKIP() << "not enough free disk for the export to start";
  Start();
  MakeProject(File("p.tml"), {silence});
  Stop();
  const std::string target = File("out.wav");
  const std::string earlier = "the earlier export";
  const std::string err = temp_.File("stderr.txt");
  for (const bool second : {false, true}) {
    SCOPED_TRACE(second ? "a second signal" : "one signal");
    std::ofstream(target) << earlier;
    const std::vector<std::string> before = Entries(folder_.path());
    const pid_t child = fork();
    if (child == 0) {
      execl("/bin/sh", "sh", "-c",
            ("exec " + ChildEnvironment() + "'" KOBRIX_PROGRAM "' " + Quoted(File("p.tml")) + " /wave " +
             Quoted(target) + " 2>" + Quoted(err))
                .c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    started_.push_back(child);
    // Once the new file is on its way (a guard against a hang: 60 s).
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Entries(folder_.path()) == before && std::chrono::steady_clock::now() < limit &&
           waitpid(child, nullptr, WNOHANG) == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_NE(Entries(folder_.path()), before) << "the export did not start: " << ReadFile(err);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_EQ(kill(child, SIGTERM), 0);
    if (second) kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (second) {
      EXPECT_TRUE(WIFSIGNALED(status)) << status;
    } else {
      ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal, after its grace: " << status;
      EXPECT_EQ(WEXITSTATUS(status), 1);
      EXPECT_NE(ReadFile(err).find("no file was written to '" + target + "': the export was stopped"),
                std::string::npos)
          << ReadFile(err);
    }
    EXPECT_EQ(ReadFile(target), earlier);
    EXPECT_EQ(Entries(folder_.path()), before);
  }
  std::filesystem::remove(silence);
}

// A second user on the machine: the runtime folder made first by them is
// not used, and the links they plant where the program writes are never
// followed. As root the plants are made as another user (setpriv); else
// as the same user, in folders only a stranger's mode would leave open.
TEST_F(CommandLineRun, AnotherUsersPlantsAreNeitherUsedNorFollowed) {
  WriteTone(File("short.wav"), 300);
  Start();
  MakeProject(File("short.tml"), {File("short.wav")});
  Stop();
  const std::string project = File("short.tml");
  const bool asStranger = getuid() == 0 && HaveTool("setpriv");
  const std::string shared = File("shared");
  ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  ASSERT_EQ(chmod(folder_.path().c_str(), 0755), 0);
  const std::string victim = File("notes.txt");
  std::ofstream(victim) << "notes";
  const std::string uid = std::to_string(getuid());
  const std::string plant = "umask 0; mkdir -m 0777 " + Quoted(shared + "/kobrix-" + uid) + " " +
                            Quoted(shared + "/state") + " " + Quoted(shared + "/state/kobrix") + " && ln -s " +
                            Quoted(shared + "/made-by-lock") + " " +
                            Quoted(shared + "/kobrix-" + uid + "/KobrixGlobalLockEvent.lock") + " && ln -s " +
                            Quoted(victim) + " " + Quoted(shared + "/state/kobrix/autosave.tml") + " && ln -s " +
                            Quoted(victim) + " " + Quoted(shared + "/state/kobrix/KOBRIX.TMP");
  ASSERT_TRUE(Shell((asStranger ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "") +
                    std::string("sh -c ") + Quoted(plant)));
  // Started with /play it renders the play file and takes the lock.
  std::string log;
  EXPECT_TRUE(Shell("env KOBRIX_HOME='" + home_->path() + "' XDG_STATE_HOME='" + shared + "/state' TMPDIR='" +
                        shared + "' XDG_RUNTIME_DIR= KOBRIX_GUI=headless KOBRIX_AUDIO=virtual timeout 60 '" KOBRIX_PROGRAM
                        "' " + Quoted(project) + " /play 2>&1",
                    &log))
      << log;
  EXPECT_EQ(ReadFile(victim), "notes");
  EXPECT_FALSE(std::filesystem::exists(shared + "/made-by-lock"));
  for (const auto& entry : std::filesystem::directory_iterator(shared + "/kobrix-" + uid))
    EXPECT_EQ(entry.path().filename(), "KobrixGlobalLockEvent.lock") << "the planted folder was used";
}

// An export into a folder the user may not write names the folder.
TEST_F(CommandLineRun, AnExportIntoAReadOnlyFolderSaysTheFolderCannotBeWritten) {
  const bool video = HaveTool("ffmpeg");
  const std::string project = Project(video);
  // Root writes anywhere: the run is another user's then.
  const bool asStranger = getuid() == 0;
  if (asStranger && !HaveTool("setpriv")) GTEST_SKIP() << "setpriv is not installed";
  ASSERT_EQ(chmod(folder_.path().c_str(), 0755), 0);
  const std::string readOnly = File("read-only");
  ASSERT_EQ(mkdir(readOnly.c_str(), 0555), 0);
  ASSERT_EQ(chmod(readOnly.c_str(), 0555), 0);
  const std::string own = File("own");
  ASSERT_EQ(mkdir(own.c_str(), 0777), 0);
  ASSERT_EQ(chmod(own.c_str(), 0777), 0);
  const std::string target = readOnly + (video ? "/out.avi" : "/out.wav");
  const std::string run = "env KOBRIX_HOME=" + Quoted(own) + " XDG_STATE_HOME=" + Quoted(own) + " TMPDIR=" +
                          Quoted(own) + " XDG_RUNTIME_DIR= KOBRIX_GUI=headless KOBRIX_AUDIO=virtual timeout 60 " +
                          Quoted(asStranger ? ProgramForOthers() : KOBRIX_PROGRAM) + " " + Quoted(project) +
                          (video ? " /avi " : " /wave ") + Quoted(target);
  std::string errors;
  EXPECT_FALSE(Shell((asStranger ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "") + run + " 2>&1",
                     &errors));
  EXPECT_NE(errors.find("The folder '" + readOnly + "' can not be written."), std::string::npos) << errors;
  EXPECT_EQ(errors.find("does not exist"), std::string::npos) << errors;
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(CommandLineRun, AStartRemovesTheFoldersOfKilledInstancesOnly) {
  const std::string project = Project(false);
  // A process that has ended, so its number names no instance.
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const std::string tmp = temp_.path();
  const std::string dead = tmp + "/kobrix-" + std::to_string(gone) + "-aB3dE9";
  const std::string live = tmp + "/kobrix-" + std::to_string(getpid()) + "-aB3dE9";
  const std::string other = File("elsewhere");
  const std::string link = tmp + "/kobrix-" + std::to_string(gone) + "-linkd0";
  for (const std::string& folder : {dead, live, other}) {
    std::filesystem::create_directory(folder);
    std::ofstream(folder + "/vfx000_001.avi") << "frames";
  }
  std::filesystem::create_directory_symlink(other, link);
  ASSERT_EQ(Status(Quoted(project) + " /wave " + Quoted(File("out.wav"))), 0);
  EXPECT_FALSE(std::filesystem::exists(dead));
  EXPECT_TRUE(std::filesystem::exists(live + "/vfx000_001.avi"));
  // A link in the folder's place is neither removed through nor followed.
  EXPECT_TRUE(std::filesystem::exists(other + "/vfx000_001.avi"));
}

// Exports that fail leave the earlier file at the target as it was: a disk
// that is full before the export starts, and one that fills during it.
TEST_F(CommandLineRun, AFailedExportKeepsTheEarlierFile) {
  WriteTone(File("tone.wav"), 1000);
  Start();
  MakeProject(File("p.tml"), {File("tone.wav")});
  class FullDisk : public ExportIo {
   public:
    explicit FullDisk(bool fillsDuring) : fillsDuring_(fillsDuring) {}
    bool FreeSpace(const char* name, ULONGLONG* bytes) override {
      if (fillsDuring_) return ExportIo::FreeSpace(name, bytes);
      *bytes = 0;
      return true;
    }
    LONG Write(HMMIO file, const void* data, LONG bytes) override {
      if (fillsDuring_ && (written_ += bytes) > 4096) return -1;
      return ExportIo::Write(file, data, bytes);
    }

   private:
    bool fillsDuring_;
    LONG written_ = 0;
  };
  for (bool fillsDuring : {false, true}) {
    SCOPED_TRACE(fillsDuring ? "fills during" : "full before");
    const std::string target = File(fillsDuring ? "during.wav" : "before.wav");
    std::ofstream(target) << "the earlier export";
    FullDisk disk(fillsDuring);
    ExportIo* before = SetExportIo(&disk);
    boxes_->shown.clear();
    EXPECT_FALSE(TimeLine().WriteAudio(0, target.c_str()));
    SetExportIo(before);
    EXPECT_EQ(ReadFile(target), "the earlier export");
    // The box names the user's file, not the one the export was writing.
    ASSERT_FALSE(boxes_->shown.empty());
    for (const auto& box : boxes_->shown) {
      EXPECT_NE(box.text.find("'" + target + "'"), std::string::npos) << box.text;
      EXPECT_EQ(box.text.find(".kobrix-"), std::string::npos) << box.text;
      EXPECT_EQ(box.text.find("/proc/"), std::string::npos) << box.text;
    }
  }
}

}  // namespace
}  // namespace apptest
