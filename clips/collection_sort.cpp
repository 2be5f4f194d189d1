// Sorting the tiles by name and by the parts their clips are made of.
#include <algorithm>

#include "clips/clip_collection.h"
#include "platform/classlib/command_enabler.h"
#include "platform/core/paths.h"
#include "resources/collection_ids.h"

namespace {

// The groups of a sort by type, in order; a clip in none goes last.
int TypeRank(const ClipData& clip) {
  const bool video = clip.video != nullptr, audio = clip.audio != nullptr, midi = clip.midi != nullptr;
  if (midi) return 3;
  if (video && audio) return 0;
  if (video) return 1;
  if (audio) return 2;
  return 4;
}

void SortNames(std::vector<ClipWindow*>& tiles) {
  std::stable_sort(tiles.begin(), tiles.end(), [](const ClipWindow* a, const ClipWindow* b) {
    return CompareNoCase(a->clip.name, b->clip.name) < 0;
  });
}

}  // namespace

const std::vector<TResponseTableEntry>& ClipCollection::SortEntries() {
  using TMyClass = ClipCollection;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmAutoSort, CmAutoSort),        EV_COMMAND(kCmSortByType, SortByType),
      EV_COMMAND(kCmSortByName, SortByName),      EV_COMMAND_ENABLE(kCmAutoSort, CeAutoSort),
      EV_COMMAND_ENABLE(kCmSortByType, CeAlways), EV_COMMAND_ENABLE(kCmSortByName, CeAlways),
  };
  return entries;
}

void ClipCollection::SortByName() {
  HideCaretIfShown();
  SortNames(tiles_);
  ShowCaretIfShown();
  Layout(false);
}

void ClipCollection::SortByType() {
  HideCaretIfShown();
  SortNames(tiles_);
  std::stable_sort(tiles_.begin(), tiles_.end(), [](const ClipWindow* a, const ClipWindow* b) {
    return TypeRank(a->clip) < TypeRank(b->clip);
  });
  ShowCaretIfShown();
  Layout(false);
}

void ClipCollection::ToggleAutoSort() {
  autoSort_ = !autoSort_;
  if (autoSort_) SortByType();
}

void ClipCollection::CmAutoSort() {
  ToggleAutoSort();
}

void ClipCollection::CeAutoSort(TCommandEnabler& ce) {
  ce.Enable(true);
  ce.SetCheck(autoSort_ ? TCommandEnabler::Checked : TCommandEnabler::Unchecked);
}
