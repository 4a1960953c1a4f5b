// The Linux executable: the application object runs the main dialog; the
// process ends when it ends, and thePort closes at exit.
#include <cstdlib>

#include "pitchwise_app.h"
#include "user_interface.h"

using namespace pitchwise;

int main() {
    if (!HaveDisplay()) return EXIT_FAILURE;
    theApp.InitInstance();
    EndUserInterface();
    return 0;
}
