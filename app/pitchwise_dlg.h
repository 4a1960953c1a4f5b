// The main dialog and its command handlers.
#pragma once

#include "dialog.h"

namespace pitchwise {

class CPitchwiseDlg : public CDialog {
  public:
    CPitchwiseDlg();

    bool OnInitDialog() override;
    void OnCommand(int id) override;
    bool OnSysCommand(unsigned id) override;

    void OnFindQsb();
    void OnTestReading();
    void OnSetZero();
    void OnCreate();

  private:
    void EnableMappingControls();
    // Reads a number field; false when its text is not digits and points.
    bool ReadNumberField(int id, float& value);
};

class CAboutDlg : public CDialog {
  public:
    explicit CAboutDlg(CDialog* parent);
};

}  // namespace pitchwise
