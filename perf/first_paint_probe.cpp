// Preloaded into a Qt program by the start-up benchmark: notes when the first
// window has been painted, then asks the program to quit as if the operator
// had closed it. Writes the steady-clock time (ns) to the file named by
// $PITCHWISE_FIRST_PAINT_FILE.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace pitchwise {

namespace {

void NoteFirstPaint() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    if (const char* path = std::getenv("PITCHWISE_FIRST_PAINT_FILE")) {
        if (std::FILE* out = std::fopen(path, "w")) {
            std::fprintf(out, "%lld\n", ns);
            std::fclose(out);
        }
    }
    // Ends every event loop, the modal dialog's included.
    QCoreApplication::exit(0);
}

class CFirstPaintFilter final : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()) {
            m_seen = true;
            // Painting and the flush to the screen finish before the event
            // loop runs again, so a zero timer fires after both.
            QTimer::singleShot(0, NoteFirstPaint);
        }
        return false;
    }

  private:
    bool m_seen = false;
};

void InstallFilter() {
    QCoreApplication* application = QCoreApplication::instance();
    application->installEventFilter(new CFirstPaintFilter(application));
}

struct Registration {
    Registration() { qAddPreRoutine(InstallFilter); }
} registration;

}  // namespace

}  // namespace pitchwise
