#pragma once

// The colour roles of the signal displays: keys of their colour maps, which the
// colour schemes fill.
namespace DisplayColorRole {

enum Role
{
    Trace = 0,          // trace, inset separator line
    Background = 1,     // paper
    Grid = 2,           // millimetre grid
    LeadLabel = 3,      // lead labels, time ruler
    AverageBeat = 4,    // current average beat
    ReferenceBeat = 5,  // reference average beat
    Highlight = 6,      // highlighted (out-of-range) trace columns, always half transparent
    BeatTick = 7,       // beat ticks and RR labels of the browse display
    SweepCursor = 8,    // sweep cursor of the live display
    MeasurementMark = 9, // ST marks and values
    SelectedBeat = 10   // selected-beat band of the browse display
};

// The roles the colour schemes fill.
constexpr int SchemeRoleCount = 10;

} // namespace DisplayColorRole
