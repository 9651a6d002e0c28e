#pragma once

#include <QtGlobal>

// One channel's view of one beat: its R position and the wave points the
// per-channel delineation found, as sample indices of the detector's source, and
// three per-channel flags. 64 bytes.
struct TBeatRecord
{
    static constexpr qint32 NotFound = -999999999;
    static constexpr int FieldCount = 14;

    // Field 0 is the R position; fields 1..13 are wave points (see TBeatPoint).
    qint32 fields[FieldCount] = {0, NotFound, NotFound, NotFound, NotFound, NotFound, NotFound,
                                 NotFound, NotFound, NotFound, NotFound, NotFound, NotFound, NotFound};
    // flags[1] is set when this channel detected the beat.
    qint16 flags[3] = {0, 0, 0};

    qint32 rPosition() const { return fields[0]; }
    bool hasField(int field) const { return field >= 0 && field < FieldCount && fields[field] != NotFound; }
    bool detected() const { return flags[1] != 0; }

    // Forgets every wave point and flag; the R position stays.
    void reset()
    {
        for (int i = 1; i < FieldCount; ++i)
            fields[i] = NotFound;
        flags[0] = flags[1] = flags[2] = 0;
    }
};

static_assert(sizeof(TBeatRecord) == 64, "a beat record is 64 bytes");
