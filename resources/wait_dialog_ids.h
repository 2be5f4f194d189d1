// The numbers of the wait-before-play dialogs and their items.
#pragma once

constexpr int kWaitGpiDialog = 1780;       // "Wait GPI"
constexpr int kWaitKeyboardDialog = 1781;  // "Wait Playback Start"

// "Wait GPI": the name of the line waited on.
constexpr int kWaitGpiLineName = 1724;
