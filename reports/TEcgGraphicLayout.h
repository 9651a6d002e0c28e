#pragma once

#include <QString>

#include <optional>

// What an ECG graphic field asks for, read from its name: "ecgGraphic/", an
// optional "event/" and a layout: "12by1", "7by1", "3by1" (rows by one column),
// "6by2/n", "3by4/n" (column n of a layout of several columns) or "rhythm" (the
// rhythm lead over the whole width).
//
// Three of them are the layouts the report dialog offers: "12by1" ("1 col / 12
// leads"), "6by2" ("2 cols / 6 leads") and "3by4" ("4 cols / 3 leads", stored as
// "4by3"). A template lays their fields over each other and the report draws
// those of the layout chosen; a recording of fewer leads than the layout holds
// spreads the leads it has over the same columns.
struct TEcgGraphicLayout
{
    bool event = false;  // starts at the time of the band's event
    bool rhythm = false; // one row: the rhythm lead
    int rows = 1;        // lead rows the field draws
    int columns = 1;     // columns of the whole layout
    int column = 1;      // which of them this field is (1-based)

    // The first lead row of this column, in the report's row order.
    int firstRow() const { return (column - 1) * rows; }

    // Whether this is one of the dialog's layouts, and its setting's name
    // ("12by1", "6by2", "4by3"; empty for any other layout).
    bool isChoice() const { return !choiceName().isEmpty(); }
    QString choiceName() const;
    // A dialog's layout for a recording of leadCount leads: as many rows per
    // column as the leads fill (never more than the layout's own).
    TEcgGraphicLayout forLeads(int leadCount) const;

    // None for a name that is not an ECG graphic field.
    static std::optional<TEcgGraphicLayout> parse(const QString& field);
    static bool isGraphicField(const QString& field) { return field.startsWith(QLatin1String("ecgGraphic/")); }
};
