#include "dialog_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QString>

#include "control_room.h"
#include "dialog_styles.h"
#include "edit_control.h"
#include "resource.h"
#include "user_interface.h"

namespace pitchwise {

namespace {

// The low four style bits select the kind of button and of static control.
constexpr unsigned long KIND_BITS = 0xF;
// An icon static sizes itself to the icon, as SM_CXICON by SM_CYICON.
constexpr int ICON_PIXELS = 32;

bool Has(unsigned long style, unsigned long bit) {
    return (style & bit) == bit;
}

QWidget* MakeButton(const DialogControl& c, QWidget& window, CDialogImpl& impl,
                    const std::function<void(int)>& onCommand) {
    const unsigned long kind = c.style & KIND_BITS;
    if (kind == PW_BS_AUTOCHECKBOX) return new QCheckBox(QString::fromLatin1(c.text), &window);
    auto* button = new QPushButton(QString::fromLatin1(c.text), &window);
    // The dialog decides what Enter does; a push button never takes it itself.
    button->setAutoDefault(false);
    if (kind == PW_BS_DEFPUSHBUTTON) {
        button->setDefault(true);
        impl.defaultCommand = c.id;
    }
    const int id = c.id;
    QObject::connect(button, &QPushButton::clicked, [onCommand, id] { onCommand(id); });
    return button;
}

QWidget* MakeStatic(const DialogControl& c, QWidget& window) {
    auto* label = new QLabel(&window);
    if ((c.style & KIND_BITS) == PW_SS_ICON) {
        // The text names the icon resource, as "#128".
        const int iconId = QString::fromLatin1(c.text).mid(1).toInt();
        label->setPixmap(ResourceIcon(iconId).pixmap(ICON_PIXELS, ICON_PIXELS));
        label->setAccessibleName(ApplicationName());
    } else {
        label->setTextFormat(Qt::PlainText);
        label->setText(QString::fromLatin1(c.text));
    }
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* MakeControl(const DialogControl& c, QWidget& window, CDialogImpl& impl,
                     const std::function<void(int)>& onCommand) {
    const QString kind = QString::fromLatin1(c.windowClass);
    if (kind == QLatin1String("Button")) return MakeButton(c, window, impl, onCommand);
    if (kind == QLatin1String("Edit")) {
        auto* edit = new CEditControl(Has(c.style, PW_ES_AUTOHSCROLL), &window);
        edit->setReadOnly(Has(c.style, PW_ES_READONLY));
        edit->setFrame(Has(c.style, PW_WS_BORDER));
        edit->setText(QString::fromLatin1(c.text));
        return edit;
    }
    if (kind == QLatin1String("ComboBox")) return new QComboBox(&window);
    return MakeStatic(c, window);
}

QRect PlacementOf(const DialogControl& c, const QWidget& widget, DialogBaseUnits base) {
    QRect pixels = DialogUnitsToPixels(QRect(c.x, c.y, c.width, c.height), base);
    const QString kind = QString::fromLatin1(c.windowClass);
    if (kind == QLatin1String("ComboBox")) {
        // A drop-down list's template height is that of the opened list; the
        // closed box is as high as its font makes it.
        pixels.setHeight(qMin(pixels.height(), widget.sizeHint().height()));
    } else if (kind == QLatin1String("Static") && (c.style & KIND_BITS) == PW_SS_ICON) {
        pixels.setSize(QSize(ICON_PIXELS, ICON_PIXELS));
    }
    return pixels;
}

// A control without a text of its own is named by the label on its line, so
// screen readers and desktop automation can find the entry fields.
QString AccessibleNameOf(const DialogControl& c, const DialogTemplate& t) {
    if (*c.text && c.text[0] != '#') return QString::fromLatin1(c.text);
    for (std::size_t i = 0; i < t.controlCount; ++i) {
        const DialogControl& label = t.controls[i];
        const bool sameLine = label.y < c.y + c.height && c.y < label.y + label.height;
        if (QString::fromLatin1(label.windowClass) == QLatin1String("Static") && *label.text &&
            label.text[0] != '#' && sameLine && label.x + label.width <= c.x) {
            return QString::fromLatin1(label.text);
        }
    }
    return QString();
}

}  // namespace

void BuildDialogControls(const DialogTemplate& t, QWidget& window, CDialogImpl& impl,
                         const std::function<void(int)>& onCommand) {
    QWidget* previousTabStop = nullptr;
    for (std::size_t i = 0; i < t.controlCount; ++i) {
        const DialogControl& c = t.controls[i];
        QWidget* widget = MakeControl(c, window, impl, onCommand);
        widget->setObjectName(QString::number(c.id));
        widget->setProperty("controlId", c.id);
        widget->setEnabled(!Has(c.style, PW_WS_DISABLED));
        const QString name = AccessibleNameOf(c, t);
        if (!name.isEmpty()) widget->setAccessibleName(name);
        if (Has(c.style, PW_WS_TABSTOP)) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop) QWidget::setTabOrder(previousTabStop, widget);
            previousTabStop = widget;
        } else {
            widget->setFocusPolicy(Qt::NoFocus);
        }
        impl.items.push_back({c.id, widget});
    }
}

void PlaceDialogControls(const DialogTemplate& t, DialogBaseUnits fontBase, CDialogImpl& impl) {
    std::vector<QSize> rooms;
    for (const DialogItem& item : impl.items) rooms.push_back(RoomForText(*item.widget));
    impl.baseUnits = FitBaseUnits(t, fontBase, rooms);
    for (std::size_t i = 0; i < t.controlCount && i < impl.items.size(); ++i) {
        QWidget& widget = *impl.items[i].widget;
        widget.setGeometry(PlacementOf(t.controls[i], widget, impl.baseUnits));
    }
}

}  // namespace pitchwise
