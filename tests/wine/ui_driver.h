// What the Wine tests use to act as the operator: real key presses through
// SendInput, and reading back the live windows.
#pragma once

#include <windows.h>

#include <string>

namespace pitchwise {

// Wine on a loaded machine can take seconds to handle one key; a minute is a
// limit only a fault reaches.
constexpr int FAULT_LIMIT_MS = 60000;

// Polls `condition` every 20 ms for up to `milliseconds`.
template <class Condition>
bool WaitFor(Condition condition, int milliseconds = FAULT_LIMIT_MS) {
    for (int waited = 0;; waited += 20) {
        if (condition()) return true;
        if (waited >= milliseconds) return false;
        Sleep(20);
    }
}

// One press and release of a virtual key, optionally with Shift held, as
// the keyboard would give them to the foreground window.
void PressKey(WORD virtualKey, bool withShift = false);
// Types `text` key by key (characters the keyboard has without Shift).
void TypeText(const char* text);
// A left click at screen position (x, y), as the mouse would give it.
void ClickAt(int x, int y);
// Paces the input a little, as a person would. Nothing relies on it: every
// effect of a key is awaited where it is checked.
void LetInputSettle();

// The visible top-level window titled `title` that belongs to process
// `processId`, or nullptr.
HWND FindProcessWindow(DWORD processId, const char* title);
// Waits for it; nullptr when it does not appear in time.
HWND WaitForProcessWindow(DWORD processId, const char* title, int milliseconds = FAULT_LIMIT_MS);

// Makes `window` the foreground window so key presses reach it.
bool BringToFront(HWND window);

std::string WindowText(HWND window);
std::string ClassName(HWND window);
// The item text of a dialog control, through WM_GETTEXT.
std::string ItemText(HWND dialog, int id);

// The window with the keyboard focus in the thread that owns `window`.
HWND FocusedWindow(HWND window);
// Its control number, or 0 when no control has the focus.
int FocusedId(HWND dialog);
// Waits until control `id` has the focus; returns the focused control's
// number then, or at the limit (so a check shows what had it instead).
int FocusOnceItIs(HWND dialog, int id);

// The rectangle of `child` in the client coordinates of `dialog`.
RECT RectInDialog(HWND dialog, HWND child);

// Saves what is on the screen under `window` as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string& path);

// Centre of a rectangle, doubled so odd sizes stay exact.
POINT DoubledCentre(const RECT& rect);

}  // namespace pitchwise
