// Where the Win32 front end puts its windows, and what it calls itself.
#pragma once

#include <windows.h>

#include <cstddef>

namespace pitchwise {

// Centres `window` over `owner`, or in the screen's work area when there is
// no owner, keeping it inside the work area.
void CentreWindow(HWND window, HWND owner);

// Top-left corner of an icon of iconWidth x iconHeight centred in a client
// area of clientWidth x clientHeight: (w - icon + 1) / 2, rounding toward
// zero, so a client smaller than the icon gives a negative origin.
POINT CentredIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight);

// The file name of `path` without its folder and its extension.
void NameWithoutFolderAndExtension(const char* path, char* name, std::size_t size);

// The application's name for message-box titles: the executable's file
// name without its folder and extension.
void ApplicationName(char* name, std::size_t size);

}  // namespace pitchwise
