#pragma once

#include <QColor>
#include <QString>

// One wave-boundary cursor of the beat display.
struct BeatCursor
{
    bool enabled = false;
    double position = 0.0; // seconds from the start of the beat
    QColor color = Qt::blue;
    QString name;        // "P on"
    QString shortLabel;  // "(P", shown beside the cursor under the mouse
};
