// The monitor window: what the board's output shows, in an SDL window of
// the program's own SDL. Only used on the thread that owns SDL's video (the
// program's main thread, which pumps it), and only when the program has
// started SDL's video: under the headless display there is no window.
#pragma once

#include <cstdint>
#include <vector>

struct SDL_Window;

namespace vlmsim {

class Monitor {
 public:
  Monitor() = default;
  ~Monitor();
  Monitor(const Monitor&) = delete;
  Monitor& operator=(const Monitor&) = delete;

  // Shows a picture of width x height (0x00RRGGBB, top row first).
  void Show(const std::vector<uint32_t>& pixels, int width, int height);
  void Hide();
  // The window's pixels as the display has them.
  bool Capture(std::vector<uint32_t>* pixels, int* width, int* height);

 private:
  SDL_Window* window_ = nullptr;
};

}  // namespace vlmsim
