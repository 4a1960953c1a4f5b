// The toolkit set-up that the application object asks of the front end.
// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs <windows.h> before it
// clang-format on

#include "pitchwise_app.h"

void InitUserInterface() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;  // 0xFF
    InitCommonControlsEx(&controls);
}
