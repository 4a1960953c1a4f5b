// Entry of the Windows executable: the application object does the work,
// and the process ends when its main dialog ends. thePort's destructor then
// closes any port still open.
#include <windows.h>

#include "pitchwise_app.h"

using namespace pitchwise;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    theApp.InitInstance();
    return 0;
}
