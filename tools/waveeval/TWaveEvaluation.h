#pragma once

#include "TMeasurementRecord.h"
#include "TWaveAnnotations.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

class TWfdbRecord;

// Takes an annotated WFDB record as a recording from the demo device, finds its
// beats and measures its average beats as a resting ECG's are when it ends
// (first second to last, through the live analysis path), and compares the intervals with those that the
// record's delineation annotations of the measurement lead give.
class TWaveEvaluation
{
public:
    // The intervals of one measurement, whole milliseconds, as the program
    // shows them; empty where not measured.
    struct Measured
    {
        std::optional<int> pr, p, qrs, qt, qtc;
    };
    // The same from the annotations: the mean over the annotated beats of the
    // stretch (milliseconds); empty where no beat carries both points.
    struct Reference
    {
        std::optional<double> pr, p, qrs, qt, qtc;
        int beats = 0; // annotated QRS complexes in the stretch
        // The annotations' own beat-to-beat standard deviation of each interval
        // over the stretch (at least 3 beats): how far the reference itself
        // scatters, against which a measurement's error is read.
        std::optional<double> prScatter, pScatter, qrsScatter, qtScatter;
    };
    // What a picture of a stretch shows (kept with setKeepAverages): the average
    // beat of each lead, the measurement's points and the annotation's, both in
    // seconds from the averages' fiducial point.
    struct Averages
    {
        std::vector<std::vector<double>> leads; // codes
        QStringList names;
        int channel = -1; // the measurement lead
        int rIndex = 0;
        int rate = 0;
        double mvPerCode = 0.0;
        TMeasurementRecord measured;
        // The annotated points of the stretch's beats, each the mean of the
        // point's offset from the detected beat matched to the annotated one;
        // empty where no beat carries it.
        std::optional<double> pOnset, pEnd, qrsOnset, qrsEnd, tEnd;
    };
    struct Stretch
    {
        double from = 0.0; // seconds of the record
        double to = 0.0;   // the time of the measurement
        Measured measured;
        Reference reference;
        // The same from the other leads' annotations of the beats (otherLeadsBeats):
        // no beats where the record has too few annotated leads.
        Reference otherLeads;
        Averages averages; // leads empty unless kept
    };
    struct Result
    {
        QString name;
        QString lead;      // the measurement lead's name as the program calls it
        bool annotated = false; // an annotation file of the lead was read
        int otherLeads = 0;     // other leads whose annotation files were read
        QVector<Stretch> stretches;
    };

    // A record of up to this length gives one measurement at its end; a longer
    // one a measurement every LineSeconds, each over the StretchSeconds before it.
    static constexpr double SingleSeconds = 12.0;
    static constexpr double LineSeconds = 10.0;
    static constexpr double StretchSeconds = 20.0;

    // recordPath without extension. lead: the measurement lead's name (any
    // case; empty: II, else the first channel). annotationSuffix: the extension
    // of the annotation file (empty: the lead's name in lower case, as LUDB
    // names them; the other leads' files, named alike, then give each stretch's
    // otherLeads reference, and one that cannot be read is left out of it). A
    // missing annotation file is no failure: the record is measured but not
    // scored. False with a message on failure.
    // Keep the average beats of the annotated stretches for pictures.
    void setKeepAverages(bool keep) { m_keepAverages = keep; }

    bool evaluate(const QString& recordPath, const QString& lead, const QString& annotationSuffix, Result* result,
                  QString* error) const;

    // The reference of the annotated beats whose QRS peak lies in [from, to)
    // seconds of a record sampled at rate; with averagedTimes, only of those
    // within MatchSeconds of a beat that went into the measured average (the
    // annotated premature beats and those of another shape are no part of it).
    // The QTc's RR is the median interval between annotated complexes that
    // follow each other; with detectedTimes (every beat found, in order), two
    // annotated complexes with a detected beat between them do not, as where
    // an annotator marked selected beats only.
    static constexpr double MatchSeconds = 0.15;
    static Reference reference(const QVector<TAnnotatedBeat>& beats, double rate, double from, double to,
                               const std::vector<double>* averagedTimes = nullptr,
                               const std::vector<double>* detectedTimes = nullptr);
    // The beats as the annotations of the other leads place them: for each of
    // the measurement lead's beats, the median (the lower one of an even count)
    // of each onset and end over the other leads' beats whose QRS peak lies
    // within matchSamples of its own; -1 where fewer than MinimumOtherLeads
    // leads mark the point. The peaks stay the lead's own. Read against the
    // lead's own annotations, it shows how closely the annotators agree with
    // themselves from lead to lead on the same beats.
    static constexpr int MinimumOtherLeads = 3;
    static QVector<TAnnotatedBeat> otherLeadsBeats(const QVector<TAnnotatedBeat>& own,
                                                   const QVector<QVector<TAnnotatedBeat>>& others,
                                                   qint64 matchSamples);
    // The stretches a record of this length is measured over.
    static QVector<Stretch> stretches(double seconds);
    // The channel of the record whose name matches lead (any case and spacing;
    // a modified lead, "MLII", stands for its lead where the lead itself is not
    // recorded; empty: II, else channel 0); -1 when lead names none of them.
    static int leadChannel(const TWfdbRecord& record, const QString& lead);
    static int leadChannel(const QStringList& descriptions, const QString& lead);
    // The name of the lead table a record's signal description stands for
    // ("ii" is "II", "avr" "aVR"); the description itself when none.
    static QByteArray leadName(const QString& description);

    // "time_s lead PR P QRS QT QTc", whole milliseconds, "-" where not measured.
    static QString line(const QString& lead, const Stretch& stretch);
    // The lead as one field of such a line: white space within the name
    // ("record 33, signal 0") becomes "_", an empty name "-".
    static QString leadField(const QString& lead);

private:
    bool m_keepAverages = false;
};
