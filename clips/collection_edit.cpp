// The collection's side of the clip clipboard (Copy, Add, Paste), the
// preview of a clip (Play, Stop), a clip's property sheet, and the font and
// colour of the tiles.
#include <algorithm>
#include <new>
#include <vector>

#include "audio/audio_player.h"
#include "clips/clip_collection.h"
#include "clips/clip_property_sheet.h"
#include "clips/summary_info.h"
#include "model/error_codes.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/classlib/command_enabler.h"
#include "platform/classlib/common_dialogs.h"
#include "resources/collection_ids.h"
#include "timeline/window/main_timeline_window.h"

namespace {

constexpr int kMinFontPoints = 4;
constexpr int kMaxFontPoints = 25;

// The custom colours of the colour dialog, kept for the program's life.
COLORREF g_customColors[16] = {};

int AudioState() {
  return TheAudioPlayer != nullptr ? TheAudioPlayer->GetState() : AudioPlayer::kDisabled;
}

bool PreviewRunning() {
  return AudioState() == AudioPlayer::kPlayingSource;
}

// A film of clip at start for the clipboard; null, after telling the user,
// without memory.
Film* ClipboardFilm(HWND owner, const ClipData& clip, int32_t start) {
  Film* film = new (std::nothrow) Film(clip, start, static_cast<int32_t>(clip.kind), 0, 0);
  if (film == nullptr) ErrorBoxPlain(owner, kErrNoMemory, nullptr);
  return film;
}

}  // namespace

const std::vector<TResponseTableEntry>& ClipCollection::EditEntries() {
  using TMyClass = ClipCollection;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmCollectionCopy, CmCopy),
      EV_COMMAND(kCmCollectionAdd, CmAdd),
      EV_COMMAND(kCmCollectionPaste, CmPaste),
      EV_COMMAND(kCmCollectionProperties, CmProperties),
      EV_COMMAND(kCmCollectionPlay, CmPlay),
      EV_COMMAND(kCmCollectionStop, CmStop),
      EV_COMMAND(kCmTileFont, CmFont),
      EV_COMMAND(kCmTileColor, CmColor),
      EV_COMMAND_ENABLE(kCmCollectionCopy, CeSelected),
      EV_COMMAND_ENABLE(kCmCollectionAdd, CeSelected),
      EV_COMMAND_ENABLE(kCmCollectionPaste, CePaste),
      EV_COMMAND_ENABLE(kCmCollectionProperties, CeProperties),
      EV_COMMAND_ENABLE(kCmCollectionPlay, CePlay),
      EV_COMMAND_ENABLE(kCmCollectionStop, CeStop),
      EV_COMMAND_ENABLE(kCmTileFont, CeAlways),
      EV_COMMAND_ENABLE(kCmTileColor, CeAlways),
  };
  return entries;
}

void ClipCollection::CmCopy() {
  ClipData* clip = SelectedClip();
  if (clip == nullptr) return;
  Film* film = ClipboardFilm(HWindow, *clip, 0);
  if (film == nullptr) return;
  ClipClipboard.Clear();
  Film::Link(film, ClipClipboard);
}

void ClipCollection::CmAdd() {
  ClipData* clip = SelectedClip();
  if (clip == nullptr) return;
  // After the items that take the first line of one of its parts.
  int32_t start = 0;
  for (Film* f = ClipClipboard.First(); f != nullptr; f = f->next) {
    const bool follows = ((clip->kind & kClipAudio) && f->audio != nullptr && f->audioLine == 0) ||
                         ((clip->kind & kClipVideo) && f->video != nullptr && f->videoRow == 0) ||
                         ((clip->kind & kClipMidi) && f->midi != nullptr);
    if (follows) start = std::max(start, f->end);
  }
  if (Film* film = ClipboardFilm(HWindow, *clip, start)) Film::Link(film, ClipClipboard);
}

void ClipCollection::CmPaste() {
  int answer = 0;
  for (Film* f = ClipClipboard.First(); f != nullptr; f = f->next) PasteClip(f, &answer);
}

void ClipCollection::CmPlay() {
  if (ProjectPlaying()) {
    timeLine_->Engine().CmStop();
    return;
  }
  // Play again ends a preview.
  if (PreviewRunning()) {
    TheAudioPlayer->StopOut();
    return;
  }
  ClipData* clip = SelectedClip();
  if (clip == nullptr) return;
  if (clip->kind == kClipAudio) {
    if (TheAudioPlayer != nullptr && clip->audio != nullptr)
      TheAudioPlayer->PlayOut(clip->audio, clip->inTime, clip->outTime);
  } else if (timeLine_ != nullptr) {
    timeLine_->Engine().PlayCollectionClip(*clip);
  }
}

void ClipCollection::CmStop() {
  if (ProjectPlaying())
    timeLine_->Engine().CmStop();
  else if (PreviewRunning())
    TheAudioPlayer->StopOut();
}

void ClipCollection::CmProperties() {
  ShowClipProperties(selection_);
}

bool ClipCollection::ShowClipProperties(int index) {
  ClipWindow* tile = Tile(index);
  if (tile == nullptr || ProjectPlaying()) return false;
  ClipData& clip = tile->clip;
  if (timeLine_ != nullptr) timeLine_->Engine().EnableCommands(false);
  SummaryInfo summary;
  std::vector<ClipPage> pages{ClipPage::kGeneral};
  if (clip.video != nullptr) pages.push_back(ClipPage::kVideo);
  if (clip.audio != nullptr) pages.push_back(ClipPage::kAudio);
  if (clip.midi != nullptr) pages.push_back(ClipPage::kMidi);
  if (clip.video != nullptr) pages.push_back(ClipPage::kFace);
  if ((clip.video != nullptr || clip.audio != nullptr) && clip.path != nullptr &&
      summary.ReadRiffInfo(clip.path))
    pages.push_back(ClipPage::kSummary);
  ClipPropertySheet* sheet = CurrentClipPropertySheet();
  const bool ok =
      sheet != nullptr && sheet->Run(HWindow, GetString(ui_string::kClipProperties), clip, pages, summary);
  if (timeLine_ != nullptr) timeLine_->Engine().EnableCommands(true);
  if (!ok) return false;
  SetModified(true);
  selection_ = index;
  // The tile's size and texts may have changed.
  Layout(false);
  return true;
}

void ClipCollection::CmFont() {
  TChooseFontDialog::TData data(CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE);
  if (TileFont() == nullptr ||
      GetObject(TileFont(), sizeof data.LogFont, &data.LogFont) != sizeof data.LogFont)
    return;
  data.FontType = SCREEN_FONTTYPE;
  data.Color = RGB(0, 0, 0);
  data.SizeMin = kMinFontPoints;
  data.SizeMax = kMaxFontPoints;
  TChooseFontDialog dialog(this, data);
  if (dialog.Execute() != IDOK) return;
  SetTileFont(data.LogFont);
  RedrawClips();
}

void ClipCollection::CmColor() {
  TChooseColorDialog::TData data(CC_RGBINIT, TileTextColor(), g_customColors);
  TChooseColorDialog dialog(this, data);
  if (dialog.Execute() != IDOK) return;
  SetTileTextColor(data.Color);
  RedrawClips();
}

void ClipCollection::CeSelected(TCommandEnabler& ce) {
  ce.Enable(SelectedClip() != nullptr);
}

void ClipCollection::CePaste(TCommandEnabler& ce) {
  ce.Enable(!ClipClipboard.Empty());
}

void ClipCollection::CeProperties(TCommandEnabler& ce) {
  ce.Enable(!ProjectPlaying() && SelectedClip() != nullptr);
}

void ClipCollection::CePlay(TCommandEnabler& ce) {
  const ClipData* clip = SelectedClip();
  const int state = AudioState();
  bool playable = false;
  if (clip != nullptr && !ProjectPlaying() && state != AudioPlayer::kPlayingSource) {
    const bool video = (clip->kind & kClipVideo) && clip->video != nullptr && clip->video->IsDirectPlayable();
    bool audio = false;
    if ((clip->kind & kClipAudio) && clip->audio != nullptr && state != AudioPlayer::kDisabled) {
      const WORD tag = clip->audio->GetFormatTag();
      audio = tag == WAVE_FORMAT_PCM || tag == WAVE_FORMAT_IEEE_FLOAT;
    }
    const bool midi = (clip->kind & kClipMidi) && clip->midi != nullptr && timeLine_ != nullptr &&
                      timeLine_->Engine().Players().MidiUsable();
    playable = video || audio || midi;
  }
  ce.Enable(playable);
}

void ClipCollection::CeStop(TCommandEnabler& ce) {
  ce.Enable(ProjectPlaying() || PreviewRunning());
}

void ClipCollection::CeAlways(TCommandEnabler& ce) {
  ce.Enable(true);
}
