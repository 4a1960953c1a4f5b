#include "control_room.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <cmath>

namespace pitchwise {

namespace {

// Any size larger than every control will do for reading off what the
// style takes from the edges.
const QRect PROBE_RECT(0, 0, 1000, 1000);

// initStyleOption is protected; naming it through a derived class is the
// language's way to reach it without a cast.
template <typename Button>
QStyleOptionButton OptionAsPainted(const Button& button) {
    struct Access : Button {
        using Button::initStyleOption;
    };
    QStyleOptionButton option;
    (button.*(&Access::initStyleOption))(&option);
    return option;
}

QSize TextSize(const QWidget& control, const QString& text) {
    // The metrics of the font as drawn on this control's screen.
    const QFontMetricsF metrics(control.font(), &control);
    const qreal line = qMax(metrics.lineSpacing(), metrics.height());
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(text))),
                 static_cast<int>(std::ceil(line)));
}

// The text's size plus what the style keeps between the control's edges and
// the content rectangle `element`.
QSize WithChrome(const QWidget& control, QStyleOptionButton option, QStyle::SubElement element,
                 QSize text) {
    option.rect = PROBE_RECT;
    const QRect content = control.style()->subElementRect(element, &option, &control);
    return text + (PROBE_RECT.size() - content.size());
}

}  // namespace

QStyleOptionButton PaintOptionOf(const QPushButton& button) {
    return OptionAsPainted(button);
}

QStyleOptionButton PaintOptionOf(const QCheckBox& box) {
    return OptionAsPainted(box);
}

QSize RoomForText(const QWidget& control) {
    if (auto* label = qobject_cast<const QLabel*>(&control)) {
        if (label->text().isEmpty()) return QSize(0, 0);
        const QMargins margins = label->contentsMargins();
        const int margin = 2 * label->margin();
        return TextSize(control, label->text()) + QSize(margins.left() + margins.right() + margin,
                                                        margins.top() + margins.bottom() + margin);
    }
    if (auto* button = qobject_cast<const QPushButton*>(&control)) {
        // The button's margin keeps the text off the bevel, as the style
        // itself asks for when it sizes a button.
        const int margin = control.style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &control);
        const QSize text = TextSize(control, button->text()) + QSize(margin, 0);
        return WithChrome(control, PaintOptionOf(*button), QStyle::SE_PushButtonContents, text);
    }
    if (auto* box = qobject_cast<const QCheckBox*>(&control)) {
        const QStyleOptionButton option = PaintOptionOf(*box);
        QSize room = WithChrome(control, option, QStyle::SE_CheckBoxContents,
                                TextSize(control, box->text()));
        QStyleOptionButton probe = option;
        probe.rect = PROBE_RECT;
        const int indicator = control.style()
                                  ->subElementRect(QStyle::SE_CheckBoxIndicator, &probe, &control)
                                  .height();
        return room.expandedTo(QSize(0, indicator));
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(&control)) {
        return QSize(0, edit->sizeHint().height());
    }
    return QSize(0, 0);
}

}  // namespace pitchwise
