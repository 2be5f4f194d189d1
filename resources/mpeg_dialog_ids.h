// The numbers of the MPEG export's settings dialog and of its items.
#pragma once

constexpr int kMpegConfigDialog = 1570;  // "Configure DVMPEG"

constexpr int kMpegType = 1571;
constexpr int kMpegFormat = 1572;
constexpr int kMpegVideoBitRate = 1573;  // in units of 1024 bit/s
constexpr int kMpegAudioBitRate = 1574;
constexpr int kMpegWidth = 1575;
constexpr int kMpegHeight = 1576;
