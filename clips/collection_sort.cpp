// Sorting the tiles.
#include "clips/clip_collection.h"

// The tiles stay in the order they came in; the grid is laid out anew.
void ClipCollection::SortByType() {
  Layout(false);
}

void ClipCollection::ToggleAutoSort() {
  autoSort_ = !autoSort_;
  if (autoSort_) SortByType();
}
