#pragma once

#include <QVector>
#include <QtGlobal>

class TWfdbAnnotations;

// One wave as a cardiologist marked it in one lead: "(" onset, its peak, ")"
// end; sample indices of the record, -1 where a mark is missing.
struct TAnnotatedWave
{
    qint64 onset = -1;
    qint64 peak = -1;
    qint64 end = -1;

    bool present() const { return peak >= 0; }
};

// A QRS complex with the P wave before it and the T wave after it, where they
// were marked.
struct TAnnotatedBeat
{
    TAnnotatedWave p;
    TAnnotatedWave qrs;
    TAnnotatedWave t;
};

// The waves of a delineation annotation file (one lead, as in LUDB or the QT
// database): P peaks "p", QRS peaks (any beat code), T peaks "t", each with the
// onset "(" before it and the end ")" after it.
namespace TWaveAnnotations {

// The beats in time order: each QRS with the last P wave between it and the
// QRS before it, and the first T wave between it and the next QRS.
QVector<TAnnotatedBeat> beats(const TWfdbAnnotations& annotations);

} // namespace TWaveAnnotations
