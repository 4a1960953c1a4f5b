#include "recording_dialog.h"

#include <cstring>

#include "dialog_template.h"
#include "resource.h"

namespace pitchwise {

CDialog::CDialog(int templateId, CDialog* parent)
    : m_templateId(templateId), m_parent(parent), m_impl(new CDialogImpl) {
    // Start from the template's texts and initial states, as a window would.
    if (const DialogTemplate* t = FindDialogTemplate(templateId)) {
        for (std::size_t i = 0; i < t->controlCount; ++i) {
            const DialogControl& c = t->controls[i];
            if (c.id == IDC_STATIC) continue;
            RecordedControl& control = m_impl->controls[c.id];
            control.text = c.text;
            control.enabled = (c.style & 0x08000000L) == 0;
        }
    }
}

CDialog::~CDialog() {
    delete m_impl;
}

int CDialog::DoModal() {
    OnInitDialog();
    return m_impl->result;
}

void CDialog::EndDialog(int result) {
    m_impl->result = result;
    m_impl->ended = true;
}

void CDialog::SetDlgItemText(int id, const char* text) {
    m_impl->controls[id].text = text;
}

int CDialog::GetDlgItemText(int id, char* text, int maxCount) const {
    m_impl->textReads.push_back(id);
    if (maxCount <= 0) return 0;
    const RecordedControl& control = m_impl->controls[id];
    std::string value = control.text;
    if (!control.entries.empty() || control.selection >= 0) {
        value =
            control.selection >= 0 && control.selection < static_cast<int>(control.entries.size())
                ? control.entries[control.selection]
                : std::string();
    }
    int n = static_cast<int>(value.size());
    if (n > maxCount - 1) n = maxCount - 1;
    std::memcpy(text, value.data(), n);
    text[n] = '\0';
    return n;
}

void CDialog::EnableDlgItem(int id, bool enable) {
    m_impl->controls[id].enabled = enable;
    if (enable) m_impl->enableOrder.push_back(id);
}

void CDialog::ResetComboContent(int id) {
    m_impl->controls[id].entries.clear();
    m_impl->controls[id].selection = -1;
}

int CDialog::AddComboString(int id, const char* text) {
    m_impl->controls[id].entries.push_back(text);
    return static_cast<int>(m_impl->controls[id].entries.size()) - 1;
}

void CDialog::SetComboCurSel(int id, int index) {
    m_impl->controls[id].selection = index;
}

void CDialog::CheckDlgButton(int id, bool checked) {
    m_impl->controls[id].checked = checked;
}

bool CDialog::IsDlgButtonChecked(int id) const {
    return m_impl->controls[id].checked;
}

void CDialog::MessageBox(const char* text) {
    m_impl->messages.push_back(text);
    m_impl->messageWaitDepths.push_back(m_impl->waitDepth);
}

void CDialog::BeginWaitCursor() {
    ++m_impl->waitDepth;
    ++m_impl->waitBegins;
}

void CDialog::EndWaitCursor() {
    --m_impl->waitDepth;
}

bool CDialog::AppendSystemMenuItem(unsigned, const char* text) {
    m_impl->systemMenu.push_back(text);
    return true;
}

int CDialog::LoadResourceString(int id, char* text, int maxCount) const {
    const char* value = id == IDS_ABOUTBOX ? "&About Pitchwise..." : "";
    int n = static_cast<int>(std::strlen(value));
    if (n > maxCount - 1) n = maxCount - 1;
    std::memcpy(text, value, n);
    text[n] = '\0';
    return n;
}

void CDialog::SetWindowIcon(int iconId) {
    m_impl->icon = iconId;
}

CDialogImpl& Recorded(CDialog& dialog) {
    return *dialog.Impl();
}

}  // namespace pitchwise
