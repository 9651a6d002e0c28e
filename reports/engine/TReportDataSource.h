#pragma once

#include <QImage>
#include <QString>

class QPainter;
class QRectF;

// What a report template asks of the code that fills it: the value, image or
// drawing behind each field name a template carries in square brackets, and how
// many records each data set of the template has. Record numbers count from 0
// within a data set; pages count from 1.
class TReportDataSource
{
public:
    virtual ~TReportDataSource() = default;

    // Records of a named data set; a data set the source does not know has none.
    virtual int recordCount(const QString& dataset) = 0;
    // The text of a field; empty for a value that is not known.
    virtual QString value(const QString& field, int record, int page) = 0;
    // The image of an image field; null when there is none.
    virtual QImage image(const QString& field, int record) = 0;
    // Draws a drawing field into rect (painter coordinates, unitsPerMillimetre of
    // them to a millimetre of paper); false when the field is no drawing.
    virtual bool draw(const QString& field, int record, QPainter& painter, const QRectF& rect,
                      double unitsPerMillimetre) = 0;
};
