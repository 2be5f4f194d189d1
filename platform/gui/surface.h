// Pixel memory that drawing works on: window back buffers (32 bits per pixel,
// top-down), device-dependent bitmaps (32 or 1 bits) and DIB sections in the
// caller's layout (1, 4, 8, 16, 24 or 32 bits, bottom-up or top-down).
// Colours inside the drawing code are 0x00RRGGBB ("pixels").
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/gui/gdi_types.h"

using Pixel = std::uint32_t;

inline Pixel ColorToPixel(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF PixelToColor(Pixel p) {
  return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

class Surface {
 public:
  Surface() = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  Surface(Surface&&) = default;
  Surface& operator=(Surface&&) = default;

  // An owned, zero-filled surface; 32 or 1 bits per pixel, top-down.
  static std::shared_ptr<Surface> Create(int width, int height, int bitsPerPixel);
  // A surface over memory laid out as a DIB (rows padded to 4 bytes,
  // bottom-up when bottomUp). With owned set, the memory is allocated here.
  static std::shared_ptr<Surface> CreateDib(int width, int height, int bitsPerPixel, bool bottomUp,
                                            const std::vector<RGBQUAD>& colors, const DWORD masks[3]);

  // A read-only view of a caller's DIB memory (not copied, not owned).
  static std::shared_ptr<Surface> Wrap(int width, int height, int bitsPerPixel, bool bottomUp,
                                       const void* bits, const std::vector<RGBQUAD>& colors,
                                       const DWORD masks[3]);
  // Bytes per row of a DIB of this width and depth (rows padded to 4 bytes).
  static std::int64_t DibRowBytes(std::int64_t width, int bitsPerPixel) {
    return ((width * bitsPerPixel + 31) / 32) * 4;
  }

  int width() const { return width_; }
  int height() const { return height_; }
  int bpp() const { return bpp_; }
  // The first byte of the memory block (the bottom row of a bottom-up DIB).
  std::uint8_t* memory() { return base_; }
  std::size_t memory_size() const { return static_cast<std::size_t>(row_bytes_) * height_; }
  int row_bytes() const { return row_bytes_; }
  bool bottom_up() const { return bottom_up_; }
  std::uint8_t* Row(int y) { return top_ + static_cast<std::ptrdiff_t>(y) * stride_; }
  const std::uint8_t* Row(int y) const { return top_ + static_cast<std::ptrdiff_t>(y) * stride_; }
  Pixel* Row32(int y) { return reinterpret_cast<Pixel*>(Row(y)); }

  const std::vector<RGBQUAD>& colors() const { return colors_; }
  const DWORD* masks() const { return masks_; }

  Pixel Get(int x, int y) const;
  void Set(int x, int y, Pixel p);
  // The stored value of a palette surface nearest to p (index), or p itself.
  std::uint32_t Encode(Pixel p) const;
  Pixel Decode(std::uint32_t raw) const;
  std::uint32_t GetRaw(int x, int y) const;
  void SetRaw(int x, int y, std::uint32_t raw);

 private:
  void Layout(int width, int height, int bpp, bool bottomUp, std::uint8_t* external = nullptr);
  void SetMasks(int bpp, const DWORD masks[3]);
  int NearestIndex(Pixel p) const;

  int width_ = 0;
  int height_ = 0;
  int bpp_ = 32;
  int row_bytes_ = 0;
  bool bottom_up_ = false;
  std::ptrdiff_t stride_ = 0;
  std::uint8_t* top_ = nullptr;
  std::uint8_t* base_ = nullptr;
  // Zeroed by calloc, so that a large surface takes fresh zero pages from
  // the system instead of writing every byte at creation; windows are made
  // at their full size whether or not anything is drawn.
  struct FreeStorage {
    void operator()(std::uint8_t* p) const { std::free(p); }
  };
  std::unique_ptr<std::uint8_t[], FreeStorage> storage_;
  std::vector<RGBQUAD> colors_;
  DWORD masks_[3] = {0, 0, 0};
  struct CacheEntry {
    std::uint32_t tag = 0xFFFFFFFFu;
    int index = 0;
  };
  mutable std::vector<CacheEntry> nearest_cache_;
};
