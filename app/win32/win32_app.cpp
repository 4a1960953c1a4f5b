// The toolkit set-up that the application object asks of the front end.
#include "common_controls.h"
#include "pitchwise_app.h"

namespace pitchwise {

InitCommonControlsCall theInitCommonControls = InitCommonControlsEx;

void InitUserInterface() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;  // 0xFF
    theInitCommonControls(&controls);
}

}  // namespace pitchwise
