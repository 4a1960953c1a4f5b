// The Win32 front end under Wine: the real dialogs from the real resources,
// run modally on the main thread while a second thread plays the operator
// with key presses and reads the live windows back.
//
// Usage: pitchwise_dialog_tests.exe [screenshot folder]
// No COM port may lead anywhere, and no Tarvex.dll may be on the search
// path: Find QSB then fails at once and Create fails to load the library.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common_controls.h"
#include "dialog_layout.h"
#include "dialog_template.h"
#include "pitchwise_app.h"
#include "pitchwise_dlg.h"
#include "template_reader.h"
#include "ui_driver.h"
#include "win32_placement.h"
#include "wine_check.h"

namespace pitchwise {

namespace {

const DWORD STYLE_CHILD_VISIBLE = PW_WS_CHILD | PW_WS_VISIBLE;
const char* const NO_QSB = "No QSB Device Found!";

// Every control that Find QSB enables, as it enables them.
const int MAPPING_CONTROLS[] = {IDC_SET_ZERO, IDC_TEST_READING, IDC_AXIS,   IDC_START_POS,
                                IDC_END_POS,  IDC_MAP_INC,      IDC_CREATE, IDC_DISABLE_MAPPING};

// Tab order with everything enabled that a successful Find QSB enables.
const int TAB_ORDER[] = {IDC_FIND_QSB,  IDC_SET_ZERO,       IDC_TEST_READING, IDC_AXIS,
                         IDC_START_POS, IDC_END_POS,        IDC_MAP_INC,      IDC_CREATE,
                         IDCANCEL,      IDC_DISABLE_MAPPING};
const int TAB_COUNT = sizeof TAB_ORDER / sizeof TAB_ORDER[0];

std::string theScreenshotFolder = ".";

std::string Hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

bool SameText(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

bool Ended(HWND window) {
    return !IsWindow(window) || !IsWindowVisible(window);
}

// What a successful Find QSB would give, without a QSB: the tests of keys
// and messages need the controls it enables.
void EnableLikeFindQsb(HWND dialog) {
    for (int id : MAPPING_CONTROLS) EnableWindow(GetDlgItem(dialog, id), TRUE);
    HWND axis = GetDlgItem(dialog, IDC_AXIS);
    for (const char* letter : {"X", "Y", "Z"}) {
        SendMessageA(axis, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(letter));
    }
    SendMessageA(axis, CB_SETCURSEL, 0, 0);
    SetDlgItemTextA(dialog, IDC_START_POS, "0.000");
    SetDlgItemTextA(dialog, IDC_END_POS, "1.000");
    SetDlgItemTextA(dialog, IDC_MAP_INC, "1.000");
    SendMessageA(GetDlgItem(dialog, IDC_DISABLE_MAPPING), BM_SETCHECK, BST_CHECKED, 0);
}

// Presses Tab until control `id` has the focus; false if it never does.
bool TabTo(HWND dialog, int id) {
    for (int i = 0; i <= TAB_COUNT; ++i) {
        const int before = FocusedId(dialog);
        if (before == id) return true;
        PressKey(VK_TAB);
        // Each Tab moves the focus on: wait for that before judging it.
        if (!WaitFor([&] { return FocusedId(dialog) != before; })) return false;
    }
    return FocusedId(dialog) == id;
}

// Position and size in pixels, each mapped on its own as the dialog manager
// does when it creates the controls (so right = mapped x + mapped width).
RECT DialogRect(HWND dialog, int x, int y, int width, int height) {
    RECT mapped{x, y, width, height};
    MapDialogRect(dialog, &mapped);
    return RECT{mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
}

std::string RectText(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

// Style bits the controls keep as created. Buttons gain or lose the
// default-button bit as the focus moves, an edit draws its border as a
// sunken client edge, and a combo box hands its scroll bar to its list
// (shown there only when the entries overflow), so those bits are checked
// in the resource template instead.
DWORD KeptStyleBits(const DialogControl& control) {
    DWORD kept = ~static_cast<DWORD>(PW_BS_DEFPUSHBUTTON);
    if (lstrcmpiA(control.windowClass, "ComboBox") == 0) kept &= ~static_cast<DWORD>(PW_WS_VSCROLL);
    if (lstrcmpiA(control.windowClass, "Edit") == 0) kept &= ~static_cast<DWORD>(PW_WS_BORDER);
    return kept;
}

void CheckLiveControls(HWND dialog, const DialogTemplate& layout) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    CheckEqual(static_cast<long long>(children.size()), static_cast<long long>(layout.controlCount),
               "number of child windows");
    for (std::size_t i = 0; i < children.size() && i < layout.controlCount; ++i) {
        const DialogControl& want = layout.controls[i];
        HWND child = children[i];
        const std::string where =
            std::string(layout.title) + " control " + std::to_string(i) + " (" + want.text + ")";
        CheckEqual(GetDlgCtrlID(child) & 0xFFFF, want.id & 0xFFFF, where + " number");
        Check(SameText(ClassName(child), want.windowClass),
              where + " class " + ClassName(child) + " is " + want.windowClass);
        const DWORD wantStyle = STYLE_CHILD_VISIBLE | static_cast<DWORD>(want.style);
        const DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        const DWORD kept = KeptStyleBits(want);
        Check((style & kept) == (wantStyle & kept),
              where + " style " + Hex(style) + " against " + Hex(wantStyle));
        if (SameText(want.windowClass, "Edit") && (want.style & PW_WS_BORDER) != 0) {
            Check((GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0,
                  where + " has its border");
        }
        const bool isIcon =
            (want.style & 0xF) == PW_SS_ICON && SameText(want.windowClass, "Static");
        if (!isIcon) {
            CheckText(WindowText(child), want.text, where + " text");
        }
        const RECT wantRect = DialogRect(dialog, want.x, want.y, want.width, want.height);
        RECT rect = RectInDialog(dialog, child);
        if (SameText(want.windowClass, "ComboBox")) {
            // A drop-down list's window has its closed height; the template's
            // height, with the list open, is checked in the resource above.
            rect.bottom = wantRect.bottom;
        }
        if (isIcon) {
            // An icon control takes the size of its icon; its place is fixed.
            rect.right = rect.left + (wantRect.right - wantRect.left);
            rect.bottom = rect.top + (wantRect.bottom - wantRect.top);
        }
        Check(EqualRect(&rect, &wantRect) != 0,
              where + " rectangle " + RectText(rect) + " is " + RectText(wantRect));
    }
}

void CheckResourceTemplate(const DialogTemplate& layout) {
    const ReadTemplate read = ReadDialogTemplate(layout.id);
    const std::string where = std::string("template ") + std::to_string(layout.id);
    if (!Check(read.found && read.extended, where + " is an extended dialog template")) return;
    CheckEqual(read.style, layout.style, where + " style");
    CheckEqual(read.exStyle, layout.exStyle, where + " extended style");
    CheckEqual(read.width, layout.width, where + " width");
    CheckEqual(read.height, layout.height, where + " height");
    CheckText(read.title, layout.title, where + " title");
    CheckText(read.fontName, layout.fontName, where + " font");
    CheckEqual(read.fontPoints, layout.fontPoints, where + " font size");
    if (!CheckEqual(static_cast<long long>(read.controls.size()),
                    static_cast<long long>(layout.controlCount), where + " control count")) {
        return;
    }
    for (std::size_t i = 0; i < layout.controlCount; ++i) {
        const DialogControl& want = layout.controls[i];
        const ReadControl& got = read.controls[i];
        const std::string at = where + " control " + std::to_string(i);
        CheckEqual(got.id, want.id, at + " number");
        Check(SameText(got.windowClass, want.windowClass), at + " class " + got.windowClass);
        CheckText(got.text, want.text, at + " text");
        CheckEqual(got.x, want.x, at + " x");
        CheckEqual(got.y, want.y, at + " y");
        CheckEqual(got.width, want.width, at + " width");
        CheckEqual(got.height, want.height, at + " height");
        CheckEqual(got.style, STYLE_CHILD_VISIBLE | want.style, at + " style");
        CheckEqual(got.exStyle, 0, at + " extended style");
    }
}

bool HasIconResource() {
    return FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME),
                         MAKEINTRESOURCEA(14)) != nullptr;  // RT_GROUP_ICON
}

void CheckCentred(HWND window, const RECT& around, const std::string& what) {
    RECT rect;
    GetWindowRect(window, &rect);
    const POINT centre = DoubledCentre(rect);
    const POINT wanted = DoubledCentre(around);
    // Doubled centres: one pixel of rounding either way.
    Check(std::abs(centre.x - wanted.x) <= 2 && std::abs(centre.y - wanted.y) <= 2,
          what + " " + RectText(rect) + " is centred on " + RectText(around));
}

void CheckSystemMenu(HWND dialog) {
    HMENU menu = GetSystemMenu(dialog, FALSE);
    if (!Check(menu != nullptr, "the dialog has a system menu")) return;
    const int count = GetMenuItemCount(menu);
    if (!Check(count >= 2, "the system menu has our two items")) return;
    MENUITEMINFOA separator{};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu, count - 2, TRUE, &separator);
    Check((separator.fType & MFT_SEPARATOR) != 0, "a separator comes before the About item");
    char text[64] = "";
    GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
    CheckText(text, PW_ABOUT_STRING, "last system-menu item");
    CheckEqual(static_cast<long long>(GetMenuItemID(menu, count - 1)), IDM_ABOUTBOX,
               "About item's command");
}

void CheckIcons(HWND dialog) {
    const LRESULT big = SendMessageA(dialog, WM_GETICON, ICON_BIG, 0);
    const LRESULT small = SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0);
    const LRESULT drag = SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0);
    Check(big == small, "the big and the small window icon are the same icon");
    if (HasIconResource()) {
        Check(big != 0, "the window has the application icon");
        Check(drag == big, "the drag icon is the window icon");
    }
}

// ---- the scenarios; each ends the dialog it is given -------------------

void DriveLayout(HWND dialog) {
    const DialogTemplate& layout = *FindDialogTemplate(IDD_MAIN);
    CheckResourceTemplate(layout);
    CheckResourceTemplate(*FindDialogTemplate(IDD_ABOUTBOX));
    CheckText(WindowText(dialog), PW_MAIN_TITLE, "title");
    // Top-level windows always clip their siblings.
    CheckEqual(GetWindowLongA(dialog, GWL_STYLE) & ~WS_CLIPSIBLINGS & 0xFFFF0000L,
               PW_MAIN_STYLE & 0xFFFF0000L, "window style");
    Check((GetWindowLongA(dialog, GWL_EXSTYLE) & PW_WS_EX_APPWINDOW) != 0,
          "application window: it has a task-bar button");
    RECT client;
    GetClientRect(dialog, &client);
    const RECT wanted = DialogRect(dialog, 0, 0, PW_MAIN_WIDTH, PW_MAIN_HEIGHT);
    Check(EqualRect(&client, &wanted) != 0,
          "client area " + RectText(client) + " is 163 x 201 units " + RectText(wanted));
    CheckLiveControls(dialog, layout);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    CheckCentred(dialog, work, "main dialog");
    CheckEqual(FocusOnceItIs(dialog, IDC_FIND_QSB), IDC_FIND_QSB, "focus at start");
    Check((GetWindowLongA(GetDlgItem(dialog, IDC_FIND_QSB), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON,
          "the focused Find QSB button is the current default");
    CheckSystemMenu(dialog);
    CheckIcons(dialog);
    const std::string shot = theScreenshotFolder + "\\main_dialog.bmp";
    Check(SaveScreenshot(dialog, shot), "screenshot saved to " + shot);
    PressKey(VK_ESCAPE);
}

void DriveEnterAtStart(HWND dialog) {
    PressKey(VK_RETURN);
    Check(WaitFor([&] { return ItemText(dialog, IDC_QSB_INFO) == NO_QSB; }),
          "Enter right after start runs Find QSB");
    Check(!Ended(dialog), "the dialog stays open after Find QSB");
    Check(!IsWindowEnabled(GetDlgItem(dialog, IDC_SET_ZERO)),
          "a failed Find QSB leaves Set Zero disabled");
    PressKey(VK_ESCAPE);
}

void DriveTabAtStart(HWND dialog) {
    const int expected[] = {IDCANCEL, IDC_FIND_QSB, IDCANCEL};
    for (int id : expected) {
        PressKey(VK_TAB);
        CheckEqual(FocusOnceItIs(dialog, id), id, "Tab with only Find QSB and Done enabled");
    }
    PressKey(VK_TAB, true);
    CheckEqual(FocusOnceItIs(dialog, IDC_FIND_QSB), IDC_FIND_QSB, "Shift+Tab back to Find QSB");
    PressKey(VK_TAB, true);
    CheckEqual(FocusOnceItIs(dialog, IDCANCEL), IDCANCEL, "Shift+Tab wraps to Done");
    PressKey(VK_RETURN);  // Done has the focus: it ends the dialog as IDCANCEL
}

void DriveFullTabOrder(HWND dialog) {
    EnableLikeFindQsb(dialog);
    CheckEqual(FocusOnceItIs(dialog, IDC_FIND_QSB), IDC_FIND_QSB, "focus before tabbing");
    for (int i = 1; i <= TAB_COUNT; ++i) {
        PressKey(VK_TAB);
        CheckEqual(FocusOnceItIs(dialog, TAB_ORDER[i % TAB_COUNT]), TAB_ORDER[i % TAB_COUNT],
                   "Tab step " + std::to_string(i));
    }
    for (int i = TAB_COUNT - 1; i >= 0; --i) {
        PressKey(VK_TAB, true);
        CheckEqual(FocusOnceItIs(dialog, TAB_ORDER[i]), TAB_ORDER[i],
                   "Shift+Tab step " + std::to_string(i));
    }
    PressKey(VK_ESCAPE);
}

// Enter with the focus in a control that is not a push button is the OK
// command: it ends the dialog.
void DriveEnterIn(HWND dialog, int id) {
    EnableLikeFindQsb(dialog);
    if (!Check(TabTo(dialog, id), "Tab reaches control " + std::to_string(id))) {
        PressKey(VK_ESCAPE);
        return;
    }
    PressKey(VK_RETURN);
}

void DriveEnterInStart(HWND dialog) {
    DriveEnterIn(dialog, IDC_START_POS);
}
void DriveEnterInIncrement(HWND dialog) {
    DriveEnterIn(dialog, IDC_MAP_INC);
}
void DriveEnterInAxis(HWND dialog) {
    DriveEnterIn(dialog, IDC_AXIS);
}
void DriveEnterInCheckBox(HWND dialog) {
    DriveEnterIn(dialog, IDC_DISABLE_MAPPING);
}

// A button that had the focus must not keep Enter once the focus has moved
// on to an edit.
void DriveEnterAfterTabbingRound(HWND dialog) {
    EnableLikeFindQsb(dialog);
    for (int i = 0; i < TAB_COUNT; ++i) PressKey(VK_TAB);
    CheckEqual(FocusOnceItIs(dialog, IDC_FIND_QSB), IDC_FIND_QSB,
               "a full round of Tab comes back to Find QSB");
    PressKey(VK_RETURN);
    Check(WaitFor([&] { return ItemText(dialog, IDC_QSB_INFO) == NO_QSB; }),
          "Enter on Find QSB reached by Tab runs it");
    Check(!Ended(dialog), "the dialog stays open");
    Check(TabTo(dialog, IDC_END_POS), "Tab reaches the end position");
    PressKey(VK_RETURN);  // ends the dialog as IDOK
}

void DriveCloseBox(HWND dialog) {
    // The close box sits at the right end of the caption.
    RECT rect;
    GetWindowRect(dialog, &rect);
    const int frame = GetSystemMetrics(SM_CXFIXEDFRAME);
    const int x = rect.right - frame - GetSystemMetrics(SM_CXSIZE) / 2 - 2;
    const int y = rect.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    Check(SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE,
          "the click lands on the close box");
    ClickAt(x, y);
}

struct ControlState {
    std::string text;
    bool enabled;
};

std::vector<ControlState> StateOf(HWND dialog) {
    std::vector<ControlState> state;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        state.push_back({WindowText(child), IsWindowEnabled(child) != FALSE});
    }
    return state;
}

bool SameState(const std::vector<ControlState>& a, const std::vector<ControlState>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].text != b[i].text || a[i].enabled != b[i].enabled) return false;
    }
    return true;
}

HWND WaitForAbout() {
    return WaitForProcessWindow(GetCurrentProcessId(), PW_ABOUT_TITLE);
}

void DriveAboutBox(HWND dialog) {
    SetDlgItemTextA(dialog, IDC_READING, "0.250000");
    const std::vector<ControlState> before = StateOf(dialog);

    PostMessageA(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = WaitForAbout();
    if (Check(about != nullptr, "system command 16 opens the About box")) {
        Check(GetWindow(about, GW_OWNER) == dialog, "the About box is owned by the main dialog");
        RECT main;
        GetWindowRect(dialog, &main);
        CheckCentred(about, main, "About box");
        CheckLiveControls(about, *FindDialogTemplate(IDD_ABOUTBOX));
        CheckEqual(FocusOnceItIs(about, IDOK), IDOK, "focus in the About box");
        if (HasIconResource()) {
            HWND icon = GetWindow(about, GW_CHILD);
            Check(SendMessageA(icon, STM_GETICON, 0, 0) != 0, "the About box shows the icon");
        }
        PressKey(VK_RETURN);
        Check(WaitFor([&] { return !IsWindow(about); }), "Enter on OK closes the About box");
    }
    Check(!Ended(dialog), "the main dialog is still there");
    Check(SameState(before, StateOf(dialog)),
          "closing the About box leaves the main dialog as it was");

    // The low four bits of the command do not count.
    PostMessageA(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX | 0xF, 0);
    about = WaitForAbout();
    if (Check(about != nullptr, "system command 31 opens the About box too")) {
        PressKey(VK_ESCAPE);
        Check(WaitFor([&] { return !IsWindow(about); }), "Escape closes the About box");
    }
    Check(!Ended(dialog), "Escape in the About box leaves the main dialog open");

    // Other system commands keep their usual meaning.
    PostMessageA(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Check(WaitFor([&] { return IsIconic(dialog) != FALSE; }), "minimise works");
    if (HasIconResource()) {
        const LRESULT drag = SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0);
        Check(drag == SendMessageA(dialog, WM_GETICON, ICON_BIG, 0), "the minimised drag icon");
    }
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_RESTORE, 0);
    Check(WaitFor([&] { return IsIconic(dialog) == FALSE; }), "restore works");
    Check(BringToFront(dialog), "the window comes to the front");
    PressKey(VK_ESCAPE);
}

// The message box the operator sees: found, read, and closed with Enter.
struct SeenMessage {
    bool shown = false;
    std::string title;
    std::string text;
    int buttons = 0;
    std::string buttonText;
    int icons = 0;
};

BOOL CALLBACK ReadMessageChild(HWND child, LPARAM parameter) {
    SeenMessage* seen = reinterpret_cast<SeenMessage*>(parameter);
    if (!IsWindowVisible(child)) return TRUE;
    const std::string cls = ClassName(child);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (SameText(cls, "Button")) {
        ++seen->buttons;
        seen->buttonText = WindowText(child);
    } else if (SameText(cls, "Static")) {
        if ((style & SS_TYPEMASK) == SS_ICON) {
            if (SendMessageA(child, STM_GETICON, 0, 0) != 0) ++seen->icons;
        } else if (!WindowText(child).empty()) {
            seen->text = WindowText(child);
        }
    }
    return TRUE;
}

SeenMessage ReadAndCloseMessage(HWND dialog, const char* title) {
    SeenMessage seen;
    HWND box = WaitForProcessWindow(GetCurrentProcessId(), title);
    if (box == nullptr) return seen;
    seen.shown = true;
    seen.title = WindowText(box);
    Check(GetWindow(box, GW_OWNER) == dialog, "the message box is owned by the main dialog");
    EnumChildWindows(box, ReadMessageChild, reinterpret_cast<LPARAM>(&seen));
    Check(BringToFront(box), "the window comes to the front");
    PressKey(VK_RETURN);
    Check(WaitFor([&] { return !IsWindow(box); }), "Enter closes the message box");
    return seen;
}

void CheckMessage(const SeenMessage& seen, const char* text, const char* title) {
    if (!Check(seen.shown, std::string("a message box appears for \"") + text + "\"")) return;
    CheckText(seen.title, title, "message-box title");
    CheckText(seen.text, text, "message-box text");
    CheckEqual(seen.buttons, 1, "message-box buttons");
    CheckText(seen.buttonText, "OK", "message-box button");
    CheckEqual(seen.icons, 0, "message-box icons");
}

void PressCreate(HWND dialog) {
    Check(BringToFront(dialog), "the window comes to the front");
    PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_CREATE)),
                 TRUE);
    if (!Check(WaitFor([&] { return FocusedId(dialog) == IDC_CREATE; }),
               "Create takes the focus")) {
        return;
    }
    PressKey(VK_SPACE);
}

void DriveCreateMessages(HWND dialog) {
    char name[MAX_PATH];
    ApplicationName(name, sizeof name);
    EnableLikeFindQsb(dialog);

    SetDlgItemTextA(dialog, IDC_START_POS, "-5");
    PressCreate(dialog);
    CheckMessage(ReadAndCloseMessage(dialog, name), "Error - Invalid start position.", name);

    SetDlgItemTextA(dialog, IDC_START_POS, "0.000");
    SetDlgItemTextA(dialog, IDC_MAP_INC, "0.000");
    PressCreate(dialog);
    CheckMessage(ReadAndCloseMessage(dialog, name), "Error - Invalid mapping increment.", name);

    SetDlgItemTextA(dialog, IDC_MAP_INC, "1.000");
    PressCreate(dialog);
    CheckMessage(ReadAndCloseMessage(dialog, name), "Error - Can't load TARVEX.DLL.", name);
    Check(!Ended(dialog), "the dialog stays open after the message");
    Check(BringToFront(dialog), "the window comes to the front");
    PressKey(VK_ESCAPE);
}

// ---- running them ------------------------------------------------------

struct Scenario {
    const char* name;
    void (*drive)(HWND dialog);
    int expectedResult;
};

const Scenario SCENARIOS[] = {
    {"layout, resources, focus, system menu and icons", DriveLayout, IDCANCEL},
    {"Enter right after start runs Find QSB", DriveEnterAtStart, IDCANCEL},
    {"Tab and Shift+Tab at start; Enter on Done", DriveTabAtStart, IDCANCEL},
    {"tab order with the mapping controls enabled", DriveFullTabOrder, IDCANCEL},
    {"Enter in the start position ends the dialog", DriveEnterInStart, IDOK},
    {"Enter in the map increment ends the dialog", DriveEnterInIncrement, IDOK},
    {"Enter in the axis list ends the dialog", DriveEnterInAxis, IDOK},
    {"Enter in the check box ends the dialog", DriveEnterInCheckBox, IDOK},
    {"Enter after a round of Tab: Find QSB, then an edit", DriveEnterAfterTabbingRound, IDOK},
    {"the close box", DriveCloseBox, IDCANCEL},
    {"About box from the system menu; minimise", DriveAboutBox, IDCANCEL},
    {"Create's message boxes", DriveCreateMessages, IDCANCEL},
};

DWORD WINAPI Operator(LPVOID parameter) {
    const Scenario* scenario = static_cast<const Scenario*>(parameter);
    HWND dialog = WaitForProcessWindow(GetCurrentProcessId(), PW_MAIN_TITLE);
    if (!Check(dialog != nullptr, "the main dialog appears")) return 0;
    Check(BringToFront(dialog), "the main dialog comes to the front");
    scenario->drive(dialog);
    if (!Check(WaitFor([&] { return Ended(dialog); }), "the dialog has ended")) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
}

void RunScenario(const Scenario& scenario) {
    BeginCase(scenario.name);
    HANDLE thread =
        CreateThread(nullptr, 0, Operator, const_cast<Scenario*>(&scenario), 0, nullptr);
    CPitchwiseDlg dialog;
    CheckEqual(dialog.DoModal(), scenario.expectedResult, "DoModal result");
    WaitForSingleObject(thread, FAULT_LIMIT_MS);
    CloseHandle(thread);
}

DWORD WINAPI CloseWhenShown(LPVOID) {
    HWND dialog = WaitForProcessWindow(GetCurrentProcessId(), PW_MAIN_TITLE);
    if (Check(dialog != nullptr, "start-up shows the main dialog")) {
        Check(BringToFront(dialog), "the window comes to the front");
        PressKey(VK_ESCAPE);
    }
    return 0;
}

// What start-up asked of comctl32.
struct CommonControlsSeen {
    int calls = 0;
    DWORD size = 0;
    DWORD classes = 0;
    bool dialogAlreadyShown = false;
};
CommonControlsSeen theCommonControlsSeen;

BOOL WINAPI RecordCommonControls(const INITCOMMONCONTROLSEX* controls) {
    CommonControlsSeen& seen = theCommonControlsSeen;
    ++seen.calls;
    seen.size = controls->dwSize;
    seen.classes = controls->dwICC;
    seen.dialogAlreadyShown = FindProcessWindow(GetCurrentProcessId(), PW_MAIN_TITLE) != nullptr;
    return InitCommonControlsEx(controls);
}

void CheckApplicationStart() {
    BeginCase("application start-up");
    const InitCommonControlsCall kernel = theInitCommonControls;
    theInitCommonControls = RecordCommonControls;
    HANDLE thread = CreateThread(nullptr, 0, CloseWhenShown, nullptr, 0, nullptr);
    Check(!theApp.InitInstance(), "InitInstance returns false: no message loop follows");
    WaitForSingleObject(thread, FAULT_LIMIT_MS);
    CloseHandle(thread);
    theInitCommonControls = kernel;
    const CommonControlsSeen& seen = theCommonControlsSeen;
    CheckEqual(seen.calls, 1, "start-up initialises the common controls once");
    CheckEqual(seen.size, sizeof(INITCOMMONCONTROLSEX), "InitCommonControlsEx structure size");
    CheckEqual(seen.classes, 0xFF, "InitCommonControlsEx class set (ICC_WIN95_CLASSES)");
    Check(!seen.dialogAlreadyShown, "the common controls are set up before the dialog shows");
    CheckText(theApp.RegistryKey() != nullptr ? theApp.RegistryKey() : "",
              "Local AppWizard-Generated Applications", "registry key name");
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(
        HKEY_CURRENT_USER, "Software\\Local AppWizard-Generated Applications", 0, KEY_READ, &key);
    if (opened == ERROR_SUCCESS) RegCloseKey(key);
    Check(opened != ERROR_SUCCESS, "nothing is stored under the registry key");
}

// The command handlers' busy cursor: up for the whole command, also when
// commands nest, and the cursor from before back at the end.
void CheckWaitCursor() {
    BeginCase("busy cursor around a command");
    CPitchwiseDlg dialog;
    const HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    const HCURSOR wait = LoadCursor(nullptr, IDC_WAIT);
    SetCursor(arrow);
    {
        CWaitCursor outer(dialog);
        Check(GetCursor() == wait, "the busy cursor while a command runs");
        {
            CWaitCursor inner(dialog);
            Check(GetCursor() == wait, "busy inside a nested scope");
        }
        Check(GetCursor() == wait, "still busy until the outer scope ends");
    }
    Check(GetCursor() == arrow, "the cursor from before comes back");
}

void CheckPlacementArithmetic() {
    BeginCase("icon placement and application name");
    struct IconCase {
        int clientWidth, clientHeight, iconWidth, iconHeight, x, y;
    };
    const IconCase icons[] = {
        {160, 28, 32, 32, 64, -1},  // (160-32+1)/2 = 64; (28-32+1)/2 = -3/2 = -1 toward zero
        {33, 33, 32, 32, 1, 1},    {32, 32, 32, 32, 0, 0},
        {0, 0, 32, 32, -15, -15},  // -31/2 rounds toward zero
        {31, 30, 32, 32, 0, 0},    // 0/2 and -1/2
    };
    for (const IconCase& c : icons) {
        const POINT at =
            CentredIconOrigin(c.clientWidth, c.clientHeight, c.iconWidth, c.iconHeight);
        CheckEqual(at.x, c.x, "icon x in " + std::to_string(c.clientWidth));
        CheckEqual(at.y, c.y, "icon y in " + std::to_string(c.clientHeight));
    }
    struct NameCase {
        const char* path;
        const char* name;
    };
    const NameCase names[] = {
        {"C:\\Program Files\\Pitchwise\\Pitchwise.exe", "Pitchwise"},
        {"Z:\\work\\build/tests\\pitchwise_dialog_tests.exe", "pitchwise_dialog_tests"},
        {"Pitchwise.exe", "Pitchwise"},
        {"C:\\my.tools\\Pitchwise", "Pitchwise"},
        {"C:\\tools\\Pitch.wise.exe", "Pitch.wise"},
        {"D:Pitchwise.exe", "Pitchwise"},
    };
    for (const NameCase& c : names) {
        char name[MAX_PATH];
        NameWithoutFolderAndExtension(c.path, name, sizeof name);
        CheckText(name, c.name, std::string("name of ") + c.path);
    }
    char small[5];
    NameWithoutFolderAndExtension("C:\\Pitchwise.exe", small, sizeof small);
    CheckText(small, "Pitc", "name cut to the buffer");
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    if (argc > 1) theScreenshotFolder = argv[1];
    InitUserInterface();
    CheckPlacementArithmetic();
    CheckWaitCursor();
    for (const Scenario& scenario : SCENARIOS) RunScenario(scenario);
    CheckApplicationStart();
    return Summary();
}
