// The clip frame: its construction, bars and settings, caption, recent
// collections and what the collection shows in it. The file commands are in
// clip_frame_files.cpp.
#include "app/clip_frame.h"

#include <cstdio>
#include <cstring>

#include "app/autosave.h"
#include "clips/clip_collection.h"
#include "media/progress_hooks.h"
#include "model/ini.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/core/paths.h"
#include "platform/gui/gui.h"
#include "resources/collection_ids.h"
#include "timeline/window/main_timeline_window.h"
#include "ui/scroll_window.h"
#include "ui/shell_services.h"

namespace {

const char* const kRecentKeys[kRecentCollections] = {"FILE1", "FILE2", "FILE3", "FILE4"};
// The recent collections go in after "Add source File" of the File menu.
constexpr UINT kRecentMenuPosition = 8;
// The status fields hold a short time code with its unit.
constexpr UINT kTimeFieldChars = 10;

void CopyPath(char* out, const char* text) {
  std::snprintf(out, MAX_PATH, "%s", text != nullptr ? text : "");
}

// One button of the tool bar: the picture of its command's number.
void AddButton(TControlBar& bar, int id, TButtonGadget::TType type = TButtonGadget::Command) {
  bar.Insert(*new TButtonGadget(TResId(id), id, type, true));
}

void AddSeparator(TControlBar& bar, int size) {
  bar.Insert(*new TSeparatorGadget(size));
}

}  // namespace

FileData& CollectionFileData() {
  static FileData data(GetString(ui_string::kCollectionFilter), "prc");
  return data;
}

// clang-format off
DEFINE_RESPONSE_TABLE1(TClipFrame, TDecoratedFrame)
  EV_COMMAND_AND_ID(kCmRecentCollection1, CmOpenRecent),
  EV_COMMAND_AND_ID(kCmRecentCollection1 + 1, CmOpenRecent),
  EV_COMMAND_AND_ID(kCmRecentCollection1 + 2, CmOpenRecent),
  EV_COMMAND_AND_ID(kCmRecentCollection1 + 3, CmOpenRecent),
  EV_COMMAND_ENABLE(kCmRecentCollection1, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmRecentCollection1 + 1, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmRecentCollection1 + 2, CeNotPlaying),
  EV_COMMAND_ENABLE(kCmRecentCollection1 + 3, CeNotPlaying),
  EV_COMMAND(kCmNewCollection, CmNewCollection),
  EV_COMMAND_ENABLE(kCmNewCollection, CeNotPlaying),
  EV_COMMAND(kCmOpenCollection, CmOpenCollection),
  EV_COMMAND_ENABLE(kCmOpenCollection, CeNotPlaying),
  EV_COMMAND(kCmAddFromCollection, CmAddFromCollection),
  EV_COMMAND_ENABLE(kCmAddFromCollection, CeNotPlaying),
  EV_COMMAND(kCmSaveCollection, CmSaveCollection),
  EV_COMMAND_ENABLE(kCmSaveCollection, CeSave),
  EV_COMMAND(kCmSaveCollectionAs, CmSaveCollectionAs),
  EV_COMMAND_ENABLE(kCmSaveCollectionAs, CeNotPlaying),
  EV_COMMAND(kCmShowProject, CmShowProject),
  EV_COMMAND(kCmHelp, CmHelp),
  EV_WM_DROPFILES,
  EV_WM_SETFOCUS,
  EV_WM_PALETTECHANGED,
END_RESPONSE_TABLE;
// clang-format on

TClipFrame::TClipFrame(ClipFrameHost& host, ClipCollection* collection)
    : TDecoratedFrame(nullptr, GetString(ui_string::kClipCollectionCaption), collection->GetScrollWindow()),
      host_(host),
      collection_(collection) {
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  IniSetSection(kCollectionSection);
  // Below the project frame's default place.
  Attr.X = IniReadInt("X", 5);
  Attr.Y = IniReadInt("Y", screenH * 2 / 3 + 5);
  Attr.W = IniReadInt("W", screenW - 10);
  Attr.H = IniReadInt("H", screenH / 3 - 10);
  maximized_ = IniReadInt("MAXIMIZED", 0) != 0;
  CopyPath(CollectionFileData().Directory, IniReadString("DIRECTORY", ""));
  for (int i = 0; i < kRecentCollections; ++i) CopyPath(recent_[i], IniReadString(kRecentKeys[i], ""));

  AssignMenu(TResId(kCollectionMenu));
  Attr.AccelTable = TResId(kCollectionAccelerators);

  toolBar_ = new TControlBar(this, TGadgetWindow::Horizontal, new TGadgetWindowFont(10));
  toolBar_->SetHintMode(TGadgetWindow::EnterHints);
  for (int id : {kCmNewCollection, kCmOpenCollection, kCmSaveCollection, kCmSaveCollectionAs}) AddButton(*toolBar_, id);
  AddSeparator(*toolBar_, 2);
  AddButton(*toolBar_, kCmCollectionAddFile);
  AddSeparator(*toolBar_, 2);
  AddButton(*toolBar_, kCmProjectWindow);
  AddSeparator(*toolBar_, 2);
  AddButton(*toolBar_, kCmSkipVideo, TButtonGadget::NonExclusive);
  AddButton(*toolBar_, kCmSkipAudio, TButtonGadget::NonExclusive);
  AddSeparator(*toolBar_, 4);
  AddButton(*toolBar_, kCmCollectionPlay);
  AddButton(*toolBar_, kCmCollectionStop);
  AddSeparator(*toolBar_, 4);
  for (int id : {kCmCollectionCopy, kCmCollectionAdd, kCmCollectionPaste}) AddButton(*toolBar_, id);
  AddSeparator(*toolBar_, 4);
  for (int id : {kCmViewFullInfo, kCmViewBasicInfo, kCmViewLargeIcons, kCmViewSmallIcons})
    AddButton(*toolBar_, id, TButtonGadget::Exclusive);
  AddSeparator(*toolBar_, 4);
  for (int id : {kCmAutoSort, kCmSortByType, kCmSortByName}) AddButton(*toolBar_, id);
  AddSeparator(*toolBar_, 4);
  for (int id : {kCmTimeInFrames, kCmTimeInSmpte, kCmTimeInMs}) AddButton(*toolBar_, id, TButtonGadget::Exclusive);
  Insert(*toolBar_, Top);

  // The message area shows the selected clip's file; then its times. The
  // labels take their text's width and the fields a short time with its
  // unit, so that neither is clipped.
  statusBar_ = new TStatusBar(this, TGadget::Recessed);
  auto label = [this](int id) {
    const char* text = GetString(id);
    auto* gadget = new TTextGadget(0, TGadget::None, TTextGadget::Right, static_cast<UINT>(std::strlen(text)), text);
    gadget->SetEnabled(false);
    statusBar_->Insert(*gadget);
  };
  label(ui_string::kTileIn);
  inField_ = new TTextGadget(0, TGadget::Recessed, TTextGadget::Left, kTimeFieldChars);
  statusBar_->Insert(*inField_);
  label(ui_string::kTileOut);
  outField_ = new TTextGadget(0, TGadget::Embossed, TTextGadget::Left, kTimeFieldChars);
  statusBar_->Insert(*outField_);
  label(ui_string::kTileTime);
  timeField_ = new TTextGadget(0, TGadget::Recessed, TTextGadget::Left, kTimeFieldChars);
  statusBar_->Insert(*timeField_);
  Insert(*statusBar_, Bottom);
}

TClipFrame::~TClipFrame() {
  // The windows may still be there: the base destroys them after this, and
  // the focus leaving the collection must not reach it then.
  collection_ = nullptr;
}

void TClipFrame::SetupWindow() {
  TDecoratedFrame::SetupWindow();
  DragAcceptFiles(HWindow, TRUE);
  AddRecentFile("");
  if (maximized_) Show(SW_SHOWMAXIMIZED);
  if (collection_ != nullptr) host_.SetMessengerCollection(collection_->GetHandle());
}

TWindow* TClipFrame::GetCommandTarget() {
  if (collection_ != nullptr && collection_->IsWindow()) {
    // A tile, when one has the focus; else the collection itself.
    TWindow* focused = TDecoratedFrame::GetCommandTarget();
    if (focused != nullptr && focused->GetHandle() != nullptr &&
        IsChild(collection_->GetHandle(), focused->GetHandle()))
      return focused;
    return collection_;
  }
  return TDecoratedFrame::GetCommandTarget();
}

bool TClipFrame::Playing() const {
  const MainTimeLineWindow* timeLine = collection_ != nullptr ? collection_->TimeLine() : nullptr;
  return timeLine != nullptr && timeLine->Engine().playing;
}

bool TClipFrame::CanClose() {
  if (Playing() || !AskSave()) return false;
  return TDecoratedFrame::CanClose();
}

void TClipFrame::Destroy(int retVal) {
  if (Playing()) collection_->TimeLine()->CmStop();
  if (HWindow != nullptr) DragAcceptFiles(HWindow, FALSE);
  SaveSettings();
  if (collection_ != nullptr) {
    // The collection window goes now, while the time-line it tells is there;
    // forgotten first, since its going moves the focus to the frame.
    TWindow* scroll = collection_->GetScrollWindow();
    collection_ = nullptr;
    SetClientWindow(nullptr);
    delete scroll;
  }
  host_.SetMessengerCollection(nullptr);
  host_.ClipFrameDestroyed(this);
  TDecoratedFrame::Destroy(retVal);
}

void TClipFrame::SaveSettings() {
  IniSetSection(kCollectionSection);
  if (HWindow != nullptr) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(HWindow, &placement)) {
      const RECT& r = placement.rcNormalPosition;
      IniWriteInt("X", r.left);
      IniWriteInt("Y", r.top);
      IniWriteInt("W", r.right - r.left);
      IniWriteInt("H", r.bottom - r.top);
    }
    IniWriteInt("MAXIMIZED", IsZoomed(HWindow) ? 1 : 0);
  }
  IniWriteString("DIRECTORY", CollectionFileData().Directory);
  for (int i = 0; i < kRecentCollections; ++i) IniWriteString(kRecentKeys[i], recent_[i]);
  IniFlush();
}

void TClipFrame::SetCaption(const char* name, bool modified) {
  std::string head = std::string(GetString(ui_string::kClipCollectionCaption)) + (modified ? " * " : " - ");
  const bool untitled = name == nullptr || name[0] == '\0';
  std::string text = head + (untitled ? std::string(GetString(ui_string::kCollectionUntitled)) : std::string(name));
  if (!untitled && HWindow != nullptr) {
    HDC dc = ::GetDC(HWindow);
    SIZE size{};
    GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::ReleaseDC(HWindow, dc);
    if (size.cx > GetWindowRect().Width()) text = head + PathFileName(name);
  }
  TWindow::SetCaption(text.c_str());
}

HMENU TClipFrame::FileMenu() const {
  HMENU bar = HWindow != nullptr ? ::GetMenu(HWindow) : nullptr;
  return bar != nullptr ? GetSubMenu(bar, 0) : nullptr;
}

void TClipFrame::AddRecentFile(const char* path) {
  if (path != nullptr && path[0] != '\0' && PathFileName(path) != kAutosaveCollectionName) {
    int found = kRecentCollections - 1;
    for (int i = 0; i < kRecentCollections; ++i) {
      if (EqualNoCase(recent_[i], path)) {
        found = i;
        break;
      }
    }
    for (int i = found; i > 0; --i) std::memcpy(recent_[i], recent_[i - 1], MAX_PATH);
    CopyPath(recent_[0], path);
  }
  HMENU menu = FileMenu();
  if (menu == nullptr) return;
  for (int i = 0; i < kRecentCollections; ++i)
    DeleteMenu(menu, static_cast<UINT>(kCmRecentCollection1 + i), MF_BYCOMMAND);
  for (int i = kRecentCollections - 1; i >= 0; --i) {
    if (recent_[i][0] == '\0') continue;
    InsertMenu(menu, kRecentMenuPosition, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(kCmRecentCollection1 + i),
               PathFileName(recent_[i]).c_str());
  }
  DrawMenuBar(HWindow);
}

void TClipFrame::ShowModified(bool modified) {
  SetCaption(CollectionFileData().FileName, modified);
}

void TClipFrame::ShowClipStatus(const char* in, const char* out, const char* duration, const char* path) {
  if (inField_ == nullptr) return;
  inField_->SetText(in);
  outField_->SetText(out);
  timeField_->SetText(duration);
  statusBar_->SetText(path);
}

void TClipFrame::RefreshButtons() {
  if (toolBar_ == nullptr || !toolBar_->IsWindow()) return;
  for (int i = 0; i < toolBar_->GadgetCount(); ++i) toolBar_->GadgetAt(i)->CommandEnable();
}

void TClipFrame::CeNotPlaying(TCommandEnabler& ce) {
  ce.Enable(!Playing());
}

void TClipFrame::CeSave(TCommandEnabler& ce) {
  ce.Enable(collection_ != nullptr && collection_->IsModified() && !Playing());
}

void TClipFrame::CmShowProject() {
  host_.ShowProject();
}

void TClipFrame::CmHelp() {
  CurrentShellServices().ShowHelpContext(kCmHelp);
}

void TClipFrame::EvSetFocus(HWND) {
  if (collection_ != nullptr && collection_->IsWindow()) {
    collection_->SetFocus();
  } else {
    DefaultProcessing();
  }
}

void TClipFrame::EvPaletteChanged(HWND) {
  if (collection_ != nullptr && HWindow != nullptr && !IsIconic(HWindow)) collection_->RealizePalettes();
}

TClipFrame* ShowClipFrame(TClipFrame* frame, ClipFrameHost& host, MainTimeLineWindow* timeLine, bool load,
                          bool commandLineMode) {
  if (frame == nullptr) {
    auto* collection = new ClipCollection(timeLine);
    frame = new TClipFrame(host, collection);
    frame->SetIcon(nullptr, TResId(TClipFrame::kIcon));
    if (!frame->Create()) {
      delete frame;
      return nullptr;
    }
    host.ReapplyTimeSettings();
    collection->SetModified(false);
    frame->SetCaption("", false);
    // Only a frame made now reads the collection: one that is there holds
    // it already, and reading again would add its clips a second time.
    const std::string name = CollectionFileData().FileName;
    if (load && !name.empty()) frame->OpenCollectionFile(name.c_str(), true);
  }
  frame->Show(commandLineMode ? SW_SHOWMINIMIZED : SW_RESTORE);
  frame->SetFocus();
  return frame;
}

void ClipFrameShell::ShowModified(bool modified) {
  if (frame != nullptr) frame->ShowModified(modified);
}

void ClipFrameShell::ShowViewMode(int) {
  if (frame != nullptr) frame->RefreshButtons();
}

void ClipFrameShell::ShowSkipMode(int) {
  if (frame != nullptr) frame->RefreshButtons();
}

void ClipFrameShell::ShowClipStatus(const char* in, const char* out, const char* duration, const char* path) {
  if (frame != nullptr) frame->ShowClipStatus(in, out, duration, path);
}
