// The collection's life: its settings, its tile font and colour, the tile
// array, and what the time-line and the Film model ask of it.
#include "clips/clip_collection.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "clips/collection_shell.h"
#include "model/ini.h"
#include "model/undo_history.h"
#include "timeline/window/main_timeline_window.h"
#include "ui/scroll_window.h"

ClipCollection* TheClipCollection = nullptr;

namespace {

constexpr const char* kDefaultFace = "MS Sans Serif";
constexpr int kDefaultFontSize = -11;
constexpr COLORREF kDefaultTextColor = 255;  // pure red
// Heights from a hand-edited file stay within what a screen can show.
constexpr int kMaxFontHeight = 255;

std::unique_ptr<TFont> g_tileFont;
COLORREF g_tileTextColor = kDefaultTextColor;

// A clip taken out of the collection for the Film model, which deletes it:
// the tile goes with it.
class DetachedClip : public ClipItem {
 public:
  explicit DetachedClip(ClipWindow* tile) : tile_(tile) {}
  VideoSource* GetVideo() const override { return tile_->clip.GetVideo(); }
  AudioSource* GetAudio() const override { return tile_->clip.GetAudio(); }
  MidiSource* GetMidi() const override { return tile_->clip.GetMidi(); }
  int32_t GetIn() const override { return tile_->clip.GetIn(); }
  int32_t GetOut() const override { return tile_->clip.GetOut(); }
  int32_t GetLength() const override { return tile_->clip.GetLength(); }
  const char* GetName() const override { return tile_->clip.GetName(); }
  int32_t GetKinds() const override { return tile_->clip.GetKinds(); }

 private:
  std::unique_ptr<ClipWindow> tile_;
};

}  // namespace

ClipCollection::ClipCollection(MainTimeLineWindow* timeLine, int orientation)
    : TWindow(nullptr, ""), timeLine_(timeLine), orientation_(orientation) {
  LoadSettings();
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  gapX_ = GetSystemMetrics(SM_CXFRAME);
  gapY_ = GetSystemMetrics(SM_CYFRAME);
  scrollWindow_ = new TEScrollWindow(nullptr, this);
  tiles_.reserve(11);
  TheClipCollection = this;
  if (timeLine_ != nullptr) timeLine_->Engine().SetClipCollection(this);
}

ClipCollection::~ClipCollection() {
  Release();
  if (timeLine_ != nullptr && TheTimeLine == timeLine_) timeLine_->Engine().SetClipCollection(nullptr);
  if (TheClipCollection == this) TheClipCollection = nullptr;
}

void ClipCollection::LoadSettings() {
  IniSetSection(kCollectionSection);
  LOGFONT lf{};
  std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", IniReadString("FONT_NAME", kDefaultFace));
  lf.lfHeight = IniReadInt("FONT_SIZE", kDefaultFontSize);
  lf.lfWeight = IniReadInt("FONT_WEIGHT", FW_NORMAL);
  lf.lfItalic = IniReadInt("FONT_ITALIC", 0) != 0 ? 1 : 0;
  g_tileTextColor = static_cast<COLORREF>(IniReadInt("COLOR", kDefaultTextColor)) & 0xFFFFFF;
  SetTileFont(lf);
}

const char* ClipCollection::GetClassName() {
  return "ClipCollection";
}

void ClipCollection::GetWindowClass(WNDCLASS& wc) {
  TWindow::GetWindowClass(wc);
  wc.style |= CS_DBLCLKS;
  wc.hbrBackground = nullptr;
}

void ClipCollection::SetupWindow() {
  TWindow::SetupWindow();
  TEBitmapInit::LoadStockBitmaps(nullptr);
  IniSetSection(kCollectionSection);
  const int mode = IniReadInt("ICON_TYPE", kViewBasicInfo);
  const bool sorted = IniReadInt("AUTO_SORT", 1) != 0;
  const int skip = IniReadInt("SKIP_USED", kSkipNone);
  SetViewMode(mode);
  // The toggle turns the option on as the key says, sorting when it does.
  autoSort_ = !sorted;
  ToggleAutoSort();
  skipMode_ = skip == kSkipVideo || skip == kSkipAudio ? skip : kSkipNone;
  CurrentCollectionShell().ShowSkipMode(skipMode_);
}

void ClipCollection::CleanupWindow() {
  Release();
  TWindow::CleanupWindow();
}

// Runs once, whether the window goes first or the object.
void ClipCollection::Release() {
  if (released_) return;
  released_ = true;
  if (timerRunning_) StopScrollTimer();
  SaveSettings();
  while (!tiles_.empty()) delete DetachClip(TileCount() - 1);
  g_tileFont.reset();
}

bool ClipCollection::Find(TEventInfo& info) {
  using Table = const std::vector<TResponseTableEntry>& (*)();
  static constexpr Table kTables[] = {&LayoutEntries, &MouseEntries, &EditEntries,
                                      &MenuEntries,   &SortEntries,  &RequestEntries};
  for (Table table : kTables) {
    if (SearchEntries(table(), info)) return true;
  }
  return TWindow::Find(info);
}

void ClipCollection::SaveSettings() {
  IniSetSection(kCollectionSection);
  IniWriteInt("ICON_TYPE", viewMode_);
  IniWriteInt("AUTO_SORT", autoSort_ ? 1 : 0);
  LOGFONT lf;
  if (g_tileFont != nullptr && GetObject(g_tileFont->GetHandle(), sizeof lf, &lf) == sizeof lf) {
    lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    IniWriteString("FONT_NAME", lf.lfFaceName);
    IniWriteInt("FONT_SIZE", lf.lfHeight);
    IniWriteInt("FONT_WEIGHT", lf.lfWeight);
    IniWriteInt("FONT_ITALIC", lf.lfItalic);
  }
  IniWriteInt("COLOR", static_cast<int>(g_tileTextColor & 0xFFFFFF));
  IniWriteInt("SKIP_USED", skipMode_);
  IniFlush();
}

bool ClipCollection::ProjectPlaying() const {
  return timeLine_ != nullptr && timeLine_->Engine().playing;
}

ClipData* ClipCollection::SelectedClip() const {
  ClipWindow* tile = Tile(selection_);
  return tile != nullptr ? &tile->clip : nullptr;
}

void ClipCollection::LayoutOrSort() {
  if (autoSort_)
    SortByType();
  else
    Layout(false);
}

void ClipCollection::SetModified(bool modified) {
  if (modified == modified_) return;
  CurrentCollectionShell().ShowModified(modified);
  modified_ = modified;
  if (modified) AutosaveDirty = true;
}

// ---- The tile font and colour.

HFONT ClipCollection::TileFont() {
  return g_tileFont != nullptr ? g_tileFont->GetHandle() : nullptr;
}

COLORREF ClipCollection::TileTextColor() {
  return g_tileTextColor;
}

void ClipCollection::SetTileFont(const LOGFONT& wanted) {
  LOGFONT lf = wanted;
  lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  // The old system font at its old size means the program's usual font.
  if (lf.lfHeight == 16 && lf.lfWeight == FW_NORMAL && lf.lfItalic == 0 &&
      std::strcmp(lf.lfFaceName, "System") == 0) {
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", kDefaultFace);
    lf.lfHeight = kDefaultFontSize;
  }
  lf.lfHeight = std::clamp<LONG>(lf.lfHeight, -kMaxFontHeight, kMaxFontHeight);
  lf.lfWidth = lf.lfEscapement = lf.lfOrientation = 0;
  lf.lfUnderline = lf.lfStrikeOut = 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  g_tileFont.reset();
  if (HFONT font = CreateFontIndirect(&lf)) g_tileFont = std::make_unique<TFont>(font, true);
  // The info columns are measured in the font they are drawn with.
  TScreenDC dc;
  ClipWindow::MeasureInfoTexts(dc, TileFont());
  if (HWindow != nullptr) SetViewMode(viewMode_);
}

void ClipCollection::SetTileTextColor(COLORREF color) {
  g_tileTextColor = color & 0xFFFFFF;
  if (HWindow != nullptr) RedrawClips();
}

// ---- The tile array.

ClipWindow* ClipCollection::Tile(int index) const {
  return index >= 0 && index < TileCount() ? tiles_[static_cast<size_t>(index)] : nullptr;
}

int ClipCollection::IndexOf(const ClipWindow* tile) const {
  for (int i = 0; i < TileCount(); ++i)
    if (tiles_[static_cast<size_t>(i)] == tile) return i;
  return -1;
}

void ClipCollection::InsertClip(ClipWindow* tile, int index) {
  if (tile == nullptr) return;
  HideCaretIfShown();
  if (index < 0 || index >= TileCount())
    tiles_.push_back(tile);
  else
    tiles_.insert(tiles_.begin() + index, tile);
  if (tile->GetParentO() != this) tile->SetParent(this);
  if (HWindow != nullptr && tile->GetHandle() == nullptr && tile->Create()) tile->Show(SW_SHOW);
  ShowCaretIfShown();
}

ClipWindow* ClipCollection::DetachClip(int index) {
  if (index < 0 || index >= TileCount()) return nullptr;
  HideCaretIfShown();
  ClipWindow* tile = tiles_[static_cast<size_t>(index)];
  tiles_.erase(tiles_.begin() + index);
  if (!tiles_.empty()) ShowCaretIfShown();
  return tile;
}

// ---- What the Film model asks.

ClipItem* ClipCollection::ClipAt(int32_t index) {
  ClipWindow* tile = Tile(index);
  return tile != nullptr ? &tile->clip : nullptr;
}

ClipItem* ClipCollection::TakeClip(int32_t index) {
  ClipWindow* tile = DetachClip(index);
  return tile != nullptr ? new DetachedClip(tile) : nullptr;
}
