// SPDX-License-Identifier: MIT
#include "app/dialogunits.h"

#include <QFontMetrics>

namespace {

// Rounds to nearest, halves away from zero, as template conversion does.
int scaled(int value, int base, int divisor) {
    const long long product = static_cast<long long>(value) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor : (product - half) / divisor);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseWidth = (alphabet / 26 + 1) / 2;
    baseHeight = metrics.height();
}

int DialogUnits::toPixelsX(int units) const {
    return scaled(units, baseWidth, 4);
}

int DialogUnits::toPixelsY(int units) const {
    return scaled(units, baseHeight, 8);
}

QRect DialogUnits::mirroredRect(int x, int y, int width, int height, int dialogWidth) const {
    // Edges are converted one by one, so neighbouring controls never overlap by rounding.
    const int left = toPixelsX(x);
    const int right = toPixelsX(x + width);
    const int top = toPixelsY(y);
    const int bottom = toPixelsY(y + height);
    const int full = toPixelsX(dialogWidth);
    return QRect(full - right, top, right - left, bottom - top);
}
