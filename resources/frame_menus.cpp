// The project frame's menu, its key table (the time-line's keys joined to
// the frame's own), the tool-bar pictures and the two frames' icons.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/gui.h"
#include "platform/gui/resource.h"
#include "resources/frame_ids.h"
#include "resources/glyph_grid.h"
#include "resources/tool_bar_palette.h"
#include "resources/timeline_ids.h"

namespace {

// A 16 x 15 glyph drawn into characters: '.' is the button face, the
// letters are colours of the palette below.
class Glyph : public GlyphGrid {
 public:
  Glyph() : GlyphGrid(16, 15, '.') {}
  // A triangle pointing right (dir 1) or left (-1), tip at x.
  void Arrow(int x, int cy, int size, int dir, char c) {
    for (int i = 0; i < size; ++i) Line(x - dir * i, cy - i, x - dir * i, cy + i, c);
  }
  PixelArt Art() const { return ToolBarArt(Rows()); }
};

void Page(Glyph& g, int x, int y) {
  g.Fill(x, y, 9, 12, 'w');
  g.Frame(x, y, 9, 12, 'k');
  g.Line(x + 6, y, x + 8, y + 2, 'k');
}

void Disk(Glyph& g) {
  g.Fill(1, 1, 13, 13, 'b');
  g.Frame(1, 1, 13, 13, 'k');
  g.Fill(4, 2, 7, 5, 'w');
  g.Fill(4, 9, 7, 4, 'g');
  g.Fill(8, 10, 2, 2, 'k');
}

void Plus(Glyph& g, int cx, int cy, char c) {
  g.Fill(cx - 3, cy, 7, 1, c);
  g.Fill(cx, cy - 3, 1, 7, c);
}

void CurvedArrow(Glyph& g, bool back) {
  // A hook from one side to the other with its head at the start.
  const int s = back ? 1 : -1, x0 = back ? 3 : 12;
  g.Line(x0, 6, x0 + s * 3, 3, 'b');
  g.Line(x0 + s * 3, 3, x0 + s * 7, 3, 'b');
  g.Line(x0 + s * 7, 3, x0 + s * 9, 6, 'b');
  g.Line(x0 + s * 9, 6, x0 + s * 9, 11, 'b');
  g.Fill(back ? 1 : 10, 6, 5, 1, 'b');
  g.Line(back ? 1 : 14, 6, x0, 8, 'b');
  g.Line(back ? 5 : 10, 6, x0, 8, 'b');
}

const std::vector<std::pair<int, std::function<void(Glyph&)>>>& ToolGlyphs() {
  static const std::vector<std::pair<int, std::function<void(Glyph&)>>> glyphs = {
      {kCmNewProject, [](Glyph& g) { Page(g, 3, 1); }},
      {kCmOpenProject,
       [](Glyph& g) {
         g.Fill(1, 4, 12, 9, 'o');
         g.Frame(1, 4, 12, 9, 'k');
         g.Fill(1, 3, 5, 1, 'k');
         g.Fill(4, 7, 11, 6, 'y');
         g.Frame(4, 7, 11, 6, 'k');
       }},
      {kCmSaveProject, [](Glyph& g) { Disk(g); }},
      {kCmSaveProjectAs,
       [](Glyph& g) {
         Disk(g);
         g.Fill(11, 11, 5, 4, '.');
         g.Fill(11, 13, 1, 1, 'k');
         g.Fill(13, 13, 1, 1, 'k');
         g.Fill(15, 13, 1, 1, 'k');
       }},
      {kCmAddSourceFile,
       [](Glyph& g) {
         Page(g, 1, 1);
         Plus(g, 12, 10, 'G');
       }},
      {kCmShowCollection,
       [](Glyph& g) {
         for (int y : {1, 8})
           for (int x : {1, 8}) {
             g.Fill(x, y, 6, 5, 'c');
             g.Frame(x, y, 6, 5, 'k');
           }
       }},
      {kCmRewind,
       [](Glyph& g) {
         g.Fill(2, 3, 2, 9, 'k');
         g.Arrow(4, 7, 5, -1, 'k');
         g.Arrow(9, 7, 5, -1, 'k');
       }},
      {kCmPlay, [](Glyph& g) { g.Arrow(12, 7, 6, 1, 'G'); }},
      {kCmStop, [](Glyph& g) { g.Fill(4, 3, 9, 9, 'k'); }},
      {kCmPrevFrame,
       [](Glyph& g) {
         g.Arrow(5, 7, 5, -1, 'k');
         g.Fill(11, 3, 2, 9, 'k');
       }},
      {kCmNextFrame,
       [](Glyph& g) {
         g.Fill(3, 3, 2, 9, 'k');
         g.Arrow(11, 7, 5, 1, 'k');
       }},
      {kCmRecordAudio,
       [](Glyph& g) {
         for (int y = 0; y < 15; ++y)
           for (int x = 0; x < 16; ++x)
             if ((x - 8) * (x - 8) + (y - 7) * (y - 7) <= 20) g.Set(x, y, 'r');
       }},
      {kCmCut,
       [](Glyph& g) {
         g.Line(5, 1, 9, 9, 'k');
         g.Line(10, 1, 6, 9, 'k');
         g.Frame(2, 9, 5, 5, 'k');
         g.Frame(9, 9, 5, 5, 'k');
       }},
      {kCmCopy,
       [](Glyph& g) {
         Page(g, 1, 1);
         Page(g, 6, 3);
       }},
      {kCmPaste,
       [](Glyph& g) {
         g.Fill(1, 2, 10, 12, 'o');
         g.Frame(1, 2, 10, 12, 'k');
         g.Fill(4, 1, 4, 3, 'g');
         Page(g, 6, 3);
       }},
      {kCmInsert,
       [](Glyph& g) {
         g.Fill(7, 1, 2, 13, 'k');
         g.Arrow(6, 7, 4, 1, 'b');
         g.Arrow(9, 7, 4, -1, 'b');
       }},
      {kCmUndo, [](Glyph& g) { CurvedArrow(g, true); }},
      {kCmRedo, [](Glyph& g) { CurvedArrow(g, false); }},
      {kCmSplit,
       [](Glyph& g) {
         g.Fill(1, 5, 6, 5, 'c');
         g.Fill(9, 5, 6, 5, 'c');
         g.Line(8, 1, 8, 13, 'r');
       }},
      {kCmVolumeProfile,
       [](Glyph& g) {
         g.Fill(1, 12, 14, 1, 'g');
         g.Line(1, 11, 5, 4, 'G');
         g.Line(5, 4, 10, 4, 'G');
         g.Line(10, 4, 14, 11, 'G');
       }},
      {kCmBalanceProfile,
       [](Glyph& g) {
         g.Fill(1, 7, 14, 1, 'g');
         g.Line(1, 10, 7, 3, 'm');
         g.Line(7, 3, 14, 11, 'm');
       }},
      {kCmAddPointMode,
       [](Glyph& g) {
         g.Line(1, 12, 14, 5, 'G');
         g.Frame(6, 7, 4, 4, 'k');
         Plus(g, 12, 3, 'k');
       }},
      {kCmMultiselect,
       [](Glyph& g) {
         g.Fill(1, 2, 6, 4, 'y');
         g.Frame(1, 2, 6, 4, 'k');
         g.Fill(9, 2, 6, 4, 'y');
         g.Frame(9, 2, 6, 4, 'k');
         g.Fill(5, 9, 6, 4, 'y');
         g.Frame(5, 9, 6, 4, 'k');
       }},
      {521,
       [](Glyph& g) {
         g.Fill(1, 6, 14, 3, 'c');
         g.Frame(1, 6, 14, 3, 'k');
         g.Fill(4, 2, 1, 11, 'r');
         g.Fill(11, 2, 1, 11, 'r');
       }},
      {kCmNextMarkGroup,
       [](Glyph& g) {
         g.Arrow(4, 4, 4, 1, 'r');
         g.Fill(1, 8, 14, 4, 'c');
         g.Frame(1, 8, 14, 4, 'k');
       }},
      {kCmNextSelectionGroup,
       [](Glyph& g) {
         g.Fill(1, 2, 14, 4, 'y');
         g.Frame(1, 2, 14, 4, 'k');
         g.Fill(1, 9, 14, 4, 'y');
         g.Frame(1, 9, 14, 4, 'k');
       }},
      {kCmZoomIn,
       [](Glyph& g) {
         g.Frame(1, 1, 10, 10, 'k');
         Plus(g, 6, 6, 'k');
         g.Line(10, 10, 14, 14, 'k');
         g.Line(11, 10, 15, 14, 'k');
       }},
      {kCmZoomOut,
       [](Glyph& g) {
         g.Frame(1, 1, 10, 10, 'k');
         g.Fill(3, 6, 7, 1, 'k');
         g.Line(10, 10, 14, 14, 'k');
         g.Line(11, 10, 15, 14, 'k');
       }},
      {kCmSettings,
       [](Glyph& g) {
         for (int y = 0; y < 15; ++y)
           for (int x = 0; x < 16; ++x) {
             const int d = (x - 8) * (x - 8) + (y - 7) * (y - 7);
             if (d <= 30 && d > 6) g.Set(x, y, 'g');
           }
         for (auto [x, y] : std::vector<std::pair<int, int>>{{8, 0}, {8, 14}, {1, 7}, {15, 7}})
           g.Fill(x - 1, y - (y == 14 ? 1 : 0), 2, 2, 'g');
         g.Frame(6, 5, 5, 5, 'k');
       }},
  };
  return glyphs;
}

// 32 x 32: a strip of film over a time-line (the project) or tiles (the
// collection).
PixelArt FrameIcon(bool collection) {
  GlyphGrid icon(32, 32, ' ');  // clear where nothing is drawn
  auto fill = [&icon](int x, int y, int w, int h, char c) { icon.Fill(x, y, w, h, c); };
  if (collection) {
    for (int y : {2, 17})
      for (int x : {2, 17}) {
        fill(x, y, 13, 13, 'k');
        fill(x + 1, y + 1, 11, 11, 'c');
      }
  } else {
    fill(1, 3, 30, 12, 'k');
    for (int x = 3; x < 30; x += 4) fill(x, 4, 2, 2, 'w'), fill(x, 12, 2, 2, 'w');
    fill(3, 7, 12, 4, 'c');
    fill(17, 7, 12, 4, 'y');
    fill(1, 19, 30, 4, 'g');
    fill(4, 19, 12, 4, 'G');
    fill(1, 25, 30, 4, 'g');
    fill(10, 25, 16, 4, 'G');
    fill(20, 17, 1, 14, 'r');
  }
  return ToolBarArt(icon.Rows());
}

}  // namespace

void RegisterFrameMenus() {
  RegisterMenuResource(
      kFrameMenu,
      {
          MenuPopup("&File",
                    {
                        MenuCommand("&New project...\tCtrl+N", kCmNewProject),
                        MenuCommand("&Open project...\tCtrl+O", kCmOpenProject),
                        MenuCommand("&Close", kCmCloseProject),
                        MenuCommand("&Save project\tCtrl+S", kCmSaveProject),
                        MenuCommand("Save project &As...\tShift+Ctrl+S", kCmSaveProjectAs),
                        MenuCommand("Sa&ve All...", kCmSaveAll),
                        MenuSeparator(),
                        MenuCommand("Copy &from file...", kCmCopyFromFile),
                        MenuCommand("Add source &File...\tF4", kCmAddSourceFile),
                        MenuSeparator(),
                        // The recent files go in here (kRecentFilesPosition).
                        MenuSeparator(),
                        MenuCommand("&Import EDL...", kCmImportEdl),
                        MenuCommand("&Export EDL...", kCmExportEdl),
                        MenuSeparator(),
                        MenuCommand("&Settings...", kCmSettings),
                        MenuCommand("S&ynchronization...", kCmSynchronization),
                        MenuCommand("Save &Options", kCmSaveOptions),
                        MenuSeparator(),
                        MenuCommand("E&xit\tCtrl+Q", kCmExit),
                    }),
          MenuPopup("&Edit",
                    {
                        MenuCommand("&Undo\tCtrl+Z", kCmUndo),
                        MenuCommand("&Redo\tCtrl+Y", kCmRedo),
                        MenuSeparator(),
                        MenuCommand("Cu&t\tCtrl+X", kCmCut),
                        MenuCommand("&Copy\tCtrl+C", kCmCopy),
                        MenuCommand("&Paste\tCtrl+V", kCmPaste),
                        MenuCommand("&Insert\tIns", kCmInsert),
                        MenuCommand("&Delete\tDel", kCmDelete),
                        MenuSeparator(),
                        MenuCommand("Split c&lip", kCmSplitClip),
                        MenuCommand("&Split", kCmSplit),
                        MenuCommand("&Join", kCmJoin),
                        MenuSeparator(),
                        MenuCommand("Select &all\tCtrl+A", kCmSelectAll),
                        MenuCommand("D&eselect all\tCtrl+D", kCmDeselectAll),
                        MenuCommand("In&vert selection", kCmInvertSelection),
                        MenuSeparator(),
                        MenuCommand("Delete pro&file", kCmDeleteProfile),
                        MenuPopup("Audio e&ffect(s)",
                                  {
                                      MenuCommand("&Paste effects", kCmPasteEffects),
                                      MenuCommand("&Add effects", kCmAddEffects),
                                      MenuCommand("&Delete effects", kCmDeleteEffects),
                                  }),
                        MenuPopup("Dec&lick",
                                  {
                                      MenuCommand("Set &in", kCmSetDeclickIn),
                                      MenuCommand("Set &out", kCmSetDeclickOut),
                                      MenuCommand("Set &both", kCmSetDeclickBoth),
                                      MenuCommand("Clear i&n", kCmClearDeclickIn),
                                      MenuCommand("Clear o&ut", kCmClearDeclickOut),
                                      MenuCommand("Clear bo&th", kCmClearDeclickBoth),
                                  }),
                    }),
          MenuPopup("&View",
                    {
                        MenuCommand("&Video tracks", kCmShowVideoTracks),
                        MenuCommand("&Audio tracks", kCmShowAudioTracks),
                        MenuCommand("&MIDI track", kCmShowMidiTrack),
                        MenuSeparator(),
                        MenuCommand("Audio tracks &double", kCmAudioHeightDouble),
                        MenuCommand("Audio tracks &normal", kCmAudioHeightNormal),
                        MenuCommand("Audio tracks &half", kCmAudioHeightHalf),
                        MenuSeparator(),
                        MenuCommand("Time in &Frames", kCmTimeInFrames),
                        MenuCommand("Time in &SMPTE", kCmTimeInSmpte),
                        MenuCommand("Time in mi&Lliseconds", kCmTimeInMilliseconds),
                        MenuSeparator(),
                        MenuCommand("Zoom &in\t+", kCmZoomIn),
                        MenuCommand("Zoom &out\t-", kCmZoomOut),
                        MenuCommand("&Zoom to project", kCmZoomToProject),
                        MenuSeparator(),
                        MenuCommand("Audio &meter\tF7", kCmShowAudioMeter),
                        MenuCommand("Video &window\tF9", kCmShowVideoWindow),
                        MenuCommand("&Label font...", kCmLabelFont),
                        MenuCommand("&Clip name font...", kCmClipNameFont),
                    }),
          MenuPopup("&Command",
                    {
                        MenuCommand("&Play", kCmPlay),
                        MenuCommand("Play/S&top\tSpace", kCmPlayStop),
                        MenuCommand("&Stop\tEsc", kCmStop),
                        MenuCommand("&Rewind\tHome", kCmRewind),
                        MenuCommand("Re&cord audio...", kCmRecordAudio),
                        MenuSeparator(),
                        MenuCommand("Play to &VTR", kCmPlayToVtr),
                        MenuCommand("VTR set&up...", kCmVtrSetup),
                        MenuSeparator(),
                        MenuCommand("&Master volume...", kCmMasterVolume),
                        MenuCommand("Master &Effects...", kCmMasterEffects),
                        MenuCommand("&Use master effects", kCmUseMasterEffects),
                        MenuCommand("Mi&xer\tF8", kCmShowMixer),
                        MenuSeparator(),
                        MenuCommand("&Volume profile", kCmVolumeProfile),
                        MenuCommand("&Balance profile", kCmBalanceProfile),
                        MenuCommand("&Add point mode", kCmAddPointMode),
                        MenuCommand("M&ultiselect", kCmMultiselect),
                        MenuSeparator(),
                        MenuCommand("Next mar&k group", kCmNextMarkGroup),
                        MenuCommand("Next selection &group", kCmNextSelectionGroup),
                    }),
          MenuPopup("&Range",
                    {
                        MenuCommand("&Include all clips", kCmIncludeAllClips),
                        MenuCommand("&Zoom in range", kCmZoomInRange),
                        MenuSeparator(),
                        MenuCommand("&Copy all tracks", kCmRangeCopyAll),
                        MenuCommand("C&opy active tracks", kCmRangeCopyActive),
                        MenuCommand("Cu&t all tracks", kCmRangeCutAll),
                        MenuCommand("Cut &active tracks", kCmRangeCutActive),
                        MenuCommand("C&lear all tracks", kCmRangeClearAll),
                        MenuCommand("Clear acti&ve tracks", kCmRangeClearActive),
                    }),
          // The free tools go in after the first five items.
          MenuPopup("&Tools",
                    {
                        MenuCommand("&Volume control", kCmVolumeControl),
                        MenuSeparator(),
                        MenuCommand("&Audio editor", kCmAudioEditor),
                        MenuCommand("&MIDI editor", kCmMidiEditor),
                        MenuCommand("V&ideo editor", kCmVideoEditor),
                        MenuSeparator(),
                        MenuCommand("&Configure tools...", kCmConfigureTools),
                    }),
          MenuPopup("E&xport",
                    {
                        MenuCommand("&AVI...", kCmExportAvi),
                        MenuCommand("&WAVE...", kCmExportWave),
                        MenuCommand("&MPEG...", kCmExportMpeg),
                    }),
          MenuPopup("&Window",
                    {
                        MenuCommand("&Project\tF6", kCmShowProject),
                        MenuCommand("&Clip Collection\tF6", kCmShowCollection),
                    }),
          MenuPopup("&Help",
                    {
                        MenuCommand("&Overview\tF1", kCmHelpOverview),
                        MenuCommand("&Project window description", kCmProjectHelp),
                        MenuCommand("&Contents\tCtrl+F1", kCmHelpContents),
                        MenuCommand("&Using help", kCmHelpOnHelp),
                        MenuSeparator(),
                        MenuCommand("&About...", kCmAbout),
                    }),
      });

  // The frame's keys first, then the time-line's, so that both work
  // wherever the focus is in the frame.
  std::vector<ACCEL> keys = {
      {FVIRTKEY | FCONTROL, 'N', kCmNewProject},
      {FVIRTKEY | FCONTROL, 'O', kCmOpenProject},
      {FVIRTKEY | FCONTROL, 'S', kCmSaveProject},
      {FVIRTKEY | FCONTROL | FSHIFT, 'S', kCmSaveProjectAs},
      {FVIRTKEY | FCONTROL, 'Q', kCmExit},
      {FVIRTKEY, VK_F4, kCmAddSourceFile},
      {FVIRTKEY, VK_F6, kCmShowCollectionKey},
  };
  if (HACCEL timeline = LoadAccelerators(ProgramInstance(), MAKEINTRESOURCE(kTimeLineAccelerators))) {
    const int n = CopyAcceleratorTable(timeline, nullptr, 0);
    std::vector<ACCEL> more(static_cast<std::size_t>(std::max(n, 0)));
    if (n > 0) CopyAcceleratorTable(timeline, more.data(), n);
    keys.insert(keys.end(), more.begin(), more.end());
    DestroyAcceleratorTable(timeline);
  }
  RegisterAcceleratorResource(kFrameAccelerators, keys);

  for (const auto& [id, draw] : ToolGlyphs()) {
    Glyph g;
    draw(g);
    RegisterBitmapResource(id, g.Art());
  }
  RegisterIconResource(kFrameIcon, FrameIcon(false));
  RegisterIconResource(kClipFrameIcon, FrameIcon(true));
}
