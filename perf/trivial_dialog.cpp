// The reference for start-up time and memory: a plain Qt 6 dialog with the
// same sixteen widgets as the main window and nothing else behind it.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pitchwise {

namespace {

template <typename Widget>
Widget* Place(QDialog& dialog, Widget* widget, int x, int y, int width, int height) {
    widget->setParent(&dialog);
    widget->setGeometry(x, y, width, height);
    return widget;
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle("Reference dialog");
    dialog.resize(245, 327);
    Place(dialog, new QPushButton("Find QSB"), 10, 11, 75, 23);
    Place(dialog, new QLineEdit, 10, 44, 224, 23)->setReadOnly(true);
    Place(dialog, new QPushButton("Set Zero"), 10, 76, 75, 23);
    Place(dialog, new QPushButton("Test Reading"), 91, 76, 75, 23);
    Place(dialog, new QLineEdit, 10, 109, 224, 23)->setReadOnly(true);
    Place(dialog, new QLabel("Mapping Axis:"), 10, 146, 69, 13);
    Place(dialog, new QComboBox, 117, 143, 72, 23);
    Place(dialog, new QLabel("Start Position:"), 10, 175, 69, 13);
    Place(dialog, new QLabel("End Position:"), 10, 205, 63, 13);
    Place(dialog, new QLabel("Map Increment:"), 10, 234, 78, 13);
    Place(dialog, new QLineEdit, 115, 172, 72, 23);
    Place(dialog, new QLineEdit, 115, 201, 72, 23);
    Place(dialog, new QLineEdit, 115, 231, 72, 23);
    Place(dialog, new QPushButton("Create"), 73, 292, 75, 23);
    Place(dialog, new QPushButton("Done"), 159, 292, 75, 23);
    Place(dialog, new QCheckBox("Disable Mapping"), 10, 263, 100, 16);
    dialog.exec();
    return 0;
}
