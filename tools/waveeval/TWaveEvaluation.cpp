#include "TWaveEvaluation.h"

#include "TAnalysisPath.h"
#include "TBeatAverager.h"
#include "TBeatStore.h"
#include "TLeadTable.h"
#include "TMeasurementRecord.h"
#include "TRecordPlayback.h"
#include "TRecordingBeatFinder.h"
#include "TRingSignalBuffer.h"
#include "TSignalChannel.h"
#include "TWaveAnnotations.h"
#include "TWfdbAnnotations.h"
#include "TWfdbRecord.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {

std::optional<double> mean(const std::vector<double>& values)
{
    if (values.empty())
        return std::nullopt;
    double sum = 0.0;
    for (double v : values)
        sum += v;
    return sum / double(values.size());
}

// Sample standard deviation; empty below 3 values, where it says little.
std::optional<double> scatter(const std::vector<double>& values)
{
    if (values.size() < 3)
        return std::nullopt;
    const double m = *mean(values);
    double sum = 0.0;
    for (double v : values)
        sum += (v - m) * (v - m);
    return std::sqrt(sum / double(values.size() - 1));
}

} // namespace

TWaveEvaluation::Reference TWaveEvaluation::reference(const QVector<TAnnotatedBeat>& beats, double rate, double from,
                                                      double to, const std::vector<double>* averagedTimes,
                                                      const std::vector<double>* detectedTimes)
{
    // Whether a detected beat lies between two annotated complexes, away from both.
    auto beatBetween = [&](double a, double b) {
        if (!detectedTimes)
            return false;
        const auto first = std::upper_bound(detectedTimes->begin(), detectedTimes->end(), a + MatchSeconds);
        return first != detectedTimes->end() && *first < b - MatchSeconds;
    };
    auto averaged = [&](double t) {
        if (!averagedTimes)
            return true;
        const auto after = std::lower_bound(averagedTimes->begin(), averagedTimes->end(), t);
        return (after != averagedTimes->end() && *after - t <= MatchSeconds) ||
               (after != averagedTimes->begin() && t - *(after - 1) <= MatchSeconds);
    };
    std::vector<double> pr, p, qrs, qt, rr;
    TWaveEvaluation::Reference r;
    qint64 previousPeak = -1;
    const double ms = 1000.0 / rate;
    for (const TAnnotatedBeat& b : beats) {
        const double t = b.qrs.peak / rate;
        if (t < from || t >= to)
            continue;
        ++r.beats;
        if (previousPeak >= 0 && !beatBetween(previousPeak / rate, t))
            rr.push_back((b.qrs.peak - previousPeak) / rate);
        previousPeak = b.qrs.peak;
        if (!averaged(t))
            continue;
        if (b.p.onset >= 0 && b.qrs.onset >= 0)
            pr.push_back((b.qrs.onset - b.p.onset) * ms);
        if (b.p.onset >= 0 && b.p.end >= 0)
            p.push_back((b.p.end - b.p.onset) * ms);
        if (b.qrs.onset >= 0 && b.qrs.end >= 0)
            qrs.push_back((b.qrs.end - b.qrs.onset) * ms);
        if (b.qrs.onset >= 0 && b.t.end >= 0)
            qt.push_back((b.t.end - b.qrs.onset) * ms);
    }
    r.pr = mean(pr);
    r.p = mean(p);
    r.qrs = mean(qrs);
    r.qt = mean(qt);
    r.prScatter = scatter(pr);
    r.pScatter = scatter(p);
    r.qrsScatter = scatter(qrs);
    r.qtScatter = scatter(qt);
    // Bazett, over the median interval between the annotated complexes.
    if (r.qt && !rr.empty()) {
        std::nth_element(rr.begin(), rr.begin() + long(rr.size() / 2), rr.end());
        const double median = rr[rr.size() / 2];
        if (median > 0.0)
            r.qtc = *r.qt / std::sqrt(median);
    }
    return r;
}

namespace {

// The lower median of the points that are marked; -1 with fewer than minimum.
qint64 medianMark(std::vector<qint64> marks, int minimum)
{
    marks.erase(std::remove(marks.begin(), marks.end(), qint64(-1)), marks.end());
    if (int(marks.size()) < minimum)
        return -1;
    const auto middle = marks.begin() + long((marks.size() - 1) / 2);
    std::nth_element(marks.begin(), middle, marks.end());
    return *middle;
}

// The beat of beats whose QRS peak lies nearest peak, within matchSamples; null when none.
const TAnnotatedBeat* nearestBeat(const QVector<TAnnotatedBeat>& beats, qint64 peak, qint64 matchSamples)
{
    const auto after = std::lower_bound(beats.begin(), beats.end(), peak,
                                        [](const TAnnotatedBeat& b, qint64 p) { return b.qrs.peak < p; });
    const TAnnotatedBeat* best = nullptr;
    for (auto it : {after - (after != beats.begin() ? 1 : 0), after}) {
        if (it == beats.end() || std::llabs(it->qrs.peak - peak) > matchSamples)
            continue;
        if (!best || std::llabs(it->qrs.peak - peak) < std::llabs(best->qrs.peak - peak))
            best = &*it;
    }
    return best;
}

} // namespace

QVector<TAnnotatedBeat> TWaveEvaluation::otherLeadsBeats(const QVector<TAnnotatedBeat>& own,
                                                         const QVector<QVector<TAnnotatedBeat>>& others,
                                                         qint64 matchSamples)
{
    QVector<TAnnotatedBeat> out;
    out.reserve(own.size());
    for (const TAnnotatedBeat& b : own) {
        std::vector<const TAnnotatedBeat*> matched;
        for (const QVector<TAnnotatedBeat>& lead : others)
            if (const TAnnotatedBeat* m = nearestBeat(lead, b.qrs.peak, matchSamples))
                matched.push_back(m);
        auto median = [&](qint64 TAnnotatedWave::*point, TAnnotatedWave TAnnotatedBeat::*wave) {
            std::vector<qint64> marks;
            for (const TAnnotatedBeat* m : matched)
                marks.push_back((m->*wave).*point);
            return medianMark(marks, MinimumOtherLeads);
        };
        TAnnotatedBeat beat = b;
        for (TAnnotatedWave TAnnotatedBeat::*wave : {&TAnnotatedBeat::p, &TAnnotatedBeat::qrs, &TAnnotatedBeat::t}) {
            (beat.*wave).onset = median(&TAnnotatedWave::onset, wave);
            (beat.*wave).end = median(&TAnnotatedWave::end, wave);
        }
        out.append(beat);
    }
    return out;
}

namespace {

TWaveEvaluation::Measured measuredOf(const TMeasurementRecord& m)
{
    TWaveEvaluation::Measured out;
    out.pr = m.prMs();
    out.p = m.pMs();
    out.qrs = m.qrsMs();
    out.qt = m.qtMs();
    out.qtc = m.qtcMs();
    return out;
}

// The mean offset of one annotated point from the detected beat nearest its
// QRS peak (within 150 ms), in seconds; empty where no beat carries it.
std::optional<double> annotatedOffset(const QVector<TAnnotatedBeat>& annotated, const TMemoryBeatStore& beats,
                                      double rate, const TWaveEvaluation::Stretch& s, qint64 TAnnotatedWave::*point,
                                      TAnnotatedWave TAnnotatedBeat::*wave)
{
    std::vector<double> offsets;
    for (const TAnnotatedBeat& b : annotated) {
        const double peak = b.qrs.peak / rate;
        const qint64 mark = (b.*wave).*point;
        if (peak < s.from || peak >= s.to || mark < 0)
            continue;
        double nearest = -1.0;
        for (int i = 0; i < beats.count(); ++i) {
            const double t = beats.beat(i).time();
            if (std::fabs(t - peak) <= 0.15 && (nearest < 0.0 || std::fabs(t - peak) < std::fabs(nearest - peak)))
                nearest = t;
        }
        if (nearest >= 0.0)
            offsets.push_back(mark / rate - nearest);
    }
    return mean(offsets);
}

TWaveEvaluation::Averages averagesOf(TBeatAverager& averager, const TMeasurementRecord& measurement,
                                     const QVector<TAnnotatedBeat>& annotated, const TMemoryBeatStore& beats,
                                     double rate, const TWaveEvaluation::Stretch& s)
{
    TWaveEvaluation::Averages a;
    const TSignalBuffer* signal = averager.source();
    for (int c = 0; c < signal->channelCount(); ++c) {
        a.leads.push_back(averager.average(c));
        a.names.append(QString::fromLatin1(signal->channel(c)->name()));
    }
    a.channel = int(measurement.value(QStringLiteral("measurementChannel")));
    a.rIndex = averager.rIndex();
    a.rate = signal->samplingRate();
    a.mvPerCode = signal->valueStep();
    a.measured = measurement;
    a.pOnset = annotatedOffset(annotated, beats, rate, s, &TAnnotatedWave::onset, &TAnnotatedBeat::p);
    a.pEnd = annotatedOffset(annotated, beats, rate, s, &TAnnotatedWave::end, &TAnnotatedBeat::p);
    a.qrsOnset = annotatedOffset(annotated, beats, rate, s, &TAnnotatedWave::onset, &TAnnotatedBeat::qrs);
    a.qrsEnd = annotatedOffset(annotated, beats, rate, s, &TAnnotatedWave::end, &TAnnotatedBeat::qrs);
    a.tEnd = annotatedOffset(annotated, beats, rate, s, &TAnnotatedWave::end, &TAnnotatedBeat::t);
    return a;
}

} // namespace

QVector<TWaveEvaluation::Stretch> TWaveEvaluation::stretches(double seconds)
{
    QVector<Stretch> out;
    if (!(seconds > 0.0))
        return out;
    if (seconds <= SingleSeconds) {
        Stretch s;
        s.to = seconds;
        out.append(s);
        return out;
    }
    for (double to = LineSeconds; to <= seconds + 1e-9; to += LineSeconds) {
        Stretch s;
        s.from = std::max(0.0, to - StretchSeconds);
        s.to = to;
        out.append(s);
    }
    return out;
}

QByteArray TWaveEvaluation::leadName(const QString& description)
{
    for (int i = 0; i < TLeadTable::LeadCount; ++i) {
        const QByteArray name = TLeadTable::leadName(i);
        if (description.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return name;
    }
    return description.toLatin1();
}

int TWaveEvaluation::leadChannel(const TWfdbRecord& record, const QString& lead)
{
    QStringList descriptions;
    for (int c = 0; c < record.signalCount(); ++c)
        descriptions.append(record.signal(c).description);
    return leadChannel(descriptions, lead);
}

int TWaveEvaluation::leadChannel(const QStringList& descriptions, const QString& lead)
{
    // Any case, spaces left out; a modified limb lead of a Holter or monitor
    // recording ("MLII") stands for its lead. The lead itself comes first.
    QString wanted = lead.isEmpty() ? QStringLiteral("II") : lead;
    wanted = wanted.remove(QLatin1Char(' ')).toUpper();
    for (const QString& form : {wanted, QStringLiteral("ML") + wanted})
        for (int c = 0; c < descriptions.size(); ++c)
            if (QString(descriptions[c]).remove(QLatin1Char(' ')).toUpper() == form)
                return c;
    return lead.isEmpty() && !descriptions.isEmpty() ? 0 : -1;
}

QString TWaveEvaluation::line(const QString& lead, const Stretch& stretch)
{
    auto field = [](const std::optional<int>& v) { return v ? QString::number(*v) : QStringLiteral("-"); };
    const Measured& m = stretch.measured;
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(stretch.to, 0, 'f', 3)
        .arg(leadField(lead), field(m.pr), field(m.p), field(m.qrs), field(m.qt), field(m.qtc));
}

QString TWaveEvaluation::leadField(const QString& lead)
{
    QString field = lead.trimmed();
    field.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral("_"));
    return field.isEmpty() ? QStringLiteral("-") : field;
}

bool TWaveEvaluation::evaluate(const QString& recordPath, const QString& lead, const QString& annotationSuffix,
                               Result* result, QString* error) const
{
    TWfdbRecord record;
    if (!record.read(recordPath, error))
        return false;
    if (record.signalCount() < 1 || record.samplingRate() <= 0.0 || record.sampleCount() < 1) {
        *error = QStringLiteral("%1: no signal").arg(recordPath);
        return false;
    }
    const int channels = std::min(record.signalCount(), int(TSignalBuffer::MaxChannels));
    const int channel = leadChannel(record, lead);
    if (channel < 0 || channel >= channels) {
        *error = QStringLiteral("%1: no lead %2").arg(recordPath, lead);
        return false;
    }

    Result r;
    r.name = QFileInfo(recordPath).fileName();
    r.lead = QString::fromLatin1(leadName(record.signal(channel).description));
    QVector<TAnnotatedBeat> annotated;
    const QString suffix =
        annotationSuffix.isEmpty() ? record.signal(channel).description.toLower() : annotationSuffix;
    if (QFileInfo::exists(recordPath + QLatin1Char('.') + suffix)) {
        TWfdbAnnotations annotations;
        if (!annotations.read(recordPath + QLatin1Char('.') + suffix, error))
            return false;
        annotated = TWaveAnnotations::beats(annotations);
        r.annotated = true;
    }
    // The other leads' annotations, where each lead has its own file.
    QVector<TAnnotatedBeat> otherLeads;
    if (r.annotated && annotationSuffix.isEmpty()) {
        QVector<QVector<TAnnotatedBeat>> others;
        for (int c = 0; c < record.signalCount(); ++c) {
            const QString other = record.signal(c).description.toLower();
            if (c == channel || other == suffix || !QFileInfo::exists(recordPath + QLatin1Char('.') + other))
                continue;
            TWfdbAnnotations annotations;
            QString ignored;
            if (annotations.read(recordPath + QLatin1Char('.') + other, &ignored))
                others.append(TWaveAnnotations::beats(annotations));
        }
        r.otherLeads = others.size();
        if (others.size() >= MinimumOtherLeads)
            otherLeads = otherLeadsBeats(annotated, others, std::llround(0.1 * record.samplingRate()));
    }

    // The whole record stays in the raw buffer, as a study's recording: its
    // beats are found after it, from its first second to its last, as a
    // resting ECG's are when it ends.
    const qint64 frames = TRecordPlayback::frameCount(record);
    TIntSignalBuffer raw(4096, int(std::min<qint64>(frames + 1, 1 << 30)), channels, TRecordPlayback::DeviceRate);
    raw.setGain(-TRecordPlayback::DeviceRangeMv / 2.0, TRecordPlayback::DeviceRangeMv / 2.0);
    for (int c = 0; c < channels; ++c)
        raw.channel(c)->setName(leadName(record.signal(c).description));
    TRecordPlayback::play(record, raw, nullptr, {});
    // Every stretch is averaged after the run: the analysis signal keeps the whole record.
    const int step = std::max(1, TRecordPlayback::DeviceRate / TAnalysisPath::AnalysisRate);
    TRecordingBeatFinder finder(raw, int(std::min<qint64>(frames / step + 1, 1 << 30)));
    TMemoryBeatStore beats;
    finder.find([&beats](const TBeat& beat) { beats.append(beat); });

    const TSignalBuffer* signal = finder.analysisSignal();
    std::vector<double> detected;
    for (int i = 0; i < beats.count(); ++i)
        detected.push_back(beats.beat(i).time());
    r.stretches = stretches(raw.durationSeconds());
    for (Stretch& s : r.stretches) {
        TBeatAverager averager(signal, StretchSeconds);
        for (int i = 0; i < beats.count(); ++i) {
            const TBeat beat = beats.beat(i);
            if (beat.time() > s.from && beat.time() <= s.to)
                averager.addBeat(beat);
        }
        const TMeasurementRecord measurement = TMeasurementRecord::measure(averager, channel);
        s.measured = measuredOf(measurement);
        s.reference = reference(annotated, record.samplingRate(), s.from, s.to, &averager.averagedBeatTimes(), &detected);
        if (m_keepAverages && s.reference.beats > 0 && averager.beatCount() > 0)
            s.averages = averagesOf(averager, measurement, annotated, beats, record.samplingRate(), s);
        s.otherLeads =
            reference(otherLeads, record.samplingRate(), s.from, s.to, &averager.averagedBeatTimes(), &detected);
    }
    *result = r;
    return true;
}

