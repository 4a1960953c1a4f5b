// pitchwise-capture-window: "Pitchwise Capture", the capture in a window.
#include <QtWidgets/QApplication>
#include <clocale>

#include "capture_main_window.h"
#include "runtime_dir.h"

int main(int argc, char** argv) {
    pitchwise::ProvideRuntimeDir();
    QApplication application(argc, argv);
    // Numbers are read and written with a decimal point whatever the locale.
    std::setlocale(LC_NUMERIC, "C");
    pitchwise::CCaptureMainWindow window;
    window.show();
    window.activateWindow();
    return application.exec();
}
