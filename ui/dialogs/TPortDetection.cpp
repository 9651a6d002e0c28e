#include "TPortDetection.h"

#include <QCoreApplication>

TPortDetection TPortDetection::fromPorts(const QStringList& found)
{
    TPortDetection outcome;
    if (found.size() == 1)
        outcome.port = found.first();
    else if (found.isEmpty())
        outcome.message = QCoreApplication::translate(
            "TPortDetection", "No device found.\nPlease make sure that the device is paired and turned on.");
    else
        outcome.message = QCoreApplication::translate("TPortDetection",
                                                      "There is more than one device in range.\nPlease make sure "
                                                      "that only one device is turned on and try again.");
    return outcome;
}
