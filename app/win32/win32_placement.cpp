#include "win32_placement.h"

#include <cstring>

namespace pitchwise {

void CentreWindow(HWND window, HWND owner) {
    RECT work;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
        work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    RECT around = work;
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &around);
    }
    RECT own;
    GetWindowRect(window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int x = around.left + ((around.right - around.left) - width) / 2;
    int y = around.top + ((around.bottom - around.top) - height) / 2;
    // Over an owner near the screen's edge, stay on the screen.
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT CentredIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
    // C++ integer division rounds toward zero, as the placement requires.
    return POINT{(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

void NameWithoutFolderAndExtension(const char* path, char* name, std::size_t size) {
    if (size == 0) return;
    const char* base = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':') base = p + 1;
    }
    std::size_t length = std::strlen(base);
    if (const char* dot = std::strrchr(base, '.')) length = static_cast<std::size_t>(dot - base);
    if (length > size - 1) length = size - 1;
    std::memcpy(name, base, length);
    name[length] = '\0';
}

void ApplicationName(char* name, std::size_t size) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    NameWithoutFolderAndExtension(path, name, size);
}

}  // namespace pitchwise
