// The templates of the effect-list dialogs, the frequency-response analyser
// and its colour dialog, and the pictures of the effect-list buttons: 16 x 16
// line drawings in the button colours (silver face, black ink), with a few
// coloured accents.
#include <string>
#include <vector>

#include "platform/gui/gui.h"
#include "resources/effect_dialog_ids.h"
#include "resources/glyph_grid.h"

namespace {

constexpr DWORD kShown = WS_VISIBLE;
constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;
constexpr DWORD kValue = WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_SUNKEN;
constexpr DWORD kPicture = kTab | BS_OWNERDRAW;
constexpr DWORD kEditList = kTab | CBS_DROPDOWN | WS_VSCROLL | WS_GROUP;
constexpr DWORD kFixedList = kTab | CBS_DROPDOWNLIST | WS_VSCROLL | WS_GROUP;

DialogItemTemplate Button(const char* text, int id, short x, short y, short w = 50, DWORD extra = 0) {
  return {WC_BUTTON, text, id, kTab | BS_PUSHBUTTON | extra, 0, x, y, w, 14};
}

DialogTemplate EffectListTemplate() {
  DialogTemplate t;
  t.cx = 262;
  t.cy = 196;
  t.caption = "List of Audio Effects";
  t.items = {
      {WC_BUTTON, "Effects List", -1, kShown | BS_GROUPBOX, 0, 7, 4, 182, 162},
      {WC_LISTBOX, "", kEffectList,
       kTab | WS_GROUP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
           LBS_NOINTEGRALHEIGHT,
       0, 13, 16, 170, 130},
      {WC_BUTTON, "S&kip all", kEffectSkipAll, kTab | BS_AUTOCHECKBOX | WS_GROUP, 0, 13, 151, 80, 10},
      {WC_BUTTON, "Effects", -1, kShown | BS_GROUPBOX, 0, 195, 4, 60, 162},
  };
  // Two columns of seven picture buttons.
  const int ids[14] = {kEffectAddAbove, kEffectAddBelow,   kEffectRemove, kEffectSettings, kEffectMoveUp,
                       kEffectMoveDown, kEffectRename,     kEffectResponse, kEffectCopyList, kEffectPaste,
                       kEffectClear,    kEffectSave,       kEffectLoad,     kEffectListResponse};
  const char* texts[14] = {"Add effect above selected one",
                           "Add effect below selected one",
                           "Remove selected effect",
                           "Change selected effect settings",
                           "Move selected effect up",
                           "Move selected effect down",
                           "Change selected effect's name",
                           "Show frequency response of selected effect",
                           "Copy effects list",
                           "Paste effect(s)",
                           "Clear effects list",
                           "Save effects list",
                           "Load effects list",
                           "Show frequency response of effects list"};
  for (int i = 0; i < 14; ++i) {
    const short x = static_cast<short>(i < 7 ? 201 : 228);
    const short y = static_cast<short>(15 + (i % 7) * 21);
    t.items.push_back({WC_BUTTON, texts[i], ids[i], kPicture | (i == 0 ? WS_GROUP : 0), 0, x, y, 22, 18});
  }
  t.items.push_back({WC_BUTTON, "Preview", kEffectPreview, kPicture | WS_GROUP, 0, 7, 173, 36, 18});
  t.items.push_back({WC_BUTTON, "OK", IDOK, kTab | BS_DEFPUSHBUTTON | WS_GROUP, 0, 86, 175, 50, 14});
  t.items.push_back(Button("Cancel", IDCANCEL, 142, 175));
  t.items.push_back(Button("&Help", IDHELP, 198, 175, 57));
  return t;
}

DialogTemplate SelectEffectTemplate() {
  DialogTemplate t;
  t.cx = 186;
  t.cy = 124;
  t.caption = "Select Audio Effect";
  t.items = {
      {WC_STATIC, "Installed audio effects:", -1, kLabel, 0, 7, 7, 172, 8},
      {WC_LISTBOX, "", kEffectList, kTab | WS_GROUP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
       0, 7, 18, 172, 78},
      {WC_BUTTON, "OK", IDOK, kTab | BS_DEFPUSHBUTTON | WS_GROUP, 0, 40, 103, 50, 14},
      Button("Cancel", IDCANCEL, 96, 103),
  };
  return t;
}

// The analyser: the plot on the left, the settings beside and under it.
DialogTemplate AnalyserTemplate() {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT | WS_MINIMIZEBOX;
  t.cx = 420;
  t.cy = 292;
  t.caption = "Effect(s) Frequency and Phase Response";
  auto label = [&t](const char* text, short x, short y, short w) {
    t.items.push_back({WC_STATIC, text, -1, kLabel, 0, x, y, w, 8});
  };
  auto value = [&t](int id, short x, short y, short w) {
    t.items.push_back({WC_STATIC, "", id, kValue, 0, x, y, w, 10});
  };
  t.items.push_back({"TDiagram", "", kFftDiagram, kShown | WS_BORDER, 0, 7, 7, 300, 170});
  // Display settings, right of the plot.
  const short rx = 314;
  label("FFT size:", rx, 9, 40);
  t.items.push_back({WC_COMBOBOX, "", kFftSize, kFixedList, 0, rx + 44, 7, 54, 120});
  label("Units:", rx, 25, 40);
  t.items.push_back({WC_COMBOBOX, "", kFftUnit, kFixedList, 0, rx + 44, 23, 54, 50});
  label("Values:", rx, 41, 40);
  t.items.push_back({WC_COMBOBOX, "", kFftValueKind, kFixedList, 0, rx + 44, 39, 54, 50});
  label("Scale:", rx, 57, 40);
  t.items.push_back({WC_COMBOBOX, "", kFftScale, kFixedList, 0, rx + 44, 55, 54, 50});
  label("+Range:", rx, 73, 40);
  t.items.push_back({WC_COMBOBOX, "", kFftPosRange, kEditList, 0, rx + 44, 71, 54, 100});
  label("-Range:", rx, 89, 40);
  t.items.push_back({WC_COMBOBOX, "", kFftNegRange, kEditList, 0, rx + 44, 87, 54, 120});
  t.items.push_back({WC_BUTTON, "Auto", kFftAutoRange, kTab | BS_AUTOCHECKBOX | WS_GROUP, 0, rx + 44, 103, 54, 10});
  label("Min Hz:", rx, 119, 40);
  t.items.push_back({WC_COMBOBOX, "", kFftMinFreq, kEditList, 0, rx + 44, 117, 54, 120});
  label("Max Hz:", rx, 135, 40);
  t.items.push_back({WC_COMBOBOX, "", kFftMaxFreq, kEditList, 0, rx + 44, 133, 54, 120});
  t.items.push_back(Button("Out", kFftZoomOut, rx, 151, 48, WS_GROUP));
  t.items.push_back(Button("Full", kFftZoomFull, rx + 50, 151, 48));
  t.items.push_back({WC_BUTTON, "Freq", kFftShowFreq, kTab | BS_AUTOCHECKBOX | WS_GROUP, 0, rx, 169, 48, 10});
  t.items.push_back({WC_BUTTON, "Phase", kFftShowPhase, kTab | BS_AUTOCHECKBOX, 0, rx + 50, 169, 48, 10});

  // Test signal, under the plot on the left.
  t.items.push_back({WC_BUTTON, "Signal", -1, kShown | BS_GROUPBOX, 0, 7, 182, 130, 66});
  t.items.push_back({WC_BUTTON, "Impulse", kFftImpulse, kTab | BS_AUTORADIOBUTTON | WS_GROUP, 0, 13, 194, 50, 10});
  t.items.push_back({WC_BUTTON, "Sin", kFftSine, kTab | BS_AUTORADIOBUTTON, 0, 13, 208, 26, 10});
  t.items.push_back({WC_COMBOBOX, "", kFftSineFreq, kEditList, 0, 42, 206, 50, 120});
  label("Hz", 95, 208, 12);
  t.items.push_back({WC_BUTTON, "Window", kFftUseWindow, kTab | BS_AUTOCHECKBOX | WS_GROUP, 0, 13, 226, 40, 10});
  t.items.push_back({WC_COMBOBOX, "", kFftWindowType, kFixedList, 0, 56, 224, 74, 100});

  // Read-outs: cursor and extremes, left (mono) and right.
  t.items.push_back({WC_BUTTON, "Cursor", -1, kShown | BS_GROUPBOX, 0, 142, 182, 84, 66});
  label("Freq:", 148, 194, 24);
  value(kFftCursorFreq, 174, 193, 46);
  label("L:", 148, 208, 12);
  value(kFftValueLeft, 160, 207, 28);
  value(kFftAngleLeft, 190, 207, 30);
  label("R:", 148, 222, 12);
  value(kFftValueRight, 160, 221, 28);
  value(kFftAngleRight, 190, 221, 30);
  label("dB / deg", 160, 236, 60);

  t.items.push_back({WC_BUTTON, "Extremes (value at Hz)", -1, kShown | BS_GROUPBOX, 0, 231, 182, 182, 86});
  label("Left", 270, 192, 40);
  label("Right", 344, 192, 40);
  const struct {
    const char* name;
    int v, f, rv, rf;
  } rows[] = {{"Max:", kFftMaxValueLeft, kFftMaxValueFreqLeft, kFftMaxValueRight, kFftMaxValueFreqRight},
              {"Min:", kFftMinValueLeft, kFftMinValueFreqLeft, kFftMinValueRight, kFftMinValueFreqRight},
              {"Max deg:", kFftMaxAngleLeft, kFftMaxAngleFreqLeft, kFftMaxAngleRight, kFftMaxAngleFreqRight},
              {"Min deg:", kFftMinAngleLeft, kFftMinAngleFreqLeft, kFftMinAngleRight, kFftMinAngleFreqRight}};
  for (int i = 0; i < 4; ++i) {
    const short y = static_cast<short>(203 + i * 15);
    label(rows[i].name, 237, static_cast<short>(y + 1), 32);
    value(rows[i].v, 270, y, 32);
    value(rows[i].f, 304, y, 36);
    value(rows[i].rv, 344, y, 32);
    value(rows[i].rf, 378, y, 30);
  }

  // Channels and the buttons.
  t.items.push_back({WC_BUTTON, "Both Ch", kFftBothChannels, kTab | BS_AUTORADIOBUTTON | WS_GROUP, 0, 7, 254, 42, 10});
  t.items.push_back({WC_BUTTON, "Left Only", kFftLeftOnly, kTab | BS_AUTORADIOBUTTON, 0, 51, 254, 46, 10});
  t.items.push_back({WC_BUTTON, "Right Only", kFftRightOnly, kTab | BS_AUTORADIOBUTTON, 0, 99, 254, 50, 10});
  t.items.push_back(Button("Refresh", kFftRefresh, 7, 272, 44, WS_GROUP));
  t.items.push_back(Button("Reset", kFftReset, 55, 272, 44));
  t.items.push_back(Button("Colors", kFftColors, 103, 272, 44));
  t.items.push_back(Button("Close", IDOK, 314, 272, 48, BS_DEFPUSHBUTTON));
  t.items.push_back(Button("Help", IDHELP, 365, 272, 48));
  return t;
}

DialogTemplate ColorsTemplate() {
  DialogTemplate t;
  t.cx = 196;
  t.cy = 172;
  t.caption = "Response Colors";
  const char* labels[10] = {"Background:",    "Grid:",          "Text:",           "Phase Min/Max:",
                            "Left/Mono Phase:", "Right Phase:",  "Freq Min/Max:",   "Left/Mono Freq:",
                            "Right Freq:",    "Cursor:"};
  for (int i = 0; i < 10; ++i) {
    const short y = static_cast<short>(9 + i * 15);
    t.items.push_back({WC_STATIC, labels[i], -1, kLabel, 0, 7, static_cast<short>(y + 2), 62, 8});
    t.items.push_back({"TSelColor", "", kColorFirstSwatch + i, kShown | WS_BORDER, 0, 72, y, 40, 12});
  }
  t.items.push_back({WC_BUTTON, "Ok", IDOK, kTab | BS_DEFPUSHBUTTON | WS_GROUP, 0, 132, 7, 57, 14});
  t.items.push_back(Button("Cancel", IDCANCEL, 132, 25, 57));
  t.items.push_back(Button("Defaults", kColorDefaults, 132, 55, 57));
  t.items.push_back(Button("Load", kColorLoad, 132, 73, 57));
  t.items.push_back(Button("Save", kColorSave, 132, 91, 57));
  t.items.push_back(Button("Help", IDHELP, 132, 151, 57));
  return t;
}

// ---- Button pictures.

using Rows = std::vector<std::string>;

// Black unless told.
class Glyph : public GlyphGrid {
 public:
  explicit Glyph(int w = 16, int h = 16) : GlyphGrid(w, h, '.') {}
  void Fill(int x, int y, int w, int h, char c = 'k') { GlyphGrid::Fill(x, y, w, h, c); }
  void Box(int x, int y, int w, int h, char c = 'k') { Frame(x, y, w, h, c); }
  void Line(int x0, int y0, int x1, int y1, char c = 'k') { GlyphGrid::Line(x0, y0, x1, y1, c); }
  // A solid arrow head pointing up (dir -1) or down (dir 1) with its tip at (x, y).
  void Head(int x, int y, int dir, int size, char c = 'k') {
    for (int k = 0; k < size; ++k) Fill(x - k, y - dir * k, 2 * k + 1, 1, c);
  }
  // An effect's line: a small box with a name stroke.
  void Item(int y, char c = 'k') {
    Box(6, y, 9, 4, c);
    Fill(8, y + 1, 5, 2, 'g');
  }
  void Plus(int x, int y) {
    Fill(x - 2, y, 5, 1, 'G');
    Fill(x, y - 2, 1, 5, 'G');
  }
  // A frequency response over a small frame.
  void Response(char curve) {
    Box(1, 2, 14, 12);
    const int ys[12] = {10, 10, 10, 9, 8, 5, 4, 5, 8, 9, 10, 10};
    for (int i = 0; i < 11; ++i) Line(2 + i, ys[i], 3 + i, ys[i + 1], curve);
  }
};

PixelArt Art(const Glyph& g) {
  return PixelArt{g.Rows(),
                  {{'.', RGB(192, 192, 192)},
                   {'k', RGB(0, 0, 0)},
                   {'g', RGB(128, 128, 128)},
                   {'w', RGB(255, 255, 255)},
                   {'G', RGB(0, 128, 0)},
                   {'R', RGB(192, 0, 0)},
                   {'B', RGB(0, 0, 160)}}};
}

Glyph ButtonPicture(int id) {
  Glyph g;
  switch (id) {
    case kEffectAddAbove:
      g.Plus(3, 3);
      g.Item(2, 'G');
      g.Item(8);
      g.Item(12);
      break;
    case kEffectAddBelow:
      g.Item(1);
      g.Item(5);
      g.Plus(3, 12);
      g.Item(11, 'G');
      break;
    case kEffectRemove:
      g.Item(1);
      g.Item(11);
      g.Line(4, 4, 11, 11, 'R');
      g.Line(5, 4, 12, 11, 'R');
      g.Line(11, 4, 4, 11, 'R');
      g.Line(12, 4, 5, 11, 'R');
      break;
    case kEffectSettings:
      // Three sliders.
      for (int i = 0; i < 3; ++i) {
        const int x = 3 + i * 5;
        g.Fill(x, 2, 1, 12);
        g.Fill(x - 1, 4 + i * 3, 3, 3, 'B');
      }
      break;
    case kEffectMoveUp:
      g.Head(7, 1, -1, 5);
      g.Fill(6, 5, 3, 5);
      g.Item(11);
      break;
    case kEffectMoveDown:
      g.Item(1);
      g.Fill(6, 6, 3, 5);
      g.Head(7, 14, 1, 5);
      break;
    case kEffectRename:
      // "Ab" over a text cursor.
      g.Line(1, 12, 4, 3);
      g.Line(4, 3, 7, 12);
      g.Fill(3, 9, 3, 1);
      g.Fill(9, 4, 1, 9);
      g.Box(9, 8, 4, 5);
      g.Fill(14, 2, 1, 13, 'B');
      break;
    case kEffectResponse:
      g.Response('R');
      g.Fill(12, 0, 3, 3, 'G');
      break;
    case kEffectCopyList:
      g.Box(1, 1, 8, 10);
      g.Fill(2, 2, 6, 8, 'w');
      g.Box(6, 5, 8, 10);
      g.Fill(7, 6, 6, 8, 'w');
      for (int y = 8; y < 14; y += 2) g.Fill(8, y, 4, 1, 'g');
      break;
    case kEffectPaste:
      g.Box(2, 2, 10, 13);
      g.Fill(3, 3, 8, 11, 'g');
      g.Fill(5, 1, 4, 3);
      g.Box(7, 7, 8, 8);
      g.Fill(8, 8, 6, 6, 'w');
      break;
    case kEffectClear:
      g.Item(1);
      g.Item(6);
      g.Item(11);
      g.Line(2, 14, 14, 2, 'R');
      g.Line(3, 14, 15, 2, 'R');
      break;
    case kEffectSave:
      // A diskette.
      g.Box(1, 1, 14, 14);
      g.Fill(4, 2, 8, 5, 'w');
      g.Fill(9, 3, 2, 3);
      g.Fill(4, 10, 8, 4, 'g');
      break;
    case kEffectLoad:
      // An open folder.
      g.Box(1, 4, 12, 10);
      g.Fill(1, 3, 5, 1);
      g.Fill(2, 5, 10, 8, 'w');
      g.Line(4, 8, 15, 8);
      g.Line(4, 8, 1, 13);
      g.Line(15, 8, 12, 13);
      g.Line(1, 13, 12, 13);
      break;
    case kEffectListResponse:
      g.Response('B');
      g.Fill(12, 0, 3, 1);
      g.Fill(12, 2, 3, 1);
      break;
    default:
      break;
  }
  return g;
}

// Preview: a play triangle, and the stop square it shows while playing.
PixelArt PreviewStrip() {
  Glyph g(32, 16);
  for (int k = 0; k < 6; ++k) g.Fill(5, 2 + k, 2 + k * 7 / 5, 1, 'G'), g.Fill(5, 13 - k, 2 + k * 7 / 5, 1, 'G');
  g.Fill(5, 8, 10, 1, 'G');
  g.Fill(5, 2, 1, 12);
  g.Fill(19, 3, 10, 10, 'R');
  g.Box(19, 3, 10, 10);
  return Art(g);
}

}  // namespace

void RegisterEffectDialogs() {
  RegisterDialogResource(kEffectListDialog, EffectListTemplate());
  RegisterDialogResource(kSelectEffectDialog, SelectEffectTemplate());
  RegisterDialogResource(kFFTSpecDialog, AnalyserTemplate());
  RegisterDialogResource(kFFTColorDialog, ColorsTemplate());
  for (int id = kEffectAddAbove; id <= kEffectListResponse; ++id) RegisterBitmapResource(id, Art(ButtonPicture(id)));
  RegisterBitmapResource(kEffectPreview, PreviewStrip());
}
