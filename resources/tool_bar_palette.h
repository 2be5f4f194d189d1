// The colours of the frames' tool-bar pictures: the classic 16 on the button
// face ('.'), one letter each.
#pragma once

#include <string>
#include <vector>

#include "platform/gui/gui.h"
#include "platform/gui/resource.h"

inline PixelArt ToolBarArt(const std::vector<std::string>& rows) {
  return PixelArt{rows,
                  {{'.', RGB(192, 192, 192)},
                   {'k', RGB(0, 0, 0)},
                   {'w', RGB(255, 255, 255)},
                   {'g', RGB(128, 128, 128)},
                   {'b', RGB(0, 0, 128)},
                   {'B', RGB(0, 0, 255)},
                   {'r', RGB(255, 0, 0)},
                   {'m', RGB(128, 0, 0)},
                   {'y', RGB(255, 255, 0)},
                   {'o', RGB(128, 128, 0)},
                   {'G', RGB(0, 128, 0)},
                   {'l', RGB(0, 255, 0)},
                   {'t', RGB(0, 128, 128)},
                   {'c', RGB(0, 128, 128)},
                   {'a', RGB(0, 255, 255)}}};
}
