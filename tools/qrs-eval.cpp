// qrs-eval: runs annotated WFDB records through the live beat detection and
// scores it beat by beat against the reference annotations.
//
//   qrs-eval [--out DIR] [--min PERCENT] RECORD...   (RECORD: path without extension)
//   qrs-eval [--out DIR] [--min PERCENT] --all FOLDER
//
// One line per record, then "TOTAL tp=.. fn=.. fp=.. se=.. ppv=..". With --out,
// DIR/<record>.txt lists the detected beats as sample indices of the record.
// With --min, exits 1 when the total sensitivity or positive predictivity is
// below PERCENT. --all exits 77 when the folder holds no annotated record.

#include "TQrsEvaluation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cstdio>

namespace {

void usage()
{
    std::fprintf(stderr, "usage: qrs-eval [--out DIR] [--min PERCENT] RECORD... | --all FOLDER\n");
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
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == "--out" || a == "--min" || a == "--all") && i + 1 >= args.size()) {
            usage();
            return 2;
        }
        if (a == "--out") {
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
    if (!outDir.isEmpty() && !QDir().mkpath(outDir)) {
        std::fprintf(stderr, "qrs-eval: cannot create %s\n", qPrintable(outDir));
        return 2;
    }

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
        out << QString("%1 tp=%2 fn=%3 fp=%4 se=%5 ppv=%6")
                   .arg(result.name)
                   .arg(result.match.truePositives)
                   .arg(result.match.falseNegatives)
                   .arg(result.match.falsePositives)
                   .arg(result.match.sensitivity(), 0, 'f', 2)
                   .arg(result.match.positivePredictivity(), 0, 'f', 2)
            << Qt::endl;
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
    out << QString("TOTAL tp=%1 fn=%2 fp=%3 se=%4 ppv=%5")
               .arg(total.truePositives)
               .arg(total.falseNegatives)
               .arg(total.falsePositives)
               .arg(total.sensitivity(), 0, 'f', 2)
               .arg(total.positivePredictivity(), 0, 'f', 2)
        << Qt::endl;
    if (failures > 0)
        return 1;
    if (minimum >= 0.0 && (total.sensitivity() < minimum || total.positivePredictivity() < minimum))
        return 1;
    return 0;
}
