#include "timeline/commands/run_converter.h"

#include <vector>

#include "model/message_box.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/core/process.h"
#include "platform/core/sync.h"
#include "platform/gui/gui.h"

std::string ConverterProgram(const std::string& folder, const char* name) {
  return "\"" + folder + "/" + name + "\"";
}

bool RunConverter(HWND window, const std::string& command, const char* folder, bool wait) {
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFO startup;
  PROCESS_INFORMATION process;
  if (!CreateProcess(nullptr, line.data(), nullptr, nullptr, FALSE,
                     wait ? HIGH_PRIORITY_CLASS : NORMAL_PRIORITY_CLASS, nullptr,
                     folder && *folder ? folder : nullptr, &startup, &process)) {
    ShowMessage(window, GetString(ui_string::kLaunchExternal), MB_OK | MB_ICONSTOP,
                GetString(ui_string::kCannotLaunch), command);
    return false;
  }
  if (wait) {
    POINT saved{};
    GetCursorPos(&saved);
    SetCursorPos(2048, 2048);
    ShowCursor(FALSE);
    HCURSOR before = ::SetCursor(LoadCursor(nullptr, IDC_WAIT));
    WaitForSingleObject(process.hProcess, INFINITE);
    ShowCursor(TRUE);
    ::SetCursor(before);
    SetCursorPos(saved.x, saved.y);
    if (HWND frame = GetAncestor(window, GA_ROOT)) SetForegroundWindow(frame);
    SetFocus(window);
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return true;
}
