// Our own small dialog base, addressed by control numbers like the Windows
// dialog manager. The command handlers use only the operations below, so
// they are written once; each front end (Qt, Win32, the tests' recording
// dialog) supplies the implementation of this class in a file of its own.
#pragma once

namespace pitchwise {

struct CDialogImpl;  // the front end's state for one dialog

class CDialog {
  public:
    explicit CDialog(int templateId, CDialog* parent = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Shows the dialog from its template and runs it modally until
    // EndDialog; returns the result given to EndDialog.
    int DoModal();
    void EndDialog(int result);

    // The dialog operations the command handlers need.
    void SetDlgItemText(int id, const char* text);
    // Copies at most maxCount - 1 characters and a terminating zero; returns
    // the number of characters copied.
    int GetDlgItemText(int id, char* text, int maxCount) const;
    void EnableDlgItem(int id, bool enable);
    void ResetComboContent(int id);
    int AddComboString(int id, const char* text);
    void SetComboCurSel(int id, int index);
    void CheckDlgButton(int id, bool checked);
    bool IsDlgButtonChecked(int id) const;
    // Modal, owned by this dialog, OK button only, no icon, titled with the
    // application's name.
    void MessageBox(const char* text);
    // The busy cursor, while a command blocks the window; calls nest, and
    // the cursor is back when every Begin has had its End (see CWaitCursor).
    void BeginWaitCursor();
    void EndWaitCursor();

    // What the main dialog's initialisation needs.
    // Appends a separator and the item; false when there is no system menu.
    bool AppendSystemMenuItem(unsigned id, const char* text);
    // Copies string resource `id`; returns its length (0 when absent).
    int LoadResourceString(int id, char* text, int maxCount) const;
    // Sets icon resource `iconId` as the big and the small window icon.
    void SetWindowIcon(int iconId);

    int TemplateId() const { return m_templateId; }
    CDialog* Parent() const { return m_parent; }
    CDialogImpl* Impl() const { return m_impl; }

    // Called by the front end.
    virtual bool OnInitDialog();     // true: focus to the first tab stop
    virtual void OnCommand(int id);  // a button was pressed
    // A system-menu command; false leaves it to the default handling.
    virtual bool OnSysCommand(unsigned id);
    virtual void OnOK();      // Enter outside a push button
    virtual void OnCancel();  // Escape, the close box, Done

  private:
    int m_templateId;
    CDialog* m_parent;
    CDialogImpl* m_impl;
};

// The busy cursor for the life of the scope, so that every way out of a
// command takes it down again.
class CWaitCursor {
  public:
    explicit CWaitCursor(CDialog& dialog) : m_dialog(dialog) { m_dialog.BeginWaitCursor(); }
    ~CWaitCursor() { m_dialog.EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

  private:
    CDialog& m_dialog;
};

}  // namespace pitchwise
