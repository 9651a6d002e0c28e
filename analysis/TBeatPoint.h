#pragma once

// Which wave point a beat record field holds (fields 1..13 of TBeatRecord; field
// 0 is the R position). Points are sample indices of the detector's source.
enum TBeatPoint
{
    BeatPointR = 0,
    BeatPointPOnset = 1,
    BeatPointPPeak = 2,
    BeatPointPEnd = 3,
    BeatPointQrsOnset = 4,
    BeatPointQrsEnd = 5,
    BeatPointTOnset = 6,
    BeatPointTPeak = 7,
    BeatPointTEnd = 8,
    BeatPointFirstMark = 9,  // the modulus maxima pair the R lies between
    BeatPointSecondMark = 10,
    BeatPointOwnR = 11,      // the channel's own R before fusion moved field 0
    BeatPointFiducial = 12   // the centre of the complex's slope energy, where beats are aligned
};
