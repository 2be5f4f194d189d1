#include "platform/gui/surface.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

int MaskShift(DWORD mask) {
  int s = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++s;
  }
  return s;
}
int MaskBits(DWORD mask) {
  mask >>= MaskShift(mask);
  int n = 0;
  while (mask & 1) {
    mask >>= 1;
    ++n;
  }
  return n;
}
std::uint32_t ExpandTo8(std::uint32_t v, int bits) {
  if (bits <= 0) return 0;
  if (bits >= 8) return v >> (bits - 8);
  std::uint32_t out = v << (8 - bits);
  // Replicate the top bits so that full scale maps to 255.
  out |= out >> bits;
  if (bits < 4) out |= out >> (2 * bits);
  return out & 0xFF;
}

}  // namespace

std::shared_ptr<Surface> Surface::Create(int width, int height, int bitsPerPixel) {
  auto s = std::make_shared<Surface>();
  s->Layout(std::max(width, 0), std::max(height, 0), bitsPerPixel == 1 ? 1 : 32, false);
  if (s->bpp_ == 1) s->colors_ = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
  return s;
}

void Surface::SetMasks(int bpp, const DWORD masks[3]) {
  if (bpp == 16) {
    if (masks != nullptr && masks[0] != 0) {
      std::copy(masks, masks + 3, masks_);
    } else {
      masks_[0] = 0x7C00;
      masks_[1] = 0x03E0;
      masks_[2] = 0x001F;
    }
  } else if (bpp == 32) {
    if (masks != nullptr && masks[0] != 0) {
      std::copy(masks, masks + 3, masks_);
    } else {
      masks_[0] = 0xFF0000;
      masks_[1] = 0x00FF00;
      masks_[2] = 0x0000FF;
    }
  }
}

std::shared_ptr<Surface> Surface::CreateDib(int width, int height, int bitsPerPixel, bool bottomUp,
                                            const std::vector<RGBQUAD>& colors, const DWORD masks[3]) {
  auto s = std::make_shared<Surface>();
  s->Layout(width, height, bitsPerPixel, bottomUp);
  s->colors_ = colors;
  if (bitsPerPixel <= 8) s->colors_.resize(std::size_t{1} << bitsPerPixel);
  s->SetMasks(bitsPerPixel, masks);
  return s;
}

std::shared_ptr<Surface> Surface::Wrap(int width, int height, int bitsPerPixel, bool bottomUp,
                                       const void* bits, const std::vector<RGBQUAD>& colors,
                                       const DWORD masks[3]) {
  auto s = std::make_shared<Surface>();
  s->Layout(width, height, bitsPerPixel, bottomUp, static_cast<std::uint8_t*>(const_cast<void*>(bits)));
  s->colors_ = colors;
  if (bitsPerPixel <= 8) s->colors_.resize(std::size_t{1} << bitsPerPixel);
  s->SetMasks(bitsPerPixel, masks);
  return s;
}

void Surface::Layout(int width, int height, int bpp, bool bottomUp, std::uint8_t* external) {
  width_ = width;
  height_ = height;
  bpp_ = bpp;
  bottom_up_ = bottomUp;
  row_bytes_ = static_cast<int>(DibRowBytes(width, bpp));
  if (external != nullptr) {
    storage_.reset();
    base_ = external;
  } else {
    const std::size_t bytes = static_cast<std::size_t>(row_bytes_) * static_cast<std::size_t>(height);
    storage_.reset(static_cast<std::uint8_t*>(std::calloc(std::max<std::size_t>(bytes, 1), 1)));
    if (!storage_) throw std::bad_alloc();
    base_ = storage_.get();
  }
  if (bottomUp && height > 0) {
    top_ = base_ + static_cast<std::ptrdiff_t>(height - 1) * row_bytes_;
    stride_ = -row_bytes_;
  } else {
    top_ = base_;
    stride_ = row_bytes_;
  }
  nearest_cache_.clear();
}

std::uint32_t Surface::GetRaw(int x, int y) const {
  const std::uint8_t* row = Row(y);
  switch (bpp_) {
    case 32:
      return reinterpret_cast<const std::uint32_t*>(row)[x];
    case 24:
      return row[x * 3] | (row[x * 3 + 1] << 8) | (row[x * 3 + 2] << 16);
    case 16:
      return row[x * 2] | (row[x * 2 + 1] << 8);
    case 8:
      return row[x];
    case 4:
      return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
  }
  return 0;
}

void Surface::SetRaw(int x, int y, std::uint32_t raw) {
  std::uint8_t* row = Row(y);
  switch (bpp_) {
    case 32:
      reinterpret_cast<std::uint32_t*>(row)[x] = raw;
      break;
    case 24:
      row[x * 3] = raw & 0xFF;
      row[x * 3 + 1] = (raw >> 8) & 0xFF;
      row[x * 3 + 2] = (raw >> 16) & 0xFF;
      break;
    case 16:
      row[x * 2] = raw & 0xFF;
      row[x * 2 + 1] = (raw >> 8) & 0xFF;
      break;
    case 8:
      row[x] = static_cast<std::uint8_t>(raw);
      break;
    case 4: {
      const int shift = (x & 1) ? 0 : 4;
      row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & ~(0xF << shift)) | ((raw & 0xF) << shift));
      break;
    }
    case 1: {
      const int bit = 7 - (x & 7);
      row[x >> 3] = static_cast<std::uint8_t>((row[x >> 3] & ~(1 << bit)) | ((raw & 1) << bit));
      break;
    }
  }
}

Pixel Surface::Decode(std::uint32_t raw) const {
  if (bpp_ <= 8) {
    if (raw >= colors_.size()) return 0;
    const RGBQUAD& q = colors_[raw];
    return (static_cast<Pixel>(q.rgbRed) << 16) | (q.rgbGreen << 8) | q.rgbBlue;
  }
  if (bpp_ == 24) return raw & 0xFFFFFF;
  if (bpp_ == 32 && masks_[0] == 0) return raw & 0xFFFFFF;
  Pixel out = 0;
  for (int c = 0; c < 3; ++c) {
    const std::uint32_t v = (raw & masks_[c]) >> MaskShift(masks_[c]);
    out |= ExpandTo8(v, MaskBits(masks_[c])) << (16 - 8 * c);
  }
  return out;
}

std::uint32_t Surface::Encode(Pixel p) const {
  if (bpp_ <= 8) return static_cast<std::uint32_t>(NearestIndex(p));
  if (bpp_ == 24) return p & 0xFFFFFF;
  if (bpp_ == 32 && (masks_[0] == 0 || masks_[0] == 0xFF0000)) return p & 0xFFFFFF;
  std::uint32_t out = 0;
  for (int c = 0; c < 3; ++c) {
    const std::uint32_t v = (p >> (16 - 8 * c)) & 0xFF;
    const int bits = MaskBits(masks_[c]);
    const std::uint32_t scaled = bits >= 8 ? v << (bits - 8) : v >> (8 - bits);
    out |= (scaled << MaskShift(masks_[c])) & masks_[c];
  }
  return out;
}

Pixel Surface::Get(int x, int y) const {
  if (bpp_ == 32 && (masks_[0] == 0 || masks_[0] == 0xFF0000)) {
    return reinterpret_cast<const std::uint32_t*>(Row(y))[x] & 0xFFFFFF;
  }
  return Decode(GetRaw(x, y));
}

void Surface::Set(int x, int y, Pixel p) {
  if (bpp_ == 32 && (masks_[0] == 0 || masks_[0] == 0xFF0000)) {
    reinterpret_cast<std::uint32_t*>(Row(y))[x] = p & 0xFFFFFF;
    return;
  }
  SetRaw(x, y, Encode(p));
}

// Nearest colour table entry by squared distance; a small direct-mapped
// cache keeps repeated fills fast.
int Surface::NearestIndex(Pixel p) const {
  if (colors_.empty()) return 0;
  p &= 0xFFFFFF;
  if (nearest_cache_.empty()) nearest_cache_.assign(4096, CacheEntry{});
  CacheEntry& slot = nearest_cache_[((p >> 12) ^ p) & 4095];
  if (slot.tag == p) return slot.index;
  const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  int best = 0;
  long best_d = -1;
  for (std::size_t i = 0; i < colors_.size(); ++i) {
    const RGBQUAD& q = colors_[i];
    const long dr = r - q.rgbRed, dg = g - q.rgbGreen, db = b - q.rgbBlue;
    const long d = dr * dr + dg * dg + db * db;
    if (best_d < 0 || d < best_d) {
      best_d = d;
      best = static_cast<int>(i);
      if (d == 0) break;
    }
  }
  slot.tag = p;
  slot.index = best;
  return best;
}
