// The sheet of a clip's properties, which the collection opens for a tile:
// the collection decides which pages the clip gets, the sheet builds them
// over the clip and runs them. The program installs the sheet of the
// property pages; tests install their own. Without one, Properties shows
// nothing and changes nothing.
#pragma once

#include <vector>

#include "platform/core/types.h"

class ClipData;
class SummaryInfo;

// The pages, in the order they are added.
enum class ClipPage {
  kGeneral,  // always
  kVideo,    // a clip with a video source
  kAudio,    // with an audio source
  kMidi,     // with MIDI data
  kFace,     // with a video source: the picture of the tile
  kSummary,  // the file's metadata, read-only
};

class ClipPropertySheet {
 public:
  virtual ~ClipPropertySheet() = default;
  // Runs the sheet modally over clip, owned by parent and captioned
  // caption, with pages in order; summary holds what the file's metadata
  // says (for the summary page). True when it closed with OK, the pages
  // having written their values into the clip.
  virtual bool Run(HWND parent, const char* caption, ClipData& clip, const std::vector<ClipPage>& pages,
                   const SummaryInfo& summary) = 0;
};

// Installs sheet (null: none); returns the one before.
ClipPropertySheet* SetClipPropertySheet(ClipPropertySheet* sheet);
ClipPropertySheet* CurrentClipPropertySheet();
