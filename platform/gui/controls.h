// The standard controls: buttons, static texts and pictures, edits, list
// boxes, combo boxes, scroll bars (also the scroll bars of any window),
// trackbars, up-down controls, tooltips and tab controls, with their class
// names, styles, messages and notifications, the owner-draw records, the
// clipboard that edits cut to and paste from, and the 3-D edges and frame
// controls that they draw with. Every control is a window class registered by the window
// system; parents and dialogs talk to them through messages only.
#pragma once

#include "platform/gui/controls/button.h"
#include "platform/gui/controls/clipboard.h"
#include "platform/gui/controls/combobox.h"
#include "platform/gui/controls/common.h"
#include "platform/gui/controls/draw.h"
#include "platform/gui/controls/edit.h"
#include "platform/gui/controls/listbox.h"
#include "platform/gui/controls/scrollbar.h"
#include "platform/gui/controls/static.h"
#include "platform/gui/controls/tab.h"
#include "platform/gui/controls/tooltip.h"
#include "platform/gui/controls/trackbar.h"
#include "platform/gui/controls/updown.h"
