// The registration of the system's classes: the standard controls
// (controls/) and the message box.
#include "platform/gui/controls.h"

#include <mutex>

#include "platform/gui/controls/control_internal.h"
#include "platform/gui/message_box.h"
#include "platform/gui/window_internal.h"

void RegisterSystemClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterControlClasses();
    RegisterMessageBoxClass();
  });
}
