// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Converts dialog-template units into pixels for a given dialog font: a unit is a
// quarter of the font's average character width across and an eighth of its height
// down, averaged over the Latin alphabet the way dialog templates have always done.
// Rectangles are mirrored so that template x positions count from the right edge.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseWidth, int baseHeight) : baseWidth(baseWidth), baseHeight(baseHeight) {}

    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    QSize toPixels(int width, int height) const { return {toPixelsX(width), toPixelsY(height)}; }

    // The rectangle (x, y, width, height in units) of a control inside a dialog that is
    // `dialogWidth` units wide, with x counted from the right edge.
    QRect mirroredRect(int x, int y, int width, int height, int dialogWidth) const;

    int getBaseWidth() const { return baseWidth; }
    int getBaseHeight() const { return baseHeight; }

private:
    int baseWidth;
    int baseHeight;
};
