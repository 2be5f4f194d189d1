// The numbers the clip collection answers to: its menu and key table, its
// commands, the tool-bar buttons of its frame that show its options, its
// cursors and its private messages with their requests.
#pragma once

#include <cstring>

// The clip frame's menu and key table.
constexpr int kCollectionMenu = 101;
constexpr int kCollectionAccelerators = 101;

// Commands of the collection window.
constexpr int kCmCollectionAddFile = 213;  // "Add source File..."
constexpr int kCmCollectionDelete = 313;
constexpr int kCmCollectionCopy = 315;
constexpr int kCmCollectionAdd = 316;  // the clip appended to the clipboard's sequence
constexpr int kCmCollectionPaste = 318;
constexpr int kCmCollectionInsert = 320;  // Insert and the background menu: add a file after the selection
constexpr int kCmCollectionProperties = 321;  // also a tile's double click
constexpr int kCmPurge = 361;
constexpr int kCmVideoParamsFromClip = 362;
constexpr int kCmAudioParamsFromClip = 363;
constexpr int kCmViewFullInfo = 451;
constexpr int kCmViewBasicInfo = 452;
constexpr int kCmViewLargeIcons = 453;
constexpr int kCmViewSmallIcons = 454;
constexpr int kCmAutoSort = 455;
constexpr int kCmSortByType = 456;
constexpr int kCmSortByName = 457;
constexpr int kCmCollectionPlay = 511;
constexpr int kCmCollectionStop = 512;
constexpr int kCmConvertAvi = 751;
constexpr int kCmConvertWave = 752;
constexpr int kCmConvertCamcorderAvi = 753;
constexpr int kCmAudioEditorForClip = 712;
constexpr int kCmMidiEditorForClip = 713;
constexpr int kCmVideoEditorForClip = 714;
constexpr int kCmTileFont = 821;
constexpr int kCmTileColor = 822;
constexpr int kCmSkipVideo = 823;
constexpr int kCmSkipAudio = 824;

// Cursors of a tile dragged inside the collection: it would move to the
// cell under the pointer, or stay where it is. The time-line shows the same
// two shapes for a clip it moves or cannot take.
constexpr int kCursorTileMoves = 24004;
constexpr int kCursorTileStays = 24006;

// WM_USER + 83: add the file whose path lParam points at.
constexpr unsigned kCollectionAddFileMessage = 0x400 + 83;
// WM_USER + 99: requests to the collection (wParam the code).
constexpr unsigned kCollectionRequestMessage = 0x400 + 99;
// Request 3: add a file for another instance of the program. lParam is a
// buffer of kRequestNameSize bytes that the sender makes with
// NewRequestName and hands over; the collection frees it with
// FreeRequestName once it has added the file, whatever came of it.
constexpr int kCollectionRequestAddFile = 3;
constexpr int kRequestNameSize = 256;

// The buffer of request 3, made and freed the one way both sides follow.
// The name is cut to the buffer.
inline char* NewRequestName(const char* name) {
  char* buffer = new char[kRequestNameSize]();
  if (name != nullptr) std::strncpy(buffer, name, kRequestNameSize - 1);
  return buffer;
}
inline void FreeRequestName(char* buffer) {
  delete[] buffer;
}

// What the collection asks of the project frame (WM_USER + 99 with the
// code): check the open media files for changes on disk (lParam 1).
constexpr unsigned kFrameRequestMessage = 0x400 + 99;
constexpr int kFrameRequestCheckFiles = 55;
