#include "platform/board/board_monitor.h"

#include <SDL.h>

#include <cstring>

namespace vlmsim {

Monitor::~Monitor() {
  // At the end of the program SDL may have gone before the board.
  if (window_ != nullptr && SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_DestroyWindow(window_);
  window_ = nullptr;
}

void Monitor::Show(const std::vector<uint32_t>& pixels, int width, int height) {
  if (width <= 0 || height <= 0 || pixels.size() < static_cast<std::size_t>(width) * height) return;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
    window_ = nullptr;
    return;
  }
  if (window_ == nullptr) {
    window_ = SDL_CreateWindow("Velmora Monitor", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                               SDL_WINDOW_SHOWN | SDL_WINDOW_SKIP_TASKBAR);
    if (window_ == nullptr) return;
  } else {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    if (w != width || h != height) SDL_SetWindowSize(window_, width, height);
    if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) == 0) SDL_ShowWindow(window_);
  }
  SDL_Surface* target = SDL_GetWindowSurface(window_);
  if (target == nullptr) return;
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels.data()), width, height, 32,
                                                           width * 4, SDL_PIXELFORMAT_RGB888);
  if (source == nullptr) return;
  SDL_BlitSurface(source, nullptr, target, nullptr);
  SDL_FreeSurface(source);
  SDL_UpdateWindowSurface(window_);
}

void Monitor::Hide() {
  if (window_ != nullptr && SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_HideWindow(window_);
}

bool Monitor::Capture(std::vector<uint32_t>* pixels, int* width, int* height) {
  if (window_ == nullptr || SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  SDL_Surface* shown = SDL_GetWindowSurface(window_);
  if (shown == nullptr) return false;
  SDL_Surface* copy = SDL_ConvertSurfaceFormat(shown, SDL_PIXELFORMAT_RGB888, 0);
  if (copy == nullptr) return false;
  *width = copy->w;
  *height = copy->h;
  pixels->resize(static_cast<std::size_t>(copy->w) * copy->h);
  SDL_LockSurface(copy);
  for (int y = 0; y < copy->h; ++y) {
    std::memcpy(pixels->data() + static_cast<std::size_t>(y) * copy->w,
                static_cast<const uint8_t*>(copy->pixels) + static_cast<std::ptrdiff_t>(y) * copy->pitch,
                static_cast<std::size_t>(copy->w) * 4);
  }
  SDL_UnlockSurface(copy);
  SDL_FreeSurface(copy);
  for (uint32_t& p : *pixels) p &= 0x00FFFFFFu;
  return true;
}

}  // namespace vlmsim
