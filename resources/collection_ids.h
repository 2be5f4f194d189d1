// The numbers the clip collection answers to: its view commands, the
// command a tile sends on a double click, the tool-bar buttons of its frame
// that show its options, and its private messages.
#pragma once

// Commands.
constexpr int kCmClipProperties = 321;  // a tile's double click
constexpr int kCmViewFullInfo = 451;
constexpr int kCmViewBasicInfo = 452;
constexpr int kCmViewLargeIcons = 453;
constexpr int kCmViewSmallIcons = 454;
constexpr int kCmSkipVideo = 823;
constexpr int kCmSkipAudio = 824;

// WM_USER + 83: add the file whose path lParam points at.
constexpr unsigned kCollectionAddFileMessage = 0x400 + 83;
// WM_USER + 99: requests to the collection (wParam the code).
constexpr unsigned kCollectionRequestMessage = 0x400 + 99;
