// The thumb bitmaps of the program's sliders.
#pragma once

constexpr int kHSliderThumb = 32000;      // horizontal sliders (balance, pan)
constexpr int kVSliderThumb = 32001;      // vertical faders
constexpr int kMasterFaderThumb = 32012;  // the mixer's master volume fader
