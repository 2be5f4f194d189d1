#include "app/program_seams.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/autosave.h"
#include "platform/core/files.h"
#include "app/kobrix_app.h"
#include "app/main_frame.h"
#include "app/status_text.h"
#include "app/settings/colors_sample.h"
#include "app/settings/settings_host.h"
#include "audio/audio_player.h"
#include "audio/audio_recorder.h"
#include "audio/effect_dialog_host.h"
#include "audio/effect_list_dialog.h"
#include "audio/mixer_dialog.h"
#include "audio/timeline_mixer_host.h"
#include "clips/clip_pages.h"
#include "clips/clip_property_sheet.h"
#include "timeline/header/av_buttons.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/window/timeline_dialogs.h"
#include "timeline/window/timeline_settings.h"
#include "ui/level_control.h"
#include "ui/owner_window.h"
#include "audio/effect_list.h"
#include "audio/effect_list_file.h"
#include "audio/installed_components.h"
#include "audio/midi_data.h"
#include "audio/midi_player.h"
#include "audio/midi_source_hooks.h"
#include "audio/peak_meters.h"
#include "audio/timeline_audio.h"
#include "clips/clip_collection.h"
#include "clips/clip_data.h"
#include "clips/summary_info.h"
#include "media/audio_data.h"
#include "media/audio_source_hooks.h"
#include "media/frame_decoder.h"
#include "media/progress_hooks.h"
#include "media/video_bitmap.h"
#include "media/video_data.h"
#include "media/video_source_hooks.h"
#include "model/film.h"
#include "model/edit_support.h"
#include "model/film_list.h"
#include "model/undo_history.h"
#include "model/film_records.h"
#include "model/media_interfaces.h"
#include "model/project_file.h"
#include "model/te_window.h"
#include "model/time_code.h"
#include "platform/codecs/drawdib.h"
#include "platform/core/locations.h"
#include "platform/gui/gdi.h"
#include "platform/gui/gui.h"
#include "timeline/commands/add_file_host.h"
#include "timeline/commands/command_host.h"
#include "ui/audio_format_dialogs.h"
#include "ui/file_dialogs.h"
#include "ui/file_questions.h"
#include "ui/level_control.h"
#include "ui/format_chooser_dialog.h"
#include "ui/select_vfx_dialog.h"
#include "timeline/lines/line_mechanics.h"
#include "ui/question_dialogs.h"
#include "ui/shell_services.h"
#include "ui/te_file_dialogs.h"
#include "ui/termometer_dialog.h"
#include "ui/value_dialogs.h"
#include "video/export/mpeg_export.h"
#include "video/player.h"
#include "video/player_hooks.h"
#include "video/transitions/range_render.h"
#include "video/velmora_messager.h"
#include "video/vtr.h"
#include "video/wait_dialog.h"

extern VTRecorder* TheVTRecorder;
extern MidiPlayer* TheMidiPlayer;

namespace {

MainTimeLineWindow* TimeLine() {
  return TheApp != nullptr ? TheApp->TimeLine() : TheTimeLine;
}

HWND FrameHandle() {
  return TheApp != nullptr && TheApp->MainFrame() != nullptr ? TheApp->MainFrame()->GetHandle() : nullptr;
}

// ---- The players.

class Players : public TimeLinePlayers {
 public:
  bool VideoUsable() override { return TheVideoPlayer == nullptr || TheVideoPlayer->IsUsable(); }
  bool AudioUsable() override { return TheAudioPlayer != nullptr && TheAudioPlayer->IsUsable(); }
  bool MidiUsable() override { return TheMidiPlayer != nullptr && TheMidiPlayer->IsUsable(); }
  void SetTrackVolumePan(int32_t track, int32_t gain, int32_t pan) override {
    if (TheAudioPlayer != nullptr) TheAudioPlayer->SetTrackVolumePan(track, gain, pan);
  }
  void NotifyMixer(int32_t code, int32_t arg) override {
    if (TheAudioPlayer != nullptr) TheAudioPlayer->NotifyMixer(code, arg);
  }
  void NotifyEffectDialogs(int32_t code, int32_t arg) override { EffectListDialog::RefreshAll(code, arg); }
  bool MixerShown() override { return TheAudioPlayer != nullptr && TheAudioPlayer->NotifyMixer(0, 0) != 0; }
  VideoEngine* Video() override { return TheVideoPlayer; }
  AudioEngine* Audio() override { return audio_.get(); }
  MidiEngine* Midi() override { return TheMidiPlayer; }
  WaitBeforePlay* Wait() override { return &wait_; }
  TapeControl* Tape() override { return TheVTRecorder; }
  VFX* Transitions() override { return transitions_.get(); }

  void Make() {
    if (TheAudioPlayer != nullptr && audio_ == nullptr) audio_ = std::make_unique<TimeLineAudio>(*TheAudioPlayer);
    if (transitions_ == nullptr) transitions_ = std::make_unique<VFX>();
  }
  void Free() {
    audio_.reset();
    if (transitions_ != nullptr) transitions_->FreeAll();
    transitions_.reset();
  }

 private:
  std::unique_ptr<TimeLineAudio> audio_;
  std::unique_ptr<VFX> transitions_;
  WaitDialogs wait_{this};
};

Players& ThePlayers() {
  static Players* players = new Players();
  return *players;
}

// ---- The project file's media and environment.

class Media : public ProjectMedia {
 public:
  VideoSource* OpenVideo(HWND window, const char* path) override {
    return AVIVideoData::OpenShared(window, kVideoKindAvi, path, 0.0f);
  }
  AudioSource* OpenAudio(const char* path) override { return AudioData::OpenShared(path); }
  MidiSource* OpenMidi(const char* path) override { return MidiData::Get(path); }
  // An AVI file that holds the other kind of stream only.
  bool LacksStream(const char* path, int32_t kind) override {
    if (!FileOpenProblem(path).empty()) return false;
    AviFileInfo info;
    const int32_t streams = DescribeAviFile(path, &info);
    const int32_t video = 1, audio = 2;
    if (kind == kKindAudio) return (streams & video) != 0 && (streams & audio) == 0;
    if (kind == kKindVideo) return (streams & audio) != 0 && (streams & video) == 0;
    return false;
  }
  void SetVideoFrameRate(VideoSource* video, float rate) override {
    if (auto* v = dynamic_cast<VideoData*>(video); v != nullptr && v->openCount == 0) v->SetFrameRate(rate);
  }
  bool WriteEffects(HMMIO file, EffectChain* effects) override {
    auto* list = dynamic_cast<EffectList*>(effects);
    return list == nullptr || list->Write(file);
  }
  EffectChain* ReadEffects(HMMIO file, LONG size, int* error) override {
    return EffectList::Read(file, size, error);
  }
};

class Environment : public ProjectEnvironment {
 public:
  void SetTimeFormat(int32_t format) override {
    if (TheApp != nullptr)
      TheApp->SetTimeFormat(format);
    else
      ProjectEnvironment::SetTimeFormat(format);
  }
  void SetFrameRate(float rate) override {
    if (TheApp != nullptr)
      TheApp->SetFrameRate(rate);
    else
      ProjectEnvironment::SetFrameRate(rate);
  }
  ProjectAudioFormat AudioFormat() override {
    ProjectAudioFormat f;
    f.rate = OutputFormat.nSamplesPerSec;
    f.channels = OutputFormat.nChannels;
    f.sampleCode = TheAudioPlayer != nullptr ? static_cast<DWORD>(TheAudioPlayer->GetProjectCode()) : 2;
    return f;
  }
  void SetAudioFormat(DWORD rate, WORD channels, DWORD sampleCode) override {
    if (TheAudioPlayer != nullptr) TheAudioPlayer->SetFormat(rate, channels, static_cast<int>(sampleCode));
  }
  bool AutoCloseCodec() override { return TheVideoPlayer != nullptr && TheVideoPlayer->autoCloseCodec; }
  void SetAutoCloseCodec(bool on) override {
    if (TheVideoPlayer != nullptr) TheVideoPlayer->autoCloseCodec = on;
  }
};

class Services : public MediaServices {
 public:
  StartFrameRecord* CreateStartFrame(VideoSource* source, int32_t frame) override {
    return source != nullptr ? ThePlayers().CreateKeyFrame(source, frame) : nullptr;
  }
  Thumbnail* GetThumbnailFromSource(void* dc, int32_t scale, VideoSource* source, int32_t a, int32_t b) override {
    auto* v = dynamic_cast<VideoData*>(source);
    return v != nullptr ? TEVideoBitmap::GetFromSource(static_cast<HDC>(dc), scale, v, a, b) : nullptr;
  }
  VideoSource* FindVideoByName(const char* name) override { return AVIVideoData::FindByName(name); }
  AudioSource* FindAudioByName(const char* name) override { return AudioData::FindByName(name); }
  MidiSource* FindMidiByName(const char* name) override { return MidiData::Find(name); }
  bool IsEffectTempFile(AudioSource* source) override {
    if (source == nullptr) return false;
    const char* name = source->GetFileName();
    for (EffectList* list = EffectList::FirstList(); list != nullptr; list = list->next)
      if (list->tempFile != nullptr && name != nullptr && std::strcmp(list->tempFile->GetFileName(), name) == 0)
        return true;
    return false;
  }
  void DescribeEffects(EffectChain* effects, char* text, int32_t size) override {
    auto* list = dynamic_cast<EffectList*>(effects);
    if (list == nullptr) return MediaServices::DescribeEffects(effects, text, size);
    EffectList::Describe(list, text, size);
  }
};

// ---- Sources, thumbnails and progress.

// The collection's tiles are redrawn on the main thread: a source may be
// let go by one of the audio engine's threads.
class MainThreadNotices : public TWindow {
 public:
  static constexpr UINT kRedrawClips = WM_USER + 1;
  MainThreadNotices() : TWindow(nullptr, "Kobrix notices") { Attr.Style = WS_POPUP; }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == kRedrawClips) {
      pending_ = false;
      if (TheClipCollection != nullptr) TheClipCollection->RedrawClips();
      return 0;
    }
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  void RedrawClipsOf(AudioData* source) {
    if (std::this_thread::get_id() == mainThread_) {
      if (TheClipCollection != nullptr) TheClipCollection->RedrawClipsOfAudio(source);
    } else if (!pending_.exchange(true) && GetHandle() != nullptr) {
      // The source may be gone by then: every tile redraws.
      PostMessage(kRedrawClips, 0, 0);
    }
  }

 private:
  std::thread::id mainThread_ = std::this_thread::get_id();
  std::atomic<bool> pending_{false};
};

MainThreadNotices* Notices() {
  static MainThreadNotices* notices = nullptr;
  if (notices == nullptr) {
    notices = new MainThreadNotices();
    notices->Create();
  }
  return notices;
}

class AudioHooks : public AudioSourceHooks {
 public:
  WAVEFORMATEX OutputFormat() override { return ::OutputFormat; }
  std::string SoundFileName() override { return Sound_File; }
  // Readers may open or close a source on another thread: the collection
  // hears of it on the main thread.
  void RedrawClipsOfAudio(AudioData* source) override { Notices()->RedrawClipsOf(source); }
};

class VideoHooks : public PlayerVideoSourceHooks {
 public:
  void RedrawClipsOfVideo(VideoData* source) override {
    if (TheClipCollection != nullptr) TheClipCollection->RedrawClipsOfVideo(source);
  }
  void DropThumbnails(VideoData* source) override { TEVideoBitmap::DropSource(source); }
  int32_t WriteRiffInfo(HMMIO file) override { return ProjectSummary.WriteRiffInfo(file) ? 0 : 20; }
  void BeginWaitCursor() override { CurrentProgressHooks().BeginWaitCursor(); }
  void EndWaitCursor() override { CurrentProgressHooks().EndWaitCursor(); }
};

// The time-line's commands rest while the clip open dialog is up.
void SwitchTimeLineCommands(bool enabled) {
  if (MainTimeLineWindow* timeline = TimeLine()) timeline->Engine().EnableCommands(enabled);
}

// A source changed on disk: whatever still shows its old pictures lets go
// of them, so the next paint builds new ones.
class ThumbnailHolders : public VideoBitmapHooks {
 public:
  void ReleaseHoldersOf(VideoData* source) override {
    for (FilmListHead* list : {&FilmList, &ClipClipboard}) {
      for (Film* f = list->First(); f != nullptr; f = f->next) {
        if (f->video != source) continue;
        edit::DropKeyFrame(f);
        edit::DropInPicture(f);
        edit::DropOutPicture(f);
      }
    }
    UndoScript::ReleaseSource(source);
    if (TheClipCollection != nullptr) TheClipCollection->DropThumbnails(source);
  }
};

class MidiHooks : public MidiSourceHooks {
 public:
  void RedrawClipsOfMidi(MidiData* source) override {
    if (TheClipCollection != nullptr) TheClipCollection->RedrawClipsOfMidi(source);
  }
};

class Progress : public ProgressHooks {
 public:
  class Dialog : public ProgressDialog {
   public:
    explicit Dialog(TermometerDialog* d) : dialog(d) {}
    bool SetProgress(LONG position) override {
      // A close that asks nothing (a stop signal) stops the long operation
      // as a cancel would: the program is to end within its grace, and
      // what the operation was writing goes with it.
      if (QuietCloseRequested()) return false;
      return dialog == nullptr || dialog->SetProgress(position);
    }
    TermometerDialog* dialog;
  };
  // Without a window as well: the stop must still reach the operation.
  ProgressDialog* OpenTermometer(const char* title, const char* text, LONG total, bool cancelable,
                                 HWND placeWindow) override {
    return new Dialog(::OpenTermometer(title, text, total, cancelable, placeWindow));
  }
  void CloseTermometer(ProgressDialog** holder) override {
    if (holder == nullptr || *holder == nullptr) return;
    auto* d = static_cast<Dialog*>(*holder);
    ::CloseTermometer(&d->dialog);
    delete d;
    *holder = nullptr;
  }
};

class ReleaseMedia : public FileReleaseMedia {
 public:
  bool CloseVideoHandles(VideoSource* video) override {
    auto* v = dynamic_cast<VideoData*>(video);
    return v != nullptr && v->CloseFile();
  }
  void ReopenVideoHandles(VideoSource* video) override {
    if (auto* v = dynamic_cast<VideoData*>(video)) v->Reopen();
  }
  bool CloseAudioFile(AudioSource* audio) override {
    auto* a = dynamic_cast<AudioData*>(audio);
    return a != nullptr && a->CloseFile();
  }
  void ReopenAudioFile(AudioSource* audio) override {
    if (auto* a = dynamic_cast<AudioData*>(audio)) a->Reopen();
  }
  bool IsUnchanged(VideoSource* video) override {
    auto* v = dynamic_cast<AVIVideoData*>(video);
    return v == nullptr || v->IsUnchanged();
  }
  bool IsUnchanged(AudioSource* audio) override {
    auto* a = dynamic_cast<AudioData*>(audio);
    return a == nullptr || a->IsUnchanged();
  }
  bool IsUnchanged(MidiSource* midi) override {
    auto* m = dynamic_cast<MidiData*>(midi);
    return m == nullptr || m->IsFileUnchanged();
  }
  void CloseVideoSubPlayer() override {
    if (TheVideoPlayer != nullptr) TheVideoPlayer->Detach();
  }
};

// ---- The shell and the hosts of the time-line's commands.

class Shell : public ShellServices {
 public:
  int ShowHelpContext(uint16_t context) override { return ::ShowHelpContext(context); }
  bool DrawPendingClip() override { return TimeLine() != nullptr && TimeLine()->DrawPendingClip(); }
  void ClearStatusText() override { ::ClearStatusText(); }
  void ShowStatusText(const char* text) override { ::ShowStatusText(text); }
  void UpdateStatusBar() override { ::UpdateStatusBar(); }
  bool IsTimeLinePlaying() override { return TimeLine() != nullptr && TimeLine()->Engine().playing; }
  HWND TimeLineWindow() override { return TimeLine() != nullptr ? TimeLine()->GetHandle() : nullptr; }
};

class VideoPlayerShell : public VideoPlayerHooks {
 public:
  void RedrawClips() override {
    if (TheClipCollection != nullptr) TheClipCollection->RedrawClips();
  }
  void TimeLineZoomChanged() override {
    if (TimeLine() != nullptr) TimeLine()->Engine().ZoomChanged(true);
  }
  void ShowStatusText(const char* text) override {
    ::ShowStatusText(text);
    ::UpdateStatusBar();
  }
  int32_t SetFrameRate(float rate) override {
    if (TheApp != nullptr) TheApp->SetFrameRate(rate);
    return 0;
  }
  AudioEngine* Audio() override { return ThePlayers().Audio(); }
  void RunTimeoutsDialog(HWND owner, const char* caption, int32_t count, bool* show) override {
    ::RunTimeoutsDialog(owner, caption, count, show);
  }
};

class Commands : public CommandHost {
 public:
  void RecordAudio(HWND owner) override {
    if (TheAudioRecorder != nullptr) TheAudioRecorder->Execute(owner);
  }
  bool IsRecording() override { return TheAudioRecorder != nullptr && TheAudioRecorder->Dialog() != nullptr; }
  void CloseRecorder() override {
    if (TheAudioRecorder != nullptr) TheAudioRecorder->CloseDialog();
  }
  void ForceAutoSave() override {
    if (TheApp != nullptr) TheApp->AutoSave(true);
  }
  bool IsOpenWorkFile(const char* path) override {
    if (path == nullptr) return false;
    std::vector<std::string> open = {AutosavePath(kAutosaveProjectName), AutosavePath(kAutosaveCollectionName)};
    if (TheApp != nullptr) {
      open.emplace_back(TheApp->CollectionName());
      if (TheApp->MainFrame() != nullptr) open.emplace_back(TheApp->MainFrame()->ProjectName());
    }
    for (const std::string& file : open) {
      if (!file.empty() && SameFileByPath(file, path)) return true;
    }
    return false;
  }
  bool RenderTransitions(HWND owner, const char* caption, const char* target, int32_t start, int32_t end,
                         const bool rows[2]) override {
    VFX* transitions = ProgramTransitions();
    return transitions == nullptr ||
           RenderTransitionsOfRange(*transitions, owner, caption, target, start, end, rows);
  }
  bool Recompress(HWND owner, Film* segments, int32_t parts, int32_t start, int32_t end,
                  const char* path) override {
    return RecompressInfo::Run(TheVideoPlayer, owner, segments, static_cast<uint32_t>(parts), start, end, path);
  }
  bool ExportMpeg(HWND frame, Film* segments, Film* films, int32_t parts, const MixSetup& mix, int32_t start,
                  int32_t end, const char* path) override {
    return ::ExportMpeg(frame, segments, films, static_cast<uint32_t>(parts), mix, start, end, path);
  }
};

class AddFiles : public AddFileHost {
 public:
  void SetFrameRate(float rate) override {
    if (TheApp != nullptr) TheApp->SetFrameRate(rate);
  }
  void SetAudioFormat(int32_t rate, int32_t channels, int32_t sampleType) override {
    if (TheApp != nullptr) TheApp->SetAudioFormat(rate, channels, sampleType);
  }
  int AskConvert(HWND owner, const char* path, bool compressed, int32_t rate, int32_t& channels,
                 int32_t& bits) override {
    uint16_t c = static_cast<uint16_t>(channels), b = static_cast<uint16_t>(bits);
    const int answer = RunAskConvertDialog(owner, compressed, path, rate, &c, &b);
    channels = c;
    bits = b;
    return answer;
  }
  std::string ConverterFolder() override { return ProgramFolder(); }
  bool CollectionFrameExists() override { return TheApp != nullptr && TheApp->ClipFrame() != nullptr; }
  void ShowCollection() override {
    if (TheApp != nullptr) TheApp->ShowClipCollection(false);
  }
  void AddToCollection(const char* path, int32_t skip) override {
    if (TheClipCollection != nullptr) TheClipCollection->AddFile(path, -1, skip);
  }
  ClipItem* MakeClip(const char* path, VideoSource* video, AudioSource* audio, MidiSource* midi) override {
    auto* clip = new (std::nothrow) ClipData(dynamic_cast<VideoData*>(video), dynamic_cast<MidiData*>(midi),
                                             dynamic_cast<AudioData*>(audio));
    if (clip != nullptr) clip->SetNameFromPath();
    return clip;
  }
};

class Lines : public LineDialogs {
 public:
  bool EditEffects(HWND owner, EffectList* list, Film* film) override {
    OwnerWindow parent(owner);
    EffectListDialog dialog(parent.Get(), list, film);
    return dialog.Execute() == IDOK;
  }
  bool SelectTransition(HWND owner, int32_t& kind, uint32_t& parameter) override {
    int32_t size = static_cast<int32_t>(parameter);
    if (!RunSelectVFXDialog(owner, &kind, &size)) return false;
    parameter = static_cast<uint32_t>(size);
    return true;
  }
};

// The effect-list editor's Save and Load ask for their file here.
class EffectListFiles : public EffectListFileQuestion {
 public:
  bool AskFileName(HWND parent, const char* title, bool save, const char* filter, const char* defaultExtension,
                   std::string* path) override {
    FileData data(filter, defaultExtension);
    data.Flags = kFileDataFlags;
    const bool chosen = save ? AskSaveFile(data, parent, title) : AskOpenFile(data, parent, title);
    if (chosen && path != nullptr) *path = data.FileName;
    return chosen;
  }
};

class Messenger : public MessagerHost {
 public:
  bool IsPlaying() override { return TimeLine() != nullptr && TimeLine()->Engine().playing; }
  bool RangePrepared() override { return TimeLine() != nullptr && TimeLine()->Engine().prepared; }
  bool HasClips() override { return FilmList.First() != nullptr; }
  void CmStop() override {
    if (TimeLine() != nullptr) TimeLine()->CmStop();
  }
  void IncludeAllClips() override {
    if (TimeLine() != nullptr) TimeLine()->CmIncludeAllClips();
  }
  bool GetMarkRange(int32_t& start, int32_t& end) override {
    return TimeLine() != nullptr && TimeLine()->Engine().GetMarkRange(start, end);
  }
  void ReleaseFile(const char* path) override {
    if (TimeLine() != nullptr) ::ReleaseFile(TimeLine()->GetHandle(), path);
  }
  HWND TimeLineWindow() override { return TimeLine() != nullptr ? TimeLine()->GetHandle() : nullptr; }
  HWND ProjectFrame() override { return FrameHandle(); }
};

// The time-line's effect-list editor and the list of missing components.
class TimeLineEffects : public TimeLineDialogs {
 public:
  bool ActivateLineEffects(int32_t row) override {
    EffectListDialog* open = EffectListDialog::FindOpen(row);
    if (open == nullptr) return false;
    open->Show(SW_RESTORE);
    open->SetFocus();
    return true;
  }
  bool EditLineEffects(HWND parent, EffectList* list, int32_t row) override {
    OwnerWindow owner(parent);
    std::unique_ptr<EffectListDialog> dialog(EffectListDialog::EffectListDialogById(owner.Get(), list, row));
    return dialog != nullptr && dialog->Execute() == IDOK;
  }
};

// The effect-list dialogs' host: the line and master switches are the
// time-line window's.
class EffectHost : public TimeLineEffectDialogHost {
 public:
  explicit EffectHost(MainTimeLineWindow& timeline)
      : TimeLineEffectDialogHost(timeline.Engine()), timeline_(timeline) {}
  void ToggleLineEffects(int32_t line) override {
    if (timeline_.AudioHeader() != nullptr) timeline_.AudioHeader()->SendMessage(WM_USER + 99, 12, line);
  }
  void UseMasterEffects() override { timeline_.CmUseMasterEffects(); }

 private:
  MainTimeLineWindow& timeline_;
};

// What the settings pages ask of the program beyond the time-line window.
class Settings : public SettingsHost {
 public:
  void EnableTimeLineCommands(bool enabled) override {
    if (TimeLine() != nullptr) TimeLine()->Engine().commandsEnabled = enabled;
  }
  void TimeLineZoomChanged() override {
    if (TimeLine() == nullptr) return;
    TimeLine()->Engine().ZoomChanged(false);
    TimeLine()->Invalidate();
  }
  void RedrawClipTiles() override {
    if (TheClipCollection != nullptr) TheClipCollection->RedrawClips();
  }
  void ListInputDevices(DeviceListControl& list) override {
    if (TheAudioRecorder != nullptr) TheAudioRecorder->FillDeviceList(list);
  }
  void SelectInputDevice(int index) override {
    if (TheAudioRecorder != nullptr) TheAudioRecorder->SelectDevice(index);
  }
  bool UseBoardMixer() override { return ::UseBoardMixer; }
  void SetUseBoardMixer(bool use) override {
    ::UseBoardMixer = use;
    AudioPlayer::SetVolumeServer(use ? TheMixerServer : nullptr);
  }
  void GetRecorderDelay(bool& enabled, int& ms) override {
    if (TheAudioRecorder == nullptr) return SettingsHost::GetRecorderDelay(enabled, ms);
    enabled = TheAudioRecorder->EnableDelay;
    ms = TheAudioRecorder->Delay;
  }
  void SetRecorderDelay(bool enabled, int ms) override {
    if (TheAudioRecorder == nullptr) return SettingsHost::SetRecorderDelay(enabled, ms);
    TheAudioRecorder->EnableDelay = enabled;
    TheAudioRecorder->Delay = ms;
  }
  AutosaveOptions GetAutosaveOptions() override {
    if (TheApp == nullptr) return SettingsHost::GetAutosaveOptions();
    const Autosave& a = TheApp->autosave;
    AutosaveOptions o;
    o.autoSave = a.autoSave;
    o.period = a.savePeriod;
    o.count = a.saveCount;
    o.thumbnails = a.savePostage;
    o.waveforms = a.saveWaveform;
    return o;
  }
  void SetAutosaveOptions(const AutosaveOptions& o) override {
    if (TheApp == nullptr) return SettingsHost::SetAutosaveOptions(o);
    Autosave& a = TheApp->autosave;
    a.autoSave = o.autoSave;
    a.savePeriod = o.period;
    a.saveCount = o.count;
    a.savePostage = o.thumbnails;
    a.saveWaveform = o.waveforms;
  }
};

struct Installed {
  // The shared thumbnail and stock-picture state the tiles and the video
  // line draw with; kept when someone made it already.
  std::unique_ptr<TEBitmapInit> bitmaps = TEBitmapInit::Exists() ? nullptr : std::make_unique<TEBitmapInit>();
  Media media;
  Environment environment;
  Services services;
  AudioHooks audioHooks;
  VideoHooks videoHooks;
  MidiHooks midiHooks;
  ThumbnailHolders thumbnailHolders;
  Progress progress;
  ReleaseMedia release;
  Shell shell;
  VideoPlayerShell videoShell;
  Commands commands;
  AddFiles addFiles;
  Messenger messenger;
  Lines lines;
  EffectListFiles effectListFiles;
  FormatChooserUi formatChooser;
  TimeLineEffects timeLineEffects;
  Settings settings;
  ClipPropertyPages clipPages;
};

// The seams over the time-line window.
struct TimeLineInstalled {
  explicit TimeLineInstalled(MainTimeLineWindow& timeline) : mixer(timeline.Engine()), effects(timeline) {}
  TimeLineMixerHost mixer;
  EffectHost effects;
};

std::unique_ptr<TimeLineInstalled>& CurrentTimeLine() {
  static std::unique_ptr<TimeLineInstalled> installed;
  return installed;
}

// Section AUDIO_METER goes with the time-line's settings; its PEAK_HOLD
// there is the meters' default.
void LoadMeterSettings(bool peakHold) {
  TLevelControl::Settings().peakHold = peakHold;
  TLevelControl::LoadSettings();
}

// Recorded files carry the project's summary (nothing while DONT_SAVE).
bool WriteRecordingInfo(HMMIO file) {
  return ProjectSummary.WriteRiffInfo(file);
}

// Effects opened without a source are set up for the project's format.
void EngineOutputFormat(DWORD* rate, DWORD* channels) {
  *rate = OutputFormat.nSamplesPerSec;
  *channels = OutputFormat.nChannels;
}

HFONT ClipNameFont() {
  return TimeLine() != nullptr ? TimeLine()->ClipFont() : nullptr;
}

std::unique_ptr<Installed>& Current() {
  static std::unique_ptr<Installed> installed;
  return installed;
}

}  // namespace

TimeLinePlayers* ProgramPlayers() {
  return &ThePlayers();
}

VFX* ProgramTransitions() {
  return ThePlayers().Transitions();
}

MessagerHost* ProgramMessagerHost() {
  return Current() != nullptr ? &Current()->messenger : nullptr;
}

void InstallProgramSeams() {
  if (Current() != nullptr) return;
  Current() = std::make_unique<Installed>();
  Installed& s = *Current();
  ThePlayers().Make();
  SetProjectMedia(&s.media);
  SetProjectEnvironment(&s.environment);
  SetMediaServices(&s.services);
  SetAudioSourceHooks(&s.audioHooks);
  SetVideoSourceHooks(&s.videoHooks);
  SetMidiSourceHooks(&s.midiHooks);
  SetVideoBitmapHooks(&s.thumbnailHolders);
  SetAudioMetersRefresh(NotifyAudioMeters);
  SetTimeLineCommandSwitch(SwitchTimeLineCommands);
  SetProgressHooks(&s.progress);
  SetFileReleaseMedia(&s.release);
  SetShellServices(&s.shell);
  SetVideoPlayerHooks(&s.videoShell);
  SetCommandHost(&s.commands);
  SetAddFileHost(&s.addFiles);
  SetLineDialogs(&s.lines);
  SetEffectListFileQuestion(&s.effectListFiles);
  SetExportTypeChooser(RunSelect32AudioDialog);
  SetAcmFormatChooserUi(&s.formatChooser);
  SetTimeLineDialogs(&s.timeLineEffects);
  SetSettingsHost(&s.settings);
  SetClipPropertySheet(&s.clipPages);
  SetColorsSampleFont(ClipNameFont);
  SetEffectOutputFormatQuery(EngineOutputFormat);
  InstallFileChooser();
  InstallQuestionDialogs();
  InstallFileQuestions();
  InstallProjectSummaryRecord();
  InstallProjectComponentRecord();
  DrawDibSetPresenter(GdiDrawPixels);
  AudioPlayer::SetVolumeServer(UseBoardMixer ? TheMixerServer : nullptr);
  SetMeterSettingsHandlers(LoadMeterSettings, TLevelControl::SaveSettings);
  TAudioRecorder::SetInfoWriter(WriteRecordingInfo);
  Notices();
}

void TimeLineSeamsWindowsMade(MainTimeLineWindow* timeline) {
  if (CurrentTimeLine() != nullptr && timeline != nullptr && timeline->AudioLines() != nullptr)
    CurrentTimeLine()->mixer.SetAudioLinesWindow(timeline->AudioLines()->GetHandle());
}

void InstallTimeLineSeams(MainTimeLineWindow* timeline) {
  if (timeline == nullptr) {
    AudioPlayer::SetMixerFactory(nullptr);
    SetEffectDialogHost(nullptr);
    CurrentTimeLine().reset();
    return;
  }
  CurrentTimeLine() = std::make_unique<TimeLineInstalled>(*timeline);
  AudioPlayer::SetMixerFactory(&MakeMixerDialog, &CurrentTimeLine()->mixer);
  SetEffectDialogHost(&CurrentTimeLine()->effects);
}

void RemoveProgramSeams() {
  if (Current() == nullptr) return;
  SetProjectMedia(nullptr);
  SetProjectEnvironment(nullptr);
  SetMediaServices(nullptr);
  SetAudioSourceHooks(nullptr);
  SetVideoSourceHooks(nullptr);
  SetMidiSourceHooks(nullptr);
  SetVideoBitmapHooks(nullptr);
  SetAudioMetersRefresh(nullptr);
  SetTimeLineCommandSwitch(nullptr);
  SetProgressHooks(nullptr);
  SetFileReleaseMedia(nullptr);
  SetShellServices(nullptr);
  SetVideoPlayerHooks(nullptr);
  SetCommandHost(nullptr);
  SetAddFileHost(nullptr);
  SetLineDialogs(nullptr);
  SetEffectListFileQuestion(nullptr);
  SetExportTypeChooser(nullptr);
  SetAcmFormatChooserUi(nullptr);
  SetTimeLineDialogs(nullptr);
  SetSettingsHost(nullptr);
  SetClipPropertySheet(nullptr);
  SetColorsSampleFont(nullptr);
  SetEffectOutputFormatQuery(nullptr);
  InstallTimeLineSeams(nullptr);
  SetProjectSummaryRecord(nullptr);
  SetProjectComponentRecord(nullptr);
  AudioPlayer::SetVolumeServer(nullptr);
  SetMeterSettingsHandlers(nullptr, nullptr);
  TAudioRecorder::SetInfoWriter(nullptr);
  ThePlayers().Free();
  Current().reset();
}

void StartProgramObjects() {
  TheVideoPlayer = new VideoPlayer();
  TheAudioPlayer = new AudioPlayer();
  InstallProgramSeams();
}

void EndProgramObjects() {
  delete TheMidiPlayer;
  TheMidiPlayer = nullptr;
  delete TheVelmoraMessager;
  RemoveProgramSeams();
  delete TheAudioPlayer;
  TheAudioPlayer = nullptr;
  delete TheVideoPlayer;
  TheVideoPlayer = nullptr;
  EffectList::FreeAll();
  MSG quit;
  while (PeekMessage(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}
