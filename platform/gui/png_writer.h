// Writes 24-bit PNG pictures (screenshots of windows).
#pragma once

#include <cstdint>
#include <string>

// pixels: width * height values 0x00RRGGBB, top row first.
bool WritePng(const std::string& path, const std::uint32_t* pixels, int width, int height);
