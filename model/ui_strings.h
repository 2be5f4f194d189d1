// The program's numbered texts: messages, captions, file-dialog filters,
// progress texts, unit words and status texts. Texts with placeholders are
// formats for FormatText; texts with "|" are file-dialog filters. Callers
// name the entries through ui_string_ids.h.
#pragma once

#include "model/ui_string_ids.h"

// Number of entries; the last one, "Last message", answers any number outside.
constexpr int kUiStringCount = 589;

// The text of entry id, or "Last message" for any id outside 0..588.
// Numbers without a text give "". The text lives for the whole program.
const char* GetString(int id);
