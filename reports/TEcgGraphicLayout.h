#pragma once

#include <QString>

#include <optional>

// What an ECG graphic field asks for, read from its name: "ecgGraphic/", an
// optional "event/" and a layout: "12by1", "7by1", "3by1" (rows by one column),
// "6by2/n", "3by4/n" (column n of a layout of several columns) or "rhythm" (the
// rhythm lead over the whole width).
struct TEcgGraphicLayout
{
    bool event = false;  // starts at the time of the band's event
    bool rhythm = false; // one row: the rhythm lead
    int rows = 1;        // lead rows the field draws
    int columns = 1;     // columns of the whole layout
    int column = 1;      // which of them this field is (1-based)

    // The first lead row of this column, in the report's row order.
    int firstRow() const { return (column - 1) * rows; }

    // None for a name that is not an ECG graphic field.
    static std::optional<TEcgGraphicLayout> parse(const QString& field);
    static bool isGraphicField(const QString& field) { return field.startsWith(QLatin1String("ecgGraphic/")); }
};
