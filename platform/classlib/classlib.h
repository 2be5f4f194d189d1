// The window class library: application, windows and frames with response
// tables, dialogs and property sheets, control classes, tool bars and
// status bars, menus.
#pragma once

#include "platform/classlib/application.h"
#include "platform/classlib/command_enabler.h"
#include "platform/classlib/common_dialogs.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/dc.h"
#include "platform/classlib/dialog.h"
#include "platform/classlib/event.h"
#include "platform/classlib/frame.h"
#include "platform/classlib/gadgets.h"
#include "platform/classlib/menu.h"
#include "platform/classlib/module.h"
#include "platform/classlib/property_sheet.h"
#include "platform/classlib/scroller.h"
#include "platform/classlib/window.h"
