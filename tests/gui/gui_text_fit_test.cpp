// Every text of both dialogs lies within its control, whatever the scale and
// the desktop's font: CTest runs this once per QT_SCALE_FACTOR (each scale
// needs a process of its own), and each run tries the application's font as
// it comes and enlarged by a quarter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <string>

#include "control_room.h"
#include "dialog_qt.h"
#include "modal_script.h"
#include "pitchwise_dlg.h"

namespace pitchwise {

namespace {

struct TextBox {
    QString text;
    QRect area;  // where the style lets the text go, in the control
};

// The static's, button's or check box's text and content area; an empty
// text for the other controls.
TextBox TextBoxOf(QWidget& w) {
    if (auto* label = qobject_cast<QLabel*>(&w)) {
        const int m = label->margin();
        return {label->text(), label->contentsRect().adjusted(m, m, -m, -m)};
    }
    if (auto* button = qobject_cast<QPushButton*>(&w)) {
        const QStyleOptionButton option = PaintOptionOf(*button);
        return {button->text(),
                w.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &w)};
    }
    if (auto* box = qobject_cast<QCheckBox*>(&w)) {
        const QStyleOptionButton option = PaintOptionOf(*box);
        return {box->text(), w.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &w)};
    }
    return {};
}

void ExpectTextsFit(CDialog& dialog, QDialog& window) {
    const QRect client(QPoint(0, 0), window.size());
    const auto& items = dialog.Impl()->items;
    for (std::size_t i = 0; i < items.size(); ++i) {
        QWidget& w = *items[i].widget;
        const TextBox box = TextBoxOf(w);
        SCOPED_TRACE("control " + std::to_string(i) + " \"" + box.text.toStdString() + "\"");
        EXPECT_TRUE(client.contains(w.geometry())) << "outside the window";
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_FALSE(w.geometry().intersects(items[j].widget->geometry()))
                << "overlaps control " << j;
        }
        const QFontMetricsF metrics(w.font(), &w);
        const qreal line = qMax(metrics.lineSpacing(), metrics.height());
        if (auto* edit = qobject_cast<QLineEdit*>(&w)) {
            QStyleOptionFrame option;
            option.initFrom(edit);
            option.rect = edit->rect();
            option.lineWidth = w.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &w);
            const QRect area = w.style()->subElementRect(QStyle::SE_LineEditContents, &option, &w);
            EXPECT_GE(area.height(), metrics.height()) << "an edit's line is cut";
            continue;
        }
        if (box.text.isEmpty()) continue;
        EXPECT_LE(metrics.horizontalAdvance(box.text), box.area.width())
            << "content area " << box.area.width() << " x " << box.area.height();
        EXPECT_LE(line, box.area.height())
            << "content area " << box.area.width() << " x " << box.area.height();
    }
}

// Runs the dialog and checks it, once the window is up at the scale asked.
void CheckDialog(CDialog& dialog) {
    const double scale = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
    RunModal(dialog, [&](QDialog& window) {
        // Else the scale was never applied and this run proves nothing.
        EXPECT_DOUBLE_EQ(window.devicePixelRatioF(), scale);
        EXPECT_EQ(window.font(), QApplication::font());
        ExpectTextsFit(dialog, window);
        Press(Qt::Key_Escape);
    });
}

TEST(DialogTexts, FitTheirControlsWithTheDesktopFontAndOneAQuarterLarger) {
    const QFont desktop = QApplication::font();
    for (double enlargement : {1.0, 1.25}) {
        SCOPED_TRACE("font enlarged by " + std::to_string(enlargement));
        QFont font = desktop;
        if (desktop.pointSizeF() > 0) {
            font.setPointSizeF(desktop.pointSizeF() * enlargement);
        } else {
            font.setPixelSize(qRound(desktop.pixelSize() * enlargement));
        }
        QApplication::setFont(font);
        CPitchwiseDlg main;
        CheckDialog(main);
        CAboutDlg about(nullptr);
        CheckDialog(about);
    }
    QApplication::setFont(desktop);
}

}  // namespace

}  // namespace pitchwise
