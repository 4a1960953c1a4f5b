#include "pitchwise_app.h"

#include "pitchwise_dlg.h"

namespace pitchwise {

CPitchwiseApp theApp;

bool CPitchwiseApp::InitInstance() {
    InitUserInterface();
    m_registryKey = "Local AppWizard-Generated Applications";
    {
        CPitchwiseDlg dialog;
        dialog.DoModal();
    }
    return false;
}

}  // namespace pitchwise
