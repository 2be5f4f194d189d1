// The dialog tests' stand-ins for the standard controls, and a tab control.
#include "platform/gui/dialogs/test_controls.cpp"
