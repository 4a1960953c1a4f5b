// Start-up's one call into comctl32, through a pointer so the programs that
// test the front end under Wine can see the class set it asks for (Wine
// registers every common control class whatever is asked).
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs <windows.h> before it

namespace pitchwise {
// clang-format on

using InitCommonControlsCall = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX* controls);

// comctl32's InitCommonControlsEx unless a test installed another.
extern InitCommonControlsCall theInitCommonControls;

}  // namespace pitchwise
