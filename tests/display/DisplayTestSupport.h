#pragma once

#include "DisplayColorRole.h"
#include "TRingSignalBuffer.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <functional>
#include <memory>
#include <vector>

// Images of exact physical size and signals of exact scale for the display tests.
namespace DisplayTest {

// An image pixelsPerMm pixels to the millimetre, so that millimetre geometry is exact.
inline QImage paper(int width, int height, int pixelsPerMm = 10)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(pixelsPerMm * 1000);
    image.setDotsPerMeterY(pixelsPerMm * 1000);
    return image;
}

// A 16-bit signal whose code step is exactly 1 microvolt: 1 mV is 1000 codes.
inline std::unique_ptr<TIntSignalBuffer> signal(int leads, int rate = 500, int capacity = 200000)
{
    auto buffer = std::make_unique<TIntSignalBuffer>(4096, capacity, leads, rate);
    buffer->setResolution(16);
    buffer->setGain(-32.768, 32.768);
    static const char* names[] = {"I", "II", "III", "aVR", "aVL", "aVF", "V1", "V2",
                                  "V3", "V4", "V5", "V6", "CM5", "CR5", "XX1", "XX2"};
    for (int i = 0; i < leads && i < 16; ++i)
        buffer->channel(i)->setName(names[i]);
    return buffer;
}

// Appends samples frames with the code value(lead, index) of every lead; index
// counts from the buffer's current length.
inline void append(TSignalBuffer& buffer, int samples, const std::function<int(int, int)>& value)
{
    const int leads = buffer.channelCount();
    std::vector<qint16> frames(size_t(samples) * size_t(leads));
    const int first = buffer.length();
    for (int i = 0; i < samples; ++i)
        for (int c = 0; c < leads; ++c)
            frames[size_t(i) * size_t(leads) + size_t(c)] = qint16(value(c, first + i));
    buffer.append(frames.data(), int(frames.size() * 2));
}

// Exact colours, for lines and fills that cover whole pixels; text comes out
// differently with every font, so it is found by its ink (TestInk.h).
inline bool isColor(const QImage& image, int x, int y, const QColor& color)
{
    return image.rect().contains(x, y) && (image.pixel(x, y) & 0xffffff) == (color.rgb() & 0xffffff);
}

inline int countColor(const QImage& image, const QRect& area, const QColor& color)
{
    int n = 0;
    const QRect r = area & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += isColor(image, x, y, color) ? 1 : 0;
    return n;
}

// First and last row of a colour in a column, or -1.
inline int topmost(const QImage& image, int x, const QColor& color, int from = 0, int to = -1)
{
    const int last = to < 0 ? image.height() - 1 : to;
    for (int y = from; y <= last; ++y)
        if (isColor(image, x, y, color))
            return y;
    return -1;
}

inline int bottommost(const QImage& image, int x, const QColor& color, int from = 0, int to = -1)
{
    const int last = to < 0 ? image.height() - 1 : to;
    for (int y = last; y >= from; --y)
        if (isColor(image, x, y, color))
            return y;
    return -1;
}

// Colours that tell the display's parts apart: everything but the role under test
// is white or distinct.
template <typename Display>
void plainColors(Display& display)
{
    using namespace DisplayColorRole;
    display.setColor(Trace, Qt::black);
    display.setColor(Background, Qt::white);
    display.setColor(Grid, Qt::white);
    display.setColor(LeadLabel, Qt::white);
    display.setColor(AverageBeat, QColor(0, 0, 255));
    display.setColor(ReferenceBeat, QColor(0, 255, 0));
    display.setColor(BeatTick, QColor(0, 255, 255));
    display.setColor(SweepCursor, QColor(255, 0, 255));
    display.setColor(MeasurementMark, QColor(255, 0, 0));
}

} // namespace DisplayTest

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace DisplayTest {

// A mouse event as the window system delivers it: with the buttons held during a
// move, which QTest's own moves do not carry.
inline void mouse(QWidget& widget, QEvent::Type type, const QPoint& at, Qt::MouseButton button = Qt::NoButton,
                  Qt::MouseButtons held = Qt::NoButton, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, modifiers);
    QApplication::sendEvent(&widget, &event);
}

inline void press(QWidget& widget, const QPoint& at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    mouse(widget, QEvent::MouseButtonPress, at, button, button, modifiers);
}

inline void dragTo(QWidget& widget, const QPoint& at, Qt::MouseButtons held = Qt::LeftButton,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    mouse(widget, QEvent::MouseMove, at, Qt::NoButton, held, modifiers);
}

inline void release(QWidget& widget, const QPoint& at, Qt::MouseButton button = Qt::LeftButton)
{
    mouse(widget, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

inline void hover(QWidget& widget, const QPoint& at)
{
    mouse(widget, QEvent::MouseMove, at);
}

} // namespace DisplayTest
