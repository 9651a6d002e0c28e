#pragma once

#include <QVector>

class DisplaySettings;
class QPainter;
class TSignalBuffer;
struct SignalGeometry;

// The lead name at the top left of every row.
namespace LeadLabels {

void paint(QPainter& painter, const SignalGeometry& geometry, const QVector<int>& leads,
           const DisplaySettings& settings, const TSignalBuffer& store);

} // namespace LeadLabels
