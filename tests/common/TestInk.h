#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <algorithm>
#include <cstdlib>

// Ink of one colour over a background, as text and antialiased lines leave it.
// Which pixels of a glyph come out in the pure colour depends on the installed
// fonts, their hinting and the antialiasing, so text is found by the blends of
// its colour with the background, never by exact colours.
namespace TestInk {

// Tolerances of a blend: rounding and gamma-corrected blending move a channel a
// little off the straight mix, and channels may take somewhat different shares
// (gamma, subpixel rendering).
constexpr int ChannelSlack = 24;
constexpr double ShareSpread = 0.35;

// How far a pixel lies from the background towards the ink, from 0 to 1; -1 when
// it is no blend of the two (another colour is drawn there, or the ink cannot be
// told from the background).
inline double coverage(QRgb pixel, const QColor& ink, const QColor& background)
{
    const int p[3] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
    const int i[3] = {ink.red(), ink.green(), ink.blue()};
    const int b[3] = {background.red(), background.green(), background.blue()};
    double lowest = 1.0;
    double highest = 0.0;
    double sum = 0.0;
    int shares = 0;
    for (int c = 0; c < 3; ++c) {
        const int delta = i[c] - b[c];
        if (std::abs(delta) <= ChannelSlack) {
            // A channel the ink barely changes stays between the two.
            if (p[c] < std::min(i[c], b[c]) - ChannelSlack || p[c] > std::max(i[c], b[c]) + ChannelSlack)
                return -1.0;
            continue;
        }
        const double share = double(p[c] - b[c]) / delta;
        const double tolerance = double(ChannelSlack) / std::abs(delta);
        if (share < -tolerance || share > 1.0 + tolerance)
            return -1.0;
        lowest = std::min(lowest, share);
        highest = std::max(highest, share);
        sum += share;
        ++shares;
    }
    if (shares == 0 || highest - lowest > ShareSpread)
        return -1.0;
    return std::clamp(sum / shares, 0.0, 1.0);
}

// Whether a pixel carries at least minCoverage of the ink: faint fringes of
// antialiasing aside, every drawn glyph has such pixels.
inline bool isInk(QRgb pixel, const QColor& ink, const QColor& background, double minCoverage = 0.25)
{
    return coverage(pixel, ink, background) >= minCoverage;
}

// The pixels of an area of the image that carry the ink.
inline int countInk(const QImage& image, const QRect& area, const QColor& ink, const QColor& background,
                    double minCoverage = 0.25)
{
    int n = 0;
    const QRect r = area & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += isInk(image.pixel(x, y), ink, background, minCoverage) ? 1 : 0;
    return n;
}

} // namespace TestInk
