// The window system and drawing: everything a window of the program uses.
#pragma once

#include "platform/core/message_queue.h"
#include "platform/gui/accel.h"
#include "platform/gui/common_dialogs.h"
#include "platform/gui/controls.h"
#include "platform/gui/dialog.h"
#include "platform/gui/gdi.h"
#include "platform/gui/mb.h"
#include "platform/gui/menu.h"
#include "platform/gui/message_box.h"
#include "platform/gui/resource.h"
#include "platform/gui/user.h"
