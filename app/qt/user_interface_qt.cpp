#include <QApplication>
#include <QByteArray>
#include <QFileInfo>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "pitchwise_app.h"
#include "resource.h"
#include "runtime_dir.h"
#include "user_interface.h"

namespace pitchwise {

namespace {

QApplication* theToolkit = nullptr;

// No command line is read: the toolkit gets only the program's name.
int theArgumentCount = 1;
char theProgramName[] = "pitchwise";
char* theArguments[] = {theProgramName, nullptr};

// What the toolkit says while it starts is held back: when it cannot reach
// the display it prints several lines and ends the process with advice to
// reinstall, which misleads. One line with the reason is said instead.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
QtMessageHandler thePreviousHandler = nullptr;
std::vector<HeldMessage> theHeldMessages;
// The toolkit may speak from threads of its own while it starts.
std::mutex theHeldMessagesLock;

// The platform plugin's own words on why it failed; the fatal message is
// only the toolkit's conclusion.
QString StartFailureReason() {
    for (const HeldMessage& m : theHeldMessages) {
        if (m.category.startsWith("qt.qpa")) return m.text;
    }
    return QStringLiteral("no platform plugin could be started");
}

void HoldStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    std::lock_guard<std::mutex> hold(theHeldMessagesLock);
    if (type != QtFatalMsg) {
        theHeldMessages.push_back({type, QByteArray(context.category), message});
        return;
    }
    std::fprintf(stderr, "%s: cannot open a window: %s\n", theProgramName,
                 StartFailureReason().toLocal8Bit().constData());
    std::fflush(stderr);
    // Inside the toolkit's constructor nothing else may run: no exit handlers.
    std::_Exit(EXIT_FAILURE);
}

// The toolkit started after all: what it said goes out as it would have.
void ReleaseStartMessages() {
    std::lock_guard<std::mutex> hold(theHeldMessagesLock);
    for (const HeldMessage& m : theHeldMessages) {
        const QMessageLogContext context(nullptr, 0, nullptr,
                                         m.category.isEmpty() ? nullptr : m.category.constData());
        if (thePreviousHandler) {
            thePreviousHandler(m.type, context, m.text);
        } else {
            std::fprintf(stderr, "%s\n", m.text.toLocal8Bit().constData());
        }
    }
    theHeldMessages.clear();
}

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

}  // namespace

bool HaveDisplay() {
    if (IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return true;
    std::fprintf(stderr,
                 "%s: no display to open the window on: neither DISPLAY nor WAYLAND_DISPLAY is "
                 "set\n",
                 theProgramName);
    return false;
}

void InitUserInterface() {
    if (!QApplication::instance()) {
        ProvideRuntimeDir();
        thePreviousHandler = qInstallMessageHandler(HoldStartMessage);
        theToolkit = new QApplication(theArgumentCount, theArguments);
        qInstallMessageHandler(thePreviousHandler);
        ReleaseStartMessages();
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

}  // namespace pitchwise
