// qrs-eval: runs annotated WFDB records through the live beat detection and
// scores it beat by beat against the reference annotations.
//
//   qrs-eval [--out DIR] [--min PERCENT] RECORD...   (RECORD: path without extension)
//   qrs-eval [--out DIR] [--min PERCENT] --all FOLDER
//   qrs-eval --artifacts [--seed N] [--min PERCENT] RECORD... | --all FOLDER
//   qrs-eval --noise-stress [--noise em|ma|bw|mix] [--snr LIST] [--seed N] [--out DIR] RECORD... | --all FOLDER
//
// One line per record, then "TOTAL tp=.. fn=.. fp=.. se=.. ppv=..". With --out,
// DIR/<record>.txt lists the detected beats as sample indices of the record.
// With --min, exits 1 when the total sensitivity or positive predictivity is
// below PERCENT. --all exits 77 when the folder holds no annotated record.
//
// --artifacts injects disturbances at seeded times into each record (bursts of
// saturated and large random values, electrode pops, flat lines, baseline
// jumps, strong muscle noise; 0.2 s to 30 s; on one lead or all) and scores the
// beats outside the disturbed stretches (each widened by 0.5 s), the time from
// the end of each disturbance to the first correct beat after it, by kind and
// by leads disturbed (median and worst), and the beats invented while every
// lead was disturbed.
//
// --noise-stress: the noise stress test. Each record runs once per signal-to-noise ratio (dB;
// LIST comma separated, default 24,18,12,6,0,-6) with its first five minutes
// clean and then noise on for two minutes and off for two, alternately to the
// end. The noise (default em, electrode motion; ma muscle, bw baseline wander,
// mix the three) is synthesized from the seed (default 1), independently per
// channel, and scaled per record and channel so that SNR = 10 log10(S / N): S
// the mean squared peak-to-peak QRS amplitude of the record's normal beats over
// 8, the largest and smallest 5 % of the amplitudes left out (all beats of a
// record with fewer than 10 normal ones); N the mean power of the noise, mean
// removed, over the stretches where it is added. Beats are scored from the
// fifth minute on. One line per record and SNR, "NAME snr=DB tp=.. fn=.. fp=..
// se=.. ppv=..", then one "TOTAL snr=DB ..." line per SNR. With --out,
// DIR/<record>.<noise>.<DB>dB.txt lists the detected beats.

#include "TArtifactInjection.h"
#include "TArtifactScore.h"
#include "TNoiseStress.h"
#include "TQrsEvaluation.h"
#include "TWfdbAnnotations.h"
#include "TWfdbRecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

void usage()
{
    std::fprintf(stderr, "usage: qrs-eval [--out DIR] [--min PERCENT] RECORD... | --all FOLDER\n"
                         "       qrs-eval --artifacts [--seed N] [--min PERCENT] RECORD... | --all FOLDER\n"
                         "       qrs-eval --noise-stress [--noise em|ma|bw|mix] [--snr LIST] [--seed N] [--out DIR]"
                         " RECORD... | --all FOLDER\n");
}

QString matchText(const TBeatMatch& m)
{
    return QString("tp=%1 fn=%2 fp=%3 se=%4 ppv=%5")
        .arg(m.truePositives)
        .arg(m.falseNegatives)
        .arg(m.falsePositives)
        .arg(m.sensitivity(), 0, 'f', 2)
        .arg(m.positivePredictivity(), 0, 'f', 2);
}

QString matchLine(const QString& name, const TBeatMatch& m)
{
    return name + QLatin1Char(' ') + matchText(m);
}

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t k = std::min(values.size() - 1, size_t(share * double(values.size() - 1) + 0.5));
    return values[k];
}

// Runs the records with disturbances injected and prints their scores.
int evaluateArtifacts(const QStringList& records, quint64 seed, double minimum)
{
    QTextStream out(stdout);
    TQrsEvaluation evaluation;
    TBeatMatch total;
    int invented = 0;
    int failures = 0;
    // Recovery seconds by kind and by whether every lead was disturbed; missed:
    // no correct beat before the next disturbance.
    std::map<std::pair<int, bool>, std::vector<double>> recoveries;
    std::map<std::pair<int, bool>, int> missed;
    std::map<int, int> inventedByKind;
    int noBeat = 0; // events after which the record has no scored beat for a while
    for (const QString& path : records) {
        TWfdbRecord header;
        QString error;
        if (!header.readHeaderOnly(path, &error)) {
            std::fprintf(stderr, "qrs-eval: %s\n", qPrintable(error));
            ++failures;
            continue;
        }
        double rail = 1e9;
        for (int c = 0; c < header.signalCount(); ++c)
            rail = std::min(rail, header.railMillivolts(c));
        const TArtifactInjection injection(seed ^ qHash(QFileInfo(path).fileName()), header.samplingRate(),
                                           header.sampleCount() / header.samplingRate(), header.signalCount(), rail);
        TQrsEvaluation::Result result;
        if (!evaluation.evaluate(path, &result, &error, &injection)) {
            std::fprintf(stderr, "qrs-eval: %s\n", qPrintable(error));
            ++failures;
            continue;
        }
        const auto window = qint64(std::llround(TQrsEvaluation::MatchWindowSeconds * header.samplingRate()));
        const TArtifactScore::Result score =
            TArtifactScore::score(result.reference, result.detected, header.samplingRate(), injection, window);
        total += score.outside;
        invented += score.invented;
        std::vector<double> own;
        for (const auto& r : score.recoveries) {
            const auto key = std::make_pair(int(r.kind), r.allChannels);
            inventedByKind[int(r.kind)] += r.invented;
            if (r.noBeat) {
                ++noBeat;
                continue;
            }
            if (r.seconds < 0.0) {
                ++missed[key];
                continue;
            }
            recoveries[key].push_back(r.seconds);
            own.push_back(r.seconds);
        }
        out << matchLine(result.name, score.outside)
            << QString(" events=%1 recovery median=%2 worst=%3 invented=%4")
                   .arg(score.recoveries.size())
                   .arg(percentile(own, 0.5), 0, 'f', 2)
                   .arg(own.empty() ? 0.0 : *std::max_element(own.begin(), own.end()), 0, 'f', 2)
                   .arg(score.invented)
            << Qt::endl;
    }
    out << matchLine(QStringLiteral("TOTAL outside disturbances"), total) << Qt::endl;
    out << "recovery, seconds from the end of a disturbance to the first correct beat:" << Qt::endl;
    std::vector<double> every;
    for (int kind = 0; kind < TArtifactInjection::KindCount; ++kind) {
        for (bool all : {false, true}) {
            const auto key = std::make_pair(kind, all);
            const std::vector<double>& values = recoveries[key];
            every.insert(every.end(), values.begin(), values.end());
            out << QString("  %1 %2 n=%3 median=%4 p90=%5 worst=%6 none=%7%8")
                       .arg(TArtifactInjection::kindName(TArtifactInjection::Kind(kind)), -6)
                       .arg(all ? "all leads" : "some leads")
                       .arg(values.size())
                       .arg(percentile(values, 0.5), 0, 'f', 2)
                       .arg(percentile(values, 0.9), 0, 'f', 2)
                       .arg(values.empty() ? 0.0 : *std::max_element(values.begin(), values.end()), 0, 'f', 2)
                       .arg(missed[key])
                       .arg(all ? QString(" invented=%1").arg(inventedByKind[kind]) : QString())
                << Qt::endl;
        }
    }
    int none = 0;
    for (const auto& m : missed)
        none += m.second;
    out << QString("  all    n=%1 median=%2 p90=%3 worst=%4 none=%5")
               .arg(every.size())
               .arg(percentile(every, 0.5), 0, 'f', 2)
               .arg(percentile(every, 0.9), 0, 'f', 2)
               .arg(every.empty() ? 0.0 : *std::max_element(every.begin(), every.end()), 0, 'f', 2)
               .arg(none)
        << Qt::endl;
    out << "disturbances followed by no annotated beat within " << TArtifactScore::NoBeatSeconds
        << " s (not measured): " << noBeat << Qt::endl;
    out << "beats invented while every lead was disturbed: " << invented << Qt::endl;
    if (failures > 0)
        return 1;
    if (minimum >= 0.0 && (total.sensitivity() < minimum || total.positivePredictivity() < minimum))
        return 1;
    return 0;
}

bool writeBeats(const QString& path, const QVector<qint64>& beats)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "qrs-eval: cannot write %s\n", qPrintable(path));
        return false;
    }
    QTextStream out(&file);
    for (qint64 b : beats)
        out << b << '\n';
    return true;
}

// The noise stress test of the records at each SNR; returns the exit status.
int noiseStress(const QStringList& records, TNoiseSynthesizer::Kind kind, const QVector<double>& snrs, quint64 seed,
                const QString& outDir)
{
    QTextStream out(stdout);
    out << QString("# noise stress: %1 noise, seed %2, scored from %3 s")
               .arg(TNoiseSynthesizer::name(kind))
               .arg(seed)
               .arg(TNoiseStress::CleanSeconds)
        << Qt::endl;
    TQrsEvaluation evaluation;
    QVector<TBeatMatch> totals(snrs.size());
    int failures = 0;
    for (const QString& path : records) {
        TWfdbRecord record;
        TWfdbAnnotations annotations;
        QString error;
        if (!record.read(path, &error) || !annotations.read(path + ".atr", &error)) {
            std::fprintf(stderr, "qrs-eval: %s\n", qPrintable(error));
            ++failures;
            continue;
        }
        TNoiseStress stress(kind, record.samplingRate(), record.sampleCount(), seed);
        if (!stress.calibrate(record, annotations, &error)) {
            std::fprintf(stderr, "qrs-eval: %s\n", qPrintable(error));
            ++failures;
            continue;
        }
        const qint64 from = qint64(std::llround(TNoiseStress::CleanSeconds * record.samplingRate()));
        const qint64 window = qint64(std::llround(TQrsEvaluation::MatchWindowSeconds * record.samplingRate()));
        for (int k = 0; k < snrs.size(); ++k) {
            stress.setSnr(snrs[k]);
            TQrsEvaluation::Result result;
            if (!evaluation.evaluate(path, &result, &error, &stress)) {
                std::fprintf(stderr, "qrs-eval: %s\n", qPrintable(error));
                ++failures;
                continue;
            }
            const TBeatMatch m = TNoiseStress::scoreFrom(result.reference, result.detected, window, from);
            totals[k] += m;
            out << QString("%1 snr=%2 %3").arg(result.name).arg(snrs[k]).arg(matchText(m)) << Qt::endl;
            if (!outDir.isEmpty() &&
                !writeBeats(QDir(outDir).filePath(
                                QString("%1.%2.%3dB.txt").arg(result.name, TNoiseSynthesizer::name(kind)).arg(snrs[k])),
                            result.detected))
                ++failures;
        }
    }
    for (int k = 0; k < snrs.size(); ++k)
        out << QString("TOTAL snr=%1 %2").arg(snrs[k]).arg(matchText(totals[k])) << Qt::endl;
    return failures > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString outDir;
    double minimum = -1.0;
    QStringList records;
    bool all = false;
    bool artifacts = false;
    bool stress = false;
    TNoiseSynthesizer::Kind noise = TNoiseSynthesizer::Kind::ElectrodeMotion;
    QVector<double> snrs = {24, 18, 12, 6, 0, -6};
    quint64 seed = 1;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == "--out" || a == "--min" || a == "--all" || a == "--noise" || a == "--snr" || a == "--seed") &&
            i + 1 >= args.size()) {
            usage();
            return 2;
        }
        if (a == "--artifacts") {
            artifacts = true;
        } else if (a == "--noise-stress") {
            stress = true;
        } else if (a == "--noise") {
            if (!TNoiseSynthesizer::kindFromName(args[++i], &noise)) {
                usage();
                return 2;
            }
        } else if (a == "--snr") {
            snrs.clear();
            for (const QString& item : args[++i].split(',')) {
                bool ok = false;
                snrs.append(item.toDouble(&ok));
                if (!ok) {
                    usage();
                    return 2;
                }
            }
        } else if (a == "--seed") {
            bool ok = false;
            seed = args[++i].toULongLong(&ok);
            if (!ok) {
                usage();
                return 2;
            }
        } else if (a == "--out") {
            outDir = args[++i];
        } else if (a == "--min") {
            bool ok = false;
            minimum = args[++i].toDouble(&ok);
            if (!ok) {
                usage();
                return 2;
            }
        } else if (a == "--all") {
            all = true;
            QDir folder(args[++i]);
            for (const QString& header : folder.entryList({"*.hea"}, QDir::Files, QDir::Name)) {
                const QString base = folder.filePath(header.left(header.size() - 4));
                if (QFile::exists(base + ".atr"))
                    records.append(base);
            }
        } else if (a.startsWith("--")) {
            usage();
            return 2;
        } else {
            records.append(a);
        }
    }
    if (records.isEmpty()) {
        if (all) {
            std::fprintf(stderr, "qrs-eval: no annotated records found\n");
            return 77;
        }
        usage();
        return 2;
    }
    if (artifacts)
        return evaluateArtifacts(records, seed, minimum);
    if (!outDir.isEmpty() && !QDir().mkpath(outDir)) {
        std::fprintf(stderr, "qrs-eval: cannot create %s\n", qPrintable(outDir));
        return 2;
    }
    if (stress)
        return noiseStress(records, noise, snrs, seed, outDir);

    QTextStream out(stdout);
    TBeatMatch total;
    TQrsEvaluation evaluation;
    int failures = 0;
    for (const QString& path : records) {
        TQrsEvaluation::Result result;
        QString error;
        if (!evaluation.evaluate(path, &result, &error)) {
            std::fprintf(stderr, "qrs-eval: %s\n", qPrintable(error));
            ++failures;
            continue;
        }
        total += result.match;
        out << matchLine(result.name, result.match) << Qt::endl;
        if (!outDir.isEmpty()) {
            QFile file(QDir(outDir).filePath(result.name + ".txt"));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
                std::fprintf(stderr, "qrs-eval: cannot write %s\n", qPrintable(file.fileName()));
                ++failures;
                continue;
            }
            QTextStream beats(&file);
            for (qint64 b : result.detected)
                beats << b << '\n';
        }
    }
    out << matchLine(QStringLiteral("TOTAL"), total) << Qt::endl;
    if (failures > 0)
        return 1;
    if (minimum >= 0.0 && (total.sensitivity() < minimum || total.positivePredictivity() < minimum))
        return 1;
    return 0;
}
