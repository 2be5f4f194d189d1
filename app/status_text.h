// The program-wide status line: one text of at most 159 characters in the
// project frame's status bar, which any window may write.
#pragma once

#include <string>

class TStatusBar;

constexpr std::size_t kStatusTextLimit = 159;

// The project frame's status bar; null until the frame is built.
extern TStatusBar* TheStatusBar;

void ShowStatusText(const char* text);
// Appends text while the whole stays below the limit; otherwise the line
// shows text alone (cut to the limit less one).
void AppendStatusText(const char* text);
void ClearStatusText();
// Repaints the bar at once.
void UpdateStatusBar();
