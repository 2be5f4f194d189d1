// A stand-in for the tab control ("SysTabControl32") until the standard
// controls provide it: tabs 60 pixels wide along the top, a click chooses
// one with the TCN_SELCHANGING and TCN_SELCHANGE notices.
#pragma once

void RegisterTabStandIn();
constexpr int kTabWidth = 60;
