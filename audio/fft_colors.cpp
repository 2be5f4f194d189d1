#include "audio/fft_colors.h"

#include <cstdio>
#include <cstring>

#include "audio/fft_diagram.h"
#include "model/message_box.h"
#include "platform/core/files.h"
#include "resources/effect_dialog_ids.h"
#include "ui/file_dialogs.h"
#include "ui/shell_services.h"

const char* const kResponseColorKeys[kResponseColorCount] = {
    "Background Color",  "Grid Color",       "Text Color",      "Phase Range Color", "Left Phase Color",
    "Right Phase Color", "Freq Range Color", "Left Freq Color", "Right Freq Color",  "Cursor Color"};

const ResponseColors kDefaultResponseColors = {RGB(0, 0, 0),     RGB(200, 200, 0),   RGB(240, 240, 240),
                                               RGB(240, 0, 0),   RGB(250, 0, 250),   RGB(0, 0, 250),
                                               RGB(250, 0, 0),   RGB(250, 250, 250), RGB(0, 250, 250),
                                               RGB(0, 250, 0)};

namespace {

// The custom colours of the colour chooser, kept for the program's life.
COLORREF custom_colors[16] = {};

// A decimal integer at p (sign allowed), modulo 256; p moves past it.
int ReadComponent(const char*& p) {
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  unsigned value = 0;
  while (*p >= '0' && *p <= '9') value = (value * 10 + static_cast<unsigned>(*p++ - '0')) & 0xFFFFFF;
  const int v = static_cast<int>(value % 256);
  return negative ? (256 - v) % 256 : v;
}

// Three components separated by ","; the last ends at stop characters.
COLORREF ReadTriple(const char* p) {
  int c[3] = {};
  for (int i = 0; i < 3; ++i) {
    c[i] = ReadComponent(p);
    if (*p != ',') break;
    ++p;
  }
  return RGB(c[0], c[1], c[2]);
}

}  // namespace

std::string FormatColor(COLORREF color) {
  char text[16];
  std::snprintf(text, sizeof text, "%d,%d,%d", GetRValue(color), GetGValue(color), GetBValue(color));
  return text;
}

COLORREF ParseColor(const char* text) {
  return text != nullptr ? ReadTriple(text) : RGB(0, 0, 0);
}

bool ParseSchemeLine(const char* line, int* index, COLORREF* color) {
  if (line == nullptr) return false;
  const char* equals = std::strchr(line, '=');
  if (equals == nullptr || equals == line) return false;
  const std::size_t length = static_cast<std::size_t>(equals - line);
  for (int i = 0; i < kResponseColorCount; ++i) {
    if (std::strlen(kResponseColorKeys[i]) == length && std::strncmp(line, kResponseColorKeys[i], length) == 0) {
      if (index != nullptr) *index = i;
      if (color != nullptr) *color = ReadTriple(equals + 1);
      return true;
    }
  }
  return false;
}

int ReadScheme(std::FILE* file, ResponseColors* colors) {
  int named = 0;
  char line[40];
  while (std::fgets(line, sizeof line, file) != nullptr) {
    int index = 0;
    COLORREF color = 0;
    if (!ParseSchemeLine(line, &index, &color)) continue;
    (*colors)[static_cast<std::size_t>(index)] = color;
    named |= 1 << index;
  }
  return named;
}

std::string FormatScheme(const ResponseColors& colors) {
  std::string text;
  for (int i = 0; i < kResponseColorCount; ++i)
    text += std::string(kResponseColorKeys[i]) + "=" + FormatColor(colors[static_cast<std::size_t>(i)]) + "\r\n";
  return text;
}

// ---- TSelColor ----

// clang-format off
DEFINE_RESPONSE_TABLE1(TSelColor, TControl)
  EV_WM_LBUTTONDOWN,
  EV_WM_ERASEBKGND,
END_RESPONSE_TABLE;
// clang-format on

TSelColor::TSelColor(TWindow* parent, int resourceId, COLORREF* bound_)
    : TControl(parent, resourceId), current(*bound_), initial(*bound_), bound(bound_) {}

const char* TSelColor::GetClassName() {
  return "TSelColor";
}

void TSelColor::Paint(TDC& dc, bool, TRect&) {
  RECT r{};
  ::GetClientRect(HWindow, &r);
  HBRUSH brush = CreateSolidBrush(current);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void TSelColor::SetColor(COLORREF color) {
  current = color;
  *bound = color;
  if (HWindow != nullptr) Invalidate(false);
}

void TSelColor::Restore() {
  current = initial;
  *bound = initial;
}

void TSelColor::EvLButtonDown(UINT, const TPoint&) {
  TChooseColorDialog::TData data(CC_RGBINIT | CC_FULLOPEN, current, custom_colors);
  TChooseColorDialog chooser(this, data);
  if (chooser.Execute() != IDOK) return;
  SetColor(data.Color);
  if (HWND dialog = ::GetParent(HWindow)) ::SendMessage(dialog, kColorsChangedMessage, 0, 0);
}

// ---- TFFTSColorSel ----

// clang-format off
DEFINE_RESPONSE_TABLE1(TFFTSColorSel, TDialog)
  EV_COMMAND(IDHELP, CmHelp),
  EV_COMMAND(kColorDefaults, CmDefaults),
  EV_COMMAND(kColorLoad, CmLoad),
  EV_COMMAND(kColorSave, CmSave),
  EV_MESSAGE(kColorsChangedMessage, EvRedraw),
END_RESPONSE_TABLE;
// clang-format on

TFFTSColorSel::TFFTSColorSel(TWindow* parent, TDiagram* diagram_, POINT* position_)
    : TDialog(parent, kFFTColorDialog), diagram(diagram_), position(position_) {
  for (int i = 0; i < kResponseColorCount; ++i)
    swatches[static_cast<std::size_t>(i)] =
        new TSelColor(this, kColorFirstSwatch + i, &diagram->colors[static_cast<std::size_t>(i)]);
}

void TFFTSColorSel::SetupWindow() {
  TDialog::SetupWindow();
  if (position != nullptr)
    ::SetWindowPos(HWindow, nullptr, position->x, position->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void TFFTSColorSel::Destroy(int retVal) {
  if (HWindow != nullptr) {
    RECT r{};
    ::GetWindowRect(HWindow, &r);
    if (position != nullptr) *position = POINT{r.left, r.top};
    if (retVal != IDOK) {
      for (TSelColor* s : swatches) s->Restore();
      diagram->UpdateXorColor();
      diagram->Redraw(true);
    }
  }
  TDialog::Destroy(retVal);
}

void TFFTSColorSel::CmHelp() {
  CurrentShellServices().ShowHelpContext(3);
}

LRESULT TFFTSColorSel::EvRedraw(WPARAM, LPARAM) {
  diagram->UpdateXorColor();
  diagram->Redraw(true);
  return 0;
}

void TFFTSColorSel::CmDefaults() {
  if (ShowMessage(HWindow, "Warning!", MB_YESNO | MB_ICONQUESTION, "%s",
                  "Are you sure you want to restore default colors?") != IDYES)
    return;
  for (int i = 0; i < kResponseColorCount; ++i)
    swatches[static_cast<std::size_t>(i)]->SetColor(kDefaultResponseColors[static_cast<std::size_t>(i)]);
  EvRedraw(0, 0);
}

void TFFTSColorSel::CmSave() {
  FileData data("Color Schemes (*.fcs)|*.fcs|", "fcs");
  data.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  if (!AskSaveFile(data, HWindow, nullptr)) return;
  std::FILE* file = std::fopen(data.FileName, "wb");
  if (file == nullptr) {
    ShowMessage(HWindow, "Error!", MB_OK | MB_ICONEXCLAMATION, "%s", "Can't create specified file");
    return;
  }
  ResponseColors colors{};
  for (int i = 0; i < kResponseColorCount; ++i)
    colors[static_cast<std::size_t>(i)] = swatches[static_cast<std::size_t>(i)]->Current();
  const std::string text = FormatScheme(colors);
  const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !ok)
    ShowMessage(HWindow, "Error!", MB_OK | MB_ICONEXCLAMATION, "%s", "Can't create specified file");
}

void TFFTSColorSel::CmLoad() {
  FileData data("Color Schemes (*.fcs)|*.fcs|", "fcs");
  data.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  if (!AskOpenFile(data, HWindow, nullptr)) return;
  // A FIFO or a device is refused, not waited on.
  std::FILE* file = OpenRegularFileForReading(data.FileName);
  if (file == nullptr) {
    ShowMessage(HWindow, "Error!", MB_OK | MB_ICONEXCLAMATION, "%s", "Can't open specified file");
    return;
  }
  ResponseColors colors{};
  const int named = ReadScheme(file, &colors);
  std::fclose(file);
  for (int i = 0; i < kResponseColorCount; ++i)
    if (named & (1 << i)) swatches[static_cast<std::size_t>(i)]->SetColor(colors[static_cast<std::size_t>(i)]);
  EvRedraw(0, 0);
}
