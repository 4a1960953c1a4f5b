// The Win32 front end of our dialog base: modal dialogs from the resource
// templates, run by the system's dialog manager (DialogBoxParamA), with the
// few things a dialog framework would add on top of it.

// clang-format off
// dialog.h comes before <windows.h>, whose macros would rename its members.
#include "dialog.h"
#include <windows.h>
// clang-format on

#include "resource.h"
#include "win32_placement.h"

namespace pitchwise {

// <windows.h> maps these names to their narrow or wide forms; here they are
// our dialog's own members.
#undef GetDlgItemText
#undef MessageBox
#undef SetDlgItemText

struct CDialogImpl {
    HWND window = nullptr;
    HICON icon = nullptr;
    int waitDepth = 0;                   // BeginWaitCursor calls not yet ended
    HCURSOR cursorBeforeWait = nullptr;  // put back by the last EndWaitCursor
};

namespace {

HINSTANCE ModuleInstance() {
    return GetModuleHandleA(nullptr);
}

CDialog* DialogOf(HWND window) {
    return reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
}

// Gives the focus to the first enabled tab stop the way the dialog manager
// does when Tab moves it: a push button that gets the focus this way becomes
// the current default, so Enter presses it. A plain SetFocus would leave
// Enter to arrive as IDOK and end the dialog.
void FocusFirstTabStop(HWND window) {
    HWND first = GetNextDlgTabItem(window, nullptr, FALSE);
    if (first != nullptr)
        SendMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
}

// Draws the icon centred in the client area of the minimised window.
void PaintMinimised(HWND window, HICON icon) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(window, &client);
    const POINT at = CentredIconOrigin(client.right - client.left, client.bottom - client.top,
                                       GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(dc, at.x, at.y, icon);
    EndPaint(window, &paint);
}

// The result of messages whose answer goes through DWLP_MSGRESULT.
INT_PTR Answer(HWND window, LONG_PTR result) {
    SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->Impl()->window = window;
        CDialog* parent = dialog->Parent();
        CentreWindow(window, parent != nullptr ? parent->Impl()->window : nullptr);
        if (dialog->OnInitDialog()) FocusFirstTabStop(window);
        return FALSE;  // the focus is set already
    }
    CDialog* dialog = DialogOf(window);
    if (dialog == nullptr) return FALSE;

    switch (message) {
        case WM_COMMAND:
            // Clicks, Enter (IDOK) and Escape (IDCANCEL) carry code 0; the
            // edits' and the list's notifications are not commands.
            if (HIWORD(wParam) != BN_CLICKED) return FALSE;
            dialog->OnCommand(LOWORD(wParam));
            return TRUE;
        case DM_GETDEFID:
            // No button is the default: Enter outside a focused push button
            // is the OK command, even when a button that had the focus
            // still looks like the default.
            return Answer(window, 0);
        case WM_SYSCOMMAND:
            return dialog->OnSysCommand(static_cast<unsigned>(wParam)) ? TRUE : FALSE;
        case WM_PAINT:
            if (!IsIconic(window) || dialog->Impl()->icon == nullptr) return FALSE;
            PaintMinimised(window, dialog->Impl()->icon);
            return TRUE;
        case WM_QUERYDRAGICON:
            // Returned directly, not through DWLP_MSGRESULT.
            return reinterpret_cast<INT_PTR>(dialog->Impl()->icon);
        default:
            return FALSE;
    }
}

HWND Item(const CDialogImpl* impl, int id) {
    return GetDlgItem(impl->window, id);
}

}  // namespace

CDialog::CDialog(int templateId, CDialog* parent)
    : m_templateId(templateId), m_parent(parent), m_impl(new CDialogImpl) {}

CDialog::~CDialog() {
    delete m_impl;
}

int CDialog::DoModal() {
    HWND owner = m_parent != nullptr ? m_parent->m_impl->window : nullptr;
    const INT_PTR result = DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(m_templateId), owner,
                                           DialogProcedure, reinterpret_cast<LPARAM>(this));
    m_impl->window = nullptr;
    return static_cast<int>(result);
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_impl->window, result);
}

void CDialog::SetDlgItemText(int id, const char* text) {
    ::SetDlgItemTextA(m_impl->window, id, text);
}

int CDialog::GetDlgItemText(int id, char* text, int maxCount) const {
    if (maxCount <= 0) return 0;
    text[0] = '\0';
    return static_cast<int>(::GetDlgItemTextA(m_impl->window, id, text, maxCount));
}

void CDialog::EnableDlgItem(int id, bool enable) {
    EnableWindow(Item(m_impl, id), enable);
}

void CDialog::ResetComboContent(int id) {
    SendMessageA(Item(m_impl, id), CB_RESETCONTENT, 0, 0);
}

int CDialog::AddComboString(int id, const char* text) {
    return static_cast<int>(
        SendMessageA(Item(m_impl, id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

void CDialog::SetComboCurSel(int id, int index) {
    SendMessageA(Item(m_impl, id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CDialog::CheckDlgButton(int id, bool checked) {
    SendMessageA(Item(m_impl, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CDialog::IsDlgButtonChecked(int id) const {
    return SendMessageA(Item(m_impl, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CDialog::MessageBox(const char* text) {
    char title[MAX_PATH];
    ApplicationName(title, sizeof title);
    ::MessageBoxA(m_impl->window, text, title, MB_OK);
}

// The thread handles no messages while a command runs, so nothing sets the
// cursor back before EndWaitCursor does.
void CDialog::BeginWaitCursor() {
    if (m_impl->waitDepth++ == 0)
        m_impl->cursorBeforeWait = SetCursor(LoadCursor(nullptr, IDC_WAIT));
}

void CDialog::EndWaitCursor() {
    if (m_impl->waitDepth > 0 && --m_impl->waitDepth == 0) SetCursor(m_impl->cursorBeforeWait);
}

bool CDialog::AppendSystemMenuItem(unsigned id, const char* text) {
    HMENU menu = GetSystemMenu(m_impl->window, FALSE);
    if (menu == nullptr) return false;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, id, text);
    return true;
}

int CDialog::LoadResourceString(int id, char* text, int maxCount) const {
    if (maxCount <= 0) return 0;
    text[0] = '\0';
    return LoadStringA(ModuleInstance(), static_cast<UINT>(id), text, maxCount);
}

void CDialog::SetWindowIcon(int iconId) {
    if (m_impl->icon == nullptr)
        m_impl->icon = LoadIconA(ModuleInstance(), MAKEINTRESOURCEA(iconId));
    SendMessageA(m_impl->window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_impl->icon));
    SendMessageA(m_impl->window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_impl->icon));
}

}  // namespace pitchwise
