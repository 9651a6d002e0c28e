// wave-eval: runs annotated WFDB records through the live analysis path and
// the measurement of a resting ECG, and compares the intervals of the average
// beats with the cardiologists' delineation of the measurement lead.
//
//   wave-eval [--out DIR] [--lead NAME] [--annotations EXT] RECORD... | --all FOLDER
//
// A record of up to 12 s gives one measurement at its end; a longer one a
// measurement every 10 s, each over the 20 s before it. With --out,
// DIR/<record>.txt holds one line per measurement: "time_s lead PR P QRS QT
// QTc" in whole milliseconds, "-" where not measured. --lead picks the
// measurement lead (default II, else the first channel); the annotations are
// RECORD.<lead in lower case> (LUDB) unless --annotations names the extension.
//
// Printed: a line per record with the error of each interval (measured minus
// the mean of the annotated beats of the stretch), then per interval the mean
// and standard deviation of the error over all measurements, the share within
// tolerance, the measurements missing where the annotations have the interval
// and those given where they have not, the annotations' own standard deviation
// from beat to beat within a stretch (pooled over the stretches: how closely
// the annotators place the points on beats of one shape), the error of the
// other leads' annotations of the same beats taken as this lead's (mean and
// SD; where each lead has its annotation file: how closely the annotators
// agree with themselves from lead to lead), and the records without a QRS
// duration.
// --all exits 77 when the folder holds no record.

#include "TWaveEvaluation.h"
#include "TWavePicture.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QImage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <utility>

namespace {

// Tolerances of the intervals (ms): the root sum of squares of the
// tolerances of their two points (twice the spread among the CSE referees:
// P onset 10.2, P end 12.7, QRS onset 6.5, QRS end 11.6, T end 30.6 ms).
struct Interval
{
    const char* name;
    std::optional<int> TWaveEvaluation::Measured::*measured;
    std::optional<double> TWaveEvaluation::Reference::*reference;
    std::optional<double> TWaveEvaluation::Reference::*scatter; // none for QTc
    double tolerance;
};

const Interval intervals[] = {
    {"PR", &TWaveEvaluation::Measured::pr, &TWaveEvaluation::Reference::pr, &TWaveEvaluation::Reference::prScatter,
     12.1},
    {"P", &TWaveEvaluation::Measured::p, &TWaveEvaluation::Reference::p, &TWaveEvaluation::Reference::pScatter, 16.3},
    {"QRS", &TWaveEvaluation::Measured::qrs, &TWaveEvaluation::Reference::qrs, &TWaveEvaluation::Reference::qrsScatter,
     13.3},
    {"QT", &TWaveEvaluation::Measured::qt, &TWaveEvaluation::Reference::qt, &TWaveEvaluation::Reference::qtScatter,
     31.3},
    {"QTc", &TWaveEvaluation::Measured::qtc, &TWaveEvaluation::Reference::qtc, nullptr, 31.3},
};
constexpr int IntervalCount = int(sizeof(intervals) / sizeof(intervals[0]));

struct Tally
{
    std::vector<double> errors;
    int missing = 0; // annotated, not measured
    int extra = 0;   // measured, not annotated
    double scatterSquares = 0.0; // the annotations' beat-to-beat variances, summed over the stretches
    int scatterStretches = 0;
    std::vector<double> otherLeadErrors; // the other leads' annotations against the lead's own
    std::vector<double> recordErrors;    // per record, the median error of its measurements
    QStringList grossRecords;            // records whose median error exceeds the gross limit
    int withheld = 0;                    // annotated, the QRS measured, the interval withheld
    int annotated = 0;                   // stretches where the annotation has the interval
    QStringList extraRecords;            // records measured where their annotation has no such interval
};

// A record's error beyond these (ms) is gross: a number nobody should read as right.
double grossLimit(const Interval& in)
{
    return in.scatter == &TWaveEvaluation::Reference::qtScatter || in.scatter == nullptr ? 40.0 : 25.0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// Mean and sample standard deviation; zeros when empty.
std::pair<double, double> meanAndSd(const std::vector<double>& values)
{
    const int n = int(values.size());
    double mean = 0.0, sd = 0.0;
    for (double v : values)
        mean += v;
    mean = n > 0 ? mean / n : 0.0;
    for (double v : values)
        sd += (v - mean) * (v - mean);
    sd = n > 1 ? std::sqrt(sd / (n - 1)) : 0.0;
    return {mean, sd};
}

QStringList recordsIn(const QString& folder)
{
    QStringList records;
    const QDir dir(folder);
    QStringList headers = dir.entryList({QStringLiteral("*.hea")}, QDir::Files);
    std::sort(headers.begin(), headers.end(), [](const QString& a, const QString& b) {
        bool okA = false, okB = false;
        const int na = QFileInfo(a).completeBaseName().toInt(&okA);
        const int nb = QFileInfo(b).completeBaseName().toInt(&okB);
        return okA && okB ? na < nb : a < b;
    });
    for (const QString& h : headers)
        records.append(dir.filePath(QFileInfo(h).completeBaseName()));
    return records;
}

} // namespace

int main(int argc, char** argv)
{
    // Pictures are painted without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Measures annotated WFDB records as resting ECGs are measured and compares PR, P, QRS, QT and QTc with the "
        "annotations of the measurement lead.");
    parser.addHelpOption();
    parser.addOption({"out", "write DIR/<record>.txt: time_s lead PR P QRS QT QTc per measurement", "DIR"});
    parser.addOption({"lead", "measurement lead (default II, else the first channel)", "NAME"});
    parser.addOption({"annotations", "extension of the delineation annotation files (default: the lead's name in "
                                     "lower case)",
                      "EXT"});
    parser.addOption({"all", "every record of FOLDER", "FOLDER"});
    parser.addOption({"pictures", "write DIR/<record>.png: the average beats of the record's worst annotated "
                                  "stretch with the measured and the annotated points, and DIR/<record>.csv: the same as numbers",
                      "DIR"});
    parser.addOption({"require-qrs", "exit 1 when a record with annotated complexes gets no QRS duration"});
    parser.addPositionalArgument("RECORD", "record path without extension", "RECORD...");
    parser.process(app);

    QStringList records = parser.positionalArguments();
    if (parser.isSet("all")) {
        records += recordsIn(parser.value("all"));
        if (records.isEmpty()) {
            std::fprintf(stderr, "wave-eval: no record in %s\n", qPrintable(parser.value("all")));
            return 77;
        }
    }
    if (records.isEmpty()) {
        parser.showHelp(2);
    }
    const QString outDir = parser.value("out");
    const QString pictureDir = parser.value("pictures");
    for (const QString& dir : {outDir, pictureDir}) {
        if (!dir.isEmpty() && !QDir().mkpath(dir)) {
            std::fprintf(stderr, "wave-eval: cannot create %s\n", qPrintable(dir));
            return 1;
        }
    }

    QTextStream out(stdout);
    TWaveEvaluation evaluation;
    evaluation.setKeepAverages(!pictureDir.isEmpty());
    Tally tallies[IntervalCount];
    QStringList withoutQrs;
    int failures = 0;
    int measurements = 0;
    for (const QString& path : records) {
        TWaveEvaluation::Result result;
        QString error;
        if (!evaluation.evaluate(path, parser.value("lead"), parser.value("annotations"), &result, &error)) {
            std::fprintf(stderr, "wave-eval: %s\n", qPrintable(error));
            ++failures;
            continue;
        }
        if (!outDir.isEmpty()) {
            QFile file(QDir(outDir).filePath(result.name + QStringLiteral(".txt")));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
                std::fprintf(stderr, "wave-eval: cannot write %s\n", qPrintable(file.fileName()));
                return 1;
            }
            QTextStream lines(&file);
            for (const TWaveEvaluation::Stretch& s : result.stretches)
                lines << TWaveEvaluation::line(result.lead, s) << '\n';
        }
        if (!pictureDir.isEmpty()) {
            const int worst = TWavePicture::worstStretch(result);
            if (worst >= 0 && !TWavePicture::draw(result, result.stretches[worst])
                                    .save(QDir(pictureDir).filePath(result.name + QStringLiteral(".png")))) {
                std::fprintf(stderr, "wave-eval: cannot write a picture of %s\n", qPrintable(result.name));
                return 1;
            }
            QFile table(QDir(pictureDir).filePath(result.name + QStringLiteral(".csv")));
            if (worst >= 0 && (!table.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text) ||
                               table.write(TWavePicture::table(result, result.stretches[worst]).toUtf8()) < 0)) {
                std::fprintf(stderr, "wave-eval: cannot write %s\n", qPrintable(table.fileName()));
                return 1;
            }
        }
        // Per record, the median error of each interval over its measurements:
        // the figure the record is judged by.
        QString text = result.name + QLatin1Char(' ') + TWaveEvaluation::leadField(result.lead);
        bool anyQrs = false;
        bool annotatedQrs = false;
        for (int k = 0; k < IntervalCount; ++k) {
            const Interval& in = intervals[k];
            std::vector<double> recordErrors;
            for (const TWaveEvaluation::Stretch& s : result.stretches) {
                if (s.reference.*(in.reference)) {
                    ++tallies[k].annotated;
                    if (!(s.measured.*(in.measured)) && s.measured.qrs)
                        ++tallies[k].withheld;
                }
                const auto& m = s.measured.*(in.measured);
                const auto& r = s.reference.*(in.reference);
                if (const auto sd = in.scatter ? s.reference.*(in.scatter) : std::nullopt) {
                    tallies[k].scatterSquares += *sd * *sd;
                    ++tallies[k].scatterStretches;
                }
                if (const auto& o = s.otherLeads.*(in.reference); o && r)
                    tallies[k].otherLeadErrors.push_back(*o - *r);
                if (m && r) {
                    tallies[k].errors.push_back(*m - *r);
                    recordErrors.push_back(*m - *r);
                } else if (r) {
                    ++tallies[k].missing;
                } else if (m && result.annotated && s.reference.beats > 0) {
                    ++tallies[k].extra;
                    if (tallies[k].extraRecords.isEmpty() || tallies[k].extraRecords.last() != result.name)
                        tallies[k].extraRecords.append(result.name);
                }
            }
            QString shown = QStringLiteral(".");
            if (!recordErrors.empty()) {
                const double e = median(recordErrors);
                tallies[k].recordErrors.push_back(e);
                if (std::fabs(e) > grossLimit(in))
                    tallies[k].grossRecords.append(result.name);
                shown = QString::asprintf("%+.0f", e);
            }
            text += QStringLiteral(" %1 %2").arg(QLatin1String(in.name), shown);
        }
        for (const TWaveEvaluation::Stretch& s : result.stretches) {
            anyQrs = anyQrs || s.measured.qrs.has_value();
            annotatedQrs = annotatedQrs || s.reference.qrs.has_value();
        }
        measurements += result.stretches.size();
        if (!anyQrs && (annotatedQrs || !result.annotated))
            withoutQrs.append(result.name);
        out << text << Qt::endl;
    }

    out << QStringLiteral("TOTAL %1 records, %2 measurements; error = measured - annotated (ms)")
               .arg(records.size() - failures)
               .arg(measurements)
        << Qt::endl;
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9")
               .arg(QStringLiteral("interval"), -8)
               .arg(QStringLiteral("n"), 5)
               .arg(QStringLiteral("mean"), 7)
               .arg(QStringLiteral("SD"), 6)
               .arg(QStringLiteral("within tolerance"), 22)
               .arg(QStringLiteral("missing"), 8)
               .arg(QStringLiteral("extra"), 6)
               .arg(QStringLiteral("annotations' beat SD"), 21)
               .arg(QStringLiteral("other leads' annotations"), 25)
        << Qt::endl;
    for (int k = 0; k < IntervalCount; ++k) {
        const Tally& t = tallies[k];
        const int n = int(t.errors.size());
        const auto [mean, sd] = meanAndSd(t.errors);
        int within = 0;
        for (double e : t.errors)
            within += std::fabs(e) <= intervals[k].tolerance;
        // The annotations' own scatter from beat to beat, pooled over the stretches.
        const QString scatter = t.scatterStretches > 0
                                    ? QString::number(std::sqrt(t.scatterSquares / t.scatterStretches), 'f', 1)
                                    : QStringLiteral("-");
        // The same annotators' points in the other leads, read as this lead's.
        const auto [otherMean, otherSd] = meanAndSd(t.otherLeadErrors);
        const QString otherLeads = t.otherLeadErrors.size() > 1
                                       ? QString::asprintf("%+.1f +- %.1f", otherMean, otherSd)
                                       : QStringLiteral("-");
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9")
                   .arg(QLatin1String(intervals[k].name), -8)
                   .arg(n, 5)
                   .arg(QString::asprintf("%+.1f", mean), 7)
                   .arg(sd, 6, 'f', 1)
                   .arg(QString::asprintf("%5.1f %% (+-%.1f ms)", n > 0 ? 100.0 * within / n : 0.0,
                                          intervals[k].tolerance),
                        22)
                   .arg(t.missing, 8)
                   .arg(t.extra, 6)
                   .arg(scatter, 21)
                   .arg(otherLeads, 25)
            << Qt::endl;
    }
    // Per record: the median error of its measurements, as a clinician reads a
    // record's figures; a gross error is one nobody should read as right.
    out << QStringLiteral("per record (median error of its measurements): records, mean, SD, gross errors, "
                          "withheld of annotated")
        << Qt::endl;
    for (int k = 0; k < IntervalCount; ++k) {
        const Tally& t = tallies[k];
        const auto [mean, sd] = meanAndSd(t.recordErrors);
        out << QStringLiteral("%1 %2 %3 %4  gross (over %5 ms) %6 = %7 %%8  withheld %9 of %10 = %11 %")
                   .arg(QLatin1String(intervals[k].name), -8)
                   .arg(t.recordErrors.size(), 5)
                   .arg(QString::asprintf("%+.1f", mean), 7)
                   .arg(sd, 6, 'f', 1)
                   .arg(grossLimit(intervals[k]), 0, 'f', 0)
                   .arg(t.grossRecords.size())
                   .arg(t.recordErrors.empty() ? 0.0 : 100.0 * t.grossRecords.size() / t.recordErrors.size(), 0,
                        'f', 1)
                   .arg(t.grossRecords.isEmpty() ? QString()
                                                 : QStringLiteral(" (") + t.grossRecords.join(' ') + ')')
                   .arg(t.withheld)
                   .arg(t.annotated)
                   .arg(t.annotated > 0 ? 100.0 * t.withheld / t.annotated : 0.0, 0, 'f', 1)
            << Qt::endl;
    }
    // A value given where the annotators saw no such wave (a P wave in atrial
    // fibrillation) is a number that should not be shown. QTc has none of its
    // own: its reference needs neighbouring annotated beats.
    for (int k = 0; k < IntervalCount; ++k) {
        if (!intervals[k].scatter)
            continue;
        const QStringList& extra = tallies[k].extraRecords;
        out << QStringLiteral("%1 measured where the annotation has none, records: %2%3")
                   .arg(QLatin1String(intervals[k].name), -8)
                   .arg(extra.size())
                   .arg(extra.isEmpty() ? QString() : QStringLiteral(" (") + extra.join(' ') + ')')
            << Qt::endl;
    }
    out << QStringLiteral("records without a QRS duration: %1%2")
               .arg(withoutQrs.size())
               .arg(withoutQrs.isEmpty() ? QString() : QStringLiteral(" (") + withoutQrs.join(' ') + ')')
        << Qt::endl;
    return failures > 0 || (parser.isSet("require-qrs") && !withoutQrs.isEmpty()) ? 1 : 0;
}
