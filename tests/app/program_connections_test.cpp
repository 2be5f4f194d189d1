// What the started program connects for its windows and sources: the edit
// decision list commands of the frame, a MIDI file changed while another
// program had it, and the meters' refresh.
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "program_fixture.h"
#include "audio/audio_recorder.h"
#include "clips/clip_collection.h"
#include "clips/clip_window.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/ini.h"
#include "model/te_window.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/audio/virtual_audio.h"
#include "resources/frame_ids.h"
#include "resources/timeline_ids.h"
#include "timeline/edl_format.h"
#include "ui/level_control.h"

namespace apptest {
namespace {

class Connections : public ProgramTest {
 protected:
  void Command(int id) {
    Frame().SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0);
    Pump();
  }
  void Choose(const std::string& path) { chooser_->answers.push_back({ChooserResult::kOk, path, 1}); }
  std::set<std::string> CollectionPaths() {
    std::set<std::string> paths;
    if (TheClipCollection == nullptr) return paths;
    for (int i = 0; i < TheClipCollection->TileCount(); ++i) {
      const char* path = TheClipCollection->Tile(i)->clip.path;
      paths.insert(path != nullptr ? path : "");
    }
    return paths;
  }
  // Moves the file's last-write time on, as an outside program's save does.
  static void Touch(const std::string& path, int seconds) {
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    utimbuf times{st.st_atime, st.st_mtime + seconds};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
  }
};

TEST_F(Connections, AnImportedEditListPutsItsFilesIntoTheCollectionAndItsClipsOnTheTimeLine) {
  Start();
  WriteTone(File("first.wav"), 1000, 440);
  WriteTone(File("second.wav"), 1500, 660);
  MakeProject(File("p.tml"), {File("first.wav"), File("second.wav")});
  ASSERT_EQ(FilmList.Count(), 2);
  Choose(File("p.edl"));
  Command(kCmExportEdl);
  const std::string list = ReadFile(File("p.edl"));
  ASSERT_NE(list.find("[FileID #201"), std::string::npos) << list;
  ASSERT_NE(list.find("[FileID #203"), std::string::npos) << list;

  // A new project with an empty collection, then the list.
  Command(kCmNewProject);
  if (TheClipCollection != nullptr) TheClipCollection->DeleteAll(false);
  ASSERT_EQ(FilmList.Count(), 0);
  Choose(File("p.edl"));
  Command(kCmImportEdl);
  EXPECT_EQ(CollectionPaths(), (std::set<std::string>{File("first.wav"), File("second.wav")}));
  ASSERT_EQ(FilmList.Count(), 2);
  std::set<std::string> placed;
  for (const Film* f = FilmList.First(); f; f = f->next) {
    ASSERT_NE(f->audio, nullptr);
    placed.insert(f->audio->GetFileName());
  }
  EXPECT_EQ(placed, (std::set<std::string>{File("first.wav"), File("second.wav")}));
}

TEST_F(Connections, AnEditListsFileSectionIsReadAsTheFileFormatSays) {
  Start();
  WriteTone(File("t.wav"), 1000);
  // Leading bytes above 127 are passed over like blanks, and the ids are
  // the list's own.
  std::ofstream(File("hand.edl"), std::ios::binary)
      << "[Files, 1\r\n"
      << "\t\xa0[FileID #7\r\n"
      << "\t\t\xe9[DOS_File '" << File("t.wav") << "'\r\n"
      << "\t\t[Audio\r\n"
      << "\t]\r\n"
      << "]\r\n";
  std::FILE* file = std::fopen(File("hand.edl").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  EdlFileRecord* files = nullptr;
  EXPECT_EQ(Frame().ReadEdlFiles(file, &files), 0);
  std::fclose(file);
  ASSERT_NE(files, nullptr);
  EXPECT_EQ(files->id, 7);
  ASSERT_NE(files->audio, nullptr);
  EXPECT_STREQ(files->name, File("t.wav").c_str());
  EXPECT_EQ(files->next, nullptr);
  TMainFrame::FreeEdlFiles(files);
}

TEST_F(Connections, AMidiFileChangedWhileReleasedIsOfferedForReloading) {
  Start();
  // One track of one quarter note at 96 ticks a quarter.
  const unsigned char midi[] = {'M',  'T',  'h',  'd',  0,    0,    0,    6,    0,    0, 0,    1,    0,   96,
                                'M',  'T',  'r',  'k',  0,    0,    0,    12,   0,    0x90, 0x3C, 0x40, 0x60, 0x80,
                                0x3C, 0x40, 0,    0xFF, 0x2F, 0};
  std::ofstream(File("tune.mid"), std::ios::binary).write(reinterpret_cast<const char*>(midi), sizeof midi);
  char path[MAX_PATH];
  std::snprintf(path, sizeof path, "%s", File("tune.mid").c_str());
  boxes_->answer = IDYES;  // show the MIDI line for it
  TimeLine().AddFile(path, 0);
  Pump();
  boxes_->answer = IDNO;
  ASSERT_NE(FilmList.First(), nullptr);
  ASSERT_NE(FilmList.First()->midi, nullptr);

  const HWND window = TimeLine().GetHandle();
  ReleaseFileForTool(window, path);
  Touch(path, 10);
  boxes_->shown.clear();
  EXPECT_TRUE(ReacquireFiles(window, true));
  ASSERT_EQ(boxes_->shown.size(), 1u);
  EXPECT_NE(boxes_->shown[0].text.find("tune.mid"), std::string::npos) << boxes_->shown[0].text;
  EXPECT_EQ(boxes_->shown[0].flags & MB_YESNO, static_cast<UINT>(MB_YESNO));

  // Unchanged since: nothing to ask.
  ReleaseFileForTool(window, path);
  boxes_->shown.clear();
  EXPECT_FALSE(ReacquireFiles(window, true));
  EXPECT_TRUE(boxes_->shown.empty());
}

TEST_F(Connections, TheTimeLinesCommandsRestWhileTheClipOpenDialogIsUp) {
  Start();
  ASSERT_NE(TheClipCollection, nullptr);
  std::vector<bool> during;
  chooser_->during = [&] { during.push_back(TimeLine().Engine().commandsEnabled); };
  EXPECT_FALSE(TheClipCollection->AskAndAddFile(-1));
  EXPECT_EQ(during, std::vector<bool>{false});
  EXPECT_TRUE(TimeLine().Engine().commandsEnabled);
}

TEST_F(Connections, AChangedMeterSettingRepaintsTheOtherMeterWindows) {
  // The meter settings are the program's own; put them back after.
  const AudioMeterSettings saved = TLevelControl::Settings();
  IniSetSection("TIMELINE");
  IniWriteInt("SHOW_AUDIO_METER", 1);
  IniSetSection("Recorder");
  IniWriteInt("Wait", 0);
  IniFlush();
  VirtualAudio::Reset({VirtualDeviceSpec{}}, {VirtualDeviceSpec{}});
  Start();
  TheAudioRecorder = new TAudioRecorder();
  struct Recorder {
    ~Recorder() {
      delete TheAudioRecorder;
      TheAudioRecorder = nullptr;
    }
  } recorder;
  Choose(File("take.wav"));
  TimeLine().SendMessage(WM_COMMAND, kCmRecordAudio, 0);
  Pump();
  ASSERT_NE(TheAudioRecorder->Dialog(), nullptr);
  HWND mixer = FindWindow(nullptr, "A.Meter");
  ASSERT_NE(mixer, nullptr);
  HWND mixerMeter = FindWindowEx(mixer, nullptr, "TLevel", nullptr);
  HWND recorderMeter = FindWindowEx(TheAudioRecorder->Dialog()->GetHandle(), nullptr, "TLevel", nullptr);
  ASSERT_NE(mixerMeter, nullptr);
  ASSERT_NE(recorderMeter, nullptr);

  // A range chosen on one window's meter marks the other window's meter
  // for repainting, and so back.
  struct Case {
    HWND changed;
    HWND other;
    WPARAM range;
    float maxPickDb;
  };
  for (const Case c : {Case{mixerMeter, recorderMeter, 111, 24.0f}, Case{recorderMeter, mixerMeter, 114, 96.0f}}) {
    Pump();
    ValidateRect(c.other, nullptr);
    ASSERT_FALSE(GetUpdateRect(c.other, nullptr, FALSE));
    ::SendMessage(c.changed, WM_COMMAND, c.range, 0);
    EXPECT_EQ(TLevelControl::Settings().maxPickDb, c.maxPickDb);
    EXPECT_TRUE(GetUpdateRect(c.other, nullptr, FALSE));
  }
  TheAudioRecorder->CloseDialog();
  Pump();
  TLevelControl::Settings() = saved;
}

}  // namespace
}  // namespace apptest
