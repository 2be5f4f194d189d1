// The pictures of the clip frame's tool-bar buttons (one bitmap per button,
// by its command's number), drawn here in the classic 16 colours on the
// button face. The buttons it shares with the project frame (file commands,
// add a source file, play, stop, copy, paste) show the project frame's
// pictures where it has drawn them.
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/gui/gui.h"
#include "platform/gui/resource.h"
#include "resources/collection_ids.h"
#include "resources/glyph_grid.h"
#include "resources/tool_bar_palette.h"

namespace {

constexpr int kW = 16, kH = 15;

// Buttons of the clip frame that the application answers.
constexpr int kProjectWindowButton = 852;
constexpr int kTimeInFramesButton = 421;
constexpr int kTimeInSmpteButton = 422;
constexpr int kTimeInMsButton = 423;
// The file commands it shares with the project frame.
constexpr int kCmNewCollection = 24331;
constexpr int kCmOpenCollection = 24332;
constexpr int kCmSaveCollection = 24333;
constexpr int kCmSaveCollectionAs = 24334;

// A grid of palette letters; '.' is the button face.
class Glyph : public GlyphGrid {
 public:
  Glyph(int w = kW, int h = kH, char background = '.') : GlyphGrid(w, h, background) {}
  // A letter of 5 x 7 from the rows' bits.
  void Letter(int x, int y, const unsigned char (&bits)[7], char c) {
    for (int row = 0; row < 7; ++row)
      for (int col = 0; col < 5; ++col)
        if (bits[row] & (0x10 >> col)) Set(x + col, y + row, c);
  }
  PixelArt Art() const { return ToolBarArt(Rows()); }
};

// A sheet of paper with a folded corner at (x, y), w x h.
void Page(Glyph& g, int x, int y, int w, int h) {
  g.Fill(x, y, w, h, 'w');
  g.Frame(x, y, w, h, 'k');
  g.Line(x + w - 4, y, x + w - 1, y + 3, 'k');
  g.Fill(x + w - 3, y, 3, 1, '.');
  g.Fill(x + w - 2, y + 1, 2, 1, '.');
  g.Set(x + w - 1, y + 2, '.');
  g.Line(x + w - 4, y, x + w - 4, y + 3, 'k');
  g.Line(x + w - 4, y + 3, x + w - 1, y + 3, 'k');
}

void Plus(Glyph& g, int cx, int cy, char c) {
  g.Fill(cx - 2, cy, 5, 1, c);
  g.Fill(cx, cy - 2, 1, 5, c);
}

void Floppy(Glyph& g) {
  g.Fill(1, 1, 14, 13, 'b');
  g.Frame(1, 1, 14, 13, 'k');
  g.Fill(4, 2, 8, 5, 'w');
  g.Fill(4, 9, 8, 4, 'g');
  g.Fill(9, 10, 2, 2, 'b');
}

void Slash(Glyph& g) {
  g.Line(1, 13, 14, 1, 'r');
  g.Line(2, 13, 14, 2, 'r');
}

PixelArt NewCollection() {
  Glyph g;
  Page(g, 3, 1, 10, 13);
  return g.Art();
}

PixelArt OpenCollection() {
  Glyph g;
  // The folder's back with its tab, then its front opening towards us.
  g.Fill(1, 3, 5, 2, 'o');
  g.Frame(1, 3, 5, 2, 'k');
  g.Fill(1, 5, 12, 8, 'o');
  g.Frame(1, 5, 12, 8, 'k');
  for (int y = 8; y <= 12; ++y) g.Fill(3 + (12 - y) / 2, y, 11 - (12 - y) / 2, 1, 'y');
  g.Line(3, 8, 14, 8, 'k');
  g.Line(14, 8, 12, 12, 'k');
  g.Line(1, 12, 12, 12, 'k');
  return g.Art();
}

PixelArt SaveCollection() {
  Glyph g;
  Floppy(g);
  return g.Art();
}

PixelArt SaveCollectionAs() {
  Glyph g;
  Floppy(g);
  g.Fill(10, 9, 5, 5, '.');
  for (int i = 0; i < 3; ++i) g.Set(10 + 2 * i, 13, 'k');
  return g.Art();
}

PixelArt AddSourceFile() {
  Glyph g;
  Page(g, 1, 1, 10, 13);
  g.Fill(8, 6, 7, 7, '.');
  g.Fill(9, 8, 5, 3, 'G');
  g.Fill(10, 7, 3, 5, 'G');
  Plus(g, 11, 9, 'l');
  return g.Art();
}

PixelArt Play() {
  Glyph g;
  for (int i = 0; i < 6; ++i) g.Fill(5 + i, 2 + i, 1, 11 - 2 * i, 'G');
  g.Line(5, 2, 5, 12, 'k');
  return g.Art();
}

PixelArt Stop() {
  Glyph g;
  g.Fill(4, 3, 9, 9, 'm');
  g.Frame(4, 3, 9, 9, 'k');
  return g.Art();
}

PixelArt Copy() {
  Glyph g;
  Page(g, 1, 1, 8, 10);
  Page(g, 6, 4, 8, 10);
  return g.Art();
}

PixelArt Paste() {
  Glyph g;
  g.Fill(1, 2, 10, 12, 'o');
  g.Frame(1, 2, 10, 12, 'k');
  g.Fill(4, 1, 4, 3, 'g');
  Page(g, 6, 5, 9, 10);
  return g.Art();
}

PixelArt ProjectWindow() {
  Glyph g;
  g.Fill(1, 2, 14, 11, 'w');
  g.Frame(1, 2, 14, 11, 'k');
  g.Fill(2, 3, 12, 2, 'b');
  g.Fill(3, 6, 6, 2, 'B');
  g.Fill(6, 9, 7, 2, 'G');
  return g.Art();
}

PixelArt SkipVideo() {
  Glyph g;
  g.Fill(3, 1, 10, 13, 'k');
  for (int y = 2; y < 14; y += 3) {
    g.Set(4, y, 'w');
    g.Set(11, y, 'w');
  }
  g.Fill(6, 3, 4, 3, 'a');
  g.Fill(6, 8, 4, 3, 'a');
  Slash(g);
  return g.Art();
}

PixelArt SkipAudio() {
  Glyph g;
  const int heights[] = {2, 5, 9, 6, 11, 7, 4, 8, 3, 5, 2};
  for (int i = 0; i < 11; ++i) g.Fill(2 + i, 7 - heights[i] / 2, 1, heights[i], 'G');
  Slash(g);
  return g.Art();
}

PixelArt AddToClipboard() {
  Glyph g;
  Page(g, 1, 1, 8, 10);
  Page(g, 5, 4, 8, 10);
  g.Fill(10, 9, 5, 5, 'G');
  Plus(g, 12, 11, 'l');
  return g.Art();
}

// Rows of a small picture and text lines, as the info views show tiles.
PixelArt Info(bool full) {
  Glyph g;
  for (int row = 0; row < 2; ++row) {
    const int y = 1 + row * 7;
    g.Fill(1, y, 5, 5, 'B');
    g.Frame(1, y, 5, 5, 'k');
    g.Fill(7, y, 8, 1, 'k');
    g.Fill(7, y + 2, full ? 7 : 5, 1, 'g');
    if (full) g.Fill(7, y + 4, 6, 1, 'g');
  }
  return g.Art();
}

PixelArt Icons(int perRow) {
  Glyph g;
  const int cell = 14 / perRow;
  for (int r = 0; r < perRow; ++r)
    for (int c = 0; c < perRow; ++c) {
      const int x = 1 + c * cell, y = 1 + r * cell;
      g.Fill(x, y, cell - 1, cell - 1, 'B');
      g.Frame(x, y, cell - 1, cell - 1, 'k');
    }
  return g.Art();
}

// Bars of growing length beside a downward arrow: sorted.
void SortedBars(Glyph& g) {
  for (int i = 0; i < 4; ++i) g.Fill(7, 2 + 3 * i, 3 + 2 * i, 2, 'b');
  g.Fill(3, 1, 1, 11, 'k');
  g.Line(1, 10, 3, 13, 'k');
  g.Line(5, 10, 3, 13, 'k');
}

PixelArt AutoSort() {
  Glyph g;
  SortedBars(g);
  g.Fill(13, 1, 2, 2, 'G');
  g.Line(11, 3, 13, 1, 'G');
  return g.Art();
}

PixelArt SortByType() {
  Glyph g;
  const char kinds[] = {'r', 'r', 'B', 'B', 'G'};
  for (int i = 0; i < 5; ++i) {
    g.Fill(7, 1 + 3 * i, 7, 2, kinds[i]);
  }
  g.Fill(3, 1, 1, 11, 'k');
  g.Line(1, 10, 3, 13, 'k');
  g.Line(5, 10, 3, 13, 'k');
  return g.Art();
}

PixelArt SortByName() {
  Glyph g;
  SortedBars(g);
  return g.Art();
}

constexpr unsigned char kLetterF[7] = {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10};
constexpr unsigned char kLetterS[7] = {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E};
constexpr unsigned char kLetterM[7] = {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11};

// A time format: a clock face with the format's letter.
PixelArt TimeFormat(const unsigned char (&letter)[7]) {
  Glyph g;
  g.Frame(1, 1, 14, 13, 'k');
  g.Fill(2, 2, 12, 11, 'w');
  g.Letter(6, 4, letter, 'b');
  return g.Art();
}

}  // namespace

void RegisterClipFramePictures() {
  const std::pair<int, PixelArt> buttons[] = {
      {kProjectWindowButton, ProjectWindow()},
      {kCmSkipVideo, SkipVideo()},
      {kCmSkipAudio, SkipAudio()},
      {kCmCollectionAdd, AddToClipboard()},
      {kCmViewFullInfo, Info(true)},
      {kCmViewBasicInfo, Info(false)},
      {kCmViewLargeIcons, Icons(2)},
      {kCmViewSmallIcons, Icons(3)},
      {kCmAutoSort, AutoSort()},
      {kCmSortByType, SortByType()},
      {kCmSortByName, SortByName()},
      {kTimeInFramesButton, TimeFormat(kLetterF)},
      {kTimeInSmpteButton, TimeFormat(kLetterS)},
      {kTimeInMsButton, TimeFormat(kLetterM)},
  };
  for (const auto& [id, art] : buttons) RegisterBitmapResource(id, art);
  // The project frame draws these for both bars; these stand in only where
  // it has not (yet) registered its own.
  const std::pair<int, PixelArt> shared[] = {
      {kCmNewCollection, NewCollection()},   {kCmOpenCollection, OpenCollection()},
      {kCmSaveCollection, SaveCollection()}, {kCmSaveCollectionAs, SaveCollectionAs()},
      {kCmCollectionAddFile, AddSourceFile()}, {kCmCollectionPlay, Play()},
      {kCmCollectionStop, Stop()},           {kCmCollectionCopy, Copy()},
      {kCmCollectionPaste, Paste()},
  };
  for (const auto& [id, art] : shared) {
    if (HBITMAP existing = LoadBitmap(ProgramInstance(), MAKEINTRESOURCE(id))) {
      DeleteObject(existing);
      continue;
    }
    RegisterBitmapResource(id, art);
  }
}
