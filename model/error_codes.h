// The numbered results of long and file operations. They belong to the model,
// not to the windows: readers, writers and engines return them, and only the
// callers that report a failure reach for the message box (message_box.h).
#pragma once

enum ErrorCode : int {
  kErrOk = 0,
  kErrUnknownParameter = 1,
  kErrNoMemory = 2,
  kErrFileMissing = 3,
  kErrFileEmpty = 4,
  kErrIndex = 5,
  kErrInvalidFormat = 6,
  kErrFrameFormat = 7,
  kErrInvalidParameter = 8,
  kErrNoSource = 9,
  kErrVideoResolution = 10,
  kErrAttachHardware = 11,
  kErrVideoMemory = 12,
  kErrVideoInit = 13,
  kErrNoVideoDevice = 14,
  kErrNoChannel = 15,
  kErrNoSelection = 16,
  kErrCancelled = 17,    // a result, never shown
  kErrAlreadyDone = 18,  // a result, never shown
  kErrRead = 19,
  kErrWrite = 20,
  kErrNoVtrDevice = 21,
  kErrNoWaveDevice = 22,
  kErrNoMidiDevice = 23,
  kErrOpen = 24,
  kErrNotFilm = 25,
  kErrPlaying = 26,
  kErrNotKeyFrame = 27,
  kErrRecompressStart = 28,
  kErrUnsupportedRate = 29,  // no text of its own: its callers show their own message
  kErrCodec = 30,
  kErrNoSpace = 31,
  kErrNoCodec = 32,
  kErrFatal = 33,
};

constexpr int kErrLast = kErrFatal;

// The formatted and the plain text of an error code; "" for a code without one.
const char* ErrorFormatText(int code);
const char* ErrorPlainText(int code);
