#include "resources/stock_bitmaps.h"

#include <cmath>

#include "resources/pixel_canvas.h"

namespace {

using namespace pixel_art;

// The clip placeholder of an audio clip: a waveform on a dark panel.
void AudioPicture(Canvas& c, int w, int h) {
  c.Fill(0, 0, w, h, kNavy);
  c.Line(0, h / 2, w - 1, h / 2, kTeal);
  int lastY = h / 2;
  for (int x = 0; x < w; ++x) {
    const double t = static_cast<double>(x) / w;
    const double envelope = std::sin(M_PI * t);
    const int y = h / 2 - static_cast<int>(std::lround(0.4 * h * envelope * std::sin(2 * M_PI * 5.0 * t)));
    c.Line(x > 0 ? x - 1 : 0, lastY, x, y, kLime);
    lastY = y;
  }
  c.Frame(0, 0, w, h, kGrey);
}

// The clip placeholder of a MIDI clip: a keyboard with a few notes.
void MidiPicture(Canvas& c, int w, int h) {
  c.Fill(0, 0, w, h, kTeal);
  const int keysTop = h * 2 / 3;
  c.Fill(0, keysTop, w, h - keysTop, kWhite);
  const int keyWidth = std::max(w / 14, 3);
  for (int x = 0; x < w; x += keyWidth) c.Fill(x, keysTop, 1, h - keysTop, kBlack);
  for (int k = 0, x = keyWidth; x < w; ++k, x += keyWidth)
    if (k % 7 != 2 && k % 7 != 6)
      c.Fill(x - keyWidth / 3, keysTop, keyWidth * 2 / 3, (h - keysTop) * 3 / 5, kBlack);
  const int notes[] = {3, 5, 2, 6, 4};
  for (int i = 0; i < 5; ++i) {
    const int x = w * (i + 1) / 6, y = keysTop * notes[i] / 8;
    c.Disc(x, y, std::max(h / 24, 1), kYellow);
    c.Line(x + std::max(h / 24, 1), y, x + std::max(h / 24, 1), y - keysTop / 4, kYellow);
  }
  c.Frame(0, 0, w, h, kGrey);
}

// 26 x 24 kind icons. ink is black for parts that play directly, grey for
// those that do not; a kind the clip lacks is drawn hollow and struck out.
enum class Icon { Audio, Video, Midi, Effects };

void KindIcon(Canvas& c, Icon icon, bool has, bool direct) {
  const Colour ink = direct ? kBlack : kGrey;
  c.Fill(0, 0, 26, 24, kSilver);
  switch (icon) {
    case Icon::Audio: {
      // A loudspeaker with sound waves.
      c.Fill(4, 9, 4, 6, has ? ink : kSilver);
      c.Frame(4, 9, 4, 6, ink);
      for (int i = 0; i < 5; ++i) c.Line(8 + i, 9 - i, 8 + i, 14 + i, ink);
      if (has) {
        c.Line(16, 8, 18, 12, ink);
        c.Line(18, 12, 16, 16, ink);
        c.Line(19, 5, 22, 12, ink);
        c.Line(22, 12, 19, 19, ink);
      }
      break;
    }
    case Icon::Video: {
      // A strip of film.
      c.Fill(3, 4, 20, 16, has ? ink : kSilver);
      c.Frame(3, 4, 20, 16, ink);
      for (int x = 5; x < 22; x += 4) {
        c.Fill(x, 5, 2, 2, has ? kWhite : ink);
        c.Fill(x, 17, 2, 2, has ? kWhite : ink);
      }
      c.Fill(6, 8, 6, 8, has ? kAqua : kSilver);
      c.Fill(14, 8, 6, 8, has ? kAqua : kSilver);
      break;
    }
    case Icon::Midi: {
      // Two beamed notes.
      c.Disc(7, 17, 3, has ? ink : kSilver);
      c.Disc(18, 15, 3, has ? ink : kSilver);
      if (!has) {
        c.Frame(4, 14, 7, 7, ink);
        c.Frame(15, 12, 7, 7, ink);
      }
      c.Fill(10, 5, 2, 12, ink);
      c.Fill(21, 3, 2, 12, ink);
      for (int t = 0; t < 3; ++t) c.Line(10, 5 + t, 22, 3 + t, ink);
      break;
    }
    case Icon::Effects:
      c.Fill(0, 2, 26, 20, has ? kPurple : kSilver);
      c.Frame(0, 2, 26, 20, ink);
      c.Text((26 - Canvas::TextWidth("FX", 2)) / 2, 5, "FX", 2, !has ? ink : direct ? kWhite : kSilver);
      break;
  }
  if (!has) c.Line(2, 22, 23, 1, kRed);
}

// Solo and mute buttons: 32 pixels wide, the height of half a track row.
void TrackButton(Canvas& c, int w, int h, const char* letter, bool on, Colour lit) {
  c.Fill(0, 0, w, h, on ? lit : kSilver);
  c.Bevel(0, 0, w, h, !on);
  const int scale = h >= 40 ? 3 : h >= 20 ? 2 : 1;
  const int textHeight = 7 * scale;
  const int y = (h - textHeight) / 2 + (on ? 1 : 0);
  c.Text((w - Canvas::TextWidth(letter, scale)) / 2 + (on ? 1 : 0), y < 0 ? 0 : y, letter, scale,
         on ? kBlack : kGrey);
}

void Logo(Canvas& c) {
  const int w = 160, h = 48;
  for (int y = 0; y < h; ++y) c.Fill(0, y, w, 1, y < h / 2 ? kNavy : kBlue);
  c.Text((w - Canvas::TextWidth("KOBRIX", 4)) / 2 + 2, 12, "KOBRIX", 4, kBlack);
  c.Text((w - Canvas::TextWidth("KOBRIX", 4)) / 2, 10, "KOBRIX", 4, kYellow);
  c.Frame(0, 0, w, h, kWhite);
}

}  // namespace

bool DrawStockBitmap(int id, StockBitmapArt* art) {
  if (art == nullptr) return false;
  switch (id) {
    case 1011:
    case 1012: {
      const int w = id == 1011 ? 64 : 128, h = id == 1011 ? 48 : 96;
      Canvas c(art, w, h, kNavy);
      AudioPicture(c, w, h);
      return true;
    }
    case 1013:
    case 1014: {
      const int w = id == 1013 ? 64 : 128, h = id == 1013 ? 48 : 96;
      Canvas c(art, w, h, kTeal);
      MidiPicture(c, w, h);
      return true;
    }
    default:
      break;
  }
  struct IconId {
    int id;
    Icon icon;
    bool has, direct;
  };
  static const IconId kIcons[] = {
      {1027, Icon::Audio, true, true},   {1025, Icon::Audio, true, false},   {1028, Icon::Audio, false, true},
      {1026, Icon::Audio, false, false}, {1023, Icon::Video, true, true},    {1021, Icon::Video, true, false},
      {1024, Icon::Video, false, true},  {1022, Icon::Video, false, false},  {1031, Icon::Midi, true, true},
      {1032, Icon::Midi, false, true},   {1029, Icon::Midi, true, false},    {1030, Icon::Midi, false, false},
      {1062, Icon::Effects, true, true}, {1061, Icon::Effects, true, false},
  };
  for (const IconId& i : kIcons)
    if (i.id == id) {
      Canvas c(art, 26, 24, kSilver);
      KindIcon(c, i.icon, i.has, i.direct);
      return true;
    }
  // Solo on, solo off, mute on, mute off for row heights 96, 48 and 24.
  if (id >= 1034 && id <= 1045) {
    const int group = (id - 1034) / 4, which = (id - 1034) % 4;
    const int h = group == 0 ? 12 : group == 1 ? 24 : 48;
    Canvas c(art, 32, h, kSilver);
    TrackButton(c, 32, h, which < 2 ? "S" : "M", which % 2 == 0, which < 2 ? kYellow : kRed);
    return true;
  }
  if (id == 1033) {
    Canvas c(art, 160, 48, kNavy);
    Logo(c);
    return true;
  }
  return false;
}
