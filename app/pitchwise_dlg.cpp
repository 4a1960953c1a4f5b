#include "pitchwise_dlg.h"

#include <cstdio>

#include "create_fields.h"
#include "mapping_run.h"
#include "point_format.h"
#include "qsb.h"
#include "resource.h"

namespace pitchwise {

CPitchwiseDlg::CPitchwiseDlg() : CDialog(IDD_MAIN) {}

CAboutDlg::CAboutDlg(CDialog* parent) : CDialog(IDD_ABOUTBOX, parent) {}

bool CPitchwiseDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    char about[64];
    if (LoadResourceString(IDS_ABOUTBOX, about, sizeof about) > 0) {
        AppendSystemMenuItem(IDM_ABOUTBOX, about);
    }
    SetWindowIcon(IDR_MAINFRAME);
    return true;  // focus goes to the first enabled tab stop: Find QSB
}

void CPitchwiseDlg::OnCommand(int id) {
    switch (id) {
        case IDC_FIND_QSB:
            OnFindQsb();
            break;
        case IDC_TEST_READING:
            OnTestReading();
            break;
        case IDC_SET_ZERO:
            OnSetZero();
            break;
        case IDC_CREATE:
            OnCreate();
            break;
        default:
            CDialog::OnCommand(id);
            break;
    }
}

bool CPitchwiseDlg::OnSysCommand(unsigned id) {
    if ((id & 0xFFF0) != IDM_ABOUTBOX) return false;
    CAboutDlg about(this);
    about.DoModal();
    return true;
}

void CPitchwiseDlg::OnFindQsb() {
    int port = 0;
    QsbIdentity identity{};
    bool found = false;
    {
        CWaitCursor busy(*this);
        found = FindQsb(port, identity);
    }
    if (!found) {
        // The controls keep whatever state an earlier success gave them.
        SetDlgItemText(IDC_QSB_INFO, "No QSB Device Found!");
        return;
    }
    // Plain formatting: the line holds no decimal number, and the device's own
    // texts must reach the box unchanged whatever the locale's separator is.
    char line[64];
    std::snprintf(line, sizeof line, "COM:%d SERNUM:%s DEV:%s REV:%s", port, identity.serialNumber,
                  identity.device, identity.revision);
    SetDlgItemText(IDC_QSB_INFO, line);
    EnableMappingControls();
}

void CPitchwiseDlg::EnableMappingControls() {
    static const int order[] = {IDC_SET_ZERO,        IDC_TEST_READING, IDC_AXIS,
                                IDC_START_POS,       IDC_END_POS,      IDC_MAP_INC,
                                IDC_DISABLE_MAPPING, IDC_CREATE};
    for (int id : order) EnableDlgItem(id, true);

    // Emptied first, so a repeated Find QSB leaves exactly X, Y and Z rather
    // than a list that grows by three entries each time.
    ResetComboContent(IDC_AXIS);
    AddComboString(IDC_AXIS, "X");
    AddComboString(IDC_AXIS, "Y");
    AddComboString(IDC_AXIS, "Z");
    SetComboCurSel(IDC_AXIS, 0);

    SetDlgItemText(IDC_START_POS, "0.000");
    SetDlgItemText(IDC_END_POS, "1.000");
    SetDlgItemText(IDC_MAP_INC, "1.000");
    CheckDlgButton(IDC_DISABLE_MAPPING, true);
}

void CPitchwiseDlg::OnTestReading() {
    // A failed read shows as 0.000000, like a true zero.
    float position = ReadQsbPosition();
    char text[64];
    FormatWithPoint(text, sizeof text, "%f", static_cast<double>(position));
    SetDlgItemText(IDC_READING, text);
}

void CPitchwiseDlg::OnSetZero() {
    ZeroQsbCounter();
    char text[64];
    FormatWithPoint(text, sizeof text, "%f", 0.0);
    SetDlgItemText(IDC_READING, text);
}

bool CPitchwiseDlg::ReadNumberField(int id, float& value) {
    char text[FIELD_BUFFER_SIZE];
    GetDlgItemText(id, text, FIELD_BUFFER_SIZE);
    if (!IsNumericText(text)) return false;
    value = FieldValue(text);
    return true;
}

void CPitchwiseDlg::OnCreate() {
    char axisText[FIELD_BUFFER_SIZE];
    GetDlgItemText(IDC_AXIS, axisText, FIELD_BUFFER_SIZE);
    const char axis = axisText[0];
    if (axis != 'X' && axis != 'Y' && axis != 'Z') {
        MessageBox("Error - Invalid axis selection.");
        return;
    }
    float start = 0, end = 0, increment = 0;
    if (!ReadNumberField(IDC_START_POS, start)) {
        MessageBox("Error - Invalid start position.");
        return;
    }
    if (!ReadNumberField(IDC_END_POS, end)) {
        MessageBox("Error - Invalid end position.");
        return;
    }
    // An increment so small that the steps overflow a 32-bit count would make
    // a run with no entries that still reports success: refuse it here.
    if (!ReadNumberField(IDC_MAP_INC, increment) || !(increment > 0.0f) ||
        MappingStepCount(start, end, increment) < 0) {
        MessageBox("Error - Invalid mapping increment.");
        return;
    }
    const bool disableFirst = IsDlgButtonChecked(IDC_DISABLE_MAPPING);
    MapResult result = MAP_DONE;
    {
        // Only while the run blocks: the closing message waits for the
        // operator with the ordinary cursor.
        CWaitCursor busy(*this);
        result = RunMapping(axis, start, end, increment, disableFirst);
    }
    MessageBox(MapResultMessage(result));
}

}  // namespace pitchwise
