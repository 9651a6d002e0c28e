#include "TWaveAnnotations.h"

#include "TWfdbAnnotations.h"

namespace {

constexpr int PWave = 24; // "p"
constexpr int TWave = 27; // "t"
constexpr int WaveOnset = 39; // "("
constexpr int WaveEnd = 40;   // ")"

enum class Kind { P, Qrs, T };

struct Wave
{
    Kind kind;
    TAnnotatedWave points;
};

} // namespace

QVector<TAnnotatedBeat> TWaveAnnotations::beats(const TWfdbAnnotations& annotations)
{
    // The marks in order: an onset belongs to the peak that follows it, an end
    // to the peak before it, each only with no other peak in between.
    QVector<Wave> waves;
    qint64 onset = -1;
    bool open = false; // the last wave may still take its end
    for (const TWfdbAnnotation& a : annotations.annotations()) {
        if (a.code == WaveOnset) {
            onset = a.sample;
            open = false;
        } else if (a.code == WaveEnd) {
            if (open && !waves.isEmpty())
                waves.last().points.end = a.sample;
            open = false;
            onset = -1;
        } else if (a.code == PWave || a.code == TWave || TWfdbAnnotations::isBeat(a.code)) {
            Wave w;
            w.kind = a.code == PWave ? Kind::P : a.code == TWave ? Kind::T : Kind::Qrs;
            w.points.onset = onset;
            w.points.peak = a.sample;
            waves.append(w);
            onset = -1;
            open = true;
        }
    }

    QVector<TAnnotatedBeat> beats;
    for (int i = 0; i < waves.size(); ++i) {
        if (waves[i].kind != Kind::Qrs)
            continue;
        TAnnotatedBeat beat;
        beat.qrs = waves[i].points;
        for (int j = i - 1; j >= 0 && waves[j].kind != Kind::Qrs; --j)
            if (waves[j].kind == Kind::P) {
                beat.p = waves[j].points;
                break;
            }
        for (int j = i + 1; j < waves.size() && waves[j].kind != Kind::Qrs; ++j)
            if (waves[j].kind == Kind::T) {
                beat.t = waves[j].points;
                break;
            }
        beats.append(beat);
    }
    return beats;
}
