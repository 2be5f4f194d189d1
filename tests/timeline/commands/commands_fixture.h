// The time-line window with lines that answer drops as a test tells them, in
// a frame that loads the time-line's keys and records the commands passed up
// to it; the program's side of adding files recorded; media files written
// by the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/audio_source_hooks.h"
#include "model/changed_ranges.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/time_code.h"
#include "model/undo_history.h"
#include "platform/codecs/dib.h"
#include "timeline/commands/add_file_host.h"
#include "timeline/fake_drop_target.h"
#include "timeline/window/timeline_fixture.h"

namespace timelinetest {

class CommandTimeLine : public MainTimeLineWindow {
 public:
  explicit CommandTimeLine(TimeLinePlayers* players) : MainTimeLineWindow(nullptr, players) {}
  LineDropTarget* DropTarget(int32_t kind) override {
    if (kind == kKindVideo) return &video;
    if (kind == kKindAudio) return &audio;
    if (kind == kKindMidi) return &midi;
    return nullptr;
  }
  void ShowMidiLine() override { ++midiLineShown; }

  FakeDropTarget video, audio, midi;
  int midiLineShown = 0;
};

// Loads the time-line's keys as the project frame does.
class CommandFrame : public TestFrame {
 public:
  explicit CommandFrame(TWindow* client) : TestFrame(client) {
    Attr.AccelTable = TResId(kTimeLineAccelerators);
  }
  void CmAddSourceFile() { commands.push_back(kCmAddSourceFile); }
  std::vector<int> commands;
  DECLARE_RESPONSE_TABLE(CommandFrame);
};

// The application, the collection and the convert question as adding a
// file meets them.
class RecordingHost : public AddFileHost {
 public:
  RecordingHost() { before_ = SetAddFileHost(this); }
  ~RecordingHost() override { SetAddFileHost(before_); }

  void SetFrameRate(float rate) override {
    rates.push_back(rate);
    SetProjectFrameRate(rate);
  }
  void SetAudioFormat(int32_t rate, int32_t channels, int32_t sampleType) override {
    formats.push_back({rate, channels, sampleType});
    if (output) {
      output->nSamplesPerSec = static_cast<DWORD>(rate);
      output->nChannels = static_cast<WORD>(channels);
    }
  }
  bool CollectionFrameExists() override { return collectionFrame; }
  void ShowCollection() override { ++collectionShown; }
  void AddToCollection(const char* path, int32_t skip) override { added.push_back({path, skip}); }
  int AskConvert(HWND, const char* path, bool compressed, int32_t rate, int32_t& channels,
                 int32_t& bits) override {
    questions.push_back({path, compressed, rate, channels, bits});
    if (chosenChannels > 0) channels = chosenChannels;
    if (chosenBits > 0) bits = chosenBits;
    return answer;
  }
  std::string ConverterFolder() override { return folder.empty() ? AddFileHost::ConverterFolder() : folder; }

  struct Format {
    int32_t rate, channels, sampleType;
  };
  struct Added {
    std::string path;
    int32_t skip;
  };
  struct Question {
    std::string path;
    bool compressed;
    int32_t rate, channels, bits;
  };
  std::vector<float> rates;
  std::vector<Format> formats;
  std::vector<Added> added;
  std::vector<Question> questions;
  WAVEFORMATEX* output = nullptr;
  bool collectionFrame = true;
  int collectionShown = 0;
  int answer = kConvertCancel;
  int32_t chosenChannels = 0;
  int32_t chosenBits = 0;
  std::string folder;

 private:
  AddFileHost* before_;
};

// The engine's output as the audio sources see it.
class OutputHooks : public AudioSourceHooks {
 public:
  OutputHooks() {
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 44100 * 4;
    before_ = SetAudioSourceHooks(this);
  }
  ~OutputHooks() override { SetAudioSourceHooks(before_); }
  WAVEFORMATEX OutputFormat() override { return format; }
  WAVEFORMATEX format{};

 private:
  AudioSourceHooks* before_;
};

// Answers the boxes as the film tests' script does, and keeps the beeps.
class BeepingBoxes : public MessageBoxPresenter {
 public:
  explicit BeepingBoxes(filmtest::ScriptedBoxes& boxes) : boxes_(boxes) {
    before_ = SetMessageBoxPresenter(this);
  }
  ~BeepingBoxes() override { SetMessageBoxPresenter(before_); }
  int Show(HWND owner, const std::string& text, const std::string& caption, UINT flags) override {
    return boxes_.Show(owner, text, caption, flags);
  }
  void Beep(UINT type) override { beeps.push_back(type); }
  std::vector<UINT> beeps;

 private:
  filmtest::ScriptedBoxes& boxes_;
  MessageBoxPresenter* before_;
};

class CommandsTest : public TimeLineTest {
 protected:
  // The window in its frame, with the lines' drops faked.
  CommandTimeLine& OpenCommands(int w = 1000, int h = 700) {
    auto* window = new CommandTimeLine(nullptr);
    window_ = window;
    frame_ = new CommandFrame(window);
    frame_->Attr.X = 40;
    frame_->Attr.Y = 40;
    frame_->Attr.W = w;
    frame_->Attr.H = h;
    EXPECT_TRUE(frame_->Create());
    frame_->Show(SW_SHOWNORMAL);
    GuiPumpMessages();
    window->SendMessage(kTimeLineRequestMessage, kRequestMeasureTimeText, 0);
    GuiPumpMessages();
    // A new window has the whole play file mixed again; the tests look for
    // what their commands change.
    for (TimeRange& r : LineChangedRange) r.Clear();
    return *window;
  }
  CommandFrame& Frame() { return *static_cast<CommandFrame*>(frame_); }

  // A key with its modifiers, through the frame's key table as the
  // program's message loop passes it.
  void Press(int vk, bool ctrl = false, bool shift = false, bool alt = false);
  void Command(int id) { window_->SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }
  bool Enabled(int id);

  // The texts of the boxes shown so far, with their captions.
  std::vector<std::string> BoxTexts() const;
  int32_t Count() const { return FilmList.Count(); }
  std::vector<Film*> Films() const;

  filmtest::FakeAudio* Sound(const std::string& name, int32_t length = 60000) { return Audio(name, length); }
  // A clip placed on the time-line, selected.
  Film* SelectedSound(filmtest::FakeAudio* a, int32_t line, int32_t start, int32_t length) {
    Film* f = AudioFilm(a, line, start, length);
    f->group = SelectionGroup;
    return f;
  }

  // Files of the test's own.
  std::string WriteWave(const std::string& name, uint32_t rate, uint16_t channels, uint16_t bits,
                        uint32_t frames);
  // An AVI of uncompressed 24-bit pictures, or of stand-in bytes for a
  // codec named by compression; each frame a key frame.
  std::string WriteAvi(const std::string& name, int32_t width, int32_t height, double fps, int32_t frames,
                       DWORD compression = BI_RGB);
  std::string WriteMidi(const std::string& name);
  std::string FilePath(const std::string& name) const { return files_.File(name); }

  TestFolder files_{"kobrix-commands"};
  OutputHooks output_;
  BeepingBoxes beeping_{boxes};
};

}  // namespace timelinetest
