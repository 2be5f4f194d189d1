// Small stand-ins for the standard controls, enough for the dialog manager
// to talk to through the Windows messages: push, check and radio buttons,
// group boxes, a single-line edit field and a static text. Each registers
// under its own class name ("TestButton", "TestEdit", "TestStatic").
#pragma once

#include <string>

#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"

constexpr DWORD kBsCheckBox = 0x2;
constexpr DWORD kBsAutoCheckBox = 0x3;
constexpr DWORD kBsRadioButton = 0x4;
constexpr DWORD kBsGroupBox = 0x7;
constexpr DWORD kBsAutoRadioButton = 0x9;
constexpr UINT kEmSetSel = 0x00B1;

void RegisterTestControls();

// Last EM_SETSEL a TestEdit got: (start, end), or (-2, -2) for none.
POINT LastSelection(HWND edit);
std::string TextOf(HWND hwnd);

// Runs the pending messages with the dialog's keyboard interface, as a
// message loop that serves a modeless dialog does.
void PumpDialog(HWND dialog);
