// Starting the converter programs that lie beside the program (QOVTOOL1.EXE
// and QOVTOOL2.EXE): the time-line runs them on a file being added, the
// clip collection from its Tools menu.
#pragma once

#include <string>

#include "platform/core/types.h"

// The first word of a converter's command line: folder/name in quotes.
std::string ConverterProgram(const std::string& folder, const char* name);

// Starts command in folder (null or "": the current one); false, after
// telling the user with window as the owner, when it does not start. With
// wait the window waits for the program, the pointer parked out of the way,
// and takes the focus afterwards.
bool RunConverter(HWND window, const std::string& command, const char* folder, bool wait);
