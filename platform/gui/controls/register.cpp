#include "platform/gui/controls/control_internal.h"

void RegisterControlClasses() {
  controls::RegisterButtonClass();
  controls::RegisterStaticClass();
  controls::RegisterEditClass();
  controls::RegisterListBoxClasses();
  controls::RegisterComboBoxClass();
  controls::RegisterScrollBarClass();
  controls::RegisterTrackbarClass();
  controls::RegisterTooltipClass();
  controls::RegisterTabClass();
  controls::RegisterUpDownClass();
}
