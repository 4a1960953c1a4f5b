#include "dialog_units.h"

#include <QFontMetrics>
#include <QString>

int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(alphabet / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnitsToPixels(const QRect& units, DialogBaseUnits base) {
    const int left = MulDiv(units.x(), base.x, 4);
    const int top = MulDiv(units.y(), base.y, 8);
    const int right = MulDiv(units.x() + units.width(), base.x, 4);
    const int bottom = MulDiv(units.y() + units.height(), base.y, 8);
    return QRect(left, top, right - left, bottom - top);
}

QFont DialogFont(int points, int dotsPerInch) {
    // The Windows shell dialog font is not on Linux; Liberation Sans has the
    // metrics of the sans-serif faces it maps to.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(MulDiv(points, dotsPerInch, 72));
    return font;
}
