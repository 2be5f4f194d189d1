// Message numbers that the core layer itself knows; the window layer adds
// the rest. Private messages of the program start at WM_USER (within a window
// class) and WM_APP (program-wide).
#pragma once

#include "platform/core/types.h"

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;
