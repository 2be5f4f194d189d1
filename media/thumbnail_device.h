// The drawing calls the thumbnails and stock bitmaps make: memory DCs,
// device-dependent bitmaps, the shared palette, row uploads and blits, with
// the meanings of the window layer's functions of the same names. The
// program installs the window layer's implementation at start-up; until
// then, and in tests, a memory device stands in whose bitmaps are plain
// pixel arrays that can be read back.
#pragma once

#include <cstdint>
#include <vector>

#include "media/palette_dither.h"
#include "platform/core/types.h"

DECLARE_HANDLE(HDC);
DECLARE_HANDLE(HBITMAP);
DECLARE_HANDLE(HPALETTE);

constexpr UINT kDibRgbColors = 0;  // DIB_RGB_COLORS
constexpr UINT kDibPalColors = 1;  // DIB_PAL_COLORS

// A device-independent row description: the bitmap header's fields,
// followed by the 256 colour indexes that 8-bit rows refer to.
struct ThumbnailDibHeader {
  DWORD biSize = 40;
  LONG biWidth = 0;
  LONG biHeight = 0;
  WORD biPlanes = 1;
  WORD biBitCount = 24;
  DWORD biCompression = 0;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 1;
  LONG biYPelsPerMeter = 1;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
  WORD colourIndexes[256] = {};
};

class ThumbnailDevice {
 public:
  virtual ~ThumbnailDevice() = default;
  // GetDeviceCaps(BITSPIXEL) of the screen.
  virtual int ScreenBitsPerPixel() = 0;
  virtual HDC CreateMemoryDC() = 0;
  virtual void DeleteDC(HDC dc) = 0;
  virtual HDC GetDC(HWND window) = 0;
  virtual void ReleaseDC(HWND window, HDC dc) = 0;
  virtual HPALETTE CreatePalette(const PaletteColour* entries, int count) = 0;
  virtual void DeletePalette(HPALETTE palette) = 0;
  virtual HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool background) = 0;
  virtual void RealizePalette(HDC dc) = 0;
  virtual void UpdateColors(HDC dc) = 0;
  // A bitmap compatible with dc; null on failure.
  virtual HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) = 0;
  // The program's bitmap resource id (LoadBitmap); null when there is none.
  virtual HBITMAP LoadBitmap(int resourceId) = 0;
  virtual void DeleteBitmap(HBITMAP bitmap) = 0;
  virtual SIZE BitmapSize(HBITMAP bitmap) = 0;
  virtual HBITMAP SelectBitmap(HDC dc, HBITMAP bitmap) = 0;
  // Sets lines scan lines (counted from the bottom) from start on from
  // bottom-up DIB rows: 24-bit blue, green, red, or 8-bit indexes into
  // header's colour indexes (usage kDibPalColors) of the palette selected
  // in dc.
  virtual void SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
                         const ThumbnailDibHeader* header, UINT usage) = 0;
  // SRCCOPY.
  virtual void BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                      int sourceY) = 0;
};

// Installs device (null: the memory device); returns the one before.
ThumbnailDevice* SetThumbnailDevice(ThumbnailDevice* device);
ThumbnailDevice& CurrentThumbnailDevice();

// The memory device. A bitmap holds one colour per pixel; on a palette
// screen (8 bits per pixel or fewer) it also keeps the palette index each
// pixel was set with. Window DCs draw into a surface of their own.
class MemoryThumbnailDevice : public ThumbnailDevice {
 public:
  explicit MemoryThumbnailDevice(int screenBitsPerPixel = 32) : bitsPerPixel_(screenBitsPerPixel) {}
  ~MemoryThumbnailDevice() override;

  int ScreenBitsPerPixel() override { return bitsPerPixel_; }
  HDC CreateMemoryDC() override;
  void DeleteDC(HDC dc) override;
  HDC GetDC(HWND window) override;
  void ReleaseDC(HWND window, HDC dc) override;
  HPALETTE CreatePalette(const PaletteColour* entries, int count) override;
  void DeletePalette(HPALETTE palette) override;
  HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool background) override;
  void RealizePalette(HDC dc) override;
  void UpdateColors(HDC dc) override;
  HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) override;
  HBITMAP LoadBitmap(int resourceId) override;
  void DeleteBitmap(HBITMAP bitmap) override;
  SIZE BitmapSize(HBITMAP bitmap) override;
  HBITMAP SelectBitmap(HDC dc, HBITMAP bitmap) override;
  void SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
                 const ThumbnailDibHeader* header, UINT usage) override;
  void BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
              int sourceY) override;

  // Reading back: the colour (0x00RRGGBB) and the palette index (-1 when
  // set without one) of a pixel, counted from the top left.
  std::uint32_t Pixel(HBITMAP bitmap, int x, int y) const;
  int PaletteIndex(HBITMAP bitmap, int x, int y) const;
  // The palette selected into dc (null for none) and how often palettes
  // were realised in it.
  HPALETTE SelectedPalette(HDC dc) const;
  int Realizations(HDC dc) const;
  // Objects alive, for leak checks.
  int LiveBitmaps() const { return liveBitmaps_; }
  int LiveDCs() const { return liveDCs_; }
  int LivePalettes() const { return livePalettes_; }

 private:
  struct Bitmap;
  struct DC;
  struct Palette;

  int bitsPerPixel_;
  int liveBitmaps_ = 0;
  int liveDCs_ = 0;
  int livePalettes_ = 0;
};
