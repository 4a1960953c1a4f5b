#include "dialog_units.h"

#include <QFontMetrics>
#include <QString>

#include "dialog_template.h"

namespace pitchwise {

namespace {

// How far the units may grow for the texts' sake.
constexpr int FIT_LIMIT_FACTOR = 4;

QRect UnitsOf(const DialogControl& c) {
    return QRect(c.x, c.y, c.width, c.height);
}

bool WidthsFit(const DialogTemplate& t, int baseX, const std::vector<QSize>& needs) {
    for (std::size_t i = 0; i < t.controlCount && i < needs.size(); ++i) {
        if (DialogUnitsToPixels(UnitsOf(t.controls[i]), {baseX, 1}).width() < needs[i].width()) {
            return false;
        }
    }
    return true;
}

bool HeightsFit(const DialogTemplate& t, int baseY, const std::vector<QSize>& needs) {
    for (std::size_t i = 0; i < t.controlCount && i < needs.size(); ++i) {
        if (DialogUnitsToPixels(UnitsOf(t.controls[i]), {1, baseY}).height() < needs[i].height()) {
            return false;
        }
    }
    return true;
}

}  // namespace

int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Some fonts declare a negative leading; a line is never lower than the
    // font's own height.
    return {(alphabet / 26 + 1) / 2, qMax(metrics.lineSpacing(), metrics.height())};
}

QRect DialogUnitsToPixels(const QRect& units, DialogBaseUnits base) {
    const int left = MulDiv(units.x(), base.x, 4);
    const int top = MulDiv(units.y(), base.y, 8);
    const int right = MulDiv(units.x() + units.width(), base.x, 4);
    const int bottom = MulDiv(units.y() + units.height(), base.y, 8);
    return QRect(left, top, right - left, bottom - top);
}

DialogBaseUnits FitBaseUnits(const DialogTemplate& t, DialogBaseUnits fontBase,
                             const std::vector<QSize>& needs) {
    DialogBaseUnits base = fontBase;
    // Each corner is rounded on its own, so a wider unit is tried step by
    // step against the real conversion rather than worked out in one go.
    while (base.x < FIT_LIMIT_FACTOR * fontBase.x && !WidthsFit(t, base.x, needs)) ++base.x;
    while (base.y < FIT_LIMIT_FACTOR * fontBase.y && !HeightsFit(t, base.y, needs)) ++base.y;
    return base;
}

int MessageBoxMinimumWidth(int titleAdvance, int lineHeight) {
    return titleAdvance + 6 * lineHeight;
}

}  // namespace pitchwise
