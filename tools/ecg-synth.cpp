// ecg-synth: writes a synthesized ECG recording and its ground truth.

#include "TEcgSynthesizer.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "ecg-synth: %s\n", qPrintable(message));
    return 2;
}

bool toDouble(const QString& text, double* value)
{
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    TSynthParams params;
    QString output;
    QString truth;

    for (int i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        auto next = [&](QString* value) {
            if (i + 1 >= args.size())
                return false;
            *value = args[++i];
            return true;
        };
        QString v;
        double d = 0;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::printf("%s", qPrintable(TEcgSynthesizer::helpText()));
            return 0;
        } else if (a == QLatin1String("--clean")) {
            params.muscleNoiseUv = params.baselineWanderMv = params.mainsUv = 0.0;
        } else if (a == QLatin1String("--loop")) {
            params.loop = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            if (!next(&v))
                return fail(QStringLiteral("%1 needs a value").arg(a));
            const bool isNumber = toDouble(v, &d);
            if (a == QLatin1String("--truth")) {
                truth = v;
            } else if (a == QLatin1String("--electrode-off")) {
                params.electrodesOff.append(v);
            } else if (a == QLatin1String("--pause")) {
                const QStringList parts = v.split(QLatin1Char(':'));
                double values[2] = {0, 0};
                if (parts.size() > 2)
                    return fail(QStringLiteral("--pause takes S or S:S2"));
                for (int k = 0; k < parts.size(); ++k)
                    if (!toDouble(parts[k], &values[k]) || values[k] <= 0)
                        return fail(QStringLiteral("bad length in --pause: %1").arg(parts[k]));
                params.pauseSeconds = values[0];
                params.pauseSecondsMax = values[1];
            } else if (a == QLatin1String("--noise")) {
                const QStringList parts = v.split(QLatin1Char(':'));
                TNoiseSynthesizer::Kind kind;
                double uv = 0.0;
                if (parts.size() != 2 || !TNoiseSynthesizer::kindFromName(parts[0], &kind) || !toDouble(parts[1], &uv) ||
                    uv < 0)
                    return fail(QStringLiteral("--noise takes KIND:UV, KIND em, ma, bw or mix"));
                params.stressNoise = parts[0];
                params.stressNoiseUv = uv;
            } else if (a == QLatin1String("--af")) {
                const QStringList parts = v.split(QLatin1Char(':'));
                double values[2] = {0, params.fibrillationScatter};
                if (parts.size() > 2)
                    return fail(QStringLiteral("--af takes MV or MV:F"));
                for (int k = 0; k < parts.size(); ++k)
                    if (!toDouble(parts[k], &values[k]) || values[k] < 0)
                        return fail(QStringLiteral("bad number in --af: %1").arg(parts[k]));
                if (values[0] <= 0 || values[1] >= 1)
                    return fail(QStringLiteral("--af needs MV above 0 and F below 1"));
                params.fibrillationMv = values[0];
                params.fibrillationScatter = values[1];
            } else if (a == QLatin1String("--hr-ramp")) {
                const QStringList parts = v.split(QLatin1Char(':'));
                double values[4] = {0, 0, 0, -1};
                if (parts.size() != 2 && parts.size() != 4)
                    return fail(QStringLiteral("--hr-ramp takes A:B or A:B:S:E"));
                for (int k = 0; k < parts.size(); ++k)
                    if (!toDouble(parts[k], &values[k]))
                        return fail(QStringLiteral("bad number in --hr-ramp: %1").arg(parts[k]));
                params.heartRateStart = values[0];
                params.heartRateEnd = values[1];
                params.rampStartSeconds = values[2];
                params.rampEndSeconds = values[3];
            } else if (!isNumber) {
                return fail(QStringLiteral("%1 needs a number, not '%2'").arg(a, v));
            } else if (a == QLatin1String("--seed")) {
                params.seed = quint64(v.toULongLong());
            } else if (a == QLatin1String("--duration")) {
                params.durationSeconds = d;
            } else if (a == QLatin1String("--rate")) {
                params.samplingRate = int(d);
            } else if (a == QLatin1String("--gain")) {
                params.gainMv = d;
            } else if (a == QLatin1String("--hr")) {
                params.heartRateStart = params.heartRateEnd = d;
            } else if (a == QLatin1String("--rsa")) {
                params.sinusArrhythmia = d;
            } else if (a == QLatin1String("--respiration")) {
                params.respirationHz = d;
            } else if (a == QLatin1String("--pvc-every")) {
                params.pvcEvery = int(d);
            } else if (a == QLatin1String("--pause-every")) {
                params.pauseEvery = int(d);
            } else if (a == QLatin1String("--av-block") || a == QLatin1String("--wenckebach")) {
                if (d < 2)
                    return fail(QStringLiteral("%1 needs N of 2 or more").arg(a));
                params.avBlockEvery = int(d);
                params.wenckebach = a == QLatin1String("--wenckebach");
            } else if (a == QLatin1String("--st")) {
                params.stDeviationMv = d;
            } else if (a == QLatin1String("--muscle")) {
                params.muscleNoiseUv = d;
            } else if (a == QLatin1String("--wander")) {
                params.baselineWanderMv = d;
            } else if (a == QLatin1String("--mains")) {
                params.mainsUv = d;
            } else if (a == QLatin1String("--mains-hz")) {
                params.mainsHz = d;
            } else {
                return fail(QStringLiteral("unknown option %1 (see --help)").arg(a));
            }
        } else if (output.isEmpty()) {
            output = a;
        } else {
            return fail(QStringLiteral("only one output file, not '%1'").arg(a));
        }
    }
    if (output.isEmpty())
        return fail(QStringLiteral("no output file (see --help)"));
    if (params.gainMv <= 0 || params.samplingRate <= 0 || params.durationSeconds < 0)
        return fail(QStringLiteral("gain and rate must be positive, duration not negative"));

    const TEcgSynthesizer synthesizer(params);
    QString error;
    if (!synthesizer.writeRecording(output, &error))
        return fail(error);
    if (!truth.isEmpty() && !synthesizer.writeTruth(truth, &error))
        return fail(error);
    return 0;
}
