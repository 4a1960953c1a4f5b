#include "dialog.h"

#include "resource.h"

namespace pitchwise {

bool CDialog::OnInitDialog() {
    return true;
}

void CDialog::OnCommand(int id) {
    if (id == IDOK) OnOK();
    if (id == IDCANCEL) OnCancel();
}

bool CDialog::OnSysCommand(unsigned) {
    return false;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

}  // namespace pitchwise
