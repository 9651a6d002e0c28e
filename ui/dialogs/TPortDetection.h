#pragma once

#include <QString>
#include <QStringList>

// What the search for a paired recorder found, as the user is told: the one
// port found, or the reason there is none to take.
struct TPortDetection
{
    QString port;    // set when exactly one recorder answered
    QString message; // set otherwise

    static TPortDetection fromPorts(const QStringList& found);
};
