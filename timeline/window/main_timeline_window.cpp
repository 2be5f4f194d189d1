#include "timeline/window/main_timeline_window.h"

#include <algorithm>
#include <iterator>

#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/ini.h"
#include "model/levels.h"
#include "model/message_box.h"
#include "model/players.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "platform/core/trace.h"
#include "resources/timeline_ids.h"
#include "timeline/header/full_size_line.h"
#include "timeline/header/scale_list.h"
#include "timeline/lines/video_line.h"
#include "timeline/window/drawing_objects.h"
#include "timeline/window/fade_profile.h"
#include "timeline/window/timeline_colors.h"

MainTimeLineWindow* TheTimeLine = nullptr;

const std::vector<TResponseTableEntry>& MainTimeLineWindow::CoreEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_MESSAGE(kTimeLineRequestMessage, EvRequest),
  };
  return entries;
}

bool MainTimeLineWindow::Find(TEventInfo& info) {
  using Table = const std::vector<TResponseTableEntry>& (*)();
  static constexpr Table kTables[] = {
      &CoreEntries,         &LayoutEntries,    &FontEntries,      &InputEntries,       &ModeEntries,
      &SmallHandlerEntries, &TransportEntries, &MessageEntries,   &ViewCommandEntries, &ExportEntries,
      &ToolEntries,         &ClipEditEntries,  &AudioClipEntries, &AddMediaEntries,    &ProjectEntries,
      &RangeEntries,        &ProjectParameterEntries, &SelectionGroupEntries,
  };
  for (Table table : kTables) {
    if (SearchEntries(table(), info)) return true;
  }
  return TWindow::Find(info);
}

MainTimeLineWindow::MainTimeLineWindow(TWindow* parent, TimeLinePlayers* players)
    : TWindow(parent, "MainTLWindow") {
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_BORDER;
  Attr.ExStyle = WS_EX_CLIENTEDGE;
  engine_.SetPlayers(players);
  previousHost_ = SetFilmHost(&engine_);

  // What the engine keeps of the project starts as a new project does.
  engine_.length = 10000;
  engine_.scale = 1000;
  engine_.showMidi = false;
  LoadSettings();
  TheTimeLine = this;

  engine_.cursor = 0;
  engine_.origin = 0;
  engine_.commandsEnabled = true;
  engine_.masterGain = kGainUnity;
  engine_.masterPan = 0;

  borderX_ = GetSystemMetrics(SM_CXBORDER);
  borderY_ = GetSystemMetrics(SM_CYBORDER);
  hScrollHeight_ = GetSystemMetrics(SM_CYHSCROLL);
  vScrollWidth_ = GetSystemMetrics(SM_CXVSCROLL);
  engine_.rowGap = borderY_;
  LoadCursors();

  const TSize text = MeasureText("  00:00:00:000  ");
  timeTextWidth_ = text.cx;
  timeTextHeight_ = text.cy;
  cellWidth_ = 2 * (2 * timeTextWidth_ / 3);
  rulerHeight_ = timeTextHeight_ + 6;
  engine_.SetPixelUnit(timeTextWidth_);
  engine_.factor = engine_.DefaultFactor();

  SetFadeSettingsLoader(&LoadFadeSettings);
  BuildLevelTables();
  engine_.gravityDistanceMs = engine_.PixelsToTime(engine_.gravityDistance);
  engine_.hitDistanceMs = engine_.PixelsToTime(engine_.hitDistance);

  headerWidth_ = 2 * borderX_ + kTimeLineMargin + 64;
  engine_.SetTimeAreaWidth(GetSystemMetrics(SM_CXSCREEN) / 2);
  MakeChildren();
  engine_.AttachView(this);
}

MainTimeLineWindow::~MainTimeLineWindow() {
  ReleaseProject();
  // The children draw with the engine and the drawing objects, which go
  // with this object: they go first.
  while (!Children().empty()) delete Children().back();
  engine_.AttachView(nullptr);
  DeleteBrushes();
  SetFadeSettingsLoader(nullptr);
  SetFilmHost(previousHost_);
  if (TheTimeLine == this) TheTimeLine = nullptr;
}

const char* MainTimeLineWindow::GetClassName() {
  return "TMainWndName";
}

void MainTimeLineWindow::GetWindowClass(WNDCLASS& wc) {
  TWindow::GetWindowClass(wc);
  wc.style |= CS_HREDRAW | CS_VREDRAW;
  wc.hbrBackground = nullptr;
}

void MainTimeLineWindow::SetupWindow() {
  settingUp_ = true;
  TWindow::SetupWindow();
  if (VideoEngine* video = engine_.Players().Video()) video->SetNotifyWindow(HWindow);
  const WPARAM font = reinterpret_cast<WPARAM>(TimeFont());
  setSizeButton_->SendMessage(WM_SETFONT, font, FALSE);
  scaleList_->SendMessage(WM_SETFONT, font, FALSE);
  vScroll_->PageMagnitude = 2;
  engine_.scale = scaleList_->SelectScale(engine_.scale, rulerSubdivisions_);
  PlaceRows();
  LoadColors();
  CreateBrushes();
  if (TapeControl* tape = engine_.Players().Tape()) tape->ReadSettings();

  IniSetSection("TIMELINE");
  videoLine_->showEdges = IniReadInt("SHOW_VIDEO_EDGES", 1) > 0;
  settings_.audioMeterShown = IniReadInt("SHOW_AUDIO_METER", 1) > 0;
  if (settings_.audioMeterShown) CmShowAudioMeter();

  HWND frame = GetAncestor(HWindow, GA_ROOT);
  if (HMENU menu = frame != nullptr ? ::GetMenu(frame) : nullptr) {
    CheckMenuItem(menu, kCmShowVideoTracks, MF_BYCOMMAND | (engine_.showVideo ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, kCmShowAudioTracks, MF_BYCOMMAND | (engine_.showAudio ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, kCmShowMidiTrack, MF_BYCOMMAND | MF_UNCHECKED);
  }
  RebuildToolsMenu();
  settingUp_ = false;
  overview_->SetFocus();
}

void MainTimeLineWindow::CleanupWindow() {
  ReleaseProject();
  TWindow::CleanupWindow();
}

void MainTimeLineWindow::Destroy(int retVal) {
  ReleaseProject();
  TWindow::Destroy(retVal);
}

// Runs once, whichever of Destroy, the window's destruction or the object's
// comes first.
void MainTimeLineWindow::ReleaseProject() {
  if (released_) return;
  released_ = true;
  if (engine_.playing) {
    engine_.CmStop();
    ShowMessageText(HWindow, GetString(ui_string::kCloseKobrix), MB_ICONEXCLAMATION | MB_OK,
                    GetString(ui_string::kStopBeforeExit));
  }
  for (Film* f = FilmList.First(); f; f = f->next) edit::CloseForUse(f);
  FilmList.Clear();
  ClipClipboard.Clear();
  ReleaseHeldClip();
  engine_.ReleaseHeldFilm();
  engine_.FreeRangeList();
  ReleaseChain(engine_.masterEffects);
  for (TrackRecord& line : engine_.audioPanel.records) line.ReleaseEffects();
  // The snapshots hold the project's sources too.
  UndoScript::ClearAll();
  SaveSettings();
  if (TapeControl* tape = engine_.Players().Tape()) tape->Disconnect();
  if (VideoEngine* video = engine_.Players().Video()) video->SetNotifyWindow(nullptr);
  timeFont_.reset();
  clipFont_.reset();
}

LRESULT MainTimeLineWindow::EvRequest(WPARAM code, LPARAM arg) {
  KOBRIX_TRACE(kTraceTimeline, "request %ld arg %ld", static_cast<long>(code), static_cast<long>(arg));
  switch (static_cast<int>(code)) {
    case kRequestNothing:
      return TRUE;
    case kRequestMeasureTimeText:
      MeasureTimeText();
      return TRUE;
    case kRequestUndoStep:
      engine_.MarkUndo(kUndoEdit);
      engine_.SetModified(true);
      return TRUE;
    case kRequestSettingsPage: {
      IniSetSection("MAIN_WINDOW");
      IniWriteInt("START_PAGE", static_cast<int>(arg));
      IniFlush();
      // The frame opens the sheet at that page.
      HWND frame = GetAncestor(HWindow, GA_ROOT);
      if (frame != nullptr && frame != HWindow) ::SendMessage(frame, WM_COMMAND, kCmSettings, 0);
      return TRUE;
    }
    case kRequestShowFrame:
      ShowFrameAtCursor();
      return TRUE;
    default:
      return FALSE;
  }
}

// The picture at the cursor: the clip shown there, else the last clip
// before it (its last frame), else the first clip (its first frame).
void MainTimeLineWindow::ShowFrameAtCursor() {
  if (engine_.playing || engine_.Players().Video() == nullptr) return;
  const int32_t t = engine_.cursor + FramesToMs(1, ProjectFrameRate()) / 2;
  Film* film = nullptr;
  int32_t source = t;
  if (!engine_.FindVideoAt(film, source) || film == nullptr || film->video == nullptr) {
    film = nullptr;
    Film* first = nullptr;
    for (Film* f = FilmList.First(); f; f = f->next) {
      if (!f->video) continue;
      if (!first) first = f;
      if (f->start <= t) film = f;
    }
    if (!film) film = first;
    if (!film) return;
    source = static_cast<int32_t>(
        std::clamp<int64_t>(static_cast<int64_t>(t) - film->start + film->in, INT32_MIN, INT32_MAX));
  }
  engine_.ShowClipFrame(film, source, HWindow);
}
