// Tiles added from files and from the time-line, deleted one by one or all
// at once, and reached by the Film model through the time-line's engine.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "collection_fixture.h"
#include "model/film.h"
#include "model/media_interfaces.h"
#include "model/timeline_engine.h"
#include "platform/audioconv/acm.h"
#include "support/file_bytes.h"
#include "ui/file_chooser_script.h"

namespace cliptest {
namespace {

class AddingTest : public CollectionTest {
 protected:
  // Tiles stay in the order they came in.
  void SetUp() override {
    CollectionTest::SetUp();
    Ini("AUTO_SORT", "0");
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int i = 0; i < collection_->TileCount(); ++i) names.push_back(collection_->Tile(i)->clip.name);
    return names;
  }
  // A clip as the time-line holds it: the parts of tile's clip.
  Film* FilmOf(int tile, int parts) {
    films_.push_back(std::make_unique<Film>(collection_->Tile(tile)->clip, 0, parts, 0, 0));
    return films_.back().get();
  }
  std::vector<std::unique_ptr<Film>> films_;
};

TEST_F(AddingTest, AFileAlreadyThereIsAddedAgainOnlyWhenTheUserSaysSo) {
  const std::string a = Wave("a.wav"), b = Wave("b.wav");
  Open();
  RecordingBoxes boxes(IDNO);
  ASSERT_TRUE(collection_->AddFile(a.c_str(), -1, 0));
  ASSERT_TRUE(collection_->AddFile(b.c_str(), -1, 0));
  EXPECT_EQ(collection_->GetSelection(), 1);
  EXPECT_TRUE(boxes.shown.empty());
  collection_->SetModified(false);

  EXPECT_TRUE(collection_->AddFile(a.c_str(), -1, 0));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Insert Clip");
  EXPECT_EQ(
      boxes.shown[0].text,
      "Clip '" + a + "' is already opened.\nDo you want to add this clip to Clip Collection once more?");
  EXPECT_EQ(boxes.shown[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(collection_->TileCount(), 2);
  EXPECT_EQ(collection_->GetSelection(), 0);  // the tile already there
  EXPECT_FALSE(collection_->IsModified());

  boxes.answer = IDYES;
  EXPECT_TRUE(collection_->AddFile(a.c_str(), 0, 0));  // after the first tile
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "a", "b"}));
  EXPECT_EQ(collection_->GetSelection(), 1);
  EXPECT_EQ(collection_->Tile(1)->clip.audio, collection_->Tile(0)->clip.audio);
  EXPECT_EQ(collection_->Tile(0)->clip.audio->referenceCount, 2);
  EXPECT_TRUE(collection_->IsModified());
}

TEST_F(AddingTest, WhatAFileGivesOrWhyItGivesNothing) {
  const std::string empty = Media("empty.avi");
  WriteFileText(empty, "");
  const std::string text = Media("notes.avi");
  WriteFileText(text, "a list of takes");
  const std::string mrv = Media("film.MRV");
  WriteAvi(mrv, 64, 48, 25.0, 10, true);
  const std::string avi = Avi("scene.avi", 10);
  const std::string upper = Wave("SHOUT.WAV", 400);
  const std::string midi = Media("tune.mid");
  WriteMidi(midi);
  struct Case {
    std::string path;
    int skip;
    bool added;
    uint32_t kind;
    std::string box;  // the error shown under "Open Clip"
  };
  const Case cases[] = {
      {Media("gone.wav"), 0, false, 0, "File '" + Media("gone.wav") + "' does not exist"},
      {empty, 0, false, 0, "The file '" + empty + "' is empty"},
      {text, 0, false, 0, "File '" + text + "' has invalid format"},
      {upper, kClipAudio, false, 0, "File '" + upper + "' has invalid format"},
      {avi, kClipVideo | kClipAudio, false, 0, "File '" + avi + "' has invalid format"},
      {avi, kClipAudio, true, kClipVideo, ""},
      {avi, kClipVideo, true, kClipAudio, ""},
      {mrv, 0, true, kClipVideo, ""},  // its own picture only, though it holds sound
      {upper, 0, true, kClipAudio, ""},
      {midi, 0, true, kClipMidi, ""},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " skipping " + std::to_string(c.skip));
    ASSERT_TRUE(collection_->DeleteAll(false));
    RecordingBoxes boxes;
    EXPECT_EQ(collection_->AddFile(c.path.c_str(), -1, c.skip), c.added);
    EXPECT_EQ(collection_->TileCount(), c.added ? 1 : 0);
    if (c.added) {
      EXPECT_EQ(collection_->Tile(0)->clip.kind, c.kind);
    }
    if (c.box.empty()) {
      EXPECT_TRUE(boxes.shown.empty());
    } else {
      ASSERT_EQ(boxes.shown.size(), 1u);
      EXPECT_EQ(boxes.shown[0].text, c.box);
      EXPECT_EQ(boxes.shown[0].caption, "Open Clip");
    }
  }
}

TEST_F(AddingTest, CompressedSoundIsConvertedOrLeftOut) {
  if (!HaveTool("ffmpeg") || !HaveTool("sox")) GTEST_SKIP() << "ffmpeg or sox is not installed";
  const std::string avi = Media("adpcm.avi"), wav = Media("adpcm.wav");
  ASSERT_TRUE(
      RunCommand("ffmpeg -v error -f lavfi -i testsrc=size=64x48:rate=25 -f lavfi -i "
                 "sine=frequency=440:sample_rate=22050 -t 1 -c:v mjpeg -c:a adpcm_ima_wav -ac 2 '" +
                 avi + "'"));
  ASSERT_TRUE(RunCommand("sox -n -r 22050 -c 1 -e ima-adpcm '" + wav + "' synth 1 sine 500 2>/dev/null"));
  const std::string question = "The program does not work with compressed audio!\nDo you want to decomress '";
  Open();
  filetest::RecordsGuard records;
  filetest::ScriptedChooser chooser;
  PcmChooser formats;
  struct Case {
    const char* what;
    std::string path;
    int answer;  // to the question
    bool added;
    uint32_t kind;
    std::string target;  // chosen for the conversion
  };
  const Case cases[] = {
      {"a picture's sound declined", avi, IDCANCEL, true, kClipVideo, ""},
      {"a sound file declined", wav, IDCANCEL, false, 0, ""},
      {"a picture's sound converted", avi, IDOK, true, kClipVideo, Media("from-avi.wav")},
      {"a sound file converted", wav, IDOK, true, kClipAudio, Media("from-wav.wav")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(collection_->DeleteAll(false));
    RecordingBoxes boxes(c.answer);
    if (!c.target.empty()) chooser.answers.push_back({ChooserResult::kOk, c.target, 1});
    EXPECT_EQ(collection_->AddFile(c.path.c_str(), -1, 0), c.added);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, question + c.path + "'?");
    EXPECT_EQ(boxes.shown[0].caption, "Insert Clip");
    EXPECT_EQ(boxes.shown[0].flags, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
    ASSERT_EQ(collection_->TileCount(), c.added ? 1 : 0);
    if (!c.added) continue;
    const ClipData& clip = collection_->Tile(0)->clip;
    EXPECT_EQ(clip.kind, c.kind);
    if (c.target.empty()) continue;
    // The save dialog started on the source's folder and name.
    ASSERT_FALSE(chooser.calls.empty());
    EXPECT_EQ(chooser.calls.back().title, "Target File name for conversion");
    EXPECT_EQ(chooser.calls.back().fileName, c.path);
    Bytes info;
    ASSERT_TRUE(RunCommand("sox --i -e '" + c.target + "'", &info)) << "sox cannot read the target";
    EXPECT_NE(std::string(info.begin(), info.end()).find("Signed Integer PCM"), std::string::npos);
    if (c.kind == kClipAudio) {
      EXPECT_EQ(std::string(clip.path), c.target);
    }
  }
  // Nothing declined left a file behind.
  int waves = 0;
  for (const auto& e : std::filesystem::directory_iterator(media_.path()))
    waves += e.path().extension() == ".wav";
  EXPECT_EQ(waves, 3);
}

TEST_F(AddingTest, PastedTimeLineClipsAskOnceForABatchAboutDuplicates) {
  const std::string avi = Avi("scene.avi", 50), wav = Wave("music.wav", 3000);
  Open();
  ASSERT_TRUE(collection_->AddFile(avi.c_str(), -1, 0));
  ASSERT_TRUE(collection_->AddFile(wav.c_str(), -1, 0));
  filetest::ScriptedRunner runner;

  // The picture alone on the time-line: its file's sound comes with it.
  Film* picture = FilmOf(0, kClipVideo);
  picture->in = 400;
  picture->out = 1200;
  std::strcpy(picture->name, "cut");
  collection_->SetSelection(0);
  int answer = 0;
  ASSERT_TRUE(collection_->PasteClip(picture, &answer));
  EXPECT_TRUE(runner.views.empty());
  ASSERT_EQ(Names(), (std::vector<std::string>{"scene", "cut", "music"}));
  const ClipData& pasted = collection_->Tile(1)->clip;
  EXPECT_EQ(pasted.kind, kClipVideo | kClipAudio);
  EXPECT_EQ(pasted.audio, collection_->Tile(0)->clip.audio);
  EXPECT_EQ(pasted.inTime, 400);
  EXPECT_EQ(pasted.outTime, 1200);
  EXPECT_EQ(pasted.duration, 800);
  EXPECT_EQ(pasted.faceTime, 400);
  EXPECT_EQ(pasted.pixels[0], 10);  // frame 10
  EXPECT_EQ(collection_->GetSelection(), 1);

  // Two duplicates in one batch: "Add all" at the first.
  Film* sound = FilmOf(2, kClipAudio);
  runner.answers.push_back({kIdAddAll, -1});
  answer = 0;
  EXPECT_TRUE(collection_->PasteClip(sound, &answer));
  EXPECT_TRUE(collection_->PasteClip(sound, &answer));
  EXPECT_EQ(answer, 1);
  ASSERT_EQ(runner.views.size(), 1u);
  EXPECT_EQ(
      runner.views[0].text,
      "Clip '" + wav + "' is already opened.\nDo you want to add this clip to Clip Collection once more?");
  EXPECT_EQ(collection_->TileCount(), 5);

  // "Skip all": nothing of the batch is added; the duplicate is selected.
  runner.answers.push_back({kIdSkipAll, -1});
  answer = 0;
  EXPECT_FALSE(collection_->PasteClip(picture, &answer));
  EXPECT_FALSE(collection_->PasteClip(picture, &answer));
  EXPECT_EQ(answer, -1);
  EXPECT_EQ(runner.views.size(), 2u);
  EXPECT_EQ(collection_->TileCount(), 5);
  EXPECT_EQ(collection_->GetSelection(), 1);
}

TEST_F(AddingTest, DeletingSelectsTheNextTileAndClearingAsksOnlyWhenThereIsSomething) {
  Open();
  {
    RecordingBoxes boxes;
    EXPECT_TRUE(collection_->DeleteAll(true));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(collection_->IsModified());
  }
  for (const char* name : {"a.wav", "b.wav", "c.wav"})
    ASSERT_TRUE(collection_->AddFile(Wave(name).c_str(), -1, 0));
  AudioData* b = collection_->Tile(1)->clip.audio;
  RecordingBoxes boxes(IDNO);
  EXPECT_FALSE(collection_->DeleteClip(1, true));
  EXPECT_FALSE(collection_->DeleteClip(3, false));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Do you want to delete clip 'b'?");
  EXPECT_EQ(boxes.shown[0].caption, "Delete Clip");
  EXPECT_EQ(collection_->TileCount(), 3);

  boxes.answer = IDYES;
  collection_->SetModified(false);
  ASSERT_TRUE(collection_->DeleteClip(1, true));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(collection_->GetSelection(), 1);
  EXPECT_EQ(AudioData::FindByName(Media("b.wav").c_str()), nullptr) << b;  // its file is let go
  EXPECT_TRUE(collection_->IsModified());
  ASSERT_TRUE(collection_->DeleteClip(1, false));
  EXPECT_EQ(collection_->GetSelection(), 0);

  boxes.answer = IDNO;
  boxes.shown.clear();
  EXPECT_FALSE(collection_->DeleteAll(true));
  EXPECT_EQ(collection_->TileCount(), 1);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Remove all clips?");
  EXPECT_EQ(boxes.shown[0].caption, "Clear Clip Collection");
  boxes.answer = IDYES;
  EXPECT_TRUE(collection_->DeleteAll(true));
  EXPECT_EQ(collection_->TileCount(), 0);
  EXPECT_EQ(collection_->GetSelection(), -1);
}

TEST_F(AddingTest, TheFilmModelReachesTheClipsThroughTheTimeLine) {
  const std::string a = Wave("a.wav", 1000), b = Wave("b.wav", 1000);
  Open();
  ASSERT_TRUE(collection_->AddFile(a.c_str(), -1, 0));
  ASSERT_TRUE(collection_->AddFile(b.c_str(), -1, 0));
  TimeLineEngine engine;
  engine.SetClipCollection(collection_);
  FilmHost* before = SetFilmHost(&engine);
  SourcesByName media;
  RecordingBoxes boxes(IDYES);

  // A file about to be written over leaves the collection.
  EXPECT_EQ(engine.GetClipCount(), 2);
  collection_->SetModified(false);
  EXPECT_TRUE(Film::RemoveClipEverywhere(a.c_str(), nullptr));
  EXPECT_EQ(Names(), std::vector<std::string>{"b"});
  EXPECT_EQ(AudioData::FindByName(a.c_str()), nullptr);
  EXPECT_TRUE(collection_->IsModified());

  // A file that changed: the clip follows it.
  AudioData* source = collection_->Tile(0)->clip.audio;
  WriteWave(b, 44100, 2, 16, 600);
  ASSERT_TRUE(source->Reload(b.c_str()));
  EXPECT_TRUE(Film::RefreshChangedSources(nullptr, true, true, nullptr, source, nullptr));
  EXPECT_EQ(collection_->Tile(0)->clip.outTime, 600);
  SetFilmHost(before);
  engine.SetClipCollection(nullptr);
}

}  // namespace
}  // namespace cliptest
