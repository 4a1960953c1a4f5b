#include "ui_driver.h"

#include <cstdio>
#include <vector>

namespace pitchwise {

namespace {

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

struct WindowSearch {
    DWORD processId;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !IsWindowVisible(window)) return TRUE;
    if (WindowText(window) != search->title) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

void PressKey(WORD virtualKey, bool withShift) {
    std::vector<INPUT> inputs;
    if (withShift) inputs.push_back(KeyInput(VK_SHIFT, false));
    inputs.push_back(KeyInput(virtualKey, false));
    inputs.push_back(KeyInput(virtualKey, true));
    if (withShift) inputs.push_back(KeyInput(VK_SHIFT, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    LetInputSettle();
}

void TypeText(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) {
        PressKey(static_cast<WORD>(VkKeyScanA(*c) & 0xFF));
    }
}

void ClickAt(int x, int y) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Absolute coordinates run from 0 to 65535 across the screen.
    input.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    LetInputSettle();
    for (DWORD button : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
        input.mi.dwFlags = button | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &input, sizeof input);
        LetInputSettle();
    }
}

void LetInputSettle() {
    Sleep(150);
}

HWND FindProcessWindow(DWORD processId, const char* title) {
    WindowSearch search{processId, title, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForProcessWindow(DWORD processId, const char* title, int milliseconds) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindProcessWindow(processId, title)) != nullptr; }, milliseconds);
    return found;
}

bool BringToFront(HWND window) {
    return WaitFor([&] {
        if (GetForegroundWindow() == window) return true;
        SetForegroundWindow(window);
        return false;
    });
}

std::string WindowText(HWND window) {
    char text[512] = "";
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, FAULT_LIMIT_MS, nullptr);
    return text;
}

std::string ClassName(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string ItemText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

HWND FocusedWindow(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

int FocusedId(HWND dialog) {
    HWND focus = FocusedWindow(dialog);
    // The axis list's focus may sit in a child of the combo box.
    while (focus != nullptr && GetParent(focus) != dialog && GetParent(focus) != nullptr) {
        focus = GetParent(focus);
    }
    return focus != nullptr && GetParent(focus) == dialog ? GetDlgCtrlID(focus) : 0;
}

int FocusOnceItIs(HWND dialog, int id) {
    WaitFor([&] { return FocusedId(dialog) == id; });
    return FocusedId(dialog);
}

RECT RectInDialog(HWND dialog, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool SaveScreenshot(HWND window, const std::string& path) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD rowBytes = static_cast<DWORD>((width * 3 + 3) & ~3);
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageBytes;
    bool saved = false;
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        saved = std::fwrite(&header, sizeof header, 1, file) == 1 &&
                std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1 &&
                std::fwrite(bits, imageBytes, 1, file) == 1;
        saved = std::fclose(file) == 0 && saved;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

POINT DoubledCentre(const RECT& rect) {
    return POINT{rect.left + rect.right, rect.top + rect.bottom};
}

}  // namespace pitchwise
