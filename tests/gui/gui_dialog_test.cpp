// The main dialog on Qt, driven through real key and mouse events: layout,
// focus, the keyboard behaviour of a Windows dialog, the About box and the
// message boxes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSizeGrip>
#include <QTest>
#include <QWindow>
#include <string>
#include <vector>

#include "com_port.h"
#include "dialog_qt.h"
#include "modal_script.h"
#include "pitchwise_dlg.h"
#include "qsb_simulator.h"
#include "recording_clock.h"
#include "resource.h"

namespace pitchwise {

namespace {

enum Kind { PUSH, EDIT, READ_ONLY, COMBO, CHECK, LABEL };

struct ExpectedControl {
    int id;
    Kind kind;
    const char* text;
    bool enabled;
    int x, y, width, height;  // dialog units
};

// The main dialog as the operator must find it, in tab order.
const ExpectedControl MAIN_CONTROLS[] = {
    {4, PUSH, "Find QSB", true, 7, 7, 50, 14},
    {1001, READ_ONLY, "", false, 7, 27, 149, 14},
    {5, PUSH, "Set Zero", false, 7, 47, 50, 14},
    {3, PUSH, "Test Reading", false, 61, 47, 50, 14},
    {1000, READ_ONLY, "", false, 7, 67, 149, 14},
    {-1, LABEL, "Mapping Axis:", true, 7, 90, 46, 8},
    {1002, COMBO, "", false, 78, 88, 48, 46},
    {-1, LABEL, "Start Position:", true, 7, 108, 46, 8},
    {-1, LABEL, "End Position:", true, 7, 126, 42, 8},
    {-1, LABEL, "Map Increment:", true, 7, 144, 52, 8},
    {1003, EDIT, "", false, 77, 106, 48, 14},
    {1004, EDIT, "", false, 77, 124, 48, 14},
    {1005, EDIT, "", false, 77, 142, 48, 14},
    {7, PUSH, "Create", false, 49, 180, 50, 14},
    {2, PUSH, "Done", true, 106, 180, 50, 14},
    {1006, CHECK, "Disable Mapping", false, 7, 162, 67, 10},
};

// The test's own reading of the font's base units: average alphabet width
// and full line spacing of the font the dialog uses. The dialog may take
// larger ones where a text needs the room, never smaller.
QPoint FontBaseUnits(const QWidget& window) {
    const QFontMetrics m(window.font());
    const int width =
        m.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QPoint((width / 26 + 1) / 2, qMax(m.lineSpacing(), m.height()));
}

int Round(double v) {
    return static_cast<int>(v + 0.5);
}

QRect Pixels(const QPoint& base, int x, int y, int w, int h) {
    const int left = Round(x * base.x() / 4.0), top = Round(y * base.y() / 8.0);
    const int right = Round((x + w) * base.x() / 4.0), bottom = Round((y + h) * base.y() / 8.0);
    return QRect(left, top, right - left, bottom - top);
}

bool IsKind(QWidget* w, Kind kind) {
    auto* edit = qobject_cast<QLineEdit*>(w);
    switch (kind) {
        case PUSH:
            return qobject_cast<QPushButton*>(w) != nullptr;
        case EDIT:
            return edit && !edit->isReadOnly();
        case READ_ONLY:
            return edit && edit->isReadOnly();
        case COMBO:
            return qobject_cast<QComboBox*>(w) && !qobject_cast<QComboBox*>(w)->isEditable();
        case CHECK:
            return qobject_cast<QCheckBox*>(w) != nullptr;
        case LABEL:
            return qobject_cast<QLabel*>(w) != nullptr;
    }
    return false;
}

QString TextOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return QString();
}

// Activation is the platform's business, so the keyboard comes back a moment
// after a modal window closed.
bool FocusReturnsTo(int id) {
    return QTest::qWaitFor([id] { return FocusId() == id; }, 60000);
}

class MainDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        sim.ExportPortDir();
        clock.SetHook([this](unsigned) { sim.Pump(); });
    }
    void TearDown() override { thePort.Close(); }

    QWidget* Control(int id) { return DialogItemWidget(dialog, id); }
    QString Text(int id) { return TextOf(Control(id)); }

    // Enter on the focused Find QSB button, with the device on COM1.
    void FindTheQsb() {
        ASSERT_TRUE(sim.Plug(1));
        ASSERT_EQ(FocusId(), IDC_FIND_QSB);
        Press(Qt::Key_Return);
        ASSERT_EQ(Text(IDC_QSB_INFO), QStringLiteral("COM:1 SERNUM:10234 DEV:4 REV:12"));
    }

    // Tabs until the control has the focus; false when it never does.
    bool TabTo(int id) {
        for (int i = 0; i < 16 && FocusId() != id; ++i) Press(Qt::Key_Tab);
        return FocusId() == id;
    }

    CQsbSimulator sim;
    CRecordingClock clock;
    CPitchwiseDlg dialog;
};

TEST_F(MainDialog, ControlsHaveTheirNumbersTextsStatesAndPlaces) {
    RunModal(dialog, [&](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Pitchwise v2.2"));
        // The desktop's font: the dialog's is the application's.
        EXPECT_EQ(window.font(), QApplication::font());
        const QPoint fontBase = FontBaseUnits(window);
        const QPoint base(dialog.Impl()->baseUnits.x, dialog.Impl()->baseUnits.y);
        EXPECT_GE(base.x(), fontBase.x());
        EXPECT_GE(base.y(), fontBase.y());
        // Grown only as far as a text needs: well short of twice the font's.
        EXPECT_LT(base.x(), 2 * fontBase.x());
        EXPECT_LT(base.y(), 2 * fontBase.y());
        EXPECT_EQ(window.size(), Pixels(base, 0, 0, 163, 201).size());

        const auto& items = dialog.Impl()->items;
        ASSERT_EQ(items.size(), std::size(MAIN_CONTROLS));
        for (std::size_t i = 0; i < items.size(); ++i) {
            const ExpectedControl& e = MAIN_CONTROLS[i];
            SCOPED_TRACE(std::string("row ") + std::to_string(i) + " " + e.text);
            QWidget* w = items[i].widget;
            EXPECT_EQ(items[i].id, e.id);
            EXPECT_TRUE(IsKind(w, e.kind));
            EXPECT_EQ(TextOf(w), QString::fromLatin1(e.text));
            EXPECT_EQ(w->isEnabled(), e.enabled);
            EXPECT_EQ(w->focusPolicy() == Qt::StrongFocus, e.kind != LABEL);
            const QRect want = Pixels(base, e.x, e.y, e.width, e.height);
            const QRect got = w->geometry();
            EXPECT_LE(std::abs(got.x() - want.x()), 1);
            EXPECT_LE(std::abs(got.y() - want.y()), 1);
            EXPECT_LE(std::abs(got.width() - want.width()), 1);
            if (e.kind == COMBO) {
                // The template height is the opened list's; the closed box
                // is lower.
                EXPECT_GT(got.height(), 0);
                EXPECT_LE(got.height(), want.height());
            } else {
                EXPECT_LE(std::abs(got.height() - want.height()), 1);
            }
        }
        // No default push button, so Enter is free for the OK command.
        for (QPushButton* b : window.findChildren<QPushButton*>()) {
            EXPECT_FALSE(b->isDefault()) << b->text().toStdString();
        }
        Press(Qt::Key_Escape);
    });
}

TEST_F(MainDialog, WindowHasAFixedSizeCloseAndMinimiseButNoMaximise) {
    RunModal(dialog, [&](QDialog& window) {
        const Qt::WindowFlags flags = window.windowHandle()->flags();
        EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowFullscreenButtonHint));
        // A top-level window of its own: the task bar shows it.
        EXPECT_EQ(window.windowType(), Qt::Window);
        EXPECT_EQ(window.minimumSize(), window.size());
        EXPECT_EQ(window.maximumSize(), window.size());
        EXPECT_EQ(window.windowHandle()->minimumSize(), window.windowHandle()->maximumSize());
        EXPECT_FALSE(window.isSizeGripEnabled());
        EXPECT_TRUE(window.findChildren<QSizeGrip*>().isEmpty());
        Press(Qt::Key_Escape);
    });
    CAboutDlg about(nullptr);
    RunModal(about, [&](QDialog& window) {
        const Qt::WindowFlags flags = window.windowHandle()->flags();
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_EQ(window.minimumSize(), window.maximumSize());
        EXPECT_FALSE(window.isSizeGripEnabled());
        Press(Qt::Key_Escape);
    });
}

TEST_F(MainDialog, OpensCentredWithFocusOnFindQsb) {
    RunModal(dialog, [&](QDialog& window) {
        EXPECT_EQ(FocusId(), IDC_FIND_QSB);
        const QRect area = window.screen()->availableGeometry();
        EXPECT_LE(std::abs(window.geometry().center().x() - area.center().x()), 1);
        EXPECT_LE(std::abs(window.geometry().center().y() - area.center().y()), 1);
        EXPECT_FALSE(window.windowIcon().isNull());
        Press(Qt::Key_Escape);
    });
}

TEST_F(MainDialog, EnterOnFindQsbRunsItAndKeepsTheDialog) {
    const int result = RunModal(dialog, [&](QDialog& window) {
        Press(Qt::Key_Return);  // nothing plugged in: every port fails
        EXPECT_EQ(Text(IDC_QSB_INFO), QStringLiteral("No QSB Device Found!"));
        EXPECT_FALSE(Control(IDC_CREATE)->isEnabled());
        EXPECT_TRUE(window.isVisible());

        FindTheQsb();
        for (int id : {5, 3, 1002, 1003, 1004, 1005, 1006, 7}) {
            EXPECT_TRUE(Control(id)->isEnabled()) << id;
        }
        // Read-only boxes keep their text visible while disabled.
        EXPECT_FALSE(Control(IDC_QSB_INFO)->isEnabled());
        EXPECT_EQ(Text(IDC_START_POS), QStringLiteral("0.000"));
        EXPECT_TRUE(qobject_cast<QCheckBox*>(Control(IDC_DISABLE_MAPPING))->isChecked());
        EXPECT_TRUE(window.isVisible());
        Press(Qt::Key_Escape);
    });
    EXPECT_EQ(result, IDCANCEL);
}

// The busy cursor covers the whole search, seen from inside its pauses, and
// is gone when the handler returns.
TEST_F(MainDialog, BusyCursorWhileFindQsbRuns) {
    std::vector<int> shapes;
    clock.SetHook([&](unsigned) {
        const QCursor* cursor = QApplication::overrideCursor();
        shapes.push_back(cursor ? cursor->shape() : -1);
        sim.Pump();
    });
    RunModal(dialog, [&](QDialog&) {
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        FindTheQsb();
        ASSERT_FALSE(shapes.empty());
        EXPECT_EQ(shapes, std::vector<int>(shapes.size(), Qt::WaitCursor));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        Press(Qt::Key_Escape);
    });
}

TEST_F(MainDialog, TabVisitsTheEnabledControlsInOrder) {
    RunModal(dialog, [&](QDialog&) {
        std::vector<int> order{FocusId()};
        for (int i = 0; i < 2; ++i) {
            Press(Qt::Key_Tab);
            order.push_back(FocusId());
        }
        EXPECT_EQ(order, (std::vector<int>{4, 2, 4}));

        FindTheQsb();
        order = {FocusId()};
        for (int i = 0; i < 10; ++i) {
            Press(Qt::Key_Tab);
            order.push_back(FocusId());
        }
        EXPECT_EQ(order, (std::vector<int>{4, 5, 3, 1002, 1003, 1004, 1005, 7, 2, 1006, 4}));
        Press(Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(FocusId(), 1006);
        Press(Qt::Key_Escape);
    });
}

TEST_F(MainDialog, EnterOutsideAPushButtonEndsTheDialogWithOk) {
    for (int id : {IDC_AXIS, IDC_START_POS, IDC_END_POS, IDC_MAP_INC, IDC_DISABLE_MAPPING}) {
        SCOPED_TRACE(id);
        CPitchwiseDlg fresh;
        CMessageBoxCatcher boxes;
        const int result = RunModal(fresh, [&](QDialog&) {
            ASSERT_TRUE(sim.Plug(1));
            Press(Qt::Key_Return);
            for (int i = 0; i < 16 && FocusId() != id; ++i) Press(Qt::Key_Tab);
            ASSERT_EQ(FocusId(), id);
            Press(Qt::Key_Return);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_TRUE(boxes.Seen().empty());  // nothing ran: the dialog just ended
        thePort.Close();
    }
}

TEST_F(MainDialog, EscapeCloseBoxAndDoneEndItWithCancel) {
    EXPECT_EQ(RunModal(dialog, [](QDialog&) { Press(Qt::Key_Escape); }), IDCANCEL);
    EXPECT_EQ(RunModal(dialog, [](QDialog& window) { window.windowHandle()->close(); }), IDCANCEL);
    EXPECT_EQ(
        RunModal(dialog, [&](QDialog&) { QTest::mouseClick(Control(IDCANCEL), Qt::LeftButton); }),
        IDCANCEL);
}

TEST_F(MainDialog, AboutBoxOpensFromTheContextMenuAndReturns) {
    for (int viaKey : {0, 1}) {
        SCOPED_TRACE(viaKey ? "Shift+F10" : "right button");
        bool aboutSeen = false;
        RunModal(dialog, [&](QDialog& window) {
            WhenShown([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                      [](QWidget& popup) {
                          auto& menu = static_cast<QMenu&>(popup);
                          for (QAction* a : menu.actions()) {
                              if (a->text() == QStringLiteral("&About Pitchwise...")) {
                                  menu.setActiveAction(a);
                              }
                          }
                          QTest::keyClick(&menu, Qt::Key_Return);
                      });
            WhenShown(
                [] { return ModalWindowTitled(QStringLiteral("About Pitchwise")); },
                [&](QWidget& about) {
                    aboutSeen = true;
                    QStringList texts;
                    bool icon = false;
                    for (QLabel* l : about.findChildren<QLabel*>()) {
                        texts << l->text();
                        icon = icon || !l->pixmap().isNull();
                    }
                    EXPECT_TRUE(texts.contains(QStringLiteral("Pitchwise, Version 1.0")));
                    EXPECT_TRUE(icon);
                    auto* ok = about.findChild<QPushButton*>();
                    ASSERT_NE(ok, nullptr);
                    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
                    EXPECT_TRUE(ok->isDefault());
                    EXPECT_EQ(about.parentWidget(), &window);
                    EXPECT_LE(
                        (about.geometry().center() - window.geometry().center()).manhattanLength(),
                        2);
                    // Activation is the platform's business and comes a moment
                    // after the box shows; a key pressed before would reach the
                    // main dialog's focused button, which no keyboard can.
                    ASSERT_TRUE(QTest::qWaitFor(
                        [&] { return QApplication::activeWindow() == &about; }, 5000))
                        << "the About box never takes the keyboard";
                    Press(Qt::Key_Return);  // the default OK
                });
            if (viaKey) {
                Press(Qt::Key_F10, Qt::ShiftModifier);
            } else {
                QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                        window.mapToGlobal(QPoint(5, 5)));
                QApplication::sendEvent(&window, &event);
            }
            EXPECT_TRUE(aboutSeen);
            EXPECT_TRUE(window.isVisible());  // back, unchanged
            EXPECT_TRUE(FocusReturnsTo(IDC_FIND_QSB));
            Press(Qt::Key_Escape);
        });
        EXPECT_TRUE(aboutSeen);
    }
}

TEST_F(MainDialog, MessageBoxIsOwnedUntitledByPathAndHasOnlyOk) {
    CMessageBoxCatcher boxes;
    RunModal(dialog, [&](QDialog& window) {
        FindTheQsb();
        ASSERT_TRUE(TabTo(IDC_START_POS));
        Type(QStringLiteral("-5"));
        ASSERT_TRUE(TabTo(IDC_CREATE));
        Press(Qt::Key_Return);
        ASSERT_EQ(boxes.Seen().size(), 1u);
        const SeenMessageBox& box = boxes.Seen()[0];
        EXPECT_EQ(box.text, QStringLiteral("Error - Invalid start position."));
        EXPECT_EQ(box.title, QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
        EXPECT_FALSE(box.title.contains(QLatin1Char('/')));
        EXPECT_TRUE(box.noIcon);
        EXPECT_TRUE(box.onlyOk);
        EXPECT_TRUE(box.modal);
        EXPECT_EQ(box.owner, &window);
        EXPECT_TRUE(FocusReturnsTo(IDC_CREATE));
        Press(Qt::Key_Escape);
    });
}

TEST_F(MainDialog, EntryFieldsStopTakingCharactersAtTheBoxWidth) {
    RunModal(dialog, [&](QDialog&) {
        FindTheQsb();
        for (int id : {IDC_START_POS, IDC_END_POS, IDC_MAP_INC}) {
            ASSERT_TRUE(TabTo(id));
            auto* edit = qobject_cast<QLineEdit*>(Control(id));
            Type(QStringLiteral("12"));  // replaces the selected default
            EXPECT_EQ(edit->text(), QStringLiteral("12"));
            Type(QString(40, QLatin1Char('8')));
            const int taken = edit->text().size();
            EXPECT_GT(taken, 4);
            EXPECT_LT(taken, 30);
            EXPECT_LE(edit->fontMetrics().horizontalAdvance(edit->text()),
                      edit->contentsRect().width());
            Type(QStringLiteral("9"));
            EXPECT_EQ(edit->text().size(), taken);
            Press(Qt::Key_Backspace);
            Type(QStringLiteral("."));
            EXPECT_TRUE(edit->text().endsWith(QLatin1Char('.')));
        }
        Press(Qt::Key_Escape);
    });
}

TEST_F(MainDialog, ControlsCarryTheirTextsAsAccessibleNames) {
    RunModal(dialog, [&](QDialog&) {
        EXPECT_EQ(Control(IDC_FIND_QSB)->accessibleName(), QStringLiteral("Find QSB"));
        EXPECT_EQ(Control(IDCANCEL)->accessibleName(), QStringLiteral("Done"));
        EXPECT_EQ(Control(IDC_DISABLE_MAPPING)->accessibleName(),
                  QStringLiteral("Disable Mapping"));
        // Fields without a text of their own are named by their label.
        EXPECT_EQ(Control(IDC_AXIS)->accessibleName(), QStringLiteral("Mapping Axis:"));
        EXPECT_EQ(Control(IDC_START_POS)->accessibleName(), QStringLiteral("Start Position:"));
        EXPECT_EQ(Control(IDC_END_POS)->accessibleName(), QStringLiteral("End Position:"));
        EXPECT_EQ(Control(IDC_MAP_INC)->accessibleName(), QStringLiteral("Map Increment:"));
        Press(Qt::Key_Escape);
    });
}

}  // namespace

}  // namespace pitchwise
