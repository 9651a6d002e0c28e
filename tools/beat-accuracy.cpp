// Delineation and heart-rate accuracy of the live analysis on synthesized
// recordings: one table row per heart rate and noise condition.
#include "TBeatAccuracy.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

QString cell(const TBeatAccuracy::Statistic& s)
{
    if (s.count == 0)
        return QStringLiteral("   not found ");
    QString text = QString::asprintf("%+6.1f ±%4.1f", s.mean, s.sd);
    if (s.missing > 0)
        text += QString::asprintf(" (%d missing)", s.missing);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Runs synthesized recordings through the live analysis (detector, beat averager over the last 20 s, wave "
        "delineation of the average beat) and prints the error of P onset, QRS onset, QRS end and T end in ms "
        "(mean ± standard deviation over the seeds), and of the heart rate in bpm.");
    parser.addHelpOption();
    parser.addOption({"seeds", "recordings per row (default 6)", "N", "6"});
    parser.addOption({"duration", "seconds per recording (default 40)", "S", "40"});
    parser.addOption({"rates", "heart rates of the rows, comma separated (default 60,90,120,160,200)", "LIST",
                      "60,90,120,160,200"});
    parser.process(app);
    QList<double> rates;
    for (const QString& item : parser.value("rates").split(',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const double bpm = item.trimmed().toDouble(&ok);
        if (!ok || bpm < 20.0 || bpm > 300.0) {
            std::fprintf(stderr, "beat-accuracy: not a heart rate: %s\n", qPrintable(item));
            return 2;
        }
        rates.append(bpm);
    }
    const int seeds = std::max(1, parser.value("seeds").toInt());
    const double duration = std::max(25.0, parser.value("duration").toDouble());

    std::printf("%-5s %-6s %-4s %-14s %-14s %-14s %-14s %-13s %s\n", "bpm", "noise", "pvc", "P onset ms",
                "QRS onset ms", "QRS end ms", "T end ms", "HR error bpm", "missed/extra beats, PVC as regular");
    for (const bool noisy : {false, true}) {
        for (const double bpm : rates) {
            for (const int pvc : {0, 7}) {
                if (pvc && bpm != 90.0 && bpm != 160.0)
                    continue;
                TSynthParams p;
                p.seed = 100;
                p.durationSeconds = duration;
                p.heartRateStart = p.heartRateEnd = bpm;
                p.sinusArrhythmia = 0.02;
                p.pvcEvery = pvc;
                if (noisy) {
                    p.muscleNoiseUv = 20.0;
                    p.baselineWanderMv = 0.3;
                } else {
                    p.muscleNoiseUv = 0.0;
                    p.baselineWanderMv = 0.0;
                    p.mainsUv = 0.0;
                }
                const TBeatAccuracy::Summary s = TBeatAccuracy::summarize(p, seeds);
                std::printf("%-5.0f %-6s %-4s %-14s %-14s %-14s %-14s %-13s %d/%d, %d\n", bpm,
                            noisy ? "20 µV" : "clean", pvc ? "1/7" : "-", qPrintable(cell(s.pOnset)),
                            qPrintable(cell(s.qrsOnset)), qPrintable(cell(s.qrsEnd)), qPrintable(cell(s.tEnd)),
                            qPrintable(cell(s.heartRateError)), s.missedBeats, s.extraBeats, s.ventricularAsRegular);
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
