// The Linux executable: the application object runs the main dialog; the
// process ends when it ends, and thePort closes at exit.
#include "pitchwise_app.h"
#include "user_interface.h"

int main() {
    theApp.InitInstance();
    EndUserInterface();
    return 0;
}
