#include <QApplication>
#include <QFileInfo>
#include <clocale>

#include "pitchwise_app.h"
#include "resource.h"
#include "user_interface.h"

namespace {

QApplication* theToolkit = nullptr;

// No command line is read: the toolkit gets only the program's name.
int theArgumentCount = 1;
char theProgramName[] = "pitchwise";
char* theArguments[] = {theProgramName, nullptr};

}  // namespace

void InitUserInterface() {
    if (!QApplication::instance()) {
        theToolkit = new QApplication(theArgumentCount, theArguments);
    }
    // The toolkit takes the user's locale for everything; numbers to the
    // controller and from the fields always use a point.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setWindowIcon(ResourceIcon(IDR_MAINFRAME));
}

void EndUserInterface() {
    delete theToolkit;
    theToolkit = nullptr;
}

QString ApplicationName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QIcon ResourceIcon(int iconId) {
    QIcon icon;
    if (iconId != IDR_MAINFRAME) return icon;
    for (int size : {16, 32, 48}) {
        icon.addFile(QStringLiteral(":/icon/pitchwise-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
