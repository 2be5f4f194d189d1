// A list of effect components, each a class id with its program id, as a
// project or an effect list names the components of the machine that wrote
// it. The audio engine reads, writes and checks such lists; the time-line
// and the dialogs only hand them on and show them.
#pragma once

#include "platform/components/guid.h"
#include "platform/core/types.h"

// Longest program id kept; longer ones are cut.
constexpr int kProgIdLength = 80;

// One node of a component list.
struct ComObjectEntry {
  ComObjectEntry* next = nullptr;
  CLSID clsid{};
  char progId[kProgIdLength + 1] = {};
  BYTE missing = 0;  // set by Effect::Open when the class cannot be created
};

// Frees a list that a reader handed over.
void FreeComponentList(ComObjectEntry* head);
